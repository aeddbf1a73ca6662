// face_scenarios.h: what a user sees of the face on a desktop, and what
// lands in its settings file, for any build of the program. Each test
// program instantiates FaceOnDesktop and ProgramStarts with its own
// programs: the Linux one, the Windows one under Wine.
#pragma once

#include <gtest/gtest.h>

#include "tests/e2e/x_session.h"

namespace e2e {

// Where the figure window stands when nothing is stored.
inline constexpr int kTopCentreLeft = (1024 * 15 / 2 - 2220 / 2) / 15;  // 438: half the screen less half the window

struct Setup {
    const char* name;
    Launcher (*launcher)(int dotsPerInch);
    bool openbox;
};

class FaceOnDesktop : public ::testing::TestWithParam<Setup>, public Session {
protected:
    // Every copy runs from a folder with non-ASCII letters in its name.
    FaceOnDesktop() : Session(GetParam().openbox, GetParam().launcher(96), "Zwinkerle-\xC3\x84pfel-\xCE\xA9-") {}
    Window StartAndWait() {
        const Window window = Session::StartAndWait();
        EXPECT_NE(window, 0U) << program->Stderr(pid);
        return window;
    }
};

// Start-up: the settings file, the single copy, a missing display. Under
// Wine these run without a window manager only: openbox keeps the windows
// that Wine places on screen, where the Linux program's stay partly off it.
class ProgramStarts : public FaceOnDesktop {};

inline std::string SetupName(const ::testing::TestParamInfo<Setup>& info) { return info.param.name; }
inline void PrintTo(const Setup& setup, std::ostream* out) { *out << setup.name; }

// The face on a desktop of a density, with no window manager: each program
// pixel `density` screen pixels each way.
struct DenseSetup {
    Launcher (*launcher)(int dotsPerInch);
    int dotsPerInch;
    int density;
};

class FaceAtDensity : public ::testing::TestWithParam<DenseSetup>, public Session {
protected:
    FaceAtDensity() : Session(false, GetParam().launcher(GetParam().dotsPerInch)) {}
};

inline std::string DenseSetupName(const ::testing::TestParamInfo<DenseSetup>& info) {
    return std::to_string(info.param.dotsPerInch) + "dpi";
}
inline void PrintTo(const DenseSetup& setup, std::ostream* out) { *out << setup.dotsPerInch << " dpi"; }

}  // namespace e2e
