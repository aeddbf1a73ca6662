// gnome.cpp: GNOME Shell as a headless Wayland compositor with one virtual
// monitor; screenshots through the shell's Screenshot D-Bus interface, input
// through a Mutter remote-desktop session.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include "tools/wayland_desktop/means.h"
#include "tools/wayland_desktop/png_file.h"
#include "tools/wayland_desktop/session_bus.h"
#include "tools/wayland_desktop/session_host.h"
#include "tools/x_desktop/x_desktop.h"

namespace e2e {

namespace {

using namespace std::chrono_literals;

constexpr const char* kRemoteDesktop = "org.gnome.Mutter.RemoteDesktop";
constexpr const char* kRemoteSession = "org.gnome.Mutter.RemoteDesktop.Session";

class Gnome : public Compositor::Means {
public:
    explicit Gnome(const Compositor& compositor) : compositor_(compositor) {
        // Settings from a file of ours rather than dconf: no screen lock,
        // whose absence the shell would announce in a banner over the
        // windows, no banners at all, no animations, so that a window is
        // where it shows, and no hot corner: our pointer starts from the
        // corner, which would open the overview.
        const std::string folder = compositor.Folder() + "/home/.config/glib-2.0/settings";
        std::filesystem::create_directories(folder);
        std::ofstream keyfile(folder + "/keyfile");
        keyfile << "[org/gnome/desktop/screensaver]\nlock-enabled=false\n"
                   "[org/gnome/desktop/notifications]\nshow-banners=false\n"
                   "[org/gnome/desktop/interface]\nenable-animations=false\nenable-hot-corners=false\n";
        // The user's own extensions, on from the start.
        std::string enabled;
        for (const std::string& extension : compositor.StartedWith().gnomeExtensions) {
            const std::filesystem::path source(extension);
            const std::filesystem::path target =
                compositor.Folder() + "/home/.local/share/gnome-shell/extensions/" + source.filename().string();
            std::filesystem::create_directories(target);
            std::filesystem::copy(source, target, std::filesystem::copy_options::recursive);
            enabled += (enabled.empty() ? "'" : ", '") + source.filename().string() + "'";
        }
        if (!enabled.empty()) keyfile << "[org/gnome/shell]\nenabled-extensions=[" << enabled << "]\n";
    }
    std::vector<std::string> Command() const override {
        return {"gnome-shell", "--headless", "--wayland", "--virtual-monitor",
                std::to_string(Compositor::kWidth) + "x" + std::to_string(Compositor::kHeight)};
    }
    std::vector<std::string> Environment() const override {
        // NOTE: with /run/systemd/seats present the shell takes logind for
        // granted and dies when the system bus is missing, as in a
        // container; on a machine that has one, it would talk to the real
        // logind. Its own session bus answers instead: no logind there.
        return {"DBUS_SYSTEM_BUS_ADDRESS=" + compositor_.BusAddress(), "GSETTINGS_BACKEND=keyfile"};
    }
    const char* ProcessName() const override { return "gnome-shell"; }

    void Connect() override {
        bus_ = std::make_unique<SessionBus>(compositor_.BusAddress());
        // The shell lets only its own tools take screenshots, known by
        // their bus names; GNOME 50 no longer trusts org.gnome.Screenshot.
        bus_->OwnName("org.gnome.SettingsDaemon.MediaKeys");
        BusMessage reply = bus_->Call(kRemoteDesktop, "/org/gnome/Mutter/RemoteDesktop", kRemoteDesktop,
                                      "CreateSession", "");
        const char* path = nullptr;
        CheckBus(sd_bus_message_read(reply.get(), "o", &path), nullptr, "CreateSession's answer");
        session_ = path;
        bus_->Call(kRemoteDesktop, session_.c_str(), kRemoteSession, "Start", "");
        // Relative motion only, without a screen-cast stream: from the corner,
        // where any motion ends that goes far enough, we know where it is.
        bus_->Call(kRemoteDesktop, session_.c_str(), kRemoteSession, "NotifyPointerMotionRelative", "dd",
                   -4.0 * Compositor::kWidth, -4.0 * Compositor::kHeight);
        x_ = y_ = 0;
        LeaveOverview();
        WaitForExtensions();
    }

    platform::Image Screenshot(int x, int y, int width, int height) override {
        // The shell writes the file as the session's user.
        const std::string file = compositor_.Folder() + "/screenshot.png";
        BusMessage reply = bus_->Call("org.gnome.Shell", "/org/gnome/Shell/Screenshot", "org.gnome.Shell.Screenshot",
                                      "ScreenshotArea", "iiiibs", x, y, width, height, 0, file.c_str());
        int success = 0;
        const char* used = nullptr;
        CheckBus(sd_bus_message_read(reply.get(), "bs", &success, &used), nullptr, "ScreenshotArea's answer");
        if (!success) throw std::runtime_error("GNOME Shell took no screenshot");
        platform::Image image = ReadPng(used);
        std::filesystem::remove(used);
        return image;
    }

    void MovePointer(int x, int y) override {
        x = std::clamp(x, 0, Compositor::kWidth - 1);
        y = std::clamp(y, 0, Compositor::kHeight - 1);
        if (x == x_ && y == y_) return;
        bus_->Call(kRemoteDesktop, session_.c_str(), kRemoteSession, "NotifyPointerMotionRelative", "dd",
                   static_cast<double>(x - x_), static_cast<double>(y - y_));
        x_ = x;
        y_ = y;
    }
    void Button(unsigned code, bool down) override {
        bus_->Call(kRemoteDesktop, session_.c_str(), kRemoteSession, "NotifyPointerButton", "ib",
                   static_cast<int>(code), down ? 1 : 0);
    }

    ~Gnome() override {
        if (!session_.empty()) {
            try {
                bus_->Call(kRemoteDesktop, session_.c_str(), kRemoteSession, "Stop", "");
            } catch (const std::exception&) {  // the shell is gone already
            }
        }
    }

private:
    // The shell starts in its overview, which hides the windows: once its
    // start is over, leave it for the desktop. NOTE: until its start-up
    // animation ends, the shell lays a pane over everything that takes
    // every press; leaving the overview before that (by a key, or by our
    // call) can keep it from ever ending (GNOME 48). The shell logs the end
    // of its start.
    void LeaveOverview() {
        if (!WaitUntil([&] { return ReadFile(compositor_.LogFile()).find("GNOME Shell started at") != std::string::npos; },
                       30s))
            throw std::runtime_error("GNOME Shell did not finish starting");
        const auto overview = [&] {
            sd_bus_error error = SD_BUS_ERROR_NULL;
            int active = 0;
            CheckBus(sd_bus_get_property_trivial(bus_->Get(), "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell",
                                                 "OverviewActive", &error, 'b', &active),
                     &error, "reading OverviewActive");
            return active != 0;
        };
        WaitUntil(overview, 10s);
        sd_bus_error error = SD_BUS_ERROR_NULL;
        CheckBus(sd_bus_set_property(bus_->Get(), "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell",
                                     "OverviewActive", &error, "b", 0),
                 &error, "leaving the overview");
        if (!WaitUntil([&] { return !overview(); }, 10s)) throw std::runtime_error("GNOME Shell stays in its overview");
    }

    // Waits until the shell has done with each of the user's extensions:
    // one that is not on is said here, and the cases that need it fail.
    void WaitForExtensions() {
        for (const std::string& extension : compositor_.StartedWith().gnomeExtensions) {
            const std::string uuid = std::filesystem::path(extension).filename();
            ExtensionState state;
            WaitUntil([&] { return (state = Extension(uuid)).Settled(); }, 30s);
            if (state.state != kActive)
                std::cerr << "GNOME Shell has not turned on " << uuid << ": state " << state.state << " "
                          << state.error << std::endl;
        }
    }
    // GNOME Shell's states of an extension, from 45 on (43 and 44 the same
    // for these): on, off, failed, out of date; still loading.
    static constexpr int kActive = 1, kInactive = 2, kError = 3, kOutOfDate = 4;
    struct ExtensionState {
        int state = 0;
        std::string error;
        bool Settled() const { return state == kActive || state == kInactive || state == kError || state == kOutOfDate; }
    };
    ExtensionState Extension(const std::string& uuid) {
        BusMessage reply = bus_->Call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions",
                                      "GetExtensionInfo", "s", uuid.c_str());
        ExtensionState found;
        CheckBus(sd_bus_message_enter_container(reply.get(), 'a', "{sv}"), nullptr, "GetExtensionInfo's answer");
        while (sd_bus_message_enter_container(reply.get(), 'e', "sv") > 0) {
            const char* key = nullptr;
            sd_bus_message_read(reply.get(), "s", &key);
            const std::string name = key;
            const char* contents = nullptr;
            sd_bus_message_peek_type(reply.get(), nullptr, &contents);
            if (name == "state" && std::string(contents) == "d") {
                double state = 0;
                sd_bus_message_read(reply.get(), "v", "d", &state);
                found.state = static_cast<int>(state);
            } else if (name == "error" && std::string(contents) == "s") {
                const char* error = nullptr;
                sd_bus_message_read(reply.get(), "v", "s", &error);
                found.error = error;
            } else {
                sd_bus_message_skip(reply.get(), "v");
            }
            sd_bus_message_exit_container(reply.get());
        }
        return found;
    }

    const Compositor& compositor_;
    std::unique_ptr<SessionBus> bus_;
    std::string session_;
    int x_ = 0, y_ = 0;
};

}  // namespace

int GnomeShellVersion() {
    // "GNOME Shell 48.7"
    std::FILE* output = ::popen("gnome-shell --version 2>/dev/null", "r");
    if (output == nullptr) return 0;
    int major = 0;
    if (std::fscanf(output, "GNOME Shell %d", &major) != 1) major = 0;
    ::pclose(output);
    return major;
}

std::unique_ptr<Compositor::Means> GnomeMeans(const Compositor& compositor) {
    return std::make_unique<Gnome>(compositor);
}

}  // namespace e2e
