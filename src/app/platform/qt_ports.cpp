#include "app/platform/qt_ports.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>

#include "app/platform/plain_text.h"
#include "core/dialogs/memo_text.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/paths.h"
#include "render/text/qt_text.h"

namespace qv {

namespace {

QMessageBox::StandardButtons ButtonsOf(PromptButtons b) {
    switch (b) {
        case PromptButtons::Ok:
            return QMessageBox::Ok;
        case PromptButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case PromptButtons::YesNo:
        case PromptButtons::YesNoDefaultNo:
            return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

PromptAnswer AnswerOf(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        case QMessageBox::Cancel:
            return PromptAnswer::Cancel;
        default:
            return PromptAnswer::Ok;
    }
}

PromptAnswer Ask(QWidget* parent, QMessageBox::Icon icon, std::string_view caption,
                 std::string_view text, PromptButtons buttons) {
    return AnswerOf(ShowPlainMessageBox(
        parent, icon, FromCp932(caption), FromCp932(text), ButtonsOf(buttons),
        buttons == PromptButtons::YesNoDefaultNo ? DefaultAnswer::No : DefaultAnswer::First));
}

QString LocalPath(const std::string& cp932) {
    return FromCp932(cp932);
}

}  // namespace

PromptAnswer QtPrompts::Warning(std::string_view text, PromptButtons buttons) {
    return Ask(parent_, QMessageBox::Warning, kWarningCaption, text, buttons);
}

PromptAnswer QtPrompts::Question(std::string_view text, PromptButtons buttons) {
    return Ask(parent_, QMessageBox::Question, kQuestionCaption, text, buttons);
}

std::string QtClipboard::Text() const {
    unheld_.clear();
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb) return {};
    ClipboardConversion c = ClipboardToCp932(cb->text().toStdString());
    unheld_ = std::move(c.UnheldLines);
    return std::move(c.Text);
}

void QtClipboard::SetText(std::string_view cp932) {
    if (QClipboard* cb = QGuiApplication::clipboard()) cb->setText(FromCp932(cp932));
}

std::string ResolveAgainstDocument(const std::string& cp932Path, const std::string& documentPath) {
    if (cp932Path.empty() || documentPath.empty()) return cp932Path;
    QString path = LocalPath(cp932Path);
    if (QDir::isAbsolutePath(path)) return cp932Path;
    QString folder = QFileInfo(QFile::decodeName(documentPath.c_str())).absolutePath();
    QString candidate = QDir(folder).filePath(path);
    // The result is a link path again; a folder code page 932 cannot name is not guessed at.
    bool exact = false;
    std::string resolved = ToCp932(QDir::cleanPath(candidate), &exact);
    return exact && QFileInfo::exists(candidate) ? resolved : cp932Path;
}

}  // namespace qv
