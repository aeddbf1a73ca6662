// tick_schedule.h: when the timer ticks, and when the program may sleep.
//
// The eyes only change when something moves. Once a tick has painted
// nothing new, the backend watches pointer motion anywhere on the screen;
// one more quiet tick with no motion seen since, and the program rests:
// no ticks until Wake(). Waking ticks at once and keeps the cadence. The
// extra quiet tick closes the race between the last pointer query and the
// start of the watch.
#pragma once

#include <chrono>
#include <optional>

namespace platform {

class TickSchedule {
public:
    using Clock = std::chrono::steady_clock;

    TickSchedule(Clock::duration interval, Clock::time_point now) : interval_(interval), next_(now + interval) {}

    // How long the loop may wait for events before the next tick is due;
    // nothing while resting: until an event.
    std::optional<Clock::duration> Wait(Clock::time_point now) const;
    bool Due(Clock::time_point now) const { return state_ != State::Resting && now >= next_; }
    // A tick ran. `changed`: it painted something new, or the backend cannot
    // watch motion, or has another reason to keep ticking.
    void Ticked(bool changed, Clock::time_point now);
    // Something happened that can change what the next tick paints: pointer
    // motion, the window moved, exposed or pressed.
    void Wake(Clock::time_point now);
    // While true, pointer motion anywhere must reach Wake().
    bool WatchesMotion() const { return state_ != State::Active; }
    bool Resting() const { return state_ == State::Resting; }

private:
    enum class State { Active, Watching, Resting };

    Clock::duration interval_;
    Clock::time_point next_;
    State state_ = State::Active;
    bool stirred_ = false;  // woken while watching: not quiet yet
};

}  // namespace platform
