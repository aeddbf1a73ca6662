// user_settings.cpp: the user's settings folder on Linux, after the XDG base
// directory rules: $XDG_CONFIG_HOME/zwinkerle/, else ~/.config/zwinkerle/.
#include "platform/user_settings.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform::UserSettings {

namespace {

std::string FolderOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

std::string Home() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

// A folder that is there now, or was made: private to the user, as the
// XDG rules ask of the folders they name.
bool MakeFolder(const std::string& folder) {
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

bool CanKeepAt(const std::string& file) { return ::access(FolderOf(file).c_str(), W_OK | X_OK) == 0; }

std::string Folder() {
    const char* configured = std::getenv("XDG_CONFIG_HOME");
    std::string base = configured != nullptr && configured[0] == '/' ? configured : "";
    if (base.empty()) {
        const std::string home = Home();
        if (home.empty()) return {};
        base = home + "/.config";
    }
    const std::string folder = base + "/zwinkerle";
    return MakeFolder(base) && MakeFolder(folder) ? folder + "/" : std::string();
}

}  // namespace platform::UserSettings
