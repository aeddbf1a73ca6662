// x_session.cpp: starting Xvfb, openbox and the program; XTest input; reading
// windows, shapes and pixels back from the server.
#include "tests/e2e/x_session.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "platform/bitmap_file.h"
#include "platform/circle_raster.h"

namespace e2e {

namespace {

using namespace std::chrono_literals;

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

}  // namespace

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
            const std::string& stderrFile, int keepFd, int user) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::setpgid(0, 0);
    if (user >= 0 && (::setgroups(0, nullptr) != 0 || ::setgid(static_cast<gid_t>(user)) != 0 ||
                      ::setuid(static_cast<uid_t>(user)) != 0))
        ::_exit(126);
    for (const std::string& assignment : environment) ::putenv(const_cast<char*>(assignment.c_str()));
    const int devNull = ::open("/dev/null", O_RDWR);
    ::dup2(devNull, STDIN_FILENO);
    ::dup2(devNull, STDOUT_FILENO);
    const int err = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(err >= 0 ? err : devNull, STDERR_FILENO);
    for (int fd = 3; fd < 1024; ++fd)
        if (fd != keepFd) ::close(fd);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
}

namespace {

std::string ReadText(const std::string& utf8Path) {
    std::ifstream in(test::TempFolder::Native(utf8Path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs a command to its end.
void Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int user = -1) {
    ::waitpid(Spawn(argv, environment, "/dev/null", -1, user), nullptr, 0);
}

// A Wine prefix of its own, made if missing: the first start of a prefix
// takes 10 to 20 s, later ones well under one. It needs no display, and
// should show nothing on one.
void MakeWinePrefix(const std::vector<std::string>& environment, int user = -1) {
    std::vector<std::string> making = environment;
    making.push_back("DISPLAY=");
    Run({"wine", "wineboot", "-i"}, making, user);
    Run({"wineserver", "-w"}, making, user);
}

}  // namespace

void Stop(pid_t pid, int signal) {
    if (pid <= 0) return;
    ::kill(-pid, signal);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) != 0) return;  // ended now, or reaped before
        std::this_thread::sleep_for(20ms);
    }
    ::kill(-pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

XServer::XServer(int width, int height) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid_ = Spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", screen, "-nolisten", "tcp",
                  "-noreset"},
                 {}, "/dev/null", pipeFds[1]);
    Connect("Xvfb", pipeFds);
}

XServer::XServer(TwoMonitors) : configuration_(std::make_unique<test::TempFolder>()) {
    configuration_->Write("xorg.conf", R"(Section "Device"
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
)");
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
    pid_ = Spawn({"Xorg", "-displayfd", std::to_string(pipeFds[1]), "-config", configuration_->File("xorg.conf"),
                  "-configdir", configuration_->Path(), "-logfile", configuration_->File("log"), "-nolisten", "tcp",
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

Launcher LinuxProgram() { return {ZW_PROGRAM_PATH, "zwinkerle", "zwinkerle.ini", "\n", 5s, {}, {}, {}}; }

Launcher WindowsProgram(const std::string& programFile, const std::string& winePrefix) {
    // Quiet, and no offers to install Wine's .NET and HTML add-ons.
    const std::vector<std::string> environment{"WINEPREFIX=" + winePrefix, "WINEDEBUG=-all",
                                               "WINEDLLOVERRIDES=mscoree,mshtml="};
    if (!std::filesystem::exists(winePrefix + "/system.reg")) MakeWinePrefix(environment);
    // NOTE: without a window manager Wine waits 2 s for one to withdraw the
    // window before it lets the program end.
    return {programFile, "Zwinkerle.exe", "Zwinkerle.ini", "\r\n", 20s, {"wine"}, environment, {"wineserver", "-k"}};
}

Launcher ForUser(Launcher launcher, int user, const std::string& home) {
    launcher.user = user;
    launcher.environment.push_back("HOME=" + home);
    launcher.environment.push_back("XDG_CONFIG_HOME=" + home + "/.config");
    if (!launcher.command.empty()) {  // under Wine: a prefix the user owns
        launcher.environment.push_back("WINEPREFIX=" + home + "/wine");
        MakeWinePrefix(launcher.environment, user);
    }
    return launcher;
}

Program::Program(const XServer& server, const std::string& home, Launcher launcher)
    : server_(server), home_(home), launcher_(std::move(launcher)) {
    using test::TempFolder;
    std::filesystem::copy_file(launcher_.programFile, TempFolder::Native(File(launcher_.fileName)),
                               std::filesystem::copy_options::overwrite_existing);
    using std::filesystem::perms;  // any user may run it
    std::filesystem::permissions(TempFolder::Native(File(launcher_.fileName)),
                                 perms::owner_all | perms::group_read | perms::group_exec | perms::others_read |
                                     perms::others_exec);
    runtimeDir_ = File("runtime");
    std::filesystem::create_directory(TempFolder::Native(runtimeDir_));
}

std::string Program::ReadSettings() const { return ReadText(SettingsFile()); }

void Program::WriteSettings(const std::string& text) const {
    std::ofstream(test::TempFolder::Native(SettingsFile()), std::ios::binary) << text;
}

Program::~Program() {
    for (const pid_t pid : started_) Stop(pid);
    if (!launcher_.cleanup.empty()) Run(launcher_.cleanup, launcher_.environment, launcher_.user);
}

pid_t Program::Start(const std::string& displayName, const std::vector<std::string>& extraEnvironment) {
    const std::string name = displayName.empty() ? server_.Name() : displayName;
    std::vector<std::string> command = launcher_.command;
    command.push_back(File(launcher_.fileName));
    std::vector<std::string> environment = launcher_.environment;
    environment.push_back("DISPLAY=" + name);
    environment.push_back("XDG_RUNTIME_DIR=" + runtimeDir_);
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    const pid_t pid = Spawn(command, environment, File("stderr-" + std::to_string(started_.size())), -1, launcher_.user);
    started_.push_back(pid);
    return pid;
}

std::string Program::Stderr(pid_t pid) const {
    for (std::size_t i = 0; i < started_.size(); ++i)
        if (started_[i] == pid) return ReadText(File("stderr-" + std::to_string(i)));
    return {};
}

std::optional<int> Program::WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
    int status = 0;
    std::optional<int> code;
    WaitUntil([&] {
        if (::waitpid(pid, &status, WNOHANG) != pid) return false;
        code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
    }, timeout);
    return code;
}

Session::Session(bool withWindowManager, Launcher launcher, const std::string& folderPrefix)
    : folder(folderPrefix), server(std::make_unique<XServer>()) {
    if (withWindowManager) windowManager = std::make_unique<WindowManager>(*server);
    program = std::make_unique<Program>(*server, folder, std::move(launcher));
    display = server->Connection();
}

Window Session::StartAndWait() {
    pid = program->Start();
    const Window window = WaitForWindow(display, pid, program->Patience());
    std::this_thread::sleep_for(500ms);
    return window;
}

std::pair<int, int> Session::Position(Window window) const { return RootPosition(display, window); }

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(20ms);
    }
    return condition();
}

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
                XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
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

void Drag(Display* display, unsigned button, int fromX, int fromY, int dx, int dy) {
    MovePointer(display, fromX, fromY);
    Button(display, button, true);
    MoveInSteps(display, fromX, fromY, dx, dy, 20ms);
    std::this_thread::sleep_for(100ms);
    Button(display, button, false);
    std::this_thread::sleep_for(300ms);
}

void DoubleClick(Display* display) {
    // As a hand clicks: each press held for a moment, the second press
    // well within the double-click time of the first.
    for (int click = 0; click < 2; ++click) {
        Button(display, 1, true);
        std::this_thread::sleep_for(120ms);
        Button(display, 1, false);
        std::this_thread::sleep_for(60ms);
    }
}

platform::Image FigureFromSource() {
    std::ifstream in(ZW_SOURCE_DIR "/figure_window/figure.bmp", std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    platform::Image image;
    platform::DecodeBitmapFile(bytes, image);
    return image;
}

int ShapeDifferences(Display* display, Window window, int kind, const platform::Image& figure, int windowWidth,
                     int density) {
    platform::Image shape(figure.width * density, figure.height * density, 0);
    int count = 0, ordering = 0;
    XRectangle* rectangles = XShapeGetRectangles(display, window, kind, &count, &ordering);
    for (int i = 0; i < count; ++i)
        for (int y = rectangles[i].y; y < rectangles[i].y + rectangles[i].height; ++y)
            for (int x = rectangles[i].x; x < rectangles[i].x + rectangles[i].width; ++x)
                if (shape.Contains(x, y)) shape.At(x, y) = 1;
    if (rectangles != nullptr) XFree(rectangles);
    int differences = 0;
    for (int y = 0; y < shape.height; ++y)
        for (int x = 0; x < shape.width; ++x) {
            const bool face = x / density < windowWidth && figure.At(x / density, y / density) != figure.At(0, 0);
            differences += (shape.At(x, y) == 1) != face ? 1 : 0;
        }
    return differences;
}

std::pair<float, float> PupilTowards(int left, int top, int eyeX, int eyeY, int pointerX, int pointerY) {
    const double dx = left + eyeX - pointerX, dy = top + eyeY - pointerY;
    double distance = std::sqrt(dx * dx + dy * dy);
    if (distance == 0) distance = 1;
    return {static_cast<float>(eyeX - 2 * (dx / distance)), static_cast<float>(eyeY - 2 * (dy / distance))};
}

int EyeMismatches(const platform::Image& window, int eyeX, int eyeY, float pupilX, float pupilY, int density) {
    constexpr platform::Colour kBlack = 0, kEyeWhite = 0x00FFF8F8;
    // A program pixel's centre is the centre of its block of screen pixels.
    const auto onScreen = [&](double v) { return v * density + (density - 1) / 2.0; };
    platform::Image expected(window.width, window.height, kEyeWhite);
    for (const platform::RowSpan& span : platform::DiscSpans(onScreen(pupilX), onScreen(pupilY), 3.0 * density))
        for (int x = span.left; x < span.right; ++x) expected.At(x, span.y) = kBlack;
    int mismatches = 0;
    for (const platform::RowSpan& span : platform::DiscSpans(onScreen(eyeX), onScreen(eyeY), 5.0 * density))
        for (int x = span.left; x < span.right; ++x)
            mismatches += window.At(x, span.y) != expected.At(x, span.y) ? 1 : 0;
    return mismatches;
}

}  // namespace e2e
