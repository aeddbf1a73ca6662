// desktop_pointer_find.cpp: which desktop serves our X display, as the bus
// and the X server's socket tell it: the owners of KWin's and GNOME Shell's
// names, their processes, and the process that listens on the X socket
// (desktop_pointer_trust.h).
#include <sys/socket.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/x11/desktop_pointer_bus.h"

namespace platform::x11 {

pid_t ListenerOf(int socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || size != sizeof peer) return 0;
    return peer.pid;
}

pid_t ParentOf(pid_t process) {
    // /proc/PID/stat: "PID (NAME) STATE PARENT ..."; the name may hold anything.
    std::ifstream file("/proc/" + std::to_string(process) + "/stat");
    std::string stat;
    std::getline(file, stat);
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) return 0;
    std::istringstream rest(stat.substr(nameEnd + 1));
    std::string state;
    pid_t parent = 0;
    return rest >> state >> parent ? parent : 0;
}

bool DesktopPointer::Bus::FindDesktop() {
    for (Question& question : questions)
        if (sd_bus_call_method_async(bus, nullptr, kBusName, kBusPath, kBusName, "GetNameOwner", OnNameOwner,
                                     &question, "s", kDesktopNames[question.name]) < 0)
            return false;
    return true;
}

int DesktopPointer::Bus::OnNameOwner(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    const Question& question = *static_cast<Question*>(userdata);
    Bus& b = *question.bus;
    const char* owner = nullptr;
    if (sd_bus_message_is_method_error(reply, nullptr) || sd_bus_message_read(reply, "s", &owner) <= 0 ||
        owner == nullptr ||
        sd_bus_call_method_async(b.bus, nullptr, kBusName, kBusPath, kBusName, "GetConnectionUnixProcessID",
                                 OnOwnerProcess, userdata, "s", owner) < 0) {
        b.Answered();  // nobody owns it
        return 0;
    }
    b.ownerNames[question.name] = owner;
    return 0;
}

int DesktopPointer::Bus::OnOwnerProcess(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    const Question& question = *static_cast<Question*>(userdata);
    Bus& b = *question.bus;
    std::uint32_t pid = 0;
    if (!sd_bus_message_is_method_error(reply, nullptr) && sd_bus_message_read(reply, "u", &pid) > 0 && pid > 0) {
        const auto process = static_cast<pid_t>(pid);
        b.owners[question.name] = {process, ParentOf(process)};
    }
    b.Answered();
    return 0;
}

void DesktopPointer::Bus::Answered() {
    if (--questionsLeft == 0) Choose();
}

void DesktopPointer::Bus::Choose() {
    switch (TrustedDesktop(listener, owners[kShell], owners[kKWin])) {
        case DesktopKind::KWin:
            desktop = ownerNames[kKWin];
            if (!ServeReports()) break;
            LoadScript();
            return;
        case DesktopKind::GnomeShell:
            desktop = ownerNames[kShell];
            if (!ServeReports() || !FollowShell()) break;
            AskForReports();
            return;
        case DesktopKind::None: break;
    }
    nothingHere = true;
}

}  // namespace platform::x11
