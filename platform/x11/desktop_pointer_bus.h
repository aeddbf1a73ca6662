// desktop_pointer_bus.h: the session-bus side of DesktopPointer, with
// sd-bus, in three parts: the connection and what the loop asks of it
// (desktop_pointer_bus.cpp), the KWin script (desktop_pointer_kwin.cpp)
// and the GNOME Shell extension (desktop_pointer_gnome_shell.cpp).
#pragma once

#include <systemd/sd-bus.h>

#include <optional>
#include <string>

#include "platform/x11/desktop_pointer.h"

namespace platform::x11 {

// Where the program listens: the KWin script calls this object, the
// extension signals from a path of the same name.
constexpr const char* kPointerPath = "/example/quorl/Zwinkerle/Pointer";
constexpr const char* kPointerInterface = "example.quorl.Zwinkerle.Pointer";
// The bus itself, which tells who owns a name.
constexpr const char* kBusName = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";

struct DesktopPointer::Bus {
    ~Bus();

    sd_bus* bus = nullptr;
    std::optional<POINTAPI> reported;
    bool stopped = false;  // the extension that reported went away

    // KDE Plasma: a script this copy loads into KWin calls it with each
    // position (desktop_pointer_kwin.cpp).
    // Serves the object the script calls.
    bool ServeKWinScript();
    // Asks who KWin is; once it answers, loads and starts the script.
    bool FindKWin();
    // Answers the script's last call: it may send the next.
    void Answer();
    // Unloads the script, if KWin was asked to load it; sent, not waited for.
    void UnloadScript();
    void RemoveScriptFile();
    // Writes the script with our bus name and secret, loads and starts it.
    void LoadScript();
    // What the script's calls must carry: random, this copy's alone.
    static std::string NewSecret();
    // The script's call with a position.
    static int OnCall(sd_bus_message* message, void* userdata, sd_bus_error* error);
    static int OnKWinFound(sd_bus_message* reply, void* userdata, sd_bus_error*);
    static int OnScriptLoaded(sd_bus_message* reply, void* userdata, sd_bus_error*);

    sd_bus_slot* kwinObject = nullptr;
    sd_bus_slot* scriptLoad = nullptr;
    std::string kwinOwner;       // KWin's unique name, once it answered
    std::string secret = NewSecret();
    std::string plugin;          // the script's name in KWin, after our bus name: never used twice
    std::string scriptFile;      // removed once the script runs: KWin reads it when it gets round to it
    bool scriptAsked = false;    // KWin was asked to load it: it may have, though its answer has yet to come
    sd_bus_message* unanswered = nullptr;  // the script's last call, answered at Acknowledge

    // GNOME Shell: the program's extension signals each position
    // (desktop_pointer_gnome_shell.cpp).
    // Listens to its signals and to who owns its name.
    bool WatchExtension();
    // The extension's signal with a position.
    static int OnSignal(sd_bus_message* message, void* userdata, sd_bus_error*);
    // The extension's name changed hands, or its owner was found.
    static int OnExtensionOwner(sd_bus_message* message, void* userdata, sd_bus_error*);
    static int OnExtensionOwnerFound(sd_bus_message* reply, void* userdata, sd_bus_error*);

    sd_bus_slot* extensionSignals = nullptr;
    sd_bus_slot* extensionOwnerChanges = nullptr;
    sd_bus_slot* extensionOwnerQuery = nullptr;
    std::string extensionOwner;  // the extension's owner, while there is one

    static Bus& Of(void* userdata) { return *static_cast<Bus*>(userdata); }
};

}  // namespace platform::x11
