// resting_timer.h: a form's timer, stopped while the face rests, and the
// watch on pointer motion that wakes it.
//
// The ticks follow TickSchedule: once a tick paints nothing new, the timer
// runs on while the watch is on; one more quiet tick and it stops. Pointer
// motion anywhere, or anything done to the window, wakes it: a tick at once
// (kTickNow) and the timer again.
//
// NOTE: two watches, since each misses what the other sees.
// - Raw input from every mouse, RIDEV_INPUTSINK so that it reaches a window
//   in the background: device motion, also where the cursor cannot move;
//   not a cursor that a program sets, nor pens and touch, which move the
//   cursor without mouse input.
// - A WinEvent hook on the cursor's location (EVENT_OBJECT_LOCATIONCHANGE,
//   OBJID_CURSOR): every move of the cursor, whoever makes it. It also
//   calls us for every other object that moves on the desktop, windows and
//   carets, which we pass over.
// Under Wine neither sees the pointer outside Wine's own windows: it takes
// X input events for its windows only (XInput 2 raw events only while it
// clips the cursor), and raises no WinEvent for the cursor.
//
// NOTE: so the eyes follow first and rest second. The face rests only once
// the hook has reported a move of the cursor itself, which Windows does at
// every move, whoever makes it; until then the watch has not shown that it
// sees every move, and the timer keeps ticking. Under Wine it never does.
// This asks what the system does rather than which system it is (ntdll's
// wine_get_version): a Wine that reports the cursor may rest too, and a
// system that does not keeps following the pointer.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/shared/tick_schedule.h"
#include "platform/win32/win32_system.h"

namespace platform::win32 {

// Posted to a form's window for a tick at once.
inline constexpr ::UINT kTickNow = WM_APP + 1;

class RestingTimer {
public:
    RestingTimer() = default;
    ~RestingTimer() { Stop(); }
    RestingTimer(const RestingTimer&) = delete;
    RestingTimer& operator=(const RestingTimer&) = delete;

    // Ticks `window` every `intervalMs` (WM_TIMER), and watches.
    void Start(::HWND window, std::uint32_t intervalMs);
    // A tick ran; `changed`: it painted something new or the pointer moved.
    void Ticked(bool changed);
    // Something happened that can change what the next tick paints.
    void Wake();
    void Stop();

private:
    void Watch(bool on);

    ::HWND window_ = nullptr;
    std::uint32_t intervalMs_ = 0;
    std::optional<TickSchedule> schedule_;
    bool watching_ = false;
    ::HWINEVENTHOOK cursorHook_ = nullptr;
};

}  // namespace platform::win32
