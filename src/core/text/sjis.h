// Scanning Shift-JIS (code page 932) byte strings character by character.
//
// A double-byte character is a lead byte followed by one trail byte. Trail bytes range over
// 0x40..0xFC, so they can look like '@', '\\', '_', '|' or another lead byte: every search, split,
// trim or wrap must step over whole characters from a known boundary.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv::sjis {

constexpr bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
constexpr bool IsLeadByte(char c) {
    return IsLeadByte(static_cast<unsigned char>(c));
}

// Length in bytes (1 or 2) of the character starting at pos. A lead byte at the very end of the
// text counts as a character of one byte.
inline std::size_t CharLength(std::string_view s, std::size_t pos) {
    return (IsLeadByte(s[pos]) && pos + 1 < s.size()) ? 2 : 1;
}

// Start of the character after the one starting at pos (at most s.size()).
inline std::size_t NextChar(std::string_view s, std::size_t pos) {
    return pos >= s.size() ? s.size() : pos + CharLength(s, pos);
}

// Start of the character that ends at or before pos (0 for pos 0). Shift-JIS cannot be read
// backwards reliably, so this scans from the beginning.
std::size_t PrevChar(std::string_view s, std::size_t pos);

// True when pos is the start of a character (or the end of the text).
bool IsCharBoundary(std::string_view s, std::size_t pos);

// First occurrence of needle at or after `from` that starts and ends on character boundaries;
// `from` must itself be a boundary. Returns std::string_view::npos when there is none. An empty
// needle is found at `from`.
std::size_t Find(std::string_view s, std::string_view needle, std::size_t from = 0);

// Same as Find, but letters A-Z and a-z compare equal; trail bytes compare exactly.
std::size_t FindNoCase(std::string_view s, std::string_view needle, std::size_t from = 0);

// Upper-cases ASCII letters only; trail bytes of double-byte characters are left alone.
std::string UpperAscii(std::string_view s);
// Lower-cases ASCII letters only; trail bytes of double-byte characters are left alone.
std::string LowerAscii(std::string_view s);

// ASCII-only case-insensitive equality of two whole texts, character by character.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace qv::sjis
