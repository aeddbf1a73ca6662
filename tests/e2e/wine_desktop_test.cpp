// The Windows program under Wine on a real X server: what a user sees, and
// what lands in the settings file through the system's profile-string calls.
// Wine shapes windows with the X Shape extension and draws into real X
// windows, so the checks are the X ones. Every copy runs from a folder with
// non-ASCII letters in its name, which the program's UTF-8 code page must
// carry through to its settings file.
// GoogleTest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <signal.h>

#include <filesystem>
#include <map>
#include <memory>
#include <thread>

#include "tests/e2e/x_session.h"

namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 148, kHeight = 230;
constexpr int kTopCentreLeft = (1024 * 15 / 2 - 2220 / 2) / 15;  // 438: half the screen less half the window
// NOTE: without a window manager Wine waits 2 s for one to withdraw the
// window before it lets the program end.
constexpr auto kEndTime = 5s;

class Wine : public ::testing::Test {
protected:
    Wine() : program(server, folder, e2e::WindowsProgram(ZW_WINDOWS_PROGRAM, ZW_WINE_PREFIX)) {}
    // Starts a copy and waits for its window to stand still.
    Window StartAndWait() {
        pid = program.Start();
        const Window window = e2e::WaitForWindow(display, pid, 20s);
        EXPECT_NE(window, 0U) << program.Stderr(pid);
        std::this_thread::sleep_for(500ms);  // placement by the window manager, first ticks
        return window;
    }
    std::pair<int, int> Position(Window window) { return e2e::RootPosition(display, window); }

    test::TempFolder folder{"Zwinkerle-\xC3\x84pfel-\xCE\xA9-"};  // "Zwinkerle-Äpfel-Ω-"
    e2e::XServer server;
    Display* display = server.Connection();
    e2e::Program program;
    pid_t pid = 0;
};

// The same, alone and under openbox, whose moves Wine asks for with
// _NET_WM_MOVERESIZE.
class UnderWine : public Wine, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        if (GetParam()) windowManager = std::make_unique<e2e::WindowManager>(server);
    }

    std::unique_ptr<e2e::WindowManager> windowManager;
};

TEST_P(UnderWine, TheShapeIsTheFaceAndClicksBesideItReachWhatLiesBehind) {
    const Window window = StartAndWait();
    const platform::Image figure = e2e::FigureFromSource();
    // Wine sets the bounding shape only; the server then takes input there alone.
    EXPECT_EQ(e2e::ShapeDifferences(display, window, ShapeBounding, figure, kWidth), 0);
    const auto [left, top] = Position(window);
    const platform::Image screen = e2e::GrabScreen(display, left, top, kWidth, kHeight);
    EXPECT_EQ(screen.At(76, 180), figure.At(76, 180));
    EXPECT_EQ(screen.At(20, 112), figure.At(20, 112));

    // A window of ours under the face takes the presses that miss it.
    const Window behind = XCreateSimpleWindow(display, DefaultRootWindow(display), left, top, kWidth, kHeight, 0, 0, 0);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    XChangeWindowAttributes(display, behind, CWOverrideRedirect, &attributes);
    XSelectInput(display, behind, ButtonPressMask);
    XMapWindow(display, behind);
    XLowerWindow(display, behind);
    XSync(display, False);
    const auto pressReachesBehind = [&](int x, int y) {
        e2e::MovePointer(display, left + x, top + y);
        e2e::Button(display, 3, true);
        e2e::Button(display, 3, false);
        XEvent event;
        return e2e::WaitUntil([&] { return XCheckTypedWindowEvent(display, behind, ButtonPress, &event) != 0; }, 1s);
    };
    EXPECT_TRUE(pressReachesBehind(2, 2));      // the corner is cut away
    EXPECT_TRUE(pressReachesBehind(147, 10));   // so is the margin right of the face
    EXPECT_FALSE(pressReachesBehind(76, 180));  // the face itself is not
}

TEST_P(UnderWine, PupilsLookTowardsThePointerAllAround) {
    const Window window = StartAndWait();
    const auto [left, top] = Position(window);
    const std::pair<int, int> pointers[] = {{1000, top + 78}, {2, top + 78}, {left + 48, 700}, {left + 105, 2},
                                            {left + 76, top + 78}, {left + 48, top + 78}, {5, 700}, {1000, 5}};
    for (const auto& [px, py] : pointers) {
        SCOPED_TRACE("pointer at " + std::to_string(px) + "," + std::to_string(py));
        e2e::MovePointer(display, px, py);
        std::this_thread::sleep_for(250ms);
        const platform::Image screen = e2e::GrabScreen(display, left, top, kWidth, kHeight);
        for (const auto& [eyeX, eyeY] : {std::pair{48, 78}, std::pair{105, 78}}) {
            const auto [pupilX, pupilY] = e2e::PupilTowards(left, top, eyeX, eyeY, px, py);
            EXPECT_EQ(e2e::EyeMismatches(screen, eyeX, eyeY, pupilX, pupilY), 0) << "eye at " << eyeX;
        }
    }
}

TEST_P(UnderWine, LeftDragMovesTheWindowRightDragDoesNot) {
    const Window window = StartAndWait();
    const auto start = Position(window);
    e2e::Drag(display, 3, start.first + 76, start.second + 120, 120, 80);
    EXPECT_EQ(Position(window), start);
    e2e::Drag(display, 1, start.first + 76, start.second + 120, -150, 90);
    const auto moved = std::make_pair(start.first - 150, start.second + 90);
    EXPECT_TRUE(e2e::WaitUntil([&] { return Position(window) == moved; }, 2s))
        << Position(window).first << "," << Position(window).second;
}

TEST_P(UnderWine, DoubleClickStoresThePositionThroughTheSystemAndTheNextStartRestoresIt) {
    const Window window = StartAndWait();
    const auto start = Position(window);
    e2e::Drag(display, 1, start.first + 76, start.second + 120, -200, 150);
    const auto moved = std::make_pair(start.first - 200, start.second + 150);
    ASSERT_TRUE(e2e::WaitUntil([&] { return Position(window) == moved; }, 2s));
    e2e::DoubleClick(display);
    EXPECT_EQ(program.WaitForExit(pid, kEndTime), 0);
    // Written by Windows' own profile code: CRLF line ends.
    EXPECT_EQ(program.ReadSettings(), "[Quorl's Zwinkerle]\r\nTop=" + std::to_string(moved.second * 15) +
                                           "\r\nLeft=" + std::to_string(moved.first * 15) + "\r\n");
    EXPECT_EQ(Position(StartAndWait()), moved);
}

INSTANTIATE_TEST_SUITE_P(WindowManager, UnderWine, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "openbox" : "none"; });

TEST_F(Wine, OfTwentyCopiesStartedAtOnceExactlyOneShowsAndALaterOneEndsAtOnce) {
    std::vector<pid_t> copies;
    for (int i = 0; i < 20; ++i) copies.push_back(program.Start());
    std::map<pid_t, int> ended;
    e2e::WaitUntil([&] {
        for (const pid_t copy : copies)
            if (const auto code = program.WaitForExit(copy, 0ms); code && !ended.contains(copy)) ended[copy] = *code;
        return ended.size() >= copies.size() - 1;
    }, 60s);
    EXPECT_EQ(ended.size(), 19U);
    for (const auto& [copy, code] : ended) EXPECT_EQ(code, 0) << program.Stderr(copy);
    const auto windows = [&] {
        std::size_t count = 0;
        for (const pid_t copy : copies) count += e2e::WindowsOf(display, copy).size();
        return count;
    };
    EXPECT_TRUE(e2e::WaitUntil([&] { return windows() > 0; }, 20s));
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(windows(), 1U);

    const pid_t later = program.Start();
    EXPECT_EQ(program.WaitForExit(later, 5s), 0);
    EXPECT_TRUE(e2e::WindowsOf(display, later).empty());
    EXPECT_FALSE(std::filesystem::exists(test::TempFolder::Native(program.SettingsFile())));
}

TEST_F(Wine, HandEditedAndBrokenSettingsFilesStillShowTheFace) {
    struct Case { const char* name; std::string file; std::pair<int, int> position; };
    const Case cases[] = {
        {"stored position", "[Quorl's Zwinkerle]\r\nTop=1500\r\nLeft=3000\r\n", {200, 100}},
        {"only Top, other case, blanks, trailing text", "[QUORL'S ZWINKERLE]\n top =  1500 twips\n", {0, 100}},
        {"no number at all", "[Quorl's Zwinkerle]\nTop=abc\nLeft=xyz\n", {0, 0}},
        {"random bytes", std::string("\x00\xff[\x01=\n\xfe", 7), {kTopCentreLeft, 0}},
        {"wholly off-screen", "[Quorl's Zwinkerle]\nTop=-99999\nLeft=-99999\n", {kTopCentreLeft, 0}},
        {"partly on screen stays", "[Quorl's Zwinkerle]\nTop=-1500\nLeft=-1500\n", {-100, -100}},
        {"a number too large for a single", "[Quorl's Zwinkerle]\nTop=300\nLeft=1e400\n", {0, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        program.WriteSettings(c.file);
        EXPECT_EQ(Position(StartAndWait()), c.position);
        ::kill(pid, SIGTERM);
        program.WaitForExit(pid, kEndTime);
        EXPECT_EQ(program.ReadSettings(), c.file) << "a start must not change the settings file";
    }
}

}  // namespace
