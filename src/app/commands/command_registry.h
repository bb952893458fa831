// Turns the command table into QActions, once, on the main window itself (so a key works even
// when its menu or tool bar is hidden, and only while no modal dialog is open), runs the enabling
// rules, applies and stores the user's keys, and dispatches to the handlers the main window's
// areas register. A command without a handler yet is in every menu with its caption, hint, key and
// rule; the work that builds it only has to call SetHandler.
#pragma once

#include <QKeySequence>
#include <QObject>
#include <array>
#include <functional>

#include "app/commands/command_table.h"
#include "core/settings/shortcut.h"

class QAction;
class QWidget;

namespace qv {
class UsrIniFile;
}

// The group list's fixed keys for moving a group up or down; not commands, never reassigned.
inline constexpr qv::ShortCut kGroupListUpKey = qv::kShortCutAlt | 0x26;
inline constexpr qv::ShortCut kGroupListDownKey = qv::kShortCutAlt | 0x28;

class CommandRegistry : public QObject {
    Q_OBJECT

  public:
    using StateFn = std::function<EnablingState()>;

    // Makes one action per command and adds it to `owner`.
    CommandRegistry(QWidget* owner, StateFn state);

    QAction* Action(CommandId id) const { return actions_[static_cast<std::size_t>(id)]; }
    void SetHandler(CommandId id, std::function<void()> handler);
    bool HasHandler(CommandId id) const;

    // Runs the command when its rule allows it now (a greyed command never runs, whatever
    // route it came by). Returns whether it ran.
    bool Run(CommandId id);

    // Greys out or enables every action by its rule.
    void UpdateEnabling();
    bool Allowed(CommandId id) const;

    // Keys from section ShortCut ("<Name>Item"; empty or missing: the built-in key, unknown
    // text: no key). When two commands ask for one key the first in table order keeps it,
    // since Qt would run neither.
    void ApplyKeys(const qv::UsrIniFile& ini);
    // Every command's assigned key as text, empty for none.
    void WriteKeys(qv::UsrIniFile& ini) const;
    // The key assigned to a command (a clash may leave its action without it).
    qv::ShortCut Key(CommandId id) const { return keys_[static_cast<std::size_t>(id)]; }
    void SetKey(CommandId id, qv::ShortCut key);

  signals:
    // A command is about to run (its rule allowed it): edits made before it end here.
    void CommandStarting(CommandId id);
    // After a command ran: the state the rules read may have changed.
    void CommandRan(CommandId id);

  private:
    void ResolveKeys();

    StateFn state_;
    std::array<QAction*, kCommandCount> actions_{};
    std::array<std::function<void()>, kCommandCount> handlers_{};
    std::array<qv::ShortCut, kCommandCount> keys_{};
};
