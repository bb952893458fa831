// Card text in one font: measuring and drawing code page 932 byte strings.
//
// A text's width is the sum of its characters' whole-pixel advances, so the width of a prefix is
// known while scanning and wrapping never re-measures a line. Into card images, characters are
// blended from coverage masks rendered once per character, at exactly those advances: shaping
// and the painter's glyph pipeline would cost more than all the rest of a card.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/model/ports.h"
#include "core/settings/font_setting.h"

class QPainter;

namespace qv {

class EnvData;

class TextFace {
  public:
    // `charHeight` is the character height the font was made for (MakeFont may have shrunk the
    // font itself to fit a card line); it is what a text line advances by.
    TextFace(const QFont& font, int charHeight);

    const QFont& Font() const { return font_; }
    // Different for every face made while the program runs, unlike its address.
    std::uint64_t Serial() const { return serial_; }
    // Height of one line, the height of a space: the character height cards are sized by, never
    // the font's own ascent + descent, so that `Lines` lines fill exactly `Lines` × (h + 2).
    int LineHeight() const { return lineHeight_; }
    int Ascent() const { return ascent_; }

    // Advance of the character starting at `pos` (a lead byte at the very end is a character of
    // its own); *length receives its byte length.
    int CharAdvance(std::string_view text, std::size_t pos, std::size_t* length = nullptr);
    // Pixel width of the whole characters of `text`.
    int Width(std::string_view text);

    // Draws `text` with its top-left at (x, top) in `color` through the painter (printing and
    // scaled output).
    void Draw(QPainter& painter, int x, int top, std::string_view text, const QColor& color);
    // Blends `text` into `target` (Format_RGB32 or Format_ARGB32_Premultiplied) with its top-left
    // at (x, top) in the opaque colour `color`, clipped to the image. `background`, when given, is
    // the pixel most of the text lies on (a card's colour): its blends are worked out once.
    void DrawInto(QImage& target, int x, int top, std::string_view text, QRgb color,
                  std::optional<QRgb> background = std::nullopt);
    // The pixels DrawInto at (x, top) would touch; null when it touches none.
    QRect InkRect(int x, int top, std::string_view text);

  private:
    struct Glyph {
        QImage Mask;             // Format_Alpha8 coverage; null for blanks and control bytes
        std::int16_t MaskX = 0;  // top-left of the mask from the pen position on the baseline
        std::int16_t MaskY = 0;
        std::int32_t Advance = 0;
        char16_t Unicode = 0;
        bool Known = false;
    };
    const Glyph& Lookup(std::string_view character);
    // The blend of `color` over `background` at every coverage.
    const QRgb* Blends(QRgb color, QRgb background);

    struct BlendTable {
        QRgb Color = 0;
        QRgb Background = 0;
        bool Made = false;
        std::array<QRgb, 256> Pixel{};
    };
    // A few pairs of colours: cards of one look share them, selected ones another.
    std::array<BlendTable, 4> blends_;
    std::size_t nextBlend_ = 0;

    std::uint64_t serial_;
    QFont font_;
    QFontMetrics metrics_;
    int lineHeight_;
    int ascent_;
    // Indexed by the character code, in pages of 256 made on first use: the byte for single-byte
    // characters, lead << 8 | trail for double-byte ones (never below 0x8140).
    std::vector<std::unique_ptr<Glyph[]>> pages_;
};

// The card fonts of the settings (Fragment, NamePlate, Symbol), each at its own size or scaled,
// made once and rebuilt when the settings change. An Image card measures with the Fragment font.
class CardFonts {
  public:
    CardFonts();
    ~CardFonts();
    CardFonts(const CardFonts&) = delete;
    CardFonts& operator=(const CardFonts&) = delete;

    // The face of `kind` at the font's own pixel height.
    TextFace& Face(const EnvData& env, FragmentKind kind);
    // The face of `kind` at another pixel height (scaled drawing).
    TextFace& Face(const EnvData& env, FragmentKind kind, int pixelHeight);

  private:
    struct Entry {
        FontSpec Font;
        int PixelHeight = 0;
        std::unique_ptr<TextFace> Face;
        std::uint64_t LastUse = 0;
    };
    std::vector<Entry> entries_;
    std::uint64_t clock_ = 0;
};

// The stored font of a kind (Image: the Fragment font).
const FontSpec& FontOf(const EnvData& env, FragmentKind kind);

}  // namespace qv
