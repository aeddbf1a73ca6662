// x11_form_dispatch.h: the events of a form's own window, handed to the
// form and to the program's event handlers.
#pragma once

#include <X11/Xlib.h>

#include "platform/x11/x11_form.h"

namespace platform::x11 {

class FormDispatch {
public:
    // Reads the desktop's double-click time.
    FormDispatch();
    // Handles one event of `form`'s window; true: it can change what the
    // next tick paints.
    bool Dispatch(X11Form& form, XEvent& event);

private:
    // The window manager's news: exposed, moved, reparented, mapped,
    // covered, asked to close.
    static void OnWindowChange(X11Form& form, const XEvent& event);
    // A press of a button, not a wheel's step.
    static void OnPress(X11Form& form, const XButtonEvent& press);
    // Motion with the left button down: the latest of a run.
    static void OnMotion(X11Form& form, XEvent& event);
};

}  // namespace platform::x11
