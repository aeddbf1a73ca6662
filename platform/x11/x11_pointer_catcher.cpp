// x11_pointer_catcher.cpp: the catcher's window, over the face at rest and
// around the pointer while the face is dragged.
#include "platform/x11/x11_pointer_catcher.h"

#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstdlib>

#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_form.h"
#include "platform/x11/x11_stacking.h"
#include "platform/x11/x11_window_hints.h"

namespace platform::x11 {

namespace {

int Distance(POINTAPI a, POINTAPI b) { return std::abs(a.x - b.x) + std::abs(a.y - b.y); }

}  // namespace

PointerCatcher::PointerCatcher(const WindowVisual& visual, int width, int height) : width_(width), height_(height) {
    const Desktop& d = TheDesktop();
    // NOTE: where the compositor is told what takes the pointer, the
    // catcher covers the screen for good and takes the pointer only where
    // the face does: a drag then changes only what it takes, which the
    // compositor learns at once, where a new place or size would reach it
    // later. It never stands partly off the screen either, which some
    // compositors (KWin 6.7) do not allow a window, and show it elsewhere.
    if (d.inputShapesPassed) {
        width = DisplayWidth(d.display, d.screen);
        height = DisplayHeight(d.display, d.screen);
    }
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = 0;  // nothing, see-through
    attributes.border_pixel = 0;
    attributes.colormap = visual.colormap;
    // The face's own input, and where the server put the catcher.
    attributes.event_mask = ButtonPressMask | ButtonReleaseMask | Button1MotionMask | StructureNotifyMask;
    catcher_ = XCreateWindow(d.display, d.root, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                             visual.depth, InputOutput, visual.visual,
                             CWOverrideRedirect | CWBackPixel | CWBorderPixel | CWColormap | CWEventMask, &attributes);
    NameOwnProcess(catcher_);
}

PointerCatcher::~PointerCatcher() {
    const Desktop& d = TheDesktop();
    if (d.display != nullptr && catcher_ != 0) XDestroyWindow(d.display, catcher_);
}

bool PointerCatcher::Map() {
    if (mapped_) return false;
    XMapWindow(TheDesktop().display, catcher_);
    mapped_ = true;
    return true;
}

void PointerCatcher::Cover(Window face, POINTAPI corner) {
    Follow(corner);
    // NOTE: a window that shows nothing may stand over the face and take its
    // pointer (KWin 6.7 keeps one over the whole screen): the catcher goes
    // above any such window too, and stays under those that show.
    XWindowChanges above{};
    const Window inputOnly = TopmostInputOnlyAbove(face, {corner.x, corner.y, corner.x + width_, corner.y + height_});
    above.sibling = inputOnly != 0 ? inputOnly : face;
    above.stack_mode = Above;
    XConfigureWindow(TheDesktop().display, catcher_, CWSibling | CWStackMode, &above);
}

void PointerCatcher::Follow(POINTAPI corner) {
    const Desktop& d = TheDesktop();
    if (dragging_) return;
    corner_ = corner;
    if (d.inputShapesPassed)
        ApplyShape();
    else
        XMoveWindow(d.display, catcher_, corner.x, corner.y);
}

void PointerCatcher::TakeShape(const std::vector<XRectangle>& outline) {
    outline_ = outline;
    if (!dragging_) ApplyShape();
}

void PointerCatcher::ApplyShape() {
    const Desktop& d = TheDesktop();
    const POINTAPI at = d.inputShapesPassed ? corner_ : POINTAPI{0, 0};
    XShapeCombineRectangles(d.display, catcher_, ShapeInput, at.x, at.y, outline_.data(),
                            static_cast<int>(outline_.size()), ShapeSet, Unsorted);
}

void PointerCatcher::BeginDrag(POINTAPI pointer) {
    dragging_ = true;
    unsure_ = false;
    lastPointer_ = pointer;
    // NOTE: Xwayland hands the compositor a new input shape at once.
    const Desktop& d = TheDesktop();
    XShapeCombineMask(d.display, catcher_, ShapeInput, 0, 0, None, ShapeSet);
    if (d.inputShapesPassed) return;
    // NOTE: some compositors (sway) look for the window under the pointer
    // at every motion, button held or not: moved before its new size
    // reached the compositor, the catcher would not be there, and the
    // drag's motion would go to the window beneath. So it grows where it
    // stands first, and Xwayland hands the size on while it waits for our
    // next request; on a busy machine that is not always before the move.
    XResizeWindow(d.display, catcher_, static_cast<unsigned>(DisplayWidth(d.display, d.screen)),
                  static_cast<unsigned>(DisplayHeight(d.display, d.screen)));
    XSync(d.display, False);
    MoveTo({0, 0});
}

POINTAPI PointerCatcher::Pointer(POINTAPI reported) {
    // NOTE: until the compositor learns that the catcher moved, it reports
    // the pointer as if the catcher stood where it stood before: of the two
    // readings, the one closer to where the pointer just was is right, and
    // once one reading is right, all later ones are.
    POINTAPI pointer = reported;
    if (unsure_) {
        const POINTAPI shifted{reported.x + previous_.x - corner_.x, reported.y + previous_.y - corner_.y};
        if (Distance(shifted, lastPointer_) < Distance(reported, lastPointer_))
            pointer = shifted;
        else
            unsure_ = false;
    }
    lastPointer_ = pointer;
    return pointer;
}

void PointerCatcher::MoveTo(POINTAPI corner) {
    const Desktop& d = TheDesktop();
    previous_ = corner_;
    corner_ = corner;
    unsure_ = false;
    XMoveResizeWindow(d.display, catcher_, corner.x, corner.y, static_cast<unsigned>(DisplayWidth(d.display, d.screen)),
                      static_cast<unsigned>(DisplayHeight(d.display, d.screen)));
}

void PointerCatcher::OnMoved(POINTAPI corner) {
    // A move too small to tell from a hand's needs no telling apart: taken
    // for one, it errs by less than that.
    if (TheDesktop().inputShapesPassed) return;  // it never moves
    const bool large = std::abs(previous_.x - corner_.x) + std::abs(previous_.y - corner_.y) >= width_ / 4;
    if (dragging_ && large && corner.x == corner_.x && corner.y == corner_.y) unsure_ = true;
}

void PointerCatcher::EndDrag(POINTAPI corner) {
    if (!dragging_) return;
    dragging_ = unsure_ = false;
    // Back over the face first, and only then as small, or taking no more,
    // than the face: the compositor takes the place at once, and the
    // pointer stays on the catcher all the while.
    const Desktop& d = TheDesktop();
    if (!d.inputShapesPassed)
        XMoveResizeWindow(d.display, catcher_, corner.x, corner.y, static_cast<unsigned>(width_),
                          static_cast<unsigned>(height_));
    Follow(corner);
    if (!d.inputShapesPassed) ApplyShape();
}

void PointerCatcher::FitScreen() {
    const Desktop& d = TheDesktop();
    if (d.inputShapesPassed)
        XResizeWindow(d.display, catcher_, static_cast<unsigned>(DisplayWidth(d.display, d.screen)),
                      static_cast<unsigned>(DisplayHeight(d.display, d.screen)));
}

}  // namespace platform::x11
