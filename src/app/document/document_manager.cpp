#include "app/document/document_manager.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QInputMethod>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMetaMethod>
#include <QTimer>
#include <filesystem>

#include "app/app_services.h"
#include "app/commands/command_table.h"
#include "app/document/document_frame.h"
#include "app/document/mdi_child.h"
#include "app/file_chooser.h"
#include "app/platform/link_follower.h"
#include "app/platform/reasons.h"
#include "app/texts.h"
#include "core/content/spi_unit.h"
#include "core/fs/read_file.h"
#include "core/io/canvas_import.h"
#include "core/io/fragment_file.h"
#include "core/io/read_result.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "core/settings/file_history.h"
#include "core/settings/paths.h"
#include "core/text/cp932.h"
#include "core/text/text_helpers.h"
#include "render/pictures/picture.h"
#include "render/text/qt_text.h"

namespace {

// The document window inside a frame window of the area.
QMdiSubWindow* FrameOf(TMDIChild* window) {
    return window ? qobject_cast<QMdiSubWindow*>(window->parentWidget()) : nullptr;
}

// A path in a message (code page 932), as near as it can be shown.
std::string Shown(const std::string& path) {
    return qv::Utf8ToCp932(path).Bytes;
}

bool IsPicturePath(const QString& upperSuffix, const qv::SpiUnit& plugins) {
    const std::string ext = std::string(".").append(upperSuffix.toStdString());
    if (qv::PictureFormatOf(ext) != qv::PictureFormat::Other) return true;
    for (const qv::spi_info& plugin : plugins.Plugins()) {
        if (!plugin.Pattern.empty() && qv::PatternExtension(plugin.Pattern) == ext) return true;
    }
    return false;
}

}  // namespace

DocumentManager::DocumentManager(AppServices& services, QObject* parent)
    : QObject(parent), services_(services), watcher_(new QFileSystemWatcher(this)) {
    services_.Links().SetDocuments(this);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &DocumentManager::FileChanged);
}

void DocumentManager::Attach(QMdiArea& area, DocumentFrame& frame) {
    area_ = &area;
    frame_ = &frame;
}

DocumentManager::~DocumentManager() {
    services_.Links().SetDocuments(nullptr);
}

// ---- The open documents ----

TMDIChild* DocumentManager::ActiveChild() const {
    QMdiSubWindow* sub = area_->activeSubWindow();
    if (!sub) sub = area_->currentSubWindow();
    return sub ? qobject_cast<TMDIChild*>(sub->widget()) : nullptr;
}

qv::FragSet* DocumentManager::ActiveDocument() const {
    TMDIChild* child = ActiveChild();
    return child ? &child->Set() : nullptr;
}

int DocumentManager::DocumentCount() const {
    return static_cast<int>(area_->subWindowList().size());
}

QList<TMDIChild*> DocumentManager::Children() const {
    QList<TMDIChild*> list;
    for (QMdiSubWindow* sub : area_->subWindowList()) {
        if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) list.append(child);
    }
    return list;
}

TMDIChild* DocumentManager::FindDocument(const std::string& path) const {
    const QList<QMdiSubWindow*> windows = area_->subWindowList();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        auto* child = qobject_cast<TMDIChild*>((*it)->widget());
        if (child && !child->Set().FileName.empty() &&
            qv::SameDocumentPath(child->Set().FileName, path)) {
            return child;
        }
    }
    return nullptr;
}

std::optional<qv::FileStamp> DocumentManager::DiskStamp(const TMDIChild& window) const {
    const auto it = stamps_.find(&window);
    return it == stamps_.end() ? std::nullopt : it->second;
}

// ---- Opening ----

TMDIChild* DocumentManager::MakeWindow() {
    auto* child = new TMDIChild(services_, *this);
    stamps_[child] = std::nullopt;
    auto* settle = new QTimer(child);
    settle->setObjectName(QStringLiteral("FileSettle"));
    settle->setSingleShot(true);
    settle->setInterval(kFileSettleMs);
    connect(settle, &QTimer::timeout, this, [this, child] { CheckFile(*child); });
    watches_[child].Settle = settle;
    connect(child, &QObject::destroyed, this, [this, child] {
        stamps_.erase(child);
        watches_.erase(child);
        // The frames are half torn down now: the files are looked at when the loop turns.
        QMetaObject::invokeMethod(this, [this] { SyncWatches(); }, Qt::QueuedConnection);
    });
    // Every close of the window, whoever starts it, asks the document first.
    child->installEventFilter(this);
    // A key or click handled by the window ends an edit of its own (a drag ends at the release).
    connect(child, &TMDIChild::InputHandled, this, [child] {
        if (!child->Set().Dragging()) child->Set().History().Commit();
    });
    frame_->AddDocumentWindow(*child);
    return child;
}

TMDIChild* DocumentManager::NewDocumentWindow() {
    return DocumentCount() < kMaxDocuments ? MakeWindow() : nullptr;
}

TMDIChild* DocumentManager::NewDocument() {
    const auto hold = services_.Refresh().HoldViews();
    TMDIChild* child = NewDocumentWindow();
    if (!child) return nullptr;
    if (services_.Env().NewFixedScr) child->Set().SetFixedSize(true);
    child->Set().RedrawAll();
    return child;
}

void DocumentManager::OpenHandedOver(const std::string& filePath) {
    frame_->BringToFront();
    if (filePath.empty()) return;
    const std::string path = qv::AbsoluteDocumentPath(filePath);
    if (DocumentCount() >= kMaxDocuments && !FindDocument(path)) {
        services_.Prompts().Warning(std::string("[")
                                        .append(Shown(path))
                                        .append("]\n")
                                        .append(texts::Cp932(texts::kCannotOpenMore)),
                                    qv::PromptButtons::Ok);
        return;
    }
    OpenDocument(path);
}

qv::ReadResult DocumentManager::Read(TMDIChild& window, const std::string& path,
                                     const qv::WholeFile& bytes) {
    window.SetReadingFrom(path);
    qv::ReadResult result = qv::ReadFragmentFile(window.Set(), path, bytes, false);
    window.SetReadingFrom({});
    stamps_[&window] = qv::StampOf(path);
    window.UpdateCaption();
    return result;
}

void DocumentManager::ReportConversion(const std::string& shownPath, const qv::ReadResult& read) {
    if (!read.ConvertedFromUtf8) return;
    std::string text =
        "[" + shownPath +
        texts::Cp932(read.Utf16 ? texts::kConvertedFromUtf16 : texts::kConvertedFromUtf8);
    if (!read.UnconvertibleLines.empty()) {
        text += texts::Cp932(texts::kUnconvertibleLines);
        for (std::size_t i = 0; i < read.UnconvertibleLines.size(); ++i)
            text += (i ? ", " : "") + std::to_string(read.UnconvertibleLines[i]);
    }
    services_.Prompts().Warning(text, qv::PromptButtons::Ok);
}

TMDIChild* DocumentManager::OpenDocument(const std::string& filePath) {
    qv::EnvData& env = services_.Env();
    const auto hold = services_.Refresh().HoldViews();

    const std::string path = qv::AbsoluteDocumentPath(filePath);
    // Messages are code page 932 text; the path is shown as near as it can be.
    const std::string shownPath = Shown(path);
    if (TMDIChild* open = FindDocument(path)) {
        frame_->ShowDocumentWindow(FrameOf(open));
        return open;
    }
    if (DocumentCount() >= kMaxDocuments) return nullptr;
    // The file is read once: the look at its first line and the reading use the same bytes.
    const qv::WholeFile bytes =
        qv::ReadWholeFile(std::filesystem::path(path), qv::kMaxDocumentFileSize);
    if (bytes.Status == qv::WholeFile::Result::Missing) {
        services_.Prompts().Warning("[" + shownPath + texts::Cp932(texts::kDoesNotExist),
                                    qv::PromptButtons::Ok);
        return nullptr;
    }
    if (bytes.Status != qv::WholeFile::Result::Read) {
        // A folder, a device or a file this user may not read would open as an empty document.
        services_.Prompts().Warning(
            "[" + shownPath + texts::Cp932(texts::kCannotRead) +
                qv::ToCp932(qv::ReadFailureReason(bytes.Problem, bytes.Why)),
            qv::PromptButtons::Ok);
        return nullptr;
    }
    if (qv::HasCanvasExtension(path)) return OpenCanvas(path, shownPath, bytes);
    const bool foreign =
        qv::CheckFragmentBytes(path, bytes.Bytes) != qv::FragmentFileCheck::FragmentFile;
    if (foreign &&
        services_.Prompts().Warning("[" + shownPath + texts::Cp932(texts::kNotFragmentFile),
                                    qv::PromptButtons::YesNo) != qv::PromptAnswer::Yes)
        return nullptr;

    TMDIChild* child = MakeWindow();
    qv::FragSet& set = child->Set();

    // The view of the document as it was left: shown groups, scroll position, group-list group.
    const std::optional<qv::FileHistoryRecord> left = env.FindFileHistory(path);
    if (left) {
        for (int g = 1; g <= qv::kMaxGroup; ++g)
            set.ShowGroup(g, left->GroupShown[static_cast<std::size_t>(g - 1)]);
        set.PickGroupListGroup(left->GroupListGroup);
    }

    const qv::ReadResult read = Read(*child, path, bytes);
    if (foreign) set.MarkModified();
    ReportConversion(shownPath, read);
    set.RefreshVisibility();
    // Undo goes back to the document as it was opened, name plates on top as it shows them.
    set.History().Reset();
    if (env.RestoreScrPos) {
        child->SetScrollPosition(qv::ScrollAxis::Vertical, left ? left->ScrollY : 0);
        child->SetScrollPosition(qv::ScrollAxis::Horizontal, left ? left->ScrollX : 0);
    }
    SyncWatches();
    return child;
}

TMDIChild* DocumentManager::OpenCanvas(const std::string& path, const std::string& shownPath,
                                       const qv::WholeFile& bytes) {
    const std::string documentPath = qv::CanvasDocumentPath(path);
    if (TMDIChild* open = FindDocument(documentPath)) {
        frame_->ShowDocumentWindow(FrameOf(open));
        return open;
    }
    TMDIChild* child = MakeWindow();
    qv::FragSet& set = child->Set();
    // Pictures with relative paths are beside the canvas, as the document will be.
    child->SetReadingFrom(path);
    const qv::ReadResult read = qv::ImportCanvasFile(set, path, bytes, documentPath);
    child->SetReadingFrom({});
    if (read.Status == qv::ReadStatus::Unreadable) {
        child->ApproveClose();
        if (QMdiSubWindow* frame = FrameOf(child)) frame->close();
        services_.Prompts().Warning("[" + shownPath + texts::Cp932(texts::kCanvasUnreadable) +
                                        qv::ToCp932(QString::fromStdString(read.Why)),
                                    qv::PromptButtons::Ok);
        return nullptr;
    }
    // A document of that name on disk is another one: saving over it asks first.
    stamps_[child] =
        qv::StampOf(documentPath) ? std::optional(qv::FileStamp{-1, 0, 0, 0}) : std::nullopt;
    child->UpdateCaption();
    if (!read.Complete() || read.ItemsSkipped > 0 || read.TextsCut > 0) {
        QString text =
            QLatin1Char('[') + QFile::decodeName(path.c_str()) + texts::Q(texts::kCanvasImported);
        if (read.Status == qv::ReadStatus::CutShort)
            text += texts::Q(texts::kCanvasDropped).arg(read.GroupsDropped).arg(read.CardsDropped);
        if (!read.UnconvertibleCards.empty()) {
            text += texts::Q(texts::kCanvasUnconvertibleCards);
            for (std::size_t i = 0; i < read.UnconvertibleCards.size(); ++i)
                text += (i ? QStringLiteral(", ") : QString()) +
                        QString::number(read.UnconvertibleCards[i]);
        }
        if (read.ItemsSkipped > 0) text += texts::Q(texts::kCanvasSkipped).arg(read.ItemsSkipped);
        if (read.TextsCut > 0) text += texts::Q(texts::kCanvasTextsCut).arg(read.TextsCut);
        services_.Prompts().Warning(qv::ToCp932(text), qv::PromptButtons::Ok);
    }
    set.RefreshVisibility();
    return child;
}

void DocumentManager::OpenStartDocument() {
    // Before the start document: one restored here is then found open instead of read again.
    emit StartDocumentDue();
    const qv::EnvData& env = services_.Env();
    if (!services_.StartFile().empty()) {
        OpenDocument(services_.StartFile());
    } else if (env.OpenLastFile && !env.LastFile.empty()) {
        if (const auto path = qv::PathFromStorage(env.LastFile)) OpenDocument(*path);
    } else if (const auto home = qv::PathFromStorage(env.HomeWindow); home && !home->empty()) {
        TMDIChild* child = OpenDocument(*home);
        if (child && env.HomWinMaximize && FrameOf(child)) FrameOf(child)->showMaximized();
    }
}

TMDIChild* DocumentManager::RestoreDocument(const std::string& path, std::string_view bytes,
                                            const std::optional<qv::FileStamp>& stamp) {
    TMDIChild* child = NewDocumentWindow();
    if (!child) return nullptr;
    qv::FragSet& set = child->Set();
    // Pictures with relative paths are looked up beside the document, as when it was open.
    child->SetReadingFrom(path);
    qv::ReadFragmentBytes(set, bytes, true, false);
    child->SetReadingFrom({});
    // Modified and never read-only: closing a read-only document would drop the restored
    // changes unasked.
    set.AdoptRecovered(path);
    stamps_[child] = stamp;
    set.RefreshVisibility();
    set.RedrawAll();
    set.History().Reset();
    child->UpdateCaption();
    SyncWatches();
    return child;
}

// ---- Saving ----

bool DocumentManager::Save(TMDIChild& window) {
    const qv::FragSet& set = window.Set();
    if (set.FileName.empty()) return SaveAs(window);
    if (qv::ChangedOnDisk(set.FileName, DiskStamp(window))) {
        // Someone else wrote the file since this window read it: their work would be lost.
        const QString question = QLatin1Char('[') + QFile::decodeName(set.FileName.c_str()) +
                                 texts::Q(texts::kChangedElsewhere);
        if (services_.Prompts().Question(qv::ToCp932(question), qv::PromptButtons::YesNo) !=
            qv::PromptAnswer::Yes)
            return false;
    }
    return WriteTo(window, set.FileName);
}

bool DocumentManager::SaveAs(TMDIChild& window) {
    const std::string& name = window.Set().FileName;
    const QString chosen = services_.Files().Choose(
        &window, SaveDocumentAsDialog(name.empty() ? QString() : QFile::decodeName(name.c_str())));
    if (chosen.isEmpty()) return false;
    // The file name stays the user's own bytes.
    return WriteTo(window, QFile::encodeName(chosen).toStdString());
}

bool DocumentManager::WriteTo(TMDIChild& window, const std::string& path) {
    const qv::WriteResult written = qv::SaveFragmentFile(window.Set(), path);
    if (written) {
        stamps_[&window] = qv::StampOf(path);
        window.UpdateCaption();
        // Saved under another name, the window watches that file instead.
        SyncWatches();
        emit DocumentSaved(&window);
        return true;
    }
    // The document keeps its name, its modified flag and its caption.
    services_.Prompts().Warning(
        qv::ToCp932(texts::Q(texts::kSaveFailed) + QStringLiteral("\n[") +
                    QFile::decodeName(path.c_str()) + texts::Q(texts::kSaveFailedIn) +
                    qv::WriteFailureReason(written, path)),
        qv::PromptButtons::Ok);
    return false;
}

// ---- Closing ----

bool DocumentManager::CloseQuery(TMDIChild& window) {
    if (window.CloseApproved()) return true;
    if (!AskToClose(window)) return false;
    AgreeToClose(window);
    return true;
}

bool DocumentManager::AskToClose(TMDIChild& window) {
    if (window.CloseApproved()) return true;
    qv::FragSet& set = window.Set();
    if (set.ReadOnly || !set.Modified) return true;
    // The answer is for this close only: a close that does not happen after all (another
    // document cancelled the exit) must ask again next time, and must not save unasked.
    struct Forget {
        TMDIChild& window;
        ~Forget() { window.SaveOnClose(false); }
    } forget{window};
    if (!window.SavesOnClose()) {
        const std::string name = set.FileName.empty()
                                     ? texts::Cp932(texts::kUntitled)
                                     : qv::ToCp932(QFile::decodeName(set.FileName.c_str()));
        switch (services_.Prompts().Question("[" + name + texts::Cp932(texts::kSaveQuestion),
                                             qv::PromptButtons::YesNoCancel)) {
            case qv::PromptAnswer::Cancel:
                return false;
            case qv::PromptAnswer::Yes:
                window.SaveOnClose();
                break;
            default:
                break;
        }
    }
    // A cancelled name or a failed write keeps the window, and the document, open.
    return !window.SavesOnClose() || Save(window);
}

void DocumentManager::AgreeToClose(TMDIChild& window) {
    if (window.CloseApproved()) return;
    const qv::FragSet& set = window.Set();
    if (auto record = qv::FileHistoryRecord::ForDocument(set.FileName)) {
        for (int g = 1; g <= qv::kMaxGroup; ++g)
            record->GroupShown[static_cast<std::size_t>(g - 1)] =
                set.GroupTable[static_cast<std::size_t>(g)].Shown;
        record->ScrollY = window.ScrollPosition(qv::ScrollAxis::Vertical);
        record->ScrollX = window.ScrollPosition(qv::ScrollAxis::Horizontal);
        record->GroupListGroup = set.GroupListGroup;
        services_.Env().AddRecentFile(*record);
    }
    window.ApproveClose();
}

bool DocumentManager::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Close) return QObject::eventFilter(watched, event);
    auto* window = qobject_cast<TMDIChild*>(watched);
    if (!window) return QObject::eventFilter(watched, event);
    if (!CloseQuery(*window)) {
        event->ignore();
        return true;
    }
    SyncWatches(window);
    emit DocumentClosed(window);
    return false;
}

void DocumentManager::CloseActive() {
    if (QMdiSubWindow* sub = area_->activeSubWindow()) sub->close();
}

bool DocumentManager::CloseAll() {
    const QList<QMdiSubWindow*> windows = area_->subWindowList();
    // Every document is asked before any closes; one that refuses leaves all of them open as
    // they were, asking again at the next close and kept out of the recent files.
    for (QMdiSubWindow* sub : windows) {
        auto* child = qobject_cast<TMDIChild*>(sub->widget());
        if (child && !AskToClose(*child)) return false;
    }
    TMDIChild* active = ActiveChild();
    // A path the settings file cannot hold exactly is left out rather than stored as another.
    services_.Env().LastFile = exitLastFile_ ? *exitLastFile_
                               : active      ? qv::PathForStorage(active->Set().FileName).Bytes
                                             : std::string();
    for (QMdiSubWindow* sub : windows) {
        if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) AgreeToClose(*child);
        sub->close();
    }
    return true;
}

std::string DocumentManager::SaveAndCloseAll() {
    TMDIChild* active = ActiveChild();
    // A path the settings file cannot hold exactly is left out rather than stored as another.
    std::string lastFile =
        active ? qv::PathForStorage(active->Set().FileName).Bytes : std::string();
    services_.Env().LastFile = lastFile;
    const QList<QMdiSubWindow*> windows = area_->subWindowList();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (auto* child = qobject_cast<TMDIChild*>((*it)->widget())) child->SaveOnClose();
        (*it)->close();
    }
    return lastFile;
}

// ---- Files changed on disk ----

QStringList DocumentManager::WatchedFiles() const {
    return watcher_->files();
}

void DocumentManager::SyncWatches(const TMDIChild* leaving) {
    if (!area_) return;
    QStringList wanted;
    for (TMDIChild* child : Children()) {
        if (child == leaving || child->CloseApproved() || child->Set().FileName.empty()) continue;
        wanted << QFile::decodeName(child->Set().FileName.c_str());
    }
    const QStringList watched = watcher_->files();
    for (const QString& path : watched)
        if (!wanted.contains(path)) watcher_->removePath(path);
    for (const QString& path : wanted)
        // A file gone is watched again once a save or a check finds it back.
        if (!watched.contains(path) && QFileInfo::exists(path)) watcher_->addPath(path);
}

void DocumentManager::FileChanged(const QString& path) {
    for (TMDIChild* child : Children()) {
        if (child->Set().FileName.empty() ||
            QFile::decodeName(child->Set().FileName.c_str()) != path)
            continue;
        if (auto it = watches_.find(child); it != watches_.end()) it->second.Settle->start();
    }
}

void DocumentManager::CheckFile(TMDIChild& window) {
    const auto it = watches_.find(&window);
    if (it == watches_.end()) return;
    FileWatch& watch = it->second;
    qv::FragSet& set = window.Set();
    if (set.FileName.empty() || window.CloseApproved()) return;
    // Not under a dialog, a menu, a drag or an open question: they may hold the document's
    // cards. The file is looked at when they are over.
    if (checking_ || QApplication::activeModalWidget() || QApplication::activePopupWidget() ||
        set.Dragging()) {
        watch.Settle->start();
        return;
    }
    // A file replaced by a rename is a new file: the watch on the old one is let go of and the
    // name watched again.
    const std::string path = set.FileName;
    watcher_->removePath(QFile::decodeName(path.c_str()));
    SyncWatches();
    const std::optional<qv::FileStamp> now = qv::StampOf(path);
    if (!now) {
        if (!QFileInfo::exists(QFile::decodeName(path.c_str()))) ReportGone(window);
        return;
    }
    watch.GoneReported = false;
    // Our own saves and changes that left the file as it was read are no changes.
    if (!qv::ChangedOnDisk(path, DiskStamp(window))) return;
    if (watch.Seen && !qv::StampsDiffer(*watch.Seen, *now)) return;
    watch.Seen = now;
    if (!set.Modified || set.ReadOnly) {
        ReloadFromDisk(window);
        return;
    }
    // The question saving would ask, asked now: Yes writes this window's document over the file.
    checking_ = true;
    const QString question =
        QLatin1Char('[') + QFile::decodeName(path.c_str()) + texts::Q(texts::kChangedElsewhere);
    const bool overwrite =
        services_.Prompts().Question(qv::ToCp932(question), qv::PromptButtons::YesNo) ==
        qv::PromptAnswer::Yes;
    checking_ = false;
    if (overwrite && watches_.count(&window) && !window.CloseApproved()) WriteTo(window, path);
}

void DocumentManager::ReportGone(TMDIChild& window) {
    FileWatch& watch = watches_[&window];
    if (watch.GoneReported) return;
    watch.GoneReported = true;
    watch.Seen.reset();
    // What the window shows is now the only copy: closing it asks, saving writes the file anew.
    qv::FragSet& set = window.Set();
    set.MarkModified();
    window.UpdateCaption();
    ShowMessage(QLatin1Char('[') + QFile::decodeName(set.FileName.c_str()) +
                texts::Q(texts::kGoneFromDisk));
}

void DocumentManager::ReloadFromDisk(TMDIChild& window) {
    qv::FragSet& set = window.Set();
    const std::string path = set.FileName;
    const QString shown = QLatin1Char('[') + QFile::decodeName(path.c_str());
    const qv::WholeFile bytes =
        qv::ReadWholeFile(std::filesystem::path(path), qv::kMaxDocumentFileSize);
    if (bytes.Status == qv::WholeFile::Result::Missing) {
        ReportGone(window);
        return;
    }
    // A file that is no document now keeps the window as it was: its content is the one left.
    QString why;
    if (bytes.Status != qv::WholeFile::Result::Read)
        why = qv::ReadFailureReason(bytes.Problem, bytes.Why);
    else if (qv::CheckFragmentBytes(path, bytes.Bytes) != qv::FragmentFileCheck::FragmentFile)
        why = texts::Q(texts::kNotADocumentNow);
    if (!why.isEmpty()) {
        ShowMessage(shown + texts::Q(texts::kCannotReload) + why);
        return;
    }

    const auto hold = services_.Refresh().HoldViews();
    const int scrollX = window.ScrollPosition(qv::ScrollAxis::Horizontal);
    const int scrollY = window.ScrollPosition(qv::ScrollAxis::Vertical);
    set.Clear();
    // Read as a document is opened: the file's name, read-only state and conversions anew.
    set.FileName.clear();
    const qv::ReadResult read = Read(window, path, bytes);
    ReportConversion(Shown(path), read);
    set.RefreshVisibility();
    set.RedrawAll();
    // The document read anew starts a history of its own.
    set.History().Reset();
    window.SetScrollPosition(qv::ScrollAxis::Horizontal, scrollX);
    window.SetScrollPosition(qv::ScrollAxis::Vertical, scrollY);
    watches_[&window].Seen.reset();
    RefreshGroupList();
    RefreshMap();
    frame_->RefreshDocumentViews();
    ShowMessage(shown + texts::Q(texts::kReloadedFromDisk));
    emit DocumentReloaded(&window);
}

// ---- Dropped files ----

void DocumentManager::DropFiles(const QStringList& paths) {
    qv::FragSet* target = ActiveDocument();
    const qv::EnvData& env = services_.Env();
    bool stopped = false;
    int index = 0;
    for (; index < paths.size(); ++index) {
        if (DocumentCount() >= kMaxDocuments) {
            stopped = true;
            break;
        }
        const QString& local = paths[index];
        // The file name stays the user's own bytes; a card's link holds it as the file format
        // stores paths.
        const std::string path = QFile::encodeName(local).toStdString();
        const QString suffix = QFileInfo(local).suffix().toUpper();
        if (suffix == QStringLiteral("CSV") || suffix == QStringLiteral("CANVAS")) {
            OpenDocument(path);
            continue;
        }
        if (!target || (!env.DropLinkFile && !env.DropImgFile)) {
            QApplication::beep();
            continue;
        }
        if (env.DropImgFile && IsPicturePath(suffix, services_.Plugins())) {
            // A card cannot keep a link the file format cannot hold exactly.
            const qv::StoredPath link = qv::PathForStorage(path);
            if (!link.Exact) {
                QApplication::beep();
                continue;
            }
            qv::Fragment* f = target->AddFragment();
            if (!f) {
                stopped = true;
                break;
            }
            f->Kind = qv::FragmentKind::Image;
            f->Text = texts::Cp932(texts::kImageCardText);
            f->Group = env.NewNoGroup ? qv::kNoGroup : target->CurrentGroup();
            target->ShowGroup(f->Group, true);
            f->Columns = env.ImgRatio1;
            f->Lines = env.ImgRatio2;
            f->ColBG = 0xFFFFFF;
            f->Visible = true;
            const qv::Point p = target->NewFragmentPosition(f->Columns, f->Lines, index);
            f->Left = p.X;
            f->Top = p.Y;
            f->Link = link.Bytes;
            f->LoadPicture();
            target->Recount();
            target->MarkModified();
            target->RefreshRequest();
            continue;
        }
        if (target->FragmentByLink(qv::PathForStorage(path).Bytes) &&
            services_.Prompts().Warning(
                std::string("[").append(Shown(path)).append(texts::Cp932(texts::kAlreadyLinked)),
                qv::PromptButtons::YesNo) != qv::PromptAnswer::Yes) {
            continue;
        }
        // A link card is made in the property dialog; without it the file is passed over.
        if (isSignalConnected(QMetaMethod::fromSignal(&DocumentManager::NewFragmentRequested))) {
            qv::NewFragmentRequest request;
            request.LinkPreset = true;
            request.LinkPresetText = path;
            emit NewFragmentRequested(*target, request);
            TurnImeOff();
        } else {
            QApplication::beep();
        }
    }
    if (stopped && index < paths.size()) {
        services_.Prompts().Warning(texts::Cp932(texts::kCannotOpenMore), qv::PromptButtons::Ok);
    }
    // Everything one drop added to a document is one step.
    CloseSteps();
    frame_->RefreshDocumentViews();
}

// ---- Edit history ----

void DocumentManager::CloseSteps(const std::string& label) {
    for (TMDIChild* child : Children())
        child->Set().History().Commit(label);
}

void DocumentManager::CloseStepsWhenIdle() {
    if (QGuiApplication::mouseButtons() != Qt::NoButton || QApplication::activeModalWidget())
        return;
    for (TMDIChild* child : Children()) {
        qv::FragSet& set = child->Set();
        if (!set.Dragging()) set.History().Commit();
    }
}

// ---- qv::DocumentHost ----

void DocumentManager::EditSelection(qv::FragSet& set) {
    emit EditSelectionRequested(set);
}

void DocumentManager::NewFragment(qv::FragSet& set, const qv::NewFragmentRequest& request) {
    emit NewFragmentRequested(set, request);
}

void DocumentManager::TurnImeOff() {
    // The input method cannot be switched off from here; resetting it drops a half-typed word, so
    // nothing typed into a closed dialog leaks into the next one, and its panel or on-screen
    // keyboard goes away.
    if (QInputMethod* im = QGuiApplication::inputMethod()) {
        im->reset();
        im->hide();
    }
}

void DocumentManager::RefreshGroupList() {
    emit GroupListRefreshRequested();
}

void DocumentManager::RefreshMap() {
    emit MapRefreshRequested();
}

void DocumentManager::ShowStatus(std::string_view text) {
    emit StatusMessage(qv::FromCp932(text));
}

std::optional<int> DocumentManager::GroupListRow() const {
    return rows_ ? rows_->GroupListRow() : std::nullopt;
}

// ---- DocumentWindows ----

std::vector<DocumentWindows::Entry> DocumentManager::DocumentWindowList() const {
    std::vector<Entry> list;
    const TMDIChild* active = ActiveChild();
    for (TMDIChild* child : Children())
        list.push_back({&child->Set(), child->Caption(), child == active});
    return list;
}

void DocumentManager::ActivateDocumentWindow(int index) {
    const QList<TMDIChild*> children = Children();
    if (index < 0 || index >= children.size()) return;
    frame_->ShowDocumentWindow(FrameOf(children[index]));
}

void DocumentManager::ShowMessage(const QString& text) {
    emit StatusMessage(text);
}

void DocumentManager::RefreshViews() {
    frame_->RefreshDocumentViews();
}

// ---- qv::LinkDocuments ----

bool DocumentManager::OpenLinkedDocument(const std::string& path) {
    return OpenDocument(path) != nullptr;
}

void DocumentManager::MaximiseActiveDocument() {
    if (TMDIChild* child = ActiveChild(); child && child->parentWidget())
        child->parentWidget()->showMaximized();
}
