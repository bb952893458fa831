#include "render/painting/card_painter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "core/text/sjis.h"
#include "render/painting/colors.h"
#include "render/painting/linkmark.h"
#include "render/painting/render_cache.h"
#include "render/pictures/picture_cache.h"
#include "render/pictures/picture_loader.h"
#include "render/text/text_layout.h"

namespace qv {

namespace {

// Cards bigger than this (a huge font in the settings) are drawn straight instead of through an
// image, which could not be allocated.
constexpr std::int64_t kMaxCachedCardPixels = std::int64_t{4} << 20;

int ClampToInt(double v) {
    return static_cast<int>(std::clamp(v, -2147483648.0, 2147483647.0));
}

int FloorToInt(double v) {
    return ClampToInt(std::floor(v));
}

QRect ToQRect(const Rect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

// A one-pixel outline on the outermost pixels of `r`.
void Outline(QPainter& p, const QRect& r, const QColor& color) {
    if (r.width() <= 0 || r.height() <= 0) return;
    p.setPen(QPen(color, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.x(), r.y(), r.width() - 1, r.height() - 1);
}

// ---- Straight pixel work on card images (no painter: a card must cost microseconds) ----

void FillRect(QImage& image, QRect r, QRgb color) {
    r &= image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line + r.left(), line + r.right() + 1, color);
    }
}

void OutlineRect(QImage& image, const QRect& r, QRgb color) {
    if (r.width() <= 0 || r.height() <= 0) return;
    FillRect(image, QRect(r.left(), r.top(), r.width(), 1), color);
    FillRect(image, QRect(r.left(), r.bottom(), r.width(), 1), color);
    FillRect(image, QRect(r.left(), r.top(), 1, r.height()), color);
    FillRect(image, QRect(r.right(), r.top(), 1, r.height()), color);
}

// Every channel of a premultiplied pixel times a / 255.
inline QRgb ByteMul(QRgb x, unsigned a) {
    std::uint64_t t = ((std::uint64_t{x} | (std::uint64_t{x} << 24)) & 0x00ff00ff00ff00ffULL) * a;
    t = (t + ((t >> 8) & 0x00ff00ff00ff00ffULL) + 0x0080008000800080ULL) >> 8;
    t &= 0x00ff00ff00ff00ffULL;
    return static_cast<QRgb>(t) | static_cast<QRgb>(t >> 24);
}

// "Source over" of a premultiplied image at `at`.
void BlendImage(QImage& image, const QImage& source, QPoint at) {
    const QImage src = source.format() == QImage::Format_ARGB32_Premultiplied
                           ? source
                           : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRect r = QRect(at, src.size()) & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto* s =
            reinterpret_cast<const QRgb*>(src.constScanLine(y - at.y())) + (r.left() - at.x());
        auto* d = reinterpret_cast<QRgb*>(image.scanLine(y)) + r.left();
        for (int i = 0; i < r.width(); ++i) {
            const unsigned a = qAlpha(s[i]);
            if (a == 255)
                d[i] = s[i];
            else if (a != 0)
                d[i] = s[i] + ByteMul(d[i], 255 - a);
        }
    }
}

// The upper-cased extension of the last path component (".CSV"), empty when there is none.
std::string UpperExtension(std::string_view path) {
    std::size_t nameStart = 0, dot = std::string_view::npos;
    for (std::size_t pos = 0; pos < path.size(); pos = sjis::NextChar(path, pos)) {
        const char c = path[pos];
        if (c == '\\' || c == '/' || c == ':') {
            nameStart = pos + 1;
            dot = std::string_view::npos;
        } else if (c == '.') {
            dot = pos;
        }
    }
    if (dot == std::string_view::npos || dot < nameStart) return {};
    return sjis::UpperAscii(path.substr(dot));
}

int CardUnit(const EnvData& env, FragmentKind kind) {
    return std::abs(FontOf(env, kind).PixelHeight());
}

int ContentWidth(const Fragment& f, const EnvData& env, TextFace& face) {
    if (f.Kind == FragmentKind::Symbol) return face.Width(f.Text);
    const std::int64_t w = std::int64_t{CardUnit(env, f.Kind)} * f.Columns;
    return static_cast<int>(std::clamp<std::int64_t>(w, -1, 1 << 30));
}

// The part `part` (card coordinates) of a text, name-plate or symbol card's image: background,
// text, link mark and outline.
QImage RenderCardPart(const Fragment& f, const EnvData& env, RenderCache& cache,
                      const QRect& part) {
    const bool symbol = f.Kind == FragmentKind::Symbol;
    QImage image(part.size(), symbol ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull()) return image;
    const auto& colors = env.Colors;
    const QRgb background = symbol ? 0 : ToQColor(f.Selected ? colors.SelFrgBG : f.ColBG).rgb();
    image.fill(background);
    const int ox = -part.x(), oy = -part.y();
    const int w = f.Width(), h = f.Height();

    TextFace& face = cache.Fonts().Face(env, f.Kind);
    TextLayoutParams layout;
    layout.Width = ContentWidth(f, env, face);
    layout.Gap = 2;
    layout.LineLimit = f.Lines;
    layout.AcceptCr = env.Accept_CR;
    layout.Marker = env.CR_String;
    DrawLaidTextInto(image, face, f.Text, cache.CardText(&f, f.Text, face, layout),
                     QPoint(ox, oy), ToQColor(f.Selected ? colors.SelFrgFG : f.ColFG).rgb(),
                     background);

    if (env.LinkMark && !f.Link.empty()) {
        const bool icon = env.LinkIsIcon && UpperExtension(f.Link) != ".CSV";
        const QImage& mark =
            icon ? cache.LinkIcon(f.Link, f.LinkPressed) : cache.LinkMark(f.LinkPressed);
        BlendImage(image, mark, QPoint(ox + w - kLinkMarkSide, oy + h - kLinkMarkSide));
    }
    if (!symbol) {
        const Color outline = f.Marked && f.Selected ? colors.SelectRect : colors.FrgBorder;
        OutlineRect(image, QRect(ox, oy, w, h), ToQColor(outline).rgb());
    }
    return image;
}

// The image a painter paints on when text can be blended into it straight: a 32-bit image,
// painted without clipping, scaling or rotation (the document image). Null otherwise (printers).
QImage* PlainImageTarget(QPainter& p) {
    QPaintDevice* device = p.device();
    if (!device || device->devType() != QInternal::Image || p.hasClipping()) return nullptr;
    if (p.transform().type() > QTransform::TxTranslate) return nullptr;
    const QPointF shift = p.transform().map(QPointF(0, 0));
    if (shift != QPointF(static_cast<int>(shift.x()), static_cast<int>(shift.y()))) return nullptr;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied)
        return nullptr;
    return image;
}

// A picture drawn into `target`: with its own transparency, or its bottom-left colour left out,
// when `transparent`; otherwise over the card's background colour.
void DrawPicture(QPainter& p, const QImage& picture, const QRect& target, bool transparent,
                 Color background, RenderCache& cache) {
    if (transparent) {
        p.drawImage(target, cache.TransparentPicture(picture));
        return;
    }
    if (picture.hasAlphaChannel()) p.fillRect(target, ToQColor(background));
    p.drawImage(target, picture);
}

void DrawPictureCard(QPainter& p, const Fragment& f, const EnvData& env, RenderCache& cache) {
    const QRect r = ToQRect(f.ScreenRect);
    const auto& colors = env.Colors;
    const QImage* picture = f.Cache ? PictureImage(*f.Cache) : nullptr;
    if (picture && !picture->isNull()) {
        DrawPicture(p, *picture, r, f.ColBG == kNoColor, f.ColBG, cache);
        if (f.Selected) {
            Outline(p, r, ToQColor(f.Marked ? colors.SelectRect : colors.SelFrgBG));
            Outline(p, r.adjusted(1, 1, -1, -1), ToQColor(colors.SelFrgBG));
        }
        return;
    }
    p.fillRect(r, ToQColor(f.Selected ? colors.SelFrgBG : colors.Background));
    Outline(p, r, ToQColor(colors.FrgBorder));
}

}  // namespace

QImage MaskedPicture(const QImage& picture) {
    if (picture.hasAlphaChannel() || picture.isNull()) return picture;
    QImage masked = picture.convertToFormat(QImage::Format_ARGB32);
    if (masked.isNull()) return picture;
    const QRgb key = masked.pixel(0, masked.height() - 1) & RGB_MASK;
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            if ((line[x] & RGB_MASK) == key) line[x] = 0;
        }
    }
    return masked.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

int RoundHalfUp(double v) {
    return FloorToInt(v + 0.5);
}

void DrawCard(QPainter& painter, const Fragment& f, const EnvData& env, RenderCache& cache,
              const Rect& clientRect) {
    DrawCard(painter, f, env, cache, clientRect, f.ScreenRect.Intersected(clientRect));
}

void DrawCard(QPainter& painter, const Fragment& f, const EnvData& env, RenderCache& cache,
              const Rect& clientRect, const Rect& visibleRect) {
    const Rect& r = f.ScreenRect;
    if (!r.Intersects(clientRect)) {
        cache.DropCard(&f);
        return;
    }
    const Rect visible = visibleRect.Intersected(r).Intersected(clientRect);
    if (visible.IsEmpty()) return;
    // Text, name-plate and symbol cards are made for the visible part only; what is drawn over
    // the whole card needs the painter clipped.
    const bool clip = visible != r && (f.Kind == FragmentKind::Image ||
                                       (f.Kind == FragmentKind::Symbol && f.Selected));
    if (clip) {
        painter.save();
        painter.setClipRect(ToQRect(visible), Qt::IntersectClip);
    }
    if (f.Kind == FragmentKind::Image) {
        DrawPictureCard(painter, f, env, cache);
    } else {
        const int w = r.Width(), h = r.Height();
        const bool fits = std::int64_t{w} * h <= kMaxCachedCardPixels;
        const bool keep = fits && env.FrgFastDraw && env.PlatformId == kPlatformNt;
        // The visible part in card coordinates.
        const QRect part = ToQRect(visible.Translated(-r.Left, -r.Top));
        if (keep) {
            const QImage* image = cache.Card(&f, f.Revision);
            if (!image || image->width() != w || image->height() != h) {
                cache.StoreCard(&f, f.Revision, RenderCardPart(f, env, cache, QRect(0, 0, w, h)));
                image = cache.Card(&f, f.Revision);
            }
            if (image && !image->isNull())
                painter.drawImage(QPoint(visible.Left, visible.Top), *image, part);
        } else {
            cache.DropCardImage(&f);
            const QImage image = RenderCardPart(f, env, cache, part);
            if (!image.isNull()) painter.drawImage(QPoint(visible.Left, visible.Top), image);
        }
        if (f.Kind == FragmentKind::Symbol && f.Selected) {
            const auto& colors = env.Colors;
            const QColor c = ToQColor(f.Marked ? colors.SelectRect : colors.SelFrgBG);
            Outline(painter, ToQRect(r), c);
            Outline(painter, ToQRect(r).adjusted(1, 1, -1, -1), c);
        }
    }
    if (clip) painter.restore();
}

namespace {

// A one-pixel outline inside `r` on a painter scaled by `zoom`: its right and bottom edges sit a
// screen pixel inside, as at full size.
void ZoomedOutline(QPainter& p, const QRectF& r, const QColor& color, double zoom) {
    if (r.width() <= 0 || r.height() <= 0) return;
    const double pixel = 1.0 / zoom;
    p.setPen(QPen(color, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(
        QRectF(r.x(), r.y(), std::max(0.0, r.width() - pixel), std::max(0.0, r.height() - pixel)));
}

// Grey bars in place of text too small to read: one per line the card holds, as long as the
// line's share of the text would be, at most the card's text width.
void TextBars(QPainter& p, const Fragment& f, const EnvData& env, const QRect& r, double zoom) {
    const int h = CardUnit(env, f.Kind);
    const int lines = std::max(1, f.Kind == FragmentKind::Symbol ? 1 : f.Lines);
    const int width = f.Kind == FragmentKind::Symbol ? r.width() - 4 : r.width() - 8;
    if (width <= 0 || f.Text.empty()) return;
    // A double-byte character is about h wide, a single-byte one half that.
    const std::int64_t textWidth = static_cast<std::int64_t>(f.Text.size()) * h / 2;
    std::int64_t left = textWidth;
    const QColor grey = QColor::fromRgb(kTextBarColor);
    for (int line = 0; line < lines && left > 0; ++line) {
        const int w = static_cast<int>(std::min<std::int64_t>(left, width));
        left -= width;
        const int top = r.y() + 4 + line * (h + 2) + h / 4;
        // At least a screen pixel high, so far out a bar still shows.
        p.fillRect(QRectF(r.x() + 4, top, w, std::max(h / 2.0, 1.0 / zoom)), grey);
    }
}

// A readable text, name-plate or symbol card below 100 %: many cards show at once there, so the
// card is made as an image of its size on the screen, its text blended in from the font at that
// size (as at 100 %, where the painter's own text drawing would cost many times more), and drawn
// unscaled.
void DrawReducedTextCard(QPainter& p, const Fragment& f, const EnvData& env, RenderCache& cache,
                         const Rect& visible, double zoom) {
    const QTransform& to = p.transform();
    const auto deviceRect = [&](const Rect& r) {
        const QRectF d = to.mapRect(QRectF(r.Left, r.Top, r.Width(), r.Height()));
        const int l = FloorToInt(d.left() + 1e-9), t = FloorToInt(d.top() + 1e-9);
        return QRect(l, t, FloorToInt(d.right() + 1e-9) - l, FloorToInt(d.bottom() + 1e-9) - t);
    };
    const QRect device = deviceRect(f.ScreenRect);
    if (device.width() <= 0 || device.height() <= 0) return;
    const bool symbol = f.Kind == FragmentKind::Symbol;
    const auto& colors = env.Colors;
    QImage image(device.size(),
                 symbol ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull()) return;
    const QRgb background = symbol ? 0 : ToQColor(f.Selected ? colors.SelFrgBG : f.ColBG).rgb();
    image.fill(background);

    const FontSpec& fontSpec = FontOf(env, f.Kind);
    const int h = fontSpec.PixelHeight();
    const int signedHeight = fontSpec.Size > 0 ? -h : h;
    TextFace& face =
        cache.Fonts().Face(env, f.Kind, std::max(1, std::abs(FloorToInt(zoom * signedHeight))));
    TextLayoutParams layout;
    layout.Width =
        symbol ? face.Width(f.Text) : RoundHalfUp(zoom * (double{1.0} * std::abs(h) * f.Columns));
    layout.Gap = FloorToInt(zoom * 2);
    layout.LineLimit = f.Lines;
    layout.AcceptCr = env.Accept_CR;
    layout.Marker = env.CR_String;
    LayoutTextInto(image, face, f.Text, layout,
                   ToQColor(f.Selected ? colors.SelFrgFG : f.ColFG).rgb(), background);
    const int markSide = RoundHalfUp(kLinkMarkSide * zoom);
    if (env.LinkMark && !f.Link.empty() && markSide >= 4) {
        const bool icon = env.LinkIsIcon && UpperExtension(f.Link) != ".CSV";
        const QImage& mark =
            icon ? cache.LinkIcon(f.Link, f.LinkPressed) : cache.LinkMark(f.LinkPressed);
        QPainter onCard(&image);
        onCard.setRenderHint(QPainter::SmoothPixmapTransform);
        onCard.drawImage(
            QRect(image.width() - markSide, image.height() - markSide, markSide, markSide), mark);
    }
    if (!symbol) {
        const Color outline = f.Marked && f.Selected ? colors.SelectRect : colors.FrgBorder;
        OutlineRect(image, image.rect(), ToQColor(outline).rgb());
    } else if (f.Selected) {
        const QRgb c = ToQColor(f.Marked ? colors.SelectRect : colors.SelFrgBG).rgb();
        OutlineRect(image, image.rect(), c);
        OutlineRect(image, image.rect().adjusted(1, 1, -1, -1), c);
    }
    p.save();
    p.resetTransform();
    if (visible != f.ScreenRect) p.setClipRect(deviceRect(visible), Qt::IntersectClip);
    p.drawImage(device.topLeft(), image);
    p.restore();
}

}  // namespace

void DrawZoomedCard(QPainter& p, const Fragment& f, const EnvData& env, RenderCache& cache,
                    const Rect& visibleRect, double zoom) {
    const Rect visible = visibleRect.Intersected(f.ScreenRect);
    if (visible.IsEmpty() || !(zoom > 0)) return;
    const QRect r = ToQRect(f.ScreenRect);
    const auto& colors = env.Colors;
    p.save();
    p.setClipRect(ToQRect(visible), Qt::IntersectClip);
    if (f.Kind == FragmentKind::Image) {
        const QImage* picture = f.Cache ? PictureImage(*f.Cache) : nullptr;
        if (picture && !picture->isNull()) {
            // The size the picture takes on screen: a smaller one is drawn from a reduced copy,
            // so a page of pictures far out costs what its pixels on screen cost.
            const QSize shown(std::max(1, static_cast<int>(std::ceil(r.width() * zoom))),
                              std::max(1, static_cast<int>(std::ceil(r.height() * zoom))));
            const QImage& source =
                shown.width() < picture->width() ? cache.ReducedPicture(*picture, shown) : *picture;
            DrawPicture(p, source, r, f.ColBG == kNoColor, f.ColBG, cache);
            if (f.Selected) {
                const double px = 1.0 / zoom;
                ZoomedOutline(p, r, ToQColor(f.Marked ? colors.SelectRect : colors.SelFrgBG), zoom);
                ZoomedOutline(p, QRectF(r).adjusted(px, px, -px, -px), ToQColor(colors.SelFrgBG),
                              zoom);
            }
        } else {
            p.fillRect(r, ToQColor(f.Selected ? colors.SelFrgBG : colors.Background));
            ZoomedOutline(p, r, ToQColor(colors.FrgBorder), zoom);
        }
        p.restore();
        return;
    }
    const bool readable = CardUnit(env, f.Kind) * zoom >= kReadableTextPixels;
    if (readable && zoom < 1) {
        p.restore();
        DrawReducedTextCard(p, f, env, cache, visible, zoom);
        return;
    }
    const bool symbol = f.Kind == FragmentKind::Symbol;
    if (!symbol) p.fillRect(r, ToQColor(f.Selected ? colors.SelFrgBG : f.ColBG));
    if (!readable) {
        TextBars(p, f, env, r, zoom);
    } else {
        TextFace& face = cache.Fonts().Face(env, f.Kind);
        TextLayoutParams layout;
        layout.X0 = r.x();
        layout.Y0 = r.y();
        layout.Width = ContentWidth(f, env, face);
        layout.Gap = 2;
        layout.LineLimit = f.Lines;
        layout.AcceptCr = env.Accept_CR;
        layout.Marker = env.CR_String;
        LayoutText(p, face, f.Text, layout, ToQColor(f.Selected ? colors.SelFrgFG : f.ColFG));
        if (env.LinkMark && !f.Link.empty()) {
            const bool icon = env.LinkIsIcon && UpperExtension(f.Link) != ".CSV";
            const QImage& mark =
                icon ? cache.LinkIcon(f.Link, f.LinkPressed) : cache.LinkMark(f.LinkPressed);
            p.drawImage(QPoint(r.right() + 1 - kLinkMarkSide, r.bottom() + 1 - kLinkMarkSide),
                        mark);
        }
    }
    if (!symbol) {
        ZoomedOutline(p, r, ToQColor(f.Marked && f.Selected ? colors.SelectRect : colors.FrgBorder),
                      zoom);
    } else if (f.Selected) {
        const QColor c = ToQColor(f.Marked ? colors.SelectRect : colors.SelFrgBG);
        const double px = 1.0 / zoom;
        ZoomedOutline(p, r, c, zoom);
        ZoomedOutline(p, QRectF(r).adjusted(px, px, -px, -px), c, zoom);
    }
    p.restore();
}

void DrawScaled(QPainter& p, const Fragment& f, const EnvData& env, RenderCache& cache,
                const ScaledDraw& how) {
    if (!f.Visible) return;
    const bool mono = how.Monochrome;
    const double scale = how.Scale > 0 ? how.Scale : 1.0;
    const auto& colors = env.Colors;

    if (f.Kind == FragmentKind::Image) {
        const QImage* picture = f.Cache ? PictureImage(*f.Cache) : nullptr;
        if (!picture || picture->isNull()) return;
        const int l = RoundHalfUp(scale * f.Left), t = RoundHalfUp(scale * f.Top);
        const QRect target =
            QRect(l, t, RoundHalfUp(scale * f.Right) - l, RoundHalfUp(scale * f.Bottom) - t)
                .translated(-how.Origin);
        const bool transparent = f.ColBG == kNoColor;
        // Paper and vector files take the file's own pixels, so a scaled-down card prints sharp.
        const SharedPicture* source = PictureSource(*f.Cache);
        if (how.Vector && source) {
            // A file keeps its own transparency (scaled copies keep the alpha channel); a picture
            // without one needs its pixels masked.
            const bool hasAlpha = source->Image.hasAlphaChannel();
            const bool masked = transparent && !hasAlpha;
            if (!transparent && hasAlpha) p.fillRect(target, ToQColor(f.ColBG));
            // A target that embeds the file itself needs no decoding at full size.
            if (!masked && how.Files && how.Files->DrawPictureFile(p, target, *source)) return;
            const std::shared_ptr<const SharedPicture> full =
                cache.Pictures().FullSize(*source, cache.Plugins());
            const SharedPicture* whole = full ? full.get() : (source->FullSize ? source : nullptr);
            if (whole) {
                p.drawImage(target,
                            transparent ? cache.TransparentPicture(whole->Image) : whole->Image);
                return;
            }
        }
        DrawPicture(p, *picture, target, transparent, f.ColBG, cache);
        return;
    }

    const FontSpec& fontSpec = FontOf(env, f.Kind);
    const int h = fontSpec.PixelHeight();
    // The stored height is negative for a character height; the scaled one is floored as such.
    const int signedHeight = fontSpec.Size > 0 ? -h : h;
    TextFace& face = cache.Fonts().Face(env, f.Kind, std::abs(FloorToInt(scale * signedHeight)));
    const int m = RoundHalfUp(scale * 4);
    const bool symbol = f.Kind == FragmentKind::Symbol;
    const int cw =
        symbol ? face.Width(f.Text) + m : RoundHalfUp(scale * (double{1.0} * h * f.Columns));
    const int ch = RoundHalfUp(scale * (double{1.0} * f.Lines * (h + 2)));
    const int left = FloorToInt(scale * f.Left) - how.Origin.x();
    const int top = FloorToInt(scale * f.Top) - how.Origin.y();
    const QRect rect(left, top, cw + m, ch + m);

    const QColor background = mono ? QColor(Qt::white) : ToQColor(f.ColBG);
    if (!symbol) p.fillRect(rect, background);
    TextLayoutParams layout;
    layout.X0 = left;
    layout.Y0 = top;
    layout.Width = cw;
    layout.Gap = FloorToInt(scale * 2);
    layout.LineLimit = f.Lines;
    layout.AcceptCr = env.Accept_CR;
    layout.Marker = env.CR_String;
    const QColor textColor = mono ? QColor(Qt::black) : ToQColor(f.ColFG);
    QImage* image = how.Vector ? nullptr : PlainImageTarget(p);
    if (image) {
        const QPointF shift = p.transform().map(QPointF(0, 0));
        layout.X0 += static_cast<int>(shift.x());
        layout.Y0 += static_cast<int>(shift.y());
        LayoutTextInto(*image, face, f.Text, layout, textColor.rgb(),
                       symbol ? std::nullopt : std::optional<QRgb>(background.rgb()));
    } else {
        LayoutText(p, face, f.Text, layout, textColor);
    }
    if (!symbol) Outline(p, rect, mono ? QColor(Qt::black) : ToQColor(colors.FrgBorder));
}

Rect MiniatureRect(const Fragment& f, double scale) {
    Rect r{RoundHalfUp(scale * f.Left), RoundHalfUp(scale * f.Top), RoundHalfUp(scale * f.Right),
           RoundHalfUp(scale * f.Bottom)};
    r.Right = std::max(r.Right, r.Left + 3);
    r.Bottom = std::max(r.Bottom, r.Top + 3);
    return r;
}

void DrawMiniature(QPainter& p, const Fragment& f, const EnvData& env, double scale) {
    if (!f.Measured || !f.Visible) return;
    const QRect r = ToQRect(MiniatureRect(f, scale));
    const auto& colors = env.Colors;
    const bool fill = f.Kind != FragmentKind::Image;
    if (!fill) {
        const QImage* picture = f.Cache ? PictureImage(*f.Cache) : nullptr;
        if (env.MapViewImage && picture && !picture->isNull()) {
            p.drawImage(r, *picture);
            return;
        }
    }
    const QColor background = ToQColor(f.Selected ? colors.SelFrgBG : f.ColBG);
    const QColor border = ToQColor(colors.FrgBorder);
    // The map shows every card at once: its boxes go straight into the pixels when they can,
    // exactly as the painter would fill and outline them.
    if (QImage* image = PlainImageTarget(p); image && background.alpha() == 255 &&
                                             border.alpha() == 255) {
        const QPointF shift = p.transform().map(QPointF(0, 0));
        const QRect at = r.translated(static_cast<int>(shift.x()), static_cast<int>(shift.y()));
        if (fill) FillRect(*image, at, background.rgb());
        OutlineRect(*image, at, border.rgb());
        return;
    }
    if (fill) p.fillRect(r, background);
    Outline(p, r, border);
}

}  // namespace qv
