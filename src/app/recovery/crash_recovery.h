// Recovery copies of unsaved changes (the files are core/recovery/recovery_store.h's).
//
// While the program runs, every document with unsaved changes gets a copy once the user has left
// the program alone for the idle interval, or at the latest that interval after the first input
// since the last copies — written on the GUI thread (a document is at most a
// few MB, so this takes milliseconds), only when the document changed since its last copy, and
// never for read-only or unmodified documents. Saving, "save as" and closing a document remove
// its copy; a failure to write one goes to the status bar, never to a dialog.
//
// At start-up the copies of programs that no longer run are offered one by one; a restored one
// opens for its original path, modified, and its copy passes to this program at once, so a second
// crash before the next copy loses nothing either. Copies of a program that still runs are never
// offered: each program holds its session's lock file while it runs.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

class AppServices;
class DocumentManager;
class QLockFile;
class TMDIChild;

namespace qv {
struct RecoveryCandidate;
}

class CrashRecovery : public QObject {
    Q_OBJECT

  public:
    // The idle time before copies are written: 30 s, or the milliseconds in the environment
    // variable QUILLOVARSTA_RECOVERY_IDLE_MS (for tests; read here only).
    static int IdleIntervalMs();

    // Keeps the copies of the open documents in `folder` (RecoveryFolderFor the settings file);
    // an empty folder turns recovery off (settings in memory only). Offers the copies left behind
    // before the start document opens (StartDocumentDue), and restores them through the document
    // manager. Made after the manager and gone before it.
    CrashRecovery(DocumentManager& documents, AppServices& services, std::filesystem::path folder);
    // Copies of documents still open with unsaved changes stay (the program is going down without
    // closing them); the session's lock goes, and the folder when it is empty.
    ~CrashRecovery() override;

    const std::filesystem::path& Folder() const { return folder_; }
    const std::string& Session() const { return session_; }

    // Offers the copies left by programs that did not end normally (one question each).
    void OfferLeftCopies();
    // Writes a copy of every document changed since its last copy, removes those no longer
    // needed. The idle timer and the deadline after the first input call it.
    void WriteCopies();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Tracked {
        int Serial = 0;
        std::uint64_t Generation = 0;  // the document's change count the copy holds
        bool HasCopy = false;
    };
    bool EnsureSession();
    Tracked& Track(TMDIChild* child);
    void RemoveCopy(TMDIChild* child);
    bool WriteCopy(TMDIChild* child, Tracked& tracked);
    void Restore(const qv::RecoveryCandidate& candidate);
    void ReportUnreadable(const qv::RecoveryCandidate& candidate);

    DocumentManager& documents_;
    AppServices& services_;
    std::filesystem::path folder_;
    std::string session_;
    std::unique_ptr<QLockFile> lock_;
    bool lockFailed_ = false;
    int nextSerial_ = 1;
    std::map<TMDIChild*, Tracked> tracked_;
    QTimer idle_;
    QTimer due_;  // runs from the first input after the last copies
};
