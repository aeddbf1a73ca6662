// desktop_pointer_trust.h: which desktop the program believes on the
// session bus: the one whose process serves the program's X display.
//
// Any program on the bus may take a name that nobody holds, so a desktop's
// name proves nothing on its own: on sway nobody holds KWin's or GNOME
// Shell's, on GNOME nobody holds KWin's. The X server's socket tells who
// the desktop is: the process that listens on it, GNOME Shell itself or
// KWin on its own. NOTE: in a Plasma session KWin's wrapper holds the
// sockets across KWin's restarts and runs KWin as its child; that wrapper
// owns no desktop name, while GNOME Shell, whose children are the programs
// it starts, owns its own.
#pragma once

#include <sys/types.h>

namespace platform::x11 {

enum class DesktopKind { None, KWin, GnomeShell };

// Who owns a desktop's name, as the bus tells it: the process and its
// parent; 0 where nobody owns the name or the bus did not say.
struct NameOwner {
    pid_t pid = 0;
    pid_t parent = 0;
};

// `listener`: the process that listens on the X server's socket; 0 where
// that is unknown.
constexpr DesktopKind TrustedDesktop(pid_t listener, NameOwner shell, NameOwner kwin) {
    if (listener <= 0) return DesktopKind::None;
    if (shell.pid == listener) return DesktopKind::GnomeShell;
    if (kwin.pid == listener || (kwin.pid > 0 && kwin.parent == listener)) return DesktopKind::KWin;
    return DesktopKind::None;
}

}  // namespace platform::x11
