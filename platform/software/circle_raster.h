// circle_raster.h: which pixels a filled circle covers.
//
// The software window paints every circle from these spans, so a circle
// looks the same, pixel for pixel, in the X11 window, the Windows window
// and the in-memory test window. A pixel belongs to a circle of radius r
// around (cx, cy) when its centre lies closer than r + 0.5 to (cx, cy).
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

// A circle as the software window paints it: the disc of `radius` in the
// outline colour, then, over it, the disc one screen pixel smaller in the fill
// colour, which leaves a one-pixel outline.
//
// Centre and radius are in program pixels, each `density` screen pixels
// each way, the spans in screen pixels. The disc stays round and covers
// every screen pixel of each program pixel that it covers at density 1, so
// that what a circle hides there it hides at every density.
struct CircleSpans {
    std::vector<RowSpan> outline;
    std::vector<RowSpan> inside;  // empty for a radius below one pixel
};
CircleSpans CircleOf(double cx, double cy, double radius, std::int32_t density = 1);

}  // namespace platform
