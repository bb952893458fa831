// The commands of the stretch and options dialogs, printing and image output: the long-lived
// dialogs, their handlers in the command table, and bringing every window in line with the
// settings after the options dialog's OK.
#pragma once

#include <QObject>
#include <memory>

#include "core/dialogs/options_dialog.h"
#include "core/dialogs/stretch_dialog.h"

class DocumentOutput;
class TOptionDlg;
class TQuillovaMainForm;
class TStretchDlg;

class SettingsCommands : public QObject {
    Q_OBJECT

  public:
    // Made once by the main window, as its child; registers the handlers.
    explicit SettingsCommands(TQuillovaMainForm& form);
    ~SettingsCommands() override;

    TStretchDlg& StretchDialog() const { return *stretch_; }
    TOptionDlg& OptionDialog() const { return *options_; }
    DocumentOutput& Output() const { return *output_; }

    // After OK: every document window, the status bar, the tool bars, the group list and the map
    // follow the settings; documents re-measure their cards (card images are redrawn only when a
    // setting they show changed).
    void ApplyOptions(const qv::OptionsApplied& applied);

  private:
    class KeyTable;

    void Stretch(qv::StretchTarget target);
    void Options();

    TQuillovaMainForm& form_;
    std::unique_ptr<KeyTable> keys_;
    TStretchDlg* stretch_ = nullptr;
    TOptionDlg* options_ = nullptr;
    std::unique_ptr<DocumentOutput> output_;
};
