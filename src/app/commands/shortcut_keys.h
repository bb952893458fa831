// Shortcut codes of the settings file <-> Qt key sequences, for binding commands to keys.
#pragma once

#include <QKeySequence>

#include "core/settings/shortcut.h"

namespace qv {

// The key sequence of a shortcut code; empty for 0 or a key outside the 53 named keys.
QKeySequence ShortcutToKeySequence(ShortCut code);

// The shortcut code of the first key of a sequence; 0 when the sequence is empty or uses a key or
// modifier the settings file cannot name (Meta, digits, punctuation, further keys).
ShortCut KeySequenceToShortcut(const QKeySequence& sequence);

}  // namespace qv
