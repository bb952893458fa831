// Unicode text at the edges of the program: telling well-formed UTF-8 from stray bytes, reading
// UTF-16 files, and showing outside text on a terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// The byte length (1 to 4) of the well-formed UTF-8 character `s` starts with; 0 when it starts
// with none: a stray continuation byte, an overlong form, a surrogate, a code above U+10FFFF, or
// a character cut short. An empty `s` gives 0.
std::size_t Utf8CharLength(std::string_view s);

// Appends code point `c` (at most 0x10FFFF) in UTF-8.
void AppendUtf8(std::string& out, std::uint32_t c);

// Byte-order marks of UTF-16 text.
inline constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
inline constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// Whether `bytes` start with a UTF-16 byte-order mark.
bool HasUtf16Bom(std::string_view bytes);

// UTF-16 text that starts with its byte-order mark, as UTF-8 that starts with the UTF-8 mark, so
// that it reads as a UTF-8 file would. An unpaired surrogate and a last odd byte become U+FFFD.
// Empty when `bytes` have no UTF-16 mark.
std::optional<std::string> Utf16ToUtf8(std::string_view bytes);

// Text from outside (file names, card texts, reasons) made safe for a terminal: control
// characters (C0, DEL, C1 and the bidirectional overrides and isolates) and bytes that are not
// UTF-8 are written as escapes ("\n", "\t", "\x1b", "\u202e"); everything else as it is.
std::string EscapeForTerminal(std::string_view text);

}  // namespace qv
