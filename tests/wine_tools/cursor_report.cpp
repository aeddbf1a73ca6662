// cursor_report.cpp: reports a move of the cursor to the running face as
// Windows does at every move (a WinEvent for OBJID_CURSOR), which Wine
// never does. Exit code 0 once reported.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

int main() {
    // NOTE: Wine passes an event on only with a window to name.
    HWND face = ::FindWindowW(nullptr, L"Quorl's Zwinkerle");
    if (face == nullptr) return 3;
    ::NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, face, OBJID_CURSOR, CHILDID_SELF);
    return 0;
}
