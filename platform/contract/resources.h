// resources.h: the files that are part of the program itself.
//
// The face picture and the icon travel inside the program file. A Linux
// program carries them as byte arrays; a Windows program as resources,
// where the shell finds the icon too. Either way the program gets the
// files' bytes as they lie in the source tree.
#pragma once

#include <cstdint>
#include <span>

#include "platform/contract/image.h"

namespace platform {

enum class Resource {
    FigureBitmap,  // figure_window/figure.bmp
    FigureIcon,    // figure_window/zwinkerle.ico
};

// The file's bytes, valid while the program runs; empty when it is missing.
std::span<const std::uint8_t> ResourceFile(Resource resource);

// A picture resource (an uncompressed 24-bit Windows bitmap) decoded;
// empty when it is missing or no such bitmap.
Image LoadResPicture(Resource resource);

}  // namespace platform
