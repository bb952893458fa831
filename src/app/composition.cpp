#include "app/composition.h"

#include <QMdiSubWindow>
#include <QStatusBar>
#include <QToolButton>

#include "app/app_services.h"
#include "app/commands/card_commands.h"
#include "app/commands/card_dialogs.h"
#include "app/commands/command_registry.h"
#include "app/commands/export_commands.h"
#include "app/commands/file_commands.h"
#include "app/commands/settings_commands.h"
#include "app/commands/view_commands.h"
#include "app/dialogs/frg_prop_dlg.h"
#include "app/dialogs/option_dlg.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/output/document_output.h"
#include "app/panels/group_list_panel.h"
#include "app/recovery/crash_recovery.h"

namespace {

using Dyn = TQuillovaMainForm::DynamicMenu;

}  // namespace

Program::Program(AppServices& services, const ProgramOptions& options)
    : documents_(std::make_unique<DocumentManager>(services)),
      window_(std::make_unique<TQuillovaMainForm>(services, *documents_)),
      files_(std::make_unique<FileCommands>(window_->Commands(), *documents_, services, *window_,
                                            *window_->MainMenu(0),
                                            *window_->Dynamic(Dyn::RecentFiles))),
      settings_(std::make_unique<SettingsCommands>(window_->Commands(), *documents_, *documents_,
                                                   services, window_.get())),
      cards_(std::make_unique<CardCommands>(window_->Commands(), *documents_, *documents_, services,
                                            window_.get())),
      views_(std::make_unique<ViewCommands>(window_->Commands(), *documents_, services.Env(),
                                            *window_->GroupList(), *window_->MapViewer(),
                                            window_.get())),
      recovery_(std::make_unique<CrashRecovery>(*documents_, services, options.RecoveryFolder)) {
    // The submenu belongs to the File menu, which deletes it.
    ExportCommands::Install(*documents_, services, window_.get(), *window_->MainMenu(0),
                            window_->Commands().Action(CommandId::FileImgOut));
    Connect();
}

Program::~Program() = default;

CommandRegistry& Program::Commands() {
    return window_->Commands();
}

void Program::Connect() {
    TQuillovaMainForm& w = *window_;
    CardCommands& cards = *cards_;
    DocumentManager& documents = w.Documents();
    // The property dialog opens for the documents' double clicks, Enter and dropped link files.
    QObject::connect(&documents, &DocumentManager::EditSelectionRequested, &cards,
                     &CardCommands::EditSelection);
    QObject::connect(&documents, &DocumentManager::NewFragmentRequested, &cards,
                     &CardCommands::NewFragment);

    SelectionCommands& selection = cards.Selection();
    selection.AttachGroupSelectMenu(w.Dynamic(Dyn::EditSelectGroup));
    selection.AttachGroupSelectMenu(w.Dynamic(Dyn::PopupSelectGroup));
    selection.AttachGroupMoveMenu(w.Dynamic(Dyn::EditMoveToGroup));
    selection.AttachGroupMoveMenu(w.Dynamic(Dyn::PopupMoveToGroup));
    selection.AttachMoveToWindowMenu(w.Dynamic(Dyn::EditMoveToWindow));
    selection.AttachMoveToWindowMenu(w.Dynamic(Dyn::PopupMoveToWindow));
    QObject::connect(&w, &TQuillovaMainForm::ToolPopupRequested, &cards,
                     &CardCommands::PopupToolMenu);
    QObject::connect(w.BrushPanel(), &QToolButton::clicked, &selection,
                     &SelectionCommands::ChooseBrushColour);
    QObject::connect(&selection, &SelectionCommands::BrushColourChanged, &w,
                     [&w](qv::Color) { w.UpdateBrushPanel(); });

    // The input-method setting changed in the options dialog reaches the property dialog at once.
    QObject::connect(settings_.get(), &SettingsCommands::ImeChanged, &cards,
                     [&cards](bool on) { cards.Cards().PropertyDialog().SetImeOpen(on); });
    // Output shows its progress at once, not when the event loop next paints.
    QObject::connect(&settings_->Output(), &DocumentOutput::StatusMessage, &w,
                     [&w](const QString& text) {
                         w.ShowMessage(text);
                         w.statusBar()->repaint();
                     });
    QObject::connect(settings_.get(), &SettingsCommands::OptionsApplied, &w, [&w] {
        w.FollowSettings();
        // The group list's font, colours and row height; its rows follow.
        w.GroupList()->ApplyAppearance();
    });
    QObject::connect(views_.get(), &ViewCommands::PanelToggled, &w,
                     &TQuillovaMainForm::NotePanelsShown);
}

std::unique_ptr<Program> BuildProgram(AppServices& services, const ProgramOptions& options) {
    return std::make_unique<Program>(services, options);
}
