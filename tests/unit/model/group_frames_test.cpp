#include <gtest/gtest.h>

#include "core/model/arrow_line.h"
#include "core/model/frag_set.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

using test::TestDoc;

// ---- Routing ----

TEST(GroupLineRoute, SideBySideFramesJoinFacingSideMiddlesWithNudges) {
    const Rect left{0, 0, 100, 100};
    const Rect right{200, 10, 300, 110};
    const LineRoute r = RouteLine(left, right, kLinePlain, 1, false);
    EXPECT_EQ(r.StartAnchor, 3);
    EXPECT_EQ(r.EndAnchor, 7);
    // Anchors (104, 50) and (196, 60), each nudged 2 towards the other end.
    EXPECT_EQ(r.Start, (Point{104, 52}));
    EXPECT_EQ(r.End, (Point{196, 58}));

    const LineRoute snapped = RouteLine(left, right, kLinePlain, 1, true);
    EXPECT_EQ(snapped.Start, (Point{104, 55}));
    EXPECT_EQ(snapped.End, (Point{196, 55}));

    // The reverse double arrow is nudged 6, and a wider line keeps further off the frame.
    const LineRoute reverse = RouteLine(left, right, kLineReverseDoubleArrow, 5, false);
    EXPECT_EQ(reverse.Start, (Point{108, 56}));
    EXPECT_EQ(reverse.End, (Point{192, 54}));
}

TEST(GroupLineRoute, StackedFramesJoinTopAndBottomMiddlesAndSnapVertical) {
    const Rect upper{0, 0, 100, 100};
    const Rect lower{10, 200, 110, 300};
    const LineRoute r = RouteLine(upper, lower, kLineArrow, 1, false);
    EXPECT_EQ(r.StartAnchor, 5);
    EXPECT_EQ(r.EndAnchor, 1);
    EXPECT_EQ(r.Start, (Point{52, 104}));
    EXPECT_EQ(r.End, (Point{58, 196}));
    const LineRoute snapped = RouteLine(upper, lower, kLineArrow, 1, true);
    EXPECT_EQ(snapped.Start, (Point{55, 104}));
    EXPECT_EQ(snapped.End, (Point{55, 196}));
}

TEST(GroupLineRoute, SnapOnlyBelowFifteenDegrees) {
    // Side middles 80 apart horizontally and 30 vertically after nudging: about 20 degrees.
    const Rect left{0, 0, 100, 100};
    const Rect right{188, 34, 288, 134};
    const LineRoute r = RouteLine(left, right, kLinePlain, 1, true);
    ASSERT_EQ(r.StartAnchor, 3);
    ASSERT_EQ(r.EndAnchor, 7);
    EXPECT_NE(r.Start.Y, r.End.Y);
}

TEST(GroupLineRoute, CornersFaceDiagonallyAndAreNeverNudged) {
    const Rect a{0, 0, 100, 100};
    const Rect b{300, 300, 400, 400};
    const LineRoute r = RouteLine(a, b, kLinePlain, 1, true);
    EXPECT_EQ(r.StartAnchor, 4);
    EXPECT_EQ(r.EndAnchor, 0);
    EXPECT_EQ(r.Start, (Point{104, 104}));
    EXPECT_EQ(r.End, (Point{296, 296}));
}

TEST(GroupLineRoute, OverlappingFramesUseTheNearestAllowedPair) {
    const Rect a{0, 0, 100, 100};
    const Rect b{50, 50, 150, 150};
    const LineRoute r = RouteLine(a, b, kLinePlain, 1, false);
    // No pair faces; of the nearest pairs (distance² 2516) the first tried wins: a's top middle
    // to b's top-left corner. Pairs two anchors apart (such as right middle to top middle) are
    // never tried.
    EXPECT_EQ(r.StartAnchor, 1);
    EXPECT_EQ(r.EndAnchor, 0);
    EXPECT_EQ(r.Start, (Point{48, -4}));
    EXPECT_EQ(r.End, (Point{46, 46}));
}

// ---- Hit test ----

TEST(GroupLineHit, NearlyHorizontalAndVerticalLinesUseTheirBand) {
    ArrowLine h;
    h.WinStart = {0, 0};
    h.WinEnd = {100, 2};
    EXPECT_TRUE(h.HitTest(50, 5));
    EXPECT_FALSE(h.HitTest(50, 6));
    EXPECT_TRUE(h.HitTest(-6, 0));
    EXPECT_FALSE(h.HitTest(-7, 0));
    EXPECT_FALSE(h.HitTest(107, 0));
    ArrowLine v;
    v.WinStart = {10, 0};
    v.WinEnd = {14, 100};
    EXPECT_TRUE(v.HitTest(15, 50));
    EXPECT_FALSE(v.HitTest(16, 50));
}

TEST(GroupLineHit, SlopedLinesUseVerticalThenHorizontalDistance) {
    ArrowLine d;
    d.WinStart = {0, 0};
    d.WinEnd = {100, 100};
    EXPECT_TRUE(d.HitTest(50, 55));
    EXPECT_FALSE(d.HitTest(50, 57));
    ArrowLine steep;
    steep.WinStart = {0, 0};
    steep.WinEnd = {10, 100};
    // 30 pixels off vertically but only 3 horizontally.
    EXPECT_TRUE(steep.HitTest(8, 50));
    EXPECT_FALSE(steep.HitTest(15, 50));
}

TEST(GroupLineHit, PaintRectsCoverTheLineAndItsHeadsWithoutItsBoundingBox) {
    ArrowLine d;
    d.WinStart = {0, 0};
    d.WinEnd = {600, 400};
    d.Width = 3;
    std::vector<Rect> rects;
    LinePaintRects(d, 12, rects);
    auto covered = [&](int x, int y) {
        return std::any_of(rects.begin(), rects.end(),
                           [&](const Rect& r) { return r.Contains(x, y); });
    };
    for (int t = 0; t <= 600; t += 7)
        EXPECT_TRUE(covered(t, t * 400 / 600)) << t;
    EXPECT_TRUE(covered(-20, -20));  // an arrowhead's reach beyond the start
    EXPECT_FALSE(covered(550, 50));  // far corner of the bounding box
}

// ---- Frames in a document ----

struct FramesDoc : TestDoc {
    Fragment* a1;
    Fragment* a2;
    Fragment* b1;
    FramesDoc() {
        a1 = Add("a1", 1, 100, 100);  // 64 x 21
        a2 = Add("a2", 1, 100, 200);
        b1 = Add("b1", 2, 400, 150);
        set.Recount();
        set.SetGroupLine(1, 2);
        set.RedrawAll();
    }
};

TEST(GroupFrames, BoundsAreTheMemberUnionGrownBy16InDocumentAndClient) {
    FramesDoc doc;
    const GroupEntry& g1 = doc.set.GroupTable[1];
    EXPECT_EQ(g1.MemberUnion, (Rect{100, 100, 164, 221}));
    EXPECT_EQ(g1.Bounds, (Rect{84, 84, 180, 237}));
    EXPECT_EQ(g1.Frame.Bounds, g1.Bounds);
    EXPECT_TRUE(g1.Frame.Visible);
    EXPECT_TRUE(doc.set.GroupTable[3].Bounds.IsEmpty());
    EXPECT_FALSE(doc.set.GroupTable[3].Frame.Visible);

    doc.Add("far", 5, 2000, 2000);  // a page large enough to scroll
    doc.set.RedrawAll();
    doc.view.PosX = 50;
    doc.view.PosY = 20;
    doc.set.RedrawAll();
    EXPECT_EQ(g1.Bounds, (Rect{84, 84, 180, 237}));
    EXPECT_EQ(g1.Frame.Bounds, (Rect{34, 64, 130, 217}));
    const ArrowLine& line = doc.set.GroupLines[0];
    EXPECT_EQ(line.DocStart, (Point{line.WinStart.X + 50, line.WinStart.Y + 20}));
    EXPECT_EQ(doc.set.GroupFrameAt(35, 65), 1);
    EXPECT_EQ(doc.set.GroupFrameAt(33, 65), 0);
}

TEST(GroupFrames, VisibilityFollowsSwitchesNamePlatesAndTextCount) {
    TestDoc doc;
    doc.Add("sym", 1, 0, 0, 1, 1, FragmentKind::Symbol);
    doc.Add("P", 2, 300, 0, 10, 1, FragmentKind::NamePlate);
    doc.Add("P", 3, 0, 300, 10, 1, FragmentKind::NamePlate);
    doc.Add("t", 3, 0, 340);
    doc.Add("t", 4, 300, 300);
    doc.Refresh();
    auto visible = [&](int g) {
        return doc.set.GroupTable[static_cast<std::size_t>(g)].Frame.Visible;
    };
    EXPECT_FALSE(visible(1));  // symbols only
    EXPECT_FALSE(visible(2));  // a plate alone
    EXPECT_TRUE(visible(3));
    EXPECT_TRUE(visible(4));
    doc.env.IfNpShowGfrm = true;
    doc.env.NoNpHideGfrm = true;
    doc.set.UpdateGroupFrames();
    EXPECT_FALSE(visible(1));
    EXPECT_TRUE(visible(2));
    EXPECT_TRUE(visible(3));
    EXPECT_FALSE(visible(4));  // text but no plate
    doc.env.GroupFrame = false;
    doc.set.UpdateGroupFrames();
    EXPECT_FALSE(visible(3));
    doc.env.GroupFrame = true;
    doc.set.GroupTable[3].Shown = false;
    doc.set.UpdateGroupFrames();
    EXPECT_FALSE(visible(3));
}

TEST(GroupFrames, PenFollowsTheSettingsButCornerRoundingIsTakenAtCreation) {
    TestDoc doc;
    doc.Add("t", 1, 0, 0);
    doc.env.GFrameLineWidth = 4;
    doc.env.Colors.GroupFrame = 0x112233;
    doc.env.GFrameMaxRnd = 7;
    doc.Refresh();
    EXPECT_EQ(doc.set.GroupTable[1].Frame.PenWidth, 4);
    EXPECT_EQ(doc.set.GroupTable[1].Frame.PenColor, 0x112233u);
    EXPECT_EQ(doc.set.GroupTable[1].Frame.MaxRound, 60);
}

TEST(GroupFrames, LinesAreRoutedEvenWhenHiddenAndDrawnOnlyWhenBothGroupsShow) {
    FramesDoc doc;
    ArrowLine& line = doc.set.GroupLines[0];
    EXPECT_TRUE(line.Drawn);
    const Point mid{(line.WinStart.X + line.WinEnd.X) / 2, (line.WinStart.Y + line.WinEnd.Y) / 2};
    EXPECT_EQ(doc.set.GroupLineAt(mid.X, mid.Y), 0);
    doc.set.GroupTable[2].Shown = false;
    doc.Refresh();
    EXPECT_FALSE(line.Drawn);
    EXPECT_EQ(doc.set.GroupLineAt(mid.X, mid.Y), 0);
    doc.set.GroupTable[2].Shown = true;
    doc.env.GroupLine = false;
    doc.Refresh();
    EXPECT_FALSE(line.Drawn);
    EXPECT_EQ(doc.set.GroupLineAt(500, 450), -1);
}

TEST(GroupFrames, ErasingAndMovingInvalidateOnlyAlongLinesAndFrameOutlines) {
    FramesDoc doc;
    const ArrowLine line = doc.set.GroupLines[0];
    const Point mid{(line.WinStart.X + line.WinEnd.X) / 2, (line.WinStart.Y + line.WinEnd.Y) / 2};
    doc.view.Reset();
    doc.set.EraseGroupLines();
    EXPECT_FALSE(doc.set.GroupLines[0].Drawn);
    EXPECT_TRUE(doc.view.Covered(mid.X, mid.Y));
    EXPECT_EQ(doc.view.InvalidateAllCount, 0);

    // Moving b1 moves frame 2: its old and new outlines are repainted, not its inside.
    doc.view.Reset();
    const Rect old = doc.set.GroupTable[2].Frame.Bounds;
    doc.b1->Left += 40;
    doc.b1->Measure();
    doc.set.UpdateGroupFrames();
    const Rect now = doc.set.GroupTable[2].Frame.Bounds;
    EXPECT_TRUE(doc.view.Covered(old.Left, old.Top + 40));
    EXPECT_TRUE(doc.view.Covered(now.Right - 1, now.Top + 40));
    EXPECT_FALSE(doc.view.Covered((now.Left + now.Right) / 2 + 10, (now.Top + now.Bottom) / 2));
    EXPECT_TRUE(doc.set.GroupLines[0].Drawn);
}

TEST(GroupFrames, PickOutLeavesSelectedCardsOutAndSkipsLinesOfEmptiedFrames) {
    FramesDoc doc;
    const ArrowLine before = doc.set.GroupLines[0];
    doc.b1->SetSelected(true);
    doc.a2->SetSelected(true);
    doc.set.RebuildSelection();
    // A press on a card of a multiple selection drags the whole selection.
    doc.set.PressFragment(doc.b1, MouseButton::Left, 410, 155, {});
    ASSERT_EQ(doc.set.SelectionList.size(), 2u);
    doc.view.Ctrl = true;
    ASSERT_TRUE(doc.set.PickOutActive());
    doc.set.EraseGroupLines();
    doc.set.UpdateGroupFrames();
    EXPECT_EQ(doc.set.GroupTable[1].MemberUnion, doc.a1->DocRect());
    EXPECT_TRUE(doc.set.GroupTable[2].Frame.Bounds.IsEmpty());
    EXPECT_FALSE(doc.set.GroupLines[0].Drawn);
    EXPECT_EQ(doc.set.GroupLines[0].WinStart, before.WinStart);
    // A group drag keeps its cards in the frame.
    doc.set.ReleaseDrag(doc.b1, {});
    doc.set.PressFragment(doc.b1, MouseButton::Left, 410, 155, ShiftState{.Ctrl = true});
    ASSERT_TRUE(doc.set.CurrentGesture().GroupDrag);
    doc.set.UpdateGroupFrames();
    EXPECT_FALSE(doc.set.GroupTable[2].Frame.Bounds.IsEmpty());
    EXPECT_TRUE(doc.set.GroupLines[0].Drawn);
}

TEST(GroupFrames, RepaintTouchedFramesClearsTheFlags) {
    FramesDoc doc;
    doc.set.GroupTable[1].FrameTouched = true;
    doc.view.Reset();
    doc.set.RepaintTouchedFrames();
    EXPECT_FALSE(doc.set.GroupTable[1].FrameTouched);
    const Rect b = doc.set.GroupTable[1].Frame.Bounds;
    EXPECT_TRUE(doc.view.Covered(b.Left, b.Top + 50));
    EXPECT_FALSE(doc.view.Covered(doc.set.GroupTable[2].Frame.Bounds.Left, 200));
}

}  // namespace
}  // namespace qv
