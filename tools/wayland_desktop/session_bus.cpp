// session_bus.cpp: a connection of our own to a session bus, and its errors.
#include "tools/wayland_desktop/session_bus.h"

#include <cstring>
#include <stdexcept>

namespace e2e {

void CheckBus(int result, const sd_bus_error* error, const std::string& what) {
    if (result >= 0) return;
    std::string reason = error != nullptr && sd_bus_error_is_set(error) ? std::string(error->name) + ": " +
                                                                              (error->message ? error->message : "")
                                                                        : std::strerror(-result);
    if (error != nullptr) sd_bus_error_free(const_cast<sd_bus_error*>(error));
    throw std::runtime_error(what + " failed: " + reason);
}

SessionBus::SessionBus(const std::string& address) {
    CheckBus(sd_bus_new(&bus_), nullptr, "sd_bus_new");
    sd_bus_set_address(bus_, address.c_str());
    sd_bus_set_bus_client(bus_, 1);
    // A compositor that hangs must not hang the tests for sd-bus' 25 s.
    sd_bus_set_method_call_timeout(bus_, 10'000'000);
    const int started = sd_bus_start(bus_);
    if (started < 0) {
        sd_bus_unref(bus_);
        bus_ = nullptr;
        CheckBus(started, nullptr, "connecting to " + address);
    }
}

SessionBus::~SessionBus() {
    if (bus_ != nullptr) sd_bus_flush_close_unref(bus_);
}

void SessionBus::OwnName(const char* name) {
    CheckBus(sd_bus_request_name(bus_, name, 0), nullptr, std::string("owning ") + name);
}

}  // namespace e2e
