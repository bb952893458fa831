#include "app/commands/command_registry.h"

#include <QAction>
#include <QWidget>
#include <string>
#include <vector>

#include "app/commands/command_icons.h"
#include "app/commands/shortcut_keys.h"
#include "app/texts.h"
#include "core/settings/usr_ini_file.h"

namespace {

// Hints are "short|long" or one text for both.
void ApplyHint(QAction* action, std::string_view hint) {
    const QString text = texts::Q(hint);
    const qsizetype bar = text.indexOf(u'|');
    action->setToolTip(bar < 0 ? text : text.left(bar));
    action->setStatusTip(bar < 0 ? text : text.mid(bar + 1));
}

std::string KeyName(const CommandRow& row) {
    return std::string(row.Name) + "Item";
}

}  // namespace

CommandRegistry::CommandRegistry(QWidget* owner, StateFn state)
    : QObject(owner), state_(std::move(state)) {
    for (const CommandRow& row : CommandTable()) {
        auto* action = new QAction(texts::Q(row.Caption), owner);
        action->setObjectName(texts::Q(row.Name));
        ApplyHint(action, row.Hint);
        if (row.Image >= 0) action->setIcon(CommandIcon(row.Image));
        action->setShortcutContext(Qt::WindowShortcut);
        const CommandId id = row.Id;
        connect(action, &QAction::triggered, this, [this, id] { Run(id); });
        owner->addAction(action);
        actions_[static_cast<std::size_t>(id)] = action;
        keys_[static_cast<std::size_t>(id)] = qv::TextToShortCut(row.Key);
    }
    ResolveKeys();
}

void CommandRegistry::SetHandler(CommandId id, std::function<void()> handler) {
    handlers_[static_cast<std::size_t>(id)] = std::move(handler);
}

bool CommandRegistry::HasHandler(CommandId id) const {
    return static_cast<bool>(handlers_[static_cast<std::size_t>(id)]);
}

bool CommandRegistry::Allowed(CommandId id) const {
    return RuleAllows(Command(id).Rule, state_());
}

bool CommandRegistry::Run(CommandId id) {
    if (!Allowed(id)) {
        UpdateEnabling();
        return false;
    }
    const auto& handler = handlers_[static_cast<std::size_t>(id)];
    if (!handler) return false;
    emit CommandStarting(id);
    handler();
    emit CommandRan(id);
    return true;
}

void CommandRegistry::UpdateEnabling() {
    const EnablingState state = state_();
    // Commands without a rule are left as their menus set them on opening (the division-line
    // switch greys itself there for a page without divisions until the menu opens again).
    for (const CommandRow& row : CommandTable())
        if (row.Rule != EnablingRule::Always)
            Action(row.Id)->setEnabled(RuleAllows(row.Rule, state));
}

void CommandRegistry::SetKey(CommandId id, qv::ShortCut key) {
    keys_[static_cast<std::size_t>(id)] = key;
    ResolveKeys();
}

void CommandRegistry::ResolveKeys() {
    std::vector<bool> taken(0x10000, false);
    std::vector<bool> kept(CommandTable().size(), false);
    for (const CommandRow& row : CommandTable()) {
        const qv::ShortCut key = Key(row.Id);
        if (qv::ShortcutToKeySequence(key).isEmpty() || taken[key]) continue;
        taken[key] = true;
        kept[static_cast<std::size_t>(row.Id)] = true;
    }
    // A key's other spellings (the plus key's) go only where no command has them as its own.
    const auto free = [&taken](qv::ShortCut code) { return !taken[code]; };
    for (const CommandRow& row : CommandTable())
        Action(row.Id)->setShortcuts(kept[static_cast<std::size_t>(row.Id)]
                                         ? qv::ShortcutKeySequences(Key(row.Id), free)
                                         : QList<QKeySequence>());
}

void CommandRegistry::ApplyKeys(const qv::UsrIniFile& ini) {
    for (const CommandRow& row : CommandTable()) {
        std::string text = ini.ReadString("ShortCut", KeyName(row), "");
        if (text.empty()) text = std::string(row.Key);
        keys_[static_cast<std::size_t>(row.Id)] = qv::TextToShortCut(text);
    }
    ResolveKeys();
}

void CommandRegistry::WriteKeys(qv::UsrIniFile& ini) const {
    for (const CommandRow& row : CommandTable())
        ini.WriteString("ShortCut", KeyName(row), qv::ShortCutToText(Key(row.Id)));
}
