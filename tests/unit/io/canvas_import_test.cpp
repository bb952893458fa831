// Reading JSON Canvas files: the mapping of canvases from other programs, our own exports read
// back unchanged, and files that are broken or too big.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/dialogs/memo_text.h"
#include "core/export/json_canvas.h"
#include "core/io/canvas_import.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "core/text/cp932.h"
#include "unit/io/io_test_util.h"

namespace {

using qv::FragmentKind;
using qv::ReadStatus;
using qv::test::TestDoc;

qv::ReadResult Read(TestDoc& doc, std::string_view canvas, std::string_view canvasFolder = "/c",
                    std::string_view documentFolder = "/c") {
    return qv::ReadCanvasBytes(doc.set, canvas, canvasFolder, documentFolder);
}

const qv::Fragment& Card(const TestDoc& doc, std::size_t i) {
    return *doc.set.Fragments().at(i);
}

std::string Utf8(const qv::Fragment& f) {
    return qv::Cp932ToUtf8(f.Text);
}

TEST(CanvasImport, MapsNodesGroupsAndEdgesOfAForeignCanvas) {
    TestDoc doc;
    doc.env.CR_String = "\\n";
    const int h = qv::FontHeightOf(doc.env, FragmentKind::Text);
    const std::string canvas = R"({
      "nodes": [
        {"id": "outer", "type": "group", "x": -500, "y": -100, "width": 1000, "height": 800,
         "label": "外"},
        {"id": "inner", "type": "group", "x": -450, "y": -50, "width": 300, "height": 300},
        {"id": "lone", "type": "group", "x": 2000, "y": 0, "width": 400, "height": 400,
         "label": "右"},
        {"id": "a", "type": "text", "x": -400, "y": 0, "width": )" +
                               std::to_string(8 * h + 4) + R"(, "height": )" +
                               std::to_string(2 * (h + 2) + 4) + R"(,
         "text": "# one\ntwo", "color": "#102030"},
        {"id": "b", "type": "text", "x": 200, "y": 300, "width": 1, "height": 1, "text": "b",
         "color": "4"},
        {"id": "pic", "type": "file", "x": 100, "y": 100, "width": 48, "height": 48,
         "file": "img/p.PNG"},
        {"id": "doc", "type": "file", "x": 3000, "y": 900, "width": 100, "height": 40,
         "file": "../notes/n.txt"},
        {"id": "web", "type": "link", "x": 2100, "y": 100, "width": 100, "height": 40,
         "url": "https://example.org/"}
      ],
      "edges": [
        {"id": "e1", "fromNode": "a", "toNode": "web"},
        {"id": "e2", "fromNode": "inner", "toNode": "lone", "fromEnd": "arrow", "toEnd": "none"},
        {"id": "e3", "fromNode": "b", "toNode": "web", "fromEnd": "arrow"},
        {"id": "e4", "fromNode": "a", "toNode": "b", "toEnd": "none"},
        {"id": "e5", "fromNode": "a", "toNode": "inner"}
      ]})";
    const qv::ReadResult r = Read(doc, canvas, "/c", "/elsewhere");
    ASSERT_EQ(r.Status, ReadStatus::Read) << r.Why;
    EXPECT_EQ(r.ItemsSkipped, 0);
    ASSERT_EQ(doc.set.Count(), 7);  // five cards and the plates of the two labelled groups

    // Shifted so that the outer group's name plate and its frame are on the page; sized from
    // pixels.
    const qv::Fragment& a = Card(doc, 0);
    EXPECT_EQ(Utf8(a), "# one\\ntwo");
    EXPECT_EQ(a.Left, 100);
    EXPECT_EQ(a.Top, 100);
    EXPECT_EQ(a.Columns, 8);
    EXPECT_EQ(a.Lines, 2);
    EXPECT_EQ(a.ColBG, qv::Rgb(0x10, 0x20, 0x30));
    EXPECT_EQ(a.ColFG, doc.env.Colors.DefFrgFG);
    const qv::Fragment& b = Card(doc, 1);
    EXPECT_EQ(b.Columns, 1);
    EXPECT_EQ(b.Lines, 1);
    EXPECT_NE(b.ColBG, doc.env.Colors.DefFrgBG) << "preset colour 4";

    // Innermost group wins; the picture is in the outer group only.
    const int outer = 1, inner = 2, lone = 3;
    EXPECT_EQ(a.Group, inner);
    EXPECT_EQ(b.Group, outer);
    const qv::Fragment& pic = Card(doc, 2);
    EXPECT_EQ(pic.Kind, FragmentKind::Image);
    EXPECT_EQ(pic.Group, outer);
    EXPECT_EQ(pic.Link, "/c/img/p.PNG") << "resolved beside the canvas for a document elsewhere";
    const qv::Fragment& file = Card(doc, 3);
    EXPECT_EQ(file.Kind, FragmentKind::Text);
    EXPECT_EQ(file.Link, "/notes/n.txt");
    EXPECT_EQ(file.Text, "n.txt");
    EXPECT_EQ(file.Group, qv::kNoGroup);
    const qv::Fragment& web = Card(doc, 4);
    EXPECT_EQ(web.Link, "https://example.org/");
    EXPECT_EQ(web.Group, lone);

    // Labels became name plates inside their groups; the unlabelled group has none.
    EXPECT_EQ(doc.set.GroupNameText(outer), qv::Utf8ToCp932("外").Bytes);
    EXPECT_EQ(doc.set.GroupNameText(lone), qv::Utf8ToCp932("右").Bytes);
    EXPECT_EQ(Card(doc, 5).Kind, FragmentKind::NamePlate);
    EXPECT_EQ(Card(doc, 5).Left, 16);
    EXPECT_EQ(Card(doc, 5).Top, 16);

    // One line per pair, the first edge's ends; arrows pointing back turn the line round.
    ASSERT_EQ(doc.set.GroupLines.size(), 3u);
    const qv::ArrowLine& l1 = doc.set.GroupLines[0];
    EXPECT_EQ(l1.From, inner);
    EXPECT_EQ(l1.To, lone);
    EXPECT_EQ(l1.Type, qv::kLineArrow);
    EXPECT_EQ(doc.set.GroupLines[1].Type, qv::kLineDoubleArrow);
    EXPECT_EQ(doc.set.GroupLines[1].From, outer);
    EXPECT_EQ(doc.set.GroupLines[2].Type, qv::kLinePlain);
    EXPECT_EQ(doc.set.GroupLines[2].To, outer);
}

TEST(CanvasImport, SameFolderKeepsRelativePathsAndHugeCoordinatesStayOnThePage) {
    TestDoc doc;
    const qv::ReadResult r = Read(doc, R"({"nodes": [
        {"id": "f", "type": "file", "x": 0, "y": 0, "width": 10, "height": 10, "file": "a/b.txt"},
        {"id": "far", "type": "text", "x": 1e300, "y": 9e15, "width": 10, "height": 10,
         "text": "far"},
        {"id": "vast", "type": "group", "x": -10, "y": -10, "width": 1e300, "height": 1e300},
        {"id": "wide", "type": "group", "x": -20, "y": -20, "width": 1e300, "height": 1e300}
        ]})");
    ASSERT_EQ(r.Status, ReadStatus::Read);
    EXPECT_EQ(Card(doc, 0).Link, "a/b.txt");
    EXPECT_LE(Card(doc, 1).Right, qv::kMaxPageSide);
    EXPECT_LE(Card(doc, 1).Bottom, qv::kMaxPageSide);
    EXPECT_GT(Card(doc, 1).Left, 0);
    EXPECT_EQ(doc.set.WholeWidth, Card(doc, 1).Right) << "the page grew to hold it";
}

TEST(CanvasImport, RefusesFilesThatAreNoCanvasAndLeavesTheDocumentAlone) {
    struct Case {
        std::string bytes;
        std::string why;
    };
    const Case cases[] = {
        {"", "not JSON"},
        {"{\"nodes\": [}", "line 1, column 12"},
        {"{\"nodes\": []} x", "after the end"},
        {"[1, 2]", "no object"},
        {"{\"edges\": []}", "no \"nodes\" array"},
        {"{\"nodes\": {}}", "no \"nodes\" array"},
        {"{\"nodes\": [\"\xff\"]}", "not UTF-8"},
        {"{\"nodes\": [" + std::string(200, '[') + std::string(200, ']') + "]}", "deeper"},
        {std::string(qv::kMaxDocumentFileSize + 1, ' '), "larger than 64 MiB"},
    };
    for (const Case& c : cases) {
        TestDoc doc;
        qv::test::AddCard(doc.set, "keep", 1, 5, 5);
        const qv::ReadResult r = Read(doc, c.bytes);
        EXPECT_EQ(r.Status, ReadStatus::Unreadable) << c.why;
        EXPECT_NE(r.Why.find(c.why), std::string::npos) << r.Why;
        EXPECT_EQ(doc.set.Count(), 1) << c.why;
    }
}

TEST(CanvasImport, SkipsBrokenNodesAndEdgesButReadsTheRest) {
    TestDoc doc;
    const qv::ReadResult r = Read(doc, R"({"nodes": [
        {"id": "g1", "type": "group", "x": 0, "y": 0, "width": 200, "height": 200},
        {"id": "g2", "type": "group", "x": 300, "y": 0, "width": 200, "height": 200},
        {"id": "a", "type": "text", "x": 10, "y": 10, "width": 50, "height": 30, "text": "a"},
        {"id": "a", "type": "text", "x": 310, "y": 10, "width": 50, "height": 30, "text": "dup"},
        {"id": "b", "type": "text", "x": 310, "y": 10, "width": 50, "height": 30, "text": "b"},
        {"id": "n1", "type": "text", "x": "10", "y": 10, "width": 5, "height": 5, "text": "x"},
        {"id": "n2", "type": "text", "x": 10, "y": 10, "width": 5, "height": 5, "text": 7},
        {"id": "n3", "type": "shape", "x": 10, "y": 10, "width": 5, "height": 5},
        {"type": "text", "x": 10, "y": 10, "width": 5, "height": 5, "text": "no id"},
        {"id": "n4", "type": "file", "x": 10, "y": 10, "width": 5, "height": 5},
        42, null],
      "edges": [
        {"id": "e0", "fromNode": "a", "toNode": "gone"},
        {"id": "e1", "fromNode": 1, "toNode": "b"},
        "edge",
        {"id": "e2", "fromNode": "a", "toNode": "b", "fromEnd": 5, "toEnd": null}]})");
    EXPECT_EQ(r.Status, ReadStatus::Read);
    EXPECT_EQ(r.ItemsSkipped, 11);
    ASSERT_EQ(doc.set.Count(), 2);
    EXPECT_EQ(Card(doc, 0).Text, "a");
    EXPECT_EQ(Card(doc, 1).Text, "b");
    ASSERT_EQ(doc.set.GroupLines.size(), 1u);
    EXPECT_EQ(doc.set.GroupLines[0].Type, qv::kLineArrow) << "odd ends read as their defaults";
}

TEST(CanvasImport, KeepsTheFirstCardsAndGroupsAtTheLimits) {
    std::string canvas = "{\"nodes\": [";
    for (int i = 0; i < 105; ++i)
        canvas += "{\"id\": \"g" + std::to_string(i) +
                  "\", \"type\": \"group\", \"x\": " + std::to_string(i * 100) +
                  ", \"y\": 0, \"width\": 90, \"height\": 90},";
    for (int i = 0; i < qv::kMaxFragments + 3; ++i)
        canvas += "{\"id\": \"c" + std::to_string(i) +
                  "\", \"type\": \"text\", \"x\": " + std::to_string(i * 100 + 10) +
                  ", \"y\": 10, \"width\": 30, \"height\": 30, " + "\"text\": \"" +
                  std::to_string(i) + "\"},";
    canvas.back() = ']';
    canvas += "}";
    TestDoc doc;
    const qv::ReadResult r = Read(doc, canvas);
    EXPECT_EQ(r.Status, ReadStatus::CutShort);
    EXPECT_EQ(r.CardsDropped, 3);
    EXPECT_EQ(r.GroupsDropped, 5);
    ASSERT_EQ(doc.set.Count(), qv::kMaxFragments);
    EXPECT_EQ(Card(doc, 999).Text, "999");
    EXPECT_EQ(Card(doc, 99).Group, 100);
    EXPECT_EQ(Card(doc, 100).Group, qv::kNoGroup) << "its group was left out";
    EXPECT_TRUE(doc.world.prompts.Log.empty()) << "no limit warning per card";
}

TEST(CanvasImport, MarksWhatCodePage932CannotHoldAndCutsLongTexts) {
    TestDoc doc;
    const std::string longText(900, 'x');
    const qv::ReadResult r = Read(doc, R"({"nodes": [
        {"id": "a", "type": "text", "x": 0, "y": 0, "width": 50, "height": 30, "text": "ok"},
        {"id": "b", "type": "text", "x": 0, "y": 0, "width": 50, "height": 30,
         "text": "smile \ud83d\ude00"},
        {"id": "c", "type": "text", "x": 0, "y": 0, "width": 50, "height": 30,
         "text": ")" + longText + R"("},
        {"id": "d", "type": "link", "x": 0, "y": 0, "width": 50, "height": 30,
         "url": "https://example.org/\u2603"}]})");
    EXPECT_EQ(r.Status, ReadStatus::Read);
    EXPECT_FALSE(r.Complete());
    EXPECT_EQ(r.UnconvertibleCards, (std::vector<int>{2, 4}));
    EXPECT_EQ(Card(doc, 1).Text, "smile " + std::string(qv::kUnconvertibleMark));
    EXPECT_EQ(Card(doc, 2).Text.size(), qv::kMaxCardTextBytes);
    EXPECT_EQ(r.TextsCut, 1);
}

TEST(CanvasImportFile, OpensAsAModifiedCsvThatNeverReplacesTheCanvas) {
    qv::test::TempDir dir;
    const auto canvasPath = dir.Write("board.Canvas", R"({"nodes": [
        {"id": "a", "type": "text", "x": 0, "y": 0, "width": 50, "height": 30, "text": "a"}]})");
    EXPECT_TRUE(qv::HasCanvasExtension(canvasPath.string()));
    EXPECT_FALSE(qv::HasCanvasExtension("/x/.canvas/a.csv"));
    const std::string docPath = qv::CanvasDocumentPath(canvasPath.string());
    EXPECT_EQ(docPath, (dir.path() / "board.csv").string());

    TestDoc doc;
    const qv::ReadResult r =
        qv::ImportCanvasFile(doc.set, canvasPath.string(),
                             qv::ReadWholeFile(canvasPath, qv::kMaxDocumentFileSize), docPath);
    ASSERT_EQ(r.Status, ReadStatus::Read);
    EXPECT_EQ(doc.set.FileName, docPath);
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_FALSE(doc.set.ReadOnly);
    EXPECT_FALSE(qv::SaveFragmentFile(doc.set, canvasPath.string()))
        << "saving as the canvas would replace it with a fragment file";
    EXPECT_TRUE(qv::SaveFragmentFile(doc.set, docPath));

    // A canvas that does not read leaves the document unnamed and says which file.
    const auto broken = dir.Write("broken.canvas", "{");
    TestDoc other;
    const qv::ReadResult bad = qv::ImportCanvasFile(
        other.set, broken.string(), qv::ReadWholeFile(broken, qv::kMaxDocumentFileSize),
        qv::CanvasDocumentPath(broken.string()));
    EXPECT_EQ(bad.Status, ReadStatus::Unreadable);
    EXPECT_NE(bad.Error.find("broken.canvas"), std::string::npos);
    EXPECT_TRUE(other.set.FileName.empty());

    // Cards that could not be held exactly make the document read-only.
    const auto odd = dir.Write("odd.canvas", R"({"nodes": [
        {"id": "a", "type": "text", "x": 0, "y": 0, "width": 50, "height": 30, "text": "☃"}]})");
    TestDoc third;
    qv::ImportCanvasFile(third.set, odd.string(), qv::ReadWholeFile(odd, qv::kMaxDocumentFileSize),
                         qv::CanvasDocumentPath(odd.string()));
    EXPECT_TRUE(third.set.ReadOnly);
}

// ---- Our own exports read back ----

// Exports `doc` (laid out as a window shows it), reads the canvas into a new document and checks
// that both save to the same bytes.
void ExpectRoundTrip(TestDoc& doc) {
    doc.Refresh();
    const std::string canvas = qv::JsonCanvasText(doc.set);
    TestDoc back;
    back.env = doc.env;
    const qv::ReadResult r = Read(back, canvas);
    ASSERT_EQ(r.Status, ReadStatus::Read) << r.Why;
    EXPECT_TRUE(r.Complete());
    EXPECT_EQ(r.ItemsSkipped, 0);
    const std::string want = qv::FragmentFileText(doc.set);
    const std::string got = qv::FragmentFileText(back.set);
    EXPECT_EQ(got, want);
}

TEST(CanvasRoundTrip, TheExampleDocumentsReadBackUnchanged) {
    for (const char* example :
         {"/../../examples/brainstorm.csv", "/../../docs/guide/examples/kihon.csv",
          "/../../docs/guide/examples/ryokou.csv"}) {
        SCOPED_TRACE(example);
        TestDoc doc;
        const auto r = qv::ReadFragmentFile(doc.set, std::string(QV_TEST_DATA) + example, false);
        ASSERT_EQ(r.Status, ReadStatus::Read);
        ASSERT_GT(doc.set.Count(), 5);
        ExpectRoundTrip(doc);
    }
}

TEST(CanvasRoundTrip, AGenerated990CardDocumentReadsBackUnchanged) {
    TestDoc doc;
    doc.env.Accept_CR = true;
    doc.set.FixedSize = true;
    doc.set.FixedWidth = 6000;
    doc.set.FixedHeight = 9000;
    doc.set.DivColumns = 3;
    doc.set.DivRows = 2;
    const std::string ideas(qv::test::kIdeas);
    for (int i = 0; i < 990; ++i) {
        const int g = i % 31;  // 30 groups and cards without one
        const int k = i / 31;
        const int left = 20 + (g % 6) * 950 + (k % 4) * 220;
        const int top = 20 + (g / 6) * 1500 + (k / 4) * 160;
        FragmentKind kind = FragmentKind::Text;
        if (g != 0 && k == 0) kind = FragmentKind::NamePlate;
        if (k == 5) kind = FragmentKind::Symbol;
        if (k == 7) kind = FragmentKind::Image;
        std::string text =
            kind == FragmentKind::Image ? std::string() : ideas + std::to_string(i) + "\"q\"";
        if (k == 3) text += std::string(doc.env.CR_String) + "second line";
        qv::Fragment* f = doc.Add(text, g, left, top, 3 + i % 9, 1 + i % 3, kind);
        ASSERT_NE(f, nullptr);
        f->ColBG = k == 2 ? qv::kNoColor : qv::Rgb(i % 256, 200, 255 - i % 256);
        f->ColFG = k == 4 ? qv::kSysWindowText : qv::Rgb(0, 0, i % 128);
        if (k == 1)
            f->Link = "..\\docs\\" + std::string(qv::test::kHyou) + std::to_string(i) + ".txt";
        if (k == 6) f->Link = "https://example.org/" + std::to_string(i);
        if (k == 7) f->Link = "pics/" + std::to_string(i) + ".bmp";
        f->Measure();
    }
    for (int g = 1; g < 30; ++g)
        ASSERT_TRUE(doc.set.SetGroupLine(g, g + 1));
    for (int i = 0; i < 29; ++i)
        ASSERT_TRUE(doc.set.SetGroupLineStyle(i, 1 + i % 4, i % 5 == 0 ? -1 : 1 + i % 9));
    ExpectRoundTrip(doc);
}

}  // namespace
