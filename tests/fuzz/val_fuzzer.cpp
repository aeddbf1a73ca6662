// val_fuzzer.cpp: libFuzzer target for Val, the numeric prefix of a text.
//
// Checks that Val never gives NaN, gives infinity only for a number beyond
// the double range, and agrees with the C library's correctly rounded
// strtod on texts that are a plain decimal number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/runtime/conversions.h"

namespace {

// An optional minus, digits with at most one point, nothing else.
bool IsPlainDecimal(const std::string& text) {
    std::size_t i = text.starts_with('-') ? 1 : 0;
    bool digit = false, point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') digit = true;
        else if (text[i] == '.' && !point) point = true;
        else return false;
    }
    return digit;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double value = platform::Val(text);
    if (std::isnan(value)) std::abort();
    // Fewer than 300 digits before the point cannot overflow without an exponent.
    const std::size_t integerDigits = text.find_first_of(".eE") == std::string::npos ? text.size() : text.find_first_of(".eE");
    if (std::isinf(value) && integerDigits < 300 && text.find_first_of("eE") == std::string::npos) std::abort();
    if (IsPlainDecimal(text)) {
        const double expected = std::strtod(text.c_str(), nullptr);  // the "C" locale: a point
        if (value != expected && !(value == 0 && expected == 0)) std::abort();
    }
    return 0;
}
