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
    EXPECT_TRUE(qv::ShortcutToKeySequence(0x4030).isEmpty());  // Ctrl+0 has no name in the file
    EXPECT_EQ(qv::KeySequenceToShortcut(QKeySequence()), 0);
    EXPECT_EQ(qv::KeySequenceToShortcut(QKeySequence(QStringLiteral("Ctrl+1"))), 0);
    EXPECT_EQ(qv::KeySequenceToShortcut(QKeySequence(QStringLiteral("Meta+A"))), 0);
    EXPECT_EQ(qv::KeySequenceToShortcut(QKeySequence(QStringLiteral("Ctrl+K, Ctrl+C"))), 0);
}

}  // namespace
