// session_host.h: what a compositor's session needs of the machine: its
// user, its folders, the X socket folder, and the processes it leaves.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace e2e {

std::string ReadFile(const std::string& path);
// Whether `program` (a name looked up on PATH, or a path) can run.
bool OnPath(const std::string& program);

// The unprivileged user that compositors run as when the tests run as root,
// made once; several test processes may race to make it.
int TestUser();
// Makes `user` the owner of `folder` and everything in it.
void GiveToUser(const std::string& folder, int user);

// X servers put their sockets in /tmp/.X11-unix, a folder for every user:
// KWin refuses one without the sticky bit, and wlroots makes a missing one
// for its own user only.
void PrepareX11SocketFolder();
// The X display locks and sockets of `user`'s X servers that have ended
// without removing them, as a killed compositor leaves its Xwayland's.
void RemoveStaleXLocks(uid_t user);
// The X display (":N") whose lock file holds `pid`; empty when none does.
std::string DisplayLockedBy(pid_t pid);

// A process on this machine, as /proc tells.
struct Process {
    pid_t pid = 0;
    pid_t parent = 0;
    pid_t group = 0;
    char state = 0;
    std::string name;
    std::vector<std::string> arguments;
    bool marked = false;  // carries `mark` in its environment
};
std::vector<Process> Processes(const std::string& mark);

// What a process inside the session must not take from the tests' own.
inline const std::vector<std::string> kUnset{"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XAUTHORITY",
                                      "DBUS_SESSION_BUS_ADDRESS", "DBUS_SYSTEM_BUS_ADDRESS", "XDG_SESSION_TYPE",
                                      "XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "XDG_CONFIG_HOME",
                                      "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "SWAYSOCK", "I3SOCK",
                                      "GDK_BACKEND", "QT_QPA_PLATFORM", "DESKTOP_SESSION"};

inline std::vector<std::string> Joined(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}


}  // namespace e2e
