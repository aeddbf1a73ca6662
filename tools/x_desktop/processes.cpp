// processes.cpp: starting programs, as another user where asked, and
// ending them.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "tools/x_desktop/x_desktop.h"

namespace e2e {

using namespace std::chrono_literals;

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
            const std::string& stderrFile, int keepFd, int user, int stdinFd, int stdoutFd) {
    // Looked up before the fork: the child may only make async-signal-safe calls.
    gid_t group = static_cast<gid_t>(user);
    if (const passwd* entry = user >= 0 ? ::getpwuid(static_cast<uid_t>(user)) : nullptr) group = entry->pw_gid;
    const std::string cannotRun =
        "cannot run " + argv.front() + (user >= 0 ? " as uid " + std::to_string(user) : "") + ": ";
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::setpgid(0, 0);
    const bool asUser =
        user < 0 || (::setgroups(0, nullptr) == 0 && ::setgid(group) == 0 && ::setuid(static_cast<uid_t>(user)) == 0);
    int failure = errno;
    for (const std::string& assignment : environment) {
        if (assignment.find('=') == std::string::npos)
            ::unsetenv(assignment.c_str());
        else
            ::putenv(const_cast<char*>(assignment.c_str()));
    }
    const int devNull = ::open("/dev/null", O_RDWR);
    ::dup2(stdinFd >= 0 ? stdinFd : devNull, STDIN_FILENO);
    ::dup2(stdoutFd >= 0 ? stdoutFd : devNull, STDOUT_FILENO);
    const int err = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(err >= 0 ? err : devNull, STDERR_FILENO);
    for (int fd = 3; fd < 1024; ++fd)
        if (fd != keepFd) ::close(fd);
    if (asUser) {
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        failure = errno;
    }
    // Whoever reads the log learns why, in words from a table that needs no
    // allocation.
    const char* why = ::strerrordesc_np(failure);
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, cannotRun.data(), cannotRun.size()) +
                                          ::write(STDERR_FILENO, why, std::strlen(why)) + ::write(STDERR_FILENO, "\n", 1);
    ::_exit(asUser ? 127 : 126);
}

int Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int user) {
    int status = 0;
    ::waitpid(Spawn(argv, environment, "/dev/null", -1, user), &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

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

std::string NotRunnableBy(int user, const std::string& program) {
    if (user < 0 || Run({"test", "-x", program}, {}, user) == 0) return "";
    return "uid " + std::to_string(user) + " cannot run " + program +
           ": a folder above it is closed to that user, who runs it in these tests (a private TMPDIR?)";
}

}  // namespace e2e
