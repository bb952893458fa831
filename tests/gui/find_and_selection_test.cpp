// The find dialog and the selection commands through real events: history rules, the status
// texts, stepping through the selection, the colour pop-up, moving cards to another group and
// window, and the group-line pop-up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/commands/selection_commands.h"
#include "app/dialogs/find_set_dlg.h"
#include "core/model/frag_buffer.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/usr_ini_file.h"
#include "unit/model/fakes.h"

namespace {

// Two documents in one world; the first is active.
class Windows : public DocumentWindows {
  public:
    qv::test::TestWorld world;
    qv::test::FakeView view1, view2;
    qv::FragSet doc1{world.Context(view1)}, doc2{world.Context(view2)};
    int active = 0;
    QString message;
    int refreshes = 0;

    Windows() {
        doc1.RedrawAll();
        doc2.RedrawAll();
    }
    qv::FragSet* ActiveDocument() const override {
        return active == 0 ? const_cast<qv::FragSet*>(&doc1) : const_cast<qv::FragSet*>(&doc2);
    }
    std::vector<Entry> DocumentWindowList() const override {
        return {{const_cast<qv::FragSet*>(&doc1), QStringLiteral("one.csv"), active == 0},
                {const_cast<qv::FragSet*>(&doc2), QStringLiteral("two.csv"), active == 1}};
    }
    void ActivateDocumentWindow(int index) override { active = index; }
    void ShowMessage(const QString& text) override { message = text; }
    void RefreshViews() override { ++refreshes; }
};

class SelectionTest : public ::testing::Test {
  protected:
    Windows w_;
    qv::EnvData& env_ = w_.world.env;
    qv::UsrIniFile ini_ = qv::UsrIniFile::FromText("");
    qv::FragBuffer buffer_{env_, w_.world.prompts, w_.world.clipboard};
    QWidget parent_;
    SelectionCommands commands_{w_, env_, ini_, buffer_, &parent_};

    qv::Fragment* Add(qv::FragSet& set, const char* text, int group, int x) {
        qv::Fragment* f = qv::test::AddCard(set, text, group, x, 10);
        set.Recount();
        set.RefreshVisibility();
        return f;
    }

    // Runs the find command; `script` fills the dialog while it is shown.
    void FindWith(std::function<void(TFindSetDlg&)> script) {
        TFindSetDlg& dlg = commands_.FindDialog();
        QTimer::singleShot(0, &dlg, [&dlg, script] { script(dlg); });
        commands_.Find();
    }
    static QLineEdit* FindEdit(TFindSetDlg& dlg) {
        return dlg.findChild<QComboBox*>(QStringLiteral("FindComboBox"))->lineEdit();
    }
    // Chooses the item with mnemonic `key` of the pop-up shown next.
    static void ChooseInPopup(Qt::Key key) {
        QTimer::singleShot(0, [key] {
            QWidget* popup = QApplication::activePopupWidget();
            ASSERT_NE(popup, nullptr);
            QTest::keyClick(popup, key);
        });
    }
};

TEST_F(SelectionTest, FindReportsItsResultAndKeepsTheHistory) {
    Add(w_.doc1, "apple pie", 1, 10);
    Add(w_.doc1, "banana", 1, 200);
    Add(w_.doc1, "Apple", 1, 400);
    env_.FindHistory = {"old", "Banana"};
    FindWith([](TFindSetDlg& dlg) {
        // The last search is offered first.
        EXPECT_EQ(FindEdit(dlg)->text(), QStringLiteral("old"));
        FindEdit(dlg)->selectAll();
        QTest::keyClicks(FindEdit(dlg), QStringLiteral("  apple "));
        QTest::keyClick(FindEdit(dlg), Qt::Key_Return);
    });
    EXPECT_EQ(w_.message, QStringLiteral("2枚の断片が見つかりました [apple]"));
    EXPECT_EQ(env_.FindHistory, (std::vector<std::string>{"apple", "old", "Banana"}));

    // With the letter case switched on and a word that matches nothing.
    FindWith([](TFindSetDlg& dlg) {
        QTest::mouseClick(dlg.findChild<QCheckBox*>(QStringLiteral("CaseChkBox")), Qt::LeftButton,
                          {}, QPoint(6, 6));
        FindEdit(dlg)->selectAll();
        QTest::keyClicks(FindEdit(dlg), QStringLiteral("BANANA"));
        QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
    });
    EXPECT_TRUE(env_.FindCaseSw);
    EXPECT_EQ(w_.message, QStringLiteral("[BANANA]が見つかりません"));
    // "banana" in another case replaced the old entry.
    EXPECT_EQ(env_.FindHistory, (std::vector<std::string>{"BANANA", "apple", "old"}));
    EXPECT_TRUE(w_.doc1.SelectionList.empty());

    // Cancel still stores the switches; an emoji finds nothing and stays out of the history.
    FindWith([](TFindSetDlg& dlg) {
        QTest::mouseClick(dlg.findChild<QRadioButton*>(QStringLiteral("AndRadioBtn")),
                          Qt::LeftButton, {}, QPoint(6, 6));
        QTest::keyClick(FindEdit(dlg), Qt::Key_Escape);
    });
    EXPECT_TRUE(env_.FindAndSw);
    w_.doc1.SelectAll(true);
    FindWith([](TFindSetDlg& dlg) {
        FindEdit(dlg)->setText(QStringLiteral("\U0001F600"));
        QTest::keyClick(FindEdit(dlg), Qt::Key_Return);
    });
    EXPECT_EQ(w_.message, QStringLiteral("[\U0001F600]が見つかりません"));
    EXPECT_TRUE(w_.doc1.SelectionList.empty());
    EXPECT_EQ(env_.FindHistory.size(), 3u);
}

TEST_F(SelectionTest, TheFirstSearchStartsTheHistoryAndComesBackNextTime) {
    Add(w_.doc1, "apple", 1, 10);
    ASSERT_TRUE(env_.FindHistory.empty());  // as in every new settings file
    FindWith([](TFindSetDlg& dlg) {
        EXPECT_TRUE(FindEdit(dlg)->text().isEmpty());
        QTest::keyClicks(FindEdit(dlg), QStringLiteral(" apple"));
        QTest::keyClick(FindEdit(dlg), Qt::Key_Return);
    });
    EXPECT_EQ(env_.FindHistory, (std::vector<std::string>{"apple"}));
    QString offered;
    FindWith([&offered](TFindSetDlg& dlg) {
        offered = FindEdit(dlg)->text();
        QTest::keyClick(FindEdit(dlg), Qt::Key_Escape);
    });
    EXPECT_EQ(offered, QStringLiteral("apple"));
    // And it is what the settings file keeps.
    qv::UsrIniFile out = qv::UsrIniFile::FromText("");
    (void)env_.Save(out);  // no file to write: the values are what matters
    EXPECT_EQ(out.ReadString("FindHistory", "Find0", ""), "apple");
}

TEST_F(SelectionTest, TheFindDialogOpensWhereItWasClosed) {
    parent_.setGeometry(200, 150, 600, 400);
    QRect first, second;
    FindWith([&first](TFindSetDlg& dlg) {
        first = dlg.geometry();
        QTest::keyClick(FindEdit(dlg), Qt::Key_Escape);
    });
    const int left = ini_.ReadInteger("General", "FindDlgLeft", -1);
    const int top = ini_.ReadInteger("General", "FindDlgTop", -1);
    EXPECT_EQ(QPoint(left, top), first.topLeft());
    for (int i = 0; i < 3; ++i)
        FindWith([&second](TFindSetDlg& dlg) {
            second = dlg.geometry();
            QTest::keyClick(FindEdit(dlg), Qt::Key_Escape);
        });
    EXPECT_EQ(second.topLeft(), first.topLeft()) << "it must not walk down the screen";
    EXPECT_EQ(ini_.ReadInteger("General", "FindDlgTop", -1), top);
}

TEST_F(SelectionTest, PreviousAndNextVisitTheFoundCards) {
    for (int i = 0; i < 3; ++i)
        Add(w_.doc1, "x", 1, 10 + 300 * i);
    FindWith([](TFindSetDlg& dlg) {
        FindEdit(dlg)->setText(QStringLiteral("x"));
        QTest::keyClick(FindEdit(dlg), Qt::Key_Return);
    });
    EXPECT_EQ(w_.doc1.SelCursor, 0);
    EXPECT_FALSE(commands_.CanStepSelection(false));
    commands_.StepSelection(true);
    commands_.StepSelection(true);
    EXPECT_EQ(w_.doc1.SelCursor, 2);
    EXPECT_FALSE(commands_.CanStepSelection(true));
    commands_.StepSelection(false);
    EXPECT_EQ(w_.doc1.MarkedFragment(), w_.doc1.SelectionList[1]);
}

TEST_F(SelectionTest, ColourPopupSelectsByColourOrTakesTheBrushColour) {
    qv::Fragment* red = Add(w_.doc1, "r", 1, 10);
    red->ColBG = 0x0000FF;
    Add(w_.doc1, "w", 1, 200);
    qv::Fragment* red2 = Add(w_.doc1, "r2", 1, 400);
    red2->ColBG = 0x0000FF;
    ChooseInPopup(Qt::Key_1);
    commands_.PopupColours(false, QPoint(10, 10));
    EXPECT_TRUE(red->Selected);
    EXPECT_TRUE(red2->Selected);
    EXPECT_EQ(w_.doc1.SelectionList.size(), 2u);
    EXPECT_TRUE(commands_.Colours()->Item(1)->isVisible());
    EXPECT_FALSE(commands_.Colours()->Item(2)->isVisible());

    qv::Color brush = 0;
    QObject::connect(&commands_, &SelectionCommands::BrushColourChanged,
                     [&brush](qv::Color c) { brush = c; });
    ChooseInPopup(Qt::Key_2);
    commands_.PopupColours(true, QPoint(10, 10));
    EXPECT_EQ(env_.Colors.BrushTool, env_.Colors.DefFrgBG);
    EXPECT_EQ(brush, env_.Colors.DefFrgBG);
    commands_.SetColourChooser([](const QColor&) { return QColor(0x10, 0x20, 0x30); });
    commands_.ChooseBrushColour();
    EXPECT_EQ(env_.Colors.BrushTool, qv::Rgb(0x10, 0x20, 0x30));
}

TEST_F(SelectionTest, MoveToGroupAndToAnotherWindowThroughTheMenus) {
    qv::Fragment* a = Add(w_.doc1, "a", 1, 10);
    Add(w_.doc1, "b", 2, 200);
    a->SetSelected(true);
    w_.doc1.RebuildSelection();

    QMenu move;
    commands_.AttachGroupMoveMenu(&move);
    ChooseInPopup(Qt::Key_3);
    move.exec(QPoint(0, 0));
    EXPECT_EQ(a->Group, 3);
    // The selection's own group cannot be chosen.
    emit move.aboutToShow();
    EXPECT_FALSE(move.actions()[2]->isEnabled());
    EXPECT_TRUE(move.actions()[1]->isEnabled());

    QMenu windows;
    commands_.AttachMoveToWindowMenu(&windows);
    emit windows.aboutToShow();
    EXPECT_FALSE(windows.actions()[0]->isVisible());  // the active window
    EXPECT_EQ(windows.actions()[1]->text(), QStringLiteral("&1:two.csv"));
    env_.ActivateDistWin = true;
    a->SetSelected(true);
    w_.doc1.RebuildSelection();
    ChooseInPopup(Qt::Key_1);
    windows.exec(QPoint(0, 0));
    EXPECT_EQ(w_.doc1.Count(), 1);
    ASSERT_EQ(w_.doc2.Count(), 1);
    EXPECT_EQ(w_.doc2.Fragments()[0]->Text, "a");
    EXPECT_EQ(w_.active, 1);
    // A read-only target is listed but cannot be chosen.
    w_.active = 0;
    w_.doc2.ReadOnly = true;
    emit windows.aboutToShow();
    EXPECT_FALSE(windows.actions()[1]->isEnabled());
}

TEST_F(SelectionTest, CardsMovedToAWindowInTheBackgroundJoinItsFramesAtOnce) {
    qv::Fragment* a = Add(w_.doc1, "a", 1, 600);
    Add(w_.doc2, "b", 1, 10);
    const qv::Rect before = w_.doc2.GroupTable[1].Frame.Bounds;
    ASSERT_FALSE(before.IsEmpty());
    env_.ActivateDistWin = false;
    a->SetSelected(true);
    w_.doc1.RebuildSelection();
    QMenu windows;
    commands_.AttachMoveToWindowMenu(&windows);
    ChooseInPopup(Qt::Key_1);
    windows.exec(QPoint(0, 0));
    ASSERT_EQ(w_.doc2.Count(), 2);
    EXPECT_EQ(w_.active, 0);
    // The frame of group 1 in the other window reaches round the card that came in.
    const qv::Fragment& moved = *w_.doc2.Fragments().back();
    const qv::Rect frame = w_.doc2.GroupTable[1].Frame.Bounds;
    EXPECT_GT(frame.Right, before.Right);
    EXPECT_GE(frame.Right, moved.ScreenRect.Right);
    EXPECT_LE(frame.Left, before.Left);
}

TEST_F(SelectionTest, LinePopupChangesTypeAndWidthOrTheDefaults) {
    Add(w_.doc1, "a", 1, 10);
    Add(w_.doc1, "b", 2, 300);
    ASSERT_TRUE(w_.doc1.SetGroupLine(1, 2));
    QAction toolNormal(QStringLiteral("通常編集(&N)"));
    int normalRuns = 0;
    QObject::connect(&toolNormal, &QAction::triggered, [&normalRuns] { ++normalRuns; });
    QMenu* popup = commands_.LinePopup(&parent_, &toolNormal);
    auto* normalItem = popup->findChild<QAction*>(QStringLiteral("LinePopupToolNrm"));
    ASSERT_NE(normalItem, nullptr);
    // No line selected: the defaults change, the tool item shows, delete does not.
    ChooseInPopup(Qt::Key_5);
    popup->exec(QPoint(0, 0));
    EXPECT_EQ(env_.DefGLineWidth, 5);
    EXPECT_TRUE(normalItem->isVisible());
    ChooseInPopup(Qt::Key_N);
    popup->exec(QPoint(0, 0));
    EXPECT_EQ(normalRuns, 1) << "the menu's item runs the shared command";
    w_.doc1.SelectedLine = 0;
    ChooseInPopup(Qt::Key_A);
    popup->exec(QPoint(0, 0));
    ChooseInPopup(Qt::Key_T);
    popup->exec(QPoint(0, 0));
    EXPECT_FALSE(normalItem->isVisible());
    // The shared command itself stays where the tool bar and the other menus show it.
    EXPECT_TRUE(toolNormal.isVisible());
    EXPECT_EQ(w_.doc1.GroupLines[0].Type, 2);
    EXPECT_EQ(w_.doc1.GroupLines[0].Width, -1);
    EXPECT_TRUE(w_.doc1.Modified);
    ChooseInPopup(Qt::Key_D);
    popup->exec(QPoint(0, 0));
    EXPECT_TRUE(w_.doc1.GroupLines.empty());
}

}  // namespace
