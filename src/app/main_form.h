// The main window: menus, tool bars, the document area and the status bar. It owns the settings
// file and the settings for the program's whole life.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>

#include "core/settings/paths.h"

class QMdiArea;

namespace qv {
class EnvData;
class UsrIniFile;
}  // namespace qv

class TQuillovaMainForm : public QMainWindow {
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

    // Shows the window in its stored state (normal, minimised or maximised).
    void ShowAsStored();

    // Stores the window's own entries and every setting; the file is written only when something
    // differs. Returns false when it had to be written and could not be.
    bool SaveSettings();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void RestorePlacement();

    QMdiArea* mdiArea_ = nullptr;
    // Destroyed in the reverse order: the settings before the file they came from.
    std::unique_ptr<qv::UsrIniFile> ini_;
    std::unique_ptr<qv::EnvData> env_;
    std::string startFile_;
};
