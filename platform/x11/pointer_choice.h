// pointer_choice.h: which of two pointers to believe under Xwayland: the X
// server's, or the one the Wayland desktop reports.
#pragma once

#include <utility>

#include "platform/contract/win_api.h"

namespace platform::x11 {

// The desktop, while it reports: it knows where the pointer is over every
// window. NOTE: the X server's position also changes as the pointer leaves
// the X windows, so a change there says nothing on its own. The X server's,
// before the desktop has reported and once it has stopped: when the X
// pointer moves for several ticks in a row without a word from the desktop.
class PointerChoice {
public:
    static constexpr int kSilentTicks = 3;

    // A position the desktop reported.
    void FromDesktop(POINTAPI reported) {
        desktop_ = reported;
        believeDesktop_ = heard_ = true;
    }
    // The desktop stopped reporting (its extension was turned off).
    void DesktopGone() { believeDesktop_ = false; }
    // What the X server says at a tick; gives the position to use.
    POINTAPI FromX(POINTAPI queried) {
        const bool xMoved = queriedBefore_ && (queried.x != lastX_.x || queried.y != lastX_.y);
        lastX_ = queried;
        queriedBefore_ = true;
        if (std::exchange(heard_, false)) silentMoves_ = 0;
        else if (xMoved) ++silentMoves_;
        if (silentMoves_ >= kSilentTicks) believeDesktop_ = false;
        return believeDesktop_ ? desktop_ : queried;
    }

private:
    POINTAPI lastX_{};
    bool queriedBefore_ = false;
    POINTAPI desktop_{};
    bool believeDesktop_ = false;
    bool heard_ = false;  // since the last tick
    int silentMoves_ = 0;
};

}  // namespace platform::x11
