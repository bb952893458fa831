#include "render/text/text_layout.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/text/sjis.h"

namespace {

using qv::LaidLine;
using qv::LayoutTextLines;
using qv::TextLayoutParams;

// Half-width characters 5 pixels, double-byte characters 10.
int Advance(std::string_view c) {
    return c.size() == 2 ? 10 : 5;
}

constexpr std::string_view kMarker = "\x81\x5F";  // "＼"

std::vector<std::string> Lines(std::string_view text, TextLayoutParams p) {
    std::vector<LaidLine> laid;
    LayoutTextLines(text, p, Advance, laid);
    std::vector<std::string> out;
    for (const LaidLine& l : laid)
        out.emplace_back(text.substr(l.Start, l.Length));
    return out;
}

TextLayoutParams Card(int width, int lines, bool acceptCr = false) {
    TextLayoutParams p;
    p.Width = width;
    p.LineLimit = lines;
    p.LineHeight = 15;
    p.Gap = 2;
    p.AcceptCr = acceptCr;
    p.Marker = kMarker;
    return p;
}

TEST(LayoutTextLines, WrapsByPixelWidthAndPlacesLines) {
    TextLayoutParams p = Card(20, 3);
    p.X0 = 100;
    p.Y0 = 50;
    std::vector<LaidLine> laid;
    LayoutTextLines("abcdefghij", p, Advance, laid);
    ASSERT_EQ(laid.size(), 3u);
    EXPECT_EQ(laid[0], (LaidLine{0, 4, 102, 54}));  // x0 + gap, y0 + 2 + gap
    EXPECT_EQ(laid[1], (LaidLine{4, 4, 102, 71}));  // + line height + gap
    EXPECT_EQ(laid[2], (LaidLine{8, 2, 102, 88}));
}

TEST(LayoutTextLines, StopsAtTheLineLimit) {
    EXPECT_EQ(Lines("abcdefghij", Card(20, 1)), (std::vector<std::string>{"abcd"}));
    EXPECT_EQ(Lines("abcdefgh", Card(20, 2)), (std::vector<std::string>{"abcd", "efgh"}));
    EXPECT_EQ(Lines("", Card(20, 2)), (std::vector<std::string>{""}));
}

TEST(LayoutTextLines, NeverSplitsADoubleByteCharacter) {
    // "あいう": one column of a card is as wide as one such character.
    const std::string text = "\x82\xa0\x82\xa2\x82\xa4";
    EXPECT_EQ(Lines(text, Card(10, 5)),
              (std::vector<std::string>{"\x82\xa0", "\x82\xa2", "\x82\xa4"}));
    // Narrower than one character: each still gets a line of its own, whole.
    EXPECT_EQ(Lines(text, Card(7, 5)),
              (std::vector<std::string>{"\x82\xa0", "\x82\xa2", "\x82\xa4"}));
    // Mixed: "a" + "あ" does not fit in 12 pixels; the double-byte character moves down.
    EXPECT_EQ(Lines("a\x82\xa0"
                    "b",
                    Card(12, 5)),
              (std::vector<std::string>{"a", "\x82\xa0", "b"}));
    // A trail byte that looks like a lead byte ("ポ" is 0x83 0x7C, "|" as a trail) stays whole.
    EXPECT_EQ(Lines("\x83\x7c\x83\x7c", Card(15, 5)),
              (std::vector<std::string>{"\x83\x7c", "\x83\x7c"}));
}

TEST(LayoutTextLines, BreaksAtTheMarkerOnlyWhileAccepted) {
    const std::string text = std::string("abc") + std::string(kMarker) + "def";
    EXPECT_EQ(Lines(text, Card(200, 2, true)), (std::vector<std::string>{"abc", "def"}));
    EXPECT_EQ(Lines(text, Card(200, 2, false)), (std::vector<std::string>{text}));
    // Consecutive markers give an empty line; a marker at the end ends with an empty one.
    const std::string two = std::string("a") + std::string(kMarker) + std::string(kMarker) + "b";
    EXPECT_EQ(Lines(two, Card(200, 3, true)), (std::vector<std::string>{"a", "", "b"}));
    const std::string last = std::string("a") + std::string(kMarker);
    EXPECT_EQ(Lines(last, Card(200, 3, true)), (std::vector<std::string>{"a", ""}));
    // The marker's bytes across a character boundary are no marker: 0x88 0x81 is one character
    // and "_" follows, so 0x81 0x5F at byte 1 must not match.
    const std::string fake = "\x88\x81\x5f";
    EXPECT_EQ(Lines(fake, Card(200, 3, true)), (std::vector<std::string>{fake}));
}

TEST(LayoutTextLines, SeesAMarkerOnlyWithin80BytesOfTheLineStart) {
    // Lines of 100 letters. Line 2 starts at byte 100; a marker 85 bytes further is out of sight
    // and is drawn as text inside line 2, one 78 bytes further ends line 2.
    const std::string far =
        std::string(100, 'a') + std::string(85, 'b') + std::string(kMarker) + std::string(20, 'c');
    EXPECT_EQ(Lines(far, Card(500, 5, true)),
              (std::vector<std::string>{
                  std::string(100, 'a'),
                  std::string(85, 'b') + std::string(kMarker) + std::string(13, 'c'),
                  std::string(7, 'c')}));
    const std::string near =
        std::string(100, 'a') + std::string(78, 'b') + std::string(kMarker) + std::string(20, 'c');
    EXPECT_EQ(Lines(near, Card(500, 5, true)),
              (std::vector<std::string>{std::string(100, 'a'), std::string(78, 'b'),
                                        std::string(20, 'c')}));
    // The first line sees a marker anywhere.
    const std::string first = std::string(150, 'a') + std::string(kMarker) + "z";
    EXPECT_EQ(Lines(first, Card(10000, 3, true)),
              (std::vector<std::string>{std::string(150, 'a'), "z"}));
}

// Whatever the bytes, width, limit and marker setting, lines are whole characters of the text in
// order, never more than the limit, and advance through the text.
TEST(LayoutTextLines, RandomTextsKeepEveryLineOnCharacterBoundaries) {
    std::mt19937 rng(20240611);
    const unsigned char alphabet[] = {'a',  ' ',  0x81, 0x5F, 0x82, 0xA0, 0x83,
                                      0x7C, 0x5C, 0xE0, 0xFC, 0x40, 0x00, 0xA5};
    for (int round = 0; round < 3000; ++round) {
        std::string text(rng() % 120, '\0');
        for (char& c : text)
            c = static_cast<char>(alphabet[rng() % sizeof alphabet]);
        TextLayoutParams p =
            Card(static_cast<int>(rng() % 60) - 5, 1 + static_cast<int>(rng() % 6), rng() % 2 == 0);
        std::vector<LaidLine> laid;
        LayoutTextLines(text, p, Advance, laid);
        ASSERT_LE(laid.size(), static_cast<std::size_t>(p.LineLimit)) << round;
        std::size_t previousEnd = 0;
        for (const LaidLine& l : laid) {
            ASSERT_LE(l.Start + l.Length, text.size()) << round;
            ASSERT_GE(l.Start, previousEnd) << round;
            ASSERT_TRUE(qv::sjis::IsCharBoundary(text, l.Start)) << round;
            ASSERT_TRUE(qv::sjis::IsCharBoundary(text, l.Start + l.Length)) << round;
            previousEnd = l.Start + l.Length;
        }
    }
}

}  // namespace
