// The card commands: the property dialog's openers (the menu, a double click, a dropped link
// file), find, previous / next selected card, select by background colour, the link jumps, the
// group and window submenus and the group-line and brush pop-ups. Registers its own handlers.
#pragma once

#include <QObject>
#include <QPoint>
#include <memory>
#include <string>

#include "app/commands/selection_commands.h"
#include "core/model/ports.h"
#include "core/settings/tool_mode.h"

class AppServices;
class CardDialogs;
class CommandRegistry;

class CardCommands final : public QObject {
    Q_OBJECT

  public:
    CardCommands(CommandRegistry& commands, DocumentWindows& windows, qv::DocumentHost& host,
                 AppServices& services, QWidget* dialogParent);
    ~CardCommands() override;

    CardDialogs& Cards() { return *cards_; }
    SelectionCommands& Selection() { return *selection_; }
    QMenu* LinePopup() const { return linePopup_; }
    QMenu* BrushPopup() const { return brushPopup_; }

    // The property dialog on the selection of `set`, and on a new card; the views follow.
    void EditSelection(qv::FragSet& set);
    void NewFragment(qv::FragSet& set, const qv::NewFragmentRequest& request);
    // The pop-up of the group-line or brush tool at `global`; other tools have none.
    void PopupToolMenu(qv::ToolMode tool, const QPoint& global);

  private:
    void RegisterHandlers(CommandRegistry& r, AppServices& services);
    void RefreshViews();

    DocumentWindows& windows_;
    qv::DocumentHost& host_;
    std::unique_ptr<CardDialogs> cards_;
    std::unique_ptr<SelectionCommands> selection_;
    QMenu* linePopup_ = nullptr;
    QMenu* brushPopup_ = nullptr;
};
