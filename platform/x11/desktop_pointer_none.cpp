// desktop_pointer_none.cpp: the desktop's reports in a build without a bus
// library: nothing is reported, and the X pointer stands alone.
#include "platform/x11/desktop_pointer.h"

namespace platform::x11 {

struct DesktopPointer::Bus {};

DesktopPointer::DesktopPointer(bool, int) {}
DesktopPointer::~DesktopPointer() = default;
pollfd DesktopPointer::PollFor() const { return {-1, 0, 0}; }
std::optional<std::chrono::steady_clock::duration> DesktopPointer::Timeout() const { return std::nullopt; }
DesktopPointer::News DesktopPointer::Process() { return {}; }
void DesktopPointer::Acknowledge() {}

}  // namespace platform::x11
