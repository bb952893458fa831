// The main window's own parts following the settings after the options dialog's OK.
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>

#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "core/settings/env_data.h"

void TQuillovaMainForm::FollowSettings() {
    for (TMDIChild* child : Children()) {
        child->horizontalScrollBar()->setTracking(Env().ScrollTracking);
        child->verticalScrollBar()->setTracking(Env().ScrollTracking);
    }
    ApplyStatusBarFont();
    for (QToolBar* bar : toolBars_) {
        for (QToolButton* button : bar->findChildren<QToolButton*>())
            button->setAutoRaise(Env().FlatToolBar);
    }
    ApplyHideTitleMenu();
    DispStatusUpdate();
}
