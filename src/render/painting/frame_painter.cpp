#include "render/painting/frame_painter.h"

#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <optional>
#include <unordered_map>

#include "core/model/arrow_line.h"
#include "core/model/group_entry.h"
#include "core/settings/env_data.h"
#include "render/painting/colors.h"

namespace qv {

namespace {

int Trunc(double v) {
    return static_cast<int>(std::clamp(std::trunc(v), -2147483648.0, 2147483647.0));
}

// The platform's pens: one pixel wide lines leave out their last point; wider pens have round
// ends and joins.
QPen MakePen(const QColor& color, int width, Qt::PenStyle style = Qt::SolidLine) {
    if (width <= 1) return QPen(color, 0, style, Qt::FlatCap, Qt::MiterJoin);
    return QPen(QBrush(color), width, style, Qt::RoundCap, Qt::RoundJoin);
}

// The part of the painter's plane it can paint on, in its logical coordinates; null when its
// transformation is more than a move (then nothing is left out beforehand).
std::optional<QRect> PaintableRect(const QPainter& p) {
    const QTransform& t = p.worldTransform();
    if (!p.device() || t.type() > QTransform::TxTranslate) return std::nullopt;
    QRect r = QRect(0, 0, p.device()->width(), p.device()->height())
                  .translated(-static_cast<int>(std::lround(t.dx())),
                              -static_cast<int>(std::lround(t.dy())));
    if (p.hasClipping()) r &= p.clipBoundingRect().toAlignedRect();
    return r;
}

// Ceiling of a / b for b > 0.
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

}  // namespace

void StepLine(QPainter& p, QPoint from, QPoint to, bool dotted, QPoint origin) {
    const std::int64_t dx = std::int64_t{to.x()} - from.x(), dy = std::int64_t{to.y()} - from.y();
    const std::int64_t n = std::max(std::abs(dx), std::abs(dy));
    if (n == 0) return;
    if (n > (std::int64_t{1} << 30)) {
        // Beyond any page; the platform's line is as good as any there.
        p.drawLine(from - origin, to - origin);
        return;
    }
    // Pixel i (0 <= i < n; the end is left out, as the platform's one-pixel pens do) steps once
    // along the major axis; the minor axis is i * minor / n rounded half up. Everything is in the
    // line's own coordinates, so any band or clip gets the same pixels as the whole.
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const std::int64_t a0 = xMajor ? from.x() : from.y(), b0 = xMajor ? from.y() : from.x();
    const int sa = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int sb = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t m = std::abs(xMajor ? dy : dx);
    auto minorStep = [&](std::int64_t i) { return (2 * i * m + n) / (2 * n); };

    std::int64_t first = 0, last = n;  // [first, last)
    if (const std::optional<QRect> area = PaintableRect(p)) {
        if (area->isEmpty()) return;
        const QRect a = area->translated(origin);  // in the line's coordinates
        auto narrow = [&](std::int64_t lo, std::int64_t hi, std::int64_t start, int s,
                          auto&& toIndex) {
            // Offsets k (start + s * k within [lo, hi)) as an index range.
            const std::int64_t k0 = s > 0 ? lo - start : start - hi + 1;
            const std::int64_t k1 = s > 0 ? hi - start : start - lo + 1;
            first = std::max(first, toIndex(k0));
            last = std::min(last, toIndex(k1));
        };
        const std::int64_t aLo = xMajor ? a.left() : a.top();
        const std::int64_t aHi = (xMajor ? a.right() : a.bottom()) + std::int64_t{1};
        const std::int64_t bLo = xMajor ? a.top() : a.left();
        const std::int64_t bHi = (xMajor ? a.bottom() : a.right()) + std::int64_t{1};
        narrow(aLo, aHi, a0, sa, [](std::int64_t k) { return k; });
        if (m == 0) {
            if (b0 < bLo || b0 >= bHi) return;
        } else {
            // minorStep(i) >= k  <=>  i >= ceil((2nk - n) / 2m)
            narrow(bLo, bHi, b0, sb, [&](std::int64_t k) {
                k = std::clamp<std::int64_t>(k, 0, m + 1);
                return CeilDiv(2 * n * k - n, 2 * m);
            });
        }
    }
    if (first >= last) return;
    // Points in the pen's colour; the dots are counted here, not by the pen's dash pattern.
    QPen pen = p.pen();
    pen.setStyle(Qt::SolidLine);
    pen.setWidth(0);
    p.setPen(pen);
    QPolygon points;
    points.reserve(static_cast<int>(std::min<std::int64_t>(last - first, 1 << 20)));
    for (std::int64_t i = first; i < last; ++i) {
        if (dotted && i % 3 != 0) continue;
        const std::int64_t a = a0 + sa * i, b = b0 + sb * minorStep(i);
        const std::int64_t x = (xMajor ? a : b) - origin.x(), y = (xMajor ? b : a) - origin.y();
        points.append(QPoint(static_cast<int>(x), static_cast<int>(y)));
    }
    p.drawPoints(points);
}

namespace {

// Whether the painter only moves what it draws, by whole pixels: then one-pixel lines and arcs
// land on the same pixels wherever they lie.
bool MovesByWholePixels(const QPainter& p) {
    const QTransform& t = p.worldTransform();
    return t.type() <= QTransform::TxTranslate && t.dx() == std::trunc(t.dx()) &&
           t.dy() == std::trunc(t.dy());
}

// Boxes up to this side have their arcs' pixels kept.
constexpr int kMaxKeptArc = 256;

// The pixels of the quarter arc in the box (0, 0, side, side), drawn with a one-pixel pen.
const QPolygon& QuarterArcPixels(int side, int quarter) {
    thread_local std::unordered_map<int, QPolygon> kept;
    QPolygon& points = kept[side * 4 + quarter];
    if (!points.isEmpty()) return points;
    constexpr int margin = 2;
    QImage canvas(side + 2 * margin + 1, side + 2 * margin + 1, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter q(&canvas);
        q.setRenderHint(QPainter::Antialiasing, false);
        q.setPen(MakePen(Qt::black, 1));
        q.drawArc(QRect(margin, margin, side, side), quarter * 90 * 16, 90 * 16);
    }
    for (int y = 0; y < canvas.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        for (int x = 0; x < canvas.width(); ++x)
            if (qAlpha(line[x]) != 0) points.append(QPoint(x - margin, y - margin));
    }
    // An arc of no pixels is worked out again, which costs nothing that size.
    return points;
}

}  // namespace

void DrawQuarterArc(QPainter& p, const QRect& box, int quarter) {
    const QPen& pen = p.pen();
    const bool kept = box.width() == box.height() && box.width() > 0 &&
                      box.width() <= kMaxKeptArc && pen.widthF() == 0 &&
                      pen.style() == Qt::SolidLine && pen.capStyle() == Qt::FlatCap &&
                      MovesByWholePixels(p);
    if (!kept) {
        p.drawArc(box, quarter * 90 * 16, 90 * 16);
        return;
    }
    p.drawPoints(QuarterArcPixels(box.width(), quarter).translated(box.topLeft()));
}

void DrawPixelSpan(QPainter& p, QPoint from, QPoint to) {
    if (from == to) {
        p.drawPoint(from);
        return;
    }
    const QPen& pen = p.pen();
    // (Lines drawn leftwards or upwards leave out other pixels than from..to: they stay lines.)
    if ((from.x() == to.x() || from.y() == to.y()) && from.x() <= to.x() && from.y() <= to.y() &&
        pen.widthF() == 0 && pen.style() == Qt::SolidLine && MovesByWholePixels(p)) {
        p.fillRect(QRect(from, to), pen.brush());
        return;
    }
    // Flat-capped one-pixel lines leave out the last point: reach one further.
    const int dx = (to.x() > from.x()) - (to.x() < from.x());
    const int dy = (to.y() > from.y()) - (to.y() < from.y());
    p.drawLine(from, to + QPoint(dx, dy));
}

void PaintRndFrame(QPainter& p, const GroupFrame& frame) {
    const Rect& b = frame.Bounds;
    if (b.IsEmpty() || !frame.Visible) return;
    const int w = std::max(frame.PenWidth, 0);
    const int h = w / 2;
    int W = b.Width() - w + 1;
    int H = b.Height() - w + 1;
    if (w == 0) {
        --W;
        --H;
    }
    const int right = W + h;
    const int bottom = H + h;
    if (right <= h || bottom <= h) return;

    p.save();
    p.setClipRect(QRect(b.Left, b.Top, b.Width(), b.Height()), Qt::IntersectClip);
    p.translate(b.Left, b.Top);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(MakePen(ToQColor(frame.PenColor), w));
    p.setBrush(Qt::NoBrush);

    if (frame.MaxRound <= 1) {
        // Square corners, on the same pixels as the edges of a rounded frame, so the whole outline
        // lies inside the frame (the right and bottom edges must not fall just outside it).
        const int r = right - 1, bt = bottom - 1;
        DrawPixelSpan(p, QPoint(h, h), QPoint(r, h));
        DrawPixelSpan(p, QPoint(r, h), QPoint(r, bt));
        DrawPixelSpan(p, QPoint(r, bt), QPoint(h, bt));
        DrawPixelSpan(p, QPoint(h, bt), QPoint(h, h));
        p.restore();
        return;
    }

    int d = std::min(frame.MaxRound, std::min(W, H) / 4);
    if (d % 2 == 0) ++d;
    int k = d / 2 + 1;
    // Quarter arcs in d × d boxes whose right and bottom edges are exclusive.
    const int side = d - 1;
    DrawQuarterArc(p, QRect(h, h, side, side), 1);
    DrawQuarterArc(p, QRect(right - d, h, side, side), 0);
    DrawQuarterArc(p, QRect(right - d, bottom - d, side, side), 3);
    DrawQuarterArc(p, QRect(h, bottom - d, side, side), 2);

    const int r = right - 1, bt = bottom - 1;
    --k;
    // Each edge runs from its first point up to, not including, its second.
    auto edge = [&](QPoint from, QPoint toExcl) {
        const int dx = (toExcl.x() > from.x()) - (toExcl.x() < from.x());
        const int dy = (toExcl.y() > from.y()) - (toExcl.y() < from.y());
        if (dx == 0 && dy == 0) return;
        DrawPixelSpan(p, from, toExcl - QPoint(dx, dy));
    };
    edge(QPoint(h + k, h), QPoint(r - k, h));
    edge(QPoint(r, h + k), QPoint(r, bt - k));
    edge(QPoint(h + k, bt), QPoint(r - k - 1, bt));
    edge(QPoint(h, h + k), QPoint(h, bt - k));
    p.restore();
}

namespace {

// zoom 0: the window points; above 0: the document points times zoom.
// Points are worked out where the line is and moved by -origin only when drawn, so a band of an
// image gets exactly the pixels of the whole image.
// With `stepped`, one-pixel lines and arrowhead outlines are stepped here pixel by pixel instead
// of by the platform, whose thin lines move by a pixel with the clip: an image painted in bands
// then equals the image painted whole.
void DrawLineWithHeads(QPainter& p, const ArrowLine& line, double zoom, const QColor& color,
                       const EnvData& env, QPoint origin, bool stepped) {
    const int width = SanitizeLineWidth(line.Width);
    const int type = SanitizeLineType(line.Type);
    const bool dotted = width == kDottedWidth;
    const int a = std::abs(width);
    double p1x, p1y, p2x, p2y;
    int L;
    if (zoom > 0) {
        p1x = Trunc(line.DocStart.X * zoom + 0.5);
        p1y = Trunc(line.DocStart.Y * zoom + 0.5);
        p2x = Trunc(line.DocEnd.X * zoom + 0.5);
        p2y = Trunc(line.DocEnd.Y * zoom + 0.5);
        L = a >= 2 ? std::max(1, Trunc(a * zoom)) : 1;
    } else {
        p1x = line.WinStart.X;
        p1y = line.WinStart.Y;
        p2x = line.WinEnd.X;
        p2y = line.WinEnd.Y;
        L = a;
    }

    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPen linePen = MakePen(color, L, dotted ? Qt::DotLine : Qt::SolidLine);
    auto drawLine = [&] {
        p.setPen(linePen);
        p.setBrush(Qt::NoBrush);
        if (stepped && L <= 1)
            StepLine(p, QPoint(Trunc(p1x), Trunc(p1y)), QPoint(Trunc(p2x), Trunc(p2y)), dotted,
                     origin);
        else
            p.drawLine(QPointF(p1x - origin.x(), p1y - origin.y()),
                       QPointF(p2x - origin.x(), p2y - origin.y()));
    };
    if (type == kLinePlain) {
        drawLine();
        p.restore();
        return;
    }

    constexpr double pi = std::numbers::pi;
    double S = std::clamp(env.GLineArrowSize, 0, 1000) + a;
    if (zoom > 0) S = Trunc(S * zoom + 0.5);
    const double alpha = (a - 1) * (pi / 12) * 0.25 + pi / 12;
    int headWidth = 1;
    if (a >= 2 && env.GLineArrowType == 0) {
        headWidth = a / 2 + 1;
        if (zoom > 0) headWidth = std::max(1, Trunc(headWidth * zoom));
    }

    // Direction from the end back towards the start.
    double theta;
    if (p1x == p2x) {
        theta = p1y > p2y ? pi / 2 : -pi / 2;
    } else {
        theta = std::atan((p2y - p1y) / (p2x - p1x));
        if (p2x > p1x) theta += pi;
    }
    const double ax = S * std::cos(theta + alpha), ay = S * std::sin(theta + alpha);
    const double bx = S * std::cos(theta - alpha), by = S * std::sin(theta - alpha);
    const int tx = Trunc(L * std::cos(theta)), ty = Trunc(L * std::sin(theta));
    double mx = (ax + bx) / 2, my = (ay + by) / 2;

    if (type == kLineReverseDoubleArrow) {
        // Both ends move inwards by the arrowhead's depth; the heads point inwards from there.
        p1x = Trunc(p1x - mx);
        p1y = Trunc(p1y - my);
        p2x = Trunc(p2x + mx);
        p2y = Trunc(p2y + my);
        mx *= 2;
        my *= 2;
    }
    const bool filled = env.GLineArrowType == 1;
    auto head = [&](double x0, double y0, double x1, double y1, double x2, double y2) {
        const QPolygon points({QPoint(Trunc(x0), Trunc(y0)) - origin,
                               QPoint(Trunc(x1), Trunc(y1)) - origin,
                               QPoint(Trunc(x2), Trunc(y2)) - origin});
        if (stepped && headWidth <= 1) {
            // The inside filled without an outline, then the outline stepped.
            if (filled) {
                p.setPen(Qt::NoPen);
                p.setBrush(color);
                p.drawPolygon(points);
            }
            p.setPen(MakePen(color, 1));
            const int ends = filled ? 3 : 2;
            for (int i = 0; i < ends; ++i)
                StepLine(p, points[i] + origin, points[(i + 1) % 3] + origin, false, origin);
            return;
        }
        p.setPen(MakePen(color, headWidth));
        if (filled) {
            p.setBrush(color);
            p.drawPolygon(points);
        } else {
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(points);
        }
    };
    if (type == kLineReverseDoubleArrow) {
        head(p2x + ax - mx, p2y + ay - my, filled ? p2x + tx : p2x, filled ? p2y + ty : p2y,
             p2x + bx - mx, p2y + by - my);
        head(p1x - ax + mx, p1y - ay + my, filled ? p1x - tx : p1x, filled ? p1y - ty : p1y,
             p1x - bx + mx, p1y - by + my);
    } else {
        head(p2x + ax, p2y + ay, p2x - tx, p2y - ty, p2x + bx, p2y + by);
        if (type == kLineDoubleArrow)
            head(p1x - ax, p1y - ay, p1x + tx, p1y + ty, p1x - bx, p1y - by);
    }
    drawLine();
    p.restore();
}

}  // namespace

void DrawArrowLine(QPainter& p, const ArrowLine& line, const QColor& color, const EnvData& env) {
    DrawLineWithHeads(p, line, 0, color, env, QPoint(), false);
}

void DrawArrowLineScaled(QPainter& p, const ArrowLine& line, double zoom, const QColor& color,
                         const EnvData& env, QPoint origin, bool stepped) {
    if (zoom > 0) DrawLineWithHeads(p, line, zoom, color, env, origin, stepped);
}

void DrawThinLine(QPainter& p, const ArrowLine& line, double scale, const QColor& color) {
    if (!line.Drawn) return;
    auto at = [&](int v) { return static_cast<int>(std::floor(v * scale + 0.5)); };
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(MakePen(color, 1, line.Width == kDottedWidth ? Qt::DotLine : Qt::SolidLine));
    p.drawLine(QPoint(at(line.DocStart.X), at(line.DocStart.Y)),
               QPoint(at(line.DocEnd.X), at(line.DocEnd.Y)));
    p.restore();
}

void DrawRoundedFrame(QPainter& p, const QRect& rect, int cornerDiameter, const QColor& color,
                      int penWidth) {
    if (rect.width() <= 0 || rect.height() <= 0) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(MakePen(color, penWidth));
    p.setBrush(Qt::NoBrush);
    const QRect r(rect.x(), rect.y(), rect.width() - 1, rect.height() - 1);
    if (cornerDiameter <= 1)
        p.drawRect(r);
    else
        p.drawRoundedRect(r, cornerDiameter / 2.0, cornerDiameter / 2.0, Qt::AbsoluteSize);
    p.restore();
}

}  // namespace qv
