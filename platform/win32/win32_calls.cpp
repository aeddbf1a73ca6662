// win32_calls.cpp: the user32 and gdi32 calls of the contract, forwarded to
// the real ones.
//
// Implements: GetCursorPos, GetWindowRect, SetWindowPos, ReleaseCapture,
// SendMessageA, SetWindowRgn, CreateRectRgn, CombineRgn and DeleteObject,
// and CreateForm; a caption grab during a left press is armed rather than
// started (caption_drag.h). The only place where the contract's opaque
// handles and structures become native ones and back.
#include <memory>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form.h"

namespace platform {

namespace {

::HWND Native(HWND window) { return reinterpret_cast<::HWND>(static_cast<std::uintptr_t>(window)); }
::HRGN Native(HRGN region) { return reinterpret_cast<::HRGN>(static_cast<std::uintptr_t>(region)); }
HRGN HandleOf(::HRGN region) { return static_cast<HRGN>(reinterpret_cast<std::uintptr_t>(region)); }

}  // namespace

HWND win32::HandleOf(::HWND window) { return static_cast<HWND>(reinterpret_cast<std::uintptr_t>(window)); }

BOOL GetCursorPos(POINTAPI* point) {
    ::POINT native{};
    if (point == nullptr || !::GetCursorPos(&native)) return 0;
    *point = {native.x, native.y};
    return 1;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    ::RECT native{};
    if (rect == nullptr || !::GetWindowRect(Native(window), &native)) return 0;
    *rect = {native.left, native.top, native.right, native.bottom};
    return 1;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy,
                  UINT flags) {
    return ::SetWindowPos(Native(window), Native(insertAfter), x, y, cx, cy, flags);
}

BOOL ReleaseCapture() {
    // A left press on a form keeps the mouse until the system's move or
    // the release (caption_drag.h).
    if (win32::Win32Form* form = win32::FormOf(::GetCapture()); form != nullptr && form->Drag().HoldsMouse())
        return 1;
    return ::ReleaseCapture();
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A caption grab during a left press waits for the pointer to move with
    // the button held (caption_drag.h).
    if (message == WM_NCLBUTTONDOWN && wParam == HTCAPTION)
        if (win32::Win32Form* form = win32::FormOf(Native(window)); form != nullptr && form->Drag().Arm(Native(window)))
            return 0;
    return ::SendMessageA(Native(window), message, wParam, lParam);
}

std::int32_t SetWindowRgn(HWND window, HRGN region, BOOL redraw) {
    return ::SetWindowRgn(Native(window), Native(region), redraw);
}

HRGN CreateRectRgn(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    return HandleOf(::CreateRectRgn(left, top, right, bottom));
}

std::int32_t CombineRgn(HRGN destination, HRGN source1, HRGN source2, std::int32_t mode) {
    return ::CombineRgn(Native(destination), Native(source1), Native(source2), mode);
}

BOOL DeleteObject(HRGN object) { return ::DeleteObject(Native(object)); }

std::unique_ptr<Form> CreateForm(const FormDefinition& definition, FormEvents& events) {
    return std::make_unique<win32::Win32Form>(definition, events);
}

}  // namespace platform
