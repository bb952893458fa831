#include "app/platform/program_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The document icon on a 32-unit grid, in the colours of the program icon.
void DrawDocument(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    // The sheet, its top right corner folded over.
    QPainterPath sheet;
    sheet.moveTo(4.5, 0.5);
    sheet.lineTo(21.5, 0.5);
    sheet.lineTo(28.5, 7.5);
    sheet.lineTo(28.5, 31.5);
    sheet.lineTo(4.5, 31.5);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(21.5, 0.5);
    fold.lineTo(21.5, 7.5);
    fold.lineTo(28.5, 7.5);
    p.setBrush(QColor(0xd8, 0xd8, 0xd8));
    p.drawPath(fold);
    // The group frame with its cards.
    p.setPen(QPen(QColor(0xff, 0xff, 0x3c), 1.5));
    p.setBrush(QColor(0x0f, 0x7f, 0x7f));
    p.drawRoundedRect(QRectF(7, 11, 19, 18), 3, 3);
    p.setPen(QPen(Qt::black, 1));
    const QColor cards[] = {Qt::white, QColor(0xff, 0xff, 0xc0), QColor(0xff, 0xc8, 0xc8),
                            Qt::white};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(cards[i]);
        p.drawRect(QRectF(9.5 + (i % 2) * 8, 13.5 + (i / 2) * 7, 6, 5));
    }
}

}  // namespace

QIcon ProgramIcon() {
    static const QIcon icon = [] {
        QIcon made;
        for (int size : kSizes)
            made.addFile(QStringLiteral(":/icons/program-%1.png").arg(size), QSize(size, size));
        return made;
    }();
    return icon;
}

QIcon DocumentIcon() {
    static const QIcon icon = [] {
        QIcon made;
        for (int size : kSizes) {
            QPixmap pm(size, size);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.scale(size / 32.0, size / 32.0);
            DrawDocument(p);
            p.end();
            made.addPixmap(pm);
        }
        return made;
    }();
    return icon;
}
