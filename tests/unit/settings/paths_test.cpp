#include <gtest/gtest.h>

#include <filesystem>

#include "core/settings/paths.h"
#include "unit/settings/temp_dir.h"

namespace qv {
namespace {

bool Writable(const std::string&) {
    return true;
}
bool ReadOnly(const std::string&) {
    return false;
}

StartupArguments Parse(std::vector<std::string> args, const DirectoryWritableFn& w = Writable) {
    return ParseStartupArguments(args, "/opt/qv/bin/quillovarsta", "/work/cur", "/cfg/quillovarsta",
                                 w);
}

TEST(SettingsLocation, CommandLineChoosesTheFile) {
    auto r = Parse({});
    EXPECT_EQ(r.IniPath, "/opt/qv/bin/quillovarsta.INI");
    EXPECT_FALSE(r.IniGiven);
    EXPECT_EQ(r.StartFile, "");

    EXPECT_EQ(Parse({"-I"}).IniPath, "/work/cur/Quillova.INI");
    EXPECT_EQ(Parse({"-i"}).IniPath, "/work/cur/Quillova.INI");
    EXPECT_EQ(Parse({"-Imine.ini"}).IniPath, "/work/cur/mine.ini");
    EXPECT_EQ(Parse({"-isub/Mine.INI"}).IniPath, "sub/Mine.INI")
        << "a folder part is kept as given";
    EXPECT_EQ(Parse({"-I/abs/x.INI"}).IniPath, "/abs/x.INI");
    EXPECT_EQ(Parse({"-I", "/abs/Other.ini"}).IniPath, "/abs/Other.ini");

    r = Parse({"-I", "Doc.csv"});
    EXPECT_EQ(r.IniPath, "/work/cur/Quillova.INI");
    EXPECT_EQ(r.StartFile, "Doc.csv") << "only a separate .INI argument belongs to -I";

    r = Parse({"First.csv", "-x", "", "-", "/Docs/Second.CSV"});
    EXPECT_EQ(r.StartFile, "/Docs/Second.CSV") << "the last wins, letter case kept";
    EXPECT_FALSE(r.IniGiven);
}

TEST(SettingsLocation, FallsBackToTheConfigFolder) {
    TempDir dir;
    const std::string config = dir.File("config/quillovarsta");
    std::string seen;
    auto readOnly = [&](const std::string& d) {
        seen = d;
        return false;
    };
    EXPECT_EQ(DefaultSettingsPath("/opt/qv/bin/quillovarsta", config, readOnly),
              config + "/Quillova.INI");
    EXPECT_EQ(seen, "/opt/qv/bin");
    EXPECT_TRUE(std::filesystem::is_directory(config)) << "created when needed";
    EXPECT_EQ(DefaultSettingsPath(dir.Path() + "/quillovarsta", config),
              dir.Path() + "/quillovarsta.INI");
    EXPECT_EQ(Parse({}, ReadOnly).IniPath, "/cfg/quillovarsta/Quillova.INI");
}

TEST(DocumentPaths, AbsoluteExactComparison) {
    EXPECT_EQ(AbsoluteDocumentPath("a/../b/./c.csv", "/base"), "/base/b/c.csv");
    EXPECT_EQ(AbsoluteDocumentPath("/x//y/", "/base"), "/x/y");
    EXPECT_EQ(AbsoluteDocumentPath("", "/base"), "");
    // Double-byte names whose trail byte is '\' or '|' are not split.
    EXPECT_EQ(AbsoluteDocumentPath("\x83\x5C/\x83\x7C.csv", "/b"), "/b/\x83\x5C/\x83\x7C.csv");

    EXPECT_TRUE(SameDocumentPath("/d/Doc.csv", "/d/./Doc.csv"));
    EXPECT_FALSE(SameDocumentPath("/d/Doc.csv", "/d/DOC.CSV"));
    EXPECT_FALSE(SameDocumentPath("", "/d/x"));
    EXPECT_TRUE(SameDocumentPath(std::filesystem::current_path().string() + "/rel.csv", "rel.csv"));

    TempDir dir;
    WriteFile(dir.File("\xE3\x83\x9E.csv"), "x");  // マ.csv, named by its own bytes
    EXPECT_TRUE(DocumentExists(dir.File("\xE3\x83\x9E.csv")));
    EXPECT_FALSE(DocumentExists(dir.File("\x83\x7D.csv"))) << "never taken as code page 932";
    EXPECT_FALSE(DocumentExists(dir.Path()));
    EXPECT_FALSE(DocumentExists(""));
    // One file however it is reached: a symbolic link or a hard link is the same document.
    std::filesystem::create_symlink(dir.File("\xE3\x83\x9E.csv"), dir.File("link.csv"));
    std::filesystem::create_hard_link(dir.File("\xE3\x83\x9E.csv"), dir.File("hard.csv"));
    EXPECT_TRUE(SameDocumentPath(dir.File("link.csv"), dir.File("hard.csv")));
    EXPECT_FALSE(SameDocumentPath(dir.File("link.csv"), dir.File("other.csv")));
}

TEST(DocumentPaths, StoredOnlyWhenCodePage932HoldsThemExactly) {
    const StoredPath kana = PathForStorage("/d/\xE3\x83\x9E.csv");  // マ
    EXPECT_TRUE(kana.Exact);
    EXPECT_EQ(kana.Bytes, "/d/\x83\x7D.csv");
    EXPECT_EQ(PathFromStorage(kana.Bytes), "/d/\xE3\x83\x9E.csv");

    for (const char* path : {"/d/caf\xC3\xA9.csv", "/d/\xF0\x9F\x98\x80.csv"}) {
        const StoredPath s = PathForStorage(path);
        EXPECT_FALSE(s.Exact) << path;
        EXPECT_TRUE(s.Bytes.empty()) << "never a path with '?' for the character";
    }
    const StoredPath mixed = PathForStorage("/caf\xC3\xA9/\xF0\x9F\x98\x80/\xC3\xA9.csv");
    EXPECT_EQ(mixed.Unrepresentable, "\xC3\xA9\xF0\x9F\x98\x80") << "each character once";
    // A file name that is not UTF-8 cannot be stored either.
    EXPECT_FALSE(PathForStorage("/d/\xFF.csv").Exact);
    // Stored bytes that are not code page 932 name no file.
    EXPECT_FALSE(PathFromStorage("/d/\x83.csv"));
}

}  // namespace
}  // namespace qv
