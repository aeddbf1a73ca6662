// program_file.cpp: the program's own folder and file name on Windows.
#include "platform/win32/program_file.h"

#include "platform/win32/utf8.h"
#include "platform/win32/win32_system.h"

namespace platform::win32 {

ProgramFile ThisProgramFile() {
    // Long paths do not fit MAX_PATH: grow the buffer until the name fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768) return {};  // beyond the longest path Windows knows
        path.resize(path.size() * 2);
    }
    const std::string full = Utf8Of(path);
    const std::size_t separator = full.rfind('\\');
    if (separator == std::string::npos) return {"", full};
    // A drive's root keeps its separator: "C:\", not "C:", which means the
    // drive's current folder.
    const std::size_t folderLength = (separator == 2 && full[1] == ':') ? 3 : separator;
    return {full.substr(0, folderLength), full.substr(separator + 1)};
}

}  // namespace platform::win32
