// headless_desktop.cpp: the in-memory desktop, its forms and the
// application services on top of it.
#include "platform/headless/headless_desktop.h"

#include <memory>

#include "platform/contract/app.h"
#include "platform/software/client_regions.h"

namespace platform::headless {

namespace {

std::unique_ptr<Desktop> MadeDesktop() {
    auto desktop = std::make_unique<Desktop>();
    UseDriver(desktop.get());
    return desktop;
}

std::unique_ptr<Desktop> theDesktop = MadeDesktop();
std::uintptr_t nextWindow = 0x100;

}  // namespace

Desktop& TheDesktop() { return *theDesktop; }

void ResetDesktop() {
    theDesktop = MadeDesktop();
    ClientRegions() = RegionStore{};
}

HeadlessForm::HeadlessForm(const FormDefinition& definition, FormEvents& events) : DesktopForm(definition, events, 1) {
    Register(HWND{nextWindow++});
}

bool HeadlessForm::InShape(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= PixelWidth() || y >= PixelHeight()) return false;
    if (!shape_) return true;
    for (const RECT& r : *shape_)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

}  // namespace platform::headless

namespace platform {

std::unique_ptr<Form> CreateForm(const FormDefinition& definition, FormEvents& events) {
    return std::make_unique<headless::HeadlessForm>(definition, events);
}

// A program on a screen of 1920 x 1080 pixels, the first of its name.
bool App::PrevInstance() { return false; }
std::string App::Path() { return "/opt/zwinkerle"; }
std::string App::EXEName() { return "zwinkerle"; }
float Screen::Width() { return 1920 * kTwipsPerPixel; }
std::vector<RECT> Screen::Monitors() { return {{0, 0, 1920, 1080}}; }
std::string Command() { return {}; }

void End() { throw ProgramEnded{}; }

}  // namespace platform
