#include "app/file_chooser.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

// Files here are mostly "*.csv"; a filter of both cases finds them whatever the case.
const QString kDocumentFilter = QStringLiteral("Quillovarsta 断片ﾌｧｲﾙ (*.csv *.CSV)");
const QString kTextFilter = QStringLiteral("テキスト (*.txt *.TXT)");

}  // namespace

FileDialogRequest OpenDocumentDialog() {
    return {QStringLiteral("開く"), kDocumentFilter, QStringLiteral("csv"), QString(), false};
}

FileDialogRequest MergeDocumentDialog() {
    return {QStringLiteral("マージ"), kDocumentFilter, QStringLiteral("csv"), QString(), false};
}

FileDialogRequest SaveDocumentAsDialog(const QString& currentPath) {
    return {QString(), kDocumentFilter, QStringLiteral("csv"), currentPath, true};
}

FileDialogRequest ImportTextDialog() {
    return {QStringLiteral("テキスト取り込み"), kTextFilter, QStringLiteral("txt"), QString(),
            false};
}

FileDialogRequest ExportTextDialog() {
    return {QStringLiteral("テキスト書き出し"), kTextFilter, QStringLiteral("txt"), QString(),
            true};
}

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& row) {
    if (!row.Title.isEmpty()) dialog.setWindowTitle(row.Title);
    dialog.setNameFilter(row.Filter);
    dialog.setDefaultSuffix(row.DefaultSuffix);
    if (row.Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::ReadOnly, false);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (!row.InitialPath.isEmpty()) {
        const QFileInfo info(row.InitialPath);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
}

QtFileChooser::QtFileChooser() = default;
QtFileChooser::~QtFileChooser() = default;

QString QtFileChooser::Choose(QWidget* parent, const FileDialogRequest& row) {
    QFileDialog dialog(parent);
    QString& folder = row.Save ? saveFolder_ : openFolder_;
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    ConfigureFileDialog(dialog, row);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    const QString chosen = dialog.selectedFiles().constFirst();
    folder = QFileInfo(chosen).absolutePath();
    return chosen;
}
