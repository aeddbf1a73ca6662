// x11_program_pixels.cpp: the density from the X resources, the origin
// from the primary monitor, and the conversions between root and program
// coordinates.
#include "platform/x11/x11_program_pixels.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_monitors.h"

namespace platform::x11 {

namespace {

constexpr std::string_view kDpiResource = "Xft.dpi:";
constexpr double kPlainDpi = 96;        // one screen pixel per program pixel
constexpr double kDenseFromDpi = 144;   // from here on, whole screen pixels per program pixel
constexpr double kMostDensity = 16;     // beyond that, a resource makes no sense

// Rounds towards minus infinity, also for negative numbers.
std::int32_t FloorDivide(std::int64_t value, std::int32_t by) {
    return static_cast<std::int32_t>(value >= 0 ? value / by : -((-value + by - 1) / by));
}

int ToRoot(std::int32_t program, std::int32_t origin) {
    return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{program} * TheDesktop().density + origin,
                                                     INT32_MIN, INT32_MAX));
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
    d.density = dpi >= kDenseFromDpi && dpi < kPlainDpi * kMostDensity
                    ? static_cast<std::int32_t>(dpi / kPlainDpi + 0.5)  // to the nearest
                    : 1;
}

void ReadOrigin() {
    const RECT primary = PrimaryMonitorRect();
    TheDesktop().origin = {primary.left, primary.top};
}

POINTAPI ProgramPoint(int rootX, int rootY) {
    const Desktop& d = TheDesktop();
    return {FloorDivide(std::int64_t{rootX} - d.origin.x, d.density),
            FloorDivide(std::int64_t{rootY} - d.origin.y, d.density)};
}

int RootX(std::int32_t programX) { return ToRoot(programX, TheDesktop().origin.x); }
int RootY(std::int32_t programY) { return ToRoot(programY, TheDesktop().origin.y); }

RECT ProgramRect(const RECT& root) {
    const std::int32_t density = TheDesktop().density;
    const POINTAPI topLeft = ProgramPoint(root.left, root.top);
    const POINTAPI bottomRight = ProgramPoint(root.right + density - 1, root.bottom + density - 1);
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

}  // namespace platform::x11
