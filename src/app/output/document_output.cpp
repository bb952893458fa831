#include "app/output/document_output.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "app/output/output_run.h"
#include "app/texts.h"
#include "core/model/frag_set.h"
#include "core/model/ports.h"
#include "core/settings/env_data.h"
#include "render/formats/document_export.h"
#include "render/painting/document_painter.h"
#include "render/painting/offscreen_document.h"
#include "render/pictures/picture_loader.h"
#include "render/text/qt_text.h"
#include "render/painting/render_cache.h"

DocumentOutput::DocumentOutput(qv::EnvData& env, qv::Prompts& prompts, QWidget* parent)
    : env_(env), prompts_(prompts), parent_(parent) {
    ConfirmPrint = [this](QPrinter& printer) {
        QPrintDialog dlg(&printer, parent_);
        return dlg.exec() == QDialog::Accepted;
    };
    ChooseImageFile = [this](const ImageFileRequest& r) -> std::optional<QString> {
        QFileDialog dlg(parent_, r.Title);
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setNameFilters(r.Filters);
        dlg.selectNameFilter(r.Filters.value(r.SelectedFilter));
        dlg.setDefaultSuffix(r.DefaultSuffix);
        dlg.selectFile(r.InitialName);
        // A name typed without an extension takes the type chosen in the list.
        QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg, &r](const QString& f) {
            dlg.setDefaultSuffix(f == r.Filters.value(1) ? QStringLiteral("JPG")
                                                         : QStringLiteral("BMP"));
        });
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
        return dlg.selectedFiles().first();
    };
}

DocumentOutput::~DocumentOutput() = default;

QPrinter& DocumentOutput::Printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // Without an installed printer the dialog still offers printing to a PDF file.
        if (QPrinterInfo::availablePrinterNames().isEmpty())
            printer_->setOutputFormat(QPrinter::PdfFormat);
    }
    return *printer_;
}

void DocumentOutput::Warn(const QString& text) const {
    prompts_.Warning(qv::ToCp932(text), qv::PromptButtons::Ok);
}

void DocumentOutput::FilePrint(qv::FragSet& document) {
    emit StatusMessage(texts::Q(texts::kPrinterSetup));
    QPrinter& printer = Printer();
    printer.setPageOrientation(QPageLayout::Landscape);
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty()) {
        // Beside the document, or in the home folder for an untitled one.
        const QString name = DefaultOutputName(document, QStringLiteral("pdf"));
        printer.setOutputFileName(document.FileName.empty() ? QDir(QDir::homePath()).filePath(name)
                                                            : QFileInfo(name).absoluteFilePath());
    }
    emit StatusMessage(QString());
    if (ConfirmPrint && ConfirmPrint(printer)) PrintDocument(printer, document);
}

bool DocumentOutput::PrintDocument(QPrinter& printer, qv::FragSet& document) {
    // Taken anew for every print: the plug-ins are rebuilt when their folder changes.
    qv::PictureCache* pictures = pictures_ ? &pictures_->Cache() : nullptr;
    const qv::SpiUnit* plugins = pictures_ ? pictures_->Plugins() : nullptr;
    const DocumentSnapshot snapshot(document);
    bool opened = false, whole = false, ended = false;
    // Qt paints on a printer from any one thread at a time; the print dialog is done with it and
    // the progress dialog keeps everything else away until the page is finished.
    const OutputRun run =
        RunOutput(parent_, texts::Q(texts::kPrintTitle), texts::Q(texts::kPrinting),
                  [&](const qv::OutputProgress& progress) {
                      QPainter painter;
                      if (!(opened = painter.begin(&printer))) return;
                      const auto copy = snapshot.Make(plugins, pictures);
                      qv::RenderCache cache;
                      cache.SetPictureSource(pictures, plugins);
                      // The painter's origin is the printable area's top-left corner.
                      const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
                      whole = qv::PrintDocumentPage(painter, copy->Set(), cache, page.width(),
                                                    page.height(), progress);
                      // A page stopped half-way is not sent where the printer allows it.
                      if (!whole) printer.abort();
                      ended = painter.end();
                  });
    if (!opened) {
        const QString target = printer.outputFormat() == QPrinter::PdfFormat
                                   ? printer.outputFileName()
                                   : printer.printerName();
        Warn(texts::Q(texts::kPrintFailed).arg(target));
        return false;
    }
    if (run == OutputRun::Cancelled && !whole) {
        // A file printed to is removed: it holds only part of the page.
        if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
            QFile::remove(printer.outputFileName());
        return false;
    }
    return ended;
}

DocumentOutput::ImageFileRequest DocumentOutput::ImageRequestFor(const qv::FragSet& doc) const {
    ImageFileRequest r;
    r.Title = texts::Q(texts::kImageOutputTitle);
    for (std::string_view filter : texts::kImageFilters)
        r.Filters << texts::Q(filter);
    const bool jpeg = env_.ImgFilterIdx == 2;
    r.SelectedFilter = jpeg ? 1 : 0;
    r.DefaultSuffix = jpeg ? QStringLiteral("JPG") : QStringLiteral("BMP");
    r.InitialName = DefaultOutputName(doc, r.DefaultSuffix);
    return r;
}

void DocumentOutput::FileImgOut(qv::FragSet& document) {
    if (!ChooseImageFile) return;
    const std::optional<QString> chosen = ChooseImageFile(ImageRequestFor(document));
    if (!chosen || chosen->isEmpty()) return;
    const QString& path = *chosen;
    const qv::ExportFormat format = qv::ExportFormatOf(QFile::encodeName(path).toStdString());
    env_.ImgFilterIdx = format == qv::ExportFormat::Jpeg ? 2 : 1;
    // Image output makes pictures only; the other formats are the export submenu's.
    if (format != qv::ExportFormat::Bmp && format != qv::ExportFormat::Jpeg) {
        Warn(texts::Q(texts::kImageNameNeeded).arg(path));
        return;
    }

    emit StatusMessage(texts::Q(texts::kSavingImage));
    const OutputFileRun run =
        WriteOutputFile(parent_, texts::Q(texts::kImageOutputTitle), texts::Q(texts::kSavingImage),
                        document, path, format, pictures_);
    emit StatusMessage(QString());
    if (run.Written || run.Written.Problem == qv::WriteProblem::Cancelled) return;
    Warn(texts::Q(texts::kImageSaveFailed).arg(path, QString::fromStdString(run.Written.Error)));
}
