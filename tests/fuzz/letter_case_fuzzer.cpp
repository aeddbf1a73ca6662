// letter_case_fuzzer.cpp: libFuzzer target for the letter-case normalisation
// of paths that have no long form.
//
// Checks, on any text: the length never changes; only ASCII letters change,
// and only their case; a word (after a separator or at the start) begins
// with a capital and goes on in lower case; normalising twice changes
// nothing more.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/Commands.h"

namespace {

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool StartsWord(char before) { return std::string_view(" -(_\\").find(before) != std::string_view::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string result = NormaliseLetterCase(text);
    if (result.size() != text.size()) std::abort();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char in = text[i], out = result[i];
        const bool letter = IsUpper(in) || IsLower(in);
        if (!letter && out != in) std::abort();
        if (letter && (out | 0x20) != (in | 0x20)) std::abort();
        const bool capital = i == 0 || StartsWord(result[i - 1]);
        if (letter && (capital ? !IsUpper(out) : !IsLower(out))) std::abort();
    }
    if (NormaliseLetterCase(result) != result) std::abort();
    return 0;
}
