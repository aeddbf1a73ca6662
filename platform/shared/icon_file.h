// icon_file.h: reads the first image of an .ico file.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace platform {

struct IconImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> argb;  // top row first, 0xAARRGGBB
};

// The first image of an .ico file: its bitmap header, colours, pixels and
// mask, as the icon resources of a Windows program hold them. Empty when the
// file is no icon or the image does not fit it.
std::span<const std::uint8_t> FirstIconImage(std::span<const std::uint8_t> file);

// Paletted (1, 4 or 8 bits) and 24- or 32-bit images with their AND mask.
// False for anything else or anything that does not fit the file.
bool DecodeIconFile(std::span<const std::uint8_t> file, IconImage& icon);

}  // namespace platform
