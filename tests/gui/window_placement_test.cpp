// Where document windows open and how they are brought back into view, and the windows' icons.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>

#include "app/app_services.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "core/settings/env_data.h"
#include "gui/scripted_prompts.h"

namespace {

const std::string kExample = std::string(QV_SOURCE_DIR) + "/examples/brainstorm.csv";

class WindowPlacementTest : public ::testing::Test {
  protected:
    void SetUp() override {
        services_.Prompts().Redirect(&prompts_);
        form_.resize(1000, 760);
        form_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_));
    }
    void TearDown() override {
        services_.Prompts().Redirect(nullptr);
        for (QMdiSubWindow* sub : form_.DocumentArea()->subWindowList())
            if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->ApproveClose();
    }
    QRect Visible() const { return form_.DocumentArea()->viewport()->rect(); }
    static QMdiSubWindow* Sub(TMDIChild* child) {
        return qobject_cast<QMdiSubWindow*>(child->parentWidget());
    }

    ScriptedPrompts prompts_;
    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
};

TEST_F(WindowPlacementTest, NewWindowsOpenAtTheirOwnSizeDownACascadeInsideTheVisibleArea) {
    std::vector<QMdiSubWindow*> subs;
    subs.push_back(Sub(form_.Documents().OpenDocument(kExample)));
    subs.push_back(Sub(form_.Documents().NewDocument()));
    const int step = subs[1]->y() - subs[0]->y();
    ASSERT_GT(step, 0);
    // How many places down the cascade fit; past the last one it starts again at the top.
    int places = 0;
    while (Visible().contains(QRect(QPoint(places * step, places * step), QSize(429, 257))))
        ++places;
    ASSERT_GT(places, 2);
    while (static_cast<int>(subs.size()) < places + 3)
        subs.push_back(Sub(form_.Documents().NewDocument()));
    for (std::size_t i = 0; i < subs.size(); ++i) {
        SCOPED_TRACE(i);
        const int k = static_cast<int>(i) % places;
        EXPECT_EQ(subs[i]->geometry(), QRect(k * step, k * step, 429, 257));
    }
    // A place that a closed window left is the next one taken.
    subs[2]->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Sub(form_.Documents().NewDocument())->pos(), QPoint(2 * step, 2 * step));

    // A frame smaller than the default size gets windows that fit it.
    form_.resize(420, 300);
    QApplication::processEvents();
    QMdiSubWindow* small = Sub(form_.Documents().NewDocument());
    EXPECT_TRUE(Visible().contains(small->geometry()));
}

TEST_F(WindowPlacementTest, TheWindowListAndOpeningAgainBringAWindowBackIntoView) {
    TMDIChild* example = form_.Documents().OpenDocument(kExample);
    TMDIChild* other = form_.Documents().NewDocument();
    ASSERT_NE(example, nullptr);
    ASSERT_NE(other, nullptr);
    Sub(example)->move(Visible().width() - 40, Visible().height() + 300);
    form_.DocumentArea()->setActiveSubWindow(Sub(other));
    ASSERT_FALSE(Visible().contains(Sub(example)->geometry()));

    // Window menu, first item: the document comes into view and is active.
    QMenu* menu = form_.WindowMenu();
    emit menu->aboutToShow();
    form_.WindowListItems().value(0)->trigger();
    EXPECT_EQ(form_.ActiveChild(), example);
    EXPECT_TRUE(Visible().contains(Sub(example)->geometry()));
    EXPECT_EQ(Sub(example)->size(), QSize(429, 257));

    // Opening the document again (a jump, a second start) does the same.
    Sub(example)->move(-300, -200);
    form_.DocumentArea()->setActiveSubWindow(Sub(other));
    EXPECT_EQ(form_.Documents().OpenDocument(kExample), example);
    EXPECT_EQ(form_.ActiveChild(), example);
    EXPECT_TRUE(Visible().contains(Sub(example)->geometry()));
}

// The colour of the icon's pixel at (x, y) of its 32-pixel image.
QRgb IconPixel(const QIcon& icon, int x, int y) {
    return icon.pixmap(QSize(32, 32)).toImage().scaled(32, 32).pixel(x, y);
}

TEST_F(WindowPlacementTest, TheMainWindowAndDocumentWindowsShowTheProgramsOwnIcons) {
    const QIcon program = form_.windowIcon();
    ASSERT_FALSE(program.isNull());
    ASSERT_FALSE(program.availableSizes().isEmpty());
    // The program icon's teal page, whatever icon theme the desktop has.
    const QColor page(IconPixel(program, 16, 3));
    EXPECT_LT(page.red(), 40);
    EXPECT_GT(page.green(), 100);
    EXPECT_GT(page.blue(), 100);

    TMDIChild* child = form_.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    const QIcon document = Sub(child)->windowIcon();
    ASSERT_FALSE(document.isNull());
    // A white sheet of paper with a transparent margin, unlike the program icon.
    EXPECT_EQ(qAlpha(IconPixel(document, 1, 16)), 0);
    EXPECT_EQ(QColor(IconPixel(document, 6, 5)), QColor(Qt::white));
    EXPECT_NE(document.cacheKey(), QApplication::windowIcon().cacheKey());
}

}  // namespace
