// The stretch dialog driven by keys and clicks: every slider step moves the cards at once, and
// Cancel puts them back exactly.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <vector>

#include "app/dialogs/stretch_dlg.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "render/painting/offscreen_document.h"
#include "unit/model/fakes.h"

namespace {

struct StretchDialogTest : ::testing::Test {
    qv::EnvData env;
    qv::UsrIniFile ini;
    qv::OffscreenDocument doc{env};
    TStretchDlg dlg{ini};
    int changes = 0;

    StretchDialogTest() {
        qv::test::AddCard(doc.Set(), "a", 1, 100, 100);
        qv::test::AddCard(doc.Set(), "b", 1, 300, 100);
        qv::test::AddCard(doc.Set(), "c", 2, 200, 260);
        doc.Set().Recount();
        doc.Set().RefreshVisibility();
        doc.Set().RedrawAll();
        doc.Set().SelectAll(true);
        QObject::connect(&dlg, &TStretchDlg::Changed, [this] { ++changes; });
    }
    ~StretchDialogTest() override {
        if (dlg.isVisible()) dlg.reject();
    }

    std::vector<qv::Rect> Layout() {
        std::vector<qv::Rect> r;
        for (const auto& f : doc.Set().Fragments())
            r.push_back(f->DocRect());
        return r;
    }
};

TEST_F(StretchDialogTest, EverySliderStepIsAppliedAtOnceAndCancelRestores) {
    const std::vector<qv::Rect> before = Layout();
    dlg.Begin(doc.Set(), qv::StretchTarget::Fragments, QPoint(0, 0));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("断片位置の伸縮"));
    EXPECT_TRUE(dlg.DirectionBox()->isVisibleTo(&dlg));
    EXPECT_EQ(dlg.Slider()->value(), 100);  // radial, the neutral factor
    EXPECT_EQ(dlg.focusWidget(), dlg.Slider());

    const int changesBefore = changes;
    QTest::keyClick(dlg.Slider(), Qt::Key_PageUp);  // one page: 1.25
    EXPECT_EQ(dlg.Slider()->value(), 125);
    const std::vector<qv::Rect> wider = Layout();
    EXPECT_NE(wider, before);
    // Radial about the centre: the outer cards move away from each other.
    EXPECT_LT(wider[0].Left, before[0].Left);
    EXPECT_GT(wider[1].Left, before[1].Left);
    EXPECT_GT(changes, changesBefore);

    QTest::keyClick(dlg.Slider(), Qt::Key_Right);
    EXPECT_EQ(dlg.Slider()->value(), 126);
    EXPECT_NE(Layout(), wider);

    QTest::mouseClick(dlg.CancelButton(), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(Layout(), before);
    EXPECT_FALSE(doc.Set().Modified);
    // The dialog's place is remembered for next time.
    EXPECT_NE(ini.ReadString("General", "StretchLeft", ""), "");
}

TEST_F(StretchDialogTest, PresetsAndDirectionsApplyEvenWithoutAMove) {
    dlg.Begin(doc.Set(), qv::StretchTarget::Fragments, QPoint(0, 0));
    // Preset "0" of radial: every card centre on the selection's centre.
    QTest::mouseClick(dlg.PresetButton(2), Qt::LeftButton);
    EXPECT_EQ(dlg.Slider()->value(), 0);
    const std::vector<qv::Rect> collapsed = Layout();
    EXPECT_EQ(collapsed[0].Left + collapsed[0].Right, collapsed[1].Left + collapsed[1].Right);

    // Rotation starts at its neutral 0: back to the starting layout.
    QTest::mouseClick(dlg.DirectionButton(4), Qt::LeftButton);
    EXPECT_EQ(dlg.Slider()->value(), 0);
    EXPECT_NE(Layout(), collapsed);

    // Apply commits: the slider returns to neutral and Cancel keeps the applied layout.
    QTest::mouseClick(dlg.PresetButton(3), Qt::LeftButton);  // a quarter turn
    const std::vector<qv::Rect> turned = Layout();
    QTest::mouseClick(dlg.ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.Slider()->value(), 0);
    EXPECT_TRUE(doc.Set().Modified);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(Layout(), turned);
    EXPECT_EQ(env.StretchMode, 4);
}

TEST_F(StretchDialogTest, GroupModeHasNoNegativeFactorsAndOkKeepsTheLayout) {
    dlg.Begin(doc.Set(), qv::StretchTarget::Groups, QPoint(0, 0));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("グループ位置の伸縮"));
    EXPECT_FALSE(dlg.DirectionBox()->isVisibleTo(&dlg));
    EXPECT_FALSE(dlg.PresetButton(0)->isEnabled());
    EXPECT_FALSE(dlg.PresetButton(1)->isEnabled());
    QTest::keyClick(dlg.Slider(), Qt::Key_Home);
    EXPECT_EQ(dlg.Slider()->value(), 0);
    QTest::mouseClick(dlg.PresetButton(4), Qt::LeftButton);  // 2.00
    const std::vector<qv::Rect> spread = Layout();
    EXPECT_EQ(spread[0].Left, 200);
    EXPECT_EQ(spread[2].Top, 520);
    QTest::keyClick(&dlg, Qt::Key_Return);  // OK is the default button
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(Layout(), spread);
    EXPECT_TRUE(doc.Set().Modified);
}

}  // namespace
