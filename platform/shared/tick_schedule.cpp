// tick_schedule.cpp: ticking, watching and resting.
#include "platform/shared/tick_schedule.h"

namespace platform {

std::optional<TickSchedule::Clock::duration> TickSchedule::Wait(Clock::time_point now) const {
    if (state_ == State::Resting) return std::nullopt;
    return next_ > now ? next_ - now : Clock::duration::zero();
}

void TickSchedule::Ticked(bool changed, Clock::time_point now) {
    next_ += interval_;
    if (next_ <= now) next_ = now + interval_;  // fell behind: skip, don't race
    if (changed) {
        state_ = State::Active;
    } else if (state_ == State::Active) {
        state_ = State::Watching;
    } else if (!stirred_) {
        state_ = State::Resting;
    }
    stirred_ = false;
}

void TickSchedule::Wake(Clock::time_point now) {
    if (state_ == State::Resting) {
        state_ = State::Watching;
        next_ = now;
    }
    stirred_ = true;
}

}  // namespace platform
