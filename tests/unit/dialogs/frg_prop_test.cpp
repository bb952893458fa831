#include "core/dialogs/frg_prop_dlg.h"

#include <gtest/gtest.h>

#include <string>

#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "unit/content/temp_dir.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

// Two bytes a column, as a fixed-pitch font would lay them out.
int FakeLines(std::string_view text, int columns, FragmentKind) {
    const int perLine = columns * 2;
    return std::max(1, static_cast<int>((text.size() + perLine - 1) / perLine));
}

struct PropTest : ::testing::Test {
    test::TestDoc doc;
    FrgPropController dlg{doc.env};

    bool Open(FrgPropRequest r) {
        r.Target = &doc.set;
        return dlg.Open(r, FakeLines);
    }
};

TEST_F(PropTest, NewCardTakesTheDefaultsAndTheChosenGroupAndLandsAtThePoint) {
    doc.env.NewNoGroup = true;
    doc.Add("x", 7, 100, 100);
    doc.Refresh();
    // From the menu: NewNoGroup gives group 0 ("無所属", the last item).
    ASSERT_TRUE(Open({.NewMode = true}));
    EXPECT_EQ(dlg.GroupItem(), kNoGroupItem);
    EXPECT_EQ(dlg.GroupItems().size(), 101u);
    EXPECT_EQ(dlg.GroupItems()[100], std::string(kNoGroupName));
    // A double click inside group 7 preselects 7 even so.
    ASSERT_TRUE(
        Open({.NewMode = true, .AtPoint = true, .PointX = 30, .PointY = 40, .PresetGroup = 7}));
    EXPECT_EQ(dlg.GroupItem(), 6);
    EXPECT_EQ(dlg.Kind(), FragmentKind::Text);
    EXPECT_EQ(dlg.Width(), doc.env.FrgWidth);
    EXPECT_EQ(dlg.Height(), doc.env.FrgHeight);
    EXPECT_EQ(dlg.MemoBack(), doc.env.Colors.DefFrgBG);
    Fragment* f = dlg.Apply("hello");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Group, 7);
    EXPECT_EQ(f->Text, "hello");
    EXPECT_EQ(f->Left, 30);
    EXPECT_EQ(f->Top, 40);
    EXPECT_EQ(f->Columns, doc.env.FrgWidth);
    EXPECT_TRUE(f->Visible);
    EXPECT_TRUE(doc.set.Modified);
    dlg.Close();
    EXPECT_FALSE(dlg.Request().AtPoint);
}

TEST_F(PropTest, NewCardOnAnOccupiedSpotMovesOnUntilFree) {
    const Point p = doc.set.NewFragmentPosition(doc.env.FrgWidth, doc.env.FrgHeight, 0);
    const Point p2 = doc.set.NewFragmentPosition(doc.env.FrgWidth, doc.env.FrgHeight, 2);
    doc.Add("a", 1, p.X, p.Y);
    doc.Add("b", 1, p2.X, p2.Y);
    ASSERT_TRUE(Open({.NewMode = true}));
    Fragment* f = dlg.Apply("c");
    ASSERT_NE(f, nullptr);
    const Point p4 = doc.set.NewFragmentPosition(doc.env.FrgWidth, doc.env.FrgHeight, 4);
    EXPECT_EQ(f->Left, p4.X);
    EXPECT_EQ(f->Top, p4.Y);
}

TEST_F(PropTest, GroupNamesPlatesAndKindRules) {
    Fragment* plate = doc.Add("", 7, 10, 10, 4, 1, FragmentKind::NamePlate);
    doc.Add("member", 7, 10, 60);
    doc.Refresh();
    ASSERT_TRUE(Open({.NewMode = true, .FromGroupList = true, .PresetGroup = 7}));
    // A plate without text names its group by the narrow word and a padded number.
    EXPECT_EQ(dlg.GroupItems()[6], "\xb8\xde\xd9\xb0\xcc\xdf 7");
    // Group 7 has its plate: no second one.
    EXPECT_FALSE(dlg.KindEnabled(FragmentKind::NamePlate));
    dlg.ChangeGroup(FrgPropController::ItemOfGroup(8));
    EXPECT_TRUE(dlg.KindEnabled(FragmentKind::NamePlate));
    dlg.ChangeGroup(kNoGroupItem);
    EXPECT_FALSE(dlg.KindEnabled(FragmentKind::NamePlate));

    // Editing the plate itself keeps the plate kind available.
    doc.set.SelectAll(false);
    plate->SetSelected(true);
    ASSERT_TRUE(Open({}));
    EXPECT_EQ(dlg.Kind(), FragmentKind::NamePlate);
    EXPECT_TRUE(dlg.KindEnabled(FragmentKind::NamePlate));
    EXPECT_EQ(dlg.MemoFont(), FragmentKind::NamePlate);
}

TEST_F(PropTest, SymbolWidthFollowsTextAndEmptySymbolCannotBeConfirmed) {
    ASSERT_TRUE(Open({.NewMode = true}));
    dlg.ChooseKind(FragmentKind::Symbol);
    EXPECT_EQ(dlg.WidthMax(), kMaxSymbolColumns);
    EXPECT_FALSE(dlg.SizeEnabled());
    EXPECT_EQ(dlg.Width(), 1);
    EXPECT_FALSE(dlg.OkEnabled());
    dlg.ChangeText("abc");
    EXPECT_EQ(dlg.Width(), 2);
    EXPECT_TRUE(dlg.OkEnabled());
    dlg.ChooseKind(FragmentKind::Image);
    EXPECT_TRUE(dlg.ImageScale());
    EXPECT_FALSE(dlg.FitVisible());
    EXPECT_FALSE(dlg.ColourButtonsVisible());
    EXPECT_TRUE(dlg.TransparentVisible());
    EXPECT_FALSE(dlg.OkEnabled());  // a picture needs its file
    dlg.SetLink("pic.bmp");
    EXPECT_TRUE(dlg.OkEnabled());
    EXPECT_EQ(dlg.Width(), doc.env.ImgRatio1);
}

TEST_F(PropTest, HeightIsClampedAndMarkedAboveTheDefaultAndFitUsesTheLayout) {
    ASSERT_TRUE(Open({.NewMode = true}));
    EXPECT_EQ(dlg.ChangeHeight(25), 20);
    EXPECT_TRUE(dlg.HeightAboveDefault());
    EXPECT_EQ(dlg.ChangeHeight(0), 1);
    EXPECT_FALSE(dlg.HeightAboveDefault());
    EXPECT_EQ(dlg.ChangeWidth(99), 40);
    dlg.ChangeWidth(2);  // 4 bytes a line in the fake layout
    dlg.ChangeText("0123456789");
    EXPECT_EQ(dlg.Height(), 1);  // AutoExpand is off
    dlg.Fit();
    EXPECT_EQ(dlg.Height(), 3);
    // With AutoExpand a longer text grows the height, a shorter one leaves it.
    doc.env.AutoExpand = true;
    dlg.ChangeText("0123456789012345");
    EXPECT_EQ(dlg.Height(), 4);
    dlg.ChangeText("0");
    EXPECT_EQ(dlg.Height(), 4);
}

TEST_F(PropTest, EditingSeveralCardsChangesOnlyTheTouchedFields) {
    Fragment* a = doc.Add("a", 1, 10, 10, 4, 1);
    Fragment* b = doc.Add("b", 2, 100, 10, 6, 2);
    Fragment* c = doc.Add("c", 2, 200, 10, 8, 3);
    a->ColBG = 0x00FF00;
    doc.Refresh();
    doc.set.SelectAll(true);
    ASSERT_TRUE(Open({}));
    EXPECT_TRUE(dlg.MultiEdit());
    EXPECT_EQ(dlg.GroupItem(), -1);
    EXPECT_TRUE(dlg.GroupGreyed());
    EXPECT_EQ(dlg.Width(), 8);
    EXPECT_EQ(dlg.Height(), 3);
    EXPECT_FALSE(dlg.KindEnabled(FragmentKind::Text));
    dlg.SetTextColour(0x0000FF);
    EXPECT_TRUE(dlg.TextColourChangedMark());
    dlg.Apply("ignored");
    for (Fragment* f : {a, b, c})
        EXPECT_EQ(f->ColFG, 0x0000FFu);
    EXPECT_EQ(a->ColBG, 0x00FF00u);
    EXPECT_EQ(b->ColBG, doc.env.Colors.DefFrgBG);
    EXPECT_EQ(a->Columns, 4);
    EXPECT_EQ(b->Lines, 2);
    EXPECT_EQ(a->Group, 1);
    EXPECT_EQ(c->Group, 2);
    EXPECT_EQ(a->Text, "a");

    // Now only the width and the group.
    doc.set.SelectAll(true);
    ASSERT_TRUE(Open({}));
    dlg.ChangeWidth(5);
    dlg.ChangeGroup(FrgPropController::ItemOfGroup(3));
    dlg.Apply("");
    for (Fragment* f : {a, b, c}) {
        EXPECT_EQ(f->Columns, 5);
        EXPECT_EQ(f->Group, 3);
    }
    EXPECT_EQ(c->Lines, 3);
}

TEST_F(PropTest, EditOneCardShowsItsTextWithLineBreaksAndWritesThemBack) {
    Fragment* f = doc.Add(
        "a\x81\x5f"
        "b",
        4, 10, 10);
    doc.Refresh();
    f->SetSelected(true);
    ASSERT_TRUE(Open({}));
    EXPECT_EQ(dlg.InitialText(), "a\r\nb");
    EXPECT_EQ(dlg.GroupItem(), 3);
    dlg.SetBackColour(0x123456);
    dlg.Apply("new");
    EXPECT_EQ(f->Text, "new");
    EXPECT_EQ(f->ColBG, 0x123456u);
    // No document: the dialog does not open.
    EXPECT_FALSE(dlg.Open(FrgPropRequest{}, FakeLines));
}

TEST(LinkExtraction, ItemsFollowTheExtensionAndReadTheFile) {
    test::TempDir dir;
    const std::string html = dir.Write("page.HTML",
                                       "<html><head><title>T1</title><meta name=\"Description\" "
                                       "content=\"D1\"></head></html>")
                                 .string();
    std::string mp3(200, '\0');
    mp3.replace(mp3.size() - 128, 3, "TAG");
    mp3.replace(mp3.size() - 125, 5, "Track");
    mp3.replace(mp3.size() - 128 + 93, 4, "1999");
    const std::string song = dir.Write("song.mp3", mp3).string();
    const std::string text =
        dir.Write("notes.dat", "\n=========================\n  First useful  \n").string();
    const std::string binary = dir.Write("blob.dat", std::string("a\0b", 3)).string();

    EXPECT_EQ(ExtractItemsFor(html, html).size(), 3u);
    EXPECT_EQ(ExtractLinkText(html, ExtractItem::Title), "T1");
    EXPECT_EQ(ExtractLinkText(html, ExtractItem::MetaDescription), "D1");
    EXPECT_EQ(ExtractLinkText(html, ExtractItem::MetaKeywords), "");
    EXPECT_EQ(ExtractItemsFor(song, song).size(), 5u);
    EXPECT_EQ(ExtractLinkText(song, ExtractItem::Mp3Track), "Track");
    EXPECT_EQ(ExtractLinkText(song, ExtractItem::Mp3Year), "1999");
    EXPECT_EQ(ExtractItemsFor(text, text), std::vector<ExtractItem>{ExtractItem::FirstLine});
    EXPECT_EQ(ExtractLinkText(text, ExtractItem::FirstLine), "First useful");
    EXPECT_TRUE(ExtractItemsFor(binary, binary).empty());
    EXPECT_TRUE(ExtractItemsFor("", "").empty());
    EXPECT_EQ(ExtractLinkText((dir.path() / "missing.mp3").string(), ExtractItem::Mp3Track), "");
}

}  // namespace
}  // namespace qv
