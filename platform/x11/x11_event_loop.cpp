// x11_event_loop.cpp: the program's entry and event loop on X11.
//
// Implements: RunProgram. One thread; poll() on the connection wakes the
// loop for X events and for the form timers. Once the eyes stop changing,
// the timers rest until the pointer moves or the window is touched.
// Double-clicks are made from single presses (X has none).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <utility>
#include <string>

#include "platform/contract/app.h"
#include "platform/shared/double_click.h"
#include "platform/runtime/failure.h"
#include "platform/posix/end_request.h"
#include "platform/posix/information_request.h"
#include "platform/contract/program.h"
#include "platform/shared/tick_schedule.h"
#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_form.h"
#include "platform/x11/x11_raw_motion.h"
#include "platform/x11/x11_xsettings.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;
using x11::X11Form;

x11::Desktop& D() { return x11::TheDesktop(); }

int IgnoreError(Display*, XErrorEvent*) { return 0; }  // a vanished window must not end the program

int ServerGone(Display*) {
    static const char message[] = "zwinkerle: lost the connection to the X server\n";
    (void)!::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(1);
}

void InternAtoms(x11::Atoms& a) {
    struct Entry { Atom* atom; const char* name; };
    const Entry entries[] = {
        {&a.WM_PROTOCOLS, "WM_PROTOCOLS"}, {&a.WM_DELETE_WINDOW, "WM_DELETE_WINDOW"},
        {&a.UTF8_STRING, "UTF8_STRING"}, {&a.CARDINAL_, "CARDINAL"},
        {&a.NET_SUPPORTED, "_NET_SUPPORTED"}, {&a.NET_SUPPORTING_WM_CHECK, "_NET_SUPPORTING_WM_CHECK"},
        {&a.NET_WM_NAME, "_NET_WM_NAME"}, {&a.NET_WM_ICON, "_NET_WM_ICON"}, {&a.NET_WM_PID, "_NET_WM_PID"},
        {&a.NET_WM_STATE, "_NET_WM_STATE"}, {&a.NET_WM_STATE_ABOVE, "_NET_WM_STATE_ABOVE"},
        {&a.NET_WM_STATE_STICKY, "_NET_WM_STATE_STICKY"}, {&a.NET_WM_DESKTOP, "_NET_WM_DESKTOP"},
        {&a.NET_WM_MOVERESIZE, "_NET_WM_MOVERESIZE"}, {&a.MOTIF_WM_HINTS, "_MOTIF_WM_HINTS"},
        {&a.MANAGER, "MANAGER"},
    };
    std::vector<char*> names;
    for (const Entry& e : entries) names.push_back(const_cast<char*>(e.name));
    std::vector<Atom> atoms(names.size());
    XInternAtoms(D().display, names.data(), static_cast<int>(names.size()), False, atoms.data());
    for (std::size_t i = 0; i < names.size(); ++i) *entries[i].atom = atoms[i];
    a.WM_S = XInternAtom(D().display, ("WM_S" + std::to_string(D().screen)).c_str(), False);
    a.NET_WM_CM_S = XInternAtom(D().display, ("_NET_WM_CM_S" + std::to_string(D().screen)).c_str(), False);
}

std::int16_t ShiftOf(unsigned int state) {
    return static_cast<std::int16_t>(((state & ShiftMask) ? 1 : 0) | ((state & ControlMask) ? 2 : 0) |
                                     ((state & Mod1Mask) ? 4 : 0));
}

class EventLoop {
public:
    void Run() {
        TickSchedule schedule(Interval(), Clock::now());
        while (!D().quit && !D().forms.empty()) {
            // Only what Xlib has read already: the socket is read once poll()
            // says something came, never on the off chance.
            while (!D().quit && XEventsQueued(D().display, QueuedAlready) > 0) {
                XEvent event;
                XNextEvent(D().display, &event);
                if (Dispatch(event)) schedule.Wake(Clock::now());
            }
            if (D().quit || D().forms.empty() || endRequest_.Received()) break;
            if (desktopPointer_.Process()) {
                if (const std::optional<POINTAPI> reported = desktopPointer_.Position())
                    D().pointerChoice.FromDesktop(*reported);
                else
                    D().pointerChoice.DesktopGone();
                schedule.Wake(Clock::now());
            }
            const auto now = Clock::now();
            bool awaitingMap = false;
            for (const auto& [window, form] : D().forms) awaitingMap = form->KeepShowing(now) || awaitingMap;
            if (schedule.Due(now)) {
                for (const auto& [window, form] : D().forms) form->KeepAbove();
                Tick();
                desktopPointer_.Acknowledge();
                // A pointer on the move keeps the ticks going, watched or
                // not: no wake-ups between them.
                const bool moved = D().pointer.x != lastPointer_.x || D().pointer.y != lastPointer_.y;
                lastPointer_ = D().pointer;
                const bool changed = ShowChanges() || moved;
                schedule.Ticked(changed || awaitingMap || !rawMotion_.Available(), Clock::now());
                rawMotion_.Watch(schedule.WatchesMotion());
            } else {
                ShowChanges();
            }
            XFlush(D().display);
            const std::optional<Clock::duration> wait = Earliest(schedule.Wait(Clock::now()), desktopPointer_.Timeout());
            if ((wait && *wait == Clock::duration::zero()) || XEventsQueued(D().display, QueuedAlready) > 0) continue;
            // The desktop's reports wake the loop only while the ticks rest
            // or watch for motion; a ticking loop reads them at its ticks.
            pollfd bus = desktopPointer_.PollFor();
            if (!schedule.WatchesMotion() && (bus.events & POLLOUT) == 0) bus.fd = -1;
            pollfd watched[] = {{ConnectionNumber(D().display), POLLIN, 0}, bus, {endRequest_.Fd(), POLLIN, 0}};
            const int timeout =
                wait ? static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(*wait).count()) : -1;
            if (::poll(watched, 3, timeout) > 0 && (watched[0].revents & POLLIN) != 0)
                XEventsQueued(D().display, QueuedAfterReading);
        }
    }

private:
    static std::optional<Clock::duration> Earliest(std::optional<Clock::duration> a, std::optional<Clock::duration> b) {
        if (!a) return b;
        if (!b) return a;
        return std::min(*a, *b);
    }

    // One timer for the program: the first form's interval (all forms share it).
    static std::chrono::milliseconds Interval() {
        for (const auto& [window, form] : D().forms)
            if (form->TimerIntervalMs() > 0) return std::chrono::milliseconds(form->TimerIntervalMs());
        return std::chrono::hours(1);
    }

    // A failure that leaves an event handler ends there, as in a statement.
    static void Tick() {
        for (const auto& [window, form] : D().forms)
            if (form->TimerIntervalMs() > 0) Attempt([tick = form] { tick->Events().tmr_Timer(); });
    }

    static bool ShowChanges() {
        bool changed = false;
        for (const auto& [window, form] : D().forms) changed = form->ShowChanges() || changed;
        return changed;
    }

    // Handles one event; true when it can change what the next tick paints.
    bool Dispatch(XEvent& event) {
        if (rawMotion_.IsMotion(event)) return true;
        X11Form* form = x11::FormOf(static_cast<HWND>(event.xany.window));
        if (form == nullptr) {
            if (D().hasRandr && event.type >= D().randrEventBase && event.type <= D().randrEventBase + RRNotify) {
                XRRUpdateConfiguration(&event);
                x11::ReadOrigin();  // the monitors changed: where the program's pixels start may too
                for (const auto& [window, form] : D().forms) form->KeepOnMonitors();
                return true;
            }
            if (x11::ConcernsWindowManager(event)) {
                const Window before = D().wmCheckWindow;
                x11::WatchWindowManager();
                if (D().wmCheckWindow != before)  // a move it was making is ours now
                    for (const auto& [window, dragged] : D().forms) dragged->TakeOverDrag();
            }
            if (event.xany.window == D().root) return OnTopLevelChange(event);
            bool frameMoved = false;
            if (event.type == ConfigureNotify)
                for (const auto& [window, framed] : D().forms)
                    if (framed->Parent() == event.xany.window) {
                        framed->OnFrameConfigure();
                        frameMoved = true;
                    }
            return frameMoved;
        }
        switch (event.type) {
            case Expose:
                if (event.xexpose.count == 0) form->OnExpose();
                break;
            case ConfigureNotify:
                form->OnConfigure(event.xconfigure);
                break;
            case ReparentNotify:
                form->OnReparent(event.xreparent);
                break;
            case MapNotify:
                form->OnMapped(true);
                form->OnExpose();
                break;
            case UnmapNotify:
                form->OnMapped(false);
                break;
            case VisibilityNotify:
                if (event.xvisibility.state != VisibilityUnobscured) form->OnCovered();
                break;
            case ButtonPress:
                OnPress(*form, event.xbutton);
                break;
            case ButtonRelease:
                if (event.xbutton.button == Button1) form->OnLeftRelease();
                break;
            case MotionNotify: {
                // Of a run of motion only the latest position matters. The
                // run ends at any other event: motion after a release is
                // not part of the drag.
                XEvent next;
                while (XEventsQueued(D().display, QueuedAfterReading) > 0) {
                    XPeekEvent(D().display, &next);
                    if (next.type != MotionNotify || next.xany.window != event.xany.window) break;
                    XNextEvent(D().display, &event);
                }
                form->OnPointerMotion(event.xmotion.x_root, event.xmotion.y_root);
                break;
            }
            case ClientMessage:
                if (event.xclient.message_type == D().atoms.WM_PROTOCOLS &&
                    static_cast<Atom>(event.xclient.data.l[0]) == D().atoms.WM_DELETE_WINDOW)
                    D().quit = true;  // closed from outside: end without storing the position
                break;
            default:
                break;
        }
        return true;  // anything that happens to the window itself
    }

    // NOTE: when no window manager keeps us above, a window mapped, moved or
    // raised over ours need not change our visibility state (we may be
    // partly hidden already), so every such change counts as a cover.
    static bool OnTopLevelChange(const XEvent& event) {
        Window subject = 0;
        switch (event.type) {
            case MapNotify: subject = event.xmap.window; break;
            case ConfigureNotify: subject = event.xconfigure.window; break;
            case CirculateNotify: subject = event.xcirculate.window; break;
            default: return false;
        }
        if (D().forms.contains(subject)) return false;
        bool covered = false;
        for (const auto& [window, form] : D().forms) {
            if (form->KeptAboveByManager()) continue;
            form->OnCovered();
            covered = true;
        }
        return covered;
    }

    void OnPress(X11Form& form, const XButtonEvent& press) {
        std::int16_t button = 0;
        switch (press.button) {
            case Button1: button = 1; break;
            case Button3: button = 2; break;
            case Button2: button = 4; break;
            default: return;  // wheel steps are not presses
        }
        FormEvents& events = form.Events();
        if (button != 1) {
            doubleClick_.Interrupt();
        } else if (doubleClick_.Press(static_cast<std::uint32_t>(press.time), press.x_root, press.y_root)) {
            Attempt([&] { events.Form_DblClick(); });
            return;
        } else {
            form.OnLeftPress(press.x_root, press.y_root);
        }
        // In the form's scale, from the program's pixels.
        const float scale = (form.ScaleMode() == vbTwips ? kTwipsPerPixel : 1.0F) / static_cast<float>(form.Density());
        Attempt([&] {
            events.Form_MouseDown(button, ShiftOf(press.state), static_cast<float>(press.x) * scale,
                                  static_cast<float>(press.y) * scale);
        });
    }

    // NOTE: the desktop's double-click time, where a settings daemon
    // publishes a sensible one (XSETTINGS), read once at start.
    static std::uint32_t DoubleClickTime() {
        const std::optional<std::int32_t> published = x11::DesktopInteger("Net/DoubleClickTime");
        return published && *published > 0 && *published <= 5000 ? static_cast<std::uint32_t>(*published)
                                                                   : DoubleClickDetector::kDefaultIntervalMs;
    }
    DoubleClickDetector doubleClick_{DoubleClickTime()};
    posix::EndRequest endRequest_;
    x11::RawMotion rawMotion_;
    // Started once the window is up: the bus never delays the first frame.
    x11::DesktopPointer desktopPointer_{D().xwayland};
    POINTAPI lastPointer_{};
};

}  // namespace

int RunProgram(int argc, char** argv, void (*startup)()) {
    if (const std::optional<int> answered = posix::AnswerInformationRequest(argc, argv)) return *answered;
    x11::Desktop& d = D();
    for (int i = 1; i < argc; ++i) d.commandLine += (i > 1 ? " " : "") + std::string(argv[i]);

    d.display = XOpenDisplay(nullptr);
    if (d.display == nullptr) {
        std::fprintf(stderr, "zwinkerle: cannot open display \"%s\"\n", XDisplayName(nullptr));
        return 1;
    }
    XSetErrorHandler(IgnoreError);
    XSetIOErrorHandler(ServerGone);
    d.screen = DefaultScreen(d.display);
    if (DefaultVisual(d.display, d.screen)->c_class != TrueColor) {
        std::fprintf(stderr, "zwinkerle: the display has no true-colour visual\n");
        XCloseDisplay(d.display);
        d.display = nullptr;
        return 1;
    }
    d.root = RootWindow(d.display, d.screen);
    InternAtoms(d.atoms);
    int eventBase = 0, errorBase = 0;
    d.hasShape = XShapeQueryExtension(d.display, &eventBase, &errorBase) != 0;
    d.hasRandr = XRRQueryExtension(d.display, &d.randrEventBase, &errorBase) != 0;
    if (d.hasRandr)
        XRRSelectInput(d.display, d.root, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    d.xwayland = x11::IsXwayland();
    x11::ReadDensity();
    x11::ReadOrigin();
    // A new window manager announces itself to the root's structure
    // listeners; its check window is a root property. The root's children
    // tell when another window may cover ours.
    XSelectInput(d.display, d.root, StructureNotifyMask | SubstructureNotifyMask | PropertyChangeMask);
    x11::WatchWindowManager();

    try {
        startup();
        EventLoop{}.Run();
    } catch (const ProgramEnded&) {
    }
    // The forms may outlive the connection; their windows may not.
    while (!d.forms.empty()) d.forms.begin()->second->Release();
    XCloseDisplay(d.display);
    d.display = nullptr;
    return 0;
}

}  // namespace platform
