#include "core/dialogs/stretch_dlg.h"

#include <gtest/gtest.h>

#include <map>

#include "core/model/frag_set.h"
#include "core/settings/usr_ini_file.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

using test::TestDoc;

using Rects = std::map<const Fragment*, Rect>;
Rects Layout(const FragSet& set) {
    Rects rects;
    for (const auto& f : set.Fragments())
        rects[f.get()] = f->DocRect();
    return rects;
}

struct DialogDoc : TestDoc {
    Fragment* a = Add("a", 1, 300, 200);
    Fragment* b = Add("b", 1, 500, 260, 6, 2);
    Fragment* c = Add("c", 2, 420, 400);
    StretchController dlg;

    DialogDoc() {
        set.RedrawAll();
        set.History().Reset();
        set.SelectAll(true);
    }
};

TEST(StretchDialog, FragmentModeOpensOnTheStoredDirectionAtItsNeutralPosition) {
    DialogDoc doc;
    doc.env.StretchMode = 4;
    doc.a->Left = 333;  // moved since the last step: opening makes that a step and the new base
    doc.a->Measure();
    const Rects before = Layout(doc.set);
    doc.dlg.Open(doc.set, StretchTarget::Fragments);
    EXPECT_TRUE(doc.dlg.IsOpen());
    EXPECT_EQ(doc.dlg.Caption(), kStretchFragmentsCaption);
    EXPECT_TRUE(doc.dlg.DirectionsShown());
    EXPECT_EQ(doc.dlg.Direction(), StretchDirection::Rotate);
    EXPECT_EQ(doc.dlg.Position(), 0);
    for (int tag = 0; tag < StretchController::kPresetCount; ++tag)
        EXPECT_TRUE(doc.dlg.PresetEnabled(tag));
    EXPECT_EQ(doc.a->StartRect, doc.a->DocRect());
    EXPECT_EQ(Layout(doc.set), before);
    EXPECT_EQ(doc.set.History().StepCount(), 1);
    EXPECT_FALSE(doc.set.Modified);

    StretchController other;
    doc.env.StretchMode = 17;
    other.Open(doc.set, StretchTarget::Fragments);
    EXPECT_EQ(other.Direction(), StretchDirection::Radial);
    EXPECT_EQ(other.Position(), 100);
}

TEST(StretchDialog, EverySliderChangeAppliesFromTheBase) {
    DialogDoc doc;
    doc.dlg.Open(doc.set, StretchTarget::Fragments);
    EXPECT_EQ(doc.dlg.ChangePosition(200), 200);
    const Rects doubled = Layout(doc.set);
    EXPECT_NE(doubled.at(doc.a), doc.a->StartRect);
    doc.dlg.ChangePosition(-150);
    doc.dlg.ChangePosition(200);
    EXPECT_EQ(Layout(doc.set), doubled);
    // The slider's range is -200..200.
    EXPECT_EQ(doc.dlg.ChangePosition(500), 200);
    EXPECT_EQ(doc.dlg.ChangePosition(-999), -200);

    // A preset applies even when the position stays; a direction goes to its neutral position.
    doc.dlg.PressPreset(4);
    EXPECT_EQ(doc.dlg.Position(), 200);
    EXPECT_EQ(Layout(doc.set), doubled);
    doc.dlg.ChooseDirection(StretchDirection::LineUp);
    EXPECT_EQ(doc.dlg.Position(), 0);
    EXPECT_EQ(doc.a->DocRect(), doc.a->StartRect);
    doc.dlg.PressPreset(3);
    EXPECT_EQ(doc.dlg.Position(), 100);
    EXPECT_EQ(doc.b->Left, doc.a->Left);  // a column
    doc.dlg.PressPreset(9);
    EXPECT_EQ(doc.dlg.Position(), 100);
}

TEST(StretchDialog, CancelReturnsToTheLastRecord) {
    DialogDoc doc;
    const Rects before = Layout(doc.set);
    doc.dlg.Open(doc.set, StretchTarget::Fragments);
    doc.dlg.ChooseDirection(StretchDirection::Rotate);
    doc.dlg.ChangePosition(70);
    doc.dlg.ChangePosition(130);
    doc.dlg.Close(false);
    EXPECT_FALSE(doc.dlg.IsOpen());
    EXPECT_EQ(Layout(doc.set), before);
    EXPECT_EQ(doc.env.StretchMode, 4);
    EXPECT_FALSE(doc.set.Modified);

    // After Apply, Cancel keeps the applied layout; one more undo reaches the first one.
    doc.dlg.Open(doc.set, StretchTarget::Fragments);
    doc.dlg.ChangePosition(100);
    doc.dlg.Apply();
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_EQ(doc.dlg.Position(), 0);  // neutral for rotate, and the new base
    const Rects applied = Layout(doc.set);
    EXPECT_NE(applied, before);
    EXPECT_EQ(doc.a->StartRect, doc.a->DocRect());
    doc.dlg.ChangePosition(100);  // a second quarter turn, from the applied layout
    EXPECT_NE(Layout(doc.set), applied);
    doc.dlg.Close(false);
    EXPECT_EQ(Layout(doc.set), applied);
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_EQ(doc.set.History().StepCount(), 1);  // the Apply; Cancel made none
    doc.set.History().Undo();
    EXPECT_EQ(Layout(doc.set), before);
    EXPECT_FALSE(doc.set.Modified);
}

TEST(StretchDialog, OkKeepsTheLayoutAsOneUndoStep) {
    DialogDoc doc;
    const Rects before = Layout(doc.set);
    doc.dlg.Open(doc.set, StretchTarget::Fragments);
    doc.dlg.ChooseDirection(StretchDirection::Vertical);
    doc.dlg.ChangePosition(175);
    const Rects stretched = Layout(doc.set);
    doc.dlg.Close(true);
    EXPECT_EQ(Layout(doc.set), stretched);
    EXPECT_TRUE(doc.set.Modified);
    EXPECT_EQ(doc.env.StretchMode, 3);
    EXPECT_EQ(doc.set.History().StepCount(), 1);
    doc.set.History().Undo();
    EXPECT_EQ(Layout(doc.set), before);

    // A closed dialog ignores stray events.
    EXPECT_EQ(doc.dlg.ChangePosition(10), 175);
    EXPECT_EQ(Layout(doc.set), before);
}

TEST(StretchDialog, GroupModeNeverGoesBelowZero) {
    DialogDoc doc;
    doc.set.Recount();
    doc.env.StretchMode = 2;
    doc.dlg.Open(doc.set, StretchTarget::Groups);
    EXPECT_EQ(doc.dlg.Caption(), kStretchGroupsCaption);
    EXPECT_FALSE(doc.dlg.DirectionsShown());
    EXPECT_EQ(doc.dlg.Position(), 100);
    EXPECT_FALSE(doc.dlg.PresetEnabled(0));
    EXPECT_FALSE(doc.dlg.PresetEnabled(1));
    EXPECT_TRUE(doc.dlg.PresetEnabled(2));

    EXPECT_EQ(doc.dlg.ChangePosition(-50), 0);
    EXPECT_EQ(doc.a->Left, 0);  // group 1 starts at (300, 200): its corner goes to the origin
    EXPECT_EQ(doc.b->Left, 200);
    EXPECT_EQ(doc.c->Top, 0);
    doc.dlg.PressPreset(0);
    EXPECT_EQ(doc.dlg.Position(), 0);
    doc.dlg.PressPreset(4);
    EXPECT_EQ(doc.a->Left, 600);
    doc.dlg.Apply();
    EXPECT_EQ(doc.dlg.Position(), 100);
    doc.dlg.Close(true);
    EXPECT_EQ(doc.env.StretchMode, 2);  // group mode leaves the direction alone
}

TEST(StretchDialog, PositionIsStoredBesideTheMainWindow) {
    UsrIniFile ini;
    const WindowPlacement first = StretchDialogPlacement(ini, Point{30, 50});
    EXPECT_EQ(first.Left, 170);
    EXPECT_EQ(first.Top, 190);
    EXPECT_FALSE(first.HasSize);
    SaveStretchDialogPlacement(ini, Rect{400, 300, 700, 500});
    const WindowPlacement again = StretchDialogPlacement(ini, Point{30, 50});
    EXPECT_EQ(again.Left, 400);
    EXPECT_EQ(again.Top, 300);
    EXPECT_EQ(ini.ReadInteger("General", "StretchLeft", 0), 400);
}

}  // namespace
}  // namespace qv
