// user_settings.cpp: the user's settings folder on Windows,
// %LOCALAPPDATA%\Zwinkerle\.
#include "platform/user_settings.h"

#include <string>

#include "platform/win32/utf8.h"
#include "platform/win32/win32_system.h"

namespace platform::UserSettings {

using win32::Utf8Of;
using win32::WideOf;

bool CanKeepAt(const std::string& file) {
    // NOTE: the profile-string calls take paths of fewer than MAX_PATH
    // characters; beyond that they write nothing, though they say they did.
    const std::wstring path = WideOf(file);
    if (path.size() >= MAX_PATH) return false;
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return false;
    // The one sure answer to whether the folder takes new files is to make one.
    const std::wstring probe = path.substr(0, separator + 1) + L".zwinkerle-probe";
    const HANDLE made = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (made == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_EXISTS;
    ::CloseHandle(made);
    return true;
}

std::string Folder() {
    wchar_t base[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    const std::wstring folder = std::wstring(base, length) + L"\\Zwinkerle";
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return {};
    return Utf8Of(folder) + "\\";
}

}  // namespace platform::UserSettings
