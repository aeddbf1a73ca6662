// native_windows.cpp: native Wayland windows of one colour (our GTK
// program) in a compositor's session: opening them, where they show, their
// clicks, closing them.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <utility>

#include "tools/wayland_desktop/compositor.h"
#include "tools/wayland_desktop/means.h"
#include "tools/wayland_desktop/session_host.h"
#include "tools/x_desktop/x_desktop.h"

namespace e2e {

using namespace std::chrono_literals;

NativeWindow Compositor::OpenNativeWindow(platform::Colour colour, bool fullScreen) {
    // A window of that colour that has just ended may still show for a frame
    // or two: it must not pass for the new one.
    if (noScreenshots_.empty() && !WaitUntil([&] { return Find(colour).width == 0; }, 10s))
        throw std::runtime_error("the colour of a new native window shows already");
    const std::string name = folder_ + "/native-" + std::to_string(nativeWindows_++);
    char rgb[8];
    std::snprintf(rgb, sizeof rgb, "%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    const pid_t pid = Spawn({folder_ + "/bin/native_window", rgb, fullScreen ? "fullscreen" : "normal", name + ".log"},
                            Joined(Joined(kUnset, Environment()), {"GDK_BACKEND=wayland", "NO_AT_BRIDGE=1"}),
                            name + ".err", -1, user_);
    NativeWindow window(*this, pid, colour, name + ".log");
    natives_[pid] = {colour, name + ".log"};
    // Where it shows twice in a row: not while it grows or moves into place.
    Area before;
    const bool shown = WaitUntil([&] {
        window.area_ = noScreenshots_.empty() ? Find(colour) : Painted(pid);
        const bool settled = std::exchange(before, window.area_) == window.area_;
        if (fullScreen) return settled && window.area_ == Area{0, 0, kWidth, kHeight};
        return settled && window.area_.width >= 100 && window.area_.height >= 100;
    }, 20s);
    if (!shown)
        throw std::runtime_error(std::string("a native window did not show on ") + Name(kind_) + "\n" +
                                 ReadFile(name + ".err"));
    return window;
}

Area Compositor::Painted(pid_t pid) {
    for (const ShownWindow& shown : Stacking())
        if (shown.pid == pid) return shown.painted;
    return {};
}

std::vector<ShownWindow> Compositor::Stacking() {
    std::vector<ShownWindow> stacking = means_->Stacking();
    for (ShownWindow& shown : stacking) {
        const auto native = natives_.find(shown.pid);
        if (native == natives_.end()) continue;
        shown.colour = native->second.first;
        // The size it painted last: the colour fills the window below its
        // title bar.
        int width = 0, height = 0;
        std::ifstream log(native->second.second);
        for (std::string line; std::getline(log, line);) std::sscanf(line.c_str(), "size %d %d", &width, &height);
        if (width == shown.frame.width && height <= shown.frame.height)
            shown.painted = {shown.frame.x, shown.frame.y + shown.frame.height - height, width, height};
    }
    return stacking;
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

int NativeWindow::Clicks() const { return static_cast<int>(Presses().size()); }

std::vector<std::pair<int, int>> NativeWindow::Presses() const {
    std::vector<std::pair<int, int>> presses;
    std::ifstream log(log_);
    int x = 0, y = 0;
    for (std::string line; std::getline(log, line);)
        if (std::sscanf(line.c_str(), "press 1 %d %d", &x, &y) == 2) presses.emplace_back(x, y);
    return presses;
}

bool NativeWindow::PointerCameTo(int x, int y) const {
    return ReadFile(log_).find("motion " + std::to_string(x) + " " + std::to_string(y) + "\n") != std::string::npos;
}

void NativeWindow::Close() {
    const pid_t pid = std::exchange(pid_, -1);
    Stop(pid);
    if (compositor_->NoScreenshots().empty()) {
        WaitUntil([&] { return compositor_->Find(colour_).width == 0; }, 10s);
        return;
    }
    WaitUntil([&] { return compositor_->Painted(pid).width == 0; }, 10s);
}

}  // namespace e2e
