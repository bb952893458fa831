#include "app/output/output_run.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <thread>

#include "app/texts.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "render/painting/offscreen_document.h"
#include "render/painting/render_cache.h"
#include "render/pictures/picture_loader.h"

DocumentSnapshot::DocumentSnapshot(const qv::FragSet& document)
    : env_(std::make_unique<qv::EnvData>(document.Env())),
      text_(qv::FragmentFileText(document)),
      fileName_(document.FileName),
      showDivLines_(document.ShowDivLines) {
    for (std::size_t g = 0; g < shown_.size(); ++g)
        shown_[g] = document.GroupTable[g].Shown;
}

DocumentSnapshot::~DocumentSnapshot() = default;

std::unique_ptr<qv::OffscreenDocument> DocumentSnapshot::Make(const qv::SpiUnit* plugins,
                                                              qv::PictureCache* pictures) const {
    auto copy = std::make_unique<qv::OffscreenDocument>(*env_, plugins, 640, 480, pictures);
    qv::FragSet& set = copy->Set();
    qv::ReadFragmentBytes(set, text_, true, false);
    set.SetFileName(fileName_);
    set.SetDivLinesShown(showDivLines_);
    for (std::size_t g = 0; g < shown_.size(); ++g)
        set.ShowGroup(static_cast<int>(g), shown_[g]);
    return copy;
}

namespace {

// A progress dialog that is not put away before its output has stopped: Esc and closing it
// cancel like the button, and the dialog stays until the output ends.
class OutputProgressDialog final : public QProgressDialog {
  public:
    using QProgressDialog::QProgressDialog;
    void reject() override { emit canceled(); }
    // Wide enough for the longest caption (the JSON Canvas export's title) to show whole in the
    // title bar.
    QSize sizeHint() const override {
        const int caption = fontMetrics().horizontalAdvance(windowTitle()) * 3 / 2 + 120;
        return QProgressDialog::sizeHint().expandedTo(QSize(std::max(360, caption), 0));
    }

  protected:
    void closeEvent(QCloseEvent* event) override {
        emit canceled();
        event->ignore();
    }
};

}  // namespace

OutputRun RunOutput(QWidget* parent, const QString& caption, const QString& label,
                    const std::function<void(const qv::OutputProgress& progress)>& work) {
    constexpr int kSteps = 1000;
    std::atomic<int> done{0};
    std::atomic<bool> cancel{false};
    std::atomic<bool> finished{false};

    OutputProgressDialog dialog(label, texts::Q(texts::kButtonCancel), 0, kSteps, parent);
    dialog.setObjectName(QStringLiteral("OutputProgress"));
    dialog.setWindowTitle(caption);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(kOutputDialogDelayMs);

    // Cancelling only asks the output to stop; the dialog goes when it has.
    QObject::disconnect(&dialog, &QProgressDialog::canceled, &dialog, &QProgressDialog::cancel);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&] {
        if (cancel.exchange(true)) return;
        dialog.setLabelText(texts::Q(texts::kOutputCancelling));
        if (QPushButton* button = dialog.findChild<QPushButton*>()) button->setEnabled(false);
    });
    dialog.setValue(0);

    QEventLoop loop;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (finished.load()) {
            loop.quit();
            return;
        }
        // setValue also shows the dialog once the delay has passed.
        dialog.setValue(std::min(done.load(), kSteps - 1));
    });

    const qv::OutputProgress progress = [&](double share) {
        done.store(static_cast<int>(std::clamp(share, 0.0, 1.0) * kSteps));
        return !cancel.load();
    };
    std::thread worker([&] {
        work(progress);
        finished.store(true);
    });
    poll.start();
    loop.exec();
    worker.join();
    poll.stop();
    dialog.hide();
    return cancel.load() ? OutputRun::Cancelled : OutputRun::Finished;
}

QString DefaultOutputName(const qv::FragSet& document, const QString& suffix) {
    QString name = document.FileName.empty() ? texts::Q(texts::kUntitled)
                                             : QFile::decodeName(document.FileName.c_str());
    const QFileInfo info(name);
    if (!info.suffix().isEmpty()) name.chop(info.suffix().size() + 1);
    return name + QLatin1Char('.') + suffix;
}

OutputFileRun WriteOutputFile(QWidget* parent, const QString& caption, const QString& label,
                              const qv::FragSet& document, const QString& path,
                              qv::ExportFormat format, const qv::FilePictureLoader* pictures) {
    // Taken anew for every output: the plug-ins are rebuilt when their folder changes.
    qv::PictureCache* cached = pictures ? &pictures->Cache() : nullptr;
    const qv::SpiUnit* plugins = pictures ? pictures->Plugins() : nullptr;
    const DocumentSnapshot snapshot(document);
    const std::string file = QFile::encodeName(path).toStdString();
    OutputFileRun result;
    // Nothing is written unless the output runs.
    result.Written = {qv::WriteProblem::Cancelled, qv::kOutputCancelled, 0};
    result.Run = RunOutput(parent, caption, label, [&](const qv::OutputProgress& progress) {
        const auto copy = snapshot.Make(plugins, cached);
        qv::RenderCache cache;
        cache.SetPictureSource(cached, plugins);
        result.Written =
            qv::ExportDocument(copy->Set(), file, format, cache, std::int64_t{4} << 20, progress);
    });
    return result;
}
