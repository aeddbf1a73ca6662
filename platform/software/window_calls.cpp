// window_calls.cpp: the user32 window calls of the contract, for every
// backend, over its desktop's and its windows' hooks; the forms by their
// handles, and the pointer as GetCursorPos last found it.
#include <utility>

#include "platform/contract/win_api.h"
#include "platform/shared/density.h"
#include "platform/software/client_regions.h"
#include "platform/software/desktop_form.h"

namespace platform {

namespace {

DesktopDriver* driver = nullptr;
std::map<HWND, DesktopForm*> forms;
POINTAPI pointer{};        // where GetCursorPos last found it, in screen pixels
POINTAPI pointerAtTick{};  // where it was at the last tick

// A screen point in the program's pixels.
POINTAPI ProgramPoint(POINTAPI screen) {
    const ProgramSpace space = Driver().Space();
    // A face on a monitor of another density than the program's is drawn at
    // that one's: the pointer is measured from it, so that the eyes look at it.
    for (const DesktopForm* form : forms | std::views::values)
        if (form->Density() != space.density) return form->FromScreen(screen);
    return {ProgramPixels(std::int64_t{screen.x} - space.origin.x, space.density),
            ProgramPixels(std::int64_t{screen.y} - space.origin.y, space.density)};
}

}  // namespace

void UseDriver(DesktopDriver* desktop) { driver = desktop; }

DesktopDriver& Driver() {
    if (driver == nullptr) Fail();  // no desktop: the backend has not started
    return *driver;
}

void DesktopForm::Register(HWND handle) {
    handle_ = handle;
    forms[handle] = this;
}

void DesktopForm::Unregister() {
    if (handle_ == HWND{}) return;
    forms.erase(handle_);
    handle_ = {};
}

DesktopForm* FormOf(HWND window) {
    const auto found = forms.find(window);
    return found == forms.end() ? nullptr : found->second;
}

const std::map<HWND, DesktopForm*>& Forms() { return forms; }

bool PointerMovedSinceLastTick() {
    const bool moved = pointer.x != pointerAtTick.x || pointer.y != pointerAtTick.y;
    pointerAtTick = pointer;
    return moved;
}

BOOL GetCursorPos(POINTAPI* point) {
    if (point == nullptr || driver == nullptr) return 0;
    const std::optional<POINTAPI> found = driver->QueryPointer();
    if (!found) return 0;
    pointer = *found;
    *point = ProgramPoint(pointer);
    return 1;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    const DesktopForm* form = FormOf(window);
    if (form == nullptr || rect == nullptr) return 0;
    *rect = form->Rect();
    return 1;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy,
                  UINT flags) {
    DesktopForm* form = FormOf(window);
    return form != nullptr && form->Place(insertAfter, {x, y}, {cx, cy}, flags) ? 1 : 0;
}

BOOL ReleaseCapture() { return driver != nullptr && driver->ReleaseMouse() ? 1 : 0; }

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    // The only message a form takes: the caption grab of a left press.
    DesktopForm* form = FormOf(window);
    if (form != nullptr && message == WM_NCLBUTTONDOWN && wParam == HTCAPTION) form->GrabCaption();
    return 0;
}

std::int32_t SetWindowRgn(HWND window, HRGN region, BOOL) {
    DesktopForm* form = FormOf(window);
    Rectangles shape;
    if (form == nullptr || !ClientRegions().Take(region, shape)) return 0;
    form->TakeShape(std::move(shape));  // the window's previous region is gone with it
    return 1;
}

}  // namespace platform
