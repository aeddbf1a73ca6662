// user_settings.cpp: the user's settings folder on Linux, after the XDG base
// directory rules: $XDG_CONFIG_HOME/zwinkerle/, else ~/.config/zwinkerle/,
// in a home of the account's own.
#include "platform/contract/user_settings.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

namespace platform::UserSettings {

namespace {

std::string FolderOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

// Where installed programs and the system's own files live: a settings file
// there would be the system's, even for root who can write to it.
bool IsSystemFolder(const std::string& folder) {
    for (const std::string_view top : {"/usr", "/bin", "/sbin", "/lib", "/lib64", "/opt", "/etc", "/snap", "/var"})
        if (folder == top || (folder.starts_with(top) && folder[top.size()] == '/')) return true;
    return false;
}

bool IsOurs(const struct stat& info) { return info.st_uid == ::geteuid(); }

// A folder of ours, there or made now, private as the XDG rules ask. It is
// made only inside a folder of ours: never in somebody else's home, as a
// program run by root with another user's HOME would otherwise do.
bool OurFolder(const std::string& path, int depth = 0) {
    struct stat info {};
    // NOTE: a link there must be ours too: one that another user planted in
    // a home we were pointed to would lead our settings wherever they chose.
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && !IsOurs(info)) return false;
    if (::stat(path.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode) && IsOurs(info) && ::access(path.c_str(), W_OK | X_OK) == 0;
    const std::string parent = FolderOf(path);
    return errno == ENOENT && depth < 16 && parent != path && OurFolder(parent, depth + 1) &&
           (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) && OurFolder(path, depth + 1);
}

// The home folder of the account we run as, from the user database: what
// HOME should say, when it points elsewhere (sudo -E keeps the caller's).
std::string AccountHome() {
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/' ? entry->pw_dir : "";
}

std::string Absolute(const char* path) { return path != nullptr && path[0] == '/' ? path : ""; }

// Whether a folder lies in the system's folders, as it is named or where its
// links lead: root may point XDG_CONFIG_HOME anywhere.
bool InTheSystemsFolders(const std::string& folder) {
    if (IsSystemFolder(folder)) return true;
    char resolved[PATH_MAX];
    return ::realpath(folder.c_str(), resolved) != nullptr && IsSystemFolder(resolved);
}

}  // namespace

bool CanKeepAt(const std::string& file) {
    const std::string folder = FolderOf(file);
    if (IsSystemFolder(folder) || ::access(folder.c_str(), W_OK | X_OK) != 0) return false;
    // A settings file already there must be one this user may rewrite: not
    // another user's, not read-only, not a folder.
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return errno == ENOENT;
    return S_ISREG(info.st_mode) && IsOurs(info) && (info.st_mode & S_IWUSR) != 0;
}

std::string Folder() {
    // $XDG_CONFIG_HOME, else ~/.config, where they name a folder of ours;
    // else the .config folder of the account's own home.
    const std::string home = Absolute(std::getenv("HOME")), account = AccountHome();
    for (const std::string& base : {Absolute(std::getenv("XDG_CONFIG_HOME")),
                                    home.empty() ? std::string() : home + "/.config",
                                    account.empty() ? std::string() : account + "/.config"}) {
        if (!base.empty() && !InTheSystemsFolders(base) && OurFolder(base + "/zwinkerle") &&
            !InTheSystemsFolders(base + "/zwinkerle"))
            return base + "/zwinkerle/";
    }
    return {};
}

}  // namespace platform::UserSettings
