#include "core/layout/stretch.h"

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

// Four selected cards of odd sizes (so that the halves truncate) whose positions are recorded:
// the base every stretch works from.
struct StretchDoc : TestDoc {
    Fragment* a = Add("a", 1, 500, 480, 4, 1);
    Fragment* b = Add("b", 1, 700, 460, 6, 2);
    Fragment* c = Add("c", 2, 580, 650, 3, 1);
    Fragment* d = Add("d", 2, 820, 600, 5, 3);
    std::vector<Fragment*> all{a, b, c, d};
    std::map<const Fragment*, Point> start;

    StretchDoc() {
        set.RedrawAll();
        set.SelectAll(true);
        set.TakeStretchBase();
        for (const Fragment* f : all)
            start[f] = At(f);
    }
    // The selection's centre: the middle of the union of the starting rectangles.
    int Cx() const { return 500 + (d->StartRect.Right - 500) / 2; }
    int Cy() const { return 460 + (c->StartRect.Bottom - 460) / 2; }
    // Offset of a card's centre from the selection's centre.
    Point Offset(const Fragment* f) const {
        return Point{f->Left + f->Width() / 2 - Cx(), f->Top + f->Height() / 2 - Cy()};
    }
    Point StartOffset(const Fragment* f) const {
        const Rect& s = f->StartRect;
        return Point{s.Left + s.Width() / 2 - Cx(), s.Top + s.Height() / 2 - Cy()};
    }
    bool AtStart() const {
        for (const Fragment* f : all)
            if (At(f) != start.at(f)) return false;
        return true;
    }
};

TEST(StretchFragments, EveryDirectionAtItsNeutralFactorReproducesTheLayout) {
    for (int dir = 0; dir < kStretchDirectionCount; ++dir) {
        StretchDoc doc;
        const auto direction = static_cast<StretchDirection>(dir);
        StretchFragments(doc.set, NeutralFactor(direction), direction);
        EXPECT_TRUE(doc.AtStart()) << "direction " << dir;
        // And back to neutral after another position: nothing drifts.
        StretchFragments(doc.set, 137, direction);
        EXPECT_FALSE(doc.AtStart()) << "direction " << dir;
        StretchFragments(doc.set, -63, direction);
        StretchFragments(doc.set, NeutralFactor(direction), direction);
        EXPECT_TRUE(doc.AtStart()) << "direction " << dir;
        EXPECT_EQ(doc.a->Width(), doc.a->StartRect.Width());
        EXPECT_FALSE(doc.set.Modified);
    }
    EXPECT_EQ(NeutralFactor(StretchDirection::Rotate), 0);
    EXPECT_EQ(NeutralFactor(StretchDirection::Diagonal), 100);
}

TEST(StretchFragments, RadialScalesCardCentresAboutTheSelectionCentre) {
    StretchDoc doc;
    StretchFragments(doc.set, 200, StretchDirection::Radial);
    for (const Fragment* f : doc.all) {
        EXPECT_EQ(doc.Offset(f).X, 2 * doc.StartOffset(f).X) << f->Text;
        EXPECT_EQ(doc.Offset(f).Y, 2 * doc.StartOffset(f).Y) << f->Text;
    }
    StretchFragments(doc.set, -100, StretchDirection::Radial);
    for (const Fragment* f : doc.all) {
        EXPECT_EQ(doc.Offset(f).X, -doc.StartOffset(f).X) << f->Text;
        EXPECT_EQ(doc.Offset(f).Y, -doc.StartOffset(f).Y) << f->Text;
    }
    StretchFragments(doc.set, 0, StretchDirection::Radial);
    for (const Fragment* f : doc.all)
        EXPECT_EQ(doc.Offset(f), (Point{0, 0})) << f->Text;

    // Half-way offsets round down, not toward zero: a's centre is 167 left and 75 above the
    // centre, so at 0.50 it lands 84 left and 38 above.
    StretchFragments(doc.set, 50, StretchDirection::Radial);
    ASSERT_EQ(doc.StartOffset(doc.a), (Point{-167, -75}));
    EXPECT_EQ(doc.Offset(doc.a), (Point{-84, -38}));
}

TEST(StretchFragments, DiagonalHorizontalAndVerticalScaleTheirOwnAxes) {
    StretchDoc doc;
    StretchFragments(doc.set, 200, StretchDirection::Diagonal);
    for (const Fragment* f : doc.all)
        EXPECT_EQ(At(f),
                  (Point{500 + 2 * (doc.start[f].X - 500), 460 + 2 * (doc.start[f].Y - 460)}));
    StretchFragments(doc.set, 200, StretchDirection::Horizontal);
    for (const Fragment* f : doc.all) {
        EXPECT_EQ(f->Top, doc.start[f].Y);
        EXPECT_EQ(doc.Offset(f).X, 2 * doc.StartOffset(f).X);
    }
    StretchFragments(doc.set, 200, StretchDirection::Vertical);
    for (const Fragment* f : doc.all) {
        EXPECT_EQ(f->Left, doc.start[f].X);
        EXPECT_EQ(doc.Offset(f).Y, 2 * doc.StartOffset(f).Y);
    }
}

TEST(StretchFragments, RotateTurnsClockwiseAboutTheCentre) {
    StretchDoc doc;
    StretchFragments(doc.set, 100, StretchDirection::Rotate);
    // With y growing downwards a quarter turn clockwise takes (g, l) to (-l, g).
    for (const Fragment* f : doc.all)
        EXPECT_EQ(doc.Offset(f), (Point{-doc.StartOffset(f).Y, doc.StartOffset(f).X})) << f->Text;

    // A half turn either way is the mirror image radial stretch gives at -1.00.
    StretchDoc mirror;
    StretchFragments(mirror.set, -100, StretchDirection::Radial);
    for (int factor : {200, -200}) {
        StretchFragments(doc.set, factor, StretchDirection::Rotate);
        for (std::size_t i = 0; i < doc.all.size(); ++i)
            EXPECT_EQ(At(doc.all[i]), At(mirror.all[i])) << factor;
    }
}

TEST(StretchFragments, LineUpMakesAColumnByTopsAndARowByLefts) {
    StretchDoc doc;
    Fragment *a = doc.a, *b = doc.b, *c = doc.c, *d = doc.d;
    // Go through a row first: the column must still follow the starting tops.
    StretchFragments(doc.set, -100, StretchDirection::LineUp);
    EXPECT_EQ(At(a), (Point{500, 460}));
    EXPECT_EQ(At(c), (Point{500 + a->Width() + 4, 460}));
    EXPECT_EQ(At(b), (Point{c->Right + 4, 460}));
    EXPECT_EQ(At(d), (Point{b->Right + 4, 460}));

    StretchFragments(doc.set, 100, StretchDirection::LineUp);
    EXPECT_EQ(At(b), (Point{500, 460}));
    EXPECT_EQ(At(a), (Point{500, b->Bottom + 4}));
    EXPECT_EQ(At(d), (Point{500, a->Bottom + 4}));
    EXPECT_EQ(At(c), (Point{500, d->Bottom + 4}));

    StretchFragments(doc.set, 200, StretchDirection::LineUp);
    EXPECT_EQ(At(a), (Point{500, b->Bottom + 54}));
    EXPECT_EQ(At(c), (Point{500, d->Bottom + 54}));

    // Between the layout and the column, and between the layout and the row (truncated).
    StretchFragments(doc.set, 50, StretchDirection::LineUp);
    EXPECT_EQ(At(b), (Point{600, 460}));
    EXPECT_EQ(At(a), (Point{500, 480 + (b->Height() + 4 + 460 - 480) / 2}));
    StretchFragments(doc.set, -50, StretchDirection::LineUp);
    EXPECT_EQ(At(a), (Point{500, 470}));
    EXPECT_EQ(At(c), (Point{580 - (580 - (500 + a->Width() + 4)) / 2, 555}));
}

TEST(StretchFragments, CardsStopAtThePageEdgesAndSingleCardsStayPut) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 0, 0);
    Fragment* b = doc.Add("b", 1, 400, 300);
    doc.set.SelectAll(true);
    doc.set.TakeStretchBase();
    StretchFragments(doc.set, 200, StretchDirection::Radial);
    EXPECT_EQ(At(a), (Point{0, 0}));
    EXPECT_GT(b->Left, 400);
    StretchFragments(doc.set, 100, StretchDirection::Rotate);
    EXPECT_GE(a->Left, 0);
    EXPECT_GE(a->Top, 0);

    b->SetSelected(false);
    doc.set.RebuildSelection();
    const Point before = At(a);
    StretchFragments(doc.set, 200, StretchDirection::Diagonal);
    EXPECT_EQ(At(a), before);
}

TEST(StretchGroups, ShownGroupsMoveFromTheOriginKeepingTheirShape) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 2, 100, 40);
    Fragment* b = doc.Add("b", 2, 180, 90);
    Fragment* c = doc.Add("c", 3, 300, 200);
    Fragment* loose = doc.Add("n", 0, 50, 50);
    Fragment* hidden = doc.Add("h", 5, 400, 400);
    doc.set.Recount();
    doc.set.GroupTable[5].Shown = false;
    doc.Refresh();
    doc.set.TakeStretchBase();

    StretchGroups(doc.set, 200);
    EXPECT_EQ(At(a), (Point{200, 80}));
    EXPECT_EQ(At(b), (Point{280, 130}));
    EXPECT_EQ(At(c), (Point{600, 400}));
    EXPECT_EQ(At(loose), (Point{50, 50}));
    EXPECT_EQ(At(hidden), (Point{400, 400}));
    EXPECT_EQ(b->Width(), b->StartRect.Width());

    // Truncated toward zero: 0.75 of 100 and 40 move the group by -25 and -10.
    StretchGroups(doc.set, 75);
    EXPECT_EQ(At(a), (Point{75, 30}));
    // Below 0 counts as 0: every group's corner at the origin.
    StretchGroups(doc.set, -100);
    EXPECT_EQ(At(a), (Point{0, 0}));
    EXPECT_EQ(At(b), (Point{80, 50}));
    EXPECT_EQ(At(c), (Point{0, 0}));
    EXPECT_FALSE(doc.set.Modified);
}

}  // namespace
}  // namespace qv
