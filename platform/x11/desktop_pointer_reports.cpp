// desktop_pointer_reports.cpp: the object the desktop calls with its
// reports, KWin's script and GNOME Shell's extension alike:
//   Moved(secret, x, y)     where the pointer went; answered once the
//                           program has used it, so one is in flight at a time
//   Covered(secret)         a window now stands over a face (KWin)
// Only calls from the desktop's own connection that carry this copy's
// secret count; anything else is refused.
#include <sys/random.h>

#include <cstdint>
#include <string>

#include "platform/x11/desktop_pointer_bus.h"

namespace platform::x11 {

namespace {

constexpr std::size_t kSecretBytes = 16;
constexpr std::int64_t kFarthest = 1000000000;  // a coordinate beyond is none

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

// A number the desktop sent: JavaScript's numbers reach the bus as
// integers or doubles, depending on the engine.
bool ReadNumber(sd_bus_message* message, std::int64_t& value) {
    char type = 0;
    if (sd_bus_message_peek_type(message, &type, nullptr) <= 0) return false;
    union {
        std::int32_t i32;
        std::int64_t i64;
        double real;
    } read{};
    if (sd_bus_message_read_basic(message, type, &read) <= 0) return false;
    switch (type) {
        case SD_BUS_TYPE_INT32: value = read.i32; break;
        case SD_BUS_TYPE_INT64: value = read.i64; break;
        case SD_BUS_TYPE_DOUBLE:
            if (!(read.real > -kFarthest && read.real < kFarthest)) return false;
            value = static_cast<std::int64_t>(read.real);
            break;
        default: return false;
    }
    return value > -kFarthest && value < kFarthest;
}

}  // namespace

std::string DesktopPointer::Bus::NewSecret() { return RandomHex(kSecretBytes); }

bool DesktopPointer::Bus::ServeReports() {
    return sd_bus_add_object(bus, &reports, kPointerPath, OnCall, this) >= 0;
}

void DesktopPointer::Bus::Answer() {
    if (unanswered == nullptr) return;
    sd_bus_reply_method_return(unanswered, nullptr);
    unanswered = sd_bus_message_unref(unanswered);
}

void DesktopPointer::Bus::Stopped() {
    news.stopped = true;
    news.position.reset();
}

bool DesktopPointer::Bus::FromTheDesktop(sd_bus_message* message) const {
    const char* sender = sd_bus_message_get_sender(message);
    const char* theirs = nullptr;
    return !desktop.empty() && sender != nullptr && desktop == sender &&
           sd_bus_message_read_basic(message, SD_BUS_TYPE_STRING, &theirs) > 0 && theirs != nullptr &&
           secret == theirs;
}

int DesktopPointer::Bus::OnCall(sd_bus_message* message, void* userdata, sd_bus_error* error) {
    Bus& b = Of(userdata);
    const bool moved = sd_bus_message_is_method_call(message, kPointerInterface, "Moved") > 0;
    const bool covered = sd_bus_message_is_method_call(message, kPointerInterface, "Covered") > 0;
    if (!moved && !covered) return 0;
    if (!b.FromTheDesktop(message))
        return sd_bus_error_set_const(error, SD_BUS_ERROR_ACCESS_DENIED, "not the desktop's report");
    if (covered) {
        b.news.covered = true;
        return sd_bus_reply_method_return(message, nullptr);
    }
    std::int64_t x = 0, y = 0;
    if (!ReadNumber(message, x) || !ReadNumber(message, y))
        return sd_bus_error_set_const(error, SD_BUS_ERROR_INVALID_ARGS, "not a position");
    b.news.position = POINTAPI{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
    b.RemoveScriptFile();  // the desktop reports: KWin has read the script
    b.Answer();  // an earlier call, if the desktop sent one without waiting
    b.unanswered = sd_bus_message_ref(message);
    return 1;
}

}  // namespace platform::x11
