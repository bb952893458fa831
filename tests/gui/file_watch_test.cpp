// Open documents whose files are changed by someone else: real writes, renames and removals on
// disk, the window following them as the event loop turns.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/app_services.h"
#include "app/commands/file_commands.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/file_chooser.h"
#include "app/main_window/main_form.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "gui/scripted_prompts.h"

namespace {

constexpr int kWait = 10000;  // generous: the machine is shared

// A document of `cards` cards spread over a page larger than the window, texts `prefix` + number.
QByteArray DocumentText(int cards, const char* prefix) {
    QByteArray text = "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n";
    for (int i = 0; i < cards; ++i)
        text += QStringLiteral("\"%1%2\",%3,%4,%5,6,1,0,16777215,\r\n")
                    .arg(QLatin1String(prefix))
                    .arg(i)
                    .arg(i % 3 + 1)
                    .arg(40 + (i * 370) % 2600)
                    .arg(40 + i * 120)
                    .toLatin1();
    return text;
}

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteInPlace(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Written beside the file and renamed over it, as careful programs save.
void ReplaceByRename(const QString& path, const QByteArray& bytes) {
    const QString temp = path + QStringLiteral(".new");
    WriteInPlace(temp, bytes);
    ASSERT_EQ(::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()),
              0);
}

class FileWatchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        qRegisterMetaType<TMDIChild*>();
        ASSERT_TRUE(dir_.isValid());
        services_.Prompts().Redirect(&prompts_);
        services_.RedirectFiles(&chooser_);
        form_.resize(700, 500);
        form_.show();
        doc_ = dir_.filePath(QStringLiteral("doc.csv"));
        WriteInPlace(doc_, DocumentText(20, "first "));
    }
    void TearDown() override {
        services_.Prompts().Redirect(nullptr);
        services_.RedirectFiles(nullptr);
        for (QMdiSubWindow* sub : form_.DocumentArea()->subWindowList())
            if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->ApproveClose();
    }
    TMDIChild* Open() {
        TMDIChild* child = Documents().OpenDocument(QFile::encodeName(doc_).toStdString());
        if (child) FrameOf(child)->resize(600, 400);
        return child;
    }
    static QMdiSubWindow* FrameOf(TMDIChild* child) {
        return qobject_cast<QMdiSubWindow*>(child->parentWidget());
    }
    DocumentManager& Documents() { return form_.Documents(); }
    QString Status() {
        const auto labels = form_.statusBar()->findChildren<QLabel*>();
        return labels.size() >= 3 ? labels[2]->text() : QString();
    }
    static QTimer* Settle(TMDIChild* child) {
        return child->findChild<QTimer*>(QStringLiteral("FileSettle"));
    }
    static QString FirstText(TMDIChild* child) {
        const auto& cards = child->Set().Fragments();
        return cards.empty() ? QString() : QString::fromLatin1(cards.front()->Text.c_str());
    }

    QTemporaryDir dir_;
    QString doc_;
    ScriptedPrompts prompts_{qv::PromptAnswer::No};
    struct NoFiles : FileChooser {
        QStringList Files;
        QString Choose(QWidget*, const FileDialogRequest&) override {
            return Files.isEmpty() ? QString() : Files.takeFirst();
        }
    } chooser_;
    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
};

TEST_F(FileWatchTest, AnUnchangedWindowFollowsRewritesAndRenamesKeepingItsScrollPosition) {
    TMDIChild* child = Open();
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(child->Set().Count(), 20);
    QSignalSpy reloaded(&Documents(), &DocumentManager::DocumentReloaded);
    child->SetScrollPosition(qv::ScrollAxis::Vertical, 700);
    child->SetScrollPosition(qv::ScrollAxis::Horizontal, 300);
    const int y = child->ScrollPosition(qv::ScrollAxis::Vertical);
    const int x = child->ScrollPosition(qv::ScrollAxis::Horizontal);
    ASSERT_GT(y, 0);
    ASSERT_GT(x, 0);
    child->Set().SelectAll(true);
    ASSERT_FALSE(child->Set().SelectionList.empty());

    // Rewritten in place.
    WriteInPlace(doc_, DocumentText(25, "second "));
    QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 1, kWait);
    EXPECT_EQ(child->Set().Count(), 25);
    EXPECT_EQ(FirstText(child), QStringLiteral("second 0"));
    EXPECT_TRUE(child->Set().SelectionList.empty());
    EXPECT_FALSE(child->Set().Modified);
    EXPECT_FALSE(child->windowTitle().endsWith(QLatin1Char('*')))
        << child->windowTitle().toStdString();
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), y);
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Horizontal), x);
    EXPECT_TRUE(Status().contains(QStringLiteral("読み込み直しました"))) << Status().toStdString();
    EXPECT_TRUE(prompts_.Asked.empty());

    // Replaced by a rename: a new file, which is followed too, and so are later changes to it.
    ReplaceByRename(doc_, DocumentText(22, "third "));
    QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 2, kWait);
    EXPECT_EQ(FirstText(child), QStringLiteral("third 0"));
    EXPECT_EQ(Documents().WatchedFiles(), QStringList{doc_});
    WriteInPlace(doc_, DocumentText(21, "fourth "));
    QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 3, kWait);
    EXPECT_EQ(child->Set().Count(), 21);
    EXPECT_EQ(FirstText(child), QStringLiteral("fourth 0"));
    EXPECT_TRUE(prompts_.Asked.empty());
}

TEST_F(FileWatchTest, ABurstOfWritesIsReadOnceAtItsEnd) {
    TMDIChild* child = Open();
    ASSERT_NE(child, nullptr);
    QSignalSpy reloaded(&Documents(), &DocumentManager::DocumentReloaded);
    // Each write comes before the file has been quiet long enough.
    for (int i = 1; i <= 5; ++i) {
        WriteInPlace(doc_, DocumentText(20 + i, "burst "));
        QTest::qWait(DocumentManager::kFileSettleMs / 5);
    }
    QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 1, kWait);
    EXPECT_EQ(child->Set().Count(), 25);
    // Nothing more follows once the file is quiet.
    QSignalSpy settled(Settle(child), &QTimer::timeout);
    EXPECT_FALSE(settled.wait(DocumentManager::kFileSettleMs * 3));
    EXPECT_EQ(reloaded.count(), 1);
}

TEST_F(FileWatchTest, ARemovedFileLeavesTheWindowAsItIsMarkedModified) {
    TMDIChild* child = Open();
    ASSERT_NE(child, nullptr);
    QSignalSpy reloaded(&Documents(), &DocumentManager::DocumentReloaded);
    ASSERT_TRUE(QFile::remove(doc_));
    QTRY_VERIFY_WITH_TIMEOUT(child->Set().Modified, kWait);
    EXPECT_EQ(child->Set().Count(), 20);
    EXPECT_EQ(FirstText(child), QStringLiteral("first 0"));
    EXPECT_TRUE(child->windowTitle().endsWith(QLatin1Char('*')));
    EXPECT_TRUE(Status().contains(QStringLiteral("削除"))) << Status().toStdString();
    EXPECT_EQ(reloaded.count(), 0);
    // Saving makes the file again, and it is watched again.
    ASSERT_TRUE(program_->Files().FileSave());
    EXPECT_EQ(Contents(doc_).left(13), QByteArray("#Quillovarsta"));
    EXPECT_EQ(Documents().WatchedFiles(), QStringList{doc_});
    EXPECT_TRUE(prompts_.Asked.empty());
}

TEST_F(FileWatchTest, OurOwnSavesAreNotReadBack) {
    TMDIChild* child = Open();
    ASSERT_NE(child, nullptr);
    QSignalSpy reloaded(&Documents(), &DocumentManager::DocumentReloaded);
    QSignalSpy settled(Settle(child), &QTimer::timeout);
    child->Set().Fragments().front()->Text = "edited here";
    child->Set().MarkModified();
    // File > 上書き保存(&S) from the keyboard, as the user saves.
    form_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form_));
    QTest::keyClick(&form_, Qt::Key_F, Qt::AltModifier);
    QWidget* file = QApplication::activePopupWidget();
    ASSERT_NE(file, nullptr);
    QTest::keyClick(file, Qt::Key_S);
    ASSERT_FALSE(child->Set().Modified) << "saved";
    ASSERT_TRUE(Contents(doc_).contains("edited here"));
    // The watcher saw the write; the look at the file finds it as written here.
    ASSERT_TRUE(settled.wait(kWait));
    EXPECT_EQ(reloaded.count(), 0);
    EXPECT_TRUE(prompts_.Asked.empty());
    EXPECT_FALSE(Status().contains(QStringLiteral("読み込み直しました")));
    // The window keeps watching after its own rename-over save.
    WriteInPlace(doc_, DocumentText(3, "after "));
    QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 1, kWait);
    EXPECT_EQ(child->Set().Count(), 3);
}

TEST_F(FileWatchTest, AReplacementThatCannotBeReadKeepsTheWindowAndSaysWhy) {
    TMDIChild* child = Open();
    ASSERT_NE(child, nullptr);
    QSignalSpy reloaded(&Documents(), &DocumentManager::DocumentReloaded);
    ReplaceByRename(doc_, "just some text\r\nnot a document\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(Status().contains(QStringLiteral("読み込めません")), kWait);
    EXPECT_TRUE(Status().contains(QStringLiteral("断片ファイルではありません")))
        << Status().toStdString();
    EXPECT_EQ(child->Set().Count(), 20);
    EXPECT_EQ(FirstText(child), QStringLiteral("first 0"));

    // A FIFO renamed over the file is not read (that would hang), and is reported.
    form_.ShowMessage(QString());
    const QString fifo = dir_.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_EQ(::rename(QFile::encodeName(fifo).constData(), QFile::encodeName(doc_).constData()),
              0);
    QTRY_VERIFY_WITH_TIMEOUT(Status().contains(QStringLiteral("読み込めません")), kWait);
    EXPECT_EQ(child->Set().Count(), 20);
    EXPECT_EQ(reloaded.count(), 0);
    EXPECT_TRUE(prompts_.Asked.empty());

    // A document again: read.
    ASSERT_TRUE(QFile::remove(doc_));
    ReplaceByRename(doc_, DocumentText(4, "back "));
    QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 1, kWait);
    EXPECT_EQ(FirstText(child), QStringLiteral("back 0"));
}

TEST_F(FileWatchTest, AChangeUnderUnsavedChangesAsksOnceAndYesWritesOurs) {
    TMDIChild* child = Open();
    ASSERT_NE(child, nullptr);
    QSignalSpy reloaded(&Documents(), &DocumentManager::DocumentReloaded);
    child->Set().Fragments().front()->Text = "ours";
    child->Set().MarkModified();

    // Changed in three writes: one question, answered No; the window keeps its changes.
    prompts_.Answers = {qv::PromptAnswer::No};
    for (int i = 0; i < 3; ++i)
        WriteInPlace(doc_, DocumentText(7 + i, "theirs "));
    QTRY_COMPARE_WITH_TIMEOUT(prompts_.Asked.size(), std::size_t{1}, kWait);
    EXPECT_TRUE(prompts_.Asked[0].startsWith(QLatin1Char('[') + doc_ + QLatin1Char(']')));
    EXPECT_TRUE(prompts_.Asked[0].contains(QStringLiteral("上書きしますか")));
    QSignalSpy settled(Settle(child), &QTimer::timeout);
    EXPECT_FALSE(settled.wait(DocumentManager::kFileSettleMs * 3)) << "no question again";
    EXPECT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_EQ(FirstText(child), QStringLiteral("ours"));
    EXPECT_TRUE(child->Set().Modified);
    EXPECT_EQ(reloaded.count(), 0);

    // Another change asks again; Yes writes this window's document over theirs, and that write
    // asks nothing.
    prompts_.Answers = {qv::PromptAnswer::Yes};
    ReplaceByRename(doc_, DocumentText(2, "again "));
    QTRY_COMPARE_WITH_TIMEOUT(prompts_.Asked.size(), std::size_t{2}, kWait);
    EXPECT_FALSE(child->Set().Modified);
    EXPECT_TRUE(Contents(doc_).contains("\"ours\""));
    EXPECT_EQ(Contents(doc_), QByteArray::fromStdString(qv::FragmentFileText(child->Set())));
    EXPECT_TRUE(settled.wait(kWait));
    EXPECT_EQ(prompts_.Asked.size(), 2u);
    EXPECT_EQ(reloaded.count(), 0);
}

TEST_F(FileWatchTest, OnlyNamedOpenDocumentsAreWatchedAndSaveAsMovesTheWatch) {
    Documents().NewDocument();
    EXPECT_TRUE(Documents().WatchedFiles().isEmpty()) << "an untitled document has no file";
    TMDIChild* child = Open();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(Documents().WatchedFiles(), QStringList{doc_});
    const QString other = dir_.filePath(QStringLiteral("other.csv"));
    chooser_.Files = {other};
    ASSERT_TRUE(Documents().SaveAs(*child));
    EXPECT_EQ(Documents().WatchedFiles(), QStringList{other});
    // The old file is someone else's now.
    QSignalSpy reloaded(&Documents(), &DocumentManager::DocumentReloaded);
    WriteInPlace(doc_, DocumentText(1, "old name "));
    WriteInPlace(other, DocumentText(2, "new name "));
    QTRY_COMPARE_WITH_TIMEOUT(reloaded.count(), 1, kWait);
    EXPECT_EQ(FirstText(child), QStringLiteral("new name 0"));
    FrameOf(child)->close();
    EXPECT_TRUE(Documents().WatchedFiles().isEmpty());
}

}  // namespace
