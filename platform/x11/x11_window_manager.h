// x11_window_manager.h: the window manager as the program sees it: whether
// one runs, what it supports, whether a compositor runs beside it, and the
// EWMH client messages the program sends it.
#pragma once

#include <X11/Xlib.h>

namespace platform::x11 {

// EWMH values the program's client messages and properties carry.
constexpr long kStateAdd = 1;           // _NET_WM_STATE: add the states
constexpr long kSourceApplication = 1;  // the request comes from an application
constexpr long kMoveResizeMove = 8;     // _NET_WM_MOVERESIZE: move with the pointer
constexpr long kMoveResizeCancel = 11;  // _NET_WM_MOVERESIZE: stop the move
constexpr unsigned long kAllDesktops = 0xFFFFFFFF;  // _NET_WM_DESKTOP on every desktop

// Looks afresh for a window manager and watches it, so that one that comes
// or goes is noticed: its selection owner and check window report their
// destruction, the root window a new manager and a changed check property.
void WatchWindowManager();
// Whether an event tells that the window manager may have come or gone.
bool ConcernsWindowManager(const XEvent& event);

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

// Sends an EWMH client message about `window` to the root window.
void SendRootMessage(Window window, Atom type, long l0, long l1, long l2, long l3, long l4);

}  // namespace platform::x11
