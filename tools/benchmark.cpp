// benchmark.cpp: prints the figures behind "no CPU drain" and a quick start.
//
// In memory: the cost of shaping the figure window and of one eye-tracking
// tick. On Xvfb: the real program's start-up time, CPU use while idle and
// while the pointer moves, and resident memory.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

// Before any X header: Xlib's macros clash with the program's names.
#include "figure_window/fMouseWatch.h"
#include "platform/headless/headless_desktop.h"
// The X session last.
#include "tests/e2e/x_session.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double MicrosecondsPer(int runs, const std::function<void()>& work) {
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i) work();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / runs;
}

// User plus system CPU seconds of a process so far.
double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) fields >> skip;  // state .. cmajflt
    double user = 0, system = 0;
    fields >> user >> system;
    return (user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

long ResidentKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

}  // namespace

int main() {
    platform::headless::ResetDesktop();
    fMouseWatch watch;
    platform::Form& form = watch.Me();
    std::printf("%-52s %8.1f us\n", "shaping the figure window, test desktop (logs calls):",
                MicrosecondsPer(50, [&] { watch.Trimmer->TrimForm(form); }));
    std::printf("%-52s %8.2f us\n", "one eye-tracking tick, test desktop:",
                MicrosecondsPer(20000, [&] { watch.tmr_Timer(); }));

    e2e::XServer server;
    test::TempFolder folder;
    e2e::Program program(server, folder);
    const auto started = Clock::now();
    const pid_t pid = program.Start();
    if (e2e::WaitForWindow(server.Connection(), pid) == 0) {
        std::fprintf(stderr, "the program showed no window\n");
        return 1;
    }
    std::printf("%-52s %8.1f ms\n", "start to visible window on Xvfb:",
                std::chrono::duration<double, std::milli>(Clock::now() - started).count());

    constexpr auto kSpan = 5s;
    double before = CpuSeconds(pid);
    std::this_thread::sleep_for(kSpan);
    std::printf("%-52s %8.2f %% of one core\n", "CPU while idle, pointer still:",
                100.0 * (CpuSeconds(pid) - before) / std::chrono::duration<double>(kSpan).count());

    before = CpuSeconds(pid);
    const auto moving = Clock::now();
    for (int step = 0; Clock::now() - moving < kSpan; ++step) {
        e2e::MovePointer(server.Connection(), 100 + (step * 7) % 800, 300 + (step * 3) % 400);
        std::this_thread::sleep_for(10ms);
    }
    std::printf("%-52s %8.2f %% of one core\n", "CPU while the pointer moves:",
                100.0 * (CpuSeconds(pid) - before) / std::chrono::duration<double>(Clock::now() - moving).count());
    std::printf("%-52s %8ld KiB\n", "resident memory:", ResidentKiB(pid));
    return 0;
}
