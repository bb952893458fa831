// The editing operations the document window's tools and keys call.
#include <gtest/gtest.h>

#include "core/model/frag_set.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

using test::TestDoc;

void Select(FragSet& set, std::initializer_list<Fragment*> cards) {
    set.SelectAll(false);
    for (Fragment* f : cards)
        f->SetSelected(true);
    set.RebuildSelection();
}

TEST(GroupSelection, CardsOfNoGroupBecomeTheLowestEmptyGroupAndAreDeselected) {
    TestDoc doc;
    doc.Add("a", 1, 10, 10);
    Fragment* b = doc.Add("b", 0, 100, 10);
    Fragment* c = doc.Add("c", 0, 200, 10);
    doc.Add("d", 3, 300, 10);
    doc.Refresh();
    // Group 2 was emptied and switched off earlier: the new group must show all the same.
    doc.set.GroupTable[2].Shown = false;
    Select(doc.set, {b, c});
    EXPECT_EQ(doc.set.GroupSelection(), GroupingResult::Grouped);
    EXPECT_EQ(b->Group, 2);
    EXPECT_EQ(c->Group, 2);
    EXPECT_TRUE(doc.set.GroupTable[2].Shown);
    EXPECT_TRUE(doc.set.SelectionList.empty());
    EXPECT_TRUE(doc.set.Modified);
    doc.Refresh();
    EXPECT_TRUE(b->Visible);
}

TEST(GroupSelection, AWholeGroupWithMoreCardsTakesThemInAndAnExactGroupStaysAsItIs) {
    TestDoc doc;
    Fragment* a1 = doc.Add("a1", 4, 10, 10);
    Fragment* a2 = doc.Add("a2", 4, 10, 40);
    Fragment* b1 = doc.Add("b1", 5, 200, 10);
    Fragment* loose = doc.Add("x", 0, 300, 10);
    doc.Refresh();

    // Groups 4 (two members) and 5 (one) are whole: the larger one wins.
    Select(doc.set, {a1, a2, b1, loose});
    EXPECT_EQ(doc.set.GroupSelection(), GroupingResult::Grouped);
    EXPECT_EQ(b1->Group, 4);
    EXPECT_EQ(loose->Group, 4);
    EXPECT_TRUE(doc.set.SelectionList.empty());

    // Exactly group 4 selected: nothing happens and the selection stays.
    doc.set.Modified = false;
    Select(doc.set, {a1, a2, b1, loose});
    EXPECT_EQ(doc.set.GroupSelection(), GroupingResult::Nothing);
    EXPECT_EQ(doc.set.SelectionList.size(), 4u);
    EXPECT_FALSE(doc.set.Modified);

    // Part of a group only: no group is whole, so the part becomes a new group.
    Select(doc.set, {a1, a2});
    EXPECT_EQ(doc.set.GroupSelection(), GroupingResult::Grouped);
    EXPECT_EQ(a1->Group, 1);
    EXPECT_EQ(b1->Group, 4);

    EXPECT_EQ(doc.set.GroupSelection(), GroupingResult::Nothing);  // nothing selected
    Select(doc.set, {a1, loose});
    doc.set.ReadOnly = true;
    EXPECT_EQ(doc.set.GroupSelection(), GroupingResult::Nothing);
    EXPECT_EQ(loose->Group, 4);
}

TEST(GroupSelection, WithEveryGroupInUseNothingChangesAndTheSelectionStays) {
    TestDoc doc;
    for (int g = 1; g <= kMaxGroup; ++g)
        doc.Add("g", g, 10 + (g % 10) * 60, 10 + (g / 10) * 30);
    Fragment* x = doc.Add("x", 0, 10, 400);
    Fragment* y = doc.Add("y", 7, 100, 400);
    doc.Refresh();
    EXPECT_EQ(doc.set.FirstEmptyGroup(), 0);
    Select(doc.set, {x, y});
    doc.set.Modified = false;
    EXPECT_EQ(doc.set.GroupSelection(), GroupingResult::NoFreeGroup);
    EXPECT_EQ(x->Group, 0);
    EXPECT_EQ(y->Group, 7);
    EXPECT_EQ(doc.set.SelectionList.size(), 2u);
    EXPECT_FALSE(doc.set.Modified);
}

TEST(PickOut, CtrlDuringADragTakesTheCardsOutOfTheirFrameAndReleaseBringsThemBack) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 100, 100);
    doc.Add("b", 1, 100, 200);
    doc.Refresh();
    const Rect whole = doc.set.GroupTable[1].MemberUnion;

    const int mapRefreshes = doc.world.host.MapRefreshes;
    doc.set.CtrlChangedWhileDragging(true);  // no drag: nothing
    EXPECT_EQ(doc.world.host.MapRefreshes, mapRefreshes);

    doc.set.PressFragment(a, MouseButton::Left, 110, 110, {});
    ASSERT_TRUE(doc.set.Dragging());
    doc.env.MoveCurosr = static_cast<int>(CursorShape::GrabRight);
    doc.view.Ctrl = true;
    doc.set.CtrlChangedWhileDragging(true);
    EXPECT_EQ(doc.view.Cursor, CursorShape::PickRight);
    EXPECT_EQ(doc.set.GroupTable[1].MemberUnion.Top, 200);  // a left the frame
    doc.view.Ctrl = false;
    doc.set.CtrlChangedWhileDragging(false);
    EXPECT_EQ(doc.view.Cursor, CursorShape::GrabRight);
    EXPECT_EQ(doc.set.GroupTable[1].MemberUnion, whole);

    // Released during a group drag (a press with Ctrl): the group drag ends too.
    doc.set.ReleaseDrag(a, {});
    doc.set.PressFragment(a, MouseButton::Left, 110, 110, ShiftState{.Ctrl = true});
    ASSERT_TRUE(doc.set.CurrentGesture().GroupDrag);
    doc.set.CtrlChangedWhileDragging(false);
    EXPECT_FALSE(doc.set.CurrentGesture().GroupDrag);
    EXPECT_EQ(doc.view.Cursor, CursorShape::GrabRight);

    // A group drag has nothing to pick out.
    doc.set.ReleaseDrag(a, {});
    doc.set.PressFragment(a, MouseButton::Left, 110, 110, ShiftState{.Ctrl = true});
    doc.view.Ctrl = true;
    doc.set.CtrlChangedWhileDragging(true);
    EXPECT_EQ(doc.view.Cursor, CursorShape::GrabRight);
}

TEST(Brush, ASelectedCardPaintsTheSelectionAnotherOnlyItselfAndNothingOnReadOnly) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 10, 10);
    Fragment* b = doc.Add("b", 1, 100, 10);
    Fragment* c = doc.Add("c", 1, 200, 10);
    doc.Refresh();
    Select(doc.set, {a, b});
    EXPECT_TRUE(doc.set.PaintBackground(c, 0x00FF00));
    EXPECT_EQ(c->ColBG, 0x00FF00u);
    EXPECT_NE(a->ColBG, 0x00FF00u);
    EXPECT_TRUE(doc.set.SelectionList.empty());
    EXPECT_TRUE(doc.set.Modified);

    Select(doc.set, {a, b});
    EXPECT_TRUE(doc.set.PaintBackground(a, 0x0000FF));
    EXPECT_EQ(a->ColBG, 0x0000FFu);
    EXPECT_EQ(b->ColBG, 0x0000FFu);
    EXPECT_EQ(c->ColBG, 0x00FF00u);

    doc.set.ReadOnly = true;
    EXPECT_FALSE(doc.set.PaintBackground(c, 0x123456));
    EXPECT_EQ(c->ColBG, 0x00FF00u);
    EXPECT_FALSE(doc.set.PaintBackground(nullptr, 0x123456));
}

struct TwoGroupsWithALine : TestDoc {
    TwoGroupsWithALine() {
        Add("a", 1, 100, 100);
        Add("b", 2, 400, 100);
        Refresh();
        set.SetGroupLine(1, 2);
        set.RedrawAll();
    }
    Point Middle() const {
        const ArrowLine& l = set.GroupLines.at(0);
        return Point{(l.WinStart.X + l.WinEnd.X) / 2, (l.WinStart.Y + l.WinEnd.Y) / 2};
    }
};

TEST(GroupLines, SelectingRestylingAndDeletingTheLineUnderThePointer) {
    TwoGroupsWithALine doc;
    const Point m = doc.Middle();
    doc.view.Reset();
    EXPECT_EQ(doc.set.SelectGroupLineAt(m.X, m.Y), 0);
    EXPECT_EQ(doc.set.SelectedLine, 0);
    EXPECT_TRUE(doc.view.Covered(m.X, m.Y));  // repainted in the highlight colour
    EXPECT_EQ(doc.set.SelectGroupLineAt(m.X, m.Y + 100), -1);

    doc.set.Modified = false;
    EXPECT_TRUE(doc.set.SetGroupLineStyle(0, 3, std::nullopt));
    EXPECT_EQ(doc.set.GroupLines[0].Type, 3);
    EXPECT_EQ(doc.set.GroupLines[0].Width, 1);
    EXPECT_TRUE(doc.set.GroupLines[0].Drawn);  // routed and drawn again
    EXPECT_TRUE(doc.set.SetGroupLineStyle(0, std::nullopt, kDottedWidth));
    EXPECT_EQ(doc.set.GroupLines[0].Width, -1);
    EXPECT_TRUE(doc.set.SetGroupLineStyle(0, 9, 0));  // out of range: left as is
    EXPECT_EQ(doc.set.GroupLines[0].Type, 3);
    EXPECT_EQ(doc.set.GroupLines[0].Width, -1);
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_FALSE(doc.set.SetGroupLineStyle(1, 1, 1));

    // Delete takes the selected line and leaves the selected cards alone.
    doc.set.Fragments().front()->SetSelected(true);
    doc.set.RebuildSelection();
    doc.set.SelectGroupLineAt(m.X, m.Y);
    EXPECT_TRUE(doc.set.DeleteSelectionOrLine());
    EXPECT_TRUE(doc.set.GroupLines.empty());
    EXPECT_EQ(doc.set.SelectedLine, -1);
    EXPECT_EQ(doc.set.Count(), 2);
    // Then the cards.
    EXPECT_TRUE(doc.set.DeleteSelectionOrLine());
    EXPECT_EQ(doc.set.Count(), 1);
    EXPECT_FALSE(doc.set.DeleteSelectionOrLine());  // nothing left selected
}

TEST(GroupLines, ReadOnlyDocumentsKeepLinesAndCards) {
    TwoGroupsWithALine doc;
    const Point m = doc.Middle();
    doc.set.SelectAll(true);
    doc.set.SelectGroupLineAt(m.X, m.Y);
    doc.set.ReadOnly = true;
    EXPECT_FALSE(doc.set.DeleteSelectionOrLine());
    EXPECT_FALSE(doc.set.SetGroupLineStyle(0, 2, 3));
    EXPECT_EQ(doc.set.GroupLines.size(), 1u);
    EXPECT_EQ(doc.set.GroupLines[0].Type, 1);
    EXPECT_EQ(doc.set.Count(), 2);
}

}  // namespace
}  // namespace qv
