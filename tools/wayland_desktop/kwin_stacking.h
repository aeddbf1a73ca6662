// kwin_stacking.h: what KWin shows where it takes no screenshots: its own
// stacking order of windows, from a script it runs.
#pragma once

#include <string>
#include <vector>

#include "tools/wayland_desktop/compositor.h"
#include "tools/wayland_desktop/session_bus.h"

namespace e2e {

// The windows KWin shows, bottom first, with their frames; its script is
// written into `folder`, which KWin's user can read.
std::vector<ShownWindow> KWinStacking(SessionBus& bus, const std::string& folder);

}  // namespace e2e
