#include "core/content/link_content.h"

#include <gtest/gtest.h>

#include <string>

#include "temp_dir.h"

namespace qv {
namespace {

std::string Field(std::string_view text, std::size_t length) {
    std::string f(text);
    f.resize(length, '\0');
    return f;
}

std::string Id3(std::string_view title, std::string_view artist, std::string_view album,
                std::string_view year, std::string_view comment) {
    return "TAG" + Field(title, 30) + Field(artist, 30) + Field(album, 30) + Field(year, 4) +
           Field(comment, 30) + "\x0C";
}

std::string Dump(const NameValueList& list) {
    std::string out;
    for (const auto& e : list)
        out += e.Name + "=" + e.Value + "|";
    return out;
}

TEST(ReadMp3Tag, ReadsTheFiveFieldsOfTheLast128Bytes) {
    std::string full30 = "123456789012345678901234567890";
    std::string comment = Field(" note\t", 28) + std::string("\0\x07", 2);  // ID3 1.1 track
    std::string file = std::string(500, '\xFF') + Id3(full30, "  Artist \x01", "", "1999", comment);
    NameValueList list{{"stale", "x"}};
    ASSERT_TRUE(ReadMp3TagFromBytes(file, list));
    EXPECT_EQ(Dump(list),
              "TrackName=" + full30 + "|ArtistName=Artist|AlbumName=|Year=1999|Comment=note|");
}

TEST(ReadMp3Tag, DropsHalfADoubleByteCharacterCutOffAtTheFieldEnd) {
    std::string kana;
    for (int i = 0; i < 14; ++i)
        kana += "\x82\xA0";
    // 30 bytes whose last is the lead byte of a character the tagger cut off, and a field whose
    // zero byte follows a lead byte.
    NameValueList list;
    ASSERT_TRUE(ReadMp3TagFromBytes(Id3(kana + "x\x82", "a\x82", "", "", ""), list));
    EXPECT_EQ(list[0].Value, kana + "x");
    EXPECT_EQ(list[1].Value, "a");
    // A whole double-byte character at the end stays.
    ASSERT_TRUE(ReadMp3TagFromBytes(Id3(kana + "\x82\xA0", "", "", "", ""), list));
    EXPECT_EQ(list[0].Value, kana + "\x82\xA0");
}

TEST(ReadMp3Tag, FailsWithoutATagBlock) {
    NameValueList list{{"stale", "x"}};
    std::string tag = Id3("t", "a", "b", "2000", "c");
    EXPECT_FALSE(ReadMp3TagFromBytes(tag.substr(1), list));  // 127 bytes
    EXPECT_TRUE(list.empty());
    std::string lower = tag;
    lower.replace(0, 3, "tag");
    EXPECT_FALSE(ReadMp3TagFromBytes(lower, list));
    EXPECT_FALSE(ReadMp3TagFromBytes(tag + "x", list));  // the tag is not at the very end

    test::TempDir dir;
    EXPECT_TRUE(ReadMp3Tag(dir.Write("song.mp3", "audio" + tag), list));
    EXPECT_EQ(list[0].Value, "t");
    EXPECT_FALSE(ReadMp3Tag(dir.Write("short.mp3", "TAG short"), list));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(ReadMp3Tag(dir.path() / "missing.mp3", list));
    EXPECT_FALSE(ReadMp3Tag(dir.path(), list));
}

TEST(ReadHelpTitle, TakesTheTitleLineOfTheContentsFileUntrimmed) {
    EXPECT_EQ(HelpTitleFromContents(":Base quill.hlp\r\n:TITLE  Quill Help \r\n:Title other"),
              " Quill Help ");
    EXPECT_EQ(HelpTitleFromContents(":Title\r\n:Titles x\r\n1 Contents"), "");
    EXPECT_EQ(HelpTitleFromContents(":title \n"), "");

    test::TempDir dir;
    dir.Write("upper.CNT", ":Title Upper\r\n");
    dir.Write("lower.cnt", ":Title Lower\r\n");
    dir.Write("mixed.Cnt", ":Title Mixed\r\n");
    EXPECT_EQ(ReadHelpTitle(dir.path() / "upper.HLP"), "Upper");
    EXPECT_EQ(ReadHelpTitle(dir.path() / "lower.hlp"), "Lower");
    EXPECT_EQ(ReadHelpTitle(dir.path() / "mixed.hlp"), "Mixed");
    EXPECT_EQ(ReadHelpTitle(dir.path() / "none.hlp"), "");
}

TEST(IsTextFile, RejectsZeroAndHighBytesInTheFirst2048Only) {
    test::TempDir dir;
    std::string text(3000, 'a');
    EXPECT_TRUE(IsTextFile(dir.Write("plain.txt", text)));
    std::string zeroInside = text;
    zeroInside[2047] = '\0';
    EXPECT_FALSE(IsTextFile(dir.Write("zero.txt", zeroInside)));
    std::string zeroAfter = text;
    zeroAfter[2048] = '\0';
    EXPECT_TRUE(IsTextFile(dir.Write("late.txt", zeroAfter)));
    EXPECT_FALSE(IsTextBytes("ok\xFD"));
    EXPECT_TRUE(IsTextBytes("\x82\xA0\xFC\x7F\x01"));
    EXPECT_TRUE(IsTextFile(dir.Write("empty.txt", "")));
    EXPECT_FALSE(IsTextFile(dir.path() / "missing.txt"));
    EXPECT_FALSE(IsTextFile(dir.path()));
}

TEST(ReadFirstLine, SkipsBlankLinesAndDecorationRows) {
    std::string row40(40, '-');
    std::string row10(10, '-');
    EXPECT_EQ(FirstLineFromBytes("\r\n \t\r\n" + row40 + "\r\n\r\n  Hello world \t\r\nnext"),
              "Hello world");
    EXPECT_EQ(FirstLineFromBytes(row10 + "\nnext"), row10);
    // More than 20 of one byte among at most four distinct ones is decoration; a fifth distinct
    // byte value makes it text however long the rows are.
    EXPECT_EQ(FirstLineFromBytes(std::string(21, '*') + "\nx"), "x");
    EXPECT_EQ(FirstLineFromBytes(std::string(20, '*') + "\nx"), std::string(20, '*'));
    EXPECT_EQ(FirstLineFromBytes("=-=-" + std::string(30, '=') + "-+\nx"), "x");
    EXPECT_EQ(FirstLineFromBytes("==== Title ====" + std::string(30, '=') + "\nx"),
              "==== Title ====" + std::string(30, '='));
    std::string boxRule;
    for (int i = 0; i < 21; ++i)
        boxRule += "\x84\x9F";  // a row of box-drawing characters
    EXPECT_EQ(FirstLineFromBytes(boxRule + "\n\x82\xA0"), "\x82\xA0");
}

TEST(ReadFirstLine, FallsBackToTheLastLineRead) {
    std::string row40(40, '=');
    EXPECT_EQ(FirstLineFromBytes("\n" + row40 + "\n"), row40);
    EXPECT_EQ(FirstLineFromBytes(row40 + "\n  \n"), "");
    EXPECT_EQ(FirstLineFromBytes(""), "");

    test::TempDir dir;
    EXPECT_EQ(ReadFirstLine(dir.Write("a.txt", "\r\n\r\n First \r\n")), "First");
    EXPECT_EQ(ReadFirstLine(dir.path() / "missing.txt"), "");
}

TEST(LinkContent, ChoosesTheReaderByExtensionAndContent) {
    EXPECT_EQ(LinkExtension("C:\\dir.x\\page.shtml"), ".SHTML");
    EXPECT_EQ(LinkExtension("C:\\dir.x\\noext"), "");
    EXPECT_EQ(LinkExtension("a.b\\c"), "");
    // The trail byte 0x5C of a double-byte character is not a path separator.
    EXPECT_EQ(LinkExtension("x.t\x95\x5Cq"), ".T\x95\x5CQ");

    test::TempDir dir;
    EXPECT_EQ(LinkContentFor(dir.Write("p.Html", std::string(1, '\0'))), LinkContent::HtmlHead);
    EXPECT_EQ(LinkContentFor(dir.Write("notes.csv", "text")), LinkContent::FirstLine);
    EXPECT_EQ(LinkContentFor(dir.Write("data.bin", std::string("\0\1", 2))), LinkContent::None);
    EXPECT_EQ(LinkContentFor(dir.path() / "missing.txt"), LinkContent::None);
    // Help files and MP3 files are offered by extension alone.
    EXPECT_EQ(LinkContentFor(dir.path() / "guide.hlp"), LinkContent::HelpTitle);
    EXPECT_EQ(LinkContentFor(dir.Write("song.Mp3", std::string(1, '\0'))), LinkContent::Mp3Tag);
}

}  // namespace
}  // namespace qv
