// headless_desktop.cpp: the in-memory desktop, its forms and the window
// manager, graphics and application services on top of it.
#include "platform/headless/headless_desktop.h"

#include <memory>

#include "platform/contract/app.h"
#include "platform/software/client_regions.h"
#include "platform/shared/density.h"

namespace platform::headless {

namespace {
std::unique_ptr<Desktop> theDesktop = std::make_unique<Desktop>();
std::uintptr_t nextWindow = 0x100;
}  // namespace

Desktop& TheDesktop() { return *theDesktop; }

void ResetDesktop() {
    theDesktop = std::make_unique<Desktop>();
    ClientRegions() = RegionStore{};
}

HeadlessForm* FormOf(HWND window) {
    const auto found = TheDesktop().forms.find(window);
    return found == TheDesktop().forms.end() ? nullptr : found->second;
}

HeadlessForm::HeadlessForm(const FormDefinition& definition, FormEvents& events)
    : RasterForm(definition), events_(events), handle_(HWND{nextWindow++}) {
    theDesktop->forms[handle_] = this;
}

HeadlessForm::~HeadlessForm() { TheDesktop().forms.erase(handle_); }

HWND HeadlessForm::hWnd() { return handle_; }
float HeadlessForm::Top() { return TwipsOf(top_, Density()); }
void HeadlessForm::SetTop(float twips) { top_ = ScreenPixelsOfTwips(twips, Density()); }
float HeadlessForm::Left() { return TwipsOf(left_, Density()); }
void HeadlessForm::SetLeft(float twips) { left_ = ScreenPixelsOfTwips(twips, Density()); }
void HeadlessForm::Show() { visible_ = true; }

RECT HeadlessForm::Rect() const { return RectAt(left_, top_); }

void HeadlessForm::MoveTo(std::int32_t left, std::int32_t top) {
    left_ = left;
    top_ = top;
}

bool HeadlessForm::InShape(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= PixelWidth() || y >= PixelHeight()) return false;
    if (!shaped_) return true;
    for (const RECT& r : shape_)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

void HeadlessForm::TakeShape(Rectangles&& shape) {
    shape_ = std::move(shape);
    shaped_ = true;
}

}  // namespace platform::headless

namespace platform {

using headless::FormOf;
using headless::HeadlessForm;
using headless::TheDesktop;

std::unique_ptr<Form> CreateForm(const FormDefinition& definition, FormEvents& events) {
    return std::make_unique<HeadlessForm>(definition, events);
}

// user32 -------------------------------------------------------------------

BOOL GetCursorPos(POINTAPI* point) {
    if (point == nullptr) return 0;
    *point = TheDesktop().pointer;
    return 1;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    HeadlessForm* form = FormOf(window);
    if (form == nullptr || rect == nullptr) return 0;
    *rect = form->Rect();
    return 1;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                  UINT flags) {
    HeadlessForm* form = FormOf(window);
    if (form == nullptr) return 0;
    // Only the one use the program makes: topmost without moving or sizing.
    if (insertAfter == HWND_TOPMOST && (flags & (SWP_NOMOVE | SWP_NOSIZE)) == (SWP_NOMOVE | SWP_NOSIZE))
        form->MakeTopmost();
    return 1;
}

BOOL ReleaseCapture() {
    ++TheDesktop().releaseCaptureCalls;
    return 1;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TheDesktop().messages.push_back({window, message, wParam, lParam});
    return 0;
}

std::int32_t SetWindowRgn(HWND window, HRGN region, BOOL) {
    HeadlessForm* form = FormOf(window);
    Rectangles shape;
    if (form == nullptr || !ClientRegions().Take(region, shape)) return 0;
    form->TakeShape(std::move(shape));  // the window's previous region is gone with it
    return 1;
}

// application --------------------------------------------------------------

bool App::PrevInstance() { return TheDesktop().prevInstance; }
std::string App::Path() { return TheDesktop().appPath; }
std::string App::EXEName() { return TheDesktop().exeName; }
float Screen::Width() { return static_cast<float>(TheDesktop().screenWidthPixels) * kTwipsPerPixel; }
std::vector<RECT> Screen::Monitors() { return TheDesktop().monitors; }
std::string Command() { return TheDesktop().commandLine; }

void End() {
    TheDesktop().ended = true;
    throw ProgramEnded{};
}

}  // namespace platform
