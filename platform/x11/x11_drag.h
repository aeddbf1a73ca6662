// x11_drag.h: the caption drag: a left press on the face that becomes a
// move of the window once the pointer moves; done by the window manager
// (_NET_WM_MOVERESIZE) where it can, else by the window itself.
#pragma once

#include <X11/Xlib.h>

#include <optional>

#include "platform/contract/win_api.h"

namespace platform::x11 {

class CaptionDrag {
public:
    // `standAlone`: an override-redirect window, which no manager moves,
    // as the window says now.
    explicit CaptionDrag(const bool& standAlone) : standAlone_(standAlone) {}

    // A left press at a root position: nothing moves yet.
    void OnLeftPress(int rootX, int rootY);
    // The program asked for the caption grab (SendMessageA) while the left
    // button is held: the window, now at `windowAt`, moves once the pointer
    // does. A click, or the first click of a double-click, leaves it there.
    // False when no left press is held.
    bool Arm(POINTAPI windowAt);
    // The pointer moved with the left button down; where `window` goes
    // when the drag is ours.
    std::optional<POINTAPI> OnPointerMotion(Window window, int rootX, int rootY);
    // The window manager went while it was moving `window`: the drag is
    // ours again.
    void TakeOver(Window window);
    void OnLeftRelease(Window window);

private:
    enum class State { Idle, Armed, Own, WindowManager };

    // Hands an armed drag to the window manager; false when it is ours.
    bool HandOver(Window window);

    const bool& standAlone_;
    State state_ = State::Idle;
    bool leftHeld_ = false;
    int pressX_ = 0;
    int pressY_ = 0;
    POINTAPI start_{};  // where the window was as the drag began
};

}  // namespace platform::x11
