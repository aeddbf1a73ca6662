// paths.h: the one place where file naming differs between the platforms.
#pragma once

#include <string_view>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr std::string_view kProgramExtension = ".exe";
// The settings file replaces the extension letters: Zwinkerle.exe, Zwinkerle.ini.
inline constexpr std::size_t kSettingsNameCut = 3;
inline constexpr std::string_view kSettingsNameTail = "ini";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr std::string_view kProgramExtension = "";
// A program file without extension gets one: zwinkerle, zwinkerle.ini.
inline constexpr std::size_t kSettingsNameCut = 0;
inline constexpr std::string_view kSettingsNameTail = ".ini";
#endif

}  // namespace platform
