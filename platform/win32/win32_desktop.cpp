// win32_desktop.cpp: the backend's one state and the forms behind windows.
#include "platform/win32/win32_desktop.h"

namespace platform::win32 {

Desktop& TheDesktop() {
    static Desktop desktop;
    return desktop;
}

Win32Form* FormOf(::HWND window) {
    const auto found = TheDesktop().forms.find(window);
    return found == TheDesktop().forms.end() ? nullptr : found->second;
}

}  // namespace platform::win32
