// The shaper: a window cut to the non-key pixels of its picture. (Its
// caption grab is tested where it counts: dragging the real program.)
#include <gtest/gtest.h>

#include "platform/software/client_regions.h"
#include "platform/runtime/failure.h"
#include "shaper/cTrimmer.h"
#include "tests/faulty_form.h"
#include "tests/test_window.h"

using namespace platform;
using test::PictureFromRows;
using test::PictureWindow;
using test::ShapeRows;

namespace {

TEST(TrimForm, CutsEachRowToItsRunsOfNonKeyPixels) {
    struct Case { const char* name; std::vector<std::string> picture, shape; };
    const Case cases[] = {
        {"the worked example: key, other, other, key, other",
         {".xx.x"}, {".##.#"}},
        {"a row that ends in non-key pixels reaches the right edge",
         {"..xxx", "....x"}, {"..###", "....#"}},
        {"a single pixel, an enclosed key pixel, a row starting with a non-key pixel",
         {"..x..", "xx.xx", "xxxxx"}, {"..#..", "##.##", "#####"}},
        {"pixel (0,0) is the key: every pixel of exactly that colour goes",
         {"..", ".."}, {"..", ".."}},
        {"any other colour stays, however close",
         {".ab", "c.d"}, {".##", "#.#"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PictureWindow window(PictureFromRows(c.picture));
        cTrimmer trimmer;
        trimmer.TrimForm(*window.form);
        EXPECT_TRUE(window.Headless().Shaped());
        EXPECT_EQ(ShapeRows(window.Headless()), c.shape);
        EXPECT_EQ(ClientRegions().LiveCount(), 0U) << "a region handle leaked";
    }
}

TEST(TrimForm, AWindowOfHeightZeroGetsTheEmptyShape) {
    PictureWindow flat(Image(4, 0, test::kKey));
    cTrimmer another;
    another.TrimForm(*flat.form);
    EXPECT_TRUE(flat.Headless().Shaped());
    EXPECT_TRUE(flat.Headless().Shape().empty());
    EXPECT_EQ(ClientRegions().LiveCount(), 0U);
}

TEST(TrimForm, RestoresScaleModeAndAutoRedraw) {
    for (const std::int16_t mode : {vbTwips, vbPixels}) {
        for (const bool autoRedraw : {false, true}) {
            PictureWindow window(PictureFromRows({".x", "x."}), mode);
            window.form->SetAutoRedraw(autoRedraw);
            cTrimmer trimmer;
            trimmer.TrimForm(*window.form);
            // Read in pixels although the window was in twips.
            EXPECT_EQ(ShapeRows(window.Headless()), (std::vector<std::string>{".#", "#."}));
            EXPECT_EQ(window.form->ScaleMode(), mode);
            EXPECT_EQ(window.form->AutoRedraw(), autoRedraw);
        }
    }
}

TEST(TrimForm, AWindowWithoutPictureIsNotTouched) {
    PictureWindow window(PictureFromRows({".x"}), vbTwips, /*withPicture=*/false);
    cTrimmer trimmer;
    trimmer.TrimForm(*window.form);
    EXPECT_FALSE(window.Headless().Shaped());
    EXPECT_EQ(window.form->ScaleMode(), vbTwips);
    EXPECT_FALSE(window.form->AutoRedraw());
    EXPECT_EQ(trimmer.Region, HRGN{});
    EXPECT_EQ(ClientRegions().LiveCount(), 0U);
}

TEST(TrimForm, AFailureDuringTheScanLeavesTheWindowAsItStood) {
    PictureWindow window(PictureFromRows({".x.", "xx.", "..x"}), vbTwips);
    test::FaultyForm faulty(*window.form);
    faulty.unreadable = POINTAPI{1, 1};  // after a span of the first row was made
    cTrimmer trimmer;
    EXPECT_THROW(trimmer.TrimForm(faulty), platform::Failure);
    EXPECT_FALSE(window.Headless().Shaped());          // keeps its previous shape
    EXPECT_EQ(window.form->ScaleMode(), vbPixels);     // left in pixels...
    EXPECT_TRUE(window.form->AutoRedraw());            // ...with persistent drawing on
    EXPECT_EQ(ClientRegions().LiveCount(), 0U) << "the half-built region leaked";
    EXPECT_EQ(trimmer.Region, HRGN{});
}

TEST(TrimForm, ASecondShapingReplacesTheFirst) {
    PictureWindow window(PictureFromRows({".x", "xx"}));
    test::FaultyForm faulty(*window.form);
    cTrimmer trimmer;
    trimmer.TrimForm(faulty);
    const HRGN first = trimmer.Region;
    faulty.unreadable = POINTAPI{0, 1};
    EXPECT_THROW(trimmer.TrimForm(faulty), platform::Failure);
    EXPECT_EQ(trimmer.Region, first);  // still the window's region
    faulty.unreadable.reset();
    trimmer.TrimForm(faulty);
    EXPECT_NE(trimmer.Region, first);
    EXPECT_EQ(ShapeRows(window.Headless()), (std::vector<std::string>{".#", "##"}));
    EXPECT_EQ(ClientRegions().LiveCount(), 0U);
}

}  // namespace
