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
#include "render/document_painter.h"
#include "render/offscreen_document.h"
#include "render/picture_loader.h"
#include "render/qt_text.h"
#include "render/render_cache.h"

namespace {

const QStringList kImageFilters = {QStringLiteral("ビットマップファイル (*.BMP)"),
                                   QStringLiteral("JPEGファイル(*.JPG)")};

}  // namespace

DocumentOutput::DocumentOutput(qv::EnvData& env, qv::Prompts& prompts, QWidget* parent,
                               std::function<void(const QString&)> status)
    : env_(env), prompts_(prompts), parent_(parent), status_(std::move(status)) {
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
    if (status_) status_(QStringLiteral("プリンタ設定中..."));
    QPrinter& printer = Printer();
    printer.setPageOrientation(QPageLayout::Landscape);
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty()) {
        // Beside the document, or in the home folder for an untitled one.
        const QFileInfo doc(QFile::decodeName(document.FileName.c_str()));
        const QString folder = document.FileName.empty() ? QDir::homePath() : doc.absolutePath();
        const QString base =
            document.FileName.empty() ? QStringLiteral("無題") : doc.completeBaseName();
        printer.setOutputFileName(QDir(folder).filePath(base + QStringLiteral(".pdf")));
    }
    if (status_) status_(QString());
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
        Warn(QStringLiteral("[%1]印刷できませんでした").arg(target));
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
    r.Filters = kImageFilters;
    const bool jpeg = env_.ImgFilterIdx == 2;
    r.SelectedFilter = jpeg ? 1 : 0;
    r.DefaultSuffix = jpeg ? QStringLiteral("JPG") : QStringLiteral("BMP");
    // The document's own name with the picture's extension; an untitled document is offered
    // "無題" rather than a bare extension, which would be a hidden file here.
    QString name =
        doc.FileName.empty() ? QStringLiteral("無題") : QFile::decodeName(doc.FileName.c_str());
    const QFileInfo info(name);
    if (!info.suffix().isEmpty()) name.chop(info.suffix().size() + 1);
    r.InitialName = name + QLatin1Char('.') + r.DefaultSuffix;
    return r;
}

void DocumentOutput::FileImgOut(qv::FragSet& document) {
    if (!ChooseImageFile) return;
    const std::optional<QString> chosen = ChooseImageFile(ImageRequestFor(document));
    if (!chosen || chosen->isEmpty()) return;
    const QString& path = *chosen;
    const QString ext = QFileInfo(path).suffix().toUpper();
    env_.ImgFilterIdx = ext == QLatin1String("JPG") || ext == QLatin1String("JPEG") ? 2 : 1;

    if (status_) status_(texts::Q(texts::kSavingImage));
    qv::PictureCache* pictures = pictures_ ? &pictures_->Cache() : nullptr;
    const qv::SpiUnit* plugins = pictures_ ? pictures_->Plugins() : nullptr;
    const DocumentSnapshot snapshot(document);
    const std::string file = QFile::encodeName(path).toStdString();
    std::string error;
    qv::ImageSaveStatus result = qv::ImageSaveStatus::Cancelled;
    RunOutput(parent_, texts::Q(texts::kImageOutputTitle), texts::Q(texts::kSavingImage),
              [&](const qv::OutputProgress& progress) {
                  const auto copy = snapshot.Make(plugins, pictures);
                  qv::RenderCache cache;
                  cache.SetPictureSource(pictures, plugins);
                  result = qv::SaveDocumentImage(copy->Set(), file, cache, &error,
                                                 std::int64_t{4} << 20, progress);
              });
    if (status_) status_(QString());

    switch (result) {
        case qv::ImageSaveStatus::Saved:
        case qv::ImageSaveStatus::Cancelled:
            break;
        case qv::ImageSaveStatus::UnsupportedType:
            Warn(QStringLiteral("[%1]画像は .BMP か .JPG の名前で保存してください").arg(path));
            break;
        default:
            Warn(QStringLiteral("[%1]画像を保存できませんでした\n%2")
                     .arg(path, QString::fromStdString(error)));
            break;
    }
}
