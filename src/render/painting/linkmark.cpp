#include "render/painting/linkmark.h"

#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "render/text/qt_text.h"

namespace qv {

namespace {

QImage BlankIcon() {
    QImage image(kLinkMarkSide, kLinkMarkSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

}  // namespace

QImage MakeLinkMark() {
    QImage image = BlankIcon();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor blue(0x1F, 0x4E, 0x9A);
    p.setPen(QPen(blue, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    p.setPen(QPen(blue, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 12), QPointF(10, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPolygon(QPolygonF({QPointF(6.5, 3.5), QPointF(12.5, 3.5), QPointF(12.5, 9.5)}));
    return image;
}

QImage MakeDocumentIcon() {
    QImage image = BlankIcon();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor grey(0x60, 0x60, 0x60);
    p.setPen(QPen(grey, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(2.5, 0.5), QPointF(9.5, 0.5), QPointF(13.5, 4.5),
                             QPointF(13.5, 15.5), QPointF(2.5, 15.5)}));
    p.setBrush(QColor(0xD8, 0xD8, 0xD8));
    p.drawPolygon(QPolygonF({QPointF(9.5, 0.5), QPointF(9.5, 4.5), QPointF(13.5, 4.5)}));
    p.setPen(QPen(QColor(0x8C, 0xA0, 0xC0), 1));
    for (int y : {7, 9, 11, 13})
        p.drawLine(QPointF(4.5, y + 0.5), QPointF(11.5, y + 0.5));
    return image;
}

QImage LinkIconFor(std::string_view cp932Path) {
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(FromCp932(cp932Path), QMimeDatabase::MatchExtension);
    for (const QString& name : {type.iconName(), type.genericIconName()}) {
        if (name.isEmpty() || !QIcon::hasThemeIcon(name)) continue;
        const QIcon icon = QIcon::fromTheme(name);
        const QPixmap pixmap = icon.pixmap(kLinkMarkSide, kLinkMarkSide);
        if (pixmap.isNull()) continue;
        QImage image = BlankIcon();
        QPainter p(&image);
        p.drawPixmap(QRect(0, 0, kLinkMarkSide, kLinkMarkSide), pixmap);
        return image;
    }
    return MakeDocumentIcon();
}

}  // namespace qv
