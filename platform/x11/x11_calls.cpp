// x11_calls.cpp: the user32 and gdi32 calls on X11.
//
// Implements: GetCursorPos (XQueryPointer, or where the Wayland desktop
// reports the pointer while X cannot know it; kept where the event loop
// compares it), GetWindowRect (the geometry the server last reported, no
// round trip), both in the program's pixels, SetWindowPos (topmost only),
// ReleaseCapture, SendMessageA (the caption grab) and SetWindowRgn (Shape).
#include "platform/software/client_regions.h"
#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_form.h"
#include "platform/x11/x11_program_pixels.h"

namespace platform {

using x11::FormOf;
using x11::TheDesktop;
using x11::X11Form;

BOOL GetCursorPos(POINTAPI* point) {
    x11::Desktop& d = TheDesktop();
    if (point == nullptr || d.display == nullptr) return 0;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(d.display, d.root, &root, &child, &rootX, &rootY, &x, &y, &mask)) return 0;
    d.pointer = d.pointerChoice.FromX({rootX, rootY});
    *point = x11::ProgramPoint(d.pointer.x, d.pointer.y);
    return 1;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    X11Form* form = FormOf(window);
    if (form == nullptr || rect == nullptr) return 0;
    *rect = form->Rect();
    return 1;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, std::int32_t, std::int32_t, std::int32_t, std::int32_t, UINT flags) {
    X11Form* form = FormOf(window);
    if (form == nullptr) return 0;
    // The one use the program makes: topmost, without moving or sizing.
    if (insertAfter == HWND_TOPMOST && (flags & (SWP_NOMOVE | SWP_NOSIZE)) == (SWP_NOMOVE | SWP_NOSIZE))
        form->MakeTopmost();
    return 1;
}

// The pointer grab that a press gives the window ends with the drag's hand-over.
BOOL ReleaseCapture() { return 1; }

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    X11Form* form = FormOf(window);
    if (form != nullptr && message == WM_NCLBUTTONDOWN && wParam == HTCAPTION) form->BeginCaptionDrag();
    return 0;
}

std::int32_t SetWindowRgn(HWND window, HRGN region, BOOL) {
    X11Form* form = FormOf(window);
    Rectangles shape;
    if (form == nullptr || !ClientRegions().Take(region, shape)) return 0;
    form->TakeShape(shape);
    return 1;
}

std::unique_ptr<Form> CreateForm(const FormDefinition& definition, FormEvents& events) {
    return std::make_unique<X11Form>(definition, events);
}

}  // namespace platform
