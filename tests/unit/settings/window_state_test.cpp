#include <gtest/gtest.h>

#include "core/settings/usr_ini_file.h"
#include "core/settings/window_state.h"

namespace qv {
namespace {

TEST(Placement, ReadsPositionAndSizeWithFallbacks) {
    const auto ini = UsrIniFile::FromText(
        "[General]\r\nWinLeft=10\r\nWinTop=20\r\nWinWidth=0\r\nWinHeight=300\r\n"
        "DlgLeft=5\r\nDlgWidth=400\r\nDlgHeight=-1\r\n");
    EXPECT_EQ(ReadPlacement(ini, "Win", 600, 800, 1, 2), (WindowPlacement{10, 20, 800, 300, true}));
    EXPECT_EQ(ReadPlacement(ini, "Dlg", 600, 800, 1, 2), (WindowPlacement{5, 1, 400, 600, true}));
    EXPECT_EQ(ReadPlacement(ini, "Dlg", 0, 800, 1, 2), (WindowPlacement{5, 1, 0, 0, false}))
        << "size is applied only with both default sizes";
}

TEST(Placement, WritesNormalBoundsOrNothing) {
    auto ini = UsrIniFile::FromText("[General]\r\nWinLeft=1\r\n");
    WritePlacement(ini, "Win", std::nullopt);
    EXPECT_FALSE(ini.Modified());
    WritePlacement(ini, "Win", Rect{10, 20, 810, 620});
    EXPECT_EQ(ReadPlacement(ini, "Win", 1, 1, 0, 0), (WindowPlacement{10, 20, 800, 600, true}));
    WritePlacement(ini, "Find", Rect{3, 4, 50, 60}, false);
    EXPECT_EQ(ini.ReadString("General", "FindWidth", "none"), "none");
    EXPECT_EQ(ini.ReadInteger("General", "FindTop", 0), 4);
}

TEST(ToolBar, FloatingAndDockedStatesRoundTrip) {
    ToolBarState current;
    current.Top = 3;
    current.Left = 4;
    UsrIniFile empty;
    ToolBarState s = ReadToolBar(empty, "Tool1", current, true);
    EXPECT_TRUE(s.Visible);
    EXPECT_FALSE(s.Floating);
    EXPECT_EQ(s.Top, 3);
    EXPECT_EQ(s.Left, 4);
    EXPECT_TRUE(s.Flat);

    UsrIniFile ini;
    ToolBarState floating;
    floating.Visible = false;
    floating.Floating = true;
    floating.FloatBounds = Rect{300, 310, 500, 340};
    WriteToolBar(ini, "Tool2", floating);
    EXPECT_EQ(ini.ReadString("ToolBar", "ShowTool2", ""), "0");
    EXPECT_EQ(ini.ReadString("ToolBar", "Tool2Top", "none"), "none");
    EXPECT_EQ(ReadToolBar(ini, "Tool2", ToolBarState{}, false), floating);

    ToolBarState docked;
    docked.Top = 32;
    docked.Left = 120;
    WriteToolBar(ini, "Tool3", docked);
    EXPECT_EQ(ReadToolBar(ini, "Tool3", ToolBarState{}, false), docked);

    const auto defaults = UsrIniFile::FromText("[ToolBar]\r\nTool1Floating=1\r\n");
    EXPECT_EQ(ReadToolBar(defaults, "Tool1", current, false).FloatBounds,
              (Rect{100, 100, 200, 200}));
}

}  // namespace
}  // namespace qv
