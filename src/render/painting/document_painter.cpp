#include "render/painting/document_painter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "render/painting/card_painter.h"
#include "render/painting/colors.h"
#include "render/painting/frame_painter.h"
#include "render/painting/render_cache.h"
#include "render/text/text_face.h"

namespace qv {

namespace {

QRect ToQRect(const Rect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

int FloorToInt(double v) {
    return static_cast<int>(std::clamp(std::floor(v), -2147483648.0, 2147483647.0));
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

// Text and name-plate cards are opaque over their whole rectangle.
bool Opaque(const Fragment& f) {
    return f.Kind == FragmentKind::Text || f.Kind == FragmentKind::NamePlate;
}

// What of every card the cards painted after it leave in sight: card i shows
// Pieces[First[i], First[i + 1]), rectangles that do not overlap.
struct VisiblePieces {
    std::vector<Rect> Pieces;
    std::vector<std::size_t> First;
};

// At most this many rectangles per card: what is hidden in more complicated ways is painted and
// then painted over.
constexpr std::size_t kMaxPieces = 8;

// Appends the parts of `p` outside `c` (which meets it): the rows above and below c, and the parts
// left and right of it in between.
void Subtract(const Rect& p, const Rect& c, std::vector<Rect>& out) {
    if (c.Top > p.Top) out.push_back(Rect{p.Left, p.Top, p.Right, c.Top});
    if (c.Bottom < p.Bottom) out.push_back(Rect{p.Left, c.Bottom, p.Right, p.Bottom});
    const int top = std::max(p.Top, c.Top), bottom = std::min(p.Bottom, c.Bottom);
    if (c.Left > p.Left) out.push_back(Rect{p.Left, top, c.Left, bottom});
    if (c.Right < p.Right) out.push_back(Rect{c.Right, top, p.Right, bottom});
}

// Dense pages paint each pixel about once instead of once per card stacked on it: a pile of cards
// each a pixel further shows an edge of each card, and only those edges are painted.
VisiblePieces VisibleParts(const std::vector<const Fragment*>& cards, const Rect& area) {
    const std::size_t n = cards.size();
    VisiblePieces out;
    out.First.reserve(n + 1);
    out.Pieces.reserve(n + n / 2);
    std::vector<Rect> visible(n);
    for (std::size_t i = 0; i < n; ++i)
        visible[i] = cards[i]->ScreenRect.Intersected(area);
    // Without a grid: every card's visible rectangle whole.
    const auto eachWhole = [&] {
        for (std::size_t i = 0; i < n; ++i) {
            out.First.push_back(out.Pieces.size());
            if (!visible[i].IsEmpty()) out.Pieces.push_back(visible[i]);
        }
        out.First.push_back(out.Pieces.size());
    };
    if (n < 2 || area.IsEmpty()) {
        eachWhole();
        return out;
    }

    // Opaque cards by the cells of a coarse grid they touch, in painting order, in one flat
    // array: cell c holds owners [start[c], start[c + 1]).
    constexpr int kCell = 64;
    const int columns = (area.Width() + kCell - 1) / kCell;
    const int rows = (area.Height() + kCell - 1) / kCell;
    if (static_cast<std::int64_t>(columns) * rows > 1 << 16) {
        eachWhole();
        return out;
    }
    auto forCells = [&](const Rect& r, auto&& fn) {
        const int c0 = (r.Left - area.Left) / kCell, c1 = (r.Right - 1 - area.Left) / kCell;
        const int r0 = (r.Top - area.Top) / kCell, r1 = (r.Bottom - 1 - area.Top) / kCell;
        for (int y = r0; y <= r1; ++y)
            for (int x = c0; x <= c1; ++x)
                if (fn(static_cast<std::size_t>(y * columns + x))) return;
    };
    std::vector<int> start(static_cast<std::size_t>(columns * rows) + 1, 0);
    for (std::size_t i = 0; i < n; ++i)
        if (Opaque(*cards[i]) && !visible[i].IsEmpty())
            forCells(visible[i], [&](std::size_t c) {
                ++start[c + 1];
                return false;
            });
    for (std::size_t c = 1; c < start.size(); ++c)
        start[c] += start[c - 1];
    std::vector<int> owners(static_cast<std::size_t>(start.back()));
    std::vector<int> fill(start.begin(), start.end() - 1);
    for (std::size_t i = 0; i < n; ++i)
        if (Opaque(*cards[i]) && !visible[i].IsEmpty())
            forCells(visible[i], [&](std::size_t c) {
                owners[static_cast<std::size_t>(fill[c]++)] = static_cast<int>(i);
                return false;
            });

    // A card painted after card i that covers part of `p`, or null.
    const auto coverOf = [&](const Rect& p, std::size_t i) {
        const Rect* cover = nullptr;
        forCells(p, [&](std::size_t c) {
            const auto first = owners.begin() + start[c];
            const auto last = owners.begin() + start[c + 1];
            for (auto it = std::upper_bound(first, last, static_cast<int>(i)); it != last; ++it) {
                const Rect& r = cards[static_cast<std::size_t>(*it)]->ScreenRect;
                if (r.Intersects(p)) {
                    cover = &r;
                    return true;
                }
            }
            return false;
        });
        return cover;
    };
    std::vector<Rect> work;
    for (std::size_t i = 0; i < n; ++i) {
        out.First.push_back(out.Pieces.size());
        if (visible[i].IsEmpty()) continue;
        work.assign(1, visible[i]);
        std::size_t shown = 0;
        while (!work.empty()) {
            const Rect p = work.back();
            work.pop_back();
            // A cut makes at most three more pieces.
            const Rect* cover = shown + work.size() + 4 <= kMaxPieces ? coverOf(p, i) : nullptr;
            if (cover) {
                Subtract(p, *cover, work);
            } else {
                out.Pieces.push_back(p);
                ++shown;
            }
        }
    }
    out.First.push_back(out.Pieces.size());
    return out;
}

bool Meets(const QRect& r, const QRect& bounds, const QRegion& region, bool fine) {
    if (!bounds.intersects(r)) return false;
    return !fine || region.intersects(r);
}

QRect Span(Point a, Point b) {
    return QRect(QPoint(std::min(a.X, b.X), std::min(a.Y, b.Y)),
                 QPoint(std::max(a.X, b.X), std::max(a.Y, b.Y)));
}

int MapPageSide(int whole, double scale) {
    return FloorToInt(whole * scale + 0.5) + 2;
}

// The one walk over a document for every target: the model's PaintOrder says what comes and in
// which order; this says how each part looks on the target.
class TargetPainter final : public PaintVisitor {
  public:
    TargetPainter(QPainter& p, const FragSet& set, RenderCache& cache, const RenderTarget& target)
        : p_(p), set_(set), env_(set.Env()), cache_(cache), t_(target) {
        s_ = t_.Kind == TargetKind::Window || !(t_.Scale > 0) ? 1.0 : t_.Scale;
        if (t_.Kind == TargetKind::Window && t_.Scale > 0) zoom_ = t_.Scale;
        mono_ = t_.Kind != TargetKind::Window && t_.Colors == ColorMode::Monochrome;
        // The map moves the painter; the page targets move what they draw, in whole pixels after
        // rounding, so a band of an image is exactly that part of the whole image.
        if (t_.Kind != TargetKind::Window && t_.Kind != TargetKind::Map) origin_ = t_.Origin;
    }

    // Window paints need the region; returns false when there is nothing to paint.
    bool BeginWindow() {
        const DocumentView& view = set_.View();
        client_ = Rect{0, 0, view.ClientWidth(), view.ClientHeight()};
        if (zoom_ != 1) return BeginZoomedWindow();
        const QRegion clientRegion(ToQRect(client_));
        region_ = t_.Region.isEmpty() ? clientRegion : t_.Region.intersected(clientRegion);
        if (region_.isEmpty()) return false;
        full_ = clientRegion.subtracted(region_).isEmpty();
        fine_ = region_.rectCount() > 1;
        bounds_ = region_.boundingRect();
        area_ = Rect{bounds_.left(), bounds_.top(), bounds_.left() + bounds_.width(),
                     bounds_.top() + bounds_.height()};
        if (!full_) p_.setClipRegion(region_, Qt::IntersectClip);
        const QColor background = ToQColor(env_.Colors.Background);
        for (const QRect& r : region_)
            p_.fillRect(r, background);
        return true;
    }

    // A zoomed window: the region is filled and clipped in widget pixels, then the painter scales
    // and everything after works in client coordinates, the region grown to whole client pixels.
    bool BeginZoomedWindow() {
        const QRect widget(0, 0, static_cast<int>(std::ceil(client_.Right * zoom_)),
                           static_cast<int>(std::ceil(client_.Bottom * zoom_)));
        const QRegion shown = t_.Region.isEmpty() ? QRegion(widget) : t_.Region.intersected(widget);
        if (shown.isEmpty()) return false;
        full_ = QRegion(widget).subtracted(shown).isEmpty();
        if (!full_) p_.setClipRegion(shown, Qt::IntersectClip);
        const QColor background = ToQColor(env_.Colors.Background);
        for (const QRect& r : shown)
            p_.fillRect(r, background);
        region_ = QRegion();
        for (const QRect& r : shown) {
            const int l = FloorToInt(r.left() / zoom_), t = FloorToInt(r.top() / zoom_);
            const int rr = static_cast<int>(std::ceil((r.right() + 1) / zoom_));
            const int b = static_cast<int>(std::ceil((r.bottom() + 1) / zoom_));
            region_ += QRect(l, t, rr - l, b - t);
        }
        fine_ = region_.rectCount() > 1;
        bounds_ = region_.boundingRect();
        area_ = Rect{bounds_.left(), bounds_.top(), bounds_.left() + bounds_.width(),
                     bounds_.top() + bounds_.height()};
        p_.scale(zoom_, zoom_);
        return true;
    }
    const Rect& Area() const { return area_; }
    bool FullWindow() const { return full_; }
    // Whether the target's progress stopped the paint.
    bool Stopped() const { return stopped_; }

    void DivisionLines() override {
        std::vector<std::pair<Point, Point>> lines;
        switch (t_.Kind) {
            case TargetKind::Window:
                set_.DivisionLines(set_.WholeWidth, set_.WholeHeight,
                                   Point{set_.ScrollX(), set_.ScrollY()}, lines);
                break;
            case TargetKind::Map:
                set_.DivisionLines(MapPageSide(set_.WholeWidth, s_),
                                   MapPageSide(set_.WholeHeight, s_), Point{0, 0}, lines);
                break;
            default:
                set_.DivisionLines(FloorToInt(set_.WholeWidth * s_),
                                   FloorToInt(set_.WholeHeight * s_),
                                   Point{t_.Origin.x(), t_.Origin.y()}, lines);
                break;
        }
        p_.setPen(DivisionPen(Colour(env_.Colors.DivLine)));
        for (const auto& [from, to] : lines)
            if (t_.Kind != TargetKind::Window || Meets(Span(from, to), bounds_, region_, fine_))
                DrawDivisionLine(p_, from, to);
    }

    void Card(const Fragment& f, bool) override { cards_.push_back(&f); }

    void Frame(int, const GroupEntry& e) override {
        FlushCards();
        if (stopped_) return;
        if (t_.Kind == TargetKind::Window) {
            if (Meets(ToQRect(e.Frame.Bounds), bounds_, region_, fine_)) PaintRndFrame(p_, e.Frame);
            return;
        }
        const int l = RoundHalfUp(e.Bounds.Left * s_), t = RoundHalfUp(e.Bounds.Top * s_);
        const int r = RoundHalfUp(e.Bounds.Right * s_), b = RoundHalfUp(e.Bounds.Bottom * s_);
        const int d =
            std::min({(r - l) / 5, (b - t) / 5, static_cast<int>(s_ * env_.GFrameMaxRnd)});
        int penWidth = 1;
        if (t_.Kind != TargetKind::Map && env_.GFrameLineWidth >= 2)
            penWidth = std::max(1, static_cast<int>(env_.GFrameLineWidth * s_));
        DrawRoundedFrame(p_, QRect(l, t, r - l, b - t).translated(-origin_), d,
                         Colour(env_.Colors.GroupFrame), penWidth);
    }

    void GroupLine(int, const ArrowLine& line, bool selected) override {
        FlushCards();
        if (stopped_) return;
        switch (t_.Kind) {
            case TargetKind::Window: {
                const int reach = std::clamp(env_.GLineArrowSize, 0, 1000) + 9 + 8;
                const QRect r =
                    Span(line.WinStart, line.WinEnd).adjusted(-reach, -reach, reach, reach);
                if (!Meets(r, bounds_, region_, fine_)) return;
                const Color c = selected ? env_.Colors.SelectRect : env_.Colors.GroupLine;
                DrawArrowLine(p_, line, ToQColor(c), env_);
                return;
            }
            case TargetKind::Map:
                DrawThinLine(p_, line, s_, Colour(env_.Colors.GroupLine));
                return;
            default:
                DrawArrowLineScaled(p_, line, s_, Colour(env_.Colors.GroupLine), env_, origin_,
                                    t_.Kind == TargetKind::Page);
                return;
        }
    }

    // Cards are gathered until the frames come, so that the window can leave out what later
    // cards hide.
    void FlushCards() {
        if (cards_.empty()) return;
        switch (t_.Kind) {
            case TargetKind::Window: {
                const VisiblePieces visible = VisibleParts(cards_, area_);
                for (std::size_t i = 0; i < cards_.size(); ++i) {
                    const Fragment& f = *cards_[i];
                    // A zoomed card is made whole (at its size on the screen) and drawn once.
                    Rect zoomed;
                    for (std::size_t k = visible.First[i]; k < visible.First[i + 1]; ++k) {
                        const Rect& piece = visible.Pieces[k];
                        if (fine_ && !region_.intersects(ToQRect(piece))) continue;
                        if (zoom_ == 1)
                            DrawCard(p_, f, env_, cache_, client_, piece);
                        else
                            zoomed = zoomed.IsEmpty() ? piece : zoomed.United(piece);
                    }
                    if (!zoomed.IsEmpty()) DrawZoomedCard(p_, f, env_, cache_, zoomed, zoom_);
                }
                break;
            }
            case TargetKind::Map:
                for (const Fragment* f : cards_)
                    DrawMiniature(p_, *f, env_, s_);
                break;
            default: {
                ScaledDraw how;
                how.Scale = s_;
                how.Monochrome = mono_;
                how.Vector = t_.Kind != TargetKind::Page;
                how.Origin = origin_;
                how.Files = t_.Kind == TargetKind::Vector ? t_.PictureFiles : nullptr;
                for (std::size_t i = 0; i < cards_.size() && !stopped_; ++i) {
                    if (t_.Progress &&
                        !t_.Progress(static_cast<double>(i) / static_cast<double>(cards_.size()))) {
                        stopped_ = true;
                        break;
                    }
                    DrawScaled(p_, *cards_[i], env_, cache_, how);
                }
                break;
            }
        }
        cards_.clear();
    }

  private:
    QColor Colour(Color c) const { return mono_ ? QColor(Qt::black) : ToQColor(c); }

    QPainter& p_;
    const FragSet& set_;
    const EnvData& env_;
    RenderCache& cache_;
    const RenderTarget& t_;
    double s_ = 1;
    // The window's zoom (1 on the other targets).
    double zoom_ = 1;
    bool mono_ = false;
    QPoint origin_;
    std::vector<const Fragment*> cards_;
    // The window's paint.
    Rect client_;
    QRegion region_;
    QRect bounds_;
    Rect area_;
    bool full_ = false;
    bool fine_ = false;
    bool stopped_ = false;
};

// The widest a card's drawing reaches beyond its scaled rectangle (a character wider than the
// card, rounding), in document pixels.
int CardReach(const EnvData& env) {
    int h = 0;
    for (FragmentKind k : {FragmentKind::Text, FragmentKind::NamePlate, FragmentKind::Symbol})
        h = std::max(h, std::abs(FontOf(env, k).PixelHeight()));
    return std::min(h, 4096) * 2 + 16;
}

}  // namespace

namespace {

// PaintDocument; false when the target's progress stopped it.
bool PaintTarget(QPainter& painter, const FragSet& set, RenderCache& cache,
                 const RenderTarget& target) {
    cache.FollowSettings(set.Env());
    cache.BeginPaint();
    painter.save();
    TargetPainter paint(painter, set, cache, target);
    PaintScope scope;
    scope.Groups = target.Groups;
    Rect docClip;
    if (target.Kind == TargetKind::Window) {
        if (!paint.BeginWindow()) {
            painter.restore();
            return true;
        }
        scope.ScreenClip = &paint.Area();
    } else {
        scope.SelectedLast = false;
        scope.DrawnLinesOnly = target.Kind == TargetKind::Map;
        if (target.Kind == TargetKind::Map) painter.translate(-target.Origin);
        if (!target.Region.isEmpty() && target.Kind != TargetKind::Map) {
            // The document area that can reach the region, with room for what spills over a
            // card's edge.
            const double s = target.Scale > 0 ? target.Scale : 1.0;
            const QRect r = target.Region.boundingRect().translated(target.Origin);
            const int reach = CardReach(set.Env());
            docClip = Rect{FloorToInt(r.left() / s) - reach, FloorToInt(r.top() / s) - reach,
                           FloorToInt((r.right() + 1) / s) + reach + 1,
                           FloorToInt((r.bottom() + 1) / s) + reach + 1};
            scope.DocClip = &docClip;
        }
    }
    set.PaintOrder(paint, scope);
    paint.FlushCards();
    painter.restore();
    if (target.Kind == TargetKind::Window && paint.FullWindow()) cache.EndFullPaint();
    return !paint.Stopped() && (!target.Progress || target.Progress(1.0));
}

}  // namespace

void PaintDocument(QPainter& painter, const FragSet& set, RenderCache& cache,
                   const RenderTarget& target) {
    PaintTarget(painter, set, cache, target);
}

void PaintDocumentWindow(QPainter& painter, const FragSet& set, RenderCache& cache,
                         const QRegion& region, double zoom) {
    RenderTarget target;
    target.Region = region;
    target.Scale = zoom;
    PaintDocument(painter, set, cache, target);
}

// ---- Image output ----

QSize DocumentImageSize(const FragSet& set) {
    std::int64_t w, h;
    if (set.ShowDivLines) {
        w = set.WholeWidth;
        h = set.WholeHeight;
    } else {
        // floor(used × 1.05), in integers so no rounding error can take a pixel off.
        w = std::int64_t{set.UsedWidth} * 105 / 100;
        h = std::int64_t{set.UsedHeight} * 105 / 100;
    }
    w = std::clamp<std::int64_t>(w, 1, 0x7FFFFFFF);
    h = std::clamp<std::int64_t>(h, 1, 0x7FFFFFFF);
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

void RenderDocumentBand(const FragSet& set, RenderCache& cache, QImage& band, int top) {
    band.fill(ToQColor(set.Env().Colors.Background));
    QPainter painter(&band);
    RenderTarget target;
    target.Kind = TargetKind::Page;
    target.Origin = QPoint(0, top);
    target.Region = QRegion(band.rect());
    PaintDocument(painter, set, cache, target);
}

std::optional<QImage> RenderDocumentImage(const FragSet& set, RenderCache& cache) {
    const QSize size = DocumentImageSize(set);
    if (std::int64_t{size.width()} * size.height() > kMaxImagePixels) return std::nullopt;
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) return std::nullopt;
    image.fill(ToQColor(set.Env().Colors.Background));
    QPainter painter(&image);
    RenderTarget target;
    target.Kind = TargetKind::Page;
    PaintDocument(painter, set, cache, target);
    painter.end();
    return image;
}

bool ForEachDocumentBand(const FragSet& set, RenderCache& cache, QSize size, std::int64_t bandBytes,
                         const std::function<bool(const QImage& band, int rows, int top)>& take,
                         bool bottomUp) {
    const std::int64_t rowBytes = std::int64_t{size.width()} * 4;
    const int rows = static_cast<int>(std::clamp<std::int64_t>(
        bandBytes / std::max<std::int64_t>(rowBytes, 1), 1, size.height()));
    QImage band(size.width(), rows, QImage::Format_RGB32);
    if (band.isNull()) return false;
    // The same bands either way, so that both orders paint the same pixels.
    const int bands = (size.height() + rows - 1) / rows;
    for (int i = 0; i < bands; ++i) {
        const int top = (bottomUp ? bands - 1 - i : i) * rows;
        RenderDocumentBand(set, cache, band, top);
        if (!take(band, std::min(rows, size.height() - top), top)) return false;
    }
    return true;
}

// ---- Printing ----

double PrintScale(const FragSet& set, int pageWidth, int pageHeight) {
    const double w = pageWidth, h = pageHeight;
    if (set.ShowDivLines)
        return std::min(w / std::max(set.WholeWidth, 1), h / std::max(set.WholeHeight, 1));
    return std::min(0.95 * w / std::max(set.UsedWidth, 1), 0.95 * h / std::max(set.UsedHeight, 1));
}

bool PrintDocumentPage(QPainter& painter, FragSet& set, RenderCache& cache, int pageWidth,
                       int pageHeight, const OutputProgress& progress) {
    set.RefreshVisibility();
    const double s = PrintScale(set, pageWidth, pageHeight);
    if (!(s > 0)) return true;
    RenderTarget target;
    target.Kind = TargetKind::Print;
    target.Scale = s;
    target.Colors = set.Env().PrintMonochrome ? ColorMode::Monochrome : ColorMode::Screen;
    target.Progress = progress;
    return PaintTarget(painter, set, cache, target);
}

bool PaintDocumentVector(QPainter& painter, FragSet& set, RenderCache& cache, double scale,
                         ColorMode colors, PictureFileTarget* files,
                         const OutputProgress& progress) {
    set.RefreshVisibility();
    if (!(scale > 0)) return true;
    RenderTarget target;
    target.Kind = TargetKind::Vector;
    target.Scale = scale;
    target.Colors = colors;
    target.PictureFiles = files;
    target.Progress = progress;
    return PaintTarget(painter, set, cache, target);
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

    RenderTarget target;
    target.Kind = TargetKind::Map;
    target.Scale = s;
    PaintDocument(painter, *set, cache, target);

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
