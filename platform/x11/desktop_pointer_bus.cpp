// desktop_pointer_bus.cpp: the desktop's reports over the session bus,
// with sd-bus: the connection and what the event loop asks of it.
//
// Everything is asynchronous: the first frame never waits for the bus, and
// a desktop that does not answer, refuses scripts or lacks the extension
// leaves the X pointer alone. Reports come only from the desktop that
// serves our X display, over its own connection, with a secret only this
// copy knows. Where no such desktop is on the bus, the program leaves the
// bus at once and listens to nothing there.
#include "platform/x11/desktop_pointer_bus.h"
#include "platform/x11/sd_bus_library.h"

#include <time.h>

#include <cstdint>
#include <memory>
#include <utility>

namespace platform::x11 {

DesktopPointer::Bus::~Bus() {
    Answer();
    UnloadScript();
    RemoveScriptFile();
    for (sd_bus_slot** slot : {&reports, &scriptLoad, &shellOwnerChanges, &extensionStates})
        *slot = sd_bus_slot_unref(*slot);
    sd_bus_flush_close_unref(bus);
}

DesktopPointer::DesktopPointer(bool underXwayland, int xConnection) {
    if (!underXwayland || !LoadSdBus()) return;
    auto b = std::make_unique<Bus>();
    b->listener = ListenerOf(xConnection);
    if (b->listener <= 0 || b->secret.empty()) return;  // nobody to believe
    if (sd_bus_open_user(&b->bus) < 0) return;          // no session bus
    if (!b->FindDesktop()) return;
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

DesktopPointer::News DesktopPointer::Process() {
    if (!bus_) return {};
    int processed = 0;
    while ((processed = sd_bus_process(bus_->bus, nullptr)) > 0) {
    }
    News news = std::exchange(bus_->news, {});
    if (processed < 0 || bus_->nothingHere) {  // the bus went away, or has no desktop: the X pointer alone
        news.stopped = !bus_->desktop.empty();
        news.position.reset();
        bus_.reset();
    }
    return news;
}

void DesktopPointer::Acknowledge() {
    if (bus_) bus_->Answer();
}

}  // namespace platform::x11
