// x11_app.cpp: the application services on Linux with X11.
//
// Implements: App.PrevInstance (an flock per display that the system drops
// when the process dies), App.Path and App.EXEName (/proc/self/exe), Screen.Width
// and the monitors (RandR), the command line and End.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/app.h"
#include "platform/form.h"
#include "platform/posix/program_file.h"
#include "platform/x11/x11_desktop.h"

namespace platform {

namespace {

// One copy per display, as Windows has one per session: a user may have
// several displays (a second seat, a nested X server). ":0", ":0.1" and
// "unix:0" are one display; a host name keeps TCP displays apart.
std::string DisplayKey() {
    std::string name = XDisplayString(x11::TheDesktop().display);
    if (const std::size_t colon = name.rfind(':'); colon != std::string::npos) {
        if (const std::size_t dot = name.find('.', colon); dot != std::string::npos) name.resize(dot);
        if (name.starts_with("unix:")) name.erase(0, 4);
    }
    for (char& c : name)
        if (c == '/') c = '_';
    return name;
}

// In the private runtime folder, else in the temporary folder under a name
// of our own.
std::string LockFilePath() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/')
        return std::string(runtime) + "/zwinkerle-" + DisplayKey() + ".lock";
    const char* temporary = std::getenv("TMPDIR");
    const std::string folder = temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp";
    return folder + "/zwinkerle-" + std::to_string(::getuid()) + "-" + DisplayKey() + ".lock";
}

}  // namespace

bool App::PrevInstance() {
    // The lock is held for the life of the process; the kernel releases it
    // however the process ends, so a crash never blocks the next start.
    // NOTE: a lock file that is a link or another user's could be held by
    // someone else to keep us from ever starting: better run unlocked then.
    static const bool another = [] {
        const int fd = ::open(LockFilePath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (fd < 0) return false;  // no lock to be had: better a second copy than none
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
            ::close(fd);
            return false;
        }
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
    const RECT primary = x11::ProgramRect(x11::PrimaryMonitorRect());
    return static_cast<float>(primary.right - primary.left) * kTwipsPerPixel;
}

std::vector<RECT> Screen::Monitors() {
    std::vector<RECT> monitors = x11::MonitorRects();
    for (RECT& monitor : monitors) monitor = x11::ProgramRect(monitor);
    return monitors;
}

std::string Command() { return x11::TheDesktop().commandLine; }

void End() { throw ProgramEnded{}; }

}  // namespace platform
