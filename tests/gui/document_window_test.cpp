// The document window inside the main window: opening, scrolling by keys and wheel, the caption,
// and the save question on close.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <deque>
#include <filesystem>

#include "app/app_services.h"
#include "app/commands/card_commands.h"
#include "app/commands/command_registry.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "render/text/qt_text.h"

namespace {

// Answers message boxes from a script and remembers what was asked.
class ScriptedPrompts : public qv::Prompts {
  public:
    std::deque<qv::PromptAnswer> Answers;
    std::vector<std::string> Asked;

    qv::PromptAnswer Warning(std::string_view text, qv::PromptButtons) override {
        return Next(text);
    }
    qv::PromptAnswer Question(std::string_view text, qv::PromptButtons) override {
        return Next(text);
    }

  private:
    qv::PromptAnswer Next(std::string_view text) {
        Asked.emplace_back(text);
        if (Answers.empty()) return qv::PromptAnswer::Cancel;
        qv::PromptAnswer a = Answers.front();
        Answers.pop_front();
        return a;
    }
};

const std::string kExample = std::string(QV_SOURCE_DIR) + "/examples/brainstorm.csv";

class DocumentWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        services_.Prompts().Redirect(&prompts_);
        form_.resize(900, 700);
        form_.show();
    }
    void TearDown() override {
        // Leave nothing to ask about.
        for (QMdiSubWindow* sub : form_.DocumentArea()->subWindowList()) {
            if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->ApproveClose();
        }
    }

    static void Key(QWidget* w, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }
    static void Wheel(TMDIChild* child, QPoint angle, Qt::KeyboardModifiers mods = {}) {
        QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), QPoint(), angle, Qt::NoButton, mods,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(child->viewport(), &wheel);
    }

    ScriptedPrompts prompts_;
    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
};

TEST_F(DocumentWindowTest, OpensTheExampleWithItsPathAsCaptionAndScrollRangeOfThePage) {
    TMDIChild* child = form_.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->windowTitle(), qv::FromCp932(kExample));
    const qv::FragSet& set = child->Set();
    EXPECT_EQ(set.Count(), 23);
    EXPECT_TRUE(set.FixedSize);
    // The picture card links "idea.bmp" beside the document: found there, at its 96 x 96 size.
    const auto picture =
        std::find_if(set.Fragments().begin(), set.Fragments().end(),
                     [](const auto& f) { return f->Kind == qv::FragmentKind::Image; });
    ASSERT_NE(picture, set.Fragments().end());
    ASSERT_TRUE((*picture)->HasPicture());
    EXPECT_EQ((*picture)->Width(), 96);
    // The page is fixed at 1600 x 1100; the scroll range is the page plus 20.
    EXPECT_EQ(child->ScrollRange(qv::ScrollAxis::Horizontal), 1620);
    EXPECT_EQ(child->ScrollRange(qv::ScrollAxis::Vertical), 1120);
    EXPECT_EQ(child->verticalScrollBar()->maximum(), 1120 - child->ClientHeight());
    EXPECT_EQ(child->verticalScrollBar()->singleStep(), 16);
    // The same document again (spelled with a detour) brings the open window back.
    const std::string detour = std::string(QV_SOURCE_DIR) + "/examples/../examples/brainstorm.csv";
    EXPECT_EQ(form_.Documents().OpenDocument(detour), child);
    EXPECT_EQ(form_.DocumentCount(), 1);
}

TEST_F(DocumentWindowTest, ArrowPageKeysAndWheelScrollByTheirSteps) {
    TMDIChild* child = form_.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    child->SetScrollPosition(qv::ScrollAxis::Vertical, 0);
    child->SetScrollPosition(qv::ScrollAxis::Horizontal, 0);
    Key(child, Qt::Key_Down);
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), 16);
    Key(child, Qt::Key_PageDown);
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), 80);
    Key(child, Qt::Key_PageUp);
    Key(child, Qt::Key_Up);
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), 0);
    Key(child, Qt::Key_Up);  // at the start nothing moves
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), 0);
    Key(child, Qt::Key_Right);
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Horizontal), 16);
    Key(child, Qt::Key_Home);  // does nothing
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Horizontal), 16);

    // One notch towards the user: the desktop's three lines of 16 pixels further down the page.
    ASSERT_EQ(QApplication::wheelScrollLines(), 3);
    Wheel(child, QPoint(0, -120));
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), 48);
    // Cards follow the page: their screen rectangles are document minus scroll.
    const qv::Fragment& first = *child->Set().Fragments().front();
    EXPECT_EQ(first.ScreenRect.Left, first.Left - 16);
    EXPECT_EQ(first.ScreenRect.Top, first.Top - 48);
}

TEST_F(DocumentWindowTest, TheWheelFollowsTheDesktopsLinesPerNotchAndShiftTurnsItSideways) {
    TMDIChild* child = form_.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    child->SetScrollPosition(qv::ScrollAxis::Vertical, 0);
    child->SetScrollPosition(qv::ScrollAxis::Horizontal, 0);
    const int lines = QApplication::wheelScrollLines();
    QApplication::setWheelScrollLines(5);
    Wheel(child, QPoint(0, -120));
    Wheel(child, QPoint(0, -60));  // half a notch on a fine wheel
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), 80 + 40);
    // With Shift the same wheel scrolls the page sideways; back towards the start, it stops there.
    Wheel(child, QPoint(0, -120), Qt::ShiftModifier);
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Horizontal), 80);
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), 120);
    Wheel(child, QPoint(0, 240), Qt::ShiftModifier);
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Horizontal), 0);
    QApplication::setWheelScrollLines(lines);
}

TEST_F(DocumentWindowTest, MiddleButtonSpaceAndAltDragsScrollThePageByHand) {
    TMDIChild* child = form_.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    child->SetScrollPosition(qv::ScrollAxis::Vertical, 40);
    child->SetScrollPosition(qv::ScrollAxis::Horizontal, 40);
    qv::FragSet& set = child->Set();
    QWidget* vp = child->viewport();
    std::vector<std::pair<int, int>> places;
    for (const auto& f : set.Fragments())
        places.emplace_back(f->Left, f->Top);
    const auto scrolled = [&] {
        return QPoint(child->ScrollPosition(qv::ScrollAxis::Horizontal),
                      child->ScrollPosition(qv::ScrollAxis::Vertical));
    };
    // A press on a card and a drag with it: the page moves under the hand, the card stays.
    const QPoint onCard = QPoint(70, 110) - scrolled();
    auto drag = [&](Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint by) {
        QTest::mousePress(vp, button, mods, onCard);
        QMouseEvent move(QEvent::MouseMove, QPointF(onCard + by), vp->mapToGlobal(onCard + by),
                         Qt::NoButton, button, mods);
        QApplication::sendEvent(vp, &move);
        QTest::mouseRelease(vp, button, mods, onCard + by);
    };
    drag(Qt::MiddleButton, Qt::NoModifier, QPoint(-30, -20));
    EXPECT_EQ(scrolled(), QPoint(70, 60));
    drag(Qt::LeftButton, Qt::AltModifier, QPoint(20, 40));
    EXPECT_EQ(scrolled(), QPoint(50, 20));
    QTest::keyPress(child, Qt::Key_Space);
    drag(Qt::LeftButton, Qt::NoModifier, QPoint(10, -10));
    EXPECT_EQ(scrolled(), QPoint(40, 30));
    QTest::keyRelease(child, Qt::Key_Space);
    std::vector<std::pair<int, int>> after;
    for (const auto& f : set.Fragments())
        after.emplace_back(f->Left, f->Top);
    EXPECT_EQ(after, places);
    EXPECT_FALSE(set.Modified);
    // Space let go, the left button drags cards again.
    const QPoint card = QPoint(70, 110) - scrolled();
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, card);
    QMouseEvent move(QEvent::MouseMove, QPointF(card + QPoint(8, 0)),
                     vp->mapToGlobal(card + QPoint(8, 0)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, card + QPoint(8, 0));
    EXPECT_EQ(scrolled(), QPoint(40, 30));
    EXPECT_TRUE(set.Modified);
}

TEST_F(DocumentWindowTest, ADoubleClickWithTheMiddleButtonMakesNoCard) {
    TMDIChild* child = form_.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    const int count = child->Set().Count();
    // Sent as the window system delivers a double click (press, release, double click,
    // release), leaving the test library's own idea of the buttons alone.
    QWidget* vp = child->viewport();
    const QPointF at(300, 60);
    for (const auto& [type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::MiddleButton},
                                        std::pair{QEvent::MouseButtonRelease, Qt::NoButton},
                                        std::pair{QEvent::MouseButtonDblClick, Qt::MiddleButton},
                                        std::pair{QEvent::MouseButtonRelease, Qt::NoButton}}) {
        QMouseEvent e(type, at, vp->mapToGlobal(at), Qt::MiddleButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(vp, &e);
    }
    EXPECT_EQ(child->Set().Count(), count);
    EXPECT_TRUE(prompts_.Asked.empty());
}

TEST_F(DocumentWindowTest, DraggingACardMovesItAndMarksTheDocumentModified) {
    TMDIChild* child = form_.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    child->SetScrollPosition(qv::ScrollAxis::Vertical, 0);
    child->SetScrollPosition(qv::ScrollAxis::Horizontal, 0);
    qv::FragSet& set = child->Set();
    // "音声でメモを取れる" at 60, 100.
    qv::Fragment* card = set.FragmentAt(70, 110);
    ASSERT_NE(card, nullptr);
    ASSERT_EQ(card->Left, 60);
    QWidget* vp = child->viewport();
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(at), vp->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(vp, &e);
    };
    send(QEvent::MouseButtonPress, QPoint(70, 110), Qt::LeftButton);
    for (int step = 1; step <= 4; ++step)
        send(QEvent::MouseMove, QPoint(70 + 10 * step, 110 + 5 * step), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPoint(110, 130), Qt::NoButton);
    EXPECT_EQ(card->Left, 100);
    EXPECT_EQ(card->Top, 120);
    EXPECT_TRUE(set.Modified);
    EXPECT_FALSE(set.Dragging());

    // A rubber band over empty page around two cards selects both.
    set.SelectAll(false);
    send(QEvent::MouseButtonPress, QPoint(640, 80), Qt::LeftButton);
    send(QEvent::MouseMove, QPoint(1100, 200), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPoint(1100, 200), Qt::NoButton);
    EXPECT_EQ(set.SelectionList.size(), 2u);
}

TEST_F(DocumentWindowTest, ACardDraggedPastTheEdgeOfAPageThatFitsTheWindowTakesThePageAlong) {
    TMDIChild* child = form_.Documents().NewDocument();
    ASSERT_NE(child, nullptr);
    qv::FragSet& set = child->Set();
    qv::Fragment* card = set.AddFragment();
    ASSERT_NE(card, nullptr);
    card->Text = "a";
    card->Left = 100;
    card->Top = 40;
    card->Measure();
    set.Recount();
    set.RefreshVisibility();
    ASSERT_EQ(child->horizontalScrollBar()->maximum(), 0) << "the page fits the window";
    QWidget* vp = child->viewport();
    const int edge = child->ClientWidth();
    QPoint at(110, 50);
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, at);
    // The hand moves in small steps, the card under it, and pushes on at the window's edge.
    while (at.x() < edge - 2) {
        at.rx() = std::min(at.x() + 6, edge - 2);
        QMouseEvent move(QEvent::MouseMove, QPointF(at), vp->mapToGlobal(QPointF(at)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
    }
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_GT(child->ScrollPosition(qv::ScrollAxis::Horizontal), 0);
    // The card is where the pointer left it, and the page reaches round it.
    EXPECT_EQ(card->ScreenRect.Left, at.x() - 10);
    EXPECT_GE(set.WholeWidth, card->Right);
    EXPECT_GE(child->horizontalScrollBar()->maximum() + edge, card->Right);
}

TEST_F(DocumentWindowTest, MissingFileIsReportedAndOpensNothing) {
    TMDIChild* child = form_.Documents().OpenDocument("/nonexistent/folder/none.csv");
    EXPECT_EQ(child, nullptr);
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_EQ(prompts_.Asked[0].rfind("[/nonexistent/folder/none.csv]", 0), 0u);
    EXPECT_EQ(form_.DocumentCount(), 0);
}

TEST_F(DocumentWindowTest, ClosingAModifiedDocumentAsksAndCancelKeepsItOpen) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.csv"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(kExample), path));
    TMDIChild* child = form_.Documents().OpenDocument(qv::ToCp932(path));
    ASSERT_NE(child, nullptr);
    child->Set().Modified = true;

    prompts_.Answers = {qv::PromptAnswer::Cancel};
    EXPECT_FALSE(form_.Documents().CloseQuery(*child));
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_NE(prompts_.Asked[0].find("]\x95\xcf\x8d\x58"), std::string::npos)
        << "変更内容を保存しますか";

    // Yes saves to the document's own file and records the recent-file entry.
    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    child->Set().Fragments().front()->Left += 8;
    prompts_.Answers = {qv::PromptAnswer::Yes};
    EXPECT_TRUE(form_.Documents().CloseQuery(*child));
    EXPECT_FALSE(child->Set().Modified);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_NE(f.readAll(), before);
    ASSERT_FALSE(form_.Env().RecentFiles.empty());
    EXPECT_EQ(form_.Env().RecentFiles.front().rfind("\"" + qv::ToCp932(path) + "\",1,", 0), 0u);
}

TEST_F(DocumentWindowTest, ACancelledExitLeavesEveryDocumentAskingAgainAndOutOfTheRecentFiles) {
    QTemporaryDir dir;
    const QString one = dir.filePath(QStringLiteral("one.csv"));
    const QString two = dir.filePath(QStringLiteral("two.csv"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(kExample), one));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(kExample), two));
    QFile::setPermissions(one, QFile::ReadOwner | QFile::WriteOwner);
    TMDIChild* first = form_.Documents().OpenDocument(qv::ToCp932(one));
    TMDIChild* second = form_.Documents().OpenDocument(qv::ToCp932(two));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const auto edit = [](TMDIChild* child) {
        child->Set().Fragments().front()->Left += 8;
        child->Set().Modified = true;
    };
    const auto exit = [this] { form_.Commands().Action(CommandId::FileExit)->trigger(); };
    const auto askedAbout = [this](const QString& path) {
        return prompts_.Asked.back().rfind("[" + qv::ToCp932(path) + "]", 0) == 0;
    };
    edit(first);
    edit(second);
    form_.Env().RecentFiles.clear();

    // No for the first, Cancel for the second: nothing closes and nothing is listed as closed.
    prompts_.Answers = {qv::PromptAnswer::No, qv::PromptAnswer::Cancel};
    exit();
    ASSERT_EQ(prompts_.Asked.size(), 2u);
    EXPECT_EQ(form_.DocumentCount(), 2);
    EXPECT_TRUE(form_.Env().RecentFiles.empty());

    // Closing the first alone asks again; Cancel keeps it.
    form_.DocumentArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    prompts_.Answers = {qv::PromptAnswer::Cancel};
    form_.Commands().Action(CommandId::FileClose)->trigger();
    ASSERT_EQ(prompts_.Asked.size(), 3u);
    EXPECT_TRUE(askedAbout(one));
    EXPECT_EQ(form_.DocumentCount(), 2);

    // Yes saves the first; after the second cancels, new edits of the first are asked about
    // at the next exit, not saved unasked.
    prompts_.Answers = {qv::PromptAnswer::Yes, qv::PromptAnswer::Cancel};
    exit();
    ASSERT_EQ(prompts_.Asked.size(), 5u);
    EXPECT_FALSE(first->Set().Modified);
    QFile saved(one);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray afterYes = saved.readAll();
    saved.close();
    edit(first);
    prompts_.Answers = {qv::PromptAnswer::Cancel};
    exit();
    ASSERT_EQ(prompts_.Asked.size(), 6u);
    EXPECT_TRUE(askedAbout(one));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), afterYes);
    EXPECT_EQ(form_.DocumentCount(), 2);
    EXPECT_TRUE(form_.Env().RecentFiles.empty());
}

TEST_F(DocumentWindowTest, TheTitleEndsWithAStarWhileThereAreUnsavedChanges) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.csv"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(kExample), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    TMDIChild* child = form_.Documents().OpenDocument(qv::ToCp932(path));
    ASSERT_NE(child, nullptr);
    QWidget* sub = child->parentWidget();
    EXPECT_EQ(sub->windowTitle(), path);
    child->SetScrollPosition(qv::ScrollAxis::Vertical, 0);
    child->SetScrollPosition(qv::ScrollAxis::Horizontal, 0);

    // A card dragged by the mouse: the title shows the change once the drag is over.
    QWidget* vp = child->viewport();
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, QPoint(70, 110));
    QMouseEvent move(QEvent::MouseMove, QPointF(90, 120), vp->mapToGlobal(QPointF(90, 120)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, QPoint(90, 120));
    ASSERT_TRUE(child->Set().Modified);
    QApplication::processEvents();
    EXPECT_EQ(sub->windowTitle(), path + QStringLiteral(" *"));
    // The window list names the document without the mark.
    emit form_.WindowMenu()->aboutToShow();
    EXPECT_EQ(form_.WindowListItems().value(0)->text(), QStringLiteral("&1: ") + path);

    form_.Commands().Action(CommandId::FileSave)->trigger();
    EXPECT_FALSE(child->Set().Modified);
    EXPECT_EQ(sub->windowTitle(), path);
}

TEST_F(DocumentWindowTest, ReadOnlyFileShowsTheMarkAndNeverAsks) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("locked.csv"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(kExample), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
    TMDIChild* child = form_.Documents().OpenDocument(qv::ToCp932(path));
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->Set().ReadOnly);
    EXPECT_TRUE(child->windowTitle().endsWith(QStringLiteral(" : 編集禁止")));
    child->Set().Modified = true;
    EXPECT_TRUE(form_.Documents().CloseQuery(*child));
    EXPECT_TRUE(prompts_.Asked.empty());
}

TEST_F(DocumentWindowTest, ReopeningRestoresHiddenGroupsAndScrollPositionFromTheHistory) {
    TMDIChild* child = form_.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    child->Set().GroupTable[3].Shown = false;
    child->SetScrollPosition(qv::ScrollAxis::Vertical, 96);
    ASSERT_TRUE(form_.Documents().CloseQuery(*child));
    child->parentWidget()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(form_.DocumentCount(), 0);

    TMDIChild* again = form_.Documents().OpenDocument(kExample);
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(again->Set().GroupTable[3].Shown);
    EXPECT_TRUE(again->Set().GroupTable[2].Shown);
    EXPECT_EQ(again->ScrollPosition(qv::ScrollAxis::Vertical), 96);
    // Cards of the hidden group are not shown.
    for (const auto& f : again->Set().Fragments()) {
        if (f->Group == 3) {
            EXPECT_FALSE(f->Visible);
        }
    }
}

TEST_F(DocumentWindowTest, TheCloseBoxAsksTheDocumentLikeEveryOtherClose) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.csv"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(kExample), path));
    QPointer<TMDIChild> child = form_.Documents().OpenDocument(qv::ToCp932(path));
    ASSERT_NE(child, nullptr);
    int closed = 0;
    QObject::connect(&form_.Documents(), &DocumentManager::DocumentClosed,
                     [&](TMDIChild* w) { closed += w == child; });
    child->Set().Modified = true;
    auto* sub = qobject_cast<QMdiSubWindow*>(child->parentWidget());
    ASSERT_NE(sub, nullptr);

    prompts_.Answers = {qv::PromptAnswer::Cancel};
    EXPECT_FALSE(sub->close());
    EXPECT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(form_.DocumentCount(), 1);

    // No gives the changes up: the window goes, and the recent files keep where it was left.
    prompts_.Answers = {qv::PromptAnswer::No};
    EXPECT_TRUE(sub->close());
    EXPECT_EQ(closed, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(child.isNull());
    ASSERT_FALSE(form_.Env().RecentFiles.empty());
    EXPECT_EQ(form_.Env().RecentFiles.front().rfind("\"" + qv::ToCp932(path) + "\",1,", 0), 0u);
}

TEST_F(DocumentWindowTest, AFileNamedLikeTheUntitledCaptionOpensAsThatFile) {
    QTemporaryDir dir;
    const std::string name = "\x96\xb3\x91\xe8";  // 無題, as the settings file would hold it
    const std::filesystem::path path =
        std::filesystem::path(QFile::encodeName(dir.path()).data()) / name;
    std::filesystem::copy_file(kExample, path);
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    // Without the .csv ending it is asked about first, as any other file.
    prompts_.Answers = {qv::PromptAnswer::Yes};
    TMDIChild* child = form_.Documents().OpenDocument(name);
    QDir::setCurrent(before);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_EQ(child->Set().FileName, path.string());
    EXPECT_GT(child->Set().Count(), 0) << "the file's lines, not a new empty document";
    // The folder's own clean-up cannot name this file.
    std::filesystem::remove(path);
}

TEST_F(DocumentWindowTest, ADroppedFileBecomesARequestForALinkCardOfTheActiveDocument) {
    QTemporaryDir dir;
    const QString notes = dir.filePath(QStringLiteral("notes.txt"));
    QFile f(notes);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("text");
    f.close();
    TMDIChild* child = form_.Documents().NewDocument();
    ASSERT_NE(child, nullptr);
    form_.Env().DropLinkFile = true;
    // Without the property dialog nobody makes link cards: the file is passed over without a
    // question.
    QObject::disconnect(&form_.Documents(), &DocumentManager::NewFragmentRequested,
                        &program_->Cards(), nullptr);
    form_.Documents().DropFiles({notes});
    EXPECT_TRUE(prompts_.Asked.empty());

    std::vector<qv::NewFragmentRequest> asked;
    QObject::connect(&form_.Documents(), &DocumentManager::NewFragmentRequested,
                     [&](qv::FragSet& set, const qv::NewFragmentRequest& r) {
                         EXPECT_EQ(&set, &child->Set());
                         asked.push_back(r);
                     });
    form_.Documents().DropFiles({notes});
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].LinkPreset);
    EXPECT_EQ(asked[0].LinkPresetText, QFile::encodeName(notes).toStdString());
    EXPECT_EQ(child->Set().Count(), 0);
}

TEST_F(DocumentWindowTest, UntitledDocumentsAreAlwaysNew) {
    TMDIChild* a = form_.Documents().NewDocument();
    TMDIChild* b = form_.Documents().NewDocument();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(a->windowTitle(), QStringLiteral("無題"));
}

}  // namespace
