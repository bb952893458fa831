#include "core/content/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "temp_dir.h"

namespace qv {
namespace {

std::vector<std::string> Pieces(LineReader& reader) {
    std::vector<std::string> out;
    std::string piece;
    while (reader.Next(piece))
        out.push_back(piece);
    return out;
}

std::vector<std::string> Pieces(std::string_view bytes) {
    LineReader reader(bytes);
    return Pieces(reader);
}

using Lines = std::vector<std::string>;

TEST(LineReader, EndsLinesAtLfCrLfOrALoneCr) {
    EXPECT_EQ(Pieces("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(Pieces("a\n"), (Lines{"a"}));
    EXPECT_EQ(Pieces("\n\r\n"), (Lines{"", ""}));
    EXPECT_EQ(Pieces("x\n\ny"), (Lines{"x", "", "y"}));
    EXPECT_EQ(Pieces(""), Lines{});
    EXPECT_EQ(Pieces(std::string("a\0b\n", 4)), (Lines{std::string("a\0b", 3)}));
}

TEST(LineReader, SplitsLongLinesIntoPiecesOfAtMost1999Bytes) {
    std::string exact(1999, 'x');
    // A line of exactly one piece does not leave an empty piece behind.
    EXPECT_EQ(Pieces(exact + "\r\nz"), (Lines{exact, "z"}));
    EXPECT_EQ(Pieces(exact), (Lines{exact}));
    std::string longer(2500, 'y');
    EXPECT_EQ(Pieces(longer + "\n"), (Lines{std::string(1999, 'y'), std::string(501, 'y')}));
}

TEST(LineReader, NeverCutsADoubleByteCharacterInHalf) {
    std::string line = "a";
    for (int i = 0; i < 1000; ++i)
        line += "\x82\xA0";  // 2001 bytes: a, then the 1000th character straddles byte 1999
    std::string wide;
    for (int i = 0; i < 1000; ++i)
        wide += "\x82\xA0";
    auto pieces = Pieces(line + "\n" + wide);
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0], line.substr(0, 1999));  // ends on a boundary as it is
    EXPECT_EQ(pieces[1], "\x82\xA0");
    EXPECT_EQ(pieces[2], wide.substr(0, 1998));  // one byte short, not half a character
    EXPECT_EQ(pieces[3], "\x82\xA0");
}

TEST(LineReader, StreamsAFileExactlyAsFromMemory) {
    // Lines of many lengths and all three line ends, so that some end, and some CR LF pairs
    // straddle, the reader's refill boundaries.
    std::string content;
    for (int i = 0; i < 3000; ++i) {
        content +=
            std::string(static_cast<std::size_t>(i * 37 % 2600), static_cast<char>('a' + i % 26));
        content += (i % 3 == 0) ? "\r\n" : (i % 3 == 1) ? "\n" : "\r";
    }
    test::TempDir dir;
    auto path = dir.Write("lines.txt", content);
    LineReader file(path);
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(Pieces(file), Pieces(content));

    LineReader missing(dir.path() / "missing.txt");
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(Pieces(missing), Lines{});
    LineReader folder(dir.path());
    EXPECT_FALSE(folder.ok());
}

}  // namespace
}  // namespace qv
