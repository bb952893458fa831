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
    EXPECT_EQ(Parse({" -i "}).IniPath, "/work/cur/Quillova.INI");
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
    EXPECT_TRUE(SameDocumentPath(CurrentDirCp932() + "/rel.csv", "rel.csv"));

    TempDir dir;
    WriteFile(dir.File("\xE3\x83\x9E.csv"), "x");  // マ in UTF-8 on disk
    EXPECT_TRUE(DocumentExists(Cp932Path(dir.Path()) + "/\x83\x7D.csv"));
    EXPECT_FALSE(DocumentExists(Cp932Path(dir.Path())));
    EXPECT_FALSE(DocumentExists(""));
}

}  // namespace
}  // namespace qv
