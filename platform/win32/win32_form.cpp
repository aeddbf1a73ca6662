// win32_form.cpp: the Win32 window behind a form.
//
// Implements: a WS_POPUP window (no border, no caption) with the program's
// icon and a timer that rests (resting_timer.h), which shows the software
// window's image: what changed goes into one device-independent bitmap and
// from there to the screen with BitBlt, in WM_PAINT whatever the screen
// lost. Drawn at the density of the monitor it stands on, its picture and
// shape scaled pixel for pixel; its position in the program's pixels.
#include "platform/win32/win32_form.h"

#include <cstddef>
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

// A native region of `shape`, each program pixel `density` screen pixels.
::HRGN RegionOf(const Rectangles& shape, std::int32_t density) {
    std::vector<std::byte> data(sizeof(RGNDATAHEADER) + shape.size() * sizeof(::RECT));
    auto* region = reinterpret_cast<RGNDATA*>(data.data());
    auto* rects = reinterpret_cast<::RECT*>(region->Buffer);
    ::RECT bounds{};
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const RECT& r = shape[i];
        rects[i] = {ScreenPixels(r.left, density), ScreenPixels(r.top, density), ScreenPixels(r.right, density),
                    ScreenPixels(r.bottom, density)};
        ::UnionRect(&bounds, &bounds, &rects[i]);
    }
    region->rdh = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(shape.size()),
                   static_cast<DWORD>(shape.size() * sizeof(::RECT)), bounds};
    return ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), region);
}

}  // namespace

Win32Form::Win32Form(const FormDefinition& definition, FormEvents& events)
    : RasterForm(definition, ProgramDensity()), events_(events), canvas_(PixelWidth(), PixelHeight()) {
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

void Win32Form::Forget() {
    timer_.Stop();
    window_ = nullptr;
}

HWND Win32Form::hWnd() { return HandleOf(window_); }

::RECT Win32Form::WindowRect() const {
    ::RECT rect{};
    if (!::GetWindowRect(window_, &rect)) Fail();
    return rect;
}

RECT Win32Form::Rect() const {
    const ::RECT rect = WindowRect();
    return RectAt(ProgramPixels(rect.left, ProgramDensity()), ProgramPixels(rect.top, ProgramDensity()));
}

POINTAPI Win32Form::FromScreen(::POINT screen) const {
    const ::RECT window = WindowRect();
    // The corner as Rect() has it, then the way from it at our density.
    const auto from = [&](LONG point, LONG corner) {
        return ProgramPixels(corner, ProgramDensity()) + ProgramPixels(std::int64_t{point} - corner, Density());
    };
    return {from(screen.x, window.left), from(screen.y, window.top)};
}

void Win32Form::MoveTo(std::int32_t left, std::int32_t top) {
    if (!::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) Fail();
}

float Win32Form::Top() { return TwipsOf(WindowRect().top, ProgramDensity()); }
float Win32Form::Left() { return TwipsOf(WindowRect().left, ProgramDensity()); }

void Win32Form::SetTop(float twips) { MoveTo(WindowRect().left, ScreenPixelsOfTwips(twips, ProgramDensity())); }
void Win32Form::SetLeft(float twips) { MoveTo(ScreenPixelsOfTwips(twips, ProgramDensity()), WindowRect().top); }

void Win32Form::Show() { ::ShowWindow(window_, SW_SHOWNORMAL); }

void Win32Form::TakeShape(Rectangles shape) {
    shape_ = std::move(shape);
    shaped_ = true;
    ApplyShape();
}

void Win32Form::ApplyShape() {
    if (!shaped_ || window_ == nullptr) return;
    // The window owns the region once it takes it.
    ::HRGN region = RegionOf(shape_, Density());
    if (region != nullptr && !::SetWindowRgn(window_, region, TRUE)) ::DeleteObject(region);
}

void Win32Form::Tick() {
    // A failure that leaves an event handler ends there, as in a statement.
    Attempt([&] { events_.tmr_Timer(); });
    // A pointer on the move keeps the ticks going, whatever the eyes do:
    // where the tick found it, against where the one before did.
    const ::POINT cursor = TheDesktop().cursor;
    const bool moved = cursor.x != lastCursor_.x || cursor.y != lastCursor_.y;
    lastCursor_ = cursor;
    timer_.Ticked(ShowChanges() || moved);
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
    ApplyShape();
    ::InvalidateRect(window_, nullptr, FALSE);
    Wake();
}

}  // namespace platform::win32
