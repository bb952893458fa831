#include "core/content/japanese_codes.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text/cp932.h"

namespace qv {
namespace {

const std::string kEsc = "\x1B";
const std::string kToJis = kEsc + "$B";
const std::string kToAscii = kEsc + "(B";

// "漢字" in the three encodings, and the same in code page 932.
const std::string kKanjiEuc = "\xB4\xC1\xBB\xFA";
const std::string kKanjiJis = kToJis + "4A;z" + kToAscii;
const std::string kKanjiUtf8 = "\xE6\xBC\xA2\xE5\xAD\x97";
const std::string kKanjiSjis = "\x8A\xBF\x8E\x9A";

std::string Sjis(std::uint16_t code) {
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

TEST(JisCodeToSjis, ConvertsTheTableAndRejectsCodesOutsideIt) {
    EXPECT_EQ(JisCodeToSjis(0x3021), 0x889F);
    EXPECT_EQ(JisCodeToSjis(0x2121), 0x8140);  // first cell: the full-width blank
    EXPECT_EQ(JisCodeToSjis(0x215F), 0x817E);  // odd row: the trail bytes skip 0x7F
    EXPECT_EQ(JisCodeToSjis(0x2160), 0x8180);
    EXPECT_EQ(JisCodeToSjis(0x2221), 0x819F);  // even row
    EXPECT_EQ(JisCodeToSjis(0x5E7E), 0x9FFC);  // last row below the gap
    EXPECT_EQ(JisCodeToSjis(0x5F21), 0xE040);  // first row above it
    EXPECT_EQ(JisCodeToSjis(0x7E7E), 0xEFFC);
    for (std::uint16_t bad : {0x0000, 0x2120, 0x2020, 0x217F, 0x2200, 0x7E7F, 0x7F21, 0xFFFF})
        EXPECT_EQ(JisCodeToSjis(bad), 0) << std::hex << bad;
}

TEST(EucToSjis, ConvertsKanjiKatakanaAndVendorCharacters) {
    EXPECT_EQ(EucToSjis("a" + kKanjiEuc + "<b>"), "a" + kKanjiSjis + "<b>");
    EXPECT_EQ(EucToSjis("\x8E\xB1\x8E\xDF"), "\xB1\xDF");  // half-width katakana
    EXPECT_EQ(EucToSjis("\xAD\xA1"), "\x87\x40");          // circled one, NEC row 13
    EXPECT_EQ(EucToSjis("\xA1\xC1"), "\x81\x60");          // wave dash
    // JIS X 0212 characters code page 932 holds, among its IBM extensions.
    EXPECT_EQ(EucToSjis("\x8F\xF3\xF3"), "\xFA\x40");  // small roman numeral one
    EXPECT_EQ(Cp932ToUtf8(EucToSjis("\x8F\xF4\xFB")), "\xE9\xAB\x99");
    // The same kanji in the IBM rows 89..92 as Windows and browsers write it.
    EXPECT_EQ(EucToSjis("\xFC\xE2"), "\xEE\xE0");
    EXPECT_EQ(Cp932ToUtf8("\xEE\xE0"), "\xE9\xAB\x99");
}

TEST(EucToSjis, TurnsEachBrokenOrUnmappableCharacterIntoOneQuestionMark) {
    EXPECT_EQ(EucToSjis("\xA9\xA1x"), "?x");      // row 9 is empty
    EXPECT_EQ(EucToSjis("\x8F\xB0\xA1x"), "?x");  // a JIS X 0212 kanji code page 932 lacks
    EXPECT_EQ(EucToSjis("\xFC\xEFx"), "?x");      // an empty cell of the IBM rows
    EXPECT_EQ(EucToSjis("\xB4<b>"), "?<b>");      // a stray lead byte keeps the tag
    EXPECT_EQ(EucToSjis("\x8E\xE0"
                        "a"),
              "??a");  // bad katakana byte, then a stray lead
    EXPECT_EQ(EucToSjis("\x8F\xB0"
                        "a"),
              "?a");                              // a three-byte code cut short
    EXPECT_EQ(EucToSjis("\x80\x9F\xFF"), "???");  // bytes that start nothing
    EXPECT_EQ(EucToSjis("ok\xB4"), "ok?");        // half a character at the end
    EXPECT_EQ(EucToSjis(""), "");
}

// Every code of the 94 x 94 table: iconv's reading must agree with the arithmetic that the
// JIS X 0208 rows are defined by, and give "?" exactly where code page 932 has no character.
TEST(EucToSjis, AgreesWithTheArithmeticOverTheWholeTable) {
    int converted = 0;
    for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
        unsigned row = j1 - 0x20;
        for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
            std::string euc = {static_cast<char>(j1 | 0x80), static_cast<char>(j2 | 0x80)};
            std::string got = EucToSjis(euc);
            std::string arithmetic = Sjis(JisCodeToSjis(static_cast<std::uint16_t>(j1 << 8 | j2)));
            std::string expected = Cp932ToUtf8(arithmetic);
            bool hasChar = expected.find("\xEF\xBF\xBD") == std::string::npos;
            SCOPED_TRACE(testing::Message() << "row " << row << " cell " << (j2 - 0x20));
            if ((row >= 85 && row <= 88) || row >= 93) {
                // User-defined rows land in the user-defined area of code page 932.
                ASSERT_EQ(got.size(), 2u);
                unsigned lead = static_cast<unsigned char>(got[0]);
                EXPECT_TRUE(lead >= 0xF0 && lead <= 0xF9);
                continue;
            }
            if (got == "?") {
                EXPECT_FALSE(hasChar);
                continue;
            }
            ++converted;
            EXPECT_EQ(Cp932ToUtf8(got), expected);
            bool jisX0208Row = row <= 8 || (row >= 16 && row <= 84);
            if (jisX0208Row) {
                EXPECT_EQ(got, arithmetic);
            }
        }
    }
    // JIS X 0208's 6879 characters, NEC's 83 in row 13 and the 374 IBM ones.
    EXPECT_EQ(converted, 6879 + 83 + 374);
}

TEST(JisToSjis, ConvertsEscapedRunsAndDropsTheEscapes) {
    EXPECT_EQ(JisToSjis(kToJis + "\x30\x21" + kToAscii + "A"),
              "\x88\x9F"
              "A");
    EXPECT_EQ(JisToSjis("<" + kKanjiJis + ">"), "<" + kKanjiSjis + ">");
    // A switch to ASCII while already in ASCII leaves nothing behind.
    EXPECT_EQ(JisToSjis("x" + kToAscii + "y"), "xy");
    // The 1978 set, JIS-Roman, the 1990 announcer.
    EXPECT_EQ(JisToSjis(kEsc + "$@\x30\x21" + kEsc + "(J" + "A"),
              "\x88\x9F"
              "A");
    EXPECT_EQ(JisToSjis(kEsc + "&@" + kToJis + "\x30\x21" + kToAscii), "\x88\x9F");
    // Half-width katakana by designation and by shift out / shift in.
    EXPECT_EQ(JisToSjis(kEsc + "(I\x31\x5F" + kToAscii + "a"),
              "\xB1\xDF"
              "a");
    EXPECT_EQ(JisToSjis("a\x0E\x31\x0F"
                        "b"),
              "a\xB1"
              "b");
    // JIS X 0212 and the vendor rows.
    EXPECT_EQ(JisToSjis(kEsc + "$(D\x73\x73" + kToAscii), "\xFA\x40");
    EXPECT_EQ(JisToSjis(kToJis + "\x2D\x21" + kToAscii), "\x87\x40");
    // Blanks inside a double-byte run stay blanks.
    EXPECT_EQ(JisToSjis(kToJis + "4A 4A" + kToAscii), "\x8A\xBF \x8A\xBF");
}

TEST(JisToSjis, MarksBrokenInputAndOtherCharacterSets) {
    EXPECT_EQ(JisToSjis(kToJis + "4" + kToAscii + "a"), "?a");  // half a character
    EXPECT_EQ(JisToSjis(kToJis + "\x29\x21"), "?");             // an empty row
    EXPECT_EQ(JisToSjis("a\xB1\xFF"
                        "b"),
              "a??b");                             // eight-bit bytes
    EXPECT_EQ(JisToSjis("a" + kEsc), "a?");        // escape at the end
    EXPECT_EQ(JisToSjis("a" + kEsc + "$"), "a?");  // escape cut short
    EXPECT_EQ(JisToSjis("a" + kEsc +
                        "\x01"
                        "b"),
              "a?\x01"
              "b");                                                    // not an escape sequence
    EXPECT_EQ(JisToSjis(kEsc + "$A\x30\x21" + kToAscii + "z"), "?z");  // Chinese GB 2312
    EXPECT_EQ(JisToSjis(kEsc + "(Qab" + kToAscii + "z"), "??z");       // unknown 94-set
    EXPECT_EQ(JisToSjis(kEsc + "(I\x60" + kToAscii), "?");             // beyond katakana
    EXPECT_EQ(JisToSjis(kEsc + "Nx"), "x");  // a single shift is dropped, not printed
}

TEST(Utf8ToAnsi, ConvertsAndReplacesWhatCodePage932Lacks) {
    EXPECT_EQ(Utf8ToAnsi("a" + kKanjiUtf8), "a" + kKanjiSjis);
    EXPECT_EQ(Utf8ToAnsi("\xEF\xBB\xBF"
                         "a"),
              "a");                                    // byte-order mark
    EXPECT_EQ(Utf8ToAnsi("\xF0\x9F\x98\x80!"), "?!");  // an emoji
    EXPECT_EQ(Utf8ToAnsi("a\xFF"
                         "b\xE6\xBC"),
              "a?b??");                                 // invalid, then truncated UTF-8
    EXPECT_EQ(Utf8ToAnsi("\xE3\x80\x9C"), "\x81\x60");  // wave dash
    EXPECT_EQ(Utf8ToAnsi(""), "");
}

}  // namespace
}  // namespace qv
