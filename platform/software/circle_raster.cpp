// circle_raster.cpp: row spans of a filled disc.
#include "platform/software/circle_raster.h"

#include <cmath>

namespace platform {

std::vector<RowSpan> DiscSpans(double cx, double cy, double radius) {
    std::vector<RowSpan> spans;
    if (!(radius >= 0.0) || !std::isfinite(cx) || !std::isfinite(cy) || radius > 1e6) return spans;
    const double reach = radius + 0.5;
    const double limit = reach * reach;
    const auto top = static_cast<std::int32_t>(std::ceil(cy - reach));
    const auto bottom = static_cast<std::int32_t>(std::floor(cy + reach));
    for (std::int32_t y = top; y <= bottom; ++y) {
        const double dy = y - cy;
        const double remaining = limit - dy * dy;
        if (remaining <= 0.0) continue;
        const double half = std::sqrt(remaining);
        // Pixels x with (x - cx)^2 < remaining, i.e. strictly inside.
        auto left = static_cast<std::int32_t>(std::floor(cx - half)) + 1;
        auto right = static_cast<std::int32_t>(std::ceil(cx + half));
        if ((left - 1 - cx) * (left - 1 - cx) < remaining) --left;
        if ((right - cx) * (right - cx) < remaining) ++right;
        if (left < right) spans.push_back({y, left, right});
    }
    return spans;
}

CircleSpans CircleOf(double cx, double cy, double radius, std::int32_t density) {
    // A program pixel's centre is the centre of its block of screen pixels.
    const double d = density;
    const double x = cx * d + (d - 1) / 2, y = cy * d + (d - 1) / 2;
    // NOTE: the disc at density 1 takes the program pixels whose centres lie
    // closer than radius + 1/2, (radius + 1/2) d screen pixels; a screen
    // pixel of such a block lies at most (d - 1) / sqrt(2) beyond the
    // block's centre, at its corner. Reaching that far (less the half pixel
    // DiscSpans adds, and a hair more for rounding) covers those blocks
    // whatever the centre. Every circle grows alike, so a pupil inside its
    // eye white at density 1 stays inside it.
    const double grown = radius * d + (d - 1) * (0.5 + std::sqrt(0.5)) + (density > 1 ? 1e-9 : 0.0);
    CircleSpans circle{DiscSpans(x, y, grown), {}};
    if (grown >= 1.0) circle.inside = DiscSpans(x, y, grown - 1.0);
    return circle;
}

}  // namespace platform
