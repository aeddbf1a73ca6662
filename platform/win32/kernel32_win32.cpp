// kernel32_win32.cpp: the folder, path and profile-string calls of the
// contract, forwarded to the real kernel32 ones.
//
// The 8-bit texts cross unchanged: the program's manifest sets the active
// code page to UTF-8, so the "A" calls read and write the program's own
// UTF-8 text.
#include "platform/win32/win32_system.h"

namespace platform {

UINT GetWindowsDirectoryA(char* buffer, UINT size) { return ::GetWindowsDirectoryA(buffer, size); }

UINT GetSystemDirectoryA(char* buffer, UINT size) { return ::GetSystemDirectoryA(buffer, size); }

DWORD GetTempPathA(DWORD size, char* buffer) { return ::GetTempPathA(size, buffer); }

DWORD GetLongPathNameA(const char* path, char* buffer, DWORD size) { return ::GetLongPathNameA(path, buffer, size); }

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText, char* buffer,
                               DWORD size, const char* file) {
    return ::GetPrivateProfileStringA(section, key, defaultText, buffer, size, file);
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value, const char* file) {
    return ::WritePrivateProfileStringA(section, key, value, file);
}

}  // namespace platform
