// pointer_path.cpp: the benchmark's pointer path, paced to 50 steps a second
// however long a step takes to deliver.
#include "bench/pointer_path.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace bench {

void FollowPath(const PathBox& box, std::chrono::steady_clock::duration span, const std::function<void(int, int)>& move) {
    using Clock = std::chrono::steady_clock;
    constexpr auto kStep = std::chrono::milliseconds(20);
    const auto start = Clock::now();
    auto next = start;
    for (int step = 0; Clock::now() - start < span; ++step) {
        const double angle = step * 0.02;
        move(box.centreX + static_cast<int>(box.radiusX * std::cos(angle)),
             box.centreY + static_cast<int>(box.radiusY * std::sin(angle * 1.3)));
        // A late step is not made up for with a burst.
        next = std::max(next + kStep, Clock::now());
        std::this_thread::sleep_until(next);
    }
}

}  // namespace bench
