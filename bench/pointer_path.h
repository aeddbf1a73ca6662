// pointer_path.h: the benchmark's pointer path, the same on every desktop:
// a slow Lissajous curve over a box of the screen, 50 steps a second.
#pragma once

#include <chrono>
#include <functional>

namespace bench {

struct PathBox {
    int centreX, centreY, radiusX, radiusY;
};

// Moves the pointer with `move` along the path within `box` for `span`.
void FollowPath(const PathBox& box, std::chrono::steady_clock::duration span, const std::function<void(int, int)>& move);

}  // namespace bench
