// x_desktop.cpp: starting X servers, openbox and programs; XTest input;
// reading windows, properties and pixels back from the server.
#include "tools/x_desktop/x_desktop.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace e2e {

namespace {

using namespace std::chrono_literals;

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

}  // namespace

XServer::XServer(int width, int height) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid_ = Spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", screen, "-nolisten", "tcp",
                  "-noreset"},
                 {}, "/dev/null", pipeFds[1]);
    Connect("Xvfb", pipeFds);
}

XServer::XServer(TwoMonitors) {
    std::string folder = (std::filesystem::temp_directory_path() / "zwinkerle-xorg.XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) throw std::runtime_error("no folder for X.Org's configuration");
    configuration_ = folder;
    std::ofstream(folder + "/xorg.conf") << R"(Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 64000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 2048 768
    EndSubSection
EndSection
)";
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
    pid_ = Spawn({"Xorg", "-displayfd", std::to_string(pipeFds[1]), "-config", folder + "/xorg.conf", "-configdir",
                  folder, "-logfile", folder + "/log", "-nolisten", "tcp",
                  "-noreset", "-novtswitch", "-sharevts"},
                 {}, "/dev/null", pipeFds[1]);
    Connect("Xorg", pipeFds);
    // The dummy driver's second output on the left, the first, primary, on the right.
    const std::vector<std::string> display{"DISPLAY=" + name_};
    Run({"xrandr", "--addmode", "DUMMY1", "1024x768"}, display);
    Run({"xrandr", "--output", "DUMMY1", "--mode", "1024x768", "--pos", "0x0", "--output", "DUMMY0", "--mode",
         "1024x768", "--pos", "1024x0", "--primary"},
        display);
    int monitors = 0;
    XRRFreeMonitors(XRRGetMonitors(display_, DefaultRootWindow(display_), True, &monitors));
    if (monitors != 2) throw std::runtime_error("the dummy driver shows " + std::to_string(monitors) + " monitors");
}

void XServer::Connect(const std::string& server, int pipeFds[2]) {
    ::close(pipeFds[1]);
    std::string number;
    char c = 0;
    while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(pipeFds[0]);
    if (number.empty()) throw std::runtime_error(server + " did not start");
    name_ = ":" + number;
    XSetErrorHandler(IgnoreXError);
    display_ = XOpenDisplay(name_.c_str());
    if (display_ == nullptr) throw std::runtime_error("cannot connect to " + server);
}

XServer::~XServer() {
    if (display_ != nullptr) XCloseDisplay(display_);
    Stop(pid_);
    std::error_code ignored;
    if (!configuration_.empty()) std::filesystem::remove_all(configuration_, ignored);
}

void XServer::Kill() {
    if (display_ != nullptr) XCloseDisplay(display_);
    display_ = nullptr;
    Stop(pid_, SIGKILL);
    pid_ = -1;
}

WindowManager::WindowManager(const XServer& server) {
    pid_ = Spawn({"openbox", "--sm-disable"}, {"DISPLAY=" + server.Name()});
    Display* d = server.Connection();
    // Ready means managing: a probe window must get a frame.
    const Window probe = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 10, 10, 0, 0, 0);
    const bool ready = WaitUntil([&] {
        XMapWindow(d, probe);  // again and again: a map sent during start-up may be lost
        XSync(d, False);
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(d, probe, &root, &parent, &children, &count);
        if (children != nullptr) XFree(children);
        return parent != root;
    }, 10s);
    XDestroyWindow(d, probe);
    XSync(d, False);
    if (!ready) throw std::runtime_error("openbox did not start");
}

WindowManager::~WindowManager() { Stop(pid_); }

void WindowManager::End(int signal) {
    Stop(pid_, signal);
    pid_ = -1;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(20ms);
    }
    return condition();
}

namespace {

bool Named(Display* display, Window window) {
    char* name = nullptr;
    const bool named = XFetchName(display, window, &name) != 0 && name != nullptr;
    if (name != nullptr) XFree(name);
    return named;
}

}  // namespace

std::vector<Window> WindowsOf(Display* display, pid_t pid) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    std::vector<Window> found;
    std::function<void(Window, int)> visit = [&](Window parent, int depth) {
        Window root, up, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, parent, &root, &up, &children, &count)) return;
        for (unsigned i = 0; i < count; ++i) {
            Atom type;
            int format;
            unsigned long n, after;
            unsigned char* data = nullptr;
            XWindowAttributes attributes{};
            if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &n,
                                   &after, &data) == Success &&
                data != nullptr && n == 1 && static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid &&
                XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
                Named(display, children[i]))
                found.push_back(children[i]);
            if (data != nullptr) XFree(data);
            if (depth < 2) visit(children[i], depth + 1);
        }
        if (children != nullptr) XFree(children);
    };
    XSync(display, False);
    visit(DefaultRootWindow(display), 0);
    return found;
}

Window WaitForWindow(Display* display, pid_t pid, std::chrono::milliseconds timeout) {
    Window window = 0;
    WaitUntil([&] {
        const auto windows = WindowsOf(display, pid);
        window = windows.empty() ? 0 : windows.front();
        return window != 0;
    }, timeout);
    return window;
}

namespace {

// The property's data, and its format.
std::pair<std::string, int> Property(Display* display, Window window, const char* name, Atom type) {
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::pair<std::string, int> property;
    XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 4096, False, type, &actual, &format,
                       &count, &after, &data);
    if (data != nullptr) {
        property = {std::string(reinterpret_cast<char*>(data), count * (format == 32 ? sizeof(long) : format / 8)),
                    format};
        XFree(data);
    }
    return property;
}

}  // namespace

std::string PropertyText(Display* display, Window window, const char* name, Atom type) {
    const auto [data, format] = Property(display, window, name, type);
    return format == 8 ? data : std::string();
}

std::vector<unsigned long> PropertyLongs(Display* display, Window window, const char* name, Atom type) {
    const auto [data, format] = Property(display, window, name, type);
    std::vector<unsigned long> longs(format == 32 ? data.size() / sizeof(long) : 0);
    std::memcpy(longs.data(), data.data(), longs.size() * sizeof(long));
    return longs;
}

std::pair<int, int> RootPosition(Display* display, Window window) {
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return {x, y};
}

Window TopLevelOf(Display* display, Window window) {
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count)) return window;
        if (children != nullptr) XFree(children);
        if (parent == root || parent == 0) return window;
        window = parent;
    }
}

int StackIndex(Display* display, Window topLevel) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    int index = -1;
    for (unsigned i = 0; i < count; ++i)
        if (children[i] == topLevel) index = static_cast<int>(i);
    if (children != nullptr) XFree(children);
    return index;
}

platform::Image GrabScreen(Display* display, int x, int y, int width, int height) {
    platform::Image image(width, height, 0);
    XImage* grabbed = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (grabbed == nullptr) return image;
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            const unsigned long pixel = XGetPixel(grabbed, col, row);  // 24-bit TrueColor: 0xRRGGBB
            image.At(col, row) = platform::RGB(static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
                                               static_cast<std::uint8_t>(pixel));
        }
    XDestroyImage(grabbed);
    return image;
}

void SendClose(Display* display, Window window) {
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &close);
    XSync(display, False);
}

void MovePointer(Display* display, int x, int y) {
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    XSync(display, False);
}

void Button(Display* display, unsigned button, bool down) {
    XTestFakeButtonEvent(display, button, down ? True : False, CurrentTime);
    XSync(display, False);
}

void MoveInSteps(Display* display, int fromX, int fromY, int dx, int dy, std::chrono::milliseconds pause) {
    for (int step = 1; step <= 10; ++step) {
        MovePointer(display, fromX + dx * step / 10, fromY + dy * step / 10);
        std::this_thread::sleep_for(pause);
    }
}

}  // namespace e2e
