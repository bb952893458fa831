#include "render/text/text_layout.h"

#include <algorithm>

#include "core/text/sjis.h"
#include "render/text/text_face.h"

namespace qv {

namespace {

// How far ahead of a line's start a marker is looked for.
constexpr std::size_t kMarkerLookahead = 80;

// 1-based position of the marker relative to `start` within the next kMarkerLookahead bytes (the
// whole rest of the text when `anywhere`), 0 when there is none.
std::size_t MarkerPosition(std::string_view text, std::size_t start, std::string_view marker,
                           bool anywhere) {
    if (marker.empty() || start >= text.size()) return 0;
    std::string_view window = text.substr(start);
    if (!anywhere) window = window.substr(0, kMarkerLookahead);
    const std::size_t pos = sjis::Find(window, marker);
    return pos == std::string_view::npos ? 0 : pos + 1;
}

}  // namespace

void LayoutTextLines(std::string_view text, const TextLayoutParams& p, const CharAdvanceFn& advance,
                     std::vector<LaidLine>& out) {
    const std::size_t len = text.size();
    const int x = p.X0 + p.Gap;
    const bool acceptCr = p.AcceptCr && !p.Marker.empty();
    int offset = 2;
    int line = 1;
    std::size_t start = 0;
    std::size_t n = 1;  // candidate length in bytes from start
    std::size_t crPos = acceptCr ? MarkerPosition(text, 0, p.Marker, true) : 0;

    // Width of the whole characters inside the first n bytes from start, kept while n grows.
    int width = 0;
    std::size_t counted = 0;      // bytes of those characters
    std::size_t lastCharLen = 0;  // length of the last of them
    auto resetWidth = [&] {
        width = 0;
        counted = 0;
        lastCharLen = 0;
    };
    auto widen = [&] {
        while (start + counted < len) {
            const std::size_t cl = sjis::CharLength(text, start + counted);
            if (counted + cl > n) break;
            width += advance(text.substr(start + counted, cl));
            counted += cl;
            lastCharLen = cl;
        }
    };
    auto addLine = [&](std::size_t from, std::size_t count) {
        from = std::min(from, len);
        count = std::min(count, len - from);
        out.push_back(LaidLine{from, count, x, p.Y0 + offset + p.Gap});
    };

    for (;;) {
        if (acceptCr && n == crPos) {
            addLine(start, n - 1);
            offset += p.Gap + p.LineHeight;
            start += n - 1 + p.Marker.size();
            crPos = MarkerPosition(text, start, p.Marker, false);
        } else {
            if (start >= len) break;  // a marker ended the text
            widen();
            if (width <= p.Width) {
                if (start + n >= len) break;
                ++n;
                continue;
            }
            // Too wide: give back the last character. Width only grows when a character is
            // complete, so the candidate ends exactly after one.
            std::size_t take = counted - lastCharLen;
            if (take == 0) take = sjis::CharLength(text, start);
            addLine(start, take);
            start += take;
            if (start >= len) return;
            crPos = acceptCr ? MarkerPosition(text, start, p.Marker, false) : 0;
            offset += p.Gap + p.LineHeight;
        }
        ++line;
        if (line > p.LineLimit) return;
        n = 1;
        resetWidth();
    }
    addLine(start, n);
}

namespace {

// The lines of `text` as `face` measures them.
std::vector<LaidLine> FaceLines(TextFace& face, std::string_view text, TextLayoutParams params) {
    params.LineHeight = face.LineHeight();
    std::vector<LaidLine> lines;
    LayoutTextLines(
        text, params, [&](std::string_view c) { return face.CharAdvance(c, 0); }, lines);
    return lines;
}

}  // namespace

void LayoutText(QPainter& painter, TextFace& face, std::string_view text, TextLayoutParams params,
                const QColor& color) {
    for (const LaidLine& l : FaceLines(face, text, params))
        face.Draw(painter, l.X, l.Y, text.substr(l.Start, l.Length), color);
}

void LayoutTextInto(QImage& image, TextFace& face, std::string_view text, TextLayoutParams params,
                    QRgb color, std::optional<QRgb> background) {
    for (const LaidLine& l : FaceLines(face, text, params))
        face.DrawInto(image, l.X, l.Y, text.substr(l.Start, l.Length), color, background);
}

LaidText LayOutText(TextFace& face, std::string_view text, TextLayoutParams params) {
    LaidText laid;
    laid.Lines = FaceLines(face, text, params);
    laid.Ink.reserve(laid.Lines.size());
    for (const LaidLine& l : laid.Lines)
        laid.Ink.push_back(face.InkRect(l.X, l.Y, text.substr(l.Start, l.Length)));
    return laid;
}

void DrawLaidTextInto(QImage& image, TextFace& face, std::string_view text, const LaidText& laid,
                      QPoint offset, QRgb color, std::optional<QRgb> background) {
    const QRect target = image.rect().translated(-offset);
    for (std::size_t i = 0; i < laid.Lines.size(); ++i) {
        if (!laid.Ink[i].intersects(target)) continue;
        const LaidLine& l = laid.Lines[i];
        face.DrawInto(image, l.X + offset.x(), l.Y + offset.y(), text.substr(l.Start, l.Length),
                      color, background);
    }
}

}  // namespace qv
