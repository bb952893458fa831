#include "render/text_face.h"

#include <QPainter>
#include <QString>
#include <algorithm>

#include "core/settings/env_data.h"
#include "core/text/sjis.h"
#include "render/fonts.h"
#include "render/qt_text.h"

namespace qv {

namespace {

enum GlyphState : std::uint8_t { kUnknown, kPlain, kInvisible, kFallback };

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

}  // namespace

TextFace::TextFace(const QFont& font)
    : font_(font),
      metrics_(font),
      raw_(QRawFont::fromFont(font)),
      lineHeight_(metrics_.height()),
      ascent_(metrics_.ascent()),
      pages_(kPageCount) {}

const TextFace::Glyph& TextFace::Lookup(std::string_view character) {
    const unsigned code = CharCode(character);
    auto& page = pages_[code >> 8];
    if (!page) page = std::make_unique<Glyph[]>(kPageSize);
    Glyph& g = page[code & 0xFF];
    if (g.State != kUnknown) return g;
    // Control bytes have no glyph and take no room; the platform drew nothing for them either.
    if (IsControl(code)) {
        g.State = kInvisible;
        return g;
    }
    const QString s = FromCp932(character);
    g.Unicode = s.isEmpty() ? char16_t{0xFFFD} : s.at(0).unicode();
    g.Advance = metrics_.horizontalAdvance(s);
    g.State = kFallback;
    if (s.size() == 1 && raw_.isValid()) {
        const QList<quint32> indexes = raw_.glyphIndexesForString(s);
        if (indexes.size() == 1 && indexes[0] != 0) {
            g.Index = indexes[0];
            g.State = kPlain;
        }
    }
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
    if (text.empty()) return;
    painter.setPen(color);
    const qreal baseline = top + ascent_;
    runIndexes_.clear();
    runPositions_.clear();
    auto flush = [&] {
        if (runIndexes_.isEmpty()) return;
        QGlyphRun run;
        run.setRawFont(raw_);
        run.setGlyphIndexes(runIndexes_);
        run.setPositions(runPositions_);
        painter.drawGlyphRun(QPointF(0, 0), run);
        runIndexes_.clear();
        runPositions_.clear();
    };
    int pen = x;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t len = sjis::CharLength(text, pos);
        const Glyph& g = Lookup(text.substr(pos, len));
        if (g.State == kPlain) {
            runIndexes_.append(g.Index);
            runPositions_.append(QPointF(pen, baseline));
        } else if (g.State == kFallback) {
            // A character the face lacks: drawn alone through font merging, at its measured place.
            flush();
            painter.setFont(font_);
            painter.drawText(QPointF(pen, baseline), QString(QChar(g.Unicode)));
        }
        pen += g.Advance;
        pos += len;
    }
    flush();
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
    const FontSpec& spec = FontOf(env, kind);
    pixelHeight = std::clamp(pixelHeight, 1, kMaxFontPixelHeight);
    ++clock_;
    for (Entry& e : entries_) {
        if (e.PixelHeight == pixelHeight && e.Spec == spec) {
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
        Entry{spec, pixelHeight, std::make_unique<TextFace>(MakeFont(spec, pixelHeight)), clock_});
    return *entries_.back().Face;
}

}  // namespace qv
