#include "core/commands/selection_menus.h"

#include <gtest/gtest.h>

#include "core/model/frag_buffer.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

TEST(GroupMenus, CaptionsHintsAndEnablingFollowTheDocument) {
    test::TestDoc doc;
    doc.Add("Plate", 2, 10, 10, 4, 1, FragmentKind::NamePlate);
    Fragment* sel = doc.Add("x", 3, 10, 60);
    doc.Refresh();
    sel->SetSelected(true);

    auto select = GroupSelectItems(&doc.set);
    ASSERT_EQ(select.size(), 40u);
    EXPECT_EQ(select[1].Caption, "&2:Plate");
    EXPECT_TRUE(select[1].Enabled);
    EXPECT_EQ(select[1].Hint.substr(0, 5), "Plate");
    EXPECT_FALSE(select[0].Enabled);  // empty group
    EXPECT_EQ(select[9].Caption.substr(0, 3), "&0:");
    EXPECT_EQ(select[10].Caption.substr(0, 2), "  ");
    EXPECT_TRUE(select[20].ColumnBreak);
    doc.set.GroupTable[2].Shown = false;
    EXPECT_FALSE(GroupSelectItems(&doc.set)[1].Enabled);

    auto move = GroupMoveItems(&doc.set);
    EXPECT_FALSE(move[2].Enabled);  // the selection's own group
    EXPECT_TRUE(move[0].Enabled);

    // Without a document every item is a plain, disabled group name.
    auto none = GroupSelectItems(nullptr);
    EXPECT_FALSE(none[4].Enabled);
    EXPECT_EQ(none[4].Caption, std::string(kGroupWord) + "  5");
}

TEST(GroupMenus, ANameKeepsItsAmpersandsAndTabsOutOfTheMenuMarkup) {
    test::TestDoc doc;
    doc.Add("R&D\tplan", 2, 10, 10, 4, 1, FragmentKind::NamePlate);
    doc.Add("x", 2, 10, 60);
    doc.Refresh();
    EXPECT_EQ(GroupSelectItems(&doc.set)[1].Caption, "&2:R&&D plan");
    EXPECT_EQ(GroupMoveItems(&doc.set)[1].Caption, "&2:R&&D plan");
    // The hint is no menu text: it keeps the name as it is.
    EXPECT_EQ(GroupSelectItems(&doc.set)[1].Hint.substr(0, 8), "R&D\tplan");
}

TEST(ColourMenu, OffersTheFirstTwentyColoursInListOrderAndNeverNoColour) {
    test::TestDoc doc;
    for (int i = 0; i < 25; ++i) {
        Fragment* f = doc.Add("c", 1, 10 * i, 10);
        f->ColBG = static_cast<Color>(i % 23);  // 23 distinct, two repeated
    }
    Fragment* pic = doc.Add("", 1, 0, 300, 1, 1, FragmentKind::Image);
    pic->ColBG = kNoColor;
    const auto colours = BackgroundColours(doc.set);
    ASSERT_EQ(colours.size(), 20u);
    EXPECT_EQ(colours[0], 0u);
    EXPECT_EQ(colours[19], 19u);
    EXPECT_EQ(ColourItemCaption(0), "&1:");
    EXPECT_EQ(ColourItemCaption(9), "&0:");
    EXPECT_EQ(ColourItemCaption(10), "");
}

TEST(WindowMenu, NeverListsTheActiveWindowAndDisablesReadOnlyTargets) {
    std::vector<WindowEntry> windows = {
        {"A", false, false}, {"B", false, true}, {"C", true, false}};
    auto items = MoveToWindowItems(windows);
    ASSERT_EQ(items.size(), 40u);
    EXPECT_TRUE(items[0].Visible);
    EXPECT_EQ(items[0].Caption, "&1:A");
    EXPECT_FALSE(items[1].Visible);
    EXPECT_EQ(items[2].Caption, "&2:C");
    EXPECT_FALSE(items[2].Enabled);
    EXPECT_FALSE(items[3].Visible);
}

TEST(WindowMenu, MovingCutsAndPastesThroughTheBufferAndKeepsTheCopies) {
    test::TestWorld world;
    test::FakeView v1, v2;
    FragSet from(world.Context(v1)), to(world.Context(v2));
    from.RedrawAll();
    to.RedrawAll();
    FragBuffer buffer(world.env, world.prompts, world.clipboard);
    test::AddCard(from, "m", 1, 10, 10)->SetSelected(true);
    test::AddCard(from, "stay", 1, 100, 10);
    from.RebuildSelection();
    EXPECT_TRUE(MoveToWindowEnabled(&from, 2));
    EXPECT_FALSE(MoveToWindowEnabled(&from, 1));
    ASSERT_TRUE(MoveSelectionToDocument(from, to, buffer));
    EXPECT_EQ(from.Count(), 1);
    ASSERT_EQ(to.Count(), 1);
    EXPECT_EQ(to.Fragments()[0]->Text, "m");
    // The copies stay: pasting again gives a second one.
    buffer.PasteBuffer(to, false);
    EXPECT_EQ(to.Count(), 2);
    to.ReadOnly = true;
    test::AddCard(from, "n", 1, 10, 10)->SetSelected(true);
    EXPECT_FALSE(MoveSelectionToDocument(from, to, buffer));
}

TEST(Find, AndOrCaseFullWidthSpaceAndWithinTheSelection) {
    test::TestDoc doc;
    Fragment* ab = doc.Add("apple banana", 1, 10, 10);
    Fragment* a = doc.Add("Apple", 1, 100, 10);
    Fragment* b = doc.Add("banana", 1, 200, 10);
    Fragment* q = doc.Add("what?", 1, 300, 10);
    doc.Refresh();
    // A full-width space separates words too.
    const std::string words =
        "apple\x81\x40"
        "banana";
    EXPECT_EQ(FindInDocument(doc.set, words), 3);
    doc.env.FindAndSw = true;
    EXPECT_EQ(FindInDocument(doc.set, std::string("apple banana")), 1);
    EXPECT_TRUE(ab->Selected);
    doc.env.FindAndSw = false;
    doc.env.FindCaseSw = true;
    EXPECT_EQ(FindInDocument(doc.set, std::string("apple")), 1);
    doc.env.FindCaseSw = false;
    // With two or more selected, only they are searched.
    doc.set.SelectAll(false);
    b->SetSelected(true);
    q->SetSelected(true);
    EXPECT_EQ(FindInDocument(doc.set, std::string("a")), 2);
    EXPECT_EQ(FindInDocument(doc.set, std::string("apple")), 0);
    EXPECT_FALSE(a->Selected);
    // Words the code page cannot hold find nothing, not every "?".
    EXPECT_EQ(FindInDocument(doc.set, std::nullopt), 0);
    EXPECT_FALSE(q->Selected);
}

TEST(Find, PreviousAndNextStepThroughTheSelection) {
    test::TestDoc doc;
    for (int i = 0; i < 3; ++i)
        doc.Add("w", 1, 10 + 300 * i, 10);
    doc.Refresh();
    doc.set.SelectAll(true);
    doc.set.RebuildSelection();
    EXPECT_EQ(doc.set.SelCursor, -1);
    EXPECT_FALSE(CanStepSelection(doc.set, false));
    EXPECT_TRUE(StepSelection(doc.set, true));
    EXPECT_EQ(doc.set.SelCursor, 0);
    EXPECT_TRUE(StepSelection(doc.set, true));
    EXPECT_TRUE(StepSelection(doc.set, true));
    EXPECT_EQ(doc.set.SelCursor, 2);
    EXPECT_EQ(doc.set.MarkedFragment(), doc.set.SelectionList[2]);
    EXPECT_FALSE(StepSelection(doc.set, true));
    EXPECT_TRUE(StepSelection(doc.set, false));
    EXPECT_EQ(doc.set.SelCursor, 1);
}

TEST(LinePopup, RestylesTheSelectedLineOrSetsTheDefaults) {
    test::TestDoc doc;
    doc.Add("a", 1, 10, 10);
    doc.Add("b", 2, 300, 10);
    doc.Refresh();
    ASSERT_TRUE(doc.set.SetGroupLine(1, 2));
    // No line selected: the defaults change, the line stays.
    EXPECT_FALSE(LinePopup(doc.set).LineSelected);
    EXPECT_FALSE(ApplyLineItem(doc.set, doc.env, 12));
    EXPECT_EQ(doc.env.DefGLineWidth, 5);
    EXPECT_FALSE(ApplyLineItem(doc.set, doc.env, 2));
    EXPECT_EQ(doc.env.DefGLineType, 3);
    EXPECT_EQ(LinePopup(doc.set).Width, 5);
    const int oldWidth = doc.set.GroupLines[0].Width;
    EXPECT_NE(oldWidth, 9);
    doc.set.SelectedLine = 0;
    doc.set.Modified = false;
    EXPECT_TRUE(ApplyLineItem(doc.set, doc.env, 13));
    EXPECT_TRUE(ApplyLineItem(doc.set, doc.env, 3));
    EXPECT_TRUE(ApplyLineItem(doc.set, doc.env, -10));
    EXPECT_EQ(doc.set.GroupLines[0].Type, 4);
    EXPECT_EQ(doc.set.GroupLines[0].Width, -1);
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_FALSE(ApplyLineItem(doc.set, doc.env, 99));
    // A read-only document keeps its line as it is.
    doc.set.ReadOnly = true;
    EXPECT_FALSE(ApplyLineItem(doc.set, doc.env, 10));
    EXPECT_FALSE(DeleteSelectedLine(doc.set));
    EXPECT_EQ(doc.set.GroupLines[0].Width, -1);
    doc.set.ReadOnly = false;
    EXPECT_TRUE(DeleteSelectedLine(doc.set));
    EXPECT_TRUE(doc.set.GroupLines.empty());
    EXPECT_FALSE(DeleteSelectedLine(doc.set));
}

}  // namespace
}  // namespace qv
