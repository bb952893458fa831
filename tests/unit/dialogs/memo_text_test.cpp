#include "core/dialogs/memo_text.h"

#include <gtest/gtest.h>

#include <string>

namespace qv {
namespace {

constexpr std::string_view kMarker = "\x81\x5f";  // "＼"

TEST(MemoText, LineBreaksBecomeTheMarkerAndComeBack) {
    // "あ\nb\r\nc" -> あ＼b＼c
    const CardTextConversion c = MemoToCardText("\xe3\x81\x82\nb\r\nc", kMarker);
    EXPECT_TRUE(c.Complete());
    EXPECT_EQ(c.Text,
              "\x82\xa0\x81\x5f"
              "b\x81\x5f"
              "c");
    EXPECT_EQ(CardTextToMemo(c.Text, kMarker), "\xe3\x81\x82\nb\nc");
}

TEST(MemoText, CharactersTheCodePageCannotHoldAreReportedOnce) {
    // "a😀b😀★" : the emoji cannot be held, the star can.
    const CardTextConversion c = MemoToCardText(
        "a\xf0\x9f\x98\x80"
        "b\xf0\x9f\x98\x80\xe2\x98\x85",
        kMarker);
    ASSERT_EQ(c.Unheld.size(), 1u);
    EXPECT_EQ(c.Unheld[0], "\xf0\x9f\x98\x80");
    EXPECT_EQ(c.Text, "ab\x81\x9a");
    // A malformed byte is reported too rather than dropped silently.
    EXPECT_FALSE(MemoToCardText("x\xff", kMarker).Complete());
}

TEST(MemoText, LengthCountsCodePageBytes) {
    EXPECT_EQ(Cp932Length("abc"), 3u);
    EXPECT_EQ(Cp932Length("\xe3\x81\x82"), 2u);  // あ
    EXPECT_EQ(Cp932Length("\xef\xbd\xb1"), 1u);  // half-width ｱ
    EXPECT_EQ(Cp932Length("a\nb"), 4u);          // line break kept as CR LF
    EXPECT_EQ(Cp932Length("\xf0\x9f\x98\x80"
                          "a"),
              3u);  // emoji counted as two
}

TEST(MemoText, InsertionBeyondTheLimitIsCutAtWholeCharacters) {
    int caret = 0;
    std::string before(798, 'a');
    // Inserting "あい" in the middle: only 2 bytes are left, so "あ" is kept and "い" dropped.
    std::string after = before.substr(0, 10) + "\xe3\x81\x82\xe3\x81\x84" + before.substr(10);
    std::string kept = LimitInsertion(before, after, 800, caret);
    EXPECT_EQ(Cp932Length(kept), 800u);
    EXPECT_EQ(kept, before.substr(0, 10) + "\xe3\x81\x82" + before.substr(10));
    EXPECT_EQ(caret, 11);
    // One byte left: a double-byte character does not fit and is never split.
    before.assign(799, 'a');
    after = before + "\xe3\x81\x82";
    EXPECT_EQ(LimitInsertion(before, after, 800, caret), before);
    // Within the limit nothing changes.
    EXPECT_EQ(LimitInsertion("ab", "abc", 800, caret), "abc");
    EXPECT_EQ(caret, -1);
    // A text over the limit already may shrink.
    const std::string longText(900, 'b');
    EXPECT_EQ(LimitInsertion(longText, longText.substr(1), 800, caret), longText.substr(1));
}

TEST(MemoText, ClipboardLinesThatCannotBeHeldAreSetApart) {
    // "a", "x😀", "", "あ" with mixed line ends.
    const ClipboardConversion c = ClipboardToCp932("a\r\nx\xf0\x9f\x98\x80\n\r\xe3\x81\x82");
    EXPECT_EQ(c.Text, "a\r\n\r\n\x82\xa0");
    ASSERT_EQ(c.UnheldLines.size(), 1u);
    EXPECT_EQ(c.UnheldLines[0], "x?");
    EXPECT_TRUE(ClipboardToCp932("").UnheldLines.empty());
}

}  // namespace
}  // namespace qv
