#include "app/file_chooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>

#include "app/texts.h"
#include "core/content/spi_unit.h"
#include "render/text/qt_text.h"

namespace {

// Files here are mostly "*.csv"; a filter of both cases finds them whatever the case.
const QString kDocumentFilter = texts::Q(texts::kFilterDocuments);
const QString kTextFilter = texts::Q(texts::kFilterText);

}  // namespace

FileDialogRequest OpenDocumentDialog() {
    // A JSON Canvas opens too, as a new document.
    return {texts::Q(texts::kChooserOpen),
            kDocumentFilter + QStringLiteral(";;") + texts::Q(texts::kFilterCanvas),
            QStringLiteral("csv"), QString(), false};
}

FileDialogRequest MergeDocumentDialog() {
    return {texts::Q(texts::kChooserMerge), kDocumentFilter, QStringLiteral("csv"), QString(),
            false};
}

FileDialogRequest SaveDocumentAsDialog(const QString& currentPath) {
    return {QString(), kDocumentFilter, QStringLiteral("csv"), currentPath, true};
}

FileDialogRequest ImportTextDialog() {
    return {texts::Q(texts::kChooserImportText), kTextFilter, QStringLiteral("txt"), QString(),
            false};
}

FileDialogRequest ExportTextDialog() {
    return {texts::Q(texts::kChooserExportText), kTextFilter, QStringLiteral("txt"), QString(),
            true};
}

QStringList PictureFilters(const qv::SpiUnit* plugins) {
    // File names on this system keep their case: each ending is offered in both.
    QStringList all;
    const auto addPattern = [&all](const QString& pattern) {
        for (const QString& p : {pattern.toLower(), pattern.toUpper()})
            if (!all.contains(p)) all << p;
    };
    const QStringList own = {QStringLiteral("*.bmp"), QStringLiteral("*.jpg"),
                             QStringLiteral("*.jpe"), QStringLiteral("*.jpeg"),
                             QStringLiteral("*.ico")};
    for (const QString& p : own)
        addPattern(p);
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        addPattern(QStringLiteral("*.") + QString::fromLatin1(format));
    QStringList pluginFilters;
    if (plugins) {
        for (const auto& plugin : plugins->Plugins()) {
            if (plugin.Pattern.empty()) continue;
            const QString pattern = qv::FromCp932(plugin.Pattern);
            for (const QString& p : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts))
                addPattern(p.trimmed());
            pluginFilters << QStringLiteral("%1 (%2)").arg(
                qv::FromCp932(plugin.Description),
                QString(pattern).replace(QLatin1Char(';'), QLatin1Char(' ')));
        }
    }
    QStringList filters;
    filters << texts::Q(texts::kFilterAllPictures) + QStringLiteral(" (") +
                   all.join(QLatin1Char(' ')) + QLatin1Char(')')
            << texts::Q(texts::kFilterBitmap) << texts::Q(texts::kFilterJpeg)
            << texts::Q(texts::kFilterIcon) << pluginFilters << texts::Q(texts::kFilterAllFiles);
    return filters;
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
