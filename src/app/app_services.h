// The composition root: the program-wide objects every window works with, created once in this
// order (settings file, settings, the ports documents use, cut buffer) and destroyed in reverse.
// Windows get what they need through their constructors; nothing here is optional.
#pragma once

#include <memory>
#include <string>

#include "core/model/ports.h"
#include "core/settings/paths.h"
#include "core/settings/tool_mode.h"

class FileChooser;
class QWidget;

namespace qv {
class EnvData;
class FilePictureLoader;
class FragBuffer;
class LinkFollower;
class QtClipboard;
class QtPrompts;
class QtTextMetrics;
class SpiUnit;
class UsrIniFile;

// The one route every message box of the program takes. It shows Qt message boxes unless a test
// (or an embedding) redirects it.
class PromptRoute final : public Prompts {
  public:
    explicit PromptRoute(Prompts& standard) : target_(&standard), standard_(standard) {}
    void Redirect(Prompts* target) { target_ = target ? target : &standard_; }
    PromptAnswer Warning(std::string_view text, PromptButtons buttons) override {
        return target_->Warning(text, buttons);
    }
    PromptAnswer Question(std::string_view text, PromptButtons buttons) override {
        return target_->Question(text, buttons);
    }

  private:
    Prompts* target_;
    Prompts& standard_;
};
}  // namespace qv

class AppServices {
  public:
    // Loads the settings file named by `startup` (no path: settings in memory only, never
    // written, as tests want).
    explicit AppServices(const qv::StartupArguments& startup = {});
    ~AppServices();
    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

    qv::UsrIniFile& Ini() { return *ini_; }
    qv::EnvData& Env() { return *env_; }
    qv::FragBuffer& Buffer() { return *buffer_; }
    qv::TextMetrics& Metrics();
    qv::PictureLoader& Pictures();
    // The same loader as itself: why a picture did not load, the decoded-picture cache and the
    // plug-ins it reads through.
    qv::FilePictureLoader& PictureFiles() { return *pictures_; }
    qv::PromptRoute& Prompts() { return *route_; }
    qv::Clipboard& Clipboard();
    qv::RandomSource& Random() { return *random_; }
    qv::LinkFollower& Links() { return *links_; }
    // When the views are refreshed: held until the main window has shown.
    qv::ViewRefresh& Refresh() { return refresh_; }
    // The document windows' mouse tool (the down button of the mode tool bar), one for all.
    qv::ToolMode Tool() const { return tool_; }
    void SetTool(qv::ToolMode mode) { tool_ = mode; }
    qv::SpiUnit& Plugins() { return *plugins_; }
    // Rebuilds the plug-in list from SpiDir (the folder changed in the options dialog).
    void ReloadPlugins();
    // The document named on the command line (native path), empty when none.
    const std::string& StartFile() const { return startFile_; }

    // The file dialogs; a test may put a scripted chooser in their place (null: Qt's again).
    FileChooser& Files() { return *files_; }
    void RedirectFiles(FileChooser* chooser);

    // Message boxes are centred over this window.
    void SetPromptParent(QWidget* parent);

  private:
    std::unique_ptr<qv::UsrIniFile> ini_;
    std::unique_ptr<qv::EnvData> env_;
    qv::ViewRefresh refresh_;
    qv::ToolMode tool_ = qv::ToolMode::Normal;
    std::string startFile_;
    std::unique_ptr<qv::QtTextMetrics> metrics_;
    std::unique_ptr<qv::SpiUnit> plugins_;
    std::unique_ptr<qv::FilePictureLoader> pictures_;
    std::unique_ptr<qv::QtPrompts> prompts_;
    std::unique_ptr<qv::PromptRoute> route_;
    std::unique_ptr<qv::QtClipboard> clipboard_;
    std::unique_ptr<qv::DefaultRandomSource> random_;
    std::unique_ptr<qv::LinkFollower> links_;
    std::unique_ptr<qv::FragBuffer> buffer_;
    std::unique_ptr<FileChooser> qtFiles_;
    FileChooser* files_ = nullptr;
};
