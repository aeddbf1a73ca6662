// The disc rule: which pixels a circle covers, worked out by hand here,
// not by the rule itself as the end-to-end checks of the face do.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/software/circle_raster.h"

using namespace platform;
using Rows = std::vector<std::string>;

namespace {

// `spans` on a grid of `size` x `size` pixels from (0, 0): '#' covered.
Rows Drawn(const std::vector<RowSpan>& spans, int size) {
    Rows rows(static_cast<std::size_t>(size), std::string(static_cast<std::size_t>(size), '.'));
    for (const RowSpan& s : spans)
        rows.at(static_cast<std::size_t>(s.y)).replace(static_cast<std::size_t>(s.left),
                                                     static_cast<std::size_t>(s.right - s.left), s.right - s.left, '#');
    return rows;
}

TEST(DiscRule, CoversThePixelsWhoseCentresLieCloserThanTheRadiusAndAHalf) {
    struct Case { const char* name; double cx, cy, radius; Rows drawn; };
    const Rows none(5, ".....");
    const Case cases[] = {
        {"radius 0: the centre alone", 2, 2, 0, {".....", ".....", "..#..", ".....", "....."}},
        {"radius 1/2: the pixels 1 away lie on the edge, outside", 2, 2, 0.5,
         {".....", ".....", "..#..", ".....", "....."}},
        {"radius 1: the corners, 1.41 away, lie inside 1.5", 2, 2, 1, {".....", ".###.", ".###.", ".###.", "....."}},
        {"radius 2", 2, 2, 2, {".###.", "#####", "#####", "#####", ".###."}},
        {"a centre between four pixels", 2.5, 2.5, 1, {".....", ".....", "..##.", "..##.", "....."}},
        {"a negative radius", 2, 2, -1, none},
        {"a centre that is no number", std::nan(""), 2, 1, none},
        {"a radius beyond any screen", 2, 2, 2e6, none},
    };
    for (const Case& c : cases) EXPECT_EQ(Drawn(DiscSpans(c.cx, c.cy, c.radius), 5), c.drawn) << c.name;
}

TEST(DiscRule, ACircleIsAOnePixelOutlineAndAtADensityCoversWholeProgramPixels) {
    // Centre and radius in program pixels; at density 2 each is 2 x 2 screen pixels.
    struct Case { const char* name; double radius; std::int32_t density; Rows outline, inside; };
    const Case cases[] = {
        {"radius 2: the disc one pixel smaller inside", 2, 1,
         {".###....", "#####...", "#####...", "#####...", ".###....", "........", "........", "........"},
         {"........", ".###....", ".###....", ".###....", "........", "........", "........", "........"}},
        {"radius 0 at density 2: the centre's block, and a round outline around it", 0, 2,
         {"........", "........", "........", "....##..", "...####.", "...####.", "....##..", "........"},
         {"........", "........", "........", "........", "....##..", "....##..", "........", "........"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CircleSpans circle = CircleOf(2, 2, c.radius, c.density);
        EXPECT_EQ(Drawn(circle.outline, 8), c.outline);
        EXPECT_EQ(Drawn(circle.inside, 8), c.inside);
    }
    // What a circle hides at density 1 it hides at every density, eye
    // whites (5) and pupils (3) at whole and broken centres alike.
    for (const double centre : {10.0, 10.25, 10.5})
        for (const double radius : {0.0, 1.0, 3.0, 5.0, 5.5})
            for (const std::int32_t d : {2, 3, 4}) {
                const Rows fine = Drawn(CircleOf(centre, centre, radius, d).outline, 21 * d);
                for (const RowSpan& s : CircleOf(centre, centre, radius).outline)
                    for (int x = s.left * d; x < s.right * d; ++x)
                        for (int y = s.y * d; y < (s.y + 1) * d; ++y)
                            ASSERT_EQ(fine[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)], '#')
                                << "radius " << radius << " at " << centre << ", density " << d;
            }
}

}  // namespace
