// x11_program_pixels.cpp: the density from the X resources, the origin
// from the primary monitor, and the monitors in the program's pixels.
#include "platform/x11/x11_program_pixels.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/shared/density.h"
#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_monitors.h"

namespace platform::x11 {

namespace {

constexpr std::string_view kDpiResource = "Xft.dpi:";
constexpr double kPlainDpi = 96;  // one screen pixel per program pixel

}  // namespace

void ReadDensity() {
    Desktop& d = TheDesktop();
    // The resources came with the connection: no round trip.
    const char* resources = XResourceManagerString(d.display);
    const std::string text = resources != nullptr ? resources : "";
    double dpi = kPlainDpi;
    for (std::size_t at = 0; (at = text.find(kDpiResource, at)) != std::string::npos; at += kDpiResource.size())
        if (at == 0 || text[at - 1] == '\n') dpi = std::atof(text.c_str() + at + kDpiResource.size());
    d.density = DensityOfDpi(dpi);
}

void ReadOrigin() {
    const RECT primary = PrimaryMonitorRect();
    TheDesktop().origin = {primary.left, primary.top};
}

RECT ProgramRect(const RECT& root) {
    const Desktop& d = TheDesktop();
    return platform::ProgramRect({root.left - d.origin.x, root.top - d.origin.y, root.right - d.origin.x,
                                  root.bottom - d.origin.y},
                                 d.density);
}

}  // namespace platform::x11
