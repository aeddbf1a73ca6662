// kwin.cpp: KWin's Wayland session on its virtual backend; screenshots
// through its ScreenShot2 D-Bus interface where it has one, else its
// stacking order from a script; input through its fake-input protocol.
// Its test switches open both interfaces to any client.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "tools/wayland_desktop/kwin_stacking.h"
#include "tools/wayland_desktop/means.h"
#include "tools/wayland_desktop/session_bus.h"
#include "tools/x_desktop/x_desktop.h"

namespace e2e {

namespace {

// QImage's formats that KWin hands out: 32 bits a pixel, B, G, R, A in memory.
constexpr unsigned kRgb32 = 4, kArgb32 = 5, kArgb32Premultiplied = 6;

class KWin : public Compositor::Means {
public:
    explicit KWin(const Compositor& compositor) : compositor_(compositor) {
        // NOTE: the installed program carries a file capability
        // (cap_sys_resource) that a container's bounding set lacks, so exec
        // fails; a plain copy has none. KWin's Qt platform plugin loads only
        // into a program named kwin_wayland.
        program_ = compositor.Folder() + "/kwin/kwin_wayland";
        std::filesystem::create_directory(compositor.Folder() + "/kwin");
        std::filesystem::copy_file("/usr/bin/kwin_wayland", program_);
        // No animations, so that a window is where it shows.
        std::filesystem::create_directories(compositor.Folder() + "/home/.config");
        std::ofstream(compositor.Folder() + "/home/.config/kdeglobals") << "[KDE]\nAnimationDurationFactor=0\n";
    }
    std::vector<std::string> Command() const override {
        return {program_, "--virtual", "--xwayland", "--width", std::to_string(Compositor::kWidth), "--height",
                std::to_string(Compositor::kHeight)};
    }
    std::vector<std::string> Environment() const override {
        return {"KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1", "KWIN_WAYLAND_NO_PERMISSION_CHECKS=1"};
    }
    const char* ProcessName() const override { return "kwin_wayland"; }
    // KWin 6 does; KWin 5 starts it at once, which comes to the same.
    bool StartsXwaylandForTheFirstClient() const override { return true; }
    void Connect() override {
        bus_ = std::make_unique<SessionBus>(compositor_.BusAddress());
        pointer_ = std::make_unique<PointerProcess>(compositor_);
        // NOTE: KWin 6 draws screenshots only with OpenGL: 6.3 offers no
        // ScreenShot2 without it, 6.7 cancels every one.
        try {
            Screenshot(0, 0, 1, 1);
        } catch (const std::runtime_error& error) {
            noScreenshots_ = std::string("KWin takes no screenshots here (") + error.what() +
                             "): it draws them only with OpenGL, which its virtual backend has only on a DRM render "
                             "node" + (std::filesystem::exists("/dev/dri") ? "" : ", and this machine has no /dev/dri");
        }
    }
    std::string NoScreenshots() const override { return noScreenshots_; }
    std::vector<ShownWindow> Stacking() override { return KWinStacking(*bus_, compositor_.Folder()); }

    platform::Image Screenshot(int x, int y, int width, int height) override {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        // KWin writes the pixels after its answer, from a thread of its own:
        // read them alongside, as a picture is bigger than a pipe holds.
        std::string data;
        std::thread reader([&] {
            char buffer[65536];
            ssize_t got = 0;
            while ((got = ::read(pipe[0], buffer, sizeof buffer)) > 0) data.append(buffer, static_cast<std::size_t>(got));
        });
        BusMessage reply;
        try {
            reply = bus_->Call("org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureArea",
                               "iiuua{sv}h", x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                               pipe[1]);
        } catch (...) {
            ::close(pipe[1]);
            reader.join();
            ::close(pipe[0]);
            throw;
        }
        ::close(pipe[1]);  // sd-bus sent a duplicate: KWin's copy ends the data
        reader.join();
        ::close(pipe[0]);

        unsigned imageWidth = 0, imageHeight = 0, stride = 0, format = 0;
        CheckBus(sd_bus_message_enter_container(reply.get(), 'a', "{sv}"), nullptr, "ScreenShot2's answer");
        while (sd_bus_message_enter_container(reply.get(), 'e', "sv") > 0) {
            const char* key = nullptr;
            sd_bus_message_read(reply.get(), "s", &key);
            const char* contents = nullptr;
            sd_bus_message_peek_type(reply.get(), nullptr, &contents);
            unsigned* field = std::strcmp(key, "width") == 0    ? &imageWidth
                              : std::strcmp(key, "height") == 0 ? &imageHeight
                              : std::strcmp(key, "stride") == 0 ? &stride
                              : std::strcmp(key, "format") == 0 ? &format
                                                                : nullptr;
            if (field != nullptr && std::strcmp(contents, "u") == 0)
                sd_bus_message_read(reply.get(), "v", "u", field);
            else
                sd_bus_message_skip(reply.get(), "v");
            sd_bus_message_exit_container(reply.get());
        }
        if (format != kRgb32 && format != kArgb32 && format != kArgb32Premultiplied)
            throw std::runtime_error("KWin's screenshot came in QImage format " + std::to_string(format));
        if (data.size() < static_cast<std::size_t>(stride) * imageHeight || stride < 4 * imageWidth)
            throw std::runtime_error("KWin's screenshot is short: " + std::to_string(data.size()) + " bytes");
        platform::Image image(static_cast<int>(imageWidth), static_cast<int>(imageHeight), 0);
        for (unsigned row = 0; row < imageHeight; ++row)
            for (unsigned col = 0; col < imageWidth; ++col) {
                const auto* p = reinterpret_cast<const unsigned char*>(data.data()) + row * stride + col * 4;
                image.At(static_cast<int>(col), static_cast<int>(row)) = platform::RGB(p[2], p[1], p[0]);
            }
        return image;
    }
    void MovePointer(int x, int y) override { pointer_->Move(x, y); }
    void Button(unsigned code, bool down) override { pointer_->Button(code, down); }

private:
    const Compositor& compositor_;
    std::string program_;
    std::unique_ptr<SessionBus> bus_;
    std::unique_ptr<PointerProcess> pointer_;
    std::string noScreenshots_;
};

}  // namespace

std::unique_ptr<Compositor::Means> KWinMeans(const Compositor& compositor) {
    return std::make_unique<KWin>(compositor);
}

}  // namespace e2e
