// pointer_process.cpp: our pointer-device client, run inside the session and
// driven over pipes.
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tools/wayland_desktop/means.h"
#include "tools/x_desktop/x_desktop.h"

namespace e2e {

PointerProcess::PointerProcess(const Compositor& compositor) : log_(compositor.Folder() + "/pointer.log") {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    // The session's own copy: the session's user may not reach the build.
    pid_ = Spawn({compositor.Folder() + "/bin/wayland_pointer", std::to_string(Compositor::kWidth),
                  std::to_string(Compositor::kHeight)},
                 compositor.Environment(), log_, -1, compositor.User(), in[0], out[1]);
    ::close(in[0]);
    ::close(out[1]);
    to_ = in[1];
    from_ = out[0];
    if (ReadLine() != "ready") {
        std::stringstream why;
        why << std::ifstream(log_).rdbuf();
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            why << (WIFEXITED(status) ? "exit code " + std::to_string(WEXITSTATUS(status))
                                      : "ended by signal " + std::to_string(WTERMSIG(status)));
        } else {
            why << "no answer in 10 s";
            Stop(pid_);
        }
        ::close(to_);
        ::close(from_);
        throw std::runtime_error("no pointer device: " + why.str());
    }
}

PointerProcess::~PointerProcess() {
    if (to_ >= 0) ::close(to_);
    if (from_ >= 0) ::close(from_);
    Stop(pid_);
}

void PointerProcess::Send(const std::string& command) {
    const std::string line = command + "\n";
    if (::write(to_, line.data(), line.size()) != static_cast<ssize_t>(line.size()) || ReadLine() != "ok")
        throw std::runtime_error("the pointer device did not take \"" + command + "\"");
}

std::string PointerProcess::ReadLine() {
    std::string line;
    char c = 0;
    for (;;) {
        pollfd readable{from_, POLLIN, 0};
        if (::poll(&readable, 1, 10'000) != 1 || ::read(from_, &c, 1) != 1) return line;
        if (c == '\n') return line;
        line += c;
    }
}

}  // namespace e2e
