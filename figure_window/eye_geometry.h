// eye_geometry.h: where the eyes sit in the face and where a pupil looks.
//
// All positions are window pixels; the window has no frame, so a window pixel
// is the screen pixel at the window's corner plus the same offset.
#pragma once

#include <cstdint>

#include "platform/contract/image.h"

namespace eye {

struct Centre {
    std::int32_t x;
    std::int32_t y;
};

inline constexpr Centre kLeftEye{48, 78};    // centre of the face's left eye in the picture
inline constexpr Centre kRightEye{105, 78};  // centre of the face's right eye
inline constexpr float kWhiteRadius = 5.0F;  // covers a pupil wherever it looks: 3 + 2 = 5
inline constexpr float kPupilRadius = 3.0F;
inline constexpr double kPupilOffset = 2.0;  // pixels from the eye centre towards the pointer
inline constexpr platform::Colour kWhiteColour = 0x00FFF8F8;  // red 248, green 248, blue 255
inline constexpr platform::Colour kPupilColour = 0x00000000;  // black

struct PupilCentre {
    double x;
    double y;
};

// `dirX`, `dirY` is the unit vector from the pointer to the eye centre; the
// pupil moves against it, towards the pointer.
constexpr PupilCentre PupilFor(Centre eye, double dirX, double dirY) {
    return {eye.x - kPupilOffset * dirX, eye.y - kPupilOffset * dirY};
}

}  // namespace eye
