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

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <thread>

#include "tests/e2e/bus_others.h"
#include "tests/e2e/compositor_session.h"
#include "tests/e2e/x_session.h"
#include "tools/wayland_desktop/compositor.h"
#include "tools/wayland_desktop/pointer_reporter.h"

namespace e2e {

namespace {

using namespace std::chrono_literals;

constexpr int kFaceWidth = 148, kFaceHeight = 230;
constexpr int kTopCentreLeft = (Compositor::kWidth * 15 / 2 - 2220 / 2) / 15;  // 566

struct Desktop {
    CompositorKind kind;
    int firstTop;            // where a first start stands: the top edge, or below GNOME's top bar
    bool opensOverOthers;    // a new window may open over another; GNOME, and KWin beside a face it keeps
                             // above, find it a free place
    bool tellsThePointer;    // over native windows: KWin through our script, GNOME through our extension
    Compositor::Options options{};
};

void PrintTo(const Desktop& desktop, std::ostream* out) { *out << Name(desktop.kind); }

// Our GNOME Shell extension in the form for the shell installed here, a
// module from GNOME 45 on, a script before: its built folder.
std::string GnomeExtension() {
    const std::filesystem::path scriptForm = ZW_GNOME_EXTENSION_43;
    int major = 0;
    if (FILE* version = ::popen("gnome-shell --version 2>/dev/null", "r")) {
        if (std::fscanf(version, "GNOME Shell %d", &major) != 1) major = 0;
        ::pclose(version);
    }
    return major >= 45 ? (scriptForm.parent_path() / "zwinkerle@quorl.example").string() : scriptForm.string();
}

// Turns our extension off or on; on, waits until the shell runs it.
void TurnOurExtension(SessionBus& bus, bool on) {
    const std::string uuid = std::filesystem::path(GnomeExtension()).filename();
    bus.Call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions",
             on ? "EnableExtension" : "DisableExtension", "s", uuid.c_str());
    if (on) {
        ASSERT_TRUE(WaitUntil([&] { return GnomeExtensionRuns(bus); }, 30s)) << "the extension does not come back";
    }
}

const Desktop kDesktops[] = {
    {CompositorKind::Sway, 0, true, false},
    {CompositorKind::KWin, 0, false, true},
    {CompositorKind::Gnome, 32, false, true, {{GnomeExtension()}}},
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
        program = std::make_unique<Program>(desktop->Environment().front().substr(8), display, folder.Path(), launcher);
    }
    void TearDown() override { program.reset(); }
    // A settings file the tests wrote, which the program may rewrite: its user's.
    void GiveTheSettingsToTheDesktopUser() {
        if (desktop->User() < 0) return;
        ASSERT_EQ(::chown(program->SettingsFile().c_str(), static_cast<uid_t>(desktop->User()),
                          static_cast<gid_t>(desktop->User())), 0);
    }

    // Starts the program and waits until its face shows; the window, or 0.
    Window StartFace() {
        pid = program->Start();
        const Window window = WaitForWindow(display, pid, 10s);
        if (window != 0) WaitUntil([&] { return FaceMismatches(Position(window)) == 0; }, 10s);
        return window;
    }
    std::pair<int, int> Position(Window window) const { return RootPosition(display, window); }
    // Brings the pointer to (x, y) on the face, and waits until the face's X
    // server has it there. NOTE: a busy compositor may give a press that
    // follows a move at once to the window where the pointer was; and one
    // may work out which window lies under a resting pointer only at its
    // next motion (a window that showed up under it, or the face's catcher
    // shrunk back over it at the end of a drag): so the pointer moves again
    // until X has it, as a hand's always does.
    bool PointAtTheFace(int x, int y) {
        const auto xHasIt = [&] {
            Window root = 0, child = 0;
            int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
            unsigned mask = 0;
            XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask);
            return rootX == x && rootY == y;
        };
        for (int attempt = 0; attempt < 10; ++attempt) {
            desktop->MovePointer(x - 1, y);
            desktop->MovePointer(x, y);
            if (WaitUntil(xHasIt, 500ms)) return true;
        }
        return false;
    }
    // A left drag that takes hold of the face at (x, y).
    void DragFace(int x, int y, int dx, int dy, std::chrono::milliseconds pause = 30ms) {
        EXPECT_TRUE(PointAtTheFace(x, y)) << "the pointer does not reach the face";
        desktop->Drag(x, y, dx, dy, pause);
    }
    // Off the face and the native windows' middles: sway draws the pointer
    // into its screenshots.
    void MovePointerAway() { desktop->MovePointer(Compositor::kWidth - 3, Compositor::kHeight - 3); }

    // Pixels of the face, away from its eyes, that the screen does not show
    // at `corner`; and pixels cut away around it that do not show `behind`.
    int FaceMismatches(std::pair<int, int> corner) { return Mismatches(corner, true, 0); }
    int CutAwayMismatches(std::pair<int, int> corner, platform::Colour behind) {
        return Mismatches(corner, false, behind);
    }

    // Whether both pupils look at (px, py) from the face at `corner`.
    bool PupilsTowards(std::pair<int, int> corner, int px, int py) {
        const platform::Image face = desktop->Screenshot(corner.first, corner.second, kFaceWidth, kFaceHeight);
        return PupilsLookAt(face, corner.first, corner.second, px, py);
    }
    // Starts the face at `corner` in the middle of the screen, over a
    // full-screen native window.
    Window StartFaceOverANativeWindow(std::pair<int, int> corner) {
        program->WriteSettings("[Quorl's Zwinkerle]\nTop=" + std::to_string(corner.second * 15) + "\nLeft=" +
                               std::to_string(corner.first * 15) + "\n");
        const Window face = StartFace();
        EXPECT_TRUE(WaitUntil([&] { return Position(face) == corner; }));
        WaitUntilTheDesktopReports();
        return face;
    }
    // The desktop's reporter of the pointer is up, for the program now running.
    void WaitUntilTheDesktopReports() {
        EXPECT_EQ(WaitForPointerReporter(*desktop, pid, 30s), "") << program->Stderr(pid);
    }
    // The program's times of waking: voluntary and forced context switches.
    long WakeUps() const {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        long total = 0;
        for (std::string line; std::getline(status, line);)
            if (line.find("ctxt_switches:") != std::string::npos) total += std::stol(line.substr(line.find(':') + 1));
        return total;
    }

    // X windows beside the face at `corner`: the X server knows where the
    // pointer is over them, on every desktop.
    void ExpectEyesFollowOverXWindows(std::pair<int, int> corner) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = 0x5A3278;
        std::vector<Window> sides;
        for (const auto& [x, width] : {std::pair{0, 450}, std::pair{760, 520}}) {
            sides.push_back(XCreateWindow(display, DefaultRootWindow(display), x, 0, static_cast<unsigned>(width), 800,
                                          0, CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel,
                                          &attributes));
            XMapWindow(display, sides.back());
        }
        XSync(display, False);
        const platform::Colour band = platform::RGB(0x5A, 0x32, 0x78);
        EXPECT_TRUE(WaitUntil([&] {
            return desktop->Screenshot(100, 378, 1, 1).At(0, 0) == band &&
                   desktop->Screenshot(1200, 378, 1, 1).At(0, 0) == band;
        })) << "the X windows do not show";
        for (const auto& [px, py] : {std::pair{100, 378}, std::pair{1200, 378}, std::pair{300, 10}, std::pair{900, 790}}) {
            SCOPED_TRACE("over an X window at " + std::to_string(px) + "," + std::to_string(py));
            desktop->MovePointer(px, py);
            EXPECT_TRUE(WaitUntil([&] { return PupilsTowards(corner, px, py); }, 2s));
        }
        for (const Window side : sides) XDestroyWindow(display, side);
        XSync(display, False);
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
        DragFace(from.first + 76, from.second + 120, dx, dy);
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
    const std::pair<int, int> start{kTopCentreLeft, GetParam().firstTop};
    ASSERT_TRUE(WaitUntil([&] { return Position(face) == start; })) << "not at the top centre";
    DragFace(start.first + 76, start.second + 120, -300, 250);
    const std::pair<int, int> moved{start.first - 300, start.second + 250};
    ASSERT_TRUE(WaitUntil([&] { return Position(face) == moved; })) << Position(face).first << "," << Position(face).second;
    ASSERT_TRUE(PointAtTheFace(moved.first + 80, moved.second + 120));
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

// Around the face at (538, 300), whose eyes are at (586, 378) and
// (643, 378): left, right, above and below them.
const std::pair<int, int> kAround[] = {{100, 378}, {1200, 378}, {614, 15}, {614, 790}};

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
    const std::string extension = std::filesystem::path(GnomeExtension()).filename();
    const char* uuid = extension.c_str();
    bus.Call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions", "DisableExtension", "s", uuid);
    ExpectEyesFollowOverXWindows(corner);
    bus.Call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions", "EnableExtension", "s", uuid);
    desktop->MovePointer(100, 700);
    EXPECT_TRUE(WaitUntil([&] { return PupilsTowards(corner, 100, 700); }, 3s)) << "not followed again once it is back";
}


// Fast drags that take hold of the face near its edge and move away from
// it, each followed by a visit to a native window: the hand outruns the
// window, and on a desktop that hands the pointer to whatever it is over
// the release went astray and the next press with it.
TEST_P(FaceOnWayland, EveryPressReachesTheFaceAfterFastDragsAndVisitsToANativeWindow) {
    NativeWindow behind = desktop->OpenNativeWindow(kBehind, true);
    program->WriteSettings("[Quorl's Zwinkerle]\nTop=3000\nLeft=6000\n");
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
    for (int click = 0; click < 2; ++click) {  // as a hand clicks twice
        desktop->Button(1, true);
        std::this_thread::sleep_for(40ms);
        desktop->Button(1, false);
        std::this_thread::sleep_for(60ms);
    }
    EXPECT_EQ(program->WaitForExit(pid, 5s), 0) << "the double-click did not end it";
    EXPECT_EQ(program->ReadSettings(), "[Quorl's Zwinkerle]\nTop=" + std::to_string(end.second * 15) + "\nLeft=" +
                                           std::to_string(end.first * 15) + "\n");
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

INSTANTIATE_TEST_SUITE_P(Compositors, FaceOnWayland, testing::ValuesIn(kDesktops), CompositorName<Desktop>);

}  // namespace
}  // namespace e2e
