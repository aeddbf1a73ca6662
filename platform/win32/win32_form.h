// win32_form.h: a form as a frameless Win32 window.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/shared/circle_raster.h"
#include "platform/shared/form_scale.h"
#include "platform/win32/caption_drag.h"
#include "platform/win32/memory_canvas.h"
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
    // The caption grab of the left press that holds now, if any.
    CaptionDrag& Drag() { return drag_; }
    // A window position in the form's scale.
    float InScale(std::int32_t pixels) const { return scale_.FromPixels(pixels); }
    // WM_PAINT: the persistent image shows again, on the screen and in the
    // surface.
    void Paint();
    // Sends the screen what was drawn since the last call and differs from
    // what it shows; true when anything did.
    bool ShowChanges();
    // WM_NCDESTROY: the window is gone, whoever destroyed it.
    void Forget();
    // Destroys the window and frees every GDI object the form made.
    void Release();

private:
    ::RECT WindowRect() const;
    void MoveTo(std::int32_t left, std::int32_t top);
    void PaintSpans(HDC target, const std::vector<RowSpan>& spans, Colour colour, ::RECT& changed) const;
    // Copies an area of the surface to the screen and notes it as shown.
    void Send(HDC screen, const ::RECT& area);

    FormEvents& events_;
    float widthTwips_;
    std::int32_t width_;
    std::int32_t height_;
    FormScale scale_;
    bool autoRedraw_;
    Colour fillColor_;
    ::HWND window_ = nullptr;
    HBITMAP picture_ = nullptr;  // the picture as given, a device-independent bitmap
    MemoryCanvas image_;         // the persistent image: back colour, picture, what was drawn on it
    MemoryCanvas surface_;       // what the window is to show; drawing goes here first
    MemoryCanvas shown_;         // what was last sent to the screen
    std::vector<::RECT> drawn_;  // areas of the surface drawn since ShowChanges
    HICON icon_ = nullptr;
    CaptionDrag drag_;
};

}  // namespace platform::win32
