// The overview map: its scale, its layers, clicks and drags that scroll the document, and the
// page image it keeps while only the view moves.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <cmath>

#include "app/app_services.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/panels/map_viewer.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "render/painting/colors.h"

namespace {

class MapViewerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        form_.resize(900, 700);
        form_.ShowAsStored();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_));
        map_ = form_.MapViewer();
        map_->ShowViewer();
        map_->resize(150, 100);
    }
    void TearDown() override {
        if (child_) child_->ApproveClose();
    }
    // A new document with a fixed 2000 × 1500 page and one card.
    void OpenPage() {
        child_ = form_.Documents().NewDocument();
        ASSERT_NE(child_, nullptr);
        qv::FragSet& set = child_->Set();
        set.FixedSize = true;
        set.FixedWidth = 2000;
        set.FixedHeight = 1500;
        card_ = set.AddFragment();
        card_->Left = 1000;
        card_->Top = 750;
        card_->ColBG = 0x0000FF;
        card_->Measure();
        set.RedrawAll();
        child_->SetScrollPosition(qv::ScrollAxis::Horizontal, 0);
        child_->SetScrollPosition(qv::ScrollAxis::Vertical, 0);
    }

    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
    TMapViewer* map_ = nullptr;
    TMDIChild* child_ = nullptr;
    qv::Fragment* card_ = nullptr;
};

TEST_F(MapViewerTest, WithoutADocumentTheMapIsPlainWorkspace) {
    EXPECT_EQ(map_->windowTitle(), QStringLiteral("全体図"));
    EXPECT_TRUE(map_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(map_->MapScale().has_value());
    const QImage shot = map_->Snapshot();
    const QRgb workspace = qv::ToQColor(qv::kSysAppWorkspace).rgb();
    EXPECT_EQ(shot.pixel(5, 5), workspace);
    EXPECT_EQ(shot.pixel(140, 90), workspace);
}

TEST_F(MapViewerTest, A2000By1500PageInA150By100MapTakes134By101Pixels) {
    OpenPage();
    ASSERT_TRUE(map_->MapScale().has_value());
    EXPECT_NEAR(*map_->MapScale(), 0.066, 1e-9);
    form_.Env().AreaFrame = false;
    const QImage shot = map_->Snapshot();
    const QRgb page = qv::ToQColor(form_.Env().Colors.Background).rgb();
    const QRgb workspace = qv::ToQColor(qv::kSysAppWorkspace).rgb();
    EXPECT_EQ(shot.pixel(133, 3), page);
    EXPECT_EQ(shot.pixel(134, 3), workspace);
    EXPECT_EQ(shot.pixel(3, 99), page) << "101 rows: the page fills the map's height";
    // The card is a small box in its own colour near the middle of the page.
    EXPECT_EQ(shot.pixel(68, 51), qv::ToQColor(0x0000FF).rgb());
}

TEST_F(MapViewerTest, PressAndDragScrollTheDocumentSoThePointIsTheCentreOfTheView) {
    OpenPage();
    const double s = *map_->MapScale();
    const int cw = child_->ClientWidth(), ch = child_->ClientHeight();
    QTest::mousePress(map_, Qt::LeftButton, {}, QPoint(66, 50));
    EXPECT_EQ(child_->ScrollPosition(qv::ScrollAxis::Horizontal),
              static_cast<int>(std::floor(66 / s)) - cw / 2);
    EXPECT_EQ(child_->ScrollPosition(qv::ScrollAxis::Vertical),
              static_cast<int>(std::floor(50 / s)) - ch / 2);
    QTest::mouseMove(map_, QPoint(30, 20));
    EXPECT_EQ(child_->ScrollPosition(qv::ScrollAxis::Horizontal),
              std::max(0, static_cast<int>(std::floor(30 / s)) - cw / 2));
    // Beyond the map a drag does not scroll.
    const int before = child_->ScrollPosition(qv::ScrollAxis::Vertical);
    QTest::mouseMove(map_, QPoint(60, 140));
    EXPECT_EQ(child_->ScrollPosition(qv::ScrollAxis::Vertical), before);
    QTest::mouseRelease(map_, Qt::LeftButton, {}, QPoint(60, 140));

    // A press anywhere scrolls as far as the range allows.
    QTest::mouseClick(map_, Qt::RightButton, {}, QPoint(149, 99));
    EXPECT_EQ(child_->ScrollPosition(qv::ScrollAxis::Horizontal),
              child_->horizontalScrollBar()->maximum());
}

TEST_F(MapViewerTest, AScrollMovesOnlyTheViewRectangleWhileAMovedCardRepaintsThePage) {
    OpenPage();
    form_.Env().AreaFrame = true;
    (void)map_->Snapshot();
    const int paints = map_->ContentPaints();
    const QRgb frame = qv::ToQColor(form_.Env().Colors.AreaFrame).rgb();
    EXPECT_EQ(map_->Snapshot().pixel(0, 0), frame);

    child_->SetScrollPosition(qv::ScrollAxis::Horizontal, 500);
    const QImage scrolled = map_->Snapshot();
    EXPECT_EQ(map_->ContentPaints(), paints) << "the page image is reused";
    EXPECT_EQ(scrolled.pixel(33, 0), frame);
    EXPECT_NE(scrolled.pixel(0, 0), frame);

    card_->Left = 100;
    card_->Measure();
    child_->Set().RedrawAll();
    (void)map_->Snapshot();
    EXPECT_EQ(map_->ContentPaints(), paints + 1);
}

}  // namespace

namespace {

TEST_F(MapViewerTest, AHiddenMapPaintsNothingAndShowsTheActiveDocumentWhenShownAgain) {
    OpenPage();
    (void)map_->Snapshot();
    map_->close();
    EXPECT_TRUE(map_->isHidden());
    const int paints = map_->ContentPaints();
    card_->Left = 300;
    card_->Measure();
    child_->Set().RedrawAll();  // asks the map to update: hidden, it does nothing
    QApplication::processEvents();
    EXPECT_EQ(map_->ContentPaints(), paints);
    map_->ShowViewer();
    map_->resize(150, 100);
    const QImage shot = map_->Snapshot();
    EXPECT_EQ(map_->ContentPaints(), paints + 1);
    EXPECT_EQ(shot.pixel(21, 51), qv::ToQColor(0x0000FF).rgb()) << "the card at its new place";
}

}  // namespace
