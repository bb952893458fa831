#include <gtest/gtest.h>

#include <set>

#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "core/settings/usr_ini_file.h"
#include "unit/settings/temp_dir.h"

namespace qv {
namespace {

bool AllExist(std::string_view) {
    return true;
}

// Every stored setting and font of two objects, compared through the one table.
void ExpectSameSettings(const EnvData& a, const EnvData& b) {
    for (const auto& s : StoredSettings())
        EXPECT_EQ(GetSetting(a, s), GetSetting(b, s)) << s.Section << '.' << s.Key;
    for (const auto& f : StoredFonts())
        EXPECT_EQ(a.*f.Field, b.*f.Field) << f.Section;
    EXPECT_EQ(a.RecentFiles, b.RecentFiles);
    EXPECT_EQ(a.FindHistory, b.FindHistory);
}

TEST(EnvDataDefaults, EmptyAndCommentOnlyFilesGiveTheDefaults) {
    const EnvData defaults;
    EXPECT_EQ(defaults.JpegQuality, 100);
    EXPECT_EQ(defaults.CR_String, "\x81\x5F");
    EXPECT_EQ(defaults.Colors.GroupListFG, kSysWindowText);
    EXPECT_EQ(defaults.Colors.BrushTool, defaults.Colors.DefFrgBG);
    EXPECT_EQ(defaults.CustomColors[7], 0xD0D0D0u);

    // The fonts are the base-font steps applied to the main window's font.
    const auto bases = BaseFonts(MainWindowFont());
    for (std::size_t i = 0; i < StoredFonts().size(); ++i)
        EXPECT_EQ(defaults.*StoredFonts()[i].Field, bases[i]) << StoredFonts()[i].Section;
    EXPECT_EQ(defaults.NamePlateFont,
              (FontSpec{128, std::string(kMainFontFace), -13, true, false}));
    EXPECT_EQ(defaults.GroupListFont.Face, kFixedFontFace);

    for (const char* text :
         {"", "; only\r\n;comments\r\n", "[General]\r\n[Color]\r\nDefFrgFG=\r\n"}) {
        EnvData env;
        env.JpegQuality = 5;
        env.Load(UsrIniFile::FromText(text), AllExist);
        ExpectSameSettings(env, defaults);
    }
}

TEST(EnvDataLoad, ValuesOfEveryKind) {
    const auto ini = UsrIniFile::FromText(
        "[general]\r\n"
        "groupframe=0\r\n"
        "JpegQuality=$50\r\n"
        "HomeWindow=\"/home/u/\x83\x7B.csv\"\r\n"
        "[Fragment]\r\n"
        "FrgWidth=100\r\n"
        "CR_String=\r\n"
        "FrgFastDraw=1\r\n"
        "MoveCurosr=6\r\n"
        "FontSize=-9\r\n"
        "[Color]\r\n"
        "GroupFrame=255\r\n"
        "DefFrgBG=12345\r\n"
        "GroupListOFF=-2147483643\r\n"
        "[CustomColors]\r\n"
        "ColorP=x10\r\n"
        "[GroupList]\r\n"
        "Align=4\r\n"
        "FontCharset=0\r\n");
    EnvData env(ini);
    EXPECT_FALSE(env.GroupFrame);
    EXPECT_EQ(env.Colors.GroupFrame, 255u);
    EXPECT_EQ(env.JpegQuality, 80);
    EXPECT_EQ(env.HomeWindow, "/home/u/\x83\x7B.csv");
    EXPECT_EQ(env.FrgWidth, 100) << "no range checks";
    EXPECT_EQ(env.CR_String, "\x81\x5F");
    EXPECT_TRUE(env.FrgFastDraw);
    EXPECT_EQ(env.MoveCurosr, 6);
    EXPECT_EQ(env.FragmentFont.Size, -9);
    EXPECT_EQ(env.Colors.BrushTool, 12345u) << "the paint colour follows the loaded DefFrgBG";
    EXPECT_EQ(env.Colors.GroupListOff, kSysWindow);
    EXPECT_EQ(env.CustomColors[15], 0x10u);
    EXPECT_EQ(env.Align, 4);
    EXPECT_EQ(env.GroupListFont.Charset, 0);

    EnvData other;
    other.PlatformId = 1;
    other.Load(ini);
    EXPECT_FALSE(other.FrgFastDraw) << "honoured only on platform 2";
    UsrIniFile out;
    other.Store(out);
    EXPECT_EQ(out.ReadString("Fragment", "FrgFastDraw", ""), "0");
}

TEST(EnvDataSave, EveryStoredSettingRoundTrips) {
    EnvData changed;
    int n = 7;
    std::set<std::string> keys;
    for (const auto& s : StoredSettings()) {
        EXPECT_TRUE(keys.insert(std::string(s.Section) + "." + std::string(s.Key)).second)
            << "listed twice: " << s.Key;
        // A distinct value per setting, so that two entries sharing a member would show.
        SettingValue v = GetSetting(changed, s);
        UsrIniFile one;
        if (auto* b = std::get_if<bool>(&v)) one.WriteBool(s.Section, s.Key, !*b);
        if (std::get_if<int>(&v)) one.WriteInteger(s.Section, s.Key, 1000 + n);
        if (std::get_if<Color>(&v))
            one.WriteColor(s.Section, s.Key, static_cast<Color>(0x10000 + n));
        if (std::get_if<std::string>(&v))
            one.WriteString(s.Section, s.Key, "t" + std::to_string(n));
        EnvData probe(one);
        EXPECT_NE(GetSetting(probe, s), v) << "not read: " << s.Section << '.' << s.Key;
        ++n;
    }
    EXPECT_EQ(StoredSettings().size(), 41u + 27u + 1u + 18u + 16u);

    // Now all at once, through a file.
    UsrIniFile all;
    n = 7;
    for (const auto& s : StoredSettings()) {
        SettingValue v = GetSetting(changed, s);
        if (auto* b = std::get_if<bool>(&v)) all.WriteBool(s.Section, s.Key, !*b);
        if (std::get_if<int>(&v)) all.WriteInteger(s.Section, s.Key, 1000 + n);
        if (std::get_if<Color>(&v))
            all.WriteColor(s.Section, s.Key, static_cast<Color>(0x10000 + n));
        if (std::get_if<std::string>(&v))
            all.WriteString(s.Section, s.Key, "t" + std::to_string(n));
        ++n;
    }
    changed.Load(all);
    changed.SymbolFont = FontSpec{128, "Sym", 30, true, true};
    changed.FindHistory = {"a", "b"};
    changed.RecentFiles = {"\"/x/a.csv\",1"};

    TempDir dir;
    UsrIniFile file(dir.File("s.INI"));
    ASSERT_TRUE(changed.Save(file)) << file.LastError();
    UsrIniFile reread(dir.File("s.INI"));
    EnvData loaded;
    loaded.Load(reread, AllExist);
    ExpectSameSettings(loaded, changed);

    // Nothing changed since: the second save writes nothing.
    loaded.Store(reread);
    EXPECT_FALSE(reread.Modified());
    WriteFile(dir.File("s.INI"), "marker");
    EXPECT_TRUE(loaded.Save(reread));
    EXPECT_EQ(ReadFile(dir.File("s.INI")), "marker");
}

TEST(EnvDataLoad, ClampsOnlyWhatWouldOverflowPixelArithmetic) {
    const std::set<std::string> clamped = {"GlstInterLine", "GFrameLineWidth", "GFrameMaxRnd",
                                           "DefGLineWidth", "GLineArrowSize",  "FrgWidth",
                                           "FrgHeight",     "NamWidth",        "NamHeight",
                                           "ImgRatio1",     "ImgRatio2"};
    for (const int extreme : {2147483647, -2147483647 - 1}) {
        UsrIniFile ini;
        for (const auto& s : StoredSettings())
            if (s.Kind == SettingKind::Int) ini.WriteInteger(s.Section, s.Key, extreme);
        const EnvData env(ini);
        UsrIniFile saved;
        env.Store(saved);
        for (const auto& s : StoredSettings()) {
            if (s.Kind != SettingKind::Int) continue;
            const bool limited = clamped.contains(std::string(s.Key));
            const int want = !limited      ? extreme
                             : extreme > 0 ? kMaxSettingMagnitude
                                           : -kMaxSettingMagnitude;
            EXPECT_EQ(std::get<int>(GetSetting(env, s)), want) << s.Key;
            EXPECT_EQ(saved.ReadInteger(s.Section, s.Key, 0), want) << s.Key;
        }
    }
    // Everything within the limit, odd as it may be, reads back as written.
    const auto ini = UsrIniFile::FromText(
        "[Fragment]\r\nFrgWidth=10000\r\nFrgHeight=-3\r\nNamWidth=0\r\nImgRatio2=-10000\r\n"
        "[General]\r\nGLineArrowSize=9999\r\nDefScrWidth=2147483647\r\n");
    const EnvData env(ini);
    EXPECT_EQ(env.FrgWidth, 10000);
    EXPECT_EQ(env.FrgHeight, -3);
    EXPECT_EQ(env.NamWidth, 0);
    EXPECT_EQ(env.ImgRatio2, -10000);
    EXPECT_EQ(env.GLineArrowSize, 9999);
    EXPECT_EQ(env.DefScrWidth, 2147483647) << "the page clamps its own size";
}

TEST(EnvDataSave, FirstSaveOfACommentFileKeepsItsEmptySection) {
    auto ini = UsrIniFile::FromText("; comment\r\n[Mine]\r\n");
    EnvData env(ini);
    env.Store(ini);
    const std::string text = ini.Text();
    EXPECT_EQ(text.rfind("[Mine]\r\n\r\n[Fragment]\r\nFontName=", 0), 0u) << text.substr(0, 80);
    EXPECT_EQ(text.find("comment"), std::string::npos);
    EXPECT_NE(text.find("[NamePlate]\r\nFontName=\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62"
                        "\x83\x4E\r\nFontSize=-13\r\nFontBold=1\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("FontCharset"), std::string::npos);
    EXPECT_NE(text.find("File19=\r\n"), std::string::npos);
    EXPECT_NE(text.find("Find39=\r\n"), std::string::npos);
}

TEST(EnvDataHistory, FileHistoryLoadRules) {
    std::string text = "[FileHistory]\r\n";
    for (int i = 0; i < 25; ++i) {  // only File0 … File19 are read
        text += "File" + std::to_string(i) + "=\"/d/f" + std::to_string(i) + ".csv\",1\r\n";
    }
    auto exists = [](std::string_view p) { return p != "/d/f1.csv"; };
    EnvData env;
    env.Load(UsrIniFile::FromText(text), exists);
    ASSERT_EQ(env.RecentFiles.size(), 19u) << "20 keys read, f1 dropped";
    EXPECT_EQ(env.RecentFiles[1], "\"/d/f2.csv\",1");

    env.Load(
        UsrIniFile::FromText("[FileHistory]\r\nFile0=\"/d/a\",1\r\nFile1=\r\nFile2=\"/d/b\"\r\n"),
        AllExist);
    EXPECT_EQ(env.RecentFiles, (std::vector<std::string>{"\"/d/a\",1"}));
}

// The record a document closing with these groups and scroll positions leaves.
FileHistoryRecord Record(std::string_view path, const std::array<bool, 100>& shown, int scrollY,
                         int scrollX, int group) {
    FileHistoryRecord record = FileHistoryRecord::ForDocument(path).value_or(FileHistoryRecord{});
    record.GroupShown = shown;
    record.ScrollY = scrollY;
    record.ScrollX = scrollX;
    record.GroupListGroup = group;
    return record;
}

// Where the record of `path` stands in the history, or -1.
int IndexOf(const EnvData& env, std::string_view path) {
    const std::string wanted = AbsoluteDocumentPath(path);
    for (std::size_t i = 0; i < env.RecentFiles.size(); ++i)
        if (FileHistoryRecord::Parse(env.RecentFiles[i]).ComparablePath() == wanted)
            return static_cast<int>(i);
    return -1;
}

TEST(EnvDataHistory, FindFileHistoryLayoutsAndExactPaths) {
    std::array<bool, 100> shown{};
    shown.fill(true);
    shown[4] = false;
    EnvData env;
    env.RecentFiles.push_back(Record("/d/Long \"q\".csv", shown, 30, 40, 7).Write());
    std::string shortRecord = "\"/d/Short.csv\"";
    for (int g = 1; g <= 40; ++g)
        shortRecord += g == 2 ? ",0" : ",1";
    shortRecord += ",11,22,3";  // 44 fields
    env.RecentFiles.push_back(shortRecord);

    const auto longOne = env.FindFileHistory("/d/Long \"q\".csv");
    ASSERT_TRUE(longOne);
    EXPECT_EQ(IndexOf(env, "/d/Long \"q\".csv"), 0);
    EXPECT_FALSE(longOne->GroupShown[4]);
    EXPECT_TRUE(longOne->GroupShown[5]);
    EXPECT_EQ(longOne->ScrollY, 30);
    EXPECT_EQ(longOne->GroupListGroup, 7);

    const auto shortOne = env.FindFileHistory("/d/./x/../Short.csv");
    ASSERT_TRUE(shortOne);
    EXPECT_EQ(IndexOf(env, "/d/./x/../Short.csv"), 1);
    EXPECT_EQ(shortOne->StoredPath, "/d/Short.csv");
    EXPECT_FALSE(shortOne->GroupShown[1]);
    EXPECT_TRUE(shortOne->GroupShown[39]);
    EXPECT_TRUE(shortOne->GroupShown[40]) << "groups the older layout had no field for are shown";
    EXPECT_TRUE(shortOne->GroupShown[99]);
    EXPECT_EQ(shortOne->ScrollY, 11);
    EXPECT_EQ(shortOne->ScrollX, 22);
    EXPECT_EQ(shortOne->GroupListGroup, 3);

    EXPECT_FALSE(env.FindFileHistory("/d/short.csv")) << "file names are case sensitive";
    EXPECT_FALSE(env.FindFileHistory(""));
}

TEST(EnvDataHistory, AddRecentFileMovesToFrontAndCaps) {
    EnvData env;
    std::array<bool, 100> shown{};
    for (int i = 0; i < 25; ++i)
        env.AddRecentFile(Record("/d/" + std::to_string(i), shown, 0, 0, 1));
    ASSERT_EQ(env.RecentFiles.size(), 20u);
    env.AddRecentFile(Record("/d/x/../10", shown, 5, 0, 1));
    ASSERT_EQ(env.RecentFiles.size(), 20u);
    EXPECT_EQ(IndexOf(env, "/d/10"), 0);
    EXPECT_EQ(env.FindFileHistory("/d/10")->ScrollY, 5);
    EXPECT_EQ(IndexOf(env, "/d/24"), 1);
    EXPECT_EQ(IndexOf(env, "/d/5"), 19);
    EXPECT_EQ(IndexOf(env, "/d/4"), -1);
}

TEST(EnvDataHistory, PathsAreStoredInCodePage932OnlyWhenExact) {
    std::array<bool, 100> shown{};
    EnvData env;
    // マ.csv: the file system's UTF-8 name, the settings file's code page 932.
    const std::string kana = "/d/\xE3\x83\x9E.csv";
    const std::string record = Record(kana, shown, 0, 0, 1).Write();
    EXPECT_EQ(record.rfind("\"/d/\x83\x7D.csv\"", 0), 0u) << record;
    env.AddRecentFile(Record(kana, shown, 0, 0, 1));
    // café.csv and 😀.csv have no record rather than one naming "caf?.csv".
    for (const char* name : {"/d/caf\xC3\xA9.csv", "/d/\xF0\x9F\x98\x80.csv"}) {
        EXPECT_FALSE(FileHistoryRecord::ForDocument(name)) << name;
        env.AddRecentFile(Record(name, shown, 0, 0, 1));
    }
    ASSERT_EQ(env.RecentFiles.size(), 1u);
    EXPECT_EQ(IndexOf(env, kana), 0);

    // Loading checks the file-system form; bytes that are not code page 932 name nothing.
    std::vector<std::string> asked;
    env.Load(UsrIniFile::FromText("[FileHistory]\r\nFile0=\"/d/\x83\x7D.csv\",1\r\n"
                                  "File1=\"/d/\x83.csv\",1\r\n"),
             [&](std::string_view p) {
                 asked.emplace_back(p);
                 return true;
             });
    EXPECT_EQ(asked, std::vector<std::string>{kana});
    EXPECT_EQ(env.RecentFiles.size(), 1u);
}

TEST(EnvDataHistory, FindHistoryTrimsDropsDuplicatesAndCaps) {
    std::string text =
        "[FindHistory]\r\nFind0= apple\t\r\nFind1=\x81\x40"
        "Apple\r\nFind2=pear\r\n"
        "Find3=   \r\nFind4=late\r\n";
    EnvData env;
    env.Load(UsrIniFile::FromText(text));
    EXPECT_EQ(env.FindHistory, (std::vector<std::string>{"apple", "pear"}));

    env.FindHistory.clear();
    for (int i = 0; i < 45; ++i)
        env.FindHistory.push_back("w" + std::to_string(i));
    UsrIniFile out;
    env.Store(out);
    EXPECT_EQ(out.ReadString("FindHistory", "Find39", ""), "w39");
    EXPECT_EQ(out.ReadString("FindHistory", "Find40", "none"), "none");
    env.FindHistory = {"one"};
    env.Store(out);
    EXPECT_EQ(out.ReadString("FindHistory", "Find1", "none"), "none");
    EXPECT_NE(out.Text().find("Find1=\r\n"), std::string::npos);
}

TEST(EnvDataColors, CustomColorChooserLines) {
    EnvData env;
    env.CustomColors[1] = 0x00AB12;
    const auto lines = env.CustomColorsToChooser();
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0], "ColorA=A0A0FF");
    EXPECT_EQ(lines[1], "ColorB=00AB12");
    EXPECT_EQ(lines[15], "ColorP=FFFFFF");

    env.CustomColorsFromChooser({"ColorA=123456", "ColorB=zz", "ColorC=", "ColorD=abcdef99"});
    EXPECT_EQ(env.CustomColors[0], 0x123456u);
    EXPECT_EQ(env.CustomColors[1], 0xFFFFFFu);
    EXPECT_EQ(env.CustomColors[2], 0xFFFFFFu);
    EXPECT_EQ(env.CustomColors[3], 0xABCDEFu);
    EXPECT_EQ(env.CustomColors[4], 0xFFFFC0u) << "missing lines leave the colour";
}

TEST(FontSpecTest, PixelHeightAt96Dpi) {
    auto h = [](int size) { return FontSpec{128, "", size, false, false}.PixelHeight(); };
    EXPECT_EQ(h(11), 15);
    EXPECT_EQ(h(-13), 17);
    EXPECT_EQ(h(-20), 27);
    EXPECT_EQ(h(9), 12);
    EXPECT_EQ(h(0), 1);
    EXPECT_EQ(h(INT32_MIN), kMaxFontPixelHeight);
}

}  // namespace
}  // namespace qv
