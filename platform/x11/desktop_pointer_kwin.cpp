// desktop_pointer_kwin.cpp: the reports from KDE Plasma's KWin: a script
// of ours (kwin/pointer.js), written to the runtime folder and loaded and
// started over KWin's Scripting interface, calls the program with each
// position, and once a window comes to cover a face, carrying a secret
// only this copy knows; unloaded as the program ends.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/x11/desktop_pointer_bus.h"

extern const unsigned char KWinPointerScript[];
extern const std::size_t KWinPointerScript_size;

namespace platform::x11 {

namespace {

constexpr const char* kScriptingPath = "/Scripting";
constexpr const char* kScriptingInterface = "org.kde.kwin.Scripting";

std::string Replaced(std::string text, std::string_view placeholder, const std::string& value) {
    for (std::size_t at = 0; (at = text.find(placeholder, at)) != std::string::npos; at += value.size())
        text.replace(at, placeholder.size(), value);
    return text;
}

// ":1.42" gives "zwinkerle-pointer-1-42".
std::string ScriptName(std::string_view busName) {
    std::string name = "zwinkerle-pointer-";
    for (const char c : busName.substr(busName.starts_with(':') ? 1 : 0)) name += c == '.' ? '-' : c;
    return name;
}

// A script file KWin can read, private to this user: in the runtime folder.
std::string WriteScript(const std::string& text, const std::string& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/') return {};
    const std::string path = std::string(runtime) + "/" + name + ".js";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return {};
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!written) ::unlink(path.c_str());
    return written ? path : std::string();
}

}  // namespace

void DesktopPointer::Bus::UnloadScript() {
    if (!scriptAsked) return;
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus, &call, desktop.c_str(), kScriptingPath, kScriptingInterface,
                                       "unloadScript") >= 0 &&
        sd_bus_message_append(call, "s", plugin.c_str()) >= 0 && sd_bus_message_set_expect_reply(call, 0) >= 0)
        sd_bus_send(bus, call, nullptr);
    sd_bus_message_unref(call);
    sd_bus_flush(bus);
}

void DesktopPointer::Bus::RemoveScriptFile() {
    if (!scriptFile.empty()) ::unlink(scriptFile.c_str());
    scriptFile.clear();
}

void DesktopPointer::Bus::LoadScript() {
    const char* self = nullptr;
    if (sd_bus_get_unique_name(bus, &self) < 0 || self == nullptr) return;
    plugin = ScriptName(self);
    std::string text(reinterpret_cast<const char*>(KWinPointerScript), KWinPointerScript_size);
    text = Replaced(Replaced(text, "@PROGRAM@", self), "@SECRET@", secret);
    text = Replaced(Replaced(text, "@PLUGIN@", plugin), "@PID@", std::to_string(::getpid()));
    scriptFile = WriteScript(text, plugin);
    if (scriptFile.empty()) return;
    // NOTE: start follows at once, not on loadScript's answer: KWin takes
    // them in order, and a script loaded but never started could not
    // remove itself once this copy is gone. Both go to the KWin we believe,
    // by its unique name.
    if (sd_bus_call_method_async(bus, &scriptLoad, desktop.c_str(), kScriptingPath, kScriptingInterface, "loadScript",
                                 OnScriptLoaded, this, "ss", scriptFile.c_str(), plugin.c_str()) < 0 ||
        sd_bus_call_method_async(bus, nullptr, desktop.c_str(), kScriptingPath, kScriptingInterface, "start", nullptr,
                                 nullptr, "") < 0) {
        RemoveScriptFile();
        return;
    }
    scriptAsked = true;
}

int DesktopPointer::Bus::OnScriptLoaded(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    std::int32_t id = -1;
    if (sd_bus_message_is_method_error(reply, nullptr) || sd_bus_message_read(reply, "i", &id) <= 0 || id < 0)
        Of(userdata).RemoveScriptFile();  // KWin refuses scripts: the X pointer alone
    return 0;
}

}  // namespace platform::x11
