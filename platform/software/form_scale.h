// form_scale.h: a form's scale mode, twips or pixels, and its conversions.
#pragma once

#include <cstdint>

#include "platform/contract/form.h"
#include "platform/runtime/failure.h"

namespace platform {

class FormScale {
public:
    FormScale(std::int16_t mode, float twipsPerPixel) : mode_(mode), twipsPerPixel_(twipsPerPixel) {}

    std::int16_t Mode() const { return mode_; }
    // Only twips and pixels are known; any other mode fails.
    void SetMode(std::int16_t mode) {
        if (mode != vbTwips && mode != vbPixels) Fail();
        mode_ = mode;
    }
    double ToPixels(float value) const {
        return mode_ == vbTwips ? static_cast<double>(value) / twipsPerPixel_ : static_cast<double>(value);
    }
    float FromPixels(std::int32_t pixels) const {
        return static_cast<float>(pixels) * (mode_ == vbTwips ? twipsPerPixel_ : 1.0F);
    }

private:
    std::int16_t mode_;
    float twipsPerPixel_;
};

}  // namespace platform
