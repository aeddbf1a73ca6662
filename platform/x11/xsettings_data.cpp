// xsettings_data.cpp: walking the settings of an XSETTINGS property.
#include "platform/x11/xsettings_data.h"

namespace platform::x11 {

namespace {

constexpr std::size_t kHeaderBytes = 12;  // byte order, padding, serial, number of settings
constexpr std::uint32_t kLsbFirst = 0, kMsbFirst = 1;  // the byte orders X names

// What a setting holds, as its first byte says.
enum SettingType : std::uint32_t { kInteger = 0, kString = 1, kColour = 2 };

// Reads the property's numbers in the byte order its first byte names.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}
    bool Fits(std::size_t bytes) const { return at_ <= data_.size() && bytes <= data_.size() - at_; }
    std::uint32_t Number(std::size_t bytes, bool mostSignificantFirst) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            const std::uint32_t byte = data_[at_ + (mostSignificantFirst ? i : bytes - 1 - i)];
            value = (value << 8) | byte;
        }
        at_ += bytes;
        return value;
    }
    std::string_view Text(std::size_t length) {
        const std::string_view text(reinterpret_cast<const char*>(data_.data()) + at_, length);
        at_ += (length + 3) / 4 * 4;  // padded to four bytes
        return text;
    }
    void Skip(std::size_t bytes) { at_ += bytes; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t at_ = 0;
};

}  // namespace

std::optional<std::int32_t> XSettingsInteger(std::span<const std::uint8_t> data, std::string_view name) {
    Reader reader(data);
    if (!reader.Fits(kHeaderBytes)) return std::nullopt;
    const std::uint32_t order = reader.Number(1, false);
    if (order != kLsbFirst && order != kMsbFirst) return std::nullopt;
    const bool big = order == kMsbFirst;
    reader.Skip(7);  // padding, serial
    const std::uint32_t count = reader.Number(4, big);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!reader.Fits(4)) return std::nullopt;
        const std::uint32_t type = reader.Number(1, big);
        reader.Skip(1);
        const std::uint32_t nameLength = reader.Number(2, big);
        if (!reader.Fits((nameLength + 3) / 4 * 4 + 4)) return std::nullopt;
        const std::string_view settingName = reader.Text(nameLength);
        reader.Skip(4);  // last-change serial
        switch (type) {
            case kInteger:
                if (!reader.Fits(4)) return std::nullopt;
                if (settingName == name) return static_cast<std::int32_t>(reader.Number(4, big));
                reader.Skip(4);
                break;
            case kString: {
                if (!reader.Fits(4)) return std::nullopt;
                const std::uint32_t length = reader.Number(4, big);
                if (!reader.Fits((std::size_t{length} + 3) / 4 * 4)) return std::nullopt;
                reader.Text(length);
                break;
            }
            case kColour:  // four 16-bit channels
                if (!reader.Fits(8)) return std::nullopt;
                reader.Skip(8);
                break;
            default:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace platform::x11
