// sd_bus_library.h: libsystemd's sd-bus, loaded when the desktop's pointer
// first needs it.
#pragma once

namespace platform::x11 {

// Loads libsystemd and finds the sd-bus calls the desktop's pointer makes;
// false where it is missing. Until it has succeeded, none of them may be
// called.
bool LoadSdBus();

}  // namespace platform::x11
