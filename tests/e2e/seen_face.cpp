// seen_face.cpp: the face as the compositor's screenshot shows it, or as
// its window's pixels and the compositor's stacking will show it.
#include "tests/e2e/seen_face.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "tests/e2e/x_session.h"

namespace e2e {

namespace {

// Pixels of a window with their alpha in the top byte (0xFF without an
// alpha channel); none where it cannot be read.
std::optional<platform::Image> WindowPixels(Display* display, Window window, int x, int y, int width, int height) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0) return std::nullopt;
    XImage* grabbed = XGetImage(display, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                AllPlanes, ZPixmap);
    if (grabbed == nullptr) return std::nullopt;
    platform::Image image(width, height, 0);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            const unsigned long pixel = XGetPixel(grabbed, col, row);  // TrueColor: 0xAARRGGBB
            const unsigned long alpha = attributes.depth == 32 ? pixel >> 24 : 0xFF;
            image.At(col, row) = platform::RGB(static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
                                               static_cast<std::uint8_t>(pixel)) |
                                 static_cast<platform::Colour>(alpha << 24);
        }
    XDestroyImage(grabbed);
    return image;
}

// Whether a window above the one at `index` holds (x, y). The face's own
// others (the see-through window that catches its pointer) hide nothing.
bool CoveredAbove(const std::vector<ShownWindow>& stacking, int index, int x, int y) {
    const pid_t face = stacking[static_cast<std::size_t>(index)].pid;
    for (std::size_t i = static_cast<std::size_t>(index) + 1; i < stacking.size(); ++i)
        if (stacking[i].pid != face && stacking[i].frame.Holds(x, y)) return true;
    return false;
}

// The colour that shows at (x, y) from under the window at `index`: the
// topmost window there below it, where it is one of our native windows and
// (x, y) lies in what it paints; none otherwise.
std::optional<platform::Colour> ColourBelow(const std::vector<ShownWindow>& stacking, int index, int x, int y) {
    const pid_t face = stacking[static_cast<std::size_t>(index)].pid;
    for (int i = index - 1; i >= 0; --i) {
        const ShownWindow& shown = stacking[static_cast<std::size_t>(i)];
        if (shown.pid == face || !shown.frame.Holds(x, y)) continue;
        if (shown.colour && shown.painted.Holds(x, y)) return shown.colour;
        return std::nullopt;
    }
    return std::nullopt;
}

constexpr platform::Colour kOpaque = 0xFF000000;

}  // namespace

SeenFace::SeenFace(Compositor& desktop, Display* display)
    : desktop_(desktop), display_(display), figure_(FigureFromSource()) {}

platform::Image SeenFace::Pixels(const FaceOnScreen& face) {
    const auto [left, top] = face.corner;
    if (Unseen().empty()) return desktop_.Screenshot(left, top, kFaceWidth, kFaceHeight);
    std::optional<platform::Image> pixels = WindowPixels(display_, face.window, 0, 0, kFaceWidth, kFaceHeight);
    if (!pixels) return platform::Image(kFaceWidth, kFaceHeight, 0);
    for (platform::Colour& pixel : pixels->pixels) pixel &= ~kOpaque;
    return *pixels;
}

bool SeenFace::ShowsXWindow(Window window, int x, int y, platform::Colour colour) {
    if (Unseen().empty()) return desktop_.Screenshot(x, y, 1, 1).At(0, 0) == colour;
    Window root = 0, child = 0;
    int windowX = 0, windowY = 0, rootX = 0, rootY = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (XGetGeometry(display_, window, &root, &windowX, &windowY, &width, &height, &border, &depth) == 0) return false;
    XTranslateCoordinates(display_, window, root, 0, 0, &rootX, &rootY, &child);
    const Area frame{rootX, rootY, static_cast<int>(width), static_cast<int>(height)};
    const std::vector<ShownWindow> stacking = desktop_.Stacking();
    for (auto shown = stacking.rbegin(); shown != stacking.rend(); ++shown)
        if (shown->frame.Holds(x, y)) return shown->frame == frame;
    return false;
}

int SeenFace::Mismatches(const FaceOnScreen& face, bool onFace, platform::Colour behind) {
    const auto [left, top] = face.corner;
    const int x0 = std::max(left, 0), y0 = std::max(top, 0);
    const int x1 = std::min(left + kFaceWidth, Compositor::kWidth), y1 = std::min(top + kFaceHeight, Compositor::kHeight);
    if (x0 >= x1 || y0 >= y1) return -1;
    const bool screenshots = Unseen().empty();
    platform::Image shown;
    std::vector<ShownWindow> stacking;
    int index = -1;  // the face's window in the stacking, where it stands at its corner
    if (screenshots) {
        shown = desktop_.Screenshot(x0, y0, x1 - x0, y1 - y0);
    } else {
        stacking = desktop_.Stacking();
        // The first of its size: a catcher of the same size stands above it.
        for (std::size_t i = 0; i < stacking.size() && index < 0; ++i)
            if (stacking[i].pid == face.pid && stacking[i].frame == Area{left, top, kFaceWidth, kFaceHeight})
                index = static_cast<int>(i);
        shown = WindowPixels(display_, face.window, x0 - left, y0 - top, x1 - x0, y1 - y0)
                    .value_or(platform::Image(x1 - x0, y1 - y0, 0));
    }
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const int fx = x - left, fy = y - top;
            const bool isFace = figure_.At(fx, fy) != figure_.At(0, 0);
            const bool nearAnEye = (fy - 78) * (fy - 78) + std::min((fx - 48) * (fx - 48), (fx - 105) * (fx - 105)) <= 36;
            if (onFace ? !isFace || nearAnEye : isFace) continue;
            const platform::Colour pixel = shown.At(x - x0, y - y0);
            bool seen = false;
            if (screenshots) {
                seen = pixel == (onFace ? figure_.At(fx, fy) : behind);
            } else if (index >= 0 && !CoveredAbove(stacking, index, x, y)) {
                // Opaque where the face is; fully transparent around it,
                // over the window expected there.
                seen = onFace ? pixel == (figure_.At(fx, fy) | kOpaque)
                              : pixel == 0 && ColourBelow(stacking, index, x, y) == behind;
            }
            count += seen ? 0 : 1;
        }
    return count;
}

}  // namespace e2e
