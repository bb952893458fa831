#include "app/main_window/export_commands.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include "app/app_services.h"
#include "app/main_window/main_form.h"
#include "core/model/frag_set.h"
#include "render/qt_text.h"
#include "render/render_cache.h"

namespace {

struct ExportItem {
    qv::ExportFormat Format;
    const char* Caption;
    const char* Title;
    const char* Filter;
    const char* Suffix;
};

constexpr ExportItem kItems[] = {
    {qv::ExportFormat::Svg, "SVG(&S)...", "SVG として書き出し", "SVG 画像 (*.svg *.SVG)", "svg"},
    {qv::ExportFormat::Pdf, "PDF(&P)...", "PDF として書き出し", "PDF 文書 (*.pdf *.PDF)", "pdf"},
    {qv::ExportFormat::Png, "PNG(&N)...", "PNG として書き出し", "PNG 画像 (*.png *.PNG)", "png"},
    {qv::ExportFormat::Canvas, "JSON Canvas(&J)...", "JSON Canvas として書き出し",
     "JSON Canvas (*.canvas)", "canvas"},
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
    auto* menu = new QMenu(QStringLiteral("エクスポート(&E)"), &file);
    menu->setObjectName(QStringLiteral("ExportMenu"));
    menu->menuAction()->setStatusTip(
        QStringLiteral("文書を SVG・PDF・PNG・JSON Canvas のファイルに書き出します"));
    auto* commands = new ExportCommands(form, menu);
    for (const ExportItem& item : kItems) {
        QAction* action = menu->addAction(QString::fromUtf8(item.Caption));
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
    r.Title = QString::fromUtf8(item.Title);
    r.Filter = QString::fromUtf8(item.Filter);
    r.DefaultSuffix = QString::fromLatin1(item.Suffix);
    r.Save = true;
    // The document's own name with the format's extension; an untitled document is offered
    // "無題" rather than a bare extension, which would be a hidden file here.
    QString name = document.FileName.empty() ? QStringLiteral("無題")
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

    QApplication::setOverrideCursor(Qt::WaitCursor);
    form_.ShowMessage(QStringLiteral("書き出し中..."));
    std::string error;
    qv::RenderCache cache;
    const bool written = qv::ExportDocument(*document, QFile::encodeName(chosen).toStdString(),
                                            format, cache, &error);
    QApplication::restoreOverrideCursor();
    if (written) {
        form_.ShowMessage(chosen + QStringLiteral(" に書き出しました"));
        return;
    }
    form_.ShowMessage(QString());
    const QString text = QLatin1Char('[') + chosen + QStringLiteral("]を書き出せませんでした\n") +
                         QString::fromStdString(error);
    form_.Services().Prompts().Warning(qv::ToCp932(text), qv::PromptButtons::Ok);
}
