// x11_program_pixels.cpp: the density from the X resources, the origin
// from the primary monitor, and the conversions between root and program
// coordinates.
#include "platform/x11/x11_program_pixels.h"

#include <algorithm>
#include <climits>
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

int ToRoot(float twips, std::int32_t origin) {
    return static_cast<int>(std::clamp<std::int64_t>(
        std::int64_t{ScreenPixelsOfTwips(twips, TheDesktop().density)} + origin, INT32_MIN, INT32_MAX));
}

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

POINTAPI ProgramPoint(int rootX, int rootY) {
    const Desktop& d = TheDesktop();
    return {ProgramPixels(std::int64_t{rootX} - d.origin.x, d.density),
            ProgramPixels(std::int64_t{rootY} - d.origin.y, d.density)};
}

float TwipsX(int rootX) { return TwipsOf(std::int64_t{rootX} - TheDesktop().origin.x, TheDesktop().density); }
float TwipsY(int rootY) { return TwipsOf(std::int64_t{rootY} - TheDesktop().origin.y, TheDesktop().density); }
int RootXOfTwips(float twips) { return ToRoot(twips, TheDesktop().origin.x); }
int RootYOfTwips(float twips) { return ToRoot(twips, TheDesktop().origin.y); }

RECT ProgramRect(const RECT& root) {
    const Desktop& d = TheDesktop();
    return platform::ProgramRect({root.left - d.origin.x, root.top - d.origin.y, root.right - d.origin.x,
                                  root.bottom - d.origin.y},
                                 d.density);
}

}  // namespace platform::x11
