#include <gtest/gtest.h>

#include "core/model/frag_set.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

using test::TestDoc;

const std::string kGroup = std::string(kGroupWord);

// ---- Adding and deleting ----

TEST(FragSetAdd, NewFragmentsAreVisibleAndStackOnTop) {
    TestDoc doc;
    Fragment* a = doc.set.AddFragment();
    Fragment* b = doc.set.AddFragment();
    EXPECT_EQ(a->ZOrder, 0);
    EXPECT_EQ(b->ZOrder, 1);
    EXPECT_TRUE(a->Visible);
    b->ZOrder = 40;
    a->ZOrder = 50;
    doc.set.SortByZOrder();
    EXPECT_EQ(doc.set.AddFragment()->ZOrder, 51);
}

TEST(FragSetAdd, TheThousandAndFirstIsRefusedWithAWarning) {
    TestDoc doc;
    for (int i = 0; i < kMaxFragments; ++i)
        ASSERT_NE(doc.set.AddFragment(), nullptr);
    EXPECT_TRUE(doc.world.prompts.Log.empty());
    EXPECT_EQ(doc.set.AddFragment(), nullptr);
    EXPECT_EQ(doc.set.Count(), kMaxFragments);
    ASSERT_EQ(doc.world.prompts.Log.size(), 1u);
    EXPECT_EQ(doc.world.prompts.Log[0].Caption, kWarningCaption);
    EXPECT_EQ(doc.world.prompts.Log[0].Text, kTooManyFragmentsText);
    EXPECT_EQ(doc.world.prompts.Log[0].Buttons, PromptButtons::OkCancel);
}

TEST(FragSetAdd, DeleteSelectedForgetsEveryReferenceAndDropsLinesOfEmptiedGroups) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 10, 10);
    Fragment* b = doc.Add("b", 2, 200, 10);
    doc.Add("c", 2, 200, 100);
    doc.set.Recount();
    ASSERT_TRUE(doc.set.SetGroupLine(1, 2));
    a->SetSelected(true);
    b->SetSelected(true);
    doc.set.RebuildSelection();
    // A press on a's link mark holds it until the button comes up.
    a->Link = "x.txt";
    doc.env.LinkMark = true;
    doc.set.PressFragment(a, MouseButton::Left, a->ScreenRect.Right - 1, a->ScreenRect.Bottom - 1,
                          {});
    ASSERT_EQ(doc.set.CurrentGesture().LinkPress, a);
    doc.set.CentreOn(b, true);
    doc.refresh.Done();
    doc.set.Modified = false;

    doc.set.DeleteSelected();
    EXPECT_EQ(doc.set.Count(), 1);
    EXPECT_TRUE(doc.set.SelectionList.empty());
    EXPECT_EQ(doc.set.MarkedFragment(), nullptr);
    EXPECT_EQ(doc.set.CurrentGesture().LinkPress, nullptr);
    EXPECT_TRUE(doc.set.GroupTable[1].Empty);
    EXPECT_TRUE(doc.set.GroupLines.empty());
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_TRUE(doc.refresh.Pending());
}

TEST(FragSetAdd, ClearLeavesAnEmptyDocumentButKeepsWhatTheWindowShows) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 10, 10);
    doc.Add("b", 2, 200, 10);
    doc.set.Recount();
    ASSERT_TRUE(doc.set.SetGroupLine(1, 2));
    a->Left += 10;
    ASSERT_TRUE(doc.set.History().Commit());
    doc.set.FileName = "/docs/a.csv";
    doc.set.ShowGroup(3, false);
    doc.set.PickGroupListGroup(2);
    doc.set.FixedSize = true;
    doc.set.FixedWidth = 9000;
    doc.set.DivColumns = 3;
    doc.set.ReadOnly = true;
    doc.set.IncompleteSources.push_back({});
    a->SetSelected(true);
    doc.set.RebuildSelection();
    doc.set.CentreOn(a, true);
    doc.set.Modified = true;

    doc.set.Clear();
    EXPECT_EQ(doc.set.Count(), 0);
    EXPECT_TRUE(doc.set.SelectionList.empty());
    EXPECT_EQ(doc.set.MarkedFragment(), nullptr);
    EXPECT_TRUE(doc.set.GroupLines.empty());
    EXPECT_TRUE(doc.set.GroupTable[1].Empty);
    EXPECT_FALSE(doc.set.GroupTable[1].HasSelected);
    EXPECT_FALSE(doc.set.FixedSize);
    EXPECT_EQ(doc.set.FixedWidth, doc.env.DefScrWidth);
    EXPECT_EQ(doc.set.DivColumns, 0);
    EXPECT_FALSE(doc.set.ReadOnly);
    EXPECT_FALSE(doc.set.Modified);
    EXPECT_TRUE(doc.set.IncompleteSources.empty());
    EXPECT_FALSE(doc.set.UndoAvailable()) << "the old cards cannot come back";
    EXPECT_EQ(doc.set.FileName, "/docs/a.csv");
    EXPECT_FALSE(doc.set.GroupTable[3].Shown);
    EXPECT_EQ(doc.set.GroupListGroup, 2);
    // Cards added afterwards stack from the bottom again.
    EXPECT_EQ(doc.set.AddFragment()->ZOrder, 0);
}

// ---- Groups ----

TEST(FragSetGroups, NamesComeFromTheFirstNamePlateElseTheNumber) {
    TestDoc doc;
    std::string name;
    EXPECT_EQ(doc.set.GroupName(0, name), nullptr);
    EXPECT_EQ(name, kNoGroupName);
    EXPECT_EQ(doc.set.GroupNameText(12), kGroup + " 12");
    EXPECT_EQ(doc.set.GroupNameText(5), kGroup + "  5");
    EXPECT_EQ(doc.set.GroupNameText(100), kGroup + " 100");
    EXPECT_EQ(doc.set.GroupNameText(101), "");
    EXPECT_EQ(doc.set.GroupNameText(-1), "");

    doc.Add("card", 5, 0, 0);
    Fragment* first = doc.Add("Ideas", 5, 0, 0, 10, 1, FragmentKind::NamePlate);
    doc.Add("Other", 5, 0, 0, 10, 1, FragmentKind::NamePlate);
    doc.set.Recount();
    EXPECT_EQ(doc.set.GroupName(5, name), first);
    EXPECT_EQ(name, "Ideas");
}

TEST(FragSetGroups, CurrentGroupPrefersCommonSelectionThenGroupListThenFirstShownGroup) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 7, 0, 0);
    Fragment* b = doc.Add("b", 7, 100, 0);
    Fragment* c = doc.Add("c", 8, 200, 0);
    EXPECT_EQ(doc.set.CurrentGroup(), 1);
    doc.set.GroupTable[1].Shown = false;
    doc.set.GroupTable[2].Shown = false;
    EXPECT_EQ(doc.set.CurrentGroup(), 3);

    doc.world.host.Row = 100;
    EXPECT_EQ(doc.set.CurrentGroup(), 0);
    doc.world.host.Row = 9;
    EXPECT_EQ(doc.set.CurrentGroup(), 10);

    a->SetSelected(true);
    b->SetSelected(true);
    doc.set.RebuildSelection();
    EXPECT_EQ(doc.set.CurrentGroup(), 7);
    c->SetSelected(true);
    doc.set.RebuildSelection();
    EXPECT_EQ(doc.set.CurrentGroup(), 10);

    for (auto& row : doc.set.GroupTable)
        row.Shown = false;
    doc.world.host.Row.reset();
    doc.set.SelectAll(false);
    EXPECT_EQ(doc.set.CurrentGroup(), 1);
}

TEST(FragSetGroups, MovingANamePlateWhereItCannotNameAGroupDemotesIt) {
    TestDoc doc;
    Fragment* plate3 = doc.Add("three", 3, 0, 0, 10, 1, FragmentKind::NamePlate);
    doc.Add("four", 4, 300, 0, 10, 1, FragmentKind::NamePlate);
    Fragment* plate5 = doc.Add("five", 5, 0, 300, 10, 1, FragmentKind::NamePlate);
    doc.set.Recount();

    plate3->SetSelected(true);
    doc.set.RebuildSelection();
    doc.set.MoveSelectionToGroup(4);
    EXPECT_EQ(plate3->Group, 4);
    EXPECT_EQ(plate3->Kind, FragmentKind::Text);
    EXPECT_EQ(plate3->Width(), 15 * 10 + 4);  // re-measured in the text font

    doc.set.SelectAll(false);
    plate5->SetSelected(true);
    doc.set.RebuildSelection();
    doc.set.MoveSelectionToGroup(0);
    EXPECT_EQ(plate5->Kind, FragmentKind::Text);

    // Into a group without plate, a plate stays a plate.
    Fragment* plate6 = doc.Add("six", 6, 0, 0, 10, 1, FragmentKind::NamePlate);
    doc.set.Recount();
    doc.set.SelectAll(false);
    plate6->SetSelected(true);
    doc.set.RebuildSelection();
    doc.set.MoveSelectionToGroup(9);
    EXPECT_EQ(plate6->Kind, FragmentKind::NamePlate);
    EXPECT_EQ(doc.set.GroupNameText(9), "six");
}

TEST(FragSetGroups, EmptyingAGroupHidesItAndDropsItsLines) {
    TestDoc doc;
    doc.Add("a", 3, 0, 0);
    doc.Add("b", 3, 100, 0);
    doc.Add("c", 4, 300, 0);
    doc.Add("d", 5, 300, 300);
    doc.set.Recount();
    doc.set.SetGroupLine(3, 5);
    doc.set.SetGroupLine(4, 5);
    doc.set.SelectGroup(3, false);
    doc.set.MoveSelectionToGroup(4);
    EXPECT_FALSE(doc.set.GroupTable[3].Shown);
    EXPECT_TRUE(doc.set.GroupTable[4].Shown);
    EXPECT_EQ(doc.set.GroupTable[4].Count, 3);
    ASSERT_EQ(doc.set.GroupLines.size(), 1u);
    EXPECT_TRUE(doc.set.GroupLines[0].Joins(4, 5));

    // Out-of-range targets are ignored.
    doc.set.Modified = false;
    doc.set.MoveSelectionToGroup(101);
    doc.set.MoveSelectionToGroup(-1);
    EXPECT_FALSE(doc.set.Modified);
}

TEST(FragSetGroups, SwapGroupsExchangesMembersLineEndsAndRows) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 2, 0, 0);
    Fragment* b = doc.Add("b", 6, 100, 0);
    doc.Add("c", 9, 200, 0);
    doc.set.Recount();
    doc.set.SetGroupLine(2, 9);
    doc.set.GroupTable[6].Shown = false;
    ASSERT_TRUE(doc.set.SwapGroups(2, 6));
    EXPECT_EQ(a->Group, 6);
    EXPECT_EQ(b->Group, 2);
    EXPECT_FALSE(doc.set.GroupTable[2].Shown);
    EXPECT_TRUE(doc.set.GroupTable[6].Shown);
    EXPECT_EQ(doc.set.GroupLines[0].From, 6);
    EXPECT_EQ(doc.set.GroupLines[0].To, 9);
    EXPECT_FALSE(doc.set.SwapGroups(2, 101));
}

TEST(FragSetGroups, SwappingWithNoGroupDropsLinesAndPlatesThatOnlyAGroupCanHave) {
    TestDoc doc;
    Fragment* plate = doc.Add("p", 2, 0, 0, 10, 1, FragmentKind::NamePlate);
    doc.Add("x", 2, 0, 50);
    doc.Add("y", 3, 300, 0);
    doc.Add("z", 0, 300, 300);
    doc.set.Recount();
    doc.set.SetGroupLine(2, 3);
    const std::uint64_t drawnAs = plate->Revision;
    ASSERT_TRUE(doc.set.SwapGroups(0, 2));
    EXPECT_EQ(plate->Group, 0);
    EXPECT_EQ(plate->Kind, FragmentKind::Text);
    // A kept image of the plate is not shown for the text card it became.
    EXPECT_NE(plate->Revision, drawnAs);
    EXPECT_TRUE(doc.set.GroupLines.empty());
    EXPECT_EQ(doc.set.GroupTable[2].Count, 1);
}

TEST(FragSetGroups, SetGroupLineValidatesReusesThePairAndSanitizesDefaults) {
    TestDoc doc;
    EXPECT_FALSE(doc.set.SetGroupLine(5, 5));
    EXPECT_FALSE(doc.set.SetGroupLine(0, 3));
    EXPECT_FALSE(doc.set.SetGroupLine(3, 101));
    EXPECT_FALSE(doc.set.Modified);
    doc.env.DefGLineType = 3;
    doc.env.DefGLineWidth = 5;
    ASSERT_TRUE(doc.set.SetGroupLine(3, 7));
    doc.env.DefGLineType = 2;
    doc.env.DefGLineWidth = -1;
    ASSERT_TRUE(doc.set.SetGroupLine(7, 3));
    ASSERT_EQ(doc.set.GroupLines.size(), 1u);
    EXPECT_EQ(doc.set.GroupLines[0].From, 7);
    EXPECT_EQ(doc.set.GroupLines[0].To, 3);
    EXPECT_EQ(doc.set.GroupLines[0].Type, 2);
    EXPECT_EQ(doc.set.GroupLines[0].Width, -1);
    EXPECT_TRUE(doc.set.Modified);
    // A broken setting must not produce a line the file cannot hold.
    doc.env.DefGLineType = 9;
    doc.env.DefGLineWidth = 0;
    doc.set.SetGroupLine(1, 2);
    EXPECT_EQ(doc.set.GroupLines[1].Type, 1);
    EXPECT_EQ(doc.set.GroupLines[1].Width, 1);
}

// ---- Orders ----

TEST(FragSetOrder, PicturesGoToTheBackOnlyWithImageIsBack) {
    TestDoc doc;
    Fragment* t = doc.Add("t", 1, 0, 0);
    Fragment* i = doc.Add("", 1, 0, 0, 1, 1, FragmentKind::Image);
    EXPECT_TRUE(doc.set.ZOrderLess(*t, *i));
    doc.env.ImageIsBack = true;
    EXPECT_TRUE(doc.set.ZOrderLess(*i, *t));
    doc.set.SortByZOrder();
    EXPECT_EQ(doc.set.Fragments().front().get(), i);
}

TEST(FragSetOrder, ReadingOrderGoesDownAColumnThenAcross) {
    TestDoc doc;
    // Two columns: a (0..64) over b, and c at x 100 above both.
    Fragment* a = doc.Add("a", 1, 0, 100);
    Fragment* b = doc.Add("b", 1, 20, 200);
    Fragment* c = doc.Add("c", 1, 100, 0);
    // Overlap of exactly half the narrower width is not enough for one column.
    Fragment* d = doc.Add("d", 1, 132, 10);
    EXPECT_TRUE(FragSet::PositionLess(*a, *b));
    EXPECT_TRUE(FragSet::PositionLess(*b, *c));
    EXPECT_FALSE(FragSet::PositionLess(*d, *c));
    doc.set.SelectAll(true);
    ASSERT_EQ(doc.set.SelectionList.size(), 4u);
    EXPECT_EQ(doc.set.SelectionList[0], a);
    EXPECT_EQ(doc.set.SelectionList[1], b);
    EXPECT_EQ(doc.set.SelectionList[2], c);
    EXPECT_EQ(doc.set.SelectionList[3], d);
}

TEST(FragSetOrder, SortingByReadingOrderSurvivesItsLackOfTransitivity) {
    TestDoc doc;
    for (int i = 0; i < 300; ++i)
        doc.Add("x", 1 + i % 5, (i * 37) % 700, (i * 53) % 900, 1 + i % 12);
    EXPECT_EQ(doc.set.SelectAll(true), 300);
}

// ---- Selection ----

TEST(FragSetSelect, RectangleSelectsEnclosedOrTouchedAndNeverDeselects) {
    TestDoc doc;
    Fragment* inside = doc.Add("in", 1, 10, 10);  // 64 x 21
    Fragment* partly = doc.Add("pt", 1, 90, 10);  // reaches past x 120
    Fragment* outside = doc.Add("out", 1, 400, 400);
    outside->SetSelected(true);
    doc.set.SelectInRect(Rect{120, 40, 0, 0});  // given backwards
    EXPECT_TRUE(inside->Selected);
    EXPECT_FALSE(partly->Selected);
    EXPECT_TRUE(outside->Selected);
    doc.env.FrameAllSelect = true;
    doc.set.SelectInRect(Rect{0, 0, 120, 40});
    EXPECT_TRUE(partly->Selected);
    EXPECT_EQ(doc.set.SelectionList.size(), 3u);
}

TEST(FragSetSelect, RectangleOf64SquarePixelsOrLessIsAClick) {
    TestDoc doc;
    Fragment* f = doc.Add("a", 1, 10, 10);
    doc.env.FrameAllSelect = true;
    doc.set.SelectInRect(Rect{12, 12, 20, 20});  // exactly 64
    EXPECT_FALSE(f->Selected);
    doc.set.SelectInRect(Rect{12, 12, 21, 20});  // 72
    EXPECT_TRUE(f->Selected);
}

TEST(FragSetSelect, HiddenCardsAreNeverSelected) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 10, 10);
    Fragment* b = doc.Add("b", 2, 10, 10);
    doc.set.GroupTable[2].Shown = false;
    doc.Refresh();
    EXPECT_EQ(doc.set.SelectAll(true), 1);
    EXPECT_TRUE(a->Selected);
    EXPECT_FALSE(b->Selected);
    doc.set.SelectInRect(Rect{0, 0, 500, 500});
    EXPECT_FALSE(b->Selected);
    doc.set.SelectByColour(b->ColBG);
    EXPECT_FALSE(b->Selected);
}

TEST(FragSetSelect, SelectGroupLiftsTheGroupAndItsNamePlateToTheTop) {
    TestDoc doc;
    Fragment* plate = doc.Add("P", 4, 0, 0, 10, 1, FragmentKind::NamePlate);
    Fragment* a = doc.Add("a", 4, 0, 40);
    Fragment* other = doc.Add("o", 1, 0, 40);
    doc.set.Recount();
    doc.set.SelectGroup(4, false);
    EXPECT_TRUE(plate->Selected);
    EXPECT_TRUE(a->Selected);
    EXPECT_FALSE(other->Selected);
    EXPECT_EQ(doc.set.Fragments().back().get(), plate);
    EXPECT_GT(a->ZOrder, other->ZOrder);
    EXPECT_TRUE(doc.set.GroupTable[4].HasSelected);
    EXPECT_FALSE(doc.set.GroupTable[1].HasSelected);
}

TEST(FragSetSelect, FindMatchesWordsAnyOrAllWithCaseAndMarksTheFirst) {
    TestDoc doc;
    // "アイデア" in code page 932 and a full-width blank between words.
    const std::string idea = "\x83\x41\x83\x43\x83\x66\x83\x41";
    Fragment* a = doc.Add("Plan " + idea, 1, 10, 10);
    Fragment* b = doc.Add("plan later", 1, 10, 100);
    Fragment* c = doc.Add(idea, 2, 200, 10);
    const std::string both = "plan\x81\x40" + idea;

    EXPECT_EQ(doc.set.SelectByText(both, -1, false), 3);  // any word, any case
    doc.env.FindAndSw = true;
    EXPECT_EQ(doc.set.SelectByText(both, -1, false), 1);
    EXPECT_TRUE(a->Selected);
    EXPECT_FALSE(b->Selected);
    EXPECT_EQ(doc.set.MarkedFragment(), a);
    EXPECT_EQ(doc.set.SelCursor, 0);
    doc.env.FindAndSw = false;
    doc.env.FindCaseSw = true;
    EXPECT_EQ(doc.set.SelectByText("plan", -1, false), 1);
    EXPECT_TRUE(b->Selected);
    EXPECT_FALSE(a->Selected);
    EXPECT_EQ(doc.set.SelectByText("", 2, false), 1);
    EXPECT_TRUE(c->Selected);
    EXPECT_TRUE(b->Selected);  // other groups are left alone
}

TEST(FragSetSelect, FindWithinSelectionOnlyNarrows) {
    TestDoc doc;
    Fragment* a = doc.Add("apple", 1, 10, 10);
    Fragment* b = doc.Add("banana", 1, 10, 100);
    Fragment* c = doc.Add("apricot", 1, 10, 200);
    a->SetSelected(true);
    b->SetSelected(true);
    doc.set.RebuildSelection();
    EXPECT_EQ(doc.set.SelectByText("ap", -1, true), 1);
    EXPECT_TRUE(a->Selected);
    EXPECT_FALSE(b->Selected);
    EXPECT_FALSE(c->Selected);
}

TEST(FragSetSelect, FindNeverMatchesAcrossACharacterBoundary) {
    TestDoc doc;
    // "ソ" is 0x83 0x5C: its trail byte is a backslash.
    Fragment* f = doc.Add("\x83\x5c", 1, 10, 10);
    EXPECT_EQ(doc.set.SelectByText("\\", -1, false), 0);
    EXPECT_FALSE(f->Selected);
}

// ---- Queries and hit tests ----

TEST(FragSetQuery, NearestToCentreTopLeftByLinkAndFullySelectedGroup) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 0, 0);
    Fragment* b = doc.Add("b", 1, 100, 100);
    Fragment* c = doc.Add("c", 2, 200, 200);
    doc.Add("d", 2, 300, 50);
    doc.Add("e", 3, 300, 300);
    a->Link = "C:\\Memo\\A.txt";
    doc.set.SelectAll(true);
    b->SetSelected(false);
    doc.Add("f", 3, 0, 0);
    doc.set.RebuildSelection();
    EXPECT_EQ(FragSet::TopLeft(doc.set.SelectionList), (Point{0, 0}));
    EXPECT_EQ(doc.set.NearestToSelectionCentre(), c);
    EXPECT_EQ(doc.set.FragmentByLink("c:\\memo\\a.TXT"), a);
    EXPECT_EQ(doc.set.FragmentByLink(""), nullptr);
    EXPECT_EQ(doc.set.FullySelectedGroup(), 2);  // group 1 lacks b, group 3 lacks f
}

TEST(FragSetQuery, FragmentAtTakesTheTopmostVisibleCard) {
    TestDoc doc;
    Fragment* low = doc.Add("low", 1, 10, 10);
    Fragment* high = doc.Add("high", 1, 20, 15);
    EXPECT_EQ(doc.set.FragmentAt(25, 20), high);
    EXPECT_EQ(doc.set.FragmentAt(12, 12), low);
    EXPECT_EQ(doc.set.FragmentAt(73, 12), low);
    EXPECT_EQ(doc.set.FragmentAt(83, 20), high);
    EXPECT_EQ(doc.set.FragmentAt(84, 20), nullptr);  // right edge is exclusive
    high->Visible = false;
    EXPECT_EQ(doc.set.FragmentAt(25, 20), low);
}

TEST(FragSetQuery, CentreOnScrollsMarksAndUnmarks) {
    TestDoc doc;
    doc.Add("far", 1, 1900, 1400);
    Fragment* f = doc.Add("mid", 1, 1000, 700);
    doc.set.RedrawAll();
    doc.set.CentreOn(f, true);
    EXPECT_EQ(doc.view.PosX, 1000 + 32 - 320);
    EXPECT_EQ(doc.view.PosY, 700 + 10 - 240);
    EXPECT_EQ(f->ScreenRect.Left, 1000 - doc.view.PosX);
    EXPECT_TRUE(f->Marked);
    EXPECT_EQ(doc.set.Fragments().back().get(), f);
    doc.set.SelCursor = 3;
    doc.set.CentreOn(f, false);
    EXPECT_FALSE(f->Marked);
    EXPECT_EQ(doc.set.MarkedFragment(), nullptr);
    EXPECT_EQ(doc.set.SelCursor, -1);
}

// ---- Visibility and page size ----

TEST(FragSetVisibility, HiddenGroupsHideTheirCardsAndNamePlatesFollowTheSwitches) {
    TestDoc doc;
    Fragment* card = doc.Add("c", 2, 10, 10);
    Fragment* plate = doc.Add("P", 2, 10, 50, 10, 1, FragmentKind::NamePlate);
    Fragment* other = doc.Add("o", 3, 10, 100);
    card->SetSelected(true);
    doc.set.RebuildSelection();
    doc.set.GroupTable[2].Shown = false;
    doc.Refresh();
    EXPECT_FALSE(card->Visible);
    EXPECT_FALSE(card->Selected);
    EXPECT_TRUE(doc.set.SelectionList.empty());
    EXPECT_FALSE(plate->Visible);
    EXPECT_TRUE(other->Visible);

    doc.env.HideNamePlate = false;  // plates always shown
    doc.Refresh();
    EXPECT_TRUE(plate->Visible);
    doc.env.NamePlate = false;
    doc.Refresh();
    EXPECT_FALSE(plate->Visible);
}

TEST(FragSetVisibility, RefreshLiftsNamePlatesAboveTheirGroups) {
    TestDoc doc;
    Fragment* plate = doc.Add("P", 2, 10, 10, 10, 1, FragmentKind::NamePlate);
    doc.Add("c", 2, 10, 10);
    doc.Refresh();
    EXPECT_EQ(doc.set.Fragments().back().get(), plate);
    EXPECT_EQ(doc.set.FragmentAt(15, 15), plate);
}

TEST(FragSetSize, WholeSizeFollowsVisibleCardsOrTheFixedPage) {
    TestDoc doc;
    EXPECT_EQ(doc.set.UsedWidth, 1);
    doc.Add("a", 1, 1000, 500);
    Fragment* hidden = doc.Add("h", 2, 3000, 3000);
    doc.set.GroupTable[2].Shown = false;
    doc.Refresh();
    EXPECT_FALSE(hidden->Visible);
    EXPECT_EQ(doc.set.UsedWidth, 1064);
    EXPECT_EQ(doc.set.UsedHeight, 521);
    EXPECT_EQ(doc.set.WholeWidth, 1064);
    EXPECT_EQ(doc.view.RangeX, 1084);
    EXPECT_EQ(doc.view.RangeY, 541);
    doc.set.FixedSize = true;
    doc.set.ComputeWholeSize();
    EXPECT_EQ(doc.set.WholeWidth, 2000);
    EXPECT_EQ(doc.set.WholeHeight, 1500);
    EXPECT_EQ(doc.view.RangeX, 2020);
    EXPECT_FALSE(doc.set.ShowDivLines);
}

TEST(FragSetSize, DivisionLinesSplitThePageAndFollowTheScroll) {
    TestDoc doc;
    doc.set.FixedSize = true;
    doc.set.DivColumns = 3;
    doc.set.DivRows = 2;
    doc.set.ComputeWholeSize();
    ASSERT_TRUE(doc.set.ShowDivLines);
    std::vector<std::pair<Point, Point>> lines;
    doc.set.DivisionLines(2000, 1500, Point{100, 50}, lines);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].first, (Point{566, -50}));
    EXPECT_EQ(lines[0].second, (Point{566, 1450}));
    EXPECT_EQ(lines[1].first.X, 1232);
    EXPECT_EQ(lines[2].first, (Point{-100, 700}));
    EXPECT_EQ(lines[2].second, (Point{1900, 700}));

    // A grid count from a corrupt file draws nothing instead of looping for ever.
    lines.clear();
    doc.set.DivColumns = 2000000000;
    doc.set.DivRows = 1;
    doc.set.DivisionLines(2000, 1500, Point{}, lines);
    EXPECT_TRUE(lines.empty());
    doc.env.DivLine = false;
    doc.set.DivColumns = 3;
    doc.set.ComputeWholeSize();
    EXPECT_FALSE(doc.set.ShowDivLines);
}

TEST(FragSetSize, NewFragmentPositionsFollowNewPositionAndStepPerCard) {
    TestDoc doc;  // 640 x 480 client, fragment font 15 px, FrgWidth 12
    EXPECT_EQ(doc.set.NewFragmentPosition(12, 3, 0), (Point{4, 4}));
    EXPECT_EQ(doc.set.NewFragmentPosition(12, 3, 5), (Point{9, 9}));
    EXPECT_EQ(doc.set.NewFragmentPosition(12, 3, 101), (Point{4 + 188 + 1, 5}));
    doc.env.NewPosition = 5;
    EXPECT_EQ(doc.set.NewFragmentPosition(12, 3, 0), (Point{(640 - 184) / 2, (480 - 59) / 2}));
    doc.env.NewPosition = 9;
    EXPECT_EQ(doc.set.NewFragmentPosition(12, 3, 0), (Point{640 - 186, 480 - 59}));
    doc.view.RangeX = doc.view.RangeY = 5000;
    doc.view.PosX = 300;
    doc.view.PosY = 200;
    EXPECT_EQ(doc.set.NewFragmentPosition(12, 3, 0), (Point{640 - 186 + 300, 480 - 59 + 200}));
    // A window narrower than the card keeps it on the page.
    doc.view.PosX = doc.view.PosY = 0;
    doc.view.Width = 100;
    EXPECT_EQ(doc.set.NewFragmentPosition(12, 3, 0).X, 0);
}

// ---- Paint order ----

struct Recorder : PaintVisitor {
    std::vector<std::string> Calls;
    void DivisionLines() override { Calls.push_back("div"); }
    void Card(const Fragment& f, bool selectedPass) override {
        Calls.push_back((selectedPass ? "sel:" : "card:") + f.Text);
    }
    void Frame(int group, const GroupEntry&) override {
        Calls.push_back("frame:" + std::to_string(group));
    }
    void GroupLine(int index, const ArrowLine&, bool selected) override {
        Calls.push_back("line:" + std::to_string(index) + (selected ? "*" : ""));
    }
};

TEST(FragSetPaint, OrderIsDivisionLinesCardsSelectedCardsFramesLines) {
    TestDoc doc;
    doc.env.ImageIsBack = true;
    doc.set.FixedSize = true;
    doc.set.DivColumns = 2;
    Fragment* a = doc.Add("a", 1, 10, 10);
    Fragment* pic = doc.Add("pic", 1, 10, 60, 1, 1, FragmentKind::Image);
    doc.Add("b", 2, 300, 10);
    Fragment* hidden = doc.Add("hidden", 3, 300, 300);
    doc.set.Recount();
    doc.set.SetGroupLine(1, 2);
    a->SetSelected(true);
    pic->SetSelected(true);
    doc.set.GroupTable[3].Shown = false;
    doc.set.RefreshVisibility();
    ASSERT_FALSE(hidden->Visible);
    doc.set.SelectedLine = 0;
    Recorder r;
    doc.set.PaintOrder(r);
    const std::vector<std::string> expected{"div",     "card:pic", "card:b", "sel:a",
                                            "frame:1", "frame:2",  "line:0*"};
    EXPECT_EQ(r.Calls, expected);

    Recorder clipped;
    const Rect clip{250, 0, 640, 100};
    PaintScope scope;
    scope.ScreenClip = &clip;
    doc.set.PaintOrder(clipped, scope);
    EXPECT_EQ(clipped.Calls[1], "card:b");
    EXPECT_EQ(clipped.Calls[2], "frame:1");
}

TEST(FragSetPaint, PaperTakesListOrderAndOnlyLinesBetweenCountingShownGroups) {
    TestDoc doc;
    doc.env.ImageIsBack = true;
    Fragment* a = doc.Add("a", 1, 10, 10);
    doc.Add("pic", 1, 10, 60, 1, 1, FragmentKind::Image);
    doc.Add("b", 2, 300, 10);
    doc.Add("hidden", 3, 300, 300);
    doc.set.Recount();
    doc.set.SetGroupLine(1, 2);
    doc.set.SetGroupLine(1, 3);
    a->SetSelected(true);
    doc.set.RefreshVisibility();
    doc.set.GroupTable[3].Shown = false;
    doc.set.RefreshVisibility();
    // A line the window still shows by mistake must not reach paper.
    doc.set.GroupLines[1].Drawn = true;

    PaintScope paper;
    paper.SelectedLast = false;
    paper.DrawnLinesOnly = false;
    Recorder r;
    doc.set.PaintOrder(r, paper);
    const std::vector<std::string> expected{"card:pic", "card:a",  "card:b",
                                            "frame:1",  "frame:2", "line:0"};
    EXPECT_EQ(r.Calls, expected);

    std::array<bool, kGroupRows> groups{};
    groups[1] = true;
    paper.Groups = &groups;
    Recorder one;
    doc.set.PaintOrder(one, paper);
    const std::vector<std::string> onlyGroupOne{"card:pic", "card:a", "frame:1"};
    EXPECT_EQ(one.Calls, onlyGroupOne);

    const Rect docClip{250, 0, 400, 100};
    paper.Groups = nullptr;
    paper.DocClip = &docClip;
    Recorder clipped;
    doc.set.PaintOrder(clipped, paper);
    EXPECT_EQ(clipped.Calls[0], "card:b");
}

}  // namespace
}  // namespace qv
