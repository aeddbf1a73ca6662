// pointer_reporter.cpp: whether KWin runs the program's script or GNOME
// Shell has its extension on, asked over the session bus.
#include "tools/wayland_desktop/pointer_reporter.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>

#include "tools/x_desktop/x_desktop.h"

namespace e2e {

std::string BusNameOf(SessionBus& bus, pid_t pid) {
    BusMessage names = bus.Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "ListNames", "");
    char** list = nullptr;
    std::string found;
    if (sd_bus_message_read_strv(names.get(), &list) < 0) return found;
    for (char** name = list; *name != nullptr; ++name) {
        if ((*name)[0] == ':' && found.empty()) {
            try {
                BusMessage owner = bus.Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                            "GetConnectionUnixProcessID", "s", *name);
                std::uint32_t id = 0;
                if (sd_bus_message_read(owner.get(), "u", &id) > 0 && static_cast<pid_t>(id) == pid) found = *name;
            } catch (const std::exception&) {  // gone meanwhile
            }
        }
        std::free(*name);
    }
    std::free(list);
    return found;
}

bool KWinRunsScriptOf(SessionBus& bus, const std::string& program) {
    std::string name = "zwinkerle-pointer-" + program.substr(1);
    std::replace(name.begin(), name.end(), '.', '-');
    BusMessage reply = bus.Call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "isScriptLoaded", "s", name.c_str());
    int loaded = 0;
    return sd_bus_message_read(reply.get(), "b", &loaded) > 0 && loaded != 0;
}

std::string WaitForPointerReporter(const Compositor& desktop, pid_t pid, std::chrono::milliseconds timeout) {
    if (desktop.Kind() == CompositorKind::Sway) return "";
    SessionBus bus(desktop.BusAddress());
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto left = [&] {
        return std::max(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()),
                        std::chrono::milliseconds(0));
    };
    if (desktop.Kind() == CompositorKind::Gnome) {
        const bool on = WaitUntil([&] {
            BusMessage reply = bus.Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                        "NameHasOwner", "s", "example.quorl.Zwinkerle.Pointer");
            int owned = 0;
            return sd_bus_message_read(reply.get(), "b", &owned) > 0 && owned != 0;
        }, left());
        return on ? "" : "the extension is not on";
    }
    std::string busName;
    if (!WaitUntil([&] { return !(busName = BusNameOf(bus, pid)).empty(); }, left())) return "not on the bus";
    return WaitUntil([&] { return KWinRunsScriptOf(bus, busName); }, left()) ? "" : "no script loaded";
}

}  // namespace e2e
