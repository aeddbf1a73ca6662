// wayland_face_test.cpp: the Linux program on the Wayland desktops most
// people run (sway, KDE Plasma's KWin, GNOME Shell), through Xwayland, as a
// user sees it: a face cut cleanly over native windows, first at the top
// centre, above focused and full-screen windows, dragged, stored and
// restored, letting clicks on its cut-away through where Xwayland can.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

#include "tests/e2e/wayland_face.h"
#include "tools/wayland_desktop/pointer_reporter.h"

namespace e2e {

namespace {

using namespace std::chrono_literals;

TEST_P(FaceOnWayland, FirstStartAtTheTopCentreAboveAFullScreenWindowCutCleanly) {
    NativeWindow behind = desktop->OpenNativeWindow(kBehind, true);
    const Window face = StartFace();
    ASSERT_NE(face, 0U) << program->Stderr(pid);
    const std::pair<int, int> corner{kTopCentreLeft, GetParam().firstTop};
    EXPECT_TRUE(WaitUntil([&] { return Position(face) == corner; })) << Position(face).first << "," << Position(face).second;
    EXPECT_EQ(FaceMismatches(corner), 0) << "the face is not above the full-screen window";
    EXPECT_EQ(CutAwayMismatches(corner, kBehind), 0) << "the cut-away is not see-through";
}

TEST_P(FaceOnWayland, DraggedOverANativeWindowItLeavesNoTraceAndStaysCut) {
    NativeWindow behind = desktop->OpenNativeWindow(kBehind, true);
    program->WriteSettings("[Quorl's Zwinkerle]\nTop=3000\nLeft=6000\n");
    const Window face = StartFace();
    ASSERT_NE(face, 0U) << program->Stderr(pid);
    const std::pair<int, int> start{400, 200};
    ASSERT_TRUE(WaitUntil([&] { return Position(face) == start; })) << "not placed where it was stored";
    for (const auto& [dx, dy] : {std::pair{180, 90}, std::pair{-260, 40}}) {
        const auto from = Position(face);
        DragFace(from.first + 76, from.second + 120, dx, dy);
        const std::pair<int, int> to{from.first + dx, from.second + dy};
        ASSERT_TRUE(WaitUntil([&] { return Position(face) == to; }))
            << "dragged to " << Position(face).first << "," << Position(face).second;
        MovePointerAway();
        // Where it was shows the window behind again, all of it: only a
        // screenshot shows that.
        EXPECT_TRUE(!seen->Unseen().empty() || WaitUntil([&] {
            const platform::Image old = desktop->Screenshot(from.first, from.second, kFaceWidth, kFaceHeight);
            int traces = 0;
            for (int y = 0; y < kFaceHeight; ++y)
                for (int x = 0; x < kFaceWidth; ++x) {
                    const bool underFace = x + from.first >= to.first && x + from.first < to.first + kFaceWidth &&
                                           y + from.second >= to.second && y + from.second < to.second + kFaceHeight;
                    traces += !underFace && old.At(x, y) != kBehind ? 1 : 0;
                }
            return traces == 0;
        })) << "a trace of the face is left where it was";
        EXPECT_TRUE(WaitUntil([&] { return FaceMismatches(to) == 0; }));
        EXPECT_EQ(CutAwayMismatches(to, kBehind), 0);
    }
    if (!seen->Unseen().empty()) GTEST_SKIP() << "no trace where it was: " << seen->Unseen();
}

TEST_P(FaceOnWayland, WindowsOpenedOrFocusedLaterStayBelowAndShowThroughTheCutAway) {
    // Where the desktop puts a new window, seen once: the face stands there
    // before the window opens again, as it may open under a face.
    Area place;
    {
        NativeWindow probe = desktop->OpenNativeWindow(kLater, false);
        place = probe.Where();
        probe.Close();
    }
    ASSERT_GE(place.width, kFaceWidth + 20);
    ASSERT_GE(place.height, kFaceHeight + 20);
    const std::pair<int, int> corner{place.x + 10, place.y + 10};
    StoreCorner(corner);
    const Window face = StartFace();
    ASSERT_NE(face, 0U) << program->Stderr(pid);
    ASSERT_TRUE(WaitUntil([&] { return Position(face) == corner; })) << Position(face).first << "," << Position(face).second;
    for (const bool fullScreen : {false, true}) {
        SCOPED_TRACE(fullScreen ? "full-screen" : "normal");
        NativeWindow later = desktop->OpenNativeWindow(kLater, fullScreen);
        const Area& area = later.Where();
        const bool covers = area.x <= corner.first && area.y <= corner.second &&
                            area.x + area.width >= corner.first + kFaceWidth &&
                            area.y + area.height >= corner.second + kFaceHeight;
        if (fullScreen || GetParam().opensOverOthers) {
            ASSERT_TRUE(covers) << "the window does not cover the face's place";
        }
        // It has the focus: one more click on it, away from the face, to be sure.
        desktop->Click(area.x + area.width - 5, area.y + area.height - 5);
        ASSERT_TRUE(WaitUntil([&] { return later.Clicks() == 1; }));
        MovePointerAway();
        EXPECT_TRUE(WaitUntil([&] { return FaceMismatches(corner) == 0; })) << "covered by the focused window";
        if (covers) {
            EXPECT_TRUE(WaitUntil([&] { return CutAwayMismatches(corner, kLater) == 0; }))
                << CutAwayMismatches(corner, kLater) << " cut-away pixels do not show the window beneath";
        }
        later.Close();
    }
}

TEST_P(FaceOnWayland, DoubleClickStoresWhereItWasDraggedAndTheNextStartPutsItBack) {
    NativeWindow behind = desktop->OpenNativeWindow(kBehind, true);
    const Window face = StartFace();
    ASSERT_NE(face, 0U) << program->Stderr(pid);
    const std::pair<int, int> start{kTopCentreLeft, GetParam().firstTop};
    ASSERT_TRUE(WaitUntil([&] { return Position(face) == start; })) << "not at the top centre";
    DragFace(start.first + 76, start.second + 120, -300, 250);
    const std::pair<int, int> moved{start.first - 300, start.second + 250};
    ASSERT_TRUE(WaitUntil([&] { return Position(face) == moved; })) << Position(face).first << "," << Position(face).second;
    ASSERT_TRUE(PointAtTheFace(moved.first + 80, moved.second + 120));
    DoubleClick();
    EXPECT_EQ(program->WaitForExit(pid, 5s), 0) << "the double-click did not end it";
    EXPECT_EQ(program->ReadSettings(), "[Quorl's Zwinkerle]\nTop=" + std::to_string(moved.second * 15) + "\nLeft=" +
                                           std::to_string(moved.first * 15) + "\n");
    MovePointerAway();
    const Window again = StartFace();
    ASSERT_NE(again, 0U) << program->Stderr(pid);
    EXPECT_TRUE(WaitUntil([&] { return Position(again) == moved; })) << Position(again).first << "," << Position(again).second;
    EXPECT_TRUE(WaitUntil([&] { return FaceMismatches(moved) == 0; }));
}

TEST_P(FaceOnWayland, AClickOnTheCutAwayReachesTheWindowBehindWhereXwaylandPassesTheInputShapeOn) {
    const std::optional<bool> passes = CutAwayPassesClicks(display, GetParam().kind);
    if (!passes) GTEST_SKIP() << "here clicks on the cut-away reach the window behind at times only";
    NativeWindow behind = desktop->OpenNativeWindow(kBehind, true);
    const std::pair<int, int> corner{538, 300};
    StoreCorner(corner);
    const Window face = StartFace();
    ASSERT_NE(face, 0U) << program->Stderr(pid);
    ASSERT_TRUE(WaitUntil([&] { return Position(face) == corner && FaceMismatches(corner) == 0; }))
        << "not shown where it was stored";
    // Off the face's top-left: cut away, well clear of the outline.
    ASSERT_EQ(FigureFromSource().At(8, 8), FigureFromSource().At(0, 0));
    const std::pair<int, int> cutAway{corner.first + 8, corner.second + 8};
    // The pointer there, as the window behind or the face's X server says.
    desktop->MovePointer(cutAway.first + 1, cutAway.second);
    desktop->MovePointer(cutAway.first, cutAway.second);
    ASSERT_TRUE(WaitUntil([&] { return behind.PointerCameTo(cutAway.first, cutAway.second) || XPointer() == cutAway; }))
        << "the pointer reaches neither the face nor the window behind";
    desktop->Button(1, true);
    desktop->Button(1, false);
    // Then a click on the window behind, away from the face: once it is
    // there, so is the first, if it went there.
    const std::pair<int, int> elsewhere{100, 700};
    desktop->Click(elsewhere.first, elsewhere.second);
    ASSERT_TRUE(WaitUntil([&] { return std::ranges::count(behind.Presses(), elsewhere) == 1; }))
        << "a click on the window behind did not reach it";
    EXPECT_EQ(std::ranges::count(behind.Presses(), cutAway), *passes ? 1 : 0)
        << "clicks on the cut-away that reached the window behind, where Xwayland " << (*passes ? "passes" : "keeps")
        << " the input shape";
    EXPECT_EQ(Position(face), corner);
}

TEST_P(FaceOnWayland, EyesFollowThePointerOverNativeWindowsWhereTheDesktopTellsAndOverXWindowsEverywhere) {
    NativeWindow behind = desktop->OpenNativeWindow(kBehind, true);
    const std::pair<int, int> corner{538, 300};
    StartFaceOverANativeWindow(corner);
    // Last seen by the X server over the face itself, on its chin.
    const std::pair<int, int> chin{corner.first + 74, corner.second + 200};
    desktop->MovePointer(chin.first, chin.second);
    ASSERT_TRUE(WaitUntil([&] { return PupilsTowards(corner, chin.first, chin.second); }));
    for (const auto& [px, py] : kAround) {
        SCOPED_TRACE("over the native window at " + std::to_string(px) + "," + std::to_string(py));
        desktop->MovePointer(px, py);
        if (!GetParam().tellsThePointer) {  // the eyes stay where the X server saw the pointer last
            EXPECT_FALSE(WaitUntil([&] { return !PupilsTowards(corner, chin.first, chin.second); }, 500ms));
            continue;
        }
        const auto moved = std::chrono::steady_clock::now();
        EXPECT_TRUE(WaitUntil([&] { return PupilsTowards(corner, px, py); }, 2s));
        std::cout << Name(GetParam().kind) << ": the eyes followed in "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - moved).count()
                  << " ms, screenshots included" << std::endl;
    }
    ExpectEyesFollowOverXWindows(corner);
}

TEST_P(FaceOnWayland, APointerAtRestCostsNothing) {
    NativeWindow behind = desktop->OpenNativeWindow(kBehind, true);
    StartFaceOverANativeWindow({538, 300});
    for (const auto& [px, py] : kAround) desktop->MovePointer(px, py);
    std::this_thread::sleep_for(1s);  // the eyes have settled, and the program has gone to rest
    const long before = WakeUps();
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(WakeUps() - before, 0) << "woke at rest";
}

// Fast drags that take hold of the face near its edge and move away from
// it, each followed by a visit to a native window: the hand outruns the
// window, and on a desktop that hands the pointer to whatever it is over
// the release went astray and the next press with it.
TEST_P(FaceOnWayland, EveryPressReachesTheFaceAfterFastDragsAndVisitsToANativeWindow) {
    NativeWindow behind = desktop->OpenNativeWindow(kBehind, true);
    StoreCorner({400, 200});
    GiveTheSettingsToTheDesktopUser();
    const Window face = StartFace();
    ASSERT_NE(face, 0U) << program->Stderr(pid);
    ASSERT_TRUE(WaitUntil([&] { return Position(face) == std::pair{400, 200}; })) << "not placed where it was stored";
    struct Drag {
        int grabX, grabY;  // where the hand takes hold of the face
        int dx, dy;        // in ten steps of 15 ms
    };
    const Drag drags[] = {{76, 120, 200, 60}, {76, 120, -200, 60}, {20, 120, 200, 60}, {20, 120, -200, 60},
                          {128, 120, -200, -60}, {128, 120, 200, -60}, {74, 26, 60, 150}, {74, 224, -60, -150}};
    for (const Drag& drag : drags) {
        const auto from = Position(face);
        SCOPED_TRACE("taken at " + std::to_string(drag.grabX) + "," + std::to_string(drag.grabY) + " by " +
                     std::to_string(drag.dx) + "," + std::to_string(drag.dy));
        DragFace(from.first + drag.grabX, from.second + drag.grabY, drag.dx, drag.dy, 15ms);
        const std::pair<int, int> to{from.first + drag.dx, from.second + drag.dy};
        EXPECT_TRUE(WaitUntil([&] { return Position(face) == to; }))
            << "the face is at " << Position(face).first << "," << Position(face).second;
        desktop->MovePointer(1100, 700);  // off the face: sway draws the pointer into its screenshots
        EXPECT_TRUE(WaitUntil([&] { return FaceMismatches(to) == 0; })) << "the face does not show where it stands";
    }
    const auto end = Position(face);
    ASSERT_TRUE(PointAtTheFace(end.first + 76, end.second + 120));
    DoubleClick();
    EXPECT_EQ(program->WaitForExit(pid, 5s), 0) << "the double-click did not end it";
    EXPECT_EQ(program->ReadSettings(), "[Quorl's Zwinkerle]\nTop=" + std::to_string(end.second * 15) + "\nLeft=" +
                                           std::to_string(end.first * 15) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Compositors, FaceOnWayland, testing::ValuesIn(kDesktops), CompositorName<Desktop>);

}  // namespace
}  // namespace e2e
