// x11_program_pixels.h: the program's pixels on the root window: measured
// from the primary monitor's corner, as on Windows, and on a dense screen
// each a whole number of screen pixels.
#pragma once

#include <cstdint>

#include "platform/contract/win_api.h"

namespace platform::x11 {

// Reads the desktop's density (Xft.dpi in the root window's resources,
// else 96 dots per inch): from 144 on, a program pixel is the nearest whole
// number of screen pixels. Once, before any window exists.
void ReadDensity();
// Finds the primary monitor's corner again, as the monitors change.
void ReadOrigin();
// A root rectangle in program pixels, grown to whole ones.
RECT ProgramRect(const RECT& root);

}  // namespace platform::x11
