// win32_event_loop.cpp: the program's entry and message loop on Windows.
//
// Implements: RunProgram (the single-copy mutex before anything asks for
// the desktop, the message loop) and the window procedure, which turns
// messages into the form's events, one at a time, and wakes a resting face
// (resting_timer.h). The form makes MouseDown and DblClick of the presses
// (desktop_form.h); a caption grab moves the window only while the left
// button is held (caption_drag.h). No C++ exception crosses the system's
// frames: the end of the program and any bug are caught in the window
// procedure and acted on after the loop.
#include <cstdio>

#include "platform/contract/app.h"
#include "platform/runtime/failure.h"
#include "platform/contract/program.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form.h"

#include <windowsx.h>  // after windows.h, which the backend's headers bring

namespace platform {

namespace {

using win32::TheDesktop;
using win32::Win32Form;

// One name per session: every copy of the program asks for the same mutex.
constexpr wchar_t kSingleCopyMutex[] = L"Local\\Quorl's Zwinkerle";

std::int16_t ShiftOf(::WPARAM keys) {
    return static_cast<std::int16_t>(((keys & MK_SHIFT) != 0 ? 1 : 0) | ((keys & MK_CONTROL) != 0 ? 2 : 0) |
                                     (::GetKeyState(VK_MENU) < 0 ? 4 : 0));
}

// The screen position of the message being handled.
::POINT MessagePoint() {
    const ::DWORD position = ::GetMessagePos();
    return {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
}

// NOTE: the system's own double-click (WM_LBUTTONDBLCLK) takes a second
// press only within half its rectangle of the first; X11's takes it within
// the whole of it either way. So every left press counts, a double-click's
// second one too, and the form decides as on X11.
void Press(Win32Form& form, std::int16_t button, ::WPARAM keys, ::LPARAM position) {
    const ::POINT at = MessagePoint();
    form.OnPress(button, ShiftOf(keys), static_cast<std::uint32_t>(::GetMessageTime()), {at.x, at.y},
                 {GET_X_LPARAM(position), GET_Y_LPARAM(position)});
}

// Runs the handler of one of the mouse's messages; false for the others.
bool DispatchMouse(Win32Form& form, ::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            Press(form, 1, wParam, lParam);
            return true;
        // Only the left button double-clicks; a quick second press of another is a press.
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            Press(form, 2, wParam, lParam);
            return true;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            Press(form, 4, wParam, lParam);
            return true;
        case WM_MOUSEMOVE:
            form.Drag().Motion(window, MessagePoint(), (wParam & MK_LBUTTON) != 0);
            return true;
        case WM_LBUTTONUP:
            form.Drag().Release(window);
            return true;
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            // The mouse stays with a left drag that holds it.
            if (::GetCapture() == window && !form.Drag().HoldsMouse()) ::ReleaseCapture();
            return true;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<::HWND>(lParam) != window) form.Drag().Lost();
            return true;
        default:
            return false;
    }
}

// Runs the handler of one message; false for messages the system handles
// (too). Anything that happens to the window wakes a resting face.
bool Dispatch(Win32Form& form, ::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            form.Paint();
            form.Wake();
            return true;
        case WM_ERASEBKGND:
            return true;  // WM_PAINT covers every pixel
        case WM_TIMER:
        case win32::kTickNow:
            form.OnTimer();
            return true;
        case WM_DPICHANGED:
            form.OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const ::RECT*>(lParam));
            return true;
        case WM_INPUT:  // pointer motion anywhere, watched while the face rests
        case WM_WINDOWPOSCHANGED:
        case WM_DISPLAYCHANGE:
            form.Wake();
            return false;
        default:
            if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) form.Wake();
            return DispatchMouse(form, window, message, wParam, lParam);
    }
}

}  // namespace

::LRESULT CALLBACK win32::WindowProcedure(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
    Desktop& d = TheDesktop();
    if (message == WM_NCCREATE)
        static_cast<Win32Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams)->Attach(window);
    Win32Form* form = FormOf(window);
    if (message == WM_NCDESTROY) {
        if (form != nullptr) form->Forget();
        if (Forms().empty()) ::PostQuitMessage(0);  // closed by other means: the program ends
    } else if (form != nullptr && !d.ended) {
        try {
            if (Dispatch(*form, window, message, wParam, lParam)) return 0;
        } catch (const ProgramEnded&) {
            // No further events: the loop stops at the next message.
            d.ended = true;
            ::PostQuitMessage(0);
            return 0;
        } catch (...) {
            d.escaped = std::current_exception();
            d.ended = true;
            ::PostQuitMessage(1);
            return 0;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int RunProgram(int, char**, void (*startup)()) {
    win32::Desktop& d = TheDesktop();
    d.instance = ::GetModuleHandleW(nullptr);
    // Before any window exists. The system creates a named mutex once: of
    // copies started at the same instant, exactly one is first. It goes when
    // the process ends, however it ends.
    d.singleCopy = ::CreateMutexW(nullptr, FALSE, kSingleCopyMutex);
    d.anotherCopy = d.singleCopy != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
    UseDriver(&d);
    // Nothing here asks for the desktop: a copy that ends at once must not
    // wait for it, nor start it (Wine starts it on first use).

    bool windowless = false;
    try {
        startup();
        windowless = Forms().empty();
        MSG message{};
        while (!d.ended && !Forms().empty() && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    } catch (const ProgramEnded&) {
    }
    // The forms may outlive the loop; their windows and GDI objects may not.
    while (!Forms().empty()) FormsAs<Win32Form>().front()->Release();
    if (d.classRegistered) ::UnregisterClassW(win32::kWindowClass, d.instance);
    if (d.singleCopy != nullptr) ::CloseHandle(d.singleCopy);
    if (d.escaped) std::rethrow_exception(d.escaped);
    if (!windowless) return 0;
    std::fputs(win32::DesktopCameTooLate()
                   ? "Zwinkerle: cannot open its window: the desktop did not come up in time; start Zwinkerle again\n"
                   : "Zwinkerle: cannot open its window: no display to show it on\n",
               stderr);
    return 1;
}

}  // namespace platform
