// win32_form.h: a form as a frameless Win32 window.
#pragma once

#include <cstdint>

#include "platform/circle_raster.h"
#include "platform/form_scale.h"
#include "platform/win32/win32_system.h"

namespace platform::win32 {

class Win32Form final : public Form {
public:
    Win32Form(const FormDefinition& definition, FormEvents& events);
    ~Win32Form() override;
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    HWND hWnd() override;
    float Top() override;
    void SetTop(float twips) override;
    float Left() override;
    void SetLeft(float twips) override;
    float Width() override;
    PictureHandle Picture() override;
    std::int16_t ScaleMode() override;
    void SetScaleMode(std::int16_t mode) override;
    bool AutoRedraw() override;
    void SetAutoRedraw(bool on) override;
    float ScaleWidth() override;
    float ScaleHeight() override;
    void SetFillColor(Colour colour) override;
    void Circle(float x, float y, float radius, Colour colour) override;
    Colour Point(float x, float y) override;
    void Show() override;

    FormEvents& Events() { return events_; }
    // A window position in the form's scale.
    float InScale(std::int32_t pixels) const { return scale_.FromPixels(pixels); }
    // WM_PAINT: the persistent image onto the screen.
    void Paint();
    // WM_NCDESTROY: the window is gone, whoever destroyed it.
    void Forget();
    // Destroys the window and frees every GDI object the form made.
    void Release();

private:
    ::RECT WindowRect() const;
    HDC WindowDC() const;
    void MoveTo(std::int32_t left, std::int32_t top);
    void PaintSpans(HDC target, const std::vector<RowSpan>& spans, Colour colour, ::RECT& changed) const;

    FormEvents& events_;
    float widthTwips_;
    std::int32_t width_;
    std::int32_t height_;
    FormScale scale_;
    bool autoRedraw_;
    Colour fillColor_;
    ::HWND window_ = nullptr;
    HBITMAP picture_ = nullptr;  // the picture as given, a device-independent bitmap
    HDC image_ = nullptr;        // the persistent image: back colour, picture, what was drawn on it
    HBITMAP imageBitmap_ = nullptr;
    HGDIOBJ imageDefaultBitmap_ = nullptr;
    HICON icon_ = nullptr;
};

}  // namespace platform::win32
