#include "render/card_painter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "core/text/sjis.h"
#include "render/colors.h"
#include "render/linkmark.h"
#include "render/picture_loader.h"
#include "render/render_cache.h"
#include "render/text_layout.h"

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

// Everything a text, name-plate or symbol card image holds, with its top-left at (ox, oy).
void PaintCardContent(QPainter& p, const Fragment& f, const EnvData& env, RenderCache& cache,
                      int ox, int oy, int w, int h) {
    const bool symbol = f.Kind == FragmentKind::Symbol;
    const auto& colors = env.Colors;
    if (!symbol) p.fillRect(QRect(ox, oy, w, h), ToQColor(f.Selected ? colors.SelFrgBG : f.ColBG));

    TextFace& face = cache.Fonts().Face(env, f.Kind);
    TextLayoutParams layout;
    layout.X0 = ox;
    layout.Y0 = oy;
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
        p.drawImage(QPoint(ox + w - kLinkMarkSide, oy + h - kLinkMarkSide), mark);
    }
    if (!symbol) {
        Outline(p, QRect(ox, oy, w, h),
                ToQColor(f.Marked && f.Selected ? colors.SelectRect : colors.FrgBorder));
    }
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

int RoundHalfUp(double v) {
    return FloorToInt(v + 0.5);
}

QImage RenderCardImage(const Fragment& f, const EnvData& env, RenderCache& cache) {
    const int w = f.Width(), h = f.Height();
    if (f.Kind == FragmentKind::Image || w <= 0 || h <= 0) return {};
    const bool symbol = f.Kind == FragmentKind::Symbol;
    QImage image(w, h, symbol ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull()) return image;
    if (symbol) image.fill(Qt::transparent);
    QPainter p(&image);
    PaintCardContent(p, f, env, cache, 0, 0, w, h);
    return image;
}

void DrawCard(QPainter& painter, const Fragment& f, const EnvData& env, RenderCache& cache,
              const Rect& clientRect) {
    const Rect& r = f.ScreenRect;
    if (!r.Intersects(clientRect)) {
        cache.DropCard(&f);
        return;
    }
    if (f.Kind == FragmentKind::Image) {
        DrawPictureCard(painter, f, env, cache);
        f.Stale = false;
        return;
    }
    const int w = r.Width(), h = r.Height();
    const bool keep = env.FrgFastDraw && env.PlatformId == kPlatformNt &&
                      std::int64_t{w} * h <= kMaxCachedCardPixels;
    const QImage* image = nullptr;
    if (keep) {
        image = f.Stale ? nullptr : cache.Card(&f);
        if (!image || image->width() != w || image->height() != h) {
            cache.StoreCard(&f, RenderCardImage(f, env, cache));
            image = cache.Card(&f);
        }
    } else {
        cache.DropCard(&f);
    }
    if (image && !image->isNull()) {
        painter.drawImage(QPoint(r.Left, r.Top), *image);
    } else {
        painter.save();
        painter.setClipRect(ToQRect(r), Qt::IntersectClip);
        PaintCardContent(painter, f, env, cache, r.Left, r.Top, w, h);
        painter.restore();
    }
    if (f.Kind == FragmentKind::Symbol && f.Selected) {
        const auto& colors = env.Colors;
        const QColor c = ToQColor(f.Marked ? colors.SelectRect : colors.SelFrgBG);
        Outline(painter, ToQRect(r), c);
        Outline(painter, ToQRect(r).adjusted(1, 1, -1, -1), c);
    }
    f.Stale = false;
}

void DrawScaled(QPainter& p, const Fragment& f, const EnvData& env, RenderCache& cache,
                double scale) {
    if (!f.Visible) return;
    const bool mono = scale != 0 && env.PrintMonochrome;
    if (scale == 0) scale = 1;
    const auto& colors = env.Colors;

    if (f.Kind == FragmentKind::Image) {
        const QImage* picture = f.Cache ? PictureImage(*f.Cache) : nullptr;
        if (!picture || picture->isNull()) return;
        const int l = RoundHalfUp(scale * f.Left), t = RoundHalfUp(scale * f.Top);
        const QRect target(l, t, RoundHalfUp(scale * f.Right) - l,
                           RoundHalfUp(scale * f.Bottom) - t);
        DrawPicture(p, *picture, target, f.ColBG == kNoColor, f.ColBG, cache);
        return;
    }

    const FontSpec& spec = FontOf(env, f.Kind);
    const int h = spec.PixelHeight();
    // The stored height is negative for a character height; the scaled one is floored as such.
    const int signedHeight = spec.Size > 0 ? -h : h;
    TextFace& face = cache.Fonts().Face(env, f.Kind, std::abs(FloorToInt(scale * signedHeight)));
    const int m = RoundHalfUp(scale * 4);
    const bool symbol = f.Kind == FragmentKind::Symbol;
    const int cw =
        symbol ? face.Width(f.Text) + m : RoundHalfUp(scale * (double{1.0} * h * f.Columns));
    const int ch = RoundHalfUp(scale * (double{1.0} * f.Lines * (h + 2)));
    const int left = FloorToInt(scale * f.Left), top = FloorToInt(scale * f.Top);
    const QRect rect(left, top, cw + m, ch + m);

    if (!symbol) p.fillRect(rect, mono ? QColor(Qt::white) : ToQColor(f.ColBG));
    TextLayoutParams layout;
    layout.X0 = left;
    layout.Y0 = top;
    layout.Width = cw;
    layout.Gap = FloorToInt(scale * 2);
    layout.LineLimit = f.Lines;
    layout.AcceptCr = env.Accept_CR;
    layout.Marker = env.CR_String;
    LayoutText(p, face, f.Text, layout, mono ? QColor(Qt::black) : ToQColor(f.ColFG));
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
    if (f.Kind == FragmentKind::Image) {
        const QImage* picture = f.Cache ? PictureImage(*f.Cache) : nullptr;
        if (env.MapViewImage && picture && !picture->isNull()) {
            p.drawImage(r, *picture);
            return;
        }
    } else {
        p.fillRect(r, ToQColor(f.Selected ? colors.SelFrgBG : f.ColBG));
    }
    Outline(p, r, ToQColor(colors.FrgBorder));
}

}  // namespace qv
