#include "app/recovery/crash_recovery.h"

#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QLockFile>
#include <QMouseEvent>
#include <system_error>
#include <vector>

#include "app/app_services.h"
#include "app/commands/command_table.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/platform/reasons.h"
#include "app/texts.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "core/recovery/recovery_store.h"
#include "render/text/qt_text.h"

namespace {

constexpr int kDefaultIdleMs = 30 * 1000;

QString LockName(const std::filesystem::path& folder, const std::string& session) {
    return QFile::decodeName(qv::RecoveryLockPath(folder, session).c_str());
}

// A path in a message, as near as code page 932 can show it.
std::string Shown(const std::string& path) {
    return path.empty() ? texts::Cp932(texts::kUntitled)
                        : qv::ToCp932(QFile::decodeName(path.c_str()));
}

bool IsInput(const QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TabletPress:
        case QEvent::Drop:
            return true;
        case QEvent::MouseMove:
            // A pointer passing over the window changes nothing; a drag does.
            return static_cast<const QMouseEvent*>(event)->buttons() != Qt::NoButton;
        default:
            return false;
    }
}

}  // namespace

int CrashRecovery::IdleIntervalMs() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("QUILLOVARSTA_RECOVERY_IDLE_MS", &ok);
    return ok && ms > 0 ? ms : kDefaultIdleMs;
}

CrashRecovery::CrashRecovery(DocumentManager& documents, AppServices& services,
                             std::filesystem::path folder)
    : documents_(documents), services_(services), folder_(std::move(folder)) {
    if (folder_.empty()) return;
    session_ = qv::NewRecoverySessionId(static_cast<long>(::getpid()),
                                        QDateTime::currentMSecsSinceEpoch());
    idle_.setSingleShot(true);
    idle_.setInterval(IdleIntervalMs());
    connect(&idle_, &QTimer::timeout, this, &CrashRecovery::WriteCopies);
    // Someone who never pauses gets copies too: at most one interval after the first input since
    // the last copies.
    due_.setSingleShot(true);
    due_.setInterval(IdleIntervalMs());
    connect(&due_, &QTimer::timeout, this, &CrashRecovery::WriteCopies);
    qApp->installEventFilter(this);
    connect(&documents_, &DocumentManager::StartDocumentDue, this, &CrashRecovery::OfferLeftCopies);
    // A copy is no longer needed once its document is saved or closed.
    connect(&documents_, &DocumentManager::DocumentSaved, this, &CrashRecovery::RemoveCopy);
    connect(&documents_, &DocumentManager::DocumentClosed, this, &CrashRecovery::RemoveCopy);
}

CrashRecovery::~CrashRecovery() {
    if (folder_.empty()) return;
    qApp->removeEventFilter(this);
    if (lock_) lock_->unlock();
    qv::RemoveRecoveryFolderIfEmpty(folder_);
}

bool CrashRecovery::eventFilter(QObject* watched, QEvent* event) {
    // Every input starts the idle time again; the copies are written when it runs out, or when
    // the input has gone on for as long.
    if (IsInput(event)) {
        idle_.start();
        if (!due_.isActive()) due_.start();
    }
    return QObject::eventFilter(watched, event);
}

bool CrashRecovery::EnsureSession() {
    if (lock_) return true;
    if (lockFailed_) return false;
    // The copies hold the user's documents: the folder must be this user's alone.
    if (const qv::RecoveryFolderCheck check = qv::EnsureRecoveryFolder(folder_, true); !check) {
        lockFailed_ = true;
        documents_.ShowMessage(texts::Q(texts::kRecoveryNotWritten) +
                               qv::RecoveryFolderReason(check, folder_));
        return false;
    }
    auto lock = std::make_unique<QLockFile>(LockName(folder_, session_));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        // Without its lock a copy could be taken for one a lost program left: write none.
        lockFailed_ = true;
        documents_.ShowMessage(texts::Q(texts::kRecoveryNotWritten) +
                               QFile::decodeName(folder_.c_str()));
        return false;
    }
    lock_ = std::move(lock);
    return true;
}

CrashRecovery::Tracked& CrashRecovery::Track(TMDIChild* child) {
    auto it = tracked_.find(child);
    if (it != tracked_.end()) return it->second;
    Tracked& t = tracked_[child];
    t.Serial = nextSerial_++;
    // A window that goes without closing (the program ends without asking) keeps its copy.
    connect(child, &QObject::destroyed, this, [this, child] { tracked_.erase(child); });
    return t;
}

void CrashRecovery::RemoveCopy(TMDIChild* child) {
    auto it = tracked_.find(child);
    if (it == tracked_.end() || !it->second.HasCopy) return;
    qv::RecoveryEntry entry;
    entry.Copy = qv::RecoveryCopyPath(folder_, session_, it->second.Serial);
    entry.Info = qv::RecoveryInfoPath(folder_, session_, it->second.Serial);
    qv::RemoveRecoveryCopy(entry);
    it->second.HasCopy = false;
}

bool CrashRecovery::WriteCopy(TMDIChild* child, Tracked& tracked) {
    const qv::FragSet& set = child->Set();
    qv::RecoveryInfo info;
    info.OriginalPath = set.FileName;
    info.SavedAt = QDateTime::currentSecsSinceEpoch();
    info.Stamp = documents_.DiskStamp(*child);
    const qv::WriteResult written =
        qv::WriteRecoveryCopy(folder_, session_, tracked.Serial, qv::FragmentFileText(set), info);
    if (!written) {
        // A folder gone wrong since the start is named as such, not as the copy's fault.
        const qv::RecoveryFolderCheck check = qv::EnsureRecoveryFolder(folder_, false);
        documents_.ShowMessage(
            texts::Q(texts::kRecoveryNotWritten) +
            (check ? qv::WriteFailureReason(
                         written, qv::RecoveryCopyPath(folder_, session_, tracked.Serial).string())
                   : qv::RecoveryFolderReason(check, folder_)));
        return false;
    }
    tracked.HasCopy = true;
    tracked.Generation = set.Modified.Generation();
    return true;
}

void CrashRecovery::WriteCopies() {
    if (folder_.empty()) return;
    idle_.stop();
    due_.stop();
    for (TMDIChild* child : documents_.Children()) {
        const qv::FragSet& set = child->Set();
        if (!set.Modified || set.ReadOnly) {
            // Saved, or its changes undone by a cancelled dialog: the copy is no longer needed.
            RemoveCopy(child);
            continue;
        }
        auto it = tracked_.find(child);
        if (it != tracked_.end() && it->second.HasCopy &&
            it->second.Generation == set.Modified.Generation())
            continue;
        if (!EnsureSession()) return;
        WriteCopy(child, Track(child));
    }
}

// ---- Start-up ----

void CrashRecovery::OfferLeftCopies() {
    if (folder_.empty()) return;
    // A folder someone else could have filled or can read is neither offered from nor written to.
    if (const qv::RecoveryFolderCheck check = qv::EnsureRecoveryFolder(folder_, false); !check) {
        lockFailed_ = true;
        documents_.ShowMessage(texts::Q(texts::kRecoveryNotWritten) +
                               qv::RecoveryFolderReason(check, folder_));
        return;
    }
    // The lock of a program that is gone is taken over and held until its copies are dealt with,
    // so that no other start offers them meanwhile; a held one means the program runs.
    std::vector<std::unique_ptr<QLockFile>> taken;
    const auto running = [this, &taken](const std::string& session) {
        auto lock = std::make_unique<QLockFile>(LockName(folder_, session));
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            taken.push_back(std::move(lock));
            return false;
        }
        // No lock can be taken in a folder this user cannot write, so none is held there either.
        return lock->error() == QLockFile::LockFailedError;
    };
    const std::vector<qv::RecoveryCandidate> found =
        qv::CollectRecoveries(folder_, session_, running);
    bool full = false;
    for (const qv::RecoveryCandidate& c : found) {
        if (!c.Readable) {
            ReportUnreadable(c);
            continue;
        }
        // At the window limit the rest wait for the next start.
        if (full) continue;
        const QString time = QDateTime::fromSecsSinceEpoch(c.Info.SavedAt)
                                 .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        // Appended in pieces: GCC's -Wstringop-overflow misreads a literal before a temporary.
        const std::string question =
            std::string("[")
                .append(Shown(c.Info.OriginalPath))
                .append(qv::ToCp932(texts::Q(texts::kRecoveryQuestion).arg(time)));
        switch (services_.Prompts().Question(question, qv::PromptButtons::YesNoCancel)) {
            case qv::PromptAnswer::Yes:
                if (documents_.DocumentCount() >= kMaxDocuments) {
                    full = true;
                    services_.Prompts().Warning(texts::Cp932(texts::kRecoveryTooMany),
                                                qv::PromptButtons::Ok);
                    break;
                }
                Restore(c);
                break;
            case qv::PromptAnswer::No:
                qv::RemoveRecoveryCopy(c.Entry);
                break;
            default:
                // Asked again at the next start.
                break;
        }
    }
    for (auto& lock : taken)
        lock->unlock();
    if (!lock_) qv::RemoveRecoveryFolderIfEmpty(folder_);
}

void CrashRecovery::Restore(const qv::RecoveryCandidate& candidate) {
    TMDIChild* child = documents_.RestoreDocument(candidate.Info.OriginalPath, candidate.Document,
                                                  candidate.Info.Stamp);
    if (!child) return;
    // The copy becomes this program's copy of the restored document, unchanged since.
    if (!EnsureSession()) return;
    Tracked& t = Track(child);
    if (qv::AdoptRecoveryCopy(candidate.Entry, folder_, session_, t.Serial)) {
        t.HasCopy = true;
        t.Generation = child->Set().Modified.Generation();
    } else if (WriteCopy(child, t)) {
        qv::RemoveRecoveryCopy(candidate.Entry);
    }
}

void CrashRecovery::ReportUnreadable(const qv::RecoveryCandidate& candidate) {
    const std::string name = candidate.InfoKnown ? Shown(candidate.Info.OriginalPath)
                                                 : Shown(candidate.Entry.Copy.string());
    // Never deleted: it may hold work that can still be saved by hand.
    const std::filesystem::path now = qv::SetRecoveryCopyAside(candidate.Entry, folder_);
    const bool moved = now != folder_;
    services_.Prompts().Warning(
        "[" + name + texts::Cp932(texts::kRecoveryUnreadable) +
            qv::ToCp932(qv::RecoveryReason(candidate)) +
            texts::Cp932(moved ? texts::kRecoveryMovedTo : texts::kRecoveryLeftIn) +
            Shown(now.string()),
        qv::PromptButtons::Ok);
}
