// fMouseWatch.cpp: the figure window's definition and event handlers, and
// the eye tracker that runs on every timer tick.
#include "figure_window/fMouseWatch.h"

#include <cmath>

#include "common/Commands.h"
#include "figure_window/eye_geometry.h"
#include "figure_window/figure_resources.h"
#include "platform/contract/app.h"
#include "platform/runtime/checked_math.h"
#include "platform/runtime/conversions.h"

using namespace platform;

fMouseWatch::~fMouseWatch() = default;

fMouseWatch& fMouseWatch::Default() {
    static fMouseWatch instance;
    return instance;
}

FormDefinition fMouseWatch::Definition(const Image& picture) {
    FormDefinition definition;
    definition.applicationTitle = AppTitle;
    definition.caption = "Form1";
    definition.clientWidthTwips = 2220;
    definition.clientHeightTwips = 3450;
    definition.backColor = 0x00FFFFFF;
    definition.fillColor = 0x00FFFFC0;
    definition.scaleMode = vbPixels;
    definition.autoRedraw = false;
    // A bitmap that failed to decode leaves the window without a picture.
    definition.picture = picture.width > 0 ? &picture : nullptr;
    definition.icon = FigureIcon();
    definition.timerIntervalMs = 70;
    return definition;
}

Form& fMouseWatch::Me() {
    if (!window_) {
        const Image picture = FigureImage();  // the window takes a copy
        window_ = CreateForm(Definition(picture), *this);
        Form_Load();
    }
    return *window_;
}

void fMouseWatch::Unload() {
    window_.reset();
    Trimmer.reset();
}

void fMouseWatch::Form_Load() {
    Attempt([&] {
        if (!Trimmer) Trimmer = std::make_unique<cTrimmer>();
        Trimmer->TrimForm(Me());
    });
    Attempt([&] { SetWindowPos(Me().hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE); });
}

void fMouseWatch::Form_MouseDown(std::int16_t Button, std::int16_t, float, float) {
    if (Button != 1) return;
    if (!Trimmer) Trimmer = std::make_unique<cTrimmer>();
    Trimmer->GrabForm(Me());
}

void fMouseWatch::Form_DblClick() {
    Attempt([&] { WriteProfileValue(AppTitle, "Top", SingleToText(Me().Top()), IniFile); });
    Attempt([&] { WriteProfileValue(AppTitle, "Left", SingleToText(Me().Left()), IniFile); });
    End();
}

void fMouseWatch::tmr_Timer() {
    using eye::kLeftEye;
    using eye::kRightEye;

    Attempt([&] { GetWindowRect(Me().hWnd(), &WindowRect); });

    Attempt([&] { LeftEyeX = CheckedAdd(WindowRect.left, kLeftEye.x); });
    Attempt([&] { LeftEyeY = CheckedAdd(WindowRect.top, kLeftEye.y); });
    Attempt([&] { RightEyeX = CheckedAdd(WindowRect.left, kRightEye.x); });
    Attempt([&] { RightEyeY = CheckedAdd(WindowRect.top, kRightEye.y); });

    Attempt([&] { GetCursorPos(&CursorPos); });

    // Differences in 32-bit integers, squares and sum in double.
    const auto distance = [](std::int32_t eyeX, std::int32_t eyeY, POINTAPI pointer) {
        const double dx = CheckedSub(eyeX, pointer.x);
        const double dy = CheckedSub(eyeY, pointer.y);
        return std::sqrt(Checked(dx * dx + dy * dy));
    };
    Attempt([&] { LeftDist = distance(LeftEyeX, LeftEyeY, CursorPos); });
    Attempt([&] { RightDist = distance(RightEyeX, RightEyeY, CursorPos); });

    // The pointer on an eye centre leaves that pupil centred.
    Attempt([&] { if (LeftDist == 0) LeftDist = 1; });
    Attempt([&] { if (RightDist == 0) RightDist = 1; });

    Attempt([&] { LeftDirY = Checked(CheckedSub(LeftEyeY, CursorPos.y) / LeftDist); });
    Attempt([&] { LeftDirX = Checked(CheckedSub(LeftEyeX, CursorPos.x) / LeftDist); });
    Attempt([&] { RightDirY = Checked(CheckedSub(RightEyeY, CursorPos.y) / RightDist); });
    Attempt([&] { RightDirX = Checked(CheckedSub(RightEyeX, CursorPos.x) / RightDist); });

    // The whites wipe the previous tick's pupils.
    Attempt([&] { Me().SetFillColor(eye::kWhiteColour); });
    for (const eye::Centre centre : {kLeftEye, kRightEye}) {
        Attempt([&] {
            Me().Circle(static_cast<float>(centre.x), static_cast<float>(centre.y), eye::kWhiteRadius,
                        eye::kWhiteColour);
        });
    }

    Attempt([&] { Me().SetFillColor(eye::kPupilColour); });
    const auto drawPupil = [&](eye::Centre centre, double dirX, double dirY) {
        const eye::PupilCentre pupil = eye::PupilFor(centre, dirX, dirY);
        Me().Circle(ToSingle(pupil.x), ToSingle(pupil.y), eye::kPupilRadius, eye::kPupilColour);
    };
    Attempt([&] { drawPupil(kLeftEye, LeftDirX, LeftDirY); });
    Attempt([&] { drawPupil(kRightEye, RightDirX, RightDirY); });
}
