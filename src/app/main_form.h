// The main window: menus, tool bars, the document area and the status bar. It owns the settings
// file and the settings for the program's whole life.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>

#include "app/app_context.h"
#include "core/model/ports.h"
#include "core/settings/paths.h"

class QLabel;
class QMdiArea;
class CardDialogs;
class QTimer;
class TMDIChild;

namespace qv {
class DefaultRandomSource;
class EnvData;
class FilePictureLoader;
class FragBuffer;
class FragSet;
class LinkFollower;
class QtClipboard;
class QtPrompts;
class QtTextMetrics;
class SpiUnit;
class UsrIniFile;
}  // namespace qv

class TQuillovaMainForm : public QMainWindow, public qv::DocumentHost {
    Q_OBJECT

  public:
    // Loads the settings file named by `startup` (no path: settings in memory only, never
    // written, as tests want) and places the window as it was stored.
    explicit TQuillovaMainForm(const qv::StartupArguments& startup = {}, QWidget* parent = nullptr);
    ~TQuillovaMainForm() override;

    QMdiArea* DocumentArea() const { return mdiArea_; }

    qv::UsrIniFile& Ini() { return *ini_; }
    qv::EnvData& Env() { return *env_; }
    // The document named on the command line (code page 932), empty when none.
    const std::string& StartFile() const { return startFile_; }

    // Shows the window in its stored state (normal, minimised or maximised), then opens the
    // start document: the file named on the command line, else the last file when OpenLastFile
    // is on, else the home document.
    void ShowAsStored();
    // Restores the window when minimised and raises it above the others (a later start of the
    // program asks for this).
    void BringToFront();

    // Opens a document in a window, or brings its window to the front when it is open already.
    // "無題" makes a new empty document. Asks before reading a CSV file that is not a fragment
    // file; reports a missing file. Returns the window, or null.
    TMDIChild* OpenDocument(const std::string& filePath);

    // The active document window and its model, or null.
    TMDIChild* ActiveChild() const;
    qv::FragSet* ActiveDocument() const;
    int DocumentCount() const;

    AppContext& Services() { return services_; }

    // Re-evaluates what the active document shows after model changes: group visibility and the
    // frames that dragged cards touched. The 250 ms timer runs it while a refresh is pending.
    void RefreshViews();
    // The status bar's document and card counts.
    void DispStatusUpdate();
    // Status panel 2: results and hints.
    void ShowMessage(const QString& text);

    // The openers of the property dialog and the follower of links.
    CardDialogs& Cards() { return *cards_; }
    qv::LinkFollower& Links() { return *links_; }

    // ---- qv::DocumentHost ----
    void TurnImeOff() override {}
    void EditSelection(qv::FragSet& set) override;
    void NewFragment(qv::FragSet& set, const qv::NewFragmentRequest& request) override;

    // Stores the window's own entries and every setting; the file is written only when something
    // differs. Returns false when it had to be written and could not be.
    bool SaveSettings();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void RestorePlacement();
    void BuildStatusBar();
    void TimerTick();
    void OpenStartDocument();
    // Asks every document window whether it may close (each with its own save question), then
    // remembers the active document as LastFile and closes them all. False when one refused.
    bool CloseAllDocuments();
    TMDIChild* NewChildWindow();
    TMDIChild* FindChild(const std::string& path) const;

    QMdiArea* mdiArea_ = nullptr;
    QTimer* timer_ = nullptr;
    QLabel* statusPanels_[3] = {};
    // Destroyed in the reverse order: the cut buffer, the settings, then the file they came from.
    std::unique_ptr<qv::UsrIniFile> ini_;
    std::unique_ptr<qv::EnvData> env_;
    std::string startFile_;

    // The services every document uses.
    std::unique_ptr<qv::QtTextMetrics> metrics_;
    std::unique_ptr<qv::SpiUnit> plugins_;
    std::unique_ptr<qv::FilePictureLoader> pictures_;
    std::unique_ptr<qv::QtPrompts> prompts_;
    std::unique_ptr<qv::QtClipboard> clipboard_;
    std::unique_ptr<qv::DefaultRandomSource> random_;
    std::unique_ptr<qv::LinkFollower> links_;
    std::unique_ptr<qv::FragBuffer> buffer_;
    std::unique_ptr<CardDialogs> cards_;
    AppContext services_;
};
