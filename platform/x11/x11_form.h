// x11_form.h: a form as a frameless, shaped X11 window. Its stacking, its
// first map and its caption drag have rooms of their own.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/software/desktop_form.h"
#include "platform/x11/x11_drag.h"
#include "platform/x11/x11_map_retry.h"
#include "platform/x11/x11_pointer_catcher.h"
#include "platform/x11/x11_stacking.h"

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

class X11Form final : public DesktopForm {
public:
    X11Form(const FormDefinition& definition, FormEvents& events);
    ~X11Form() override;

    // The window's rectangle on the root window, in screen pixels, and
    // whether a rectangle there overlaps it.
    RECT RootRect() const;
    bool Overlaps(int x, int y, int width, int height) const;

    // Window manager side, called by the backend's event loop.
    // What takes the pointer where the face is: the face, or its catcher.
    void TakeInput();
    // The server lost what the window showed: all of it travels again.
    void OnExpose();
    // The window, its parent or the window manager's frame around it moved.
    void OnConfigure(const XConfigureEvent& event);
    void OnReparent(const XReparentEvent& event);
    void OnFrameConfigure();
    // The window manager's frame around us; the root window when none.
    Window Parent() const { return parent_; }
    void OnMapped(bool mapped);
    // True while the window waits for its first map, so ticks must go on;
    // asks again when it is time (x11_map_retry.h).
    bool KeepShowing(std::chrono::steady_clock::time_point now);
    void OnCovered() { stacking_.OnCovered(); }
    // The window manager went while it was moving us: the drag is ours again.
    void TakeOverDrag() { drag_.TakeOver(window_); }
    // The monitors changed: a window no monitor shows any more comes back.
    void KeepOnMonitors();
    // Once a tick: raises a covered window that nobody keeps above.
    void KeepAbove();
    // The window manager let a window cover the face (as the desktop
    // reports, or as KeepAbove found): the face keeps itself above from now.
    void NotKeptAbove();
    // The pointer moved with the left button down, or the button went up.
    void OnPointerMotion(int rootX, int rootY);
    void OnLeftRelease();
    // The window that takes the face's pointer input over it on a Wayland
    // desktop; null elsewhere (x11_pointer_catcher.h).
    PointerCatcher* Catcher() const { return catcher_.get(); }
    // Frees the X resources before the connection closes.
    void Release();

private:
    // The window calls' hooks (desktop_form.h).
    POINTAPI Corner() const override { return {left_, top_}; }
    bool MoveCorner(POINTAPI screen) override {
        MoveTo(screen.x, screen.y);
        return true;
    }
    void ApplyShape(const Rectangles& shape) override;
    bool MakeTopmost() override {
        stacking_.MakeTopmost(window_, mapped_);
        return true;
    }
    void BeginSystemMove() override;
    void ShowWindow() override;
    // A left press: a drag once the pointer moves.
    void Pressed(std::int16_t button, POINTAPI screen) override;
    void Present(const Image& image, const RECT& area) override;
    // The window, unmapped, on the root.
    Window CreateTopLevel() const;
    void Map() { stacking_.Map(window_, RootRect()); }
    // Moves the window's corner to a point of the root window.
    void MoveTo(std::int32_t left, std::int32_t top);
    void UpdatePositionFromServer();
    // The server or the window manager put the window's corner at `where`.
    void OnPlaced(POINTAPI where);
    // Leaves the window manager, which does not do as asked, and places,
    // raises and moves itself from now on, starting at `at`; it shows again
    // at the ticks after (GoOnTakingOver).
    void TakeOverFromManager(POINTAPI at);
    void GoOnTakingOver();
    bool Opaque(std::int32_t x, std::int32_t y) const {
        return opaque_[static_cast<std::size_t>(y) * static_cast<std::size_t>(PixelWidth()) + static_cast<std::size_t>(x)] != 0;
    }

    Window window_ = 0;
    Window parent_ = 0;
    GC gc_ = nullptr;
    WindowVisual visual_;
    PixelFormat pixelOf_;
    bool standAlone_;                    // override-redirect: places, raises and moves itself
    POINTAPI asked_{};                   // where the program last asked the window to stand
    bool placementWatched_ = true;       // until the user first moves it
    enum class Takeover { Done, CatcherDue, FaceDue };
    Takeover takeover_ = Takeover::Done;
    std::vector<std::uint8_t> opaque_;   // per screen pixel: inside the shape
    std::vector<XRectangle> shape_;      // the outline, in screen pixels
    std::vector<char> converted_;  // what Present last converted for the server
    std::int32_t left_ = 0;
    std::int32_t top_ = 0;
    bool mapped_ = false;
    Stacking stacking_;
    MapRetry mapRetry_;
    CaptionDrag drag_;
    POINTAPI pressedAt_{};
    std::unique_ptr<PointerCatcher> catcher_;
};

}  // namespace platform::x11
