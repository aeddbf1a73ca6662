// screenshot.cpp: the README's picture of the real program on a desktop.
// Usage: zw_screenshot OUTPUT.png
#include <X11/Xlib.h>

#include <cstdio>
#include <thread>

#include "tests/e2e/x_session.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    using namespace std::chrono_literals;
    constexpr int kWidth = 480, kHeight = 300;
    e2e::XServer server(kWidth, kHeight);
    Display* display = server.Connection();

    // A calm desktop: a vertical gradient on the root window.
    const Window root = DefaultRootWindow(display);
    const Pixmap background = XCreatePixmap(display, root, kWidth, kHeight, 24);
    const GC gc = XCreateGC(display, background, 0, nullptr);
    for (int y = 0; y < kHeight; ++y) {
        const unsigned long r = 70 + 60 * y / kHeight, g = 110 + 70 * y / kHeight, b = 170 + 50 * y / kHeight;
        XSetForeground(display, gc, (r << 16) | (g << 8) | b);
        XDrawLine(display, background, gc, 0, y, kWidth, y);
    }
    XSetWindowBackgroundPixmap(display, root, background);
    XClearWindow(display, root);
    XSync(display, False);

    test::TempFolder folder;
    e2e::Program program(server, folder);
    folder.Write("zwinkerle.ini", "[Quorl's Zwinkerle]\nTop=750\nLeft=2400\n");
    const pid_t pid = program.Start();
    if (e2e::WaitForWindow(display, pid) == 0) {
        std::fprintf(stderr, "the program showed no window\n");
        return 1;
    }
    e2e::MovePointer(display, 400, 230);
    std::this_thread::sleep_for(500ms);
    e2e::WritePng(e2e::GrabScreen(display, 0, 0, kWidth, kHeight), argv[1]);
    return 0;
}
