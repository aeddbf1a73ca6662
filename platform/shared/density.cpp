// density.cpp: screen pixels per program pixel, and conversions between them.
#include "platform/shared/density.h"

#include <algorithm>
#include <limits>

#include "platform/contract/form.h"
#include "platform/runtime/checked_math.h"

namespace platform {

namespace {

std::int32_t Clamp32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::int32_t DensityOfDpi(double dotsPerInch) {
    return dotsPerInch >= 144 && dotsPerInch < 96 * 16 ? static_cast<std::int32_t>(dotsPerInch / 96 + 0.5) : 1;
}

std::int32_t ProgramPixels(std::int64_t screen, std::int32_t density) {
    return Clamp32(screen >= 0 ? screen / density : -((-screen + density - 1) / density));
}

std::int32_t ScreenPixels(std::int32_t program, std::int32_t density) {
    return Clamp32(std::int64_t{program} * density);
}

float TwipsOf(std::int64_t screen, std::int32_t density) {
    return static_cast<float>(static_cast<double>(screen) * kTwipsPerPixel / density);
}

std::int32_t ScreenPixelsOfTwips(float twips, std::int32_t density) {
    return RoundToInt32(static_cast<double>(twips) * density / kTwipsPerPixel);
}

RECT ProgramRect(const RECT& screen, std::int32_t density) {
    return {ProgramPixels(screen.left, density), ProgramPixels(screen.top, density),
            ProgramPixels(std::int64_t{screen.right} + density - 1, density),
            ProgramPixels(std::int64_t{screen.bottom} + density - 1, density)};
}

RECT Rescaled(const RECT& window, std::int32_t from, std::int32_t to, POINTAPI pointer, POINTAPI otherwise) {
    const auto scaled = [&](std::int64_t length) { return length * to / from; };
    const std::int64_t width = scaled(std::int64_t{window.right} - window.left);
    const std::int64_t height = scaled(std::int64_t{window.bottom} - window.top);
    const bool over = pointer.x >= window.left && pointer.x < window.right && pointer.y >= window.top &&
                      pointer.y < window.bottom;
    // The program pixel under the pointer, and the pointer's place within it.
    const std::int64_t left = over ? pointer.x - scaled(std::int64_t{pointer.x} - window.left) : otherwise.x;
    const std::int64_t top = over ? pointer.y - scaled(std::int64_t{pointer.y} - window.top) : otherwise.y;
    return {Clamp32(left), Clamp32(top), Clamp32(left + width), Clamp32(top + height)};
}

}  // namespace platform
