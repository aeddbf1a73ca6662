// wayland_bus_test.cpp: the Linux program on the Wayland desktops, through
// Xwayland: who may tell it where the pointer is. Only the desktop itself
// (KWin through the script this copy loaded, GNOME Shell through our
// extension), only to this copy, and only while it runs; a stranger on the
// session bus can neither steer the eyes nor silence the desktop. The
// fixture and its instances are the face cases'.
#include <signal.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/bus_others.h"
#include "tests/e2e/wayland_face.h"
#include "tools/wayland_desktop/pointer_reporter.h"

namespace e2e {

namespace {

using namespace std::chrono_literals;

TEST_P(FaceOnWayland, KWinKeepsNoScriptOfACopyThatEndedOrWasKilled) {
    if (GetParam().kind != CompositorKind::KWin) GTEST_SKIP() << "KWin's own";
    SessionBus bus(desktop->BusAddress());
    enum class End { DoubleClick, Terminate, Kill };
    for (const End end : {End::DoubleClick, End::Terminate, End::Kill}) {
        SCOPED_TRACE(end == End::DoubleClick ? "double-clicked" : end == End::Terminate ? "SIGTERM" : "SIGKILL");
        const Window face = StartFace();
        ASSERT_NE(face, 0U);
        std::string busName;
        ASSERT_TRUE(WaitUntil([&] { return !(busName = BusNameOf(bus, pid)).empty(); }, 15s)) << "not on the bus";
        ASSERT_TRUE(WaitUntil([&] { return KWinRunsScriptOf(bus, busName); }, 15s)) << "no script loaded" << program->Stderr(pid);
        const auto [left, top] = Position(face);
        switch (end) {
            case End::DoubleClick:
                ASSERT_TRUE(PointAtTheFace(left + 76, top + 120));
                for (int click = 0; click < 2; ++click) {
                    desktop->Button(1, true);
                    desktop->Button(1, false);
                }
                break;
            case End::Terminate: ::kill(pid, SIGTERM); break;
            case End::Kill: ::kill(pid, SIGKILL); break;
        }
        EXPECT_TRUE(program->WaitForExit(pid, 5s).has_value());
        // Killed outright, it cannot say goodbye: the script takes its leave
        // as the pointer goes on moving.
        int step = 0;
        EXPECT_TRUE(WaitUntil([&] {
            if (end == End::Kill)
                for (int move = 0; move < 8; ++move, ++step) desktop->MovePointer(100 + step % 200 * 5, 700 - step % 2 * 20);
            return !KWinRunsScriptOf(bus, busName);
        }, 10s)) << "the script stays after " << step << " moves";
    }
}

// Two points on a native window, off the face at `corner`: near its
// top-left and bottom-right corners, or where those are on the face, the
// others.
std::pair<std::pair<int, int>, std::pair<int, int>> BesideTheFace(const Area& window, std::pair<int, int> corner) {
    const auto off = [&](std::pair<int, int> p) {
        return p.first < corner.first - 10 || p.first > corner.first + kFaceWidth + 10 || p.second < corner.second - 10 ||
               p.second > corner.second + kFaceHeight + 10;
    };
    const int left = window.x + 15, top = window.y + 15;
    const int right = window.x + window.width - 15, bottom = window.y + window.height - 15;
    if (off({left, top}) && off({right, bottom})) return {{left, top}, {right, bottom}};
    return {{right, top}, {left, bottom}};
}

// A stranger that took every name it could before the program (and on
// GNOME its extension) started can neither turn the eyes nor stop the
// desktop's reports; on sway, where no desktop reports, the program is not
// on the bus at all.
TEST_P(FaceOnWayland, NoOtherProgramOnTheBusCanTurnTheEyes) {
    const std::pair<int, int> corner{538, 300};
    NativeWindow native = desktop->OpenNativeWindow(kBehind, false);
    // The stranger comes first, on GNOME before the extension too.
    SessionBus bus(desktop->BusAddress());
    const bool gnome = GetParam().kind == CompositorKind::Gnome;
    if (gnome) TurnOurExtension(bus, false);
    Stranger stranger(desktop->BusAddress());
    stranger.Take(kNamesAStrangerTakes);
    if (gnome) {
        ASSERT_NO_FATAL_FAILURE(TurnOurExtension(bus, true));
    }
    BusMonitor monitor(desktop->BusAddress());
    StartFaceOverANativeWindow(corner);
    const bool tells = GetParam().tellsThePointer;
    if (!tells) {
        EXPECT_TRUE(WaitUntil([&] { stranger.Answer(); return BusNameOf(bus, pid).empty(); }, 10s))
            << "on the bus where no desktop reports";
    }
    // The eyes look at the pointer over the native window where the
    // desktop tells; elsewhere at the face's chin, where X saw it last.
    const auto [looked, next] = tells ? BesideTheFace(native.Where(), corner)
                                      : std::pair{std::pair{corner.first + 74, corner.second + 200},
                                                  std::pair{corner.first + 74, corner.second + 30}};
    const auto point = [&](std::pair<int, int> at) {
        if (tells) desktop->MovePointer(at.first, at.second);
        return tells || PointAtTheFace(at.first, at.second);
    };
    ASSERT_TRUE(point(looked));
    ASSERT_TRUE(WaitUntil([&] { stranger.Answer(); return PupilsTowards(corner, looked.first, looked.second); }))
        << "the eyes do not follow: the desktop does not report";

    // It learns the secret the desktop's reports carry, from a bus monitor,
    // and steers across the screen from where the eyes look.
    for (const SeenMessage& message : monitor.Seen())
        if (message.member == "Moved" && !message.firstString.empty()) stranger.Learn(message.firstString);
    const std::string busName = BusNameOf(bus, pid);
    TryToSteer(stranger, busName, {looked.first < corner.first + 74 ? 1275 : 5, looked.second < corner.second + 78 ? 795 : 5});
    TryToSilence(stranger, busName);
    // Once the program has read all that, as its answer to a ping says.
    if (!busName.empty()) stranger.Call(busName.c_str(), "/", "org.freedesktop.DBus.Peer", "Ping", "");
    EXPECT_FALSE(WaitUntil([&] { stranger.Answer(); return !PupilsTowards(corner, looked.first, looked.second); }, 1s))
        << "the eyes turned";
    // The desktop still reports, and only to the program.
    ASSERT_TRUE(point(next));
    EXPECT_TRUE(WaitUntil([&] { return PupilsTowards(corner, next.first, next.second); }, 3s)) << "the eyes froze";
    for (const SeenMessage& message : monitor.Seen()) {
        if (message.member == "Moved" && message.sender != stranger.UniqueName()) {
            EXPECT_EQ(message.destination, busName) << "a position from " << message.sender << " to someone else";
        }
    }
}

TEST_P(FaceOnWayland, WithTheExtensionTurnedOffTheEyesStillFollowOverXWindows) {
    if (GetParam().kind != CompositorKind::Gnome) GTEST_SKIP() << "GNOME's own";
    NativeWindow behind = desktop->OpenNativeWindow(kBehind, true);
    const std::pair<int, int> corner{538, 300};
    StartFaceOverANativeWindow(corner);
    desktop->MovePointer(1150, 500);
    ASSERT_TRUE(WaitUntil([&] { return PupilsTowards(corner, 1150, 500); })) << "the extension does not report";
    SessionBus bus(desktop->BusAddress());
    TurnOurExtension(bus, false);
    ExpectEyesFollowOverXWindows(corner);
    ASSERT_NO_FATAL_FAILURE(TurnOurExtension(bus, true));
    desktop->MovePointer(100, 700);
    EXPECT_TRUE(WaitUntil([&] { return PupilsTowards(corner, 100, 700); }, 3s)) << "not followed again once it is back";
}


// GNOME's extension tells where the pointer is to a running copy that
// asked, and to nobody else: a bus monitor sees no position while no copy
// runs, none sent to everyone, and none once the copy has ended.
TEST_P(FaceOnWayland, TheExtensionTellsOnlyARunningCopyWhereThePointerIs) {
    if (GetParam().kind != CompositorKind::Gnome) GTEST_SKIP() << "GNOME's own";
    SessionBus bus(desktop->BusAddress());
    ASSERT_TRUE(WaitUntil([&] { return GnomeExtensionRuns(bus); }, 30s)) << "the extension is not on";
    BusMonitor monitor(desktop->BusAddress());
    const auto positions = [&] {
        std::vector<SeenMessage> told;
        for (const SeenMessage& message : monitor.Seen())
            if (message.member == "Moved") told.push_back(message);
        return told;
    };
    const auto wander = [&] {
        for (const auto& [px, py] : kAround) desktop->MovePointer(px, py);
    };
    wander();
    EXPECT_FALSE(WaitUntil([&] { return !positions().empty(); }, 1s)) << "told while no copy runs";

    const std::pair<int, int> corner{538, 300};
    StartFaceOverANativeWindow(corner);
    const std::string busName = BusNameOf(bus, pid);
    wander();
    ASSERT_TRUE(WaitUntil([&] { return PupilsTowards(corner, kAround[3].first, kAround[3].second); }))
        << "the extension does not report";
    EXPECT_FALSE(positions().empty());
    for (const SeenMessage& message : positions()) {
        EXPECT_EQ(message.type, SD_BUS_MESSAGE_METHOD_CALL) << "a position sent to everyone";
        EXPECT_EQ(message.destination, busName) << "a position sent to someone else";
    }

    ::kill(pid, SIGTERM);
    ASSERT_TRUE(program->WaitForExit(pid, 5s).has_value());
    // The shell has taken in that the copy left once it answers a question
    // asked after the bus told it.
    ASSERT_TRUE(WaitUntil([&] { return BusNameOf(bus, pid).empty(); }));
    GnomeExtensionRuns(bus);
    monitor.Forget();
    wander();
    EXPECT_FALSE(WaitUntil([&] { return !positions().empty(); }, 1s)) << "told after the copy ended";
}

}  // namespace
}  // namespace e2e
