// Screen density: whole screen pixels per program pixel, positions in
// twips, and a window that changes density under the pointer.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/runtime/conversions.h"
#include "platform/shared/density.h"

using namespace platform;

namespace {

TEST(Density, AProgramPixelIsAWholeNumberOfScreenPixelsFrom144DotsPerInch) {
    struct Case { double dotsPerInch; std::int32_t density; };
    const Case cases[] = {{96, 1},  {120, 1}, {143.9, 1}, {144, 2},  {168, 2}, {192, 2},
                          {239, 2}, {240, 3}, {288, 3},   {0, 1},    {-192, 1}, {1e9, 1}};
    for (const Case& c : cases) EXPECT_EQ(DensityOfDpi(c.dotsPerInch), c.density) << c.dotsPerInch << " dpi";
}

TEST(Density, ScreenRectanglesBecomeWholeProgramPixelsAroundThem) {
    struct Case { RECT screen; std::int32_t density; RECT program; };
    const Case cases[] = {
        {{0, 0, 1024, 768}, 1, {0, 0, 1024, 768}},
        {{0, 0, 1024, 768}, 2, {0, 0, 512, 384}},
        {{-1025, -3, 1, 1}, 2, {-513, -2, 1, 1}},
        {{7, 7, 8, 8}, 3, {2, 2, 3, 3}},
    };
    for (const Case& c : cases) {
        const RECT r = ProgramRect(c.screen, c.density);
        EXPECT_EQ(std::make_tuple(r.left, r.top, r.right, r.bottom),
                  std::make_tuple(c.program.left, c.program.top, c.program.right, c.program.bottom));
    }
}

TEST(Density, AWindowRedrawnAtAnotherDensityStaysUnderThePointer) {
    struct Case { const char* name; RECT window; std::int32_t from, to; POINTAPI pointer; RECT expected; };
    const Case cases[] = {
        {"1 to 2, the pointer on the corner", {100, 50, 248, 280}, 1, 2, {100, 50}, {100, 50, 396, 510}},
        {"1 to 2, on the pixel (76, 120)", {100, 50, 248, 280}, 1, 2, {176, 170}, {24, -70, 320, 390}},
        {"2 to 1, on the pixel (76, 120)", {1000, 40, 1296, 500}, 2, 1, {1153, 281}, {1077, 161, 1225, 391}},
        {"2 to 3, halfway into a pixel", {0, 0, 296, 460}, 2, 3, {153, 1}, {-76, 0, 368, 690}},
        {"the pointer elsewhere: the system's corner", {0, 0, 148, 230}, 1, 2, {500, 500}, {30, 40, 326, 500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RECT r = Rescaled(c.window, c.from, c.to, c.pointer, {30, 40});
        EXPECT_EQ(std::make_tuple(r.left, r.top, r.right, r.bottom),
                  std::make_tuple(c.expected.left, c.expected.top, c.expected.right, c.expected.bottom));
    }
}

}  // namespace

TEST(Density, AStoredPositionComesBackAtTheSameScreenPixelAndWholeProgramPixelsKeepTheirMeaning) {
    // Through the settings file's text, as a double-click stores it and a start reads it.
    const auto throughFile = [](float twips) { return static_cast<float>(Val(SingleToText(twips))); };
    for (std::int32_t density = 1; density <= 15; ++density)
        for (std::int64_t screen = -40000; screen <= 40000; screen += 617) {
            SCOPED_TRACE("screen pixel " + std::to_string(screen) + " at density " + std::to_string(density));
            EXPECT_EQ(ScreenPixelsOfTwips(throughFile(TwipsOf(screen, density)), density), screen);
            // A file written by hand in whole program pixels, 15 twips each.
            EXPECT_EQ(ScreenPixelsOfTwips(static_cast<float>(screen * 15), density), screen * density);
        }
    EXPECT_EQ(SingleToText(TwipsOf(617, 2)), "4627.5");
    EXPECT_EQ(SingleToText(TwipsOf(617, 3)), "3085");
}
