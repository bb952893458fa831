// Reaching cards from the keyboard and through assistive tools: Tab and Ctrl+arrows between cards,
// the focus ring, Enter for the property dialog, the keys the window had before, and the list of
// cards that Qt's accessibility hands to screen readers — all through real key events.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <vector>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/composition.h"
#include "app/document/card_accessibility.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/panels/group_list_panel.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "unit/model/fakes.h"

namespace {

using C = CommandId;

// What assistive tools were told: the event, the child it names, and that child's name.
struct Told {
    QAccessible::Event Type;
    int Child;
    QString Name;
};
std::vector<Told>* g_told = nullptr;

void RecordEvent(QAccessibleEvent* event) {
    if (!g_told || !qobject_cast<TMDIChild*>(event->object())) return;
    QString name;
    if (event->child() >= 0)
        if (QAccessibleInterface* iface = event->accessibleInterface())
            name = iface->text(QAccessible::Name);
    g_told->push_back({event->type(), event->child(), name});
}

class CardNavigationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The property dialog stays shut: its request is what the tests look for.
        QObject::disconnect(&form_.Documents(), &DocumentManager::EditSelectionRequested, nullptr,
                            nullptr);
        form_.resize(1000, 760);
        form_.show();
        form_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form_));
        child_ = form_.Documents().NewDocument();
        ASSERT_NE(child_, nullptr);
        child_->parentWidget()->showMaximized();
        // Two columns of two cards, added out of reading order, and a card of a hidden group.
        b1_ = Card("b1", 1, 300, 40);
        a2_ = Card("a2", 1, 40, 200);
        a1_ = Card("a1", 1, 42, 40);
        b2_ = Card("b2", 1, 298, 200);
        hidden_ = Card("hidden", 2, 170, 120);
        child_->Set().GroupTable[2].Shown = false;
        Refresh();
        child_->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(child_->hasFocus());
    }
    void TearDown() override {
        g_told = nullptr;
        WatchCardEvents({});
        for (QMdiSubWindow* sub : form_.DocumentArea()->subWindowList())
            if (auto* c = qobject_cast<TMDIChild*>(sub->widget())) c->ApproveClose();
    }

    qv::Fragment* Card(const char* text, int group, int left, int top) {
        return qv::test::AddCard(child_->Set(), text, group, left, top);
    }
    void Refresh() {
        child_->Set().Recount();
        child_->Set().RefreshVisibility();
        QApplication::processEvents();
    }
    // Through the window system's path, where shortcuts are matched.
    void Key(Qt::Key key, Qt::KeyboardModifiers m = {}) {
        QTest::keyClick(form_.windowHandle(), key, m);
        QApplication::processEvents();
    }
    const qv::Fragment* Selected() const { return child_->Set().SingleSelected(); }
    QImage Page() const { return child_->viewport()->grab().toImage(); }

    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
    TMDIChild* child_ = nullptr;
    qv::Fragment *a1_ = nullptr, *a2_ = nullptr, *b1_ = nullptr, *b2_ = nullptr;
    qv::Fragment* hidden_ = nullptr;
};

TEST_F(CardNavigationTest, TabAndShiftTabWalkTheVisibleCardsInReadingOrderAndWrap) {
    Key(Qt::Key_Tab);
    EXPECT_EQ(Selected(), a1_) << "with nothing selected Tab starts at the first card";
    EXPECT_EQ(form_.StatusPanelText(2), QStringLiteral("a1"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(Selected(), a2_);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Selected(), b1_);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Selected(), b2_);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Selected(), a1_) << "past the last card the walk starts again";
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), b2_);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), b1_);
    EXPECT_TRUE(child_->hasFocus()) << "Tab must not carry the keyboard out of the page";
    EXPECT_FALSE(hidden_->Selected);

    // From several selected cards the walk goes on from the first of them.
    child_->Set().SelectAll(true);
    QApplication::processEvents();
    Key(Qt::Key_Tab);
    EXPECT_EQ(Selected(), a2_);
}

TEST_F(CardNavigationTest, CtrlArrowsGoToTheNearestCardThatWayAndTheRingMarksIt) {
    const int scrollY = child_->verticalScrollBar()->value();
    Key(Qt::Key_Tab);  // a1
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Selected(), b1_);
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Selected(), b2_);
    Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(Selected(), a2_);
    Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Selected(), a1_);
    Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Selected(), a1_) << "nothing above: the selection stays";
    EXPECT_EQ(child_->verticalScrollBar()->value(), scrollY) << "Ctrl+arrows select, not scroll";
    EXPECT_EQ(child_->FocusCard(), a1_);

    // The ring is drawn just outside the card, in the highlight colour or on its base line.
    const qv::Rect& s = a1_->ScreenRect;
    const QPoint ringPoint(s.Left + s.Width() / 2, s.Top - 2);
    const QColor highlight = child_->palette().color(QPalette::Highlight);
    const QColor base = child_->palette().color(QPalette::Base);
    const QColor withRing = Page().pixelColor(ringPoint);
    EXPECT_TRUE(withRing == highlight || withRing == base) << withRing.name().toStdString();
    // A card's own pixels stay as they are.
    const QPoint inside(s.Left + 2, s.Top + s.Height() / 2);
    const QColor cardPixel = Page().pixelColor(inside);

    // Selecting by other means takes the ring away.
    child_->Set().SelectAll(true);
    QApplication::processEvents();
    EXPECT_EQ(child_->FocusCard(), nullptr);
    child_->Set().SelectAll(false);
    a1_->SetSelected(true);
    child_->Set().RebuildSelection();
    a1_->Redraw();
    QApplication::processEvents();
    EXPECT_EQ(child_->FocusCard(), nullptr) << "the same card selected by other means has no ring";
    const QImage after = Page();
    EXPECT_NE(after.pixelColor(ringPoint), highlight);
    EXPECT_EQ(after.pixelColor(inside), cardPixel);
}

TEST_F(CardNavigationTest, TheWindowsOwnKeysStillScrollDeleteAndLeave) {
    Card("far", 1, 2600, 1900);
    Refresh();
    QScrollBar* v = child_->verticalScrollBar();
    QScrollBar* h = child_->horizontalScrollBar();
    Key(Qt::Key_Down);
    EXPECT_EQ(v->value(), 16);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(v->value(), 80);
    Key(Qt::Key_Right);
    EXPECT_EQ(h->value(), 16);
    Key(Qt::Key_Up);
    EXPECT_EQ(v->value(), 64);
    EXPECT_TRUE(child_->Set().SelectionList.empty()) << "plain arrows select nothing";

    Key(Qt::Key_Tab);
    ASSERT_EQ(Selected(), a1_);
    const int before = child_->Set().Count();
    Key(Qt::Key_Delete);
    EXPECT_EQ(child_->Set().Count(), before - 1);
    Key(Qt::Key_Tab);  // the walk starts again at the new first card
    EXPECT_EQ(Selected(), a2_);
    EXPECT_EQ(child_->FocusCard(), a2_);

    QSignalSpy esc(child_, &TMDIChild::EscapePressed);
    Key(Qt::Key_Escape);
    EXPECT_EQ(esc.count(), 1);
}

TEST_F(CardNavigationTest, EnterOpensThePropertiesOfASingleSelectedCardOnly) {
    int asked = 0;
    QObject::connect(&form_.Documents(), &DocumentManager::EditSelectionRequested, &form_,
                     [&asked](qv::FragSet&) { ++asked; });
    Key(Qt::Key_Return);
    EXPECT_EQ(asked, 0) << "nothing selected";
    Key(Qt::Key_Tab);
    Key(Qt::Key_Return);
    EXPECT_EQ(asked, 1);
    Key(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(asked, 2);
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(asked, 2) << "only the plain key";
    child_->Set().SelectAll(true);
    QApplication::processEvents();
    Key(Qt::Key_Return);
    EXPECT_EQ(asked, 2) << "several cards: no dialog";
}

TEST_F(CardNavigationTest, TabInTheGroupListMovesTheKeyboardOnAndSelectsNoCard) {
    TGroupListPanel* list = form_.GroupList();
    ASSERT_NE(list, nullptr);
    list->show();
    list->TakeFocus();
    QApplication::processEvents();
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    ASSERT_TRUE(list->isAncestorOf(focused));
    Key(Qt::Key_Tab);
    EXPECT_TRUE(child_->Set().SelectionList.empty());
    EXPECT_NE(QApplication::focusWidget(), focused) << "Tab moves the keyboard on";
}

TEST_F(CardNavigationTest, AReassignedKeyMovesAndTabThenLeavesThePageAlone) {
    CommandRegistry& commands = form_.Commands();
    commands.SetKey(C::SelectNextCard, qv::kShortCutCtrl | 'J');
    commands.SetKey(C::SelectPrevCard, 0);
    Key(Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(Selected(), a1_);
    child_->setFocus();
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), a1_) << "Shift+Tab no longer belongs to a command";
}

// The access key of each item of `menu`, for those that have one.
QStringList AccessKeys(const QMenu& menu) {
    QStringList keys;
    for (const QAction* a : menu.actions()) {
        const QString text = a->text();
        const qsizetype amp = text.indexOf(u'&');
        if (amp >= 0 && amp + 1 < text.size()) keys << text.mid(amp + 1, 1).toUpper();
    }
    return keys;
}

TEST_F(CardNavigationTest, TheMovesSitInTheEditMenuAndTheCardPopUpWithDistinctAccessKeys) {
    for (QMenu* menu : {form_.MainMenu(1), form_.FragmentPopup()}) {
        ASSERT_NE(menu, nullptr);
        QMenu* steps = nullptr;
        for (QAction* a : menu->actions())
            if (a->menu() && a->text() == QStringLiteral("隣の断片を選択(&L)")) steps = a->menu();
        ASSERT_NE(steps, nullptr) << menu->title().toStdString();
        QList<QAction*> expected;
        for (CommandId id : {C::SelectNextCard, C::SelectPrevCard, C::SelectLeftCard,
                             C::SelectRightCard, C::SelectUpCard, C::SelectDownCard})
            expected << form_.Commands().Action(id);
        EXPECT_EQ(steps->actions(), expected);
        for (const QMenu* m : {static_cast<const QMenu*>(menu), static_cast<const QMenu*>(steps)}) {
            QStringList keys = AccessKeys(*m);
            // やり直し(&R) and プロパティ(&R)... both keep the captions they are known by; R
            // cycles between them.
            if (keys.count(QStringLiteral("R")) == 2) keys.removeOne(QStringLiteral("R"));
            EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size())
                << keys.join(QLatin1Char(' ')).toStdString();
        }
    }
    // Through the menu as a user picks it: the step works from there too.
    form_.Commands().Action(C::SelectDownCard)->trigger();
    EXPECT_NE(Selected(), nullptr);
}

// ---- Assistive tools ----

TEST_F(CardNavigationTest, AssistiveToolsSeeTheVisibleCardsWithNameGroupLinkAndStates) {
    qv::Fragment* plate = Card("Ideas", 3, 600, 40);
    plate->Kind = qv::FragmentKind::NamePlate;
    qv::Fragment* member = Card("linked", 3, 600, 120);
    member->Link = "/home/user/notes.txt";
    Refresh();

    QAccessibleInterface* page = QAccessible::queryAccessibleInterface(child_);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->role(), QAccessible::List);
    EXPECT_EQ(page->text(QAccessible::Name), child_->Caption());
    const int cards = static_cast<int>(child_->ReadingOrderCards().size());
    ASSERT_EQ(cards, 6) << "the hidden group's card is not listed";
    EXPECT_GE(page->childCount(), cards);
    QStringList names;
    for (int i = 0; i < cards; ++i) {
        QAccessibleInterface* card = page->child(i);
        ASSERT_NE(card, nullptr);
        EXPECT_EQ(card->role(), QAccessible::ListItem);
        EXPECT_EQ(card->parent(), page);
        EXPECT_EQ(page->indexOfChild(card), i);
        names << card->text(QAccessible::Name);
    }
    EXPECT_EQ(names, (QStringList{"a1", "a2", "b1", "b2", "Ideas", "linked"}));
    EXPECT_EQ(page->child(0)->text(QAccessible::Description), QStringLiteral("グループ1"));
    EXPECT_EQ(page->child(5)->text(QAccessible::Description),
              QStringLiteral("Ideas、リンク: /home/user/notes.txt"));

    // The card under a point, in screen coordinates.
    const qv::Rect& s = b1_->ScreenRect;
    const QPoint global = child_->viewport()->mapToGlobal(QPoint(s.Left + 3, s.Top + 3));
    QAccessibleInterface* hit = page->childAt(global.x(), global.y());
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->text(QAccessible::Name), QStringLiteral("b1"));
    EXPECT_EQ(hit->rect().topLeft(), child_->viewport()->mapToGlobal(QPoint(s.Left, s.Top)));

    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);  // a2
    QAccessibleInterface* a2 = page->child(1);
    EXPECT_TRUE(a2->state().selected);
    EXPECT_TRUE(a2->state().focused);
    EXPECT_FALSE(page->child(0)->state().selected);
    EXPECT_FALSE(page->child(0)->state().focused);
    EXPECT_EQ(page->focusChild(), a2);

    // A tool that focuses a card selects it as a key would.
    QAccessibleInterface* b1 = page->child(2);
    ASSERT_NE(b1->actionInterface(), nullptr);
    EXPECT_TRUE(b1->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::setFocusAction()));
    b1->actionInterface()->doAction(QAccessibleActionInterface::setFocusAction());
    EXPECT_EQ(Selected(), b1_);
    EXPECT_EQ(child_->FocusCard(), b1_);
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), a2_);

    // A card that is gone leaves an interface that says so instead of reading freed memory.
    Key(Qt::Key_Delete);
    Refresh();
    EXPECT_FALSE(a2->isValid());
    EXPECT_TRUE(a2->text(QAccessible::Name).isEmpty());
    EXPECT_EQ(static_cast<int>(child_->ReadingOrderCards().size()), cards - 1);
    EXPECT_EQ(page->child(1)->text(QAccessible::Name), QStringLiteral("b1"));
}

TEST_F(CardNavigationTest, KeyMovesAndOtherSelectionChangesAreToldToAssistiveTools) {
    std::vector<Told> told;
    g_told = &told;
    // Qt's own update handler sees nothing on the offscreen platform, which has no bridge to
    // assistive tools: the window's events are watched before Qt drops them.
    WatchCardEvents([](QAccessibleEvent& event) { RecordEvent(&event); });

    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);
    ASSERT_GE(told.size(), 4u);
    EXPECT_EQ(told[0].Type, QAccessible::Selection);
    EXPECT_EQ(told[0].Name, QStringLiteral("a1"));
    EXPECT_EQ(told[1].Type, QAccessible::Focus);
    EXPECT_EQ(told[1].Child, 0);
    EXPECT_EQ(told[2].Type, QAccessible::Selection);
    EXPECT_EQ(told[3].Type, QAccessible::Focus);
    EXPECT_EQ(told[3].Name, QStringLiteral("a2"));

    // A selection made elsewhere: the cards that joined and left it.
    told.clear();
    form_.Commands().Run(C::EditSelAll);
    QApplication::processEvents();
    std::vector<QString> added;
    for (const Told& t : told) {
        EXPECT_NE(t.Type, QAccessible::Focus);
        if (t.Type == QAccessible::SelectionAdd) added.push_back(t.Name);
    }
    EXPECT_EQ(added, (std::vector<QString>{"a1", "b1", "b2"}));

    told.clear();
    child_->Set().SelectAll(false);
    QApplication::processEvents();
    int removed = 0;
    for (const Told& t : told)
        removed += t.Type == QAccessible::SelectionRemove ? 1 : 0;
    EXPECT_EQ(removed, 4);
}

}  // namespace
