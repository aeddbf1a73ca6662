// win32_form.h: a form as a frameless Win32 window that presents the
// software window's image.
#pragma once

#include <cstdint>

#include "platform/software/desktop_form.h"
#include "platform/win32/caption_drag.h"
#include "platform/win32/memory_canvas.h"
#include "platform/win32/resting_timer.h"
#include "platform/win32/win32_system.h"

namespace platform::win32 {

class Win32Form final : public DesktopForm {
public:
    Win32Form(const FormDefinition& definition, FormEvents& events);
    ~Win32Form() override;

    // WM_NCCREATE: the window exists.
    void Attach(::HWND window);
    // The caption grab of the left press that holds now, if any.
    CaptionDrag& Drag() { return drag_; }
    // WM_TIMER, or a tick at once after a rest: tmr_Timer, then the screen.
    void OnTimer() { timer_.Ticked(Tick()); }
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
    // The window calls' hooks (desktop_form.h).
    POINTAPI Corner() const override;
    bool MoveCorner(POINTAPI screen) override;
    void ApplyShape(const Rectangles& shape) override;
    bool MakeTopmost() override;
    void BeginSystemMove() override { drag_.Arm(window_); }
    void ShowWindow() override { ::ShowWindow(window_, SW_SHOWNORMAL); }
    // The window holds the mouse from a press until the release, unless a
    // drag takes it over first.
    void Pressed(std::int16_t button, POINTAPI screen) override;
    void Present(const Image& image, const RECT& area) override;
    ::RECT WindowRect() const;
    // Draws at `density` from now on, the window resized around the pointer
    // while the system's move drags it, else with its corner at `otherwise`.
    void TakeDensity(std::int32_t density, POINTAPI otherwise);

    ::HWND window_ = nullptr;
    MemoryCanvas canvas_;    // what the window shows, for BitBlt
    HDC paintDc_ = nullptr;  // the screen while WM_PAINT paints
    HICON icon_ = nullptr;
    RestingTimer timer_;
    CaptionDrag drag_;
};

}  // namespace platform::win32
