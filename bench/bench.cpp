// bench.cpp: the program beside the floor (a client that only asks for the
// pointer every 70 ms) and xeyes, each alone on an Xvfb of its own, over one
// pointer path: moving, then at rest. The Windows program under Wine beside
// a Windows program that does nothing (a window, a message loop, no timer).
// Prints a Markdown table.
//
// Usage: zw_bench BUILD_FOLDER ROUNDS SCRATCH_FOLDER [ZWINKERLE_EXE [IDLE_EXE]]
// The runs are interleaved, ROUNDS of each, and each program's quieter run
// counts: the machine's noise only ever adds.
#include <X11/Xlib.h>
#include <dirent.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "bench/pointer_path.h"
#include "bench/process_cost.h"
#include "tools/x_desktop/x_desktop.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kMoving = 20s;
constexpr auto kResting = 10s;
constexpr auto kTracedMoving = 5s;
constexpr double kTickMs = 70.0;

struct Subject {
    std::string name;
    std::vector<std::string> argv;
    std::vector<std::string> environment;
};

struct Figures {
    double ownMoving = 0, serverMoving = 0;  // CPU, ms per s
    double ownResting = 0, serverResting = 0;
    double wakeupsResting = 0;                // voluntary context switches per s
    double requestsPerTick = 0, bytesPerTick = 0;
    long rssStartKiB = 0, rssEndKiB = 0;
    double mappedMs = NAN;                    // exec to the first window mapped
    double Noise() const { return ownMoving + serverMoving + ownResting + serverResting; }
};

// The pointer's path over most of Xvfb's screen.
void MovePointerFor(Display* display, Clock::duration span) {
    bench::FollowPath({512, 420, 400, 300}, span, [&](int x, int y) { e2e::MovePointer(display, x, y); });
}

// The process of the subject's program: in the process group it was started
// in, the one whose command line names the program file, since a loader
// (Wine) or a tracer may stand between.
pid_t ProgramProcess(pid_t group, const Subject& subject) {
    const std::string& path = subject.argv.back();
    const std::string file = path.substr(path.find_last_of("/\\") + 1);
    if (DIR* dir = ::opendir("/proc")) {
        while (const dirent* entry = ::readdir(dir)) {
            const pid_t pid = std::atoi(entry->d_name);
            if (pid <= 0 || ::getpgid(pid) != group) continue;
            if (bench::ReadText("/proc/" + std::to_string(pid) + "/cmdline").find(file) != std::string::npos) {
                ::closedir(dir);
                return pid;
            }
        }
        ::closedir(dir);
    }
    return group;
}

Figures Measure(const Subject& subject) {
    Figures f;
    e2e::XServer server;
    Display* display = server.Connection();
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    e2e::MovePointer(display, 900, 700);
    std::vector<std::string> environment = subject.environment;
    environment.push_back("DISPLAY=" + server.Name());

    const auto exec = Clock::now();
    const pid_t spawned = e2e::Spawn(subject.argv, environment);
    const auto deadline = exec + (subject.name == "floor" ? 500ms : 30s);
    while (std::isnan(f.mappedMs) && Clock::now() < deadline) {
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        ::poll(&connection, 1, 5);
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && std::isnan(f.mappedMs))
                f.mappedMs = std::chrono::duration<double, std::milli>(Clock::now() - exec).count();
        }
    }
    std::this_thread::sleep_for(2s);
    const pid_t pid = ProgramProcess(spawned, subject);
    f.rssStartKiB = bench::StatusField(pid, "VmRSS");

    const bench::Cost moving = bench::CostDuring(pid, {server.Pid()}, [&] { MovePointerFor(display, kMoving); });
    f.ownMoving = moving.cpuMs;
    f.serverMoving = moving.besideMs[0];
    std::this_thread::sleep_for(1s);  // let the last motion settle
    const bench::Cost resting = bench::CostDuring(pid, {server.Pid()}, [&] { std::this_thread::sleep_for(kResting); });
    f.ownResting = resting.cpuMs;
    f.serverResting = resting.besideMs[0];
    f.wakeupsResting = resting.wakeups;
    f.rssEndKiB = bench::StatusField(pid, "VmRSS");
    e2e::Stop(spawned);
    return f;
}

// Requests and their bytes while the pointer moves, through an X protocol
// tracer, per 70 ms.
void MeasureRequests(const Subject& subject, Figures& f, const std::string& scratch) {
    e2e::XServer server;
    Display* display = server.Connection();
    const std::string log = scratch + "/xtrace-" + subject.name + ".log";
    std::vector<std::string> argv = {"xtrace", "-n", "-d", server.Name(), "-D", ":" + std::to_string(200 + ::getpid() % 50),
                                     "-o", log, "--"};
    argv.insert(argv.end(), subject.argv.begin(), subject.argv.end());
    const pid_t tracer = e2e::Spawn(argv, subject.environment);
    std::this_thread::sleep_for(subject.argv.front() == "wine" ? 8s : 3s);
    MovePointerFor(display, 1s);
    const auto start = bench::ReadText(log).size();
    MovePointerFor(display, kTracedMoving);
    const std::string moving = bench::ReadText(log).substr(start);
    e2e::Stop(tracer);
    static const std::regex request(R"(^\d+:<:[0-9a-f]+:\s*(\d+): )");
    long requests = 0, bytes = 0;
    std::istringstream lines(moving);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_search(line, match, request)) ++requests, bytes += std::stol(match[1]);
    }
    const double ticks = std::chrono::duration<double, std::milli>(kTracedMoving).count() / kTickMs;
    f.requestsPerTick = requests / ticks;
    f.bytesPerTick = bytes / ticks;
}

// Whether a program's eyes follow the synthetic pointer: the screen must
// differ with the pointer on either side of it.
bool FollowsThePointer(const Subject& subject) {
    e2e::XServer server;
    Display* display = server.Connection();
    std::vector<std::string> environment = subject.environment;
    environment.push_back("DISPLAY=" + server.Name());
    const pid_t pid = e2e::Spawn(subject.argv, environment);
    std::this_thread::sleep_for(2s);
    e2e::MovePointer(display, 1000, 10);
    std::this_thread::sleep_for(500ms);
    const platform::Image right = e2e::GrabScreen(display, 0, 0, 1024, 300);
    e2e::MovePointer(display, 10, 700);
    std::this_thread::sleep_for(500ms);
    const platform::Image left = e2e::GrabScreen(display, 0, 0, 1024, 300);
    e2e::Stop(pid);
    return right.pixels != left.pixels;
}

std::string Fixed(double value, int decimals) {
    if (std::isnan(value)) return "n/a";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s BUILD_FOLDER ROUNDS SCRATCH_FOLDER [ZWINKERLE_EXE [IDLE_EXE]]\n", argv[0]);
        return 2;
    }
    const std::string build = argv[1];
    const int rounds = std::max(1, std::atoi(argv[2]));
    const std::string scratch = argv[3];
    const bool wine = argc > 4;
    std::vector<Subject> subjects = {
        {"floor", {build + "/bench/zw_floor"}, {}},
        {"zwinkerle", {build + "/zwinkerle"}, {"XDG_RUNTIME_DIR=" + scratch}},
        {"xeyes", {"xeyes"}, {}},
    };
    const std::vector<std::string> wineEnvironment{"WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml=",
                                                   "WINEPREFIX=" + scratch + "/wine"};
    if (wine) subjects.push_back({"Zwinkerle.exe (Wine)", {"wine", argv[4]}, wineEnvironment});
    const bool idle = argc > 5;
    if (idle) subjects.push_back({"idle Windows program (Wine)", {"wine", argv[5]}, wineEnvironment});

    std::fprintf(stderr, "xeyes follows the synthetic pointer: %s\n", FollowsThePointer(subjects[2]) ? "yes" : "NO");
    std::map<std::string, Figures> quietest;
    for (int round = 1; round <= rounds; ++round)
        for (const Subject& subject : subjects) {
            std::fprintf(stderr, "round %d: %s\n", round, subject.name.c_str());
            const Figures f = Measure(subject);
            const auto found = quietest.find(subject.name);
            if (found == quietest.end() || f.Noise() < found->second.Noise()) quietest[subject.name] = f;
        }
    for (const Subject& subject : subjects) MeasureRequests(subject, quietest[subject.name], scratch);

    const Figures& floor = quietest["floor"];
    const Figures& ours = quietest["zwinkerle"];
    const Figures& xeyes = quietest["xeyes"];
    std::printf("| | floor | zwinkerle | xeyes |%s%s zwinkerle ÷ floor | zwinkerle ÷ xeyes |\n",
                wine ? " Zwinkerle.exe (Wine) |" : "", idle ? " idle Windows program (Wine) |" : "");
    std::printf("|---|---|---|---|%s%s---|---|\n", wine ? "---|" : "", idle ? "---|" : "");
    const auto row = [&](const char* what, auto value, int decimals) {
        std::printf("| %s | %s | %s | %s |", what, Fixed(value(floor), decimals).c_str(), Fixed(value(ours), decimals).c_str(),
                    Fixed(value(xeyes), decimals).c_str());
        if (wine) std::printf(" %s |", Fixed(value(quietest["Zwinkerle.exe (Wine)"]), decimals).c_str());
        if (idle) std::printf(" %s |", Fixed(value(quietest["idle Windows program (Wine)"]), decimals).c_str());
        std::printf(" %s | %s |\n", Fixed(value(ours) / value(floor), 2).c_str(), Fixed(value(ours) / value(xeyes), 2).c_str());
    };
    row("CPU moving, own + X server (ms/s)", [](const Figures& f) { return f.ownMoving + f.serverMoving; }, 3);
    row("  own", [](const Figures& f) { return f.ownMoving; }, 3);
    row("  X server", [](const Figures& f) { return f.serverMoving; }, 3);
    row("CPU at rest, own + X server (ms/s)", [](const Figures& f) { return f.ownResting + f.serverResting; }, 3);
    row("  own", [](const Figures& f) { return f.ownResting; }, 3);
    row("  X server", [](const Figures& f) { return f.serverResting; }, 3);
    row("wake-ups at rest (per s)", [](const Figures& f) { return f.wakeupsResting; }, 1);
    row("X requests per 70 ms, moving", [](const Figures& f) { return f.requestsPerTick; }, 2);
    row("X request bytes per 70 ms, moving", [](const Figures& f) { return f.bytesPerTick; }, 0);
    row("resident memory at start (KiB)", [](const Figures& f) { return static_cast<double>(f.rssStartKiB); }, 0);
    row("resident memory after the run (KiB)", [](const Figures& f) { return static_cast<double>(f.rssEndKiB); }, 0);
    row("exec to window mapped (ms)", [](const Figures& f) { return f.mappedMs; }, 1);
    return 0;
}
