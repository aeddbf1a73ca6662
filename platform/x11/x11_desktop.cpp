// x11_desktop.cpp: the X11 backend's state: the connection opened and the
// desktop learnt at start, the forms' windows and the connection released
// at the end, a connection lost on the way, and the pointer where the
// window calls ask for it.
#include "platform/x11/x11_desktop.h"

#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/x11/x11_form.h"
#include "platform/x11/x11_monitors.h"
#include "platform/x11/x11_program_pixels.h"
#include "platform/x11/x11_window_manager.h"

namespace platform::x11 {

namespace {

// Alive from before main until after the program's own statics (its forms) are gone.
Desktop desktop;

int IgnoreError(Display*, XErrorEvent*) { return 0; }  // a vanished window must not end the program

int ServerGone(Display*) {
    static const char message[] = "zwinkerle: lost the connection to the X server\n";
    (void)!::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(1);
}

void InternAtoms(Atoms& a) {
    Desktop& d = TheDesktop();
    struct Entry { Atom* atom; const char* name; };
    const Entry entries[] = {
        {&a.WM_PROTOCOLS, "WM_PROTOCOLS"}, {&a.WM_DELETE_WINDOW, "WM_DELETE_WINDOW"},
        {&a.UTF8_STRING, "UTF8_STRING"}, {&a.CARDINAL_, "CARDINAL"},
        {&a.NET_SUPPORTED, "_NET_SUPPORTED"}, {&a.NET_SUPPORTING_WM_CHECK, "_NET_SUPPORTING_WM_CHECK"},
        {&a.NET_WM_NAME, "_NET_WM_NAME"}, {&a.NET_WM_ICON, "_NET_WM_ICON"}, {&a.NET_WM_PID, "_NET_WM_PID"},
        {&a.NET_WM_STATE, "_NET_WM_STATE"}, {&a.NET_WM_STATE_ABOVE, "_NET_WM_STATE_ABOVE"},
        {&a.NET_WM_STATE_STICKY, "_NET_WM_STATE_STICKY"}, {&a.NET_WM_DESKTOP, "_NET_WM_DESKTOP"},
        {&a.NET_WM_MOVERESIZE, "_NET_WM_MOVERESIZE"}, {&a.MOTIF_WM_HINTS, "_MOTIF_WM_HINTS"},
        {&a.MANAGER, "MANAGER"},
    };
    std::vector<char*> names;
    for (const Entry& e : entries) names.push_back(const_cast<char*>(e.name));
    std::vector<Atom> atoms(names.size());
    XInternAtoms(d.display, names.data(), static_cast<int>(names.size()), False, atoms.data());
    for (std::size_t i = 0; i < names.size(); ++i) *entries[i].atom = atoms[i];
    a.WM_S = XInternAtom(d.display, ("WM_S" + std::to_string(d.screen)).c_str(), False);
    a.NET_WM_CM_S = XInternAtom(d.display, ("_NET_WM_CM_S" + std::to_string(d.screen)).c_str(), False);
}

// Shape for the window's outline; RandR for the monitors, whose changes
// the root reports.
void QueryExtensions() {
    Desktop& d = TheDesktop();
    int eventBase = 0, errorBase = 0;
    d.hasShape = XShapeQueryExtension(d.display, &eventBase, &errorBase) != 0;
    d.hasRandr = XRRQueryExtension(d.display, &d.randrEventBase, &errorBase) != 0;
    if (d.hasRandr)
        XRRSelectInput(d.display, d.root, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
}

}  // namespace

Desktop& TheDesktop() { return desktop; }

X11Form* FormOf(Window window) { return static_cast<X11Form*>(platform::FormOf(static_cast<HWND>(window))); }

X11Form* FormCaughtBy(Window window) {
    for (X11Form* form : FormsAs<X11Form>())
        if (form->Catcher() != nullptr && form->Catcher()->Handle() == window) return form;
    return nullptr;
}

std::optional<POINTAPI> Desktop::QueryPointer() {
    if (display == nullptr) return std::nullopt;
    Window rootReturned = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(display, root, &rootReturned, &child, &rootX, &rootY, &x, &y, &mask)) return std::nullopt;
    return pointerChoice.FromX({rootX, rootY});
}

bool OpenDesktop() {
    Desktop& d = TheDesktop();
    d.display = XOpenDisplay(nullptr);
    if (d.display == nullptr) {
        std::fprintf(stderr, "zwinkerle: cannot open display \"%s\"\n", XDisplayName(nullptr));
        return false;
    }
    XSetErrorHandler(IgnoreError);
    XSetIOErrorHandler(ServerGone);
    d.screen = DefaultScreen(d.display);
    if (DefaultVisual(d.display, d.screen)->c_class != TrueColor) {
        std::fprintf(stderr, "zwinkerle: the display has no true-colour visual\n");
        XCloseDisplay(d.display);
        d.display = nullptr;
        return false;
    }
    d.root = RootWindow(d.display, d.screen);
    InternAtoms(d.atoms);
    QueryExtensions();
    d.xwayland = IsXwayland();
    int opcode = 0, event = 0, error = 0;
    d.inputShapesPassed = XQueryExtension(d.display, "XWAYLAND", &opcode, &event, &error) != 0;
    ReadDensity();
    ReadOrigin();
    // A new window manager announces itself to the root's structure
    // listeners; its check window is a root property. The root's children
    // tell when another window may cover ours.
    XSelectInput(d.display, d.root, StructureNotifyMask | SubstructureNotifyMask | PropertyChangeMask);
    WatchWindowManager();
    UseDriver(&d);
    return true;
}

void CloseDesktop() {
    Desktop& d = TheDesktop();
    // The forms may outlive the connection; their windows may not.
    while (!Forms().empty()) FormsAs<X11Form>().front()->Release();
    UseDriver(nullptr);
    XCloseDisplay(d.display);
    d.display = nullptr;
}

}  // namespace platform::x11
