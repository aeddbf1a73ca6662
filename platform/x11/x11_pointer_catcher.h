// x11_pointer_catcher.h: on a Wayland desktop, a see-through window over
// the face that takes the face's pointer input, so that a drag keeps it.
//
// NOTE: a Wayland compositor decides who gets the pointer, and sway keeps
// no hold for a window the button went down on: a hand that outruns a face
// dragging itself reaches whatever lies beneath, which then gets the
// release, and the next press is lost with it. The compositor takes a
// window's place from the X server at once, but its size only with its
// next frame, and it tells Xwayland where the pointer is relative to where
// it believes the window stands, so that under a window that moves itself
// the pointer seems to run ahead. The catcher shows nothing and never draws,
// so that its next frame is always at once: at rest it takes the pointer
// where the face does; while the face is dragged it takes it on the whole
// screen, so that the pointer can leave it nowhere and its position does
// not depend on the compositor's view of a moving window. Where Xwayland
// hands the input shape on, it covers the screen for good and only its
// shape changes; elsewhere it lies over the face at rest and covers the
// screen for a drag. The face itself only moves.
#pragma once

#include <X11/Xlib.h>

#include <vector>

#include "platform/contract/win_api.h"

namespace platform::x11 {

struct WindowVisual;

class PointerCatcher {
public:
    // Made over a face of `width` x `height` screen pixels.
    PointerCatcher(const WindowVisual& visual, int width, int height);
    ~PointerCatcher();
    PointerCatcher(const PointerCatcher&) = delete;
    PointerCatcher& operator=(const PointerCatcher&) = delete;

    Window Handle() const { return catcher_; }
    // Maps it, once; true the first time.
    bool Map();
    bool Mapped() const { return mapped_; }
    // Over the face again, wherever the face went, and above whatever came
    // over it: a look at the whole stacking, for when that may have changed.
    void Cover(Window face, POINTAPI corner);
    // Where the face went, when only its place changed.
    void Follow(POINTAPI corner);
    // The face's outline: where it takes the pointer when no drag is on.
    void TakeShape(const std::vector<XRectangle>& outline);
    // A left drag began with the pointer at `pointer`.
    void BeginDrag(POINTAPI pointer);
    // The pointer's position on the root window during the drag, from what
    // a motion event reports.
    POINTAPI Pointer(POINTAPI reported);
    // The server moved the catcher to `corner`.
    void OnMoved(POINTAPI corner);
    // The button is up: back over the face at `corner`.
    void EndDrag(POINTAPI corner);
    // The screen changed its size (a monitor came or went).
    void FitScreen();

private:
    // Moves to `corner`, as large as the screen.
    void MoveTo(POINTAPI corner);
    // Takes the pointer where the face's outline lies.
    void ApplyShape();

    Window catcher_ = 0;
    int width_, height_;
    std::vector<XRectangle> outline_;
    bool mapped_ = false;
    bool dragging_ = false;
    POINTAPI corner_{};     // the face's, at rest; where a drag moved it to, while one does
    POINTAPI previous_{};   // where it stood before a drag moved it
    bool unsure_ = false;   // the compositor may believe it still stands there
    POINTAPI lastPointer_{};
};

}  // namespace platform::x11
