#include "render/document_painter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "render/card_painter.h"
#include "render/colors.h"
#include "render/frame_painter.h"
#include "render/render_cache.h"

namespace qv {

namespace {

QRect ToQRect(const Rect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

int FloorToInt(double v) {
    return static_cast<int>(std::clamp(std::floor(v), -2147483648.0, 2147483647.0));
}

bool ShownGroup(const FragSet& set, int g) {
    return g >= 1 && g <= kMaxGroup && set.GroupTable[static_cast<std::size_t>(g)].Shown;
}

// A division line from `from` up to, not including, `to`.
void DrawDivisionLine(QPainter& p, Point from, Point to) {
    const int dx = (to.X > from.X) - (to.X < from.X);
    const int dy = (to.Y > from.Y) - (to.Y < from.Y);
    if (dx == 0 && dy == 0) return;
    p.drawLine(QPoint(from.X, from.Y), QPoint(to.X - dx, to.Y - dy));
}

QPen DivisionPen(const QColor& color) {
    return QPen(color, 0, Qt::SolidLine, Qt::SquareCap);
}

// What the model gives for the window, in its order.
class Collector final : public PaintVisitor {
  public:
    std::vector<std::pair<Point, Point>> Divisions;
    std::vector<const Fragment*> Cards;
    std::vector<const GroupFrame*> Frames;
    std::vector<std::pair<const ArrowLine*, bool>> Lines;

    void DivisionLine(Point from, Point to) override { Divisions.emplace_back(from, to); }
    void Card(const Fragment& f, bool) override { Cards.push_back(&f); }
    void Frame(int, const GroupFrame& frame) override { Frames.push_back(&frame); }
    void GroupLine(int, const ArrowLine& line, bool selected) override {
        Lines.emplace_back(&line, selected);
    }
};

// Text and name-plate cards are opaque over their whole rectangle.
bool Opaque(const Fragment& f) {
    return f.Kind == FragmentKind::Text || f.Kind == FragmentKind::NamePlate;
}

// Shrinks `v` by an opaque rectangle `c` painted later where c covers a whole side of it.
void CutBy(Rect& v, const Rect& c) {
    if (!c.Intersects(v)) return;
    const bool spansRows = c.Top <= v.Top && c.Bottom >= v.Bottom;
    const bool spansColumns = c.Left <= v.Left && c.Right >= v.Right;
    if (spansRows && spansColumns) {
        v = Rect{};
    } else if (spansRows) {
        if (c.Left <= v.Left)
            v.Left = c.Right;
        else if (c.Right >= v.Right)
            v.Right = c.Left;
    } else if (spansColumns) {
        if (c.Top <= v.Top)
            v.Top = c.Bottom;
        else if (c.Bottom >= v.Bottom)
            v.Bottom = c.Top;
    }
}

// The part of every card that cards painted after it leave in sight (a rectangle; parts hidden in
// more complicated ways are still painted). Dense pages paint each pixel about once instead of
// once per card stacked on it.
std::vector<Rect> VisibleParts(const std::vector<const Fragment*>& cards, const Rect& area) {
    const std::size_t n = cards.size();
    std::vector<Rect> visible(n);
    for (std::size_t i = 0; i < n; ++i)
        visible[i] = cards[i]->ScreenRect.Intersected(area);
    if (n < 2 || area.IsEmpty()) return visible;

    // Opaque cards by the cells of a coarse grid they touch, in painting order, in one flat
    // array: cell c holds owners [start[c], start[c + 1]).
    constexpr int kCell = 64;
    const int columns = (area.Width() + kCell - 1) / kCell;
    const int rows = (area.Height() + kCell - 1) / kCell;
    if (static_cast<std::int64_t>(columns) * rows > 1 << 16) return visible;
    auto forCells = [&](const Rect& r, auto&& fn) {
        const int c0 = (r.Left - area.Left) / kCell, c1 = (r.Right - 1 - area.Left) / kCell;
        const int r0 = (r.Top - area.Top) / kCell, r1 = (r.Bottom - 1 - area.Top) / kCell;
        for (int y = r0; y <= r1; ++y)
            for (int x = c0; x <= c1; ++x)
                fn(static_cast<std::size_t>(y * columns + x));
    };
    std::vector<int> start(static_cast<std::size_t>(columns * rows) + 1, 0);
    for (std::size_t i = 0; i < n; ++i)
        if (Opaque(*cards[i]) && !visible[i].IsEmpty())
            forCells(visible[i], [&](std::size_t c) { ++start[c + 1]; });
    for (std::size_t c = 1; c < start.size(); ++c)
        start[c] += start[c - 1];
    std::vector<int> owners(static_cast<std::size_t>(start.back()));
    std::vector<int> fill(start.begin(), start.end() - 1);
    for (std::size_t i = 0; i < n; ++i)
        if (Opaque(*cards[i]) && !visible[i].IsEmpty())
            forCells(visible[i], [&](std::size_t c) {
                owners[static_cast<std::size_t>(fill[c]++)] = static_cast<int>(i);
            });

    for (std::size_t i = 0; i < n; ++i) {
        Rect& v = visible[i];
        // A cut can open the way for another; a few rounds settle it.
        for (int round = 0; round < 4 && !v.IsEmpty(); ++round) {
            const Rect before = v;
            forCells(before, [&](std::size_t c) {
                const auto first = owners.begin() + start[c];
                const auto last = owners.begin() + start[c + 1];
                for (auto it = std::upper_bound(first, last, static_cast<int>(i));
                     it != last && !v.IsEmpty(); ++it)
                    CutBy(v, cards[static_cast<std::size_t>(*it)]->ScreenRect);
            });
            if (v == before) break;
        }
    }
    return visible;
}

bool Meets(const QRect& r, const QRect& bounds, const QRegion& region, bool fine) {
    if (!bounds.intersects(r)) return false;
    return !fine || region.intersects(r);
}

QRect Span(Point a, Point b) {
    return QRect(QPoint(std::min(a.X, b.X), std::min(a.Y, b.Y)),
                 QPoint(std::max(a.X, b.X), std::max(a.Y, b.Y)));
}

void PaintWindow(QPainter& p, const FragSet& set, RenderCache& cache, const QRegion& requested) {
    const EnvData& env = set.Env();
    const DocumentView& view = set.View();
    const Rect client{0, 0, view.ClientWidth(), view.ClientHeight()};
    const QRegion clientRegion(ToQRect(client));
    const QRegion region = requested.isEmpty() ? clientRegion : requested.intersected(clientRegion);
    if (region.isEmpty()) return;
    const bool full = clientRegion.subtracted(region).isEmpty();
    const bool fine = region.rectCount() > 1;
    const QRect bounds = region.boundingRect();
    const Rect area{bounds.left(), bounds.top(), bounds.left() + bounds.width(),
                    bounds.top() + bounds.height()};

    Collector parts;
    set.PaintOrder(parts, &area);

    p.save();
    if (!full) p.setClipRegion(region, Qt::IntersectClip);
    const QColor background = ToQColor(env.Colors.Background);
    for (const QRect& r : region)
        p.fillRect(r, background);

    p.setPen(DivisionPen(ToQColor(env.Colors.DivLine)));
    for (const auto& [from, to] : parts.Divisions)
        if (Meets(Span(from, to), bounds, region, fine)) DrawDivisionLine(p, from, to);

    const std::vector<Rect> visible = VisibleParts(parts.Cards, area);
    for (std::size_t i = 0; i < parts.Cards.size(); ++i) {
        const Fragment& f = *parts.Cards[i];
        if (visible[i].IsEmpty() || (fine && !region.intersects(ToQRect(visible[i])))) continue;
        DrawCard(p, f, env, cache, client, visible[i]);
    }
    for (const GroupFrame* frame : parts.Frames)
        if (Meets(ToQRect(frame->Bounds), bounds, region, fine)) PaintRndFrame(p, *frame);

    const int reach = std::clamp(env.GLineArrowSize, 0, 1000) + 9 + 8;
    for (const auto& [line, selected] : parts.Lines) {
        const QRect r = Span(line->WinStart, line->WinEnd).adjusted(-reach, -reach, reach, reach);
        if (!Meets(r, bounds, region, fine)) continue;
        const Color c = selected ? env.Colors.SelectRect : env.Colors.GroupLine;
        DrawArrowLine(p, *line, 0, ToQColor(c), env);
    }
    p.restore();
    if (full) cache.EndFullPaint();
}

void PaintPage(QPainter& p, const FragSet& set, RenderCache& cache, double requestedScale) {
    const EnvData& env = set.Env();
    const auto& colors = env.Colors;
    const double s = requestedScale == 0 ? 1.0 : requestedScale;
    const bool mono = requestedScale != 0 && env.PrintMonochrome;
    auto color = [&](Color c) { return mono ? QColor(Qt::black) : ToQColor(c); };

    p.save();
    if (set.ShowDivLines) {
        std::vector<std::pair<Point, Point>> lines;
        set.DivisionLines(FloorToInt(set.WholeWidth * s), FloorToInt(set.WholeHeight * s),
                          Point{0, 0}, lines);
        p.setPen(DivisionPen(color(colors.DivLine)));
        for (const auto& [from, to] : lines)
            DrawDivisionLine(p, from, to);
    }
    for (const auto& f : set.Fragments())
        if (f->Visible) DrawScaled(p, *f, env, cache, requestedScale);

    const int penWidth =
        env.GFrameLineWidth >= 2 ? std::max(1, static_cast<int>(env.GFrameLineWidth * s)) : 1;
    for (int g = 1; g <= kMaxGroup; ++g) {
        const GroupEntry& e = set.GroupTable[static_cast<std::size_t>(g)];
        if (!e.Frame.Visible || e.Bounds.IsEmpty()) continue;
        const int l = RoundHalfUp(e.Bounds.Left * s), t = RoundHalfUp(e.Bounds.Top * s);
        const int r = RoundHalfUp(e.Bounds.Right * s), b = RoundHalfUp(e.Bounds.Bottom * s);
        const int d = std::min({(r - l) / 5, (b - t) / 5, static_cast<int>(s * env.GFrameMaxRnd)});
        DrawRoundedFrame(p, QRect(l, t, r - l, b - t), d, color(colors.GroupFrame), penWidth);
    }
    if (env.GroupLine) {
        for (const ArrowLine& line : set.GroupLines) {
            if (!ShownGroup(set, line.From) || !ShownGroup(set, line.To)) continue;
            // A line whose frames never had members was never routed.
            if (set.GroupTable[static_cast<std::size_t>(line.From)].Bounds.IsEmpty() ||
                set.GroupTable[static_cast<std::size_t>(line.To)].Bounds.IsEmpty())
                continue;
            DrawArrowLine(p, line, s, color(colors.GroupLine), env);
        }
    }
    p.restore();
}

int MapPageSide(int whole, double scale) {
    return FloorToInt(whole * scale + 0.5) + 2;
}

void PaintMapContent(QPainter& p, const FragSet& set, double s) {
    const EnvData& env = set.Env();
    const auto& colors = env.Colors;
    p.save();
    if (set.ShowDivLines) {
        std::vector<std::pair<Point, Point>> lines;
        set.DivisionLines(MapPageSide(set.WholeWidth, s), MapPageSide(set.WholeHeight, s),
                          Point{0, 0}, lines);
        p.setPen(DivisionPen(ToQColor(colors.DivLine)));
        for (const auto& [from, to] : lines)
            DrawDivisionLine(p, from, to);
    }
    for (const auto& f : set.Fragments())
        if (f->Visible) DrawMiniature(p, *f, env, s);
    const QColor frameColor = ToQColor(colors.GroupFrame);
    for (int g = 1; g <= kMaxGroup; ++g) {
        const GroupEntry& e = set.GroupTable[static_cast<std::size_t>(g)];
        if (!e.Frame.Visible || e.Bounds.IsEmpty()) continue;
        const int l = RoundHalfUp(e.Bounds.Left * s), t = RoundHalfUp(e.Bounds.Top * s);
        const int r = RoundHalfUp(e.Bounds.Right * s), b = RoundHalfUp(e.Bounds.Bottom * s);
        const int d = std::min({(r - l) / 5, (b - t) / 5, static_cast<int>(env.GFrameMaxRnd * s)});
        DrawRoundedFrame(p, QRect(l, t, r - l, b - t), d, frameColor, 1);
    }
    if (env.GroupLine) {
        const QColor lineColor = ToQColor(colors.GroupLine);
        for (const ArrowLine& line : set.GroupLines)
            DrawThinLine(p, line, s, lineColor);
    }
    p.restore();
}

}  // namespace

void PaintDocument(QPainter& painter, const FragSet& set, RenderCache& cache,
                   const PaintRequest& request) {
    cache.FollowSettings(set.Env());
    cache.BeginPaint();
    switch (request.Target) {
        case PaintTarget::Window:
            PaintWindow(painter, set, cache, request.Region);
            break;
        case PaintTarget::Page:
            PaintPage(painter, set, cache, request.Scale);
            break;
        case PaintTarget::Map:
            PaintMapContent(painter, set, request.Scale);
            break;
    }
}

void PaintDocumentWindow(QPainter& painter, const FragSet& set, RenderCache& cache,
                         const QRegion& region) {
    PaintDocument(painter, set, cache, PaintRequest{PaintTarget::Window, 0, region});
}

// ---- Image output ----

std::optional<QSize> DocumentImageSize(const FragSet& set) {
    std::int64_t w, h;
    if (set.ShowDivLines) {
        w = set.WholeWidth;
        h = set.WholeHeight;
    } else {
        // floor(used × 1.05), in integers so no rounding error can take a pixel off.
        w = std::int64_t{set.UsedWidth} * 105 / 100;
        h = std::int64_t{set.UsedHeight} * 105 / 100;
    }
    w = std::max<std::int64_t>(w, 1);
    h = std::max<std::int64_t>(h, 1);
    if (w > kMaxImageSide || h > kMaxImageSide || w * h > kMaxImagePixels) return std::nullopt;
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

std::optional<QImage> RenderDocumentImage(const FragSet& set, RenderCache& cache) {
    const std::optional<QSize> size = DocumentImageSize(set);
    if (!size) return std::nullopt;
    QImage image(*size, QImage::Format_RGB32);
    if (image.isNull()) return std::nullopt;
    image.fill(ToQColor(set.Env().Colors.Background));
    QPainter painter(&image);
    PaintDocument(painter, set, cache, PaintRequest{PaintTarget::Page, 0, {}});
    painter.end();
    return image;
}

ImageSaveStatus SaveDocumentImage(FragSet& set, const std::string& path, RenderCache& cache,
                                  std::string* error) {
    set.RefreshVisibility();
    if (ImageFileTypeOf(path) == ImageFileType::Unsupported) {
        if (error) *error = "not an image file name (.BMP or .JPG)";
        return ImageSaveStatus::UnsupportedType;
    }
    std::optional<QImage> image = RenderDocumentImage(set, cache);
    if (!image) {
        if (error) *error = "the page is too large to be saved as one image";
        return ImageSaveStatus::EncodeFailed;
    }
    return SaveImageFile(*image, path, set.Env().JpegQuality, error);
}

// ---- Printing ----

double PrintScale(const FragSet& set, int pageWidth, int pageHeight) {
    const double w = pageWidth, h = pageHeight;
    if (set.ShowDivLines)
        return std::min(w / std::max(set.WholeWidth, 1), h / std::max(set.WholeHeight, 1));
    return std::min(0.95 * w / std::max(set.UsedWidth, 1), 0.95 * h / std::max(set.UsedHeight, 1));
}

void PrintDocumentPage(QPainter& painter, FragSet& set, RenderCache& cache, int pageWidth,
                       int pageHeight) {
    set.RefreshVisibility();
    const double s = PrintScale(set, pageWidth, pageHeight);
    // A page without area would give scale 0, which means 1:1 in colour to the painters.
    if (!(s > 0)) return;
    PaintDocument(painter, set, cache, PaintRequest{PaintTarget::Page, s, {}});
}

// ---- Overview map ----

std::optional<double> ComputeMapScale(const FragSet* set, int clientWidth, int clientHeight) {
    if (!set || set->WholeWidth == 0 || set->WholeHeight == 0) return std::nullopt;
    const double sx = clientWidth * 0.99 / set->WholeWidth;
    const double sy = clientHeight * 0.99 / set->WholeHeight;
    double scale = std::min(sx, sy);
    if (scale == 0) scale = 0.1;
    return scale;
}

void PaintMap(QPainter& painter, const FragSet* set, RenderCache& cache, int clientWidth,
              int clientHeight) {
    const QColor workspace = ToQColor(kSysAppWorkspace);
    const std::optional<double> scale = ComputeMapScale(set, clientWidth, clientHeight);
    if (!scale) {
        painter.fillRect(QRect(0, 0, clientWidth, clientHeight), workspace);
        return;
    }
    const double s = *scale;
    const EnvData& env = set->Env();
    const int a = MapPageSide(set->WholeWidth, s), b = MapPageSide(set->WholeHeight, s);
    painter.fillRect(QRect(0, 0, a, b), ToQColor(env.Colors.Background));
    painter.fillRect(QRect(a, 0, clientWidth - a, clientHeight), workspace);
    painter.fillRect(QRect(0, b, a, clientHeight - b), workspace);

    PaintDocument(painter, *set, cache, PaintRequest{PaintTarget::Map, s, {}});

    if (env.AreaFrame && set->WholeWidth > 1 && set->WholeHeight > 1) {
        const DocumentView& view = set->View();
        const int x = static_cast<int>(set->ScrollX() * s);
        const int y = static_cast<int>(set->ScrollY() * s);
        const int w = static_cast<int>(view.ClientWidth() * s);
        const int h = static_cast<int>(view.ClientHeight() * s);
        if (w > 0 && h > 0) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(QPen(ToQColor(env.Colors.AreaFrame), 0));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(x, y, w - 1, h - 1);
            painter.restore();
        }
    }
}

}  // namespace qv
