// Commands.cpp: the global strings, the path procedures and the settings
// file access.
#include "common/Commands.h"

#include <cstdint>
#include <limits>

#include "common/folder_query.h"
#include "platform/contract/app.h"
#include "platform/runtime/failure.h"
#include "platform/contract/win_api.h"

using namespace platform;

std::string AppPath;
std::string AppTitle;
std::string ExeName;
std::string IniFile;
std::string ShippedIniFile;
std::string WinIni;
std::string WinDirPath;
std::string SysDirPath;
std::string TempDirPath;
std::string CmdLine;
std::string CrLf;

namespace {

constexpr DWORD kProfileBufferSize = 2048;

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string UpperCased(std::string text) {
    for (char& c : text) c = Upper(c);
    return text;
}

std::int16_t ToInt16(DWORD count) {
    if (count > static_cast<DWORD>(std::numeric_limits<std::int16_t>::max())) Fail();
    return static_cast<std::int16_t>(count);
}

}  // namespace

void InitEnvironment() {
    Attempt([] { AppPath = App::Path(); });
    Attempt([] { AddBackslash(AppPath); });
    Attempt([] { ExeName = App::EXEName(); });
    Attempt([] { WinDirPath = WindowsDir(); });
    Attempt([] { SysDirPath = SystemDir(); });
    Attempt([] { TempDirPath = TempDir(); });
    Attempt([] { WinIni = WinDirPath + "Win.ini"; });
    Attempt([] { CrLf = "\r\n"; });
}

std::string AddBackslash(std::string& path) {
    EndInSeparator(path);
    return path;
}

std::string WindowsDir() {
    return FolderFromQuery([](char* buffer, UINT size) { return GetWindowsDirectoryA(buffer, size); });
}

std::string SystemDir() {
    return FolderFromQuery([](char* buffer, UINT size) { return GetSystemDirectoryA(buffer, size); });
}

std::string TempDir() {
    return FolderFromQuery([](char* buffer, UINT size) { return GetTempPathA(size, buffer); });
}

std::string LongPathName(std::string path) {
    std::string working = path;
    std::string buffer(kPathBufferSize, '\0');
    DWORD result = 0;
    Attempt([&] { result = GetLongPathNameA(working.c_str(), buffer.data(), kPathBufferSize); });
    if (result >= kPathBufferSize) return working;  // too long for the buffer: keep the path as given
    if (result != 0) return buffer.substr(0, buffer.find('\0'));
    return NormaliseLetterCase(working);
}

std::string NormaliseLetterCase(std::string text) {
    const std::size_t length = text.size();
    for (std::size_t i = 1; i < length; ++i) {
        switch (text[i - 1]) {
            case ' ': case '-': case '(': case '_': case '\\':
                text[i] = Upper(text[i]);
                break;
            default:
                text[i] = Lower(text[i]);
        }
    }
    if (!text.empty()) text[0] = Upper(text[0]);
    return text;
}

std::string ReadProfileValue(const std::string& section, const std::string& key, const std::string& file,
                             const std::string& defaultValue) {
    std::string buffer(kProfileBufferSize, ' ');
    std::int16_t count = 0;
    Attempt([&] {
        count = ToInt16(GetPrivateProfileStringA(UpperCased(section).c_str(), UpperCased(key).c_str(), "",
                                                 buffer.data(), kProfileBufferSize, file.c_str()));
    });
    if (count > 0) return buffer.substr(0, static_cast<std::size_t>(count));
    return defaultValue;
}

void WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& file) {
    // No file is no place to store: the profile calls would take an empty
    // name as one in the system's folder.
    if (file.empty()) return;
    Attempt([&] { WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()); });
}
