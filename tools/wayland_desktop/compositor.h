// compositor.h: a real Wayland compositor (sway, KWin or GNOME Shell) run
// headless with Xwayland at 1280 x 800, for end-to-end tests of X11 programs
// on the desktops most Linux users run: its environment, the tests' own X
// connection, screenshots by the compositor's own means (or, where it takes
// none, its stacking of windows), synthetic pointer input, and native
// Wayland windows to put beside or under the program.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/contract/image.h"

namespace e2e {

enum class CompositorKind { Sway, KWin, Gnome };

// "sway", "KWin", "GNOME".
const char* Name(CompositorKind kind);
// Why this machine cannot run the compositor (a missing program); empty
// when it can.
std::string Unavailable(CompositorKind kind);
// The major version of the GNOME Shell installed here; 0 without one.
int GnomeShellVersion();

struct Area {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Area&) const = default;
    bool Holds(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

// A window the compositor shows, as its own stacking order has it.
struct ShownWindow {
    pid_t pid = 0;  // of the client: a native program, or for an X window its _NET_WM_PID
    Area frame;     // with the title bar where the client draws one
    // For our native windows: their colour, and where it shows.
    std::optional<platform::Colour> colour;
    Area painted;
};

class Compositor;

// A native Wayland window of one colour (GTK 3), gone with this object.
class NativeWindow {
public:
    NativeWindow(NativeWindow&& other) noexcept;
    NativeWindow& operator=(NativeWindow&& other) noexcept;
    ~NativeWindow();
    pid_t Pid() const { return pid_; }
    // Where its colour showed on screen when it opened.
    const Area& Where() const { return area_; }
    // Left-button presses it received so far.
    int Clicks() const;
    // Where they were, and whether the pointer moved to (x, y) over it: in
    // its own pixels, which are the screen's when it is full-screen.
    std::vector<std::pair<int, int>> Presses() const;
    bool PointerCameTo(int x, int y) const;
    // Ends it and waits until its colour has left the screen.
    void Close();

private:
    friend class Compositor;
    NativeWindow(Compositor& compositor, pid_t pid, platform::Colour colour, std::string log)
        : compositor_(&compositor), pid_(pid), colour_(colour), log_(std::move(log)) {}

    Compositor* compositor_;
    pid_t pid_;
    platform::Colour colour_;
    std::string log_;
    Area area_;
};

// One headless compositor with Xwayland at 1280 x 800, gone with this object
// together with everything started in its session. As root it runs as the
// unprivileged user zwinkerle-test (made once if missing), since sway
// refuses root; otherwise as the user running the tests.
class Compositor {
public:
    static constexpr int kWidth = 1280, kHeight = 800;

    struct Options {
        // GNOME Shell extensions (their built folders, named after their
        // uuids) installed for the session's user and enabled from the start.
        std::vector<std::string> gnomeExtensions;
    };

    // Throws std::runtime_error with the reason when it cannot start.
    explicit Compositor(CompositorKind kind, Options options = {});
    const Options& StartedWith() const { return options_; }
    ~Compositor();
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    CompositorKind Kind() const { return kind_; }
    // What a program run inside this session needs: DISPLAY (its Xwayland),
    // XAUTHORITY where it has one, WAYLAND_DISPLAY, XDG_RUNTIME_DIR, HOME,
    // and DBUS_SESSION_BUS_ADDRESS (KWin, GNOME).
    std::vector<std::string> Environment() const;
    // The uid such programs run as; -1: as the tests.
    int User() const { return user_; }
    // The tests' own Xlib connection to its Xwayland.
    Display* XConnection() const { return display_; }
    // The compositor's own process, and its session bus ("" for sway).
    pid_t Pid() const { return compositorPid_; }
    const std::string& BusAddress() const { return busAddress_; }
    // A folder of this session that the session's user owns, and the
    // compositor's output there.
    const std::string& Folder() const { return folder_; }
    std::string LogFile() const { return folder_ + "/compositor.log"; }
    // From the start to the first input it took.
    std::chrono::milliseconds StartupTime() const { return startupTime_; }

    // Why it takes no screenshots here; empty where it takes them. KWin 6
    // draws them only with OpenGL, which its virtual backend has only on a
    // DRM render node.
    const std::string& NoScreenshots() const { return noScreenshots_; }
    // What the screen shows, in logical pixels, as the compositor composites
    // it. NOTE: sway's shows the pointer too, which its headless output
    // draws into the picture; KWin's and GNOME's leave it out. Throws
    // where it takes none.
    platform::Image Screenshot(int x, int y, int width, int height);
    platform::Image Screenshot() { return Screenshot(0, 0, kWidth, kHeight); }
    // Synthetic pointer input the compositor treats as a real device's: a
    // move to (x, y), absolute, and a button (1 = left, as in X).
    void MovePointer(int x, int y);
    void Button(unsigned button, bool down);
    // A left click at (x, y).
    void Click(int x, int y);
    // A left press at (fromX, fromY), a move by (dx, dy) in ten steps with
    // `pause` after each, and a release.
    void Drag(int fromX, int fromY, int dx, int dy, std::chrono::milliseconds pause = std::chrono::milliseconds(30));

    // Opens a native window of `colour` (a colour of its own, seen nowhere
    // else on screen) and returns once that colour shows.
    NativeWindow OpenNativeWindow(platform::Colour colour, bool fullScreen);
    // Where `colour` shows on screen: the box around its pixels; empty when
    // it shows nowhere.
    Area Find(platform::Colour colour);
    // The windows it shows, bottom first, as it stacks them: what the screen
    // shows where it takes no screenshots (KWin). Throws elsewhere.
    std::vector<ShownWindow> Stacking();
    // Where, by its stacking, our native window of process `pid` shows its
    // colour; empty while it shows nowhere.
    Area Painted(pid_t pid);

    class Means;  // how this kind of compositor starts, takes screenshots and input

private:
    // Waits for the compositor's Xwayland and connects to it.
    void ConnectToXwayland(std::chrono::steady_clock::time_point deadline);
    // Ends every process of this session.
    void EndSession();

    CompositorKind kind_;
    Options options_;
    int user_ = -1;
    std::string folder_;
    std::string runtimeDir_, home_, waylandDisplay_, xDisplay_, xAuthority_, busAddress_;
    pid_t pid_ = -1;            // what was started: the compositor or dbus-run-session
    pid_t compositorPid_ = -1;  // the compositor itself
    Display* display_ = nullptr;
    std::unique_ptr<Means> means_;
    std::chrono::milliseconds startupTime_{0};
    std::string noScreenshots_;
    int nativeWindows_ = 0;
    // Our native windows' colours and logs, by process.
    std::map<pid_t, std::pair<platform::Colour, std::string>> natives_;
};

}  // namespace e2e
