// cTrimmer.h: cuts a window to its picture and lets it be dragged by any
// visible point.
#pragma once

#include <cstdint>

#include "platform/contract/form.h"

class cTrimmer {
public:
    // Makes the platform move the window with the pointer until the button
    // is released, as if its caption had been grabbed.
    void GrabForm(platform::Form& Form);
    // Cuts the window to the pixels whose colour differs from its top-left
    // pixel's. A window without a picture is left alone.
    void TrimForm(platform::Form& Form);

    platform::HRGN Region{};      // the shape being built; the window's once handed over
    platform::HRGN SpanRegion{};  // the one-row span just made, released at once

private:
    void AddSpan(std::int32_t& SpanStart, std::int32_t top, std::int32_t right, std::int32_t bottom);
};
