// memory_canvas.cpp: a device-independent bitmap in a memory DC, filled from
// the software window's images.
#include "platform/win32/memory_canvas.h"

#include "platform/runtime/failure.h"

namespace platform::win32 {

namespace {

// A colour keeps red in its low byte, a 32-bit DIB pixel blue.
std::uint32_t DibPixel(Colour colour) {
    return ((colour & 0xFFU) << 16) | (colour & 0xFF00U) | ((colour >> 16) & 0xFFU);
}

}  // namespace

void MemoryCanvas::Make(std::int32_t width, std::int32_t height) {
    Release();
    width_ = width;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<std::uint32_t*>(bits);
    dc_ = bitmap_ != nullptr ? ::CreateCompatibleDC(nullptr) : nullptr;
    if (dc_ == nullptr) {
        Release();
        Fail();
    }
    defaultBitmap_ = ::SelectObject(dc_, bitmap_);
}

void MemoryCanvas::Take(const Image& image, const ::RECT& area) {
    ::GdiFlush();  // GDI is done reading the bitmap
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x) bits_[y * width_ + x] = DibPixel(image.At(x, y));
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
