// x11_form.h: a form as a frameless, shaped X11 window.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/software/raster_form.h"
#include "platform/software/region_store.h"

namespace platform::x11 {

// How a colour becomes a pixel of a true-colour visual, worked out once.
class PixelFormat {
public:
    explicit PixelFormat(const Visual* visual)
        : red_(visual->red_mask), green_(visual->green_mask), blue_(visual->blue_mask) {}
    unsigned long operator()(Colour colour) const {
        return red_(colour & 0xFF) | green_((colour >> 8) & 0xFF) | blue_((colour >> 16) & 0xFF);
    }

private:
    struct Channel {
        explicit Channel(unsigned long mask) {
            while (mask != 0 && ((mask >> shift) & 1UL) == 0) ++shift;
            while (mask != 0 && ((mask >> (shift + bits)) & 1UL) != 0) ++bits;
        }
        unsigned long operator()(unsigned long value) const {
            return bits == 0 ? 0 : ((value * ((1UL << bits) - 1) + 127) / 255) << shift;
        }
        int shift = 0;
        int bits = 0;
    };
    Channel red_, green_, blue_;
};

// The window's visual: the screen's own, or one with alpha where a
// compositing manager shows it.
struct WindowVisual {
    Visual* visual;
    int depth;
    Colormap colormap;  // CopyFromParent for the screen's own visual
    unsigned long alpha;  // the pixel bits of alpha; 0 without
};

class X11Form final : public RasterForm {
public:
    X11Form(const FormDefinition& definition, FormEvents& events);
    ~X11Form() override;
    X11Form(const X11Form&) = delete;
    X11Form& operator=(const X11Form&) = delete;

    HWND hWnd() override;
    float Top() override;
    void SetTop(float twips) override;
    float Left() override;
    void SetLeft(float twips) override;
    void Show() override;

    FormEvents& Events() { return events_; }
    std::uint32_t TimerIntervalMs() const { return timerIntervalMs_; }
    RECT Rect() const;

    // Window manager side, called by the backend's calls and event loop.
    void MakeTopmost();
    void TakeShape(const Rectangles& shape);
    // The server lost what the window showed: all of it travels again.
    void OnExpose();
    void OnConfigure(const XConfigureEvent& event);
    void OnReparent(const XReparentEvent& event);
    void OnFrameConfigure();
    // The window manager's frame around us; the root window when none.
    Window Parent() const { return parent_; }
    void OnMapped(bool mapped);
    // NOTE: a window manager that is still starting can lose a map request
    // (seen with openbox); ask again now and then until the window first
    // shows. After that an unmapped window is the user's doing (minimised).
    // True while the window waits for its first map, so ticks must go on.
    bool KeepShowing(std::chrono::steady_clock::time_point now);
    // Another window covers ours. When no window manager keeps us above,
    // KeepAbove, once a tick, raises us over it.
    void OnCovered() { covered_ = true; }
    // The window manager went while it was moving us: the drag is ours again.
    void TakeOverDrag();
    // The monitors changed: a window no monitor shows any more comes back.
    void KeepOnMonitors();
    void KeepAbove();
    // A left press and what becomes of it: a drag once the pointer moves.
    void OnLeftPress(int rootX, int rootY);
    void BeginCaptionDrag();
    void OnPointerMotion(int rootX, int rootY);
    void OnLeftRelease();
    // Frees the X resources before the connection closes.
    void Release();
    // Whether the window manager keeps the window above others; when not,
    // it raises itself over windows that cover it, once a tick.
    bool KeptAboveByManager() const;

private:
    void Present(const Image& image, const RECT& area) override;
    // Maps the window: raised by the window manager, or on its own above
    // ordinary windows and below override-redirect ones.
    void Map();
    // Asks the window manager to keep the mapped window above others and on
    // every workspace.
    void AskToStayAbove();
    void MoveTo(std::int32_t left, std::int32_t top);
    void UpdatePositionFromServer();
    bool Opaque(std::int32_t x, std::int32_t y) const {
        return opaque_[static_cast<std::size_t>(y) * static_cast<std::size_t>(PixelWidth()) + static_cast<std::size_t>(x)] != 0;
    }

    enum class Drag { Idle, Armed, Own, WindowManager };

    FormEvents& events_;
    std::uint32_t timerIntervalMs_;
    Window window_ = 0;
    Window parent_ = 0;
    GC gc_ = nullptr;
    WindowVisual visual_;
    PixelFormat pixelOf_;
    bool standAlone_;                    // override-redirect: places, raises and moves itself
    std::vector<std::uint8_t> opaque_;   // per screen pixel: inside the shape
    std::vector<char> converted_;  // what Present last converted for the server
    std::int32_t left_ = 0;
    std::int32_t top_ = 0;
    bool mapped_ = false;
    bool everMapped_ = false;
    bool shown_ = false;
    bool covered_ = false;
    int mapRetries_ = 0;
    std::chrono::steady_clock::time_point nextMapRetry_{};
    bool topmost_ = false;
    bool leftHeld_ = false;
    int pressX_ = 0;
    int pressY_ = 0;
    Drag drag_ = Drag::Idle;
    std::int32_t dragStartLeft_ = 0;
    std::int32_t dragStartTop_ = 0;
};

}  // namespace platform::x11
