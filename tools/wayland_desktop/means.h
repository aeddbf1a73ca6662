// means.h: what differs between compositors: how each starts, takes a
// screenshot (or tells its stacking of windows) and takes synthetic pointer
// input.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/contract/image.h"
#include "tools/wayland_desktop/compositor.h"

namespace e2e {

class Compositor::Means {
public:
    virtual ~Means() = default;
    // The command that starts it inside the session's bus, with what it
    // needs in its environment besides the session's folders.
    virtual std::vector<std::string> Command() const = 0;
    virtual std::vector<std::string> Environment() const = 0;
    // The name of the compositor's own process.
    virtual const char* ProcessName() const = 0;
    // Whether it starts Xwayland only once an X client connects.
    virtual bool StartsXwaylandForTheFirstClient() const { return false; }
    // Sets up input once the compositor and its Xwayland run.
    virtual void Connect() = 0;
    // Why it takes no screenshots, once connected; empty where it takes them.
    virtual std::string NoScreenshots() const { return ""; }
    virtual platform::Image Screenshot(int x, int y, int width, int height) = 0;
    // Its windows, bottom first; only where it takes no screenshots.
    virtual std::vector<ShownWindow> Stacking();
    // Absolute, in logical pixels; `code` a Linux input button code.
    virtual void MovePointer(int x, int y) = 0;
    virtual void Button(unsigned code, bool down) = 0;
};

std::unique_ptr<Compositor::Means> SwayMeans(const Compositor& compositor);
std::unique_ptr<Compositor::Means> KWinMeans(const Compositor& compositor);
std::unique_ptr<Compositor::Means> GnomeMeans(const Compositor& compositor);

// The helper programs built beside this library.
std::string WaylandPointerProgram();
std::string NativeWindowProgram();

// Our Wayland client that plays a pointer device (sway's virtual pointer,
// KWin's fake input), driven line by line; ended with this object.
class PointerProcess {
public:
    explicit PointerProcess(const Compositor& compositor);
    ~PointerProcess();
    PointerProcess(const PointerProcess&) = delete;
    PointerProcess& operator=(const PointerProcess&) = delete;
    void Move(int x, int y) { Send("move " + std::to_string(x) + " " + std::to_string(y)); }
    void Button(unsigned code, bool down) { Send("button " + std::to_string(code) + (down ? " 1" : " 0")); }

private:
    // Sends one command and waits for the helper's answer.
    void Send(const std::string& command);
    std::string ReadLine();

    pid_t pid_ = -1;
    int to_ = -1, from_ = -1;
    std::string log_;
};

}  // namespace e2e
