#include "app/commands/shortcut_keys.h"

#include <gtest/gtest.h>

namespace {

TEST(ShortcutKeys, EveryNamedKeyMapsBothWays) {
    for (const auto& key : qv::kShortCutKeys) {
        for (qv::ShortCut mods : {0, 0x2000, 0x4000, 0x8000, 0x6000, 0xE000}) {
            const auto code = static_cast<qv::ShortCut>(mods | key.VirtualKey);
            const QKeySequence seq = qv::ShortcutToKeySequence(code);
            ASSERT_FALSE(seq.isEmpty()) << key.Name.data();
            EXPECT_EQ(qv::KeySequenceToShortcut(seq), code) << key.Name.data();
        }
    }
}

TEST(ShortcutKeys, MatchesQtsOwnNames) {
    EXPECT_EQ(qv::ShortcutToKeySequence(0x6074), QKeySequence(QStringLiteral("Ctrl+Shift+F5")));
    EXPECT_EQ(qv::ShortcutToKeySequence(qv::TextToShortCut("Ctrl+X")),
              QKeySequence::fromString("Ctrl+X"));
    EXPECT_EQ(qv::ShortcutToKeySequence(qv::TextToShortCut("Alt+Up")),
              QKeySequence(QStringLiteral("Alt+Up")));
    EXPECT_EQ(qv::ShortcutToKeySequence(qv::TextToShortCut("PgDn")),
              QKeySequence(Qt::Key_PageDown));
    EXPECT_EQ(qv::KeySequenceToShortcut(QKeySequence(QStringLiteral("Ctrl+Del"))), 0x402E);
    EXPECT_EQ(qv::KeySequenceToShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Backtab)), 0x2009);
    EXPECT_EQ(qv::KeySequenceToShortcut(QKeySequence(Qt::KeypadModifier | Qt::Key_Enter)), 0x0D);
}

TEST(ShortcutKeys, UnnamedKeysGiveNothing) {
    EXPECT_TRUE(qv::ShortcutToKeySequence(0).isEmpty());
    EXPECT_TRUE(qv::ShortcutToKeySequence(0x405B).isEmpty());  // the Windows key has no name
    EXPECT_EQ(qv::KeySequenceToShortcut(QKeySequence()), 0);
    EXPECT_EQ(qv::KeySequenceToShortcut(QKeySequence(QStringLiteral("Ctrl+["))), 0);
    EXPECT_EQ(qv::KeySequenceToShortcut(QKeySequence(QStringLiteral("Meta+A"))), 0);
    EXPECT_EQ(qv::KeySequenceToShortcut(QKeySequence(QStringLiteral("Ctrl+K, Ctrl+C"))), 0);
}

TEST(ShortcutKeys, ThePlusKeyIsReachedAsEveryKeyboardSpellsIt) {
    const auto none = [](qv::ShortCut) { return true; };
    const qv::ShortCut ctrlPlus = qv::TextToShortCut("Ctrl++");
    const QList<QKeySequence> seqs = qv::ShortcutKeySequences(ctrlPlus, none);
    ASSERT_EQ(seqs.size(), 3);
    EXPECT_EQ(seqs[0], QKeySequence(Qt::CTRL | Qt::Key_Plus));
    EXPECT_TRUE(seqs.contains(QKeySequence(Qt::CTRL | Qt::Key_Equal)));             // US, unshifted
    EXPECT_TRUE(seqs.contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus)));  // typed "+"
    for (const QKeySequence& s : seqs)
        EXPECT_EQ(qv::KeySequenceToShortcut(s) & ~qv::kShortCutShift, ctrlPlus);
    // The shifted spelling is left to a command that has it as its own key.
    const auto taken = [&](qv::ShortCut c) { return c != (ctrlPlus | qv::kShortCutShift); };
    EXPECT_EQ(qv::ShortcutKeySequences(ctrlPlus, taken).size(), 2);
    // Other keys, and the plus key with Shift named, have their one sequence.
    EXPECT_EQ(qv::ShortcutKeySequences(qv::TextToShortCut("Ctrl+-"), none).size(), 1);
    EXPECT_EQ(qv::ShortcutKeySequences(qv::TextToShortCut("Shift+Ctrl++"), none).size(), 1);
    EXPECT_TRUE(qv::ShortcutKeySequences(0, none).isEmpty());
}

}  // namespace
