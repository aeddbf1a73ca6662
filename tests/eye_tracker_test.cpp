// The eyes follow the pointer: pupils on the window's surface, tick by tick.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "figure_window/eye_geometry.h"
#include "figure_window/fMouseWatch.h"
#include "platform/headless/headless_desktop.h"

using namespace platform;
using platform::headless::HeadlessForm;

namespace {

struct Centroid {
    double x = 0, y = 0;
    int pixels = 0;
};

// Black pixels within reach of an eye: the pupil as drawn.
Centroid PupilOnSurface(const Image& surface, eye::Centre eye) {
    Centroid c;
    for (int y = eye.y - 6; y <= eye.y + 6; ++y)
        for (int x = eye.x - 6; x <= eye.x + 6; ++x)
            if (surface.At(x, y) == eye::kPupilColour) {
                c.x += x, c.y += y, ++c.pixels;
                EXPECT_LT(std::hypot(x - eye.x, y - eye.y), 5.5) << "pupil outside its eye white";
            }
    if (c.pixels > 0) c.x /= c.pixels, c.y /= c.pixels;
    return c;
}

class EyeTracker : public ::testing::Test {
protected:
    void SetUp() override {
        headless::ResetDesktop();
        form = headless::FormOf(watch.Me().hWnd());
        ASSERT_NE(form, nullptr);
        form->MoveTo(400, 100);
    }
    void PointAt(std::int32_t x, std::int32_t y) { headless::TheDesktop().pointer = {x, y}; }
    // Pointer relative to the window's top-left corner.
    void PointAtWindow(std::int32_t dx, std::int32_t dy) { PointAt(form->Rect().left + dx, form->Rect().top + dy); }
    void ExpectPupils(double leftX, double leftY, double rightX, double rightY) {
        const Centroid left = PupilOnSurface(form->Surface(), eye::kLeftEye);
        const Centroid right = PupilOnSurface(form->Surface(), eye::kRightEye);
        EXPECT_NEAR(left.x, leftX, 0.2);
        EXPECT_NEAR(left.y, leftY, 0.2);
        EXPECT_NEAR(right.x, rightX, 0.2);
        EXPECT_NEAR(right.y, rightY, 0.2);
        // A whole pupil of radius 3: 37 pixels on a whole-pixel centre.
        EXPECT_NEAR(left.pixels, 37, 6);
        EXPECT_NEAR(right.pixels, 37, 6);
    }

    fMouseWatch watch;
    HeadlessForm* form = nullptr;
};

TEST_F(EyeTracker, FollowsTheWindowWhenItMoves) {
    PointAt(448, 100);  // above the left eye at (448, 178)
    watch.tmr_Timer();
    ExpectPupils(48, 76, 105 - 2 * 57 / std::hypot(57, 78), 78 - 2 * 78 / std::hypot(57, 78));
    form->MoveTo(400, -300);  // the eye is now at y -222, below... above the pointer
    watch.tmr_Timer();
    EXPECT_EQ(watch.LeftEyeY, -222);
    EXPECT_NEAR(PupilOnSurface(form->Surface(), eye::kLeftEye).y, 80, 0.2);
}

TEST_F(EyeTracker, AnOverflowKeepsThePreviousValue) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    PointAtWindow(5000, 78);
    watch.tmr_Timer();
    const std::int32_t rightEyeBefore = watch.RightEyeX;

    form->MoveTo(kMax - 60, 100);  // left eye fits, right eye (+105) overflows
    watch.tmr_Timer();
    EXPECT_EQ(watch.LeftEyeX, kMax - 12);
    EXPECT_EQ(watch.RightEyeX, rightEyeBefore);

    // A pointer so far away that the difference overflows: distances stay.
    form->MoveTo(400, 100);
    watch.tmr_Timer();
    const double leftDistBefore = watch.LeftDist;
    const double leftDirXBefore = watch.LeftDirX;
    PointAt(std::numeric_limits<std::int32_t>::min(), 178);
    watch.tmr_Timer();
    EXPECT_EQ(watch.LeftDist, leftDistBefore);
    EXPECT_EQ(watch.LeftDirX, leftDirXBefore);
    // The tick still painted both eyes.
    EXPECT_EQ(PupilOnSurface(form->Surface(), eye::kLeftEye).pixels, 37);
}

TEST_F(EyeTracker, PaintsOnlyTheSurfaceAndOnlyTheEyes) {
    const Image before = form->PersistentImage();
    const Image surfaceBefore = form->Surface();
    PointAtWindow(-300, -300);
    watch.tmr_Timer();
    EXPECT_EQ(form->PersistentImage().pixels, before.pixels);
    for (int y = 0; y < form->PixelHeight(); ++y)
        for (int x = 0; x < form->PixelWidth(); ++x) {
            const bool nearEye = std::hypot(x - 48, y - 78) < 5.5 || std::hypot(x - 105, y - 78) < 5.5;
            const Colour now = form->Surface().At(x, y);
            if (!nearEye) {
                ASSERT_EQ(now, surfaceBefore.At(x, y)) << x << "," << y;
            } else if (now != eye::kPupilColour) {
                ASSERT_EQ(now, eye::kWhiteColour) << x << "," << y;
            }
        }
    // An expose brings back the picture's own eyes; the next tick paints ours again.
    form->Expose();
    EXPECT_EQ(form->Surface().pixels, before.pixels);
    watch.tmr_Timer();
    EXPECT_EQ(PupilOnSurface(form->Surface(), eye::kRightEye).pixels, 37);
}

}  // namespace
