#include "core/layout/arrange.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "core/model/frag_set.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

using test::TestDoc;

Point At(const Fragment* f) {
    return Point{f->Left, f->Top};
}

// Every card's rectangle, whatever the stacking order.
using Rects = std::map<const Fragment*, Rect>;
Rects Layout(const FragSet& set) {
    Rects rects;
    for (const auto& f : set.Fragments())
        rects[f.get()] = f->DocRect();
    return rects;
}

bool AnyOverlap(const std::vector<Fragment*>& cards) {
    for (std::size_t i = 0; i < cards.size(); ++i)
        for (std::size_t j = i + 1; j < cards.size(); ++j)
            if (cards[i]->DocRect().Intersects(cards[j]->DocRect())) return true;
    return false;
}

void FixPage(TestDoc& doc, int width, int height) {
    doc.set.FixedSize = true;
    doc.set.FixedWidth = width;
    doc.set.FixedHeight = height;
    doc.set.RedrawAll();
}

// ---- Gather and away ----

TEST(Gather, PilesInReadingOrderOnTopRecordsAndCentresOnTheFirst) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 1100, 1050);
    Fragment* b = doc.Add("b", 1, 1300, 1020);
    Fragment* c = doc.Add("c", 2, 1040, 1400);
    Fragment* far = doc.Add("far", 2, 3000, 3000);
    doc.set.RedrawAll();
    doc.set.History().Reset();
    a->SetSelected(true);
    b->SetSelected(true);
    c->SetSelected(true);
    doc.set.RebuildSelection();
    const Rects before = Layout(doc.set);

    Gather(doc.set);
    EXPECT_EQ(At(c), (Point{1040, 1020}));
    EXPECT_EQ(At(a), (Point{1041, 1021}));
    EXPECT_EQ(At(b), (Point{1042, 1022}));
    EXPECT_EQ(a->Width(), before.at(a).Width());
    EXPECT_GT(a->ZOrder, c->ZOrder);
    EXPECT_GT(b->ZOrder, a->ZOrder);
    EXPECT_GT(c->ZOrder, far->ZOrder);
    EXPECT_EQ(doc.set.Fragments().back().get(), b);
    EXPECT_EQ(doc.set.SelectionList.front(), c);
    EXPECT_EQ(doc.view.PosX, 1040 + c->Width() / 2 - 320);
    EXPECT_EQ(doc.view.PosY, 1020 + c->Height() / 2 - 240);
    EXPECT_EQ(doc.set.MarkedFragment(), nullptr);
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_TRUE(doc.set.History().Commit());
    EXPECT_TRUE(doc.set.UndoAvailable());
    EXPECT_FALSE(doc.set.RedoAvailable());

    doc.set.History().Undo();
    EXPECT_EQ(Layout(doc.set), before);
    EXPECT_FALSE(doc.set.Modified);
}

TEST(Gather, LiftsTheNamePlateOnlyWhenTheSelectionIsOneGroup) {
    TestDoc doc;
    Fragment* plate = doc.Add("plate", 3, 10, 10, 4, 1, FragmentKind::NamePlate);
    Fragment* a = doc.Add("a", 3, 100, 100);
    Fragment* b = doc.Add("b", 3, 200, 200);
    Fragment* other = doc.Add("o", 4, 300, 300);
    doc.Refresh();
    a->SetSelected(true);
    b->SetSelected(true);
    doc.set.RebuildSelection();
    Gather(doc.set);
    EXPECT_EQ(doc.set.Fragments().back().get(), plate);
    EXPECT_GT(plate->ZOrder, b->ZOrder);

    other->SetSelected(true);
    doc.set.RebuildSelection();
    Gather(doc.set);
    EXPECT_NE(doc.set.Fragments().back().get(), plate);
    EXPECT_LT(plate->ZOrder, a->ZOrder);
}

TEST(Gather, EmptySelectionChangesNothing) {
    TestDoc doc;
    doc.Add("a", 1, 100, 100);
    doc.Add("b", 1, 200, 150);
    doc.Opened();
    const Rects before = Layout(doc.set);
    Gather(doc.set);
    PutAway(doc.set);
    Spread(doc.set);
    EXPECT_EQ(Layout(doc.set), before);
    EXPECT_FALSE(doc.set.Modified);
    EXPECT_FALSE(doc.set.History().Commit());
}

class PutAwayCorners : public ::testing::TestWithParam<int> {};

TEST_P(PutAwayCorners, PileStepsAwayFromTheCornerOfAFixedPage) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 300, 300);
    Fragment* b = doc.Add("b", 1, 500, 300, 6, 2);
    FixPage(doc, 2000, 1500);
    doc.env.AwayPosition = GetParam();
    doc.set.SelectAll(true);
    const int scrollX = doc.view.PosX, scrollY = doc.view.PosY;
    ASSERT_EQ(doc.set.SelectionList.front(), a);

    PutAway(doc.set);
    // Right and bottom corners put the card's right or bottom edge on the corner point.
    const bool right = GetParam() == 1 || GetParam() == 3;
    const bool bottom = GetParam() == 2 || GetParam() == 3;
    const int x = right ? 1988 : 12, y = bottom ? 1488 : 12;
    const int sx = right ? -1 : 1, sy = bottom ? -1 : 1;
    EXPECT_EQ(right ? a->Right : a->Left, x);
    EXPECT_EQ(bottom ? a->Bottom : a->Top, y);
    EXPECT_EQ(right ? b->Right : b->Left, x + sx);
    EXPECT_EQ(bottom ? b->Bottom : b->Top, y + sy);
    EXPECT_GT(b->ZOrder, a->ZOrder);
    EXPECT_EQ(doc.view.PosX, scrollX);  // away does not centre
    EXPECT_EQ(doc.view.PosY, scrollY);
    EXPECT_TRUE(doc.set.Modified);
}

// 7 is no corner: it counts as top-left.
INSTANTIATE_TEST_SUITE_P(AllCorners, PutAwayCorners, ::testing::Values(0, 1, 2, 3, 7));

TEST(PutAway, APileLargerThanThePageStopsAtItsEdges) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 10, 10);
    Fragment* b = doc.Add("b", 1, 100, 10);
    FixPage(doc, 40, 30);
    doc.env.AwayPosition = 3;
    doc.set.SelectAll(true);
    PutAway(doc.set);
    EXPECT_EQ(At(a), (Point{0, 0}));
    EXPECT_EQ(At(b), (Point{0, 0}));
    EXPECT_GT(a->Width(), 0);
}

TEST(Gather, EveryGatherIsAStepUndoneBeyondTheOldTwentyAndRedoneToTheLast) {
    TestDoc doc;
    std::vector<Fragment*> cards;
    for (int i = 0; i < 22; ++i)
        cards.push_back(doc.Add("c", 1, 10 + 100 * i, 10 + 37 * (i % 5)));
    doc.Opened();
    const Rects start = Layout(doc.set);
    std::vector<Rects> after;
    for (int k = 1; k <= 21; ++k) {
        // Each gather takes one more card into the pile, so every step leaves another layout.
        doc.set.SelectAll(false);
        for (int i = 0; i <= k; ++i)
            cards[static_cast<std::size_t>(i)]->SetSelected(true);
        doc.set.RebuildSelection();
        Gather(doc.set);
        ASSERT_TRUE(doc.set.History().Commit());
        after.push_back(Layout(doc.set));
    }
    for (int u = 20; u >= 1; --u) {
        ASSERT_TRUE(doc.set.History().Undo());
        EXPECT_EQ(Layout(doc.set), after[static_cast<std::size_t>(u - 1)]) << u;
    }
    ASSERT_TRUE(doc.set.History().Undo());
    EXPECT_EQ(Layout(doc.set), start);
    EXPECT_FALSE(doc.set.UndoAvailable());
    EXPECT_FALSE(doc.set.History().Undo());
    for (int r = 0; r < 21; ++r)
        ASSERT_TRUE(doc.set.History().Redo());
    EXPECT_EQ(Layout(doc.set), after.back());
}

// ---- Spread ----

TEST(Spread, RowsHoldFloorOfTheSquareRoot) {
    EXPECT_EQ(IntegerSqrt(999), 31);
    EXPECT_EQ(IntegerSqrt(1024), 32);
    EXPECT_EQ(IntegerSqrt(2147483647), 46340);

    for (int n : {2, 3, 8, 9}) {
        TestDoc doc;
        for (int i = 0; i < n; ++i)
            doc.Add("c", 1, 500 - 40 * i, 300 + 7 * i);
        doc.set.SelectAll(true);
        Spread(doc.set);
        int firstRow = 0;
        for (const auto& f : doc.set.Fragments())
            if (f->Top == 300) ++firstRow;
        EXPECT_EQ(firstRow, IntegerSqrt(n)) << n << " cards";
    }
}

TEST(Spread, AlignedWithoutShuffleFollowsTheStackingOrderAndTheTallestCardOfARow) {
    TestDoc doc;
    // Created in stacking order, placed in another order.
    Fragment* c0 = doc.Add("0", 1, 400, 90);
    Fragment* c1 = doc.Add("1", 1, 60, 300, 4, 3);
    Fragment* c2 = doc.Add("2", 1, 250, 50, 6, 1);
    Fragment* c3 = doc.Add("3", 1, 90, 200);
    doc.set.SelectAll(true);
    doc.world.random.Values = {5, 3, 7};
    Spread(doc.set);

    const int w0 = c0->Width(), tall = c1->Height(), w2 = c2->Width();
    EXPECT_EQ(At(c0), (Point{60, 50}));
    EXPECT_EQ(At(c1), (Point{60 + w0 + 8, 50}));
    EXPECT_EQ(At(c2), (Point{60, 50 + tall + 8}));
    EXPECT_EQ(At(c3), (Point{60 + w2 + 8, 50 + tall + 8}));
    EXPECT_LT(c0->ZOrder, c1->ZOrder);
    EXPECT_LT(c2->ZOrder, c3->ZOrder);
    EXPECT_EQ(doc.world.random.Position, 0u);  // nothing random about it
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_TRUE(doc.refresh.Pending());
}

TEST(Spread, ShuffleExchangesTheDrawnPositions) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 0, 40);
    Fragment* b = doc.Add("b", 1, 100, 40);
    Fragment* c = doc.Add("c", 1, 200, 40);
    Fragment* d = doc.Add("d", 1, 300, 40);
    doc.set.SelectAll(true);
    doc.env.SpreadShuffle = true;
    // Two exchanges: positions 2 and 1 (b, then a drawn), then 3 and 0.
    doc.world.random.Values = {1, 2, 4, 7};
    Spread(doc.set);
    const int w = a->Width(), h = a->Height();
    EXPECT_EQ(At(d), (Point{0, 40}));
    EXPECT_EQ(At(c), (Point{w + 8, 40}));
    EXPECT_EQ(At(b), (Point{0, 40 + h + 8}));
    EXPECT_EQ(At(a), (Point{w + 8, 40 + h + 8}));
    EXPECT_EQ(doc.world.random.Position, 4u);
}

TEST(Spread, JitterDrawsItsNumbersInOrder) {
    TestDoc doc;
    Fragment* c0 = doc.Add("0", 1, 50, 60, 4, 3);
    Fragment* c1 = doc.Add("1", 1, 300, 70);
    Fragment* c2 = doc.Add("2", 1, 100, 200);
    Fragment* c3 = doc.Add("3", 1, 200, 100);
    doc.set.SelectAll(true);
    doc.env.SpreadAlign = false;
    doc.world.random.Values = {11, 21, 30, 4, 6, 9, 2, 17, 5};
    Spread(doc.set);

    const int w = c0->Width(), tall = c0->Height(), h = c1->Height();
    // The first card is never jittered.
    EXPECT_EQ(At(c0), (Point{50, 60}));
    // x + 11 mod 8; y + 21 mod 8 + a drop of 30 mod (tall - h) below the row's top.
    EXPECT_EQ(At(c1), (Point{50 + w + 8 + 3, 60 + 5 + 30 % (tall - h)}));
    // The next row starts at x0 + 4; the card adds 6, and 9 mod 8 below; no drop in a row of
    // equal cards.
    const int row2 = 60 + tall + 8;
    EXPECT_EQ(At(c2), (Point{54 + 6, row2 + 1}));
    EXPECT_EQ(At(c3), (Point{54 + w + 8 + 2, row2 + 1}));
    EXPECT_EQ(doc.world.random.Position, 9u);
}

TEST(Spread, AFixedPageBreaksRowsEarlyWithoutOverlap) {
    TestDoc doc;
    std::vector<Fragment*> cards;
    for (int i = 0; i < 9; ++i)
        cards.push_back(doc.Add("c", 1, 10 + 30 * i, 10, 4, i == 2 ? 5 : 1));
    FixPage(doc, 200, 1500);
    doc.set.SelectAll(true);
    Spread(doc.set);

    // Three per row would reach 154 + w + w / 3 > 200: the third card starts the next row, and
    // the row after that starts below it, the tallest card of its row.
    const int w = cards[0]->Width(), h = cards[0]->Height(), tall = cards[2]->Height();
    ASSERT_GT(154 + w + w / 3, 200);
    EXPECT_EQ(At(cards[1]), (Point{10 + w + 8, 10}));
    EXPECT_EQ(At(cards[2]), (Point{10, 10 + h + 8}));
    EXPECT_EQ(At(cards[3]), (Point{10 + w + 8, 10 + h + 8}));
    EXPECT_EQ(At(cards[4]), (Point{10, 10 + h + 8 + tall + 8}));
    EXPECT_FALSE(AnyOverlap(cards));

    // A card wider than the page starts no empty row.
    TestDoc narrow;
    std::vector<Fragment*> wide;
    for (int i = 0; i < 4; ++i)
        wide.push_back(narrow.Add("c", 1, 20 + 5 * i, 20 + 5 * i, 8));
    FixPage(narrow, 50, 1500);
    narrow.set.SelectAll(true);
    Spread(narrow.set);
    EXPECT_EQ(At(wide[0]), (Point{20, 20}));
    EXPECT_EQ(At(wide[1]), (Point{20, 20 + wide[0]->Height() + 8}));
    EXPECT_FALSE(AnyOverlap(wide));
}

TEST(Spread, ASingleCardIsLeftAloneAndUndoRestoresASpread) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 100, 100);
    Fragment* b = doc.Add("b", 1, 300, 120);
    doc.Opened();
    a->SetSelected(true);
    doc.set.RebuildSelection();
    Spread(doc.set);
    EXPECT_EQ(At(a), (Point{100, 100}));
    EXPECT_FALSE(doc.set.History().Commit());

    b->SetSelected(true);
    doc.set.RebuildSelection();
    const Rects before = Layout(doc.set);
    Spread(doc.set);
    EXPECT_NE(Layout(doc.set), before);
    doc.set.History().Undo();
    EXPECT_EQ(Layout(doc.set), before);
}

}  // namespace
}  // namespace qv
