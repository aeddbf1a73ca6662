// Start-up on the in-memory desktop: the settings-file name and where the
// window stands; and the figure window's double-click. (The single copy and
// the mouse buttons are tested on the real program.)
#include <gtest/gtest.h>

#include "common/Commands.h"
#include "figure_window/fMouseWatch.h"
#include "figure_window/figure_resources.h"
#include "platform/contract/app.h"
#include "platform/shared/double_click.h"
#include "platform/headless/headless_desktop.h"
#include "startup/AppModul.h"
#include "startup/face_on_screen.h"
#include "tests/platform_expectations.h"
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

struct Outcome {
    bool ended = false;
    bool visible = false;
    bool topmost = false;
    bool shaped = false;
    std::int32_t left = 0, top = 0;
};

// Runs Main once on a fresh desktop, after `prepare`, and unloads the
// figure window again.
template <typename Prepare>
Outcome RunMain(Prepare prepare) {
    headless::ResetDesktop();
    prepare(headless::TheDesktop());
    Outcome outcome;
    try {
        Main();
    } catch (const ProgramEnded&) {
        outcome.ended = true;
    }
    if (!headless::TheDesktop().forms.empty()) {
        const headless::HeadlessForm& form = *headless::TheDesktop().forms.begin()->second;
        outcome.visible = form.Visible();
        outcome.topmost = form.Topmost();
        outcome.shaped = form.Shaped();
        outcome.left = form.Rect().left;
        outcome.top = form.Rect().top;
    }
    fMouseWatch::Default().Unload();
    return outcome;
}

TEST(Main, PlacesTheWindowAsTheSettingsSay) {
    struct Case { const char* name; std::string ini; std::int32_t left, top; };
    // 1920 pixels = 28800 twips; half of it less half of 2220 twips: 13290 twips, 886 pixels.
    const Case cases[] = {
        {"no settings file", "", 886, 0},
        {"no section", "[Other]\nTop=15\n", 886, 0},
        {"both stored", "[Quorl's Zwinkerle]\nTop=1440\nLeft=3000\n", 200, 96},
        {"only Top: Left 0", "[Quorl's Zwinkerle]\nTop=1440\n", 0, 96},
        {"blanks and trailing text", "[Quorl's Zwinkerle]\nTop=  300px\nLeft= -150.4\n", -10, 20},
        {"partly on the monitor", "[Quorl's Zwinkerle]\nTop=-1500\nLeft=27000\n", 1800, -100},
        {"too little of the face on the monitor", "[Quorl's Zwinkerle]\nTop=-3000\nLeft=28000\n", 886, 0},
        {"wholly off every monitor", "[Quorl's Zwinkerle]\nTop=0\nLeft=-3000\n", 886, 0},
        {"Top beyond the pixel range is not applied", "[Quorl's Zwinkerle]\nTop=1e30\nLeft=150\n", 10, 0},
    };
    for (const Case& c : cases) {
        test::TempFolder folder;
        folder.Write(kProgramFile, "");
        if (!c.ini.empty()) folder.Write("zwinkerle.ini", c.ini);
        const Outcome outcome = RunMain([&](headless::Desktop& desktop) { desktop.appPath = folder.Path(); });
        EXPECT_FALSE(outcome.ended) << c.name;
        EXPECT_TRUE(outcome.visible) << c.name;
        EXPECT_TRUE(outcome.shaped && outcome.topmost) << c.name;  // loaded before it was placed
        EXPECT_EQ(outcome.left, c.left) << c.name;
        EXPECT_EQ(outcome.top, c.top) << c.name;
        EXPECT_EQ(folder.Read("zwinkerle.ini"), c.ini) << "start-up wrote the settings file";
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

TEST(FigureWindow, DoubleClickStoresTopThenLeftAndEnds) {
    headless::ResetDesktop();
    test::TempFolder folder;
    AppTitle = "Quorl's Zwinkerle";
    IniFile = folder.File("zwinkerle.ini");
    fMouseWatch watch;
    headless::FormOf(watch.Me().hWnd())->MoveTo(-20, 96);
    EXPECT_THROW(watch.Form_DblClick(), ProgramEnded);
    EXPECT_EQ(folder.Read("zwinkerle.ini"), test::Lines({"[Quorl's Zwinkerle]", "Top=1440", "Left=-300"}));
    // A write that fails still ends the program.
    IniFile = folder.File("no/such/folder/zwinkerle.ini");
    EXPECT_THROW(watch.Form_DblClick(), ProgramEnded);
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
