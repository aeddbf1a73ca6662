// The Linux program on a real X server, without and with a window manager:
// the scenarios every build passes (face_scenarios.cpp), and what only the
// X11 desktop has: its names and icon, its input shape, a server that goes
// away, raising itself without a window manager, and openbox's frame.
// GoogleTest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <algorithm>

#include "tests/e2e/face_scenarios.h"

namespace {

using namespace std::chrono_literals;
using e2e::kFaceHeight;
using e2e::kFaceWidth;
using e2e::kTopCentreLeft;
using e2e::FaceOnDesktop;
using e2e::ProgramStarts;
using e2e::WaitUntil;

const auto kSetups = ::testing::Values(e2e::Setup{"none", e2e::LinuxProgram, false},
                                       e2e::Setup{"openbox", e2e::LinuxProgram, true});
INSTANTIATE_TEST_SUITE_P(Linux, FaceOnDesktop, kSetups, e2e::SetupName);
INSTANTIATE_TEST_SUITE_P(Linux, ProgramStarts, kSetups, e2e::SetupName);

class Desktop : public FaceOnDesktop {};

TEST_P(Desktop, FirstStartStandsAtTheTopCentreWithItsNamesIconAndInputShape) {
    const Window window = StartAndWait();
    EXPECT_EQ(Position(window), std::make_pair(kTopCentreLeft, 0));
    EXPECT_FALSE(std::filesystem::exists(test::TempFolder::Native(program->SettingsFile())));

    XClassHint classHint{};
    ASSERT_TRUE(XGetClassHint(display, window, &classHint));
    EXPECT_STREQ(classHint.res_name, "zwinkerle");
    EXPECT_STREQ(classHint.res_class, "Zwinkerle");
    XFree(classHint.res_name);
    XFree(classHint.res_class);
    EXPECT_EQ(e2e::PropertyText(display, window, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False)),
              "Quorl's Zwinkerle");
    // Width, height and the pixels of one 32 x 32 image.
    EXPECT_EQ(e2e::PropertyLongs(display, window, "_NET_WM_ICON", XA_CARDINAL).size(), 2U + 32 * 32);
    // The input shape is the face too, not just the drawn one.
    EXPECT_EQ(e2e::ShapeDifferences(display, window, ShapeInput, e2e::FigureFromSource(), kFaceWidth), 0);
}

TEST_P(Desktop, TheProgramOutlivesNoServer) {
    StartAndWait();
    windowManager.reset();
    server.reset();  // the X server goes away under the running program
    const auto code = program->WaitForExit(pid, 3s);
    ASSERT_TRUE(code.has_value());
    EXPECT_LT(*code, 128) << "ended by a signal";
}

INSTANTIATE_TEST_SUITE_P(Linux, Desktop, kSetups, e2e::SetupName);

TEST(WithoutWindowManager, StaysAboveAWindowThatCoversIt) {
    e2e::Session session(false);
    Display* display = session.display;
    const Window window = session.StartAndWait();
    ASSERT_NE(window, 0U);
    const Window cover = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1024, 768, 0, 0, 0xFF0000);
    XMapRaised(display, cover);
    XSync(display, False);
    const auto stackIndex = [&](Window wanted) {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        int index = -1;
        for (unsigned i = 0; i < count; ++i)
            if (children[i] == wanted) index = static_cast<int>(i);  // bottom to top
        if (children != nullptr) XFree(children);
        return index;
    };
    EXPECT_TRUE(WaitUntil([&] { return stackIndex(window) > stackIndex(cover); }, 2s));
    // And the face shows on top of the cover, once it has repainted.
    const auto [left, top] = session.Position(window);
    EXPECT_TRUE(WaitUntil([&] {
        return e2e::GrabScreen(display, left + 76, top + 180, 1, 1).At(0, 0) != platform::RGB(255, 0, 0);
    }, 2s));
}

TEST(WithOpenbox, NoFrameAndKeptAbove) {
    e2e::Session session(true);
    Display* display = session.display;
    const Window window = session.StartAndWait();
    ASSERT_NE(window, 0U);
    EXPECT_EQ(e2e::PropertyLongs(display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL),
              (std::vector<unsigned long>{0, 0, 0, 0}));
    const auto state = e2e::PropertyLongs(display, window, "_NET_WM_STATE", XA_ATOM);
    EXPECT_NE(std::find(state.begin(), state.end(), XInternAtom(display, "_NET_WM_STATE_ABOVE", False)), state.end());
    // The frame openbox puts around it is no larger than the window.
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, window, &root, &parent, &children, &count);
    if (children != nullptr) XFree(children);
    XWindowAttributes frame{};
    XGetWindowAttributes(display, parent, &frame);
    EXPECT_EQ(frame.width, kFaceWidth);
    EXPECT_EQ(frame.height, kFaceHeight);
}

}  // namespace
