// desktop_pointer.h: where the pointer is on a Wayland desktop, as the
// desktop itself reports it.
//
// Xwayland learns where the pointer is only while it is over X windows.
// Over Wayland windows two desktops can tell: KDE Plasma's compositor,
// through a script this program loads into it, and GNOME Shell, through the
// extension that comes with the program. Both report on the session bus.
// Elsewhere, without a session bus, or where the desktop will not, nothing
// is reported and the X pointer stands alone, as on X11. Which of the two
// the program believes: pointer_choice.h. The bus side, by desktop:
// desktop_pointer_bus.h.
#pragma once

#include <poll.h>

#include <chrono>
#include <memory>
#include <optional>

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

}  // namespace platform::x11
