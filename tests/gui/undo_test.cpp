// Undo and redo of every kind of edit, driven as a user drives them: keys, clicks and drags on the
// page, the tools, menus, dialogs and the group list. Each edit is taken back with Ctrl+Z and
// done again with Ctrl+Shift+Z; undoing all of them and saving writes the file as it was.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/panels/group_list_panel.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"

namespace {

using C = CommandId;

const std::string kExample = std::string(QV_SOURCE_DIR) + "/examples/brainstorm.csv";

class UndoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("undo.csv")).toStdString();
        ASSERT_TRUE(QFile::copy(QString::fromStdString(kExample), QString::fromStdString(path_)));
        QFile::setPermissions(QString::fromStdString(path_), QFile::ReadOwner | QFile::WriteOwner);
        form_.resize(1100, 800);
        form_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_));
        form_.Services().Refresh().Started();
        child_ = form_.Documents().OpenDocument(path_);
        ASSERT_NE(child_, nullptr);
        child_->parentWidget()->showMaximized();
        QApplication::processEvents();
        form_.RefreshViews();
    }
    void TearDown() override {
        for (QMdiSubWindow* sub : form_.DocumentArea()->subWindowList())
            if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->ApproveClose();
    }

    qv::FragSet& Set() { return child_->Set(); }
    std::string Bytes() { return qv::FragmentFileText(Set()); }
    std::string FileBytes() {
        QFile file(QString::fromStdString(path_));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return file.readAll().toStdString();
    }

    QWindow* Window() { return form_.windowHandle(); }
    QPoint At(QPoint p) const { return child_->viewport()->mapTo(&form_, p); }
    void Key(int key, Qt::KeyboardModifiers m = {}) {
        QTest::keyClick(Window(), Qt::Key(key), m);
        QApplication::processEvents();
    }
    void Click(QPoint p, Qt::KeyboardModifiers m = {}) {
        QTest::mouseClick(Window(), Qt::LeftButton, m, At(p));
    }
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(Window(), Qt::LeftButton, {}, At(from));
        for (int i = 1; i <= 4; ++i)
            QTest::mouseEvent(QTest::MouseMove, Window(), Qt::NoButton, {},
                              At(from + (to - from) * i / 4));
        QTest::mouseRelease(Window(), Qt::LeftButton, {}, At(to));
    }
    // A point on a visible card: the first whose text is `text` (code page 932 bytes).
    QPoint On(const qv::Fragment* f) const {
        return QPoint(f->ScreenRect.Left + 6, f->ScreenRect.Top + 6);
    }
    qv::Fragment* VisibleCard(int nth = 0) {
        for (const auto& f : Set().Fragments())
            if (f->Visible && f->Kind == qv::FragmentKind::Text && f->ScreenRect.Left > 0 &&
                f->ScreenRect.Top > 0 && f->ScreenRect.Right < child_->viewport()->width() &&
                f->ScreenRect.Bottom < child_->viewport()->height() && nth-- == 0)
                return f.get();
        return nullptr;
    }
    // Runs a command by its menu item (the same action the key and tool bar use).
    void Menu(C id) { form_.Commands().Action(id)->trigger(); }
    // Runs `act` on the modal dialog `open` brings up, then lets it close.
    void WithDialog(const std::function<void()>& open, const std::function<void(QDialog&)>& act) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = true;
            act(*dialog);
        });
        open();
        EXPECT_TRUE(seen);
        // The platform gives the focus back to the main window as a window manager would.
        form_.activateWindow();
        child_->setFocus();
        QApplication::processEvents();
    }
    static void PressDefault(QDialog& dialog) {
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            if (b->isDefault()) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
        dialog.accept();
    }

    QTemporaryDir dir_;
    std::string path_;
    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
    TMDIChild* child_ = nullptr;
};

TEST_F(UndoTest, EveryEditIsOneStepThatCtrlZTakesBackAndCtrlShiftZDoesAgain) {
    // The example keeps name plates below other cards; shown, they are on top, and that is the
    // order the program writes. Saved once, the file is as the program keeps it.
    Menu(C::FileSave);
    const std::string opened = FileBytes();
    ASSERT_FALSE(opened.empty());
    ASSERT_EQ(Bytes(), opened);
    ASSERT_FALSE(Set().Modified);
    QApplication::clipboard()->setText(QStringLiteral("from the clipboard"));

    struct Edit {
        const char* what;
        std::function<void()> run;
    };
    const std::vector<Edit> edits = {
        {"drag a card",
         [&] {
             qv::Fragment* f = VisibleCard();
             Drag(On(f), On(f) + QPoint(60, 40));
         }},
        {"brush",
         [&] {
             form_.Env().Colors.BrushTool = 0x00A0B0C0;
             Menu(C::ToolBrush);
             qv::Fragment* f = VisibleCard(1);
             for (int n = 1; f && f->ScreenRect.Top < 40; ++n)
                 f = VisibleCard(n);
             ASSERT_NE(f, nullptr);
             Click(On(f) + QPoint(-4, -28));  // the brush's tip is below its hot spot
             Menu(C::ToolNrm);
         }},
        {"grouping tool",
         [&] {
             Menu(C::ToolGruop);
             qv::Fragment* f = VisibleCard(2);
             Drag(On(f) - QPoint(12, 12), On(f) + QPoint(f->Width(), f->Height()));
             Menu(C::ToolNrm);
         }},
        {"Delete key",
         [&] {
             Click(On(VisibleCard(1)));
             Key(Qt::Key_Delete);
         }},
        {"cut (Ctrl+X)",
         [&] {
             Click(On(VisibleCard(2)));
             Key(Qt::Key_X, Qt::ControlModifier);
         }},
        {"paste (Ctrl+V)", [&] { Key(Qt::Key_V, Qt::ControlModifier); }},
        {"gather by menu",
         [&] {
             Menu(C::EditSelAll);
             Menu(C::EditGather);
         }},
        {"spread by menu", [&] { Menu(C::EditSpread); }},
        {"away by menu",
         [&] {
             Click(On(VisibleCard(3)));
             Menu(C::EditAway);
         }},
        {"new from the clipboard", [&] { Menu(C::EditNewClip); }},
        {"move to a group by menu",
         [&] {
             Click(On(VisibleCard()));
             QMenu* groups = form_.Dynamic(TQuillovaMainForm::DynamicMenu::EditMoveToGroup);
             emit groups->aboutToShow();
             groups->actions().at(4)->trigger();
         }},
        {"group list Alt+Down",
         [&] {
             GroupListView* view = form_.GroupList()->View();
             view->setCurrentIndex(view->model()->index(1, 0));
             view->setFocus();
             QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier);
         }},
        {"property dialog",
         [&] {
             Click(On(VisibleCard()));
             WithDialog([&] { Menu(C::EditProperty); },
                        [](QDialog& d) {
                            auto* memo = d.findChild<QPlainTextEdit*>();
                            ASSERT_NE(memo, nullptr);
                            QTest::keyClicks(memo, QStringLiteral("+"));
                            PressDefault(d);
                        });
         }},
        {"stretch OK",
         [&] {
             Menu(C::EditSelAll);
             WithDialog([&] { Menu(C::EditStretch); },
                        [](QDialog& d) {
                            auto* slider = d.findChild<QSlider*>();
                            ASSERT_NE(slider, nullptr);
                            slider->setFocus();
                            for (int i = 0; i < 5; ++i)
                                QTest::keyClick(slider, Qt::Key_PageUp);
                            PressDefault(d);
                        });
         }},
        {"whole size",
         [&] {
             WithDialog([&] { Menu(C::OptionScrSize); },
                        [](QDialog& d) {
                            auto* fixed = d.findChild<QCheckBox*>();
                            ASSERT_NE(fixed, nullptr);
                            QTest::mouseClick(fixed, Qt::LeftButton);
                            PressDefault(d);
                        });
         }},
    };

    std::vector<std::string> states{Bytes()};
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.what);
        const std::string before = Bytes();
        const int steps = Set().History().Position();
        edit.run();
        QApplication::processEvents();
        const std::string after = Bytes();
        ASSERT_NE(after, before) << "the edit changed nothing";
        Key(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(Set().History().Position(), steps) << "more than one step";
        ASSERT_EQ(Bytes(), before);
        Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_EQ(Bytes(), after);
        EXPECT_TRUE(Set().Modified);
        states.push_back(after);
    }

    // A stretch given up leaves no step.
    const int steps = Set().History().Position();
    Menu(C::EditSelAll);
    WithDialog([&] { Menu(C::EditStretch); },
               [](QDialog& d) {
                   auto* slider = d.findChild<QSlider*>();
                   QTest::keyClick(slider, Qt::Key_PageDown);
                   QTest::keyClick(&d, Qt::Key_Escape);
               });
    EXPECT_EQ(Set().History().Position(), steps);
    EXPECT_EQ(Bytes(), states.back());

    // The hint names the step; undo says which it took.
    EXPECT_EQ(form_.Commands().Action(C::EditUndoPos)->toolTip(),
              QStringLiteral("元に戻す: 全体サイズ設定"));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form_.StatusPanelText(2), QStringLiteral("元に戻す: 全体サイズ設定"));

    // Everything undone: nothing to save, and saving writes the file as it was.
    while (form_.Commands().Action(C::EditUndoPos)->isEnabled())
        Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Bytes(), opened);
    EXPECT_FALSE(Set().Modified);
    Menu(C::FileSave);
    EXPECT_EQ(FileBytes(), opened);
    // Everything redone: the last state.
    while (form_.Commands().Action(C::EditRedoPos)->isEnabled())
        Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(Set().Modified);
    Menu(C::FileSave);
    EXPECT_EQ(FileBytes(), states.back());
    EXPECT_FALSE(Set().Modified);
}

TEST_F(UndoTest, MovingCardsToAnotherWindowIsOneStepInEachDocument) {
    TMDIChild* first = child_;
    TMDIChild* second = form_.Documents().NewDocument();
    ASSERT_NE(second, nullptr);
    form_.Documents().ActivateDocumentWindow(0);
    QApplication::processEvents();
    ASSERT_EQ(form_.Documents().ActiveChild(), first);
    const std::string firstBefore = Bytes();
    Click(On(VisibleCard()));
    QMenu* windows = form_.Dynamic(TQuillovaMainForm::DynamicMenu::EditMoveToWindow);
    emit windows->aboutToShow();
    QAction* target = nullptr;
    for (QAction* a : windows->actions())
        if (a->isVisible() && !a->isSeparator()) target = a;
    ASSERT_NE(target, nullptr);
    target->trigger();
    QApplication::processEvents();
    ASSERT_EQ(second->Set().Count(), 1);
    ASSERT_NE(Bytes(), firstBefore);

    form_.Documents().CloseSteps();
    EXPECT_EQ(first->Set().History().StepCount(), 1);
    EXPECT_EQ(second->Set().History().StepCount(), 1);
    ASSERT_TRUE(first->Undo());
    EXPECT_EQ(Bytes(), firstBefore);
    ASSERT_TRUE(second->Undo());
    EXPECT_EQ(second->Set().Count(), 0);
    EXPECT_FALSE(second->Set().Modified);
}

TEST_F(UndoTest, ReadOnlyDocumentsOfferNoUndo) {
    Set().ReadOnly = true;
    form_.UpdateCommands();
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(form_.Commands().Action(C::EditUndoPos)->isEnabled());
    EXPECT_FALSE(form_.Commands().Action(C::EditRedoPos)->isEnabled());
    EXPECT_EQ(form_.Commands().Action(C::EditRedoPos)->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
}

}  // namespace
