// The one owner of the open documents: makes new ones, opens, finds, saves and closes them, takes
// back recovery copies and dropped files, and keeps each document's file stamp and recent-file
// record. Each document lives in a document window (TMDIChild) that draws it and turns input into
// model operations; the main window (a DocumentFrame) places and shows those windows.
//
// It also watches the documents' files: a file changed by someone else is read again into a window
// without unsaved changes; a window with changes asks the question saving asks.
//
// It is the documents' qv::DocumentHost: what a document asks of the program outside it becomes a
// signal (the property dialog, the group list, the map, the status bar) or a call. It is also the
// DocumentWindows the command groups work through, and where followed links open documents.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "app/document/document_windows.h"
#include "app/platform/link_follower.h"
#include "core/fs/file_stamp.h"
#include "core/model/ports.h"

class AppServices;
class DocumentFrame;
class QFileSystemWatcher;
class QTimer;
class GroupListRows;
class QMdiArea;
class TMDIChild;

namespace qv {
struct ReadResult;
struct WholeFile;
}  // namespace qv

class DocumentManager final : public QObject,
                              public qv::DocumentHost,
                              public DocumentWindows,
                              public qv::LinkDocuments {
    Q_OBJECT

  public:
    explicit DocumentManager(AppServices& services, QObject* parent = nullptr);
    ~DocumentManager() override;
    // The documents' windows live in `area`, which `frame` shows: the main window attaches
    // itself as it is made, before anything asks for a document.
    void Attach(QMdiArea& area, DocumentFrame& frame);

    // ---- Opening ----
    // A new, empty document ("無題") with the new-document settings; null at the window limit.
    TMDIChild* NewDocument();
    // A new, empty document window without the new-document settings (a restored document
    // brings its own page); null at the window limit.
    TMDIChild* NewDocumentWindow();
    // Opens a document in a window, or brings its window to the front when it is open already.
    // Asks before reading a CSV file that is not a fragment file; reports a missing or unreadable
    // file. Restores the view it was left at from its recent-file record. Returns the window, or
    // null.
    TMDIChild* OpenDocument(const std::string& filePath);
    // What a later start of the program handed over: the frame comes to the front and opens
    // `filePath` (native; empty: none). The window limit is reported here, where the user looks.
    void OpenHandedOver(const std::string& filePath);
    // The document the program starts with: the one on the command line, else the last one when
    // the settings say so, else the home window. Offers the recovery copies first
    // (StartDocumentDue), so that one restored is found open instead of read again.
    void OpenStartDocument();
    // Takes the content of a recovery copy (document-format bytes) as the document at `path`
    // (empty: untitled) in a new window: modified, writable, and with the file's stamp as the
    // lost program read it, so that saving over a file changed since then asks first. Null at
    // the window limit.
    TMDIChild* RestoreDocument(const std::string& path, std::string_view bytes,
                               const std::optional<qv::FileStamp>& stamp);
    // Files dropped on the main window, in order (native paths): CSV files open as documents,
    // pictures become image cards and other files link cards of the active document.
    void DropFiles(const QStringList& paths);

    // ---- The open documents ----
    // The active document window and its model, or null.
    TMDIChild* ActiveChild() const;
    qv::FragSet* ActiveDocument() const override;
    int DocumentCount() const;
    // Document windows in the frame's order.
    QList<TMDIChild*> Children() const;
    // The window of the document at `path` (compared as the same file), or null.
    TMDIChild* FindDocument(const std::string& path) const;
    // The document's file as it was read or last written here; none when it has none.
    std::optional<qv::FileStamp> DiskStamp(const TMDIChild& window) const;

    // ---- Saving ----
    // Saves to the document's own path, or asks for one when it has none. Reports a failure
    // with "保存できませんでした"; returns whether the document was written. When the file was
    // changed by someone else since it was read or saved here, asks before overwriting it.
    bool Save(TMDIChild& window);
    bool SaveAs(TMDIChild& window);

    // ---- Closing ----
    // Asks whether the window may close (AskToClose) and, when it may, agrees to it
    // (AgreeToClose). Every close of a document window goes through here.
    bool CloseQuery(TMDIChild& window);
    // A modified, writable document asks "[path]変更内容を保存しますか" and saves on Yes (asking
    // for a name when it has none). Nothing of the answer is kept: the next close asks again.
    bool AskToClose(TMDIChild& window);
    // The window is about to close: records the document's recent-file entry; the close itself
    // asks nothing more.
    void AgreeToClose(TMDIChild& window);
    // The active document window closes (asking as every close does).
    void CloseActive();
    // Closes every document, the program going down: every one is asked before any closes; one
    // that refuses leaves all of them open. Records the document to open next time (EnvData::
    // LastFile): the active one's, or the one given by RememberAtExit.
    bool CloseAll();
    // Save all and exit: every document is saved as it closes (asking for names where needed);
    // returns the active document's path as the settings file stores it.
    std::string SaveAndCloseAll();
    // The document CloseAll records, whatever window is active then (none: the active one's).
    void RememberAtExit(std::optional<std::string> lastFile) {
        exitLastFile_ = std::move(lastFile);
    }

    // ---- Edit history ----
    // Closes what each open document changed since its last step into one step: `label` names
    // it (empty: named by what it changed). Every command, gesture, dialog and drop ends so.
    void CloseSteps(const std::string& label = {});
    // The same, unless an edit is still under way: a mouse button held, cards being dragged or
    // a modal dialog open. Catches changes from routes that end no step themselves.
    void CloseStepsWhenIdle();

    // ---- Files changed on disk ----
    // How long a file must be quiet after a change before it is looked at: a burst of writes (a
    // program saving in steps, a sync tool) is read once.
    static constexpr int kFileSettleMs = 300;
    // The files watched now (native paths decoded): every open document's with a name.
    QStringList WatchedFiles() const;

    // The group list that answers GroupListRow; none until the panel exists.
    void SetGroupListRows(const GroupListRows* rows) { rows_ = rows; }

    // ---- qv::DocumentHost ----
    void EditSelection(qv::FragSet& set) override;
    void NewFragment(qv::FragSet& set, const qv::NewFragmentRequest& request) override;
    void TurnImeOff() override;
    void RefreshGroupList() override;
    void RefreshMap() override;
    void ShowStatus(std::string_view text) override;
    std::optional<int> GroupListRow() const override;

    // ---- DocumentWindows ----
    std::vector<Entry> DocumentWindowList() const override;
    void ActivateDocumentWindow(int index) override;
    void ShowMessage(const QString& text) override;
    void RefreshViews() override;

    // ---- qv::LinkDocuments ----
    bool OpenLinkedDocument(const std::string& path) override;
    void MaximiseActiveDocument() override;

  signals:
    // A document asks for the property dialog: for its selection, or for a new card.
    void EditSelectionRequested(qv::FragSet& set);
    void NewFragmentRequested(qv::FragSet& set, const qv::NewFragmentRequest& request);
    // The group list has to show new counts or names; the overview map the document anew.
    void GroupListRefreshRequested();
    void MapRefreshRequested();
    // Text for the status bar's message panel.
    void StatusMessage(const QString& text);
    // The start document is about to open: the recovery copies are offered here.
    void StartDocumentDue();
    // A document was written to its file (save or save as).
    void DocumentSaved(TMDIChild* window);
    // A document window agreed to close (the document was saved or its changes given up).
    void DocumentClosed(TMDIChild* window);
    // A document was read again from its file changed on disk: it is a new document in the same
    // window (its history starts afresh).
    void DocumentReloaded(TMDIChild* window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TMDIChild* MakeWindow();
    bool WriteTo(TMDIChild& window, const std::string& path);
    // Reads `bytes` of the file at `path` into the new window's document.
    qv::ReadResult Read(TMDIChild& window, const std::string& path, const qv::WholeFile& bytes);
    void ReportConversion(const std::string& shownPath, const qv::ReadResult& read);
    // Opens a JSON Canvas, read already, as a new modified document named like it with ".csv".
    TMDIChild* OpenCanvas(const std::string& path, const std::string& shownPath,
                          const qv::WholeFile& bytes);

    // Watches the files of the open documents (all but `leaving`), and only those; a file replaced
    // by a rename is watched again.
    void SyncWatches(const TMDIChild* leaving = nullptr);
    void FileChanged(const QString& path);
    // The window's file after it settled: read again, asked about, or reported gone.
    void CheckFile(TMDIChild& window);
    void ReloadFromDisk(TMDIChild& window);
    void ReportGone(TMDIChild& window);

    AppServices& services_;
    QMdiArea* area_ = nullptr;
    DocumentFrame* frame_ = nullptr;
    const GroupListRows* rows_ = nullptr;
    // Each window's file as it was read or last written here.
    std::map<const TMDIChild*, std::optional<qv::FileStamp>> stamps_;
    std::optional<std::string> exitLastFile_;

    QFileSystemWatcher* watcher_;
    struct FileWatch {
        QTimer* Settle = nullptr;  // restarted by every change; the window owns it
        // The file as it was when last asked about or found unreadable: the same change is not
        // asked about again.
        std::optional<qv::FileStamp> Seen;
        bool GoneReported = false;
    };
    std::map<const TMDIChild*, FileWatch> watches_;
    bool checking_ = false;  // a question about a changed file is open
};
