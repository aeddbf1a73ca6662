// x_session.cpp: the real program on a real X desktop: launchers, the
// program's folder and settings file, and gestures.
#include "tests/e2e/x_session.h"

#include <X11/Xatom.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace e2e {

namespace {

using namespace std::chrono_literals;

std::string ReadText(const std::string& utf8Path) {
    std::ifstream in(test::TempFolder::Native(utf8Path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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

// Each test starts with no position stored in a user's own settings. Under
// Wine those lie in the prefix the tests share; the Linux program gets a
// settings folder of its own for each test.
void ForgetUsersSettings(const Launcher& launcher) {
    std::string prefix;
    for (const std::string& assignment : launcher.environment)
        if (assignment.starts_with("WINEPREFIX=")) prefix = assignment.substr(11);
    std::error_code ignored;
    if (prefix.empty() || !std::filesystem::is_directory(prefix + "/drive_c/users", ignored)) return;
    for (const auto& user : std::filesystem::directory_iterator(prefix + "/drive_c/users", ignored))
        std::filesystem::remove_all(user.path() / "AppData" / "Local" / "Zwinkerle", ignored);
}

}  // namespace

Launcher LinuxProgram(int dotsPerInch) {
    Launcher launcher{ZW_PROGRAM_PATH, "zwinkerle", "zwinkerle.ini", "\n", 5s, {}, {}, {}, {}};
    launcher.dotsPerInch = dotsPerInch;
    return launcher;
}

Launcher WindowsProgram(const std::string& programFile, const std::string& basePrefix, int dotsPerInch) {
    const std::string winePrefix = dotsPerInch == 96 ? basePrefix : basePrefix + "-" + std::to_string(dotsPerInch);
    // Quiet, and no offers to install Wine's .NET and HTML add-ons.
    const std::vector<std::string> environment{"WINEPREFIX=" + winePrefix, "WINEDEBUG=-all",
                                               "WINEDLLOVERRIDES=mscoree,mshtml="};
    if (!std::filesystem::exists(winePrefix + "/system.reg")) {
        MakeWinePrefix(environment);
        // Wine's density is the prefix's, as Windows' is the user's setting.
        std::vector<std::string> making = environment;
        making.push_back("DISPLAY=");
        Run({"wine", "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d",
             std::to_string(dotsPerInch), "/f"}, making);
        Run({"wineserver", "-w"}, making);
    }
    // NOTE: without a window manager Wine waits 2 s for one to withdraw the
    // window before it lets the program end.
    // Notepad by its file: by its name, Wine starts it in a process of its own.
    const std::string notepad = winePrefix + "/drive_c/windows/system32/notepad.exe";
    Launcher launcher{programFile, "Zwinkerle.exe", "Zwinkerle.ini", "\r\n", 20s, {"wine"}, environment,
                      {"wineserver", "-k"}, {"wine", notepad}};
    launcher.dotsPerInch = dotsPerInch;
    return launcher;
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
    : Program(server.Name(), server.Connection(), home, std::move(launcher)) {}

Program::Program(std::string displayName, Display* connection, const std::string& home, Launcher launcher)
    : displayName_(std::move(displayName)), connection_(connection), home_(home), launcher_(std::move(launcher)) {
    using test::TempFolder;
    std::filesystem::copy_file(launcher_.programFile, TempFolder::Native(File(launcher_.fileName)),
                               std::filesystem::copy_options::overwrite_existing);
    using std::filesystem::perms;  // any user may run it
    std::filesystem::permissions(TempFolder::Native(File(launcher_.fileName)),
                                 perms::owner_all | perms::group_read | perms::group_exec | perms::others_read |
                                     perms::others_exec);
    ForgetUsersSettings(launcher_);
}

std::string Program::ReadSettings() const { return ReadText(SettingsFile()); }

void Program::WriteSettings(const std::string& text) const {
    std::ofstream(test::TempFolder::Native(SettingsFile()), std::ios::binary) << text;
}

Program::~Program() {
    for (const pid_t pid : started_) Stop(pid);
    if (keeper_ != 0) Stop(keeper_);
    if (!launcher_.cleanup.empty()) Run(launcher_.cleanup, launcher_.environment, launcher_.user);
}

pid_t Program::Start(const std::string& displayName, const std::vector<std::string>& extraEnvironment) {
    // Where the copy is out of its user's reach, no test can pass: say so at once.
    if (const std::string why = NotRunnableBy(launcher_.user, File(launcher_.fileName)); !why.empty())
        throw std::runtime_error(why);
    const std::string name = displayName.empty() ? displayName_ : displayName;
    std::vector<std::string> command = launcher_.command;
    command.push_back(File(launcher_.fileName));
    // Its own settings folder, never the home of whoever runs the tests.
    std::vector<std::string> environment{"XDG_CONFIG_HOME=" + File("config")};
    environment.insert(environment.end(), launcher_.environment.begin(), launcher_.environment.end());
    environment.push_back("DISPLAY=" + name);
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    const pid_t pid = Spawn(command, environment, File("stderr-" + std::to_string(started_.size())), -1, launcher_.user);
    started_.push_back(pid);
    return pid;
}

bool Program::KeepDesktopUp() {
    if (launcher_.desktopKeeper.empty() || keeper_ != 0) return true;
    std::vector<std::string> environment = launcher_.environment;
    environment.push_back("DISPLAY=" + displayName_);
    // NOTE: Wine starts its desktop for the first program that asks, and
    // waits 10 s for it; on a busy machine it may come later, and that
    // program opens no window, ever. A fresh session starts it anew.
    for (int attempt = 0; attempt < 3; ++attempt) {
        keeper_ = Spawn(launcher_.desktopKeeper, environment, "/dev/null", -1, launcher_.user);
        if (WaitForWindow(connection_, keeper_, launcher_.patience) != 0) return true;
        Stop(keeper_);
        keeper_ = 0;
        if (!launcher_.cleanup.empty()) Run(launcher_.cleanup, launcher_.environment, launcher_.user);
    }
    return false;
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
    const bool underWine = !launcher.command.empty();
    const std::string resources = "Xft.dpi:\t" + std::to_string(launcher.dotsPerInch) + "\n";
    program = std::make_unique<Program>(*server, folder, std::move(launcher));
    display = server->Connection();
    // The Linux program reads the desktop's density from the root window's resources.
    if (underWine || program->DotsPerInch() == 96) return;
    XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.data()), static_cast<int>(resources.size()));
    XSync(display, False);
}

Window Session::StartAndWait() {
    pid = program->Start();
    const Window window = WaitForWindow(display, pid, program->Patience());
    if (window != 0) WaitUntil([&] { return EyesPainted(display, window); }, program->Patience());
    return window;
}

std::pair<int, int> Session::Position(Window window) const { return RootPosition(display, window); }

void Drag(Display* display, unsigned button, int fromX, int fromY, int dx, int dy) {
    MovePointer(display, fromX, fromY);
    Button(display, button, true);
    MoveInSteps(display, fromX, fromY, dx, dy, 20ms);
    std::this_thread::sleep_for(100ms);  // the hand holds still before it lets go
    Button(display, button, false);
    WaitUntilThePointerIsFree(display);
}

void WaitUntilThePointerIsFree(Display* display) {
    WaitUntil([&] {
        const Window root = DefaultRootWindow(display);
        if (XGrabPointer(display, root, False, 0, GrabModeAsync, GrabModeAsync, None, None, CurrentTime) != GrabSuccess)
            return false;
        XUngrabPointer(display, CurrentTime);
        XSync(display, False);
        return true;
    }, 2s);
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

}  // namespace e2e
