// Which pointer the X11 program believes under Xwayland: the X server's,
// which knows the pointer only over X windows, or the Wayland desktop's.
#include <gtest/gtest.h>

#include <vector>

#include "platform/x11/pointer_choice.h"

namespace {

using platform::POINTAPI;
using platform::x11::PointerChoice;

// One tick's news: what the desktop reported since the last tick (if
// anything), whether it stopped reporting, and what X says now.
struct Tick {
    std::vector<POINTAPI> desktop;
    bool desktopGone;
    POINTAPI x;
    POINTAPI used;
};

TEST(PointerChoice, BelievesTheDesktopWhileItReportsAndTheXServerOtherwise) {
    struct Case { const char* name; std::vector<Tick> ticks; };
    const Case cases[] = {
        {"no desktop reports: X alone", {{{}, false, {1, 1}, {1, 1}}, {{}, false, {5, 6}, {5, 6}}}},
        {"over Wayland windows X stands still, the desktop knows",
         {{{}, false, {1, 1}, {1, 1}}, {{{300, 40}}, false, {1, 1}, {300, 40}}, {{{310, 45}, {320, 50}}, false, {1, 1}, {320, 50}}}},
        {"X jumps as the pointer leaves the X windows: still the desktop",
         {{{{300, 40}}, false, {1, 1}, {300, 40}}, {{}, false, {90, 90}, {300, 40}}, {{}, false, {90, 90}, {300, 40}}}},
        {"over X windows both move: the desktop",
         {{{{10, 10}}, false, {10, 10}, {10, 10}}, {{{20, 20}}, false, {21, 21}, {20, 20}}}},
        {"the desktop falls silent while X moves tick after tick: X from the third",
         {{{{10, 10}}, false, {10, 10}, {10, 10}}, {{}, false, {20, 20}, {10, 10}}, {{}, false, {30, 30}, {10, 10}},
          {{}, false, {40, 40}, {40, 40}}, {{}, false, {40, 40}, {40, 40}}}},
        {"the desktop stops reporting: X at once",
         {{{{10, 10}}, false, {1, 1}, {10, 10}}, {{}, true, {1, 1}, {1, 1}}}},
        {"and reports again: the desktop",
         {{{}, true, {1, 1}, {1, 1}}, {{{7, 8}}, false, {1, 1}, {7, 8}}}},
    };
    for (const Case& c : cases) {
        PointerChoice choice;
        int tick = 0;
        for (const Tick& t : c.ticks) {
            for (const POINTAPI& reported : t.desktop) choice.FromDesktop(reported);
            if (t.desktopGone) choice.DesktopGone();
            const POINTAPI used = choice.FromX(t.x);
            EXPECT_EQ(used.x, t.used.x) << c.name << ", tick " << tick;
            EXPECT_EQ(used.y, t.used.y) << c.name << ", tick " << tick;
            ++tick;
        }
    }
}

}  // namespace
