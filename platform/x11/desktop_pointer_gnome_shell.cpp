// desktop_pointer_gnome_shell.cpp: the reports from GNOME Shell: the
// program's extension (gnome_shell/) runs inside the shell and, once this
// copy asks it over the shell's own connection, calls this copy alone with
// each position. Who owns the shell's name is the bus's word; whether the
// extension is on, the shell's.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/x11/desktop_pointer_bus.h"

namespace platform::x11 {

namespace {

constexpr const char* kReporterInterface = "example.quorl.Zwinkerle.Reporter";  // at kPointerPath in the shell
constexpr const char* kShellPath = "/org/gnome/Shell";
constexpr const char* kExtensionsInterface = "org.gnome.Shell.Extensions";
constexpr std::string_view kExtensions[] = {"zwinkerle@quorl.example", "zwinkerle-gnome43@quorl.example"};
constexpr double kRunning = 1;  // an extension's state once the shell has turned it on

bool Ours(std::string_view uuid) {
    for (const std::string_view extension : kExtensions)
        if (uuid == extension) return true;
    return false;
}

// The "state" of ExtensionStateChanged's a{sv}, a double; nothing without one.
std::optional<double> StateOf(sd_bus_message* message) {
    std::optional<double> state;
    if (sd_bus_message_enter_container(message, SD_BUS_TYPE_ARRAY, "{sv}") <= 0) return state;
    while (sd_bus_message_enter_container(message, SD_BUS_TYPE_DICT_ENTRY, "sv") > 0) {
        const char* key = nullptr;
        const char* contents = nullptr;
        char type = 0;
        double value = 0;
        if (sd_bus_message_read_basic(message, SD_BUS_TYPE_STRING, &key) <= 0 ||
            sd_bus_message_peek_type(message, &type, &contents) <= 0)
            return std::nullopt;
        if (std::string_view(key) == "state" && contents != nullptr && std::string_view(contents) == "d" &&
            sd_bus_message_enter_container(message, SD_BUS_TYPE_VARIANT, "d") > 0 &&
            sd_bus_message_read_basic(message, SD_BUS_TYPE_DOUBLE, &value) > 0) {
            state = value;
            sd_bus_message_exit_container(message);
        } else if (sd_bus_message_skip(message, "v") < 0) {
            return std::nullopt;
        }
        sd_bus_message_exit_container(message);
    }
    sd_bus_message_exit_container(message);
    return state;
}

}  // namespace

bool DesktopPointer::Bus::FollowShell() {
    const std::string owners = std::string("type='signal',sender='") + kBusName + "',path='" + kBusPath +
                               "',interface='" + kBusName + "',member='NameOwnerChanged',arg0='" +
                               kDesktopNames[kShell] + "'";
    const std::string states = std::string("type='signal',sender='") + kDesktopNames[kShell] + "',path='" +
                               kShellPath + "',interface='" + kExtensionsInterface +
                               "',member='ExtensionStateChanged'";
    return sd_bus_add_match_async(bus, &shellOwnerChanges, owners.c_str(), OnShellOwner, nullptr, this) >= 0 &&
           sd_bus_add_match_async(bus, &extensionStates, states.c_str(), OnExtensionState, nullptr, this) >= 0;
}

void DesktopPointer::Bus::AskForReports() {
    // To the shell by its unique name: only the connection we believe.
    if (!desktop.empty())
        sd_bus_call_method_async(bus, nullptr, desktop.c_str(), kPointerPath, kReporterInterface, "Report", nullptr,
                                 nullptr, "s", secret.c_str());
}

int DesktopPointer::Bus::OnShellOwner(sd_bus_message* message, void* userdata, sd_bus_error*) {
    Bus& b = Of(userdata);
    // NOTE: only the bus itself says who owns a name. A signal addressed to
    // us reaches us whatever the match says, so a forged one is possible.
    const char* sender = sd_bus_message_get_sender(message);
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (sender == nullptr || std::string_view(sender) != kBusName ||
        sd_bus_message_read(message, "sss", &name, &before, &after) <= 0 || name == nullptr || after == nullptr ||
        std::string_view(name) != kDesktopNames[kShell] || b.desktop == after)
        return 0;
    if (!b.desktop.empty()) b.Stopped();
    b.desktop.clear();
    b.shellCandidate = after;
    // The new owner counts once the bus says it is the process that serves
    // our display; only the last owner's answer is taken.
    if (after[0] != '\0' && sd_bus_call_method_async(b.bus, nullptr, kBusName, kBusPath, kBusName,
                                                     "GetConnectionUnixProcessID", OnShellProcess, userdata, "s",
                                                     after) >= 0)
        ++b.shellQuestions;
    return 0;
}

int DesktopPointer::Bus::OnShellProcess(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    Bus& b = Of(userdata);
    std::uint32_t pid = 0;
    if (--b.shellQuestions > 0 || sd_bus_message_is_method_error(reply, nullptr) ||
        sd_bus_message_read(reply, "u", &pid) <= 0 || static_cast<pid_t>(pid) != b.listener)
        return 0;
    b.desktop = b.shellCandidate;
    b.AskForReports();
    return 0;
}

int DesktopPointer::Bus::OnExtensionState(sd_bus_message* message, void* userdata, sd_bus_error*) {
    Bus& b = Of(userdata);
    const char* sender = sd_bus_message_get_sender(message);
    const char* uuid = nullptr;
    if (b.desktop.empty() || sender == nullptr || b.desktop != sender ||
        sd_bus_message_read_basic(message, SD_BUS_TYPE_STRING, &uuid) <= 0 || uuid == nullptr || !Ours(uuid))
        return 0;
    const std::optional<double> state = StateOf(message);
    if (!state) return 0;
    if (*state == kRunning)
        b.AskForReports();  // turned on (again): it knows nobody yet
    else
        b.Stopped();
    return 0;
}

}  // namespace platform::x11
