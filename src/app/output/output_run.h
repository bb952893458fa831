// Long outputs — image output, the exports and printing — run on a thread of their own behind a
// modal progress dialog with a Cancel button, so the window keeps painting and answering while a
// large page is written. The output works on a copy of the document taken when it starts, so
// nothing the window does meanwhile (a repaint, a resize, a timer) touches what is being written.
// Image output and the exports share one shape: a name offered by DefaultOutputName, the file
// written by WriteOutputFile, the outcome reported by the command.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "core/settings/env_data.h"
#include "render/formats/document_export.h"
#include "render/painting/document_painter.h"

class QWidget;

namespace qv {
class FilePictureLoader;
class FragSet;
class OffscreenDocument;
class PictureCache;
class SpiUnit;
}  // namespace qv

// A document as an output sees it: its cards, lines, page and grid (as its file would hold them),
// which groups the window shows, the division-line switch, its name and the settings of the
// moment. Taken on the window's thread; Make builds the copy wherever the output runs.
class DocumentSnapshot {
  public:
    explicit DocumentSnapshot(const qv::FragSet& document);
    ~DocumentSnapshot();
    DocumentSnapshot(const DocumentSnapshot&) = delete;
    DocumentSnapshot& operator=(const DocumentSnapshot&) = delete;

    // The copy, with its pictures from `pictures` through `plugins` (either may be null: the
    // program's cache, no plug-ins). Lives as long as the returned document.
    std::unique_ptr<qv::OffscreenDocument> Make(const qv::SpiUnit* plugins,
                                                qv::PictureCache* pictures) const;

  private:
    // The settings are copied: the copy's cards measure and draw with them while the options
    // may change in the window.
    std::unique_ptr<qv::EnvData> env_;
    std::string text_;
    std::string fileName_;
    bool showDivLines_ = false;
    std::array<bool, qv::kGroupRows> shown_{};
};

enum class OutputRun { Finished, Cancelled };

// Runs `work` on a thread of its own and returns when it has ended. While it runs, a modal
// progress dialog titled `caption` (shown after a moment, so a quick output does not flash one)
// says `label` and follows the progress `work` reports; its Cancel (the button, Esc or closing it)
// makes that progress return false, and the dialog stays, saying so, until `work` has stopped.
// Cancelled when the user cancelled, whatever `work` then did.
OutputRun RunOutput(QWidget* parent, const QString& caption, const QString& label,
                    const std::function<void(const qv::OutputProgress& progress)>& work);

// How long an output runs before its dialog shows (milliseconds).
inline constexpr int kOutputDialogDelayMs = 300;

// The file offered for an output of `document` in the format of `suffix` ("svg", "JPG"): the
// document's own name with that extension in place of its own; an untitled document is offered
// "無題" rather than a bare extension, which would be a hidden file here.
QString DefaultOutputName(const qv::FragSet& document, const QString& suffix);

// How an output to a file ended: whether the user cancelled, and what the write came to.
struct OutputFileRun {
    OutputRun Run = OutputRun::Finished;
    qv::WriteResult Written;
};

// Writes `document` to `path` in `format` through the document output (ExportDocument), behind
// RunOutput's dialog titled `caption` saying `label`, from a snapshot taken now. Pictures come at
// full size from `pictures`, plug-in formats included (null: the program's cache, no plug-ins).
OutputFileRun WriteOutputFile(QWidget* parent, const QString& caption, const QString& label,
                              const qv::FragSet& document, const QString& path,
                              qv::ExportFormat format, const qv::FilePictureLoader* pictures);
