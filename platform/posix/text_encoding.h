// text_encoding.h: settings files saved as UTF-16, read and edited as UTF-8.
//
// A file that opens with a UTF-16 byte-order mark, in either byte order, is
// UTF-16 text, as the Windows profile calls take it; any other file is taken
// byte for byte. Decoding and encoding again give back the same bytes, also
// for half a surrogate pair, so that an edit leaves every other line as it
// was.
#pragma once

#include <string>
#include <string_view>

namespace platform::posix {

enum class TextEncoding { Bytes, Utf16LittleEndian, Utf16BigEndian };

struct DecodedText {
    TextEncoding encoding = TextEncoding::Bytes;
    std::string text;  // UTF-8 after a UTF-16 byte-order mark; else the bytes
};

// The text of a file's contents. UTF-16 becomes UTF-8 without the
// byte-order mark; a surrogate without its other half becomes the three
// bytes that UTF-8 would give it (as WTF-8 does), and a last lone byte a
// whole unit with a zero half.
DecodedText Decode(std::string contents);

// The contents of a file holding `text` in `encoding`, with its byte-order
// mark. Bytes that are not UTF-8 (nor half a pair, as Decode gives it)
// become U+FFFD.
std::string Encode(std::string text, TextEncoding encoding);

// A value read from UTF-16 text as the Windows calls give it: each half of a
// surrogate pair on its own is U+FFFD.
void ReplaceLoneSurrogates(std::string& value);

}  // namespace platform::posix
