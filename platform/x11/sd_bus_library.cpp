// sd_bus_library.cpp: the sd-bus calls the desktop's pointer makes, defined
// here and forwarded to libsystemd, which is loaded only under Xwayland.
//
// NOTE: linked in, libsystemd and the libraries it needs (gcrypt, lz4, zstd,
// ...) would make every start of the plain X11 program about 700 KiB larger
// in memory, for a feature it never uses there.
#include "platform/x11/sd_bus_library.h"

#include <dlfcn.h>
#include <systemd/sd-bus.h>

#include <cstdarg>

// Each call this program makes, by name.
#define ZW_SD_BUS_CALLS(X)                                                                                    \
    X(sd_bus_open_user) X(sd_bus_add_object) X(sd_bus_add_match_async) X(sd_bus_call_method_asyncv)           \
    X(sd_bus_get_events) X(sd_bus_get_fd) X(sd_bus_get_timeout) X(sd_bus_get_unique_name) X(sd_bus_process)   \
    X(sd_bus_flush) X(sd_bus_flush_close_unref) X(sd_bus_send) X(sd_bus_slot_unref) X(sd_bus_error_set_const) \
    X(sd_bus_reply_method_returnv) X(sd_bus_message_readv) X(sd_bus_message_read_basic)                       \
    X(sd_bus_message_peek_type) X(sd_bus_message_get_sender) X(sd_bus_message_is_method_call)                 \
    X(sd_bus_message_is_method_error) X(sd_bus_message_ref) X(sd_bus_message_unref)                           \
    X(sd_bus_message_new_method_call) X(sd_bus_message_appendv) X(sd_bus_message_set_expect_reply)           \
    X(sd_bus_message_enter_container) X(sd_bus_message_exit_container) X(sd_bus_message_skip)

namespace {

struct Calls {
#define ZW_POINTER(name) decltype(&::name) name = nullptr;
    ZW_SD_BUS_CALLS(ZW_POINTER)
#undef ZW_POINTER
};

Calls calls;

}  // namespace

namespace platform::x11 {

bool LoadSdBus() {
    static const bool loaded = [] {
        void* library = ::dlopen("libsystemd.so.0", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return false;
        bool found = true;
#define ZW_FIND(name) \
    found = found && (calls.name = reinterpret_cast<decltype(calls.name)>(::dlsym(library, #name))) != nullptr;
        ZW_SD_BUS_CALLS(ZW_FIND)
#undef ZW_FIND
        return found;
    }();
    return loaded;
}

}  // namespace platform::x11

// The calls themselves; the variadic ones through their va_list forms.
extern "C" {

int sd_bus_open_user(sd_bus** bus) { return calls.sd_bus_open_user(bus); }
int sd_bus_add_object(sd_bus* bus, sd_bus_slot** slot, const char* path, sd_bus_message_handler_t callback,
                      void* userdata) {
    return calls.sd_bus_add_object(bus, slot, path, callback, userdata);
}
int sd_bus_add_match_async(sd_bus* bus, sd_bus_slot** slot, const char* match, sd_bus_message_handler_t callback,
                           sd_bus_message_handler_t installed, void* userdata) {
    return calls.sd_bus_add_match_async(bus, slot, match, callback, installed, userdata);
}
int sd_bus_call_method_async(sd_bus* bus, sd_bus_slot** slot, const char* destination, const char* path,
                             const char* interface, const char* member, sd_bus_message_handler_t callback,
                             void* userdata, const char* types, ...) {
    va_list arguments;
    va_start(arguments, types);
    const int result = calls.sd_bus_call_method_asyncv(bus, slot, destination, path, interface, member, callback,
                                                       userdata, types, arguments);
    va_end(arguments);
    return result;
}
int sd_bus_get_events(sd_bus* bus) { return calls.sd_bus_get_events(bus); }
int sd_bus_get_fd(sd_bus* bus) { return calls.sd_bus_get_fd(bus); }
int sd_bus_get_timeout(sd_bus* bus, uint64_t* timeout) { return calls.sd_bus_get_timeout(bus, timeout); }
int sd_bus_get_unique_name(sd_bus* bus, const char** name) { return calls.sd_bus_get_unique_name(bus, name); }
int sd_bus_process(sd_bus* bus, sd_bus_message** message) { return calls.sd_bus_process(bus, message); }
int sd_bus_flush(sd_bus* bus) { return calls.sd_bus_flush(bus); }
sd_bus* sd_bus_flush_close_unref(sd_bus* bus) { return calls.sd_bus_flush_close_unref(bus); }
int sd_bus_send(sd_bus* bus, sd_bus_message* message, uint64_t* cookie) { return calls.sd_bus_send(bus, message, cookie); }
sd_bus_slot* sd_bus_slot_unref(sd_bus_slot* slot) { return calls.sd_bus_slot_unref(slot); }
int sd_bus_error_set_const(sd_bus_error* error, const char* name, const char* text) {
    return calls.sd_bus_error_set_const(error, name, text);
}
int sd_bus_reply_method_return(sd_bus_message* call, const char* types, ...) {
    va_list arguments;
    va_start(arguments, types);
    const int result = calls.sd_bus_reply_method_returnv(call, types, arguments);
    va_end(arguments);
    return result;
}
int sd_bus_message_read(sd_bus_message* message, const char* types, ...) {
    va_list arguments;
    va_start(arguments, types);
    const int result = calls.sd_bus_message_readv(message, types, arguments);
    va_end(arguments);
    return result;
}
int sd_bus_message_read_basic(sd_bus_message* message, char type, void* value) {
    return calls.sd_bus_message_read_basic(message, type, value);
}
int sd_bus_message_peek_type(sd_bus_message* message, char* type, const char** contents) {
    return calls.sd_bus_message_peek_type(message, type, contents);
}
const char* sd_bus_message_get_sender(sd_bus_message* message) { return calls.sd_bus_message_get_sender(message); }
int sd_bus_message_is_method_call(sd_bus_message* message, const char* interface, const char* member) {
    return calls.sd_bus_message_is_method_call(message, interface, member);
}
int sd_bus_message_is_method_error(sd_bus_message* message, const char* name) {
    return calls.sd_bus_message_is_method_error(message, name);
}
sd_bus_message* sd_bus_message_ref(sd_bus_message* message) { return calls.sd_bus_message_ref(message); }
sd_bus_message* sd_bus_message_unref(sd_bus_message* message) { return calls.sd_bus_message_unref(message); }
int sd_bus_message_new_method_call(sd_bus* bus, sd_bus_message** message, const char* destination, const char* path,
                                   const char* interface, const char* member) {
    return calls.sd_bus_message_new_method_call(bus, message, destination, path, interface, member);
}
int sd_bus_message_append(sd_bus_message* message, const char* types, ...) {
    va_list arguments;
    va_start(arguments, types);
    const int result = calls.sd_bus_message_appendv(message, types, arguments);
    va_end(arguments);
    return result;
}
int sd_bus_message_set_expect_reply(sd_bus_message* message, int expect) {
    return calls.sd_bus_message_set_expect_reply(message, expect);
}
int sd_bus_message_enter_container(sd_bus_message* message, char type, const char* contents) {
    return calls.sd_bus_message_enter_container(message, type, contents);
}
int sd_bus_message_exit_container(sd_bus_message* message) { return calls.sd_bus_message_exit_container(message); }
int sd_bus_message_skip(sd_bus_message* message, const char* types) { return calls.sd_bus_message_skip(message, types); }

}  // extern "C"
