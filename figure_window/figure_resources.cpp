// figure_resources.cpp: decodes the figure bitmap once.
#include "figure_window/figure_resources.h"

#include "platform/bitmap_file.h"
#include "platform/resources.h"

const platform::Image& FigureImage() {
    static const platform::Image image = [] {
        platform::Image decoded;
        platform::DecodeBitmapFile(platform::ResourceFile(platform::Resource::FigureBitmap), decoded);
        return decoded;
    }();
    return image;
}

std::span<const std::uint8_t> FigureIcon() { return platform::ResourceFile(platform::Resource::FigureIcon); }
