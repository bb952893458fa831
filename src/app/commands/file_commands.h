// The File menu: new, open, the recent files, merge, save, save as, close, save all and exit,
// text import and export. Each handler works on the active document of the document manager.
#pragma once

#include <QString>
#include <string>

class AppServices;
class CommandRegistry;
class DocumentManager;
class QMenu;
class QWidget;
struct FileDialogRequest;

namespace qv {
struct ReadResult;
}

class FileCommands {
  public:
    // At most this many recent files are listed.
    static constexpr int kRecentItems = 20;

    // Files are chosen through the services' chooser, over `window`; save all and exit closes
    // `window`. Registers the File menu's handlers; `recent` (the recent-file submenu of `file`)
    // is filled each time `file` opens.
    FileCommands(CommandRegistry& commands, DocumentManager& documents, AppServices& services,
                 QWidget& window, QMenu& file, QMenu& recent);

    void FileNew();
    void FileOpen();
    // Recent file `index` (0 = newest).
    void FileHst(int index);
    void FileMerge();
    // Saves the active document to its own file (untitled: as save as). True when written.
    bool FileSave();
    bool FileSaveAs();
    void FileClose();
    void FileAllSaveEnd();
    void FileImport();
    void FileExport();

    // Fills the recent-file submenu as the File menu opens: one item per entry with "&1: " …
    // "&0: " before the first ten; the submenu is usable while fewer than 40 documents are open
    // and there is a recent file.
    void FillRecentMenu(QMenu& submenu);
    // The caption of recent-file item `index` for `path` (access-key prefix, '&' doubled).
    static QString RecentItemCaption(int index, const QString& path);

  private:
    // The file chosen in a dialog as the file-system path a document is named by.
    static std::string DocumentPath(const QString& chosen);
    // Warns about a file that was missing or could not be read; true when it was read.
    bool ReportReadFailure(const qv::ReadResult& read, const std::string& path);
    QString Choose(const FileDialogRequest& row);

    DocumentManager& documents_;
    AppServices& services_;
    QWidget& window_;
};
