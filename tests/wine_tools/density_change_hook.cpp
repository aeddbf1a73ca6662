// density_change_hook.cpp: loaded into the face's process by
// density_change.exe, sends the face's window WM_DPICHANGED from its own
// thread, as Windows does when the window reaches a monitor of another
// density. Wine never does: it has one density for all monitors.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "tests/wine_tools/density_change.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK DensityChangeHook(int code, WPARAM removal, LPARAM message) {
    auto* msg = reinterpret_cast<MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->message == ::RegisterWindowMessageW(kDensityChangeRequest)) {
        const DensityChange change = DensityChange::Unpacked(msg->lParam);
        // The suggested rectangle, as Windows works it out: the window's size at that density.
        RECT suggested{change.x, change.y, change.x + MulDiv(148, change.dpi, 96), change.y + MulDiv(230, change.dpi, 96)};
        ::SendMessageW(msg->hwnd, WM_DPICHANGED, MAKEWPARAM(change.dpi, change.dpi), reinterpret_cast<LPARAM>(&suggested));
        msg->message = WM_NULL;
    }
    return ::CallNextHookEx(nullptr, code, removal, message);
}
