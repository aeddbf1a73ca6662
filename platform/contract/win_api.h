// win_api.h: the Windows system calls the program makes, as one contract.
//
// The Win32 backend forwards each to the real call of the same name; the X11
// and headless backends provide the same effects themselves. Callers never
// see an OS header: handles are opaque values here.
#pragma once

#include <cstdint>

namespace platform {

enum class HWND : std::uintptr_t {};
enum class HRGN : std::uintptr_t {};

using BOOL = std::int32_t;
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using DWORD = std::uint32_t;

struct POINTAPI {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

inline constexpr HWND HWND_TOPMOST = static_cast<HWND>(static_cast<std::uintptr_t>(-1));
inline constexpr UINT SWP_NOSIZE = 0x1;
inline constexpr UINT SWP_NOMOVE = 0x2;
inline constexpr UINT SWP_NOACTIVATE = 0x10;
inline constexpr UINT WM_NCLBUTTONDOWN = 0xA1;
inline constexpr WPARAM HTCAPTION = 2;
inline constexpr std::int32_t RGN_OR = 2;

// user32: window manager
BOOL GetCursorPos(POINTAPI* point);
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL SetWindowPos(HWND window, HWND insertAfter, std::int32_t x, std::int32_t y,
                  std::int32_t cx, std::int32_t cy, UINT flags);
BOOL ReleaseCapture();
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
std::int32_t SetWindowRgn(HWND window, HRGN region, BOOL redraw);

// gdi32: regions
HRGN CreateRectRgn(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
std::int32_t CombineRgn(HRGN destination, HRGN source1, HRGN source2, std::int32_t mode);
BOOL DeleteObject(HRGN object);

// kernel32: folders, paths and profile strings (8-bit text, UTF-8)
UINT GetWindowsDirectoryA(char* buffer, UINT size);
UINT GetSystemDirectoryA(char* buffer, UINT size);
DWORD GetTempPathA(DWORD size, char* buffer);
DWORD GetLongPathNameA(const char* path, char* buffer, DWORD size);
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText,
                               char* buffer, DWORD size, const char* file);
BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* file);

}  // namespace platform
