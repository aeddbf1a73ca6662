// x_session.h: the real program on a real X desktop, for the end-to-end
// tests: launching it (Linux, or Windows under Wine), its settings file,
// gestures (x_session.cpp), and what its shape and eyes must look like
// (expected_face.cpp).
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/contract/image.h"
#include "platform/contract/paths.h"
#include "tests/temp_folder.h"
#include "tools/x_desktop/x_desktop.h"

namespace e2e {

// How to start a program file: the Linux program directly, the Windows one
// under Wine.
struct Launcher {
    std::string programFile;               // what is copied into the test's folder
    std::string fileName;                  // its name there
    std::string settingsName;              // the settings file it keeps beside itself
    std::string lineEnd;                   // of the lines its settings writer adds
    std::chrono::seconds patience;         // for a window to show, or a copy to end
    std::vector<std::string> command;      // what runs the copy: nothing, or wine
    std::vector<std::string> environment;  // besides DISPLAY
    std::vector<std::string> cleanup;      // run once every copy has been stopped
    // A program of the desktop's own that brings the desktop up and keeps it
    // up while copies come and go: none on X11, Notepad under Wine.
    std::vector<std::string> desktopKeeper;
    int user = -1;                         // the user it runs as; -1: as the tests do
    int dotsPerInch = 96;                  // of the desktop it runs on
};

// The Linux program of this build, on a desktop of that density (Xft.dpi).
Launcher LinuxProgram(int dotsPerInch = 96);
// A Windows program under Wine, in a prefix of its own that is made on first
// use and kept, one per density (LogPixels); whatever Wine starts is ended
// with the Program.
Launcher WindowsProgram(const std::string& programFile, const std::string& winePrefix, int dotsPerInch = 96);

// The same program run by another user, whose home is `home`: their own
// settings folder there and, under Wine, their own prefix, made now.
Launcher ForUser(Launcher launcher, int user, const std::string& home);

// The program file, copied into a folder of its own so that its settings
// file lives there, and run against the server.
class Program {
public:
    Program(const XServer& server, const test::TempFolder& folder, Launcher launcher = LinuxProgram())
        : Program(server, folder.Path(), std::move(launcher)) {}
    // In `home`, an existing folder (a UTF-8 path).
    Program(const XServer& server, const std::string& home, Launcher launcher = LinuxProgram());
    // On the display of that name, as a Wayland session's Xwayland, which
    // the tests reach through `connection`.
    Program(std::string displayName, Display* connection, const std::string& home, Launcher launcher);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    // Starts one copy, with `environment` added to what it is given; its PID.
    // Throws, saying why, when the launcher's user cannot reach the copy.
    pid_t Start(const std::string& displayName = {}, const std::vector<std::string>& environment = {});
    // Waits for a copy to end; its exit code, or nothing on timeout.
    std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds timeout);
    std::string SettingsFile() const { return File(launcher_.settingsName); }
    std::string ReadSettings() const;
    void WriteSettings(const std::string& text) const;
    std::string Stderr(pid_t pid) const;
    // Brings the desktop up before any copy starts and keeps it up until the
    // Program goes, where the launcher has a keeper; false when its window
    // does not show.
    bool KeepDesktopUp();
    std::chrono::seconds Patience() const { return launcher_.patience; }
    bool UnderWine() const { return !launcher_.command.empty(); }
    int DotsPerInch() const { return launcher_.dotsPerInch; }
    const std::string& LineEnd() const { return launcher_.lineEnd; }

private:
    std::string File(const std::string& name) const { return home_ + platform::kPathSeparator + name; }

    std::string displayName_;
    Display* connection_;
    std::string home_;
    Launcher launcher_;
    std::vector<pid_t> started_;
    pid_t keeper_ = 0;
};

// A desktop for one test: Xvfb at 1024 x 768, openbox or no window manager,
// at the launcher's density, and the program in a folder of its own.
class Session {
public:
    explicit Session(bool withWindowManager, Launcher launcher = LinuxProgram(),
                     const std::string& folderPrefix = "zwinkerle-test.");
    // Starts a copy and waits for its window to show and its eyes to be
    // painted (placed and ticking); 0 when none shows in time.
    Window StartAndWait();
    std::pair<int, int> Position(Window window) const;

    test::TempFolder folder;
    std::unique_ptr<XServer> server;
    std::unique_ptr<WindowManager> windowManager;
    std::unique_ptr<Program> program;
    Display* display = nullptr;
    pid_t pid = 0;
};

// The figure window.
inline constexpr int kFaceWidth = 148, kFaceHeight = 230;
// The eye white the program paints; no pixel of the face picture has it.
inline constexpr platform::Colour kEyeWhite = 0x00FFF8F8;
inline constexpr int kEyesRight = 111;  // the right eye's white ends before this window pixel

// Whether the window shows the eyes the program paints, once it has
// ticked; also true when they lie off the screen, where nothing can be seen.
bool EyesPainted(Display* display, Window window);

// A press at (fromX, fromY), a move by (dx, dy) in ten steps, and a release;
// returns once nobody holds the pointer any more.
void Drag(Display* display, unsigned button, int fromX, int fromY, int dx, int dy);
// Waits until nobody holds the pointer any more: the program, a window
// manager that moved the window for it, or one that holds a press's events
// back until it has seen the press (openbox). Until then X takes the
// pointer's moves at once but reports the release where the pointer went.
void WaitUntilThePointerIsFree(Display* display);
// Two quick clicks of the left button where the pointer stands.
void DoubleClick(Display* display);

// The face picture, from the source tree.
platform::Image FigureFromSource();
// How many pixels of the window's shape (bounding or input) differ from the
// face: the picture's pixels of another colour than its top-left one, within
// the window's width. Pixels right of the window count too: none may be in.
// On a dense screen each program pixel is `density` screen pixels each way.
int ShapeDifferences(Display* display, Window window, int kind, const platform::Image& figure, int windowWidth,
                     int density = 1);

// Where the pupil of the eye at window pixel (eyeX, eyeY) belongs when the
// window's corner is at (left, top) and the pointer at (pointerX, pointerY):
// 2 pixels from the eye's centre towards the pointer, or the centre itself
// under it. Computed as the program does, down to its single precision.
std::pair<float, float> PupilTowards(int left, int top, int eyeX, int eyeY, int pointerX, int pointerY);
// Pixels of the eye white around (eyeX, eyeY) on a grab of the window that
// do not show what a pupil at (pupilX, pupilY) leaves there: black on the
// pupil's disc, the eye white around it. Every backend paints with the same
// disc rule, so anything but 0 is a fault.
int EyeMismatches(const platform::Image& window, int eyeX, int eyeY, float pupilX, float pupilY, int density = 1);
// Whether both pupils on `face`, a grab of the face whose corner is at
// (left, top), look at (pointerX, pointerY).
bool PupilsLookAt(const platform::Image& face, int left, int top, int pointerX, int pointerY);
// Pixels of the face on screen, its window's corner at `corner`, that do not
// show what the program draws with the pointer at `pointer` (all in screen
// pixels, `density` to a program pixel): the picture, each of its pixels a
// square of screen pixels, and the eyes looking at the pointer. Pixels the
// shape cuts away do not count.
int FaceMismatches(Display* display, std::pair<int, int> corner, std::pair<int, int> pointer, int density = 1);
// Screen pixels within the eye whites of the face at `corner` that show
// the picture: every program pixel a white covers at density 1 must be
// white (or black under a pupil) at every density, whatever disc rule
// paints it.
int PictureInTheWhites(Display* display, std::pair<int, int> corner, int density);

}  // namespace e2e
