// The group list as the user works it: clicks on rows and check boxes, double clicks, Enter,
// the row drag, Alt+arrows, the pop-up, and its place kept across a restart.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "app/app_services.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/panels/group_list_panel.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "render/text/qt_text.h"

namespace {

const std::string kExample = std::string(QV_SOURCE_DIR) + "/examples/brainstorm.csv";

class GroupListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        form_.resize(900, 700);
        form_.ShowAsStored();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_));
        child_ = form_.Documents().OpenDocument(kExample);
        ASSERT_NE(child_, nullptr);
        form_.Services().Refresh().Started();
        list_ = form_.GroupList();
        view_ = list_->View();
        form_.RefreshViews();
    }
    void TearDown() override {
        if (child_) child_->ApproveClose();
    }
    qv::FragSet& Set() { return child_->Set(); }
    QRect RowRect(int row) { return view_->visualRect(view_->model()->index(row, 0)); }
    QPoint RowText(int row) { return RowRect(row).center() + QPoint(20, 0); }
    QPoint RowCheck(int row) { return GroupRowDelegate::CheckRect(RowRect(row)).center(); }
    QString Text(int row) { return view_->model()->index(row, 0).data().toString(); }
    bool Checked(int row) {
        return view_->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
    }
    void Scroll(int row) { view_->scrollTo(view_->model()->index(row, 0)); }

    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
    TMDIChild* child_ = nullptr;
    TGroupListPanel* list_ = nullptr;
    GroupListView* view_ = nullptr;
};

TEST(GroupListAtStart, TheFirstFrameShowsTheStartDocumentsCountsWithoutATimerTick) {
    QTemporaryDir dir;
    qv::StartupArguments startup;
    startup.IniPath = QFile::encodeName(dir.filePath(QStringLiteral("s.INI"))).toStdString();
    startup.StartFile = kExample;
    AppServices services(startup);
    const std::unique_ptr<Program> program = BuildProgram(services);
    TQuillovaMainForm& form = program->Window();
    form.resize(900, 700);
    form.ShowAsStored();
    // Nothing of the event loop has run: what the window shows first is there already.
    ASSERT_NE(form.ActiveChild(), nullptr);
    QAbstractItemModel* rows = form.GroupList()->View()->model();
    EXPECT_EQ(rows->index(0, 0).data().toString(), QStringLiteral("  5: 機能のアイデア"));
    EXPECT_FALSE(services.Refresh().Pending());
    if (form.ActiveChild()) form.ActiveChild()->ApproveClose();
}

TEST_F(GroupListTest, RowsShowCountsAndNamesAndClicksPickTheCurrentGroup) {
    EXPECT_EQ(list_->windowTitle(), QStringLiteral("グループリスト"));
    EXPECT_EQ(form_.dockWidgetArea(list_), Qt::LeftDockWidgetArea);
    EXPECT_EQ(Text(0), QStringLiteral("  5: 機能のアイデア"));
    EXPECT_EQ(Text(4), QStringLiteral("  3: 次の一手"));
    EXPECT_EQ(Text(5), QStringLiteral("___: グループ  6"));
    EXPECT_EQ(Text(100), QStringLiteral("  1: 無所属"));
    EXPECT_EQ(view_->currentIndex().row(), 0) << "the document's current group is 1";

    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, RowText(2));
    EXPECT_EQ(Set().GroupListGroup, 3);
    EXPECT_EQ(Set().Fragments().back()->Text, qv::ToCp932(QStringLiteral("販売と宣伝")))
        << "the name plate comes on top";
    EXPECT_EQ(form_.Documents().GroupListRow(), 2);
    EXPECT_TRUE(Set().SelectionList.empty()) << "a click selects no cards";
    EXPECT_FALSE(Set().Modified);
}

TEST_F(GroupListTest, ARefreshRepaintsOnlyTheRowsThatChanged) {
    struct Recorder : QObject {
        QRegion Painted;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                Painted += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } recorder;
    // What opening the document painted, rows after the document window, is done first.
    for (int round = 0; round < 3; ++round)
        QApplication::processEvents();
    view_->viewport()->installEventFilter(&recorder);
    // One card of group 1 moves to group 2: two counts change.
    for (const auto& f : Set().Fragments()) {
        if (f->Group != 1 || f->Kind == qv::FragmentKind::NamePlate) continue;
        f->Group = 2;
        break;
    }
    Set().Recount();
    form_.RefreshViews();
    for (int round = 0; round < 3; ++round)
        QApplication::processEvents();
    view_->viewport()->removeEventFilter(&recorder);
    EXPECT_EQ(Text(0), QStringLiteral("  4: 機能のアイデア"));
    EXPECT_TRUE(recorder.Painted.contains(RowRect(0)));
    EXPECT_TRUE(recorder.Painted.contains(RowRect(1)));
    EXPECT_FALSE(recorder.Painted.intersects(RowRect(4)));
    EXPECT_FALSE(recorder.Painted.intersects(RowRect(8)));
}

// Rows draw their check boxes from pictures the style drew once: the same pixels as the style
// drawing them on the row, checked or not.
TEST_F(GroupListTest, CheckBoxesAreTheStylesOwn) {
    Set().GroupTable[2].Shown = false;
    form_.RefreshViews();
    ASSERT_TRUE(Checked(0));
    ASSERT_FALSE(Checked(1));
    const QImage shot = view_->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int row : {0, 1, 0}) {
        const QRect box = GroupRowDelegate::CheckRect(RowRect(row));
        QImage own(box.size(), QImage::Format_RGB32);
        own.fill(shot.pixel(RowRect(row).right() - 1, box.center().y()));
        {
            QPainter p(&own);
            QStyleOptionViewItem check;
            check.initFrom(view_);
            check.rect = QRect(QPoint(0, 0), box.size());
            check.state = QStyle::State_Enabled | (Checked(row) ? QStyle::State_On : QStyle::State_Off);
            view_->style()->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, &p,
                                          view_->viewport());
        }
        const QImage drawn = shot.copy(box);
        int differ = 0;
        for (int y = 0; y < box.height(); ++y)
            for (int x = 0; x < box.width(); ++x) {
                const QRgb a = drawn.pixel(x, y), b = own.pixel(x, y);
                // Blending a picture may round an edge pixel the other way.
                if (std::abs(qRed(a) - qRed(b)) > 1 || std::abs(qGreen(a) - qGreen(b)) > 1 ||
                    std::abs(qBlue(a) - qBlue(b)) > 1)
                    ++differ;
            }
        EXPECT_EQ(differ, 0) << "row " << row;
    }
}

TEST_F(GroupListTest, ShiftClickOnACheckBoxShowsOnlyThatGroup) {
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowCheck(1));
    for (int row = 0; row < 101; ++row)
        EXPECT_EQ(Checked(row), row == 1) << row;
    for (const auto& f : Set().Fragments())
        EXPECT_EQ(f->Visible, f->Group == 2) << f->Text;
    EXPECT_FALSE(Set().Modified);

    // A plain click brings one group back; "全て表示" brings them all.
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, RowCheck(0));
    EXPECT_TRUE(Checked(0));
    EXPECT_TRUE(Set().GroupTable[1].Shown);
    EXPECT_FALSE(Set().GroupTable[3].Shown);
    list_->ShowAll();
    EXPECT_TRUE(Checked(2));
    EXPECT_TRUE(Set().GroupTable[3].Shown);
}

TEST_F(GroupListTest, DoubleClicksSelectAGroupDeselectItAndLeaveCheckBoxesAsTheyWere) {
    // A double click on a check box toggles it twice and selects nothing.
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, RowCheck(3));
    QTest::mouseDClick(view_->viewport(), Qt::LeftButton, {}, RowCheck(3));
    QTest::mouseRelease(view_->viewport(), Qt::LeftButton, {}, RowCheck(3));
    EXPECT_TRUE(Checked(3));
    EXPECT_TRUE(Set().SelectionList.empty());

    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, RowText(3));
    QTest::mouseDClick(view_->viewport(), Qt::LeftButton, {}, RowText(3));
    EXPECT_EQ(Set().SelectionList.size(), 4u);
    for (const qv::Fragment* f : Set().SelectionList)
        EXPECT_EQ(f->Group, 4);
    // The second double click deselects; Enter does what a double click does.
    QTest::mouseDClick(view_->viewport(), Qt::LeftButton, {}, RowText(3));
    EXPECT_TRUE(Set().SelectionList.empty());
    view_->setFocus();
    QTest::keyClick(view_, Qt::Key_Return);
    EXPECT_EQ(Set().SelectionList.size(), 4u);
}

TEST_F(GroupListTest, DraggingARowOntoAnotherExchangesTheGroupsWithCardsLinesAndNames) {
    QWidget* vp = view_->viewport();
    const std::string plate1 = qv::ToCp932(QStringLiteral("機能のアイデア"));
    QTest::mousePress(vp, Qt::LeftButton, {}, RowText(0));
    QTest::mouseMove(vp, RowText(1));
    QTest::mouseMove(vp, RowText(3));
    EXPECT_EQ(view_->DropRow(), 3);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, RowText(3));
    EXPECT_EQ(Set().GroupNameText(4), plate1);
    EXPECT_EQ(Set().GroupNameText(1), qv::ToCp932(QStringLiteral("課題")));
    EXPECT_EQ(Set().GroupListGroup, 4);
    EXPECT_EQ(view_->currentIndex().row(), 3);
    EXPECT_TRUE(Set().Modified);
    EXPECT_EQ(Text(3), QStringLiteral("  5: 機能のアイデア"));
    // The lines 1-2 and 1-3 now start at group 4, the line 4-2 at group 1.
    int fromFour = 0;
    for (const qv::ArrowLine& line : Set().GroupLines)
        fromFour += line.From == 4 ? 1 : 0;
    EXPECT_EQ(fromFour, 2);

    // Onto "無所属" nothing is dropped.
    Scroll(100);
    QTest::mousePress(vp, Qt::LeftButton, {}, RowText(3));
    QTest::mouseMove(vp, RowText(100) + QPoint(0, -30));
    QTest::mouseMove(vp, RowText(100));
    EXPECT_EQ(view_->DropRow(), -1);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, RowText(100));
    EXPECT_EQ(Set().GroupNameText(4), plate1);
    EXPECT_EQ(Set().GroupListGroup, 4);
}

TEST_F(GroupListTest, AltArrowsMoveTheCurrentGroupWhileTheListHasTheFocus) {
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, RowText(1));
    view_->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view_->hasFocus(); }, 1000));
    QTest::keyClick(view_, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Set().GroupListGroup, 3);
    EXPECT_EQ(Set().GroupNameText(3), qv::ToCp932(QStringLiteral("デザイン")));
    EXPECT_EQ(view_->currentIndex().row(), 2);
    QTest::keyClick(view_, Qt::Key_Up, Qt::AltModifier);
    QTest::keyClick(view_, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(Set().GroupListGroup, 1);
    EXPECT_EQ(Set().GroupNameText(1), qv::ToCp932(QStringLiteral("デザイン")));
    QTest::keyClick(view_, Qt::Key_Up, Qt::AltModifier);  // group 1 goes no higher
    EXPECT_EQ(Set().GroupListGroup, 1);

    // A read-only document keeps its groups.
    Set().ReadOnly = true;
    QTest::keyClick(view_, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Set().GroupListGroup, 1);
    // Esc hands the focus back to the document.
    QTest::keyClick(view_, Qt::Key_Escape);
    EXPECT_FALSE(view_->hasFocus());
}

TEST_F(GroupListTest, PopupChecksTheSideAndHidingStopsRefreshes) {
    QMenu* popup = list_->PopupMenu();
    emit popup->aboutToShow();
    QAction* left = nullptr;
    for (QAction* a : popup->actions())
        if (a->menu())
            for (QAction* s : a->menu()->actions())
                if (s->text() == QStringLiteral("左(&L)")) left = s;
    ASSERT_NE(left, nullptr);
    EXPECT_TRUE(left->isChecked());

    list_->Hide();
    EXPECT_TRUE(list_->isHidden());
    EXPECT_FALSE(form_.Documents().GroupListRow().has_value());
    Set().GroupTable[2].Shown = false;
    form_.RefreshViews();
    EXPECT_TRUE(Checked(1)) << "a hidden list is not refreshed";
    list_->ShowOrHide();
    EXPECT_FALSE(list_->isHidden());
    EXPECT_FALSE(Checked(1));
    EXPECT_EQ(form_.dockWidgetArea(list_), Qt::LeftDockWidgetArea);
}

TEST_F(GroupListTest, ARightClickLeavesTheCurrentGroupAlone) {
    ASSERT_EQ(Set().GroupListGroup, 1);
    QTest::mousePress(view_->viewport(), Qt::RightButton, {}, RowText(3));
    QTest::mouseRelease(view_->viewport(), Qt::RightButton, {}, RowText(3));
    EXPECT_EQ(Set().GroupListGroup, 1);
    EXPECT_EQ(view_->currentIndex().row(), 0);
    // The left button still picks.
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, RowText(3));
    EXPECT_EQ(Set().GroupListGroup, 4);
}

TEST_F(GroupListTest, TheListIsWideEnoughForLongNamesAndKeepsTheWidthTheUserGives) {
    QApplication::processEvents();
    // "100: " and eight full-width characters fit beside the check box.
    const QFontMetrics metrics(view_->font());
    const int textLeft = GroupRowDelegate::CheckRect(RowRect(0)).right() + 3;
    EXPECT_GE(view_->viewport()->width() - textLeft,
              metrics.horizontalAdvance(QStringLiteral("100: 機能のアイデア集")));

    // The user drags the separator beside the list 60 pixels to the right.
    const int before = list_->width();
    const QRect docked = list_->geometry();
    const int separator = form_.style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent);
    const QPoint grip(docked.right() + 1 + separator / 2, docked.center().y());
    QWindow* window = form_.windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, grip);
    for (int dx = 15; dx <= 60; dx += 15)
        QTest::mouseMove(window, grip + QPoint(dx, 0));
    QTest::mouseRelease(window, Qt::LeftButton, {}, grip + QPoint(60, 0));
    QApplication::processEvents();
    const int widened = list_->width();
    ASSERT_GT(widened, before + 30) << "the separator drag did not reach the list";

    // Pulled out by its title bar, then docked again from its menu and by hand.
    list_->setFloating(true);
    QApplication::processEvents();
    list_->DockGroupList(qv::DockSide::Left);
    QApplication::processEvents();
    EXPECT_EQ(list_->width(), widened);
    list_->setFloating(true);
    QApplication::processEvents();
    list_->setFloating(false);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(list_->width(), widened);
}

TEST_F(GroupListTest, FloatingTheFirstTimeKeepsClearOfTheMenuBar) {
    const QRect screen = form_.screen()->availableGeometry();
    // Room on the right of the window: the list floats beside it.
    form_.setGeometry(screen.left() + 10, screen.top() + 40, screen.width() / 2,
                      screen.height() / 2);
    QApplication::processEvents();
    list_->FloatGroupList();
    QApplication::processEvents();
    ASSERT_TRUE(list_->isFloating());
    EXPECT_GT(list_->geometry().left(), form_.frameGeometry().right());
    EXPECT_GE(list_->width(), list_->DefaultWidth());
    // No room beside a window as wide as the screen: inside it, below the menu and tool bars.
    list_->DockGroupList(qv::DockSide::Left);
    form_.setGeometry(screen.left(), screen.top() + 30, screen.width(), screen.height() - 30);
    QApplication::processEvents();
    const QRect inside = list_->DefaultFloatRect();
    QWidget* documents = form_.centralWidget();
    const QRect bars(form_.mapToGlobal(QPoint(0, 0)),
                     documents->mapToGlobal(QPoint(documents->width() - 1, -1)));
    EXPECT_FALSE(inside.intersects(bars)) << "over the menu or tool bars";
    EXPECT_TRUE(screen.contains(inside));
}

TEST(GroupListPlacement, DockSideSizeAndFloatingAreKeptAcrossARestart) {
    QTemporaryDir dir;
    qv::StartupArguments startup;
    startup.IniPath = QFile::encodeName(dir.filePath(QStringLiteral("g.INI"))).toStdString();
    {
        AppServices services(startup);
        const std::unique_ptr<Program> program = BuildProgram(services);
        TQuillovaMainForm& form = program->Window();
        form.resize(900, 700);
        form.ShowAsStored();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.GroupList()->DockGroupList(qv::DockSide::Right);
        form.resizeDocks({form.GroupList()}, {170}, Qt::Horizontal);
        QApplication::processEvents();
        form.close();
    }
    qv::UsrIniFile stored(startup.IniPath);
    EXPECT_EQ(stored.ReadInteger("GroupList", "Align", 0), 4);
    EXPECT_EQ(stored.ReadInteger("GroupList", "Width", 0), 170);
    EXPECT_TRUE(stored.ReadBool("General", "GroupList", false));
    {
        AppServices services(startup);
        const std::unique_ptr<Program> program = BuildProgram(services);
        TQuillovaMainForm& form = program->Window();
        form.resize(900, 700);
        form.ShowAsStored();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QApplication::processEvents();
        EXPECT_EQ(form.dockWidgetArea(form.GroupList()), Qt::RightDockWidgetArea);
        EXPECT_FALSE(form.GroupList()->isFloating());
        EXPECT_EQ(form.GroupList()->width(), 170);
        // Floating at the stored rectangle, then moved by the user.
        form.GroupList()->FloatGroupList();
        EXPECT_TRUE(form.GroupList()->isFloating());
        form.GroupList()->setGeometry(40, 50, 220, 300);
        form.close();
    }
    {
        AppServices services(startup);
        const std::unique_ptr<Program> program = BuildProgram(services);
        TQuillovaMainForm& form = program->Window();
        form.ShowAsStored();
        EXPECT_TRUE(form.GroupList()->isFloating());
        EXPECT_EQ(form.GroupList()->geometry(), QRect(40, 50, 220, 300));
        // Hidden by the user, hidden at the next start.
        form.GroupList()->ShowOrHide();
        form.close();
    }
    {
        AppServices services(startup);
        const std::unique_ptr<Program> program = BuildProgram(services);
        TQuillovaMainForm& form = program->Window();
        form.ShowAsStored();
        EXPECT_TRUE(form.GroupList()->isHidden());
        form.close();
    }
}

}  // namespace
