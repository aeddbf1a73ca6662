// The Windows program reaching a monitor of another density than the
// system's: it takes that monitor's, goes where the system suggests unless
// it is being dragged, and its eyes still look exactly at the pointer.
// Wine has one density for all monitors and never says so itself: a hook
// in the face's process sends the window WM_DPICHANGED as Windows would.
// GoogleTest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include <X11/extensions/shape.h>

#include <string>
#include <vector>

#include "tests/e2e/face_scenarios.h"

namespace {

using namespace std::chrono_literals;
using e2e::kFaceHeight;
using e2e::kFaceWidth;
using e2e::kTopCentreLeft;

// The face's window, told that it now stands on a monitor of `dpi` with its
// suggested corner at (x, y); whether it took another size.
bool ReachMonitor(const e2e::Session& session, int dpi, int x, int y) {
    std::vector<std::string> environment = e2e::WindowsProgram(ZW_WINDOWS_PROGRAM, ZW_WINE_PREFIX).environment;
    environment.push_back("DISPLAY=" + session.server->Name());
    return e2e::Run({"wine", ZW_DENSITY_CHANGE, std::to_string(dpi), std::to_string(x), std::to_string(y)},
                    environment) == 0;
}

// While it is dragged it keeps the program pixel under the pointer instead
// (Density.AWindowRedrawnAtAnotherDensityStaysUnderThePointer): Wine's own
// move loop, unlike Windows', puts the window back where it would be at the
// old density, so that cannot be seen here.
TEST(WineMonitorDensity, TheFaceTakesTheMonitorsDensityGoesWhereSuggestedAndLooksAtThePointer) {
    e2e::Session session(false, e2e::WindowsProgram(ZW_WINDOWS_PROGRAM, ZW_WINE_PREFIX));
    Display* display = session.display;
    const Window face = session.StartAndWait();
    ASSERT_NE(face, 0U) << session.program->Stderr(session.pid);
    ASSERT_EQ(session.Position(face), std::make_pair(kTopCentreLeft, 0));
    // The pointer resting on the face does not hold it.
    e2e::MovePointer(display, kTopCentreLeft + 76, 120);
    ASSERT_TRUE(ReachMonitor(session, 192, 400, 100));

    // Wine has resized it; the X server may learn of it a moment later.
    const auto size = [&] {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, face, &attributes);
        return std::make_pair(attributes.width, attributes.height);
    };
    EXPECT_TRUE(e2e::WaitUntil([&] { return size() == std::make_pair(2 * kFaceWidth, 2 * kFaceHeight); }))
        << size().first << " x " << size().second;
    EXPECT_TRUE(e2e::WaitUntil([&] { return session.Position(face) == std::make_pair(400, 100); }))
        << session.Position(face).first << "," << session.Position(face).second;
    const auto corner = session.Position(face);
    EXPECT_EQ(e2e::ShapeDifferences(display, face, ShapeBounding, e2e::FigureFromSource(), kFaceWidth, 2), 0);
    // Crisp, each program pixel a square of four, and the pupils towards the
    // pointer: left of the face, between the eyes, right of it.
    for (const auto& pointer : {std::pair{20, 700}, std::pair{corner.first + 2 * 76, corner.second + 2 * 78},
                                std::pair{1000, 20}}) {
        e2e::MovePointer(display, pointer.first, pointer.second);
        EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::FaceMismatches(display, corner, pointer, 2) == 0; }, 2s))
            << e2e::FaceMismatches(display, corner, pointer, 2) << " pixels differ, pointer at " << pointer.first
            << "," << pointer.second;
    }
}

}  // namespace
