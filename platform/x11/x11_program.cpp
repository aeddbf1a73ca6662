// x11_program.cpp: the program's entry on X11 (RunProgram): --help and
// --version answered without a display, the desktop opened, the program's
// start-up, the event loop until the program ends, the desktop closed.
#include <optional>
#include <string>

#include "platform/contract/app.h"
#include "platform/contract/program.h"
#include "platform/posix/information_request.h"
#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_event_loop.h"

namespace platform {

namespace {

// The arguments as one line, as Command() gives them.
std::string CommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) line += (i > 1 ? " " : "") + std::string(argv[i]);
    return line;
}

}  // namespace

int RunProgram(int argc, char** argv, void (*startup)()) {
    if (const std::optional<int> answered = posix::AnswerInformationRequest(argc, argv)) return *answered;
    x11::TheDesktop().commandLine = CommandLine(argc, argv);
    if (!x11::OpenDesktop()) return 1;
    try {
        startup();
        x11::EventLoop{}.Run();
    } catch (const ProgramEnded&) {
    }
    x11::CloseDesktop();
    return 0;
}

}  // namespace platform
