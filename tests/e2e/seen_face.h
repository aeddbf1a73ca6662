// seen_face.h: what the user sees of the face on a Wayland desktop. Where
// the compositor takes screenshots, its own screenshot. Where it takes none
// (KWin 6 without OpenGL), what it will show: the face window's own pixels,
// alpha included, and the compositor's own stacking of the windows over and
// under it. What only a screenshot can show is then not seen at all.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <string>
#include <utility>

#include "platform/contract/image.h"
#include "tools/wayland_desktop/compositor.h"

namespace e2e {

// The face on screen: its X window, its process, its window's corner.
struct FaceOnScreen {
    Window window = 0;
    pid_t pid = 0;
    std::pair<int, int> corner;
};

class SeenFace {
public:
    SeenFace(Compositor& desktop, Display* display);

    // Empty where screenshots show it all; else why they do not.
    const std::string& Unseen() const { return desktop_.NoScreenshots(); }

    // Pixels of the face, away from its eyes, that the user does not see.
    int FaceMismatches(const FaceOnScreen& face) { return Mismatches(face, true, 0); }
    // Pixels cut away around the face that do not show `behind`, the colour
    // of the native window under it.
    int CutAwayMismatches(const FaceOnScreen& face, platform::Colour behind) { return Mismatches(face, false, behind); }
    // The face's window as it shows: for its eyes.
    platform::Image Pixels(const FaceOnScreen& face);
    // Whether the X window `window` is what shows at (x, y); its colour is
    // `colour`.
    bool ShowsXWindow(Window window, int x, int y, platform::Colour colour);

private:
    // Either count, over the part of the face's window on screen; -1 when
    // none of it is.
    int Mismatches(const FaceOnScreen& face, bool onFace, platform::Colour behind);

    Compositor& desktop_;
    Display* display_;
    platform::Image figure_;
};

}  // namespace e2e
