// x11_program.cpp: the program's entry on X11 (RunProgram): the command
// line answered without a display, the desktop opened, the program's
// start-up, the event loop until the program ends, the desktop closed.
#include <optional>

#include "platform/contract/app.h"
#include "platform/contract/program.h"
#include "platform/posix/information_request.h"
#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_event_loop.h"

namespace platform {

int RunProgram(int argc, char** argv, void (*startup)()) {
    if (const std::optional<int> answered = posix::AnswerInformationRequest(argc, argv)) return *answered;
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
