// x11_window_manager.cpp: finding and watching the window manager (ICCCM's
// WM_S<n> selection, EWMH's check window and _NET_SUPPORTED), the
// compositing manager's selection, and client messages to the root.
#include "platform/x11/x11_window_manager.h"

#include <X11/Xatom.h>

#include <algorithm>

#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_property.h"

namespace platform::x11 {

namespace {

constexpr long kMostSupported = 4096;  // atoms of _NET_SUPPORTED read
constexpr int kWatchAttempts = 3;      // a window that keeps changing under us is not watched

// The check window that a window manager names on the root. NOTE: EWMH
// has the window name itself too; a property left behind by a manager that
// exited names a window that is gone or not its own.
Window LiveCheckWindow() {
    const Desktop& d = TheDesktop();
    const Property named(d.root, d.atoms.NET_SUPPORTING_WM_CHECK, XA_WINDOW, 1);
    if (named.Longs().empty()) return 0;
    const auto check = static_cast<Window>(named.Longs().front());
    const Property own(check, d.atoms.NET_SUPPORTING_WM_CHECK, XA_WINDOW, 1);
    const bool namesItself = own.Longs().size() == 1 && own.Longs().front() == check;
    return namesItself ? check : 0;
}

// Asks for `window`'s destruction to be reported, then makes sure it still
// stands for what `lookup` finds: a window gone in between is never reported.
// NOTE: the root or a window of ours named by another client is no window
// manager, and selecting on it would replace the events we ask for there.
template <typename Lookup>
Window Watched(Lookup lookup) {
    const Desktop& d = TheDesktop();
    for (int attempt = 0; attempt < kWatchAttempts; ++attempt) {
        const Window window = lookup();
        if (window == 0 || window == d.root || FormOf(window) != nullptr) return 0;
        XSelectInput(d.display, window, StructureNotifyMask);
        XSync(d.display, False);
        if (lookup() == window) return window;
    }
    return 0;
}

}  // namespace

void WatchWindowManager() {
    Desktop& d = TheDesktop();
    d.wmSelectionOwner = Watched([&] { return XGetSelectionOwner(d.display, d.atoms.WM_S); });
    d.wmCheckWindow = Watched(LiveCheckWindow);
    // What a manager that is gone left on the root tells nothing.
    d.wmSupported.clear();
    if (d.wmCheckWindow != 0) {
        const Property supported(d.root, d.atoms.NET_SUPPORTED, XA_ATOM, kMostSupported);
        d.wmSupported.assign(supported.Longs().begin(), supported.Longs().end());
    }
}

bool ConcernsWindowManager(const XEvent& event) {
    const Desktop& d = TheDesktop();
    switch (event.type) {
        case DestroyNotify:
            return event.xdestroywindow.window != 0 && (event.xdestroywindow.window == d.wmSelectionOwner ||
                                                        event.xdestroywindow.window == d.wmCheckWindow);
        case PropertyNotify:
            return event.xproperty.window == d.root && (event.xproperty.atom == d.atoms.NET_SUPPORTING_WM_CHECK ||
                                                        event.xproperty.atom == d.atoms.NET_SUPPORTED);
        case ClientMessage:  // ICCCM: a new manager announces itself on the root
            return event.xclient.window == d.root && event.xclient.message_type == d.atoms.MANAGER &&
                   static_cast<Atom>(event.xclient.data.l[1]) == d.atoms.WM_S;
        default:
            return false;
    }
}

bool WindowManagerSupports(Atom feature) {
    const Desktop& d = TheDesktop();
    return std::find(d.wmSupported.begin(), d.wmSupported.end(), feature) != d.wmSupported.end();
}

bool WindowManagerKeepsAbove() { return WindowManagerSupports(TheDesktop().atoms.NET_WM_STATE_ABOVE); }

bool StandAloneUnderThisManager() {
    const Desktop& d = TheDesktop();
    const bool managerRuns = d.wmSelectionOwner != 0 || d.wmCheckWindow != 0;
    // NOTE: sway (before 1.12) and managers without EWMH offer no "above"
    // at all. One that offers it is tried first, and left once it does not
    // do as asked (x11_form_place.cpp, x11_stacking.cpp).
    return managerRuns && !WindowManagerKeepsAbove();
}

bool CompositorRuns() {
    const Desktop& d = TheDesktop();
    return XGetSelectionOwner(d.display, d.atoms.NET_WM_CM_S) != None;
}

void SendRootMessage(Window window, Atom type, long l0, long l1, long l2, long l3, long l4) {
    const Desktop& d = TheDesktop();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(d.display, d.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

}  // namespace platform::x11
