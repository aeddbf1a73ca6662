// xsettings_data.h: the binary layout of the XSETTINGS manager's property,
// read without a server: the bytes come from another client, and are
// taken as they come, broken or not.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace platform::x11 {

// The integer setting `name` in the data of an _XSETTINGS_SETTINGS
// property; nothing when it is not there or the data is malformed: cut
// short, of another byte order than LSBFirst (0) or MSBFirst (1), or with a
// setting of an unknown type before it.
std::optional<std::int32_t> XSettingsInteger(std::span<const std::uint8_t> data, std::string_view name);

}  // namespace platform::x11
