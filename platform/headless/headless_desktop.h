// headless_desktop.h: the in-memory desktop behind the headless backend.
//
// Implements: the desktop's and the window's hooks of the window calls,
// and the application services, all in memory, for tests. A test sets the
// pointer, moves windows and reads what a window shows: its surface and
// its shape.
#pragma once

#include "platform/software/desktop_form.h"

namespace platform::headless {

struct Desktop final : DesktopDriver {
    POINTAPI pointer;

    std::optional<POINTAPI> QueryPointer() override { return pointer; }
    ProgramSpace Space() override { return {}; }
    bool ReleaseMouse() override { return true; }
};

// The one desktop; ResetDesktop() gives a fresh one (forms must be gone).
Desktop& TheDesktop();
void ResetDesktop();

class HeadlessForm final : public DesktopForm {
public:
    HeadlessForm(const FormDefinition& definition, FormEvents& events);

    // What a test can see and do.
    void MoveTo(std::int32_t left, std::int32_t top) { corner_ = {left, top}; }
    bool Topmost() const { return topmost_; }
    // Whether window pixel (x, y) is drawn and takes input; the rectangles
    // the window was cut to, none before.
    bool InShape(std::int32_t x, std::int32_t y) const;
    Rectangles Shape() const { return shape_.value_or(Rectangles{}); }
    void Expose() { RepaintFromPersistentImage(); }

private:
    POINTAPI Corner() const override { return corner_; }
    bool MoveCorner(POINTAPI screen) override {
        corner_ = screen;
        return true;
    }
    void ApplyShape(const Rectangles& shape) override { shape_ = shape; }
    bool MakeTopmost() override { return topmost_ = true; }
    void BeginSystemMove() override {}  // nobody drags it
    void ShowWindow() override {}
    void Present(const Image&, const RECT&) override {}  // the shown image is what it shows

    POINTAPI corner_{};
    bool topmost_ = false;
    std::optional<Rectangles> shape_;
};

// The form behind a handle, or null.
inline HeadlessForm* FormOf(HWND window) { return static_cast<HeadlessForm*>(platform::FormOf(window)); }

}  // namespace platform::headless
