#include <gtest/gtest.h>

#include "core/model/frag_buffer.h"
#include "core/model/frag_set.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

using test::TestDoc;

// Two documents of one program share the buffer and the clipboard.
struct BufferWorld : ::testing::Test {
    TestDoc src;
    TestDoc dst;
    test::FakeClipboard& clipboard = src.world.clipboard;
    FragBuffer buffer{src.env, src.world.prompts, clipboard, [](FragSet& set) {
                          std::string text;
                          for (const Fragment* f : set.SelectionList)
                              text += f->Text + "\n";
                          return text;
                      }};

    void Select(TestDoc& doc, std::initializer_list<Fragment*> list) {
        doc.set.SelectAll(false);
        for (Fragment* f : list)
            f->SetSelected(true);
        doc.set.RebuildSelection();
    }
};

TEST_F(BufferWorld, CopyWithNothingSelectedChangesNothing) {
    Fragment* a = src.Add("a", 1, 10, 10);
    Select(src, {a});
    buffer.Copy(src.set);
    ASSERT_EQ(buffer.Count(), 1);
    clipboard.Content = "other";
    clipboard.Sets = 0;
    src.set.SelectAll(false);
    buffer.Copy(src.set);
    buffer.Cut(src.set);
    EXPECT_EQ(buffer.Count(), 1);
    EXPECT_EQ(clipboard.Content, "other");
    EXPECT_EQ(clipboard.Sets, 0);
    EXPECT_EQ(src.set.Count(), 1);
}

TEST_F(BufferWorld, CopyFillsBufferAndClipboardAndLeavesNothingSelected) {
    Fragment* a = src.Add("a", 2, 10, 10);
    Fragment* b = src.Add("b", 3, 100, 10);
    src.Add("c", 3, 200, 10);
    a->Link = "x.txt";
    Select(src, {a, b});
    buffer.Copy(src.set);
    ASSERT_EQ(buffer.Count(), 2);
    EXPECT_EQ(buffer.Fragments()[0]->Text, "a");
    EXPECT_EQ(buffer.Fragments()[0]->Link, "x.txt");
    EXPECT_EQ(buffer.Fragments()[0]->Group, 2);
    EXPECT_EQ(buffer.Fragments()[0]->Owner(), nullptr);
    EXPECT_EQ(buffer.Fragments()[1]->ZOrder, 1);
    EXPECT_EQ(clipboard.Content, "a\nb\n");
    EXPECT_FALSE(a->Selected);
    EXPECT_TRUE(src.set.SelectionList.empty());
    EXPECT_EQ(src.set.Count(), 3);
    EXPECT_FALSE(src.set.Modified);

    // The copies' numbers keep counting across refills.
    Select(src, {b});
    buffer.Copy(src.set);
    EXPECT_EQ(buffer.Fragments()[0]->ZOrder, 2);
}

TEST_F(BufferWorld, CutRemovesTheCardsAndEverythingThatPointedAtThem) {
    Fragment* a = src.Add("a", 2, 10, 10);
    src.Add("b", 3, 100, 10);
    src.set.Recount();
    src.set.SetGroupLine(2, 3);
    Select(src, {a});
    src.set.CentreOn(a, true);
    src.set.Modified = false;
    buffer.Cut(src.set);
    EXPECT_EQ(src.set.Count(), 1);
    EXPECT_EQ(src.set.MarkedFragment(), nullptr);
    EXPECT_TRUE(src.set.SelectionList.empty());
    EXPECT_TRUE(src.set.GroupTable[2].Empty);
    EXPECT_TRUE(src.set.GroupLines.empty());
    EXPECT_TRUE(src.set.Modified);
    EXPECT_TRUE(src.refresh.Pending());
    ASSERT_EQ(buffer.Count(), 1);
    EXPECT_EQ(buffer.Fragments()[0]->Text, "a");
    EXPECT_EQ(clipboard.Content, "a\n");
}

TEST_F(BufferWorld, PlainPasteLandsFourPixelsOffSelectedAndOnTopEveryTime) {
    Fragment* a = src.Add("a", 5, 10, 20);
    Select(src, {a});
    buffer.Copy(src.set);
    Fragment* existing = dst.Add("e", 1, 0, 0);
    existing->ZOrder = 77;
    Select(dst, {existing});
    buffer.PasteBuffer(dst.set, false);
    ASSERT_EQ(dst.set.Count(), 2);
    Fragment* p = dst.set.Fragments().back().get();
    EXPECT_EQ(p->Text, "a");
    EXPECT_EQ(p->Left, 14);
    EXPECT_EQ(p->Top, 24);
    EXPECT_EQ(p->Group, 5);
    EXPECT_EQ(p->ZOrder, 78);
    EXPECT_TRUE(p->Selected);
    EXPECT_TRUE(existing->Selected);  // earlier selection stays
    EXPECT_EQ(dst.set.SelectionList.size(), 2u);
    EXPECT_FALSE(dst.set.GroupTable[5].Empty);
    EXPECT_TRUE(dst.set.Modified);
    buffer.PasteBuffer(dst.set, false);
    EXPECT_EQ(dst.set.Fragments().back()->Left, 14);  // relative to the copies, not the last paste
    EXPECT_EQ(buffer.Count(), 1);
}

TEST_F(BufferWorld, PasteAtTheMouseOverAFrameJoinsThatGroup) {
    Fragment* a = src.Add("a", 5, 300, 200);
    Fragment* b = src.Add("b", 6, 250, 260);
    Select(src, {a, b});
    buffer.Copy(src.set);

    dst.Add("far", 2, 2000, 2000);
    dst.Add("member", 9, 400, 300, 10, 5);
    dst.Refresh();
    dst.view.PosX = 100;
    dst.view.PosY = 50;
    dst.set.RedrawAll();
    const Point mouse{320, 270};  // inside group 9's frame on screen
    ASSERT_EQ(dst.set.GroupFrameAt(mouse.X, mouse.Y), 9);
    buffer.PasteBuffer(dst.set, true, mouse);
    std::vector<Fragment*> pasted;
    for (const auto& f : dst.set.Fragments())
        if (f->Text == "a" || f->Text == "b") pasted.push_back(f.get());
    ASSERT_EQ(pasted.size(), 2u);
    EXPECT_EQ(FragSet::TopLeft(pasted), (Point{420, 320}));
    for (Fragment* f : pasted) {
        EXPECT_EQ(f->Group, 9);
        EXPECT_TRUE(f->Selected);
    }
    EXPECT_EQ(dst.set.Fragments().back()->Text, "b");

    // Off every frame the copies keep their groups; a negative position counts as 0.
    buffer.PasteBuffer(dst.set, true, Point{-30, -30});
    EXPECT_EQ(dst.set.Fragments().back()->Group, 6);
    EXPECT_EQ(dst.set.Fragments().back()->Left, 100 + 250 - 250);
}

TEST_F(BufferWorld, PasteStopsAtTheFragmentLimitAndKeepsWhatItMade) {
    for (int i = 0; i < 3; ++i)
        src.Add("c", 1, i * 70, 0);
    src.set.SelectAll(true);
    buffer.Copy(src.set);
    for (int i = 0; i < kMaxFragments - 2; ++i)
        dst.set.AddFragment();
    buffer.PasteBuffer(dst.set, false);
    EXPECT_EQ(dst.set.Count(), kMaxFragments);
    EXPECT_EQ(dst.world.prompts.Log.size(), 1u);
    EXPECT_EQ(dst.set.SelectionList.size(), 2u);
}

TEST_F(BufferWorld, PastedPicturesAreLoadedInTheTargetDocument) {
    dst.world.pictures.Sizes["p.bmp"] = {30, 20};
    Fragment* pic = src.Add("", 1, 0, 0, 2, 1, FragmentKind::Image);
    pic->Link = "p.bmp";
    Select(src, {pic});
    buffer.Copy(src.set);
    buffer.PasteBuffer(dst.set, false);
    Fragment* p = dst.set.Fragments().back().get();
    EXPECT_TRUE(p->HasPicture());
    EXPECT_EQ(p->Width(), 60);
}

TEST_F(BufferWorld, TheBufferHoldsAtMostAThousandCopies) {
    for (int i = 0; i < kMaxFragments; ++i)
        ASSERT_NE(buffer.AddCopy(), nullptr);
    EXPECT_EQ(buffer.AddCopy(), nullptr);
    ASSERT_EQ(src.world.prompts.Log.size(), 1u);
    EXPECT_EQ(src.world.prompts.Log[0].Text, kTooManyFragmentsText);
    buffer.ClearBuffer();
    EXPECT_TRUE(buffer.Empty());
    EXPECT_EQ(buffer.AddCopy()->ZOrder, kMaxFragments);
}

}  // namespace
}  // namespace qv
