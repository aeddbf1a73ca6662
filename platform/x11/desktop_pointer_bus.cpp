// desktop_pointer_bus.cpp: the desktop's pointer over the session bus, with
// sd-bus: a KWin script the program loads, or the program's GNOME Shell
// extension.
//
// Everything is asynchronous: the first frame never waits for the bus, and
// a desktop that does not answer, refuses scripts or lacks the extension
// leaves the X pointer alone. Positions come only from the desktop itself:
// a call from the KWin script carries a secret only this copy knows and
// must come from KWin's connection; a signal must come from whoever owns
// the extension's name.
#include <fcntl.h>
#include <sys/random.h>
#include <systemd/sd-bus.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "platform/x11/desktop_pointer.h"

extern const unsigned char KWinPointerScript[];
extern const std::size_t KWinPointerScript_size;

namespace platform::x11 {

namespace {

constexpr const char* kPath = "/example/quorl/Zwinkerle/Pointer";
constexpr const char* kInterface = "example.quorl.Zwinkerle.Pointer";
constexpr const char* kExtensionName = "example.quorl.Zwinkerle.Pointer";  // owned by the GNOME Shell extension
constexpr const char* kKWinName = "org.kde.KWin";
constexpr const char* kBusName = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";

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
            if (sd_bus_message_read_basic(message, type, &number) <= 0 || !(number > -1e9 && number < 1e9)) return false;
            value = static_cast<std::int32_t>(number);
            return true;
        }
        case SD_BUS_TYPE_INT64: {
            std::int64_t number = 0;
            if (sd_bus_message_read_basic(message, type, &number) <= 0 || number < -1000000000 || number > 1000000000)
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

struct DesktopPointer::Bus {
    sd_bus* bus = nullptr;
    sd_bus_slot* slots[5] = {};
    std::string kwinOwner;       // KWin's unique name, once it answered
    std::string extensionOwner;  // the extension's owner, while there is one
    std::string secret = RandomHex(16);
    std::string plugin;          // the script's name in KWin, after our bus name: never used twice
    std::string scriptFile;      // removed once the script runs: KWin reads it when it gets round to it
    bool scriptAsked = false;    // KWin was asked to load it: it may have, though its answer has yet to come
    sd_bus_message* unanswered = nullptr;  // the script's last call, answered at Acknowledge
    std::optional<POINTAPI> reported;
    bool stopped = false;  // the extension that reported went away

    ~Bus() {
        Answer();
        if (scriptAsked) {
            // Sent, not waited for: the program ends at once.
            sd_bus_message* call = nullptr;
            if (sd_bus_message_new_method_call(bus, &call, kKWinName, "/Scripting", "org.kde.kwin.Scripting",
                                               "unloadScript") >= 0 &&
                sd_bus_message_append(call, "s", plugin.c_str()) >= 0 &&
                sd_bus_message_set_expect_reply(call, 0) >= 0)
                sd_bus_send(bus, call, nullptr);
            sd_bus_message_unref(call);
            sd_bus_flush(bus);
        }
        RemoveScriptFile();
        for (sd_bus_slot*& slot : slots) slot = sd_bus_slot_unref(slot);
        sd_bus_flush_close_unref(bus);
    }

    void Answer() {
        if (unanswered == nullptr) return;
        sd_bus_reply_method_return(unanswered, nullptr);
        unanswered = sd_bus_message_unref(unanswered);
    }

    void RemoveScriptFile() {
        if (!scriptFile.empty()) ::unlink(scriptFile.c_str());
        scriptFile.clear();
    }

    static Bus& Of(void* userdata) { return *static_cast<Bus*>(userdata); }

    // The KWin script's report: Moved(secret, x, y).
    static int OnCall(sd_bus_message* message, void* userdata, sd_bus_error* error) {
        Bus& b = Of(userdata);
        if (!sd_bus_message_is_method_call(message, kInterface, "Moved")) return 0;
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

    // The extension's signal: Moved(x, y).
    static int OnSignal(sd_bus_message* message, void* userdata, sd_bus_error*) {
        Bus& b = Of(userdata);
        const char* sender = sd_bus_message_get_sender(message);
        POINTAPI at{};
        if (b.extensionOwner.empty() || sender == nullptr || b.extensionOwner != sender ||
            sd_bus_message_read(message, "ii", &at.x, &at.y) <= 0)
            return 0;
        b.reported = at;
        return 0;
    }

    static int OnExtensionOwner(sd_bus_message* message, void* userdata, sd_bus_error*) {
        Bus& b = Of(userdata);
        const char *name = nullptr, *before = nullptr, *after = nullptr;
        if (sd_bus_message_read(message, "sss", &name, &before, &after) <= 0 || after == nullptr) return 0;
        if (after[0] == '\0' && !b.extensionOwner.empty()) b.stopped = true;
        b.extensionOwner = after;
        return 0;
    }

    static int OnExtensionOwnerFound(sd_bus_message* reply, void* userdata, sd_bus_error*) {
        const char* owner = nullptr;
        if (!sd_bus_message_is_method_error(reply, nullptr) && sd_bus_message_read(reply, "s", &owner) > 0 &&
            owner != nullptr)
            Of(userdata).extensionOwner = owner;
        return 0;
    }

    static int OnKWinFound(sd_bus_message* reply, void* userdata, sd_bus_error*) {
        Bus& b = Of(userdata);
        const char* owner = nullptr;
        if (sd_bus_message_is_method_error(reply, nullptr) || sd_bus_message_read(reply, "s", &owner) <= 0 ||
            owner == nullptr)
            return 0;  // no KWin on this bus
        b.kwinOwner = owner;
        b.LoadScript();
        return 0;
    }

    void LoadScript() {
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
        if (sd_bus_call_method_async(bus, &slots[4], kKWinName, "/Scripting", "org.kde.kwin.Scripting", "loadScript",
                                     OnScriptLoaded, this, "ss", scriptFile.c_str(), plugin.c_str()) < 0 ||
            sd_bus_call_method_async(bus, nullptr, kKWinName, "/Scripting", "org.kde.kwin.Scripting", "start",
                                     nullptr, nullptr, "") < 0) {
            RemoveScriptFile();
            return;
        }
        scriptAsked = true;
    }

    static int OnScriptLoaded(sd_bus_message* reply, void* userdata, sd_bus_error*) {
        std::int32_t id = -1;
        if (sd_bus_message_is_method_error(reply, nullptr) || sd_bus_message_read(reply, "i", &id) <= 0 || id < 0)
            Of(userdata).RemoveScriptFile();  // KWin refuses scripts: the X pointer alone
        return 0;
    }
};

DesktopPointer::DesktopPointer(bool underXwayland) {
    if (!underXwayland) return;
    auto b = std::make_unique<Bus>();
    if (sd_bus_open_user(&b->bus) < 0) return;  // no session bus
    const std::string extensionSignals = std::string("type='signal',sender='") + kExtensionName + "',path='" + kPath +
                                         "',interface='" + kInterface + "',member='Moved'";
    const std::string extensionOwner = std::string("type='signal',sender='") + kBusName +
                                       "',member='NameOwnerChanged',arg0='" + kExtensionName + "'";
    Bus* raw = b.get();
    if (sd_bus_add_object(raw->bus, &raw->slots[0], kPath, Bus::OnCall, raw) < 0 ||
        sd_bus_add_match_async(raw->bus, &raw->slots[1], extensionSignals.c_str(), Bus::OnSignal, nullptr, raw) < 0 ||
        sd_bus_add_match_async(raw->bus, &raw->slots[2], extensionOwner.c_str(), Bus::OnExtensionOwner, nullptr, raw) <
            0 ||
        sd_bus_call_method_async(raw->bus, &raw->slots[3], kBusName, kBusPath, kBusName, "GetNameOwner",
                                 Bus::OnExtensionOwnerFound, raw, "s", kExtensionName) < 0 ||
        sd_bus_call_method_async(raw->bus, nullptr, kBusName, kBusPath, kBusName, "GetNameOwner", Bus::OnKWinFound,
                                 raw, "s", kKWinName) < 0)
        return;
    bus_ = std::move(b);
}

DesktopPointer::~DesktopPointer() = default;

pollfd DesktopPointer::PollFor() const {
    if (!bus_) return {-1, 0, 0};
    const int events = sd_bus_get_events(bus_->bus);
    return {sd_bus_get_fd(bus_->bus), static_cast<short>(events > 0 ? events : POLLIN), 0};
}

std::optional<std::chrono::steady_clock::duration> DesktopPointer::Timeout() const {
    std::uint64_t at = 0;
    if (!bus_ || sd_bus_get_timeout(bus_->bus, &at) < 0 || at == UINT64_MAX) return std::nullopt;
    // sd-bus counts in CLOCK_MONOTONIC microseconds, as steady_clock does on Linux.
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nowUs = static_cast<std::uint64_t>(now.tv_sec) * 1000000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000;
    return std::chrono::microseconds(at > nowUs ? at - nowUs : 0);
}

bool DesktopPointer::Process() {
    if (!bus_) return false;
    int processed = 0;
    while ((processed = sd_bus_process(bus_->bus, nullptr)) > 0) {
    }
    if (processed < 0) {  // the bus went away: the X pointer alone from now on
        bus_.reset();
        position_.reset();
        return true;
    }
    if (std::exchange(bus_->stopped, false)) {
        position_.reset();
        bus_->reported.reset();
        return true;
    }
    if (!bus_->reported) return false;
    position_ = bus_->reported;
    bus_->reported.reset();
    return true;
}

void DesktopPointer::Acknowledge() {
    if (bus_) bus_->Answer();
}

}  // namespace platform::x11
