// png_file.h: reading a PNG file, as some compositors hand out screenshots.
#pragma once

#include <string>

#include "platform/contract/image.h"

namespace e2e {

// Its pixels, alpha dropped; throws when the file is not a readable PNG.
platform::Image ReadPng(const std::string& path);

}  // namespace e2e
