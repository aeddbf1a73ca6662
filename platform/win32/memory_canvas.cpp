// memory_canvas.cpp: device-independent bitmaps and the memory DCs that hold them.
#include "platform/win32/memory_canvas.h"

#include <algorithm>

#include "platform/runtime/failure.h"

namespace platform::win32 {

HBITMAP NewDib(std::int32_t width, std::int32_t height, const Colour* pixels, Colour fill, std::uint32_t** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    if (bitmap == nullptr) Fail();
    auto* out = static_cast<std::uint32_t*>(memory);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (pixels != nullptr) {
        std::transform(pixels, pixels + count, out, DibPixel);
    } else {
        std::fill(out, out + count, DibPixel(fill));
    }
    if (bits != nullptr) *bits = out;
    return bitmap;
}

MemoryCanvas::MemoryCanvas(std::int32_t width, std::int32_t height, Colour fill) : width_(width) {
    bitmap_ = NewDib(width, height, nullptr, fill, &bits_);
    dc_ = ::CreateCompatibleDC(nullptr);
    if (dc_ == nullptr) {
        Release();
        Fail();
    }
    defaultBitmap_ = ::SelectObject(dc_, bitmap_);
}

void MemoryCanvas::Release() {
    if (dc_ != nullptr) {
        ::SelectObject(dc_, defaultBitmap_);
        ::DeleteDC(dc_);
    }
    dc_ = nullptr;
    if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
    bitmap_ = nullptr;
    bits_ = nullptr;
}

}  // namespace platform::win32
