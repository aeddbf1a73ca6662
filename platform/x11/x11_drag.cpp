// x11_drag.cpp: the caption drag's states: idle, armed by the program,
// handed to the window manager, or ours (a pointer grab and XMoveWindow
// through the form); and a release that the window manager missed.
#include "platform/x11/x11_drag.h"

#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_window_manager.h"

namespace platform::x11 {

namespace {

// Whether the left button's release already waits in the queue: the
// program has fallen behind the user.
bool LeftReleaseQueued(Window window) {
    struct Search {
        Window window;
        bool found;
    } search{window, false};
    XEvent ignored;
    XCheckIfEvent(
        TheDesktop().display, &ignored,
        [](Display*, XEvent* event, XPointer argument) -> Bool {
            auto* s = reinterpret_cast<Search*>(argument);
            if (event->type == ButtonRelease && event->xbutton.window == s->window && event->xbutton.button == Button1)
                s->found = true;
            return False;  // look only, take nothing
        },
        reinterpret_cast<XPointer>(&search));
    return search.found;
}

}  // namespace

void CaptionDrag::OnLeftPress(int rootX, int rootY) {
    leftHeld_ = true;
    pressX_ = rootX;
    pressY_ = rootY;
    state_ = State::Idle;
}

bool CaptionDrag::Arm(POINTAPI windowAt) {
    if (!leftHeld_) return false;
    state_ = State::Armed;
    start_ = windowAt;
    return true;
}

std::optional<POINTAPI> CaptionDrag::OnPointerMotion(Window window, int rootX, int rootY) {
    if (state_ == State::Armed) {
        if (HandOver(window)) return std::nullopt;
        state_ = State::Own;
    }
    if (state_ != State::Own) return std::nullopt;
    return POINTAPI{start_.x + (rootX - pressX_), start_.y + (rootY - pressY_)};
}

bool CaptionDrag::HandOver(Window window) {
    const Desktop& d = TheDesktop();
    // A drag that is over already is ours to finish: the window manager
    // would start a move that no button holds.
    if (standAlone_ || LeftReleaseQueued(window) || !WindowManagerSupports(d.atoms.NET_WM_MOVERESIZE)) return false;
    // NOTE: EWMH wants our grab released first; the press position lets
    // the window manager apply the whole path since the press.
    XUngrabPointer(d.display, CurrentTime);
    SendRootMessage(window, d.atoms.NET_WM_MOVERESIZE, pressX_, pressY_, kMoveResizeMove, Button1,
                    kSourceApplication);
    state_ = State::WindowManager;
    return true;
}

void CaptionDrag::TakeOver(Window window) {
    const Desktop& d = TheDesktop();
    if (state_ != State::WindowManager) return;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int buttons = 0;
    const bool held = XQueryPointer(d.display, d.root, &root, &child, &rootX, &rootY, &x, &y, &buttons) &&
                      (buttons & Button1Mask) != 0;
    if (!held) {  // the manager's move had ended; its release never reached us
        OnLeftRelease(window);
        return;
    }
    // Go on from here, holding the pointer so that its release reaches us.
    // NOTE: still from the press and where the window stood then, as the
    // manager moved it: motion that waits in our queue is older than the
    // pointer's position now, and would count from the wrong point.
    XGrabPointer(d.display, window, False, ButtonReleaseMask | PointerMotionMask, GrabModeAsync, GrabModeAsync, None,
                 None, CurrentTime);
    state_ = State::Own;
}

void CaptionDrag::OnLeftRelease(Window window) {
    const Desktop& d = TheDesktop();
    // A release that reaches us after the hand-over means the window manager
    // may have missed it: it must not go on moving the window.
    if (state_ == State::WindowManager && WindowManagerSupports(d.atoms.NET_WM_MOVERESIZE))
        SendRootMessage(window, d.atoms.NET_WM_MOVERESIZE, pressX_, pressY_, kMoveResizeCancel, Button1,
                        kSourceApplication);
    if (state_ == State::Own) XUngrabPointer(d.display, CurrentTime);
    leftHeld_ = false;
    state_ = State::Idle;
}

}  // namespace platform::x11
