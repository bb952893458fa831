// Whole presses, drags and releases driven through the fake view, as the document window does.
#include <gtest/gtest.h>

#include "core/model/frag_set.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

using test::TestDoc;

constexpr ShiftState kNone{};
constexpr ShiftState kShift{true, false, false};
constexpr ShiftState kCtrl{false, true, false};

// The window's part: find the card under the pointer and forward the message.
struct MouseDoc : TestDoc {
    void Press(int x, int y, ShiftState s = kNone, MouseButton b = MouseButton::Left) {
        Fragment* f = set.FragmentAt(x, y);
        if (f) set.BringToTop(f);
        set.PressFragment(f, b, x, y, s);
    }
    void Move(int x, int y, ShiftState s = kNone) {
        view.Ctrl = s.Ctrl;
        set.DragSelection(set.FragmentAt(x, y), x, y, s);
    }
    void Release(int x, int y, ShiftState s = kNone) {
        view.Ctrl = s.Ctrl;
        set.ReleaseDrag(set.FragmentAt(x, y), s);
        set.EraseGroupLines();
        set.UpdateGroupFrames();
        set.RepaintTouchedFrames();
    }
};

TEST(FragmentDrag, ThePageScrollingUnderADragKeepsTheCardUnderThePointer) {
    MouseDoc doc;
    Fragment* a = doc.Add("a", 1, 100, 100);
    doc.Add("far", 2, 2000, 2000);  // a page wide enough to scroll
    doc.Refresh();
    doc.set.RedrawAll();

    doc.Press(110, 110);
    ASSERT_TRUE(doc.set.Dragging());
    // The window scrolls by 50 while the pointer stays; the drag goes on from the same point.
    doc.view.SetScrollPosition(ScrollAxis::Horizontal, 50);
    doc.set.RedrawAll();
    doc.set.PageScrolled(50, 0);
    doc.set.DragSelection(nullptr, 110, 110, kNone);
    EXPECT_EQ(a->Left, 150);
    EXPECT_EQ(a->ScreenRect.Left, 100);
    doc.Release(110, 110);
    EXPECT_TRUE(doc.set.Modified);
}

TEST(FragmentDrag, ClickSelectsOneCardAndADragMovesItWithOneUndoStep) {
    MouseDoc doc;
    Fragment* a = doc.Add("a", 1, 100, 100);
    Fragment* b = doc.Add("b", 1, 300, 100);
    doc.Opened();
    b->SetSelected(true);
    doc.set.RebuildSelection();

    doc.Press(110, 110);
    EXPECT_TRUE(a->Selected);
    EXPECT_FALSE(b->Selected);
    EXPECT_TRUE(doc.set.Dragging());
    EXPECT_FALSE(doc.set.UndoAvailable());  // a press alone records nothing

    doc.view.Reset();
    doc.Move(120, 115);
    EXPECT_EQ(a->Left, 110);
    EXPECT_EQ(a->Top, 105);
    EXPECT_EQ(a->ScreenRect.Left, 110);
    EXPECT_TRUE(doc.view.Covered(100, 100));  // where it was
    EXPECT_TRUE(doc.view.Covered(170, 125));  // where it is
    EXPECT_EQ(doc.view.InvalidateAllCount, 0);
    for (int i = 1; i <= 5; ++i)
        doc.Move(120 + i * 10, 115);
    EXPECT_EQ(a->Left, 160);
    EXPECT_FALSE(doc.set.Modified);
    doc.Release(170, 115);
    EXPECT_FALSE(doc.set.Dragging());
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_EQ(a->Right, 224);

    doc.set.History().Undo();
    EXPECT_EQ(a->Left, 100);
    EXPECT_EQ(a->Top, 100);
    EXPECT_FALSE(doc.set.UndoAvailable());
    EXPECT_TRUE(doc.set.RedoAvailable());
    doc.set.History().Redo();
    EXPECT_EQ(a->Left, 160);
}

TEST(FragmentDrag, APressInsideAMultipleSelectionDragsAllOfIt) {
    MouseDoc doc;
    Fragment* a = doc.Add("a", 1, 100, 100);
    Fragment* b = doc.Add("b", 2, 300, 300);
    doc.Refresh();
    doc.set.SelectAll(true);
    doc.Press(110, 110);
    EXPECT_TRUE(b->Selected);
    doc.Move(130, 90);
    doc.Release(130, 90);
    EXPECT_EQ(a->Left, 120);
    EXPECT_EQ(a->Top, 80);
    EXPECT_EQ(b->Left, 320);
    EXPECT_EQ(b->Top, 280);
}

TEST(FragmentDrag, AMoveThatWouldPushAnyCardOffThePageMovesNone) {
    MouseDoc doc;
    Fragment* a = doc.Add("a", 1, 10, 100);
    Fragment* b = doc.Add("b", 1, 200, 100);
    doc.Opened();
    doc.set.SelectAll(true);
    doc.Press(210, 110);
    doc.Move(190, 110);  // a would reach x -10
    EXPECT_EQ(a->Left, 10);
    EXPECT_EQ(b->Left, 200);
    EXPECT_EQ(doc.view.Cursor, CursorShape::NotAllowed);
    doc.Move(205, 110);  // measured from the press point, which stayed
    EXPECT_EQ(a->Left, 5);
    EXPECT_EQ(b->Left, 195);
    EXPECT_NE(doc.view.Cursor, CursorShape::NotAllowed);
    doc.Move(180, 90);  // again blocked, now by x
    doc.Move(200, 90);
    doc.Release(200, 90);
    EXPECT_EQ(a->Left, 0);
    EXPECT_EQ(a->Top, 80);
    // Blocked steps took no undo steps of their own.
    doc.set.History().Undo();
    EXPECT_EQ(a->Left, 10);
    EXPECT_EQ(a->Top, 100);
    EXPECT_FALSE(doc.set.UndoAvailable());
}

TEST(FragmentDrag, AFixedPageBlocksAtItsRightAndBottomEdges) {
    MouseDoc doc;
    doc.set.FixedSize = true;
    doc.set.FixedWidth = 400;
    doc.set.FixedHeight = 300;
    Fragment* a = doc.Add("a", 1, 300, 200);  // 64 x 21
    doc.Refresh();
    doc.Press(310, 210);
    doc.Move(350, 210);  // right edge 404
    EXPECT_EQ(a->Left, 300);
    doc.Move(346, 289);  // right edge exactly 400, bottom 300
    EXPECT_EQ(a->Left, 336);
    EXPECT_EQ(a->Bottom, 300);
}

TEST(FragmentDrag, DraggingAgainstTheRightEdgeScrollsAndGrowsTheRange) {
    MouseDoc doc;
    Fragment* a = doc.Add("a", 1, 560, 100);  // 560..624 in a 640-pixel window
    doc.Refresh();
    ASSERT_EQ(doc.view.RangeX, 644);
    doc.Press(615, 110);
    doc.Move(620, 110);
    EXPECT_EQ(doc.view.PosX, 16);
    EXPECT_EQ(a->Left, 560 + 5 + 16);
    EXPECT_EQ(a->ScreenRect.Left, 565);  // stays under the pointer
    doc.Move(625, 110);
    doc.Move(630, 110);
    EXPECT_EQ(doc.view.PosX, 48);
    EXPECT_GE(doc.view.RangeX, 48 + 640);
    EXPECT_EQ(a->Left, 575 + 48);
    doc.Release(630, 110);
    EXPECT_EQ(doc.view.PosX, 48);
    EXPECT_EQ(doc.set.UsedWidth, a->Right);
}

TEST(FragmentDrag, AutoScrollNeverPushesACardBeyondTheLeftEdge) {
    MouseDoc doc;
    doc.Add("far", 2, 2000, 2000);
    Fragment* offscreen = doc.Add("off", 1, 10, 100);
    Fragment* a = doc.Add("a", 1, 110, 100);
    doc.Refresh();
    doc.view.PosX = 100;
    doc.set.RedrawAll();
    doc.set.SelectAll(true);
    doc.Press(20, 110);
    doc.Move(15, 110);  // scrolling 16 more would put the other card at x -11
    EXPECT_EQ(doc.view.PosX, 100);
    EXPECT_EQ(offscreen->Left, 5);
    EXPECT_EQ(a->Left, 105);
    // Alone, the card may take the page with it.
    doc.Release(15, 110);
    doc.set.SelectAll(false);
    doc.Press(15, 110);
    doc.Move(10, 110);
    EXPECT_EQ(doc.view.PosX, 84);
    EXPECT_EQ(a->Left, 105 - 5 - 16);
    EXPECT_EQ(a->ScreenRect.Left, 0);  // moved with the pointer, not with the page
}

TEST(FragmentDrag, CtrlDropJoinsTheFrameUnderTheCardAndUndoRestoresTheGroup) {
    MouseDoc doc;
    Fragment* a = doc.Add("a", 1, 100, 100);
    Fragment* a2 = doc.Add("a2", 1, 100, 150);
    doc.Add("b", 2, 400, 100);
    doc.Opened();
    doc.Press(110, 110);
    doc.Move(300, 110, kCtrl);  // pick-out: frame 1 shrinks to a2
    EXPECT_EQ(doc.set.GroupTable[1].MemberUnion, a2->DocRect());
    doc.Move(390, 110, kCtrl);  // a now reaches into frame 2
    doc.Release(390, 110, kCtrl);
    EXPECT_EQ(a->Group, 2);
    EXPECT_EQ(doc.set.GroupTable[2].Count, 2);
    EXPECT_EQ(doc.world.host.GroupListRefreshes, 1);
    doc.set.History().Undo();
    EXPECT_EQ(a->Group, 1);
    EXPECT_EQ(a->Left, 100);
    EXPECT_EQ(doc.set.GroupTable[1].Count, 2);
}

TEST(FragmentDrag, CtrlDropInsideOnlyItsOwnFrameLeavesTheGroup) {
    MouseDoc doc;
    Fragment* a = doc.Add("a", 3, 100, 100);
    doc.Add("a2", 3, 100, 200);
    doc.Refresh();
    doc.Press(110, 110);
    doc.Move(115, 140, kCtrl);
    doc.Release(115, 140, kCtrl);
    EXPECT_EQ(a->Group, 0);
}

TEST(FragmentDrag, CtrlPressDragsTheWholeGroupWithoutPickOut) {
    MouseDoc doc;
    Fragment* a = doc.Add("a", 4, 100, 100);
    Fragment* a2 = doc.Add("a2", 4, 100, 200);
    Fragment* other = doc.Add("o", 5, 400, 100);
    doc.Refresh();
    doc.Press(110, 110, kCtrl);
    EXPECT_TRUE(doc.set.CurrentGesture().GroupDrag);
    EXPECT_TRUE(a2->Selected);
    EXPECT_FALSE(other->Selected);
    doc.Move(390, 110, kCtrl);
    EXPECT_FALSE(doc.set.PickOutActive());
    doc.Release(390, 110, kCtrl);
    EXPECT_EQ(a->Group, 4);  // a group drag never changes groups
    EXPECT_EQ(a2->Left, 380);
    EXPECT_FALSE(doc.set.CurrentGesture().GroupDrag);
}

TEST(FragmentDrag, ShiftClickTogglesOneCardAndKeepsTheRest) {
    MouseDoc doc;
    Fragment* a = doc.Add("a", 1, 100, 100);
    Fragment* b = doc.Add("b", 1, 300, 100);
    doc.Refresh();
    doc.set.SelectAll(true);
    doc.Press(310, 110, kShift);
    EXPECT_FALSE(b->Selected);
    EXPECT_TRUE(a->Selected);
    EXPECT_EQ(doc.set.SelectionList.size(), 1u);
    EXPECT_FALSE(doc.set.Dragging());
    doc.Press(310, 110, kShift);
    EXPECT_TRUE(b->Selected);
}

TEST(FragmentDrag, ReadOnlyDocumentsSelectButNeverDrag) {
    MouseDoc doc;
    Fragment* a = doc.Add("a", 1, 100, 100);
    doc.Refresh();
    doc.set.ReadOnly = true;
    doc.Press(110, 110);
    EXPECT_TRUE(a->Selected);
    doc.Move(150, 150);
    EXPECT_EQ(a->Left, 100);
    doc.Release(150, 150);
    EXPECT_FALSE(doc.set.Modified);
}

TEST(FragmentLink, APressOnTheLinkMarkOpensOnlyWhenReleasedOnTheSameCard) {
    MouseDoc doc;
    Fragment* a = doc.Add("a", 1, 100, 100, 4, 2);  // 64 x 38
    a->Link = "memo.txt";
    doc.Refresh();
    doc.Press(160, 135);
    EXPECT_EQ(doc.set.CurrentGesture().LinkPress, a);
    EXPECT_TRUE(a->LinkPressed);
    EXPECT_FALSE(a->Selected);
    EXPECT_FALSE(doc.set.Dragging());
    doc.Move(300, 300);
    EXPECT_EQ(a->Left, 100);
    doc.Release(300, 300);
    EXPECT_TRUE(doc.world.links.Opened.empty());
    EXPECT_FALSE(a->LinkPressed);
    EXPECT_EQ(doc.set.CurrentGesture().LinkPress, nullptr);

    doc.Press(160, 135);
    doc.Release(161, 136);
    ASSERT_EQ(doc.world.links.Opened.size(), 1u);
    EXPECT_EQ(doc.world.links.Opened[0], a);

    // Outside the corner, or without a link, or with link marks off: an ordinary press.
    doc.Press(140, 135);
    EXPECT_TRUE(a->Selected);
    doc.Release(140, 135);
    doc.env.LinkMark = false;
    doc.Press(160, 135);
    EXPECT_EQ(doc.set.CurrentGesture().LinkPress, nullptr);
}

TEST(FragmentDoubleClick, OpensTheDialogAndTheNextPressStartsNoDrag) {
    MouseDoc doc;
    Fragment* a = doc.Add("a", 1, 100, 100);
    doc.Refresh();
    doc.Press(110, 110);
    doc.set.DoubleClickFragment(a, kNone);
    EXPECT_EQ(doc.world.host.Edits, 1);
    EXPECT_EQ(doc.world.host.ImeOff, 1);
    EXPECT_FALSE(doc.set.Dragging());
    EXPECT_TRUE(doc.set.CurrentGesture().AfterDialog);
    doc.Press(110, 110);
    EXPECT_FALSE(doc.set.Dragging());
    EXPECT_FALSE(doc.set.CurrentGesture().AfterDialog);
    doc.Press(110, 110);
    EXPECT_TRUE(doc.set.Dragging());

    doc.set.DoubleClickFragment(a, kShift);
    EXPECT_EQ(doc.world.links.Opened.size(), 1u);
    EXPECT_EQ(doc.world.host.Edits, 1);
    doc.set.ReadOnly = true;
    doc.set.DoubleClickFragment(a, kNone);
    EXPECT_EQ(doc.world.host.Edits, 1);
}

TEST(FragmentDrag, FramesFollowTheDragAndLinesOfMovedFramesAreRerouted) {
    MouseDoc doc;
    doc.Add("a", 1, 100, 100);
    doc.Add("b", 2, 400, 100);
    doc.Refresh();
    doc.set.SetGroupLine(1, 2);
    doc.set.RedrawAll();
    const Point oldEnd = doc.set.GroupLines[0].WinEnd;
    doc.Press(410, 110);
    doc.Move(410, 150);
    EXPECT_EQ(doc.set.GroupTable[2].MemberUnion.Top, 140);
    EXPECT_NE(doc.set.GroupLines[0].WinEnd, oldEnd);
    EXPECT_TRUE(doc.set.GroupLines[0].Drawn);
    EXPECT_FALSE(doc.set.GroupTable[2].FrameMoved);
}

}  // namespace
}  // namespace qv
