#include "core/io/text_exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/frag_buffer.h"
#include "unit/io/io_test_util.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::TempDir;
using test::TestDoc;

const std::string kNoGroupLine(kNoGroupSection);
const std::string kGroupLine(kGroupSection);

int Import(TestDoc& doc, const std::vector<std::string>& lines, int group) {
    const std::vector<std::string_view> views(lines.begin(), lines.end());
    return ImportLines(doc.set, views, group);
}

const Fragment& At(const TestDoc& doc, int i) {
    return *doc.set.Fragments().at(static_cast<std::size_t>(i));
}

// ---- Import ----

TEST(TextImport, HyphenLinesStepToTheNextGroupButNotPast100) {
    TestDoc doc;
    EXPECT_EQ(Import(doc, {"a", "-", "b"}, 3), 2);
    EXPECT_EQ(At(doc, 0).Group, 3);
    EXPECT_EQ(At(doc, 1).Group, 4);
    TestDoc top;
    Import(top, {"a", "-", "b"}, 100);
    EXPECT_EQ(At(top, 1).Group, 100);
}

TEST(TextImport, FirstSemicolonLineOfAGroupIsItsNamePlate) {
    TestDoc doc;
    doc.env.NamWidth = 7;
    doc.set.GroupTable[6].Shown = false;
    ASSERT_EQ(Import(doc, {";Plan", ";Next", "", "x"}, 6), 3);
    EXPECT_EQ(At(doc, 0).Kind, FragmentKind::NamePlate);
    EXPECT_EQ(At(doc, 0).Text, "Plan");
    EXPECT_EQ(At(doc, 0).Columns, 7);
    EXPECT_EQ(At(doc, 0).ColBG, doc.env.Colors.NamFrgBG);
    EXPECT_EQ(At(doc, 1).Kind, FragmentKind::Text);
    EXPECT_EQ(At(doc, 1).Text, ";Next");
    EXPECT_EQ(At(doc, 1).Columns, doc.env.FrgWidth);
    EXPECT_EQ(At(doc, 2).Text, "x");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(At(doc, i).Group, 6);
    EXPECT_TRUE(doc.set.GroupTable[6].Shown);
    // Placed by line index (the empty line counts): one pixel right and down per line.
    EXPECT_EQ(At(doc, 1).Left - At(doc, 0).Left, 1);
    EXPECT_EQ(At(doc, 1).Top - At(doc, 0).Top, 1);
    EXPECT_EQ(At(doc, 2).Left - At(doc, 1).Left, 2);
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_EQ(doc.set.GroupTable[6].Count, 3);
}

TEST(TextImport, SectionLinesSwitchGroups) {
    TestDoc doc;
    Import(doc,
           {kGroupLine + "0", kGroupLine + "101", kGroupLine + "7", "in7", ";Seven",
            kNoGroupLine + "x", "in0", ";name", kGroupLine + " 12", ";Twelve"},
           3);
    ASSERT_EQ(doc.set.Count(), 7);
    // Out-of-range numbers are no section: the first is group 3's plate, the second keeps its ';'.
    EXPECT_EQ(At(doc, 0).Kind, FragmentKind::NamePlate);
    EXPECT_EQ(At(doc, 0).Text, kGroupLine.substr(1) + "0");
    EXPECT_EQ(At(doc, 0).Group, 3);
    EXPECT_EQ(At(doc, 1).Text, kGroupLine + "101");
    EXPECT_EQ(At(doc, 2).Group, 7);
    EXPECT_EQ(At(doc, 3).Kind, FragmentKind::NamePlate);  // a new group, a new plate
    EXPECT_EQ(At(doc, 3).Group, 7);
    EXPECT_EQ(At(doc, 4).Group, 0);
    // No group has no name plate: the name becomes a text card.
    EXPECT_EQ(At(doc, 5).Kind, FragmentKind::Text);
    EXPECT_EQ(At(doc, 5).Text, "name");
    EXPECT_EQ(At(doc, 5).Group, 0);
    EXPECT_EQ(At(doc, 6).Kind, FragmentKind::NamePlate);
    EXPECT_EQ(At(doc, 6).Group, 12);
}

TEST(TextImport, StopsAtTheFragmentLimitAndAlwaysMarksTheDocument) {
    TestDoc doc;
    std::vector<std::string> many(kMaxFragments + 5, "t");
    EXPECT_EQ(Import(doc, many, 1), kMaxFragments);
    EXPECT_EQ(doc.world.prompts.Log.size(), 1u);
    TestDoc empty;
    EXPECT_EQ(Import(empty, {"", ""}, 1), 0);
    EXPECT_TRUE(empty.set.Modified);
    TestDoc wild;
    Import(wild, {"x"}, 250);  // a start group out of range is clamped
    EXPECT_EQ(At(wild, 0).Group, 100);
}

TEST(TextImport, TextFilesWithAnyLineEnds) {
    TempDir dir;
    for (std::string_view eol : {"\r\n", "\n", "\r"}) {
        TestDoc doc;
        doc.set.GroupTable[1].Shown = false;  // the current group is the first shown one
        const std::string text = "a" + std::string(eol) + "-" + std::string(eol) + "b" +
                                 std::string(eol) + std::string(eol);
        const fs::path p = dir.Write("t.txt", text);
        const ReadResult r = ImportTextFile(doc.set, p.string());
        EXPECT_EQ(r.Status, ReadStatus::Read);
        EXPECT_EQ(r.CardsRead, 2);
        EXPECT_EQ(At(doc, 0).Group, 2);
        EXPECT_EQ(At(doc, 1).Group, 3);
        EXPECT_EQ(At(doc, 1).Text, "b");
    }
    TestDoc none;
    none.env.NewNoGroup = true;
    ImportTextFile(none.set, dir.Write("u.txt", "z").string());
    EXPECT_EQ(At(none, 0).Group, 0);

    TestDoc missing;
    EXPECT_EQ(ImportTextFile(missing.set, (dir.path() / "gone.txt").string()).Status,
              ReadStatus::Missing);
    EXPECT_FALSE(missing.set.Modified);
}

TEST(TextImport, MoreLinesThanFitAreCountedAndTheFileIsNeverSavedOver) {
    TempDir dir;
    std::string text = ";Head\r\n";
    for (int i = 0; i < kMaxFragments + 9; ++i)
        text += "line\r\n-\r\n";
    const fs::path p = dir.Write("t.txt", text);
    TestDoc doc;
    const ReadResult r = ImportTextFile(doc.set, p.string(), 3);
    EXPECT_EQ(r.Status, ReadStatus::CutShort);
    EXPECT_EQ(r.CardsRead, kMaxFragments);
    EXPECT_EQ(r.CardsDropped, 10) << "the plate and 1009 texts; group lines are no cards";
    EXPECT_EQ(At(doc, 0).Group, 3);
    EXPECT_EQ(doc.world.prompts.Log.size(), 1u);
    EXPECT_EQ(SaveFragmentFile(doc.set, p.string()).Problem, WriteProblem::Incomplete);
    EXPECT_EQ(ReadAll(p), text);
}

TEST(TextImport, AUtf8TextIsConvertedAndUnheldCharactersAreNamed) {
    TempDir dir;
    const fs::path p = dir.Write("t.txt", "\xEF\xBB\xBF\xE8\xA1\xA8\n\xF0\x9F\x98\x80\n");
    TestDoc doc;
    const ReadResult r = ImportTextFile(doc.set, p.string());
    EXPECT_TRUE(r.ConvertedFromUtf8);
    EXPECT_EQ(r.UnconvertibleLines, std::vector<int>{2});
    EXPECT_EQ(At(doc, 0).Text, std::string(test::kHyou));
    EXPECT_EQ(At(doc, 1).Text, std::string(kUnconvertibleMark));
}

TEST(TextImport, AUtf16TextIsConvertedLikeAUtf8One) {
    TempDir dir;
    // "表" and "A" on two lines, little-endian.
    const fs::path p = dir.Write("t.txt", std::string("\xFF\xFE\x68\x88\r\0\n\0A\0", 10));
    TestDoc doc;
    const ReadResult r = ImportTextFile(doc.set, p.string());
    EXPECT_TRUE(r.Utf16);
    EXPECT_TRUE(r.Complete());
    ASSERT_EQ(doc.set.Count(), 2);
    EXPECT_EQ(At(doc, 0).Text, std::string(test::kHyou));
    EXPECT_EQ(At(doc, 1).Text, "A");
}

TEST(TextImport, ClipboardTextBecomesCards) {
    TestDoc doc;
    doc.world.clipboard.Content = ";Head\r\nfirst\rsecond\n";
    EXPECT_EQ(ImportClipboard(doc.set), 3);
    EXPECT_EQ(At(doc, 0).Kind, FragmentKind::NamePlate);
    EXPECT_EQ(At(doc, 2).Text, "second");
    EXPECT_TRUE(doc.world.prompts.Log.empty());
}

TEST(TextImport, ClipboardLinesTheCardsCannotHoldAreReportedNotStored) {
    TestDoc doc;
    doc.world.clipboard.Content = "kept";
    doc.world.clipboard.Unheld = {"smile ?"};
    EXPECT_EQ(ImportClipboard(doc.set), 1);
    ASSERT_EQ(doc.world.prompts.Log.size(), 1u);
    EXPECT_NE(doc.world.prompts.Log[0].Text.find("\nsmile ?"), std::string::npos);
    EXPECT_EQ(doc.world.prompts.Log[0].Text.rfind(kUnheldClipboardLines, 0), 0u);
}

// ---- Export ----

TEST(TextExport, GroupsWithTheirHeadersTextsAndEndLines) {
    TempDir dir;
    TestDoc doc;
    doc.Add("p", 5, 10, 10);
    doc.Add(std::string(test::kIdeas), 5, 0, 0, 10, 1, FragmentKind::NamePlate);
    doc.Add("q", 5, 20, 20);
    doc.Add("sym", 5, 1, 1, 1, 1, FragmentKind::Symbol);
    doc.Add("second plate", 5, 1, 1, 10, 1, FragmentKind::NamePlate);
    doc.Add("loose", 0, 1, 1);
    doc.Add("img", 12, 1, 1, 1, 1, FragmentKind::Image);
    doc.Add("r", 12, 1, 1);
    const fs::path p = dir.path() / "out.txt";
    int n = 0;
    ASSERT_TRUE(ExportText(doc.set, p.string(), &n));
    EXPECT_EQ(n, 10);
    EXPECT_EQ(ReadAll(p), kNoGroupLine + "\r\nloose\r\n-\r\n;" + std::string(test::kIdeas) +
                              "\r\np\r\nq\r\n-\r\n" + kGroupLine + "12\r\nr\r\n-\r\n");

    const WriteResult failed = ExportText(doc.set, (dir.path() / "no" / "x.txt").string());
    EXPECT_FALSE(failed);
    EXPECT_FALSE(failed.Error.empty());
}

TEST(TextExport, ReadsBackIntoTheSameGroupsWhenNumbersAreConsecutive) {
    TempDir dir;
    TestDoc doc;
    doc.Add("zero", 0, 1, 1);
    doc.Add("one", 1, 1, 1);
    doc.Add("Named", 2, 1, 1, 10, 1, FragmentKind::NamePlate);
    doc.Add("two " + std::string(test::kMarker) + " lines", 2, 1, 1);
    doc.Add("three", 3, 1, 1);
    const fs::path p = dir.path() / "round.txt";
    ASSERT_TRUE(ExportText(doc.set, p.string()));

    TestDoc back;
    back.env.NewNoGroup = true;
    ImportTextFile(back.set, p.string());
    ASSERT_EQ(back.set.Count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(At(back, i).Text, At(doc, i).Text);
        EXPECT_EQ(At(back, i).Group, At(doc, i).Group);
        EXPECT_EQ(At(back, i).Kind, At(doc, i).Kind);
    }
}

// ---- Clipboard text ----

TEST(ClipboardTextForm, GroupZeroHeaderSelectedPlatesAndTexts) {
    TestDoc doc;
    doc.Add("loose", 0, 1, 1);
    Fragment* plate = doc.Add("Plan", 3, 0, 0, 10, 1, FragmentKind::NamePlate);
    Fragment* right = doc.Add("right", 3, 300, 10);
    Fragment* left = doc.Add("left", 3, 10, 10);
    Fragment* other = doc.Add("unplated", 4, 10, 400);
    doc.Add("sym", 3, 1, 1, 1, 1, FragmentKind::Symbol)->SetSelected(true);
    EXPECT_EQ(ClipboardText(doc.set), "");

    for (Fragment* f : {plate, right, left, other})
        f->SetSelected(true);
    doc.set.RebuildSelection();
    // Stacking order by default; reading order with ClipPosSort.
    EXPECT_EQ(ClipboardText(doc.set), kNoGroupLine + "\n;Plan\nright\nleft\nunplated\n");
    doc.env.ClipPosSort = true;
    EXPECT_EQ(ClipboardText(doc.set), kNoGroupLine + "\n;Plan\nleft\nright\nunplated\n");

    plate->SetSelected(false);
    doc.set.RebuildSelection();
    EXPECT_EQ(ClipboardText(doc.set), kNoGroupLine + "\nleft\nright\nunplated\n");
}

TEST(ClipboardTextForm, CopyAndCutPutItOnTheClipboard) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 2, 1, 1);
    doc.Add("b", 2, 50, 1);
    a->SetSelected(true);
    doc.set.RebuildSelection();
    FragBuffer buffer(doc.env, doc.world.prompts, doc.world.clipboard, &ClipboardText);
    buffer.Copy(doc.set);
    EXPECT_EQ(doc.world.clipboard.Content, "a\n");
    EXPECT_EQ(buffer.Count(), 1);

    doc.set.SelectAll(true);
    buffer.Cut(doc.set);
    EXPECT_EQ(doc.world.clipboard.Content, "a\nb\n");
    EXPECT_EQ(doc.set.Count(), 0);

    // Nothing selected: the clipboard keeps what it had.
    buffer.Copy(doc.set);
    EXPECT_EQ(doc.world.clipboard.Content, "a\nb\n");
    EXPECT_EQ(doc.world.clipboard.Sets, 2);
}

}  // namespace
}  // namespace qv
