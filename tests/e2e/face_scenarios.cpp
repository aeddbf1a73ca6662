// face_scenarios.cpp: the scenarios every build of the program must pass on
// a real X server, driven by XTest.
#include "tests/e2e/face_scenarios.h"

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>

namespace e2e {

namespace {

using namespace std::chrono_literals;

bool Exists(const std::string& path) { return std::filesystem::exists(test::TempFolder::Native(path)); }

// ASCII text as Windows editors save "Unicode": UTF-16 after its byte-order mark.
std::string Utf16(std::string_view ascii, bool littleEndian) {
    std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : ascii) bytes += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
    return bytes;
}

// A left click where the pointer stands, the button held for `hold`: 0 is a
// press and release back to back, as a touchpad's tap can arrive.
void Click(Display* display, std::chrono::milliseconds hold) {
    Button(display, 1, true);
    if (hold > 0ms) std::this_thread::sleep_for(hold);
    Button(display, 1, false);
}

}  // namespace

TEST_P(FaceOnDesktop, TheShapeIsTheFaceAndPressesBesideItReachWhatLiesBehind) {
    const Window window = StartAndWait();
    const platform::Image figure = FigureFromSource();
    ASSERT_EQ(figure.width, 150);
    EXPECT_EQ(ShapeDifferences(display, window, ShapeBounding, figure, kFaceWidth), 0);
    // What shows on screen is the picture, outside the eyes.
    const auto [left, top] = Position(window);
    const platform::Image screen = GrabScreen(display, left, top, kFaceWidth, kFaceHeight);
    EXPECT_EQ(screen.At(76, 180), figure.At(76, 180));
    EXPECT_EQ(screen.At(20, 112), figure.At(20, 112));

    // A window of ours under the face takes the presses that miss it.
    const Window behind = XCreateSimpleWindow(display, DefaultRootWindow(display), left, top, kFaceWidth,
                                              kFaceHeight, 0, 0, 0);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    XChangeWindowAttributes(display, behind, CWOverrideRedirect, &attributes);
    XSelectInput(display, behind, ButtonPressMask);
    XMapWindow(display, behind);
    XLowerWindow(display, behind);
    XSync(display, False);
    const auto pressReachesBehind = [&](int x, int y) {
        MovePointer(display, left + x, top + y);
        Button(display, 3, true);
        Button(display, 3, false);
        XEvent event;
        return WaitUntil([&] { return XCheckTypedWindowEvent(display, behind, ButtonPress, &event) != 0; }, 1s);
    };
    EXPECT_TRUE(pressReachesBehind(2, 2));      // the corner is cut away
    EXPECT_TRUE(pressReachesBehind(147, 10));   // so is the margin right of the face
    EXPECT_FALSE(pressReachesBehind(76, 180));  // the face itself is not
}

TEST_P(FaceOnDesktop, PupilsLookTowardsThePointerAllAround) {
    const Window window = StartAndWait();
    const auto [left, top] = Position(window);
    // Far to either side at eye height, straight below and above an eye,
    // between the eyes, on an eye, and in two corners of the screen; then
    // after a rest, while another program holds the pointer (an open menu,
    // a drag in another window), and after that program lets go.
    struct Case { std::pair<int, int> pointer; bool restFirst, grabbedByAnother; };
    const Case cases[] = {{{1000, top + 78}, false, false}, {{2, top + 78}, false, false},
                          {{left + 48, 700}, false, false}, {{left + 105, 2}, false, false},
                          {{left + 76, top + 78}, false, false}, {{left + 48, top + 78}, false, false},
                          {{5, 700}, false, false}, {{1000, 5}, false, false},
                          {{5, 700}, true, true}, {{1000, 600}, false, true}, {{20, 20}, true, false}};
    Display* other = XOpenDisplay(server->Name().c_str());
    ASSERT_NE(other, nullptr);
    const Window grabber = DefaultRootWindow(other);
    for (const Case& c : cases) {
        const auto [px, py] = c.pointer;
        SCOPED_TRACE("pointer at " + std::to_string(px) + "," + std::to_string(py) +
                     (c.restFirst ? ", after a rest" : "") + (c.grabbedByAnother ? ", grabbed by another client" : ""));
        // Long enough for the face to fall asleep: it rests once its eyes stop changing.
        if (c.restFirst) std::this_thread::sleep_for(1500ms);
        if (c.grabbedByAnother) {
            ASSERT_EQ(XGrabPointer(other, grabber, False, PointerMotionMask, GrabModeAsync, GrabModeAsync, None, None,
                                   CurrentTime), GrabSuccess);
            XSync(other, False);
        }
        MovePointer(display, px, py);
        EXPECT_TRUE(WaitUntil([&] { return FaceMismatches(display, {left, top}, {px, py}) == 0; }, 2s));
        XUngrabPointer(other, CurrentTime);
        XSync(other, False);
    }
    XCloseDisplay(other);
}

TEST_P(FaceOnDesktop, LeftDragMovesTheWindowByThePointersPathRightDragDoesNot) {
    const Window window = StartAndWait();
    const auto start = Position(window);
    Drag(display, 3, start.first + 76, start.second + 120, 120, 80);
    EXPECT_FALSE(WaitUntil([&] { return Position(window) != start; }, 500ms)) << "a right drag moved it";
    Drag(display, 1, start.first + 76, start.second + 120, -150, 90);
    const auto moved = std::make_pair(start.first - 150, start.second + 90);
    EXPECT_TRUE(WaitUntil([&] { return Position(window) == moved; }, 2s))
        << Position(window).first << "," << Position(window).second;
}

TEST_P(FaceOnDesktop, ADragQueuedWhileTheProgramIsStoppedLandsWhereTheButtonWasReleased) {
    const Window window = StartAndWait();
    const auto start = Position(window);
    const int x = start.first + 76, y = start.second + 120;
    ::kill(pid, SIGSTOP);  // falls behind: everything below waits in its queue
    MovePointer(display, x, y);
    Button(display, 1, true);
    MoveInSteps(display, x, y, 50, 0, 5ms);
    Button(display, 1, false);
    MoveInSteps(display, x + 50, y, 80, 40, 5ms);  // the pointer drifts on, no button held
    ::kill(pid, SIGCONT);
    const auto released = std::make_pair(start.first + 50, start.second);
    EXPECT_TRUE(WaitUntil([&] { return Position(window) == released; }, 2s));
    EXPECT_FALSE(WaitUntil([&] { return Position(window) != released; }, 300ms))
        << "went on to " << Position(window).first << "," << Position(window).second;
}

TEST_P(ProgramStarts, ASecondStartEndsAtOnceWithoutAWindow) {
    StartAndWait();
    const pid_t second = program->Start();
    EXPECT_EQ(program->WaitForExit(second, program->Patience()), 0);
    EXPECT_TRUE(WindowsOf(display, second).empty());
    EXPECT_FALSE(Exists(program->SettingsFile()));
}

TEST_P(ProgramStarts, OfTwentyCopiesStartedAtOnceExactlyOneShows) {
    // The copies race for the single-copy lock, not for the desktop: Wine's
    // starts with the first program that asks, and on a busy machine may
    // come up too late for it (the copy that holds the lock then says so).
    ASSERT_TRUE(program->KeepDesktopUp());
    // Whatever their environment says about private and temporary folders.
    // NOTE: not under Wine, which keeps a session per temporary folder: no
    // Windows program would see them apart.
    test::TempFolder runtimeA, runtimeB;
    const std::vector<std::string> environments[] = {
        {}, {"XDG_RUNTIME_DIR=" + runtimeA.Path()}, {"XDG_RUNTIME_DIR=" + runtimeB.Path(), "TMPDIR=" + runtimeB.Path()},
        {"XDG_RUNTIME_DIR=", "TMPDIR="}};
    std::vector<pid_t> copies;
    for (int i = 0; i < 20; ++i)
        copies.push_back(program->Start({}, program->UnderWine() ? std::vector<std::string>{}
                                                                 : environments[i % std::size(environments)]));
    std::map<pid_t, int> ended;
    WaitUntil([&] {
        for (const pid_t copy : copies)
            if (const auto code = program->WaitForExit(copy, 0ms); code && !ended.contains(copy)) ended[copy] = *code;
        return ended.size() >= copies.size() - 1;
    }, 3 * program->Patience());
    EXPECT_EQ(ended.size(), 19U);
    for (const auto& [copy, code] : ended) EXPECT_EQ(code, 0) << program->Stderr(copy);
    const auto windows = [&] {
        std::size_t count = 0;
        for (const pid_t copy : copies) count += WindowsOf(display, copy).size();
        return count;
    };
    EXPECT_TRUE(WaitUntil([&] { return windows() > 0; }, program->Patience()));
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(windows(), 1U);
}

TEST_P(FaceOnDesktop, DoubleClickStoresThePositionAndTheNextStartRestoresIt) {
    const Window window = StartAndWait();
    const auto start = Position(window);
    Drag(display, 1, start.first + 76, start.second + 120, -200, 150);
    const auto moved = std::make_pair(start.first - 200, start.second + 150);
    ASSERT_TRUE(WaitUntil([&] { return Position(window) == moved; }, 2s));
    DoubleClick(display);
    EXPECT_EQ(program->WaitForExit(pid, program->Patience()), 0);
    // Written by the platform's own profile writer.
    const std::string& end = program->LineEnd();
    EXPECT_EQ(program->ReadSettings(), "[Quorl's Zwinkerle]" + end + "Top=" + std::to_string(moved.second * 15) + end +
                                           "Left=" + std::to_string(moved.first * 15) + end);
    EXPECT_EQ(Position(StartAndWait()), moved);
}

TEST_P(FaceOnDesktop, ATapIsAClickAfterWhichThePointerMovesAlone) {
    for (const auto hold : {0ms, 5ms, 20ms}) {
        SCOPED_TRACE("held " + std::to_string(hold.count()) + " ms");
        const Window window = StartAndWait();
        const auto start = Position(window);
        const int x = start.first + 76, y = start.second + 120;
        MovePointer(display, x, y);
        Click(display, hold);
        // The finger has left the touchpad before the pointer moves on.
        WaitUntilThePointerIsFree(display);
        // No button is held: wherever the pointer goes, the face stays.
        MoveInSteps(display, x, y, 150, 100, 20ms);
        EXPECT_FALSE(WaitUntil([&] { return Position(window) != start; }, 1s))
            << "followed to " << Position(window).first << "," << Position(window).second;
        // And a drag after it still moves the face by the pointer's path.
        const auto before = Position(window);
        Drag(display, 1, before.first + 76, before.second + 120, 60, 40);
        EXPECT_TRUE(WaitUntil([&] { return Position(window) == std::make_pair(before.first + 60, before.second + 40); },
                              2s))
            << Position(window).first << "," << Position(window).second;
        ::kill(pid, SIGTERM);
        program->WaitForExit(pid, program->Patience());
    }
}

TEST_P(FaceOnDesktop, QuickTapsAndClicksThatWobbleWithinTheDoubleClickRectangleAreADoubleClick) {
    // Two clicks: each held for `hold`, `gap` between them, the second
    // (dx, dy) from the first. The double-click rectangle is 4 pixels
    // either way, on both platforms.
    struct Case { const char* name; std::chrono::milliseconds hold, gap; int dx, dy; bool isDouble; };
    const Case cases[] = {
        {"two taps, press and release back to back", 0ms, 80ms, 0, 0, true},
        {"two taps held 5 ms", 5ms, 80ms, 0, 0, true},
        {"two taps held 20 ms", 20ms, 80ms, 0, 0, true},
        {"two 40 ms clicks 100 ms apart, in place", 40ms, 60ms, 0, 0, true},
        {"the second 2 px to the right", 40ms, 60ms, 2, 0, true},
        {"the second 4 px down and to the left", 40ms, 60ms, -4, 4, true},
        {"the second 8 px to the right: two clicks", 40ms, 60ms, 8, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(test::TempFolder::Native(program->SettingsFile()));
        const Window window = StartAndWait();
        const auto start = Position(window);
        const int x = start.first + 76, y = start.second + 120;
        MovePointer(display, x, y);
        Click(display, c.hold);
        std::this_thread::sleep_for(c.gap);
        MovePointer(display, x + c.dx, y + c.dy);
        Click(display, c.hold);
        const auto code = program->WaitForExit(pid, c.isDouble ? program->Patience() : 1s);
        if (c.isDouble) {
            EXPECT_EQ(code, 0) << "not taken for a double-click";
            // Where the face stood all along: the clicks did not move it.
            const std::string& end = program->LineEnd();
            EXPECT_EQ(program->ReadSettings(), "[Quorl's Zwinkerle]" + end + "Top=" + std::to_string(start.second * 15) +
                                                   end + "Left=" + std::to_string(start.first * 15) + end);
        } else {
            EXPECT_FALSE(code.has_value()) << "taken for a double-click";
            EXPECT_FALSE(Exists(program->SettingsFile()));
            EXPECT_EQ(Position(window), start);
        }
        if (!code) {
            ::kill(pid, SIGTERM);
            program->WaitForExit(pid, program->Patience());
        }
    }
}

TEST_P(ProgramStarts, HandEditedAndBrokenSettingsFilesStillShowTheFace) {
    struct Case { const char* name; std::string file; std::pair<int, int> position; };
    const Case cases[] = {
        {"stored position", "[Quorl's Zwinkerle]\nTop=1500\nLeft=3000\n", {200, 100}},
        {"only Top, other case, blanks, trailing text", "[QUORL'S ZWINKERLE]\r\n top =  1500 twips\r\n", {0, 100}},
        {"no number at all", "[Quorl's Zwinkerle]\nTop=abc\nLeft=xyz\n", {0, 0}},
        {"random bytes", std::string("\x00\xff[\x01=\n\xfe", 7), {kTopCentreLeft, 0}},
        {"wholly off-screen", "[Quorl's Zwinkerle]\nTop=-99999\nLeft=-99999\n", {kTopCentreLeft, 0}},
        {"partly on screen stays", "[Quorl's Zwinkerle]\nTop=-1500\nLeft=-1500\n", {-100, -100}},
        // The face covers x 6..142 and y 21..229 of its 148 x 230 window.
        {"only the cut-away margin on screen", "[Quorl's Zwinkerle]\nTop=1500\nLeft=15270\n", {kTopCentreLeft, 0}},
        {"a strip of the face at the right edge stays", "[Quorl's Zwinkerle]\nTop=1500\nLeft=14760\n", {984, 100}},
        {"a sliver of forehead at the bottom edge", "[Quorl's Zwinkerle]\nTop=11145\nLeft=1500\n", {kTopCentreLeft, 0}},
        {"a number too large for a single", "[Quorl's Zwinkerle]\nTop=300\nLeft=1e400\n", {0, 20}},
        {"a Top beyond the pixel range", "[Quorl's Zwinkerle]\nTop=1e30\nLeft=150\n", {10, 0}},
        {"UTF-16, little-endian", Utf16("[Quorl's Zwinkerle]\r\nTop=1500\r\nLeft=3000\r\n", true), {200, 100}},
        {"UTF-16, big-endian", Utf16("[Quorl's Zwinkerle]\r\nTop=1500\r\nLeft=3000\r\n", false), {200, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        program->WriteSettings(c.file);
        EXPECT_EQ(Position(StartAndWait()), c.position);
        ::kill(pid, SIGTERM);
        program->WaitForExit(pid, program->Patience());
        EXPECT_EQ(program->ReadSettings(), c.file) << "a start must not change the settings file";
    }
}

TEST_P(ProgramStarts, SettingsFilesThatCannotBeReadStillShowTheFaceAtTheTopCentre) {
    struct Case { const char* name; std::function<void(const std::string&)> make; };
    const Case cases[] = {
        {"a folder", [](const std::string& path) { std::filesystem::create_directory(test::TempFolder::Native(path)); }},
        {"a link to nowhere",
         [](const std::string& path) { std::filesystem::create_symlink("no-such-file", test::TempFolder::Native(path)); }},
        {"megabytes of random bytes", [&](const std::string&) {
             std::mt19937 random(7);
             std::string bytes(3U << 20, '\0');
             for (char& b : bytes) b = static_cast<char>(random());
             program->WriteSettings(bytes);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(test::TempFolder::Native(program->SettingsFile()));
        c.make(program->SettingsFile());
        EXPECT_EQ(Position(StartAndWait()), std::make_pair(kTopCentreLeft, 0));
        ::kill(pid, SIGTERM);
        program->WaitForExit(pid, program->Patience());
    }
}

TEST_P(ProgramStarts, AReadOnlyFolderAndFileAreUsedAndLeftAsTheyAre) {
    const std::string stored = "[Quorl's Zwinkerle]" + program->LineEnd() + "Top=1500" + program->LineEnd() +
                               "Left=3000" + program->LineEnd();
    program->WriteSettings(stored);
    using std::filesystem::perms;
    std::filesystem::permissions(test::TempFolder::Native(program->SettingsFile()), perms::owner_read);
    std::filesystem::permissions(test::TempFolder::Native(folder.Path()), perms::owner_read | perms::owner_exec);
    const Window window = StartAndWait();
    EXPECT_EQ(Position(window), std::make_pair(200, 100));
    MovePointer(display, 200 + 76, 100 + 120);
    DoubleClick(display);
    EXPECT_EQ(program->WaitForExit(pid, program->Patience()), 0) << "the double-click still ends it";
    EXPECT_EQ(program->ReadSettings(), stored);
}

TEST_P(ProgramStarts, AProgramFolderWithBlanksOtherLettersAndALongPathRemembers) {
    // Over 300 characters from the root, in folders with blanks, umlauts and Greek.
    std::string home = folder.Path();
    while (home.size() < 320) {
        home += std::string(1, platform::kPathSeparator) + "Mein Ordner \xC3\xA4\xC3\xB6\xC3\xBC \xCE\xA9 Zwinkerle";
        std::filesystem::create_directory(test::TempFolder::Native(home));
    }
    program = std::make_unique<Program>(*server, home, GetParam().launcher(96));
    const Window window = StartAndWait();
    const auto start = Position(window);
    Drag(display, 1, start.first + 76, start.second + 120, 40, 30);
    const auto moved = std::make_pair(start.first + 40, start.second + 30);
    ASSERT_TRUE(WaitUntil([&] { return Position(window) == moved; }, 2s));
    DoubleClick(display);
    EXPECT_EQ(program->WaitForExit(pid, program->Patience()), 0);
    // Beside the program, or where Windows' settings calls cannot reach
    // that far, in the user's own settings.
    EXPECT_EQ(Position(StartAndWait()), moved);
}

TEST_P(ProgramStarts, FromAFolderTheUserCannotWriteItRemembersInTheUsersOwnSettings) {
    // Installed for everyone: as root the tests run it as another user (nobody).
    const int user = ::geteuid() == 0 ? 65534 : static_cast<int>(::geteuid());
    test::TempFolder home;
    ASSERT_EQ(::chown(home.Path().c_str(), static_cast<uid_t>(user), static_cast<gid_t>(user)), 0);
    program = std::make_unique<Program>(*server, folder, ForUser(GetParam().launcher(96), user, home.Path()));
    const std::string end = program->LineEnd();
    const std::string shipped = "[Quorl's Zwinkerle]" + end + "Top=1500" + end + "Left=3000" + end;
    program->WriteSettings(shipped);
    using std::filesystem::perms;
    const perms readable = perms::owner_read | perms::group_read | perms::others_read;
    std::filesystem::permissions(test::TempFolder::Native(program->SettingsFile()), readable);
    std::filesystem::permissions(test::TempFolder::Native(folder.Path()),
                                 readable | perms::owner_exec | perms::group_exec | perms::others_exec);

    const Window window = StartAndWait();
    EXPECT_EQ(Position(window), std::make_pair(200, 100)) << "the position shipped beside the program";
    Drag(display, 1, 200 + 76, 100 + 120, 40, 30);
    ASSERT_TRUE(WaitUntil([&] { return Position(window) == std::make_pair(240, 130); }, 2s));
    DoubleClick(display);
    EXPECT_EQ(program->WaitForExit(pid, program->Patience()), 0);
    EXPECT_EQ(Position(StartAndWait()), std::make_pair(240, 130));
    EXPECT_EQ(program->ReadSettings(), shipped);
}

TEST_P(FaceOnDesktop, ClosedFromOutsideItEndsWithoutStoring) {
    SendClose(display, StartAndWait());
    EXPECT_EQ(program->WaitForExit(pid, program->Patience()), 0);
    EXPECT_FALSE(Exists(program->SettingsFile()));
}

TEST_P(ProgramStarts, WithoutADisplayOneLineOnStderrAndExitCode1) {
    const pid_t copy = program->Start(":4711");
    EXPECT_EQ(program->WaitForExit(copy, program->Patience()), 1);
    const std::string message = program->Stderr(copy);
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_NE(message.find("display"), std::string::npos) << message;
}

TEST_P(FaceAtDensity, EachProgramPixelIsASquareOfScreenPixelsAndAStoredPositionComesBackOnItsScreenPixel) {
    const int density = GetParam().density;
    const Window window = Session::StartAndWait();
    ASSERT_NE(window, 0U) << program->Stderr(pid);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    EXPECT_EQ(std::make_pair(attributes.width, attributes.height),
              std::make_pair(kFaceWidth * density, kFaceHeight * density));
    // The top centre of the screen.
    const auto corner = Position(window);
    EXPECT_EQ(corner, std::make_pair((1024 - kFaceWidth * density) / 2, 0));
    const platform::Image figure = FigureFromSource();
    EXPECT_EQ(ShapeDifferences(display, window, ShapeBounding, figure, kFaceWidth, density), 0);
    // Wine sets no input shape: the bounding one then takes the input.
    if (!program->UnderWine()) {
        EXPECT_EQ(ShapeDifferences(display, window, ShapeInput, figure, kFaceWidth, density), 0);
    }
    // The picture crisp and the eyes round, wherever the pointer is; the
    // whites hide all of the picture they hide at 96 dpi.
    for (const auto& pointer : {std::pair{1000, 156}, std::pair{10, 700}, std::pair{corner.first + 97, 5}}) {
        MovePointer(display, pointer.first, pointer.second);
        EXPECT_TRUE(WaitUntil([&] { return FaceMismatches(display, corner, pointer, density) == 0; }, 2s))
            << FaceMismatches(display, corner, pointer, density) << " pixels differ, pointer at " << pointer.first
            << "," << pointer.second;
        EXPECT_EQ(PictureInTheWhites(display, corner, density), 0) << "pointer at " << pointer.first << ","
                                                                    << pointer.second;
    }
    // Dropped on a screen pixel that is no whole program pixel, stored in
    // twips (15 / density to a screen pixel) and back on that screen pixel.
    Drag(display, 1, corner.first + 76 * density, corner.second + 120 * density, 101, 61);
    const auto moved = std::make_pair(corner.first + 101, corner.second + 61);
    ASSERT_TRUE(WaitUntil([&] { return Position(window) == moved; }, 2s));
    DoubleClick(display);
    EXPECT_EQ(program->WaitForExit(pid, program->Patience()), 0);
    const auto twips = [&](int screen) { return (std::ostringstream() << screen * 15.0 / density).str(); };
    const std::string& end = program->LineEnd();
    EXPECT_EQ(program->ReadSettings(), "[Quorl's Zwinkerle]" + end + "Top=" + twips(moved.second) + end +
                                           "Left=" + twips(moved.first) + end);
    EXPECT_EQ(Position(Session::StartAndWait()), moved);
}

}  // namespace e2e
