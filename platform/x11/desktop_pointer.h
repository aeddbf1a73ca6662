// desktop_pointer.h: where the pointer is on a Wayland desktop, and which
// windows cover the face there, as the desktop itself reports it.
//
// Xwayland learns where the pointer is only while it is over X windows.
// Over Wayland windows two desktops can tell: KDE Plasma's compositor,
// through a script this program loads into it, and GNOME Shell, through the
// extension that comes with the program. Both call the program on the
// session bus, and only the desktop that serves the program's X display is
// believed (desktop_pointer_trust.h). KWin's script also tells when a
// window covers the face, which X cannot see. Elsewhere, without a session
// bus, or where the desktop will not, nothing is reported and the X pointer
// stands alone, as on X11. Which pointer the program believes:
// pointer_choice.h. The bus side: desktop_pointer_bus.h.
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
    // `xConnection`: the socket to the X server, whose far end tells who
    // the desktop is.
    DesktopPointer(bool underXwayland, int xConnection);
    // Unloads what it loaded into the desktop.
    ~DesktopPointer();
    DesktopPointer(const DesktopPointer&) = delete;
    DesktopPointer& operator=(const DesktopPointer&) = delete;

    // What the desktop reported since it was last asked.
    struct News {
        bool stopped = false;              // it stopped reporting (its extension was turned off)
        std::optional<POINTAPI> position;  // where the pointer went since, on the root window
        bool covered = false;              // a window stands over a face that asked to stay above
    };

    // What the loop polls for; fd -1 when there is nothing to poll.
    pollfd PollFor() const;
    // How long the bus may wait before it must be processed; nothing: no limit.
    std::optional<std::chrono::steady_clock::duration> Timeout() const;
    // Handles what came. A position is acknowledged once the loop has used it.
    News Process();
    // The position was used: the desktop may send the next.
    void Acknowledge();

    struct Bus;  // the session bus side, where there is one

private:
    std::unique_ptr<Bus> bus_;
};

}  // namespace platform::x11
