#include <sys/stat.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/settings/usr_ini_file.h"
#include "unit/fs/file_size_limit.h"
#include "unit/settings/temp_dir.h"

namespace qv {
namespace {

TEST(IniInteger, FollowsTheFileRule) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"50", 50},
        {"  50", 50},
        {"+7", 7},
        {"-12", -12},
        {"$50", 0x50},
        {"x50", 0x50},
        {"X5f", 0x5F},
        {"0x50", 0x50},
        {"0XfF", 0xFF},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"-2147483648", INT32_MIN},
        {"2147483647", INT32_MAX},
        // Invalid: the caller's default applies.
        {"", std::nullopt},
        {"50 ", std::nullopt},
        {"abc", std::nullopt},
        {"5a", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"-", std::nullopt},
        {"\t5", std::nullopt},
        {"1 2", std::nullopt},
        {"$-5", std::nullopt},
        {"2147483648", std::nullopt},
        {"$100000000", std::nullopt},
        {"0x0x5", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseIniInteger(c.text), c.value) << '"' << c.text << '"';
}

TEST(IniRead, JpegQualityExamples) {
    auto quality = [](const std::string& value) {
        return UsrIniFile::FromText("[General]\r\nJpegQuality=" + value + "\r\n")
            .ReadInteger("General", "JpegQuality", 100);
    };
    EXPECT_EQ(quality(""), 100);
    EXPECT_EQ(quality("abc"), 100);
    EXPECT_EQ(quality("$50"), 80);
    EXPECT_EQ(quality(" 50"), 50);
    EXPECT_EQ(quality("50 "), 100);
    EXPECT_EQ(quality("\"70\""), 70);
}

TEST(IniRead, StructureCaseAndQuotes) {
    const auto ini = UsrIniFile::FromText(
        "Orphan=1\r\n"
        "; a comment\r\n"
        "[general]\r\n"
        "jpegquality=70\r\n"
        ";JpegQuality=5\r\n"
        " Indented=1\n"
        "Quoted=\"a b\"\n"
        "OneQuote=\"\n"
        "Empty=\n"
        "Eq=a=b\r"
        "NoEquals\r\n"
        "[Other]\r\n"
        "K=first\r\n"
        "[\x83\x5D\r\n"  // "[ゾ": the last byte is ']' but only as a trail byte
        "Late=1\r\n"
        "[OTHER]\r\n"
        "K=second\r\n"
        "Only=here\r\n");
    EXPECT_EQ(ini.ReadInteger("General", "JpegQuality", 100), 70);
    EXPECT_EQ(ini.ReadString("General", "Orphan", "none"), "none");
    EXPECT_EQ(ini.ReadString("General", "Indented", "none"), "none");  // lines are not trimmed
    EXPECT_EQ(ini.ReadString("General", " Indented", "none"), "1");
    EXPECT_EQ(ini.ReadString("General", "Quoted", ""), "a b");
    EXPECT_EQ(ini.ReadString("General", "OneQuote", ""), "\"");
    EXPECT_EQ(ini.ReadString("General", "Empty", "dflt"), "dflt");
    EXPECT_TRUE(ini.ReadBool("General", "Empty", true));
    EXPECT_EQ(ini.ReadString("General", "Eq", ""), "a=b");
    EXPECT_EQ(ini.ReadString("Other", "K", ""), "first");
    EXPECT_EQ(ini.ReadString("Other", "Only", "dflt"), "dflt");  // lookups use the first section
    EXPECT_EQ(ini.ReadString("Other", "Late", ""), "1");
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"general", "Other", "OTHER"}));
    EXPECT_FALSE(ini.Modified());
}

TEST(IniRead, FontKeysAndDefaults) {
    const auto ini = UsrIniFile::FromText(
        "[A]\r\nFontName=Face\r\nFontSize=-9\r\nFontBold=1\r\n[B]\r\nFontCharset=0\r\n");
    const FontSpec base{128, "Base", 14, false, true};
    EXPECT_EQ(ini.ReadFont("A", &base), (FontSpec{128, "Face", -9, true, true}));
    EXPECT_EQ(ini.ReadFont("B", &base), (FontSpec{0, "Base", 14, false, true}));
    EXPECT_EQ(ini.ReadFont("C", nullptr), (FontSpec{128, "", 11, false, false}));
}

TEST(IniWrite, ChangesOnlyWhatDiffersAndRegeneratesInOrder) {
    auto ini = UsrIniFile::FromText(
        "; lost\r\n[general]\r\njpegquality=70\r\nUnknown=keep\r\n[Empty]\r\n");
    ini.WriteInteger("General", "jpegquality", 70);
    EXPECT_FALSE(ini.Modified()) << "the same line must not mark the store";
    ini.WriteInteger("General", "JpegQuality", 70);
    EXPECT_TRUE(ini.Modified()) << "a key spelled differently is rewritten";
    ini.WriteBool("New", "Flag", true);
    ini.WriteColor("General", "Col", kSysWindowText);
    ini.WriteFont("New", FontSpec{0, "F", -13, true, false});
    EXPECT_EQ(ini.Text(),
              "[general]\r\nJpegQuality=70\r\nUnknown=keep\r\nCol=-2147483640\r\n\r\n"
              "[Empty]\r\n\r\n"
              "[New]\r\nFlag=1\r\nFontName=F\r\nFontSize=-13\r\nFontBold=1\r\nFontItalic=0\r\n"
              "\r\n");
}

TEST(IniWrite, LinesJoinTheirOwnSectionWhateverTheOrderOfWriting) {
    auto ini = UsrIniFile::FromText("[A]\r\nk=1\r\n[B]\r\nx=1\r\n[a]\r\nlate=1\r\n");
    ini.WriteString("New", "n", "1");
    ini.WriteString("a", "K", "2");     // replaces a loaded line (key spelled differently)
    ini.WriteString("A", "Late", "2");  // the second [a] is never written to: a new line in [A]
    ini.WriteString("b", "y", "1");
    ini.WriteString("A", "K", "3");  // replaces a line written before
    ini.WriteString("new", "m", "1");
    EXPECT_EQ(ini.Text(),
              "[A]\r\nK=3\r\nLate=2\r\n\r\n[B]\r\nx=1\r\ny=1\r\n\r\n[a]\r\nlate=1\r\n\r\n"
              "[New]\r\nn=1\r\nm=1\r\n\r\n");
    EXPECT_EQ(ini.ReadInteger("a", "late", 0), 2);
    EXPECT_EQ(ini.SectionLines("NEW"), (std::vector<std::string>{"n=1", "m=1"}));
}

TEST(IniRead, ManySectionsAndKeysAreAllFound) {
    // Enough names to make the lookup tables grow several times.
    std::string text, written;
    for (int i = 0; i < 3000; ++i) {
        const std::string section = "[S" + std::to_string(i % 1000) + "]\r\n";
        const std::string line = "K" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
        text += section + line;
        written += section + line + "\r\n";
    }
    const auto ini = UsrIniFile::FromText(text);
    EXPECT_EQ(ini.SectionNames().size(), 3000u);
    for (int i = 0; i < 3000; ++i) {
        // Only the first section of a name is read from.
        const int want = i < 1000 ? i : -1;
        EXPECT_EQ(ini.ReadInteger("s" + std::to_string(i % 1000), "k" + std::to_string(i), -1),
                  want)
            << i;
    }
    EXPECT_TRUE(ini.Text() == written) << "nothing is lost or reordered";
}

TEST(IniWrite, ValuesReadBackUnchanged) {
    UsrIniFile ini;
    ini.WriteString("S", "Quoted", "\"quoted\"");
    ini.WriteString("S", "Break", "one\r\ntwo");
    ini.WriteString("S", "Blank", " x ");
    const auto again = UsrIniFile::FromText(ini.Text());
    EXPECT_EQ(again.ReadString("S", "Quoted", ""), "\"quoted\"");
    EXPECT_EQ(again.ReadString("S", "Break", ""), "onetwo");
    EXPECT_EQ(again.ReadString("S", "Blank", ""), " x ");
    EXPECT_EQ(again.SectionLines("S").size(), 3u);
}

TEST(IniFile, LoadsMissingAndUnreadableFilesSafely) {
    TempDir dir;
    UsrIniFile missing(dir.File("none.INI"));
    EXPECT_EQ(missing.State(), UsrIniFile::LoadState::Missing);
    EXPECT_TRUE(missing.UpdateFile()) << "nothing to write is success";
    missing.WriteInteger("General", "A", 1);
    ASSERT_TRUE(missing.UpdateFile()) << missing.LastError();
    EXPECT_EQ(ReadFile(dir.File("none.INI")), "[General]\r\nA=1\r\n\r\n");
    EXPECT_EQ(UsrIniFile(dir.File("none.INI")).ReadInteger("General", "A", 0), 1);

    // A folder in place of the file cannot be read, and is never written over.
    std::filesystem::create_directory(dir.File("folder.INI"));
    UsrIniFile unreadable(dir.File("folder.INI"));
    EXPECT_EQ(unreadable.State(), UsrIniFile::LoadState::Unreadable);
    unreadable.WriteInteger("General", "A", 1);
    EXPECT_FALSE(unreadable.UpdateFile());
    EXPECT_FALSE(unreadable.LastError().empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.INI")));

    // A pipe is no settings file; loading must not wait for a writer.
    ASSERT_EQ(::mkfifo(dir.File("pipe.INI").c_str(), 0600), 0);
    EXPECT_EQ(UsrIniFile(dir.File("pipe.INI")).State(), UsrIniFile::LoadState::Unreadable);

    UsrIniFile noFolder(dir.File("no/such/folder.INI"));
    noFolder.WriteInteger("General", "A", 1);
    EXPECT_FALSE(noFolder.UpdateFile());
    EXPECT_TRUE(noFolder.Modified()) << "a failed write keeps the change pending";
}

TEST(IniFile, WritesOnlyWhenModified) {
    TempDir dir;
    const std::string path = dir.File("s.INI");
    WriteFile(path, "[General]\r\nA=1\r\n");
    UsrIniFile ini(path);
    WriteFile(path, "marker");  // changed behind the store's back
    ini.WriteInteger("General", "A", 1);
    EXPECT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadFile(path), "marker");
}

TEST(IniFile, AFailedWriteKeepsTheOldFileAndTheChangePending) {
    TempDir dir;
    const std::string path = dir.File("s.INI");
    WriteFile(path, "[General]\r\nA=1\r\n");
    UsrIniFile ini(path);
    ini.WriteString("General", "Big", std::string(4096, 'x'));

    const bool written = test::WithFileSizeLimit(100, [&] { return ini.UpdateFile(); });
    EXPECT_FALSE(written);
    EXPECT_FALSE(ini.LastError().empty());
    EXPECT_TRUE(ini.Modified());
    EXPECT_EQ(ReadFile(path), "[General]\r\nA=1\r\n");
    EXPECT_TRUE(ini.UpdateFile()) << "the pending change goes out at the next chance";
    EXPECT_TRUE(ini.LastError().empty());
    EXPECT_NE(ReadFile(path).find("Big="), std::string::npos);
}

TEST(IniFile, AWriteProtectedFileIsNeverReplaced) {
    TempDir dir;
    const std::string path = dir.File("s.INI");
    WriteFile(path, "[General]\r\nA=1\r\n");
    ::chmod(path.c_str(), 0444);
    UsrIniFile ini(path);
    EXPECT_TRUE(ini.ReadOnly());
    ini.WriteInteger("General", "A", 2);
    EXPECT_FALSE(ini.UpdateFile());
    EXPECT_EQ(ini.LastWriteProblem(), WriteProblem::ReadOnly);
    EXPECT_NE(ini.LastError().find("read-only"), std::string::npos) << ini.LastError();
    EXPECT_EQ(ReadFile(path), "[General]\r\nA=1\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}

}  // namespace
}  // namespace qv
