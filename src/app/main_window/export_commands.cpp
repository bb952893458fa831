#include "app/main_window/export_commands.h"

#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include "app/app_services.h"
#include "app/main_window/main_form.h"
#include "app/output/output_run.h"
#include "app/texts.h"
#include "core/model/frag_set.h"
#include "render/document_painter.h"
#include "render/offscreen_document.h"
#include "render/picture_loader.h"
#include "render/qt_text.h"
#include "render/render_cache.h"

namespace {

struct ExportItem {
    qv::ExportFormat Format;
    const std::string_view* Texts;  // caption, dialog title, filter
    const char* Suffix;
};

constexpr ExportItem kItems[] = {
    {qv::ExportFormat::Svg, texts::kExportSvg, "svg"},
    {qv::ExportFormat::Pdf, texts::kExportPdf, "pdf"},
    {qv::ExportFormat::Png, texts::kExportPng, "png"},
    {qv::ExportFormat::Canvas, texts::kExportCanvas, "canvas"},
};

const ExportItem& ItemFor(qv::ExportFormat format) {
    for (const ExportItem& item : kItems)
        if (item.Format == format) return item;
    return kItems[0];
}

}  // namespace

ExportCommands::ExportCommands(TQuillovaMainForm& form, QMenu* menu)
    : QObject(menu), form_(form), menu_(menu) {}

ExportCommands* ExportCommands::Install(TQuillovaMainForm& form, QMenu& file, QAction* after) {
    auto* menu = new QMenu(texts::Q(texts::kMenuExport), &file);
    menu->setObjectName(QStringLiteral("ExportMenu"));
    menu->menuAction()->setStatusTip(texts::Q(texts::kHintExport));
    auto* commands = new ExportCommands(form, menu);
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
        commands->menu_->menuAction()->setEnabled(commands->form_.ActiveDocument() != nullptr);
    });
    return commands;
}

FileDialogRequest ExportCommands::DialogFor(qv::ExportFormat format, const qv::FragSet& document) {
    const ExportItem& item = ItemFor(format);
    FileDialogRequest r;
    r.Title = texts::Q(item.Texts[1]);
    r.Filter = texts::Q(item.Texts[2]);
    r.DefaultSuffix = QString::fromLatin1(item.Suffix);
    r.Save = true;
    // The document's own name with the format's extension; an untitled document is offered
    // "無題" rather than a bare extension, which would be a hidden file here.
    QString name = document.FileName.empty() ? texts::Q(texts::kUntitled)
                                             : QFile::decodeName(document.FileName.c_str());
    const QFileInfo info(name);
    if (!info.suffix().isEmpty()) name.chop(info.suffix().size() + 1);
    r.InitialPath = name + QLatin1Char('.') + r.DefaultSuffix;
    return r;
}

void ExportCommands::Export(qv::ExportFormat format) {
    if (!form_.ActiveDocument()) return;
    const FileDialogRequest request = DialogFor(format, *form_.ActiveDocument());
    const QString chosen = form_.Services().Files().Choose(&form_, request);
    if (chosen.isEmpty()) return;
    // The dialog is modal, but the document may have gone meanwhile (a close from another
    // instance); look again.
    qv::FragSet* document = form_.ActiveDocument();
    if (!document) return;

    std::string error;
    // A page no PNG may hold is refused at once, in the program's words.
    document->RefreshVisibility();
    const QSize page = qv::DocumentImageSize(*document);
    if (format == qv::ExportFormat::Png && !qv::PngFileHolds(page)) {
        const QString text =
            QLatin1Char('[') + chosen + texts::Q(texts::kExportFailed) +
            texts::Q(texts::kPngTooLarge).arg(qv::kMaxPngSide).arg(page.width()).arg(page.height());
        form_.Services().Prompts().Warning(qv::ToCp932(text), qv::PromptButtons::Ok);
        return;
    }
    form_.ShowMessage(texts::Q(texts::kExporting));
    bool written = false;
    // The program's pictures, plug-in formats included, as printing has them.
    qv::FilePictureLoader& files = form_.Services().PictureFiles();
    qv::PictureCache* pictures = &files.Cache();
    const qv::SpiUnit* plugins = files.Plugins();
    const DocumentSnapshot snapshot(*document);
    const std::string path = QFile::encodeName(chosen).toStdString();
    const OutputRun run =
        RunOutput(&form_, request.Title, texts::Q(texts::kExporting),
                  [&](const qv::OutputProgress& progress) {
                      const auto copy = snapshot.Make(plugins, pictures);
                      qv::RenderCache cache;
                      cache.SetPictureSource(pictures, plugins);
                      written = qv::ExportDocument(copy->Set(), path, format, cache, &error,
                                                   std::int64_t{4} << 20, progress);
                  });
    // Cancelled before the end: nothing was written. (A Cancel that came as the last bytes went
    // out is too late; the file is complete and is reported as written.)
    if (run == OutputRun::Cancelled && !written) {
        form_.ShowMessage(QString());
        return;
    }
    if (written) {
        form_.ShowMessage(chosen + texts::Q(texts::kExported));
        return;
    }
    form_.ShowMessage(QString());
    const QString text =
        QLatin1Char('[') + chosen + texts::Q(texts::kExportFailed) + QString::fromStdString(error);
    form_.Services().Prompts().Warning(qv::ToCp932(text), qv::PromptButtons::Ok);
}
