// double_click.h: telling a double-click from two clicks, the same way on
// every desktop, from the presses it reports.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace platform {

class DoubleClickDetector {
public:
    static constexpr std::uint32_t kDefaultIntervalMs = 400;
    static constexpr std::int32_t kSlopPixels = 4;

    // Within `intervalMs` of the first press, and at most `slopX`, `slopY`
    // pixels from it either way.
    explicit DoubleClickDetector(std::uint32_t intervalMs = kDefaultIntervalMs, std::int32_t slopX = kSlopPixels,
                                 std::int32_t slopY = kSlopPixels)
        : intervalMs_(intervalMs), slopX_(slopX), slopY_(slopY) {}

    // A left press at `timeMs` (the desktop's time, wrapping) and screen
    // position; true when it completes a double-click. A third press starts
    // afresh.
    bool Press(std::uint32_t timeMs, std::int32_t x, std::int32_t y) {
        const bool isDouble = pending_ && static_cast<std::uint32_t>(timeMs - timeMs_) <= intervalMs_ &&
                              std::abs(x - x_) <= slopX_ && std::abs(y - y_) <= slopY_;
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
    std::int32_t slopX_;
    std::int32_t slopY_;
    bool pending_ = false;
    std::uint32_t timeMs_ = 0;
    std::int32_t x_ = 0;
    std::int32_t y_ = 0;
};

}  // namespace platform
