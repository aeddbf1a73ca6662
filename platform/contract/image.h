// image.h: colours and a plain top-down pixel grid.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// 0x00BBGGRR: red in the low byte, then green, then blue.
using Colour = std::uint32_t;

constexpr Colour RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<Colour>(red) | (static_cast<Colour>(green) << 8) |
           (static_cast<Colour>(blue) << 16);
}

struct Image {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<Colour> pixels;  // row-major, top row first

    Image() = default;
    Image(std::int32_t w, std::int32_t h, Colour fill)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

    bool Contains(std::int32_t x, std::int32_t y) const {
        return x >= 0 && y >= 0 && x < width && y < height;
    }
    Colour At(std::int32_t x, std::int32_t y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
    Colour& At(std::int32_t x, std::int32_t y) {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

}  // namespace platform
