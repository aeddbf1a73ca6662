// png_file.cpp: PNG files through libpng's simplified reading interface.
#include "tools/wayland_desktop/png_file.h"

#include <png.h>

#include <stdexcept>
#include <vector>

namespace e2e {

platform::Image ReadPng(const std::string& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        throw std::runtime_error("cannot read " + path + ": " + png.message);
    png.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        throw std::runtime_error("cannot decode " + path + ": " + png.message);
    }
    platform::Image image(static_cast<int>(png.width), static_cast<int>(png.height), 0);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = platform::RGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    return image;
}

}  // namespace e2e
