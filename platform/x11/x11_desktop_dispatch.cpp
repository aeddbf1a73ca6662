// x11_desktop_dispatch.cpp: a window manager that comes or goes (a drag it
// was making is ours then), windows mapped, moved or raised on the root
// (they may cover ours), a frame that moves ours, and RandR's monitor
// changes.
#include "platform/x11/x11_desktop_dispatch.h"

#include <X11/extensions/Xrandr.h>

#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_form.h"
#include "platform/x11/x11_program_pixels.h"
#include "platform/x11/x11_window_manager.h"

namespace platform::x11 {

namespace {

void OnWindowManagerChange() {
    const Desktop& d = TheDesktop();
    const Window before = d.wmCheckWindow;
    WatchWindowManager();
    if (d.wmCheckWindow != before)  // a move it was making is ours now
        for (X11Form* dragged : FormsAs<X11Form>()) dragged->TakeOverDrag();
}

// NOTE: when no window manager keeps us above, a window mapped, moved or
// raised over ours need not change our visibility state (we may be
// partly hidden already), so every such change counts as a cover.
bool OnTopLevelChange(const XEvent& event) {
    Window subject = 0;
    switch (event.type) {
        case MapNotify: subject = event.xmap.window; break;
        case ConfigureNotify: subject = event.xconfigure.window; break;
        case CirculateNotify: subject = event.xcirculate.window; break;
        default: return false;
    }
    if (FormOf(subject) != nullptr || FormCaughtBy(subject) != nullptr) return false;
    bool covered = false;
    for (X11Form* form : FormsAs<X11Form>()) {
        // A window that moved or restacked elsewhere cannot cover us; the
        // check of who covers costs a round trip for every window there is.
        const XConfigureEvent& c = event.xconfigure;
        if (event.type == ConfigureNotify &&
            !form->Overlaps(c.x, c.y, c.width + 2 * c.border_width, c.height + 2 * c.border_width))
            continue;
        form->OnCovered();
        covered = true;
    }
    return covered;
}

// The window manager's frame `frame` moved: so did the forms in it.
bool OnFrameConfigure(Window frame) {
    bool moved = false;
    for (X11Form* framed : FormsAs<X11Form>())
        if (framed->Parent() == frame) {
            framed->OnFrameConfigure();
            moved = true;
        }
    return moved;
}

}  // namespace

bool IsMonitorChange(const XEvent& event) {
    const Desktop& d = TheDesktop();
    return d.hasRandr && event.type >= d.randrEventBase && event.type <= d.randrEventBase + RRNotify;
}

bool OnMonitorChange(XEvent& event) {
    XRRUpdateConfiguration(&event);
    ReadOrigin();  // where the program's pixels start may change too
    for (X11Form* form : FormsAs<X11Form>()) {
        if (form->Catcher() != nullptr) form->Catcher()->FitScreen();
        form->KeepOnMonitors();
    }
    return true;
}

bool OnDesktopEvent(const XEvent& event) {
    if (ConcernsWindowManager(event)) OnWindowManagerChange();
    if (event.xany.window == TheDesktop().root) return OnTopLevelChange(event);
    return event.type == ConfigureNotify && OnFrameConfigure(event.xany.window);
}

}  // namespace platform::x11
