#include "app/file_chooser.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

// Files here are mostly "*.csv"; a filter of both cases finds them whatever the case.
const QString kDocumentFilter = QStringLiteral("Quillovarsta 断片ﾌｧｲﾙ (*.csv *.CSV)");
const QString kTextFilter = QStringLiteral("テキスト (*.txt *.TXT)");

}  // namespace

FileDialogSpec OpenDocumentDialog() {
    return {QStringLiteral("開く"), kDocumentFilter, QStringLiteral("csv"), QString(), false};
}

FileDialogSpec MergeDocumentDialog() {
    return {QStringLiteral("マージ"), kDocumentFilter, QStringLiteral("csv"), QString(), false};
}

FileDialogSpec SaveDocumentAsDialog(const QString& currentPath) {
    return {QString(), kDocumentFilter, QStringLiteral("csv"), currentPath, true};
}

FileDialogSpec ImportTextDialog() {
    return {QStringLiteral("テキスト取り込み"), kTextFilter, QStringLiteral("txt"), QString(),
            false};
}

FileDialogSpec ExportTextDialog() {
    return {QStringLiteral("テキスト書き出し"), kTextFilter, QStringLiteral("txt"), QString(),
            true};
}

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogSpec& spec) {
    if (!spec.Title.isEmpty()) dialog.setWindowTitle(spec.Title);
    dialog.setNameFilter(spec.Filter);
    dialog.setDefaultSuffix(spec.DefaultSuffix);
    if (spec.Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::ReadOnly, false);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (!spec.InitialPath.isEmpty()) {
        const QFileInfo info(spec.InitialPath);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
}

QtFileChooser::QtFileChooser() = default;
QtFileChooser::~QtFileChooser() = default;

QString QtFileChooser::Choose(QWidget* parent, const FileDialogSpec& spec) {
    QFileDialog dialog(parent);
    QString& folder = spec.Save ? saveFolder_ : openFolder_;
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    ConfigureFileDialog(dialog, spec);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    const QString chosen = dialog.selectedFiles().constFirst();
    folder = QFileInfo(chosen).absolutePath();
    return chosen;
}
