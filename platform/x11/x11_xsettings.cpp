// x11_xsettings.cpp: the XSETTINGS manager's property, from the server.
#include "platform/x11/x11_xsettings.h"

#include <X11/Xlib.h>

#include <string>

#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_property.h"
#include "platform/x11/xsettings_data.h"

namespace platform::x11 {

namespace {

constexpr long kMostUnits = 1 << 20;  // 32-bit units of the property read

}  // namespace

std::optional<std::int32_t> DesktopInteger(std::string_view name) {
    const Desktop& d = TheDesktop();
    const std::string selection = "_XSETTINGS_S" + std::to_string(d.screen);
    const Window manager = XGetSelectionOwner(d.display, XInternAtom(d.display, selection.c_str(), False));
    if (manager == None) return std::nullopt;
    const Atom settings = XInternAtom(d.display, "_XSETTINGS_SETTINGS", False);
    return XSettingsInteger(Property(manager, settings, settings, kMostUnits).Bytes(), name);
}

}  // namespace platform::x11
