// The Linux program on a real X server, without and with a window manager:
// the scenarios every build passes (face_scenarios.cpp), and what only the
// X11 desktop has: its names and icon, its input shape, a server that goes
// away, its command line, keeping itself above without a window manager,
// window managers that come and go, and openbox's frame.
// GoogleTest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <pwd.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <string_view>
#include <atomic>
#include <thread>

#include "tests/e2e/face_scenarios.h"

namespace {

using namespace std::chrono_literals;
using e2e::kFaceHeight;
using e2e::kFaceWidth;
using e2e::kTopCentreLeft;
using e2e::FaceAtDensity;
using e2e::FaceOnDesktop;
using e2e::ProgramStarts;
using e2e::WaitUntil;

const auto kSetups = ::testing::Values(e2e::Setup{"none", e2e::LinuxProgram, false},
                                       e2e::Setup{"openbox", e2e::LinuxProgram, true});
INSTANTIATE_TEST_SUITE_P(Linux, FaceOnDesktop, kSetups, e2e::SetupName);
INSTANTIATE_TEST_SUITE_P(Linux, ProgramStarts, kSetups, e2e::SetupName);
// Xft.dpi in the root window's resources.
INSTANTIATE_TEST_SUITE_P(Linux, FaceAtDensity,
                         ::testing::Values(e2e::DenseSetup{e2e::LinuxProgram, 96, 1},
                                           e2e::DenseSetup{e2e::LinuxProgram, 144, 2},
                                           e2e::DenseSetup{e2e::LinuxProgram, 192, 2},
                                           e2e::DenseSetup{e2e::LinuxProgram, 288, 3}),
                         e2e::DenseSetupName);

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Whether `text` begins with `expected`; nothing expected: empty.
bool Begins(const std::string& text, std::string_view expected) {
    return expected.empty() ? text.empty() : text.starts_with(expected);
}

class Desktop : public FaceOnDesktop {};

TEST_P(Desktop, FirstStartStandsAtTheTopCentreWithItsNamesIconAndInputShape) {
    const Window window = StartAndWait();
    EXPECT_EQ(Position(window), std::make_pair(kTopCentreLeft, 0));
    EXPECT_FALSE(std::filesystem::exists(test::TempFolder::Native(program->SettingsFile())));

    XClassHint classHint{};
    ASSERT_TRUE(XGetClassHint(display, window, &classHint));
    EXPECT_STREQ(classHint.res_name, "zwinkerle");
    EXPECT_STREQ(classHint.res_class, "Zwinkerle");
    XFree(classHint.res_name);
    XFree(classHint.res_class);
    EXPECT_EQ(e2e::PropertyText(display, window, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False)),
              "Quorl's Zwinkerle");
    // Width, height and the pixels of one 32 x 32 image.
    EXPECT_EQ(e2e::PropertyLongs(display, window, "_NET_WM_ICON", XA_CARDINAL).size(), 2U + 32 * 32);
    // The input shape is the face too, not just the drawn one.
    EXPECT_EQ(e2e::ShapeDifferences(display, window, ShapeInput, e2e::FigureFromSource(), kFaceWidth), 0);
}

TEST_P(Desktop, AKilledXServerEndsItCleanlyWithAMessage) {
    StartAndWait();
    windowManager.reset();
    server->Kill();  // the X server dies under the running program
    EXPECT_EQ(program->WaitForExit(pid, 3s), 1) << "a crash or a hang, not an exit";
    const std::string message = program->Stderr(pid);
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_NE(message.find("X server"), std::string::npos) << message;
}

TEST_P(Desktop, HelpAndVersionArePrintedAnyOtherCommandLineIsRefusedWithoutAFace) {
    struct Case { const char* name; std::vector<std::string> arguments; const char* out; const char* err; int code; };
    const Case cases[] = {
        {"--help", {"--help"}, "Usage: zwinkerle [--help | --version]\n", "", 0},
        {"--version", {"--version"}, "zwinkerle 1.0.0\n", "", 0},
        {"an unknown option", {"--bogus"}, "", "zwinkerle: unexpected argument '--bogus'\nUsage: zwinkerle", 2},
        {"a short option", {"-h"}, "", "zwinkerle: unexpected argument '-h'\nUsage: zwinkerle", 2},
        {"--version with a word after it", {"--version", "extra"}, "",
         "zwinkerle: unexpected argument 'extra'\nUsage: zwinkerle", 2},
        {"both at once", {"--help", "--version"}, "", "zwinkerle: unexpected argument '--version'\nUsage: zwinkerle", 2},
        {"an empty argument", {""}, "", "zwinkerle: unexpected argument ''\nUsage: zwinkerle", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = test::TempFolder::Native(folder.File("stdout")).string();
        const std::string err = test::TempFolder::Native(folder.File("stderr")).string();
        std::vector<std::string> command{"sh", "-c", "exec \"$0\" \"$@\" >'" + out + "' 2>'" + err + "'",
                                         folder.File("zwinkerle")};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        const pid_t copy = e2e::Spawn(command, {"DISPLAY=" + server->Name(), "XDG_CONFIG_HOME=" + folder.File("config")});
        EXPECT_EQ(program->WaitForExit(copy, 2s), c.code) << "a face shows: " << e2e::WindowsOf(display, copy).size();
        EXPECT_TRUE(e2e::WindowsOf(display, copy).empty());
        e2e::Stop(copy);
        EXPECT_TRUE(Begins(ReadAll(out), c.out)) << ReadAll(out);
        EXPECT_TRUE(Begins(ReadAll(err), c.err)) << ReadAll(err);
    }
}

INSTANTIATE_TEST_SUITE_P(Linux, Desktop, kSetups, e2e::SetupName);

// One desktop after another within a test: a fresh X server, optionally
// openbox, and the program in a folder of its own.
class XDesktop : public ::testing::Test {
protected:
    void Begin(bool withOpenbox) {
        session.reset();
        session = std::make_unique<e2e::Session>(withOpenbox);
        display = session->display;
        program = session->program.get();
        windowManager = session->windowManager.get();
    }
    Window StartAndWait() {
        const Window window = session->StartAndWait();
        pid = session->pid;
        EXPECT_NE(window, 0U) << program->Stderr(pid);
        return window;
    }
    std::pair<int, int> Position(Window window) { return session->Position(window); }
    // Whether the face shows above `cover` in the stacking order.
    bool FaceAbove(Window face, Window cover) {
        return e2e::StackIndex(display, e2e::TopLevelOf(display, face)) > e2e::StackIndex(display, cover);
    }
    // A red window, over the whole screen unless told otherwise.
    Window MapCover(bool overrideRedirect, XRectangle area = {0, 0, 1024, 768}, unsigned long colour = 0xFF0000) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = overrideRedirect ? True : False;
        attributes.background_pixel = colour;
        const Window cover = XCreateWindow(display, DefaultRootWindow(display), area.x, area.y, area.width, area.height, 0,
                                           CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel,
                                           &attributes);
        XMapRaised(display, cover);
        XSync(display, False);
        return cover;
    }

    // Announces `owner` as the window manager (ICCCM), which does nothing else.
    void ClaimManagerSelection(Window owner) {
        const Atom selection = XInternAtom(display, "WM_S0", False);
        XSetSelectionOwner(display, selection, owner, CurrentTime);
        XEvent manager{};
        manager.xclient.type = ClientMessage;
        manager.xclient.window = DefaultRootWindow(display);
        manager.xclient.message_type = XInternAtom(display, "MANAGER", False);
        manager.xclient.format = 32;
        manager.xclient.data.l[0] = CurrentTime;
        manager.xclient.data.l[1] = static_cast<long>(selection);
        manager.xclient.data.l[2] = static_cast<long>(owner);
        XSendEvent(display, DefaultRootWindow(display), False, StructureNotifyMask, &manager);
        XSync(display, False);
    }
    bool MovedBy(Window face, std::pair<int, int> start, int dx, int dy) {
        return WaitUntil([&] { return Position(face) == std::make_pair(start.first + dx, start.second + dy); }, 2s);
    }

    std::unique_ptr<e2e::Session> session;
    Display* display = nullptr;
    e2e::Program* program = nullptr;
    e2e::WindowManager* windowManager = nullptr;
    pid_t pid = 0;
};

TEST_F(XDesktop, WithoutAWindowManagerItRisesAboveOrdinaryWindowsButNotOverrideRedirectOnes) {
    struct Case { const char* name; const char* settings; bool barOverForehead, lockFirst; };
    const Case cases[] = {
        {"at the top centre", "", false, false},
        {"partly hidden already, by an override-redirect bar", "", true, false},
        {"partly off the screen", "[Quorl's Zwinkerle]\nTop=-1500\nLeft=-1500\n", false, false},
        {"started while a lock screen is up", "", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Begin(false);
        program->WriteSettings(c.settings);
        const Window earlyLock = c.lockFirst ? MapCover(true) : 0;
        const Window face = StartAndWait();
        const auto [left, top] = Position(face);
        const auto showsFace = [&, left = left, top = top] {  // a cheek pixel, on screen in every case
            return e2e::GrabScreen(display, left + 110, top + 160, 1, 1).At(0, 0) != platform::RGB(255, 0, 0);
        };
        if (c.lockFirst) {
            EXPECT_FALSE(WaitUntil([&] { return FaceAbove(face, earlyLock) || showsFace(); }, 1s));
            continue;
        }
        if (c.barOverForehead) {
            MapCover(true, {0, 0, 1024, 30}, 0x0000FF);
            ASSERT_TRUE(WaitUntil([&] { return e2e::GrabScreen(display, 5, 5, 1, 1).At(0, 0) == platform::RGB(0, 0, 255); }));
        }
        // An ordinary window that covers part of it: the face comes back on
        // top and repaints.
        const auto x = static_cast<short>(std::max(0, left + 100)), y = static_cast<short>(top + 150);
        const Window ordinary = MapCover(false, {x, y, 300, 300});
        EXPECT_TRUE(WaitUntil([&] { return FaceAbove(face, ordinary); }, 2s));
        EXPECT_TRUE(WaitUntil(showsFace, 2s));
        // A lock screen, menu or tooltip belongs above it and stays there.
        const Window lock = MapCover(true);
        EXPECT_FALSE(WaitUntil([&] { return FaceAbove(face, lock) || showsFace(); }, 1s));
    }
}

TEST_F(XDesktop, WithoutAWindowManagerAClientThatAlsoKeepsItselfAboveStartsNoRaiseWar) {
    Begin(false);
    StartAndWait();
    // A rival on a connection of its own raises itself whenever covered, as
    // on-screen displays do; each time it is covered, the face has risen.
    std::atomic<bool> stop = false;
    std::atomic<int> facesRaises = 0;
    std::thread rival([&] {
        Display* own = XOpenDisplay(session->server->Name().c_str());
        const Window window = XCreateSimpleWindow(own, DefaultRootWindow(own), 0, 0, 1024, 768, 0, 0, 0xFF0000);
        XSelectInput(own, window, VisibilityChangeMask);
        XMapRaised(own, window);
        XFlush(own);
        while (!stop) {
            while (XPending(own) > 0) {
                XEvent event;
                XNextEvent(own, &event);
                if (event.type == VisibilityNotify && event.xvisibility.state != VisibilityUnobscured) {
                    ++facesRaises;
                    XRaiseWindow(own, window);
                }
            }
            XFlush(own);
            std::this_thread::sleep_for(1ms);
        }
        XCloseDisplay(own);
    });
    std::this_thread::sleep_for(3s);
    stop = true;
    rival.join();
    EXPECT_GT(facesRaises, 0) << "the face never rose above the rival";
    EXPECT_LE(facesRaises, 3000 / 70 + 5) << "more than one raise per 70 ms tick";
    EXPECT_NE(e2e::WindowsOf(display, pid).size(), 0U);
}

TEST_F(XDesktop, WindowManagersThatGoOrPretendLeaveTheFaceDraggableAndAbove) {
    enum class Then { Nothing, ManagerWithoutEwmh, NamesFaceAsCheckWindow, TakesSelectionWithFace };
    struct Case { const char* name; bool openbox; int signal; bool duringDrag; Then then; };
    const Case cases[] = {
        {"openbox exits", true, SIGTERM, false, Then::Nothing},
        {"openbox is killed", true, SIGKILL, false, Then::Nothing},
        {"openbox is killed during a drag it took over", true, SIGKILL, true, Then::Nothing},
        {"openbox is killed; a manager without EWMH follows", true, SIGKILL, false, Then::ManagerWithoutEwmh},
        {"a client names the face's window as the EWMH check window", false, 0, false, Then::NamesFaceAsCheckWindow},
        {"a client takes the manager selection with the face's window", false, 0, false, Then::TakesSelectionWithFace},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Begin(c.openbox);
        const Window face = StartAndWait();
        auto start = Position(face);
        const int x = start.first + 76, y = start.second + 120;
        if (c.duringDrag) {
            e2e::MovePointer(display, x, y);
            e2e::Button(display, 1, true);
            e2e::MoveInSteps(display, x, y, 30, 20, 20ms);
            ASSERT_TRUE(MovedBy(face, start, 30, 20)) << "openbox did not take the drag over";
        }
        if (c.openbox) {
            windowManager->End(c.signal);
            ASSERT_TRUE(WaitUntil([&] { return e2e::TopLevelOf(display, face) == face; }, 2s)) << "still framed";
        }
        const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
        switch (c.then) {
            case Then::Nothing: break;
            case Then::ManagerWithoutEwmh:
                ClaimManagerSelection(XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0));
                break;
            case Then::NamesFaceAsCheckWindow:
                for (const Window on : {DefaultRootWindow(display), face})
                    XChangeProperty(display, on, check, XA_WINDOW, 32, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(&face), 1);
                break;
            case Then::TakesSelectionWithFace: ClaimManagerSelection(face); break;
        }
        // NOTE: what the program learns of these comes before the input
        // below in its queue, so it knows before the drag goes on.
        if (c.duringDrag) {
            e2e::MoveInSteps(display, x + 30, y + 20, 30, 20, 20ms);
            EXPECT_TRUE(MovedBy(face, start, 60, 40)) << "the drag was not taken over";
            e2e::Button(display, 1, false);
        } else {
            start = Position(face);
            e2e::Drag(display, 1, start.first + 76, start.second + 120, 60, 40);
        }
        EXPECT_TRUE(MovedBy(face, start, 60, 40)) << Position(face).first << "," << Position(face).second;
        const Window later = MapCover(false);
        EXPECT_TRUE(WaitUntil([&] { return FaceAbove(face, later); }, 2s)) << "a window opened later covers the face";
    }
}

TEST_F(XDesktop, WhereNoManagerKeepsItAboveEverythingItPlacesRaisesAndMovesItself) {
    // Managers that a test client plays: an EWMH one without "above", one
    // that offers "above" but puts the window elsewhere than it asked (as
    // sway 1.12 centres every window), one that offers it but lets another
    // window cover it (as KWin lets a focused full-screen window), and one
    // that does as asked.
    enum class Betrayal { Honest, Moves, Covers };
    struct Case { const char* name; bool offersAbove; Betrayal betrayal; bool standsAlone; };
    const Case cases[] = {
        {"a manager without _NET_WM_STATE_ABOVE", false, Betrayal::Honest, true},
        {"a manager that puts it elsewhere", true, Betrayal::Moves, true},
        {"a manager that lets another window cover it", true, Betrayal::Covers, true},
        {"a manager that keeps windows above", true, Betrayal::Honest, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Begin(false);
        const Window root = DefaultRootWindow(display);
        const Window check = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
        for (const Window on : {root, check})
            XChangeProperty(display, on, XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), XA_WINDOW, 32,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(&check), 1);
        std::vector<Atom> supported{XInternAtom(display, "_NET_WM_STATE", False),
                                    XInternAtom(display, "_NET_WM_MOVERESIZE", False)};
        if (c.offersAbove) supported.push_back(XInternAtom(display, "_NET_WM_STATE_ABOVE", False));
        XChangeProperty(display, root, XInternAtom(display, "_NET_SUPPORTED", False), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(supported.data()), static_cast<int>(supported.size()));
        ClaimManagerSelection(check);

        program->WriteSettings("[Quorl's Zwinkerle]\nTop=1500\nLeft=3000\n");
        const Window face = StartAndWait();
        const auto standsAlone = [&] {
            XWindowAttributes attributes{};
            return XGetWindowAttributes(display, face, &attributes) && attributes.override_redirect != 0;
        };
        Window cover = 0;
        if (c.betrayal == Betrayal::Moves) {
            XMoveWindow(display, face, 566, 285);
            XSync(display, False);
        }
        if (c.betrayal == Betrayal::Covers) cover = MapCover(false, {250, 150, 300, 300});
        if (!c.standsAlone) {  // this manager does nothing a real one would: nothing more to see
            EXPECT_FALSE(WaitUntil(standsAlone, 500ms));
            continue;
        }
        EXPECT_TRUE(WaitUntil(standsAlone, 2s)) << "it does not take over";
        EXPECT_TRUE(WaitUntil([&] { return Position(face) == std::make_pair(200, 100); }, 2s)) << "not placed exactly";
        if (cover == 0) cover = MapCover(false, {250, 150, 300, 300});
        EXPECT_TRUE(WaitUntil([&] { return FaceAbove(face, cover); }, 2s)) << "a window opened later covers it";
        e2e::Drag(display, 1, 200 + 76, 100 + 120, 60, 40);
        EXPECT_TRUE(MovedBy(face, {200, 100}, 60, 40)) << Position(face).first << "," << Position(face).second;
        e2e::DoubleClick(display);
        EXPECT_EQ(program->WaitForExit(pid, 3s), 0);
        EXPECT_EQ(program->ReadSettings(), "[Quorl's Zwinkerle]\nTop=2100\nLeft=3900\n");
    }
}

TEST_F(XDesktop, AFullDiskAtTheDoubleClickLosesNothing) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to mount a small tmpfs as the program's folder";
    Begin(false);
    // A disk with room for the program file and little more, filled up.
    test::TempFolder disk;
    const std::uintmax_t room = std::filesystem::file_size(e2e::LinuxProgram().programFile) + (256U << 10);
    if (::mount("tmpfs", disk.Path().c_str(), "tmpfs", 0, ("size=" + std::to_string(room)).c_str()) != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{disk.Path()};
    e2e::Program full(*session->server, disk.Path());
    const std::string stored = "[Quorl's Zwinkerle]\nTop=1500\nLeft=3000\n";
    full.WriteSettings(stored);
    {
        std::ofstream filler(disk.File("filler"), std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size())) {
        }
    }
    pid = full.Start();
    const Window face = e2e::WaitForWindow(display, pid);
    ASSERT_NE(face, 0U);
    ASSERT_TRUE(WaitUntil([&] { return e2e::EyesPainted(display, face); }));
    e2e::MovePointer(display, 200 + 76, 100 + 120);
    e2e::DoubleClick(display);
    EXPECT_EQ(full.WaitForExit(pid, 3s), 0);
    EXPECT_EQ(full.ReadSettings(), stored);
    for (const auto& entry : std::filesystem::directory_iterator(disk.Path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".zwinkerle-settings")) << "a temporary file was left";
}

TEST_F(XDesktop, OneCopyPerDisplayAndNothingLeftBehindByOneThatWasKilled) {
    Begin(false);
    // The same user on a second display: a face there too.
    e2e::XServer second;
    const pid_t first = program->Start();
    const pid_t other = program->Start(second.Name());
    EXPECT_NE(e2e::WaitForWindow(display, first), 0U);
    EXPECT_NE(e2e::WaitForWindow(second.Connection(), other), 0U) << program->Stderr(other);
    // A copy killed outright leaves nothing that keeps the next one away,
    // on its display or elsewhere.
    ::kill(first, SIGKILL);
    ASSERT_EQ(program->WaitForExit(first, 2s), 128 + SIGKILL);
    const pid_t next = program->Start({}, {"XDG_RUNTIME_DIR=", "TMPDIR=/nonexistent"});
    EXPECT_NE(e2e::WaitForWindow(display, next), 0U) << program->Stderr(next);
    const pid_t beside = program->Start(second.Name(), {"XDG_RUNTIME_DIR="});
    EXPECT_EQ(program->WaitForExit(beside, 2s), 0) << "a second copy on the second display";
}

TEST_F(XDesktop, InTheSystemsFoldersPositionsGoToTheAccountsOwnSettingsOrNowhere) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: to install the program under /opt and to run it as nobody";
    Begin(false);
    // Installed for everyone, in a folder of the system's that root can write to.
    struct Installed {
        std::filesystem::path path = "/opt/zwinkerle-test." + std::to_string(std::random_device{}());
        Installed() { std::filesystem::create_directory(path); }
        ~Installed() { std::filesystem::remove_all(path); }
    } installed;
    // Root's own settings, as the user database names its home; kept as they were.
    const std::filesystem::path rootSettings = std::string(::getpwuid(0)->pw_dir) + "/.config/zwinkerle/zwinkerle.ini";
    struct Restore {
        std::filesystem::path file;
        std::optional<std::string> before;
        ~Restore() {
            if (before) std::ofstream(file, std::ios::binary) << *before;
            else std::filesystem::remove(file);
        }
    } restore{rootSettings, std::filesystem::exists(rootSettings) ? std::optional(ReadAll(rootSettings)) : std::nullopt};
    std::filesystem::remove(rootSettings);

    struct Case { const char* name; int user; uid_t homeOwner; bool stored; };
    const Case cases[] = {
        {"root, with another user's home in its environment (sudo -E)", 0, 65534, true},
        {"nobody, whose own home does not exist, with root's in its environment", 65534, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder theirs;
        ASSERT_EQ(::chown(theirs.Path().c_str(), c.homeOwner, c.homeOwner), 0);
        ::chmod(theirs.Path().c_str(), 0777);  // even a home anybody may write to is not theirs
        e2e::Program installedProgram(*session->server, installed.path.string(),
                                      e2e::ForUser(e2e::LinuxProgram(), c.user, theirs.Path()));
        pid = installedProgram.Start();
        const Window face = e2e::WaitForWindow(display, pid);
        ASSERT_NE(face, 0U);
        ASSERT_TRUE(WaitUntil([&] { return Position(face) == std::make_pair(kTopCentreLeft, 0); }));
        e2e::Drag(display, 1, kTopCentreLeft + 76, 120, 40, 30);
        ASSERT_TRUE(WaitUntil([&] { return Position(face) == std::make_pair(kTopCentreLeft + 40, 30); }));
        e2e::DoubleClick(display);
        EXPECT_EQ(installedProgram.WaitForExit(pid, 3s), 0);
        EXPECT_FALSE(std::filesystem::exists(installedProgram.SettingsFile())) << "written into the system's folder";
        EXPECT_EQ(theirs.EntryCount(), 0U) << "written into somebody else's home";
        EXPECT_EQ(std::filesystem::exists(rootSettings), c.stored);
        // The next start finds what was stored, or nothing.
        pid = installedProgram.Start();
        const Window again = e2e::WaitForWindow(display, pid);
        const auto expected = c.stored ? std::make_pair(kTopCentreLeft + 40, 30) : std::make_pair(kTopCentreLeft, 0);
        EXPECT_TRUE(WaitUntil([&] { return Position(again) == expected; })) << Position(again).first;
        e2e::Stop(pid);
        std::filesystem::remove(rootSettings);
    }
}

TEST_F(XDesktop, WithOpenboxNoFrameAndKeptAbove) {
    Begin(true);
    const Window window = StartAndWait();
    EXPECT_EQ(e2e::PropertyLongs(display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL),
              (std::vector<unsigned long>{0, 0, 0, 0}));
    const auto state = e2e::PropertyLongs(display, window, "_NET_WM_STATE", XA_ATOM);
    EXPECT_NE(std::find(state.begin(), state.end(), XInternAtom(display, "_NET_WM_STATE_ABOVE", False)), state.end());
    // The frame openbox puts around it is no larger than the window.
    XWindowAttributes frame{};
    XGetWindowAttributes(display, e2e::TopLevelOf(display, window), &frame);
    EXPECT_EQ(frame.width, kFaceWidth);
    EXPECT_EQ(frame.height, kFaceHeight);

    // On every workspace: switching to another, as a pager does, keeps it shown.
    const Window root = DefaultRootWindow(display);
    const Atom current = XInternAtom(display, "_NET_CURRENT_DESKTOP", False);
    ASSERT_GE(e2e::PropertyLongs(display, root, "_NET_NUMBER_OF_DESKTOPS", XA_CARDINAL).at(0), 2U);
    for (const long workspace : {1L, 0L, 1L}) {
        SCOPED_TRACE("workspace " + std::to_string(workspace));
        XEvent message{};
        message.xclient.type = ClientMessage;
        message.xclient.window = root;
        message.xclient.message_type = current;
        message.xclient.format = 32;
        message.xclient.data.l[0] = workspace;
        XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
        XSync(display, False);
        ASSERT_TRUE(WaitUntil([&] {
            const auto shown = e2e::PropertyLongs(display, root, "_NET_CURRENT_DESKTOP", XA_CARDINAL);
            return !shown.empty() && shown[0] == static_cast<unsigned long>(workspace);
        }));
        // A face left behind is unmapped as the switch happens.
        EXPECT_FALSE(WaitUntil([&] { return e2e::WindowsOf(display, pid).empty(); }, 500ms)) << "left behind";
        const auto [left, top] = Position(window);
        EXPECT_EQ(e2e::GrabScreen(display, left + 76, top + 180, 1, 1).At(0, 0), e2e::FigureFromSource().At(76, 180));
    }
}

TEST_F(XDesktop, WithOpenboxAMinimisedFaceStaysMinimised) {
    Begin(true);
    const Window window = StartAndWait();
    // Past the time of the first retry of a lost map request, which would undo a minimise.
    std::this_thread::sleep_for(1s);
    for (int minimise = 1; minimise <= 2; ++minimise) {
        SCOPED_TRACE("minimise " + std::to_string(minimise));
        XIconifyWindow(display, window, DefaultScreen(display));
        XSync(display, False);
        ASSERT_TRUE(WaitUntil([&] { return e2e::WindowsOf(display, pid).empty(); }, 2s));
        EXPECT_FALSE(WaitUntil([&] { return !e2e::WindowsOf(display, pid).empty(); }, 1500ms))
            << "the face undid the minimise";
        XMapWindow(display, window);  // restored, as from a task list
        XSync(display, False);
        ASSERT_TRUE(WaitUntil([&] { return !e2e::WindowsOf(display, pid).empty(); }, 2s));
    }
}

TEST_F(XDesktop, TheDesktopsDoubleClickTimeCounts) {
    struct Case { const char* name; std::int32_t published; int gapMs; bool ends; };
    const Case cases[] = {
        {"no settings daemon: 400 ms", -1, 700, false},
        {"a desktop that sets 1 s", 1000, 700, true},
        {"a nonsense time of 0 ms: 400 ms", 0, 150, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Begin(false);
        if (c.published >= 0) {  // an XSETTINGS manager, as settings daemons are
            const Window manager = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
            const std::string name = "Net/DoubleClickTime";
            std::string data{'\0', 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, static_cast<char>(name.size()), 0};
            data += name + std::string((4 - name.size() % 4) % 4, '\0') + std::string(4, '\0');
            for (int shift = 0; shift < 32; shift += 8) data += static_cast<char>(c.published >> shift);
            const Atom settings = XInternAtom(display, "_XSETTINGS_SETTINGS", False);
            XChangeProperty(display, manager, settings, settings, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
            XSetSelectionOwner(display, XInternAtom(display, "_XSETTINGS_S0", False), manager, CurrentTime);
            XSync(display, False);
        }
        const auto [left, top] = Position(StartAndWait());
        e2e::MovePointer(display, left + 76, top + 120);
        for (int click = 0; click < 2; ++click) {
            if (click == 1) std::this_thread::sleep_for(std::chrono::milliseconds(c.gapMs));
            e2e::Button(display, 1, true);
            e2e::Button(display, 1, false);
        }
        EXPECT_EQ(program->WaitForExit(pid, 1s).has_value(), c.ends);
    }
}

TEST(TwoMonitors, PositionsAreMeasuredFromThePrimaryMonitorsCornerAsOnWindows) {
    std::unique_ptr<e2e::XServer> server;
    try {
        server = std::make_unique<e2e::XServer>(e2e::XServer::TwoMonitors{});
    } catch (const std::exception& e) {
        GTEST_SKIP() << "no X server with two monitors here (X.Org with its dummy driver): " << e.what();
    }
    // The primary monitor is the right one, from x 1024: where the program's x is 0.
    constexpr int kPrimary = 1024;
    Display* display = server->Connection();
    test::TempFolder folder;
    e2e::Program program(*server, folder);
    pid_t pid = program.Start();
    const Window window = e2e::WaitForWindow(display, pid);
    ASSERT_NE(window, 0U) << program.Stderr(pid);
    EXPECT_TRUE(WaitUntil([&] { return e2e::RootPosition(display, window) == std::make_pair(kPrimary + kTopCentreLeft, 0); }))
        << "not on the primary";
    e2e::MovePointer(display, 100, 700);  // on the other monitor
    EXPECT_TRUE(
        WaitUntil([&] { return e2e::FaceMismatches(display, {kPrimary + kTopCentreLeft, 0}, {100, 700}) == 0; }));

    e2e::Drag(display, 1, kPrimary + kTopCentreLeft + 76, 120, -200, 100);
    ASSERT_TRUE(WaitUntil([&] { return e2e::RootPosition(display, window) == std::make_pair(kPrimary + 238, 100); }));
    e2e::DoubleClick(display);
    EXPECT_EQ(program.WaitForExit(pid, 3s), 0);
    EXPECT_EQ(program.ReadSettings(), "[Quorl's Zwinkerle]\nTop=1500\nLeft=3570\n") << "238 pixels right of the primary's edge";

    struct Case { const char* name; const char* settings; int rootLeft, rootTop; };
    const Case cases[] = {
        {"stored on the primary monitor", "[Quorl's Zwinkerle]\nTop=1500\nLeft=3570\n", kPrimary + 238, 100},
        {"left of the primary: on the other monitor", "[Quorl's Zwinkerle]\nTop=0\nLeft=-9000\n", kPrimary - 600, 0},
        {"left of every monitor", "[Quorl's Zwinkerle]\nTop=0\nLeft=-22500\n", kPrimary + kTopCentreLeft, 0},
    };
    Window again = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        program.WriteSettings(c.settings);
        e2e::Stop(pid);
        pid = program.Start();
        again = e2e::WaitForWindow(display, pid);
        EXPECT_TRUE(WaitUntil([&] { return e2e::RootPosition(display, again) == std::make_pair(c.rootLeft, c.rootTop); }))
            << e2e::RootPosition(display, again).first << "," << e2e::RootPosition(display, again).second;
    }
    // The left monitor unplugged: the screen shrinks to the primary one,
    // which moves to 0, away from the face on it. The face comes back, at
    // the primary's top centre.
    program.WriteSettings("[Quorl's Zwinkerle]\nTop=1500\nLeft=3570\n");
    e2e::Stop(pid);
    pid = program.Start();
    again = e2e::WaitForWindow(display, pid);
    e2e::Run({"xrandr", "--output", "DUMMY1", "--off"}, {"DISPLAY=" + server->Name()});
    EXPECT_TRUE(WaitUntil([&] { return e2e::RootPosition(display, again) == std::make_pair(kTopCentreLeft, 0); }))
        << e2e::RootPosition(display, again).first;
}

TEST(Compositing, WhereACompositorRunsTheCutAwayIsSeeThroughAndTheFaceUnchanged) {
    // Whether one runs is known by its selection; this test holds it.
    e2e::Session session(false);
    Display* display = session.display;
    const Window compositor = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, XInternAtom(display, "_NET_WM_CM_S0", False), compositor, CurrentTime);
    XSync(display, False);
    const Window face = session.StartAndWait();
    ASSERT_NE(face, 0U);
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(display, face, &attributes));
    EXPECT_EQ(attributes.depth, 32) << "no visual with alpha";
    const platform::Image figure = e2e::FigureFromSource();
    for (const int kind : {ShapeBounding, ShapeInput})
        EXPECT_EQ(e2e::ShapeDifferences(display, face, kind, figure, kFaceWidth), 0) << "kept for servers without one";

    // Alpha 0 wherever the face is cut away, opaque on it; and the face's
    // colours on screen as the picture has them, away from the eyes.
    XImage* own = XGetImage(display, face, 0, 0, kFaceWidth, kFaceHeight, AllPlanes, ZPixmap);
    ASSERT_NE(own, nullptr);
    const auto [left, top] = session.Position(face);
    const platform::Image screen = e2e::GrabScreen(display, left, top, kFaceWidth, kFaceHeight);
    int wrongAlpha = 0, wrongColour = 0;
    for (int y = 0; y < kFaceHeight; ++y)
        for (int x = 0; x < kFaceWidth; ++x) {
            const bool onFace = figure.At(x, y) != figure.At(0, 0);
            const unsigned long alpha = XGetPixel(own, x, y) >> 24;
            wrongAlpha += alpha != (onFace ? 0xFFU : 0U) ? 1 : 0;
            const bool nearAnEye = (y - 78) * (y - 78) + std::min((x - 48) * (x - 48), (x - 105) * (x - 105)) <= 36;
            wrongColour += onFace && !nearAnEye && screen.At(x, y) != figure.At(x, y) ? 1 : 0;
        }
    XDestroyImage(own);
    EXPECT_EQ(wrongAlpha, 0);
    EXPECT_EQ(wrongColour, 0);
}

// The rest of the face at each density is in FaceAtDensity.
TEST(HighDensity, WithNoWindowManagerTheFaceRisesOverAWindowBeyondItsSizeInProgramPixels) {
    e2e::Session session(false, e2e::LinuxProgram(192));
    Display* display = session.display;
    const Window window = session.StartAndWait();
    ASSERT_NE(window, 0U);
    const auto corner = session.Position(window);
    // Its lower right, which lies beyond 148 x 230 root pixels.
    XSetWindowAttributes red{};
    red.background_pixel = 0xFF0000;
    const Window cover = XCreateWindow(display, DefaultRootWindow(display), corner.first + 200, 300, 300, 300, 0,
                                       CopyFromParent, InputOutput, CopyFromParent, CWBackPixel, &red);
    XMapRaised(display, cover);
    XSync(display, False);
    EXPECT_TRUE(WaitUntil([&] { return e2e::StackIndex(display, window) > e2e::StackIndex(display, cover); }))
        << "covered for good";
}

}  // namespace
