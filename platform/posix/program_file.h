// program_file.h: where the running program's file lies, from /proc/self/exe.
#pragma once

#include <string>

namespace platform::posix {

struct ProgramFile {
    std::string folder;  // without a final "/" (except for the root)
    std::string name;    // the file name; Linux programs carry no extension
};

// Empty texts when the link cannot be read.
ProgramFile ThisProgramFile();

// Splits a full path as ThisProgramFile() does; " (deleted)", which the
// kernel appends once the file was replaced while running, is dropped.
ProgramFile SplitProgramPath(std::string path);

}  // namespace platform::posix
