// desktop_form.cpp: the window calls, and a form's place in the program's
// pixels and in twips, its shape, the topmost rule, presses and ticks, over
// the hooks of its desktop and its window; the forms by their handles, and
// the pointer as GetCursorPos last found it.
#include "platform/software/desktop_form.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/runtime/checked_math.h"
#include "platform/runtime/failure.h"
#include "platform/shared/density.h"
#include "platform/software/client_regions.h"

namespace platform {

namespace {

DesktopDriver* driver = nullptr;
std::map<HWND, DesktopForm*> forms;
POINTAPI pointer{};        // where GetCursorPos last found it, in screen pixels
POINTAPI pointerAtTick{};  // where it was at the last tick

std::int32_t Clamp32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// A screen point in the program's pixels, and back.
POINTAPI InProgramPixels(POINTAPI screen, const ProgramSpace& space) {
    return {ProgramPixels(std::int64_t{screen.x} - space.origin.x, space.density),
            ProgramPixels(std::int64_t{screen.y} - space.origin.y, space.density)};
}

POINTAPI OnScreen(POINTAPI program, const ProgramSpace& space) {
    return {Clamp32(std::int64_t{ScreenPixels(program.x, space.density)} + space.origin.x),
            Clamp32(std::int64_t{ScreenPixels(program.y, space.density)} + space.origin.y)};
}

// A screen coordinate `twips` from `origin`, to the nearest screen pixel:
// positions are twips from the primary monitor's corner, 15 / density to a
// screen pixel, so that a stored one comes back on the same screen pixel.
// Beyond the 32-bit range fails.
std::int32_t ScreenOfTwips(float twips, std::int32_t origin, std::int32_t density) {
    return Clamp32(std::int64_t{ScreenPixelsOfTwips(twips, density)} + origin);
}

// The pointer in the program's pixels.
POINTAPI ProgramPoint(POINTAPI screen) {
    const ProgramSpace space = Driver().Space();
    // A face on a monitor of another density than the program's is drawn at
    // that one's: the pointer is measured from it, so that the eyes look at it.
    for (const auto& [handle, form] : forms)
        if (form->Density() != space.density) return form->FromScreen(screen);
    return InProgramPixels(screen, space);
}

bool PointerMovedSinceLastTick() {
    const bool moved = pointer.x != pointerAtTick.x || pointer.y != pointerAtTick.y;
    pointerAtTick = pointer;
    return moved;
}

}  // namespace

void UseDriver(DesktopDriver* desktop) { driver = desktop; }

DesktopDriver& Driver() {
    if (driver == nullptr) Fail();  // no desktop: the backend has not started
    return *driver;
}

DesktopForm* FormOf(HWND window) {
    const auto found = forms.find(window);
    return found == forms.end() ? nullptr : found->second;
}

const std::map<HWND, DesktopForm*>& Forms() { return forms; }

DesktopForm::DesktopForm(const FormDefinition& definition, FormEvents& events, std::int32_t density)
    : RasterForm(definition, density), events_(events), timerIntervalMs_(definition.timerIntervalMs) {}

DesktopForm::~DesktopForm() { Unregister(); }

void DesktopForm::Register(HWND handle) {
    handle_ = handle;
    forms[handle] = this;
}

void DesktopForm::Unregister() {
    if (handle_ == HWND{}) return;
    forms.erase(handle_);
    handle_ = {};
}

float DesktopForm::Top() {
    const ProgramSpace space = Driver().Space();
    return TwipsOf(std::int64_t{Corner().y} - space.origin.y, space.density);
}

float DesktopForm::Left() {
    const ProgramSpace space = Driver().Space();
    return TwipsOf(std::int64_t{Corner().x} - space.origin.x, space.density);
}

void DesktopForm::SetTop(float twips) {
    const ProgramSpace space = Driver().Space();
    MoveTo({Corner().x, ScreenOfTwips(twips, space.origin.y, space.density)});
}

void DesktopForm::SetLeft(float twips) {
    const ProgramSpace space = Driver().Space();
    MoveTo({ScreenOfTwips(twips, space.origin.x, space.density), Corner().y});
}

void DesktopForm::MoveTo(POINTAPI screen) {
    if (!MoveCorner(screen)) Fail();
}

RECT DesktopForm::Rect() const {
    // As large as the program made it, at whatever density it draws.
    const POINTAPI corner = InProgramPixels(Corner(), Driver().Space());
    return RectAt(corner.x, corner.y);
}

POINTAPI DesktopForm::FromScreen(POINTAPI screen) const {
    const POINTAPI corner = Corner();
    const POINTAPI programCorner = InProgramPixels(corner, Driver().Space());
    // The corner as Rect() has it, then the way from it at our density.
    return {CheckedAdd(programCorner.x, ProgramPixels(std::int64_t{screen.x} - corner.x, Density())),
            CheckedAdd(programCorner.y, ProgramPixels(std::int64_t{screen.y} - corner.y, Density()))};
}

bool DesktopForm::Place(HWND insertAfter, POINTAPI corner, POINTAPI size, UINT flags) {
    // A form stays above every other window, never takes the focus from the
    // window the user works in, and keeps the size the program made it.
    constexpr UINT kKnown = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;
    const RECT own = RectAt(0, 0);
    const bool keepsSize = (flags & SWP_NOSIZE) != 0 || (size.x == own.right && size.y == own.bottom);
    if ((flags & ~kKnown) != 0 || (flags & SWP_NOACTIVATE) == 0 || insertAfter != HWND_TOPMOST || !keepsSize)
        return false;
    if ((flags & SWP_NOMOVE) == 0 && !MoveCorner(OnScreen(corner, Driver().Space()))) return false;
    return MakeTopmost();
}

void DesktopForm::TakeShape(Rectangles shape) {
    programShape_ = std::move(shape);
    Reshape();
}

void DesktopForm::Reshape() {
    if (!programShape_) return;
    Rectangles screen;
    screen.reserve(programShape_->size());
    const std::int32_t d = Density();
    for (const RECT& r : *programShape_)
        screen.push_back({ScreenPixels(r.left, d), ScreenPixels(r.top, d), ScreenPixels(r.right, d),
                          ScreenPixels(r.bottom, d)});
    ApplyShape(screen);
}

void DesktopForm::OnPress(std::int16_t button, std::int16_t shift, std::uint32_t timeMs, POINTAPI screen,
                          POINTAPI inWindow) {
    DoubleClickDetector& doubleClick = Driver().doubleClick;
    // A failure that leaves an event handler ends there, as in a statement.
    if (button != 1) {
        doubleClick.Interrupt();
    } else if (doubleClick.Press(timeMs, screen.x, screen.y)) {
        Attempt([&] { events_.Form_DblClick(); });
        return;
    }
    Pressed(button, screen);
    const float x = InScale(inWindow.x), y = InScale(inWindow.y);
    Attempt([&] { events_.Form_MouseDown(button, shift, x, y); });
}

bool DesktopForm::Tick() {
    if (timerIntervalMs_ > 0) Attempt([&] { events_.tmr_Timer(); });
    // A pointer on the move keeps the ticks going, whatever the eyes do.
    const bool moved = PointerMovedSinceLastTick();
    return ShowChanges() || moved;
}

// user32 -------------------------------------------------------------------

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
