#include "app/commands/card_commands.h"

#include <QCursor>

#include "app/app_services.h"
#include "app/commands/card_dialogs.h"
#include "app/commands/command_registry.h"
#include "app/platform/link_follower.h"
#include "core/model/frag_set.h"

namespace {
using C = CommandId;
}  // namespace

CardCommands::CardCommands(CommandRegistry& commands, DocumentWindows& windows,
                           qv::DocumentHost& host, AppServices& services, QWidget* dialogParent)
    : windows_(windows),
      host_(host),
      cards_(std::make_unique<CardDialogs>(services.Env(), services.Ini(), &services.Plugins(),
                                           dialogParent)),
      selection_(std::make_unique<SelectionCommands>(windows, services.Env(), services.Ini(),
                                                     services.Buffer(), dialogParent)) {
    RegisterHandlers(commands, services);
    linePopup_ = selection_->LinePopup(dialogParent, commands.Action(C::ToolNrm));
    brushPopup_ = selection_->BrushPopup(dialogParent, commands.Action(C::EditSelBgCol),
                                         commands.Action(C::ToolNrm));
}

CardCommands::~CardCommands() = default;

void CardCommands::RefreshViews() {
    windows_.RefreshViews();
}

void CardCommands::EditSelection(qv::FragSet& set) {
    cards_->EditSelection(set);
    RefreshViews();
}

void CardCommands::NewFragment(qv::FragSet& set, const qv::NewFragmentRequest& request) {
    cards_->NewFragment(set, request);
    RefreshViews();
}

void CardCommands::PopupToolMenu(qv::ToolMode tool, const QPoint& global) {
    if (tool == qv::ToolMode::GroupLine) linePopup_->popup(global);
    if (tool == qv::ToolMode::Brush) brushPopup_->popup(global);
}

void CardCommands::RegisterHandlers(CommandRegistry& r, AppServices& services) {
    qv::LinkFollower& links = services.Links();
    const auto withDocument = [this](auto fn) {
        return [this, fn] {
            if (qv::FragSet* d = windows_.ActiveDocument()) {
                fn(*d);
                host_.TurnImeOff();
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
        if (qv::FragSet* d = windows_.ActiveDocument()) links.JumpSelection(*d);
        RefreshViews();
    });
    r.SetHandler(C::GoBack, [this, &links] {
        links.GoBack(windows_.ActiveDocument());
        RefreshViews();
    });
    r.SetHandler(C::GoForward, [this, &links] {
        links.GoForward();
        RefreshViews();
    });
    r.SetHandler(C::GoHome, [this, &links] {
        links.GoHome(windows_.ActiveDocument());
        RefreshViews();
    });
}
