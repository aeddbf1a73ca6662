// pointer_reporter.cpp: whether KWin runs the program's script or GNOME
// Shell runs its extension, asked over the session bus.
#include "tools/wayland_desktop/pointer_reporter.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string_view>

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

bool GnomeExtensionRuns(SessionBus& bus) {
    for (const char* uuid : {"zwinkerle@quorl.example", "zwinkerle-gnome43@quorl.example"}) {
        BusMessage reply = bus.Call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions",
                                    "GetExtensionInfo", "s", uuid);
        double state = 0;
        // a{sv}, "state" a double: 1 once the shell runs it.
        if (sd_bus_message_enter_container(reply.get(), 'a', "{sv}") <= 0) continue;
        while (sd_bus_message_enter_container(reply.get(), 'e', "sv") > 0) {
            const char* key = nullptr;
            if (sd_bus_message_read(reply.get(), "s", &key) > 0 && std::string_view(key) == "state")
                sd_bus_message_read(reply.get(), "v", "d", &state);
            else
                sd_bus_message_skip(reply.get(), "v");
            sd_bus_message_exit_container(reply.get());
        }
        if (state == 1) return true;
    }
    return false;
}

std::string WaitForPointerReporter(const Compositor& desktop, pid_t pid, std::chrono::milliseconds timeout) {
    if (desktop.Kind() == CompositorKind::Sway) return "";
    SessionBus bus(desktop.BusAddress());
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto left = [&] {
        return std::max(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()),
                        std::chrono::milliseconds(0));
    };
    if (desktop.Kind() == CompositorKind::Gnome)
        return WaitUntil([&] { return GnomeExtensionRuns(bus); }, left()) ? "" : "the extension is not on";
    std::string busName;
    if (!WaitUntil([&] { return !(busName = BusNameOf(bus, pid)).empty(); }, left())) return "not on the bus";
    return WaitUntil([&] { return KWinRunsScriptOf(bus, busName); }, left()) ? "" : "no script loaded";
}

}  // namespace e2e
