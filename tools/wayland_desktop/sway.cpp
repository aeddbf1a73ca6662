// sway.cpp: sway on wlroots' headless backend with software rendering;
// screenshots with grim, input through wlroots' virtual pointer.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tools/wayland_desktop/means.h"
#include "tools/wayland_desktop/png_file.h"
#include "tools/x_desktop/x_desktop.h"

namespace e2e {

namespace {

class Sway : public Compositor::Means {
public:
    explicit Sway(const Compositor& compositor) : compositor_(compositor) {
        // Xwayland from the start rather than at the first X client, so
        // that the session is ready when it starts; a wallpaper, as users
        // have one, so that nothing on screen is black by chance.
        config_ = compositor.Folder() + "/sway.config";
        std::ofstream(config_) << "output HEADLESS-1 resolution " << Compositor::kWidth << "x" << Compositor::kHeight
                               << " position 0 0 bg #3b6e8f solid_color\n"
                                  "xwayland force\n";
    }
    std::vector<std::string> Command() const override { return {"sway", "-c", config_}; }
    std::vector<std::string> Environment() const override {
        return {"WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1"};
    }
    const char* ProcessName() const override { return "sway"; }
    void Connect() override { pointer_ = std::make_unique<PointerProcess>(compositor_); }

    platform::Image Screenshot(int x, int y, int width, int height) override {
        const std::string file = compositor_.Folder() + "/screenshot.png";
        const std::string area =
            std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" + std::to_string(height);
        if (Run({"grim", "-g", area, "-t", "png", "-l", "0", file}, compositor_.Environment(), compositor_.User()) != 0)
            throw std::runtime_error("grim failed");
        platform::Image image = ReadPng(file);
        std::filesystem::remove(file);
        return image;
    }
    void MovePointer(int x, int y) override { pointer_->Move(x, y); }
    void Button(unsigned code, bool down) override { pointer_->Button(code, down); }

private:
    const Compositor& compositor_;
    std::string config_;
    std::unique_ptr<PointerProcess> pointer_;
};

}  // namespace

std::unique_ptr<Compositor::Means> SwayMeans(const Compositor& compositor) {
    return std::make_unique<Sway>(compositor);
}

}  // namespace e2e
