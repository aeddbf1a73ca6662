// wayland_face_test.cpp: the Linux program on the Wayland desktops most
// people run (sway, KDE Plasma's KWin, GNOME Shell), through Xwayland, as a
// user sees it in the compositor's own screenshots: a face cut cleanly over
// native windows, first at the top centre, above focused and full-screen
// windows, dragged, stored and restored.
#include <gtest/gtest.h>
// After GoogleTest: Xlib defines None and Bool.
#include <X11/Xlib.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <thread>

#include "tests/e2e/compositor_session.h"
#include "tests/e2e/x_session.h"
#include "tools/wayland_desktop/compositor.h"

namespace e2e {

namespace {

using namespace std::chrono_literals;

constexpr int kFaceWidth = 148, kFaceHeight = 230;
constexpr int kTopCentreLeft = (Compositor::kWidth * 15 / 2 - 2220 / 2) / 15;  // 566

struct Desktop {
    CompositorKind kind;
    int firstTop;            // where a first start stands: the top edge, or below GNOME's top bar
    bool opensOverOthers;    // a new window may open over another; GNOME finds it a free place
    Compositor::Options options{};
};

void PrintTo(const Desktop& desktop, std::ostream* out) { *out << Name(desktop.kind); }

const Desktop kDesktops[] = {
    {CompositorKind::Sway, 0, true},
    {CompositorKind::KWin, 0, true},
    {CompositorKind::Gnome, 32, false},
};

// Colours of their own for the native windows: seen nowhere in the face.
constexpr platform::Colour kBehind = platform::RGB(0x1E, 0xB4, 0x5A);
constexpr platform::Colour kLater = platform::RGB(0x32, 0x5A, 0xC8);

class FaceOnWayland : public OnCompositor<Desktop> {
protected:
    void SetUp() override {
        OnCompositor<Desktop>::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        if (desktop->User() >= 0) {
            ASSERT_EQ(::chown(folder.Path().c_str(), static_cast<uid_t>(desktop->User()),
                              static_cast<gid_t>(desktop->User())), 0);
        }
        Launcher launcher = LinuxProgram();
        launcher.environment = desktop->Environment();
        launcher.user = desktop->User();
        program = std::make_unique<Program>(desktop->Environment().front().substr(8), folder.Path(), launcher);
    }
    void TearDown() override { program.reset(); }

    // Starts the program and waits until its face shows; the window, or 0.
    Window StartFace() {
        pid = program->Start();
        const Window window = WaitForWindow(display, pid, 10s);
        if (window != 0) WaitUntil([&] { return FaceMismatches(Position(window)) == 0; }, 10s);
        return window;
    }
    std::pair<int, int> Position(Window window) const { return RootPosition(display, window); }
    // Off the face and the native windows' middles: sway draws the pointer
    // into its screenshots.
    void MovePointerAway() { desktop->MovePointer(Compositor::kWidth - 3, Compositor::kHeight - 3); }

    // Pixels of the face, away from its eyes, that the screen does not show
    // at `corner`; and pixels cut away around it that do not show `behind`.
    int FaceMismatches(std::pair<int, int> corner) { return Mismatches(corner, true, 0); }
    int CutAwayMismatches(std::pair<int, int> corner, platform::Colour behind) {
        return Mismatches(corner, false, behind);
    }

    test::TempFolder folder{"zwinkerle-wayland-test."};
    std::unique_ptr<Program> program;
    pid_t pid = 0;

private:
    int Mismatches(std::pair<int, int> corner, bool onFace, platform::Colour behind) {
        const auto [left, top] = corner;
        const int x0 = std::max(left, 0), y0 = std::max(top, 0);
        const int x1 = std::min(left + kFaceWidth, Compositor::kWidth), y1 = std::min(top + kFaceHeight, Compositor::kHeight);
        if (x0 >= x1 || y0 >= y1) return -1;
        const platform::Image screen = desktop->Screenshot(x0, y0, x1 - x0, y1 - y0);
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const int fx = x - left, fy = y - top;
                const bool face = figure_.At(fx, fy) != figure_.At(0, 0);
                const bool nearAnEye = (fy - 78) * (fy - 78) + std::min((fx - 48) * (fx - 48), (fx - 105) * (fx - 105)) <= 36;
                const platform::Colour shown = screen.At(x - x0, y - y0);
                if (onFace && face && !nearAnEye) count += shown != figure_.At(fx, fy) ? 1 : 0;
                if (!onFace && !face) count += shown != behind ? 1 : 0;
            }
        return count;
    }

    platform::Image figure_ = FigureFromSource();
};

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
        desktop->Drag(from.first + 76, from.second + 120, dx, dy);
        const std::pair<int, int> to{from.first + dx, from.second + dy};
        ASSERT_TRUE(WaitUntil([&] { return Position(face) == to; }))
            << "dragged to " << Position(face).first << "," << Position(face).second;
        MovePointerAway();
        // Where it was shows the window behind again, all of it.
        EXPECT_TRUE(WaitUntil([&] {
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
    program->WriteSettings("[Quorl's Zwinkerle]\nTop=" + std::to_string(corner.second * 15) + "\nLeft=" +
                           std::to_string(corner.first * 15) + "\n");
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
    const auto start = Position(face);
    desktop->Drag(start.first + 76, start.second + 120, -300, 250);
    const std::pair<int, int> moved{start.first - 300, start.second + 250};
    ASSERT_TRUE(WaitUntil([&] { return Position(face) == moved; })) << Position(face).first << "," << Position(face).second;
    desktop->MovePointer(moved.first + 80, moved.second + 120);
    for (int click = 0; click < 2; ++click) {
        desktop->Button(1, true);
        std::this_thread::sleep_for(40ms);
        desktop->Button(1, false);
        std::this_thread::sleep_for(60ms);
    }
    EXPECT_EQ(program->WaitForExit(pid, 5s), 0) << "the double-click did not end it";
    EXPECT_EQ(program->ReadSettings(), "[Quorl's Zwinkerle]\nTop=" + std::to_string(moved.second * 15) + "\nLeft=" +
                                           std::to_string(moved.first * 15) + "\n");
    MovePointerAway();
    const Window again = StartFace();
    ASSERT_NE(again, 0U) << program->Stderr(pid);
    EXPECT_TRUE(WaitUntil([&] { return Position(again) == moved; })) << Position(again).first << "," << Position(again).second;
    EXPECT_TRUE(WaitUntil([&] { return FaceMismatches(moved) == 0; }));
}

INSTANTIATE_TEST_SUITE_P(Compositors, FaceOnWayland, testing::ValuesIn(kDesktops), CompositorName<Desktop>);

}  // namespace
}  // namespace e2e
