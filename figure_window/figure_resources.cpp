// figure_resources.cpp: decodes the embedded figure bitmap once.
#include "figure_window/figure_resources.h"

#include <cstddef>

#include "platform/bitmap_file.h"

extern const unsigned char FigureBitmapFile[];
extern const std::size_t FigureBitmapFile_size;
extern const unsigned char FigureIconFile[];
extern const std::size_t FigureIconFile_size;

platform::Image FigureImage() {
    platform::Image decoded;
    platform::DecodeBitmapFile({FigureBitmapFile, FigureBitmapFile_size}, decoded);
    return decoded;
}

std::span<const std::uint8_t> FigureIcon() { return {FigureIconFile, FigureIconFile_size}; }
