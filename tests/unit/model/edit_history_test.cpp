#include "core/model/edit_history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/io/fragment_file.h"
#include "core/layout/arrange.h"
#include "core/model/frag_buffer.h"
#include "core/model/frag_set.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

using test::TestDoc;

std::set<const Fragment*> Cards(const FragSet& set) {
    std::set<const Fragment*> cards;
    for (const auto& f : set.Fragments())
        cards.insert(f.get());
    return cards;
}

class TempFile {
  public:
    explicit TempFile(const std::string& name)
        : path_(std::filesystem::temp_directory_path() /
                (name + "_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".csv")) {}
    ~TempFile() { std::filesystem::remove(path_); }
    std::string Path() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

// Random edits through the model's own operations, as the commands, tools and dialogs make them.
struct Editor {
    TestDoc& doc;
    FragBuffer buffer{doc.env, doc.world.prompts, doc.world.clipboard};
    std::mt19937 random;

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    Fragment* AnyCard() {
        const auto& cards = doc.set.Fragments();
        return cards.empty() ? nullptr : cards[static_cast<std::size_t>(Pick(Count()))].get();
    }
    int Count() const { return doc.set.Count(); }
    void SelectSome() {
        doc.set.SelectAll(false);
        for (const auto& f : doc.set.Fragments())
            if (Pick(3) == 0) f->SetSelected(true);
        doc.set.RebuildSelection();
    }

    void Edit() {
        FragSet& set = doc.set;
        Fragment* f = AnyCard();
        switch (Pick(14)) {
            case 0:
            case 1:
                test::AddCard(set, "new " + std::to_string(Pick(1000)), Pick(6), Pick(900),
                              Pick(700), 1 + Pick(8), 1 + Pick(3));
                break;
            case 2:
                if (f) set.DestroyFragment(f);
                break;
            case 3:
                SelectSome();
                set.DeleteSelected();
                break;
            case 4:
                if (f) {
                    f->EraseFragment();
                    f->Text = Pick(2) ? "\x8a\xbf\x8e\x9a text" : "";
                    f->ColBG = static_cast<Color>(Pick(0xFFFFFF));
                    f->Kind = Pick(3) == 0 ? FragmentKind::NamePlate : FragmentKind::Text;
                    f->Link = Pick(2) ? "/some/where.txt" : "";
                    f->MarkStale();
                    f->MeasureAndDraw();
                }
                break;
            case 5:
                if (f) {
                    f->EraseFragment();
                    f->Left = Pick(1200);
                    f->Top = Pick(900);
                    f->MeasureAndDraw();
                }
                break;
            case 6:
                SelectSome();
                set.MoveSelectionToGroup(Pick(6));
                break;
            case 7:
                set.SetGroupLine(1 + Pick(5), 1 + Pick(5));
                if (!set.GroupLines.empty())
                    set.SetGroupLineStyle(Pick(static_cast<int>(set.GroupLines.size())),
                                          1 + Pick(4), 1 + 2 * Pick(3));
                break;
            case 8:
                if (!set.GroupLines.empty())
                    set.DeleteGroupLine(Pick(static_cast<int>(set.GroupLines.size())));
                break;
            case 9:
                set.SwapGroups(Pick(6), Pick(6));
                break;
            case 10:
                set.FixedSize = Pick(2) == 0;
                set.FixedWidth = 500 + Pick(2000);
                set.DivColumns = Pick(4);
                break;
            case 11:
                SelectSome();
                Gather(set);
                break;
            case 12:
                SelectSome();
                buffer.CopySelection(set);
                buffer.PasteBuffer(set, Pick(2) == 0, Point{Pick(600), Pick(400)});
                break;
            case 13:
                // Raising a card changes the stacking only.
                if (f) {
                    set.BringToTop(f);
                    set.SortByZOrder();
                }
                break;
        }
        doc.Refresh();
    }
};

// For several seeds: random edits, each closed as a step, with saves between them. Every undo
// and redo gives back the bytes the file would have held at that step, and the modified flag
// says whether they differ from the last save.
TEST(EditHistory, RandomEditsUndoAndRedoToTheExactBytesOfEveryStep) {
    for (const unsigned seed : {1u, 7u, 42u, 2026u}) {
        TestDoc doc;
        for (int i = 0; i < 12; ++i)
            doc.Add("card " + std::to_string(i), i % 4, 40 * i, 30 * (i % 5));
        doc.set.SetGroupLine(1, 2);
        doc.Opened();
        TempFile file("edit_history");
        Editor editor{doc, FragBuffer(doc.env, doc.world.prompts, doc.world.clipboard),
                      std::mt19937(seed)};
        const std::set<const Fragment*> startCards = Cards(doc.set);

        std::vector<std::string> bytes{FragmentFileText(doc.set)};
        int saved = 0;
        for (int i = 0; i < 60; ++i) {
            editor.Edit();
            // Sometimes two edits make one step (a card changed, then deleted, say).
            if (editor.Pick(4) == 0) editor.Edit();
            if (doc.set.History().Commit()) bytes.push_back(FragmentFileText(doc.set));
            ASSERT_EQ(doc.set.History().Position(), static_cast<int>(bytes.size()) - 1);
            // (Not while a restacking waits for the next step: the file would hold an order
            // that no step has.)
            if (editor.Pick(8) == 0 && FragmentFileText(doc.set) == bytes.back()) {
                ASSERT_TRUE(SaveFragmentFile(doc.set, file.Path()));
                saved = doc.set.History().Position();
            }
        }
        ASSERT_GT(bytes.size(), 30u) << seed;
        const int end = static_cast<int>(bytes.size()) - 1;

        for (int p = end; p > 0; --p) {
            ASSERT_TRUE(doc.set.History().Undo()) << seed << " at " << p;
            ASSERT_EQ(FragmentFileText(doc.set), bytes[static_cast<std::size_t>(p - 1)])
                << seed << " undone to " << p - 1;
            EXPECT_EQ(static_cast<bool>(doc.set.Modified), p - 1 != saved) << seed;
        }
        EXPECT_FALSE(doc.set.History().Undo());
        // The cards of the start are the same objects again.
        for (const Fragment* f : startCards)
            EXPECT_TRUE(Cards(doc.set).count(f)) << seed;
        for (int p = 1; p <= end; ++p) {
            ASSERT_TRUE(doc.set.History().Redo()) << seed;
            ASSERT_EQ(FragmentFileText(doc.set), bytes[static_cast<std::size_t>(p)])
                << seed << " redone to " << p;
            EXPECT_EQ(static_cast<bool>(doc.set.Modified), p != saved) << seed;
        }
        EXPECT_FALSE(doc.set.History().Redo());
    }
}

TEST(EditHistory, ADeletedCardComesBackAsTheSameCardAndANewEditDropsTheRedoSteps) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 10, 10);
    Fragment* b = doc.Add("b", 1, 200, 10);
    doc.Opened();
    b->SetSelected(true);
    doc.set.RebuildSelection();
    doc.set.DeleteSelected();
    ASSERT_TRUE(doc.set.History().Commit("delete"));
    EXPECT_EQ(doc.set.History().UndoLabel(), "delete");
    EXPECT_EQ(doc.set.History().UndoKind(), StepKind::Delete);
    EXPECT_EQ(doc.set.Count(), 1);

    ASSERT_TRUE(doc.set.History().Undo());
    ASSERT_EQ(doc.set.Count(), 2);
    EXPECT_EQ(doc.set.Fragments()[1].get(), b);
    EXPECT_TRUE(b->Selected);  // what came back is selected
    EXPECT_EQ(doc.set.SelectionList, std::vector<Fragment*>{b});
    EXPECT_EQ(doc.set.GroupTable[1].Count, 2);
    EXPECT_FALSE(doc.set.Modified);
    EXPECT_EQ(doc.set.History().RedoLabel(), "delete");

    ASSERT_TRUE(doc.set.History().Redo());
    EXPECT_EQ(Cards(doc.set), std::set<const Fragment*>{a});
    EXPECT_TRUE(doc.set.SelectionList.empty());
    EXPECT_TRUE(doc.set.Modified);
    ASSERT_TRUE(doc.set.History().Undo());
    EXPECT_EQ(doc.set.Fragments()[1].get(), b);

    // A new edit after an undo: the undone step is gone for good.
    a->Left = 77;
    a->Measure();
    ASSERT_TRUE(doc.set.History().Commit());
    EXPECT_EQ(doc.set.History().UndoKind(), StepKind::Move);
    EXPECT_FALSE(doc.set.RedoAvailable());
    EXPECT_EQ(doc.set.History().StepCount(), 1);
}

TEST(EditHistory, StepsAreJudgedByWhatTheyChanged) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 10, 10);
    doc.Add("b", 2, 200, 10);
    doc.Opened();
    auto commit = [&] {
        doc.Refresh();
        EXPECT_TRUE(doc.set.History().Commit());
        return doc.set.History().UndoKind();
    };
    a->ColBG = 0x123456;
    EXPECT_EQ(commit(), StepKind::Paint);
    a->Group = 2;
    a->Left = 50;
    EXPECT_EQ(commit(), StepKind::Group);
    a->Text = "changed";
    EXPECT_EQ(commit(), StepKind::Properties);
    doc.set.SetGroupLine(1, 2);
    a->Group = 1;
    EXPECT_EQ(commit(), StepKind::Edit);
    doc.set.DeleteGroupLine(0);
    EXPECT_EQ(commit(), StepKind::Lines);
    doc.set.FixedSize = true;
    EXPECT_EQ(commit(), StepKind::Page);
    doc.Add("c", 1, 0, 0);
    EXPECT_EQ(commit(), StepKind::Create);
    // A route that knows better names the step itself.
    a->Left = 90;
    doc.Refresh();
    ASSERT_TRUE(doc.set.History().Commit("stretch", StepKind::Edit));
    EXPECT_EQ(doc.set.History().UndoKind(), StepKind::Edit);
    EXPECT_EQ(doc.set.History().UndoLabel(), "stretch");
}

TEST(EditHistory, ShowingGroupsAndRestackingAloneMakeNoStep) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 10, 10);
    Fragment* b = doc.Add("b", 2, 10, 10);
    doc.Opened();
    const std::string opened = FragmentFileText(doc.set);
    doc.set.ShowGroup(2, false);
    doc.Refresh();
    EXPECT_FALSE(doc.set.History().Commit());
    doc.set.ShowGroup(2, true);
    doc.set.BringToTop(a);
    doc.set.SortByZOrder();
    EXPECT_FALSE(doc.set.History().Commit());
    EXPECT_FALSE(doc.set.Modified);

    // The next real edit takes the new stacking with it: undoing it gives the opened file.
    b->Left = 300;
    b->Measure();
    ASSERT_TRUE(doc.set.History().Commit());
    ASSERT_TRUE(doc.set.History().Undo());
    EXPECT_EQ(FragmentFileText(doc.set), opened);
    EXPECT_TRUE(doc.set.GroupTable[2].Shown);  // the view stays as the user left it
}

TEST(EditHistory, AChangeThatChangedNothingLeavesTheDocumentUnmodified) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 10, 10);
    doc.Opened();
    a->Left = 40;
    doc.set.Modified = true;
    a->Left = 10;  // dragged back where it was
    EXPECT_FALSE(doc.set.History().Commit());
    EXPECT_FALSE(doc.set.Modified);
}

TEST(EditHistory, ReadOnlyDocumentsRecordNothingAndRefuseUndo) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 10, 10);
    doc.Opened();
    a->Left = 50;
    ASSERT_TRUE(doc.set.History().Commit());
    doc.set.ReadOnly = true;
    EXPECT_FALSE(doc.set.UndoAvailable());
    EXPECT_FALSE(doc.set.History().Undo());
    a->Left = 60;
    EXPECT_FALSE(doc.set.History().Commit());
    EXPECT_EQ(doc.set.History().StepCount(), 1);
    EXPECT_EQ(a->Left, 60);
}

TEST(EditHistory, TheBudgetDropsTheOldestStepsAndWithThemTheWayBackToTheSave) {
    TestDoc doc;
    std::vector<Fragment*> cards;
    for (int i = 0; i < 1000; ++i)
        cards.push_back(doc.Add("card text " + std::to_string(i), 1 + i % 100, i, i));
    doc.Opened();
    // A thousand single-card edits of a full document fit the default budget many times over.
    for (int i = 0; i < 1000; ++i) {
        Fragment* f = cards[static_cast<std::size_t>(i)];
        f->Text = "edited text of card " + std::to_string(i);
        ASSERT_TRUE(doc.set.History().Commit());
    }
    EXPECT_EQ(doc.set.History().StepCount(), 1000);
    EXPECT_LT(doc.set.History().Bytes(), EditHistory::kDefaultBudget / 16);

    const std::size_t perStep = doc.set.History().Bytes() / 1000;
    doc.set.History().SetBudget(perStep * 100);
    EXPECT_LE(doc.set.History().StepCount(), 101);
    EXPECT_GE(doc.set.History().StepCount(), 90);
    while (doc.set.History().Undo()) {
    }
    // The opened state is out of reach: the document stays modified.
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_EQ(cards[0]->Text, "edited text of card 0");
    EXPECT_NE(cards[999]->Text, "edited text of card 999");
}

TEST(EditHistory, RevertPutsBackWhatChangedSinceTheLastStepAndRecordsNothing) {
    TestDoc doc;
    Fragment* a = doc.Add("a", 1, 10, 10);
    doc.Opened();
    a->Left = 50;
    a->Measure();
    doc.set.DestroyFragment(a);
    doc.Add("c", 1, 0, 0);
    doc.set.History().Revert();
    EXPECT_EQ(Cards(doc.set), std::set<const Fragment*>{a});
    EXPECT_EQ(a->Left, 10);
    EXPECT_FALSE(doc.set.UndoAvailable());
}

}  // namespace
}  // namespace qv
