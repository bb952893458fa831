#include <gtest/gtest.h>

#include "core/model/fragment.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

using test::TestDoc;

// Default fonts: Fragment 15 px, NamePlate 17 px, Symbol 27 px.
TEST(FragmentSize, TextAndNamePlateFollowColumnsAndLinesOfTheirFont) {
    TestDoc doc;
    Fragment* t = doc.Add("a", 1, 10, 20, 12, 3);
    EXPECT_EQ(t->Width(), 15 * 12 + 4);
    EXPECT_EQ(t->Height(), 3 * (15 + 2) + 4);
    Fragment* n = doc.Add("plate", 1, 0, 0, 10, 1, FragmentKind::NamePlate);
    EXPECT_EQ(n->Width(), 17 * 10 + 4);
    EXPECT_EQ(n->Height(), 17 + 2 + 4);
    EXPECT_TRUE(n->Measured);
}

TEST(FragmentSize, SymbolIsOneLineAsWideAsItsWholeTextEvenWithLineBreakMarkers) {
    TestDoc doc;
    // 3 + 2 + 3 bytes, each 27 / 2 = 13.5 px wide in the fake metrics.
    Fragment* s = doc.Add(
        "abc\x81\x5f"
        "def",
        1, 0, 0, 1, 5, FragmentKind::Symbol);
    EXPECT_EQ(s->Width(), 8 * 27 / 2 + 4);
    EXPECT_EQ(s->Height(), 27 + 2 + 4);
}

TEST(FragmentSize, ScreenRectFollowsTheScrollPositions) {
    TestDoc doc;
    doc.view.RangeX = doc.view.RangeY = 5000;
    doc.view.PosX = 100;
    doc.view.PosY = 30;
    Fragment* f = doc.Add("a", 1, 150, 50);
    EXPECT_EQ(f->ScreenRect, f->DocRect().Translated(-100, -30));
}

TEST(FragmentSize, HugeCoordinatesFromACorruptFileAreKeptWithinPixelArithmetic) {
    TestDoc doc;
    Fragment* f = doc.Add("a", 1, 2147483000, -2147483000);
    EXPECT_EQ(f->Left, kMaxCoordinate);
    EXPECT_EQ(f->Top, -kMaxCoordinate);
    EXPECT_GT(f->Right, f->Left);
}

TEST(FragmentPicture, ScaleIsWidthTimesColumnsOverLinesMultipliedFirst) {
    TestDoc doc;
    doc.world.pictures.Sizes["p.bmp"] = {101, 61};
    auto image = [&](int num, int den) {
        Fragment* f = doc.Add("", 1, 0, 0, num, den, FragmentKind::Image);
        f->Link = "p.bmp";
        f->LoadPicture();
        f->Measure();
        return PixelSize{f->Width(), f->Height()};
    };
    EXPECT_EQ(image(1, 2), (PixelSize{50, 30}));
    EXPECT_EQ(image(2, 1), (PixelSize{202, 122}));
    EXPECT_EQ(image(3, 3), (PixelSize{101, 61}));
    EXPECT_EQ(image(2, 3), (PixelSize{67, 40}));  // 101 * 2 / 3, not 101 * (2 / 3)
}

TEST(FragmentPicture, MissingOrEmptyPictureMeasures48SquareAndKeepsItsLink) {
    TestDoc doc;
    doc.world.pictures.Sizes["empty.ico"] = {0, 0};
    for (const char* link : {"missing.jpg", "empty.ico"}) {
        Fragment* f = doc.Add("", 1, 5, 5, 1, 1, FragmentKind::Image);
        f->Link = link;
        f->LoadPicture();
        f->Measure();
        EXPECT_FALSE(f->HasPicture()) << link;
        EXPECT_EQ(f->Width(), 48) << link;
        EXPECT_EQ(f->Height(), 48) << link;
        EXPECT_EQ(f->Link, link);
    }
}

TEST(FragmentPicture, ScaledSizeNeverCollapsesOrDividesByZero) {
    EXPECT_EQ(ScaledPictureSize({10, 3}, 1, 20), (PixelSize{1, 1}));
    EXPECT_EQ(ScaledPictureSize({10, 30}, 5, 0), (PixelSize{10, 30}));
    EXPECT_EQ(ScaledPictureSize({30000, 20}, 20, 1), (PixelSize{kMaxPictureSide, 400}));
}

TEST(FragmentFields, CreationDefaultsAndCopyFieldsLeaveStackingAndSelectionAlone) {
    test::TestWorld world;
    world.env.Colors.DefFrgFG = 0x123456;
    world.env.Colors.DefFrgBG = 0x654321;
    Fragment a(world.env, nullptr);
    EXPECT_EQ(a.Columns, 4);
    EXPECT_EQ(a.Lines, 1);
    EXPECT_EQ(a.Left, 2);
    EXPECT_EQ(a.Top, 2);
    EXPECT_EQ(a.Group, 1);
    EXPECT_EQ(a.Kind, FragmentKind::Text);
    EXPECT_EQ(a.ColFG, 0x123456u);
    EXPECT_EQ(a.ColBG, 0x654321u);
    EXPECT_FALSE(a.Visible);
    EXPECT_NE(a.Revision, 0u);

    Fragment b(world.env, nullptr);
    b.Text = "t";
    b.Link = "l";
    b.Group = 7;
    b.Kind = FragmentKind::NamePlate;
    b.Left = 10;
    b.Right = 50;
    b.ZOrder = 99;
    b.Visible = true;
    b.SetSelected(true);
    b.Marked = true;
    a.CopyFields(b);
    EXPECT_EQ(a.Text, "t");
    EXPECT_EQ(a.Link, "l");
    EXPECT_EQ(a.Group, 7);
    EXPECT_EQ(a.Kind, FragmentKind::NamePlate);
    EXPECT_EQ(a.Right, 50);
    EXPECT_TRUE(a.Visible);
    EXPECT_EQ(a.ZOrder, 0);
    EXPECT_FALSE(a.Selected);
    EXPECT_FALSE(a.Marked);
}

TEST(FragmentRevision, EveryLookChangeGivesANewNumberNeverUsedBefore) {
    test::TestWorld world;
    Fragment a(world.env, nullptr);
    Fragment b(world.env, nullptr);
    EXPECT_NE(a.Revision, b.Revision);
    const auto first = a.Revision;
    a.SetSelected(true);
    EXPECT_GT(a.Revision, first);
    const auto selected = a.Revision;
    a.SetSelected(true);  // no change, no new look
    EXPECT_EQ(a.Revision, selected);
    b.CopyFields(a);
    EXPECT_NE(b.Revision, a.Revision);
}

}  // namespace
}  // namespace qv
