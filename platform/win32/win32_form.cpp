// win32_form.cpp: the Win32 window behind a form.
//
// Implements: a WS_POPUP window (no border, no caption) with the program's
// icon and a timer; the persistent image as a memory DC holding a
// device-independent bitmap, painted in WM_PAINT and read by Point; circles
// from the shared disc rule, on the window's DC or on the persistent image.
#include "platform/win32/win32_form.h"

#include <algorithm>

#include "platform/checked_math.h"
#include "platform/icon_file.h"
#include "platform/win32/utf8.h"
#include "platform/win32/win32_desktop.h"

namespace platform::win32 {

namespace {

constexpr UINT_PTR kTimer = 1;

// A colour keeps red in its low byte, a 32-bit DIB pixel blue.
std::uint32_t DibPixel(Colour colour) {
    return ((colour & 0xFFU) << 16) | (colour & 0xFF00U) | ((colour >> 16) & 0xFFU);
}

// A 32-bit device-independent bitmap, top row first, showing `pixels`
// (row-major, width * height of them) or one colour.
HBITMAP NewDib(std::int32_t width, std::int32_t height, const Colour* pixels, Colour fill) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) Fail();
    auto* out = static_cast<std::uint32_t*>(bits);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (pixels != nullptr) {
        std::transform(pixels, pixels + count, out, DibPixel);
    } else {
        std::fill(out, out + count, DibPixel(fill));
    }
    return bitmap;
}

}  // namespace

Win32Form::Win32Form(const FormDefinition& definition, FormEvents& events)
    : events_(events),
      widthTwips_(definition.clientWidthTwips),
      width_(RoundToInt32(definition.clientWidthTwips / TheDesktop().twipsPerPixel)),
      height_(RoundToInt32(definition.clientHeightTwips / TheDesktop().twipsPerPixel)),
      scale_(definition.scaleMode, TheDesktop().twipsPerPixel),
      autoRedraw_(definition.autoRedraw),
      fillColor_(definition.fillColor) {
    // A constructor that throws runs no destructor: free what was made so far.
    try {
        Desktop& d = TheDesktop();
        imageBitmap_ = NewDib(width_, height_, nullptr, definition.backColor);
        image_ = ::CreateCompatibleDC(nullptr);
        if (image_ == nullptr) Fail();
        imageDefaultBitmap_ = ::SelectObject(image_, imageBitmap_);
        if (const Image* picture = definition.picture) {
            picture_ = NewDib(picture->width, picture->height, picture->pixels.data(), 0);
            // The picture stands at the drawing area's top-left corner.
            HDC source = ::CreateCompatibleDC(nullptr);
            const HGDIOBJ sourceDefault = ::SelectObject(source, picture_);
            ::BitBlt(image_, 0, 0, picture->width, picture->height, source, 0, 0, SRCCOPY);
            ::SelectObject(source, sourceDefault);
            ::DeleteDC(source);
        }
        window_ = ::CreateWindowExW(0, kWindowClass, WideOf(definition.applicationTitle).c_str(),
                                    WS_POPUP, 0, 0, width_, height_, nullptr, nullptr, d.instance, this);
        if (window_ == nullptr) Fail();
        const std::span<const std::uint8_t> icon = FirstIconImage(definition.icon);
        if (!icon.empty()) {
            icon_ = ::CreateIconFromResourceEx(const_cast<PBYTE>(icon.data()), static_cast<DWORD>(icon.size()), TRUE,
                                               0x00030000, 0, 0, LR_DEFAULTCOLOR);
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
    if (image_ != nullptr) {
        ::SelectObject(image_, imageDefaultBitmap_);
        ::DeleteDC(image_);
    }
    image_ = nullptr;
    if (imageBitmap_ != nullptr) ::DeleteObject(imageBitmap_);
    imageBitmap_ = nullptr;
    if (picture_ != nullptr) ::DeleteObject(picture_);
    picture_ = nullptr;
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

float Win32Form::Top() { return static_cast<float>(WindowRect().top) * TheDesktop().twipsPerPixel; }
float Win32Form::Left() { return static_cast<float>(WindowRect().left) * TheDesktop().twipsPerPixel; }

void Win32Form::SetTop(float twips) {
    MoveTo(WindowRect().left, RoundToInt32(static_cast<double>(twips) / TheDesktop().twipsPerPixel));
}

void Win32Form::SetLeft(float twips) {
    MoveTo(RoundToInt32(static_cast<double>(twips) / TheDesktop().twipsPerPixel), WindowRect().top);
}

float Win32Form::Width() { return widthTwips_; }

PictureHandle Win32Form::Picture() { return HandleOf(picture_); }

std::int16_t Win32Form::ScaleMode() { return scale_.Mode(); }
void Win32Form::SetScaleMode(std::int16_t mode) { scale_.SetMode(mode); }
bool Win32Form::AutoRedraw() { return autoRedraw_; }
void Win32Form::SetAutoRedraw(bool on) { autoRedraw_ = on; }
float Win32Form::ScaleWidth() { return scale_.FromPixels(width_); }
float Win32Form::ScaleHeight() { return scale_.FromPixels(height_); }
void Win32Form::SetFillColor(Colour colour) { fillColor_ = colour; }

void Win32Form::PaintSpans(HDC target, const std::vector<RowSpan>& spans, Colour colour, ::RECT& changed) const {
    ::SetDCBrushColor(target, colour);
    const auto brush = static_cast<HBRUSH>(::GetStockObject(DC_BRUSH));
    for (const RowSpan& span : spans) {
        const ::RECT row{span.left, span.y, span.right, span.y + 1};
        ::FillRect(target, &row, brush);
        ::UnionRect(&changed, &changed, &row);
    }
}

HDC Win32Form::WindowDC() const {
    // GetDC(nullptr) would give the whole screen's: a form whose window is
    // gone draws nothing and reads nothing.
    HDC screen = window_ != nullptr ? ::GetDC(window_) : nullptr;
    if (screen == nullptr) Fail();
    return screen;
}

void Win32Form::Circle(float x, float y, float radius, Colour colour) {
    const CircleSpans circle =
        CircleOf(Checked(scale_.ToPixels(x)), Checked(scale_.ToPixels(y)), Checked(scale_.ToPixels(radius)));
    HDC screen = WindowDC();
    ::RECT changed{};
    HDC target = autoRedraw_ ? image_ : screen;
    PaintSpans(target, circle.outline, colour, changed);
    PaintSpans(target, circle.inside, fillColor_, changed);
    // Drawing on the persistent image shows at once, as after a refresh.
    if (autoRedraw_)
        ::BitBlt(screen, changed.left, changed.top, changed.right - changed.left, changed.bottom - changed.top, image_,
                 changed.left, changed.top, SRCCOPY);
    ::ReleaseDC(window_, screen);
}

Colour Win32Form::Point(float x, float y) {
    const std::int32_t px = RoundToInt32(scale_.ToPixels(x));
    const std::int32_t py = RoundToInt32(scale_.ToPixels(y));
    // Outside the drawing area GetPixel answers CLR_INVALID, 0xFFFFFFFF.
    if (autoRedraw_) return ::GetPixel(image_, px, py);
    HDC screen = WindowDC();
    const COLORREF colour = ::GetPixel(screen, px, py);
    ::ReleaseDC(window_, screen);
    return colour;
}

void Win32Form::Show() { ::ShowWindow(window_, SW_SHOWNORMAL); }

void Win32Form::Paint() {
    PAINTSTRUCT paint{};
    HDC screen = ::BeginPaint(window_, &paint);
    if (screen != nullptr) {
        const ::RECT& area = paint.rcPaint;
        ::BitBlt(screen, area.left, area.top, area.right - area.left, area.bottom - area.top, image_, area.left,
                 area.top, SRCCOPY);
    }
    ::EndPaint(window_, &paint);
}

}  // namespace platform::win32
