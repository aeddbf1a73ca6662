// win32_form.h: a form as a frameless Win32 window that presents the
// software window's image.
#pragma once

#include <cstdint>

#include "platform/software/raster_form.h"
#include "platform/win32/caption_drag.h"
#include "platform/win32/memory_canvas.h"
#include "platform/win32/win32_system.h"

namespace platform::win32 {

class Win32Form final : public RasterForm {
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
    void Show() override;

    FormEvents& Events() { return events_; }
    // The caption grab of the left press that holds now, if any.
    CaptionDrag& Drag() { return drag_; }
    // WM_PAINT: the persistent image shows again where the screen lost it.
    void Paint();
    // WM_NCDESTROY: the window is gone, whoever destroyed it.
    void Forget();
    // Destroys the window and frees every GDI object the form made.
    void Release();

private:
    void Present(const Image& image, const RECT& area) override;
    ::RECT WindowRect() const;
    void MoveTo(std::int32_t left, std::int32_t top);

    FormEvents& events_;
    ::HWND window_ = nullptr;
    MemoryCanvas canvas_;    // what the window shows, for BitBlt
    HDC paintDc_ = nullptr;  // the screen while WM_PAINT paints
    HICON icon_ = nullptr;
    CaptionDrag drag_;
};

}  // namespace platform::win32
