// The text layout of a card: wrapping by pixel width without splitting a double-byte character,
// forced breaks at the line-break marker, and the card's line limit.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

class QPainter;

namespace qv {

class TextFace;

struct TextLayoutParams {
    int X0 = 0;  // top-left of the text area
    int Y0 = 0;
    int Width = 0;      // available pixel width
    int Gap = 2;        // margin left and above, and extra space between lines
    int LineLimit = 1;  // lines beyond this are not laid out
    int LineHeight = 0;
    bool AcceptCr = false;    // break at the marker
    std::string_view Marker;  // the line-break marker (empty: none)
    friend bool operator==(const TextLayoutParams&, const TextLayoutParams&) = default;
};

// One laid-out line: bytes [Start, Start + Length) of the text, drawn with its top-left at X, Y.
struct LaidLine {
    std::size_t Start = 0;
    std::size_t Length = 0;
    int X = 0;
    int Y = 0;
    friend bool operator==(const LaidLine&, const LaidLine&) = default;
};

// Pixel advance of the one character (one or two bytes) given.
using CharAdvanceFn = std::function<int(std::string_view character)>;

// Lays out `text` (code page 932 bytes). The first line's top is Y0 + 2 + Gap, each further line
// LineHeight + Gap lower, every line starts at X0 + Gap. A line takes as many whole characters as
// fit in Width (at least one, so a character wider than the card still gets a line of its own).
// With AcceptCr the marker ends a line and is not drawn, but a marker is only seen when it lies
// within 80 bytes of the start of the line it falls in (the first line: anywhere). Lines beyond
// LineLimit are dropped. Empty lines (consecutive markers) are kept.
void LayoutTextLines(std::string_view text, const TextLayoutParams& params,
                     const CharAdvanceFn& advance, std::vector<LaidLine>& out);

// Lays out and draws `text` in `face` and `color`; LineHeight is taken from the face.
void LayoutText(QPainter& painter, TextFace& face, std::string_view text, TextLayoutParams params,
                const QColor& color);
// The same, blended straight into a card image; `background` as for TextFace::DrawInto.
void LayoutTextInto(QImage& image, TextFace& face, std::string_view text, TextLayoutParams params,
                    QRgb color, std::optional<QRgb> background = std::nullopt);

// A text laid out once in a face, to be blended as often as needed: its lines and the pixels each
// line inks (the lines' coordinates; a null rectangle for a line that inks nothing), so that a
// paint of part of a card blends only the lines that reach that part.
struct LaidText {
    std::vector<LaidLine> Lines;
    std::vector<QRect> Ink;
};
LaidText LayOutText(TextFace& face, std::string_view text, TextLayoutParams params);
// Blends `laid` (laid out from `text` in `face`) into `image`, moved by `offset`: exactly what
// LayoutTextInto with the layout's origin moved by `offset` blends.
void DrawLaidTextInto(QImage& image, TextFace& face, std::string_view text, const LaidText& laid,
                      QPoint offset, QRgb color, std::optional<QRgb> background = std::nullopt);

}  // namespace qv
