// The program as BuildProgram puts it together.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <memory>
#include <string>

#include "app/app_services.h"
#include "app/commands/card_commands.h"
#include "app/commands/card_dialogs.h"
#include "app/commands/command_registry.h"
#include "app/commands/command_table.h"
#include "app/commands/settings_commands.h"
#include "app/composition.h"
#include "app/dialogs/find_set_dlg.h"
#include "app/dialogs/frg_prop_dlg.h"
#include "app/dialogs/option_dlg.h"
#include "app/dialogs/stretch_dlg.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"

namespace {

TEST(Composition, EveryCommandOfTheTableHasAHandler) {
    AppServices services;
    const std::unique_ptr<Program> program = BuildProgram(services);
    for (const CommandRow& row : CommandTable())
        EXPECT_TRUE(program->Commands().HasHandler(row.Id)) << std::string(row.Name);
}

TEST(Composition, DialogsAreMadeWhenFirstAskedFor) {
    AppServices services;
    const std::unique_ptr<Program> program = BuildProgram(services);
    TQuillovaMainForm& w = program->Window();
    EXPECT_TRUE(w.findChildren<TFrgPropDlg*>().isEmpty());
    EXPECT_TRUE(w.findChildren<TFindSetDlg*>().isEmpty());
    EXPECT_TRUE(w.findChildren<TOptionDlg*>().isEmpty());
    EXPECT_TRUE(w.findChildren<TStretchDlg*>().isEmpty());
    // Asking twice gives the same dialog, which keeps what it was told.
    TOptionDlg* options = &program->Settings().OptionDialog();
    EXPECT_EQ(&program->Settings().OptionDialog(), options);
    EXPECT_EQ(w.findChildren<TOptionDlg*>().size(), 1);
    EXPECT_EQ(&program->Cards().Cards().PropertyDialog(),
              &program->Cards().Cards().PropertyDialog());
    EXPECT_EQ(w.findChildren<TFrgPropDlg*>().size(), 1);
    // The options dialog's input-method switch reaches the property dialog.
    bool told = false;
    QObject::connect(&program->Settings(), &SettingsCommands::ImeChanged,
                     [&told](bool) { told = true; });
    emit options->ImeChanged(true);
    EXPECT_TRUE(told);
}

TEST(Composition, WindowSubmenusHoldNothingUntilTheyOpen) {
    AppServices services;
    const std::unique_ptr<Program> program = BuildProgram(services);
    TQuillovaMainForm& w = program->Window();
    using Dyn = TQuillovaMainForm::DynamicMenu;
    for (Dyn which : {Dyn::RecentFiles, Dyn::EditMoveToWindow, Dyn::PopupMoveToWindow})
        EXPECT_TRUE(w.Dynamic(which)->actions().isEmpty()) << static_cast<int>(which);
    ASSERT_NE(w.Documents().NewDocument(), nullptr);
    ASSERT_NE(w.Documents().NewDocument(), nullptr);
    // Item i stands for window i; the active window is not offered.
    for (Dyn which : {Dyn::EditMoveToWindow, Dyn::PopupMoveToWindow}) {
        QMenu& menu = *w.Dynamic(which);
        for (int open = 0; open < 2; ++open) {
            emit menu.aboutToShow();
            ASSERT_EQ(menu.actions().size(), 2);
            EXPECT_TRUE(menu.actions()[0]->isVisible());
            EXPECT_TRUE(menu.actions()[0]->text().startsWith(QStringLiteral("&1:")));
            EXPECT_FALSE(menu.actions()[1]->isVisible());
        }
    }
    // The Window menu's list: one item per window, made as the menu opens, fewer as windows go.
    EXPECT_TRUE(w.WindowListItems().isEmpty());
    emit w.WindowMenu()->aboutToShow();
    ASSERT_EQ(w.WindowListItems().size(), 2);
    EXPECT_EQ(w.WindowMenu()->actions().last(), w.WindowListItems().last());
    QMdiSubWindow* last = w.DocumentArea()->subWindowList().last();
    w.Children().last()->ApproveClose();
    last->close();
    QApplication::processEvents();
    emit w.WindowMenu()->aboutToShow();
    ASSERT_EQ(w.WindowListItems().size(), 1);
    EXPECT_EQ(w.WindowListItems()[0]->text(), QStringLiteral("&1: 無題"));
    for (TMDIChild* child : w.Children())
        child->ApproveClose();
}

}  // namespace
