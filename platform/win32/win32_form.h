// win32_form.h: a form as a frameless Win32 window that presents the
// software window's image.
#pragma once

#include <cstdint>

#include "platform/software/raster_form.h"
#include "platform/software/region_store.h"
#include "platform/win32/caption_drag.h"
#include "platform/win32/memory_canvas.h"
#include "platform/win32/resting_timer.h"
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
    // The window in the program's pixels.
    RECT Rect() const;
    // A screen point in the program's pixels, measured from the window's
    // corner at the window's own density: what the program works out from
    // the window's place (where the eyes look) holds on a monitor of any
    // density.
    POINTAPI FromScreen(::POINT screen) const;
    // The window's shape, in the program's pixels (SetWindowRgn).
    void TakeShape(Rectangles shape);
    // WM_TIMER, or a tick at once after a rest: tmr_Timer, then the screen.
    void Tick();
    // Something happened that can change what the next tick paints.
    void Wake() { timer_.Wake(); }
    // WM_PAINT: the persistent image shows again where the screen lost it.
    void Paint();
    // WM_DPICHANGED: the window stands on a monitor of `dpi` dots per inch
    // now; the system suggests where it goes.
    void OnDpiChanged(::UINT dpi, const ::RECT& suggested);
    // WM_NCDESTROY: the window is gone, whoever destroyed it.
    void Forget();
    // Destroys the window and frees every GDI object the form made.
    void Release();

private:
    void Present(const Image& image, const RECT& area) override;
    ::RECT WindowRect() const;
    void MoveTo(std::int32_t left, std::int32_t top);
    // The window's region: its shape at its density.
    void ApplyShape();
    // Draws at `density` from now on, the window resized around the pointer
    // while the system's move drags it, else with its corner at `otherwise`.
    void TakeDensity(std::int32_t density, POINTAPI otherwise);

    FormEvents& events_;
    ::HWND window_ = nullptr;
    MemoryCanvas canvas_;    // what the window shows, for BitBlt
    HDC paintDc_ = nullptr;  // the screen while WM_PAINT paints
    HICON icon_ = nullptr;
    Rectangles shape_;
    bool shaped_ = false;
    ::POINT lastCursor_{};  // where the previous tick found the pointer
    RestingTimer timer_;
    CaptionDrag drag_;
};

}  // namespace platform::win32
