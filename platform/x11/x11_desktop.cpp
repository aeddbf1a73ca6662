// x11_desktop.cpp: window-manager queries, client messages and monitors.
#include "platform/x11/x11_desktop.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include "platform/x11/x11_form.h"

namespace platform::x11 {

namespace {
Desktop theDesktop;

// The window a compliant window manager names on the root, if it is alive.
Window WindowManagerCheckWindow() {
    Desktop& d = theDesktop;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window check = None;
    if (XGetWindowProperty(d.display, d.root, d.atoms.NET_SUPPORTING_WM_CHECK, 0, 1, False, XA_WINDOW, &type,
                           &format, &count, &after, &data) == Success &&
        data != nullptr && count == 1 && format == 32)
        check = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    if (data != nullptr) XFree(data);
    return check;
}
}  // namespace

Desktop& TheDesktop() { return theDesktop; }

X11Form* FormOf(HWND window) {
    const auto found = theDesktop.forms.find(static_cast<Window>(window));
    return found == theDesktop.forms.end() ? nullptr : found->second;
}

bool WindowManagerRuns() { return WindowManagerCheckWindow() != None; }

bool WindowManagerSupports(Atom feature) {
    Desktop& d = theDesktop;
    if (!WindowManagerRuns()) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool supported = false;
    if (XGetWindowProperty(d.display, d.root, d.atoms.NET_SUPPORTED, 0, 4096, False, XA_ATOM, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == 32) {
        const auto* atoms = reinterpret_cast<unsigned long*>(data);
        for (unsigned long i = 0; i < count && !supported; ++i) supported = atoms[i] == feature;
    }
    if (data != nullptr) XFree(data);
    return supported;
}

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
            for (int i = 0; i < resources->ncrtc; ++i) {
                XRRCrtcInfo* crtc = XRRGetCrtcInfo(d.display, resources, resources->crtcs[i]);
                if (crtc == nullptr) continue;
                if (crtc->mode != None && crtc->width > 0 && crtc->height > 0)
                    monitors.push_back({crtc->x, crtc->y, crtc->x + static_cast<std::int32_t>(crtc->width),
                                        crtc->y + static_cast<std::int32_t>(crtc->height)});
                XRRFreeCrtcInfo(crtc);
            }
            XRRFreeScreenResources(resources);
        }
    }
    if (monitors.empty())
        monitors.push_back({0, 0, DisplayWidth(d.display, d.screen), DisplayHeight(d.display, d.screen)});
    return monitors;
}

RECT PrimaryMonitorRect() {
    Desktop& d = theDesktop;
    if (d.hasRandr) {
        RECT primary{};
        bool found = false;
        if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d.display, d.root)) {
            const RROutput output = XRRGetOutputPrimary(d.display, d.root);
            if (output != None) {
                if (XRROutputInfo* info = XRRGetOutputInfo(d.display, resources, output)) {
                    if (info->crtc != None) {
                        if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(d.display, resources, info->crtc)) {
                            if (crtc->width > 0) {
                                primary = {crtc->x, crtc->y, crtc->x + static_cast<std::int32_t>(crtc->width),
                                           crtc->y + static_cast<std::int32_t>(crtc->height)};
                                found = true;
                            }
                            XRRFreeCrtcInfo(crtc);
                        }
                    }
                    XRRFreeOutputInfo(info);
                }
            }
            XRRFreeScreenResources(resources);
        }
        if (found) return primary;
    }
    return MonitorRects().front();
}

}  // namespace platform::x11
