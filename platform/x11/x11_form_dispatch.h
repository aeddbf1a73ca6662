// x11_form_dispatch.h: the events of a form's own window, handed to the
// form and to the program's event handlers.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

#include "platform/shared/double_click.h"
#include "platform/x11/x11_form.h"

namespace platform::x11 {

class FormDispatch {
public:
    // Handles one event of `form`'s window; true: it can change what the
    // next tick paints.
    bool Dispatch(X11Form& form, XEvent& event);

private:
    // The window manager's news: exposed, moved, reparented, mapped,
    // covered, asked to close.
    static void OnWindowChange(X11Form& form, const XEvent& event);
    // A press: MouseDown, a drag's start or a double-click.
    void OnPress(X11Form& form, const XButtonEvent& press);
    // Motion with the left button down: the latest of a run.
    static void OnMotion(X11Form& form, XEvent& event);
    // The desktop's double-click time, read once at start.
    static std::uint32_t DoubleClickTime();

    DoubleClickDetector doubleClick_{DoubleClickTime()};
};

}  // namespace platform::x11
