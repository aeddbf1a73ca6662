// x11_pointer_catcher.cpp: the catcher's window, over the face at rest and
// around the pointer while the face is dragged.
#include "platform/x11/x11_pointer_catcher.h"

#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstdlib>

#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_form.h"

namespace platform::x11 {

namespace {

int Distance(POINTAPI a, POINTAPI b) { return std::abs(a.x - b.x) + std::abs(a.y - b.y); }

}  // namespace

PointerCatcher::PointerCatcher(const WindowVisual& visual, int width, int height) : width_(width), height_(height) {
    const Desktop& d = TheDesktop();
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
    const Desktop& d = TheDesktop();
    if (!dragging_) {
        corner_ = corner;
        XMoveWindow(d.display, catcher_, corner.x, corner.y);
    }
    XWindowChanges above{};
    above.sibling = face;
    above.stack_mode = Above;
    XConfigureWindow(d.display, catcher_, CWSibling | CWStackMode, &above);
}

void PointerCatcher::TakeShape(const std::vector<XRectangle>& outline) {
    outline_ = outline;
    if (!dragging_)
        XShapeCombineRectangles(TheDesktop().display, catcher_, ShapeInput, 0, 0, outline_.data(),
                                static_cast<int>(outline_.size()), ShapeSet, Unsorted);
}

void PointerCatcher::BeginDrag(POINTAPI pointer) {
    const Desktop& d = TheDesktop();
    dragging_ = true;
    unsure_ = false;
    lastPointer_ = pointer;
    previous_ = corner_;
    corner_ = {0, 0};
    // NOTE: Xwayland hands the compositor a new input shape at once, a new
    // size with the window's next frame; a window that never draws has its
    // next frame at once, so the two come with the new place all but
    // together.
    XShapeCombineMask(d.display, catcher_, ShapeInput, 0, 0, None, ShapeSet);
    XMoveResizeWindow(d.display, catcher_, 0, 0, static_cast<unsigned>(DisplayWidth(d.display, d.screen)),
                      static_cast<unsigned>(DisplayHeight(d.display, d.screen)));
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

void PointerCatcher::OnMoved(POINTAPI corner) {
    if (dragging_ && corner.x == corner_.x && corner.y == corner_.y) unsure_ = true;
}

void PointerCatcher::EndDrag(Window face, POINTAPI corner) {
    if (!dragging_) return;
    dragging_ = unsure_ = false;
    // Its place first: the compositor then finds it under the pointer
    // whatever it takes next.
    XMoveResizeWindow(TheDesktop().display, catcher_, corner.x, corner.y, static_cast<unsigned>(width_),
                      static_cast<unsigned>(height_));
    TakeShape(outline_);
    Cover(face, corner);
}

}  // namespace platform::x11
