// A font as the settings file stores it: character set, face, size, bold, italic. The render layer
// turns it into a real font; the model only needs its pixel height.
#pragma once

#include <string>

namespace qv {

// Default character set of every stored font (Shift-JIS).
inline constexpr int kShiftJisCharset = 128;

// Screen resolution the stored point sizes are converted at.
inline constexpr int kScreenDpi = 96;

struct FontSpec {
    int Charset = kShiftJisCharset;
    std::string Face;  // code page 932 bytes
    // Points. Positive: the character height; negative: the cell height (characters plus internal
    // leading), as the settings file writes it.
    int Size = 11;
    bool Bold = false;
    bool Italic = false;

    // |h|: the absolute pixel height at 96 dots per inch, |Size| * 96 / 72 rounded half-up
    // (11 -> 15, -13 -> 17, -20 -> 27). Card sizes are multiples of it, so it is never below 1
    // (a size of 0 counts as 1 pixel) and huge sizes are capped at kMaxFontPixelHeight.
    int PixelHeight() const;

    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

inline constexpr int kMaxFontPixelHeight = 2000;

}  // namespace qv
