#include <gtest/gtest.h>

#include <set>

#include "core/settings/shortcut.h"

namespace qv {
namespace {

TEST(ShortCutText, CodesAndTexts) {
    EXPECT_EQ(TextToShortCut("Shift+Ctrl+F5"), 0x6074);
    EXPECT_EQ(ShortCutToText(0x6074), "Shift+Ctrl+F5");
    EXPECT_EQ(ShortCutToText(kShortCutAlt | kShortCutCtrl | kShortCutShift | 0x26),
              "Shift+Ctrl+Alt+Up");
    EXPECT_EQ(TextToShortCut("Ctrl+X"), 0x4058);
    EXPECT_EQ(TextToShortCut("Home"), 0x24);
    EXPECT_EQ(TextToShortCut("alt+ctrl+del"), 0xC02E) << "hand-edited forms are understood";
    EXPECT_EQ(TextToShortCut(" Ctrl+Q "), 0x4051);

    for (const char* bad : {"", "Ctrl+", "Shift+Ctrl+", "Ctrl+Foo", "Ctrl+F13", "Ctrl+ Q", "Q+Ctrl",
                            "Ctrl-Q", "Ctrl+Q+"})
        EXPECT_EQ(TextToShortCut(bad), 0) << bad;
    EXPECT_EQ(ShortCutToText(0), "");
    EXPECT_EQ(ShortCutToText(kShortCutCtrl | 0x5B), "") << "the Windows key has no name";
}

TEST(ShortCutText, ThePlusMinusAndDigitKeysOfTheZoomCommands) {
    // "Ctrl++" is Ctrl with the plus key: the prefix takes "Ctrl+", the key is the second "+".
    EXPECT_EQ(TextToShortCut("Ctrl++"), kShortCutCtrl | 0xBB);
    EXPECT_EQ(TextToShortCut("Ctrl+-"), kShortCutCtrl | 0xBD);
    EXPECT_EQ(TextToShortCut("Ctrl+0"), kShortCutCtrl | 0x30);
    EXPECT_EQ(TextToShortCut("Shift+Ctrl+9"), kShortCutShift | kShortCutCtrl | 0x39);
    EXPECT_EQ(TextToShortCut("+"), 0xBB);
    EXPECT_EQ(ShortCutToText(kShortCutCtrl | 0xBB), "Ctrl++");
    EXPECT_EQ(ShortCutToText(kShortCutAlt | 0xBD), "Alt+-");
    for (const char* bad : {"Ctrl+++", "Ctrl+-+", "Ctrl+10", "Ctrl+=", "Ctrl++ +"})
        EXPECT_EQ(TextToShortCut(bad), 0) << bad;
}

TEST(ShortCutText, EveryNamedKeyRoundTrips) {
    EXPECT_EQ(kShortCutKeys.front().Name, "A");
    EXPECT_EQ(kShortCutKeys[26].Name, "F1");
    EXPECT_EQ(kShortCutKeys[38].Name, "Del");
    EXPECT_EQ(kShortCutKeys[52].Name, "Space");
    EXPECT_EQ(kShortCutKeys[53].Name, "0");
    EXPECT_EQ(kShortCutKeys.back().Name, "-");
    std::set<int> codes;
    for (const auto& key : kShortCutKeys) {
        EXPECT_TRUE(codes.insert(key.VirtualKey).second) << key.Name;
        for (ShortCut mods : {0, 0x2000, 0x4000, 0x8000, 0xE000}) {
            const auto code = static_cast<ShortCut>(mods | key.VirtualKey);
            EXPECT_EQ(TextToShortCut(ShortCutToText(code)), code) << key.Name;
        }
    }
}

}  // namespace
}  // namespace qv
