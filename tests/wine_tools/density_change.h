// density_change.h: the request density_change.exe posts to the face's
// window, and its hook turns into WM_DPICHANGED there.
#pragma once

#include <windows.h>

inline constexpr wchar_t kDensityChangeRequest[] = L"ZwinkerleTestDensityChange";

// The new density and the corner the system suggests, packed into a message's lParam.
struct DensityChange {
    int dpi;
    int x;
    int y;

    LPARAM Packed() const {
        return static_cast<LPARAM>((static_cast<unsigned long long>(dpi & 0xFFFF) << 32) |
                                   (static_cast<unsigned long long>(x & 0xFFFF) << 16) |
                                   static_cast<unsigned long long>(y & 0xFFFF));
    }
    static DensityChange Unpacked(LPARAM packed) {
        const auto bits = static_cast<unsigned long long>(packed);
        return {static_cast<int>((bits >> 32) & 0xFFFF), static_cast<short>((bits >> 16) & 0xFFFF),
                static_cast<short>(bits & 0xFFFF)};
    }
};
