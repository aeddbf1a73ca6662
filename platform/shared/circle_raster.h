// circle_raster.h: which pixels a filled circle covers.
//
// Every backend paints circles from these spans, so a circle looks the same,
// pixel for pixel, in the X11 window, the Windows window and the in-memory
// test window. A pixel belongs to a circle of radius r around (cx, cy) when
// its centre lies closer than r + 0.5 to (cx, cy).
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

struct RowSpan {
    std::int32_t y = 0;
    std::int32_t left = 0;   // first pixel
    std::int32_t right = 0;  // one past the last pixel
};

std::vector<RowSpan> DiscSpans(double cx, double cy, double radius);

// A circle as every backend paints it: the disc of `radius` in the outline
// colour, then, over it, the disc one pixel smaller in the fill colour,
// which leaves a one-pixel outline.
struct CircleSpans {
    std::vector<RowSpan> outline;
    std::vector<RowSpan> inside;  // empty for a radius below one pixel
};
CircleSpans CircleOf(double cx, double cy, double radius);

}  // namespace platform
