// x_desktop.h: driving a real X desktop from outside, for the end-to-end
// tests, the benchmark and the screenshot: X servers (Xvfb, or X.Org with
// its dummy driver for two monitors), openbox, processes, XTest input, and
// reading windows, properties and pixels back from the server.
#pragma once

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/contract/image.h"

namespace e2e {

// Xvfb on a display number of its own choosing, gone with this object.
class XServer {
public:
    explicit XServer(int width = 1024, int height = 768);
    // Two monitors of 1024 x 768 side by side, the primary one on the right:
    // X.Org's server with its dummy driver, which, unlike Xvfb, reports
    // monitors through RandR as real drivers do. Throws when it cannot run.
    struct TwoMonitors {};
    explicit XServer(TwoMonitors);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    const std::string& Name() const { return name_; }
    Display* Connection() const { return display_; }
    pid_t Pid() const { return pid_; }
    // Kills it (SIGKILL), after closing the tests' own connection.
    void Kill();

private:
    // Reads the display number the server writes to the pipe, and connects.
    void Connect(const std::string& server, int pipeFds[2]);

    pid_t pid_ = -1;
    std::string name_;
    Display* display_ = nullptr;
    std::string configuration_;  // X.Org's configuration folder, removed with the server
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

// Starts a process in a process group of its own, with stdin and stdout on
// /dev/null (or the descriptors given), stderr into `stderrFile` and
// `environment` added (a name without "=" is removed); its PID. As `user`,
// with that user's group, when one is given. What keeps it from starting
// goes into `stderrFile`, with exit code 126 (no such user) or 127.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
            const std::string& stderrFile = "/dev/null", int keepFd = -1, int user = -1, int stdinFd = -1,
            int stdoutFd = -1);
// Ends the process group with `signal`, then SIGKILL after 2 s, and reaps it.
void Stop(pid_t pid, int signal = SIGTERM);

// Runs a command to its end, as `user` when one is given; its exit code, or
// 128 and the signal that ended it.
int Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int user = -1);
// Why `user` cannot run `program` (a folder on its way closed to them);
// empty when they can, or when no user is given.
std::string NotRunnableBy(int user, const std::string& program);

// Polls `condition` until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Top-level windows (direct children of the root or of a frame) whose
// _NET_WM_PID is `pid`, mapped ones with a name only: what a task list
// shows of it, and not the see-through window that may take a face's
// pointer.
std::vector<Window> WindowsOf(Display* display, pid_t pid);
// The first window of `pid` once it shows; 0 when none shows in time.
Window WaitForWindow(Display* display, pid_t pid, std::chrono::milliseconds timeout = std::chrono::seconds(5));
// A window property: format-8 data as text, format-32 data as the longs
// Xlib hands out; empty when the window has none of that type.
std::string PropertyText(Display* display, Window window, const char* name, Atom type);
std::vector<unsigned long> PropertyLongs(Display* display, Window window, const char* name, Atom type);
// The window's top-left corner on the root window.
std::pair<int, int> RootPosition(Display* display, Window window);
// The top-level window that holds `window`: its frame, or itself.
Window TopLevelOf(Display* display, Window window);
// Position in the root's stacking order, bottom first; -1 when not there.
int StackIndex(Display* display, Window topLevel);
// What the screen shows.
platform::Image GrabScreen(Display* display, int x, int y, int width, int height);
// Asks the window to close, as a window manager's close button does.
void SendClose(Display* display, Window window);
// Synthetic pointer input.
void MovePointer(Display* display, int x, int y);
void Button(Display* display, unsigned button, bool down);
// A move from (fromX, fromY) by (dx, dy) in ten steps, `pause` after each.
void MoveInSteps(Display* display, int fromX, int fromY, int dx, int dy, std::chrono::milliseconds pause);

}  // namespace e2e
