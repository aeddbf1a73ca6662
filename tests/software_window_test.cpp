// The software window: what reaches a backend's screen, and when nothing
// needs to.
#include <gtest/gtest.h>

#include "platform/software/raster_form.h"

using namespace platform;

namespace {

constexpr Colour kBack = RGB(250, 250, 250), kRed = RGB(200, 0, 0), kBlue = RGB(0, 0, 200);
constexpr Colour kStale = RGB(1, 2, 3);  // on no image: what a screen shows before it is painted

// A backend that keeps what it is handed on a screen of its own.
class ScreenForm final : public RasterForm {
public:
    ScreenForm(const FormDefinition& definition, std::int32_t density)
        : RasterForm(definition, density), screen(PixelWidth(), PixelHeight(), kStale) {}
    HWND hWnd() override { return HWND{}; }
    float Top() override { return 0; }
    void SetTop(float) override {}
    float Left() override { return 0; }
    void SetLeft(float) override {}
    void Show() override {}
    void TakeDensity(std::int32_t density) { SetDensity(density); }
    // The screen lost what it showed there.
    void Lose(const RECT& area) {
        for (std::int32_t y = area.top; y < area.bottom; ++y)
            for (std::int32_t x = area.left; x < area.right; ++x) screen.At(x, y) = kStale;
        RepaintFromPersistentImage(area);
    }

    Image screen;
    std::int64_t pixelsSent = 0;

private:
    void Present(const Image& image, const RECT& area) override {
        for (std::int32_t y = area.top; y < area.bottom; ++y)
            for (std::int32_t x = area.left; x < area.right; ++x) screen.At(x, y) = image.At(x, y);
        pixelsSent += std::int64_t{area.right - area.left} * (area.bottom - area.top);
    }
};

FormDefinition Definition(const Image& picture) {
    FormDefinition definition;
    definition.clientWidthTwips = 40 * kTwipsPerPixel;
    definition.clientHeightTwips = 30 * kTwipsPerPixel;
    definition.backColor = kBack;
    definition.picture = &picture;
    return definition;
}

// A tick of the eye tracker, in short: a white disc, a pupil on it.
void DrawEye(Form& form, float pupilX) {
    form.SetFillColor(kBack);
    form.Circle(12, 12, 5, kBack);
    form.SetFillColor(kBlue);
    form.Circle(pupilX, 12, 2, kBlue);
}

TEST(SoftwareWindow, TheScreenShowsWhatWasDrawnAndIsSentOnlyWhatChanged) {
    // Steps: 'e' the eye with its pupil at x 12, 'E' at x 14, 'x' a circle
    // cut by the window's edge, 'a' a circle drawn with AutoRedraw on, 'l'
    // the whole screen lost, 'p' part of it lost; then ShowChanges. After
    // each step: whether anything was sent.
    struct Case { const char* name; const char* steps; const char* sent; };
    const Case cases[] = {
        {"a first paint shows all", "l", "S"},
        {"the same eye again sends nothing", "lee", "SS-"},
        {"a pupil that moves sends", "leEE", "SSS-"},
        {"a circle cut by the edge", "lxx", "SS-"},
        {"persistent drawing shows at once", "la", "SS"},
        {"a loss is sent even where nothing changed", "lep", "SSS"},
        {"after a partial loss the eye comes back", "lepe", "SSSS"},
    };
    Image picture(40, 30, kRed);
    for (std::int32_t x = 0; x < 40; ++x) picture.At(x, 0) = kBack;
    for (const std::int32_t density : {1, 2, 3}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", density " + std::to_string(density));
            ScreenForm form(Definition(picture), density);
            for (std::size_t i = 0; c.steps[i] != '\0'; ++i) {
                switch (c.steps[i]) {
                    case 'e': DrawEye(form, 12); break;
                    case 'E': DrawEye(form, 14); break;
                    case 'x': form.Circle(38, 28, 4, kBlue); break;
                    case 'a':
                        form.SetAutoRedraw(true);
                        form.Circle(30, 20, 3, kBlue);
                        form.SetAutoRedraw(false);
                        break;
                    case 'l': form.Lose({0, 0, form.PixelWidth(), form.PixelHeight()}); break;
                    case 'p': form.Lose({5 * density, 5 * density, 15 * density, 15 * density}); break;
                }
                const std::int64_t before = form.pixelsSent;
                EXPECT_EQ(form.ShowChanges(), c.sent[i] == 'S') << "step " << i;
                EXPECT_EQ(form.pixelsSent > before, c.sent[i] == 'S') << "step " << i;
                EXPECT_EQ(form.screen.pixels, form.Surface().pixels) << "step " << i;
            }
        }
    }
}

TEST(SoftwareWindow, ADenseScreenShowsEachProgramPixelAsABlockAndReadsItBack) {
    Image picture(40, 30, kRed);
    picture.At(3, 4) = kBlue;
    const auto expectBlocks = [&](ScreenForm& form, std::int32_t density) {
        ASSERT_EQ(form.PixelWidth(), 40 * density);
        ASSERT_EQ(form.PixelHeight(), 30 * density);
        EXPECT_TRUE(form.ShowChanges()) << "all of it is sent";
        ASSERT_EQ(form.screen.pixels, form.Surface().pixels);
        for (std::int32_t y = 0; y < form.PixelHeight(); ++y)
            for (std::int32_t x = 0; x < form.PixelWidth(); ++x)
                ASSERT_EQ(form.screen.At(x, y), picture.At(x / density, y / density)) << x << "," << y;
        EXPECT_EQ(form.Point(3, 4), kBlue);
        EXPECT_EQ(form.Point(4, 4), kRed);
        EXPECT_EQ(form.Point(40, 4), 0xFFFFFFFFU) << "outside the drawing area";
    };
    for (const std::int32_t density : {1, 2, 3}) {
        SCOPED_TRACE("density " + std::to_string(density));
        ScreenForm form(Definition(picture), density);
        form.Lose({0, 0, form.PixelWidth(), form.PixelHeight()});
        expectBlocks(form, density);
        // A press 7 screen pixels in, in the program's pixels and in twips.
        EXPECT_FLOAT_EQ(form.InScale(7), 7.0F / static_cast<float>(density));
        form.SetScaleMode(vbTwips);
        EXPECT_FLOAT_EQ(form.InScale(7), 105.0F / static_cast<float>(density));
        form.SetScaleMode(vbPixels);
        // Dragged onto a monitor of another density.
        const std::int32_t other = density % 3 + 1;
        form.TakeDensity(other);
        form.screen = Image(form.PixelWidth(), form.PixelHeight(), kStale);
        expectBlocks(form, other);
    }
}

}  // namespace
