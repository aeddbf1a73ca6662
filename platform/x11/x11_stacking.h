// x11_stacking.h: keeping the window above others: asked of the window
// manager where it can (_NET_WM_STATE_ABOVE), done by the window itself
// where none can; and mapping it where it belongs in the stack.
#pragma once

#include <X11/Xlib.h>

#include "platform/contract/win_api.h"

namespace platform::x11 {

class Stacking {
public:
    // `standAlone`: an override-redirect window, which no manager stacks,
    // as the window says now.
    explicit Stacking(const bool& standAlone) : standAlone_(standAlone) {}

    // Whether the window manager keeps the window above others; when not,
    // it raises itself over windows that cover it, once a tick.
    bool KeptAboveByManager() const;
    // SetWindowPos(HWND_TOPMOST): before the first map as a state the window
    // manager reads then, afterwards as a request.
    void MakeTopmost(Window window, bool mapped);
    // Maps the window: raised by the window manager, or on its own above
    // ordinary windows and below override-redirect ones. `rect`: where it
    // stands.
    void Map(Window window, const RECT& rect);
    // The window is shown: a topmost one asks the manager to keep it above.
    void OnShow(Window window);
    // Another window may cover ours: KeepAbove, once a tick, looks.
    void OnCovered() { covered_ = true; }
    enum class Cover {
        Unchanged,   // no other window changed over it since the last look
        Nothing,     // nothing covers the window
        RaisedOver,  // it went over the windows that covered it
        ByManager,   // the manager that should keep it above let a window cover it
    };
    // Looks whether ordinary windows cover the window once another window
    // was mapped, moved or raised over it, and raises it over them where no
    // manager keeps it above; `onRoot`: mapped, without a frame around it.
    Cover KeepAbove(Window window, const RECT& rect, bool onRoot);

private:
    // Asks the window manager to keep the mapped window above others and on
    // every workspace.
    void AskToStayAbove(Window window);

    const bool& standAlone_;
    bool topmost_ = false;
    bool covered_ = false;
};

// The topmost window above `window` over `rect` that shows nothing but may
// take the pointer there (an input-only window), or 0.
Window TopmostInputOnlyAbove(Window window, const RECT& rect);

}  // namespace platform::x11
