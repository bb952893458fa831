#include "app/main_window/view_commands.h"

#include "app/dialogs/scr_size_dlg.h"
#include "app/main_window/main_form.h"
#include "app/panels/group_list_panel.h"
#include "app/panels/map_viewer.h"

ViewCommands::ViewCommands(TQuillovaMainForm& form) : form_(form) {}

ViewCommands::~ViewCommands() = default;

TScrSizeDlg& ViewCommands::SizeDialog() {
    if (!sizeDialog_) sizeDialog_ = std::make_unique<TScrSizeDlg>(form_.Env(), &form_);
    return *sizeDialog_;
}

void ViewCommands::ShowGrpLst() {
    form_.GroupList()->ShowOrHide();
}

void ViewCommands::ShowMapViewer() {
    TMapViewer* map = form_.MapViewer();
    if (map->isVisible())
        map->close();
    else
        map->ShowViewer();
}

void ViewCommands::OptionScrSize() {
    if (qv::FragSet* set = form_.ActiveDocument(); set && SizeDialog().Run(set))
        form_.RefreshViews();
}
