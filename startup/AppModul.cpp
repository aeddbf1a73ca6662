// AppModul.cpp: the start-up sequence.
#include "startup/AppModul.h"

#include "common/Commands.h"
#include "figure_window/fMouseWatch.h"
#include "figure_window/figure_resources.h"
#include "platform/contract/app.h"
#include "platform/runtime/checked_math.h"
#include "platform/runtime/conversions.h"
#include "platform/contract/paths.h"
#include "platform/contract/user_settings.h"
#include "startup/face_on_screen.h"

using namespace platform;

namespace {

// Top edge of the screen, centred horizontally, in whole twips.
void PlaceAtTopCentre(Form& window) {
    Attempt([&] { window.SetTop(0); });
    Attempt([&] {
        const std::int32_t left = RoundToInt32(Screen::Width()) / 2 - RoundToInt32(window.Width()) / 2;
        window.SetLeft(static_cast<float>(left));
    });
}

// Whether the user can see and take hold of the face where the window stands.
bool FaceIsOnScreen(Form& window) {
    RECT rect{};
    if (GetWindowRect(window.hWnd(), &rect) == 0) return true;  // nothing to judge by: leave it
    return FaceIsReachable(FigureImage(), rect, Screen::Monitors());
}

}  // namespace

void Main() {
    if (App::PrevInstance()) End();

    Attempt([] { InitEnvironment(); });
    Attempt([] { InitAppIdentity(); });
    Attempt([] {
        const std::string command = Command();
        if (!command.empty()) CmdLine = command;
    });

    std::string topText;
    std::string leftText;
    for (const std::string& file : {IniFile, ShippedIniFile}) {
        if (!topText.empty() || !leftText.empty()) break;
        if (file.empty()) continue;
        Attempt([&] { topText = ReadProfileValue(AppTitle, "Top", file, ""); });
        Attempt([&] { leftText = ReadProfileValue(AppTitle, "Left", file, ""); });
    }

    fMouseWatch& figure = fMouseWatch::Default();
    // The first use of the window loads it: shaped and topmost before it is placed.
    Form* window = nullptr;
    Attempt([&] { window = &figure.Me(); });
    if (window == nullptr) return;

    if (topText.empty() && leftText.empty()) {
        PlaceAtTopCentre(*window);
    } else {
        Attempt([&] { window->SetTop(ToSingle(Val(topText))); });
        Attempt([&] { window->SetLeft(ToSingle(Val(leftText))); });
        // A position that leaves too little of the face on the monitors (a
        // monitor unplugged, a hand-edited file) would lose the face for
        // good, since a second start ends at once.
        Attempt([&] {
            if (!FaceIsOnScreen(*window)) PlaceAtTopCentre(*window);
        });
    }
    Attempt([&] { window->Show(); });
}

void InitAppIdentity() {
    Attempt([] { AppTitle = "Quorl's Zwinkerle"; });
    Attempt([] {
        const std::string programFile = LongPathName(AppPath + ExeName + std::string(kProgramExtension));
        // Zwinkerle.exe gives Zwinkerle.ini; a Linux program file has no
        // extension to replace and gets one.
        IniFile = programFile.substr(0, programFile.size() - std::min(kSettingsNameCut, programFile.size())) +
                  std::string(kSettingsNameTail);
    });
    // A program installed where the user cannot write would lose every
    // position it stores: it keeps them in the user's own settings file
    // then. The file beside it still gives the first position, so that an
    // administrator can ship one. Without a folder of the user's own the
    // position is not stored at all: never in the system's folders, even
    // for an administrator who could write there.
    Attempt([] {
        ShippedIniFile.clear();
        if (UserSettings::CanKeepAt(IniFile)) return;
        ShippedIniFile = IniFile;
        IniFile.clear();
        const std::string folder = UserSettings::Folder();
        if (!folder.empty()) IniFile = folder + ExeName + ".ini";
    });
}
