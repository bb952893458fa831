// The commands of the group list, the overview map and the whole-size dialog. Registers its own
// handlers.
#pragma once

#include <QObject>
#include <memory>

class CommandRegistry;
class DocumentWindows;
class TGroupListPanel;
class TMapViewer;
class TScrSizeDlg;
class QWidget;

namespace qv {
class EnvData;
}

class ViewCommands : public QObject {
    Q_OBJECT

  public:
    ViewCommands(CommandRegistry& commands, DocumentWindows& windows, qv::EnvData& env,
                 TGroupListPanel& groupList, TMapViewer& map, QWidget* dialogParent);
    ~ViewCommands() override;

    // Shows or hides the group list.
    void ShowGrpLst();
    // Closes the map when it shows, else shows it.
    void ShowMapViewer();
    // The whole-size dialog on the active document; OK marks it modified and repaints it (the
    // map follows).
    void OptionScrSize();

    TScrSizeDlg& SizeDialog();

  signals:
    // The group list or the map was shown or hidden by its command.
    void PanelToggled();

  private:
    DocumentWindows& windows_;
    qv::EnvData& env_;
    TGroupListPanel& groupList_;
    TMapViewer& map_;
    QWidget* dialogParent_;
    std::unique_ptr<TScrSizeDlg> sizeDialog_;
};
