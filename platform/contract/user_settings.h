// user_settings.h: where a user keeps the program's settings when the
// program lies in a folder they cannot write to, as after a system-wide
// install.
#pragma once

#include <string>

namespace platform::UserSettings {

// Whether a settings file can be kept at `file`: its folder takes new files
// from this user, and the path suits the profile-string calls.
bool CanKeepAt(const std::string& file);

// The user's own folder for the program's settings, ending in the
// separator, made if missing; empty when there is none.
std::string Folder();

}  // namespace platform::UserSettings
