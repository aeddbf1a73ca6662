// test_window.cpp: building test windows and reading their shape.
#include "tests/test_window.h"

namespace test {

platform::Image PictureFromRows(const std::vector<std::string>& rows) {
    const auto height = static_cast<std::int32_t>(rows.size());
    const auto width = height == 0 ? 0 : static_cast<std::int32_t>(rows[0].size());
    platform::Image image(width, height, kKey);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const char c = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            // Any colour but the key, distinct per character.
            if (c != '.') image.At(x, y) = platform::RGB(static_cast<std::uint8_t>(c), 200, 10);
        }
    return image;
}

PictureWindow::PictureWindow(const platform::Image& image, std::int16_t scaleMode, bool withPicture)
    : picture(image) {
    platform::headless::ResetDesktop();
    platform::FormDefinition definition;
    definition.clientWidthTwips = static_cast<float>(picture.width) * platform::kTwipsPerPixel;
    definition.clientHeightTwips = static_cast<float>(picture.height) * platform::kTwipsPerPixel;
    definition.scaleMode = scaleMode;
    definition.backColor = kKey;
    definition.picture = withPicture ? &picture : nullptr;
    form = platform::CreateForm(definition, events);
}

std::vector<std::string> ShownRows(platform::headless::HeadlessForm& form) {
    form.ShowChanges();
    std::vector<std::string> rows;
    for (std::int32_t y = 0; y < form.PixelHeight(); ++y) {
        std::string row;
        for (std::int32_t x = 0; x < form.PixelWidth(); ++x) {
            const platform::Colour shown = form.Shown().At(x, y);
            row += !form.InShape(x, y) ? '.' : shown == kKey ? ',' : static_cast<char>(shown & 0xFF);
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace test
