// xsettings_fuzzer.cpp: libFuzzer target for the XSETTINGS reader, whose
// bytes come from another client.
//
// Input: the length of a name (one byte), the name, then the property's
// data. Checks that the reader never reads outside the data (the sanitizers
// watch), and that it reads the data front to back: a setting it finds is
// found the same with more bytes after the data, and one it finds in the
// data cut short is found the same in all of it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

#include "platform/x11/xsettings_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t nameLength = std::min<std::size_t>(data[0], size - 1);
    const std::string_view name(reinterpret_cast<const char*>(data) + 1, nameLength);
    const std::span<const std::uint8_t> property(data + 1 + nameLength, size - 1 - nameLength);

    using platform::x11::XSettingsInteger;
    const auto found = XSettingsInteger(property, name);
    std::vector<std::uint8_t> longer(property.begin(), property.end());
    longer.insert(longer.end(), {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});
    if (found && XSettingsInteger(longer, name) != found) std::abort();
    const auto shorter = XSettingsInteger(property.first(property.size() / 2), name);
    if (shorter && shorter != found) std::abort();
    return 0;
}
