// x11_window_hints.h: what a new window tells the window manager about
// itself before it is first mapped.
#pragma once

#include <X11/Xlib.h>

#include "platform/contract/form.h"

namespace platform::x11 {

// Names, class, process, machine and icon, for the window manager and task
// lists; every workspace, no frame, no keyboard focus, and the close
// protocol.
void DescribeToWindowManager(Window window, const FormDefinition& definition);
// This process and machine, for any other window of ours: so the desktop
// knows it for the face's own.
void NameOwnProcess(Window window);

}  // namespace platform::x11
