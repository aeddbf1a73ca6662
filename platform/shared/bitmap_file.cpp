// bitmap_file.cpp: 24-bit bitmap decoding, bottom-up or top-down rows.
#include "platform/shared/bitmap_file.h"

#include "platform/shared/little_endian.h"

namespace platform {

bool DecodeBitmapFile(std::span<const std::uint8_t> file, Image& image) {
    image = Image{};
    constexpr std::size_t kHeaders = 54;
    if (file.size() < kHeaders || file[0] != 'B' || file[1] != 'M') return false;
    const std::uint32_t offset = ReadU32(file, 10);
    const auto width = static_cast<std::int32_t>(ReadU32(file, 18));
    const auto rawHeight = static_cast<std::int32_t>(ReadU32(file, 22));
    if (ReadU16(file, 28) != 24 || ReadU32(file, 30) != 0) return false;  // 24 bits, uncompressed
    if (width <= 0 || width > 16384 || rawHeight == 0 || rawHeight < -16384 || rawHeight > 16384) return false;
    const bool bottomUp = rawHeight > 0;
    const std::int32_t height = bottomUp ? rawHeight : -rawHeight;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    if (offset > file.size() || (file.size() - offset) / stride < static_cast<std::size_t>(height)) return false;

    Image decoded(width, height, 0);
    for (std::int32_t row = 0; row < height; ++row) {
        const std::int32_t y = bottomUp ? height - 1 - row : row;
        const std::size_t base = offset + static_cast<std::size_t>(row) * stride;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::size_t at = base + static_cast<std::size_t>(x) * 3;
            decoded.At(x, y) = RGB(file[at + 2], file[at + 1], file[at]);  // stored blue, green, red
        }
    }
    image = std::move(decoded);
    return true;
}

}  // namespace platform
