// face_on_screen.cpp: counting the face's pixels that the monitors show.
#include "startup/face_on_screen.h"

#include <algorithm>
#include <cstdint>

using platform::Image;
using platform::RECT;

namespace {

// A square of this many pixels each way can be grabbed without aiming.
constexpr std::int32_t kGrabSquare = 24;

bool OnAMonitor(std::int64_t x, std::int64_t y, const std::vector<RECT>& monitors) {
    return std::any_of(monitors.begin(), monitors.end(), [&](const RECT& m) {
        return x >= m.left && x < m.right && y >= m.top && y < m.bottom;
    });
}

}  // namespace

bool FaceIsReachable(const Image& picture, const RECT& window, const std::vector<RECT>& monitors) {
    const bool hasPicture = picture.width > 0 && picture.height > 0;
    const std::int64_t width = std::int64_t{window.right} - window.left;
    const std::int64_t height = std::int64_t{window.bottom} - window.top;
    if (width <= 0 || height <= 0) return false;
    const auto w = static_cast<std::int32_t>(std::min<std::int64_t>(width, hasPicture ? picture.width : width));
    const auto h = static_cast<std::int32_t>(std::min<std::int64_t>(height, hasPicture ? picture.height : height));

    // Largest all-visible square ending at each pixel, one row at a time.
    std::vector<std::int32_t> above(static_cast<std::size_t>(w) + 1, 0), row(above.size(), 0);
    std::int64_t facePixels = 0, visiblePixels = 0;
    std::int32_t largestSquare = 0;
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            const bool face = !hasPicture || picture.At(x, y) != picture.At(0, 0);
            const bool visible =
                face && OnAMonitor(std::int64_t{window.left} + x, std::int64_t{window.top} + y, monitors);
            facePixels += face ? 1 : 0;
            visiblePixels += visible ? 1 : 0;
            const auto i = static_cast<std::size_t>(x) + 1;
            row[i] = visible ? 1 + std::min({row[i - 1], above[i], above[i - 1]}) : 0;
            largestSquare = std::max(largestSquare, row[i]);
        }
        std::swap(row, above);
    }
    return facePixels > 0 && (visiblePixels * 4 >= facePixels || largestSquare >= kGrabSquare);
}
