// icon_file.cpp: .ico decoding for window-manager icons.
#include "platform/shared/icon_file.h"

#include "platform/shared/little_endian.h"

namespace platform {

namespace {

std::size_t Stride(std::size_t width, std::size_t bits) { return ((width * bits + 31) / 32) * 4; }

}  // namespace

std::span<const std::uint8_t> FirstIconImage(std::span<const std::uint8_t> file) {
    if (file.size() < 6 + 16 || ReadU16(file, 2) != 1 || ReadU16(file, 4) == 0) return {};
    const std::size_t offset = ReadU32(file, 6 + 12);
    const std::size_t length = ReadU32(file, 6 + 8);
    if (offset > file.size() || length > file.size() - offset || length < 40) return {};
    return file.subspan(offset, length);
}

bool DecodeIconFile(std::span<const std::uint8_t> file, IconImage& icon) {
    icon = IconImage{};
    const std::span<const std::uint8_t> image = FirstIconImage(file);
    if (image.empty()) return false;

    const auto width = static_cast<std::int32_t>(ReadU32(image, 4));
    const auto height = static_cast<std::int32_t>(ReadU32(image, 8)) / 2;  // XOR and AND halves
    const std::uint16_t bits = ReadU16(image, 14);
    if (width <= 0 || width > 256 || height <= 0 || height > 256 || ReadU32(image, 16) != 0) return false;
    const bool paletted = bits == 1 || bits == 4 || bits == 8;
    if (!paletted && bits != 24 && bits != 32) return false;

    const std::size_t headerSize = ReadU32(image, 0);
    std::size_t colours = paletted ? (ReadU32(image, 32) != 0 ? ReadU32(image, 32) : (std::size_t{1} << bits)) : 0;
    if (colours > 256) return false;
    const std::size_t palette = headerSize;
    const std::size_t pixels = palette + colours * 4;
    const std::size_t xorStride = Stride(static_cast<std::size_t>(width), bits);
    const std::size_t andStride = Stride(static_cast<std::size_t>(width), 1);
    const auto rows = static_cast<std::size_t>(height);
    if (headerSize < 40 || pixels > image.size() || (image.size() - pixels) < rows * (xorStride + andStride))
        return false;
    const std::size_t mask = pixels + rows * xorStride;

    icon.width = width;
    icon.height = height;
    icon.argb.resize(static_cast<std::size_t>(width) * rows);
    for (std::size_t row = 0; row < rows; ++row) {
        const std::size_t y = rows - 1 - row;  // bottom-up
        for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x) {
            const std::size_t line = pixels + row * xorStride;
            std::uint32_t rgb = 0;
            std::uint32_t alpha = 0xFF;
            if (paletted) {
                const std::size_t bitOffset = x * bits;
                const std::uint8_t byte = image[line + bitOffset / 8];
                const std::size_t index = (byte >> (8 - bits - bitOffset % 8)) & ((1U << bits) - 1);
                if (index >= colours) return false;
                rgb = ReadU32(image, palette + index * 4) & 0xFFFFFF;  // stored blue, green, red, 0
            } else {
                const std::size_t at = line + x * (bits / 8);
                rgb = static_cast<std::uint32_t>(image[at]) | (static_cast<std::uint32_t>(image[at + 1]) << 8) |
                      (static_cast<std::uint32_t>(image[at + 2]) << 16);
                if (bits == 32) alpha = image[at + 3];
            }
            const bool transparent = (image[mask + row * andStride + x / 8] >> (7 - x % 8)) & 1;
            if (transparent && bits != 32) alpha = 0;
            icon.argb[y * static_cast<std::size_t>(width) + x] = (alpha << 24) | rgb;
        }
    }
    return true;
}

}  // namespace platform
