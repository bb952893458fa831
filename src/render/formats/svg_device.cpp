#include "render/formats/svg_device.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTextItem>
#include <cmath>
#include <map>
#include <string>

#include "core/fs/read_file.h"
#include "render/pictures/picture_cache.h"

namespace qv {

namespace {

// Picture files larger than this are embedded as pixels (their bytes would be held twice, once
// as base64).
constexpr std::size_t kMaxEmbeddedFile = std::size_t{256} << 20;
// The sink gets the text in pieces of about this size.
constexpr std::size_t kFlushBytes = std::size_t{1} << 16;

std::string Number(double v) {
    if (!std::isfinite(v)) v = 0;
    const double r = std::round(v * 1000) / 1000;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", r == 0 ? 0.0 : r);
    std::string s = buf;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

std::string Hex(const QColor& c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.red(), c.green(), c.blue());
    return buf;
}

// Text for XML content and attribute values: markup characters escaped, and characters XML does
// not allow (controls, unpaired surrogates, U+FFFE, U+FFFF) left out.
std::string XmlText(const QString& text) {
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            clean += c;
            clean += text[++i];
            continue;
        }
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF) continue;
        if (u < 0x20 && u != '\t') continue;
        clean += c;
    }
    std::string out;
    const QByteArray utf8 = clean.toUtf8();
    out.reserve(static_cast<std::size_t>(utf8.size()));
    for (char ch : utf8) {
        switch (ch) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += ch;
        }
    }
    return out;
}

std::string Base64(std::string_view bytes) {
    const QByteArray b =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())).toBase64();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

std::string PngBase64(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) return {};
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) return {};
    return Base64(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace

std::string_view ImageMediaType(std::string_view b) {
    auto starts = [&](std::string_view magic) { return b.substr(0, magic.size()) == magic; };
    if (starts("\xFF\xD8\xFF")) return "image/jpeg";
    if (starts("\x89PNG\r\n\x1A\n")) return "image/png";
    if (starts("GIF87a") || starts("GIF89a")) return "image/gif";
    if (starts("BM") && b.size() > 54) return "image/bmp";
    return {};
}

// Writes one element per drawing call, with the painter's state of that moment as attributes.
// Clipping is not carried over: the vector target never clips (only the window does).
class SvgPaintEngine final : public QPaintEngine {
  public:
    SvgPaintEngine(QSize size, std::function<bool(std::string_view)> sink)
        : QPaintEngine(QPaintEngine::AllFeatures), size_(size), sink_(std::move(sink)) {}

    bool begin(QPaintDevice*) override {
        if (begun_) return true;
        begun_ = true;
        const std::string w = std::to_string(size_.width()), h = std::to_string(size_.height());
        out_ +=
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" "
            "xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\" width=\"" +
            w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h + "\">\n";
        return Flush();
    }

    bool end() override {
        if (begun_ && !ended_) {
            ended_ = true;
            FlushText();
            out_ += "</svg>\n";
        }
        return Flush();
    }

    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override {
        const DirtyFlags f = state.state();
        if (f & DirtyPen) pen_ = state.pen();
        if (f & DirtyBrush) brush_ = state.brush();
        if (f & DirtyFont) font_ = state.font();
        if (f & DirtyTransform) transform_ = state.transform();
        if (f & DirtyHints) antialias_ = state.renderHints() & QPainter::Antialiasing;
        if (f & DirtyBrushOrigin) brushOrigin_ = state.brushOrigin();
    }

    void drawPath(const QPainterPath& path) override {
        const std::string d = PathData(path);
        if (d.empty()) return;
        const char* rule = path.fillRule() == Qt::OddEvenFill ? "evenodd" : "nonzero";
        Shape("<path d=\"" + d + "\" fill-rule=\"" + rule + "\"", true);
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        if (count < 1) return;
        std::string list;
        for (int i = 0; i < count; ++i) {
            if (i) list += ' ';
            list += Number(points[i].x());
            list += ',';
            list += Number(points[i].y());
        }
        if (mode == PolylineMode) {
            Shape("<polyline points=\"" + list + "\"", false);
            return;
        }
        const char* rule = mode == OddEvenMode ? "evenodd" : "nonzero";
        Shape("<polygon points=\"" + list + "\" fill-rule=\"" + rule + "\"", true);
    }

    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i) {
            const QRectF& r = rects[i];
            Shape("<rect x=\"" + Number(r.x()) + "\" y=\"" + Number(r.y()) + "\" width=\"" +
                      Number(r.width()) + "\" height=\"" + Number(r.height()) + "\"",
                  true);
        }
    }

    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i) {
            const QLineF& l = lines[i];
            Shape("<line x1=\"" + Number(l.x1()) + "\" y1=\"" + Number(l.y1()) + "\" x2=\"" +
                      Number(l.x2()) + "\" y2=\"" + Number(l.y2()) + "\"",
                  false);
        }
    }

    // Qt hands a line over in runs of one script each (kanji, kana, Latin); runs that continue
    // one another on the same baseline in the same font become <tspan>s of one <text>, so the
    // line reads (and is found and copied) as one piece.
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        const QString text = item.text();
        if (text.isEmpty() || pen_.style() == Qt::NoPen) return;
        const QFont font = item.font();
        const double px = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96 / 72;
        const QString family = font.family();
        const bool serif = family.contains(QLatin1String("Mincho"), Qt::CaseInsensitive) ||
                           font.styleHint() == QFont::Serif;
        std::string style = "font-family=\"'" + XmlText(family) + "', " +
                            (serif ? "serif" : "sans-serif") + "\" font-size=\"" + Number(px) +
                            "\"";
        if (font.bold()) style += " font-weight=\"bold\"";
        if (font.italic()) style += " font-style=\"italic\"";
        if (font.underline()) style += " text-decoration=\"underline\"";
        style += " fill=\"" + Hex(pen_.color()) + "\"";
        if (pen_.color().alpha() != 255)
            style += " fill-opacity=\"" + Number(pen_.color().alphaF()) + "\"";
        style += Transform(false);
        const std::string x = Number(p.x()), y = Number(p.y());
        const bool continues = !text_.empty() && style == textStyle_ && y == textY_ &&
                               std::abs(p.x() - textNextX_) < 0.5;
        if (!continues) {
            FlushText();
            text_ = "<text x=\"" + x + "\" y=\"" + y + "\" " + style + " xml:space=\"preserve\">" +
                    XmlText(text);
            textStyle_ = style;
            textY_ = y;
        } else {
            text_ += "<tspan x=\"" + x + "\">" + XmlText(text) + "</tspan>";
        }
        textNextX_ = p.x() + item.width();
    }

    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                   Qt::ImageConversionFlags) override {
        const QImage part = sr == QRectF(image.rect()) ? image : image.copy(sr.toAlignedRect());
        const std::string data = PngBase64(part);
        if (data.empty()) return;
        Image(r, "image/png", data);
    }

    void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& sr) override {
        drawImage(r, pixmap.toImage(), sr, Qt::AutoColor);
    }

    // An image element of `bytes` (base64) over `r`.
    void Image(const QRectF& r, std::string_view mediaType, const std::string& base64) {
        std::string e = "<image x=\"" + Number(r.x()) + "\" y=\"" + Number(r.y()) + "\" width=\"" +
                        Number(r.width()) + "\" height=\"" + Number(r.height()) +
                        "\" preserveAspectRatio=\"none\"" + Transform(false) +
                        " xlink:href=\"data:";
        e += mediaType;
        e += ";base64,";
        Emit(e);
        // The data goes out straight; it may be large.
        out_ += base64;
        Emit("\"/>\n");
    }

    // A picture file drawn over `r`: its bytes go out once, as an image of one unit square in
    // <defs>; every card showing the same file refers to it with a <use> scaled onto its rectangle,
    // so fifty cards of one large photo hold the photo once. `bytes` is asked for only the first
    // time `key` is seen; false when it gave nothing embeddable (nothing is written then).
    bool FileImage(const QRectF& r, const std::string& key, const QTransform& transform,
                   const std::function<bool(std::string& mediaType, std::string& base64)>& bytes) {
        auto it = fileIds_.find(key);
        if (it == fileIds_.end()) {
            std::string mediaType, base64;
            if (!bytes(mediaType, base64)) return false;
            it = fileIds_.emplace(key, "picture" + std::to_string(fileIds_.size() + 1)).first;
            Emit("<defs><image id=\"" + it->second +
                 "\" width=\"1\" height=\"1\" preserveAspectRatio=\"none\" xlink:href=\"data:" +
                 mediaType + ";base64,");
            out_ += base64;
            Emit("\"/></defs>\n");
        }
        const QTransform place = QTransform(r.width(), 0, 0, r.height(), r.x(), r.y()) * transform;
        Emit("<use xlink:href=\"#" + it->second + "\"" + Transform(false, &place) + "/>\n");
        return true;
    }

    bool Ok() const { return ok_; }

  private:
    // `fill` shapes take the brush; every shape takes the pen. A shape with both is written twice
    // (fill, then outline), so that an aliased outline can sit on the pixel centres as Qt draws it
    // while the fill keeps the pixel edges.
    void Shape(const std::string& open, bool fill) {
        if (fill && brush_.style() != Qt::NoBrush) {
            const QColor c = brush_.color();
            std::string e = open + " fill=\"" + Hex(c) + "\"";
            if (c.alpha() != 255) e += " fill-opacity=\"" + Number(c.alphaF()) + "\"";
            e += " stroke=\"none\"";
            if (!antialias_) e += " shape-rendering=\"crispEdges\"";
            Emit(e + Transform(false) + "/>\n");
        }
        if (pen_.style() == Qt::NoPen || pen_.brush().style() == Qt::NoBrush) return;
        const QColor c = pen_.color();
        std::string e = open + " fill=\"none\" stroke=\"" + Hex(c) + "\"";
        if (c.alpha() != 255) e += " stroke-opacity=\"" + Number(c.alphaF()) + "\"";
        const bool cosmetic = pen_.isCosmetic() || pen_.widthF() == 0;
        const double width = pen_.widthF() > 0 ? pen_.widthF() : 1.0;
        e += " stroke-width=\"" + Number(width) + "\"";
        if (cosmetic && !transform_.isIdentity()) e += " vector-effect=\"non-scaling-stroke\"";
        switch (pen_.capStyle()) {
            case Qt::SquareCap:
                e += " stroke-linecap=\"square\"";
                break;
            case Qt::RoundCap:
                e += " stroke-linecap=\"round\"";
                break;
            default:
                break;
        }
        switch (pen_.joinStyle()) {
            case Qt::RoundJoin:
                e += " stroke-linejoin=\"round\"";
                break;
            case Qt::BevelJoin:
                e += " stroke-linejoin=\"bevel\"";
                break;
            default:
                e += " stroke-miterlimit=\"" + Number(std::max(1.0, pen_.miterLimit())) + "\"";
                break;
        }
        if (pen_.style() != Qt::SolidLine) {
            std::string dashes;
            for (double d : pen_.dashPattern()) {
                if (!dashes.empty()) dashes += ',';
                dashes += Number(d * width);
            }
            if (!dashes.empty()) e += " stroke-dasharray=\"" + dashes + "\"";
        }
        if (!antialias_) e += " shape-rendering=\"crispEdges\"";
        Emit(e + Transform(!antialias_) + "/>\n");
    }

    // The transform attribute: the painter's matrix, after half a pixel's shift for an aliased
    // outline (Qt fills the pixel right of and below a coordinate).
    std::string Transform(bool halfPixel, const QTransform* with = nullptr) const {
        QTransform t = with ? *with : transform_;
        if (halfPixel) t *= QTransform::fromTranslate(0.5, 0.5);
        if (t.isIdentity()) return {};
        if (t.type() == QTransform::TxTranslate)
            return " transform=\"translate(" + Number(t.dx()) + " " + Number(t.dy()) + ")\"";
        return " transform=\"matrix(" + Number(t.m11()) + " " + Number(t.m12()) + " " +
               Number(t.m21()) + " " + Number(t.m22()) + " " + Number(t.dx()) + " " +
               Number(t.dy()) + ")\"";
    }

    // "x y", appended in pieces: GCC's -Wrestrict misreads a literal placed before a temporary
    // string.
    static void AppendPoint(std::string& out, double x, double y) {
        out += Number(x);
        out += ' ';
        out += Number(y);
    }

    static std::string PathData(const QPainterPath& path) {
        std::string d;
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element& e = path.elementAt(i);
            switch (e.type) {
                case QPainterPath::MoveToElement:
                    d += 'M';
                    AppendPoint(d, e.x, e.y);
                    break;
                case QPainterPath::LineToElement:
                    d += 'L';
                    AppendPoint(d, e.x, e.y);
                    break;
                case QPainterPath::CurveToElement:
                    if (i + 2 >= path.elementCount()) return d;
                    d += 'C';
                    AppendPoint(d, e.x, e.y);
                    d += ' ';
                    AppendPoint(d, path.elementAt(i + 1).x, path.elementAt(i + 1).y);
                    d += ' ';
                    AppendPoint(d, path.elementAt(i + 2).x, path.elementAt(i + 2).y);
                    i += 2;
                    break;
                case QPainterPath::CurveToDataElement:
                    break;
            }
        }
        return d;
    }

    void FlushText() {
        if (text_.empty()) return;
        out_ += text_;
        out_ += "</text>\n";
        text_.clear();
    }

    void Emit(const std::string& text) {
        FlushText();
        out_ += text;
        if (out_.size() >= kFlushBytes) Flush();
    }

    bool Flush() {
        if (ok_ && !out_.empty()) ok_ = sink_(out_);
        out_.clear();
        return ok_;
    }

    QSize size_;
    std::function<bool(std::string_view)> sink_;
    std::string out_;
    bool ok_ = true;
    bool begun_ = false;
    bool ended_ = false;
    QPen pen_;
    QBrush brush_;
    QFont font_;
    QTransform transform_;
    QPointF brushOrigin_;
    bool antialias_ = false;
    // The <text> being gathered, its attributes, baseline and where its next run would start.
    std::string text_;
    std::string textStyle_;
    std::string textY_;
    double textNextX_ = 0;
    // Picture files embedded so far (path, size, modification time) and their element ids.
    std::map<std::string, std::string> fileIds_;

    friend class SvgPaintDevice;
};

SvgPaintDevice::SvgPaintDevice(QSize size, std::function<bool(std::string_view)> sink)
    : size_(size), engine_(std::make_unique<SvgPaintEngine>(size, std::move(sink))) {}

SvgPaintDevice::~SvgPaintDevice() = default;

QPaintEngine* SvgPaintDevice::paintEngine() const {
    return engine_.get();
}

bool SvgPaintDevice::Ok() const {
    return engine_->Ok();
}

int SvgPaintDevice::metric(PaintDeviceMetric m) const {
    switch (m) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return static_cast<int>(size_.width() * 25.4 / 96);
        case PdmHeightMM:
            return static_cast<int>(size_.height() * 25.4 / 96);
        case PdmNumColors:
            return 0x7FFFFFFF;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;  // an SVG pixel is 1/96 inch
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 0;
    }
}

bool SvgPaintDevice::DrawPictureFile(QPainter& painter, const QRect& target,
                                     const SharedPicture& picture) {
    if (picture.FileSize <= 0 || static_cast<std::size_t>(picture.FileSize) > kMaxEmbeddedFile)
        return false;
    const std::string key = picture.NativePath + '\0' + std::to_string(picture.FileSize) + '\0' +
                            std::to_string(picture.ModifiedNs);
    return engine_->FileImage(
        QRectF(target), key, painter.combinedTransform(),
        [&](std::string& mediaType, std::string& base64) {
            const WholeFile file = ReadWholeFile(picture.NativePath, kMaxEmbeddedFile);
            // A file changed since it was decoded would not be the picture the page shows.
            if (file.Status != WholeFile::Result::Read ||
                static_cast<std::int64_t>(file.Bytes.size()) != picture.FileSize)
                return false;
            mediaType = ImageMediaType(file.Bytes);
            if (mediaType.empty()) return false;
            base64 = Base64(file.Bytes);
            return true;
        });
}

}  // namespace qv
