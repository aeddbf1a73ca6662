// ini_text.h: reading and editing the text of an INI file, in memory.
//
// The observable behaviour of the Windows profile strings: section and key
// names match without regard to ASCII letter case, blanks around names and
// values are trimmed, a value in matching quotes loses them. CRLF, LF and a
// CR alone end a line; a UTF-8 byte-order mark is passed over. An edit
// changes only the line it is about; every other byte of the text stays as
// it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::ini {

// The value of `key` in the first section named `section` that holds it.
std::optional<std::string> Lookup(std::string_view text, std::string_view section, std::string_view key);

// Whether a section, key and value can be written without changing the
// meaning of other lines: no line breaks or NULs anywhere, no "]" in the
// section, no "=" in the key and no "[" or ";" opening it.
bool CanStore(std::string_view section, std::string_view key, std::string_view value);

// `text` with key = value stored in `section`: an existing line of the key is
// replaced, a missing key is added at the end of the section, a missing
// section is added at the end of the text. New lines end as the text's first
// line does; `firstLineBreak` in a text without any. Requires CanStore().
std::string Store(std::string_view text, std::string_view section, std::string_view key, std::string_view value,
                  std::string_view firstLineBreak = "\n");

// `text` without the key's line, or without the whole section.
std::string RemoveKey(std::string_view text, std::string_view section, std::string_view key);
std::string RemoveSection(std::string_view text, std::string_view section);

}  // namespace platform::ini
