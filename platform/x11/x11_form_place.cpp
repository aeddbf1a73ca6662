// x11_form_place.cpp: where the face stands: as the program asks, as the
// server and the window manager report it, and as a drag takes it; and the
// face taking over from a window manager that does not do as it is asked.
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <limits>

#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_form.h"
#include "platform/x11/x11_monitors.h"
#include "platform/x11/x11_property.h"

namespace platform::x11 {

namespace {

// X carries window positions as 16-bit numbers.
int ToProtocol(std::int32_t coordinate) {
    return std::clamp<int>(coordinate, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max());
}

// Where a manager that keeps windows within the desktop's work area
// (_NET_WORKAREA: clear of panels and bars) puts a window asked to stand at
// `asked`: as near to it as the work area allows.
POINTAPI WithinWorkArea(POINTAPI asked, int width, int height) {
    const Desktop& d = TheDesktop();
    const Property area(d.root, XInternAtom(d.display, "_NET_WORKAREA", False), XA_CARDINAL, 4);
    if (area.Longs().size() < 4) return asked;
    const auto at = [&](std::size_t i) { return static_cast<int>(static_cast<long>(area.Longs()[i])); };
    const int left = at(0), top = at(1), right = left + at(2), bottom = top + at(3);
    return {std::clamp(asked.x, left, std::max(left, right - width)), std::clamp(asked.y, top, std::max(top, bottom - height))};
}

}  // namespace

void X11Form::MoveTo(std::int32_t left, std::int32_t top) {
    Desktop& d = TheDesktop();
    left_ = left;
    top_ = top;
    asked_ = {left, top};
    if (!mapped_) {
        // Read by the window manager when it maps us. The size is fixed; the
        // position is the user's (stored) choice, which a window manager
        // should honour rather than place the window itself.
        XSizeHints size{};
        size.flags = USPosition | PPosition | PMinSize | PMaxSize;
        size.x = ToProtocol(left);
        size.y = ToProtocol(top);
        size.min_width = size.max_width = PixelWidth();
        size.min_height = size.max_height = PixelHeight();
        XSetWMNormalHints(d.display, window_, &size);
    }
    XMoveWindow(d.display, window_, ToProtocol(left), ToProtocol(top));
    if (catcher_) catcher_->Follow({ToProtocol(left), ToProtocol(top)});
}

void X11Form::OnConfigure(const XConfigureEvent& event) {
    // Synthetic events from the window manager carry root coordinates;
    // real ones are relative to the parent, which may be a frame.
    if (event.send_event || parent_ == TheDesktop().root) {
        OnPlaced({event.x, event.y});
    } else {
        UpdatePositionFromServer();
    }
}

void X11Form::OnReparent(const XReparentEvent& event) {
    Desktop& d = TheDesktop();
    parent_ = event.parent;
    // NOTE: a reparenting window manager moves its frame, not us, and need
    // not tell us (openbox does not); so we watch the frame as well.
    if (parent_ != d.root) XSelectInput(d.display, parent_, StructureNotifyMask);
    UpdatePositionFromServer();
}

void X11Form::OnFrameConfigure() { UpdatePositionFromServer(); }

void X11Form::UpdatePositionFromServer() {
    Desktop& d = TheDesktop();
    int x = 0, y = 0;
    Window child = 0;
    if (XTranslateCoordinates(d.display, window_, d.root, 0, 0, &x, &y, &child)) OnPlaced({x, y});
}

void X11Form::OnPlaced(POINTAPI where) {
    left_ = where.x;
    top_ = where.y;
    // NOTE: what a manager says it supports is no proof of what it does
    // (sway 1.12 lists "above", yet centres every window and lets others
    // cover it): one that puts the face elsewhere than it asked, and not
    // merely within the work area, is not trusted with it any longer.
    if (!mapped_ || standAlone_ || !placementWatched_ || (where.x == asked_.x && where.y == asked_.y)) return;
    const POINTAPI allowed = WithinWorkArea(asked_, PixelWidth(), PixelHeight());
    if (where.x != allowed.x || where.y != allowed.y) TakeOverFromManager(asked_);
}

void X11Form::TakeOverFromManager(POINTAPI at) {
    Desktop& d = TheDesktop();
    standAlone_ = true;  // the stacking and the drag see it too
    XWithdrawWindow(d.display, window_, d.screen);
    if (parent_ != d.root) XReparentWindow(d.display, window_, d.root, at.x, at.y);
    parent_ = d.root;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    XChangeWindowAttributes(d.display, window_, CWOverrideRedirect, &attributes);
    MoveTo(at.x, at.y);
    if (d.xwayland && visual_.alpha != 0 && !catcher_) {
        catcher_ = std::make_unique<PointerCatcher>(visual_, PixelWidth(), PixelHeight());
        catcher_->TakeShape(shape_);
        catcher_->Cover(window_, at);
    }
    // NOTE: sway loses a window that no manager manages when it first shows
    // at about the time another shows or a window it managed went: the
    // catcher shows at the next tick, the face at the one after, which
    // therefore takes no input where a catcher lies beneath it.
    takeover_ = catcher_ ? Takeover::CatcherDue : Takeover::FaceDue;
}

void X11Form::GoOnTakingOver() {
    switch (takeover_) {
        case Takeover::CatcherDue:
            catcher_->Map();
            takeover_ = Takeover::FaceDue;
            break;
        case Takeover::FaceDue:
            Map();
            TakeInput();
            if (catcher_) catcher_->Cover(window_, {left_, top_});
            takeover_ = Takeover::Done;
            break;
        case Takeover::Done: break;
    }
}

void X11Form::Pressed(std::int16_t button, POINTAPI screen) {
    if (button != 1) return;
    drag_.OnLeftPress(screen.x, screen.y);
    pressedAt_ = screen;
}

void X11Form::BeginSystemMove() {
    if (!drag_.Arm({left_, top_})) return;
    placementWatched_ = false;  // from now on the user says where it goes
    if (catcher_ && catcher_->Mapped()) catcher_->BeginDrag(pressedAt_);
}

void X11Form::OnPointerMotion(int rootX, int rootY) {
    POINTAPI at{rootX, rootY};
    if (catcher_) at = catcher_->Pointer(at);
    if (const std::optional<POINTAPI> to = drag_.OnPointerMotion(window_, at.x, at.y)) MoveTo(to->x, to->y);
}

void X11Form::OnLeftRelease() {
    drag_.OnLeftRelease(window_);
    if (catcher_) catcher_->EndDrag({left_, top_});
}

void X11Form::KeepOnMonitors() {
    // NOTE: nothing else brings back a window left off every monitor when
    // one is unplugged (window managers differ, and without one nobody
    // does), and a second start would end at once. The top centre of the
    // primary monitor, as at a first start, when its centre is off them all.
    const int centreX = left_ + PixelWidth() / 2, centreY = top_ + PixelHeight() / 2;
    for (const RECT& m : MonitorRects())
        if (centreX >= m.left && centreX < m.right && centreY >= m.top && centreY < m.bottom) return;
    const RECT primary = PrimaryMonitorRect();
    MoveTo(primary.left + (primary.right - primary.left - PixelWidth()) / 2, primary.top);
}

}  // namespace platform::x11
