// program_file.h: where the running program's file lies, from
// GetModuleFileNameW.
#pragma once

#include <string>

namespace platform::win32 {

struct ProgramFile {
    std::string folder;  // without a final "\" (except for a drive's root, "C:\")
    std::string name;    // the file name with its extension, "Zwinkerle.exe"
};

// UTF-8 texts; empty ones when the system cannot say.
ProgramFile ThisProgramFile();

}  // namespace platform::win32
