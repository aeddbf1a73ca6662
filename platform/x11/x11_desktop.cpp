// x11_desktop.cpp: window-manager queries, client messages and monitors.
#include "platform/x11/x11_desktop.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/shared/density.h"

namespace platform::x11 {

namespace {

Desktop theDesktop;

// A format-32 property of the root window, as the longs Xlib hands out.
std::vector<unsigned long> RootProperty(Atom property, Atom type, long length) {
    Desktop& d = theDesktop;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(d.display, d.root, property, 0, length, False, type, &actualType, &format, &count,
                           &after, &data) == Success &&
        data != nullptr && format == 32) {
        const auto* longs = reinterpret_cast<unsigned long*>(data);
        values.assign(longs, longs + count);
    }
    if (data != nullptr) XFree(data);
    return values;
}

// A UTF-8 text property of a window; empty when it has none.
std::string Utf8Property(Window window, Atom property) {
    Desktop& d = theDesktop;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(d.display, window, property, 0, 256, False, d.atoms.UTF8_STRING, &actualType, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == 8)
        text.assign(reinterpret_cast<const char*>(data), count);
    if (data != nullptr) XFree(data);
    return text;
}

// A CRTC's rectangle on the root window, when it shows anything.
std::optional<RECT> CrtcRect(XRRScreenResources* resources, RRCrtc id) {
    XRRCrtcInfo* crtc = XRRGetCrtcInfo(theDesktop.display, resources, id);
    if (crtc == nullptr) return std::nullopt;
    std::optional<RECT> rect;
    if (crtc->mode != None && crtc->width > 0 && crtc->height > 0)
        rect = RECT{crtc->x, crtc->y, crtc->x + static_cast<std::int32_t>(crtc->width),
                    crtc->y + static_cast<std::int32_t>(crtc->height)};
    XRRFreeCrtcInfo(crtc);
    return rect;
}

}  // namespace

Desktop& TheDesktop() { return theDesktop; }

X11Form* FormOf(HWND window) {
    const auto found = theDesktop.forms.find(static_cast<Window>(window));
    return found == theDesktop.forms.end() ? nullptr : found->second;
}

namespace {

// The check window that a window manager names on the root. NOTE: EWMH
// has the window name itself too; a property left behind by a manager that
// exited names a window that is gone or not its own.
Window LiveCheckWindow() {
    Desktop& d = theDesktop;
    const std::vector<unsigned long> named = RootProperty(d.atoms.NET_SUPPORTING_WM_CHECK, XA_WINDOW, 1);
    if (named.empty()) return 0;
    const auto check = static_cast<Window>(named.front());
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool namesItself = false;
    if (XGetWindowProperty(d.display, check, d.atoms.NET_SUPPORTING_WM_CHECK, 0, 1, False, XA_WINDOW, &type,
                           &format, &count, &after, &data) == Success &&
        data != nullptr && format == 32 && count == 1)
        namesItself = *reinterpret_cast<unsigned long*>(data) == check;
    if (data != nullptr) XFree(data);
    return namesItself ? check : 0;
}

// Asks for `window`'s destruction to be reported, then makes sure it still
// stands for what `lookup` finds: a window gone in between is never reported.
// NOTE: the root or a window of ours named by another client is no window
// manager, and selecting on it would replace the events we ask for there.
template <typename Lookup>
Window Watched(Lookup lookup) {
    Display* display = theDesktop.display;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Window window = lookup();
        if (window == 0 || window == theDesktop.root || theDesktop.forms.contains(window)) return 0;
        XSelectInput(display, window, StructureNotifyMask);
        XSync(display, False);
        if (lookup() == window) return window;
    }
    return 0;
}

}  // namespace

void WatchWindowManager() {
    Desktop& d = theDesktop;
    d.wmSelectionOwner = Watched([&] { return XGetSelectionOwner(d.display, d.atoms.WM_S); });
    d.wmCheckWindow = Watched(LiveCheckWindow);
    // What a manager that is gone left on the root tells nothing.
    const std::vector<unsigned long> supported =
        d.wmCheckWindow != 0 ? RootProperty(d.atoms.NET_SUPPORTED, XA_ATOM, 4096) : std::vector<unsigned long>{};
    d.wmSupported.assign(supported.begin(), supported.end());
    d.wmName = d.wmCheckWindow != 0 ? Utf8Property(d.wmCheckWindow, d.atoms.NET_WM_NAME) : "";
}

bool ConcernsWindowManager(const XEvent& event) {
    const Desktop& d = theDesktop;
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
    return std::find(theDesktop.wmSupported.begin(), theDesktop.wmSupported.end(), feature) !=
           theDesktop.wmSupported.end();
}

bool WindowManagerKeepsAbove() { return WindowManagerSupports(theDesktop.atoms.NET_WM_STATE_ABOVE); }

bool StandAloneUnderThisManager() {
    const Desktop& d = theDesktop;
    const bool managerRuns = d.wmSelectionOwner != 0 || d.wmCheckWindow != 0;
    // NOTE: EWMH's recommended stacking order puts a focused full-screen
    // window above windows kept above; KWin follows it, where the other
    // desktops keep "above" above everything. sway (and other wlroots
    // compositors) and managers without EWMH offer no "above" at all.
    return managerRuns && (!WindowManagerKeepsAbove() || d.wmName == "KWin");
}

bool CompositorRuns() { return XGetSelectionOwner(theDesktop.display, theDesktop.atoms.NET_WM_CM_S) != None; }

void SendRootMessage(Window window, Atom type, long l0, long l1, long l2, long l3, long l4) {
    Desktop& d = theDesktop;
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

std::vector<RECT> MonitorRects() {
    Desktop& d = theDesktop;
    std::vector<RECT> monitors;
    if (d.hasRandr) {
        if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d.display, d.root)) {
            for (int i = 0; i < resources->ncrtc; ++i)
                if (const auto rect = CrtcRect(resources, resources->crtcs[i])) monitors.push_back(*rect);
            XRRFreeScreenResources(resources);
        }
    }
    if (monitors.empty())
        monitors.push_back({0, 0, DisplayWidth(d.display, d.screen), DisplayHeight(d.display, d.screen)});
    return monitors;
}

RECT PrimaryMonitorRect() {
    Desktop& d = theDesktop;
    std::optional<RECT> primary;
    if (d.hasRandr) {
        if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d.display, d.root)) {
            const RROutput output = XRRGetOutputPrimary(d.display, d.root);
            if (XRROutputInfo* info = output != None ? XRRGetOutputInfo(d.display, resources, output) : nullptr) {
                if (info->crtc != None) primary = CrtcRect(resources, info->crtc);
                XRRFreeOutputInfo(info);
            }
            XRRFreeScreenResources(resources);
        }
    }
    return primary ? *primary : MonitorRects().front();
}

bool IsXwayland() {
    Desktop& d = theDesktop;
    int opcode = 0, event = 0, error = 0;
    if (XQueryExtension(d.display, "XWAYLAND", &opcode, &event, &error)) return true;
    bool named = false;
    if (d.hasRandr) {
        if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d.display, d.root)) {
            for (int i = 0; i < resources->noutput && !named; ++i) {
                if (XRROutputInfo* info = XRRGetOutputInfo(d.display, resources, resources->outputs[i])) {
                    named = std::string_view(info->name, static_cast<std::size_t>(info->nameLen)).starts_with("XWAYLAND");
                    XRRFreeOutputInfo(info);
                }
            }
            XRRFreeScreenResources(resources);
        }
    }
    return named;
}

void ReadDensity() {
    Desktop& d = theDesktop;
    // The resources came with the connection: no round trip.
    const char* resources = XResourceManagerString(d.display);
    const std::string text = resources != nullptr ? resources : "";
    double dpi = 96;
    for (std::size_t at = 0; (at = text.find("Xft.dpi:", at)) != std::string::npos; at += 8)
        if (at == 0 || text[at - 1] == '\n') dpi = std::atof(text.c_str() + at + 8);
    d.density = DensityOfDpi(dpi);
}

void ReadOrigin() {
    const RECT primary = PrimaryMonitorRect();
    theDesktop.origin = {primary.left, primary.top};
}

namespace {

// Rounds towards minus infinity, also for negative numbers.
std::int32_t FloorDivide(std::int64_t value, std::int32_t by) {
    return static_cast<std::int32_t>(value >= 0 ? value / by : -((-value + by - 1) / by));
}

int ToRoot(std::int32_t program, std::int32_t origin) {
    return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{program} * theDesktop.density + origin, INT32_MIN,
                                                     INT32_MAX));
}

}  // namespace

POINTAPI ProgramPoint(int rootX, int rootY) {
    const Desktop& d = theDesktop;
    return {FloorDivide(std::int64_t{rootX} - d.origin.x, d.density),
            FloorDivide(std::int64_t{rootY} - d.origin.y, d.density)};
}

int RootX(std::int32_t programX) { return ToRoot(programX, theDesktop.origin.x); }
int RootY(std::int32_t programY) { return ToRoot(programY, theDesktop.origin.y); }

RECT ProgramRect(const RECT& root) {
    const POINTAPI topLeft = ProgramPoint(root.left, root.top);
    const POINTAPI bottomRight =
        ProgramPoint(root.right + theDesktop.density - 1, root.bottom + theDesktop.density - 1);
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

}  // namespace platform::x11
