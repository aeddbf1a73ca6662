// The real program on a real X server, without and with a window manager:
// what a user sees and what lands in the settings file.
// GoogleTest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <memory>
#include <thread>

#include "platform/bitmap_file.h"
#include "tests/e2e/x_session.h"

namespace {

using namespace std::chrono_literals;
using e2e::WaitUntil;

constexpr int kWidth = 148, kHeight = 230;
constexpr int kTopCentreLeft = (1024 * 15 / 2 - 2220 / 2) / 15;  // 438: half the screen less half the window

platform::Image Figure() {
    std::ifstream in(ZW_SOURCE_DIR "/figure_window/figure.bmp", std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    platform::Image image;
    platform::DecodeBitmapFile(bytes, image);
    return image;
}

// A fresh X server, optionally openbox, and the program in a folder of its own.
class XDesktop : public ::testing::Test {
protected:
    void Begin(bool withOpenbox, int width = 1024, int height = 768) {
        server = std::make_unique<e2e::XServer>(width, height);
        if (withOpenbox) windowManager = std::make_unique<e2e::WindowManager>(*server);
        program = std::make_unique<e2e::Program>(*server, folder);
        display = server->Connection();
    }
    void TearDown() override {
        program.reset();
        windowManager.reset();
        server.reset();
    }

    // Starts a copy and waits for its window to stand still.
    Window StartAndWait() {
        pid = program->Start();
        const Window window = e2e::WaitForWindow(display, pid);
        EXPECT_NE(window, 0U) << program->Stderr(pid);
        std::this_thread::sleep_for(300ms);  // placement by the window manager, first ticks
        return window;
    }
    std::pair<int, int> Position(Window window) { return e2e::RootPosition(display, window); }
    void WriteSettings(const std::string& text) { std::ofstream(program->SettingsFile(), std::ios::binary) << text; }
    std::string Settings() {
        std::ifstream in(program->SettingsFile(), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    // Ten steps of motion from where the pointer is.
    void MoveInSteps(int fromX, int fromY, int dx, int dy, std::chrono::milliseconds pause) {
        for (int step = 1; step <= 10; ++step) {
            e2e::MovePointer(display, fromX + dx * step / 10, fromY + dy * step / 10);
            std::this_thread::sleep_for(pause);
        }
    }
    void Drag(unsigned button, int fromX, int fromY, int dx, int dy) {
        e2e::MovePointer(display, fromX, fromY);
        e2e::Button(display, button, true);
        MoveInSteps(fromX, fromY, dx, dy, 20ms);
        std::this_thread::sleep_for(100ms);
        e2e::Button(display, button, false);
        std::this_thread::sleep_for(300ms);
    }
    // Whether the face shows above `cover` in the stacking order.
    bool FaceAbove(Window face, Window cover) {
        return e2e::StackIndex(display, e2e::TopLevelOf(display, face)) > e2e::StackIndex(display, cover);
    }
    // A red window, over the whole screen unless told otherwise.
    Window MapCover(bool overrideRedirect, XRectangle area = {0, 0, 1024, 768}, unsigned long colour = 0xFF0000) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = overrideRedirect ? True : False;
        attributes.background_pixel = colour;
        const Window cover = XCreateWindow(display, DefaultRootWindow(display), area.x, area.y, area.width, area.height, 0,
                                           CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel,
                                           &attributes);
        XMapRaised(display, cover);
        XSync(display, False);
        return cover;
    }

    // Announces `owner` as the window manager (ICCCM), which does nothing else.
    void ClaimManagerSelection(Window owner) {
        const Atom selection = XInternAtom(display, "WM_S0", False);
        XSetSelectionOwner(display, selection, owner, CurrentTime);
        XEvent manager{};
        manager.xclient.type = ClientMessage;
        manager.xclient.window = DefaultRootWindow(display);
        manager.xclient.message_type = XInternAtom(display, "MANAGER", False);
        manager.xclient.format = 32;
        manager.xclient.data.l[0] = CurrentTime;
        manager.xclient.data.l[1] = static_cast<long>(selection);
        manager.xclient.data.l[2] = static_cast<long>(owner);
        XSendEvent(display, DefaultRootWindow(display), False, StructureNotifyMask, &manager);
        XSync(display, False);
    }
    bool MovedBy(Window face, std::pair<int, int> start, int dx, int dy) {
        return WaitUntil([&] { return Position(face) == std::make_pair(start.first + dx, start.second + dy); }, 2s);
    }

    test::TempFolder folder;
    std::unique_ptr<e2e::XServer> server;
    std::unique_ptr<e2e::WindowManager> windowManager;
    std::unique_ptr<e2e::Program> program;
    Display* display = nullptr;
    pid_t pid = 0;
};

// The same behaviour with no window manager and with openbox.
class Desktop : public XDesktop, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override { Begin(GetParam()); }
};

TEST_P(Desktop, FirstStartStandsAtTheTopCentreWithItsNamesAndIcon) {
    const Window window = StartAndWait();
    EXPECT_EQ(Position(window), std::make_pair(kTopCentreLeft, 0));
    EXPECT_FALSE(std::filesystem::exists(program->SettingsFile()));

    XClassHint classHint{};
    ASSERT_TRUE(XGetClassHint(display, window, &classHint));
    EXPECT_STREQ(classHint.res_name, "zwinkerle");
    EXPECT_STREQ(classHint.res_class, "Zwinkerle");
    XFree(classHint.res_name);
    XFree(classHint.res_class);
    const auto property = [&](const char* name, Atom type) {
        Atom actual;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 4096, False, type, &actual, &format,
                           &count, &after, &data);
        std::string bytes;
        if (data != nullptr) {
            bytes.assign(reinterpret_cast<char*>(data), count * (format == 32 ? sizeof(long) : format / 8));
            XFree(data);
        }
        return bytes;
    };
    EXPECT_EQ(property("_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False)), "Quorl's Zwinkerle");
    EXPECT_EQ(property("_NET_WM_ICON", XA_CARDINAL).size(), (2 + 32 * 32) * sizeof(long));  // width, height, pixels
}

TEST_P(Desktop, ShapeIsTheFacePixelsForDrawingAndInput) {
    const Window window = StartAndWait();
    const platform::Image figure = Figure();
    ASSERT_EQ(figure.width, 150);
    for (const int kind : {ShapeBounding, ShapeInput}) {
        const std::vector<bool> mask = e2e::ShapeMask(display, window, kind, kWidth + 2, kHeight);
        int differences = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth + 2; ++x) {
                const bool face = x < kWidth && figure.At(x, y) != figure.At(0, 0);
                differences += mask[static_cast<std::size_t>(y) * (kWidth + 2) + x] != face ? 1 : 0;
            }
        EXPECT_EQ(differences, 0) << (kind == ShapeBounding ? "bounding" : "input") << " shape";
    }
    // What shows on screen is the picture, outside the eyes.
    const auto [left, top] = Position(window);
    const platform::Image screen = e2e::GrabScreen(display, left, top, kWidth, kHeight);
    EXPECT_EQ(screen.At(76, 180), figure.At(76, 180));
    EXPECT_EQ(screen.At(20, 112), figure.At(20, 112));
}

TEST_P(Desktop, EyesFollowThePointerAllAround) {
    const Window window = StartAndWait();
    const auto [left, top] = Position(window);
    struct Eye { int x, y; };
    const Eye eyes[] = {{48, 78}, {105, 78}};
    const std::pair<int, int> pointers[] = {{1000, top + 78}, {2, top + 78}, {left + 48, 700}, {left + 105, 2},
                                            {left + 76, top + 78}, {left + 48, top + 78}, {5, 700}, {1000, 5}};
    for (const auto& [px, py] : pointers) {
        SCOPED_TRACE("pointer at " + std::to_string(px) + "," + std::to_string(py));
        e2e::MovePointer(display, px, py);
        std::this_thread::sleep_for(250ms);
        const platform::Image screen = e2e::GrabScreen(display, left, top, kWidth, kHeight);
        for (const Eye& eye : eyes) {
            const double dx = left + eye.x - px, dy = top + eye.y - py;
            const double distance = std::max(1.0, std::hypot(dx, dy));
            const double expectedX = eye.x - 2 * dx / distance, expectedY = eye.y - 2 * dy / distance;
            double sumX = 0, sumY = 0;
            int black = 0, white = 0;
            for (int y = eye.y - 6; y <= eye.y + 6; ++y)
                for (int x = eye.x - 6; x <= eye.x + 6; ++x) {
                    if (screen.At(x, y) == 0) sumX += x, sumY += y, ++black;
                    if (screen.At(x, y) == 0x00FFF8F8) ++white;
                }
            ASSERT_GT(black, 30);
            EXPECT_NEAR(sumX / black, expectedX, 0.25);
            EXPECT_NEAR(sumY / black, expectedY, 0.25);
            EXPECT_GT(white, 40);  // the eye white around the pupil
        }
    }
}

TEST_P(Desktop, LeftDragMovesTheWindowByThePointersPathRightDragDoesNot) {
    const Window window = StartAndWait();
    const auto start = Position(window);
    Drag(3, start.first + 76, start.second + 120, 120, 80);
    EXPECT_EQ(Position(window), start);
    Drag(1, start.first + 76, start.second + 120, -150, 90);
    EXPECT_TRUE(WaitUntil([&] { return Position(window) == std::make_pair(start.first - 150, start.second + 90); }, 2s))
        << Position(window).first << "," << Position(window).second;
    // A click on a cut-away pixel is not ours: nothing moves.
    Drag(1, start.first - 150 + 2, start.second + 90 + 2, 50, 50);
    EXPECT_EQ(Position(window), std::make_pair(start.first - 150, start.second + 90));
}

TEST_P(Desktop, ADragQueuedWhileTheProgramIsStoppedLandsWhereTheButtonWasReleased) {
    const Window window = StartAndWait();
    const auto start = Position(window);
    const int x = start.first + 76, y = start.second + 120;
    ::kill(pid, SIGSTOP);  // falls behind: everything below waits in its queue
    e2e::MovePointer(display, x, y);
    e2e::Button(display, 1, true);
    MoveInSteps(x, y, 50, 0, 5ms);
    e2e::Button(display, 1, false);
    MoveInSteps(x + 50, y, 80, 40, 5ms);  // the pointer drifts on, no button held
    ::kill(pid, SIGCONT);
    const auto released = std::make_pair(start.first + 50, start.second);
    EXPECT_TRUE(WaitUntil([&] { return Position(window) == released; }, 2s));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Position(window), released) << "ended at " << Position(window).first << "," << Position(window).second;
}

TEST_P(Desktop, ASecondStartEndsAtOnceWithoutAWindow) {
    StartAndWait();
    const pid_t second = program->Start();
    EXPECT_EQ(program->WaitForExit(second, 3s), 0);
    EXPECT_TRUE(e2e::WindowsOf(display, second).empty());
    EXPECT_FALSE(std::filesystem::exists(program->SettingsFile()));
}

TEST_P(Desktop, OfTwoCopiesStartedAtOnceExactlyOneShows) {
    const pid_t first = program->Start();
    const pid_t second = program->Start();
    std::this_thread::sleep_for(1500ms);
    const std::size_t windows = e2e::WindowsOf(display, first).size() + e2e::WindowsOf(display, second).size();
    EXPECT_EQ(windows, 1U);
    const bool firstEnded = program->WaitForExit(first, 10ms).has_value();
    const bool secondEnded = program->WaitForExit(second, 10ms).has_value();
    EXPECT_NE(firstEnded, secondEnded);
}

TEST_P(Desktop, DoubleClickStoresThePositionAndTheNextStartRestoresIt) {
    const Window window = StartAndWait();
    const auto start = Position(window);
    Drag(1, start.first + 76, start.second + 120, -200, 150);
    const auto moved = std::make_pair(start.first - 200, start.second + 150);
    ASSERT_TRUE(WaitUntil([&] { return Position(window) == moved; }, 2s));
    for (int click = 0; click < 2; ++click) {
        e2e::Button(display, 1, true);
        e2e::Button(display, 1, false);
        std::this_thread::sleep_for(60ms);
    }
    EXPECT_EQ(program->WaitForExit(pid, 3s), 0);
    EXPECT_EQ(Settings(), "[Quorl's Zwinkerle]\nTop=" + std::to_string(moved.second * 15) +
                              "\nLeft=" + std::to_string(moved.first * 15) + "\n");
    const Window again = StartAndWait();
    EXPECT_EQ(Position(again), moved);
}

TEST_P(Desktop, HandEditedAndBrokenSettingsFiles) {
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSettings(c.file);
        const Window window = StartAndWait();
        EXPECT_EQ(Position(window), c.position);
        ::kill(pid, SIGTERM);
        program->WaitForExit(pid, 2s);
        EXPECT_EQ(Settings(), c.file) << "a start must not change the settings file";
    }
}

TEST_P(Desktop, ClosedFromOutsideItEndsWithoutStoring) {
    e2e::SendClose(display, StartAndWait());
    EXPECT_EQ(program->WaitForExit(pid, 3s), 0);
    EXPECT_FALSE(std::filesystem::exists(program->SettingsFile()));
}

TEST_P(Desktop, TheProgramOutlivesNoServer) {
    StartAndWait();
    windowManager.reset();
    server.reset();  // the X server goes away under the running program
    const auto code = program->WaitForExit(pid, 3s);
    ASSERT_TRUE(code.has_value());
    EXPECT_LT(*code, 128) << "ended by a signal";
}

INSTANTIATE_TEST_SUITE_P(WindowManager, Desktop, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "openbox" : "none"; });

TEST(NoDisplay, OneLineOnStderrAndExitCode1) {
    test::TempFolder folder;
    e2e::XServer server;
    e2e::Program program(server, folder);
    const pid_t pid = program.Start(":4711");
    EXPECT_EQ(program.WaitForExit(pid, 3s), 1);
    const std::string message = program.Stderr(pid);
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_NE(message.find("display"), std::string::npos) << message;
}

TEST_F(XDesktop, WithoutAWindowManagerItRisesAboveOrdinaryWindowsButNotOverrideRedirectOnes) {
    struct Case { const char* name; const char* settings; bool barOverForehead, lockFirst; };
    const Case cases[] = {
        {"at the top centre", "", false, false},
        {"partly hidden already, by an override-redirect bar", "", true, false},
        {"partly off the screen", "[Quorl's Zwinkerle]\nTop=-1500\nLeft=-1500\n", false, false},
        {"started while a lock screen is up", "", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        Begin(false);
        WriteSettings(c.settings);
        const Window earlyLock = c.lockFirst ? MapCover(true) : 0;
        const Window face = StartAndWait();
        const auto [left, top] = Position(face);
        const auto showsFace = [&, left = left, top = top] {  // a cheek pixel, on screen in every case
            return e2e::GrabScreen(display, left + 110, top + 160, 1, 1).At(0, 0) != platform::RGB(255, 0, 0);
        };
        if (c.lockFirst) {
            std::this_thread::sleep_for(1s);
            EXPECT_FALSE(FaceAbove(face, earlyLock));
            EXPECT_FALSE(showsFace());
            continue;
        }
        if (c.barOverForehead) {
            MapCover(true, {0, 0, 1024, 30}, 0x0000FF);
            std::this_thread::sleep_for(300ms);  // the face has seen it
        }
        // An ordinary window that covers part of it: the face comes back on
        // top and repaints.
        const auto x = static_cast<short>(std::max(0, left + 100)), y = static_cast<short>(top + 150);
        const Window ordinary = MapCover(false, {x, y, 300, 300});
        EXPECT_TRUE(WaitUntil([&] { return FaceAbove(face, ordinary); }, 2s));
        EXPECT_TRUE(WaitUntil(showsFace, 2s));
        // A lock screen, menu or tooltip belongs above it and stays there.
        const Window lock = MapCover(true);
        std::this_thread::sleep_for(1s);
        EXPECT_FALSE(FaceAbove(face, lock));
        EXPECT_FALSE(showsFace());
    }
}

TEST_F(XDesktop, AClientPosingAsAWindowManagerWithTheFacesWindowChangesNothing) {
    for (const bool bySelection : {false, true}) {
        SCOPED_TRACE(bySelection ? "takes the manager selection" : "names it as the EWMH check window");
        TearDown();
        Begin(false);
        const Window face = StartAndWait();
        if (bySelection) {
            ClaimManagerSelection(face);
        } else {
            const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
            for (const Window on : {DefaultRootWindow(display), face})
                XChangeProperty(display, on, check, XA_WINDOW, 32, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(&face), 1);
        }
        std::this_thread::sleep_for(300ms);
        const auto start = Position(face);
        Drag(1, start.first + 76, start.second + 120, 60, 40);
        EXPECT_TRUE(MovedBy(face, start, 60, 40));
        const Window later = MapCover(false);
        EXPECT_TRUE(WaitUntil([&] { return FaceAbove(face, later); }, 2s));
    }
}

TEST_F(XDesktop, WithoutAWindowManagerAClientThatAlsoKeepsItselfAboveStartsNoRaiseWar) {
    Begin(false);
    StartAndWait();
    // A rival on a connection of its own raises itself whenever covered, as
    // on-screen displays do; each time it is covered, the face has risen.
    std::atomic<bool> stop = false;
    std::atomic<int> facesRaises = 0;
    std::thread rival([&] {
        Display* own = XOpenDisplay(server->Name().c_str());
        const Window window = XCreateSimpleWindow(own, DefaultRootWindow(own), 0, 0, 1024, 768, 0, 0, 0xFF0000);
        XSelectInput(own, window, VisibilityChangeMask);
        XMapRaised(own, window);
        XFlush(own);
        while (!stop) {
            while (XPending(own) > 0) {
                XEvent event;
                XNextEvent(own, &event);
                if (event.type == VisibilityNotify && event.xvisibility.state != VisibilityUnobscured) {
                    ++facesRaises;
                    XRaiseWindow(own, window);
                }
            }
            XFlush(own);
            std::this_thread::sleep_for(1ms);
        }
        XCloseDisplay(own);
    });
    std::this_thread::sleep_for(3s);
    stop = true;
    rival.join();
    EXPECT_GT(facesRaises, 0) << "the face never rose above the rival";
    EXPECT_LE(facesRaises, 3000 / 70 + 5) << "more than one raise per 70 ms tick";
    EXPECT_NE(e2e::WindowsOf(display, pid).size(), 0U);
}

TEST_F(XDesktop, AWindowManagerThatGoesLeavesTheFaceDraggableAndAbove) {
    struct Case { const char* name; int signal; bool duringDrag, successorWithoutEwmh; };
    const Case cases[] = {
        {"openbox exits", SIGTERM, false, false},
        {"openbox is killed", SIGKILL, false, false},
        {"openbox is killed during a drag it took over", SIGKILL, true, false},
        {"openbox is killed; a manager without EWMH follows", SIGKILL, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        Begin(true);
        const Window face = StartAndWait();
        auto start = Position(face);
        const int x = start.first + 76, y = start.second + 120;
        if (c.duringDrag) {
            e2e::MovePointer(display, x, y);
            e2e::Button(display, 1, true);
            MoveInSteps(x, y, 30, 20, 20ms);
            std::this_thread::sleep_for(200ms);
        }
        windowManager->End(c.signal);
        ASSERT_TRUE(WaitUntil([&] { return e2e::TopLevelOf(display, face) == face; }, 2s)) << "still framed";
        if (c.successorWithoutEwmh) ClaimManagerSelection(XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0));
        std::this_thread::sleep_for(200ms);
        if (c.duringDrag) {
            MoveInSteps(x + 30, y + 20, 30, 20, 20ms);
            std::this_thread::sleep_for(100ms);
            e2e::Button(display, 1, false);
        } else {
            start = Position(face);
            Drag(1, start.first + 76, start.second + 120, 60, 40);
        }
        EXPECT_TRUE(MovedBy(face, start, 60, 40)) << Position(face).first << "," << Position(face).second;
        const Window later = MapCover(false);
        EXPECT_TRUE(WaitUntil([&] { return FaceAbove(face, later); }, 2s)) << "a window opened later covers the face";
    }
}

TEST_F(XDesktop, WithOpenboxNoFrameAndKeptAbove) {
    Begin(true);
    const Window window = StartAndWait();
    const auto readAtoms = [&](const char* property, Atom type) {
        Atom actual;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        std::vector<unsigned long> values;
        XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 64, False, type, &actual,
                           &format, &count, &after, &data);
        if (data != nullptr) {
            values.assign(reinterpret_cast<unsigned long*>(data), reinterpret_cast<unsigned long*>(data) + count);
            XFree(data);
        }
        return values;
    };
    EXPECT_EQ(readAtoms("_NET_FRAME_EXTENTS", XA_CARDINAL), (std::vector<unsigned long>{0, 0, 0, 0}));
    const auto state = readAtoms("_NET_WM_STATE", XA_ATOM);
    EXPECT_NE(std::find(state.begin(), state.end(), XInternAtom(display, "_NET_WM_STATE_ABOVE", False)), state.end());
    // The frame openbox puts around it is no larger than the window.
    XWindowAttributes frame{};
    XGetWindowAttributes(display, e2e::TopLevelOf(display, window), &frame);
    EXPECT_EQ(frame.width, kWidth);
    EXPECT_EQ(frame.height, kHeight);
}

TEST_F(XDesktop, WithOpenboxAMinimisedFaceStaysMinimised) {
    Begin(true);
    const Window window = StartAndWait();
    std::this_thread::sleep_for(1s);  // past the first retry of a lost map request
    for (int minimise = 1; minimise <= 2; ++minimise) {
        SCOPED_TRACE("minimise " + std::to_string(minimise));
        XIconifyWindow(display, window, DefaultScreen(display));
        XSync(display, False);
        ASSERT_TRUE(WaitUntil([&] { return e2e::WindowsOf(display, pid).empty(); }, 2s));
        std::this_thread::sleep_for(1500ms);
        EXPECT_TRUE(e2e::WindowsOf(display, pid).empty()) << "the face undid the minimise";
        XMapWindow(display, window);  // restored, as from a task list
        XSync(display, False);
        ASSERT_TRUE(WaitUntil([&] { return !e2e::WindowsOf(display, pid).empty(); }, 2s));
    }
}

}  // namespace
