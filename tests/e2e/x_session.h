// x_session.h: a real X server, a window manager and the real program, for
// end-to-end tests driven by synthetic input (XTest).
#pragma once

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/image.h"
#include "tests/temp_folder.h"

namespace e2e {

// Xvfb on a display number of its own choosing, gone with this object.
class XServer {
public:
    explicit XServer(int width = 1024, int height = 768);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    const std::string& Name() const { return name_; }
    Display* Connection() const { return display_; }
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::string name_;
    Display* display_ = nullptr;
};

// openbox on that server, until this object goes.
class WindowManager {
public:
    explicit WindowManager(const XServer& server);
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;
    // Ends it with `signal` (SIGTERM: a clean exit; SIGKILL: killed) and waits.
    void End(int signal);

private:
    pid_t pid_ = -1;
};

// The program file, copied into a folder of its own so that its settings
// file lives there, and run against the server.
class Program {
public:
    Program(const XServer& server, const test::TempFolder& folder);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    // Starts one copy; its PID.
    pid_t Start(const std::string& displayName = {});
    // Waits for a copy to end; its exit code, or nothing on timeout.
    std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds timeout);
    std::string SettingsFile() const { return folder_.File("zwinkerle.ini"); }
    std::string Stderr(pid_t pid) const;

private:
    const XServer& server_;
    const test::TempFolder& folder_;
    std::string runtimeDir_;
    std::vector<pid_t> started_;
};

// Starts a process in a process group of its own, with stdin and stdout on
// /dev/null, stderr into `stderrFile` and `environment` added; its PID.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
            const std::string& stderrFile = "/dev/null", int keepFd = -1);
// Ends the process group with `signal`, then SIGKILL after 2 s, and reaps it.
void Stop(pid_t pid, int signal = SIGTERM);

// Polls `condition` until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Top-level windows (direct children of the root or of a frame) whose
// _NET_WM_PID is `pid`, mapped ones only.
std::vector<Window> WindowsOf(Display* display, pid_t pid);
// The first window of `pid` once it shows; 0 when none shows in time.
Window WaitForWindow(Display* display, pid_t pid);
// The window's top-left corner on the root window.
std::pair<int, int> RootPosition(Display* display, Window window);
// The top-level window that holds `window`: its frame, or itself.
Window TopLevelOf(Display* display, Window window);
// Position in the root's stacking order, bottom first; -1 when not there.
int StackIndex(Display* display, Window topLevel);
// The window's shape (bounding or input) as a pixel mask, row-major.
std::vector<bool> ShapeMask(Display* display, Window window, int kind, int width, int height);
// What the screen shows.
platform::Image GrabScreen(Display* display, int x, int y, int width, int height);
// Asks the window to close, as a window manager's close button does.
void SendClose(Display* display, Window window);
// Synthetic pointer input.
void MovePointer(Display* display, int x, int y);
void Button(Display* display, unsigned button, bool down);
// Writes an image as a PNG file.
void WritePng(const platform::Image& image, const std::string& path);

}  // namespace e2e
