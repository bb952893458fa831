#include "app/commands/shortcut_keys.h"

namespace qv {

namespace {

struct KeyPair {
    std::uint8_t VirtualKey;
    Qt::Key QtKey;
};

// The named keys that are not letters or F1..F12.
constexpr KeyPair kSpecialKeys[] = {
    {0x2E, Qt::Key_Delete}, {0x2D, Qt::Key_Insert},   {0x08, Qt::Key_Backspace},
    {0x21, Qt::Key_PageUp}, {0x22, Qt::Key_PageDown}, {0x24, Qt::Key_Home},
    {0x23, Qt::Key_End},    {0x25, Qt::Key_Left},     {0x26, Qt::Key_Up},
    {0x27, Qt::Key_Right},  {0x28, Qt::Key_Down},     {0x09, Qt::Key_Tab},
    {0x1B, Qt::Key_Escape}, {0x0D, Qt::Key_Return},   {0x20, Qt::Key_Space},
};

// The virtual keys of the plus and minus keys.
constexpr std::uint8_t kVkPlus = 0xBB;
constexpr std::uint8_t kVkMinus = 0xBD;

std::optional<Qt::Key> QtKeyOf(std::uint8_t vk) {
    if (vk >= 'A' && vk <= 'Z') return static_cast<Qt::Key>(Qt::Key_A + (vk - 'A'));
    if (vk >= '0' && vk <= '9') return static_cast<Qt::Key>(Qt::Key_0 + (vk - '0'));
    if (vk == kVkPlus) return Qt::Key_Plus;
    if (vk == kVkMinus) return Qt::Key_Minus;
    if (vk >= 0x70 && vk <= 0x7B) return static_cast<Qt::Key>(Qt::Key_F1 + (vk - 0x70));
    for (const auto& k : kSpecialKeys) {
        if (k.VirtualKey == vk) return k.QtKey;
    }
    return std::nullopt;
}

std::uint8_t VirtualKeyOf(Qt::Key key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<std::uint8_t>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<std::uint8_t>('0' + (key - Qt::Key_0));
    if (key == Qt::Key_Plus || key == Qt::Key_Equal) return kVkPlus;
    if (key == Qt::Key_Minus) return kVkMinus;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return static_cast<std::uint8_t>(0x70 + (key - Qt::Key_F1));
    if (key == Qt::Key_Enter) return 0x0D;  // the keypad's Enter is the same key here
    for (const auto& k : kSpecialKeys) {
        if (k.QtKey == key) return k.VirtualKey;
    }
    return 0;
}

}  // namespace

QKeySequence ShortcutToKeySequence(ShortCut code) {
    const auto key = QtKeyOf(static_cast<std::uint8_t>(code & kShortCutKeyMask));
    if (!key) return {};
    Qt::KeyboardModifiers mods;
    if (code & kShortCutShift) mods |= Qt::ShiftModifier;
    if (code & kShortCutCtrl) mods |= Qt::ControlModifier;
    if (code & kShortCutAlt) mods |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(mods, *key));
}

QList<QKeySequence> ShortcutKeySequences(ShortCut code, const std::function<bool(ShortCut)>& free) {
    QList<QKeySequence> sequences;
    const QKeySequence first = ShortcutToKeySequence(code);
    if (first.isEmpty()) return sequences;
    sequences.append(first);
    if ((code & kShortCutKeyMask) != kVkPlus || (code & kShortCutShift)) return sequences;
    const QKeyCombination combination = first[0];
    sequences.append(QKeySequence(QKeyCombination(combination.keyboardModifiers(), Qt::Key_Equal)));
    if (free(static_cast<ShortCut>(code | kShortCutShift)))
        sequences.append(QKeySequence(
            QKeyCombination(combination.keyboardModifiers() | Qt::ShiftModifier, Qt::Key_Plus)));
    return sequences;
}

ShortCut KeySequenceToShortcut(const QKeySequence& sequence) {
    if (sequence.isEmpty() || sequence.count() != 1) return 0;
    const QKeyCombination combination = sequence[0];
    Qt::KeyboardModifiers mods = combination.keyboardModifiers() & ~Qt::KeypadModifier;
    Qt::Key key = combination.key();
    // Shift+Tab arrives as Backtab.
    if (key == Qt::Key_Backtab) {
        key = Qt::Key_Tab;
        mods |= Qt::ShiftModifier;
    }
    const std::uint8_t vk = VirtualKeyOf(key);
    if (vk == 0) return 0;
    if (mods & ~(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) return 0;
    ShortCut code = vk;
    if (mods & Qt::ShiftModifier) code |= kShortCutShift;
    if (mods & Qt::ControlModifier) code |= kShortCutCtrl;
    if (mods & Qt::AltModifier) code |= kShortCutAlt;
    return code;
}

}  // namespace qv
