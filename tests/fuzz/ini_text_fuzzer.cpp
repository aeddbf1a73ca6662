// ini_text_fuzzer.cpp: libFuzzer target for the INI reader and editor.
//
// Input: section NUL key NUL value NUL file text. Checks that reads and edits never
// fail on any text, and that a store changes exactly the one value: it reads
// back as it would from a file holding nothing else, and another key keeps
// its value. The text taken as UTF-16, in either byte order, decodes and
// encodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "platform/posix/ini_text.h"
#include "platform/posix/text_encoding.h"

namespace ini = platform::ini;
namespace posix = platform::posix;

namespace {

std::string_view NextField(std::string_view& input) {
    const std::size_t nul = input.find('\0');
    const std::string_view field = input.substr(0, nul);
    input.remove_prefix(nul == std::string_view::npos ? input.size() : nul + 1);
    return field;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool SameAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view section = NextField(input);
    const std::string_view key = NextField(input);
    const std::string_view value = NextField(input);
    const std::string_view text = input;

    for (const std::string_view mark : {std::string_view("\xFF\xFE"), std::string_view("\xFE\xFF")}) {
        const std::string file = std::string(mark) + std::string(text.substr(0, text.size() & ~std::size_t{1}));
        posix::DecodedText decoded = posix::Decode(file);
        if (posix::Encode(std::move(decoded.text), decoded.encoding) != file) std::abort();
    }

    const auto other = ini::Lookup(text, section, "Other");
    (void)ini::RemoveKey(text, section, key);
    (void)ini::RemoveSection(text, section);
    if (!ini::CanStore(section, key, value)) return 0;

    const std::string stored = ini::Store(text, section, key, value);
    const std::string alone = "[" + std::string(section) + "]\n" + std::string(key) + "=" + std::string(value) + "\n";
    if (ini::Lookup(stored, section, key) != ini::Lookup(alone, section, key)) std::abort();
    if (!SameAscii(Trimmed(key), "Other") && ini::Lookup(stored, section, "Other") != other) std::abort();
    return 0;
}
