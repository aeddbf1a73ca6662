// session_bus.h: method calls on a desktop session's D-Bus bus (sd-bus).
#pragma once

#include <systemd/sd-bus.h>

#include <memory>
#include <string>

namespace e2e {

struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using BusMessage = std::unique_ptr<sd_bus_message, MessageUnref>;

// Throws, with the D-Bus error's text, when `result` is a failure.
void CheckBus(int result, const sd_bus_error* error, const std::string& what);

// A connection of our own to the bus at `address`, gone with this object.
class SessionBus {
public:
    explicit SessionBus(const std::string& address);
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    sd_bus* Get() const { return bus_; }
    // Takes a well-known name, as services that a desktop trusts do.
    void OwnName(const char* name);

    // Calls a method with arguments of sd-bus `types`; its reply.
    template <typename... Arguments>
    BusMessage Call(const char* service, const char* path, const char* interface, const char* method,
                    const char* types, Arguments... arguments) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        const int result =
            sd_bus_call_method(bus_, service, path, interface, method, &error, &reply, types, arguments...);
        CheckBus(result, &error, std::string(interface) + "." + method);
        return BusMessage(reply);
    }

private:
    sd_bus* bus_ = nullptr;
};

}  // namespace e2e
