// platform_expectations.h: where the tests expect Linux and Windows to
// differ, so that one table serves both.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/contract/paths.h"

namespace test {

// A path written with "/", in the platform's own separators.
inline std::string WithSeparators(std::string path) {
    for (char& c : path)
        if (c == '/') c = platform::kPathSeparator;
    return path;
}

// Lines as the platform's profile writer ends the ones it adds: Windows
// with CRLF, the Linux writer as the file it edits does, LF for a new one.
inline std::string Lines(std::initializer_list<std::string_view> lines) {
#ifdef _WIN32
    constexpr std::string_view kLineEnd = "\r\n";
#else
    constexpr std::string_view kLineEnd = "\n";
#endif
    std::string text;
    for (const std::string_view line : lines) (text += line) += kLineEnd;
    return text;
}

}  // namespace test
