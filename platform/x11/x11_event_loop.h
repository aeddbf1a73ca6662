// x11_event_loop.h: the program's event loop on X11.
//
// One thread; poll() on the connection wakes the loop for X events, for the
// desktop's reports of the pointer and for the form timers. Once the eyes
// stop changing, the timers rest until the pointer moves or the window is
// touched.
#pragma once

#include <X11/Xlib.h>

#include <chrono>

#include "platform/posix/end_request.h"
#include "platform/shared/tick_schedule.h"
#include "platform/x11/desktop_pointer.h"
#include "platform/x11/x11_form_dispatch.h"
#include "platform/x11/x11_raw_motion.h"

namespace platform::x11 {

class EventLoop {
public:
    // Needs the forms made: their timers set the ticks.
    EventLoop();
    // Runs until the last form is gone, the program ends, or a signal asks
    // it to.
    void Run();

private:
    using Clock = std::chrono::steady_clock;

    // Handles the events Xlib has read already.
    void HandleEvents();
    // Handles one event, by whose it is; true when it can change what the
    // next tick paints.
    bool Dispatch(XEvent& event);
    // Takes what the desktop reported: the pointer, and covers of the faces.
    void HandleDesktopPointer();
    // Asks again for a lost first map; then ticks, if a tick is due, or
    // shows what changed.
    void TickOrShow();
    // Sleeps until an X event, the desktop's report, a signal or the next
    // tick.
    void Sleep();

    FormDispatch formDispatch_;
    posix::EndRequest endRequest_;
    RawMotion rawMotion_;
    // Started once the window is up: the bus never delays the first frame.
    DesktopPointer desktopPointer_;
    TickSchedule schedule_;
};

}  // namespace platform::x11
