// resting_timer.cpp: SetTimer while the eyes move, nothing while they rest.
#include "platform/win32/resting_timer.h"

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form.h"

namespace platform::win32 {

namespace {

using Clock = TickSchedule::Clock;

constexpr UINT_PTR kTimer = 1;
constexpr USHORT kGenericDesktop = 0x01, kMouse = 0x02;  // HID usage page and usage

void CALLBACK CursorMoved(HWINEVENTHOOK, ::DWORD, ::HWND, LONG object, LONG, ::DWORD, ::DWORD) {
    if (object != OBJID_CURSOR) return;
    TheDesktop().cursorReported = true;
    for (Win32Form* form : FormsAs<Win32Form>()) form->Wake();
}

}  // namespace

void RestingTimer::Start(::HWND window, std::uint32_t intervalMs) {
    window_ = window;
    intervalMs_ = intervalMs;
    schedule_.emplace(std::chrono::milliseconds(intervalMs), Clock::now());
    ::SetTimer(window_, kTimer, intervalMs_, nullptr);
    Watch(!TheDesktop().cursorReported);
}

void RestingTimer::Ticked(bool changed) {
    if (!schedule_) return;
    // Until the watch has seen the cursor move, a quiet tick is no reason to rest.
    const bool trusted = TheDesktop().cursorReported;
    schedule_->Ticked(changed || !trusted, Clock::now());
    Watch(schedule_->WatchesMotion() || !trusted);
    if (schedule_->Resting()) ::KillTimer(window_, kTimer);
}

void RestingTimer::Wake() {
    if (!schedule_) return;
    const bool resting = schedule_->Resting();
    schedule_->Wake(Clock::now());
    if (!resting) return;
    ::SetTimer(window_, kTimer, intervalMs_, nullptr);
    ::PostMessageW(window_, kTickNow, 0, 0);
}

void RestingTimer::Stop() {
    Watch(false);
    if (schedule_ && window_ != nullptr) ::KillTimer(window_, kTimer);
    schedule_.reset();
}

void RestingTimer::Watch(bool on) {
    if (on == watching_) return;
    watching_ = on;
    const ::DWORD flags = on ? RIDEV_INPUTSINK : RIDEV_REMOVE;
    RAWINPUTDEVICE mouse{kGenericDesktop, kMouse, flags, on ? window_ : nullptr};
    ::RegisterRawInputDevices(&mouse, 1, sizeof mouse);
    if (on) {
        cursorHook_ = ::SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, nullptr, CursorMoved,
                                        0, 0, WINEVENT_OUTOFCONTEXT);
    } else if (cursorHook_ != nullptr) {
        ::UnhookWinEvent(cursorHook_);
        cursorHook_ = nullptr;
    }
}

}  // namespace platform::win32
