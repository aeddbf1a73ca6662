// kernel32_posix.cpp: the Windows folder, path and profile-string calls on
// Linux.
//
// Implements: GetWindowsDirectoryA, GetSystemDirectoryA, GetTempPathA,
// GetLongPathNameA (through realpath) and the profile strings over our own
// INI reader and writer. Texts are UTF-8 throughout; a settings file saved
// as UTF-16 (with its byte-order mark) is read as such, and a write keeps
// its encoding, as on Windows. Listing the sections or keys of a file (a
// null section or key on a read) is not provided: such a read gives the
// default.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/ini_text.h"
#include "platform/posix/settings_file.h"
#include "platform/posix/text_encoding.h"
#include "platform/contract/win_api.h"

namespace platform {

namespace {

// Copies `text` and a NUL into the buffer when both fit, as the folder calls
// do. Returns the length, or the size needed (with the NUL) when too small.
UINT CopyOut(const std::string& text, char* buffer, UINT size) {
    const auto length = static_cast<UINT>(text.size());
    if (buffer == nullptr || length >= size) return length + 1;
    std::memcpy(buffer, text.data(), text.size());
    buffer[length] = '\0';
    return length;
}

std::string WithFinalSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

}  // namespace

// The Windows folder has no equivalent; /etc/ holds the system-wide settings.
UINT GetWindowsDirectoryA(char* buffer, UINT size) { return CopyOut("/etc", buffer, size); }

UINT GetSystemDirectoryA(char* buffer, UINT size) { return CopyOut("/usr/lib", buffer, size); }

// Like Windows, the temporary folder comes with its final separator.
DWORD GetTempPathA(DWORD size, char* buffer) {
    const char* fromEnvironment = std::getenv("TMPDIR");
    const std::string folder = (fromEnvironment != nullptr && fromEnvironment[0] == '/') ? fromEnvironment : "/tmp";
    return CopyOut(WithFinalSlash(folder), buffer, size);
}

DWORD GetLongPathNameA(const char* path, char* buffer, DWORD size) {
    if (path == nullptr || path[0] == '\0') return 0;
    std::vector<char> resolved(PATH_MAX + 1, '\0');
    if (::realpath(path, resolved.data()) == nullptr) return 0;  // a path that does not exist
    return CopyOut(resolved.data(), buffer, size);
}

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText, char* buffer,
                               DWORD size, const char* file) {
    if (buffer == nullptr || size == 0) return 0;
    std::string value = defaultText != nullptr ? defaultText : "";
    if (section != nullptr && key != nullptr && file != nullptr) {
        if (auto contents = posix::ReadWholeFile(file)) {
            const posix::DecodedText decoded = posix::Decode(std::move(*contents));
            if (auto found = ini::Lookup(decoded.text, section, key)) {
                value = std::move(*found);
                if (decoded.encoding != posix::TextEncoding::Bytes) posix::ReplaceLoneSurrogates(value);
            }
        }
    }
    value.resize(std::min(value.size(), value.find('\0')));  // the Windows calls see a C string
    // Cut to the buffer less one, always NUL-terminated.
    const std::size_t length = std::min<std::size_t>(value.size(), size - 1);
    std::memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    return static_cast<DWORD>(length);
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value, const char* file) {
    if (section == nullptr || file == nullptr || file[0] == '\0') return 0;
    if (!ini::CanStore(section, key != nullptr ? key : "x", value != nullptr ? value : "")) return 0;
    posix::DecodedText decoded;
    if (auto existing = posix::ReadWholeFile(file)) {
        decoded = posix::Decode(std::move(*existing));
    } else if (::access(file, F_OK) == 0) {
        return 0;  // there, but not a settings file we can read: leave it alone
    }
    const std::string& text = decoded.text;
    // Windows writes UTF-16 with CRLF.
    const std::string_view firstLineBreak = decoded.encoding == posix::TextEncoding::Bytes ? "\n" : "\r\n";
    std::string updated = key == nullptr     ? ini::RemoveSection(text, section)
                          : value == nullptr ? ini::RemoveKey(text, section, key)
                                             : ini::Store(text, section, key, value, firstLineBreak);
    if (updated == text) return 1;  // nothing to change: leave the file untouched
    return posix::ReplaceFileContents(file, posix::Encode(std::move(updated), decoded.encoding)) ? 1 : 0;
}

}  // namespace platform
