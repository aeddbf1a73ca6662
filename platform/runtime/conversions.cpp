// conversions.cpp: Val and the single-to-text conversion.
#include "platform/runtime/conversions.h"

#include <array>
#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The C library reads and writes numbers with its locale's separator.
std::string_view LocaleSeparator() { return std::localeconv()->decimal_point; }

// `text` with its first `from` exchanged for `to`.
std::string Exchange(const std::string& text, std::string_view from, std::string_view to) {
    const std::size_t at = text.find(from);
    if (from == to || at == std::string::npos) return text;
    return text.substr(0, at).append(to).append(text, at + from.size());
}

// Length of the longest prefix of `text` that is a number in Val's grammar.
std::size_t NumberPrefixLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '-' || text[j] == '+')) ++j;
        const std::size_t exponentStart = j;
        while (j < text.size() && IsDigit(text[j])) ++j;
        if (j > exponentStart) i = j;
    }
    return i;
}

}  // namespace

double Val(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    text.remove_prefix(start);
    const std::size_t length = NumberPrefixLength(text);
    if (length == 0) return 0.0;
    // NOTE: strtod reads the separator of the C library's locale. Giving it
    // that separator for our point keeps the text's meaning whatever locale
    // the program runs in. It rounds correctly and saturates: a number too
    // large gives infinity (which fails where it is stored), one too small
    // for a double gives 0.
    const std::string number = Exchange(std::string(text.substr(0, length)), ".", LocaleSeparator());
    return std::strtod(number.c_str(), nullptr);
}

std::string SingleToText(float value) {
    if (value == 0.0F) return "0";  // also -0
    // The fewest decimals that read back as the same single.
    std::array<char, 128> buffer{};
    for (int decimals = 0; decimals <= 60; ++decimals) {
        std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, static_cast<double>(value));
        if (std::strtof(buffer.data(), nullptr) == value) break;
    }
    return Exchange(buffer.data(), LocaleSeparator(), ".");
}

}  // namespace platform
