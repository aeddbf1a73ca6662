// figure_resources.cpp: decodes the figure bitmap, the icon as it is.
#include "figure_window/figure_resources.h"

#include "platform/bitmap_file.h"
#include "platform/resources.h"

platform::Image FigureImage() {
    platform::Image decoded;
    platform::DecodeBitmapFile(platform::ResourceFile(platform::Resource::FigureBitmap), decoded);
    return decoded;
}

std::span<const std::uint8_t> FigureIcon() { return platform::ResourceFile(platform::Resource::FigureIcon); }
