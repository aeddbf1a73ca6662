// pointer_reporter.h: the desktop's side of the program's eyes over native
// windows, seen from the session bus: KWin running the script a copy of the
// program loaded, GNOME Shell's extension on the bus.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

#include "tools/wayland_desktop/compositor.h"
#include "tools/wayland_desktop/session_bus.h"

namespace e2e {

// The unique bus name of the connection whose process is `pid`; empty when
// it has none.
std::string BusNameOf(SessionBus& bus, pid_t pid);
// Whether KWin runs the script of the program whose bus name is `program`,
// which names it after that: ":1.42" gives zwinkerle-pointer-1-42.
bool KWinRunsScriptOf(SessionBus& bus, const std::string& program);

// Whether GNOME Shell runs our extension, in either form.
bool GnomeExtensionRuns(SessionBus& bus);

// Waits until the desktop tells the program `pid` where the pointer is: KWin
// runs its script, GNOME Shell runs the extension; sway has nothing to
// wait for. On a busy machine that takes a while, none of which the program
// waits for. What is missing when `timeout` is over; empty once it reports.
std::string WaitForPointerReporter(const Compositor& desktop, pid_t pid, std::chrono::milliseconds timeout);

}  // namespace e2e
