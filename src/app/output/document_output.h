// Printing a document on one page and saving it as a BMP or JPEG picture: the commands FilePrint
// and FileImgOut with their dialogs, status texts and messages. The drawing itself is the render
// layer's (PrintDocumentPage, ExportDocument), run beside the window on a copy of the document
// behind a progress dialog with Cancel (RunOutput); each output has a render cache of its own.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

namespace qv {
class EnvData;
class FilePictureLoader;
class FragSet;
class Prompts;
class RenderCache;
}  // namespace qv

class DocumentOutput final : public QObject {
    Q_OBJECT

  public:
    // Failures are reported through `prompts`; dialogs belong to `parent`.
    DocumentOutput(qv::EnvData& env, qv::Prompts& prompts, QWidget* parent);
    ~DocumentOutput() override;

    // FilePrint: landscape (every time; the dialog may change it), the print dialog, then one
    // page. Printing to a PDF file is offered by the dialog even when no printer is installed.
    void FilePrint(qv::FragSet& document);
    // Prints the document on exactly one page of `printer`, scaled to fit. False (with a message
    // already shown) when the printer or file could not be opened, and when the user cancelled
    // (a file printed to is then removed).
    bool PrintDocument(QPrinter& printer, qv::FragSet& document);

    // FileImgOut: asks for a file name, then writes the whole document as a picture. A name
    // without ".BMP", ".JPG" or ".JPEG" and every failure are reported.
    void FileImgOut(qv::FragSet& document);

    // The printer kept between prints (its settings stay as the user left them).
    QPrinter& Printer();

    // Where printing takes pictures at full size: the cards' own loader, so that files only an
    // image plug-in reads print sharp too. Without one, pictures print from the cards' copies.
    void SetPictureFiles(const qv::FilePictureLoader* pictures) { pictures_ = pictures; }

    // The dialogs; tests replace them. ConfirmPrint returns whether to print.
    std::function<bool(QPrinter& printer)> ConfirmPrint;
    struct ImageFileRequest {
        QString Title;
        QStringList Filters;
        int SelectedFilter = 0;  // index into Filters
        QString DefaultSuffix;
        QString InitialName;
    };
    std::function<std::optional<QString>(const ImageFileRequest& request)> ChooseImageFile;

    // The request FileImgOut would open the dialog with.
    ImageFileRequest ImageRequestFor(const qv::FragSet& document) const;

  signals:
    // A text for status panel 2 while a command works (empty clears it), to be shown at once.
    void StatusMessage(const QString& text);

  private:
    void Warn(const QString& text) const;

    qv::EnvData& env_;
    qv::Prompts& prompts_;
    QWidget* parent_;
    std::unique_ptr<QPrinter> printer_;
    const qv::FilePictureLoader* pictures_ = nullptr;
};
