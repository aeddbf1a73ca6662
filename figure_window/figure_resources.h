// figure_resources.h: the figure image and the icon, built into the program.
#pragma once

#include <cstdint>
#include <span>

#include "platform/contract/image.h"

// The face: 150 x 230 pixels on the key colour (red 0, green 1, blue 43).
// Decoded afresh on each call, so that no copy stays in memory unused: the
// window keeps its own.
platform::Image FigureImage();
// The window's icon, an .ico file.
std::span<const std::uint8_t> FigureIcon();
