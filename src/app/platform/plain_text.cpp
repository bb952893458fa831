#include "app/platform/plain_text.h"

#include <QLabel>
#include <QPushButton>
#include <QTextDocument>

namespace qv {

QMessageBox::StandardButton ShowPlainMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                                const QString& caption, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                DefaultAnswer enter) {
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (buttons.testFlag(QMessageBox::Cancel)) {
        box.setEscapeButton(QMessageBox::Cancel);
    } else if (buttons.testFlag(QMessageBox::No)) {
        box.setEscapeButton(QMessageBox::No);
    }
    if (enter == DefaultAnswer::No && buttons.testFlag(QMessageBox::No))
        box.setDefaultButton(QMessageBox::No);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MakePlain(QLabel* label) {
    label->setTextFormat(Qt::PlainText);
}

QString PlainToolTip(const QString& text) {
    if (text.isEmpty()) return text;
    return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

QString PlainMenuText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    shown.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return shown;
}

QString PlainWindowTitle(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    return shown;
}

}  // namespace qv
