// Choosing a file to open or save. The file commands describe the dialog they want (title,
// filter, default extension, start name); the program shows Qt's file dialog, which is the
// desktop's own where it has one. Tests put a scripted chooser in its place.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QFileDialog;
class QWidget;

namespace qv {
class SpiUnit;
}  // namespace qv

struct FileDialogRequest {
    QString Title;          // empty: the dialog's own title
    QString Filter;         // "description (*.csv *.CSV)"
    QString DefaultSuffix;  // added to a name typed without one
    QString InitialPath;    // empty: no name, the filter shows the pattern
    bool Save = false;      // a save dialog asks before replacing an existing file
};

// The dialogs of the file commands.
FileDialogRequest OpenDocumentDialog();
FileDialogRequest MergeDocumentDialog();
FileDialogRequest SaveDocumentAsDialog(const QString& currentPath);
FileDialogRequest ImportTextDialog();
FileDialogRequest ExportTextDialog();

// The picture chooser's filters: every picture the program can show first (Qt's readers, the
// BMP, JPEG and icon formats, the plug-ins' patterns), then each kind on its own, then every
// file. `plugins` may be null.
QStringList PictureFilters(const qv::SpiUnit* plugins);

// Sets a dialog up as `row` says: one existing file to open, or one file to save (read-only box
// hidden, replacing asked first).
void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& row);

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // The chosen file, or empty when the user cancelled.
    virtual QString Choose(QWidget* parent, const FileDialogRequest& row) = 0;
};

// Qt's file dialogs. One open and one save dialog live as long as the chooser, so each comes
// back in the folder it was last used in.
class QtFileChooser final : public FileChooser {
  public:
    QtFileChooser();
    ~QtFileChooser() override;
    QString Choose(QWidget* parent, const FileDialogRequest& row) override;

  private:
    QString openFolder_;
    QString saveFolder_;
};
