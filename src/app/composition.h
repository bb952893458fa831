// The program put together after its services: the main window with its panels, every command
// group, and the recovery of unsaved changes, wired to one another. RunProgram, the GUI tests,
// the guide's screenshot tool and the benchmarks all build it here, so each of them runs the
// program a user runs.
#pragma once

#include <filesystem>
#include <memory>

class AppServices;
class CardCommands;
class CommandRegistry;
class CrashRecovery;
class DocumentManager;
class FileCommands;
class SettingsCommands;
class TQuillovaMainForm;
class ViewCommands;

struct ProgramOptions {
    // Where the copies of unsaved changes go (RecoveryFolderFor the settings file); empty: none
    // are kept, as for a run without a settings file.
    std::filesystem::path RecoveryFolder;
};

class Program {
  public:
    Program(AppServices& services, const ProgramOptions& options);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    TQuillovaMainForm& Window() { return *window_; }
    DocumentManager& Documents() { return *documents_; }
    CommandRegistry& Commands();
    FileCommands& Files() { return *files_; }
    SettingsCommands& Settings() { return *settings_; }
    CardCommands& Cards() { return *cards_; }
    ViewCommands& Views() { return *views_; }
    CrashRecovery& Recovery() { return *recovery_; }

  private:
    void Connect();

    // Declared in the order they are made; they go in reverse: the window before the documents
    // it shows.
    std::unique_ptr<DocumentManager> documents_;
    std::unique_ptr<TQuillovaMainForm> window_;
    std::unique_ptr<FileCommands> files_;
    std::unique_ptr<SettingsCommands> settings_;
    std::unique_ptr<CardCommands> cards_;
    std::unique_ptr<ViewCommands> views_;
    std::unique_ptr<CrashRecovery> recovery_;
};

std::unique_ptr<Program> BuildProgram(AppServices& services, const ProgramOptions& options = {});
