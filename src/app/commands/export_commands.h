// The File menu's "エクスポート(&E)" submenu: the active document as SVG, PDF, PNG, JSON Canvas
// or a Markdown outline, written by the same document output as image output and `quillovarsta-cli
// export`. The items live beside the command table (which mirrors the settings file's shortcut
// section) rather than in it.
#pragma once

#include <QObject>

#include "app/file_chooser.h"
#include "render/formats/document_export.h"

class AppServices;
class DocumentWindows;
class QAction;
class QMenu;
class QWidget;

namespace qv {
class FragSet;
}

class ExportCommands final : public QObject {
    Q_OBJECT

  public:
    // Adds the submenu to `file` right after `after`; it is usable while `windows` has an active
    // document. The file dialog, messages and pictures are the services'; dialogs belong to
    // `parent`. The commands belong to the submenu.
    static ExportCommands* Install(DocumentWindows& windows, AppServices& services, QWidget* parent,
                                   QMenu& file, QAction* after);

    // Asks for a file name and writes the active document in `format`; failures are reported
    // through the prompts. Nothing happens without a document.
    void Export(qv::ExportFormat format);

    // The save dialog for `format`: its title, filter and extension, the document's name with that
    // extension as the offered file.
    static FileDialogRequest DialogFor(qv::ExportFormat format, const qv::FragSet& document);

    QMenu* Menu() const { return menu_; }

  private:
    ExportCommands(DocumentWindows& windows, AppServices& services, QWidget* parent, QMenu* menu);

    DocumentWindows& windows_;
    AppServices& services_;
    QWidget* parent_;
    QMenu* menu_;
};
