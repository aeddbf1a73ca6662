// When the timer ticks and when the program rests until something moves.
#include <gtest/gtest.h>

#include "platform/shared/tick_schedule.h"

using platform::TickSchedule;
using namespace std::chrono_literals;

namespace {

TEST(TickSchedule, RestsAfterTwoQuietTicksAndWakesAtOnce) {
    // Steps: 'c' a tick that changed something, 'q' a quiet tick, 'w' a
    // wake between ticks. After each step: watching motion, resting.
    struct Case { const char* name; const char* steps; const char* watching; const char* resting; };
    const Case cases[] = {
        {"moving all the time", "ccc", "---", "---"},
        {"quiet: watch, then rest", "qq", "WW", "-R"},
        {"a change while watching stops the watch", "qc", "W-", "--"},
        {"motion while watching puts the rest off by a tick", "qwqq", "WWWW", "---R"},
        {"woken from rest: ticks resume, still watching", "qqwc", "WWW-", "-R--"},
        {"woken from rest, nothing changed: rests again", "qqwqq", "WWWWW", "-R--R"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto now = TickSchedule::Clock::time_point{};
        TickSchedule schedule(70ms, now);
        for (std::size_t i = 0; c.steps[i] != '\0'; ++i) {
            if (c.steps[i] == 'w') {
                now += 10ms;
                const bool wasResting = schedule.Resting();
                schedule.Wake(now);
                EXPECT_EQ(schedule.Due(now), wasResting) << "a wake from rest ticks at once";
            } else {
                now += *schedule.Wait(now);
                ASSERT_TRUE(schedule.Due(now)) << "step " << i;
                schedule.Ticked(c.steps[i] == 'c', now);
            }
            EXPECT_EQ(schedule.WatchesMotion(), c.watching[i] == 'W') << "step " << i;
            EXPECT_EQ(schedule.Resting(), c.resting[i] == 'R') << "step " << i;
            EXPECT_EQ(!schedule.Wait(now).has_value(), schedule.Resting()) << "step " << i;
        }
    }
}

TEST(TickSchedule, KeepsItsCadenceAndSkipsTicksItFellBehindOn) {
    auto now = TickSchedule::Clock::time_point{};
    TickSchedule schedule(70ms, now);
    EXPECT_EQ(*schedule.Wait(now), 70ms);
    now += 75ms;  // a tick 5 ms late: the next one still comes on the beat
    schedule.Ticked(true, now);
    EXPECT_EQ(*schedule.Wait(now), 65ms);
    now += 500ms;  // stopped for a while: one tick now, then a whole interval
    schedule.Ticked(true, now);
    EXPECT_EQ(*schedule.Wait(now), 70ms);
}

}  // namespace
