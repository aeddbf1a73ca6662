// expected_face.cpp: what the face must look like on screen: its shape,
// its picture and its eyes, as a user sees them.
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "platform/shared/bitmap_file.h"
#include "platform/software/circle_raster.h"
#include "tests/e2e/x_session.h"

namespace e2e {

namespace {

constexpr std::pair<int, int> kEyes[] = {{48, 78}, {105, 78}};  // the eyes' centres in the window
constexpr platform::Colour kPupil = 0;                           // black

}  // namespace

bool EyesPainted(Display* display, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.width < kEyesRight) return false;
    const int density = std::max(1, attributes.width / 148);
    const auto [left, top] = RootPosition(display, window);
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
    const int screenHeight = DisplayHeight(display, DefaultScreen(display));
    // Both eyes' whites, 5 program pixels around their centres.
    const int x0 = left + (48 - 5) * density, x1 = left + (105 + 6) * density;
    const int y0 = top + (78 - 5) * density, y1 = top + (78 + 6) * density;
    if (x0 < 0 || y0 < 0 || x1 > screenWidth || y1 > screenHeight) return true;  // off screen: nothing to see
    const platform::Image eyes = GrabScreen(display, x0, y0, x1 - x0, y1 - y0);
    return std::count(eyes.pixels.begin(), eyes.pixels.end(), kEyeWhite) > 0;
}

platform::Image FigureFromSource() {
    std::ifstream in(ZW_SOURCE_DIR "/figure_window/figure.bmp", std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    platform::Image image;
    platform::DecodeBitmapFile(bytes, image);
    return image;
}

int ShapeDifferences(Display* display, Window window, int kind, const platform::Image& figure, int windowWidth,
                     int density) {
    platform::Image shape(figure.width * density, figure.height * density, 0);
    int count = 0, ordering = 0;
    XRectangle* rectangles = XShapeGetRectangles(display, window, kind, &count, &ordering);
    for (int i = 0; i < count; ++i)
        for (int y = rectangles[i].y; y < rectangles[i].y + rectangles[i].height; ++y)
            for (int x = rectangles[i].x; x < rectangles[i].x + rectangles[i].width; ++x)
                if (shape.Contains(x, y)) shape.At(x, y) = 1;
    if (rectangles != nullptr) XFree(rectangles);
    int differences = 0;
    for (int y = 0; y < shape.height; ++y)
        for (int x = 0; x < shape.width; ++x) {
            const bool face = x / density < windowWidth && figure.At(x / density, y / density) != figure.At(0, 0);
            differences += (shape.At(x, y) == 1) != face ? 1 : 0;
        }
    return differences;
}

std::pair<float, float> PupilTowards(int left, int top, int eyeX, int eyeY, int pointerX, int pointerY) {
    const double dx = left + eyeX - pointerX, dy = top + eyeY - pointerY;
    double distance = std::sqrt(dx * dx + dy * dy);
    if (distance == 0) distance = 1;
    return {static_cast<float>(eyeX - 2 * (dx / distance)), static_cast<float>(eyeY - 2 * (dy / distance))};
}

int EyeMismatches(const platform::Image& window, int eyeX, int eyeY, float pupilX, float pupilY, int density) {
    platform::Image expected(window.width, window.height, kEyeWhite);
    for (const platform::RowSpan& span : platform::CircleOf(pupilX, pupilY, 3, density).outline)
        for (int x = span.left; x < span.right; ++x) expected.At(x, span.y) = kPupil;
    int mismatches = 0;
    for (const platform::RowSpan& span : platform::CircleOf(eyeX, eyeY, 5, density).outline)
        for (int x = span.left; x < span.right; ++x)
            mismatches += window.At(x, span.y) != expected.At(x, span.y) ? 1 : 0;
    return mismatches;
}

bool PupilsLookAt(const platform::Image& face, int left, int top, int pointerX, int pointerY) {
    for (const auto& [eyeX, eyeY] : kEyes) {
        const auto [pupilX, pupilY] = PupilTowards(left, top, eyeX, eyeY, pointerX, pointerY);
        if (EyeMismatches(face, eyeX, eyeY, pupilX, pupilY) != 0) return false;
    }
    return true;
}

int FaceMismatches(Display* display, std::pair<int, int> corner, std::pair<int, int> pointer, int density) {
    const platform::Image figure = FigureFromSource();
    // The picture scaled by nearest neighbour, then the eyes as the program
    // paints them, a white disc and a black one.
    platform::Image expected(kFaceWidth * density, kFaceHeight * density, 0);
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) expected.At(x, y) = figure.At(x / density, y / density);
    const auto program = [&](int v) { return v >= 0 ? v / density : -((-v + density - 1) / density); };
    const auto paint = [&](double x, double y, double radius, platform::Colour colour) {
        for (const platform::RowSpan& span : platform::CircleOf(x, y, radius, density).outline)
            for (int column = span.left; column < span.right; ++column) expected.At(column, span.y) = colour;
    };
    for (const auto& [eyeX, eyeY] : kEyes) {
        const auto [pupilX, pupilY] = PupilTowards(program(corner.first), program(corner.second), eyeX, eyeY,
                                                   program(pointer.first), program(pointer.second));
        paint(eyeX, eyeY, 5, kEyeWhite);
        paint(pupilX, pupilY, 3, kPupil);
    }
    const platform::Image grab = GrabScreen(display, corner.first, corner.second, expected.width, expected.height);
    int mismatches = 0;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            if (figure.At(x / density, y / density) != figure.At(0, 0))
                mismatches += grab.At(x, y) != expected.At(x, y) ? 1 : 0;
    return mismatches;
}

int PictureInTheWhites(Display* display, std::pair<int, int> corner, int density) {
    // Every program pixel the white covers at density 1, each a block of
    // screen pixels: white, or black under the pupil, never the picture.
    int showing = 0;
    for (const auto& [eyeX, eyeY] : kEyes) {
        const platform::Image grab =
            GrabScreen(display, corner.first + (eyeX - 6) * density, corner.second + (eyeY - 6) * density,
                       13 * density, 13 * density);
        for (const platform::RowSpan& span : platform::DiscSpans(6, 6, 5))
            for (int x = span.left * density; x < span.right * density; ++x)
                for (int y = span.y * density; y < (span.y + 1) * density; ++y)
                    showing += grab.At(x, y) != kEyeWhite && grab.At(x, y) != kPupil ? 1 : 0;
    }
    return showing;
}

}  // namespace e2e
