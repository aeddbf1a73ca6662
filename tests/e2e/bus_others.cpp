// bus_others.cpp: a stranger and a monitor on a desktop session's bus, and
// what the stranger tries.
#include "tests/e2e/bus_others.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <regex>
#include <sstream>

namespace e2e {

const std::vector<std::string> kNamesAStrangerTakes = {"example.quorl.Zwinkerle.Pointer", "example.quorl.Zwinkerle",
                                                       "example.quorl.Zwinkerle.Reporter", "org.kde.KWin",
                                                       "org.gnome.Shell"};

namespace {

constexpr const char* kPointerPath = "/example/quorl/Zwinkerle/Pointer";
constexpr const char* kPointerInterface = "example.quorl.Zwinkerle.Pointer";
constexpr const char* kOurExtensions[] = {"zwinkerle@quorl.example", "zwinkerle-gnome43@quorl.example"};

}  // namespace

Stranger::Stranger(const std::string& address) : bus_(address) {
    // Every object on every path: whatever the program asks of whoever it
    // takes for the desktop.
    CheckBus(sd_bus_add_fallback(bus_.Get(), &everything_, "/", OnCall, this), nullptr, "serving everything");
}

Stranger::~Stranger() { sd_bus_slot_unref(everything_); }

void Stranger::Take(const std::vector<std::string>& names) {
    for (const std::string& name : names) sd_bus_request_name(bus_.Get(), name.c_str(), 0);  // held already: so be it
}

std::string Stranger::UniqueName() const {
    const char* name = nullptr;
    CheckBus(sd_bus_get_unique_name(bus_.Get(), &name), nullptr, "our bus name");
    return name;
}

void Stranger::Answer() {
    while (sd_bus_process(bus_.Get(), nullptr) > 0) {
    }
}

int Stranger::OnCall(sd_bus_message* message, void* self, sd_bus_error*) {
    Stranger& stranger = *static_cast<Stranger*>(self);
    std::uint8_t type = 0;
    if (sd_bus_message_get_type(message, &type) < 0 || type != SD_BUS_MESSAGE_METHOD_CALL) return 0;
    // A script to load (a file that names its secret), or a secret itself.
    const char* text = nullptr;
    if (sd_bus_message_read_basic(message, 's', &text) > 0 && text != nullptr) {
        std::ifstream script(text);
        std::stringstream contents;
        contents << script.rdbuf();
        std::smatch found;
        const std::string all = contents.str();
        if (std::regex_search(all, found, std::regex("secret = \"([0-9a-f]+)\"")))
            stranger.secrets_.push_back(found[1]);
        else if (!script.is_open())
            stranger.secrets_.emplace_back(text);
    }
    // loadScript answers with the script's number; the rest with nothing.
    if (sd_bus_message_is_method_call(message, nullptr, "loadScript")) return sd_bus_reply_method_return(message, "i", 1);
    return sd_bus_reply_method_return(message, "");
}

BusMonitor::BusMonitor(const std::string& address) {
    CheckBus(sd_bus_new(&bus_), nullptr, "sd_bus_new");
    sd_bus_set_monitor(bus_, 1);
    sd_bus_set_address(bus_, address.c_str());
    sd_bus_set_bus_client(bus_, 1);
    CheckBus(sd_bus_start(bus_), nullptr, "connecting the monitor");
    sd_bus_message* become = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    // No rules: every message.
    CheckBus(sd_bus_message_new_method_call(bus_, &become, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                            "org.freedesktop.DBus.Monitoring", "BecomeMonitor"),
             nullptr, "BecomeMonitor");
    sd_bus_message_append(become, "asu", 0, 0U);
    const int became = sd_bus_call(bus_, become, 10'000'000, &error, nullptr);
    sd_bus_message_unref(become);
    CheckBus(became, &error, "becoming a monitor");
    reader_ = std::thread([this] { Read(); });
}

BusMonitor::~BusMonitor() {
    stop_ = true;
    reader_.join();
    sd_bus_flush_close_unref(bus_);
}

std::vector<SeenMessage> BusMonitor::Seen() const {
    std::lock_guard lock(mutex_);
    return seen_;
}

void BusMonitor::Forget() {
    std::lock_guard lock(mutex_);
    seen_.clear();
}

void BusMonitor::Read() {
    const auto text = [](const char* s) { return std::string(s != nullptr ? s : ""); };
    while (!stop_) {
        sd_bus_message* message = nullptr;
        const int processed = sd_bus_process(bus_, &message);
        if (processed < 0) return;
        if (message == nullptr) {
            if (processed == 0) sd_bus_wait(bus_, 100'000);
            continue;
        }
        std::uint8_t type = 0;
        sd_bus_message_get_type(message, &type);
        SeenMessage seen{type,
                         text(sd_bus_message_get_sender(message)),
                         text(sd_bus_message_get_destination(message)),
                         text(sd_bus_message_get_path(message)),
                         text(sd_bus_message_get_interface(message)),
                         text(sd_bus_message_get_member(message)),
                         {}};
        const char* first = nullptr;
        if (sd_bus_message_read_basic(message, 's', &first) > 0) seen.firstString = text(first);
        sd_bus_message_unref(message);
        std::lock_guard lock(mutex_);
        seen_.push_back(std::move(seen));
    }
}

void TryToSteer(Stranger& stranger, const std::string& program, std::pair<int, int> towards) {
    const std::string self = stranger.UniqueName();
    std::vector<std::string> secrets = stranger.Secrets();
    secrets.insert(secrets.end(), {"", "0123456789abcdef0123456789abcdef"});
    const char* to = program.empty() ? nullptr : program.c_str();
    const auto [x, y] = towards;
    for (int round = 0; round < 2; ++round) {
        for (const std::string& secret : secrets) {
            if (to == nullptr) break;
            EXPECT_FALSE(stranger.Call(to, kPointerPath, kPointerInterface, "Moved", "sii", secret.c_str(), x, y))
                << "a position with the secret \"" << secret << "\" was taken";
            EXPECT_FALSE(stranger.Call(to, kPointerPath, kPointerInterface, "Covered", "s", secret.c_str()))
                << "a cover with the secret \"" << secret << "\" was taken";
        }
        for (const char* destination : {static_cast<const char*>(nullptr), to})
            stranger.Signal(destination, kPointerPath, kPointerInterface, "Moved", "ii", x, y);
        for (const std::string& name : kNamesAStrangerTakes)
            if (to != nullptr)
                stranger.Signal(to, "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameOwnerChanged", "sss",
                                name.c_str(), "", self.c_str());
    }
}

void TryToSilence(Stranger& stranger, const std::string& program) {
    const char* to = program.empty() ? nullptr : program.c_str();
    for (const char* destination : {static_cast<const char*>(nullptr), to})
        for (const char* uuid : kOurExtensions)
            stranger.Signal(destination, "/org/gnome/Shell", "org.gnome.Shell.Extensions", "ExtensionStateChanged",
                            "sa{sv}", uuid, 1, "state", "d", 2.0);
    for (const char* name : {"org.gnome.Shell", "org.kde.KWin", "example.quorl.Zwinkerle.Pointer"})
        if (to != nullptr)
            stranger.Signal(to, "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameOwnerChanged", "sss", name,
                            ":1.1", "");
}

}  // namespace e2e
