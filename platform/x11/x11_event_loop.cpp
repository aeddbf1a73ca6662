// x11_event_loop.cpp: the loop's turn: X events by whose they are (the
// extensions', a form's, the desktop's), the desktop's reports of the
// pointer, the tick with the program's timer or only the changes shown,
// and the sleep in poll() until the next news.
#include "platform/x11/x11_event_loop.h"

#include <poll.h>

#include <algorithm>
#include <optional>

#include "platform/contract/app.h"
#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_desktop_dispatch.h"
#include "platform/x11/x11_form.h"

namespace platform::x11 {

namespace {

using Clock = std::chrono::steady_clock;

std::optional<Clock::duration> Earliest(std::optional<Clock::duration> a, std::optional<Clock::duration> b) {
    if (!a) return b;
    if (!b) return a;
    return std::min(*a, *b);
}

constexpr auto kWithoutTimer = std::chrono::hours(1);  // ticks without a timer: too rare to matter

// One timer for the program: the first form's interval (all forms share it).
std::chrono::milliseconds Interval() {
    for (const X11Form* form : FormsAs<X11Form>())
        if (form->TimerIntervalMs() > 0) return std::chrono::milliseconds(form->TimerIntervalMs());
    return kWithoutTimer;
}

bool ShowChanges() {
    bool changed = false;
    for (X11Form* form : FormsAs<X11Form>()) changed = form->ShowChanges() || changed;
    return changed;
}

// Whether the program has ended, or has nothing left to show.
bool Ended() { return TheDesktop().quit || Forms().empty(); }

}  // namespace

EventLoop::EventLoop()
    : desktopPointer_(TheDesktop().xwayland, ConnectionNumber(TheDesktop().display)),
      schedule_(Interval(), Clock::now()) {}

void EventLoop::Run() {
    while (!Ended()) {
        HandleEvents();
        if (Ended() || endRequest_.Received()) break;
        HandleDesktopPointer();
        TickOrShow();
        XFlush(TheDesktop().display);
        Sleep();
    }
}

void EventLoop::HandleEvents() {
    const Desktop& d = TheDesktop();
    // Only what Xlib has read already: the socket is read once poll() says
    // something came, never on the off chance.
    while (!d.quit && XEventsQueued(d.display, QueuedAlready) > 0) {
        XEvent event;
        XNextEvent(d.display, &event);
        if (Dispatch(event)) schedule_.Wake(Clock::now());
    }
}

bool EventLoop::Dispatch(XEvent& event) {
    if (rawMotion_.IsMotion(event)) return true;  // XInput 2: the pointer moved, wherever
    if (IsMonitorChange(event)) return OnMonitorChange(event);  // RandR
    if (X11Form* form = FormOf(event.xany.window)) return formDispatch_.Dispatch(*form, event);
    if (X11Form* form = FormCaughtBy(event.xany.window)) {
        // The face's input, which its catcher takes; and where the catcher went.
        if (event.type == ButtonPress || event.type == ButtonRelease || event.type == MotionNotify)
            return formDispatch_.Dispatch(*form, event);
        if (event.type == ConfigureNotify) form->Catcher()->OnMoved({event.xconfigure.x, event.xconfigure.y});
        return false;
    }
    return OnDesktopEvent(event);
}

void EventLoop::HandleDesktopPointer() {
    const DesktopPointer::News news = desktopPointer_.Process();
    Desktop& d = TheDesktop();
    // The desktop put a window over a face that asked to stay above.
    if (news.covered)
        for (X11Form* form : FormsAs<X11Form>()) form->NotKeptAbove();
    if (news.stopped) d.pointerChoice.DesktopGone();
    if (news.position) d.pointerChoice.FromDesktop(*news.position);
    if (news.stopped || news.position || news.covered) schedule_.Wake(Clock::now());
}

void EventLoop::TickOrShow() {
    const auto now = Clock::now();
    bool awaitingMap = false;
    for (X11Form* form : FormsAs<X11Form>()) awaitingMap = form->KeepShowing(now) || awaitingMap;
    if (!schedule_.Due(now)) {
        ShowChanges();
        return;
    }
    for (X11Form* form : FormsAs<X11Form>()) form->KeepAbove();
    bool changed = false;
    for (X11Form* form : FormsAs<X11Form>()) changed = form->Tick() || changed;
    desktopPointer_.Acknowledge();
    schedule_.Ticked(changed || awaitingMap || !rawMotion_.Available(), Clock::now());
    rawMotion_.Watch(schedule_.WatchesMotion());
}

void EventLoop::Sleep() {
    Display* display = TheDesktop().display;
    const std::optional<Clock::duration> wait = Earliest(schedule_.Wait(Clock::now()), desktopPointer_.Timeout());
    if ((wait && *wait == Clock::duration::zero()) || XEventsQueued(display, QueuedAlready) > 0) return;
    // The desktop's reports wake the loop only while the ticks rest or
    // watch for motion; a ticking loop reads them at its ticks.
    pollfd bus = desktopPointer_.PollFor();
    if (!schedule_.WatchesMotion() && (bus.events & POLLOUT) == 0) bus.fd = -1;
    pollfd watched[] = {{ConnectionNumber(display), POLLIN, 0}, bus, {endRequest_.Fd(), POLLIN, 0}};
    const int timeout = wait ? static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(*wait).count()) : -1;
    if (::poll(watched, 3, timeout) > 0 && (watched[0].revents & POLLIN) != 0)
        XEventsQueued(display, QueuedAfterReading);
}

}  // namespace platform::x11
