// face_scenarios.h: what a user sees of the face on a desktop, and what
// lands in its settings file, for any build of the program. Each test
// program instantiates FaceOnDesktop and ProgramStarts with its own
// programs: the Linux one, the Windows one under Wine.
#pragma once

#include <gtest/gtest.h>

#include "tests/e2e/x_session.h"

namespace e2e {

// The figure window, and where it stands when nothing is stored.
inline constexpr int kFaceWidth = 148, kFaceHeight = 230;
inline constexpr int kTopCentreLeft = (1024 * 15 / 2 - 2220 / 2) / 15;  // 438: half the screen less half the window

struct Setup {
    const char* name;
    Launcher (*launcher)();
    bool openbox;
};

class FaceOnDesktop : public ::testing::TestWithParam<Setup>, public Session {
protected:
    // Every copy runs from a folder with non-ASCII letters in its name.
    FaceOnDesktop() : Session(GetParam().openbox, GetParam().launcher(), "Zwinkerle-\xC3\x84pfel-\xCE\xA9-") {}
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

}  // namespace e2e
