// win32_form.cpp: the Win32 window behind a form.
//
// Implements: a WS_POPUP window (no border, no caption) with the program's
// icon and a timer; the persistent image as a memory DC holding a
// device-independent bitmap, painted in WM_PAINT and read by Point; circles
// from the shared disc rule, drawn in memory first, so that the screen is
// sent only the pixels that changed.
#include "platform/win32/win32_form.h"

#include <algorithm>

#include "platform/runtime/checked_math.h"
#include "platform/shared/icon_file.h"
#include "platform/win32/utf8.h"
#include "platform/win32/win32_desktop.h"

namespace platform::win32 {

namespace {

constexpr UINT_PTR kTimer = 1;

}  // namespace

Win32Form::Win32Form(const FormDefinition& definition, FormEvents& events)
    : events_(events),
      widthTwips_(definition.clientWidthTwips),
      width_(RoundToInt32(definition.clientWidthTwips / TwipsPerPixel())),
      height_(RoundToInt32(definition.clientHeightTwips / TwipsPerPixel())),
      scale_(definition.scaleMode, TwipsPerPixel()),
      autoRedraw_(definition.autoRedraw),
      fillColor_(definition.fillColor),
      image_(width_, height_, definition.backColor),
      surface_(width_, height_, definition.backColor),
      shown_(width_, height_, definition.backColor) {
    // A constructor that throws runs no destructor: free what was made so far.
    try {
        Desktop& d = TheDesktop();
        if (!PrepareForWindows()) Fail();
        if (const Image* picture = definition.picture) {
            picture_ = NewDib(picture->width, picture->height, picture->pixels.data(), 0);
            // The picture stands at the drawing area's top-left corner.
            HDC source = ::CreateCompatibleDC(nullptr);
            const HGDIOBJ sourceDefault = ::SelectObject(source, picture_);
            ::BitBlt(image_.Dc(), 0, 0, picture->width, picture->height, source, 0, 0, SRCCOPY);
            ::SelectObject(source, sourceDefault);
            ::DeleteDC(source);
            ::BitBlt(surface_.Dc(), 0, 0, width_, height_, image_.Dc(), 0, 0, SRCCOPY);
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
    for (MemoryCanvas* canvas : {&image_, &surface_, &shown_}) canvas->Release();
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

float Win32Form::Top() { return static_cast<float>(WindowRect().top) * TwipsPerPixel(); }
float Win32Form::Left() { return static_cast<float>(WindowRect().left) * TwipsPerPixel(); }

void Win32Form::SetTop(float twips) {
    MoveTo(WindowRect().left, RoundToInt32(static_cast<double>(twips) / TwipsPerPixel()));
}

void Win32Form::SetLeft(float twips) {
    MoveTo(RoundToInt32(static_cast<double>(twips) / TwipsPerPixel()), WindowRect().top);
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

void Win32Form::Circle(float x, float y, float radius, Colour colour) {
    const CircleSpans circle =
        CircleOf(Checked(scale_.ToPixels(x)), Checked(scale_.ToPixels(y)), Checked(scale_.ToPixels(radius)));
    ::RECT changed{};
    PaintSpans(autoRedraw_ ? image_.Dc() : surface_.Dc(), circle.outline, colour, changed);
    PaintSpans(autoRedraw_ ? image_.Dc() : surface_.Dc(), circle.inside, fillColor_, changed);
    const ::RECT whole{0, 0, width_, height_};
    if (!::IntersectRect(&changed, &changed, &whole)) return;
    // Drawing on the persistent image shows at once, as after a refresh.
    if (autoRedraw_)
        ::BitBlt(surface_.Dc(), changed.left, changed.top, changed.right - changed.left, changed.bottom - changed.top,
                 image_.Dc(), changed.left, changed.top, SRCCOPY);
    // Areas that touch become one, so each eye is one area however often it
    // is painted over in a tick.
    for (auto it = drawn_.begin(); it != drawn_.end();) {
        ::RECT grown{changed.left - 1, changed.top - 1, changed.right + 1, changed.bottom + 1}, overlap{};
        if (::IntersectRect(&overlap, &grown, &*it)) {
            ::UnionRect(&changed, &changed, &*it);
            drawn_.erase(it);
            it = drawn_.begin();
        } else {
            ++it;
        }
    }
    drawn_.push_back(changed);
}

bool Win32Form::ShowChanges() {
    if (drawn_.empty() || window_ == nullptr) return false;
    ::GdiFlush();  // the surface's pixels as GDI drew them
    HDC screen = nullptr;
    for (const ::RECT& area : drawn_) {
        ::RECT differing{area.right, area.bottom, area.left, area.top};
        for (LONG y = area.top; y < area.bottom; ++y)
            for (LONG x = area.left; x < area.right; ++x)
                if (surface_.At(x, y) != shown_.At(x, y))
                    differing = {std::min(differing.left, x), std::min(differing.top, y),
                                 std::max(differing.right, x + 1), std::max(differing.bottom, y + 1)};
        if (differing.left >= differing.right) continue;
        if (screen == nullptr) screen = ::GetDC(window_);
        if (screen != nullptr) Send(screen, differing);
    }
    drawn_.clear();
    if (screen == nullptr) return false;
    ::ReleaseDC(window_, screen);
    return true;
}

void Win32Form::Send(HDC screen, const ::RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    ::BitBlt(screen, area.left, area.top, width, height, surface_.Dc(), area.left, area.top, SRCCOPY);
    ::BitBlt(shown_.Dc(), area.left, area.top, width, height, surface_.Dc(), area.left, area.top, SRCCOPY);
}

Colour Win32Form::Point(float x, float y) {
    const std::int32_t px = RoundToInt32(scale_.ToPixels(x));
    const std::int32_t py = RoundToInt32(scale_.ToPixels(y));
    // Outside the drawing area GetPixel answers CLR_INVALID, 0xFFFFFFFF.
    return ::GetPixel(autoRedraw_ ? image_.Dc() : surface_.Dc(), px, py);
}

void Win32Form::Show() { ::ShowWindow(window_, SW_SHOWNORMAL); }

void Win32Form::Paint() {
    PAINTSTRUCT paint{};
    HDC screen = ::BeginPaint(window_, &paint);
    if (screen != nullptr) {
        const ::RECT& area = paint.rcPaint;
        ::BitBlt(surface_.Dc(), area.left, area.top, area.right - area.left, area.bottom - area.top, image_.Dc(),
                 area.left, area.top, SRCCOPY);
        Send(screen, area);
    }
    ::EndPaint(window_, &paint);
}

}  // namespace platform::win32
