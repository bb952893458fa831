#include "app/document/tool_cursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <array>

namespace qv {

namespace {

constexpr int kSize = 32;

// Every cursor is white with a black outline, so it shows on light cards and the dark page alike.
const QPen kOutline(Qt::black, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

QPixmap Blank() {
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    return pm;
}

void Begin(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(kOutline);
    p.setBrush(Qt::white);
}

// Outlined thick strokes: every stroke black and wide first, then white and narrower, so touching
// strokes merge into one outlined shape.
struct Stroke {
    QPointF From;
    QPointF To;
    qreal Width;
};

void DrawStrokes(QPainter& p, std::initializer_list<Stroke> strokes, const QRectF& palm) {
    p.setRenderHint(QPainter::Antialiasing);
    for (int pass = 0; pass < 2; ++pass) {
        const QColor colour = pass == 0 ? QColor(Qt::black) : QColor(Qt::white);
        const qreal grow = pass == 0 ? 2.4 : 0;
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRoundedRect(palm.adjusted(-grow / 2, -grow / 2, grow / 2, grow / 2), 5, 5);
        for (const Stroke& s : strokes) {
            p.setPen(QPen(colour, s.Width + grow, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(s.From, s.To);
        }
    }
}

// A closed fist seen from the back of a left hand: four bent fingers on top, the thumb folded
// along the right side.
QPixmap GrabbingHand() {
    QPixmap pm = Blank();
    QPainter p(&pm);
    DrawStrokes(p,
                {{{8.5, 10}, {8.5, 14}, 4.6},
                 {{13.5, 8.5}, {13.5, 14}, 4.6},
                 {{18.5, 8.5}, {18.5, 14}, 4.6},
                 {{23.5, 10}, {23.5, 14}, 4.6},
                 {{26, 19}, {22, 25}, 4.6}},
                QRectF(6, 12, 20, 16));
    // Creases between the fingers and along the thumb.
    p.setPen(QPen(Qt::black, 1));
    for (const qreal x : {11.0, 16.0, 21.0})
        p.drawLine(QPointF(x, 9), QPointF(x, 15));
    p.drawLine(QPointF(23.5, 18), QPointF(20, 23));
    return pm;
}

// A hand picking a card out between thumb and forefinger; the pinch is the hot spot.
QPixmap PickingHand() {
    QPixmap pm = Blank();
    QPainter p(&pm);
    DrawStrokes(p,
                {{{12, 18}, {6.5, 6}, 4.4},   // forefinger
                 {{25, 18}, {20, 9.5}, 4.4},  // thumb, bending towards the fingertip
                 {{20, 9.5}, {10.5, 5}, 4.0},
                 {{16, 17}, {16, 19}, 4.4},  // bent fingers
                 {{20.5, 18}, {20.5, 20}, 4.4}},
                QRectF(10, 16, 16, 13));
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(18, 17), QPointF(18, 22));
    p.drawLine(QPointF(22, 19), QPointF(22, 23));
    // The little card being picked.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(QColor(255, 255, 160));
    p.drawRect(QRect(1, 0, 9, 5));
    return pm;
}

// The hot spot of the group and line tools: a small cross in the top-left corner.
void Crosshair(QPainter& p, QPoint c) {
    p.setPen(QPen(Qt::white, 3));
    p.drawLine(c.x() - 6, c.y(), c.x() + 6, c.y());
    p.drawLine(c.x(), c.y() - 6, c.x(), c.y() + 6);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(c.x() - 6, c.y(), c.x() + 6, c.y());
    p.drawLine(c.x(), c.y() - 6, c.x(), c.y() + 6);
}

// Cross plus a rounded group frame around two little cards.
QPixmap GroupTool() {
    QPixmap pm = Blank();
    QPainter p(&pm);
    Crosshair(p, QPoint(7, 7));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(13.5, 13.5, 16, 15), 5, 5);
    p.setPen(QPen(QColor(0, 96, 160), 2));
    p.drawRoundedRect(QRectF(13.5, 13.5, 16, 15), 5, 5);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(16.5, 16.5, 10, 4));
    p.drawRect(QRectF(16.5, 22.5, 10, 4));
    return pm;
}

// Cross plus a relation line with an arrowhead.
QPixmap LineTool() {
    QPixmap pm = Blank();
    QPainter p(&pm);
    Crosshair(p, QPoint(7, 7));
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF from(13, 28), to(29, 14);
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    QPolygonF head;
    head << to << QPointF(21, 16) << QPointF(27, 22);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::black);
    p.drawPolygon(head);
    return pm;
}

// A paint brush lying from the top right down to its tip at kBrushTipOffset.
QPixmap PaintTool() {
    QPixmap pm = Blank();
    QPainter p(&pm);
    Begin(p);
    QTransform t;
    t.translate(kBrushTipOffset.x(), kBrushTipOffset.y());
    t.rotate(-45);
    p.setTransform(t);
    // Along +x from the tip: bristles, ferrule, handle.
    QPainterPath bristles;
    bristles.moveTo(0, 0);
    bristles.cubicTo(3, -3.5, 7, -4, 10, -3.5);
    bristles.lineTo(10, 3.5);
    bristles.cubicTo(7, 4, 3, 3.5, 0, 0);
    p.setBrush(QColor(40, 40, 40));
    p.drawPath(bristles);
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(10, -3.5, 5, 7));
    p.setBrush(QColor(190, 120, 60));
    p.drawRoundedRect(QRectF(15, -2.5, 18, 5), 2.5, 2.5);
    return pm;
}

// An eyedropper with its tip at kBrushTipOffset, so it picks where the brush paints.
QPixmap SpuitTool() {
    QPixmap pm = Blank();
    QPainter p(&pm);
    Begin(p);
    QTransform t;
    t.translate(kBrushTipOffset.x(), kBrushTipOffset.y());
    t.rotate(-45);
    p.setTransform(t);
    QPainterPath tube;
    tube.moveTo(0, 0);
    tube.lineTo(5, -2);
    tube.lineTo(20, -2);
    tube.lineTo(20, 2);
    tube.lineTo(5, 2);
    tube.closeSubpath();
    p.drawPath(tube);
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(QRectF(20, -3.5, 3, 7));
    p.drawRoundedRect(QRectF(23, -4, 10, 8), 4, 4);
    // Liquid in the tube.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 140, 255));
    p.drawRect(QRectF(3, -1, 8, 2));
    return pm;
}

struct CursorImage {
    QPixmap Pixmap;
    QPoint HotSpot;
};

CursorImage Make(CursorShape shape) {
    switch (shape) {
        case CursorShape::GrabLeft:
            return {GrabbingHand(), QPoint(16, 16)};
        case CursorShape::GrabRight:
            return {GrabbingHand().transformed(QTransform::fromScale(-1, 1)), QPoint(15, 16)};
        case CursorShape::PickLeft:
            return {PickingHand(), QPoint(8, 5)};
        case CursorShape::PickRight:
            return {PickingHand().transformed(QTransform::fromScale(-1, 1)), QPoint(23, 5)};
        case CursorShape::GroupTool:
            return {GroupTool(), QPoint(7, 7)};
        case CursorShape::LineTool:
            return {LineTool(), QPoint(7, 7)};
        case CursorShape::PaintTool:
            return {PaintTool(), QPoint(0, 0)};
        case CursorShape::SpuitTool:
            return {SpuitTool(), QPoint(0, 0)};
        default:
            return {};
    }
}

constexpr int kFirstNumbered = static_cast<int>(CursorShape::GrabLeft);
constexpr int kLastNumbered = static_cast<int>(CursorShape::SpuitTool);

const CursorImage& Cached(CursorShape shape) {
    static std::array<CursorImage, kLastNumbered - kFirstNumbered + 1> images;
    static std::array<bool, kLastNumbered - kFirstNumbered + 1> made{};
    const auto i = static_cast<std::size_t>(static_cast<int>(shape) - kFirstNumbered);
    if (!made[i]) {
        images[i] = Make(shape);
        made[i] = true;
    }
    return images[i];
}

// Made once: the window sets its cursor on every pointer move.
const QCursor& CachedCursor(CursorShape shape) {
    static std::array<QCursor, kLastNumbered - kFirstNumbered + 1> cursors;
    static std::array<bool, kLastNumbered - kFirstNumbered + 1> made{};
    const auto i = static_cast<std::size_t>(static_cast<int>(shape) - kFirstNumbered);
    if (!made[i]) {
        const CursorImage& image = Cached(shape);
        cursors[i] = QCursor(image.Pixmap, image.HotSpot.x(), image.HotSpot.y());
        made[i] = true;
    }
    return cursors[i];
}

bool Numbered(CursorShape shape) {
    const int n = static_cast<int>(shape);
    return n >= kFirstNumbered && n <= kLastNumbered;
}

}  // namespace

QPixmap ToolCursorImage(CursorShape shape, QPoint* hotSpot) {
    if (!Numbered(shape)) {
        if (hotSpot) *hotSpot = QPoint();
        return QPixmap();
    }
    const CursorImage& image = Cached(shape);
    if (hotSpot) *hotSpot = image.HotSpot;
    return image.Pixmap;
}

QCursor ToolCursor(CursorShape shape) {
    if (shape == CursorShape::NotAllowed) return QCursor(Qt::ForbiddenCursor);
    if (!Numbered(shape)) return QCursor(Qt::ArrowCursor);
    return CachedCursor(shape);
}

}  // namespace qv
