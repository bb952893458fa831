// The whole-size dialog as the user works it: keys, access keys, arrows, Enter and Esc.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/app_services.h"
#include "app/commands/view_commands.h"
#include "app/composition.h"
#include "app/dialogs/scr_size_dlg.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/panels/map_viewer.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "render/painting/colors.h"

namespace {

using Field = qv::WholeSizeController::Field;
const std::string kExample = std::string(QV_SOURCE_DIR) + "/examples/brainstorm.csv";

class WholeSizeDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        form_.show();
        child_ = form_.Documents().OpenDocument(kExample);
        ASSERT_NE(child_, nullptr);
        dlg_.Open(&child_->Set());
        dlg_.show();
        dlg_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg_));
    }
    void TearDown() override {
        if (child_) child_->ApproveClose();
    }
    QLineEdit* Line(Field f) { return dlg_.Edit(f)->findChild<QLineEdit*>(); }

    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
    TMDIChild* child_ = nullptr;
    TScrSizeDlg dlg_{form_.Env(), &form_};
};

TEST_F(WholeSizeDialogTest, OpensFocusedOnTheFixBoxWithTheFixedPageAndEnterAppliesTypedValues) {
    EXPECT_EQ(dlg_.windowTitle(), QStringLiteral("全体サイズ設定"));
    EXPECT_EQ(QApplication::focusWidget(), dlg_.FixBox());
    EXPECT_TRUE(dlg_.FixBox()->isChecked());
    EXPECT_EQ(Line(Field::Width)->text(), QStringLiteral("1600"));
    EXPECT_EQ(Line(Field::Height)->text(), QStringLiteral("1100"));
    EXPECT_TRUE(dlg_.Edit(Field::Rows)->isEnabled());

    // Alt+W reaches the width through its label; a width below the used size is kept as typed.
    QTest::keyClick(&dlg_, Qt::Key_W, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), dlg_.Edit(Field::Width));
    Line(Field::Width)->selectAll();
    QTest::keyClicks(dlg_.Edit(Field::Width), QStringLiteral("3x00"));
    EXPECT_EQ(Line(Field::Width)->text(), QStringLiteral("300")) << "letters are refused";
    QTest::keyClick(&dlg_, Qt::Key_H, Qt::AltModifier);
    Line(Field::Height)->selectAll();
    QTest::keyClicks(dlg_.Edit(Field::Height), QStringLiteral("123456"));
    EXPECT_EQ(Line(Field::Height)->text(), QStringLiteral("12345")) << "five digits at most";
    QTest::keyClick(dlg_.Edit(Field::Height), Qt::Key_Enter);
    EXPECT_FALSE(dlg_.isVisible());
    EXPECT_EQ(dlg_.result(), QDialog::Accepted);

    const qv::FragSet& set = child_->Set();
    EXPECT_EQ(set.FixedWidth, 300);
    EXPECT_EQ(set.FixedHeight, 12345);
    EXPECT_TRUE(set.Modified);
    EXPECT_EQ(form_.Env().DefScrWidth, 300);
}

TEST_F(WholeSizeDialogTest, ArrowsStopAtTheUsedSizeAndDivisionColoursFollowTheCounts) {
    const qv::FragSet& set = child_->Set();
    Line(Field::Width)->setFocus();
    Line(Field::Width)->selectAll();
    QTest::keyClicks(dlg_.Edit(Field::Width), QString::number(set.UsedWidth));
    QTest::keyClick(dlg_.Edit(Field::Width), Qt::Key_Down);
    EXPECT_EQ(Line(Field::Width)->text(), QString::number(set.UsedWidth));
    QTest::keyClick(dlg_.Edit(Field::Width), Qt::Key_Up);
    EXPECT_EQ(Line(Field::Width)->text(), QString::number(set.UsedWidth + 1));

    const QColor face = qv::ToQColor(qv::kSysButtonFace);
    const QColor window = qv::ToQColor(qv::kSysWindow);
    Line(Field::Columns)->setFocus();
    Line(Field::Columns)->selectAll();
    QTest::keyClicks(dlg_.Edit(Field::Columns), QStringLiteral("1"));
    Line(Field::Rows)->setFocus();
    Line(Field::Rows)->selectAll();
    QTest::keyClicks(dlg_.Edit(Field::Rows), QStringLiteral("1"));
    EXPECT_EQ(dlg_.Edit(Field::Columns)->palette().color(QPalette::Base), face);
    QTest::keyClick(dlg_.Edit(Field::Rows), Qt::Key_Up);
    EXPECT_EQ(Line(Field::Rows)->text(), QStringLiteral("2"));
    EXPECT_EQ(dlg_.Edit(Field::Columns)->palette().color(QPalette::Base), window);

    // Unticking the fix box disables every edit; Esc leaves the document as it was.
    QTest::keyClick(&dlg_, Qt::Key_F, Qt::AltModifier);
    // A check box clicks itself a moment after its access key.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg_.FixBox()->isChecked(); }, 1000));
    EXPECT_FALSE(dlg_.FixBox()->isChecked());
    for (int f = 0; f < qv::WholeSizeController::kFieldCount; ++f)
        EXPECT_FALSE(dlg_.Edit(static_cast<Field>(f))->isEnabled());
    QTest::keyClick(&dlg_, Qt::Key_Escape);
    EXPECT_EQ(dlg_.result(), QDialog::Rejected);
    EXPECT_TRUE(set.FixedSize);
    EXPECT_FALSE(set.Modified);
}

}  // namespace

namespace {

TEST(WholeSizeCommand, OkOnTheModalDialogModifiesAndRepaintsTheActiveDocument) {
    AppServices services;
    const std::unique_ptr<Program> program = BuildProgram(services);
    TQuillovaMainForm& form = program->Window();
    form.show();
    TMDIChild* child = form.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    // Answered from inside the dialog's own event loop, as the user would.
    QTimer::singleShot(0, [&program] {
        TScrSizeDlg& dlg = program->Views().SizeDialog();
        QTest::keyClick(&dlg, Qt::Key_H, Qt::AltModifier);
        QLineEdit* height = dlg.Edit(Field::Height)->findChild<QLineEdit*>();
        height->selectAll();
        QTest::keyClicks(dlg.Edit(Field::Height), QStringLiteral("2400"));
        QTest::keyClick(dlg.Edit(Field::Height), Qt::Key_Return);
    });
    program->Views().OptionScrSize();
    EXPECT_EQ(child->Set().FixedHeight, 2400);
    EXPECT_EQ(child->Set().WholeHeight, 2400);
    EXPECT_TRUE(child->Set().Modified);
    EXPECT_EQ(child->ScrollRange(qv::ScrollAxis::Vertical), 2420) << "the window follows";
    child->ApproveClose();

    // The map toggles.
    program->Views().ShowMapViewer();
    EXPECT_TRUE(form.MapViewer()->isVisible());
    program->Views().ShowMapViewer();
    EXPECT_FALSE(form.MapViewer()->isVisible());
}

}  // namespace
