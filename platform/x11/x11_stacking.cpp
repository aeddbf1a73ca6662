// x11_stacking.cpp: _NET_WM_STATE_ABOVE and _STICKY as a property and as
// client messages, and our own restacking among the root's children where
// no window manager keeps the window above.
#include "platform/x11/x11_stacking.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <vector>

#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_window_manager.h"

namespace platform::x11 {

namespace {

struct Neighbour {
    Window window;
    bool overrideRedirect;
    bool aboveUs;
    bool showsNothing;  // input only
};

// The mapped top-level windows other than ours that overlap `rect`, bottom
// to top.
std::vector<Neighbour> Neighbours(Window ours, const RECT& rect) {
    const Desktop& d = TheDesktop();
    std::vector<Neighbour> found;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d.display, d.root, &root, &parent, &children, &count)) return found;
    bool aboveUs = false;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a{};
        if (children[i] == ours) {
            aboveUs = true;
        } else if (XGetWindowAttributes(d.display, children[i], &a) && a.map_state == IsViewable) {
            const int right = a.x + a.width + 2 * a.border_width, bottom = a.y + a.height + 2 * a.border_width;
            if (a.x < rect.right && rect.left < right && a.y < rect.bottom && rect.top < bottom)
                found.push_back({children[i], a.override_redirect != 0, aboveUs, a.c_class == InputOnly});
        }
    }
    if (children != nullptr) XFree(children);
    return found;
}

// The root's child that holds `window`: its window manager's frame, or itself.
Window TopLevel(Window window) {
    const Desktop& d = TheDesktop();
    for (int depth = 0; depth < 8; ++depth) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(d.display, window, &root, &parent, &children, &count)) return window;
        if (children != nullptr) XFree(children);
        if (parent == d.root || parent == 0) return window;
        window = parent;
    }
    return window;
}

void Restack(Window window, Window sibling, int mode) {
    XWindowChanges changes{};
    changes.sibling = sibling;
    changes.stack_mode = mode;
    XConfigureWindow(TheDesktop().display, window, CWSibling | CWStackMode, &changes);
}

}  // namespace

bool Stacking::KeptAboveByManager() const { return !standAlone_ && WindowManagerKeepsAbove(); }

void Stacking::MakeTopmost(Window window, bool mapped) {
    const Desktop& d = TheDesktop();
    topmost_ = true;
    if (!mapped) {
        // Read by the window manager when the window is mapped: above other
        // windows, and where the desktop scrolls, fixed on the screen.
        const Atom states[] = {d.atoms.NET_WM_STATE_ABOVE, d.atoms.NET_WM_STATE_STICKY};
        XChangeProperty(d.display, window, d.atoms.NET_WM_STATE, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(states), 2);
    } else if (!standAlone_) {
        AskToStayAbove(window);
    }
    if (KeptAboveByManager())
        XRaiseWindow(d.display, window);
    else
        covered_ = true;  // KeepAbove knows which windows to stay under
}

void Stacking::Map(Window window, const RECT& rect) {
    const Desktop& d = TheDesktop();
    if (KeptAboveByManager()) {
        XMapRaised(d.display, window);
        return;
    }
    // Nobody stacks us: start under any override-redirect window that is up
    // (a lock screen, say) and rise above ordinary ones at the next tick.
    const std::vector<Neighbour> neighbours = Neighbours(window, rect);
    const auto lowest = std::find_if(neighbours.begin(), neighbours.end(),
                                     [](const Neighbour& n) { return n.overrideRedirect; });
    if (lowest != neighbours.end()) Restack(window, lowest->window, Below);
    XMapWindow(d.display, window);
    covered_ = true;
}

void Stacking::OnShow(Window window) {
    if (topmost_ && !standAlone_) AskToStayAbove(window);
}

void Stacking::AskToStayAbove(Window window) {
    const Desktop& d = TheDesktop();
    SendRootMessage(window, d.atoms.NET_WM_STATE, kStateAdd, static_cast<long>(d.atoms.NET_WM_STATE_ABOVE),
                    static_cast<long>(d.atoms.NET_WM_STATE_STICKY), kSourceApplication, 0);
    SendRootMessage(window, d.atoms.NET_WM_DESKTOP, static_cast<long>(kAllDesktops), kSourceApplication, 0, 0, 0);
}

Stacking::Cover Stacking::KeepAbove(Window window, const RECT& rect, bool onRoot) {
    if (!covered_) return Cover::Unchanged;
    covered_ = false;
    const bool managed = KeptAboveByManager();
    if (!managed && !onRoot) return Cover::Nothing;
    // NOTE: override-redirect windows (menus, tooltips, lock screens) belong
    // above us; an ordinary window above us covers us.
    const std::vector<Neighbour> neighbours = Neighbours(managed ? TopLevel(window) : window, rect);
    const auto cover = std::find_if(neighbours.rbegin(), neighbours.rend(),
                                    [](const Neighbour& n) { return n.aboveUs && !n.overrideRedirect; });
    if (cover == neighbours.rend()) return Cover::Nothing;
    // A manager asked to keep us above that lets another window cover us
    // does not do as it says.
    if (managed) return Cover::ByManager;
    // We go just above the topmost ordinary window that covers us.
    Restack(window, cover->window, Above);
    return Cover::RaisedOver;
}

Window TopmostInputOnlyAbove(Window window, const RECT& rect) {
    const std::vector<Neighbour> neighbours = Neighbours(window, rect);
    const auto found = std::find_if(neighbours.rbegin(), neighbours.rend(),
                                    [](const Neighbour& n) { return n.aboveUs && n.showsNothing; });
    return found == neighbours.rend() ? 0 : found->window;
}

}  // namespace platform::x11
