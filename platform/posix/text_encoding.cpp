// text_encoding.cpp: UTF-16 files to UTF-8 text and back, unit for unit.
#include "platform/posix/text_encoding.h"

#include <cstdint>
#include <utility>

namespace platform::posix {

namespace {

constexpr std::string_view kLittleEndianMark = "\xFF\xFE";
constexpr std::string_view kBigEndianMark = "\xFE\xFF";

bool IsHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void AppendUnit(std::string& out, std::uint32_t unit, bool littleEndian) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    out += littleEndian ? low : high;
    out += littleEndian ? high : low;
}

// The code point of the UTF-8 (or WTF-8) sequence at `at`, and its length;
// U+FFFD and 1 for a byte that starts none.
std::pair<std::uint32_t, std::size_t> NextCodePoint(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const auto continues = [&](std::size_t i) { return i < text.size() && (byte(i) & 0xC0) == 0x80; };
    const std::uint8_t lead = byte(at);
    if (lead < 0x80) return {lead, 1};
    if (lead >= 0xC2 && lead <= 0xDF && continues(at + 1)) return {((lead & 0x1Fu) << 6) | (byte(at + 1) & 0x3Fu), 2};
    if (lead >= 0xE0 && lead <= 0xEF && continues(at + 1) && continues(at + 2)) {
        const std::uint32_t code = ((lead & 0x0Fu) << 12) | ((byte(at + 1) & 0x3Fu) << 6) | (byte(at + 2) & 0x3Fu);
        if (code >= 0x800) return {code, 3};
    }
    if (lead >= 0xF0 && lead <= 0xF4 && continues(at + 1) && continues(at + 2) && continues(at + 3)) {
        const std::uint32_t code = ((lead & 0x07u) << 18) | ((byte(at + 1) & 0x3Fu) << 12) |
                                   ((byte(at + 2) & 0x3Fu) << 6) | (byte(at + 3) & 0x3Fu);
        if (code >= 0x10000 && code <= 0x10FFFF) return {code, 4};
    }
    return {0xFFFD, 1};
}

}  // namespace

DecodedText Decode(std::string contents) {
    const std::string_view bytes(contents);
    const bool little = bytes.starts_with(kLittleEndianMark);
    if (!little && !bytes.starts_with(kBigEndianMark)) return {TextEncoding::Bytes, std::move(contents)};

    DecodedText decoded{little ? TextEncoding::Utf16LittleEndian : TextEncoding::Utf16BigEndian, {}};
    // At most three bytes of UTF-8 for two of UTF-16; untouched capacity
    // costs no memory.
    decoded.text.reserve((bytes.size() - 2) / 2 * 3 + 3);
    const auto unitAt = [&](std::size_t at) -> std::uint32_t {
        const std::uint8_t first = static_cast<std::uint8_t>(bytes[at]);
        const std::uint8_t second = at + 1 < bytes.size() ? static_cast<std::uint8_t>(bytes[at + 1]) : 0;
        return little ? (first | (second << 8)) : ((first << 8) | second);
    };
    for (std::size_t at = 2; at < bytes.size(); at += 2) {
        const std::uint32_t unit = unitAt(at);
        if (IsHighSurrogate(unit) && at + 3 < bytes.size() && IsLowSurrogate(unitAt(at + 2))) {
            AppendUtf8(decoded.text, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(at + 2) - 0xDC00));
            at += 2;
        } else {
            AppendUtf8(decoded.text, unit);
        }
    }
    return decoded;
}

std::string Encode(std::string text, TextEncoding encoding) {
    if (encoding == TextEncoding::Bytes) return text;
    const bool little = encoding == TextEncoding::Utf16LittleEndian;
    std::string bytes(little ? kLittleEndianMark : kBigEndianMark);
    bytes.reserve(2 + text.size() * 2);
    for (std::size_t at = 0; at < text.size();) {
        const auto [code, length] = NextCodePoint(text, at);
        at += length;
        if (code >= 0x10000) {
            AppendUnit(bytes, 0xD800 + ((code - 0x10000) >> 10), little);
            AppendUnit(bytes, 0xDC00 + ((code - 0x10000) & 0x3FF), little);
        } else {
            AppendUnit(bytes, code, little);
        }
    }
    return bytes;
}

void ReplaceLoneSurrogates(std::string& value) {
    // A surrogate in UTF-8's form is ED A0..BF xx; U+FFFD is as long.
    for (std::size_t at = 0; at + 2 < value.size(); ++at) {
        if (static_cast<std::uint8_t>(value[at]) == 0xED && (static_cast<std::uint8_t>(value[at + 1]) & 0xE0) == 0xA0)
            value.replace(at, 3, "\xEF\xBF\xBD");
    }
}

}  // namespace platform::posix
