// Shortcut codes of the settings file <-> Qt key sequences, for binding commands to keys.
#pragma once

#include <QKeySequence>
#include <QList>
#include <functional>

#include "core/settings/shortcut.h"

namespace qv {

// The key sequence of a shortcut code; empty for 0 or a key outside the named keys.
QKeySequence ShortcutToKeySequence(ShortCut code);

// Every key sequence that reaches the shortcut, the first being ShortcutToKeySequence. The plus
// key arrives as different Qt keys on different keyboards: "+" typed with Shift (Shift+; on a
// Japanese keyboard, Shift+= on a US one) and "=" unshifted on a US keyboard, so a shortcut
// without Shift on it is reached by all of them (the keypad's + by Qt's own keypad rule).
// `free` says whether another code is still free to be taken by these extra sequences.
QList<QKeySequence> ShortcutKeySequences(ShortCut code, const std::function<bool(ShortCut)>& free);

// The shortcut code of the first key of a sequence; 0 when the sequence is empty or uses a key or
// modifier the settings file cannot name (Meta, punctuation other than + and -, further keys).
// The keypad's keys count as the main keyboard's.
ShortCut KeySequenceToShortcut(const QKeySequence& sequence);

}  // namespace qv
