// span_scanner_fuzzer.cpp: libFuzzer target for cutting a window to its
// picture, on random pictures of up to 64 x 64 pixels in four colours.
//
// The shape must hold exactly the pixels whose colour differs from the top-
// left one, as one one-pixel-high span per run, and no region may leak.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/software/client_regions.h"
#include "shaper/cTrimmer.h"
#include "tests/test_window.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::int32_t width = 1 + data[0] % 64, height = data[1] % 65;
    platform::Image picture(width, height, 0);
    for (std::int32_t i = 0; i < width * height; ++i) {
        const auto at = static_cast<std::size_t>(i / 4) + 2;
        const std::uint8_t bits = at < size ? static_cast<std::uint8_t>(data[at] >> (2 * (i % 4))) : 0;
        picture.pixels[static_cast<std::size_t>(i)] = platform::RGB(0, 1, static_cast<std::uint8_t>(bits & 3));
    }
    test::PictureWindow window(picture);
    cTrimmer trimmer;
    trimmer.TrimForm(*window.form);

    std::size_t runs = 0;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const bool face = picture.At(x, y) != picture.At(0, 0);
            if (window.Headless().InShape(x, y) != face) std::abort();
            runs += face && (x == 0 || picture.At(x - 1, y) == picture.At(0, 0)) ? 1 : 0;
        }
    if (window.Headless().Shape().size() != runs) std::abort();
    for (const platform::RECT& span : window.Headless().Shape())
        if (span.bottom != span.top + 1) std::abort();
    if (platform::ClientRegions().LiveCount() != 0) std::abort();
    return 0;
}
