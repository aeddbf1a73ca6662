// conversions.h: the run time's text and number conversions.
//
// Locale-independent: a point is always the decimal separator, whatever the
// user's settings say, so what one run writes the next run reads back.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The numeric prefix of a text: leading blanks are skipped, then an optional
// sign, digits with at most one decimal point, and an optional exponent
// (e or E, optional sign, digits). A text without a leading number gives 0.
// A number beyond the double range gives infinity, which fails where it is
// stored; one too small for a double gives 0.
double Val(std::string_view text);

// A single as text: the shortest decimal digits that read back to the same
// value, a minus sign when negative, never a blank or an exponent.
// 1440 gives "1440", -300 gives "-300", 1440.5 gives "1440.5".
std::string SingleToText(float value);

}  // namespace platform
