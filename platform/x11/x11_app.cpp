// x11_app.cpp: the application services on Linux with X11.
//
// Implements: App.PrevInstance (a selection on the X server, which it drops
// when the process dies), App.Path and App.EXEName (/proc/self/exe),
// Screen.Width and the monitors (RandR), the command line and End.
#include <string>

#include "platform/contract/app.h"
#include "platform/contract/form.h"
#include "platform/posix/program_file.h"
#include "platform/shared/density.h"
#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_monitors.h"
#include "platform/x11/x11_program_pixels.h"

namespace platform {

bool App::PrevInstance() {
    // NOTE: the X server is the one place that every copy on a display
    // shares, whatever its environment says, so one copy per display is a
    // selection there (as window managers hold WM_S<n>). Its owner is a
    // window of ours, which goes with our connection however the process
    // ends; so a crash never blocks the next start. Checking and taking it
    // under a server grab keeps copies started at the same instant apart.
    static const bool another = [] {
        x11::Desktop& d = x11::TheDesktop();
        const Atom selection = XInternAtom(d.display, "_ZWINKERLE_RUNNING", False);
        const Window owner = XCreateWindow(d.display, d.root, -1, -1, 1, 1, 0, 0, InputOnly, CopyFromParent, 0, nullptr);
        XGrabServer(d.display);
        const bool taken = XGetSelectionOwner(d.display, selection) != None;
        if (!taken) XSetSelectionOwner(d.display, selection, owner, CurrentTime);
        XUngrabServer(d.display);
        XSync(d.display, False);
        if (taken) XDestroyWindow(d.display, owner);
        return taken;
    }();
    return another;
}

std::string App::Path() { return posix::ThisProgramFile().folder; }
std::string App::EXEName() { return posix::ThisProgramFile().name; }

float Screen::Width() {
    const RECT primary = x11::PrimaryMonitorRect();
    return TwipsOf(std::int64_t{primary.right} - primary.left, x11::TheDesktop().density);
}

std::vector<RECT> Screen::Monitors() {
    std::vector<RECT> monitors = x11::MonitorRects();
    for (RECT& monitor : monitors) monitor = x11::ProgramRect(monitor);
    return monitors;
}

// Any argument but a lone --help or --version ends the program before it
// starts (information_request.h): the face never has a command line.
std::string Command() { return {}; }

void End() { throw ProgramEnded{}; }

}  // namespace platform
