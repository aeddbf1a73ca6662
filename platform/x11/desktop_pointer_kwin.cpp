// desktop_pointer_kwin.cpp: the pointer from KDE Plasma's KWin: a script
// of ours (kwin/pointer.js), written to the runtime folder and loaded and
// started over KWin's Scripting interface, calls the program with each
// position and a secret only this copy knows; unloaded as the program ends.
#include <fcntl.h>
#include <sys/random.h>
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

constexpr const char* kKWinName = "org.kde.KWin";
constexpr const char* kScriptingPath = "/Scripting";
constexpr const char* kScriptingInterface = "org.kde.kwin.Scripting";
constexpr std::size_t kSecretBytes = 16;
constexpr std::int64_t kFarthest = 1000000000;  // a coordinate beyond is no position

std::string RandomHex(std::size_t bytes) {
    std::string raw(bytes, '\0');
    if (::getrandom(raw.data(), raw.size(), 0) != static_cast<ssize_t>(raw.size())) return {};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : raw) {
        hex += kDigits[(static_cast<unsigned char>(c) >> 4) & 0xF];
        hex += kDigits[static_cast<unsigned char>(c) & 0xF];
    }
    return hex;
}

std::string Replaced(std::string text, std::string_view placeholder, const std::string& value) {
    for (std::size_t at = 0; (at = text.find(placeholder, at)) != std::string::npos; at += value.size())
        text.replace(at, placeholder.size(), value);
    return text;
}

// A number the script sent: JavaScript's numbers reach the bus as integers
// or doubles, depending on the engine.
bool ReadNumber(sd_bus_message* message, std::int32_t& value) {
    char type = 0;
    if (sd_bus_message_peek_type(message, &type, nullptr) <= 0) return false;
    switch (type) {
        case SD_BUS_TYPE_INT32: return sd_bus_message_read_basic(message, type, &value) > 0;
        case SD_BUS_TYPE_DOUBLE: {
            double number = 0;
            if (sd_bus_message_read_basic(message, type, &number) <= 0 || !(number > -kFarthest && number < kFarthest))
                return false;
            value = static_cast<std::int32_t>(number);
            return true;
        }
        case SD_BUS_TYPE_INT64: {
            std::int64_t number = 0;
            if (sd_bus_message_read_basic(message, type, &number) <= 0 || number < -kFarthest || number > kFarthest)
                return false;
            value = static_cast<std::int32_t>(number);
            return true;
        }
        default: return false;
    }
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

std::string DesktopPointer::Bus::NewSecret() { return RandomHex(kSecretBytes); }

bool DesktopPointer::Bus::ServeKWinScript() {
    return sd_bus_add_object(bus, &kwinObject, kPointerPath, OnCall, this) >= 0;
}

bool DesktopPointer::Bus::FindKWin() {
    return sd_bus_call_method_async(bus, nullptr, kBusName, kBusPath, kBusName, "GetNameOwner", OnKWinFound, this, "s",
                                    kKWinName) >= 0;
}

void DesktopPointer::Bus::Answer() {
    if (unanswered == nullptr) return;
    sd_bus_reply_method_return(unanswered, nullptr);
    unanswered = sd_bus_message_unref(unanswered);
}

void DesktopPointer::Bus::UnloadScript() {
    if (!scriptAsked) return;
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus, &call, kKWinName, kScriptingPath, kScriptingInterface, "unloadScript") >=
            0 &&
        sd_bus_message_append(call, "s", plugin.c_str()) >= 0 && sd_bus_message_set_expect_reply(call, 0) >= 0)
        sd_bus_send(bus, call, nullptr);
    sd_bus_message_unref(call);
    sd_bus_flush(bus);
}

void DesktopPointer::Bus::RemoveScriptFile() {
    if (!scriptFile.empty()) ::unlink(scriptFile.c_str());
    scriptFile.clear();
}

// The KWin script's report: Moved(secret, x, y).
int DesktopPointer::Bus::OnCall(sd_bus_message* message, void* userdata, sd_bus_error* error) {
    Bus& b = Of(userdata);
    if (!sd_bus_message_is_method_call(message, kPointerInterface, "Moved")) return 0;
    const char* sender = sd_bus_message_get_sender(message);
    const char* secret = nullptr;
    POINTAPI at{};
    if (b.kwinOwner.empty() || sender == nullptr || b.kwinOwner != sender ||
        sd_bus_message_read_basic(message, SD_BUS_TYPE_STRING, &secret) <= 0 || secret == nullptr ||
        b.secret.empty() || b.secret != secret || !ReadNumber(message, at.x) || !ReadNumber(message, at.y))
        return sd_bus_error_set_const(error, SD_BUS_ERROR_ACCESS_DENIED, "not the desktop's report");
    b.reported = at;
    b.RemoveScriptFile();  // the script runs: KWin has read it
    b.Answer();  // an earlier call, if the script sent one without waiting
    b.unanswered = sd_bus_message_ref(message);
    return 1;
}

int DesktopPointer::Bus::OnKWinFound(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    Bus& b = Of(userdata);
    const char* owner = nullptr;
    if (sd_bus_message_is_method_error(reply, nullptr) || sd_bus_message_read(reply, "s", &owner) <= 0 ||
        owner == nullptr)
        return 0;  // no KWin on this bus
    b.kwinOwner = owner;
    b.LoadScript();
    return 0;
}

void DesktopPointer::Bus::LoadScript() {
    const char* self = nullptr;
    if (sd_bus_get_unique_name(bus, &self) < 0 || self == nullptr || secret.empty()) return;
    plugin = ScriptName(self);
    std::string text(reinterpret_cast<const char*>(KWinPointerScript), KWinPointerScript_size);
    text = Replaced(Replaced(Replaced(text, "@PROGRAM@", self), "@SECRET@", secret), "@PLUGIN@", plugin);
    scriptFile = WriteScript(text, plugin);
    if (scriptFile.empty()) return;
    // NOTE: start follows at once, not on loadScript's answer: KWin takes
    // them in order, and a script loaded but never started could not
    // remove itself once this copy is gone.
    if (sd_bus_call_method_async(bus, &scriptLoad, kKWinName, kScriptingPath, kScriptingInterface, "loadScript",
                                 OnScriptLoaded, this, "ss", scriptFile.c_str(), plugin.c_str()) < 0 ||
        sd_bus_call_method_async(bus, nullptr, kKWinName, kScriptingPath, kScriptingInterface, "start", nullptr,
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
