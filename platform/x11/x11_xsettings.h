// x11_xsettings.h: reading one integer the desktop publishes through
// XSETTINGS, such as Net/DoubleClickTime.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform::x11 {

// The desktop's setting `name`, read from the screen's XSETTINGS manager;
// nothing when no manager runs or it does not publish that setting.
std::optional<std::int32_t> DesktopInteger(std::string_view name);

}  // namespace platform::x11
