// x11_monitors.cpp: RandR's CRTCs and outputs as monitor rectangles, the
// primary output, and Xwayland's monitor names.
#include "platform/x11/x11_monitors.h"

#include <X11/extensions/Xrandr.h>

#include <optional>
#include <string_view>

#include "platform/x11/x11_desktop.h"

namespace platform::x11 {

namespace {

// A CRTC's rectangle on the root window, when it shows anything.
std::optional<RECT> CrtcRect(XRRScreenResources* resources, RRCrtc id) {
    XRRCrtcInfo* crtc = XRRGetCrtcInfo(TheDesktop().display, resources, id);
    if (crtc == nullptr) return std::nullopt;
    std::optional<RECT> rect;
    if (crtc->mode != None && crtc->width > 0 && crtc->height > 0)
        rect = RECT{crtc->x, crtc->y, crtc->x + static_cast<std::int32_t>(crtc->width),
                    crtc->y + static_cast<std::int32_t>(crtc->height)};
    XRRFreeCrtcInfo(crtc);
    return rect;
}

}  // namespace

std::vector<RECT> MonitorRects() {
    const Desktop& d = TheDesktop();
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
    const Desktop& d = TheDesktop();
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
    const Desktop& d = TheDesktop();
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

}  // namespace platform::x11
