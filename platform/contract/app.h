// app.h: the application services: identity, screen, command line, ending.
#pragma once

#include <string>
#include <vector>

#include "platform/contract/win_api.h"

namespace platform {

namespace App {
bool PrevInstance();        // another copy of this program runs
std::string Path();         // the program's folder, with or without a final separator
std::string EXEName();      // the program file's name without folder and extension
}  // namespace App

namespace Screen {
float Width();                     // twips, of the primary monitor
std::vector<RECT> Monitors();      // every monitor's rectangle, in pixels
}  // namespace Screen

std::string Command();      // the arguments as one text, empty when none

// Ends the program at once: no statement after it runs and no further event
// is delivered. It unwinds to the backend's entry point, which releases
// what the program holds.
[[noreturn]] void End();

struct ProgramEnded {};

}  // namespace platform
