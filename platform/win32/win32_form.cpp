// win32_form.cpp: the Win32 window behind a form.
//
// Implements: a WS_POPUP window (no border, no caption) with the program's
// icon and a timer, which shows the software window's image: what changed
// goes into one device-independent bitmap and from there to the screen with
// BitBlt, in WM_PAINT whatever the screen lost.
#include "platform/win32/win32_form.h"

#include "platform/runtime/checked_math.h"
#include "platform/shared/icon_file.h"
#include "platform/win32/utf8.h"
#include "platform/win32/win32_desktop.h"

namespace platform::win32 {

namespace {

constexpr UINT_PTR kTimer = 1;
// The format CreateIconFromResourceEx reads: that of Windows 3.0 and later.
constexpr DWORD kIconFormatVersion = 0x00030000;

}  // namespace

Win32Form::Win32Form(const FormDefinition& definition, FormEvents& events)
    : RasterForm(definition), events_(events), canvas_(PixelWidth(), PixelHeight()) {
    // A constructor that throws runs no destructor: free what was made so far.
    try {
        Desktop& d = TheDesktop();
        if (!PrepareForWindows()) Fail();
        window_ = ::CreateWindowExW(0, kWindowClass, WideOf(definition.applicationTitle).c_str(), WS_POPUP, 0, 0,
                                    PixelWidth(), PixelHeight(), nullptr, nullptr, d.instance, this);
        if (window_ == nullptr) Fail();
        const std::span<const std::uint8_t> icon = FirstIconImage(definition.icon);
        if (!icon.empty()) {
            icon_ = ::CreateIconFromResourceEx(const_cast<PBYTE>(icon.data()), static_cast<DWORD>(icon.size()), TRUE,
                                               kIconFormatVersion, 0, 0, LR_DEFAULTCOLOR);
            for (const WPARAM size : {ICON_BIG, ICON_SMALL})
                ::SendMessageW(window_, WM_SETICON, size, reinterpret_cast<LPARAM>(icon_));
        }
        if (definition.timerIntervalMs > 0) ::SetTimer(window_, kTimer, definition.timerIntervalMs, nullptr);
    } catch (...) {
        Release();
        throw;
    }
}

Win32Form::~Win32Form() { Release(); }

void Win32Form::Release() {
    if (window_ != nullptr) ::DestroyWindow(window_);  // its timer and region go with it
    window_ = nullptr;
    if (icon_ != nullptr) ::DestroyIcon(icon_);
    icon_ = nullptr;
    canvas_.Release();
}

void Win32Form::Forget() { window_ = nullptr; }

HWND Win32Form::hWnd() { return HandleOf(window_); }

::RECT Win32Form::WindowRect() const {
    ::RECT rect{};
    if (!::GetWindowRect(window_, &rect)) Fail();
    return rect;
}

void Win32Form::MoveTo(std::int32_t left, std::int32_t top) {
    if (!::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) Fail();
}

float Win32Form::Top() { return static_cast<float>(WindowRect().top) * kTwipsPerPixel; }
float Win32Form::Left() { return static_cast<float>(WindowRect().left) * kTwipsPerPixel; }

void Win32Form::SetTop(float twips) {
    MoveTo(WindowRect().left, RoundToInt32(static_cast<double>(twips) / kTwipsPerPixel));
}

void Win32Form::SetLeft(float twips) {
    MoveTo(RoundToInt32(static_cast<double>(twips) / kTwipsPerPixel), WindowRect().top);
}

void Win32Form::Show() { ::ShowWindow(window_, SW_SHOWNORMAL); }

void Win32Form::Present(const Image& image, const RECT& area) {
    if (window_ == nullptr) return;
    const ::RECT native{area.left, area.top, area.right, area.bottom};
    canvas_.Take(image, native);
    HDC screen = paintDc_ != nullptr ? paintDc_ : ::GetDC(window_);
    if (screen == nullptr) return;
    ::BitBlt(screen, area.left, area.top, area.right - area.left, area.bottom - area.top, canvas_.Dc(), area.left,
             area.top, SRCCOPY);
    if (screen != paintDc_) ::ReleaseDC(window_, screen);
}

void Win32Form::Paint() {
    PAINTSTRUCT paint{};
    paintDc_ = ::BeginPaint(window_, &paint);
    if (paintDc_ != nullptr) {
        const ::RECT& area = paint.rcPaint;
        RepaintFromPersistentImage({area.left, area.top, area.right, area.bottom});
        ShowChanges();
    }
    ::EndPaint(window_, &paint);
    paintDc_ = nullptr;
}

}  // namespace platform::win32
