// The document window inside the main window: opening, scrolling by keys and wheel, the caption,
// and the save question on close.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <algorithm>
#include <deque>

#include "app/app_services.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "render/qt_text.h"

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

    ScriptedPrompts prompts_;
    AppServices services_;
    TQuillovaMainForm form_{services_};
};

TEST_F(DocumentWindowTest, OpensTheExampleWithItsPathAsCaptionAndScrollRangeOfThePage) {
    TMDIChild* child = form_.OpenDocument(kExample);
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
    EXPECT_EQ(form_.OpenDocument(detour), child);
    EXPECT_EQ(form_.DocumentCount(), 1);
}

TEST_F(DocumentWindowTest, ArrowPageKeysAndWheelScrollByTheirSteps) {
    TMDIChild* child = form_.OpenDocument(kExample);
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

    // One notch towards the user: 16 pixels further down the page.
    QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(child->viewport(), &wheel);
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), 16);
    // Cards follow the page: their screen rectangles are document minus scroll.
    const qv::Fragment& first = *child->Set().Fragments().front();
    EXPECT_EQ(first.ScreenRect.Left, first.Left - 16);
    EXPECT_EQ(first.ScreenRect.Top, first.Top - 16);
}

TEST_F(DocumentWindowTest, DraggingACardMovesItAndMarksTheDocumentModified) {
    TMDIChild* child = form_.OpenDocument(kExample);
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
    EXPECT_FALSE(set.Dragging);

    // A rubber band over empty page around two cards selects both.
    set.SelectAll(false);
    send(QEvent::MouseButtonPress, QPoint(640, 80), Qt::LeftButton);
    send(QEvent::MouseMove, QPoint(1100, 200), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPoint(1100, 200), Qt::NoButton);
    EXPECT_EQ(set.SelectionList.size(), 2u);
}

TEST_F(DocumentWindowTest, MissingFileIsReportedAndOpensNothing) {
    TMDIChild* child = form_.OpenDocument("/nonexistent/folder/none.csv");
    EXPECT_EQ(child, nullptr);
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_EQ(prompts_.Asked[0].rfind("[/nonexistent/folder/none.csv]", 0), 0u);
    EXPECT_EQ(form_.DocumentCount(), 0);
}

TEST_F(DocumentWindowTest, ClosingAModifiedDocumentAsksAndCancelKeepsItOpen) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.csv"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(kExample), path));
    TMDIChild* child = form_.OpenDocument(qv::ToCp932(path));
    ASSERT_NE(child, nullptr);
    child->Set().Modified = true;

    prompts_.Answers = {qv::PromptAnswer::Cancel};
    EXPECT_FALSE(child->CloseQuery());
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
    EXPECT_TRUE(child->CloseQuery());
    EXPECT_FALSE(child->Set().Modified);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_NE(f.readAll(), before);
    ASSERT_FALSE(form_.Env().RecentFiles.empty());
    EXPECT_EQ(form_.Env().RecentFiles.front().rfind("\"" + qv::ToCp932(path) + "\",1,", 0), 0u);
}

TEST_F(DocumentWindowTest, ReadOnlyFileShowsTheMarkAndNeverAsks) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("locked.csv"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(kExample), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
    TMDIChild* child = form_.OpenDocument(qv::ToCp932(path));
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->Set().ReadOnly);
    EXPECT_TRUE(child->windowTitle().endsWith(QStringLiteral(" : 編集禁止")));
    child->Set().Modified = true;
    EXPECT_TRUE(child->CloseQuery());
    EXPECT_TRUE(prompts_.Asked.empty());
}

TEST_F(DocumentWindowTest, ReopeningRestoresHiddenGroupsAndScrollPositionFromTheHistory) {
    TMDIChild* child = form_.OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    child->Set().GroupTable[3].Shown = false;
    child->SetScrollPosition(qv::ScrollAxis::Vertical, 96);
    ASSERT_TRUE(child->CloseQuery());
    child->parentWidget()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(form_.DocumentCount(), 0);

    TMDIChild* again = form_.OpenDocument(kExample);
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

TEST_F(DocumentWindowTest, UntitledDocumentsAreAlwaysNew) {
    TMDIChild* a = form_.OpenDocument("\x96\xb3\x91\xe8");
    TMDIChild* b = form_.OpenDocument("\x96\xb3\x91\xe8");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(a->windowTitle(), QStringLiteral("無題"));
}

}  // namespace
