// The commands of the stretch and options dialogs, printing and image output: the long-lived
// dialogs and their handlers in the command table. After the options dialog's OK the documents
// re-measure their cards and OptionsApplied tells the windows and panels to follow.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "core/dialogs/option_dlg.h"
#include "core/dialogs/stretch_dlg.h"

class AppServices;
class CommandRegistry;
class DocumentOutput;
class DocumentWindows;
class TOptionDlg;
class TStretchDlg;
class QWidget;

namespace qv {
class DocumentHost;
class EnvData;
}  // namespace qv

class SettingsCommands : public QObject {
    Q_OBJECT

  public:
    SettingsCommands(CommandRegistry& commands, DocumentWindows& windows, qv::DocumentHost& host,
                     AppServices& services, QWidget* dialogParent);
    ~SettingsCommands() override;

    // The dialogs are made when first asked for, so starting the program builds none.
    TStretchDlg& StretchDialog();
    TOptionDlg& OptionDialog();
    DocumentOutput& Output() const { return *output_; }

    // After OK: documents re-measure their cards (card images are redrawn only when a setting
    // they show changed), the windows and panels follow (OptionsApplied), then the group list and
    // the map show the result.
    void ApplyOptions(const qv::OptionsApplied& applied);

  signals:
    void OptionsApplied(const qv::OptionsApplied& applied);
    // The options dialog switched the input method for typing card texts on or off.
    void ImeChanged(bool on);

  private:
    class KeyTable;

    void Stretch(qv::StretchTarget target);
    void Options();

    DocumentWindows& windows_;
    qv::DocumentHost& host_;
    AppServices& services_;
    QWidget* dialogParent_;
    std::unique_ptr<KeyTable> keys_;
    TStretchDlg* stretch_ = nullptr;
    TOptionDlg* options_ = nullptr;
    std::unique_ptr<DocumentOutput> output_;
};
