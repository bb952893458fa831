#include <gtest/gtest.h>

#include "core/text/cp932.h"
#include "core/text/sjis.h"
#include "core/text/text_helpers.h"

namespace qv {
namespace {

// "表" is 0x95 0x5C: its trail byte is the backslash. "ソ" is 0x83 0x5C, "ー" 0x81 0x5B,
// "　" (full-width blank) 0x81 0x40, "＼" 0x81 0x5F.
const std::string kHyou = "\x95\x5C";
const std::string kFullBlank = "\x81\x40";

TEST(SplitFields, MissingFieldsAreEmptyAndCountIsWhatWasFound) {
    std::size_t found = 0;
    auto f = SplitFields("a,b,c", 9, &found);
    EXPECT_EQ(found, 3u);
    ASSERT_EQ(f.size(), 9u);
    EXPECT_EQ(f[0], "a");
    EXPECT_EQ(f[2], "c");
    for (std::size_t i = 3; i < 9; ++i)
        EXPECT_EQ(f[i], "");
}

TEST(SplitFields, QuotedFieldsKeepCommasAndUndoubleQuotes) {
    std::size_t found = 0;
    auto f = SplitFields(R"("say ""hi"", you",2)", 3, &found);
    EXPECT_EQ(found, 2u);
    EXPECT_EQ(f[0], "say \"hi\", you");
    EXPECT_EQ(f[1], "2");
}

TEST(SplitFields, UnclosedQuoteLosesTheFieldAndEndsTheLine) {
    std::size_t found = 0;
    auto f = SplitFields("1,\"open field, 3, 4", 4, &found);
    EXPECT_EQ(found, 2u);
    EXPECT_EQ(f[0], "1");
    EXPECT_EQ(f[1], "");
    EXPECT_EQ(f[2], "");
}

TEST(SplitFields, TextAfterClosingQuoteIsIgnoredUntilComma) {
    auto f = SplitFields("\"a\"junk,b", 2);
    // Anything but a comma after the closing quote ends the line.
    EXPECT_EQ(f[0], "a");
    EXPECT_EQ(f[1], "");
    auto g = SplitFields("\"a\"  , b ", 2);
    EXPECT_EQ(g[0], "a");
    EXPECT_EQ(g[1], "b");
}

TEST(SplitFields, QuoteAtEndOfLineClosesTheField) {
    std::size_t found = 0;
    auto f = SplitFields("\"abc\"", 2, &found);
    EXPECT_EQ(found, 1u);
    EXPECT_EQ(f[0], "abc");
}

TEST(SplitFields, ControlBytesAndBlanksAroundFieldsAreDropped) {
    auto f = SplitFields("  x , \t y\r\n", 2);
    EXPECT_EQ(f[0], "x ");  // blanks before a comma stay part of an unquoted field
    EXPECT_EQ(f[1], "y");
}

TEST(SplitFields, DoubleByteTextWithBackslashTrailStaysWhole) {
    auto f = SplitFields(kHyou + "," + kHyou + kHyou, 2);
    EXPECT_EQ(f[0], kHyou);
    EXPECT_EQ(f[1], kHyou + kHyou);
}

TEST(SplitFields, ReusedVectorIsClearedBetweenLines) {
    std::vector<std::string> fields;
    SplitFields("a,b,c", 3, fields);
    EXPECT_EQ(SplitFields("z", 3, fields), 1u);
    EXPECT_EQ(fields[1], "");
    EXPECT_EQ(fields[2], "");
}

TEST(TrimBlanks, RemovesAsciiAndFullWidthBlanksFromBothEnds) {
    EXPECT_EQ(TrimBlanks(" \t" + kFullBlank + "abc" + kFullBlank + " \t"), "abc");
    EXPECT_EQ(TrimBlanks(" \t" + kFullBlank + "\t " + kFullBlank), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimBlanks("a b"), "a b");
}

TEST(TrimBlanks, DoesNotTakeATrailByteForPartOfABlank) {
    // 0x81 0x81 0x40: "＝"? no - 0x8181 is one character ("＝"), followed by '@'. The last two
    // bytes 0x81 0x40 are not a full-width blank here.
    const std::string text = "\x81\x81\x40";
    EXPECT_EQ(TrimBlanks(text), text);
    // A character whose trail byte is 0x81, followed by a real full-width blank.
    const std::string withBlank = std::string("\x88\x81") + kFullBlank;
    EXPECT_EQ(TrimBlanks(withBlank), "\x88\x81");
}

TEST(TrimControls, DropsControlsAndBlanksButNotFullWidthOnes) {
    EXPECT_EQ(TrimControls(std::string("\r\n\t \0a b\x1f ", 10)), "a b");
    EXPECT_EQ(TrimControls(kFullBlank + "a" + kFullBlank), kFullBlank + "a" + kFullBlank);
    EXPECT_EQ(TrimControls(" \x01 "), "");
    EXPECT_EQ(TrimAsciiBlanks(" \t a\r \t"), "a\r");
    EXPECT_EQ(TrimAsciiBlanks(kFullBlank + " "), kFullBlank);
}

TEST(ReplaceAll, InsertedReplacementIsNeverSearchedAgain) {
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceAll("a\"b\"", "\"", "\"\""), "a\"\"b\"\"");
}

TEST(ReplaceAll, EmptyTextOrSearchLeavesTextAlone) {
    EXPECT_EQ(ReplaceAll("", "a", "b"), "");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("abc", "b", ""), "ac");
}

TEST(ReplaceAll, NeverMatchesAcrossACharacterBoundary) {
    // "表" ends in 0x5C; replacing "\\" must leave it alone but replace a real backslash.
    EXPECT_EQ(ReplaceAll(kHyou + "\\", "\\", "/"), kHyou + "/");
    // The marker "＼" (0x81 0x5F) hides inside "ー＿"? Build a text where 0x81 0x5F straddles
    // two characters: 0x88 0x81 is one character, then '_'.
    const std::string straddle = "\x88\x81_";
    EXPECT_EQ(ReplaceAll(straddle, "\x81_", "X"), straddle);
    EXPECT_EQ(ReplaceAll("a\x81_b", "\x81_", "\n"), "a\nb");
}

TEST(Sjis, StepsOverWholeCharacters) {
    const std::string s = "a" + kHyou + "b";
    EXPECT_EQ(sjis::NextChar(s, 0), 1u);
    EXPECT_EQ(sjis::NextChar(s, 1), 3u);
    EXPECT_EQ(sjis::PrevChar(s, 3), 1u);
    EXPECT_EQ(sjis::PrevChar(s, 4), 3u);
    EXPECT_FALSE(sjis::IsCharBoundary(s, 2));
    // A lead byte at the very end is a one-byte character.
    EXPECT_EQ(sjis::CharLength("\x95", 0), 1u);
}

TEST(Sjis, FindOnlyMatchesWholeCharacters) {
    const std::string s = kHyou + "\\";
    EXPECT_EQ(sjis::Find(s, "\\"), 2u);
    EXPECT_EQ(sjis::Find(kHyou, "\\"), std::string::npos);
    EXPECT_EQ(sjis::Find("abc", "\x95"), std::string::npos);
}

TEST(Sjis, CaseFoldingLeavesTrailBytesAlone) {
    // "ア" is 0x83 0x41: its trail byte is 'A' and must not be lowered.
    const std::string a = "\x83\x41x";
    EXPECT_EQ(sjis::LowerAscii(a), "\x83\x41x");
    EXPECT_EQ(sjis::UpperAscii("\x83\x61x"), "\x83\x61X");
    EXPECT_EQ(sjis::FindNoCase("\x83\x61"
                               "A",
                               "a"),
              2u);
    EXPECT_EQ(sjis::FindNoCase("\x83\x61", "A"), std::string::npos);
    EXPECT_TRUE(sjis::EqualsNoCase("General", "GENERAL"));
    EXPECT_FALSE(sjis::EqualsNoCase("\x83\x41", "\x83\x61"));
}

TEST(Cp932, RoundTripsJapaneseTextAndTheBackslashCharacters) {
    const std::string bytes = "\x95\x5C\x81\x5F\\\x81\x40";  // 表＼\　
    std::string utf8 = Cp932ToUtf8(bytes);
    EXPECT_EQ(utf8, "\xE8\xA1\xA8\xEF\xBC\xBC\\\xE3\x80\x80");
    auto back = Utf8ToCp932(utf8);
    EXPECT_TRUE(back.Complete);
    EXPECT_EQ(back.Bytes, bytes);
}

TEST(Cp932, InvalidBytesDecodeToReplacementCharacter) {
    EXPECT_EQ(Cp932ToUtf8("a\xA0"
                          "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Cp932ToUtf8("a\x95"), "a\xEF\xBF\xBD");
}

TEST(Cp932, UnrepresentableCharactersAreReported) {
    auto r = Utf8ToCp932(
        "a\xF0\x9F\x98\x80"
        "b\xC3\xA9");  // emoji, e-acute
    EXPECT_FALSE(r.Complete);
    EXPECT_EQ(r.Bytes, "a?b?");
    auto bad = Utf8ToCp932("x\xFFy");
    EXPECT_FALSE(bad.Complete);
    EXPECT_EQ(bad.Bytes, "x?y");
}

TEST(Cp932, HexIsLowerCaseTwoDigitsPerByte) {
    EXPECT_EQ(HexBytes("\x81\x40\x0a"), "81400a");
}

}  // namespace
}  // namespace qv
