// session_host.cpp: a session's user and folders, the X socket folder, and
// the processes and X display locks of sessions, from /proc and /tmp.
#include "tools/wayland_desktop/session_host.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tools/x_desktop/x_desktop.h"

namespace e2e {

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* kTestUser = "zwinkerle-test";

}  // namespace

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool OnPath(const std::string& program) {
    if (program.find('/') != std::string::npos) return ::access(program.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) return true;
    return false;
}

int TestUser() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (const passwd* entry = ::getpwnam(kTestUser)) return static_cast<int>(entry->pw_uid);
        Run({"/usr/sbin/useradd", "--system", "--user-group", "--no-create-home", "--home-dir", "/nonexistent", "--shell",
             "/usr/sbin/nologin", kTestUser},
            {});
        if (attempt > 0) std::this_thread::sleep_for(100ms);
    }
    throw std::runtime_error(std::string("cannot make the user ") + kTestUser);
}

void GiveToUser(const std::string& folder, int user) {
    const passwd* entry = ::getpwuid(static_cast<uid_t>(user));
    const gid_t group = entry != nullptr ? entry->pw_gid : static_cast<gid_t>(user);
    const auto give = [&](const fs::path& path) {
        if (::lchown(path.c_str(), static_cast<uid_t>(user), group) != 0)
            throw std::runtime_error("cannot give " + path.string() + " to the session's user");
    };
    give(folder);
    for (const auto& entry : fs::recursive_directory_iterator(folder)) give(entry.path());
}

void PrepareX11SocketFolder() {
    const char* folder = "/tmp/.X11-unix";
    struct stat status {};
    if (::stat(folder, &status) != 0) {
        ::mkdir(folder, 01777);
        ::chmod(folder, 01777);  // past the umask
    } else if (::geteuid() == 0 && (status.st_mode & 07777) != 01777) {
        ::chmod(folder, 01777);
    }
}

namespace {

// X servers' display locks in /tmp: the display's number, and the pid the
// lock holds.
struct XLock {
    fs::path path;
    std::string display;
    pid_t pid = 0;
};
std::vector<XLock> XLocks() {
    std::vector<XLock> locks;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator("/tmp", ignored)) {
        const std::string name = entry.path().filename();
        if (!name.starts_with(".X") || !name.ends_with("-lock")) continue;
        locks.push_back({entry.path(), name.substr(2, name.size() - 2 - 5), std::atoi(ReadFile(entry.path()).c_str())});
    }
    return locks;
}

}  // namespace

void RemoveStaleXLocks(uid_t user) {
    std::error_code ignored;
    for (const XLock& lock : XLocks()) {
        struct stat status {};
        if (::lstat(lock.path.c_str(), &status) != 0 || status.st_uid != user) continue;
        // Ended: gone, or a zombie that nobody reaps.
        const std::string stat = lock.pid > 0 ? ReadFile("/proc/" + std::to_string(lock.pid) + "/stat") : "x";
        if (!stat.empty() && stat.find(") Z ") == std::string::npos) continue;
        fs::remove("/tmp/.X11-unix/X" + lock.display, ignored);
        fs::remove(lock.path, ignored);
    }
}

std::string DisplayLockedBy(pid_t pid) {
    for (const XLock& lock : XLocks())
        if (lock.pid == pid) return ":" + lock.display;
    return "";
}

std::vector<Process> Processes(const std::string& mark) {
    std::vector<Process> found;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator("/proc", ignored)) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        Process process;
        process.pid = std::stoi(name);
        const std::string stat = ReadFile(entry.path() / "stat");
        const auto open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;  // gone meanwhile
        process.name = stat.substr(open + 1, close - open - 1);
        std::istringstream rest(stat.substr(close + 2));
        rest >> process.state >> process.parent >> process.group;
        std::stringstream cmdline(ReadFile(entry.path() / "cmdline"));
        for (std::string argument; std::getline(cmdline, argument, '\0');) process.arguments.push_back(argument);
        const std::string environment = '\0' + ReadFile(entry.path() / "environ");
        process.marked = !mark.empty() && environment.find('\0' + mark + '\0') != std::string::npos;
        found.push_back(std::move(process));
    }
    return found;
}

}  // namespace e2e
