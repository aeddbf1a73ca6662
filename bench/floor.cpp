// floor.cpp: the least any eye-following program must do. It asks for the
// pointer every 70 ms and draws nothing; the benchmark's yardstick.
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "floor: no display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    for (;;) {
        Window rootReturn = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int mask = 0;
        XQueryPointer(display, root, &rootReturn, &child, &rootX, &rootY, &x, &y, &mask);
        ::poll(nullptr, 0, 70);
    }
}
