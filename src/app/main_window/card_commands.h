// Plugs the card property dialog, the find dialog, the selection and move commands and the link
// jumps into the main window: command handlers, the group and window submenus, the colour and
// tool pop-ups, the brush panel and the openers of the property dialog. Lives as long as the
// main window it serves.
#pragma once

#include <QObject>
#include <memory>

#include "app/main_window/selection_commands.h"

class AppServices;
class CardDialogs;
class TQuillovaMainForm;

class CardCommands final : public QObject {
    Q_OBJECT

  public:
    CardCommands(TQuillovaMainForm& form, AppServices& services);
    ~CardCommands() override;

    CardDialogs& Cards() { return *cards_; }
    SelectionCommands& Selection() { return *selection_; }
    QMenu* LinePopup() const { return linePopup_; }
    QMenu* BrushPopup() const { return brushPopup_; }

  private:
    // The views and commands follow a change of the active document.
    void RefreshViews();
    void RegisterHandlers();
    void AttachMenus();

    TQuillovaMainForm& form_;
    AppServices& services_;
    std::unique_ptr<CardDialogs> cards_;
    std::unique_ptr<SelectionCommands> selection_;
    QMenu* linePopup_ = nullptr;
    QMenu* brushPopup_ = nullptr;
};
