// win32_desktop.h: the Win32 backend's state, shared by its files.
//
// The program's instance, its window class, the single-copy mutex and the
// density; and the desktop's hooks of the window calls. Nothing outside
// platform/win32/ sees this header.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>

#include "platform/software/desktop_form.h"
#include "platform/win32/win32_system.h"

namespace platform::win32 {

class Win32Form;

// The class of every form's window, registered by RunProgram.
inline constexpr wchar_t kWindowClass[] = L"Zwinkerle";

struct Desktop final : DesktopDriver {
    HINSTANCE instance = nullptr;
    bool classRegistered = false;  // and the double-click settings read (PrepareForWindows)
    HANDLE singleCopy = nullptr;  // the named mutex, held for the program's life
    bool anotherCopy = false;
    std::int32_t density = 0;  // of the program's pixels; 0 until read (ProgramDensity)
    // The system has reported a move of the cursor itself (resting_timer.h).
    bool cursorReported = false;
    bool ended = false;
    // A bug (anything but a failure or the end) that left an event handler;
    // it may not cross the system's frames, so it is thrown again after the
    // message loop.
    std::exception_ptr escaped;

    // The window calls' hooks (desktop_form.h): the cursor; the program's
    // pixels at the system's density; the mouse, unless a left press on a
    // form holds it (caption_drag.h). The double-click is decided as on
    // X11, with the system's time and rectangle (PrepareForWindows).
    std::optional<POINTAPI> QueryPointer() override;
    ProgramSpace Space() override;
    bool ReleaseMouse() override;
};

Desktop& TheDesktop();

// Screen pixels per program pixel in the positions the program sees, the
// pointer's, its window's, the monitors': the system's density, read at
// first use. Its window may stand on a monitor of another density, and is
// drawn at that one's.
std::int32_t ProgramDensity();
// The density of the monitor a window stands on.
std::int32_t DensityOf(::HWND window);

// What windows need of the desktop, at the first window: its class, and
// the system's double-click time and rectangle. False when the class
// cannot be registered.
bool PrepareForWindows();

// Whether this process can show no window because the desktop was not up
// in time when it first asked for it (Wine); not so when there is no
// display at all.
bool DesktopCameTooLate();

// The form behind a native window, or null.
Win32Form* FormOf(::HWND window);

// The contract's handles for native ones.
HWND HandleOf(::HWND window);

// Dispatches the messages of every form's window (win32_event_loop.cpp).
::LRESULT CALLBACK WindowProcedure(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam);

}  // namespace platform::win32
