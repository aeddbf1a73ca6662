// compositor_test.cpp: what the benchmark counts on in the Wayland compositor
// driver, on sway, KWin and GNOME Shell: the process it names is the
// compositor's. (Its windows, screenshots, clicks and drags are tested by
// every case of the program on the same compositors.)
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <sstream>
#include <vector>

#include "tests/e2e/compositor_session.h"
#include "tools/wayland_desktop/compositor.h"
#include "tools/wayland_desktop/session_host.h"

namespace e2e {

namespace {

struct Desktop {
    CompositorKind kind;
    Compositor::Options options{};
};

void PrintTo(const Desktop& desktop, std::ostream* out) { *out << Name(desktop.kind); }

const Desktop kDesktops[] = {{CompositorKind::Sway}, {CompositorKind::KWin}, {CompositorKind::Gnome}};

class CompositorTest : public OnCompositor<Desktop> {};

// The compositor's process is the one that serves the session's Wayland
// socket, alive as long as the session: what a benchmark measures.
TEST_P(CompositorTest, ItsProcessServesTheSession) {
    std::string runtimeDir, waylandDisplay;
    for (const std::string& assignment : desktop->Environment()) {
        if (assignment.starts_with("XDG_RUNTIME_DIR=")) runtimeDir = assignment.substr(16);
        if (assignment.starts_with("WAYLAND_DISPLAY=")) waylandDisplay = assignment.substr(16);
    }
    const std::string socket = runtimeDir + "/" + waylandDisplay;
    // Its inode, from the kernel's list of Unix sockets: "... Inode Path".
    std::string inode;
    std::istringstream sockets(ReadFile("/proc/net/unix"));
    for (std::string line; std::getline(sockets, line);) {
        std::istringstream fields(line);
        std::vector<std::string> field{std::istream_iterator<std::string>(fields), {}};
        if (field.size() == 8 && field[7] == socket) inode = field[6];
    }
    ASSERT_FALSE(inode.empty()) << "nobody listens on " << socket;
    const std::string process = "/proc/" + std::to_string(desktop->Pid());
    const std::string stat = ReadFile(process + "/stat");
    ASSERT_FALSE(stat.empty()) << "process " << desktop->Pid() << " has ended";
    EXPECT_EQ(stat.find(") Z "), std::string::npos) << "process " << desktop->Pid() << " has ended";
    bool holds = false;
    std::error_code ignored;
    for (const auto& fd : std::filesystem::directory_iterator(process + "/fd", ignored))
        holds = holds || std::filesystem::read_symlink(fd.path(), ignored) == "socket:[" + inode + "]";
    EXPECT_TRUE(holds) << "process " << desktop->Pid() << " does not hold " << socket;
}

INSTANTIATE_TEST_SUITE_P(Compositors, CompositorTest, testing::ValuesIn(kDesktops), CompositorName<Desktop>);

}  // namespace
}  // namespace e2e
