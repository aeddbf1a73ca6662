// bus_others.h: others on a desktop session's bus, for the cases about who
// may steer the face's eyes: a stranger that takes names and answers what
// is called on it, and an eavesdropper that sees every message.
#pragma once

#include <systemd/sd-bus.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tools/wayland_desktop/session_bus.h"

namespace e2e {

// A program of no standing on the bus: it takes what names it can and
// answers every call made on it, keeping the secrets it learns from them.
class Stranger {
public:
    explicit Stranger(const std::string& address);
    ~Stranger();
    Stranger(const Stranger&) = delete;
    Stranger& operator=(const Stranger&) = delete;

    // Takes each of `names` that nobody holds.
    void Take(const std::vector<std::string>& names);
    sd_bus* Get() const { return bus_.Get(); }
    std::string UniqueName() const;
    // Handles the calls made on it so far, without waiting.
    void Answer();
    // What it learnt: secrets in scripts it was asked to load, and any it
    // was handed.
    const std::vector<std::string>& Secrets() const { return secrets_; }
    void Learn(const std::string& secret) { secrets_.push_back(secret); }

    // A signal from it, to everyone (`destination` null) or to one.
    template <typename... Arguments>
    void Signal(const char* destination, const char* path, const char* interface, const char* member,
                const char* types, Arguments... arguments) {
        sd_bus_message* signal = nullptr;
        if (sd_bus_message_new_signal(bus_.Get(), &signal, path, interface, member) < 0) return;
        if (destination != nullptr) sd_bus_message_set_destination(signal, destination);
        sd_bus_message_append(signal, types, arguments...);
        sd_bus_send(bus_.Get(), signal, nullptr);
        sd_bus_message_unref(signal);
        sd_bus_flush(bus_.Get());
    }
    // A call from it; false when the callee refused it or is not there.
    template <typename... Arguments>
    bool Call(const char* destination, const char* path, const char* interface, const char* member,
              const char* types, Arguments... arguments) {
        try {
            bus_.Call(destination, path, interface, member, types, arguments...);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

private:
    static int OnCall(sd_bus_message* message, void* self, sd_bus_error*);

    SessionBus bus_;
    sd_bus_slot* everything_ = nullptr;
    std::vector<std::string> secrets_;
};

// What a stranger holds before the program starts: every name the program
// or its extension ever listened to, and the desktops' own where nobody
// holds them (on sway both, on GNOME KWin's, on KWin GNOME Shell's).
extern const std::vector<std::string> kNamesAStrangerTakes;

// Everything a stranger may try to turn the eyes to `towards` with: calls
// as the desktop makes them, with every secret it knows, and the old
// extension's signals, to everyone and to the program (its bus name, or
// empty where it is not on the bus); again after telling the program, as if
// it were the bus, that every name is now its own. Each call must be refused.
void TryToSteer(Stranger& stranger, const std::string& program, std::pair<int, int> towards);
// And to silence the desktop: the shell's news that our extension was
// turned off, the bus's that the desktops left.
void TryToSilence(Stranger& stranger, const std::string& program);

// What a bus monitor sees of one message.
struct SeenMessage {
    int type;  // SD_BUS_MESSAGE_METHOD_CALL, ..._SIGNAL, ...
    std::string sender, destination, path, interface, member;
    std::string firstString;  // its first argument, where that is a string
};

// Every message on the bus, from its start, as a monitor sees it
// (org.freedesktop.DBus.Monitoring), read by a thread of its own.
class BusMonitor {
public:
    explicit BusMonitor(const std::string& address);
    ~BusMonitor();
    BusMonitor(const BusMonitor&) = delete;
    BusMonitor& operator=(const BusMonitor&) = delete;

    std::vector<SeenMessage> Seen() const;
    void Forget();

private:
    void Read();

    sd_bus* bus_ = nullptr;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<SeenMessage> seen_;
    std::thread reader_;
};

}  // namespace e2e
