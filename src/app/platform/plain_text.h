// Paths, links and card texts come from documents and may hold anything, markup included. Every
// widget that shows them goes through these helpers, so that none of them guesses rich text (a
// "<b>…<!--" would hide the rest of a question) and no "&" or "[*]" turns into something else.
#pragma once

#include <QMessageBox>
#include <QString>

class QLabel;
class QWidget;

namespace qv {

// Which button Enter presses in a question.
enum class DefaultAnswer { First, No };

// A modal message box whose text is shown exactly as given. Esc counts as the most cautious
// answer (Cancel, else No). Returns the button pressed.
QMessageBox::StandardButton ShowPlainMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                                const QString& caption, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                DefaultAnswer enter = DefaultAnswer::First);

// Makes a label show its text as it is.
void MakePlain(QLabel* label);

// A tooltip that shows `text` as it is: tooltips always guess, so the text is turned into markup
// that says exactly it.
QString PlainToolTip(const QString& text);

// A menu entry that shows `text` as it is: "&" stays a character and a tab no shortcut column.
QString PlainMenuText(const QString& text);

// A window title that shows `text` as it is ("[*]" would otherwise stand for the modified mark).
QString PlainWindowTitle(const QString& text);

}  // namespace qv
