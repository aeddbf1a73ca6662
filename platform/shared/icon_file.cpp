// icon_file.cpp: .ico decoding for window-manager icons.
#include "platform/shared/icon_file.h"

#include <optional>

#include "platform/shared/little_endian.h"

namespace platform {

namespace {

constexpr std::size_t kInfoHeaderBytes = 40;  // BITMAPINFOHEADER
constexpr std::int32_t kLargestSide = 256;
constexpr std::size_t kMostColours = 256;

std::size_t Stride(std::size_t width, std::size_t bits) { return ((width * bits + 31) / 32) * 4; }

// Where the parts of an icon image lie, from its bitmap header.
struct IconLayout {
    std::int32_t width;
    std::int32_t height;
    std::uint16_t bits;
    bool paletted;
    std::size_t colours;
    std::size_t palette;    // the colour table
    std::size_t pixels;     // the XOR bitmap, bottom row first
    std::size_t xorStride;
    std::size_t mask;       // the AND bitmap, bottom row first
    std::size_t andStride;
};

// The layout of an image whose header is one we read and whose parts fit
// its data; nothing otherwise.
std::optional<IconLayout> LayoutOf(std::span<const std::uint8_t> image) {
    const auto width = static_cast<std::int32_t>(ReadU32(image, 4));
    const auto height = static_cast<std::int32_t>(ReadU32(image, 8)) / 2;  // XOR and AND halves
    const std::uint16_t bits = ReadU16(image, 14);
    if (width <= 0 || width > kLargestSide || height <= 0 || height > kLargestSide || ReadU32(image, 16) != 0)
        return std::nullopt;
    const bool paletted = bits == 1 || bits == 4 || bits == 8;
    if (!paletted && bits != 24 && bits != 32) return std::nullopt;

    const std::size_t headerSize = ReadU32(image, 0);
    std::size_t colours = paletted ? (ReadU32(image, 32) != 0 ? ReadU32(image, 32) : (std::size_t{1} << bits)) : 0;
    if (colours > kMostColours) return std::nullopt;
    const std::size_t palette = headerSize;
    const std::size_t pixels = palette + colours * 4;
    const std::size_t xorStride = Stride(static_cast<std::size_t>(width), bits);
    const std::size_t andStride = Stride(static_cast<std::size_t>(width), 1);
    const auto rows = static_cast<std::size_t>(height);
    if (headerSize < kInfoHeaderBytes || pixels > image.size() ||
        (image.size() - pixels) < rows * (xorStride + andStride))
        return std::nullopt;
    const std::size_t mask = pixels + rows * xorStride;
    return IconLayout{width, height, bits, paletted, colours, palette, pixels, xorStride, mask, andStride};
}

// The pixel at `x` of stored row `row` as 0xAARRGGBB; false when its
// palette index lies beyond the palette.
bool ReadPixel(std::span<const std::uint8_t> image, const IconLayout& l, std::size_t row, std::size_t x,
               std::uint32_t& argb) {
    const std::size_t line = l.pixels + row * l.xorStride;
    std::uint32_t rgb = 0;
    std::uint32_t alpha = 0xFF;
    if (l.paletted) {
        const std::size_t bitOffset = x * l.bits;
        const std::uint8_t byte = image[line + bitOffset / 8];
        const std::size_t index = (byte >> (8 - l.bits - bitOffset % 8)) & ((1U << l.bits) - 1);
        if (index >= l.colours) return false;
        rgb = ReadU32(image, l.palette + index * 4) & 0xFFFFFF;  // stored blue, green, red, 0
    } else {
        const std::size_t at = line + x * (l.bits / 8);
        rgb = static_cast<std::uint32_t>(image[at]) | (static_cast<std::uint32_t>(image[at + 1]) << 8) |
              (static_cast<std::uint32_t>(image[at + 2]) << 16);
        if (l.bits == 32) alpha = image[at + 3];
    }
    const bool transparent = (image[l.mask + row * l.andStride + x / 8] >> (7 - x % 8)) & 1;
    if (transparent && l.bits != 32) alpha = 0;
    argb = (alpha << 24) | rgb;
    return true;
}

}  // namespace

std::span<const std::uint8_t> FirstIconImage(std::span<const std::uint8_t> file) {
    if (file.size() < 6 + 16 || ReadU16(file, 2) != 1 || ReadU16(file, 4) == 0) return {};
    const std::size_t offset = ReadU32(file, 6 + 12);
    const std::size_t length = ReadU32(file, 6 + 8);
    if (offset > file.size() || length > file.size() - offset || length < kInfoHeaderBytes) return {};
    return file.subspan(offset, length);
}

bool DecodeIconFile(std::span<const std::uint8_t> file, IconImage& icon) {
    icon = IconImage{};
    const std::span<const std::uint8_t> image = FirstIconImage(file);
    if (image.empty()) return false;
    const std::optional<IconLayout> layout = LayoutOf(image);
    if (!layout) return false;

    icon.width = layout->width;
    icon.height = layout->height;
    const auto width = static_cast<std::size_t>(layout->width);
    const auto rows = static_cast<std::size_t>(layout->height);
    icon.argb.resize(width * rows);
    for (std::size_t row = 0; row < rows; ++row) {
        const std::size_t y = rows - 1 - row;  // bottom-up
        for (std::size_t x = 0; x < width; ++x)
            if (!ReadPixel(image, *layout, row, x, icon.argb[y * width + x])) return false;
    }
    return true;
}

}  // namespace platform
