#include "core/commands/card_steps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

std::vector<std::string> Texts(const std::vector<Fragment*>& cards) {
    std::vector<std::string> out;
    for (const Fragment* f : cards)
        out.push_back(f->Text);
    return out;
}

// Two columns of two cards, added out of order, plus a card of a group that gets hidden.
struct Columns : test::TestDoc {
    Fragment* b1 = Add("b1", 1, 300, 40);
    Fragment* a2 = Add("a2", 1, 40, 200);
    Fragment* a1 = Add("a1", 1, 42, 40);
    Fragment* b2 = Add("b2", 1, 298, 200);
    Fragment* hidden = Add("h", 2, 150, 100);
    Columns() {
        set.GroupTable[2].Shown = false;
        Refresh();
    }
};

TEST(CardSteps, ReadingOrderGoesDownEachColumnThenRightSkippingHiddenCards) {
    Columns doc;
    EXPECT_EQ(Texts(CardsInReadingOrder(doc.set)),
              (std::vector<std::string>{"a1", "a2", "b1", "b2"}));
    // The stacking order plays no part.
    doc.set.BringToTop(doc.a2);
    doc.set.BringToTop(doc.a1);
    doc.set.SortByZOrder();
    EXPECT_EQ(Texts(CardsInReadingOrder(doc.set)),
              (std::vector<std::string>{"a1", "a2", "b1", "b2"}));
}

TEST(CardSteps, StepsWrapAroundAndStartAtAnEndWithoutACurrentCard) {
    Columns doc;
    EXPECT_EQ(StepInReadingOrder(doc.set, nullptr, true), doc.a1);
    EXPECT_EQ(StepInReadingOrder(doc.set, nullptr, false), doc.b2);
    EXPECT_EQ(StepInReadingOrder(doc.set, doc.a2, true), doc.b1);
    EXPECT_EQ(StepInReadingOrder(doc.set, doc.b1, false), doc.a2);
    EXPECT_EQ(StepInReadingOrder(doc.set, doc.b2, true), doc.a1);
    EXPECT_EQ(StepInReadingOrder(doc.set, doc.a1, false), doc.b2);
    // A hidden card is no place to start from: the walk begins at an end.
    EXPECT_EQ(StepInReadingOrder(doc.set, doc.hidden, true), doc.a1);
    // Every card once, then back to the first.
    const Fragment* f = nullptr;
    std::vector<const Fragment*> seen;
    for (int i = 0; i < 5; ++i)
        seen.push_back(f = StepInReadingOrder(doc.set, f, true));
    EXPECT_EQ(seen, (std::vector<const Fragment*>{doc.a1, doc.a2, doc.b1, doc.b2, doc.a1}));
}

TEST(CardSteps, NothingToStepToInADocumentWithoutVisibleCards) {
    test::TestDoc doc;
    EXPECT_EQ(StepInReadingOrder(doc.set, nullptr, true), nullptr);
    EXPECT_EQ(NearestInDirection(doc.set, nullptr, CardDirection::Left), nullptr);
    Fragment* only = doc.Add("x", 2, 10, 10);
    doc.set.GroupTable[2].Shown = false;
    doc.Refresh();
    EXPECT_EQ(StepInReadingOrder(doc.set, only, false), nullptr);
}

TEST(CardSteps, DirectionsTakeTheNearestCentreWithinTheCone) {
    test::TestDoc doc;
    Fragment* centre = doc.Add("c", 1, 400, 400);
    Fragment* nearRight = doc.Add("r", 1, 500, 440);  // 100 right, 40 down: inside the cone
    Fragment* farRight = doc.Add("R", 1, 700, 400);
    Fragment* diagonal = doc.Add("d", 1, 300, 300);  // exactly 45 degrees up and left
    Fragment* steep = doc.Add("s", 1, 460, 600);     // 60 right, 200 down: below, not right
    doc.Refresh();
    EXPECT_EQ(NearestInDirection(doc.set, centre, CardDirection::Right), nearRight);
    EXPECT_EQ(NearestInDirection(doc.set, centre, CardDirection::Down), steep);
    // On the cone's edge a card counts for both directions it lies between.
    EXPECT_EQ(NearestInDirection(doc.set, centre, CardDirection::Up), diagonal);
    EXPECT_EQ(NearestInDirection(doc.set, centre, CardDirection::Left), diagonal);
    EXPECT_EQ(NearestInDirection(doc.set, farRight, CardDirection::Right), nullptr);
    EXPECT_EQ(NearestInDirection(doc.set, farRight, CardDirection::Left), nearRight);
    // A card of a hidden group is passed over.
    nearRight->Group = 3;
    doc.set.GroupTable[3].Shown = false;
    doc.Refresh();
    EXPECT_EQ(NearestInDirection(doc.set, centre, CardDirection::Right), farRight);
}

TEST(CardSteps, WithoutACurrentCardADirectionStartsAtTheMiddleOfTheWindow) {
    test::TestDoc doc;  // a 640 × 480 window
    doc.Add("corner", 1, 0, 0);
    Fragment* middle = doc.Add("middle", 1, 300, 220);
    doc.Add("far", 1, 900, 900);
    doc.Refresh();
    EXPECT_EQ(NearestInDirection(doc.set, nullptr, CardDirection::Up), middle);
}

TEST(CardSteps, SelectingOneCardDropsTheRestAndBringsItIntoView) {
    test::TestDoc doc;
    Fragment* near = doc.Add("near", 1, 40, 40);
    Fragment* other = doc.Add("other", 1, 200, 40);
    Fragment* far = doc.Add("far", 1, 3000, 2000);
    doc.Refresh();
    doc.set.ComputeWholeSize();
    doc.set.RedrawAll();
    doc.set.SelectAll(true);

    SelectOnlyCard(doc.set, near);
    EXPECT_EQ(doc.set.SingleSelected(), near);
    EXPECT_FALSE(other->Selected);
    EXPECT_EQ(doc.view.PosX, 0) << "a card in view does not move the page";
    EXPECT_EQ(doc.view.PosY, 0);

    SelectOnlyCard(doc.set, far);
    EXPECT_EQ(doc.set.SingleSelected(), far);
    EXPECT_FALSE(near->Selected);
    const Rect& s = far->ScreenRect;
    EXPECT_GE(s.Left, 0);
    EXPECT_GE(s.Top, 0);
    EXPECT_LE(s.Right, doc.view.Width);
    EXPECT_LE(s.Bottom, doc.view.Height);
    EXPECT_EQ(doc.set.MarkedFragment(), nullptr) << "a key move is no find result";

    SelectOnlyCard(doc.set, nullptr);
    EXPECT_EQ(doc.set.SingleSelected(), far);
}

}  // namespace
}  // namespace qv
