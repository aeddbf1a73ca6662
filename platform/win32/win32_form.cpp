// win32_form.cpp: the Win32 window behind a form.
//
// Implements: a WS_POPUP window (no border, no caption) with the program's
// icon and a timer that rests (resting_timer.h), which shows the software
// window's image: what changed goes into one device-independent bitmap and
// from there to the screen with BitBlt, in WM_PAINT whatever the screen
// lost. Drawn at the density of the monitor it stands on, its picture and
// shape scaled pixel for pixel. The window calls' hooks: GetWindowRect,
// SetWindowPos, SetWindowRgn, the caption drag and the mouse's capture.
#include "platform/win32/win32_form.h"

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/shared/density.h"
#include "platform/shared/icon_file.h"
#include "platform/win32/utf8.h"
#include "platform/win32/win32_desktop.h"

namespace platform::win32 {

namespace {

// The format CreateIconFromResourceEx reads: that of Windows 3.0 and later.
constexpr DWORD kIconFormatVersion = 0x00030000;

HICON IconOf(std::span<const std::uint8_t> iconFile) {
    const std::span<const std::uint8_t> icon = FirstIconImage(iconFile);
    if (icon.empty()) return nullptr;
    return ::CreateIconFromResourceEx(const_cast<PBYTE>(icon.data()), static_cast<DWORD>(icon.size()), TRUE,
                                      kIconFormatVersion, 0, 0, LR_DEFAULTCOLOR);
}

// A native region of `shape`, in screen pixels.
::HRGN RegionOf(const Rectangles& shape) {
    std::vector<std::byte> data(sizeof(RGNDATAHEADER) + shape.size() * sizeof(::RECT));
    auto* region = reinterpret_cast<RGNDATA*>(data.data());
    auto* rects = reinterpret_cast<::RECT*>(region->Buffer);
    ::RECT bounds{};
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const RECT& r = shape[i];
        rects[i] = {r.left, r.top, r.right, r.bottom};
        ::UnionRect(&bounds, &bounds, &rects[i]);
    }
    region->rdh = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(shape.size()),
                   static_cast<DWORD>(shape.size() * sizeof(::RECT)), bounds};
    return ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), region);
}

}  // namespace

Win32Form::Win32Form(const FormDefinition& definition, FormEvents& events)
    : DesktopForm(definition, events, ProgramDensity()), canvas_(PixelWidth(), PixelHeight()) {
    // A constructor that throws runs no destructor: free what was made so far.
    try {
        Desktop& d = TheDesktop();
        if (!PrepareForWindows()) Fail();
        window_ = ::CreateWindowExW(0, kWindowClass, WideOf(definition.applicationTitle).c_str(), WS_POPUP, 0, 0,
                                    PixelWidth(), PixelHeight(), nullptr, nullptr, d.instance, this);
        if (window_ == nullptr) Fail();
        icon_ = IconOf(definition.icon);
        for (const WPARAM size : {ICON_BIG, ICON_SMALL})
            if (icon_ != nullptr) ::SendMessageW(window_, WM_SETICON, size, reinterpret_cast<LPARAM>(icon_));
        if (definition.timerIntervalMs > 0) timer_.Start(window_, definition.timerIntervalMs);
        // The monitor it opens on may not be of the system's density.
        if (DensityOf(window_) != Density()) TakeDensity(DensityOf(window_), {0, 0});
    } catch (...) {
        Release();
        throw;
    }
}

Win32Form::~Win32Form() { Release(); }

void Win32Form::Release() {
    timer_.Stop();
    if (window_ != nullptr) ::DestroyWindow(window_);  // its region goes with it
    window_ = nullptr;
    if (icon_ != nullptr) ::DestroyIcon(icon_);
    icon_ = nullptr;
    canvas_.Release();
}

void Win32Form::Attach(::HWND window) {
    window_ = window;
    Register(HandleOf(window));
}

void Win32Form::Forget() {
    timer_.Stop();
    Unregister();
    window_ = nullptr;
}

::RECT Win32Form::WindowRect() const {
    ::RECT rect{};
    if (!::GetWindowRect(window_, &rect)) Fail();
    return rect;
}

POINTAPI Win32Form::Corner() const {
    const ::RECT rect = WindowRect();
    return {rect.left, rect.top};
}

bool Win32Form::MoveCorner(POINTAPI screen) {
    return ::SetWindowPos(window_, nullptr, screen.x, screen.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

void Win32Form::ApplyShape(const Rectangles& shape) {
    if (window_ == nullptr) return;
    // The window owns the region once it takes it.
    ::HRGN region = RegionOf(shape);
    if (region != nullptr && !::SetWindowRgn(window_, region, TRUE)) ::DeleteObject(region);
}

bool Win32Form::MakeTopmost() {
    const auto topmost = reinterpret_cast<::HWND>(static_cast<::LONG_PTR>(-1));  // the native HWND_TOPMOST
    return ::SetWindowPos(window_, topmost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE) != 0;
}

void Win32Form::Pressed(std::int16_t button, POINTAPI screen) {
    if (button == 1) drag_.Press(window_, {screen.x, screen.y});
    ::SetCapture(window_);
}

void Win32Form::Present(const Image& image, const RECT& area) {
    if (window_ == nullptr) return;
    canvas_.Take(image, {area.left, area.top, area.right, area.bottom});
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

void Win32Form::OnDpiChanged(::UINT dpi, const ::RECT& suggested) {
    // Whole screen pixels per program pixel, whatever size the system suggests.
    TakeDensity(DensityOfDpi(dpi), {suggested.left, suggested.top});
}

void Win32Form::TakeDensity(std::int32_t density, POINTAPI otherwise) {
    // Dragged, the face stays under the pointer; else it goes where the
    // system suggests, even with the pointer resting on it.
    const ::RECT now = WindowRect();
    ::POINT pointer{now.left - 1, now.top - 1};  // off the window
    if (drag_.Moving()) ::GetCursorPos(&pointer);
    const RECT place = Rescaled({now.left, now.top, now.right, now.bottom}, Density(), density,
                                {pointer.x, pointer.y}, otherwise);
    SetDensity(density);
    canvas_.Make(PixelWidth(), PixelHeight());
    ::SetWindowPos(window_, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    Reshape();
    ::InvalidateRect(window_, nullptr, FALSE);
    Wake();
}

}  // namespace platform::win32

std::unique_ptr<platform::Form> platform::CreateForm(const FormDefinition& definition, FormEvents& events) {
    return std::make_unique<win32::Win32Form>(definition, events);
}
