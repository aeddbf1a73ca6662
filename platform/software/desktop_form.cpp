// desktop_form.cpp: a form's place in the program's pixels and in twips,
// its shape, the topmost rule, presses and ticks, over its window's hooks.
#include "platform/software/desktop_form.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/runtime/checked_math.h"
#include "platform/runtime/failure.h"
#include "platform/shared/density.h"

namespace platform {

namespace {

std::int32_t Clamp32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// A screen coordinate `program` of the program's pixels from `origin`.
std::int32_t ScreenOf(std::int32_t program, std::int32_t origin, std::int32_t density) {
    return Clamp32(std::int64_t{ScreenPixels(program, density)} + origin);
}

// A screen coordinate `twips` from `origin`, to the nearest screen pixel;
// beyond the 32-bit range fails.
std::int32_t ScreenOfTwips(float twips, std::int32_t origin, std::int32_t density) {
    return Clamp32(std::int64_t{ScreenPixelsOfTwips(twips, density)} + origin);
}

}  // namespace

DesktopForm::DesktopForm(const FormDefinition& definition, FormEvents& events, std::int32_t density)
    : RasterForm(definition, density), events_(events), timerIntervalMs_(definition.timerIntervalMs) {}

DesktopForm::~DesktopForm() { Unregister(); }

// Positions are twips from the primary monitor's corner, 15 / density to a
// screen pixel, so that a stored one comes back on the same screen pixel.
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

POINTAPI DesktopForm::ProgramCorner(const ProgramSpace& space) const {
    const POINTAPI corner = Corner();
    return {ProgramPixels(std::int64_t{corner.x} - space.origin.x, space.density),
            ProgramPixels(std::int64_t{corner.y} - space.origin.y, space.density)};
}

RECT DesktopForm::Rect() const {
    // As large as the program made it, at whatever density it draws.
    const POINTAPI corner = ProgramCorner(Driver().Space());
    return RectAt(corner.x, corner.y);
}

POINTAPI DesktopForm::FromScreen(POINTAPI screen) const {
    const POINTAPI corner = Corner();
    const POINTAPI programCorner = ProgramCorner(Driver().Space());
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
    if ((flags & SWP_NOMOVE) == 0) {
        const ProgramSpace space = Driver().Space();
        if (!MoveCorner({ScreenOf(corner.x, space.origin.x, space.density),
                         ScreenOf(corner.y, space.origin.y, space.density)}))
            return false;
    }
    return MakeTopmost();
}

void DesktopForm::TakeShape(Rectangles shape) {
    shape_ = std::move(shape);
    Reshape();
}

void DesktopForm::Reshape() {
    if (!shape_) return;
    Rectangles screen;
    screen.reserve(shape_->size());
    const std::int32_t d = Density();
    for (const RECT& r : *shape_)
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

}  // namespace platform
