// The Windows program under Wine on a real X server, alone and under
// openbox (whose moves Wine asks for with _NET_WM_MOVERESIZE): the scenarios
// every build passes (face_scenarios.cpp), its start-up without openbox, and
// the face at 96, 144, 192 and 288 dpi. Wine shapes windows with the X Shape
// extension and draws into real X windows, so the checks are the X ones, and
// the settings file is written by the system's profile code.
#include "tests/e2e/face_scenarios.h"

namespace {

using e2e::FaceAtDensity;
using e2e::FaceOnDesktop;
using e2e::ProgramStarts;

e2e::Launcher UnderWine(int dotsPerInch) {
    return e2e::WindowsProgram(ZW_WINDOWS_PROGRAM, ZW_WINE_PREFIX, dotsPerInch);
}

INSTANTIATE_TEST_SUITE_P(Wine, FaceOnDesktop,
                         ::testing::Values(e2e::Setup{"none", UnderWine, false},
                                           e2e::Setup{"openbox", UnderWine, true}),
                         e2e::SetupName);
INSTANTIATE_TEST_SUITE_P(Wine, ProgramStarts, ::testing::Values(e2e::Setup{"none", UnderWine, false}),
                         e2e::SetupName);
// LogPixels in a prefix of each density.
INSTANTIATE_TEST_SUITE_P(Wine, FaceAtDensity,
                         ::testing::Values(e2e::DenseSetup{UnderWine, 96, 1}, e2e::DenseSetup{UnderWine, 144, 2},
                                           e2e::DenseSetup{UnderWine, 192, 2}, e2e::DenseSetup{UnderWine, 288, 3}),
                         e2e::DenseSetupName);

}  // namespace
