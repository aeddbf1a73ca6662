// x11_app.cpp: the application services on Linux with X11.
//
// Implements: App.PrevInstance (an flock that the system drops when the
// process dies), App.Path and App.EXEName (/proc/self/exe), Screen.Width
// and the monitors (RandR), the command line and End.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/app.h"
#include "platform/form.h"
#include "platform/posix/program_file.h"
#include "platform/x11/x11_desktop.h"

namespace platform {

namespace {

// Per user: in the private runtime folder, else a name of our own in /tmp
// that a link planted by someone else cannot redirect.
std::string LockFilePath() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/')
        return std::string(runtime) + "/zwinkerle.lock";
    return "/tmp/zwinkerle-" + std::to_string(::getuid()) + ".lock";
}

}  // namespace

bool App::PrevInstance() {
    // The lock is held for the life of the process; the kernel releases it
    // however the process ends, so a crash never blocks the next start.
    static const bool another = [] {
        const int fd = ::open(LockFilePath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) return false;  // no lock to be had: better a second copy than none
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return true;
        }
        return false;
    }();
    return another;
}

std::string App::Path() { return posix::ThisProgramFile().folder; }
std::string App::EXEName() { return posix::ThisProgramFile().name; }

float Screen::Width() {
    const RECT primary = x11::PrimaryMonitorRect();
    return static_cast<float>(primary.right - primary.left) * kTwipsPerPixel;
}

std::vector<RECT> Screen::Monitors() { return x11::MonitorRects(); }

std::string Command() { return x11::TheDesktop().commandLine; }

void End() { throw ProgramEnded{}; }

}  // namespace platform
