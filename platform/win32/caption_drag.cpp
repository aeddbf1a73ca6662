// caption_drag.cpp: a caption grab that starts the system's move only
// while the left button is held.
#include "platform/win32/caption_drag.h"

namespace platform::win32 {

namespace {

// The physical button behind WM_LBUTTONDOWN, which a left-handed mouse swaps.
int PrimaryButton() { return ::GetSystemMetrics(SM_SWAPBUTTON) != 0 ? VK_RBUTTON : VK_LBUTTON; }

// Whether the left press is over, though its release has not been handled
// yet: it waits in the queue, or the button is up by now.
bool ReleasedAlready(::HWND window) {
    MSG release{};
    return ::PeekMessageW(&release, window, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE | PM_NOYIELD) != 0 ||
           (::GetAsyncKeyState(PrimaryButton()) & 0x8000) == 0;
}

}  // namespace

void CaptionDrag::Press(::HWND window, ::POINT point) {
    ::RECT rect{};
    ::GetWindowRect(window, &rect);
    state_ = State::Pressed;
    press_ = point;
    start_ = {rect.left, rect.top};
}

bool CaptionDrag::Arm(::HWND window) {
    if (state_ != State::Pressed) return false;
    // Motion and the release must reach us wherever the pointer goes.
    state_ = State::Armed;
    if (::GetCapture() != window) ::SetCapture(window);
    return true;
}

void CaptionDrag::Motion(::HWND window, ::POINT point, bool leftDown) {
    if (state_ == State::Own) {
        if (leftDown)
            Follow(window, point);
        else
            Finish(window);  // its release went missing
        return;
    }
    if (state_ != State::Armed) return;
    if (point.x == press_.x && point.y == press_.y) return;  // the system reports motion that is none
    if (!leftDown) {
        Finish(window);
        return;
    }
    // NOTE: a drag whose release waits in the queue already (the program
    // fell behind) is over: the system's move would wait for a release that
    // came, and the window would follow the pointer with no button held. It
    // takes the motion up to the release itself, as on X11. Wine reports a
    // release away from the last motion as motion with the button down to
    // the release's place, then the release: the window lands there.
    const bool over = ReleasedAlready(window);
    if (state_ != State::Armed) return;  // the peek ran a handler that ended it
    Follow(window, point);
    if (over) {
        state_ = State::Own;
        return;
    }
    // NOTE: the system's move starts from where the pointer is now (the
    // message's position), so the window first takes the way from the
    // press itself.
    state_ = State::System;
    ::ReleaseCapture();
    ::SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
    state_ = State::Idle;  // the move is over when the message returns
}

void CaptionDrag::Release(::HWND window) {
    if (state_ != State::System) Finish(window);  // the system's move ends itself
}

void CaptionDrag::Lost() {
    if (state_ != State::System) state_ = State::Idle;
}

void CaptionDrag::Follow(::HWND window, ::POINT point) {
    ::SetWindowPos(window, nullptr, start_.x + (point.x - press_.x), start_.y + (point.y - press_.y), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CaptionDrag::Finish(::HWND window) {
    state_ = State::Idle;
    if (::GetCapture() == window) ::ReleaseCapture();
}

}  // namespace platform::win32
