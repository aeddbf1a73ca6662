// wayland_face.h: the Linux program on a Wayland desktop, through Xwayland,
// for the end-to-end cases: starting it, pointing at it, dragging it, and
// what the user sees of it (SeenFace: the compositor's screenshots, or the
// window's pixels and the compositor's stacking where it takes none).
#pragma once

#include <gtest/gtest.h>
// After GoogleTest: Xlib defines None and Bool.
#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "tests/e2e/compositor_session.h"
#include "tests/e2e/seen_face.h"
#include "tests/e2e/x_session.h"
#include "tools/wayland_desktop/compositor.h"

namespace e2e {

struct Desktop {
    CompositorKind kind;
    int firstTop;            // where a first start stands: the top edge, or below GNOME's top bar
    bool opensOverOthers;    // a new window may open over another; GNOME finds it a free place
    bool tellsThePointer;    // over native windows: KWin through our script, GNOME through our extension
};

void PrintTo(const Desktop& desktop, std::ostream* out);

inline const Desktop kDesktops[] = {
    {CompositorKind::Sway, 0, true, false},
    {CompositorKind::KWin, 0, true, true},
    {CompositorKind::Gnome, 32, false, true},
};

// Our GNOME Shell extension in the form for the shell installed here: a
// module from GNOME 45 on, a script before; its built folder.
std::string GnomeExtension();
// Whether a click on the cut-away reaches the window behind, as this
// Xwayland hands the X input shape on to the compositor or not; nothing
// where the desktop does that by turns.
std::optional<bool> CutAwayPassesClicks(Display* display, CompositorKind kind);

class FaceOnWayland : public OnCompositor<Desktop> {
protected:
    void SetUp() override;
    void TearDown() override { program.reset(); }
    Compositor::Options StartOptions() const override;

    // Starts the program and waits until its face shows; the window, or 0.
    Window StartFace();
    std::pair<int, int> Position(Window window) const { return RootPosition(display, window); }
    // Where the face's X server last saw the pointer.
    std::pair<int, int> XPointer() const;
    // Brings the pointer to (x, y) on the face, and waits until the face's X
    // server has it there. NOTE: a busy compositor may give a press that
    // follows a move at once to the window where the pointer was.
    bool PointAtTheFace(int x, int y);
    // A left drag that takes hold of the face at (x, y).
    void DragFace(int x, int y, int dx, int dy);
    // Off the face and the native windows' middles: sway draws the pointer
    // into its screenshots.
    void MovePointerAway() { desktop->MovePointer(Compositor::kWidth - 3, Compositor::kHeight - 3); }

    // Pixels of the face last started, away from its eyes, that the user
    // does not see at `corner`; and pixels cut away around it that do not
    // show `behind`.
    int FaceMismatches(std::pair<int, int> corner) { return seen->FaceMismatches({faceWindow, pid, corner}); }
    int CutAwayMismatches(std::pair<int, int> corner, platform::Colour behind) {
        return seen->CutAwayMismatches({faceWindow, pid, corner}, behind);
    }
    // Whether both pupils look at (px, py) from the face at `corner`.
    bool PupilsTowards(std::pair<int, int> corner, int px, int py) {
        return PupilsLookAt(seen->Pixels({faceWindow, pid, corner}), corner.first, corner.second, px, py);
    }
    // Starts the face at `corner`, over whatever is there, and waits until
    // the desktop reports the pointer to it.
    Window StartFaceOverANativeWindow(std::pair<int, int> corner);
    void StoreCorner(std::pair<int, int> corner);
    // The desktop's reporter of the pointer is up, for the program now running.
    void WaitUntilTheDesktopReports();
    // The program's times of waking: voluntary and forced context switches.
    long WakeUps() const;
    // X windows beside the face at `corner`: the X server knows where the
    // pointer is over them, on every desktop.
    void ExpectEyesFollowOverXWindows(std::pair<int, int> corner);

    test::TempFolder folder{"zwinkerle-wayland-test."};
    std::unique_ptr<Program> program;
    std::optional<SeenFace> seen;
    pid_t pid = 0;
    Window faceWindow = 0;  // of the copy last started
};

// Colours of their own for the native windows: seen nowhere in the face.
inline constexpr platform::Colour kBehind = platform::RGB(0x1E, 0xB4, 0x5A);
inline constexpr platform::Colour kLater = platform::RGB(0x32, 0x5A, 0xC8);
// Where a first start stands on a screen of 1280: the top centre.
inline constexpr int kTopCentreLeft = (Compositor::kWidth * 15 / 2 - 2220 / 2) / 15;  // 566

}  // namespace e2e
