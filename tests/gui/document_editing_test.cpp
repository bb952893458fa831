// Editing a page with mouse and keyboard: the four tools, Ctrl-drag regrouping, paste at the
// mouse across windows, position undo, Delete and double clicks, driven through the platform's
// own event path (the way a window system delivers presses, so double clicks are made by Qt).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "app/app_services.h"
#include "app/commands/card_commands.h"
#include "app/commands/command_registry.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/document/tool_cursors.h"
#include "app/main_window/main_form.h"
#include "app/texts.h"
#include "core/layout/arrange.h"
#include "core/model/frag_buffer.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "unit/model/fakes.h"

namespace {

// Answers every message box with OK and remembers its text.
class RecordingPrompts : public qv::Prompts {
  public:
    std::vector<std::string> Asked;
    qv::PromptAnswer Warning(std::string_view text, qv::PromptButtons) override {
        Asked.emplace_back(text);
        return qv::PromptAnswer::Ok;
    }
    qv::PromptAnswer Question(std::string_view text, qv::PromptButtons) override {
        Asked.emplace_back(text);
        return qv::PromptAnswer::No;
    }
};

class DocumentEditingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        services_.Prompts().Redirect(&prompts_);
        // The card commands bring the line and brush menus; their modal property dialog stays
        // shut unless a test asks for it.
        QObject::disconnect(&form_.Documents(), &DocumentManager::EditSelectionRequested, &cards_,
                            nullptr);
        QObject::disconnect(&form_.Documents(), &DocumentManager::NewFragmentRequested, &cards_,
                            nullptr);
        form_.resize(1000, 760);
        form_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_));
    }
    void TearDown() override {
        form_.Services().SetTool(qv::ToolMode::Normal);
        for (QMdiSubWindow* sub : form_.DocumentArea()->subWindowList()) {
            if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->ApproveClose();
        }
    }

    TMDIChild* NewDocument() {
        TMDIChild* child = form_.Documents().NewDocument();  // 無題
        if (child) {
            child->parentWidget()->showMaximized();
            QApplication::processEvents();
        }
        return child;
    }

    static qv::Fragment* Card(TMDIChild* child, const char* text, int group, int left, int top) {
        return qv::test::AddCard(child->Set(), text, group, left, top);
    }
    // Counts, visibility and frames; the cards made so far are the document as opened, where
    // undo stops.
    static void Refresh(TMDIChild* child) {
        child->Set().Recount();
        child->Set().RefreshVisibility();
        child->Set().History().Reset();
    }

    // Viewport point -> point in the top-level window, where the platform delivers events.
    QPoint At(TMDIChild* child, QPoint p) const { return child->viewport()->mapTo(&form_, p); }
    QWindow* Window() { return form_.windowHandle(); }

    void Press(TMDIChild* c, QPoint p, Qt::MouseButton b = Qt::LeftButton,
               Qt::KeyboardModifiers m = {}) {
        QTest::mousePress(Window(), b, m, At(c, p));
    }
    void Move(TMDIChild* c, QPoint p, Qt::KeyboardModifiers m = {}) {
        QTest::mouseEvent(QTest::MouseMove, Window(), Qt::NoButton, m, At(c, p));
    }
    void Release(TMDIChild* c, QPoint p, Qt::MouseButton b = Qt::LeftButton,
                 Qt::KeyboardModifiers m = {}) {
        QTest::mouseRelease(Window(), b, m, At(c, p));
    }
    void Drag(TMDIChild* c, QPoint from, QPoint to, Qt::KeyboardModifiers m = {}) {
        Press(c, from, Qt::LeftButton, m);
        for (int i = 1; i <= 4; ++i)
            Move(c, from + (to - from) * i / 4, m);
        Release(c, to, Qt::LeftButton, m);
    }
    void Key(int key, Qt::KeyboardModifiers m = {}) { QTest::keyClick(Window(), Qt::Key(key), m); }

    // The item of `menu` whose caption is `caption`.
    static QAction* Item(QMenu& menu, const char16_t* caption) {
        for (QAction* a : menu.actions())
            if (a->text() == QString::fromUtf16(caption)) return a;
        return nullptr;
    }

    // Whether the window shows the cursor image of `shape`.
    // Runs `choose` once the menu is open (its own event loop runs then).
    static void WhenOpen(QMenu& menu, std::function<void()> choose) {
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = QObject::connect(&menu, &QMenu::aboutToShow, &menu, [connection, choose] {
            QObject::disconnect(*connection);
            QTimer::singleShot(0, choose);
        });
    }

    static bool Shows(TMDIChild* c, qv::CursorShape shape) {
        return c->viewport()->cursor().pixmap().cacheKey() == qv::ToolCursorImage(shape).cacheKey();
    }

    RecordingPrompts prompts_;
    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
    CardCommands& cards_ = program_->Cards();
};

TEST_F(DocumentEditingTest, GroupingRectangleMakesANewGroupAndTakesCardsIntoAWholeGroup) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    qv::Fragment* a = Card(c, "a", 0, 100, 100);
    qv::Fragment* b = Card(c, "b", 0, 200, 100);
    qv::Fragment* far = Card(c, "far", 0, 600, 400);
    Refresh(c);
    c->SetTool(qv::ToolMode::Group);
    EXPECT_TRUE(Shows(c, qv::CursorShape::GroupTool));

    Drag(c, QPoint(80, 80), QPoint(320, 160));
    EXPECT_EQ(a->Group, 1);
    EXPECT_EQ(b->Group, 1);
    EXPECT_EQ(far->Group, 0);
    EXPECT_TRUE(c->Set().SelectionList.empty());
    EXPECT_TRUE(c->Set().Modified);
    EXPECT_TRUE(c->Set().GroupTable[1].Frame.Visible);

    // Group 1 and the far card together: the far card joins group 1.
    Drag(c, QPoint(60, 60), QPoint(700, 460));
    EXPECT_EQ(far->Group, 1);
    EXPECT_TRUE(prompts_.Asked.empty());
}

TEST_F(DocumentEditingTest, GroupingRefusesWhenEveryGroupIsInUse) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    for (int g = 1; g <= qv::kMaxGroup; ++g)
        Card(c, "g", g, 2000 + (g % 10) * 70, 2000 + (g / 10) * 40);
    qv::Fragment* x = Card(c, "x", 0, 100, 100);
    qv::Fragment* y = Card(c, "y", 0, 200, 100);
    Refresh(c);
    c->SetTool(qv::ToolMode::Group);
    Drag(c, QPoint(80, 80), QPoint(320, 160));
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_EQ(prompts_.Asked[0], texts::Cp932(texts::kNoFreeGroup));
    EXPECT_EQ(x->Group, 0);
    EXPECT_EQ(y->Group, 0);
    EXPECT_EQ(c->Set().SelectionList.size(), 2u);
}

TEST_F(DocumentEditingTest, LineToolDrawsARubberLineBetweenFramesAndItsMenuRestylesTheLine) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    Card(c, "a", 1, 100, 100);
    Card(c, "b", 2, 500, 100);
    Refresh(c);
    c->Set().Modified = false;
    QSignalSpy status(c, &TMDIChild::StatusMessage);
    c->SetTool(qv::ToolMode::GroupLine);
    EXPECT_EQ(c->Set().LineStep(), qv::LineToolStep::Ready);
    EXPECT_TRUE(Shows(c, qv::CursorShape::LineTool));

    // From inside group 1's frame (beside its card) to group 2's.
    Press(c, QPoint(95, 90));
    EXPECT_EQ(c->Set().LineStep(), qv::LineToolStep::Drawing);
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.at(0).at(0).toString(), QStringLiteral("グループ関係線を設定中..."));
    Move(c, QPoint(300, 110));
    Move(c, QPoint(510, 115));
    Release(c, QPoint(510, 115));
    EXPECT_EQ(c->Set().LineStep(), qv::LineToolStep::Ready);
    EXPECT_TRUE(status.last().at(0).toString().isEmpty());
    ASSERT_EQ(c->Set().GroupLines.size(), 1u);
    const qv::ArrowLine& line = c->Set().GroupLines[0];
    EXPECT_EQ(line.From, 1);
    EXPECT_EQ(line.To, 2);
    EXPECT_TRUE(line.Drawn);
    EXPECT_TRUE(c->Set().Modified);

    // A drag that ends outside every frame makes nothing and still ends the drawing.
    Drag(c, QPoint(95, 90), QPoint(300, 400));
    EXPECT_EQ(c->Set().GroupLines.size(), 1u);
    EXPECT_EQ(c->Set().LineStep(), qv::LineToolStep::Ready);

    // Right click on the line: its menu, with its type and width checked; "&B" makes it a double
    // arrow, then "&5" 5 pixels wide.
    c->SetTool(qv::ToolMode::Normal);
    const QPoint middle((line.WinStart.X + line.WinEnd.X) / 2,
                        (line.WinStart.Y + line.WinEnd.Y) / 2);
    QMenu& menu = *cards_.LinePopup();
    QAction* plain = Item(menu, u"タイプ : 線 (&L)");
    QAction* remove = Item(menu, u"関係線の削除(&D)");
    ASSERT_TRUE(plain && remove);
    bool checkedPlain = false;
    WhenOpen(menu, [&] {
        checkedPlain = plain->isChecked() && remove->isVisible();
        QTest::keyClick(&menu, Qt::Key_B);
    });
    Press(c, middle, Qt::RightButton);
    EXPECT_EQ(c->Set().SelectedLine, 0);
    Release(c, middle, Qt::RightButton);
    EXPECT_TRUE(checkedPlain);
    EXPECT_EQ(c->Set().GroupLines[0].Type, 3);
    WhenOpen(menu, [&] { QTest::keyClick(&menu, Qt::Key_5); });
    Press(c, middle, Qt::RightButton);
    Release(c, middle, Qt::RightButton);
    EXPECT_EQ(c->Set().GroupLines[0].Width, 5);
    EXPECT_EQ(c->Set().GroupLines[0].Type, 3);

    // Off the line the same menu sets the defaults for new lines and offers no delete.
    bool noDelete = false;
    WhenOpen(menu, [&] {
        noDelete = !remove->isVisible();
        QTest::keyClick(&menu, Qt::Key_T);
    });
    c->SetTool(qv::ToolMode::GroupLine);
    Press(c, QPoint(300, 500), Qt::RightButton);
    Release(c, QPoint(300, 500), Qt::RightButton);
    EXPECT_TRUE(noDelete);
    EXPECT_EQ(form_.Env().DefGLineWidth, -1);
    EXPECT_EQ(c->Set().GroupLines[0].Width, 5);
}

TEST_F(DocumentEditingTest, ARightClickOnALineLeavesTheWayBackToNormalEditingEverywhere) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    Card(c, "a", 1, 100, 100);
    Card(c, "b", 2, 500, 100);
    Refresh(c);
    c->Set().SetGroupLine(1, 2);
    c->Set().RedrawAll();
    const qv::ArrowLine& line = c->Set().GroupLines[0];
    const QPoint middle((line.WinStart.X + line.WinEnd.X) / 2,
                        (line.WinStart.Y + line.WinEnd.Y) / 2);
    QAction* normal = form_.Commands().Action(CommandId::ToolNrm);
    // The line's own menu, closed again without a choice.
    QMenu& menu = *cards_.LinePopup();
    WhenOpen(menu, [&menu] { QTest::keyClick(&menu, Qt::Key_Escape); });
    Press(c, middle, Qt::RightButton);
    Release(c, middle, Qt::RightButton);
    ASSERT_EQ(c->Set().SelectedLine, 0);
    EXPECT_TRUE(normal->isVisible());
    QWidget* button = form_.ToolBar(2)->widgetForAction(normal);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible()) << "the tool bar keeps its button";

    // Under the grouping tool a right click offers the way back, and it works.
    form_.Commands().Action(CommandId::ToolGruop)->trigger();
    QMenu& groupMenu = *form_.GroupToolPopup();
    bool offered = false;
    WhenOpen(groupMenu, [&] {
        offered = normal->isVisible() && normal->isEnabled();
        QTest::keyClick(&groupMenu, Qt::Key_N);
    });
    Press(c, QPoint(300, 500), Qt::RightButton);
    Release(c, QPoint(300, 500), Qt::RightButton);
    QApplication::processEvents();
    EXPECT_TRUE(offered);
    EXPECT_EQ(form_.CurrentTool(), TQuillovaMainForm::Tool::Normal);
}

TEST_F(DocumentEditingTest, BrushPaintsUnderItsTipAndTheEyedropperPicksAColour) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    qv::Fragment* a = Card(c, "a", 1, 100, 100);
    qv::Fragment* b = Card(c, "b", 1, 300, 100);
    Refresh(c);
    b->ColBG = 0x00C0FF;
    c->SetTool(qv::ToolMode::Brush);
    EXPECT_TRUE(Shows(c, qv::CursorShape::PaintTool));
    QPoint hot;
    qv::ToolCursorImage(qv::CursorShape::PaintTool, &hot);
    EXPECT_EQ(c->viewport()->cursor().hotSpot(), hot);

    form_.Env().Colors.BrushTool = 0x00FF00;
    // The hot spot 28 pixels above the card: the tip is on it.
    Press(c, QPoint(110 - 4, 105 - 28));
    Release(c, QPoint(110 - 4, 105 - 28));
    EXPECT_EQ(a->ColBG, 0x00FF00u);
    EXPECT_TRUE(c->Set().Modified);
    // The hot spot on the card's last line, the tip below it: nothing is painted.
    b->ColBG = 0x00C0FF;
    Press(c, QPoint(310, b->Bottom - 2));
    Release(c, QPoint(310, b->Bottom - 2));
    EXPECT_EQ(b->ColBG, 0x00C0FFu);

    // Right press: the eyedropper takes b's colour and shows until the release.
    QSignalSpy picked(c, &TMDIChild::BrushColorPicked);
    Press(c, QPoint(310 - 4, 105 - 28), Qt::RightButton);
    EXPECT_TRUE(Shows(c, qv::CursorShape::SpuitTool));
    EXPECT_EQ(form_.Env().Colors.BrushTool, 0x00C0FFu);
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked.at(0).at(0).toUInt(), 0x00C0FFu);
    Move(c, QPoint(320 - 4, 105 - 28));
    EXPECT_TRUE(Shows(c, qv::CursorShape::SpuitTool));
    Release(c, QPoint(320 - 4, 105 - 28), Qt::RightButton);
    EXPECT_TRUE(Shows(c, qv::CursorShape::PaintTool));
    Press(c, QPoint(110 - 4, 105 - 28));
    Release(c, QPoint(110 - 4, 105 - 28));
    EXPECT_EQ(a->ColBG, 0x00C0FFu);
}

TEST_F(DocumentEditingTest, CtrlDragPicksCardsOutOfTheirFrameAndDropsThemIntoAnother) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    form_.Env().MoveCurosr = static_cast<int>(qv::CursorShape::GrabLeft);
    qv::Fragment* a = Card(c, "a", 1, 100, 100);
    Card(c, "a2", 1, 100, 160);
    Card(c, "b", 2, 500, 100);
    Refresh(c);

    Press(c, QPoint(110, 105));
    EXPECT_TRUE(Shows(c, qv::CursorShape::GrabLeft));
    Move(c, QPoint(200, 105));
    QTest::keyPress(Window(), Qt::Key_Control, Qt::ControlModifier);
    // Picked out: group 1's frame now holds only a2.
    EXPECT_TRUE(Shows(c, qv::CursorShape::PickLeft));
    EXPECT_EQ(c->Set().GroupTable[1].MemberUnion.Top, 160);
    Move(c, QPoint(400, 105), Qt::ControlModifier);
    Move(c, QPoint(500, 110), Qt::ControlModifier);
    Release(c, QPoint(500, 110), Qt::LeftButton, Qt::ControlModifier);
    QTest::keyRelease(Window(), Qt::Key_Control);
    EXPECT_EQ(a->Group, 2);
    EXPECT_EQ(c->Set().GroupTable[1].Count, 1);

    // Undo puts it back into its old group and place.
    c->Undo();
    EXPECT_EQ(a->Group, 1);
    EXPECT_EQ(a->Left, 100);
}

TEST_F(DocumentEditingTest, CopyInOneWindowPastesAtTheMouseIntoTheFrameUnderItInAnother) {
    TMDIChild* from = NewDocument();
    ASSERT_NE(from, nullptr);
    qv::Fragment* source = Card(from, "copied", 0, 40, 40);
    Refresh(from);
    Press(from, QPoint(50, 45));
    Release(from, QPoint(50, 45));
    ASSERT_TRUE(form_.Commands().Run(CommandId::EditCopy));
    EXPECT_TRUE(from->Set().SelectionList.empty());
    EXPECT_FALSE(source->Selected);

    TMDIChild* to = NewDocument();
    ASSERT_NE(to, nullptr);
    Card(to, "x", 3, 200, 200);
    Card(to, "y", 3, 300, 260);
    Refresh(to);
    to->SetScrollPosition(qv::ScrollAxis::Vertical, 0);
    const QPoint inFrame(290, 215);  // between the two cards, inside group 3's frame
    ASSERT_EQ(to->Set().GroupFrameAt(inFrame.x(), inFrame.y()), 3);
    QCursor::setPos(to->viewport()->mapToGlobal(inFrame));
    ASSERT_TRUE(form_.Commands().Run(CommandId::EditPasteEx));
    ASSERT_EQ(to->Set().Count(), 3);
    const qv::Fragment& pasted = *to->Set().Fragments().back();  // on top of all others
    EXPECT_EQ(pasted.Text, "copied");
    EXPECT_EQ(pasted.Left, inFrame.x());
    EXPECT_EQ(pasted.Top, inFrame.y());
    EXPECT_EQ(pasted.Group, 3);
    EXPECT_TRUE(pasted.Selected);
    EXPECT_TRUE(to->Set().Modified);

    // A read-only document takes nothing.
    to->Set().ReadOnly = true;
    to->PasteAtMouse();
    to->Paste();
    EXPECT_EQ(to->Set().Count(), 3);
}

TEST_F(DocumentEditingTest, UndoAndRedoTakeBackGatherSpreadAndADrag) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    qv::Fragment* a = Card(c, "a", 0, 100, 50);
    qv::Fragment* b = Card(c, "b", 0, 300, 20);
    qv::Fragment* d = Card(c, "d", 0, 40, 400);
    Refresh(c);
    c->Set().SelectAll(true);

    qv::Gather(c->Set());
    EXPECT_EQ(d->Left, 40);
    EXPECT_EQ(b->Left, 42);
    c->Undo();
    EXPECT_EQ(b->Left, 300);
    EXPECT_EQ(b->Top, 20);
    EXPECT_TRUE(c->Set().RedoAvailable());
    c->Redo();
    EXPECT_EQ(b->Left, 42);
    c->Undo();

    qv::Spread(c->Set());
    EXPECT_NE(a->Top, 50);
    c->Undo();
    EXPECT_EQ(a->Left, 100);
    EXPECT_EQ(a->Top, 50);

    c->Set().SelectAll(false);
    Drag(c, QPoint(110, 55), QPoint(150, 95));
    EXPECT_EQ(a->Left, 140);
    c->Undo();
    EXPECT_EQ(a->Left, 100);
    EXPECT_EQ(a->Top, 50);
    c->Redo();
    EXPECT_EQ(a->Left, 140);
    EXPECT_EQ(a->Top, 90);
}

TEST_F(DocumentEditingTest, DeleteTakesTheSelectedLineThenTheCardsAndNothingWhenReadOnly) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    Card(c, "a", 1, 100, 100);
    Card(c, "b", 2, 500, 100);
    Refresh(c);
    c->Set().SetGroupLine(1, 2);
    c->Set().RedrawAll();
    const qv::ArrowLine& line = c->Set().GroupLines[0];
    const QPoint middle((line.WinStart.X + line.WinEnd.X) / 2,
                        (line.WinStart.Y + line.WinEnd.Y) / 2);
    // Select a card, then click the line (on empty page: the card is deselected).
    Press(c, QPoint(110, 105));
    Release(c, QPoint(110, 105));
    Press(c, middle);
    Release(c, middle);
    EXPECT_EQ(c->Set().SelectedLine, 0);
    Key(Qt::Key_Delete);
    EXPECT_TRUE(c->Set().GroupLines.empty());
    EXPECT_EQ(c->Set().Count(), 2);

    Press(c, QPoint(110, 105));
    Release(c, QPoint(110, 105));
    Key(Qt::Key_Delete);
    EXPECT_EQ(c->Set().Count(), 1);
    EXPECT_TRUE(prompts_.Asked.empty());  // no question

    c->Set().ReadOnly = true;
    c->Set().SelectAll(true);
    Key(Qt::Key_Delete);
    EXPECT_EQ(c->Set().Count(), 1);
}

TEST_F(DocumentEditingTest, ADoubleClickOnACardDoesNotSwallowTheNextDrag) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    qv::Fragment* a = Card(c, "a", 0, 100, 100);
    Refresh(c);
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, At(c, QPoint(110, 105)));
    EXPECT_TRUE(a->Selected);
    EXPECT_FALSE(c->Set().Dragging());
    Drag(c, QPoint(110, 105), QPoint(170, 145));
    EXPECT_EQ(a->Left, 160);
    EXPECT_EQ(a->Top, 140);
}

TEST_F(DocumentEditingTest, CtrlDoubleClickIsIgnoredButAnEarlierCtrlClickSpoilsNoLaterOne) {
    int edits = 0;
    QObject::connect(&form_.Documents(), &DocumentManager::EditSelectionRequested,
                     [&](qv::FragSet&) { ++edits; });
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    Card(c, "a", 0, 100, 100);
    Card(c, "b", 0, 300, 100);
    Refresh(c);
    QTest::mouseDClick(Window(), Qt::LeftButton, Qt::ControlModifier, At(c, QPoint(110, 105)));
    EXPECT_EQ(edits, 0);
    // A Ctrl-click on one card, then a plain double click on the other: the dialog opens.
    Press(c, QPoint(110, 105), Qt::LeftButton, Qt::ControlModifier);
    Release(c, QPoint(110, 105), Qt::LeftButton, Qt::ControlModifier);
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, At(c, QPoint(310, 105)));
    EXPECT_EQ(edits, 1);
}

TEST_F(DocumentEditingTest, DoubleClickOnEmptyPageAsksForANewCardInTheFrameThere) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    Card(c, "a", 4, 100, 100);
    Card(c, "b", 4, 300, 200);
    Refresh(c);
    c->SetScrollPosition(qv::ScrollAxis::Vertical, 0);
    std::vector<qv::NewFragmentRequest> asked;
    QObject::connect(&form_.Documents(), &DocumentManager::NewFragmentRequested,
                     [&](qv::FragSet&, const qv::NewFragmentRequest& r) { asked.push_back(r); });
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, At(c, QPoint(250, 150)));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].AtPoint);
    EXPECT_EQ(asked[0].At.X, 251);
    EXPECT_EQ(asked[0].At.Y, 151);
    EXPECT_EQ(asked[0].PresetGroup, 4);
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, At(c, QPoint(700, 500)));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].PresetGroup, 0);
    // A drag right after still draws a rectangle and selects.
    Drag(c, QPoint(80, 80), QPoint(180, 130));
    EXPECT_EQ(c->Set().SelectionList.size(), 1u);

    c->Set().ReadOnly = true;
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, At(c, QPoint(700, 500)));
    EXPECT_EQ(asked.size(), 2u);
}

TEST_F(DocumentEditingTest, RightClicksAskForTheMenuOfTheToolAndWhatIsUnderThePointer) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    Card(c, "a", 0, 100, 100);
    Refresh(c);
    QSignalSpy spy(c, &TMDIChild::PopupRequested);
    QWidget* opened = nullptr;
    auto rightClick = [&](QPoint p) {
        Press(c, p, Qt::RightButton);
        Release(c, p, Qt::RightButton);
        opened = QApplication::activePopupWidget();
        if (opened) opened->close();
        return spy.isEmpty() ? PopupKind::None : spy.takeLast().at(1).value<PopupKind>();
    };
    EXPECT_EQ(rightClick(QPoint(110, 105)), PopupKind::Fragment);
    EXPECT_EQ(opened, form_.FragmentPopup());
    EXPECT_EQ(rightClick(QPoint(400, 300)), PopupKind::Fragment);
    form_.SetTool(qv::ToolMode::Group);
    EXPECT_EQ(rightClick(QPoint(110, 105)), PopupKind::GroupTool);
    EXPECT_EQ(opened, form_.GroupToolPopup());
    form_.SetTool(qv::ToolMode::Brush);
    EXPECT_EQ(rightClick(QPoint(400, 300)), PopupKind::Brush);
    EXPECT_EQ(opened, cards_.BrushPopup());
    // On a card the right button is the eyedropper, not a menu.
    EXPECT_EQ(rightClick(QPoint(110 - 4, 105 - 28)), PopupKind::None);
    EXPECT_EQ(opened, nullptr);
}

TEST_F(DocumentEditingTest, TheHintOfALinkedCardShowsAtOnceAndEscAsksForTheGroupList) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    qv::Fragment* a = Card(c, "a", 0, 100, 100);
    Card(c, "plain", 0, 300, 100);
    a->Link = "/home/user/notes.txt";
    Refresh(c);
    Move(c, QPoint(110, 105));
    EXPECT_EQ(c->HintText(), QStringLiteral("/home/user/notes.txt"));
    EXPECT_TRUE(QToolTip::isVisible());
    Move(c, QPoint(310, 105));
    EXPECT_TRUE(c->HintText().isEmpty());
    for (int i = 0; i < 20 && QToolTip::isVisible(); ++i)
        QTest::qWait(50);  // the hint fades out
    EXPECT_FALSE(QToolTip::isVisible());

    QSignalSpy esc(c, &TMDIChild::EscapePressed);
    c->setFocus();
    Key(Qt::Key_Escape);
    EXPECT_EQ(esc.count(), 1);
}

TEST_F(DocumentEditingTest, TheToolIsSharedAndAnActivatedWindowShowsItsCursor) {
    TMDIChild* first = NewDocument();
    TMDIChild* second = NewDocument();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    second->SetTool(qv::ToolMode::GroupLine);
    EXPECT_EQ(first->Tool(), qv::ToolMode::GroupLine);
    form_.DocumentArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    EXPECT_TRUE(Shows(first, qv::CursorShape::LineTool));
    EXPECT_EQ(first->Set().LineStep(), qv::LineToolStep::Ready);
    EXPECT_TRUE(form_.Services().Refresh().Pending());
    first->SetTool(qv::ToolMode::Normal);
    EXPECT_EQ(first->Set().LineStep(), qv::LineToolStep::Off);
    EXPECT_EQ(first->viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(DocumentEditingTest, EdgeMovesGoToTheEndsOfThePage) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    Card(c, "far", 0, 3000, 2500);
    Refresh(c);
    c->MoveToEdge(PageEdge::Bottom);
    c->MoveToEdge(PageEdge::Right);
    EXPECT_EQ(c->ScrollPosition(qv::ScrollAxis::Vertical),
              c->ScrollRange(qv::ScrollAxis::Vertical) - c->ClientHeight());
    EXPECT_EQ(c->ScrollPosition(qv::ScrollAxis::Horizontal),
              c->ScrollRange(qv::ScrollAxis::Horizontal) - c->ClientWidth());
    c->MoveToEdge(PageEdge::Top);
    c->MoveToEdge(PageEdge::Left);
    EXPECT_EQ(c->ScrollPosition(qv::ScrollAxis::Vertical), 0);
    EXPECT_EQ(c->ScrollPosition(qv::ScrollAxis::Horizontal), 0);
}

}  // namespace
