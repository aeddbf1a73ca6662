// x11_monitors.h: the monitors, from RandR, and what their names tell of
// the X server.
#pragma once

#include <vector>

#include "platform/contract/win_api.h"

namespace platform::x11 {

// Rectangles of the active monitors on the root window; the whole screen
// when RandR says nothing.
std::vector<RECT> MonitorRects();
// The primary monitor, else the first, else the whole screen.
RECT PrimaryMonitorRect();

// Whether the X server is Xwayland: it says so in an extension of its own
// (from Xwayland 23) and in the names of its monitors (XWAYLAND0, ...).
bool IsXwayland();

}  // namespace platform::x11
