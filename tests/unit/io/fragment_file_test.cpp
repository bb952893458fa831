#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/io/fragment_file.h"
#include "unit/io/io_test_util.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using test::FragmentCsv;
using test::ReadAll;
using test::TempDir;
using test::TestDoc;

std::string Str(std::string_view s) {
    return std::string(s);
}

// Reads `bytes` as the file `name` into a fresh document.
struct ReadDoc {
    TempDir dir;
    TestDoc doc;
    ReadStatus status = ReadStatus::Missing;
    int count = 0;

    explicit ReadDoc(std::string_view bytes, std::string name = "doc.csv", bool merge = false) {
        const fs::path p = dir.Write(name, bytes);
        status = ReadFragmentFile(doc.set, p.string(), merge).Status;
        count = doc.set.Count();
    }
    const Fragment& At(int i) const { return *doc.set.Fragments().at(static_cast<std::size_t>(i)); }
};

// ---- Writing and reading back ----

TEST(FragmentFileSave, WritesTheDocumentLayoutLineByLine) {
    TestDoc doc;
    Fragment* plate = doc.Add(Str(test::kIdeas), 2, 40, 30, 10, 1, FragmentKind::NamePlate);
    plate->ColBG = 0xFFFFFF;
    Fragment* text = doc.Add("memo", 2, 44, 80, 12, 3);
    text->ColBG = 0xFFFFFF;
    text->Link = "/home/me/a.txt";
    Fragment* sym = doc.Add("!", 7, 5, 6, 1, 1, FragmentKind::Symbol);
    sym->ColFG = 0x80000008;  // a system colour comes out negative
    doc.Add("pic", 0, 1, 2, 1, 2, FragmentKind::Image)->ColBG = kNoColor;
    doc.set.Recount();
    ASSERT_TRUE(doc.set.SetGroupLine(2, 7));
    doc.set.GroupLines.back().Type = kLineArrow;
    doc.set.GroupLines.back().Width = 3;
    doc.set.FixedSize = true;
    doc.set.FixedWidth = 2000;
    doc.set.FixedHeight = 1500;
    doc.set.DivColumns = 2;
    doc.set.DivRows = 2;

    const std::string expected = FragmentCsv({
        "\"" + Str(test::kIdeas) + "\",-2,40,30,10,1,0,16777215,",
        "\"memo\",2,44,80,12,3,0,16777215,/home/me/a.txt",
        "\"!\",1007,5,6,1,1,-2147483640,16777215,",
        "\"pic\",1500,1,2,1,2,0,536870911,",
        Str(kGroupLineLabel) + ",2002,2,7,3,0,0,0,",
        Str(kPageSizeLabel) + ",5001,0,0,2000,1500,0,0,",
        Str(kDivisionLabel) + ",5002,0,0,2,2,0,0,",
    });
    EXPECT_EQ(FragmentFileText(doc.set), expected);

    // Without a fixed page or a grid those lines are left out.
    doc.set.FixedSize = false;
    doc.set.DivColumns = 1;
    doc.set.DivRows = 0;
    const std::string text2 = FragmentFileText(doc.set);
    EXPECT_EQ(text2.find(Str(kPageSizeLabel)), std::string::npos);
    EXPECT_EQ(text2.find(Str(kDivisionLabel)), std::string::npos);
}

TEST(FragmentFileSave, AwkwardTextsAndLinksRoundTripByteForByte) {
    TempDir dir;
    TestDoc doc;
    const std::string awkward = "say \"hi\", then" + Str(test::kMarker) + "next " +
                                Str(test::kHyou) + Str(test::kSo) + "\"" + Str(test::kEqualSign) +
                                ",\"\"";
    doc.Add(awkward, 1, 10, 10);
    doc.Add("", 1, 20, 20);                  // an empty text is still a card
    doc.Add("\x81\"tail", 1, 30, 30);        // a stray lead byte before a quote
    doc.Add(Str(test::kHyou), 100, 40, 40);  // group 100 and a 0x5C trail byte
    doc.Add("plate", 100, 50, 50, 10, 1, FragmentKind::NamePlate);
    doc.Add("sym", 100, 60, 60, 1, 1, FragmentKind::Symbol);
    doc.Add("img", 100, 70, 70, 3, 2, FragmentKind::Image);
    const std::string longLink = "/" + std::string(5000, 'x') + ".txt";
    const std::vector<std::string> links = {"C:\\memo\\" + Str(test::kHyou) + ".txt",
                                            "/a,b/c.txt",
                                            "/say \"hi\".txt",
                                            " lead.txt",
                                            "trail.txt ",
                                            "\"quoted\"",
                                            longLink};
    for (std::size_t i = 0; i < links.size(); ++i)
        doc.Add("link" + std::to_string(i), 3, 80, 80)->Link = links[i];
    doc.set.Recount();
    doc.set.SetGroupLine(3, 100);

    const std::string first = (dir.path() / "first.csv").string();
    ASSERT_TRUE(SaveFragmentFile(doc.set, first));
    const std::string firstBytes = ReadAll(first);
    // A link that reads back bare stays bare; the long one is written whole.
    EXPECT_NE(firstBytes.find(",C:\\memo\\" + Str(test::kHyou) + ".txt\r\n"), std::string::npos);
    EXPECT_NE(firstBytes.find(longLink + "\r\n"), std::string::npos);
    EXPECT_NE(firstBytes.find(",\"/a,b/c.txt\"\r\n"), std::string::npos);
    EXPECT_NE(firstBytes.find(",\"/say \"\"hi\"\".txt\"\r\n"), std::string::npos);

    TestDoc back;
    ReadFragmentFile(back.set, first, false);
    ASSERT_EQ(back.set.Count(), doc.set.Count());
    for (int i = 0; i < doc.set.Count(); ++i) {
        const Fragment& a = *doc.set.Fragments()[static_cast<std::size_t>(i)];
        const Fragment& b = *back.set.Fragments()[static_cast<std::size_t>(i)];
        EXPECT_EQ(b.Text, a.Text) << i;
        EXPECT_EQ(b.Link, a.Link) << i;
        EXPECT_EQ(b.Group, a.Group) << i;
        EXPECT_EQ(b.Kind, a.Kind) << i;
        EXPECT_EQ(b.Columns, a.Columns) << i;
        EXPECT_EQ(b.Lines, a.Lines) << i;
    }
    const std::string second = (dir.path() / "second.csv").string();
    ASSERT_TRUE(SaveFragmentFile(back.set, second));
    EXPECT_EQ(ReadAll(second), firstBytes);
}

TEST(FragmentFileSave, ExampleDocumentRoundTripsByteForByte) {
    TempDir dir;
    const std::string original = ReadAll(fs::path(QV_TEST_DATA) / "io" / "sample.csv");
    ASSERT_FALSE(original.empty());
    const fs::path in = dir.Write("in.csv", original);
    TestDoc doc;
    ReadFragmentFile(doc.set, in.string(), false);
    ASSERT_GT(doc.set.Count(), 0);
    const std::string out = (dir.path() / "out.csv").string();
    ASSERT_TRUE(SaveFragmentFile(doc.set, out));
    EXPECT_EQ(ReadAll(out), original);
}

TEST(FragmentFileSave, LineBreaksInsideATextBecomeTheMarker) {
    TestDoc doc;
    doc.Add("a\r\nb\rc\nd", 1, 2, 2)->Link = "/x\r\n.txt";
    const std::string text = FragmentFileText(doc.set);
    const std::string m = Str(test::kMarker);
    EXPECT_NE(text.find("\"a" + m + "b" + m + "c" + m + "d\",1,"), std::string::npos);
    EXPECT_NE(text.find(",/x.txt\r\n"), std::string::npos);
}

// ---- Failing saves leave everything as it was ----

TEST(FragmentFileSave, FailureKeepsTheOldFileAndTheDocumentState) {
    TempDir dir;
    TestDoc doc;
    doc.Add("new", 1, 2, 2);
    doc.set.Modified = true;
    doc.set.FileName = "/old/name.csv";

    const WriteResult missing =
        SaveFragmentFile(doc.set, (dir.path() / "missing" / "x.csv").string());
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.Error.empty());
    fs::create_directory(dir.path() / "folder.csv");
    EXPECT_FALSE(SaveFragmentFile(doc.set, (dir.path() / "folder.csv").string()));
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder.csv"));

    // A write-protected file is not replaced behind the user's back, not even by root.
    const fs::path locked = dir.Write("locked.csv", "old contents");
    ::chmod(locked.c_str(), 0444);
    EXPECT_FALSE(SaveFragmentFile(doc.set, locked.string()));
    EXPECT_EQ(ReadAll(locked), "old contents");

    EXPECT_EQ(doc.set.FileName, "/old/name.csv");
    EXPECT_TRUE(doc.set.Modified);
    // No temporary file is left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2);
}

TEST(FragmentFileSave, SuccessNamesTheDocumentKeepsPermissionsAndSymbolicLinks) {
    TempDir dir;
    const fs::path target = dir.Write("real.csv", "old");
    ::chmod(target.c_str(), 0640);
    fs::create_symlink(target, dir.path() / "link.csv");
    TestDoc doc;
    doc.Add("a", 1, 2, 2);
    doc.set.Modified = true;
    doc.set.ReadOnly = true;  // save as from a read-only document gives a writable one
    const std::string link = (dir.path() / "link.csv").string();
    ASSERT_TRUE(SaveFragmentFile(doc.set, link));
    EXPECT_EQ(doc.set.FileName, link);
    EXPECT_FALSE(doc.set.Modified);
    EXPECT_FALSE(doc.set.ReadOnly);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.csv"));
    EXPECT_EQ(ReadAll(target), FragmentFileText(doc.set));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// ---- The file test ----

TEST(FragmentFileCheck, TellsNamesAndHeadersApart) {
    TempDir dir;
    const std::string header = FragmentCsv({});
    EXPECT_EQ(CheckFragmentFile(dir.Write("a.txt", header).string()), FragmentFileCheck::NotCsv);
    EXPECT_EQ(CheckFragmentFile(dir.Write("csv", header).string()), FragmentFileCheck::NotCsv);
    EXPECT_EQ(CheckFragmentFile(dir.Write("b.csv", header).string()),
              FragmentFileCheck::FragmentFile);
    EXPECT_EQ(CheckFragmentFile(dir.Write("c.CsV", "#Quillovarsta,\n").string()),
              FragmentFileCheck::FragmentFile);
    EXPECT_EQ(CheckFragmentFile(dir.Write("d.csv", "#Quillovarsta\r\n\"a\",1\r\n").string()),
              FragmentFileCheck::Csv);
    EXPECT_EQ(CheckFragmentFile(dir.Write("e.csv", "#quillovarsta,Group\r\n").string()),
              FragmentFileCheck::Csv);
    EXPECT_EQ(CheckFragmentFile(dir.Write("f.csv", "Name,Value\r\n").string()),
              FragmentFileCheck::Csv);
    EXPECT_EQ(CheckFragmentFile(dir.Write("g.csv", "").string()), FragmentFileCheck::Csv);
    EXPECT_EQ(CheckFragmentFile((dir.path() / "missing.csv").string()), FragmentFileCheck::Csv);
    fs::create_directory(dir.path() / "dir.csv");
    EXPECT_EQ(CheckFragmentFile((dir.path() / "dir.csv").string()), FragmentFileCheck::Csv);
    // File names are the user's own bytes: never taken as code page 932.
    for (const char* name : {"\xe8\xa1\xa8.csv", "caf\xc3\xa9.csv", "\xf0\x9f\x98\x80.csv"}) {
        dir.Write(name, header);  // 表.csv, café.csv, 😀.csv
        EXPECT_EQ(CheckFragmentFile((dir.path() / name).string()), FragmentFileCheck::FragmentFile)
            << name;
    }
    EXPECT_EQ(CheckFragmentFile((dir.path() / "").string() + Str(test::kHyou) + ".csv"),
              FragmentFileCheck::Csv);
}

// ---- Reading: codes, fallbacks, special lines ----

TEST(FragmentFileRead, CardCodesGiveKindAndGroup) {
    ReadDoc r(
        FragmentCsv({"\"a\",-5,1,1,4,1,0,0,", "\"b\",1005,1,1,4,1,0,0,", "\"c\",1505,1,1,4,1,0,0,",
                     "\"d\",105,1,1,4,1,0,0,", "\"e\",3000,1,1,4,1,0,0,", "\"f\",x,1,1,4,1,0,0,",
                     "\"g\",100,1,1,4,1,0,0,", "\"h\",-100,1,1,4,1,0,0,", "\"i\",1600,1,1,4,1,0,0,",
                     "\"j\",-200,1,1,4,1,0,0,", "\"k\",0,1,1,4,1,0,0,"}));
    ASSERT_EQ(r.count, 11);
    struct Want {
        FragmentKind kind;
        int group;
    };
    const Want want[] = {
        {FragmentKind::NamePlate, 5}, {FragmentKind::Symbol, 5},      {FragmentKind::Image, 5},
        {FragmentKind::Text, 5},      {FragmentKind::Image, 0},       {FragmentKind::Text, 1},
        {FragmentKind::Text, 100},    {FragmentKind::NamePlate, 100}, {FragmentKind::Image, 100},
        {FragmentKind::Text, 0},      {FragmentKind::Text, 0}};
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(r.At(i).Kind, want[i].kind) << r.At(i).Text;
        EXPECT_EQ(r.At(i).Group, want[i].group) << r.At(i).Text;
    }
}

TEST(FragmentFileRead, BadNumbersFallBackToTheSettings) {
    TempDir dir;
    TestDoc doc;
    doc.env.FrgWidth = 9;
    doc.env.FrgHeight = 2;
    const fs::path p = dir.Write(
        "x.csv", FragmentCsv({"\"w0\",1,a,b,0,1,,,", "\"w41\",1,5,6,41,21,x,y,",
                              "\"plate\",-1,5,6,40,20,,,", "\"ok\",1,-7,8,1,1,255,-1,/l"}));
    ReadFragmentFile(doc.set, p.string(), false);
    ASSERT_EQ(doc.set.Count(), 4);
    const auto& f = doc.set.Fragments();
    EXPECT_EQ(f[0]->Left, 2);
    EXPECT_EQ(f[0]->Top, 2);
    EXPECT_EQ(f[0]->Columns, 9);
    EXPECT_EQ(f[0]->Lines, 1);
    EXPECT_EQ(f[0]->ColFG, doc.env.Colors.DefFrgFG);
    EXPECT_EQ(f[0]->ColBG, doc.env.Colors.DefFrgBG);
    EXPECT_EQ(f[1]->Columns, 9);
    EXPECT_EQ(f[1]->Lines, 2);
    EXPECT_EQ(f[2]->Columns, 40);
    EXPECT_EQ(f[2]->Lines, 20);
    EXPECT_EQ(f[2]->ColFG, doc.env.Colors.NamFrgFG);
    EXPECT_EQ(f[2]->ColBG, doc.env.Colors.NamFrgBG);
    EXPECT_EQ(f[3]->Left, -7);
    EXPECT_EQ(f[3]->ColFG, 255u);
    EXPECT_EQ(f[3]->ColBG, 0xFFFFFFFFu);
    EXPECT_EQ(f[3]->Link, "/l");
    // Read cards are measured: a 1 × 1 text card at -7, 8 with the 15-pixel font.
    EXPECT_EQ(f[3]->Right, -7 + 15 + 4);
    EXPECT_EQ(f[3]->Bottom, 8 + 17 + 4);
}

TEST(FragmentFileRead, GroupLinesAreCheckedAndDeduplicated) {
    const std::string gl = Str(kGroupLineLabel);
    ReadDoc r(FragmentCsv({"\"a\",2,1,1,4,1,0,0,", "\"b\",5,1,1,4,1,0,0,", "\"c\",7,1,1,4,1,0,0,",
                           gl + ",2003,5,2,0,0,0,0,",   // double arrow 5 -> 2, width 0 -> 1
                           gl + ",2001,2,5,3,0,0,0,",   // the same pair: ignored
                           gl + ",2002,2,7,-5,0,0,0,",  // width below -1 -> 1
                           gl + ",2004,7,5,12,0,0,0,",  // width above 9 -> 9
                           gl + ",2002,5,7,-1,0,0,0,",  // duplicate (other direction)
                           gl + ",2002,0,7,1,0,0,0,",   // group out of range
                           gl + ",2002,101,7,1,0,0,0,", gl + ",2002,7,7,1,0,0,0,",
                           gl + ",2002,x,7,1,0,0,0,"}));
    const TArrowList& lines = r.doc.set.GroupLines;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].From, 5);
    EXPECT_EQ(lines[0].To, 2);
    EXPECT_EQ(lines[0].Type, kLineDoubleArrow);
    EXPECT_EQ(lines[0].Width, 1);
    EXPECT_EQ(lines[1].Width, 1);
    EXPECT_EQ(lines[2].Type, kLineReverseDoubleArrow);
    EXPECT_EQ(lines[2].Width, 9);
    EXPECT_EQ(r.count, 3);
}

TEST(FragmentFileRead, PageSizeAndGridLines) {
    TempDir dir;
    TestDoc doc;
    doc.env.DefScrWidth = 1234;
    const fs::path p = dir.Write(
        "p.csv", FragmentCsv({"\"a\",1,1,1,4,1,0,0,", Str(kPageSizeLabel) + ",5001,0,0,x,900,0,0,",
                              "#anything,5002,0,0,3,y,0,0,"}));
    ReadFragmentFile(doc.set, p.string(), false);
    EXPECT_TRUE(doc.set.FixedSize);
    EXPECT_EQ(doc.set.FixedWidth, 1234);
    EXPECT_EQ(doc.set.FixedHeight, 900);
    EXPECT_EQ(doc.set.WholeHeight, 900);
    EXPECT_EQ(doc.set.DivColumns, 3);
    EXPECT_EQ(doc.set.DivRows, 0);
}

TEST(FragmentFileRead, AcceptsCrLfLfAndCrLineEnds) {
    const std::initializer_list<std::string_view> lines = {
        "\"one\",1,10,10,4,1,0,0,", "\"two\",2,20,20,4,1,0,0,/l", "#x,5001,0,0,800,600,0,0,"};
    for (std::string_view eol : {"\r\n", "\n", "\r"}) {
        ReadDoc r(FragmentCsv(lines, eol));
        ASSERT_EQ(r.count, 2) << int(eol.size());
        EXPECT_EQ(r.At(1).Link, "/l");
        EXPECT_EQ(r.doc.set.FixedWidth, 800);
    }
    // Mixed, with empty and blank lines, and without a line end at the very end.
    ReadDoc mixed(Str(kFragmentFileHeader) +
                  "\n\"one\",1,10,10,4,1,0,0,\r\r\n   \n\"two\",2,2,2,4,1,0,0,");
    ASSERT_EQ(mixed.count, 2);
    EXPECT_EQ(mixed.At(1).Text, "two");
}

TEST(FragmentFileRead, ForeignCsvBecomesTextCards) {
    TempDir dir;
    TestDoc doc;
    const fs::path p =
        dir.Write("list.csv", "Name,Note\r\n\"a, b\",x\r\nplain,rest\r\n\r\n,empty first\r\nlast");
    EXPECT_EQ(ReadFragmentFile(doc.set, p.string(), false).Status, ReadStatus::Read);
    ASSERT_EQ(doc.set.Count(), 3);
    const auto& f = doc.set.Fragments();
    EXPECT_EQ(f[0]->Text, "a, b");
    EXPECT_EQ(f[1]->Text, "plain");
    EXPECT_EQ(f[2]->Text, "last");
    const int h = doc.env.FragmentFont.PixelHeight();
    for (const auto& c : f) {
        EXPECT_EQ(c->Group, 1);  // the first shown group
        EXPECT_EQ(c->Columns, doc.env.FrgWidth);
        EXPECT_EQ(c->Lines, doc.env.FrgHeight);
        EXPECT_TRUE(c->Link.empty());
    }
    // Placed by the line's index: line 1 at 4 + 1, line 2 at 4 + 2, line 5 at 4 + 5.
    EXPECT_EQ(f[0]->Left, 5);
    EXPECT_EQ(f[1]->Top, 6);
    EXPECT_EQ(f[2]->Left, 9);
    EXPECT_EQ(f[2]->Right, 9 + h * doc.env.FrgWidth + 4);
    EXPECT_EQ(doc.set.FileName, p.string());

    TestDoc noGroup;
    noGroup.env.NewNoGroup = true;
    ReadFragmentFile(noGroup.set, p.string(), false);
    EXPECT_EQ(noGroup.set.Fragments()[0]->Group, 0);
}

// ---- Opening: names, read-only state, missing files ----

TEST(FragmentFileOpen, NamesTheDocumentAndFollowsTheFilePermissions) {
    TempDir dir;
    const fs::path p = dir.Write("doc.csv", FragmentCsv({"\"a\",1,1,1,4,1,0,0,"}));
    TestDoc writable;
    ReadFragmentFile(writable.set, p.string(), false);
    EXPECT_EQ(writable.set.FileName, p.string());
    EXPECT_FALSE(writable.set.ReadOnly);
    EXPECT_FALSE(writable.set.Modified);
    EXPECT_TRUE(writable.refresh.Pending());

    ::chmod(p.c_str(), 0444);
    TestDoc locked;
    ReadFragmentFile(locked.set, p.string(), false);
    EXPECT_TRUE(locked.set.ReadOnly);

    // A document that already has a name keeps it and its state.
    TestDoc named;
    named.set.FileName = "/else.csv";
    ReadFragmentFile(named.set, p.string(), false);
    EXPECT_EQ(named.set.FileName, "/else.csv");
    EXPECT_FALSE(named.set.ReadOnly);
}

TEST(FragmentFileOpen, MissingOrUnreadableFilesLeaveTheDocumentUntouched) {
    TempDir dir;
    TestDoc doc;
    doc.Add("keep", 1, 2, 2);
    EXPECT_EQ(ReadFragmentFile(doc.set, (dir.path() / "none.csv").string(), false).Status,
              ReadStatus::Missing);
    fs::create_directory(dir.path() / "dir.csv");
    const ReadResult folder = ReadFragmentFile(doc.set, (dir.path() / "dir.csv").string(), false);
    EXPECT_EQ(folder.Status, ReadStatus::Unreadable);
    EXPECT_EQ(folder.Problem, FileProblem::Folder);
    // A pipe is no document; looking at it must not wait for a writer.
    const fs::path fifo = dir.path() / "pipe.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(CheckFragmentFile(fifo.string()), FragmentFileCheck::Csv);
    EXPECT_EQ(ReadFragmentFile(doc.set, fifo.string(), false).Problem, FileProblem::NotRegular);
    EXPECT_EQ(doc.set.Count(), 1);
    EXPECT_TRUE(doc.set.FileName.empty());
}

TEST(FragmentFileOpen, MoreCardsThanTheLimitOpenReadOnlyWithTheirPageAndLines) {
    std::string text = Str(kFragmentFileHeader) + "\r\n";
    for (int i = 0; i < 1200; ++i)
        text += "\"c" + std::to_string(i) + "\"," + std::to_string(i % 3 + 1) + ",1,1,4,1,0,0,\r\n";
    text += Str(kGroupLineLabel) + ",2002,1,2,1,0,0,0,\r\n";
    text += Str(kPageSizeLabel) + ",5001,0,0,3000,2000,0,0,\r\n";
    {
        // Exactly the limit is not cut short.
        std::string full = Str(kFragmentFileHeader) + "\r\n";
        for (int i = 0; i < kMaxFragments; ++i)
            full += "\"c\",1,1,1,4,1,0,0,\r\n";
        ReadDoc r(full);
        EXPECT_EQ(r.status, ReadStatus::Read);
        EXPECT_FALSE(r.doc.set.ReadOnly);
        EXPECT_TRUE(r.doc.world.prompts.Log.empty());
    }
    ReadDoc r(text);
    EXPECT_EQ(r.count, kMaxFragments);
    EXPECT_EQ(r.status, ReadStatus::CutShort);
    EXPECT_TRUE(r.doc.set.ReadOnly);
    EXPECT_EQ(r.doc.world.prompts.Log.size(), 1u);  // one warning, not two hundred
    EXPECT_EQ(ReadFragmentFile(r.doc.set, (r.dir.path() / "doc.csv").string(), true).CardsDropped,
              1200)
        << "a full document takes none";
    EXPECT_EQ(r.At(999).Text, "c999");
    EXPECT_EQ(r.doc.set.GroupLines.size(), 1u);
    EXPECT_EQ(r.doc.set.FixedWidth, 3000);

    // Merging past the limit keeps the document's own file safe to save.
    TempDir dir;
    TestDoc base;
    base.set.FileName = "/mine.csv";
    const fs::path big = dir.Write("big.csv", text);
    const ReadResult merged = ReadFragmentFile(base.set, big.string(), true);
    EXPECT_EQ(merged.Status, ReadStatus::CutShort);
    EXPECT_EQ(merged.CardsRead, kMaxFragments);
    EXPECT_EQ(merged.CardsDropped, 200);
    EXPECT_FALSE(base.set.ReadOnly);
}

TEST(FragmentFileSave, NeverOverAFileTheDocumentHoldsOnlyPartOf) {
    TempDir dir;
    std::string text = Str(kFragmentFileHeader) + "\r\n";
    for (int i = 0; i < 1005; ++i)
        text += "\"c\",1,1,1,4,1,0,0,\r\n";
    const fs::path big = dir.Write("big.csv", text);
    fs::create_symlink(big, dir.path() / "link.csv");
    fs::create_hard_link(big, dir.path() / "hard.csv");

    TestDoc opened;
    ReadFragmentFile(opened.set, big.string(), false);
    TestDoc merged;
    merged.Add("own", 1, 1, 1);
    ReadFragmentFile(merged.set, big.string(), true);
    for (FragSet* set : {&opened.set, &merged.set}) {
        // However the path spells it, it is the file that was only partly read.
        for (const fs::path& same : {big, dir.path() / "link.csv", dir.path() / "hard.csv",
                                     dir.path() / "." / "big.csv"}) {
            const WriteResult r = SaveFragmentFile(*set, same.string());
            EXPECT_EQ(r.Problem, WriteProblem::Incomplete) << same;
            EXPECT_NE(r.Error.find("only part"), std::string::npos) << r.Error;
        }
        EXPECT_EQ(ReadAll(big), text);
        // A complete copy of the document elsewhere is fine.
        EXPECT_TRUE(SaveFragmentFile(*set, (dir.path() / "elsewhere.csv").string()));
    }
}

TEST(FragmentFileSave, RefusesADocumentTooLargeToReadBack) {
    TempDir dir;
    TestDoc doc;
    // Two cards whose links together pass the limit (as merging two huge documents would).
    for (int i = 0; i < 2; ++i)
        doc.Add("big", 1, 1, 1)->Link = "/" + std::string(kMaxDocumentFileSize / 2, 'x');
    ASSERT_GT(FragmentFileText(doc.set).size(), kMaxDocumentFileSize);
    const fs::path out = dir.Write("out.csv", "old");
    const WriteResult r = SaveFragmentFile(doc.set, out.string());
    EXPECT_EQ(r.Problem, WriteProblem::TooLarge);
    EXPECT_NE(r.Error.find("64 MiB"), std::string::npos) << r.Error;
    EXPECT_EQ(ReadAll(out), "old");
    EXPECT_TRUE(doc.set.FileName.empty());
}

// ---- UTF-8 documents ----

TEST(FragmentFileUtf8, ABomDocumentIsReadWithItsLayoutAndConverted) {
    // "表" and "アイデア" in UTF-8, with a link.
    const std::string utf8 = "\xEF\xBB\xBF" + Str(kFragmentFileHeader) + "\r\n" +
                             "\"\xE8\xA1\xA8\",-2,40,30,10,1,0,16777215,\r\n"
                             "\"\xE3\x82\xA2\xE3\x82\xA4\xE3\x83\x87\xE3\x82\xA2\",2,44,80,12,3,0,"
                             "16777215,/m/\xE8\xA1\xA8.txt\r\n" +
                             Str("#\xE7\x94\xBB\xE9\x9D\xA2\xE3\x82\xB5\xE3\x82\xA4\xE3\x82\xBA") +
                             ",5001,0,0,2000,1500,0,0,\r\n";
    ReadDoc r(utf8);
    EXPECT_EQ(CheckFragmentFile((r.dir.path() / "doc.csv").string()),
              FragmentFileCheck::FragmentFile);
    ASSERT_EQ(r.count, 2);
    EXPECT_EQ(r.At(0).Kind, FragmentKind::NamePlate);
    EXPECT_EQ(r.At(0).Text, Str(test::kHyou));
    EXPECT_EQ(r.At(1).Text, Str(test::kIdeas));
    EXPECT_EQ(r.At(1).Link, "/m/" + Str(test::kHyou) + ".txt");
    EXPECT_EQ(r.At(1).Left, 44);
    EXPECT_TRUE(r.doc.set.FixedSize);
    EXPECT_TRUE(r.doc.set.Modified) << "saved in the usual form next time";
    EXPECT_FALSE(r.doc.set.ReadOnly);
    const ReadResult again = ReadFragmentFile(r.doc.set, (r.dir.path() / "doc.csv").string(), true);
    EXPECT_TRUE(again.ConvertedFromUtf8);
    EXPECT_TRUE(again.Complete());
}

TEST(FragmentFileUtf8, TextsCodePage932CannotHoldOpenReadOnlyAndNameTheirLines) {
    const std::string utf8 = "\xEF\xBB\xBF" + Str(kFragmentFileHeader) + "\r\n" +
                             "\"plain\",1,1,1,4,1,0,0,\r\n"
                             "\"caf\xC3\xA9 \xF0\x9F\x98\x80\",1,1,1,4,1,0,0,\r\n"
                             "\"ok\",1,1,1,4,1,0,0,/x/\xF0\x9F\x98\x80.txt\r\n";
    ReadDoc r(utf8);
    const fs::path path = r.dir.path() / "doc.csv";
    TestDoc fresh;
    const ReadResult result = ReadFragmentFile(fresh.set, path.string(), false);
    EXPECT_TRUE(result.ConvertedFromUtf8);
    EXPECT_EQ(result.UnconvertibleLines, (std::vector<int>{3, 4}));
    EXPECT_FALSE(result.Complete());
    EXPECT_TRUE(fresh.set.ReadOnly);
    ASSERT_EQ(fresh.set.Count(), 3);
    const std::string& text = fresh.set.Fragments()[1]->Text;
    EXPECT_EQ(text.find('?'), std::string::npos) << "never a question mark";
    EXPECT_NE(text.find(Str(kUnconvertibleMark)), std::string::npos);
    const std::string before = ReadAll(path);
    EXPECT_EQ(SaveFragmentFile(fresh.set, path.string()).Problem, WriteProblem::Incomplete);
    EXPECT_EQ(ReadAll(path), before);
}

// The UTF-16 form of `text`, little- or big-endian, after its byte-order mark.
std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

TEST(FragmentFileUtf16, ADocumentInEitherByteOrderIsReadAsItsUtf8FormWouldBe) {
    const std::u16string doc =
        u"#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"
        u"\"表\",-2,40,30,10,1,0,16777215,\r\n"
        u"\"アイデア\",2,44,80,12,3,0,16777215,/m/表.txt\r\n";
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        const std::string bytes = Utf16(doc, bigEndian);
        ReadDoc r(bytes);
        const std::string path = (r.dir.path() / "doc.csv").string();
        EXPECT_EQ(CheckFragmentFile(path), FragmentFileCheck::FragmentFile);
        EXPECT_EQ(CheckFragmentBytes(path, bytes), FragmentFileCheck::FragmentFile);
        ASSERT_EQ(r.count, 2);
        EXPECT_EQ(r.At(0).Kind, FragmentKind::NamePlate);
        EXPECT_EQ(r.At(0).Text, Str(test::kHyou));
        EXPECT_EQ(r.At(1).Text, Str(test::kIdeas));
        EXPECT_EQ(r.At(1).Link, "/m/" + Str(test::kHyou) + ".txt");
        EXPECT_EQ(r.At(1).Top, 80);
        EXPECT_TRUE(r.doc.set.Modified) << "saved in the usual form next time";
        EXPECT_FALSE(r.doc.set.ReadOnly);
        TestDoc again;
        const ReadResult result = ReadFragmentFile(again.set, path, false);
        EXPECT_TRUE(result.Utf16);
        EXPECT_TRUE(result.ConvertedFromUtf8);
        EXPECT_TRUE(result.Complete());
        // Saved, it is the code page 932 document.
        ASSERT_TRUE(SaveFragmentFile(again.set, path));
        EXPECT_EQ(ReadAll(path), Str(kFragmentFileHeader) + "\r\n\"" + Str(test::kHyou) +
                                     "\",-2,40,30,10,1,0,16777215,\r\n\"" + Str(test::kIdeas) +
                                     "\",2,44,80,12,3,0,16777215,/m/" + Str(test::kHyou) +
                                     ".txt\r\n");
    }
}

TEST(FragmentFileUtf16, BrokenOrUnheldCharactersOpenReadOnly) {
    std::u16string doc =
        u"#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"
        u"\"ok\",1,1,1,4,1,0,0,\r\n\"x";
    doc += char16_t{0xD800};  // an unpaired surrogate
    doc += u"\",1,1,1,4,1,0,0,\r\n\"😀\",1,1,1,4,1,0,0,\r\n";
    ReadDoc r(Utf16(doc, false));
    TestDoc fresh;
    const fs::path path = r.dir.path() / "doc.csv";
    const ReadResult result = ReadFragmentFile(fresh.set, path.string(), false);
    EXPECT_EQ(result.UnconvertibleLines, (std::vector<int>{3, 4}));
    EXPECT_TRUE(fresh.set.ReadOnly);
    ASSERT_EQ(fresh.set.Count(), 3);
    EXPECT_EQ(fresh.set.Fragments()[1]->Text, "x" + Str(kUnconvertibleMark));
    const std::string before = ReadAll(path);
    EXPECT_EQ(SaveFragmentFile(fresh.set, path.string()).Problem, WriteProblem::Incomplete);
    EXPECT_EQ(ReadAll(path), before);
}

// ---- Merging ----

TEST(FragmentFileMerge, AddsCardsOnTopAndJoinsExistingGroups) {
    TempDir dir;
    TestDoc doc;
    doc.Add("own1", 2, 10, 10);
    doc.Add("own5", 5, 10, 10);
    doc.set.Recount();
    doc.set.SetGroupLine(2, 5);
    doc.set.FixedSize = true;
    doc.set.FileName = "/base.csv";
    doc.set.Modified = false;
    const std::string gl = Str(kGroupLineLabel);
    const fs::path other = dir.Write(
        "other.csv", FragmentCsv({"\"new2\",2,30,30,4,1,0,0,", "\"new9\",9,40,40,4,1,0,0,",
                                  gl + ",2004,5,2,3,0,0,0,", gl + ",2002,2,9,3,0,0,0,"}));
    ReadFragmentFile(doc.set, other.string(), true);
    EXPECT_EQ(doc.set.Count(), 4);
    const auto& f = doc.set.Fragments();
    EXPECT_EQ(f[2]->Text, "new2");
    EXPECT_GT(f[2]->ZOrder, f[1]->ZOrder);
    EXPECT_EQ(doc.set.GroupTable[2].Count, 2);
    ASSERT_EQ(doc.set.GroupLines.size(), 2u);
    EXPECT_EQ(doc.set.GroupLines[0].Type, doc.env.DefGLineType);  // the duplicate was skipped
    EXPECT_EQ(doc.set.GroupLines[1].To, 9);
    EXPECT_FALSE(doc.set.FixedSize);  // the merged file has no page line
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_EQ(doc.set.FileName, "/base.csv");
}

TEST(FragmentFileMerge, AHeaderOnlyFileChangesNothingAndKeepsUnsavedChanges) {
    TempDir dir;
    const fs::path empty = dir.Write("empty.csv", FragmentCsv({}));
    TestDoc clean;
    ReadFragmentFile(clean.set, empty.string(), true);
    EXPECT_FALSE(clean.set.Modified);
    TestDoc dirty;
    dirty.set.Modified = true;
    ReadFragmentFile(dirty.set, empty.string(), true);
    EXPECT_TRUE(dirty.set.Modified);
}

}  // namespace
}  // namespace qv
