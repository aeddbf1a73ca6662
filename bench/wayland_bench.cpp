// wayland_bench.cpp: the program on sway, KWin and GNOME Shell, each run
// headless once, over a full-screen native window: what it and the
// compositor cost while the pointer moves over that window and at rest, and
// whether its eyes followed the pointer there. Prints a Markdown table.
//
// Usage: zw_wayland_bench [DESKTOP...]   (sway, KWin, GNOME; all by default)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/pointer_path.h"
#include "bench/process_cost.h"
#include "tests/e2e/x_session.h"
#include "tests/temp_folder.h"
#include "tools/wayland_desktop/compositor.h"
#include "tools/wayland_desktop/pointer_reporter.h"
#include "tools/wayland_desktop/session_host.h"

namespace {

using namespace std::chrono_literals;
using e2e::Compositor;
using e2e::CompositorKind;

constexpr auto kMoving = 10s;
constexpr auto kResting = 10s;
constexpr int kFaceWidth = 148, kFaceHeight = 230;
// The face at the left, the pointer's path right of it: always over the
// native window, never over the face, where Xwayland would see it.
constexpr std::pair<int, int> kCorner{40, 285};
constexpr bench::PathBox kPath{780, 400, 440, 320};
// Two points of that window where the pupils look differently.
constexpr std::pair<int, int> kLookAt[] = {{1200, 100}, {1200, 700}};
constexpr platform::Colour kNativeColour = platform::RGB(0x1E, 0xB4, 0x5A);

struct Row {
    std::string desktop;
    std::string failure;  // why it has no figures
    bool followed = false;
    // The compositor alone, the program not yet started: its CPU and
    // Xwayland's beside it.
    bench::Cost alone;
    // The program's; beside it the compositor and Xwayland.
    bench::Cost moving, resting;
};

// The compositor's Xwayland: the one serving its display.
pid_t XwaylandOf(const Compositor& desktop) {
    const std::string display = desktop.Environment().front().substr(8);  // DISPLAY=...
    for (const e2e::Process& process : e2e::Processes(""))
        if (process.name == "Xwayland" &&
            std::find(process.arguments.begin(), process.arguments.end(), display) != process.arguments.end())
            return process.pid;
    throw std::runtime_error("no Xwayland on " + display);
}

// Whether the eyes of the face at kCorner look at each point in turn, each
// within a few seconds, as the compositor shows them.
bool EyesFollow(Compositor& desktop) {
    for (const auto& [x, y] : kLookAt) {
        desktop.MovePointer(x, y);
        const bool looked = e2e::WaitUntil([&, x = x, y = y] {
            const platform::Image face = desktop.Screenshot(kCorner.first, kCorner.second, kFaceWidth, kFaceHeight);
            return e2e::PupilsLookAt(face, kCorner.first, kCorner.second, x, y);
        }, 3s);
        if (!looked) return false;
    }
    return true;
}

Row Measure(CompositorKind kind) {
    Row row;
    row.desktop = e2e::Name(kind);
    if (row.failure = e2e::Unavailable(kind); !row.failure.empty()) return row;
    Compositor::Options options;
    if (kind == CompositorKind::Gnome) options.gnomeExtensions = {ZW_GNOME_EXTENSION_43};
    Compositor desktop(kind, options);
    std::fprintf(stderr, "%s started in %lld ms\n", row.desktop.c_str(),
                 static_cast<long long>(desktop.StartupTime().count()));
    const e2e::NativeWindow behind = desktop.OpenNativeWindow(kNativeColour, true);
    const pid_t xwayland = XwaylandOf(desktop);
    std::fprintf(stderr, "%s: compositor %d, Xwayland %d\n", row.desktop.c_str(), static_cast<int>(desktop.Pid()),
                 static_cast<int>(xwayland));
    const auto move = [&](int x, int y) { desktop.MovePointer(x, y); };
    row.alone = bench::CostDuring(desktop.Pid(), {xwayland}, [&] { bench::FollowPath(kPath, kMoving, move); });

    // The program as the session's user, in a folder of its own.
    test::TempFolder folder("zwinkerle-bench.");
    if (desktop.User() >= 0) e2e::GiveToUser(folder.Path(), desktop.User());
    e2e::Launcher launcher = e2e::LinuxProgram();
    launcher.environment = desktop.Environment();
    launcher.user = desktop.User();
    e2e::Program program(desktop.Environment().front().substr(8), desktop.XConnection(), folder.Path(), launcher);
    program.WriteSettings("[Quorl's Zwinkerle]\nTop=" + std::to_string(kCorner.second * 15) + "\nLeft=" +
                          std::to_string(kCorner.first * 15) + "\n");
    const pid_t pid = program.Start();
    const Window face = e2e::WaitForWindow(desktop.XConnection(), pid, 10s);
    if (face == 0) throw std::runtime_error("the face did not show: " + program.Stderr(pid));
    if (!e2e::WaitUntil([&] { return e2e::RootPosition(desktop.XConnection(), face) == kCorner; }, 10s))
        throw std::runtime_error("the face is not where it was stored");
    if (const std::string missing = e2e::WaitForPointerReporter(desktop, pid, 30s); !missing.empty())
        std::fprintf(stderr, "%s: %s\n", row.desktop.c_str(), missing.c_str());

    row.followed = EyesFollow(desktop);
    std::this_thread::sleep_for(1s);  // the screenshots' work done
    row.moving = bench::CostDuring(pid, {desktop.Pid(), xwayland}, [&] { bench::FollowPath(kPath, kMoving, move); });
    std::this_thread::sleep_for(1s);  // let the last motion settle
    row.resting = bench::CostDuring(pid, {desktop.Pid(), xwayland}, [&] { std::this_thread::sleep_for(kResting); });
    return row;
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> wanted(argv + 1, argv + argc);
    std::vector<Row> rows;
    for (const CompositorKind kind : {CompositorKind::Sway, CompositorKind::KWin, CompositorKind::Gnome}) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), e2e::Name(kind)) == wanted.end()) continue;
        std::fprintf(stderr, "%s\n", e2e::Name(kind));
        try {
            rows.push_back(Measure(kind));
        } catch (const std::exception& error) {
            const std::string what = error.what();
            rows.emplace_back();
            rows.back().desktop = e2e::Name(kind);
            rows.back().failure = what.substr(0, what.find('\n'));
        }
        if (!rows.back().failure.empty()) std::fprintf(stderr, "%s\n", rows.back().failure.c_str());
    }

    std::printf("| | eyes followed over the native window | CPU moving, own (ms/s) | wake-ups moving (per s) | "
                "CPU moving, compositor (ms/s): with the program (without) | CPU moving, Xwayland (ms/s): with (without) | "
                "CPU at rest, own (ms/s) | wake-ups at rest (per s) | CPU at rest, compositor (ms/s) | "
                "CPU at rest, Xwayland (ms/s) |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Row& row : rows) {
        if (!row.failure.empty()) {
            std::printf("| %s | not measured: %s | | | | | | | | |\n", row.desktop.c_str(), row.failure.c_str());
            continue;
        }
        std::printf("| %s | %s | %s | %s | %s (%s) | %s (%s) | %s | %s | %s | %s |\n", row.desktop.c_str(),
                    row.followed ? "yes" : "no", Fixed(row.moving.cpuMs, 3).c_str(), Fixed(row.moving.wakeups, 1).c_str(),
                    Fixed(row.moving.besideMs[0], 1).c_str(), Fixed(row.alone.cpuMs, 1).c_str(),
                    Fixed(row.moving.besideMs[1], 2).c_str(), Fixed(row.alone.besideMs[0], 2).c_str(),
                    Fixed(row.resting.cpuMs, 3).c_str(), Fixed(row.resting.wakeups, 1).c_str(),
                    Fixed(row.resting.besideMs[0], 2).c_str(), Fixed(row.resting.besideMs[1], 2).c_str());
    }
    return 0;
}
