// The mapping of a document onto JSON Canvas: paths, colours, texts, groups and line ends. The
// file's overall shape is checked by parsing it back in the render tests.
#include <gtest/gtest.h>

#include "core/export/json_canvas.h"
#include "core/model/arrow_line.h"
#include "unit/model/fakes.h"

namespace {

using qv::test::TestDoc;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CanvasValues, PathsAndColoursAreWrittenAsReadersExpect) {
    EXPECT_EQ(qv::CanvasFilePath("..\\pics\\a.jpg"), "../pics/a.jpg");
    EXPECT_EQ(qv::CanvasFilePath("/home/u/a.png"), "/home/u/a.png");
    // 0x5C as the second byte of 表 (0x95 0x5C) is part of the character, not a separator.
    EXPECT_EQ(qv::CanvasFilePath("\x95\x5c\\x.csv"), "\xe8\xa1\xa8/x.csv");
    EXPECT_EQ(qv::CanvasColor(qv::Rgb(255, 16, 1)), "#FF1001");
    EXPECT_EQ(qv::CanvasColor(qv::kNoColor), "");
    EXPECT_EQ(qv::CanvasColor(qv::kSysWindow), "");
}

TEST(CanvasText, ShowsWhatThePageShowsWithLineEndsAndMarkers) {
    TestDoc doc;
    doc.env.Accept_CR = true;
    doc.env.CR_String = "\\n";
    doc.Add("one\\ntwo", 1, 10, 10, 8, 2);
    doc.Add("\x82\xa0", 2, 300, 10);  // あ
    doc.Add("hidden", 3, 10, 300);
    doc.Add("free", 0, 500, 300);
    doc.set.Recount();
    doc.set.SetGroupLine(1, 2);
    doc.set.SetGroupLine(2, 3);
    doc.set.SetGroupLine(3, 1);
    ASSERT_TRUE(doc.set.SetGroupLineStyle(0, qv::kLineDoubleArrow, 1));
    doc.set.GroupTable[3].Shown = false;
    doc.Refresh();
    const std::string canvas = qv::JsonCanvasText(doc.set);

    EXPECT_TRUE(Has(canvas, "\"text\": \"one\\ntwo\"")) << canvas;
    EXPECT_TRUE(Has(canvas, "\"text\": \"\xe3\x81\x82\"")) << canvas;
    EXPECT_TRUE(Has(canvas, "\"text\": \"free\""));
    EXPECT_FALSE(Has(canvas, "hidden")) << "a hidden group's cards are not on the page";
    EXPECT_TRUE(Has(canvas, "\"id\": \"group-1\""));
    EXPECT_TRUE(Has(canvas, "\"id\": \"group-2\""));
    EXPECT_FALSE(Has(canvas, "group-3"));
    EXPECT_FALSE(Has(canvas, "group-0")) << "cards without a group have no group node";
    // Only the line between shown groups, with arrows at both ends.
    // Group 2 lies right of group 1: the line leaves one's right side for the other's left.
    EXPECT_TRUE(Has(canvas,
                    "\"id\": \"line-1\", \"fromNode\": \"group-1\", \"toNode\": "
                    "\"group-2\", \"fromSide\": \"right\", \"toSide\": \"left\", "
                    "\"fromEnd\": \"arrow\", \"toEnd\": \"arrow\""))
        << canvas;
    EXPECT_FALSE(Has(canvas, "line-2"));
    EXPECT_FALSE(Has(canvas, "line-3"));
}

TEST(CanvasText, LineTypesGiveTheirArrowEnds) {
    struct Case {
        int Type;
        const char* Ends;
    } cases[] = {
        {qv::kLinePlain, "\"fromEnd\": \"none\", \"toEnd\": \"none\""},
        {qv::kLineArrow, "\"fromEnd\": \"none\", \"toEnd\": \"arrow\""},
        {qv::kLineDoubleArrow, "\"fromEnd\": \"arrow\", \"toEnd\": \"arrow\""},
        // Heads pointing inwards have no canvas form: plain, with the type kept.
        {qv::kLineReverseDoubleArrow,
         "\"fromEnd\": \"none\", \"toEnd\": \"none\", \"color\": \"#0000FF\", \"qvLineType\": 4"},
    };
    for (const Case& c : cases) {
        TestDoc doc;
        doc.env.Colors.GroupLine = qv::Rgb(0, 0, 255);
        doc.Add("a", 1, 10, 10);
        doc.Add("b", 2, 300, 10);
        doc.set.Recount();
        doc.set.SetGroupLine(1, 2);
        ASSERT_TRUE(doc.set.SetGroupLineStyle(0, c.Type, 1));
        doc.Refresh();
        EXPECT_TRUE(Has(qv::JsonCanvasText(doc.set), c.Ends)) << c.Type;
    }
}

}  // namespace
