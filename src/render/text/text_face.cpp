#include "render/text/text_face.h"

#include <QPainter>
#include <QString>
#include <algorithm>
#include <atomic>

#include "core/settings/env_data.h"
#include "core/text/sjis.h"
#include "render/text/fonts.h"
#include "render/text/qt_text.h"

namespace qv {

namespace {

constexpr std::size_t kPageSize = 256;
constexpr std::size_t kPageCount = 256;
// Faces kept by CardFonts; a paint uses at most six (three kinds, screen and one scale).
constexpr std::size_t kMaxFaces = 16;

unsigned CharCode(std::string_view character) {
    const auto b0 = static_cast<unsigned char>(character[0]);
    if (character.size() < 2) return b0;
    return (b0 << 8) | static_cast<unsigned char>(character[1]);
}

bool IsControl(unsigned code) {
    return code < 0x20 || code == 0x7F;
}

// The four channels of a pixel spread to 16 bits each, for blending all at once.
inline std::uint64_t Spread(QRgb p) {
    return (std::uint64_t{p} | (std::uint64_t{p} << 24)) & 0x00ff00ff00ff00ffULL;
}

// (x · a + y · (255 − a)) / 255 for every channel, rounded; x spread by Spread.
inline QRgb Interpolate(std::uint64_t x, unsigned a, QRgb y) {
    std::uint64_t t = x * a + Spread(y) * (255 - a);
    t = (t + ((t >> 8) & 0x00ff00ff00ff00ffULL) + 0x0080008000800080ULL) >> 8;
    t &= 0x00ff00ff00ff00ffULL;
    return static_cast<QRgb>(t) | static_cast<QRgb>(t >> 24);
}

// The smallest part of a coverage mask holding all its ink.
QRect InkOf(const QImage& mask) {
    int left = mask.width(), right = -1, top = mask.height(), bottom = -1;
    for (int y = 0; y < mask.height(); ++y) {
        const uchar* line = mask.constScanLine(y);
        for (int x = 0; x < mask.width(); ++x) {
            if (!line[x]) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

TextFace::TextFace(const QFont& font, int charHeight)
    : serial_([] {
          static std::atomic<std::uint64_t> next{0};
          return ++next;
      }()),
      font_(font),
      metrics_(font),
      lineHeight_(std::max(charHeight, 1)),
      ascent_(metrics_.ascent()),
      pages_(kPageCount) {}

const TextFace::Glyph& TextFace::Lookup(std::string_view character) {
    const unsigned code = CharCode(character);
    auto& page = pages_[code >> 8];
    if (!page) page = std::make_unique<Glyph[]>(kPageSize);
    Glyph& g = page[code & 0xFF];
    if (g.Known) return g;
    g.Known = true;
    // Control bytes have no glyph and take no room; the platform drew nothing for them either.
    if (IsControl(code)) return g;
    const QString s = FromCp932(character);
    g.Unicode = s.isEmpty() ? char16_t{0xFFFD} : s.at(0).unicode();
    g.Advance = metrics_.horizontalAdvance(s);
    // The coverage of the character as the painter draws it (other fonts stand in for characters
    // this one lacks), with a margin for antialiasing.
    const QRect ink = metrics_.boundingRect(s);
    if (ink.isEmpty()) return g;
    constexpr int pad = 2;
    QImage canvas(ink.width() + 2 * pad, ink.height() + 2 * pad,
                  QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull()) return g;
    canvas.fill(Qt::transparent);
    {
        QPainter p(&canvas);
        p.setFont(font_);
        p.setPen(Qt::white);
        p.drawText(QPointF(pad - ink.x(), pad - ink.y()), s);
    }
    const QImage mask = canvas.convertToFormat(QImage::Format_Alpha8);
    const QRect used = InkOf(mask);
    if (used.isEmpty()) return g;
    g.Mask = mask.copy(used);
    g.MaskX = static_cast<std::int16_t>(ink.x() - pad + used.x());
    g.MaskY = static_cast<std::int16_t>(ink.y() - pad + used.y());
    return g;
}

int TextFace::CharAdvance(std::string_view text, std::size_t pos, std::size_t* length) {
    const std::size_t len = sjis::CharLength(text, pos);
    if (length) *length = len;
    return Lookup(text.substr(pos, len)).Advance;
}

int TextFace::Width(std::string_view text) {
    int width = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t len = 1;
        width += CharAdvance(text, pos, &len);
        pos += len;
    }
    return width;
}

void TextFace::Draw(QPainter& painter, int x, int top, std::string_view text, const QColor& color) {
    QString line;
    line.reserve(static_cast<qsizetype>(text.size()));
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t len = sjis::CharLength(text, pos);
        const Glyph& g = Lookup(text.substr(pos, len));
        if (g.Unicode != 0) line.append(QChar(g.Unicode));
        pos += len;
    }
    if (line.isEmpty()) return;
    painter.setFont(font_);
    painter.setPen(color);
    painter.drawText(QPointF(x, top + ascent_), line);
}

const QRgb* TextFace::Blends(QRgb color, QRgb background) {
    for (const BlendTable& t : blends_)
        if (t.Made && t.Color == color && t.Background == background) return t.Pixel.data();
    BlendTable& t = blends_[nextBlend_];
    nextBlend_ = (nextBlend_ + 1) % blends_.size();
    t.Color = color;
    t.Background = background;
    t.Made = true;
    const std::uint64_t spread = Spread(color);
    for (unsigned a = 0; a < 256; ++a)
        t.Pixel[a] = Interpolate(spread, a, background);
    return t.Pixel.data();
}

void TextFace::DrawInto(QImage& target, int x, int top, std::string_view text, QRgb color,
                        std::optional<QRgb> background) {
    if (text.empty()) return;
    const int baseline = top + ascent_;
    const QRgb opaque = 0xFF000000u | color;
    const std::uint64_t spread = Spread(opaque);
    const QRgb under = background.value_or(0);
    const QRgb* blends = background ? Blends(opaque, under) : nullptr;
    const int tw = target.width(), th = target.height();
    uchar* bits = target.bits();
    const qsizetype stride = target.bytesPerLine();
    int pen = x;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t len = sjis::CharLength(text, pos);
        const Glyph& g = Lookup(text.substr(pos, len));
        pos += len;
        const int gx = pen + g.MaskX, gy = baseline + g.MaskY;
        pen += g.Advance;
        if (g.Mask.isNull()) continue;
        const int x0 = std::max(gx, 0), x1 = std::min(gx + g.Mask.width(), tw);
        const int y0 = std::max(gy, 0), y1 = std::min(gy + g.Mask.height(), th);
        if (x0 >= x1) continue;
        const uchar* maskBits = g.Mask.constBits();
        const qsizetype maskStride = g.Mask.bytesPerLine();
        for (int y = y0; y < y1; ++y) {
            const uchar* m = maskBits + (y - gy) * maskStride + (x0 - gx);
            auto* d = reinterpret_cast<QRgb*>(bits + y * stride) + x0;
            for (int i = 0; i < x1 - x0; ++i) {
                const unsigned a = m[i];
                // Premultiplied "source over" of the opaque colour at coverage a; an opaque
                // destination stays opaque. Over the background the table holds every result
                // (at 0 the background itself, at 255 the colour).
                if (blends && d[i] == under)
                    d[i] = blends[a];
                else if (a == 255)
                    d[i] = opaque;
                else if (a != 0)
                    d[i] = Interpolate(spread, a, d[i]);
            }
        }
    }
}

QRect TextFace::InkRect(int x, int top, std::string_view text) {
    QRect ink;
    const int baseline = top + ascent_;
    int pen = x;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t len = sjis::CharLength(text, pos);
        const Glyph& g = Lookup(text.substr(pos, len));
        pos += len;
        if (!g.Mask.isNull())
            ink |= QRect(pen + g.MaskX, baseline + g.MaskY, g.Mask.width(), g.Mask.height());
        pen += g.Advance;
    }
    return ink;
}

// ---- CardFonts ----

const FontSpec& FontOf(const EnvData& env, FragmentKind kind) {
    switch (kind) {
        case FragmentKind::NamePlate:
            return env.NamePlateFont;
        case FragmentKind::Symbol:
            return env.SymbolFont;
        default:
            return env.FragmentFont;
    }
}

CardFonts::CardFonts() = default;
CardFonts::~CardFonts() = default;

TextFace& CardFonts::Face(const EnvData& env, FragmentKind kind) {
    return Face(env, kind, FontOf(env, kind).PixelHeight());
}

TextFace& CardFonts::Face(const EnvData& env, FragmentKind kind, int pixelHeight) {
    const FontSpec& fontSpec = FontOf(env, kind);
    pixelHeight = std::clamp(pixelHeight, 1, kMaxFontPixelHeight);
    ++clock_;
    for (Entry& e : entries_) {
        if (e.PixelHeight == pixelHeight && e.Font == fontSpec) {
            e.LastUse = clock_;
            return *e.Face;
        }
    }
    // The least recently used face goes; a paint asks again for every face it uses, so the one
    // dropped is not in use.
    if (entries_.size() >= kMaxFaces) {
        auto oldest =
            std::min_element(entries_.begin(), entries_.end(),
                             [](const Entry& a, const Entry& b) { return a.LastUse < b.LastUse; });
        entries_.erase(oldest);
    }
    entries_.push_back(
        Entry{fontSpec, pixelHeight,
              std::make_unique<TextFace>(MakeFont(fontSpec, pixelHeight), pixelHeight), clock_});
    return *entries_.back().Face;
}

}  // namespace qv
