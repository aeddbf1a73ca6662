// utf8.h: the program's UTF-8 text and the UTF-16 of the wide Windows calls.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// Unpaired surrogates and invalid bytes become U+FFFD.
std::string Utf8Of(std::wstring_view wide);
std::wstring WideOf(std::string_view utf8);

}  // namespace platform::win32
