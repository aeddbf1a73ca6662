// bitmap_file.h: reads an uncompressed 24-bit Windows bitmap file.
#pragma once

#include <cstdint>
#include <span>

#include "platform/contract/image.h"

namespace platform {

// False for anything but an uncompressed 24-bit bitmap whose pixel data lies
// wholly inside `file`; `image` is then left empty.
bool DecodeBitmapFile(std::span<const std::uint8_t> file, Image& image);

}  // namespace platform
