// desktop_pointer.h: where the pointer is on a Wayland desktop, as the
// desktop itself reports it.
//
// Xwayland learns where the pointer is only while it is over X windows.
// Over Wayland windows two desktops can tell: KDE Plasma's compositor,
// through a script this program loads into it, and GNOME Shell, through the
// extension that comes with the program. Both report on the session bus.
// Elsewhere, without a session bus, or where the desktop will not, nothing
// is reported and the X pointer stands alone, as on X11.
#pragma once

#include <poll.h>

#include <chrono>
#include <memory>
#include <optional>
#include <utility>

#include "platform/contract/win_api.h"

namespace platform::x11 {

class DesktopPointer {
public:
    // Starts listening; never waits for the desktop. Does nothing when the
    // program was built without a bus library or `underXwayland` is false.
    explicit DesktopPointer(bool underXwayland);
    // Unloads what it loaded into the desktop.
    ~DesktopPointer();
    DesktopPointer(const DesktopPointer&) = delete;
    DesktopPointer& operator=(const DesktopPointer&) = delete;

    // What the loop polls for; fd -1 when there is nothing to poll.
    pollfd PollFor() const;
    // How long the bus may wait before it must be processed; nothing: no limit.
    std::optional<std::chrono::steady_clock::duration> Timeout() const;
    // Handles what came; true when the desktop reported a position, which
    // the loop acknowledges once it has used it, or stopped reporting.
    bool Process();
    // The position last reported, on the root window; nothing before one
    // came and once the desktop stopped reporting.
    std::optional<POINTAPI> Position() const { return position_; }
    // The position was used: the desktop may send the next.
    void Acknowledge();

    struct Bus;  // the session bus side, where there is one

private:
    std::unique_ptr<Bus> bus_;
    std::optional<POINTAPI> position_;
};

// Which of two pointers to believe. The desktop, while it reports: it
// knows where the pointer is over every window. NOTE: the X server's
// position also changes as the pointer leaves the X windows, so a change
// there says nothing on its own. The X server's, before the desktop has
// reported and once it has stopped: when the X pointer moves for several
// ticks in a row without a word from the desktop.
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
