// The figure image as drawn: size, key colour, eyes, and a clean border.
#include <gtest/gtest.h>

#include <cstdlib>

#include "figure_window/figure_resources.h"
#include "platform/shared/bitmap_file.h"
#include "platform/shared/icon_file.h"

using namespace platform;

namespace {

int ColourDistance(Colour a, Colour b) {
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8)
        sum += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    return sum;
}

TEST(FigureImage, IsTheFaceOnTheKeyColour) {
    const Image& figure = FigureImage();
    ASSERT_EQ(figure.width, 150);
    ASSERT_EQ(figure.height, 230);
    const Colour key = RGB(0, 1, 43);
    EXPECT_EQ(figure.At(0, 0), key);
    for (int y = 0; y < 230; ++y) {
        EXPECT_EQ(figure.At(148, y), key);
        EXPECT_EQ(figure.At(149, y), key);
    }
    // The eyes lie inside the face.
    EXPECT_NE(figure.At(48, 78), key);
    EXPECT_NE(figure.At(105, 78), key);
    // No fringe: a pixel next to the background is either background or far
    // from it, so no dark halo joins the shape.
    const auto nextToBackground = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (figure.Contains(x + dx, y + dy) && figure.At(x + dx, y + dy) == key) return true;
        return false;
    };
    for (int y = 0; y < 230; ++y)
        for (int x = 0; x < 150; ++x)
            if (figure.At(x, y) != key && nextToBackground(x, y)) {
                ASSERT_GT(ColourDistance(figure.At(x, y), key), 90) << x << "," << y;
            }
}

TEST(FigureIcon, IsA32By32SixteenColourIcon) {
    const auto icon = FigureIcon();
    ASSERT_GE(icon.size(), 22U + 40U);
    EXPECT_EQ(icon[4], 1);   // one image
    EXPECT_EQ(icon[8], 16);  // colours; the type and size are the decoder's to check
    // What the window manager gets: transparent around the face, opaque on it.
    IconImage decoded;
    ASSERT_TRUE(DecodeIconFile(icon, decoded));
    ASSERT_EQ(decoded.width, 32);
    ASSERT_EQ(decoded.height, 32);
    EXPECT_EQ(decoded.argb[0] >> 24, 0U);
    EXPECT_EQ(decoded.argb[16 * 32 + 16] >> 24, 0xFFU);
    std::vector<std::uint8_t> truncated(icon.begin(), icon.begin() + 100);
    EXPECT_FALSE(DecodeIconFile(truncated, decoded));
}

TEST(BitmapFile, RefusesWhatItCannotRead) {
    Image image;
    const std::vector<std::uint8_t> tooShort(20, 0);
    EXPECT_FALSE(DecodeBitmapFile(tooShort, image));
    // A header that promises more rows than the file holds.
    std::vector<std::uint8_t> file(54 + 10, 0);
    file[0] = 'B', file[1] = 'M', file[10] = 54, file[18] = 100, file[22] = 100, file[28] = 24;
    EXPECT_FALSE(DecodeBitmapFile(file, image));
    EXPECT_EQ(image.width, 0);
}

}  // namespace
