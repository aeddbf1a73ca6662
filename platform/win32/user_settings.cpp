// user_settings.cpp: the user's settings folder on Windows,
// %LOCALAPPDATA%\Zwinkerle\.
#include "platform/contract/user_settings.h"

#include <string>

#include "platform/win32/utf8.h"
#include "platform/win32/win32_system.h"

namespace platform::UserSettings {

using win32::Utf8Of;
using win32::WideOf;

namespace {

// Where installed programs and Windows itself live: a settings file there
// would be everybody's, even for an administrator who can write to it.
bool IsSystemFolder(const std::wstring& folder) {
    for (const wchar_t* variable : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"SystemRoot"}) {
        wchar_t value[MAX_PATH] = {};
        const DWORD length = ::GetEnvironmentVariableW(variable, value, MAX_PATH);
        if (length == 0 || length >= MAX_PATH || folder.size() < length) continue;
        const bool inside = folder.size() == length || folder[length] == L'\\' || folder[length] == L'/';
        if (inside && ::CompareStringOrdinal(folder.c_str(), static_cast<int>(length), value, static_cast<int>(length),
                                             TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

}  // namespace

bool CanKeepAt(const std::string& file) {
    // NOTE: the profile-string calls take paths of fewer than MAX_PATH
    // characters; beyond that they write nothing, though they say they did.
    const std::wstring path = WideOf(file);
    const std::size_t separator = path.find_last_of(L"\\/");
    if (path.size() >= MAX_PATH || separator == std::wstring::npos) return false;
    const std::wstring folder = path.substr(0, separator);
    if (IsSystemFolder(folder)) return false;
    // A settings file already there must be one this user may rewrite.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) return false;
        const HANDLE existing = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr);
        if (existing == INVALID_HANDLE_VALUE) return false;
        ::CloseHandle(existing);
    }
    // The one sure answer to whether the folder takes new files is to make one.
    const std::wstring probe = folder + L"\\.zwinkerle-probe";
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
