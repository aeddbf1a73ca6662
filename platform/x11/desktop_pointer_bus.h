// desktop_pointer_bus.h: the session-bus side of DesktopPointer, with
// sd-bus: the connection and what the loop asks of it
// (desktop_pointer_bus.cpp), which desktop serves our display
// (desktop_pointer_find.cpp), the object the desktop calls with its reports
// (desktop_pointer_reports.cpp), the KWin script (desktop_pointer_kwin.cpp)
// and the GNOME Shell extension (desktop_pointer_gnome_shell.cpp).
#pragma once

#include <systemd/sd-bus.h>
#include <sys/types.h>

#include <string>

#include "platform/x11/desktop_pointer.h"
#include "platform/x11/desktop_pointer_trust.h"

namespace platform::x11 {

// Where the program listens: the desktop calls this object.
constexpr const char* kPointerPath = "/example/quorl/Zwinkerle/Pointer";
constexpr const char* kPointerInterface = "example.quorl.Zwinkerle.Pointer";
// The bus itself, which tells who owns a name.
constexpr const char* kBusName = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";
// The desktops' names, in the order of Bus::owners.
constexpr const char* kDesktopNames[] = {"org.gnome.Shell", "org.kde.KWin"};
enum : int { kShell = 0, kKWin = 1 };

struct DesktopPointer::Bus {
    ~Bus();

    sd_bus* bus = nullptr;
    News news;  // since the loop last asked
    std::string secret = NewSecret();
    std::string desktop;  // the unique name of the desktop believed, once found

    // Which desktop (desktop_pointer_find.cpp): the owners of the desktops'
    // names, and which of them, if any, serves our X display.
    // Asks the bus who owns each name and which process that is.
    bool FindDesktop();
    // A name's owner and its process are known, or that nobody owns it.
    void Answered();
    // Starts with the desktop found; leaves the bus where there is none.
    void Choose();
    struct Question {
        Bus* bus;
        int name;  // kShell or kKWin
    };
    static int OnNameOwner(sd_bus_message* reply, void* question, sd_bus_error*);
    static int OnOwnerProcess(sd_bus_message* reply, void* question, sd_bus_error*);

    pid_t listener = 0;  // the process that listens on the X server's socket
    Question questions[2] = {{this, kShell}, {this, kKWin}};
    std::string ownerNames[2];
    NameOwner owners[2];
    int questionsLeft = 2;
    bool nothingHere = false;  // no desktop reports: the bus is left alone

    // The object the desktop calls (desktop_pointer_reports.cpp).
    bool ServeReports();
    // Answers the desktop's last position: it may send the next.
    void Answer();
    // The desktop stopped reporting.
    void Stopped();
    // Random, this copy's alone; what the desktop's calls must carry.
    static std::string NewSecret();
    // Moved(secret, x, y) and Covered(secret).
    static int OnCall(sd_bus_message* message, void* userdata, sd_bus_error* error);
    // Whether a call comes from the desktop's connection with our secret.
    bool FromTheDesktop(sd_bus_message* message) const;

    sd_bus_slot* reports = nullptr;
    sd_bus_message* unanswered = nullptr;  // the desktop's last Moved, answered at Acknowledge

    // KDE Plasma: a script this copy loads into KWin (desktop_pointer_kwin.cpp).
    // Writes the script with our bus name, secret and process, loads and starts it.
    void LoadScript();
    // Unloads the script, if KWin was asked to load it; sent, not waited for.
    void UnloadScript();
    void RemoveScriptFile();
    static int OnScriptLoaded(sd_bus_message* reply, void* userdata, sd_bus_error*);

    sd_bus_slot* scriptLoad = nullptr;
    std::string plugin;       // the script's name in KWin, after our bus name: never used twice
    std::string scriptFile;   // removed once the script runs: KWin reads it when it gets round to it
    bool scriptAsked = false; // KWin was asked to load it: it may have, though its answer has yet to come

    // GNOME Shell: the program's extension (desktop_pointer_gnome_shell.cpp).
    // Follows who owns the shell's name and what the shell says of its extensions.
    bool FollowShell();
    // Asks the extension in the shell to report to this copy.
    void AskForReports();
    static int OnShellOwner(sd_bus_message* message, void* userdata, sd_bus_error*);
    static int OnShellProcess(sd_bus_message* reply, void* userdata, sd_bus_error*);
    static int OnExtensionState(sd_bus_message* message, void* userdata, sd_bus_error*);

    sd_bus_slot* shellOwnerChanges = nullptr;
    sd_bus_slot* extensionStates = nullptr;
    std::string shellCandidate;  // the shell's name's new owner, until its process is known
    int shellQuestions = 0;      // asked about new owners, not yet answered

    static Bus& Of(void* userdata) { return *static_cast<Bus*>(userdata); }
};

// The process at the far end of a local socket: for the X server's socket,
// the one that listens on it. 0 where unknown.
pid_t ListenerOf(int socket);
// A process's parent; 0 where unknown.
pid_t ParentOf(pid_t process);

}  // namespace platform::x11
