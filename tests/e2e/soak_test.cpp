// A long run of the real program: the pointer moves, rests, and now and then
// drags the face. Nothing it holds may grow, in its memory or in the X server.
// ZW_SOAK_SECONDS sets the length (60 by default).
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <thread>

#include "tests/e2e/x_session.h"

namespace {

using namespace std::chrono_literals;

long AnonymousKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("RssAnon:", 0) == 0) return std::stol(line.substr(8));
    return -1;
}

// What the X server holds for the client that owns `window`, by type.
std::map<std::string, long> ServerResources(Display* display, Window window) {
    std::map<std::string, long> counts;
    int clientCount = 0;
    XResClient* clients = nullptr;
    XResQueryClients(display, &clientCount, &clients);
    for (int i = 0; i < clientCount; ++i) {
        if ((window & ~clients[i].resource_mask) != clients[i].resource_base) continue;
        int typeCount = 0;
        XResType* types = nullptr;
        XResQueryClientResources(display, clients[i].resource_base, &typeCount, &types);
        for (int t = 0; t < typeCount; ++t) {
            char* name = XGetAtomName(display, types[t].resource_type);
            counts[name != nullptr ? name : "?"] = types[t].count;
            if (name != nullptr) XFree(name);
        }
        if (types != nullptr) XFree(types);
    }
    if (clients != nullptr) XFree(clients);
    return counts;
}

TEST(Soak, MemoryAndServerResourcesStayFlat) {
    const char* setting = std::getenv("ZW_SOAK_SECONDS");
    const auto span = std::chrono::seconds(setting != nullptr ? std::atoi(setting) : 60);
    test::TempFolder folder;
    e2e::XServer server;
    e2e::Program program(server, folder);
    Display* display = server.Connection();
    const pid_t pid = program.Start();
    const Window window = e2e::WaitForWindow(display, pid);
    ASSERT_NE(window, 0U) << program.Stderr(pid);

    [[maybe_unused]] long earlyKiB = 0;
    std::map<std::string, long> earlyResources;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; std::chrono::steady_clock::now() - start < span; ++round) {
        for (int step = 0; step < 100; ++step) {  // 2 s of motion around the face
            const double angle = (round * 100 + step) * 0.05;
            e2e::MovePointer(display, 512 + static_cast<int>(300 * std::cos(angle)),
                             384 + static_cast<int>(250 * std::sin(angle)));
            std::this_thread::sleep_for(20ms);
        }
        if (round % 4 == 3) {  // a drag there and back
            const auto [left, top] = e2e::RootPosition(display, window);
            for (const int dx : {40, -40}) {
                e2e::MovePointer(display, left + 76, top + 120);
                e2e::Button(display, 1, true);
                e2e::MovePointer(display, left + 76 + dx / 2, top + 120);
                e2e::MovePointer(display, left + 76 + dx, top + 120);
                std::this_thread::sleep_for(100ms);
                e2e::Button(display, 1, false);
                std::this_thread::sleep_for(600ms);  // past the double-click time
            }
        }
        std::this_thread::sleep_for(1s);  // at rest
        if (round == 1) {
            earlyKiB = AnonymousKiB(pid);
            earlyResources = ServerResources(display, window);
        }
    }
#ifndef ZW_SANITIZE
    // (A sanitizer's allocator holds freed memory back; the release build checks this.)
    EXPECT_LE(AnonymousKiB(pid), earlyKiB + 32) << "the program's own memory grew";
#endif
    const std::map<std::string, long> lateResources = ServerResources(display, window);
    EXPECT_FALSE(earlyResources.empty());
    for (const auto& [type, count] : lateResources)
        EXPECT_LE(count, earlyResources[type]) << "the X server holds more of " << type;

    // A clean end, so that a leak checker built into the program reports.
    e2e::SendClose(display, window);
    EXPECT_EQ(program.WaitForExit(pid, 10s), 0);
    EXPECT_EQ(program.Stderr(pid).find("LeakSanitizer"), std::string::npos) << program.Stderr(pid);
}

}  // namespace
