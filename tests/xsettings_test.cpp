// The desktop's XSETTINGS, as another client writes them: whole, in either
// byte order, and broken in every way a reader can trip on.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/x11/xsettings_data.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Writes a property in one byte order, as a settings manager does.
class Property {
public:
    explicit Property(bool bigEndian, std::uint32_t count) : big_(bigEndian) {
        bytes_ = {static_cast<std::uint8_t>(big_ ? 1 : 0), 0, 0, 0};
        Number(7, 4);  // serial
        Number(count, 4);
    }
    Property& Integer(const std::string& name, std::int32_t value) {
        return Head(0, name).Number(static_cast<std::uint32_t>(value), 4);
    }
    Property& Text(const std::string& name, const std::string& value) {
        return Head(1, name).Number(static_cast<std::uint32_t>(value.size()), 4).Padded(value);
    }
    Property& Colour(const std::string& name) { return Head(2, name).Number(0xFFFF, 4).Number(0x8000FFFF, 4); }
    // A setting's type, name length and name as they come, and its serial.
    Property& Head(std::uint8_t type, const std::string& name, std::optional<std::uint16_t> length = {}) {
        bytes_.push_back(type);
        bytes_.push_back(0);
        Number(length.value_or(static_cast<std::uint16_t>(name.size())), 2);
        return Padded(name).Number(1, 4);
    }
    Property& Number(std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) {
            const int shift = 8 * (big_ ? size - 1 - i : i);
            bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
        }
        return *this;
    }
    Bytes Done() const { return bytes_; }

private:
    Property& Padded(const std::string& text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        bytes_.resize((bytes_.size() + 3) / 4 * 4, 0);
        return *this;
    }

    bool big_;
    Bytes bytes_;
};

Bytes Cut(Bytes bytes, std::size_t dropped) {
    bytes.resize(bytes.size() - dropped);
    return bytes;
}

Bytes WithByte(Bytes bytes, std::size_t at, std::uint8_t value) {
    bytes[at] = value;
    return bytes;
}

// Three settings before the one sought, as a GNOME settings daemon has them.
Bytes Typical(bool bigEndian) {
    return Property(bigEndian, 4).Text("Net/ThemeName", "Adwaita").Colour("Gtk/Colour").Integer("Xft/DPI", 98304)
        .Integer("Net/DoubleClickTime", 250).Done();
}

TEST(XSettings, IntegersAreFoundInEitherByteOrderAndBrokenDataGivesNothing) {
    struct Case { const char* name; Bytes data; std::optional<std::int32_t> found; };
    const Case cases[] = {
        {"little-endian", Typical(false), 250},
        {"big-endian", Typical(true), 250},
        {"negative", Property(false, 1).Integer("Net/DoubleClickTime", -5).Done(), -5},
        {"not there", Property(false, 1).Integer("Net/DndDragThreshold", 8).Done(), std::nullopt},
        {"a string of that name", Property(true, 1).Text("Net/DoubleClickTime", "250").Done(), std::nullopt},
        {"the name a prefix of another", Property(false, 1).Integer("Net/DoubleClickTimeout", 9).Done(), std::nullopt},
        {"nothing at all", {}, std::nullopt},
        {"a header cut short", Cut(Property(false, 0).Done(), 1), std::nullopt},
        {"cut in the value sought", Cut(Typical(false), 1), std::nullopt},
        {"cut in a name", Cut(Property(false, 1).Integer("Net/DoubleClickTime", 250).Done(), 10), std::nullopt},
        {"cut in a colour before it", Cut(Property(false, 2).Colour("Gtk/Colour").Done(), 2), std::nullopt},
        {"more settings counted than there are", Property(false, 0xFFFFFFFF).Integer("Xft/DPI", 1).Done(),
         std::nullopt},
        {"as many counted as fit, the sought one among them",
         Property(true, 0xFFFFFFFF).Integer("Net/DoubleClickTime", 300).Done(), 300},
        {"a name longer than the data", Property(false, 1).Head(0, "Net/DoubleClickTime", 0xFFFF).Number(250, 4).Done(),
         std::nullopt},
        {"a string longer than the data",
         Property(false, 2).Head(1, "Net/ThemeName").Number(0xFFFFFFFC, 4).Integer("Net/DoubleClickTime", 250).Done(),
         std::nullopt},
        {"big-endian bytes said to be little-endian", WithByte(Typical(true), 0, 0), std::nullopt},
        {"little-endian bytes said to be big-endian", WithByte(Typical(false), 0, 1), std::nullopt},
        {"a byte order X does not name", WithByte(Typical(true), 0, 'B'), std::nullopt},
        {"an unknown type before it",
         Property(false, 2).Head(3, "Net/Future").Number(250, 4).Integer("Net/DoubleClickTime", 250).Done(),
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::x11::XSettingsInteger(c.data, "Net/DoubleClickTime"), c.found);
    }
}

}  // namespace
