// checked_math.h: the program's arithmetic, where a fault is a failure.
//
// Coordinates and counters are 32-bit signed; an overflow fails the statement
// instead of wrapping. Floating-point results that are invalid, infinite or
// out of single range fail it too.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/runtime/failure.h"

namespace platform {

// A sum or difference of two 32-bit values is exact in 64 bits: only its
// range needs checking.
inline std::int32_t Narrow32(std::int64_t exact) {
    if (exact < std::numeric_limits<std::int32_t>::min() || exact > std::numeric_limits<std::int32_t>::max()) Fail();
    return static_cast<std::int32_t>(exact);
}

inline std::int32_t CheckedAdd(std::int32_t a, std::int32_t b) { return Narrow32(std::int64_t{a} + b); }
inline std::int32_t CheckedSub(std::int32_t a, std::int32_t b) { return Narrow32(std::int64_t{a} - b); }

// A double result must be a finite number: NaN (invalid), infinity (division
// by zero or overflow) fail.
inline double Checked(double value) {
    if (!std::isfinite(value)) Fail();
    return value;
}

// Double to single: overflow beyond the single range fails.
inline float ToSingle(double value) {
    const float single = static_cast<float>(Checked(value));
    if (!std::isfinite(single)) Fail();
    return single;
}

// Single (or double) to 32-bit integer: to the nearest, halves to even;
// outside the 32-bit range fails.
inline std::int32_t RoundToInt32(double value) {
    Checked(value);
    double rounded = std::floor(value);
    const double fraction = value - rounded;
    const bool odd = std::floor(rounded / 2.0) * 2.0 != rounded;
    if (fraction > 0.5 || (fraction == 0.5 && odd)) rounded += 1.0;
    if (rounded < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        Fail();
    return static_cast<std::int32_t>(rounded);
}

}  // namespace platform
