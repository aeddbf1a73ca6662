// x11_desktop.h: the X11 backend's state, shared by its files.
//
// One connection, its atoms and extensions, and the forms on it. Nothing
// outside platform/x11/ sees this header.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/contract/win_api.h"
#include "platform/x11/desktop_pointer.h"

namespace platform::x11 {

class X11Form;

struct Atoms {
    Atom WM_PROTOCOLS, WM_DELETE_WINDOW, UTF8_STRING, CARDINAL_;
    Atom NET_SUPPORTED, NET_SUPPORTING_WM_CHECK, NET_WM_NAME, NET_WM_ICON, NET_WM_PID;
    Atom NET_WM_STATE, NET_WM_STATE_ABOVE, NET_WM_STATE_STICKY, NET_WM_DESKTOP, NET_WM_MOVERESIZE, MOTIF_WM_HINTS;
    Atom MANAGER, WM_S;  // WM_S: the window-manager selection of our screen, WM_S<n>
    Atom NET_WM_CM_S;    // the compositing manager's selection of our screen, _NET_WM_CM_S<n>
};

struct Desktop {
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
    std::string commandLine;
    std::map<Window, X11Form*> forms;
    bool quit = false;
    // The X server is Xwayland, which knows the pointer only over X windows.
    bool xwayland = false;
    // Where GetCursorPos last found the pointer, on the root window, and
    // whom it believed: the X server or the desktop.
    POINTAPI pointer{};
    PointerChoice pointerChoice;
    // The window manager as last seen: the owner of WM_S<n>, the live EWMH
    // check window (0 when there is none) and what that manager supports.
    Window wmSelectionOwner = 0;
    Window wmCheckWindow = 0;
    std::vector<Atom> wmSupported;
    std::string wmName;  // as its check window names it
};

// The connection; null before RunProgram opened it and after it closed it.
Desktop& TheDesktop();

// The form behind a window handle, or null.
X11Form* FormOf(HWND window);

// Whether the running window manager implements the given EWMH atom: one
// with a live EWMH check window that lists it, as last seen.
bool WindowManagerSupports(Atom feature);
// Whether a window manager keeps our window above others. When none does
// (none runs, or one without EWMH), we keep ourselves above.
bool WindowManagerKeepsAbove();
// Whether a window of ours should be left unmanaged (override-redirect)
// and place, raise and move itself: a manager runs that cannot keep it
// above every other window, full-screen ones included.
bool StandAloneUnderThisManager();
// Whether a compositing manager runs on our screen, which shows windows of
// a visual with alpha as they are meant: see-through where alpha is 0.
bool CompositorRuns();

// Looks afresh for a window manager and watches it, so that one that comes
// or goes is noticed: its selection owner and check window report their
// destruction, the root window a new manager and a changed check property.
void WatchWindowManager();
// Whether an event tells that the window manager may have come or gone.
bool ConcernsWindowManager(const XEvent& event);

// Sends an EWMH client message about `window` to the root window.
void SendRootMessage(Window window, Atom type, long l0, long l1, long l2, long l3, long l4);

// Rectangles of the active monitors on the root window; the whole screen
// when RandR says nothing.
std::vector<RECT> MonitorRects();
// The primary monitor, else the first, else the whole screen.
RECT PrimaryMonitorRect();

// Whether the X server is Xwayland: it says so in an extension of its own
// (from Xwayland 23) and in the names of its monitors (XWAYLAND0, ...).
bool IsXwayland();

// Reads the desktop's density (Xft.dpi in the root window's resources,
// else 96 dots per inch): from 144 on, a program pixel is the nearest whole
// number of screen pixels. Once, before any window exists.
void ReadDensity();
// Finds the primary monitor's corner again, as the monitors change.
void ReadOrigin();
// Between root and program coordinates.
POINTAPI ProgramPoint(int rootX, int rootY);
int RootX(std::int32_t programX);
int RootY(std::int32_t programY);
// A root rectangle in program pixels, grown to whole ones.
RECT ProgramRect(const RECT& root);

}  // namespace platform::x11
