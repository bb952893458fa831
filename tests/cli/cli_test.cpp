// quillovarsta-cli as a user runs it: output, files written and exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::string kCli = QV_CLI;
const std::string kExample = std::string(QV_SOURCE_DIR) + "/examples/brainstorm.csv";

struct CliRun {
    int Code = -1;
    std::string Out;
};

// Runs the CLI with the given arguments (already quoted where needed); stderr is dropped.
CliRun Cli(const std::string& args) {
    CliRun r;
    const std::string command = "QT_QPA_PLATFORM=offscreen " + kCli + " " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        r.Out.append(buffer, n);
    const int status = pclose(pipe);
    r.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
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
    EXPECT_EQ(Cli(ini_ + "render " + kExample + " " + png.string()).Code, 1);
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

}  // namespace
