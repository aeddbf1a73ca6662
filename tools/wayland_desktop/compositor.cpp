// compositor.cpp: starting a headless compositor in a session of its own
// (user, folders, session bus), finding its Xwayland, pointer input and
// screenshots, and ending every process of the session.
#include "tools/wayland_desktop/compositor.h"

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tools/wayland_desktop/means.h"
#include "tools/wayland_desktop/session_host.h"
#include "tools/x_desktop/x_desktop.h"

namespace e2e {

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Set in every process of a session, so that none is missed at the end.
constexpr const char* kSessionMark = "ZW_WAYLAND_SESSION=";
// How long a compositor may take to start on a busy machine.
constexpr auto kStartTimeout = 60s;

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// The Linux input code of an X button: left, middle, right.
unsigned ButtonCode(unsigned button) {
    switch (button) {
    case 1: return 0x110;
    case 2: return 0x112;
    case 3: return 0x111;
    default: throw std::invalid_argument("no such button: " + std::to_string(button));
    }
}

std::unique_ptr<Compositor::Means> MeansOf(CompositorKind kind, const Compositor& compositor) {
    switch (kind) {
    case CompositorKind::Sway: return SwayMeans(compositor);
    case CompositorKind::KWin: return KWinMeans(compositor);
    case CompositorKind::Gnome: return GnomeMeans(compositor);
    }
    throw std::invalid_argument("no such compositor");
}

}  // namespace

const char* Name(CompositorKind kind) {
    switch (kind) {
    case CompositorKind::Sway: return "sway";
    case CompositorKind::KWin: return "KWin";
    case CompositorKind::Gnome: return "GNOME";
    }
    return "?";
}

std::string Unavailable(CompositorKind kind) {
    std::vector<std::string> needed{"Xwayland", "dbus-run-session", "xhost"};
    switch (kind) {
    case CompositorKind::Sway: needed.insert(needed.end(), {"sway", "grim", "swaybg"}); break;
    case CompositorKind::KWin: needed.push_back("/usr/bin/kwin_wayland"); break;
    case CompositorKind::Gnome: needed.push_back("gnome-shell"); break;
    }
    if (::geteuid() == 0) needed.push_back("/usr/sbin/useradd");
    std::string missing;
    for (const std::string& program : needed)
        if (!OnPath(program)) missing += (missing.empty() ? "" : ", ") + program;
    return missing.empty() ? "" : std::string(Name(kind)) + " needs " + missing + ", not installed";
}

std::string WaylandPointerProgram() { return ZW_WAYLAND_POINTER; }
std::string NativeWindowProgram() { return ZW_NATIVE_WINDOW; }

Compositor::Compositor(CompositorKind kind, Options options) : kind_(kind), options_(std::move(options)) {
    const auto started = std::chrono::steady_clock::now();
    const std::string missing = Unavailable(kind);
    if (!missing.empty()) throw std::runtime_error(missing);
    user_ = ::geteuid() == 0 ? TestUser() : -1;
    PrepareX11SocketFolder();

    std::string folder = (fs::temp_directory_path() / "zwinkerle-wayland.XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) throw std::runtime_error("no folder for the session");
    folder_ = folder;
    runtimeDir_ = folder_ + "/runtime";
    home_ = folder_ + "/home";
    busAddress_ = "unix:path=" + folder_ + "/bus";
    try {
        fs::create_directory(runtimeDir_);
        fs::create_directory(home_);
        fs::create_directory(folder_ + "/bin");
        fs::permissions(runtimeDir_, fs::perms::owner_all);
        // The helpers run as the session's user, who may not reach the build.
        fs::copy_file(WaylandPointerProgram(), folder_ + "/bin/wayland_pointer");
        fs::copy_file(NativeWindowProgram(), folder_ + "/bin/native_window");
        means_ = MeansOf(kind, *this);

        // The session's bus: at an address we know beforehand, and open to
        // the tests' own user too (root), who talks to the compositor on it.
        const std::string testUser = ::geteuid() == 0 ? "<allow user=\"root\"/>" : "";
        std::ofstream(folder_ + "/bus.conf")
            << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig>\n  <type>session</type>\n  <keep_umask/>\n  <listen>"
            << busAddress_
            << "</listen>\n  <auth>EXTERNAL</auth>\n  <standard_session_servicedirs/>\n"
               "  <policy context=\"default\">\n    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
               "    <allow eavesdrop=\"true\"/>\n    <allow own=\"*\"/>\n    "
            << testUser << "\n  </policy>\n</busconfig>\n";
        if (user_ >= 0) GiveToUser(folder_, user_);
        for (const char* helper : {"/bin/wayland_pointer", "/bin/native_window"})
            if (const std::string why = NotRunnableBy(user_, folder_ + helper); !why.empty())
                throw std::runtime_error(why);

        std::vector<std::string> command{"dbus-run-session", "--config-file=" + folder_ + "/bus.conf", "--"};
        command = Joined(command, means_->Command());
        const std::vector<std::string> environment =
            Joined(Joined(kUnset, {"HOME=" + home_, "XDG_RUNTIME_DIR=" + runtimeDir_, kSessionMark + folder_}),
                   means_->Environment());
        pid_ = Spawn(command, environment, LogFile(), -1, user_);
        ConnectToXwayland(started + kStartTimeout);
        means_->Connect();
        noScreenshots_ = means_->NoScreenshots();
    } catch (...) {
        EndSession();
        throw;
    }
    startupTime_ = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
}

Compositor::~Compositor() { EndSession(); }

void Compositor::ConnectToXwayland(std::chrono::steady_clock::time_point deadline) {
    int status = 0;
    const auto running = [&] { return ::waitpid(pid_, &status, WNOHANG) == 0; };
    const auto failure = [&](std::string what) {
        if (WIFEXITED(status)) what += ", exit code " + std::to_string(WEXITSTATUS(status));
        if (WIFSIGNALED(status)) what += ", signal " + std::to_string(WTERMSIG(status));
        std::string log = ReadFile(LogFile());
        if (log.size() > 3000) log = "..." + log.substr(log.size() - 3000);
        return std::runtime_error(std::string(Name(kind_)) + ": " + what + "\n" + log);
    };
    // Xwayland lets in its own user only: let the tests' user in as well.
    const passwd* us = ::getpwuid(::geteuid());
    if (us == nullptr) throw std::runtime_error("who are we?");
    const std::string grant = std::string("+si:localuser:") + us->pw_name;
    // The compositor, its Xwayland (":N", and "-auth FILE" where it has
    // one) and its Wayland socket, then a first X client that gets in.
    // NOTE: KWin 6 listens on the X socket itself and starts Xwayland only
    // for the first client, so there the display is known from the lock
    // file that holds its pid. Others start Xwayland themselves, and a
    // client that comes before it may wait for good (GNOME 50).
    for (bool connected = false; !connected; std::this_thread::sleep_for(50ms)) {
        if (!running()) throw failure("ended while starting");
        if (std::chrono::steady_clock::now() > deadline)
            throw failure(xDisplay_.empty() ? "did not start in time" : "its Xwayland took no connection in time");
        for (const Process& process : Processes("")) {
            if (process.group != pid_) continue;
            // NOTE: sway forks children of its own name to start programs.
            if (process.name == means_->ProcessName() && process.parent == pid_) compositorPid_ = process.pid;
            if (process.name != "Xwayland") continue;
            for (std::size_t i = 1; i < process.arguments.size(); ++i) {
                const std::string& argument = process.arguments[i];
                if (argument.size() > 1 && argument[0] == ':') xDisplay_ = argument;
                if (argument == "-auth" && i + 1 < process.arguments.size()) xAuthority_ = process.arguments[i + 1];
            }
        }
        if (xDisplay_.empty() && compositorPid_ > 0 && means_->StartsXwaylandForTheFirstClient())
            xDisplay_ = DisplayLockedBy(compositorPid_);
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(runtimeDir_, ignored)) {
            const std::string name = entry.path().filename();
            if (name.starts_with("wayland-") && !name.ends_with(".lock") && entry.is_socket(ignored))
                waylandDisplay_ = name;
        }
        if (xDisplay_.empty() || waylandDisplay_.empty() || compositorPid_ < 0) continue;
        // Should Xwayland never answer, the attempt must not outlast the
        // deadline.
        connected = Run({"timeout", "10", "xhost", grant}, Environment(), user_) == 0;
    }
    XSetErrorHandler(IgnoreXError);
    display_ = XOpenDisplay(xDisplay_.c_str());
    if (display_ == nullptr) throw failure("cannot connect to its Xwayland " + xDisplay_);
}

std::vector<std::string> Compositor::Environment() const {
    std::vector<std::string> environment{"DISPLAY=" + xDisplay_,
                                         "WAYLAND_DISPLAY=" + waylandDisplay_,
                                         "XDG_RUNTIME_DIR=" + runtimeDir_,
                                         "HOME=" + home_,
                                         "DBUS_SESSION_BUS_ADDRESS=" + busAddress_,
                                         kSessionMark + folder_};
    if (!xAuthority_.empty()) environment.push_back("XAUTHORITY=" + xAuthority_);
    return environment;
}

void Compositor::EndSession() {
    if (display_ != nullptr) XCloseDisplay(display_);
    display_ = nullptr;
    means_.reset();
    if (folder_.empty()) return;
    // Everything of the session: the process group we started and whatever
    // left it (D-Bus services, processes the compositor started), known by
    // the mark in its environment.
    const std::string mark = kSessionMark + folder_;
    const auto left = [&] {
        std::vector<pid_t> pids;
        for (const Process& process : Processes(mark))
            if ((process.marked || (pid_ > 0 && process.group == pid_)) && process.state != 'Z' &&
                process.pid != ::getpid())
                pids.push_back(process.pid);
        return pids;
    };
    if (pid_ > 0) ::kill(-pid_, SIGTERM);
    for (const pid_t pid : left()) ::kill(pid, SIGTERM);
    WaitUntil([&] {
        if (pid_ > 0) ::waitpid(pid_, nullptr, WNOHANG);
        return left().empty();
    }, 5s);
    for (const pid_t pid : left()) ::kill(pid, SIGKILL);
    if (pid_ > 0) {
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    WaitUntil([&] { return left().empty(); }, 2s);
    RemoveStaleXLocks(user_ >= 0 ? static_cast<uid_t>(user_) : ::geteuid());
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    folder_.clear();
}

platform::Image Compositor::Screenshot(int x, int y, int width, int height) {
    if (!noScreenshots_.empty()) throw std::logic_error(noScreenshots_);
    return means_->Screenshot(x, y, width, height);
}

std::vector<ShownWindow> Compositor::Means::Stacking() {
    throw std::logic_error("this compositor tells no stacking order; its screenshots show it");
}

void Compositor::MovePointer(int x, int y) { means_->MovePointer(x, y); }

void Compositor::Button(unsigned button, bool down) { means_->Button(ButtonCode(button), down); }

void Compositor::Click(int x, int y) {
    MovePointer(x, y);
    Button(1, true);
    Button(1, false);
}

void Compositor::Drag(int fromX, int fromY, int dx, int dy, std::chrono::milliseconds pause) {
    // NOTE: a hand comes to the point it presses at; a compositor may give
    // the pointer back to the window beneath only on motion (GNOME, after a
    // move it made), so the pointer always arrives there.
    MovePointer(fromX - 1, fromY);
    MovePointer(fromX, fromY);
    Button(1, true);
    for (int step = 1; step <= 10; ++step) {
        std::this_thread::sleep_for(pause);
        MovePointer(fromX + dx * step / 10, fromY + dy * step / 10);
    }
    std::this_thread::sleep_for(pause);
    Button(1, false);
}

Area Compositor::Find(platform::Colour colour) {
    const platform::Image screen = Screenshot();
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1, count = 0;
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x)
            if (screen.At(x, y) == colour) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
                ++count;
            }
    // A few pixels of that colour by chance are not a window.
    if (count < 100) return {};
    return {left, top, right - left + 1, bottom - top + 1};
}

}  // namespace e2e
