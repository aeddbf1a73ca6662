// double_click.h: telling a double-click from two clicks, for desktops
// that report only single presses.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace platform {

class DoubleClickDetector {
public:
    static constexpr std::uint32_t kDefaultIntervalMs = 400;
    static constexpr std::int32_t kSlopPixels = 4;

    explicit DoubleClickDetector(std::uint32_t intervalMs = kDefaultIntervalMs) : intervalMs_(intervalMs) {}

    // A left press at `timeMs` (server time, wrapping) and root position;
    // true when it completes a double-click. A third press starts afresh.
    bool Press(std::uint32_t timeMs, std::int32_t x, std::int32_t y) {
        const bool isDouble = pending_ && static_cast<std::uint32_t>(timeMs - timeMs_) <= intervalMs_ &&
                              std::abs(x - x_) <= kSlopPixels && std::abs(y - y_) <= kSlopPixels;
        pending_ = !isDouble;
        timeMs_ = timeMs;
        x_ = x;
        y_ = y;
        return isDouble;
    }

    // Another button went down in between: no double-click spans it.
    void Interrupt() { pending_ = false; }

private:
    std::uint32_t intervalMs_;
    bool pending_ = false;
    std::uint32_t timeMs_ = 0;
    std::int32_t x_ = 0;
    std::int32_t y_ = 0;
};

}  // namespace platform
