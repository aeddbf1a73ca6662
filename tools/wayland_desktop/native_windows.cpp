// native_windows.cpp: native Wayland windows of one colour (our GTK
// program) in a compositor's session: opening them, where they show, their
// clicks, closing them.
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <utility>

#include "tools/wayland_desktop/compositor.h"
#include "tools/wayland_desktop/session_host.h"
#include "tools/x_desktop/x_desktop.h"

namespace e2e {

using namespace std::chrono_literals;

NativeWindow Compositor::OpenNativeWindow(platform::Colour colour, bool fullScreen) {
    // A window of that colour that has just ended may still show for a frame
    // or two: it must not pass for the new one.
    if (!WaitUntil([&] { return Find(colour).width == 0; }, 10s))
        throw std::runtime_error("the colour of a new native window shows already");
    const std::string name = folder_ + "/native-" + std::to_string(nativeWindows_++);
    char rgb[8];
    std::snprintf(rgb, sizeof rgb, "%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    const pid_t pid = Spawn({folder_ + "/bin/native_window", rgb, fullScreen ? "fullscreen" : "normal", name + ".log"},
                            Joined(Joined(kUnset, Environment()), {"GDK_BACKEND=wayland", "NO_AT_BRIDGE=1"}),
                            name + ".err", -1, user_);
    NativeWindow window(*this, pid, colour, name + ".log");
    // Where it shows twice in a row: not while it grows or moves into place.
    Area before;
    const bool shown = WaitUntil([&] {
        window.area_ = Find(colour);
        const bool settled = std::exchange(before, window.area_) == window.area_;
        if (fullScreen) return settled && window.area_ == Area{0, 0, kWidth, kHeight};
        return settled && window.area_.width >= 100 && window.area_.height >= 100;
    }, 20s);
    if (!shown)
        throw std::runtime_error(std::string("a native window did not show on ") + Name(kind_) + "\n" +
                                 ReadFile(name + ".err"));
    return window;
}

NativeWindow::NativeWindow(NativeWindow&& other) noexcept
    : compositor_(other.compositor_), pid_(std::exchange(other.pid_, -1)), colour_(other.colour_),
      log_(std::move(other.log_)), area_(other.area_) {}

NativeWindow& NativeWindow::operator=(NativeWindow&& other) noexcept {
    if (this != &other) {
        Stop(pid_);
        compositor_ = other.compositor_;
        pid_ = std::exchange(other.pid_, -1);
        colour_ = other.colour_;
        log_ = std::move(other.log_);
        area_ = other.area_;
    }
    return *this;
}

NativeWindow::~NativeWindow() { Stop(pid_); }

int NativeWindow::Clicks() const {
    std::ifstream log(log_);
    int presses = 0;
    for (std::string line; std::getline(log, line);) presses += line.starts_with("press 1 ");
    return presses;
}

void NativeWindow::Close() {
    Stop(pid_);
    pid_ = -1;
    WaitUntil([&] { return compositor_->Find(colour_).width == 0; }, 10s);
}

}  // namespace e2e
