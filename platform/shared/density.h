// density.h: how many screen pixels make one of the program's pixels, each
// way, and where a window goes when that number changes under it.
//
// The program works in its own pixels, 15 twips each, at every density; on
// a dense screen each is a square of whole screen pixels, so the picture
// stays crisp.
#pragma once

#include <cstdint>

#include "platform/contract/win_api.h"

namespace platform {

// Screen pixels per program pixel at a density in dots per inch: 1 below
// 144, from 144 on the nearest whole number (2 at 192, 3 at 288).
std::int32_t DensityOfDpi(double dotsPerInch);

// A screen coordinate in program pixels, rounded towards minus infinity.
std::int32_t ProgramPixels(std::int64_t screen, std::int32_t density);
// A program coordinate in screen pixels, kept within 32 bits.
std::int32_t ScreenPixels(std::int32_t program, std::int32_t density);

// A screen coordinate in twips, as positions are stored: 15 to a program
// pixel at every density, so 15 / density to a screen pixel. Twips are finer
// than screen pixels, and the nearest screen pixel of what this gives is
// the one it was given (ScreenPixelsOfTwips).
float TwipsOf(std::int64_t screen, std::int32_t density);
// Twips in screen pixels, to the nearest; outside the 32-bit range fails.
std::int32_t ScreenPixelsOfTwips(float twips, std::int32_t density);

// A screen rectangle in program pixels, grown to whole ones.
RECT ProgramRect(const RECT& screen, std::int32_t density);

// The window at `window` (screen pixels), drawn at density `from`, drawn at
// `to` instead: a pointer over it stays over the same program pixel of it;
// otherwise its top-left corner goes to `otherwise`.
RECT Rescaled(const RECT& window, std::int32_t from, std::int32_t to, POINTAPI pointer, POINTAPI otherwise);

}  // namespace platform
