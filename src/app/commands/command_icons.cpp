#include "app/commands/command_icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPixmapCache>

namespace {

const QColor kInk(40, 40, 48);
const QColor kPaper(255, 255, 255);
const QColor kCard(255, 246, 196);
const QColor kBlue(52, 101, 164);
const QColor kGreen(78, 154, 6);
const QColor kRed(204, 0, 0);
const QColor kYellow(237, 212, 0);

void Card(QPainter& p, QRectF r, QColor fill = kCard) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(fill);
    p.drawRect(r);
}

void Arrow(QPainter& p, QPointF from, QPointF to, QColor c, double head = 3.5) {
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QLineF line(to, from);
    QLineF a = line;
    a.setLength(head);
    a.setAngle(line.angle() + 35);
    QLineF b = line;
    b.setLength(head);
    b.setAngle(line.angle() - 35);
    p.drawLine(a);
    p.drawLine(b);
}

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c, QColor fill) {
    p.setPen(QPen(kInk, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    const QPointF pts[] = {a, b, c};
    p.drawPolygon(pts, 3);
}

void CurvedArrow(QPainter& p, bool back) {
    QPainterPath path;
    if (back) {
        path.moveTo(15, 15);
        path.cubicTo(17, 8, 11, 4, 6, 7);
    } else {
        path.moveTo(5, 15);
        path.cubicTo(3, 8, 9, 4, 14, 7);
    }
    p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    if (back) {
        Triangle(p, {3, 8}, {8, 4}, {8.5, 10}, kBlue);
    } else {
        Triangle(p, {17, 8}, {12, 4}, {11.5, 10}, kBlue);
    }
}

void Draw(QPainter& p, int index) {
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
        case 0: {  // open: a folder
            p.setPen(QPen(kInk, 1));
            p.setBrush(kYellow);
            p.drawRect(QRectF(2.5, 5.5, 14, 11));
            p.drawRect(QRectF(2.5, 3.5, 6, 2));
            p.setBrush(QColor(252, 233, 79));
            const QPointF lid[] = {{2.5, 16.5}, {5.5, 8.5}, {18.5, 8.5}, {16.5, 16.5}};
            p.drawPolygon(lid, 4);
            break;
        }
        case 1: {  // save: a disk
            p.setPen(QPen(kInk, 1));
            p.setBrush(kBlue);
            p.drawRoundedRect(QRectF(2.5, 2.5, 15, 15), 1.5, 1.5);
            p.setBrush(kPaper);
            p.drawRect(QRectF(5.5, 2.5, 9, 6));
            p.setBrush(QColor(200, 200, 200));
            p.drawRect(QRectF(5.5, 11.5, 9, 6));
            break;
        }
        case 2: {  // print: a printer
            p.setPen(QPen(kInk, 1));
            p.setBrush(kPaper);
            p.drawRect(QRectF(5.5, 2.5, 9, 6));
            p.setBrush(QColor(186, 189, 182));
            p.drawRoundedRect(QRectF(2.5, 7.5, 15, 7), 1.5, 1.5);
            p.setBrush(kPaper);
            p.drawRect(QRectF(5.5, 12.5, 9, 5));
            p.setPen(QPen(kGreen, 1.5));
            p.drawPoint(QPointF(15, 10));
            break;
        }
        case 3: {  // cut: scissors
            p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(5, 2), QPointF(13, 13));
            p.drawLine(QPointF(15, 2), QPointF(7, 13));
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(kRed, 1.6));
            p.drawEllipse(QRectF(3, 13, 5, 5));
            p.drawEllipse(QRectF(12, 13, 5, 5));
            break;
        }
        case 4:  // copy: two cards
            Card(p, QRectF(2.5, 2.5, 10, 11), kPaper);
            Card(p, QRectF(7.5, 6.5, 10, 11), kCard);
            break;
        case 5: {  // paste: a clipboard with a card
            p.setPen(QPen(kInk, 1));
            p.setBrush(QColor(193, 125, 17));
            p.drawRoundedRect(QRectF(2.5, 3.5, 12, 14), 1.5, 1.5);
            p.setBrush(QColor(186, 189, 182));
            p.drawRect(QRectF(5.5, 2.5, 6, 3));
            Card(p, QRectF(8.5, 8.5, 9, 9));
            break;
        }
        case 6:  // new card: a card and a plus
            Card(p, QRectF(2.5, 5.5, 12, 12));
            p.setPen(QPen(kGreen, 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(15, 2), QPointF(15, 8));
            p.drawLine(QPointF(12, 5), QPointF(18, 5));
            break;
        case 7:  // gather: cards pulled together
            Card(p, QRectF(7.5, 7.5, 5, 5));
            Arrow(p, {2, 2}, {6.5, 6.5}, kBlue, 3);
            Arrow(p, {18, 2}, {13.5, 6.5}, kBlue, 3);
            Arrow(p, {2, 18}, {6.5, 13.5}, kBlue, 3);
            Arrow(p, {18, 18}, {13.5, 13.5}, kBlue, 3);
            break;
        case 8:  // spread: cards laid out in a grid
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 3; ++c)
                    Card(p, QRectF(1.5 + c * 6.5, 2.5 + r * 6, 4, 3.5));
            }
            break;
        case 9:  // stretch: a card with outward arrows
            Card(p, QRectF(6.5, 6.5, 7, 7));
            Arrow(p, {6, 10}, {1.5, 10}, kRed, 3);
            Arrow(p, {14, 10}, {18.5, 10}, kRed, 3);
            Arrow(p, {10, 6}, {10, 1.5}, kRed, 3);
            Arrow(p, {10, 14}, {10, 18.5}, kRed, 3);
            break;
        case 10:  // group stretch: a group frame with outward arrows
            p.setPen(QPen(kYellow.darker(130), 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(5.5, 5.5, 9, 9), 3, 3);
            Arrow(p, {5, 5}, {1.5, 1.5}, kRed, 3);
            Arrow(p, {15, 5}, {18.5, 1.5}, kRed, 3);
            Arrow(p, {5, 15}, {1.5, 18.5}, kRed, 3);
            Arrow(p, {15, 15}, {18.5, 18.5}, kRed, 3);
            break;
        case 11:  // away: cards stacked in a corner
            Card(p, QRectF(11.5, 11.5, 6, 6));
            Card(p, QRectF(9.5, 13.5, 6, 4));
            Arrow(p, {3, 3}, {9.5, 9.5}, kBlue, 3.5);
            break;
        case 12:  // position undo
            CurvedArrow(p, true);
            break;
        case 13:  // position redo
            CurvedArrow(p, false);
            break;
        case 14: {  // find: a magnifier
            p.setPen(QPen(kInk, 1.6));
            p.setBrush(QColor(220, 235, 250));
            p.drawEllipse(QRectF(2.5, 2.5, 10, 10));
            p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(12, 12), QPointF(17.5, 17.5));
            break;
        }
        case 15:  // previous selected card
            Card(p, QRectF(9.5, 6.5, 8, 8), QColor(114, 159, 207));
            Triangle(p, {2, 10.5}, {8, 5.5}, {8, 15.5}, kGreen);
            break;
        case 16:  // next selected card
            Card(p, QRectF(2.5, 6.5, 8, 8), QColor(114, 159, 207));
            Triangle(p, {18, 10.5}, {12, 5.5}, {12, 15.5}, kGreen);
            break;
        case 17:  // back
            Triangle(p, {2, 10}, {10, 3}, {10, 17}, kBlue);
            p.fillRect(QRectF(10, 7.5, 7.5, 5), kBlue);
            p.setPen(QPen(kInk, 1));
            p.drawLine(QPointF(10, 7.5), QPointF(17.5, 7.5));
            p.drawLine(QPointF(17.5, 7.5), QPointF(17.5, 12.5));
            p.drawLine(QPointF(10, 12.5), QPointF(17.5, 12.5));
            break;
        case 18:  // forward
            Triangle(p, {18, 10}, {10, 3}, {10, 17}, kBlue);
            p.fillRect(QRectF(2.5, 7.5, 7.5, 5), kBlue);
            p.setPen(QPen(kInk, 1));
            p.drawLine(QPointF(2.5, 7.5), QPointF(10, 7.5));
            p.drawLine(QPointF(2.5, 7.5), QPointF(2.5, 12.5));
            p.drawLine(QPointF(2.5, 12.5), QPointF(10, 12.5));
            break;
        case 19: {  // home: a house
            Triangle(p, {10, 2}, {1.5, 10}, {18.5, 10}, kRed);
            p.setPen(QPen(kInk, 1));
            p.setBrush(kPaper);
            p.drawRect(QRectF(4.5, 10, 11, 7.5));
            p.setBrush(QColor(193, 125, 17));
            p.drawRect(QRectF(8.5, 12.5, 3, 5));
            break;
        }
        case 20: {  // normal editing: the pointer
            p.setPen(QPen(kInk, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(kPaper);
            const QPointF arrow[] = {{5, 2},   {5, 16},      {8.5, 12.5}, {11, 18},
                                     {13, 17}, {10.5, 11.5}, {15, 11.5}};
            p.drawPolygon(arrow, 7);
            break;
        }
        case 21: {  // group line tool: two frames joined by an arrow
            p.setPen(QPen(kYellow.darker(130), 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(1.5, 1.5, 7, 6), 2, 2);
            p.drawRoundedRect(QRectF(11.5, 12.5, 7, 6), 2, 2);
            Arrow(p, {7, 8}, {12.5, 12.5}, QColor(0, 150, 200), 3.5);
            break;
        }
        case 22: {  // brush tool: a brush over a card
            Card(p, QRectF(2.5, 10.5, 10, 7), QColor(138, 226, 52));
            p.setPen(QPen(QColor(143, 89, 2), 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(17, 2), QPointF(11.5, 8));
            p.setPen(QPen(kInk, 1));
            p.setBrush(kRed);
            const QPointF tip[] = {{11, 7}, {13, 9}, {9, 13}, {7.5, 11.5}};
            p.drawPolygon(tip, 4);
            break;
        }
        case 23:  // tile: windows one above another
            Card(p, QRectF(2.5, 2.5, 15, 7), kPaper);
            Card(p, QRectF(2.5, 10.5, 15, 7), kPaper);
            p.fillRect(QRectF(3, 3, 14, 2), kBlue);
            p.fillRect(QRectF(3, 11, 14, 2), kBlue);
            break;
        case 24:  // tile: windows side by side
            Card(p, QRectF(2.5, 2.5, 7, 15), kPaper);
            Card(p, QRectF(10.5, 2.5, 7, 15), kPaper);
            p.fillRect(QRectF(3, 3, 6, 2), kBlue);
            p.fillRect(QRectF(11, 3, 6, 2), kBlue);
            break;
        case 25:  // cascade
            for (int i = 0; i < 3; ++i) {
                Card(p, QRectF(2.5 + i * 3, 2.5 + i * 3, 9, 9), kPaper);
                p.fillRect(QRectF(3 + i * 3, 3 + i * 3, 8, 2), kBlue);
            }
            break;
        case 26: {  // help contents: a question mark
            p.setPen(QPen(kBlue.darker(120), 1));
            p.setBrush(kBlue);
            p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
            QFont f = p.font();
            f.setPixelSize(14);
            f.setBold(true);
            p.setFont(f);
            p.setPen(kPaper);
            p.drawText(QRectF(1.5, 1.5, 17, 17), Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
        case 27:  // grouping tool: a frame around cards
            p.setPen(QPen(kYellow.darker(130), 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(1.5, 1.5, 17, 17), 5, 5);
            Card(p, QRectF(4.5, 5.5, 5, 4));
            Card(p, QRectF(10.5, 10.5, 5, 4));
            break;
        default:
            break;
    }
}

class CommandIconEngine final : public QIconEngine {
  public:
    explicit CommandIconEngine(int index) : index_(index) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 20.0, rect.height() / 20.0);
        if (mode == QIcon::Disabled) painter->setOpacity(0.35);
        Draw(*painter, index_);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        // Tool buttons ask on every repaint and hover: draw each size and mode once.
        const QSize device = (QSizeF(size) * scale).toSize();
        const QString key = QStringLiteral("qv-icon-%1-%2x%3-%4")
                                .arg(index_)
                                .arg(device.width())
                                .arg(device.height())
                                .arg(static_cast<int>(mode));
        QPixmap pm;
        if (!QPixmapCache::find(key, &pm)) {
            pm = QPixmap(device);
            pm.fill(Qt::transparent);
            {
                QPainter p(&pm);
                paint(&p, QRect(QPoint(), device), mode, state);
            }
            QPixmapCache::insert(key, pm);
        }
        pm.setDevicePixelRatio(scale);
        return pm;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new CommandIconEngine(index_); }

  private:
    int index_;
};

}  // namespace

QIcon CommandIcon(int index) {
    if (index < 0 || index >= kCommandImageCount) return {};
    return QIcon(new CommandIconEngine(index));
}
