// desktop_pointer_gnome_shell.cpp: the pointer from GNOME Shell: the
// program's extension (gnome_shell/) signals each position from a name of
// its own; only signals from that name's owner count, and its going away
// means the desktop stopped reporting.
#include <string>
#include <string_view>

#include "platform/x11/desktop_pointer_bus.h"

namespace platform::x11 {

namespace {

constexpr const char* kExtensionName = "example.quorl.Zwinkerle.Pointer";  // owned by the extension

}  // namespace

bool DesktopPointer::Bus::WatchExtension() {
    const std::string signals = std::string("type='signal',sender='") + kExtensionName + "',path='" + kPointerPath +
                                "',interface='" + kPointerInterface + "',member='Moved'";
    const std::string ownerChanges = std::string("type='signal',sender='") + kBusName +
                                     "',member='NameOwnerChanged',arg0='" + kExtensionName + "'";
    return sd_bus_add_match_async(bus, &extensionSignals, signals.c_str(), OnSignal, nullptr, this) >= 0 &&
           sd_bus_add_match_async(bus, &extensionOwnerChanges, ownerChanges.c_str(), OnExtensionOwner, nullptr,
                                  this) >= 0 &&
           sd_bus_call_method_async(bus, &extensionOwnerQuery, kBusName, kBusPath, kBusName, "GetNameOwner",
                                    OnExtensionOwnerFound, this, "s", kExtensionName) >= 0;
}

// The extension's signal: Moved(x, y).
int DesktopPointer::Bus::OnSignal(sd_bus_message* message, void* userdata, sd_bus_error*) {
    Bus& b = Of(userdata);
    const char* sender = sd_bus_message_get_sender(message);
    POINTAPI at{};
    if (b.extensionOwner.empty() || sender == nullptr || b.extensionOwner != sender ||
        sd_bus_message_read(message, "ii", &at.x, &at.y) <= 0)
        return 0;
    b.reported = at;
    return 0;
}

int DesktopPointer::Bus::OnExtensionOwner(sd_bus_message* message, void* userdata, sd_bus_error*) {
    Bus& b = Of(userdata);
    // NOTE: only the bus itself says who owns a name. A signal addressed to
    // us reaches us whatever the match says, so a forged one is possible.
    const char* sender = sd_bus_message_get_sender(message);
    if (sender == nullptr || std::string_view(sender) != kBusName) return 0;
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &before, &after) <= 0 || after == nullptr) return 0;
    if (after[0] == '\0' && !b.extensionOwner.empty()) b.stopped = true;
    b.extensionOwner = after;
    return 0;
}

int DesktopPointer::Bus::OnExtensionOwnerFound(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    const char* owner = nullptr;
    if (!sd_bus_message_is_method_error(reply, nullptr) && sd_bus_message_read(reply, "s", &owner) > 0 &&
        owner != nullptr)
        Of(userdata).extensionOwner = owner;
    return 0;
}

}  // namespace platform::x11
