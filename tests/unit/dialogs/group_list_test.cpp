#include "core/panels/group_list.h"

#include <gtest/gtest.h>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "unit/model/fakes.h"

namespace qv {
namespace {

// "グループ" and "無所属" in code page 932.
const std::string kGroup = "\x83\x4f\x83\x8b\x81\x5b\x83\x76";
const std::string kNoGroupText = "\x96\xb3\x8f\x8a\x91\xae";

struct ListDoc : test::TestDoc {
    Fragment* a1 = Add("a1", 1, 10, 10);
    Fragment* a2 = Add("a2", 1, 10, 40);
    Fragment* plate = Add("Plate", 2, 200, 10, 5, 1, FragmentKind::NamePlate);
    Fragment* b = Add("b", 2, 200, 40);
    Fragment* loose = Add("loose", 0, 400, 400);
    ListDoc() {
        set.SetGroupLine(1, 2);
        Refresh();
        set.RedrawAll();
        set.Modified = false;
    }
};

TEST(GroupList, RowsShowCountsAndNamesAndOnlyChangedRowsAreRewritten) {
    GroupListRowsState rows = PlaceholderRows();
    EXPECT_EQ(rows.Text[0], "\xb8\xde\xd9\xb0\xcc\xdf 1 ____");
    EXPECT_EQ(rows.Text[99],
              "\xb8\xde\xd9\xb0\xcc\xdf"
              "100 ____");
    EXPECT_EQ(rows.Text[100], kNoGroupText + " ____");

    // Without a document: fixed texts, row 0 selected.
    EXPECT_EQ(RefreshGroupRows(nullptr, rows).size(), 101u);
    EXPECT_EQ(rows.Text[4], "___: " + kGroup + "  5");
    EXPECT_EQ(rows.Text[100], kNoGroupText);
    EXPECT_EQ(rows.Selected, 0);

    ListDoc doc;
    doc.set.GroupListGroup = 0;
    RefreshGroupRows(&doc.set, rows);
    EXPECT_EQ(rows.Text[0], "  2: " + kGroup + "  1");
    EXPECT_EQ(rows.Text[1], "  2: Plate");
    EXPECT_EQ(rows.Text[2], "___: " + kGroup + "  3");
    EXPECT_EQ(rows.Text[100], "  1: " + kNoGroupText);
    EXPECT_EQ(rows.Selected, 100);

    // Nothing changed: nothing is rewritten. A hidden group changes its check mark only.
    EXPECT_TRUE(RefreshGroupRows(&doc.set, rows).empty());
    doc.set.GroupTable[3].Shown = false;
    EXPECT_EQ(RefreshGroupRows(&doc.set, rows), std::vector<int>{2});
    EXPECT_FALSE(rows.Checked[2]);
}

TEST(GroupList, ShiftClickShowsOnlyTheClickedGroupAndPlainClicksFollowTheMarks) {
    ListDoc doc;
    GroupListRowsState rows;
    RefreshGroupRows(&doc.set, rows);
    rows.Checked[1] = false;
    ApplyGroupChecks(doc.set, rows, 1, false);
    EXPECT_FALSE(doc.set.GroupTable[2].Shown);
    EXPECT_TRUE(doc.set.GroupTable[1].Shown);

    rows.Checked[0] = false;  // the click took the mark off, Shift keeps this group shown
    ApplyGroupChecks(doc.set, rows, 0, true);
    int shown = 0;
    for (const GroupEntry& e : doc.set.GroupTable)
        shown += e.Shown ? 1 : 0;
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(doc.set.GroupTable[1].Shown);
    EXPECT_TRUE(rows.Checked[0]);
    EXPECT_FALSE(doc.set.Modified);

    ShowNonEmptyGroups(doc.set);
    EXPECT_TRUE(doc.set.GroupTable[0].Shown);
    EXPECT_TRUE(doc.set.GroupTable[2].Shown);
    EXPECT_FALSE(doc.set.GroupTable[3].Shown);
    ShowAllGroups(doc.set);
    EXPECT_TRUE(doc.set.GroupTable[3].Shown);
    EXPECT_FALSE(doc.set.Modified);
}

TEST(GroupList, ActivatingARowSelectsItsGroupAndASecondTimeDeselects) {
    ListDoc doc;
    PickGroupRow(doc.set, 1);
    EXPECT_EQ(doc.set.GroupListGroup, 2);
    EXPECT_EQ(doc.set.Fragments().back().get(), doc.plate) << "the name plate comes on top";

    EXPECT_EQ(ActivateGroupRow(doc.set, 0), GroupRowAction::SelectedGroup);
    EXPECT_EQ(doc.set.SelectionList.size(), 2u);
    EXPECT_EQ(ActivateGroupRow(doc.set, 0), GroupRowAction::Deselected);
    EXPECT_TRUE(doc.set.SelectionList.empty());

    // An empty group clears the selection; with NewBlankDblClick it asks for a new card.
    ActivateGroupRow(doc.set, 100);
    EXPECT_EQ(doc.set.SelectionList.size(), 1u);
    EXPECT_EQ(ActivateGroupRow(doc.set, 5), GroupRowAction::Deselected);
    EXPECT_TRUE(doc.set.SelectionList.empty());
    doc.env.NewBlankDblClick = true;
    EXPECT_EQ(ActivateGroupRow(doc.set, 5), GroupRowAction::NewFragment);
}

TEST(GroupList, MovingAndDroppingExchangeGroupsWithTheirCardsLinesAndNames) {
    ListDoc doc;
    doc.set.GroupListGroup = 1;
    ASSERT_TRUE(MoveCurrentGroup(doc.set, 1));
    EXPECT_EQ(doc.set.GroupListGroup, 2);
    EXPECT_EQ(doc.a1->Group, 2);
    EXPECT_EQ(doc.plate->Group, 1);
    EXPECT_EQ(doc.set.GroupNameText(1), "Plate");
    EXPECT_TRUE(doc.set.Modified);
    ASSERT_EQ(doc.set.GroupLines.size(), 1u);
    EXPECT_EQ(doc.set.GroupLines[0].From, 2);
    EXPECT_EQ(doc.set.GroupLines[0].To, 1);

    // Group 1 cannot go up, 100 not down, group 0 not at all.
    doc.set.GroupListGroup = 1;
    EXPECT_FALSE(MoveCurrentGroup(doc.set, -1));
    doc.set.GroupListGroup = 100;
    EXPECT_FALSE(MoveCurrentGroup(doc.set, 1));
    doc.set.GroupListGroup = 0;
    EXPECT_FALSE(MoveCurrentGroup(doc.set, -1));
    EXPECT_FALSE(CanDropOnRow(doc.set, 3));

    // Dropping group 2 on row 9 makes it group 10; group 0's row takes no drop.
    doc.set.GroupListGroup = 2;
    EXPECT_FALSE(CanDropOnRow(doc.set, kNoGroupRow));
    EXPECT_FALSE(DropOnRow(doc.set, kNoGroupRow));
    ASSERT_TRUE(DropOnRow(doc.set, 9));
    EXPECT_EQ(doc.a1->Group, 10);
    EXPECT_EQ(doc.set.GroupListGroup, 10);
    EXPECT_EQ(doc.set.GroupLines[0].From, 10);
    EXPECT_EQ(doc.loose->Group, 0);

    doc.set.ReadOnly = true;
    EXPECT_FALSE(CanDropOnRow(doc.set, 3));
    EXPECT_FALSE(MoveCurrentGroup(doc.set, -1));
}

TEST(GroupList, PlacementRoundTripsAndOddValuesFallBack) {
    UsrIniFile ini;
    EnvData env;
    GroupListPlacement p = ReadGroupListPlacement(ini, env);
    EXPECT_EQ(p, GroupListPlacement{});
    p.Floating = true;
    p.Side = DockSide::Bottom;
    p.Height = 150;
    p.FLeft = 30;
    p.FRight = 330;
    p.Visible = false;
    p.FloatStored = true;
    WriteGroupListPlacement(ini, env, p);
    EXPECT_EQ(env.Align, 2);
    EXPECT_EQ(ini.ReadInteger("GroupList", "FRight", 0), 330);
    EXPECT_EQ(ReadGroupListPlacement(ini, env), p);

    ini.WriteInteger("GroupList", "Width", -5);
    ini.WriteInteger("GroupList", "FRight", 0);
    env.Align = 9;
    const GroupListPlacement odd = ReadGroupListPlacement(ini, env);
    EXPECT_EQ(odd.Width, 20);
    EXPECT_EQ(odd.Side, DockSide::Left);
    EXPECT_EQ(odd.FLeft, 0);
    EXPECT_EQ(odd.FRight, 200);
    EXPECT_FALSE(odd.FloatStored);

    // A file without sizes: the width the window asks for, and never a narrower undock width.
    UsrIniFile fresh;
    const GroupListPlacement wide = ReadGroupListPlacement(fresh, env, 230);
    EXPECT_EQ(wide.Width, 230);
    EXPECT_EQ(wide.UnDockWidth, 230);
    EXPECT_FALSE(wide.FloatStored);
    // A list that never floated writes no rectangle, and the old default one counts as none.
    WriteGroupListPlacement(fresh, env, wide);
    EXPECT_EQ(fresh.ReadString("GroupList", "FLeft", "none"), "none");
    fresh.WriteInteger("GroupList", "FLeft", 0);
    fresh.WriteInteger("GroupList", "FTop", 0);
    fresh.WriteInteger("GroupList", "FRight", 200);
    fresh.WriteInteger("GroupList", "FBottom", 200);
    EXPECT_FALSE(ReadGroupListPlacement(fresh, env).FloatStored);

    EXPECT_EQ(DockPanelSize(500, 400), 280);
    EXPECT_EQ(DockPanelSize(120, 100), 20);
}

}  // namespace
}  // namespace qv
