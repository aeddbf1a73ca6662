// image_file_fuzzer.cpp: libFuzzer target for the bitmap and icon decoders.
//
// Any bytes may come in; a decoder either refuses them and leaves its
// result empty, or gives an image whose size matches its pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/shared/bitmap_file.h"
#include "platform/shared/icon_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    platform::Image bitmap;
    if (platform::DecodeBitmapFile(file, bitmap)) {
        if (bitmap.width <= 0 || bitmap.height <= 0 ||
            bitmap.pixels.size() != static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height))
            std::abort();
    } else if (bitmap.width != 0 || bitmap.height != 0 || !bitmap.pixels.empty()) {
        std::abort();
    }
    platform::IconImage icon;
    if (platform::DecodeIconFile(file, icon) &&
        (icon.width <= 0 || icon.height <= 0 ||
         icon.argb.size() != static_cast<std::size_t>(icon.width) * static_cast<std::size_t>(icon.height)))
        std::abort();
    return 0;
}
