// x11_map_retry.h: asking again for a window's first map.
//
// NOTE: a window manager that is still starting can lose a map request
// (seen with openbox); ask again now and then until the window first
// shows. After that an unmapped window is the user's doing (minimised).
#pragma once

#include <chrono>

namespace platform::x11 {

class MapRetry {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kRetries = 5;
    static constexpr auto kInterval = std::chrono::seconds(1);

    // The window was asked to show.
    void Asked(Clock::time_point now) {
        asked_ = true;
        next_ = now + kInterval;
    }
    void OnMapped() { mapped_ = true; }
    // True while the window waits for its first map, so ticks must go on.
    bool Waiting() const { return asked_ && !mapped_ && retries_ < kRetries; }
    // True when the map request is due again; counts it.
    bool Due(Clock::time_point now) {
        if (now < next_) return false;
        ++retries_;
        next_ = now + kInterval;
        return true;
    }

private:
    bool asked_ = false;
    bool mapped_ = false;  // ever
    int retries_ = 0;
    Clock::time_point next_{};
};

}  // namespace platform::x11
