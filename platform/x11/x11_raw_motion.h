// x11_raw_motion.h: pointer motion anywhere on the screen, from XInput2.
//
// Wakes a resting program when the pointer moves, wherever it is. Watched
// only while the program rests or is about to: a moving pointer would
// otherwise wake the loop far more often than it ticks.
#pragma once

#include <X11/Xlib.h>

namespace platform::x11 {

class RawMotion {
public:
    RawMotion();  // needs the connection open
    // False on a server without XInput 2: the program then never rests.
    bool Available() const { return available_; }
    // Selects or deselects raw motion on the root; a request only on change.
    void Watch(bool on);
    bool IsMotion(const XEvent& event) const;

private:
    bool available_ = false;
    bool watching_ = false;
    int opcode_ = 0;
};

}  // namespace platform::x11
