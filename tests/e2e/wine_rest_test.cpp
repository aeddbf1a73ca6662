// The Windows program under Wine, which tells it of the pointer over its
// own windows only: its eyes follow the pointer anywhere; once the system
// has reported a move of the cursor, as Windows does, it rests beside a
// Windows program that does nothing, in the same session, waking no more
// and spending no more; then it follows again at once, woken by what Wine
// reports.
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/face_scenarios.h"

namespace {

using namespace std::chrono_literals;

// What a process has used: CPU time in ms, and how often it went to sleep
// on its own, which is how often something woke it.
struct Use {
    double cpuMs = 0;
    long wakeups = 0;
    Use operator-(const Use& before) const { return {cpuMs - before.cpuMs, wakeups - before.wakeups}; }
};

Use UseOf(pid_t pid) {
    Use use;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        double ns = 0;
        std::ifstream(task.path() / "schedstat") >> ns;
        use.cpuMs += ns / 1e6;
        std::ifstream status(task.path() / "status");
        for (std::string field; status >> field;)
            if (field == "voluntary_ctxt_switches:") status >> use.wakeups;  // one line per task
    }
    return use;
}

// What the face's Windows programs need to run on the session's desktop.
std::vector<std::string> WineEnvironment(const e2e::Session& session) {
    std::vector<std::string> environment = e2e::WindowsProgram(ZW_WINDOWS_PROGRAM, ZW_WINE_PREFIX).environment;
    environment.push_back("DISPLAY=" + session.server->Name());
    return environment;
}

// Whether the process is at rest: a second without a wake-up, within 10 s.
bool Rests(pid_t pid) {
    return e2e::WaitUntil([&] {
        const Use before = UseOf(pid);
        std::this_thread::sleep_for(1s);
        return (UseOf(pid) - before).wakeups == 0;
    }, 10s);
}

TEST(WineRest, TheEyesFollowEverywhereAndTheFaceRestsOnceTheSystemReportsTheCursor) {
    e2e::Session session(false, e2e::WindowsProgram(ZW_WINDOWS_PROGRAM, ZW_WINE_PREFIX));
    Display* display = session.display;
    const Window face = session.StartAndWait();
    ASSERT_NE(face, 0U) << session.program->Stderr(session.pid);
    test::TempFolder idleFolder;
    e2e::Launcher idleLauncher = e2e::WindowsProgram(ZW_IDLE_PROGRAM, ZW_WINE_PREFIX);
    idleLauncher.fileName = "Idle.exe";
    e2e::Program idle(*session.server, idleFolder, idleLauncher);
    const pid_t idlePid = idle.Start();
    ASSERT_NE(e2e::WaitForWindow(display, idlePid, idle.Patience()), 0U) << idle.Stderr(idlePid);
    const auto corner = session.Position(face);
    const auto follows = [&](std::pair<int, int> pointer, std::chrono::milliseconds within) {
        e2e::MovePointer(display, pointer.first, pointer.second);
        return e2e::WaitUntil([&] { return e2e::FaceMismatches(display, corner, pointer) == 0; }, within);
    };

    // Wine reports the pointer over its own windows only, and never a move
    // of the cursor: the face keeps ticking, and follows the pointer away
    // from Wine's windows after it held still for longer than a rest takes.
    struct Jump { const char* name; std::pair<int, int> pointer; };
    const Jump jumps[] = {{"to the far right at eye height", {1020, corner.second + 78}},
                          {"to the top-left corner", {0, 0}}, {"to the bottom right", {1023, 767}}};
    for (const Jump& jump : jumps) {
        SCOPED_TRACE(jump.name);
        std::this_thread::sleep_for(1s);  // the hand holds still, for seven times as long as resting takes
        EXPECT_TRUE(follows(jump.pointer, 2s));
    }

    // Once the system has reported a move of the cursor, as Windows does at
    // every one, the face rests: beside a Windows program that does
    // nothing, in the same session, it wakes no more and spends no more.
    ASSERT_EQ(e2e::Run({"wine", ZW_CURSOR_REPORT}, WineEnvironment(session)), 0);
    e2e::MovePointer(display, 900, 700);
    ASSERT_TRUE(Rests(session.pid)) << "the face never rests";
    const Use faceBefore = UseOf(session.pid), idleBefore = UseOf(idlePid);
    std::this_thread::sleep_for(3s);  // the span measured
    const Use ours = UseOf(session.pid) - faceBefore, idles = UseOf(idlePid) - idleBefore;
    EXPECT_LE(ours.wakeups, idles.wakeups);
    EXPECT_LE(ours.cpuMs, idles.cpuMs * 1.2 + 1.0) << "ms of CPU in 3 s";

    // Then it follows again at once, woken by what Wine reports: the
    // pointer over the face, and over the idle program's window at
    // (20, 500), through raw input.
    struct Case { const char* name; std::pair<int, int> pointer; };
    const Case cases[] = {{"onto the face", {corner.first + 76, corner.second + 200}},
                          {"across another Windows program's window", {120, 575}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Rests(session.pid));
        EXPECT_TRUE(follows(c.pointer, 1s));
    }
}

}  // namespace
