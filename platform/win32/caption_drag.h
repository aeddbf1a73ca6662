// caption_drag.h: the caption grab of a form's window, armed at a left
// press and handed to the system's move only once the pointer moves with
// the button still down.
//
// NOTE: the system's move (WM_NCLBUTTONDOWN with HTCAPTION) asked for at
// the press starts even when the release is already queued, as after a
// touchpad's tap; under a window manager that takes the move over (Wine's
// _NET_WM_MOVERESIZE), the window then follows the pointer with no button
// held until the next click. A click, or the first click of a
// double-click, must leave the window where it is; a drag whose release is
// queued already moves it by the motion up to the release, done here.
#pragma once

#include "platform/win32/win32_system.h"

namespace platform::win32 {

class CaptionDrag {
public:
    // WM_LBUTTONDOWN at `point` (screen pixels), not part of a double-click.
    void Press(::HWND window, ::POINT point);
    // The program asks for a caption grab (cTrimmer::GrabForm): true when
    // it is armed for the left press that holds now, false when no left
    // press does.
    bool Arm(::HWND window);
    // WM_MOUSEMOVE at `point`; `leftDown` from its key flags. The first with
    // the button down starts the system's move, or, when the release waits
    // in the queue already, a move of our own up to it.
    void Motion(::HWND window, ::POINT point, bool leftDown);
    // WM_LBUTTONUP: a grab that never started is dropped.
    void Release(::HWND window);
    // WM_CAPTURECHANGED: another window took the mouse.
    void Lost();
    // Whether a left press holds the mouse: a grab lets it go only when
    // the system's move starts.
    bool HoldsMouse() const { return state_ == State::Pressed || state_ == State::Armed || state_ == State::Own; }
    // Whether the window follows the pointer.
    bool Moving() const { return state_ == State::System || state_ == State::Own; }

private:
    enum class State {
        Idle,
        Pressed,  // the left button went down; nobody asked for a grab yet
        Armed,    // a grab waits for the pointer to move with the button down
        System,   // the system's move runs, until it returns
        Own,      // a drag whose release is queued: ours, up to the release
    };

    // Moves the window by the way from the press to `point`.
    void Follow(::HWND window, ::POINT point);
    void Finish(::HWND window);

    State state_ = State::Idle;
    ::POINT press_{};  // where the left button went down
    ::POINT start_{};  // the window's corner then
};

}  // namespace platform::win32
