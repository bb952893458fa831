#include "core/dialogs/scr_size_dlg.h"

#include <gtest/gtest.h>

#include "core/model/frag_set.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

using Field = WholeSizeController::Field;

struct SizeDoc : test::TestDoc {
    WholeSizeController dlg{env};
    SizeDoc() {
        // A card reaching x = 2300 on a page that follows its cards.
        Add("wide", 1, 2200, 100, 8, 2);
        set.RedrawAll();
    }
};

TEST(WholeSizeDialog, OpensOnTheLargerOfDefaultAndPageWithArrowsStoppingAtTheUsedSize) {
    SizeDoc doc;
    ASSERT_GT(doc.set.UsedWidth, 2000);
    doc.dlg.Open(&doc.set);
    EXPECT_FALSE(doc.dlg.Fixed());
    EXPECT_FALSE(doc.dlg.EditsEnabled());
    EXPECT_EQ(doc.dlg.Text(Field::Width), std::to_string(doc.set.UsedWidth));
    EXPECT_EQ(doc.dlg.Text(Field::Height), "1500");
    EXPECT_EQ(doc.dlg.Minimum(Field::Width), doc.set.UsedWidth);
    EXPECT_EQ(doc.dlg.Minimum(Field::Height), doc.set.UsedHeight);
    EXPECT_EQ(doc.dlg.Maximum(Field::Width), 30000);
    EXPECT_EQ(doc.dlg.Maximum(Field::Rows), 20);

    // The down arrow stops at the used width; from a smaller typed width it goes to that bound.
    EXPECT_FALSE(doc.dlg.CanStep(Field::Width, -1));
    EXPECT_EQ(doc.dlg.Step(Field::Width, -1), std::to_string(doc.set.UsedWidth));
    ASSERT_TRUE(doc.dlg.SetText(Field::Width, "1000"));
    EXPECT_TRUE(doc.dlg.CanStep(Field::Width, 1));
    EXPECT_EQ(doc.dlg.Step(Field::Width, 1), std::to_string(doc.set.UsedWidth + 1));
    ASSERT_TRUE(doc.dlg.SetText(Field::Rows, "20"));
    EXPECT_FALSE(doc.dlg.CanStep(Field::Rows, 1));
    EXPECT_EQ(doc.dlg.Step(Field::Rows, 5), "20");

    // Only digits, at most five for sizes and two for divisions.
    EXPECT_FALSE(doc.dlg.SetText(Field::Width, "123456"));
    EXPECT_FALSE(doc.dlg.SetText(Field::Columns, "100"));
    EXPECT_FALSE(doc.dlg.SetText(Field::Height, "12a"));
    EXPECT_TRUE(doc.dlg.SetText(Field::Height, ""));
}

TEST(WholeSizeDialog, OkTakesTypedValuesBelowTheArrowsAndMakesThemTheDefault) {
    SizeDoc doc;
    doc.dlg.Open(&doc.set);
    doc.dlg.SetFixed(true);
    ASSERT_TRUE(doc.dlg.SetText(Field::Width, "1200"));
    ASSERT_TRUE(doc.dlg.SetText(Field::Height, "900"));
    ASSERT_TRUE(doc.dlg.SetText(Field::Columns, "3"));
    ASSERT_TRUE(doc.dlg.SetText(Field::Rows, ""));
    ASSERT_TRUE(doc.dlg.Accept());
    EXPECT_TRUE(doc.set.FixedSize);
    EXPECT_EQ(doc.set.FixedWidth, 1200);
    EXPECT_EQ(doc.set.FixedHeight, 900);
    EXPECT_EQ(doc.set.WholeWidth, 1200);
    EXPECT_EQ(doc.set.DivColumns, 3);
    EXPECT_EQ(doc.set.DivRows, 0);
    EXPECT_TRUE(doc.set.ShowDivLines);
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_EQ(doc.env.DefScrWidth, 1200);
    EXPECT_EQ(doc.env.DefScrHeight, 900);

    // Reopened: a fixed page shows its own size.
    doc.dlg.Open(&doc.set);
    EXPECT_TRUE(doc.dlg.Fixed());
    EXPECT_EQ(doc.dlg.Text(Field::Width), "1200");
    EXPECT_EQ(doc.dlg.Text(Field::Columns), "3");
}

TEST(WholeSizeDialog, EmptyOrZeroSizesKeepTheDefaultAndUnfixingKeepsTheNumbers) {
    SizeDoc doc;
    doc.set.DivColumns = 4;
    doc.dlg.Open(&doc.set);
    ASSERT_TRUE(doc.dlg.SetText(Field::Width, ""));
    ASSERT_TRUE(doc.dlg.SetText(Field::Height, "0"));
    ASSERT_TRUE(doc.dlg.Accept());
    EXPECT_FALSE(doc.set.FixedSize);
    EXPECT_EQ(doc.set.FixedWidth, 2000);
    EXPECT_EQ(doc.set.FixedHeight, 1500);
    EXPECT_EQ(doc.env.DefScrHeight, 1500);
    // The grid stays with the document, but an unfixed page draws none.
    EXPECT_EQ(doc.set.DivColumns, 4);
    EXPECT_FALSE(doc.set.ShowDivLines);
}

TEST(WholeSizeDialog, DivisionEditsAreActiveOnlyWithMoreThanOneColumnOrRow) {
    SizeDoc doc;
    doc.dlg.Open(&doc.set);
    EXPECT_FALSE(doc.dlg.DivisionActive());
    doc.dlg.SetText(Field::Columns, "1");
    doc.dlg.SetText(Field::Rows, "1");
    EXPECT_FALSE(doc.dlg.DivisionActive());
    doc.dlg.SetText(Field::Rows, "2");
    EXPECT_TRUE(doc.dlg.DivisionActive());
}

TEST(WholeSizeDialog, WithoutADocumentShowsTheDefaultsAndOkChangesNothing) {
    test::TestWorld world;
    world.env.DefScrWidth = 2400;
    WholeSizeController dlg(world.env);
    dlg.Open(nullptr);
    EXPECT_EQ(dlg.Text(Field::Width), "2400");
    EXPECT_EQ(dlg.Minimum(Field::Width), 100);
    dlg.SetText(Field::Width, "5000");
    EXPECT_FALSE(dlg.Accept());
    EXPECT_EQ(world.env.DefScrWidth, 2400);
}

}  // namespace
}  // namespace qv
