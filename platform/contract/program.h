// program.h: the program's entry on a desktop backend.
#pragma once

namespace platform {

// Connects to the desktop, runs `startup` and then the event loop until the
// program ends. A desktop that cannot be reached is reported in one line on
// stderr. Returns the process exit code.
int RunProgram(int argc, char** argv, void (*startup)());

}  // namespace platform
