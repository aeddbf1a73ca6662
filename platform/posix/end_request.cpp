// end_request.cpp: the ending signals through a signalfd.
#include "platform/posix/end_request.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <initializer_list>

namespace platform::posix {

namespace {

sigset_t EndingSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&signals, signal);
    return signals;
}

}  // namespace

EndRequest::EndRequest() {
    const sigset_t signals = EndingSignals();
    if (::sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) return;
    fd_ = ::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd_ < 0) ::sigprocmask(SIG_UNBLOCK, &signals, nullptr);
}

EndRequest::~EndRequest() {
    if (fd_ < 0) return;
    ::close(fd_);
    const sigset_t signals = EndingSignals();
    ::sigprocmask(SIG_UNBLOCK, &signals, nullptr);
}

bool EndRequest::Received() {
    signalfd_siginfo info{};
    bool received = false;
    while (fd_ >= 0 && ::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) received = true;
    return received;
}

}  // namespace platform::posix
