// x11_form_dispatch.cpp: Expose, ConfigureNotify, ReparentNotify,
// MapNotify, UnmapNotify, VisibilityNotify and WM_DELETE_WINDOW for the
// window; ButtonPress, ButtonRelease and MotionNotify for the presses
// (desktop_form.h makes DblClick of them: X has none) and the drag.
#include "platform/x11/x11_form_dispatch.h"

#include <optional>

#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_xsettings.h"

namespace platform::x11 {

namespace {

constexpr std::int32_t kLongestDoubleClickMs = 5000;  // a published time beyond is a mistake

std::int16_t ShiftOf(unsigned int state) {
    return static_cast<std::int16_t>(((state & ShiftMask) ? 1 : 0) | ((state & ControlMask) ? 2 : 0) |
                                     ((state & Mod1Mask) ? 4 : 0));
}

// The program's button number: 1 left, 2 right, 4 middle; 0 for wheel steps,
// which are not presses.
std::int16_t ButtonOf(unsigned int button) {
    switch (button) {
        case Button1: return 1;
        case Button3: return 2;
        case Button2: return 4;
        default: return 0;
    }
}

}  // namespace

bool FormDispatch::Dispatch(X11Form& form, XEvent& event) {
    switch (event.type) {
        case ButtonPress:
            OnPress(form, event.xbutton);
            break;
        case ButtonRelease:
            if (event.xbutton.button == Button1) form.OnLeftRelease();
            break;
        case MotionNotify:
            OnMotion(form, event);
            break;
        default:
            OnWindowChange(form, event);
            break;
    }
    return true;  // anything that happens to the window itself
}

void FormDispatch::OnWindowChange(X11Form& form, const XEvent& event) {
    Desktop& d = TheDesktop();
    switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0) form.OnExpose();
            break;
        case ConfigureNotify:
            form.OnConfigure(event.xconfigure);
            break;
        case ReparentNotify:
            form.OnReparent(event.xreparent);
            break;
        case MapNotify:
            form.OnMapped(true);
            form.OnExpose();
            break;
        case UnmapNotify:
            form.OnMapped(false);
            break;
        case VisibilityNotify:
            if (event.xvisibility.state != VisibilityUnobscured) form.OnCovered();
            break;
        case ClientMessage:
            if (event.xclient.message_type == d.atoms.WM_PROTOCOLS &&
                static_cast<Atom>(event.xclient.data.l[0]) == d.atoms.WM_DELETE_WINDOW)
                d.quit = true;  // closed from outside: end without storing the position
            break;
        default:
            break;
    }
}

void FormDispatch::OnPress(X11Form& form, const XButtonEvent& press) {
    const std::int16_t button = ButtonOf(press.button);
    if (button != 0)
        form.OnPress(button, ShiftOf(press.state), static_cast<std::uint32_t>(press.time), {press.x_root, press.y_root},
                     {press.x, press.y});
}

void FormDispatch::OnMotion(X11Form& form, XEvent& event) {
    Display* display = TheDesktop().display;
    // Of a run of motion only the latest position matters. The run ends at
    // any other event: motion after a release is not part of the drag.
    XEvent next;
    while (XEventsQueued(display, QueuedAfterReading) > 0) {
        XPeekEvent(display, &next);
        if (next.type != MotionNotify || next.xany.window != event.xany.window) break;
        XNextEvent(display, &event);
    }
    form.OnPointerMotion(event.xmotion.x_root, event.xmotion.y_root);
}

// NOTE: the desktop's double-click time, where a settings daemon publishes
// a sensible one (XSETTINGS), read once at start.
FormDispatch::FormDispatch() {
    const std::optional<std::int32_t> published = DesktopInteger("Net/DoubleClickTime");
    Driver().doubleClick = DoubleClickDetector(published && *published > 0 && *published <= kLongestDoubleClickMs
                                                   ? static_cast<std::uint32_t>(*published)
                                                   : DoubleClickDetector::kDefaultIntervalMs);
}

}  // namespace platform::x11
