// Conversion of the Japanese encodings HTML pages declare (EUC-JP, ISO-2022-JP, UTF-8) to code
// page 932. Every routine accepts any bytes: a sequence that is not valid in the source encoding,
// or a character code page 932 cannot hold, becomes one "?" and conversion goes on after it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

// JIS X 0208 code (row byte * 256 + cell byte, both 0x21..0x7E) to Shift-JIS (lead byte * 256 +
// trail byte) by the standard arithmetic; 0 for a code outside the 94 x 94 table.
std::uint16_t JisCodeToSjis(std::uint16_t jis);

// EUC-JP, including half-width katakana (0x8E + byte), the supplementary kanji of JIS X 0212
// (0x8F + two bytes) where code page 932 has them, and the vendor rows code page 932 shares.
std::string EucToSjis(std::string_view text);

// ISO-2022-JP and its common relatives: ASCII and JIS-Roman, JIS X 0208 (ESC $ @, ESC $ B),
// half-width katakana (ESC ( I, or SO ... SI), JIS X 0212 (ESC $ ( D). Escape sequences are never
// copied; a character of any other designated set becomes "?".
std::string JisToSjis(std::string_view text);

// UTF-8 to code page 932. A byte-order mark at the start is dropped.
std::string Utf8ToAnsi(std::string_view text);

}  // namespace qv
