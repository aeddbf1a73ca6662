// memory_canvas.h: a 32-bit device-independent bitmap in a memory DC, with
// its pixels at hand for reading.
#pragma once

#include <cstdint>

#include "platform/win32/win32_system.h"

namespace platform::win32 {

// A colour keeps red in its low byte, a 32-bit DIB pixel blue.
inline std::uint32_t DibPixel(Colour colour) {
    return ((colour & 0xFFU) << 16) | (colour & 0xFF00U) | ((colour >> 16) & 0xFFU);
}

// A 32-bit device-independent bitmap, top row first, showing `pixels`
// (row-major, width * height of them) or one colour. Fails when the system
// cannot make it; `bits` receives its pixels.
HBITMAP NewDib(std::int32_t width, std::int32_t height, const Colour* pixels, Colour fill,
               std::uint32_t** bits = nullptr);

class MemoryCanvas {
public:
    MemoryCanvas() = default;
    MemoryCanvas(std::int32_t width, std::int32_t height, Colour fill);
    ~MemoryCanvas() { Release(); }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    HDC Dc() const { return dc_; }
    // The pixel at (x, y), once GDI has finished drawing (GdiFlush).
    std::uint32_t& At(std::int32_t x, std::int32_t y) { return bits_[y * width_ + x]; }
    void Release();

private:
    std::int32_t width_ = 0;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ defaultBitmap_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

}  // namespace platform::win32
