// The main window: menus, tool bars, the document area and the status bar. It owns the settings
// file and the settings for the program's whole life.
#pragma once

#include <QMainWindow>
#include <memory>
#include <optional>
#include <string>

#include "app/app_context.h"
#include "app/panels/group_list_panel.h"
#include "core/model/ports.h"
#include "core/settings/paths.h"

class QLabel;
class QMdiArea;
class QTimer;
class FileCommands;
class ViewCommands;
class QtFileChooser;
class TMDIChild;
class TMapViewer;

namespace qv {
class DefaultRandomSource;
class DesktopLinkOpener;
class EnvData;
class FilePictureLoader;
class FragBuffer;
class FragSet;
class QtClipboard;
class QtPrompts;
class QtTextMetrics;
class SpiUnit;
class UsrIniFile;
}  // namespace qv

class TQuillovaMainForm : public QMainWindow, public qv::DocumentHost, public GroupListHost {
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
    qv::FragSet* ActiveDocument() const override;
    int DocumentCount() const;

    AppContext& Services() { return services_; }

    // Re-evaluates what the active document shows after model changes (group visibility, the
    // frames that dragged cards touched) and rebuilds the group list. The 250 ms timer runs it
    // while a refresh is pending.
    // The status bar's document and card counts.
    void DispStatusUpdate();
    // Status panel 2: results and hints.
    void ShowMessage(const QString& text);

    TGroupListPanel* GroupList() const { return groupList_; }
    FileCommands& Files() { return *fileCommands_; }
    ViewCommands& Views() { return *viewCommands_; }
    TMapViewer* MapViewer() const { return mapViewer_; }

    // ---- qv::DocumentHost ----
    void TurnImeOff() override {}
    void RefreshGroupList() override;
    void RefreshMap() override;
    std::optional<int> GroupListRow() const override;

    // ---- GroupListHost ----
    void RefreshViews() override;
    void FocusMainWindow() override;

    // Closes the program remembering `lastFile` (as the settings file stores it) as the document
    // to open next time, whatever window is active when the documents close. False when a document
    // refused to close.
    bool CloseRemembering(const std::string& lastFile);

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
    TGroupListPanel* groupList_ = nullptr;
    TMapViewer* mapViewer_ = nullptr;
    QTimer* timer_ = nullptr;
    QLabel* statusPanels_[3] = {};
    // Destroyed in the reverse order: the cut buffer, the settings, then the file they came from.
    std::unique_ptr<qv::UsrIniFile> ini_;
    std::unique_ptr<qv::EnvData> env_;
    std::string startFile_;
    std::optional<std::string> exitLastFile_;

    // The services every document uses.
    std::unique_ptr<qv::QtTextMetrics> metrics_;
    std::unique_ptr<qv::SpiUnit> plugins_;
    std::unique_ptr<qv::FilePictureLoader> pictures_;
    std::unique_ptr<qv::QtPrompts> prompts_;
    std::unique_ptr<qv::QtClipboard> clipboard_;
    std::unique_ptr<qv::DefaultRandomSource> random_;
    std::unique_ptr<qv::DesktopLinkOpener> links_;
    std::unique_ptr<qv::FragBuffer> buffer_;
    std::unique_ptr<QtFileChooser> fileChooser_;
    std::unique_ptr<FileCommands> fileCommands_;
    std::unique_ptr<ViewCommands> viewCommands_;
    AppContext services_;
};
