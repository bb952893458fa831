// The main window's own parts following the settings after the options dialog's OK.
#include <QToolBar>
#include <QToolButton>

#include "app/main_window/main_form.h"
#include "core/settings/env_data.h"

void TQuillovaMainForm::FollowSettings() {
    ApplyStatusBarFont();
    for (QToolBar* bar : toolBars_) {
        for (QToolButton* button : bar->findChildren<QToolButton*>())
            button->setAutoRaise(Env().FlatToolBar);
    }
    ApplyHideTitleMenu();
    DispStatusUpdate();
}
