// memory_canvas.h: one 32-bit device-independent bitmap in a memory DC, the
// image a Windows form puts on the screen from.
#pragma once

#include <cstdint>

#include "platform/win32/win32_system.h"

namespace platform::win32 {

class MemoryCanvas {
public:
    MemoryCanvas() = default;
    // Fails when the system cannot make it.
    MemoryCanvas(std::int32_t width, std::int32_t height) { Make(width, height); }
    ~MemoryCanvas() { Release(); }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    // A canvas of another size in place of this one; fails as making one does.
    void Make(std::int32_t width, std::int32_t height);
    HDC Dc() const { return dc_; }
    // Copies `area` of `image`, an image of the canvas's size, into the bitmap.
    void Take(const Image& image, const ::RECT& area);
    void Release();

private:
    std::int32_t width_ = 0;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ defaultBitmap_ = nullptr;
    std::uint32_t* bits_ = nullptr;  // top row first
};

}  // namespace platform::win32
