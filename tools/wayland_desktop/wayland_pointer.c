// wayland_pointer.c: a pointer device of our own on a headless compositor,
// which has none: wlroots' virtual pointer (sway) or KWin's fake input.
// Reads one command a line on stdin and answers "ok" once the compositor
// has it:  move X Y  (absolute, logical pixels)  |  button CODE 1|0
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

struct pointer {
    struct wl_seat* seat;
    struct zwlr_virtual_pointer_manager_v1* wlrManager;
    struct org_kde_kwin_fake_input* fakeInput;
    unsigned fakeInputVersion;
};

static void Global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
    struct pointer* p = data;
    if (strcmp(interface, wl_seat_interface.name) == 0 && p->seat == NULL)
        p->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        p->wlrManager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    else if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 3) {
        p->fakeInputVersion = version < 4 ? version : 4;
        p->fakeInput = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, p->fakeInputVersion);
    }
}

static void GlobalRemove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener registryListener = {Global, GlobalRemove};

// Milliseconds, as input devices stamp their events.
static uint32_t Now(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint32_t)(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s WIDTH HEIGHT (of the output)\n", argv[0]);
        return 2;
    }
    const unsigned width = (unsigned)atoi(argv[1]), height = (unsigned)atoi(argv[2]);
    struct wl_display* display = wl_display_connect(NULL);
    if (display == NULL) {
        fprintf(stderr, "no Wayland display\n");
        return 1;
    }
    struct pointer p = {0};
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, &p);
    wl_display_roundtrip(display);
    struct zwlr_virtual_pointer_v1* wlr = NULL;
    if (p.wlrManager != NULL) {
        wlr = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(p.wlrManager, p.seat);
    } else if (p.fakeInput != NULL) {
        org_kde_kwin_fake_input_authenticate(p.fakeInput, "zwinkerle tests", "synthetic input for tests");
    } else {
        fprintf(stderr, "the compositor offers neither a virtual pointer nor fake input\n");
        return 1;
    }
    if (wl_display_roundtrip(display) < 0) return 1;
    printf("ready\n");
    fflush(stdout);

    char line[128];
    while (fgets(line, sizeof line, stdin) != NULL) {
        int x = 0, y = 0;
        unsigned code = 0, down = 0;
        if (sscanf(line, "move %d %d", &x, &y) == 2) {
            if (wlr != NULL) {
                // NOTE: to the middle of the pixel: the compositor scales by the
                // output's size in floating point, and a pixel's very corner may
                // come out a hair short of it, which Xwayland then truncates.
                zwlr_virtual_pointer_v1_motion_absolute(wlr, Now(), 2 * (uint32_t)x + 1, 2 * (uint32_t)y + 1, 2 * width,
                                                        2 * height);
                zwlr_virtual_pointer_v1_frame(wlr);
            } else {
                org_kde_kwin_fake_input_pointer_motion_absolute(p.fakeInput, wl_fixed_from_int(x), wl_fixed_from_int(y));
            }
        } else if (sscanf(line, "button %u %u", &code, &down) == 2) {
            const uint32_t state = down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED;
            if (wlr != NULL) {
                zwlr_virtual_pointer_v1_button(wlr, Now(), code, state);
                zwlr_virtual_pointer_v1_frame(wlr);
            } else {
                org_kde_kwin_fake_input_button(p.fakeInput, code, state);
            }
        } else {
            fprintf(stderr, "unknown command: %s", line);
            return 2;
        }
        // The compositor handles requests in order: once the round trip
        // returns, it has acted on this one.
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "the compositor closed the connection\n");
            return 1;
        }
        printf("ok\n");
        fflush(stdout);
    }
    wl_display_disconnect(display);
    return 0;
}
