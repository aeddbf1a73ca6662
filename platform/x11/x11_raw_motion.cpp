// x11_raw_motion.cpp: XI_RawMotion on the root window.
#include "platform/x11/x11_raw_motion.h"

#include <X11/extensions/XInput2.h>

#include "platform/x11/x11_desktop.h"

namespace platform::x11 {

RawMotion::RawMotion() {
    Display* display = TheDesktop().display;
    // NOTE: from XInput 2.1 on, raw events reach the root window whatever
    // grab another client holds (an open menu, a drag in another program);
    // a client that announces 2.0 gets none during such a grab.
    int event = 0, error = 0, major = 2, minor = 2;
    available_ = XQueryExtension(display, "XInputExtension", &opcode_, &event, &error) &&
                 XIQueryVersion(display, &major, &minor) == Success && (major > 2 || (major == 2 && minor >= 1));
}

void RawMotion::Watch(bool on) {
    if (!available_ || on == watching_) return;
    watching_ = on;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (on) XISetMask(bits, XI_RawMotion);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    XISelectEvents(TheDesktop().display, TheDesktop().root, &mask, 1);
}

bool RawMotion::IsMotion(const XEvent& event) const {
    // NOTE: the event's data is never fetched; Xlib frees it with the next event.
    return available_ && event.type == GenericEvent && event.xcookie.extension == opcode_ &&
           event.xcookie.evtype == XI_RawMotion;
}

}  // namespace platform::x11
