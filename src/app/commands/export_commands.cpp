#include "app/commands/export_commands.h"

#include <QMenu>

#include "app/app_services.h"
#include "app/document/document_windows.h"
#include "app/output/output_run.h"
#include "app/texts.h"
#include "core/model/frag_set.h"
#include "render/painting/document_painter.h"
#include "render/pictures/picture_loader.h"
#include "render/text/qt_text.h"

namespace {

struct ExportItem {
    qv::ExportFormat Format;
    const std::string_view* Texts;  // caption, dialog title, filter
};

constexpr ExportItem kItems[] = {
    {qv::ExportFormat::Svg, texts::kExportSvg},
    {qv::ExportFormat::Pdf, texts::kExportPdf},
    {qv::ExportFormat::Png, texts::kExportPng},
    {qv::ExportFormat::Canvas, texts::kExportCanvas},
    {qv::ExportFormat::Markdown, texts::kExportMarkdown},
};

const ExportItem& ItemFor(qv::ExportFormat format) {
    for (const ExportItem& item : kItems)
        if (item.Format == format) return item;
    return kItems[0];
}

}  // namespace

ExportCommands::ExportCommands(DocumentWindows& windows, AppServices& services, QWidget* parent,
                               QMenu* menu)
    : QObject(menu), windows_(windows), services_(services), parent_(parent), menu_(menu) {}

ExportCommands* ExportCommands::Install(DocumentWindows& windows, AppServices& services,
                                        QWidget* parent, QMenu& file, QAction* after) {
    auto* menu = new QMenu(texts::Q(texts::kMenuExport), &file);
    menu->setObjectName(QStringLiteral("ExportMenu"));
    menu->menuAction()->setStatusTip(texts::Q(texts::kHintExport));
    auto* commands = new ExportCommands(windows, services, parent, menu);
    for (const ExportItem& item : kItems) {
        QAction* action = menu->addAction(texts::Q(item.Texts[0]));
        const qv::ExportFormat format = item.Format;
        QObject::connect(action, &QAction::triggered, commands,
                         [commands, format] { commands->Export(format); });
    }
    // Right after `after`: before whatever follows it, or at the end.
    const QList<QAction*> actions = file.actions();
    const qsizetype at = actions.indexOf(after);
    QAction* before = at >= 0 && at + 1 < actions.size() ? actions[at + 1] : nullptr;
    if (before)
        file.insertMenu(before, menu);
    else
        file.addMenu(menu);
    menu->menuAction()->setEnabled(false);
    QObject::connect(&file, &QMenu::aboutToShow, commands, [commands] {
        commands->menu_->menuAction()->setEnabled(commands->windows_.ActiveDocument() != nullptr);
    });
    return commands;
}

FileDialogRequest ExportCommands::DialogFor(qv::ExportFormat format, const qv::FragSet& document) {
    const ExportItem& item = ItemFor(format);
    FileDialogRequest r;
    r.Title = texts::Q(item.Texts[1]);
    r.Filter = texts::Q(item.Texts[2]);
    // The format's extension without its dot.
    std::string_view extension = qv::ExportExtension(format);
    if (!extension.empty()) extension.remove_prefix(1);
    r.DefaultSuffix =
        QString::fromLatin1(extension.data(), static_cast<qsizetype>(extension.size()));
    r.Save = true;
    r.InitialPath = DefaultOutputName(document, r.DefaultSuffix);
    return r;
}

void ExportCommands::Export(qv::ExportFormat format) {
    if (!windows_.ActiveDocument()) return;
    const FileDialogRequest request = DialogFor(format, *windows_.ActiveDocument());
    const QString chosen = services_.Files().Choose(parent_, request);
    if (chosen.isEmpty()) return;
    // The dialog is modal, but the document may have gone meanwhile (a close from another
    // instance); look again.
    qv::FragSet* document = windows_.ActiveDocument();
    if (!document) return;

    // A page no PNG may hold is refused at once, in the program's words.
    document->RefreshVisibility();
    const QSize page = qv::DocumentImageSize(*document);
    if (format == qv::ExportFormat::Png && !qv::ExportFormatHolds(format, page)) {
        const QString text =
            QLatin1Char('[') + chosen + texts::Q(texts::kExportFailed) +
            texts::Q(texts::kPngTooLarge).arg(qv::kMaxPngSide).arg(page.width()).arg(page.height());
        services_.Prompts().Warning(qv::ToCp932(text), qv::PromptButtons::Ok);
        return;
    }
    windows_.ShowMessage(texts::Q(texts::kExporting));
    // The program's pictures, plug-in formats included, as printing has them.
    const OutputFileRun run = WriteOutputFile(parent_, request.Title, texts::Q(texts::kExporting),
                                              *document, chosen, format, &services_.PictureFiles());
    // Cancelled before the end: nothing was written. (A Cancel that came as the last bytes went
    // out is too late; the file is complete and is reported as written.)
    if (run.Run == OutputRun::Cancelled && !run.Written) {
        windows_.ShowMessage(QString());
        return;
    }
    if (run.Written) {
        windows_.ShowMessage(chosen + texts::Q(texts::kExported));
        return;
    }
    windows_.ShowMessage(QString());
    const QString text = QLatin1Char('[') + chosen + texts::Q(texts::kExportFailed) +
                         QString::fromStdString(run.Written.Error);
    services_.Prompts().Warning(qv::ToCp932(text), qv::PromptButtons::Ok);
}
