// Conversion between code page 932 bytes and UTF-8, at the edges of the program only (drawing,
// the clipboard, file names handed to the system, dialog fields). Uses iconv's "CP932", which keeps
// 0x5C as the backslash and 0x815F as the full-width reverse solidus.
#pragma once

#include <string>
#include <string_view>

namespace qv {

// Decodes code page 932 bytes. Never fails: a byte that does not start a valid character becomes
// U+FFFD and decoding goes on with the next byte.
std::string Cp932ToUtf8(std::string_view bytes);

struct Cp932Encoding {
    std::string Bytes;
    bool Complete = true;  // false when some character had to be replaced
    // The characters that were replaced, each once, in the order met (UTF-8; a byte that is not
    // valid UTF-8 appears as U+FFFD).
    std::string Unrepresentable;
};

// Encodes UTF-8 text. A character code page 932 cannot hold, or a byte that is not valid UTF-8,
// becomes `replacement`, and Complete turns false so the caller can tell the user.
Cp932Encoding Utf8ToCp932(std::string_view utf8, std::string_view replacement = "?");

// Lower-case hex of the bytes, two digits each ("8140" for a full-width blank).
std::string HexBytes(std::string_view bytes);

}  // namespace qv
