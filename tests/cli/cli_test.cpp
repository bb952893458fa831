// quillovarsta-cli as a user runs it: output, files written and exit codes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/wait.h>

#include <unistd.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kCli = QV_CLI;
const std::string kExample = std::string(QV_SOURCE_DIR) + "/examples/brainstorm.csv";

struct CliRun {
    int Code = -1;
    std::string Out;
    std::string Err;
};

std::string Slurp(const fs::path& p);

// Runs the CLI with the given arguments (already quoted where needed), `prefix` before it (another
// user, say).
CliRun Cli(const std::string& args, const std::string& prefix = "") {
    CliRun r;
    const fs::path err = fs::temp_directory_path() / ("qv-cli-err-" + std::to_string(::getpid()));
    const std::string command =
        "QT_QPA_PLATFORM=offscreen " + prefix + kCli + " " + args + " 2>'" + err.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        r.Out.append(buffer, n);
    const int status = pclose(pipe);
    r.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.Err = Slurp(err);
    fs::remove(err);
    return r;
}

// A path as one shell word.
std::string Q(const fs::path& p) {
    return "'" + p.string() + "'";
}

// A fragment file of `cards` cards with the texts "c0", "c1", ...
std::string ManyCards(int cards) {
    std::string text = "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n";
    for (int i = 0; i < cards; ++i)
        text += "\"c" + std::to_string(i) + "\",1,1,1,4,1,0,0,\r\n";
    return text;
}

// The names in a folder, sorted.
std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("qv-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        ini_ = " -I " + (dir_ / "test.INI").string() + " ";
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_;
    std::string ini_;
};

TEST_F(CliTest, CheckTellsTheThreeKindsOfFile) {
    Write(dir_ / "foreign.csv", "a,b,c\r\n1,2,3\r\n");
    Write(dir_ / "notes.txt", "#Quillovarsta,Group\r\n");
    EXPECT_EQ(Cli(ini_ + "check " + kExample).Out, "fragment-file\n");
    EXPECT_EQ(Cli(ini_ + "check " + (dir_ / "foreign.csv").string()).Out, "csv\n");
    EXPECT_EQ(Cli(ini_ + "check " + (dir_ / "notes.txt").string()).Out, "not-csv\n");
}

TEST_F(CliTest, ConvertRewritesTheExampleByteForByte) {
    const fs::path out = dir_ / "copy.csv";
    const CliRun r = Cli(ini_ + "convert " + kExample + " " + out.string());
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(Slurp(out), Slurp(kExample));
}

TEST_F(CliTest, InfoDescribesPageCardsGroupsAndLines) {
    const CliRun r = Cli(ini_ + "info " + kExample);
    ASSERT_EQ(r.Code, 0);
    EXPECT_NE(r.Out.find("\"fragment_count\": 23"), std::string::npos);
    EXPECT_NE(r.Out.find("\"fixed_size\": true, \"fixed_width\": 1600, \"fixed_height\": 1100"),
              std::string::npos);
    EXPECT_NE(r.Out.find("\"div_columns\": 2, \"div_rows\": 2"), std::string::npos);
    // The first card is the name plate of group 1, 10 columns of the 13-pixel bold font wide.
    EXPECT_NE(r.Out.find("{\"kind\": \"NamePlate\", \"group\": 1, \"left\": 80, \"top\": 60"),
              std::string::npos);
    EXPECT_NE(r.Out.find("\"text_hex\": \"8b40945c82cc8341834383668341\""), std::string::npos)
        << "機能のアイデア in code page 932";
    EXPECT_NE(r.Out.find("\"group_lines\": [{\"from\": 1, \"to\": 2, \"type\": 2, \"width\": 3"),
              std::string::npos);
    // With the default settings the line-break marker "＼" would show as text.
    EXPECT_EQ(r.Out.find("\xEF\xBC\xBC"), std::string::npos) << "no card holds the marker";
}

TEST_F(CliTest, ExportThenImportKeepsTheTexts) {
    const fs::path text = dir_ / "out.txt";
    ASSERT_EQ(Cli(ini_ + "export-text " + kExample + " " + text.string()).Code, 0);
    const std::string exported = Slurp(text);
    // ";無所属" opens the cards of no group.
    EXPECT_EQ(exported.rfind(";\x96\xb3\x8f\x8a\x91\xae\r\n", 0), 0u);
    const fs::path doc = dir_ / "imported.csv";
    ASSERT_EQ(Cli(ini_ + "import-text " + text.string() + " " + doc.string() + " --group 7").Code,
              0);
    const CliRun info = Cli(ini_ + "info " + doc.string());
    ASSERT_EQ(info.Code, 0);
    EXPECT_NE(
        info.Out.find("\"text_hex\": \"8e7682a282c282a282bd82b182c682cd89bd82c582e08f9182ad\""),
        std::string::npos)
        << "思いついたことは何でも書く came back";
}

TEST_F(CliTest, MergeAddsTheOtherDocumentsCards) {
    const fs::path out = dir_ / "merged.csv";
    ASSERT_EQ(Cli(ini_ + "merge " + kExample + " " + kExample + " " + out.string()).Code, 0);
    EXPECT_NE(Cli(ini_ + "info " + out.string()).Out.find("\"fragment_count\": 46"),
              std::string::npos);
}

TEST_F(CliTest, RenderWritesABitmapOfThePageAndRefusesOtherTypes) {
    const fs::path bmp = dir_ / "page.BMP";
    ASSERT_EQ(Cli(ini_ + "render " + kExample + " " + bmp.string()).Code, 0);
    const std::string bytes = Slurp(bmp);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    auto le32 = [&](std::size_t at) {
        return static_cast<int>(static_cast<unsigned char>(bytes[at]) |
                                static_cast<unsigned char>(bytes[at + 1]) << 8 |
                                static_cast<unsigned char>(bytes[at + 2]) << 16 |
                                static_cast<unsigned char>(bytes[at + 3]) << 24);
    };
    // A fixed page with division lines is written whole.
    EXPECT_EQ(le32(18), 1600);
    EXPECT_EQ(std::abs(le32(22)), 1100);

    const fs::path jpg = dir_ / "page.jpg";
    ASSERT_EQ(Cli(ini_ + "render " + kExample + " " + jpg.string() + " --quality 40").Code, 0);
    EXPECT_EQ(Slurp(jpg).substr(0, 2), "\xFF\xD8");

    const fs::path png = dir_ / "page.png";
    EXPECT_EQ(Cli(ini_ + "render " + kExample + " " + png.string()).Code, 2);
    EXPECT_FALSE(fs::exists(png));
}

TEST_F(CliTest, BadInputAndWrongUsageHaveTheirExitCodes) {
    EXPECT_EQ(Cli(ini_ + "info " + (dir_ / "missing.csv").string()).Code, 1);
    EXPECT_EQ(Cli(ini_ + "convert " + kExample + " " + (dir_ / "no/such/dir/x.csv").string()).Code,
              1);
    EXPECT_EQ(Cli(ini_ + "nonsense").Code, 2);
    EXPECT_EQ(Cli(ini_ + "info").Code, 2);
    EXPECT_EQ(Cli("").Code, 2);
    EXPECT_EQ(Cli("--help").Code, 0);
}

TEST_F(CliTest, AnOutputNameNoFormatAnswersToIsWrongUsageForRenderAndExportAlike) {
    // Told before the document is read: a missing document does not change the answer.
    for (const std::string& doc : {kExample, (dir_ / "missing.csv").string()}) {
        for (const char* name : {"page.png", "page.gif", "page"}) {
            const CliRun render = Cli(ini_ + "render " + Q(doc) + " " + Q(dir_ / name));
            EXPECT_EQ(render.Code, 2) << name << ": " << render.Err;
        }
        for (const char* name : {"page.bmp", "page.gif", "page"}) {
            const CliRun exported = Cli(ini_ + "export " + Q(doc) + " " + Q(dir_ / name));
            EXPECT_EQ(exported.Code, 2) << name << ": " << exported.Err;
        }
    }
    EXPECT_EQ(Names(dir_), std::vector<std::string>{});
}

TEST_F(CliTest, OptionsAreCheckedBeforeAnythingIsWritten) {
    const std::string out = (dir_ / "out.csv").string();
    const std::string jpg = (dir_ / "page.jpg").string();
    EXPECT_EQ(Cli(ini_ + "convert " + kExample + " " + out + " --group 3").Code, 2);
    EXPECT_EQ(Cli(ini_ + "import-text " + kExample + " " + out + " --group").Code, 2);
    EXPECT_EQ(Cli(ini_ + "import-text " + kExample + " " + out + " --group 101").Code, 2);
    EXPECT_EQ(Cli(ini_ + "render " + kExample + " " + jpg + " --quality 0").Code, 2);
    EXPECT_EQ(Cli(ini_ + "render " + kExample + " " + jpg + " --quality 5x").Code, 2);
    EXPECT_EQ(Cli(ini_ + "settings --save extra").Code, 2);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(jpg));
    EXPECT_FALSE(fs::exists(dir_ / "test.INI"));
    const CliRun r = Cli(ini_ + "render " + kExample + " " + jpg + " --quality 40");
    EXPECT_EQ(r.Code, 0);
    EXPECT_NE(r.Out.find("\"quality\": 40"), std::string::npos) << r.Out;
}

TEST_F(CliTest, SettingsListsDefaultsAndSaveWritesOnlyWhenNeeded) {
    const CliRun r = Cli(ini_ + "settings");
    ASSERT_EQ(r.Code, 0);
    EXPECT_NE(r.Out.find("\"JpegQuality\": 100"), std::string::npos);
    EXPECT_NE(r.Out.find("\"font_pixel_heights\": {\"Fragment\": 15"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "test.INI")) << "listing alone writes nothing";
    ASSERT_EQ(Cli(ini_ + "settings --save").Code, 0);
    ASSERT_TRUE(fs::exists(dir_ / "test.INI"));
    const auto stamp = fs::last_write_time(dir_ / "test.INI");
    Write(dir_ / "marker", "x");
    ASSERT_EQ(Cli(ini_ + "settings --save").Code, 0);
    EXPECT_EQ(fs::last_write_time(dir_ / "test.INI"), stamp) << "nothing differs: not rewritten";
}

TEST_F(CliTest, LinkInfoReadsAnHtmlHead) {
    Write(dir_ / "page.html",
          "<html><head><meta charset=\"utf-8\"><title>\xE8\xA1\xA8\xE7\xB4\x99</title>\n"
          "<meta name=\"Description\" content=\"about\"></head><body></body></html>\n");
    const CliRun r = Cli(ini_ + "link-info " + (dir_ / "page.html").string());
    ASSERT_EQ(r.Code, 0);
    EXPECT_NE(r.Out.find("\"extension\": \".HTML\""), std::string::npos);
    EXPECT_NE(r.Out.find("\"description\", \"about\""), std::string::npos);
    EXPECT_NE(r.Out.find("\xE8\xA1\xA8\xE7\xB4\x99"), std::string::npos) << "the title 表紙";
}

TEST_F(CliTest, HostileInputCostsLittleAndLosesNothing) {
    // A megabyte of control bytes between blanks in one tag: once minutes of work.
    std::string head = "<html><head><title>t</title><meta ";
    while (head.size() < (1 << 20))
        head += "\x01 ";
    Write(dir_ / "hostile.html", head + "name=k content=v></head>");
    const CliRun info = Cli(ini_ + "link-info " + (dir_ / "hostile.html").string());
    ASSERT_EQ(info.Code, 0);
    EXPECT_NE(info.Out.find("\"k\", \"v\""), std::string::npos);

    // A picture of 704 scans is refused: its card shows the 48 x 48 square, the page renders.
    const std::string picture = std::string(QV_SOURCE_DIR) + "/tests/data/pictures/many_scans.jpg";
    Write(dir_ / "doc.csv",
          "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"
          "\"#\x89\xe6\x91\x9c\",1501,10,20,1,1,0,16777215," +
              picture + "\r\n");
    const CliRun doc = Cli(ini_ + "info " + (dir_ / "doc.csv").string());
    ASSERT_EQ(doc.Code, 0);
    EXPECT_NE(doc.Out.find("\"left\": 10, \"top\": 20, \"right\": 58, \"bottom\": 68"),
              std::string::npos)
        << doc.Out;
    EXPECT_EQ(
        Cli(ini_ + "render " + (dir_ / "doc.csv").string() + " " + (dir_ / "doc.bmp").string())
            .Code,
        0);

    // Settings at the integer limits: the sizes are held at 10000, the rest kept as written.
    Write(dir_ / "test.INI",
          "[Fragment]\r\nFrgWidth=2147483647\r\nFrgHeight=-2147483648\r\n"
          "[General]\r\nGLineArrowSize=2147483647\r\nGFrameLineWidth=2147483647\r\n"
          "DefScrWidth=2147483647\r\n");
    const CliRun settings = Cli(ini_ + "settings --save");
    ASSERT_EQ(settings.Code, 0);
    for (const char* shown :
         {"\"FrgWidth\": 10000", "\"FrgHeight\": -10000", "\"GLineArrowSize\": 10000",
          "\"GFrameLineWidth\": 10000", "\"DefScrWidth\": 2147483647"})
        EXPECT_NE(settings.Out.find(shown), std::string::npos) << shown;
    EXPECT_NE(Slurp(dir_ / "test.INI").find("FrgWidth=10000\r\n"), std::string::npos);
    EXPECT_EQ(Cli(ini_ + "import-text " + (dir_ / "hostile.html").string() + " " +
                  (dir_ / "imported.csv").string())
                  .Code,
              0);
}

// ---- Data safety ----

TEST_F(CliTest, InputThatDidNotFitIsNeverWrittenOverItsOwnFile) {
    const fs::path big = dir_ / "big.csv";
    Write(big, ManyCards(1005));
    const fs::path part = dir_ / "part.csv";
    Write(part, ManyCards(990));
    const fs::path text = dir_ / "lines.csv";
    std::string lines;
    for (int i = 0; i < 1003; ++i)
        lines += "t" + std::to_string(i) + "\r\n";
    Write(text, lines);

    CliRun r = Cli(ini_ + "convert " + Q(big) + " " + Q(big));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("1000 cards read, 5 dropped"), std::string::npos) << r.Err;
    EXPECT_EQ(Slurp(big), ManyCards(1005));

    r = Cli(ini_ + "merge " + kExample + " " + Q(part) + " " + Q(part));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("977 cards read, 13 dropped"), std::string::npos) << r.Err;
    EXPECT_EQ(Slurp(part), ManyCards(990));

    r = Cli(ini_ + "import-text " + Q(text) + " " + Q(text));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("1000 cards read, 3 dropped"), std::string::npos) << r.Err;
    EXPECT_EQ(Slurp(text), lines);

    // Other subcommands say it too, and write nothing from part of a file.
    for (const std::string& args :
         {"info " + Q(big), "export-text " + Q(big) + " " + Q(dir_ / "o.txt"),
          "convert " + Q(big) + " " + Q(dir_ / "o.csv")}) {
        r = Cli(ini_ + args);
        EXPECT_EQ(r.Code, 1) << args;
        EXPECT_NE(r.Err.find("5 dropped"), std::string::npos) << r.Err;
    }
    EXPECT_FALSE(fs::exists(dir_ / "o.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "o.csv"));
}

TEST_F(CliTest, InfoDescribesPartOfADocumentAsReadOnlyAndStillFails) {
    const fs::path big = dir_ / "big.csv";
    Write(big, ManyCards(1005));
    const CliRun r = Cli(ini_ + "info " + Q(big));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("5 dropped"), std::string::npos) << r.Err;
    EXPECT_NE(r.Out.find("\"fragment_count\": 1000, \"cards_dropped\": 5"), std::string::npos)
        << r.Out;
    EXPECT_NE(r.Out.find("\"read_only\": true"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("\"text_hex\": \"63393939\""), std::string::npos) << "c999, the last read";

    // UTF-8 lines code page 932 cannot hold: named, read-only, status 1.
    Write(dir_ / "emoji.csv",
          "\xEF\xBB\xBF#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,"
          "Link\r\n\"\xF0\x9F\x98\x80\",1,1,1,4,1,0,0,\r\n");
    const CliRun emoji = Cli(ini_ + "info " + Q(dir_ / "emoji.csv"));
    EXPECT_EQ(emoji.Code, 1);
    EXPECT_NE(
        emoji.Out.find("\"cards_dropped\": 0, \"unconvertible_lines\": [2], \"read_only\": true"),
        std::string::npos)
        << emoji.Out;

    // A whole document says it lacks nothing; a file that cannot be read prints no JSON.
    const CliRun whole = Cli(ini_ + "info " + kExample);
    EXPECT_EQ(whole.Code, 0);
    EXPECT_NE(
        whole.Out.find("\"cards_dropped\": 0, \"unconvertible_lines\": [], \"read_only\": false"),
        std::string::npos)
        << whole.Out;
    const CliRun missing = Cli(ini_ + "info " + Q(dir_ / "missing.csv"));
    EXPECT_EQ(missing.Code, 1);
    EXPECT_EQ(missing.Out, "");
}

// Whether `bytes` are well-formed UTF-8, as a strict decoder takes them.
bool IsUtf8(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-32LE", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in = bytes;
    std::string out(in.size() * 4 + 4, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t left = in.size(), room = out.size();
    const bool ok =
        iconv(cd, &src, &left, &dst, &room) != static_cast<std::size_t>(-1) && left == 0;
    iconv_close(cd);
    return ok;
}

TEST_F(CliTest, JsonIsValidUtf8WhateverBytesNamesAndLinksHold) {
    // A file name in code page 932 ("表.csv"), a link of raw bytes, a card text of control bytes.
    const fs::path doc = dir_ / "\x95\x5C.csv";
    Write(doc,
          "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"
          "\"\x01\x1B[2J\",1,1,1,4,1,0,0,/x/\xFF\xFE\x95\r\n");
    ASSERT_FALSE(IsUtf8(doc.string()));
    const CliRun info = Cli(ini_ + "info " + Q(doc));
    ASSERT_EQ(info.Code, 0) << info.Err;
    EXPECT_TRUE(IsUtf8(info.Out)) << info.Out;
    EXPECT_NE(info.Out.find("\"path\": \"" + dir_.string() + "/\xEF\xBF\xBD\\\\.csv\""),
              std::string::npos)
        << info.Out;
    EXPECT_NE(info.Out.find("\"text\": \"\\u0001\\u001b[2J\""), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("\"link_hex\": \"2f782ffffe95\""), std::string::npos) << info.Out;

    const fs::path svg = dir_ / "\x95\x5C.svg";
    const CliRun exported = Cli(ini_ + "export " + Q(doc) + " " + Q(svg));
    ASSERT_EQ(exported.Code, 0) << exported.Err;
    EXPECT_TRUE(IsUtf8(exported.Out)) << exported.Out;
    EXPECT_NE(exported.Out.find("\"format\": \"svg\""), std::string::npos) << exported.Out;

    const fs::path page = dir_ / "page.\x95\x5C";
    Write(page, "first line\n");
    const CliRun link = Cli(ini_ + "link-info " + Q(page));
    ASSERT_EQ(link.Code, 0) << link.Err;
    EXPECT_TRUE(IsUtf8(link.Out)) << link.Out;
    EXPECT_NE(link.Out.find("\"extension\": \".\xEF\xBF\xBD\\\\\""), std::string::npos) << link.Out;
}

TEST_F(CliTest, ControlCharactersFromDocumentsAndNamesReachTheTerminalEscaped) {
    // A picture card whose missing file's name would clear the screen and retitle the window.
    const fs::path doc = dir_ / "doc.csv";
    Write(doc,
          "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"
          "\"p\",1501,10,20,1,1,0,16777215,/no/such/\x1B[2J\x1B]0;owned\x07.bmp\r\n");
    for (const std::string& args : {"render " + Q(doc) + " " + Q(dir_ / "out.bmp"),
                                    "export " + Q(doc) + " " + Q(dir_ / "out.svg")}) {
        const CliRun r = Cli(ini_ + args);
        EXPECT_EQ(r.Code, 0) << args << ": " << r.Err;
        EXPECT_NE(r.Err.find("/no/such/\\x1b[2J\\x1b]0;owned\\x07.bmp"), std::string::npos)
            << r.Err;
        EXPECT_EQ(r.Err.find('\x1B'), std::string::npos) << args;
        EXPECT_EQ(r.Err.find('\x07'), std::string::npos) << args;
    }
    // A name given on the command line, and a reason that names the file.
    const CliRun missing = Cli(ini_ + "info " + Q(dir_ / "a\x1B[31m\xC2\x9B\nb.csv"));
    EXPECT_EQ(missing.Code, 1);
    EXPECT_NE(missing.Err.find("a\\x1b[31m\\u009b\\nb.csv"), std::string::npos) << missing.Err;
    EXPECT_EQ(missing.Err.find('\x1B'), std::string::npos);
    EXPECT_EQ(missing.Err.find("\nb.csv"), std::string::npos) << "no line of its own";
}

TEST_F(CliTest, FileNamesCodePage932CannotHoldOpenAndSaveThemselves) {
    const fs::path keep = dir_ / "keep_?.csv";
    Write(keep, "untouched");
    const fs::path cafe = dir_ / "caf\xC3\xA9.csv";
    const fs::path smile = dir_ / "\xF0\x9F\x98\x80.csv";
    ASSERT_EQ(Cli(ini_ + "convert " + kExample + " " + Q(cafe)).Code, 0);
    ASSERT_EQ(Cli(ini_ + "convert " + Q(cafe) + " " + Q(smile)).Code, 0);
    EXPECT_EQ(Slurp(smile), Slurp(kExample));
    const CliRun info = Cli(ini_ + "info " + Q(smile));
    ASSERT_EQ(info.Code, 0) << info.Err;
    EXPECT_NE(info.Out.find("\"path\": \"" + smile.string() + "\""), std::string::npos);
    // Saving over itself keeps the name.
    ASSERT_EQ(Cli(ini_ + "merge " + Q(smile) + " " + Q(cafe) + " " + Q(smile)).Code, 0);
    ASSERT_EQ(Cli(ini_ + "convert " + Q(dir_ / "keep_\xC3\xA9.csv") + " x.csv").Code, 1);
    ASSERT_EQ(Cli(ini_ + "convert " + kExample + " " + Q(dir_ / "keep_\xF0\x9F\x98\x80.csv")).Code,
              0);
    EXPECT_EQ(Slurp(keep), "untouched");
    EXPECT_EQ(Names(dir_),
              (std::vector<std::string>{"caf\xC3\xA9.csv", "keep_?.csv",
                                        "keep_\xF0\x9F\x98\x80.csv", "\xF0\x9F\x98\x80.csv"}));
}

TEST_F(CliTest, AReadOnlySettingsFileIsNotSaved) {
    const fs::path ini = dir_ / "test.INI";
    Write(ini, "[General]\r\nJpegQuality=70\r\n");
    ::chmod(ini.c_str(), 0444);
    const CliRun r = Cli(ini_ + "settings --save");
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("read-only"), std::string::npos) << r.Err;
    EXPECT_EQ(Slurp(ini), "[General]\r\nJpegQuality=70\r\n");
    EXPECT_NE(r.Out.find("\"JpegQuality\": 70"), std::string::npos) << "still listed";
}

TEST_F(CliTest, OutputsThatAreNoRegularFileAreRefusedAndDashIsStandardOutput) {
    const fs::path fifo = dir_ / "pipe.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir_ / "folder.txt");
    // A device of our own: a copy of /dev/null that root could otherwise replace.
    const fs::path device = dir_ / "null.BMP";
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    CliRun r = Cli(ini_ + "convert " + kExample + " " + Q(fifo));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("FIFO"), std::string::npos) << r.Err;
    EXPECT_TRUE(fs::is_fifo(fifo));
    r = Cli(ini_ + "export-text " + kExample + " " + Q(dir_ / "folder.txt"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("folder"), std::string::npos) << r.Err;
    if (haveDevice) {
        r = Cli(ini_ + "render " + kExample + " " + Q(device));
        EXPECT_EQ(r.Code, 1);
        EXPECT_NE(r.Err.find("device"), std::string::npos) << r.Err;
        EXPECT_TRUE(fs::is_character_file(device));
    }

    r = Cli(ini_ + "export-text " + kExample + " -");
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out.rfind(";\x96\xb3\x8f\x8a\x91\xae\r\n", 0), 0u);
    EXPECT_FALSE(fs::exists("-"));
    r = Cli(ini_ + "render " + kExample + " -");
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out.substr(0, 2), "BM");
    EXPECT_GT(r.Out.size(), 1600u * 1100u * 3u);
    r = Cli(ini_ + "render " + kExample + " - --format jpg --quality 30");
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(Cli(ini_ + "render " + kExample + " - --format png").Code, 2);
    // Like a file's extension, the format is named in any letter case, by either command.
    r = Cli(ini_ + "render " + kExample + " - --format JPEG --quality 30");
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Out.substr(0, 2), "\xFF\xD8");
    r = Cli(ini_ + "info " + Q(dir_ / "folder.txt"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("cannot read"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find("it is a folder"), std::string::npos) << r.Err;
}

TEST_F(CliTest, NothingIsWrittenThatCouldNotBeReadBack) {
    // A document of one card with a 33 MiB link, merged with itself, passes the 64 MiB limit.
    const std::string link(33u << 20, 'x');
    const fs::path half = dir_ / "half.csv";
    Write(half,
          "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n\"a\",1,1,1,4,1,0,0,/" +
              link + "\r\n");
    const CliRun r = Cli(ini_ + "merge " + Q(half) + " " + Q(half) + " " + Q(dir_ / "out.csv"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("64 MiB"), std::string::npos) << r.Err;
    EXPECT_FALSE(fs::exists(dir_ / "out.csv"));
}

TEST_F(CliTest, CheckSaysWhyAFileCannotBeRead) {
    fs::create_directory(dir_ / "folder.csv");
    ASSERT_EQ(::mkfifo((dir_ / "pipe.csv").c_str(), 0600), 0);
    fs::create_symlink("b.csv", dir_ / "a.csv");
    fs::create_symlink("a.csv", dir_ / "b.csv");
    struct Case {
        std::string Path;
        std::string Why;
    };
    for (const Case& c : {Case{(dir_ / "folder.csv").string(), "it is a folder"},
                          Case{(dir_ / "pipe.csv").string(), "FIFO"}, Case{"/dev/zero", "device"},
                          Case{(dir_ / "a.csv").string(), "loop"},
                          Case{(dir_ / "none.csv").string(), "no such file"}}) {
        const CliRun r = Cli(ini_ + "check " + Q(c.Path));
        EXPECT_EQ(r.Code, 1) << c.Path;
        EXPECT_EQ(r.Out, "") << c.Path;
        EXPECT_NE(r.Err.find(c.Why), std::string::npos) << r.Err;
    }
    // A file this user may not read: as another user when the tests run as root.
    const fs::path secret = dir_ / "secret.csv";
    Write(secret, "#Quillovarsta,Group\r\n");
    ::chmod(secret.c_str(), 0600);
    ::chmod(dir_.c_str(), 0755);
    const std::string asOther =
        ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    if (::geteuid() != 0) ::chmod(secret.c_str(), 0);
    const CliRun r = Cli("-I " + Q(dir_ / "none.INI") + " check " + Q(secret), asOther);
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Out, "") << "not \"csv\"";
    EXPECT_NE(r.Err.find("permission denied"), std::string::npos) << r.Err;
}

TEST_F(CliTest, TheLongestFileNameCanBeWrittenAndAnInterruptLeavesNoTemporaryFile) {
    const fs::path longName = dir_ / (std::string(250, 'n') + ".csv");
    const CliRun r = Cli(ini_ + "convert " + kExample + " " + Q(longName));
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(Slurp(longName), Slurp(kExample));

    // A large document keeps the tool busy writing; SIGINT at some point of it must leave only
    // the input and, at most, the finished output.
    const fs::path big = dir_ / "big.csv";
    Write(big,
          "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n\"a\",1,1,1,4,1,0,0,/" +
              std::string(30u << 20, 'x') + "\r\n");
    for (int delayMs : {150, 400}) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            const std::string out = (dir_ / "out.csv").string();
            const std::string iniPath = (dir_ / "test.INI").string();
            ::execl(kCli.c_str(), kCli.c_str(), "-I", iniPath.c_str(), "convert", big.c_str(),
                    out.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ::kill(pid, SIGINT);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        for (const std::string& name : Names(dir_))
            EXPECT_TRUE(name == "big.csv" || name == "out.csv" || name == longName.filename())
                << "left behind: " << name;
        fs::remove(dir_ / "out.csv");
    }
}

TEST_F(CliTest, AReaderThatStopsEarlyLeavesNoOutputBehind) {
    // A card far out makes a page image of some MB, more than any pipe holds.
    const fs::path doc = dir_ / "wide.csv";
    Write(doc,
          "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n\"a\",1,2000,2000,4,1,0,0,"
          "\r\n");
    const fs::path temp = dir_ / "tmp";
    const fs::path run = dir_ / "run";  // Qt's runtime folder, which is not ours to check
    fs::create_directories(run);
    fs::permissions(run, fs::perms::owner_all);
    for (const char* how : {"", "trap '' PIPE; "}) {
        for (const char* command : {"render", "export"}) {
            fs::create_directories(temp);
            const std::string out = std::string(command) == "export" ? " - --format png" : " -";
            const CliRun r =
                Cli(ini_ + command + " " + Q(doc) + out + " | head -c 100 >/dev/null",
                    std::string(how) + "QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=" + Q(run) +
                        " TMPDIR=" + Q(temp) + " ");
            EXPECT_EQ(r.Code, 0);
            EXPECT_TRUE(Names(temp).empty())
                << command << (*how ? " with SIGPIPE ignored" : "") << " left "
                << (Names(temp).empty() ? "" : Names(temp)[0]);
            fs::remove_all(temp);
        }
    }
}

TEST_F(CliTest, AUtf8DocumentIsConvertedOrRefusedByLine) {
    const std::string header =
        "\xEF\xBB\xBF#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n";
    const fs::path utf8 = dir_ / "utf8.csv";
    Write(utf8,
          header +
              "\"\xE8\xA1\xA8\",-2,40,30,10,1,0,16777215,\r\n\"x\",2,44,80,12,3,0,16777215,\r\n");
    CliRun r = Cli(ini_ + "convert " + Q(utf8) + " " + Q(dir_ / "out.csv"));
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_NE(r.Err.find("UTF-8"), std::string::npos) << r.Err;
    EXPECT_EQ(Slurp(dir_ / "out.csv"),
              "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"
              "\"\x95\x5c\",-2,40,30,10,1,0,16777215,\r\n\"x\",2,44,80,12,3,0,16777215,\r\n");

    const fs::path emoji = dir_ / "emoji.csv";
    Write(emoji, header + "\"ok\",1,1,1,4,1,0,0,\r\n\"\xF0\x9F\x98\x80\",1,1,1,4,1,0,0,\r\n");
    r = Cli(ini_ + "convert " + Q(emoji) + " " + Q(emoji));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("line 3"), std::string::npos) << r.Err;
    EXPECT_EQ(Slurp(emoji).find('?'), std::string::npos);
    EXPECT_EQ(Slurp(emoji).rfind(header, 0), 0u) << "untouched";
}

TEST_F(CliTest, AUtf16DocumentIsConvertedLikeAUtf8One) {
    // "表" as a name plate, little-endian after its mark.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n\"")) {
        utf16 += c;
        utf16 += '\0';
    }
    utf16 += "\x68\x88";
    for (char c : std::string("\",-2,40,30,10,1,0,16777215,\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    const fs::path doc = dir_ / "utf16.csv";
    Write(doc, utf16);
    EXPECT_EQ(Cli(ini_ + "check " + Q(doc)).Out, "fragment-file\n");
    const CliRun r = Cli(ini_ + "convert " + Q(doc) + " " + Q(doc));
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_NE(r.Err.find("UTF-16"), std::string::npos) << r.Err;
    EXPECT_EQ(Slurp(doc),
              "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"
              "\"\x95\x5c\",-2,40,30,10,1,0,16777215,\r\n");
}

}  // namespace

namespace {

TEST_F(CliTest, AStandardOutputLeftNonBlockingStillGetsTheWholeImage) {
    ASSERT_EQ(Cli(ini_ + "render " + kExample + " " + Q(dir_ / "page.bmp")).Code, 0);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    // As a parent that uses non-blocking pipes hands its own end on.
    ASSERT_EQ(::fcntl(fds[1], F_SETFL, O_NONBLOCK), 0);
    const std::string ini = (dir_ / "test.INI").string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        ::close(fds[1]);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::execl(kCli.c_str(), kCli.c_str(), "-I", ini.c_str(), "render", kExample.c_str(), "-",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    // The pipe fills long before the image is out: the tool meets a write that would block.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::string out;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(out == Slurp(dir_ / "page.bmp")) << out.size() << " bytes";
}

class CliExportTest : public CliTest {};

TEST_F(CliExportTest, ExportChoosesTheFormatByTheExtensionInAnyCase) {
    struct Case {
        const char* Name;
        std::string Start;
    };
    for (const Case& c :
         {Case{"page.svg", "<?xml"}, Case{"page.PDF", "%PDF-"},
          Case{"page.Png", "\x89PNG\r\n\x1A\n"}, Case{"page.canvas", "{\"nodes\": ["}}) {
        const CliRun r = Cli(ini_ + "export " + kExample + " " + Q(dir_ / c.Name));
        EXPECT_EQ(r.Code, 0) << c.Name << ": " << r.Err;
        EXPECT_EQ(Slurp(dir_ / c.Name).substr(0, c.Start.size()), c.Start) << c.Name;
        EXPECT_NE(r.Out.find("\"width\""), std::string::npos) << r.Out;
    }
    // No temporary file is left beside the outputs.
    EXPECT_EQ(Names(dir_).size(), 4u + (fs::exists(dir_ / "test.INI") ? 1u : 0u));

    CliRun r = Cli(ini_ + "export " + kExample + " - --format svg");
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Out.rfind("<?xml", 0), 0u);
    EXPECT_NE(r.Out.find("</svg>"), std::string::npos);
    EXPECT_FALSE(fs::exists("-"));
}

TEST_F(CliExportTest, MarkdownIsAnOutlineOfTheGroupsWithTheCardsTextsEscaped) {
    const fs::path doc = dir_ / "outline.csv";
    Write(doc,
          "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"
          "\"Plan\",-1,10,10,6,1,0,16777215,\r\n"
          "\"# second\",1,10,100,6,1,0,16777215,\r\n"
          "\"1. first\",1,10,50,6,1,0,16777215,\r\n"
          "\"<b>web</b>\",2,600,10,6,1,0,16777215,https://example.com/a b\r\n"
          "\"loose\",0,10,400,6,1,0,16777215,\r\n");
    const CliRun r = Cli(ini_ + "export " + Q(doc) + " " + Q(dir_ / "outline.MD"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_NE(r.Out.find("\"format\": \"md\""), std::string::npos) << r.Out;
    EXPECT_EQ(Slurp(dir_ / "outline.MD"),
              "## Plan\n\n- 1\\. first\n- \\# second\n\n"
              "## \xe3\x82\xb0\xe3\x83\xab\xe3\x83\xbc\xe3\x83\x97"
              "2\n\n"
              "- [\\<b\\>web\\</b\\>](https://example.com/a%20b)\n\n"
              "## \xe3\x82\xb0\xe3\x83\xab\xe3\x83\xbc\xe3\x83\x97\xe3\x81\xaa\xe3\x81\x97\n\n"
              "- loose\n");
}

TEST_F(CliExportTest, WrongUsageBadInputAndUnwritableOutputsHaveTheirExitCodes) {
    CliRun r = Cli(ini_ + "export " + kExample + " " + Q(dir_ / "page.jpg"));
    EXPECT_EQ(r.Code, 2);
    for (const char* ext : {".svg", ".pdf", ".png", ".canvas", ".md"})
        EXPECT_NE(r.Err.find(ext), std::string::npos) << r.Err;
    EXPECT_EQ(Cli(ini_ + "export " + kExample + " " + Q(dir_ / "noextension")).Code, 2);
    EXPECT_EQ(Cli(ini_ + "export " + kExample).Code, 2);
    EXPECT_EQ(Cli(ini_ + "export " + kExample + " -").Code, 2) << "standard output needs --format";
    EXPECT_EQ(Cli(ini_ + "export " + kExample + " - --format bmp").Code, 2);
    EXPECT_EQ(Cli(ini_ + "export " + kExample + " " + Q(dir_ / "a.svg") + " --format pdf").Code, 2);
    EXPECT_EQ(Cli(ini_ + "export " + Q(dir_ / "missing.csv") + " " + Q(dir_ / "a.svg")).Code, 1);

    // A document that did not fit is not exported from part of it.
    const fs::path big = dir_ / "big.csv";
    Write(big, ManyCards(1005));
    r = Cli(ini_ + "export " + Q(big) + " " + Q(dir_ / "big.canvas"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("5 dropped"), std::string::npos) << r.Err;
    EXPECT_FALSE(fs::exists(dir_ / "big.canvas"));

    // One card far out makes a page no PNG may hold: refused at once, naming the limit, and
    // nothing is left behind (unbounded, it would be encoded for days).
    const fs::path far = dir_ / "far.csv";
    Write(far,
          "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"
          "\"far\",1,3000000,3000000,4,1,0,0,\r\n");
    r = Cli(ini_ + "export " + Q(far) + " " + Q(dir_ / "far.png"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("65500"), std::string::npos) << r.Err;
    for (const std::string& name : Names(dir_))
        EXPECT_TRUE(name == "big.csv" || name == "far.csv" || name == "test.INI") << name;

    // Folders, FIFOs and write-protected files are refused and left as they were.
    fs::create_directory(dir_ / "folder.svg");
    r = Cli(ini_ + "export " + kExample + " " + Q(dir_ / "folder.svg"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("folder"), std::string::npos) << r.Err;
    const fs::path fifo = dir_ / "pipe.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    r = Cli(ini_ + "export " + kExample + " " + Q(fifo));
    EXPECT_EQ(r.Code, 1);
    EXPECT_TRUE(fs::is_fifo(fifo));
    const fs::path locked = dir_ / "locked.pdf";
    Write(locked, "old");
    fs::permissions(locked, fs::perms::owner_read);
    r = Cli(ini_ + "export " + kExample + " " + Q(locked));
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(Slurp(locked), "old");
}

// A PDF file carries the time it was made; everything else must be the same byte for byte.
std::string WithoutDate(std::string pdf) {
    const std::string key = "/CreationDate";
    const std::size_t at = pdf.find(key);
    if (at != std::string::npos)
        pdf.replace(at, std::min(pdf.find('\n', at), pdf.size()) - at, key);
    return pdf;
}

TEST_F(CliTest, StandardOutputGetsTheFilesBytesStraightWithoutATemporaryFile) {
    const fs::path temp = dir_ / "tmp";
    const fs::path run = dir_ / "run";  // Qt's runtime folder, which is not ours to check
    fs::create_directories(temp);
    fs::create_directories(run);
    fs::permissions(run, fs::perms::owner_all);
    const std::string env =
        "QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=" + Q(run) + " TMPDIR=" + Q(temp) + " ";
    struct Case {
        const char* Command;
        const char* File;
        const char* Format;
    };
    for (const Case& c :
         {Case{"render", "page.jpg", "jpg"}, Case{"render", "page.bmp", "bmp"},
          Case{"export", "page.svg", "svg"}, Case{"export", "page.pdf", "pdf"},
          Case{"export", "page.png", "png"}, Case{"export", "page.canvas", "canvas"},
          Case{"export", "page.md", "md"}}) {
        const std::string what = std::string(c.Command) + " --format " + c.Format;
        CliRun r = Cli(ini_ + c.Command + " " + kExample + " " + Q(dir_ / c.File), env);
        ASSERT_EQ(r.Code, 0) << what << ": " << r.Err;
        const std::string file = Slurp(dir_ / c.File);
        // The reader takes one byte, looks into the temporary folder while the rest waits in the
        // pipe, then takes the rest.
        const fs::path listing = dir_ / "listing";
        const fs::path piped = dir_ / "piped";
        r = Cli(ini_ + c.Command + " " + kExample + " - --format " + c.Format +
                    " | { dd bs=1 count=1 status=none; ls -A " + Q(temp) + " >" + Q(listing) +
                    "; cat; } >" + Q(piped),
                env);
        EXPECT_EQ(r.Code, 0) << what << ": " << r.Err;
        EXPECT_EQ(Slurp(listing), "") << what << " made a temporary file";
        EXPECT_TRUE(Names(temp).empty()) << what;
        const std::string out = Slurp(piped);
        if (std::string(c.Format) == "pdf") {
            EXPECT_EQ(out.size(), file.size());
            EXPECT_EQ(WithoutDate(out), WithoutDate(file));
        } else {
            EXPECT_EQ(out.size(), file.size()) << what;
            EXPECT_TRUE(out == file) << what << " differs from the file";
        }
    }
}

TEST_F(CliTest, AFailedWriteToStandardOutputStopsTheOutputAndIsToldOnce) {
    for (const char* out : {" -", " - --format jpg"}) {
        // A full disk.
        CliRun r = Cli(ini_ + "render " + kExample + out + " >/dev/full");
        EXPECT_EQ(r.Code, 1) << out;
        EXPECT_NE(r.Err.find("cannot write to standard output: No space left on device"),
                  std::string::npos)
            << r.Err;
    }
    for (const char* out : {" - --format png", " - --format svg", " - --format pdf"}) {
        const CliRun r = Cli(ini_ + "export " + kExample + out + " >/dev/full");
        EXPECT_EQ(r.Code, 1) << out;
        EXPECT_NE(r.Err.find("No space left on device"), std::string::npos) << out << r.Err;
    }
    // A reader that went away while SIGPIPE is ignored: the tool learns it from the write.
    const fs::path code = dir_ / "code";
    const fs::path err = dir_ / "err";
    for (const std::string& out :
         {"render " + kExample + " -", "export " + kExample + " - --format png"}) {
        Cli(ini_ + out + " 2>" + Q(err) + "; echo $? >" + Q(code) + "; } | head -c 10 >/dev/null",
            "trap '' PIPE; { ");
        EXPECT_EQ(Slurp(code), "1\n") << out;
        const std::string told = Slurp(err);
        const std::size_t at = told.find("cannot write to standard output: Broken pipe");
        EXPECT_NE(at, std::string::npos) << told;
        EXPECT_EQ(told.find("cannot write", at + 1), std::string::npos) << told;
    }
}

}  // namespace

TEST_F(CliTest, ConvertReadsACanvasAndWritesNothingWhenItCannot) {
    // The example exported, converted back and exported again gives the same canvas (the page
    // lists name plates above their cards, so the list order is the page's, not the file's).
    // Its picture's path is relative: the picture travels with the canvas.
    const fs::path canvas = dir_ / "board.canvas";
    fs::copy_file(fs::path(kExample).parent_path() / "idea.bmp", dir_ / "idea.bmp");
    ASSERT_EQ(Cli(ini_ + "export " + kExample + " " + Q(canvas)).Code, 0);
    const fs::path back = dir_ / "back.csv";
    CliRun r = Cli(ini_ + "convert " + Q(canvas) + " " + Q(back));
    EXPECT_EQ(r.Code, 0) << r.Err;
    const fs::path again = dir_ / "again.canvas";
    ASSERT_EQ(Cli(ini_ + "export " + Q(back) + " " + Q(again)).Code, 0);
    EXPECT_EQ(Slurp(again), Slurp(canvas));
    EXPECT_EQ(Slurp(back).size(), Slurp(kExample).size());

    struct Case {
        std::string name, bytes, message;
    };
    std::string many = "{\"nodes\": [";
    for (int i = 0; i < 1002; ++i)
        many += "{\"id\": \"" + std::to_string(i) +
                "\", \"type\": \"text\", \"x\": 0, \"y\": 0, \"width\": 9, \"height\": 9, "
                "\"text\": \"t\"},";
    many.back() = ']';
    many += "}";
    for (const Case& c :
         {Case{"broken.canvas", "{\"nodes\": [1,",
               "not JSON: unexpected end of the text at line 1"},
          Case{"empty.canvas", "{}", "no \"nodes\" array"},
          Case{"snow.canvas",
               "{\"nodes\": [{\"id\": \"a\", \"type\": \"text\", \"x\": 0, \"y\": 0, \"width\": 9, "
               "\"height\": 9, \"text\": \"\\u2603\"}]}",
               "cannot hold some characters of card 1; nothing written"},
          Case{"many.canvas", many, "1000 cards read, 2 dropped"}}) {
        Write(dir_ / c.name, c.bytes);
        const fs::path out = dir_ / (c.name + ".csv");
        r = Cli(ini_ + "convert " + Q(dir_ / c.name) + " " + Q(out));
        EXPECT_EQ(r.Code, 1) << c.name;
        EXPECT_NE(r.Err.find(c.message), std::string::npos) << r.Err;
        EXPECT_FALSE(fs::exists(out)) << c.name;
    }

    // Malformed nodes are left out and said so; the rest is written.
    Write(
        dir_ / "odd.canvas",
        "{\"nodes\": [{\"id\": \"a\", \"type\": \"text\", \"x\": 0, \"y\": 0, \"width\": 9, "
        "\"height\": 9, \"text\": \"ok\"}, {\"id\": \"a\"}], \"edges\": [{\"fromNode\": \"x\"}]}");
    r = Cli(ini_ + "convert " + Q(dir_ / "odd.canvas") + " " + Q(dir_ / "odd.csv"));
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_NE(r.Err.find("2 nodes or edges left out"), std::string::npos) << r.Err;
    EXPECT_NE(Slurp(dir_ / "odd.csv").find("\"ok\",0,"), std::string::npos);
}
