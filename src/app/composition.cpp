#include "app/composition.h"

#include <QMdiSubWindow>
#include <QStatusBar>
#include <QToolButton>

#include "app/app_services.h"
#include "app/commands/card_commands.h"
#include "app/commands/card_dialogs.h"
#include "app/commands/command_registry.h"
#include "app/commands/export_commands.h"
#include "app/commands/settings_commands.h"
#include "app/commands/view_commands.h"
#include "app/dialogs/frg_prop_dlg.h"
#include "app/dialogs/option_dlg.h"
#include "app/document/document_windows.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/output/document_output.h"
#include "app/panels/group_list_panel.h"
#include "app/recovery/crash_recovery.h"

namespace {

using Dyn = TQuillovaMainForm::DynamicMenu;

// The main window's document windows as the command groups see them.
class FormWindows final : public DocumentWindows {
  public:
    explicit FormWindows(TQuillovaMainForm& form) : form_(form) {}
    qv::FragSet* ActiveDocument() const override { return form_.ActiveDocument(); }
    std::vector<Entry> DocumentWindowList() const override {
        std::vector<Entry> list;
        const TMDIChild* active = form_.ActiveChild();
        for (TMDIChild* child : form_.Children())
            list.push_back({&child->Set(), child->Caption(), child == active});
        return list;
    }
    void ActivateDocumentWindow(int index) override {
        const QList<TMDIChild*> children = form_.Children();
        if (index < 0 || index >= children.size()) return;
        form_.ShowDocumentWindow(qobject_cast<QMdiSubWindow*>(children[index]->parentWidget()));
    }
    void ShowMessage(const QString& text) override { form_.ShowMessage(text); }
    void RefreshViews() override {
        form_.RefreshViews();
        form_.UpdateCommands();
    }

  private:
    TQuillovaMainForm& form_;
};

}  // namespace

Program::Program(AppServices& services, const ProgramOptions& options)
    : window_(std::make_unique<TQuillovaMainForm>(services)),
      windows_(std::make_unique<FormWindows>(*window_)),
      settings_(std::make_unique<SettingsCommands>(window_->Commands(), *windows_, window_->Host(),
                                                   services, window_.get())),
      cards_(std::make_unique<CardCommands>(window_->Commands(), *windows_, window_->Host(),
                                            services, window_.get())),
      views_(std::make_unique<ViewCommands>(window_->Commands(), *windows_, services.Env(),
                                            *window_->GroupList(), *window_->MapViewer(),
                                            window_.get())),
      recovery_(std::make_unique<CrashRecovery>(*window_, services, options.RecoveryFolder)) {
    // The submenu belongs to the File menu, which deletes it.
    ExportCommands::Install(*windows_, services, window_.get(), *window_->MainMenu(0),
                            window_->Commands().Action(CommandId::FileImgOut));
    Connect();
}

Program::~Program() {
    // The window's host outlives the card commands it calls.
    MainDocumentHost& host = window_->Host();
    host.OnEditSelection = nullptr;
    host.OnNewFragment = nullptr;
    window_->OnDropLinkFile = nullptr;
}

CommandRegistry& Program::Commands() {
    return window_->Commands();
}

void Program::Connect() {
    TQuillovaMainForm& w = *window_;
    CardCommands& cards = *cards_;
    MainDocumentHost& host = w.Host();
    host.OnEditSelection = [&cards](qv::FragSet& set) { cards.EditSelection(set); };
    host.OnNewFragment = [&cards](qv::FragSet& set, const qv::NewFragmentRequest& request) {
        cards.NewFragment(set, request);
    };
    w.OnDropLinkFile = [&cards](qv::FragSet& set, const std::string& cp932Path) {
        cards.NewLinkCard(set, cp932Path);
    };

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
    QObject::connect(&settings_->OptionDialog(), &TOptionDlg::ImeChanged, &cards,
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
