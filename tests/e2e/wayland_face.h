// wayland_face.h: the Linux program on a Wayland desktop, through Xwayland,
// for the end-to-end cases: starting it, pointing at it, dragging it, and
// what the user sees of it (SeenFace: the compositor's screenshots, or the
// window's pixels and the compositor's stacking where it takes none).
#pragma once

#include <gtest/gtest.h>
// After GoogleTest: Xlib defines None and Bool.
#include <X11/Xlib.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "tests/e2e/compositor_session.h"
#include "tests/e2e/seen_face.h"
#include "tests/e2e/x_session.h"
#include "tools/wayland_desktop/compositor.h"
#include "tools/wayland_desktop/session_bus.h"

namespace e2e {

struct Desktop {
    CompositorKind kind;
    int firstTop;            // where a first start stands: the top edge, or below GNOME's top bar
    bool opensOverOthers;    // a new window may open over another; GNOME, and KWin beside a face it keeps
                             // above, find it a free place
    bool tellsThePointer;    // over native windows: KWin through our script, GNOME through our extension
};

void PrintTo(const Desktop& desktop, std::ostream* out);

inline const Desktop kDesktops[] = {
    {CompositorKind::Sway, 0, true, false},
    {CompositorKind::KWin, 0, false, true},
    {CompositorKind::Gnome, 32, false, true},
};

// Our GNOME Shell extension in the form for the shell installed here: a
// module from GNOME 45 on, a script before; its built folder.
std::string GnomeExtension();
// Turns our GNOME Shell extension off or on; on, waits until the shell runs it.
void TurnOurExtension(SessionBus& bus, bool on);
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
    // follows a move at once to the window where the pointer was; and one
    // may work out which window lies under a resting pointer only at its
    // next motion (a window that showed up under it, or the face's catcher
    // shrunk back over it at the end of a drag): so the pointer moves again
    // until X has it, as a hand's always does.
    // (x, y) must lie on the face: X must find the pointer over the face's
    // window or its catcher, which it does not while a face takes over
    // from its window manager.
    bool PointAtTheFace(int x, int y);
    bool PointerOnTheFace() const;
    // A left drag that takes hold of the face at (x, y), in ten steps
    // `pause` apart.
    void DragFace(int x, int y, int dx, int dy, std::chrono::milliseconds pause = std::chrono::milliseconds(30));
    // Two clicks on the face where the pointer is, as a hand double-clicks.
    void DoubleClick();
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
    // A settings file the tests wrote, which the program may rewrite: its user's.
    void GiveTheSettingsToTheDesktopUser();
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
// Around the face at (538, 300), whose eyes are at (586, 378) and
// (643, 378): left, right, above and below them.
inline constexpr std::pair<int, int> kAround[] = {{100, 378}, {1200, 378}, {614, 15}, {614, 790}};
// Where a first start stands on a screen of 1280: the top centre.
inline constexpr int kTopCentreLeft = (Compositor::kWidth * 15 / 2 - 2220 / 2) / 15;  // 566

}  // namespace e2e
