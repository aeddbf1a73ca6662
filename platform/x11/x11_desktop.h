// x11_desktop.h: the X11 backend's state, shared by its files: one
// connection, its atoms and extensions, the program's pixels on it, the
// pointer's source and the window manager as last seen; and the desktop's
// hooks of the window calls. TheDesktop() is its one name.
//
// Nothing outside platform/x11/ sees this header.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/software/desktop_form.h"
#include "platform/x11/pointer_choice.h"

namespace platform::x11 {

class X11Form;

struct Atoms {
    Atom WM_PROTOCOLS, WM_DELETE_WINDOW, UTF8_STRING, CARDINAL_;
    Atom NET_SUPPORTED, NET_SUPPORTING_WM_CHECK, NET_WM_NAME, NET_WM_ICON, NET_WM_PID;
    Atom NET_WM_STATE, NET_WM_STATE_ABOVE, NET_WM_STATE_STICKY, NET_WM_DESKTOP, NET_WM_MOVERESIZE, MOTIF_WM_HINTS;
    Atom MANAGER, WM_S;  // WM_S: the window-manager selection of our screen, WM_S<n>
    Atom NET_WM_CM_S;    // the compositing manager's selection of our screen, _NET_WM_CM_S<n>
};

struct Desktop final : DesktopDriver {
    Display* display = nullptr;
    int screen = 0;
    Window root = 0;
    Atoms atoms{};
    bool hasShape = false;
    bool hasRandr = false;
    int randrEventBase = 0;
    // The program's pixels, as on Windows: measured from the primary
    // monitor's top-left corner (`origin`, on the root window), each
    // `density` screen pixels each way on a dense screen.
    POINTAPI origin{};
    std::int32_t density = 1;
    bool quit = false;
    // The X server is Xwayland, which knows the pointer only over X windows.
    bool xwayland = false;
    // An Xwayland that hands the windows' input shapes to the compositor
    // (from 23.1, which also has the XWAYLAND extension).
    bool inputShapesPassed = false;
    // Whom the pointer's position comes from: the X server or the desktop.
    PointerChoice pointerChoice;
    // The window manager as last seen: the owner of WM_S<n>, the live EWMH
    // check window (0 when there is none) and what that manager supports.
    Window wmSelectionOwner = 0;
    Window wmCheckWindow = 0;
    std::vector<Atom> wmSupported;

    // The window calls' hooks (desktop_form.h): the pointer on the root
    // window; the program's pixels from `origin`, `density` each way.
    std::optional<POINTAPI> QueryPointer() override;
    ProgramSpace Space() override { return {origin, density}; }
    // The pointer grab that a press gives the window ends with the drag's
    // hand-over.
    bool ReleaseMouse() override { return true; }
};

// The connection; null before OpenDesktop opened it and after CloseDesktop.
Desktop& TheDesktop();

// Opens the connection to the X server and learns the desktop: atoms,
// extensions, density, monitors, window manager. False, with one line on
// stderr, where there is no display or it cannot show the face.
bool OpenDesktop();
// Releases the forms' windows, then closes the connection.
void CloseDesktop();

// The form behind a window, or null.
X11Form* FormOf(Window window);
// The form whose pointer catcher `window` is, or null.
X11Form* FormCaughtBy(Window window);

}  // namespace platform::x11
