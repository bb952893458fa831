// What the document window repaints after an operation: one paint holding every changed card,
// only the part of the window that changed for a small change, and no later paint of its own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QTest>
#include <vector>

#include "app/app_services.h"
#include "app/commands/card_commands.h"
#include "app/commands/command_registry.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "core/layout/arrange.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "unit/model/fakes.h"

namespace {

// Records the region of every paint event of a widget.
class PaintRecorder : public QObject {
  public:
    std::vector<QRegion> Paints;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            Paints.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

QRect ToQRect(const qv::Rect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

class RepaintRegionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The property dialog is modal: it stays shut.
        QObject::disconnect(&form_.Documents(), &DocumentManager::EditSelectionRequested,
                            &cardCommands_, nullptr);
        QObject::disconnect(&form_.Documents(), &DocumentManager::NewFragmentRequested,
                            &cardCommands_, nullptr);
        form_.resize(1000, 760);
        form_.ShowAsStored();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_));
        QApplication::setActiveWindow(&form_);
        child_ = form_.Documents().NewDocument();  // 無題
        ASSERT_NE(child_, nullptr);
        child_->parentWidget()->showMaximized();
        // 10 × 8 cards in four groups over the visible part of the page.
        for (int i = 0; i < 80; ++i)
            cards_.push_back(qv::test::AddCard(child_->Set(), "card", i % 4 + 1, 20 + (i % 10) * 80,
                                               20 + (i / 10) * 50));
        child_->Set().Recount();
        child_->Set().RefreshVisibility();
        child_->Set().History().Reset();
        Settle();
        child_->viewport()->installEventFilter(&recorder_);
    }
    void TearDown() override {
        for (QMdiSubWindow* sub : form_.DocumentArea()->subWindowList())
            if (auto* c = qobject_cast<TMDIChild*>(sub->widget())) c->ApproveClose();
    }
    // Runs the event loop for `ms` milliseconds, long enough for the main window's timer.
    static void Settle(int ms = 0) {
        QElapsedTimer t;
        t.start();
        do {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        } while (t.elapsed() < ms);
    }
    QWindow* Window() { return form_.windowHandle(); }
    QPoint At(QPoint p) const { return child_->viewport()->mapTo(&form_, p); }

    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
    CardCommands& cardCommands_ = program_->Cards();
    TMDIChild* child_ = nullptr;
    std::vector<qv::Fragment*> cards_;
    PaintRecorder recorder_;
};

TEST_F(RepaintRegionTest, ADragStepOfOneCardRepaintsOnlyWhereItWasAndIs) {
    qv::Fragment* card = cards_[0];
    const QRect before = ToQRect(card->ScreenRect);
    const QPoint from = before.center();
    QTest::mousePress(Window(), Qt::LeftButton, {}, At(from));
    Settle();
    recorder_.Paints.clear();
    QTest::mouseEvent(QTest::MouseMove, Window(), Qt::LeftButton, {}, At(from + QPoint(7, 5)));
    Settle();
    const QRect after = ToQRect(card->ScreenRect);
    ASSERT_EQ(after.topLeft(), before.topLeft() + QPoint(7, 5));
    ASSERT_EQ(recorder_.Paints.size(), 1u);
    const QRegion painted = recorder_.Paints.front();
    EXPECT_TRUE(painted.contains(before));
    EXPECT_TRUE(painted.contains(after));
    // The far corner of the page, untouched, is not painted again.
    EXPECT_FALSE(painted.contains(ToQRect(cards_.back()->ScreenRect)));
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, At(from + QPoint(7, 5)));
}

TEST_F(RepaintRegionTest, ADragStepOfManyCardsRepaintsEveryCardOnceInOnePaint) {
    child_->Set().SelectAll(true);
    Settle();
    std::vector<QRect> before;
    for (qv::Fragment* f : cards_)
        before.push_back(ToQRect(f->ScreenRect));
    const QPoint from = before[11].center();
    QTest::mousePress(Window(), Qt::LeftButton, {}, At(from));
    Settle();
    recorder_.Paints.clear();
    QTest::mouseEvent(QTest::MouseMove, Window(), Qt::LeftButton, {}, At(from + QPoint(3, 9)));
    Settle();
    ASSERT_EQ(recorder_.Paints.size(), 1u);
    const QRegion painted = recorder_.Paints.front();
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        EXPECT_TRUE(painted.contains(before[i])) << i;
        EXPECT_TRUE(painted.contains(ToQRect(cards_[i]->ScreenRect))) << i;
    }
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, At(from + QPoint(3, 9)));
}

TEST_F(RepaintRegionTest, CommandsPaintOnceAndNotAgainWhenTheTimerTicks) {
    ASSERT_TRUE(form_.isActiveWindow());
    CommandRegistry& r = form_.Commands();
    // A page larger than the window: scroll bars that come or go resize the view, which is a
    // repaint of its own.
    qv::FragSet& set = child_->Set();
    set.FixedWidth = set.FixedHeight = 3000;
    set.SetFixedSize(true);
    set.RedrawAll();
    set.History().Reset();
    set.SelectAll(true);
    Settle(320);  // what opening the window asked for is done
    for (CommandId id : {CommandId::EditGather, CommandId::EditUndoPos, CommandId::EditRedoPos,
                         CommandId::EditSpread, CommandId::EditCut, CommandId::EditPaste}) {
        recorder_.Paints.clear();
        ASSERT_TRUE(r.Run(id)) << static_cast<int>(id);
        Settle(320);
        EXPECT_EQ(recorder_.Paints.size(), 1u) << static_cast<int>(id);
        EXPECT_FALSE(form_.Services().Refresh().Pending()) << static_cast<int>(id);
    }
}

TEST_F(RepaintRegionTest, TheDeleteKeyShowsTheNewCountsInItsOwnRepaint) {
    const QPoint at = ToQRect(cards_[0]->ScreenRect).center();
    QTest::mouseClick(Window(), Qt::LeftButton, {}, At(at));
    Settle();
    ASSERT_EQ(child_->Set().SelectionList.size(), 1u);
    QTest::keyClick(Window(), Qt::Key_Delete);
    // Not a quarter of a second later when the timer ticks.
    EXPECT_FALSE(services_.Refresh().Pending());
    EXPECT_TRUE(form_.StatusPanelText(1).contains(QStringLiteral("=79 ")))
        << form_.StatusPanelText(1).toStdString();
}

}  // namespace
