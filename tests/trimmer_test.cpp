// The shaper: a window cut to the non-key pixels of its picture. (Its
// caption grab is tested where it counts: dragging the real program.)
#include <gtest/gtest.h>

#include "platform/runtime/failure.h"
#include "shaper/cTrimmer.h"
#include "tests/faulty_form.h"
#include "tests/test_window.h"

using namespace platform;
using test::PictureFromRows;
using test::PictureWindow;
using test::ShownRows;
using Rows = std::vector<std::string>;

namespace {

// What a window shows, in rows (test_window.h): '.' cut away, ',' the key
// colour shown, a letter the picture's pixel of that letter. Trimmed, the
// window shows the picture's non-key pixels and nothing else.
TEST(TrimForm, ShowsOnlyEachRowsRunsOfNonKeyPixels) {
    struct Case { const char* name; Rows picture; };
    const Case cases[] = {
        {"the worked example: key, other, other, key, other", {".xx.x"}},
        {"a row that ends in non-key pixels reaches the right edge", {"..xxx", "....x"}},
        {"a single pixel, an enclosed key pixel, a row starting with a non-key pixel", {"..x..", "xx.xx", "xxxxx"}},
        {"pixel (0,0) is the key: every pixel of exactly that colour goes", {"..", ".."}},
        {"any other colour stays, however close", {".ab", "c.d"}},
        {"a window of height zero", {}},
    };
    for (const Case& c : cases) {
        PictureWindow window(PictureFromRows(c.picture));
        cTrimmer().TrimForm(*window.form);
        EXPECT_EQ(ShownRows(window.Headless()), c.picture) << c.name;
    }
}

TEST(TrimForm, LeavesScaleModeAndAutoRedrawAsTheyWereAndAWindowWithoutPictureUncut) {
    for (const bool withPicture : {true, false})
        for (const std::int16_t mode : {vbTwips, vbPixels})
            for (const bool autoRedraw : {false, true}) {
                PictureWindow window(PictureFromRows({".x", "x."}), mode, withPicture);
                window.form->SetAutoRedraw(autoRedraw);
                cTrimmer().TrimForm(*window.form);
                // Read in pixels although the window was in twips.
                EXPECT_EQ(ShownRows(window.Headless()), (withPicture ? Rows{".x", "x."} : Rows{",,", ",,"}));
                EXPECT_EQ(window.form->ScaleMode(), mode);
                EXPECT_EQ(window.form->AutoRedraw(), autoRedraw);
            }
}

// A failure ends the procedure where it happens, as in a statement: the
// window keeps the shape it had, and the scan's settings stay.
TEST(TrimForm, AFailedScanKeepsTheWindowsShapeAndLeavesItInPixelsWithPersistentDrawing) {
    PictureWindow window(PictureFromRows({".x", "xx"}), vbTwips);
    test::FaultyForm faulty(*window.form);
    cTrimmer trimmer;
    faulty.unreadable = POINTAPI{0, 1};  // after the first row's span was made
    EXPECT_THROW(trimmer.TrimForm(faulty), platform::Failure);
    EXPECT_EQ(ShownRows(window.Headless()), (Rows{",x", "xx"})) << "still uncut";
    EXPECT_EQ(window.form->ScaleMode(), vbPixels);
    EXPECT_TRUE(window.form->AutoRedraw());
    faulty.unreadable.reset();
    trimmer.TrimForm(faulty);
    // The picture's top-right pixel takes the key colour: a shaping now cuts it away.
    window.form->Circle(1, 0, 0, test::kKey);
    faulty.unreadable = POINTAPI{0, 1};
    EXPECT_THROW(trimmer.TrimForm(faulty), platform::Failure);
    EXPECT_EQ(ShownRows(window.Headless()), (Rows{".,", "xx"})) << "the first shape";
    faulty.unreadable.reset();
    trimmer.TrimForm(faulty);
    EXPECT_EQ(ShownRows(window.Headless()), (Rows{"..", "xx"})) << "the second shape";
}

}  // namespace
