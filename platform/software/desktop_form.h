// desktop_form.h: a form on a desktop: the contract's window calls, written
// once over the hooks each backend implements.
//
// Implements the form's hWnd, Top, Left, SetTop, SetLeft and Show, and
// GetCursorPos, GetWindowRect, SetWindowPos, ReleaseCapture, SendMessageA
// and SetWindowRgn. Here alone live the forms
// by their handles, positions in the program's pixels and in twips, the
// window's shape in the program's pixels, the topmost rule, a press in the
// program's units with its double-click, and whether the pointer moved
// since the last tick. A backend only talks to its OS: its desktop fills
// DesktopDriver, its window the hooks of DesktopForm.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "platform/shared/double_click.h"
#include "platform/software/raster_form.h"
#include "platform/software/region_store.h"

namespace platform {

// The program's pixels on the screen: the screen point of the program's
// (0, 0), the primary monitor's corner, and the screen pixels each way in
// one of the program's pixels.
struct ProgramSpace {
    POINTAPI origin;
    std::int32_t density = 1;
};

// What the window calls need of the desktop itself: one per backend, set
// with UseDriver before its first form.
class DesktopDriver {
public:
    // Where the pointer is, in screen pixels; nothing where it cannot be asked.
    virtual std::optional<POINTAPI> QueryPointer() = 0;
    virtual ProgramSpace Space() = 0;
    // Lets the mouse go (ReleaseCapture); false when it cannot.
    virtual bool ReleaseMouse() = 0;

    // Decides double-clicks from the left presses, by the desktop's time
    // and rectangle.
    DoubleClickDetector doubleClick;

protected:
    ~DesktopDriver() = default;
};

void UseDriver(DesktopDriver* driver);
DesktopDriver& Driver();

class DesktopForm : public RasterForm {
public:
    DesktopForm(const FormDefinition& definition, FormEvents& events, std::int32_t density);
    ~DesktopForm() override;
    DesktopForm(const DesktopForm&) = delete;
    DesktopForm& operator=(const DesktopForm&) = delete;

    HWND hWnd() final { return handle_; }
    float Top() final;
    void SetTop(float twips) final;
    float Left() final;
    void SetLeft(float twips) final;
    void Show() final { ShowWindow(); }

    std::uint32_t TimerIntervalMs() const { return timerIntervalMs_; }
    // Where the window stands, in the program's pixels (GetWindowRect).
    RECT Rect() const;
    // A screen point in the program's pixels, measured from the window's
    // corner at the window's own density: what the program works out from
    // the window's place (where the eyes look) holds at any density.
    POINTAPI FromScreen(POINTAPI screen) const;
    // SetWindowPos: false, with nothing done, for what the window cannot do.
    bool Place(HWND insertAfter, POINTAPI corner, POINTAPI size, UINT flags);
    // SetWindowRgn: the window's shape, in the program's pixels.
    void TakeShape(Rectangles shape);
    // SendMessageA's caption grab.
    void GrabCaption() { BeginSystemMove(); }

    // A press of `button` (1 left, 2 right, 4 middle) with `shift`, at
    // `timeMs` on the desktop's clock, at `screen` and `inWindow` screen
    // pixels from the window's corner: DblClick, or MouseDown in the form's
    // scale.
    void OnPress(std::int16_t button, std::int16_t shift, std::uint32_t timeMs, POINTAPI screen, POINTAPI inWindow);
    // The timer's tick: tmr_Timer, then the screen. True when the screen
    // changed or the pointer moved since the last tick: the ticks go on.
    bool Tick();

protected:
    // The window exists, or is gone: the calls find it by its handle.
    void Register(HWND handle);
    void Unregister();
    // Cuts the window to its shape again, at the density it draws at now.
    void Reshape();

    // The hooks. Where the window's corner stands, in screen pixels.
    virtual POINTAPI Corner() const = 0;
    // Moves the corner there; false when it cannot.
    virtual bool MoveCorner(POINTAPI screen) = 0;
    // Cuts the window to `shape`, in screen pixels from its corner.
    virtual void ApplyShape(const Rectangles& shape) = 0;
    // Keeps the window above all others; false when it cannot.
    virtual bool MakeTopmost() = 0;
    // The window follows the pointer while the left press that holds now
    // lasts; nothing happens when none holds.
    virtual void BeginSystemMove() = 0;
    virtual void ShowWindow() = 0;
    // A press that is no double-click, before the program hears of it.
    virtual void Pressed(std::int16_t /*button*/, POINTAPI /*screen*/) {}

private:
    void MoveTo(POINTAPI screen);

    FormEvents& events_;
    std::uint32_t timerIntervalMs_;
    HWND handle_{};
    std::optional<Rectangles> programShape_;
};

// The form behind a handle, or null; every form, by handle.
DesktopForm* FormOf(HWND window);
const std::map<HWND, DesktopForm*>& Forms();

// Every form, as the backend's own, for a range-based for.
template <class BackendForm>
class FormsAs {
public:
    class Iterator {
    public:
        explicit Iterator(std::map<HWND, DesktopForm*>::const_iterator at) : at_(at) {}
        BackendForm* operator*() const { return static_cast<BackendForm*>(at_->second); }
        Iterator& operator++() {
            ++at_;
            return *this;
        }
        bool operator==(const Iterator&) const = default;

    private:
        std::map<HWND, DesktopForm*>::const_iterator at_;
    };

    Iterator begin() const { return Iterator(Forms().begin()); }
    Iterator end() const { return Iterator(Forms().end()); }
    BackendForm* front() const { return *begin(); }
};

}  // namespace platform
