#include "app/main_window/card_commands.h"

#include <QCursor>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolButton>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/dialogs/frg_prop_dlg.h"
#include "app/dialogs/option_dlg.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/card_dialogs.h"
#include "app/main_window/main_form.h"
#include "app/main_window/settings_commands.h"
#include "app/platform/link_follower.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "render/colors.h"

namespace {
using C = CommandId;
using Dyn = TQuillovaMainForm::DynamicMenu;
}  // namespace

CardCommands::CardCommands(TQuillovaMainForm& form, AppServices& services)
    : QObject(&form),
      form_(form),
      services_(services),
      cards_(std::make_unique<CardDialogs>(services.Env(), services.Ini(), &services.Plugins(),
                                           &form)),
      selection_(std::make_unique<SelectionCommands>(form.Documents(), services.Env(),
                                                     services.Ini(), services.Buffer(), &form)) {
    DocumentManager& documents = form.Documents();
    connect(&documents, &DocumentManager::EditSelectionRequested, this, [this](qv::FragSet& set) {
        cards_->EditSelection(set);
        RefreshViews();
    });
    connect(&documents, &DocumentManager::NewFragmentRequested, this,
            [this](qv::FragSet& set, const qv::NewFragmentRequest& request) {
                cards_->NewFragment(set, request);
                RefreshViews();
            });
    // The input-method setting changed in the options dialog reaches the property dialog at once.
    if (auto* settings = form.findChild<SettingsCommands*>()) {
        settings->OptionDialog().OnImeChanged = [this](bool on) {
            cards_->PropertyDialog().SetImeOpen(on);
        };
    }
    RegisterHandlers();
    AttachMenus();
    connect(selection_.get(), &SelectionCommands::BrushColourChanged, this,
            [this](qv::Color) { form_.UpdateBrushPanel(); });
}

CardCommands::~CardCommands() = default;

void CardCommands::RefreshViews() {
    form_.Documents().RefreshViews();
}

void CardCommands::RegisterHandlers() {
    CommandRegistry& r = form_.Commands();
    qv::LinkFollower& links = services_.Links();
    const auto withDocument = [this](auto fn) {
        return [this, fn] {
            if (qv::FragSet* d = form_.ActiveDocument()) {
                fn(*d);
                form_.TurnImeOff();
                RefreshViews();
            }
        };
    };
    r.SetHandler(C::EditNew, withDocument([this](qv::FragSet& d) {
                     cards_->NewFragment(d, qv::NewFragmentRequest{});
                 }));
    r.SetHandler(C::EditProperty,
                 withDocument([this](qv::FragSet& d) { cards_->EditSelection(d); }));
    r.SetHandler(C::EditFind, [this] { selection_->Find(); });
    r.SetHandler(C::EditPrevSel, [this] { selection_->StepSelection(false); });
    r.SetHandler(C::EditNextSel, [this] { selection_->StepSelection(true); });
    r.SetHandler(C::EditSelBgCol, [this] { selection_->PopupColours(false, QCursor::pos()); });
    r.SetHandler(C::GoJump, [this, &links] {
        if (qv::FragSet* d = form_.ActiveDocument()) links.JumpSelection(*d);
        RefreshViews();
    });
    r.SetHandler(C::GoBack, [this, &links] {
        links.GoBack(form_.ActiveDocument());
        RefreshViews();
    });
    r.SetHandler(C::GoForward, [this, &links] {
        links.GoForward();
        RefreshViews();
    });
    r.SetHandler(C::GoHome, [this, &links] {
        links.GoHome(form_.ActiveDocument());
        RefreshViews();
    });
}

void CardCommands::AttachMenus() {
    selection_->AttachGroupSelectMenu(form_.Dynamic(Dyn::EditSelectGroup));
    selection_->AttachGroupSelectMenu(form_.Dynamic(Dyn::PopupSelectGroup));
    selection_->AttachGroupMoveMenu(form_.Dynamic(Dyn::EditMoveToGroup));
    selection_->AttachGroupMoveMenu(form_.Dynamic(Dyn::PopupMoveToGroup));
    selection_->AttachMoveToWindowMenu(form_.Dynamic(Dyn::EditMoveToWindow));
    selection_->AttachMoveToWindowMenu(form_.Dynamic(Dyn::PopupMoveToWindow));
    CommandRegistry& r = form_.Commands();
    linePopup_ = selection_->LinePopup(&form_, r.Action(C::ToolNrm));
    brushPopup_ = selection_->BrushPopup(&form_, r.Action(C::EditSelBgCol), r.Action(C::ToolNrm));
    form_.OnToolPopup = [this](TQuillovaMainForm::Tool tool, const QPoint& global) {
        if (tool == TQuillovaMainForm::Tool::GroupLine) {
            linePopup_->popup(global);
            return true;
        }
        if (tool == TQuillovaMainForm::Tool::Brush) {
            brushPopup_->popup(global);
            return true;
        }
        return false;
    };
    if (QToolButton* panel = form_.BrushPanel())
        connect(panel, &QToolButton::clicked, selection_.get(),
                &SelectionCommands::ChooseBrushColour);
}
