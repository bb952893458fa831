#include "app/commands/command_registry.h"

#include <QAction>
#include <QWidget>
#include <string>
#include <vector>

#include "app/commands/command_icons.h"
#include "app/texts.h"
#include "core/settings/usr_ini_file.h"

namespace {

struct KeyPair {
    std::uint8_t VirtualKey;
    Qt::Key Key;
};

constexpr KeyPair kOtherKeys[] = {
    {0x2E, Qt::Key_Delete}, {0x2D, Qt::Key_Insert},   {0x08, Qt::Key_Backspace},
    {0x21, Qt::Key_PageUp}, {0x22, Qt::Key_PageDown}, {0x24, Qt::Key_Home},
    {0x23, Qt::Key_End},    {0x25, Qt::Key_Left},     {0x26, Qt::Key_Up},
    {0x27, Qt::Key_Right},  {0x28, Qt::Key_Down},     {0x09, Qt::Key_Tab},
    {0x1B, Qt::Key_Escape}, {0x0D, Qt::Key_Return},   {0x20, Qt::Key_Space},
};

int QtKeyOf(std::uint8_t vk) {
    if (vk >= 0x41 && vk <= 0x5A) return Qt::Key_A + (vk - 0x41);
    if (vk >= 0x70 && vk <= 0x7B) return Qt::Key_F1 + (vk - 0x70);
    for (const auto& k : kOtherKeys) {
        if (k.VirtualKey == vk) return k.Key;
    }
    return 0;
}

std::uint8_t VirtualKeyOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<std::uint8_t>(0x41 + key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return static_cast<std::uint8_t>(0x70 + key - Qt::Key_F1);
    if (key == Qt::Key_Enter) return 0x0D;
    for (const auto& k : kOtherKeys) {
        if (k.Key == key) return k.VirtualKey;
    }
    return 0;
}

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

QKeySequence KeySequenceOf(qv::ShortCut code) {
    const int key = QtKeyOf(static_cast<std::uint8_t>(code & qv::kShortCutKeyMask));
    if (key == 0) return {};
    Qt::KeyboardModifiers mods;
    if (code & qv::kShortCutShift) mods |= Qt::ShiftModifier;
    if (code & qv::kShortCutCtrl) mods |= Qt::ControlModifier;
    if (code & qv::kShortCutAlt) mods |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(mods, static_cast<Qt::Key>(key)));
}

qv::ShortCut ShortCutOf(const QKeySequence& sequence) {
    if (sequence.count() != 1) return 0;
    const QKeyCombination combo = sequence[0];
    const std::uint8_t vk = VirtualKeyOf(combo.key());
    if (vk == 0) return 0;
    qv::ShortCut code = vk;
    if (combo.keyboardModifiers() & Qt::ShiftModifier) code |= qv::kShortCutShift;
    if (combo.keyboardModifiers() & Qt::ControlModifier) code |= qv::kShortCutCtrl;
    if (combo.keyboardModifiers() & Qt::AltModifier) code |= qv::kShortCutAlt;
    return code;
}

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
    handler();
    emit CommandRan(id);
    return true;
}

void CommandRegistry::UpdateEnabling() {
    const EnablingState state = state_();
    for (const CommandRow& row : CommandTable())
        Action(row.Id)->setEnabled(RuleAllows(row.Rule, state));
}

void CommandRegistry::SetKey(CommandId id, qv::ShortCut key) {
    keys_[static_cast<std::size_t>(id)] = key;
    ResolveKeys();
}

void CommandRegistry::ResolveKeys() {
    std::vector<bool> taken(0x10000, false);
    for (const CommandRow& row : CommandTable()) {
        const qv::ShortCut key = Key(row.Id);
        QKeySequence sequence = KeySequenceOf(key);
        if (!sequence.isEmpty()) {
            if (taken[key]) {
                sequence = QKeySequence();
            } else {
                taken[key] = true;
            }
        }
        Action(row.Id)->setShortcut(sequence);
    }
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
