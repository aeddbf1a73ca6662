// Commands.h: the general-purpose module: global strings, path procedures
// and access to the settings file.
#pragma once

#include <string>

// Filled during start-up, read later on the UI thread.
extern std::string AppPath;      // the program's folder, ending in the separator
extern std::string AppTitle;     // "Quorl's Zwinkerle": the settings section
extern std::string ExeName;      // the program file's name without folder and extension
extern std::string IniFile;      // the settings file's full path; empty where the user has none
extern std::string ShippedIniFile;  // beside the program when IniFile is the user's own, which it
                                    // stands in for until that holds a position
extern std::string WinIni;       // WinDirPath followed by "Win.ini"
extern std::string WinDirPath;   // the Windows folder, ending in the separator
extern std::string SysDirPath;   // the system folder, ending in the separator
extern std::string TempDirPath;  // the temporary folder, ending in the separator
extern std::string CmdLine;      // the command line, when not empty
extern std::string CrLf;         // carriage return, line feed

// Fills AppPath, ExeName, WinDirPath, SysDirPath, TempDirPath, WinIni and CrLf.
void InitEnvironment();

// Makes `path` end in the separator, in place, and returns a copy of it.
std::string AddBackslash(std::string& path);

std::string WindowsDir();
std::string SystemDir();
std::string TempDir();

// The long form of an existing path; otherwise the path with its letter case
// normalised (see NormaliseLetterCase).
std::string LongPathName(std::string path);

// Every word starts with a capital and goes on in lower case. A word starts
// at the beginning and after " ", "-", "(", "_" or "\". ASCII letters only.
std::string NormaliseLetterCase(std::string text);

// The value stored under `key` in `section` of `file`; `defaultValue` when
// nothing non-empty is stored or the file cannot be read.
std::string ReadProfileValue(const std::string& section, const std::string& key, const std::string& file,
                             const std::string& defaultValue = {});

// Stores `value` under `key` in `section` of `file`. A failure is silent and
// leaves the file as it was.
void WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& file);
