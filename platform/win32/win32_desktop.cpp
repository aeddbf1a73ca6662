// win32_desktop.cpp: the backend's one state, the forms behind windows,
// what the backend reads of the desktop once it needs it, and the desktop's
// hooks of the window calls.
//
// NOTE: Wine starts its desktop process when a program first asks for the
// desktop, and waits 10 s for it. On a busy machine it can take longer:
// the process that asked then has a desktop window that no thread owns and
// no display driver, for good, and none of its windows opens. A copy that
// ends at once never asks: it neither starts the desktop nor waits for it,
// and leaves the machine to the copy that shows the face.
#include "platform/win32/win32_desktop.h"

#include "platform/shared/density.h"
#include "platform/win32/win32_form.h"

namespace platform::win32 {

Desktop& TheDesktop() {
    static Desktop desktop;
    return desktop;
}

std::int32_t ProgramDensity() {
    Desktop& d = TheDesktop();
    if (d.density > 0) return d.density;
    d.density = 1;
    if (HDC screen = ::GetDC(nullptr)) {
        // Per-monitor aware (the manifest): the system's own density.
        d.density = DensityOfDpi(::GetDeviceCaps(screen, LOGPIXELSX));
        ::ReleaseDC(nullptr, screen);
    }
    return d.density;
}

std::int32_t DensityOf(::HWND window) {
    // Windows 10 1607 and later; older systems tell a monitor's own density
    // only in WM_DPICHANGED.
    using DpiForWindow = ::UINT(WINAPI*)(::HWND);
    static const auto dpiFor = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const ::UINT dpi = dpiFor != nullptr && window != nullptr ? dpiFor(window) : 0;
    return dpi > 0 ? DensityOfDpi(dpi) : ProgramDensity();
}

bool PrepareForWindows() {
    Desktop& d = TheDesktop();
    if (d.classRegistered) return true;
    // The system's time and rectangle, read once as X11 reads the desktop's.
    d.doubleClick = DoubleClickDetector(::GetDoubleClickTime(), ::GetSystemMetrics(SM_CXDOUBLECLK),
                                        ::GetSystemMetrics(SM_CYDOUBLECLK));
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = d.instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = kWindowClass;
    d.classRegistered = ::RegisterClassExW(&windowClass) != 0;
    return d.classRegistered;
}

bool DesktopCameTooLate() { return ::GetWindowThreadProcessId(::GetDesktopWindow(), nullptr) == 0; }

HWND HandleOf(::HWND window) { return static_cast<HWND>(reinterpret_cast<std::uintptr_t>(window)); }

Win32Form* FormOf(::HWND window) { return static_cast<Win32Form*>(platform::FormOf(HandleOf(window))); }

std::optional<POINTAPI> Desktop::QueryPointer() {
    ::POINT cursor{};
    if (!::GetCursorPos(&cursor)) return std::nullopt;
    return POINTAPI{cursor.x, cursor.y};
}

ProgramSpace Desktop::Space() { return {{0, 0}, ProgramDensity()}; }

bool Desktop::ReleaseMouse() {
    if (Win32Form* form = FormOf(::GetCapture()); form != nullptr && form->Drag().HoldsMouse()) return true;
    return ::ReleaseCapture() != 0;
}

}  // namespace platform::win32
