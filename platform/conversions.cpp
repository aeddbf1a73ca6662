// conversions.cpp: Val and the single-to-text conversion.
#include "platform/conversions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <charconv>
#include <cstdint>
#include <cstdlib>

namespace platform {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

// The power of ten of a number's leading digit, such as 2 for "123.4" and
// -3 for "0.00123"; `number` has no sign, a digit and is not zero.
std::int64_t DecimalMagnitude(std::string_view number) {
    constexpr std::int64_t kFarBeyondAnyDouble = 1'000'000'000;
    const std::size_t e = number.find_first_of("eE");
    std::int64_t exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = number.substr(e + 1);
        const bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
        for (const char c : digits) exponent = std::min(exponent * 10 + (c - '0'), kFarBeyondAnyDouble);
        if (negative) exponent = -exponent;
    }
    const std::string_view mantissa = number.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t leading = mantissa.find_first_not_of("0.");
    if (leading == std::string_view::npos) return -kFarBeyondAnyDouble;  // all zeros: nothing to overflow
    const auto position = static_cast<std::int64_t>(point) - static_cast<std::int64_t>(leading);
    return (leading < point ? position - 1 : position) + exponent;
}

}  // namespace

double Val(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    text.remove_prefix(start);
    const std::size_t length = NumberPrefixLength(text);
    if (length == 0) return 0.0;
    // strtod would honour the C locale's separator; from_chars never does.
    std::string_view number = text.substr(0, length);
    bool negative = false;
    if (number.front() == '-' || number.front() == '+') {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Either far too large (infinity, which fails where it is stored)
        // or far too small for a double (zero).
        value = DecimalMagnitude(number) < 0 ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

std::string SingleToText(float value) {
    if (value == 0.0F) return "0";  // also -0
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace platform
