// win32_calls.cpp: the user32 calls of the contract, forwarded to the real
// ones in the program's pixels.
//
// Implements: GetCursorPos, GetWindowRect, SetWindowPos, ReleaseCapture,
// SendMessageA, SetWindowRgn and CreateForm; a caption grab during a left
// press is armed rather than started (caption_drag.h). The only place where
// the contract's opaque handles and structures become native ones and back.
// Regions are kept in client memory (client_regions.h) until a window takes
// one, so that its shape can follow the window's density.
#include <memory>

#include "platform/shared/density.h"
#include "platform/software/client_regions.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form.h"

namespace platform {

namespace {

using win32::ProgramDensity;

::HWND Native(HWND window) { return reinterpret_cast<::HWND>(static_cast<std::uintptr_t>(window)); }

}  // namespace

HWND win32::HandleOf(::HWND window) { return static_cast<HWND>(reinterpret_cast<std::uintptr_t>(window)); }

BOOL GetCursorPos(POINTAPI* point) {
    ::POINT native{};
    if (point == nullptr || !::GetCursorPos(&native)) return 0;
    win32::TheDesktop().cursor = native;
    // A face on a monitor of another density than the system's is drawn at
    // that one's: the pointer is measured from it, so that the eyes look at it.
    for (const auto& [window, form] : win32::TheDesktop().forms) {
        if (form->Density() == ProgramDensity()) continue;
        *point = form->FromScreen(native);
        return 1;
    }
    *point = {ProgramPixels(native.x, ProgramDensity()), ProgramPixels(native.y, ProgramDensity())};
    return 1;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    ::RECT native{};
    if (rect == nullptr || !::GetWindowRect(Native(window), &native)) return 0;
    // A form is as large as the program made it, on a monitor of any density.
    const win32::Win32Form* form = win32::FormOf(Native(window));
    *rect = form != nullptr ? form->Rect()
                            : ProgramRect({native.left, native.top, native.right, native.bottom}, ProgramDensity());
    return 1;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy,
                  UINT flags) {
    const std::int32_t density = ProgramDensity();
    return ::SetWindowPos(Native(window), Native(insertAfter), ScreenPixels(x, density), ScreenPixels(y, density),
                          ScreenPixels(cx, density), ScreenPixels(cy, density), flags);
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

std::int32_t SetWindowRgn(HWND window, HRGN region, BOOL) {
    win32::Win32Form* form = win32::FormOf(Native(window));
    Rectangles shape;
    if (form == nullptr || !ClientRegions().Take(region, shape)) return 0;
    form->TakeShape(std::move(shape));  // the window's previous region is gone with it
    return 1;
}

std::unique_ptr<Form> CreateForm(const FormDefinition& definition, FormEvents& events) {
    return std::make_unique<win32::Win32Form>(definition, events);
}

}  // namespace platform
