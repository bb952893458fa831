// Fonts of the settings (FontSpec) as real fonts. The stored faces are mostly Windows Japanese
// faces; they are mapped to the IPA faces of this system, and any face that is not installed falls
// back to the system's Japanese font, so card text always has glyphs.
#pragma once

#include <QFont>
#include <QString>

#include "core/settings/font_setting.h"

namespace qv {

// The Japanese font used when a stored face is not installed.
inline constexpr const char* kFallbackFontFamily = "IPAPGothic";

// The installed family that stands in for a stored face name (given as Unicode text): the Windows
// Japanese faces ("ＭＳ Ｐゴシック", "MS Gothic", "ＭＳ 明朝", "MS PMincho", "MS UI Gothic", in
// full- or half-width spelling, any letter case) map to the matching IPA face; any other installed
// family is kept; anything else becomes kFallbackFontFamily.
QString MapFontFace(const QString& face);

// The font of a setting: its face mapped as above, bold and italic as stored, and a pixel size of
// fontSpec.PixelHeight(), reduced where needed so one line of text fits the card line it is laid
// out in (QFontMetrics::height() at most PixelHeight() + 2; for a stored cell height, at most
// PixelHeight()).
QFont MakeFont(const FontSpec& fontSpec);

// The same font at another pixel height (scaled drawing for print and image output).
QFont MakeFont(const FontSpec& fontSpec, int pixelHeight);

}  // namespace qv
