// Which pointer the X11 program believes under Xwayland: the X server's,
// which knows the pointer only over X windows, or the Wayland desktop's;
// and which program on the bus counts as the desktop.
#include <gtest/gtest.h>

#include <vector>

#include "platform/x11/desktop_pointer_trust.h"
#include "platform/x11/pointer_choice.h"

namespace {

using platform::POINTAPI;
using platform::x11::DesktopKind;
using platform::x11::NameOwner;
using platform::x11::PointerChoice;
using platform::x11::TrustedDesktop;

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

// Who may report: only a desktop name's owner whose process serves our X
// display, whatever names others hold.
TEST(TrustedDesktop, IsTheProcessThatServesTheXDisplayWhateverNamesOthersHold) {
    constexpr pid_t kShell = 100, kKWin = 200, kWrapper = 199, kSway = 300, kStranger = 400;
    struct Case { const char* name; pid_t listener; NameOwner shell, kwin; DesktopKind trusted; };
    const Case cases[] = {
        {"GNOME Shell serves the display", kShell, {kShell, 1}, {}, DesktopKind::GnomeShell},
        {"KWin serves it", kKWin, {}, {kKWin, 1}, DesktopKind::KWin},
        {"KWin under the wrapper that holds its sockets", kWrapper, {}, {kKWin, kWrapper}, DesktopKind::KWin},
        {"on sway a stranger holds both desktops' names", kSway, {kStranger, 1}, {kStranger, 1}, DesktopKind::None},
        {"on sway a stranger started by someone else", kSway, {}, {kStranger, kStranger - 1}, DesktopKind::None},
        {"on GNOME a program the shell started holds KWin's name", kShell, {kShell, 1}, {kStranger, kShell},
         DesktopKind::GnomeShell},
        {"on KWin a stranger holds GNOME Shell's name", kKWin, {kStranger, 1}, {kKWin, 1}, DesktopKind::KWin},
        {"a stranger took GNOME Shell's name before the shell", kShell, {kStranger, 1}, {}, DesktopKind::None},
        {"nobody owns either name", kSway, {}, {}, DesktopKind::None},
        {"the X server's far end is unknown", 0, {}, {}, DesktopKind::None},
    };
    for (const Case& c : cases) EXPECT_EQ(TrustedDesktop(c.listener, c.shell, c.kwin), c.trusted) << c.name;
}

}  // namespace
