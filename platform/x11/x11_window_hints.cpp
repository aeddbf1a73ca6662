// x11_window_hints.cpp: WM_CLASS, WM_NAME and _NET_WM_NAME, _NET_WM_PID,
// WM_CLIENT_MACHINE, _NET_WM_ICON, _NET_WM_DESKTOP, _MOTIF_WM_HINTS,
// WM_PROTOCOLS and WM_HINTS of a new window.
#include "platform/x11/x11_window_hints.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <span>
#include <string>
#include <vector>

#include "platform/shared/icon_file.h"
#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_window_manager.h"

namespace platform::x11 {

namespace {

// _MOTIF_WM_HINTS, as its format-32 items travel on the client side.
struct MotifHints {
    unsigned long flags;
    unsigned long functions;
    unsigned long decorations;
    long inputMode;
    unsigned long status;
};
constexpr unsigned long kMotifDecorationsGiven = 1UL << 1;  // the decorations field counts
constexpr int kMotifHintsItems = sizeof(MotifHints) / sizeof(long);
static_assert(sizeof(MotifHints) == 5 * sizeof(long));

void SetUtf8Property(Window window, Atom property, const std::string& text) {
    const Desktop& d = TheDesktop();
    XChangeProperty(d.display, window, property, d.atoms.UTF8_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
}

void SetCardinal(Window window, Atom property, unsigned long value) {
    XChangeProperty(TheDesktop().display, window, property, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
}

void SetIcon(Window window, std::span<const std::uint8_t> iconFile) {
    IconImage icon;
    if (!DecodeIconFile(iconFile, icon)) return;
    const Desktop& d = TheDesktop();
    // Format-32 properties travel as longs on the client side.
    std::vector<unsigned long> data{static_cast<unsigned long>(icon.width), static_cast<unsigned long>(icon.height)};
    data.insert(data.end(), icon.argb.begin(), icon.argb.end());
    XChangeProperty(d.display, window, d.atoms.NET_WM_ICON, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
}

void SetClientMachine(Window window) {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0) return;
    XTextProperty machine{};
    char* list[] = {host};
    if (XStringListToTextProperty(list, 1, &machine) != 0) {
        XSetWMClientMachine(TheDesktop().display, window, &machine);
        XFree(machine.value);
    }
}

// Names, class, process and icon, for the window manager and task lists.
void SetNames(Window window, const FormDefinition& definition) {
    const Desktop& d = TheDesktop();
    XClassHint classHint{const_cast<char*>("zwinkerle"), const_cast<char*>("Zwinkerle")};
    XSetClassHint(d.display, window, &classHint);
    XStoreName(d.display, window, definition.applicationTitle.c_str());
    SetUtf8Property(window, d.atoms.NET_WM_NAME, definition.applicationTitle);
    NameOwnProcess(window);
    SetIcon(window, definition.icon);
}

// Where and how it is managed.
void SetManagement(Window window) {
    const Desktop& d = TheDesktop();
    // A companion that stands above everything belongs on every workspace.
    SetCardinal(window, d.atoms.NET_WM_DESKTOP, kAllDesktops);
    // No frame: Motif hints with the decorations flag and no decorations.
    const MotifHints noFrame{kMotifDecorationsGiven, 0, 0, 0, 0};
    XChangeProperty(d.display, window, d.atoms.MOTIF_WM_HINTS, d.atoms.MOTIF_WM_HINTS, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&noFrame), kMotifHintsItems);
    Atom protocols[] = {d.atoms.WM_DELETE_WINDOW};
    XSetWMProtocols(d.display, window, protocols, 1);
    XWMHints hints{};
    // It takes no keyboard input: clicking the face must not take the focus
    // away from the window the user is typing in.
    hints.flags = InputHint | StateHint;
    hints.input = False;
    hints.initial_state = NormalState;
    XSetWMHints(d.display, window, &hints);
}

}  // namespace

void DescribeToWindowManager(Window window, const FormDefinition& definition) {
    SetNames(window, definition);
    SetManagement(window);
}

void NameOwnProcess(Window window) {
    SetCardinal(window, TheDesktop().atoms.NET_WM_PID, static_cast<unsigned long>(::getpid()));
    SetClientMachine(window);
}

}  // namespace platform::x11
