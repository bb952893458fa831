#include "app/commands/view_commands.h"

#include "app/commands/command_registry.h"
#include "app/dialogs/scr_size_dlg.h"
#include "app/document/document_windows.h"
#include "app/panels/group_list_panel.h"
#include "app/panels/map_viewer.h"

ViewCommands::ViewCommands(CommandRegistry& commands, DocumentWindows& windows, qv::EnvData& env,
                           TGroupListPanel& groupList, TMapViewer& map, QWidget* dialogParent)
    : windows_(windows), env_(env), groupList_(groupList), map_(map), dialogParent_(dialogParent) {
    using C = CommandId;
    commands.SetHandler(C::OptionScrSize, [this] { OptionScrSize(); });
    // The panels can be hidden by their own close boxes too: the window reads what shows.
    commands.SetHandler(C::ShowGrpLst, [this] {
        ShowGrpLst();
        emit PanelToggled();
    });
    commands.SetHandler(C::ShowMapViewer, [this] {
        ShowMapViewer();
        emit PanelToggled();
    });
}

ViewCommands::~ViewCommands() = default;

TScrSizeDlg& ViewCommands::SizeDialog() {
    if (!sizeDialog_) sizeDialog_ = std::make_unique<TScrSizeDlg>(env_, dialogParent_);
    return *sizeDialog_;
}

void ViewCommands::ShowGrpLst() {
    groupList_.ShowOrHide();
}

void ViewCommands::ShowMapViewer() {
    if (map_.isVisible())
        map_.close();
    else
        map_.ShowViewer();
}

void ViewCommands::OptionScrSize() {
    if (qv::FragSet* set = windows_.ActiveDocument(); set && SizeDialog().Run(set))
        windows_.RefreshViews();
}
