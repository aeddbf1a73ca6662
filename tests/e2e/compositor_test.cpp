// compositor_test.cpp: the Wayland compositor driver on sway, KWin and GNOME
// Shell: native and X windows show in its screenshots where they are,
// its synthetic clicks reach native windows, and its drag moves an X window
// that follows the pointer itself.
#include <gtest/gtest.h>
// After GoogleTest: Xlib defines None and Bool.
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include "tests/e2e/compositor_session.h"
#include "tools/wayland_desktop/compositor.h"
#include "tools/wayland_desktop/session_host.h"
#include "tools/x_desktop/x_desktop.h"

namespace e2e {

std::ostream& operator<<(std::ostream& out, const Area& area) {
    return out << area.width << "x" << area.height << " at " << area.x << "," << area.y;
}

namespace {

using namespace std::chrono_literals;

// What each compositor does with an X window, as measured.
struct Desktop {
    CompositorKind kind;
    bool appliesBoundingShape;  // sway ignores it: the cut-away shows black
    bool honoursClientMoves;    // of a managed window; sway keeps it where it put it
    Compositor::Options options{};
};

std::ostream& operator<<(std::ostream& out, const Desktop& desktop) { return out << Name(desktop.kind); }

const Desktop kDesktops[] = {
    {CompositorKind::Sway, false, false},
    {CompositorKind::KWin, true, true},
    {CompositorKind::Gnome, true, true},
};

constexpr platform::Colour kNativeColour = platform::RGB(0x1E, 0xB4, 0x5A);
constexpr platform::Colour kXColour = platform::RGB(0xD2, 0x3C, 0x8C);

// An X window of one colour, mapped, gone with this object.
class XWindow {
public:
    struct Options {
        int x = 0, y = 0, width = 160, height = 120;
        bool overrideRedirect = false;
        bool hole = false;  // a square cut out of its middle with the Shape extension
    };
    XWindow(Display* display, platform::Colour colour, const Options& options)
        : display_(display), requestedX_(options.x), requestedY_(options.y) {
        XSetWindowAttributes attributes{};
        attributes.background_pixel = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
        attributes.override_redirect = options.overrideRedirect;
        attributes.event_mask = ButtonPressMask | ButtonReleaseMask | ButtonMotionMask | StructureNotifyMask;
        window_ = XCreateWindow(display, DefaultRootWindow(display), options.x, options.y,
                                static_cast<unsigned>(options.width), static_cast<unsigned>(options.height), 0,
                                CopyFromParent, InputOutput, CopyFromParent,
                                CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
        // A fixed size, as the program has: floating on sway, not tiled.
        XSizeHints hints{};
        hints.flags = PMinSize | PMaxSize | USPosition;
        hints.x = options.x;
        hints.y = options.y;
        hints.min_width = hints.max_width = options.width;
        hints.min_height = hints.max_height = options.height;
        XSetWMNormalHints(display, window_, &hints);
        if (options.hole) {
            XRectangle frame[] = {
                {0, 0, static_cast<unsigned short>(options.width), static_cast<unsigned short>(options.height / 3)},
                {0, static_cast<short>(options.height * 2 / 3), static_cast<unsigned short>(options.width),
                 static_cast<unsigned short>(options.height - options.height * 2 / 3)},
                {0, static_cast<short>(options.height / 3), static_cast<unsigned short>(options.width / 3),
                 static_cast<unsigned short>(options.height / 3 + 1)},
                {static_cast<short>(options.width * 2 / 3), static_cast<short>(options.height / 3),
                 static_cast<unsigned short>(options.width - options.width * 2 / 3),
                 static_cast<unsigned short>(options.height / 3 + 1)},
            };
            XShapeCombineRectangles(display, window_, ShapeBounding, 0, 0, frame, 4, ShapeSet, Unsorted);
        }
        XMapWindow(display, window_);
        XSync(display, False);
    }
    ~XWindow() {
        XDestroyWindow(display_, window_);
        XSync(display_, False);
    }
    XWindow(const XWindow&) = delete;
    XWindow& operator=(const XWindow&) = delete;
    Window Id() const { return window_; }
    // Where X says it is.
    Area Geometry() const {
        Window root;
        int x, y;
        unsigned width, height, border, depth;
        XGetGeometry(display_, window_, &root, &x, &y, &width, &height, &border, &depth);
        const auto [left, top] = RootPosition(display_, window_);
        return {left, top, static_cast<int>(width), static_cast<int>(height)};
    }
    // Waits for the next event of `type` with `matches`, handing the others
    // to `other`.
    bool WaitFor(int type, const std::function<bool(const XEvent&)>& matches = {},
                 std::chrono::milliseconds timeout = 5s) {
        return WaitUntil([&] {
            while (XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.xany.window != window_) continue;
                if (event.type == MotionNotify) Follow(event.xmotion.x_root, event.xmotion.y_root);
                if (event.type == ButtonPress)
                    grab_ = {event.xbutton.x_root, event.xbutton.y_root, requestedX_, requestedY_};
                if (event.type == type && (!matches || matches(event))) return true;
            }
            return false;
        }, timeout);
    }

private:
    // Moves itself with a dragging pointer, as the program does without a
    // window manager. NOTE: a window manager takes the position of a
    // request for that of its frame (ICCCM's NorthWest gravity), so the
    // request moves on from the last one, not from where the window shows.
    void Follow(int rootX, int rootY) {
        requestedX_ = grab_.windowX + rootX - grab_.x;
        requestedY_ = grab_.windowY + rootY - grab_.y;
        XMoveWindow(display_, window_, requestedX_, requestedY_);
        XSync(display_, False);
    }

    Display* display_;
    Window window_ = 0;
    int requestedX_, requestedY_;
    struct {
        int x = 0, y = 0;
        int windowX = 0, windowY = 0;
    } grab_;
};

class CompositorTest : public OnCompositor<Desktop> {};

// The compositor's process is the one that serves the session's Wayland
// socket, alive as long as the session: what a benchmark measures.
TEST_P(CompositorTest, ItsProcessServesTheSession) {
    std::string runtimeDir, waylandDisplay;
    for (const std::string& assignment : desktop->Environment()) {
        if (assignment.starts_with("XDG_RUNTIME_DIR=")) runtimeDir = assignment.substr(16);
        if (assignment.starts_with("WAYLAND_DISPLAY=")) waylandDisplay = assignment.substr(16);
    }
    const std::string socket = runtimeDir + "/" + waylandDisplay;
    // Its inode, from the kernel's list of Unix sockets: "... Inode Path".
    std::string inode;
    std::istringstream sockets(ReadFile("/proc/net/unix"));
    for (std::string line; std::getline(sockets, line);) {
        std::istringstream fields(line);
        std::vector<std::string> field{std::istream_iterator<std::string>(fields), {}};
        if (field.size() == 8 && field[7] == socket) inode = field[6];
    }
    ASSERT_FALSE(inode.empty()) << "nobody listens on " << socket;
    const std::string process = "/proc/" + std::to_string(desktop->Pid());
    const std::string stat = ReadFile(process + "/stat");
    ASSERT_FALSE(stat.empty()) << "process " << desktop->Pid() << " has ended";
    EXPECT_EQ(stat.find(") Z "), std::string::npos) << "process " << desktop->Pid() << " has ended";
    bool holds = false;
    std::error_code ignored;
    for (const auto& fd : std::filesystem::directory_iterator(process + "/fd", ignored))
        holds = holds || std::filesystem::read_symlink(fd.path(), ignored) == "socket:[" + inode + "]";
    EXPECT_TRUE(holds) << "process " << desktop->Pid() << " does not hold " << socket;
}

TEST_P(CompositorTest, NativeWindowsShowTheirColourAndLeaveWithIt) {
    for (const bool fullScreen : {false, true}) {
        SCOPED_TRACE(fullScreen ? "full-screen" : "normal");
        NativeWindow window = desktop->OpenNativeWindow(kNativeColour, fullScreen);
        if (fullScreen)
            EXPECT_EQ(window.Where(), (Area{0, 0, Compositor::kWidth, Compositor::kHeight}));
        else
            EXPECT_TRUE(window.Where().width < Compositor::kWidth || window.Where().height < Compositor::kHeight);
        window.Close();
        EXPECT_EQ(desktop->Find(kNativeColour), Area{});
    }
}

TEST_P(CompositorTest, ClicksReachTheNativeWindow) {
    NativeWindow window = desktop->OpenNativeWindow(kNativeColour, false);
    const Area& area = window.Where();
    for (int click = 1; click <= 3; ++click) {
        desktop->Click(area.x + area.width / 2 + 10 * click, area.y + area.height / 2);
        ASSERT_TRUE(WaitUntil([&] { return window.Clicks() == click; })) << "click " << click;
    }
    // One that misses it, where there is room beside it.
    if (area.x + area.width < Compositor::kWidth - 10) {
        desktop->Click(Compositor::kWidth - 5, area.y + area.height / 2);
        std::this_thread::sleep_for(300ms);  // for a click that must not come
        EXPECT_EQ(window.Clicks(), 3);
    }
}

TEST_P(CompositorTest, XWindowsShowWhereXSaysTheyAre) {
    NativeWindow under = desktop->OpenNativeWindow(kNativeColour, false);
    for (const bool hole : {false, true}) {
        SCOPED_TRACE(hole ? "with a hole" : "plain");
        const XWindow window(display, kXColour, {under.Where().x + 40, under.Where().y + 60, 160, 120, false, hole});
        Area shown;
        ASSERT_TRUE(WaitUntil([&] {
            shown = desktop->Find(kXColour);
            return shown.width > 0 && shown == window.Geometry();
        }, 10s)) << "X: " << window.Geometry().x << "," << window.Geometry().y << " shown: " << shown.x << ","
                 << shown.y << " " << shown.width << "x" << shown.height;
        const platform::Image pixels = desktop->Screenshot(shown.x, shown.y, shown.width, shown.height);
        EXPECT_EQ(pixels.At(5, 5), kXColour);
        EXPECT_EQ(pixels.At(shown.width - 5, shown.height - 5), kXColour);
        const platform::Colour middle = pixels.At(shown.width / 2, shown.height / 2);
        if (!hole)
            EXPECT_EQ(middle, kXColour);
        else if (GetParam().appliesBoundingShape)
            EXPECT_EQ(middle, kNativeColour) << "the window beneath shows through the hole";
        else
            EXPECT_NE(middle, kNativeColour) << "a compositor that ignores the shape";
    }
}

TEST_P(CompositorTest, DragMovesAnXWindowThatFollowsThePointer) {
    // A managed window, as the program's is, that moves itself: each step of
    // the drag must reach it as motion at that very point of the screen.
    XWindow window(display, kXColour, {300, 250, 120, 120, false, false});
    ASSERT_TRUE(WaitUntil([&] { return desktop->Find(kXColour) == window.Geometry(); }, 10s));
    const Area start = window.Geometry();
    desktop->MovePointer(start.x + 60, start.y + 60);
    desktop->Button(1, true);
    const auto left = [](const XEvent& event) { return event.xbutton.button == Button1; };
    ASSERT_TRUE(window.WaitFor(ButtonPress, left));
    const int dx = 200, dy = 120;
    const bool follows = GetParam().honoursClientMoves;
    for (int step = 1; step <= 10; ++step) {
        const int x = start.x + 60 + dx * step / 10, y = start.y + 60 + dy * step / 10;
        desktop->MovePointer(x, y);
        ASSERT_TRUE(window.WaitFor(MotionNotify, [&](const XEvent& event) {
            return event.xmotion.x_root == x && event.xmotion.y_root == y;
        })) << "step " << step;
        // The next step once the window is where it moved: a compositor
        // that has yet to move it would place that motion in the window's
        // old place, as a person's hand would never notice.
        const Area there{follows ? x - 60 : start.x, follows ? y - 60 : start.y, start.width, start.height};
        ASSERT_TRUE(WaitUntil([&] {
            window.WaitFor(ConfigureNotify, {}, 0ms);
            return window.Geometry() == there;
        })) << "step " << step << ": " << window.Geometry();
    }
    desktop->Button(1, false);
    ASSERT_TRUE(window.WaitFor(ButtonRelease, left));
    const Area expected = follows ? Area{start.x + dx, start.y + dy, start.width, start.height} : start;
    EXPECT_TRUE(WaitUntil([&] { return window.Geometry() == expected; }, 5s)) << window.Geometry();
    EXPECT_TRUE(WaitUntil([&] { return desktop->Find(kXColour) == expected; }, 5s)) << desktop->Find(kXColour);
}

INSTANTIATE_TEST_SUITE_P(Compositors, CompositorTest, testing::ValuesIn(kDesktops), CompositorName<Desktop>);

}  // namespace
}  // namespace e2e
