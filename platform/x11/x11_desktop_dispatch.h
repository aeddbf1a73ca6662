// x11_desktop_dispatch.h: the events of windows that are not ours: the
// root's, the window manager's, the frames' around ours; and RandR's.
#pragma once

#include <X11/Xlib.h>

namespace platform::x11 {

// RandR: the monitors changed.
bool IsMonitorChange(const XEvent& event);
// Finds the primary monitor's corner again and brings back a window that
// no monitor shows; true.
bool OnMonitorChange(XEvent& event);

// Handles an event of the root, the window manager or a frame; true when
// it can change what the next tick paints.
bool OnDesktopEvent(const XEvent& event);

}  // namespace platform::x11
