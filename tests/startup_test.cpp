// Start-up: the settings-file name, and whether a stored place shows enough
// of the face; double-clicks from single presses. (Where the window stands,
// the single copy and the mouse buttons are tested on the real program.)
#include <gtest/gtest.h>

#include "common/Commands.h"
#include "figure_window/figure_resources.h"
#include "platform/shared/double_click.h"
#include "startup/AppModul.h"
#include "startup/face_on_screen.h"
#include "tests/temp_folder.h"

using namespace platform;

namespace {

// The program file, which the settings file is named after.
const std::string kProgramFile = "zwinkerle" + std::string(kProgramExtension);

TEST(InitAppIdentity, NamesTheSettingsFileAfterTheLongProgramPathInTheUsersFolderWhereThatCannotBeWritten) {
    test::TempFolder folder, user;
#ifdef _WIN32
    _putenv_s("LOCALAPPDATA", user.Path().c_str());
    const std::string own = user.File("Zwinkerle") + "\\ZW.ini";
#else
    ::setenv("XDG_CONFIG_HOME", user.Path().c_str(), 1);
    const std::string own = user.File("zwinkerle") + "/ZW.ini";
#endif
    folder.Write(kProgramFile, "");
    // `own`: the user's own file, where the program's folder takes no files.
    struct Case { std::string appPath, exeName, beside, stored; };
    const Case cases[] = {
        {folder.Path() + kPathSeparator, "zwinkerle", folder.File("zwinkerle.ini"), folder.File("zwinkerle.ini")},
        {"/NO/SUCH/", "ZW", "/no/such/zw.ini", own},  // no long form: the case-normalised path
#ifdef _WIN32
        {"C:\\NO\\SUCH\\", "ZW", "C:\\No\\Such\\Zw.ini", own},  // a word begins after "\"
#else
        {folder.Path() + "/./", "zwinkerle", folder.File("zwinkerle.ini"), folder.File("zwinkerle.ini")},
#endif
    };
    for (const Case& c : cases) {
        AppPath = c.appPath;
        ExeName = c.exeName;
        InitAppIdentity();
        EXPECT_EQ(AppTitle, "Quorl's Zwinkerle");
        EXPECT_EQ(IniFile, c.stored);
        EXPECT_EQ(c.stored == c.beside ? IniFile : ShippedIniFile, c.beside);
    }
}

TEST(FaceIsReachable, JudgesByTheFacesPixelsNotTheWindowsRectangle) {
    // The face covers x 6..142 and y 21..229 of the 148 x 230 window.
    const RECT screen{0, 0, 1024, 768};
    struct Case { const char* name; std::int32_t left, top; std::vector<RECT> monitors; bool reachable; };
    const Case cases[] = {
        {"top centre", 438, 0, {screen}, true},
        {"only the cut-away margin on screen", 1018, 100, {screen}, false},
        {"a strip of face at the right edge", 1024 - 40, 100, {screen}, true},
        {"a sliver of chin at the top edge", 100, -225, {screen}, false},
        {"a sliver of forehead at the bottom edge", 100, 768 - 25, {screen}, false},
        {"the top-left corner off screen", -100, -100, {screen}, true},
        {"across two monitors side by side", 1000, 100, {screen, {1024, 0, 2048, 768}}, true},
        {"in the gap between two monitors", 1030, 100, {{0, 0, 1024, 768}, {1200, 0, 2224, 768}}, false},
        {"no monitors", 438, 0, {}, false},
        {"far beyond the 32-bit range's middle", 2'000'000'000, 2'000'000'000, {screen}, false},
    };
    for (const Case& c : cases) {
        const RECT window{c.left, c.top, c.left + 148, c.top + 230};
        EXPECT_EQ(FaceIsReachable(FigureImage(), window, c.monitors), c.reachable) << c.name;
    }
    // A picture that is all key colour has no face to show; a window without
    // a picture is face throughout.
    const Image blank(148, 230, RGB(0, 1, 43));
    EXPECT_FALSE(FaceIsReachable(blank, {0, 0, 148, 230}, {screen}));
    EXPECT_TRUE(FaceIsReachable(Image{}, {1000, 0, 1148, 230}, {screen}));
}

TEST(DoubleClick, TwoPressesCloseInTimeAndPlace) {
    struct Press { std::uint32_t time; std::int32_t x, y; bool isDouble; };
    struct Case { const char* name; std::vector<Press> presses; };
    const Case cases[] = {
        {"quick pair", {{1000, 50, 50, false}, {1300, 52, 49, true}}},
        {"too slow", {{1000, 50, 50, false}, {1401, 50, 50, false}}},
        {"too far", {{1000, 50, 50, false}, {1100, 55, 50, false}}},
        {"a third press starts afresh", {{0, 1, 1, false}, {100, 1, 1, true}, {200, 1, 1, false}, {300, 1, 1, true}}},
        {"server time wraps", {{0xFFFFFF00U, 9, 9, false}, {0x40, 9, 9, true}}},
    };
    for (const Case& c : cases) {
        DoubleClickDetector detector;
        for (const Press& p : c.presses) EXPECT_EQ(detector.Press(p.time, p.x, p.y), p.isDouble) << c.name;
    }
    // The system's own rectangle: wider across than down.
    DoubleClickDetector wide(500, 6, 2);
    wide.Press(0, 10, 10);
    EXPECT_TRUE(wide.Press(450, 16, 8));
    wide.Press(1000, 10, 10);
    EXPECT_FALSE(wide.Press(1100, 10, 13)) << "beyond the rectangle's height";
    DoubleClickDetector interrupted;
    interrupted.Press(0, 0, 0);
    interrupted.Interrupt();  // a right press in between
    EXPECT_FALSE(interrupted.Press(100, 0, 0));
}

}  // namespace
