// The File menu's commands with their dialogs answered from a script: happy paths and failures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <thread>

#include "app/app_services.h"
#include "app/commands/file_commands.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/file_chooser.h"
#include "app/main_window/main_form.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "gui/scripted_prompts.h"
#include "render/text/qt_text.h"

namespace {

const QString kExample = QStringLiteral(QV_SOURCE_DIR "/examples/brainstorm.csv");

class ScriptedChooser : public FileChooser {
  public:
    std::deque<QString> Files;
    std::vector<FileDialogRequest> Shown;
    QString Choose(QWidget*, const FileDialogRequest& row) override {
        Shown.push_back(row);
        if (Files.empty()) return QString();
        QString f = Files.front();
        Files.pop_front();
        return f;
    }
};

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class FileCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        services_.Prompts().Redirect(&prompts_);
        services_.RedirectFiles(&chooser_);
        form_.resize(900, 700);
        form_.show();
        doc_ = dir_.filePath(QStringLiteral("doc.csv"));
        ASSERT_TRUE(QFile::copy(kExample, doc_));
        QFile::setPermissions(doc_, QFile::ReadOwner | QFile::WriteOwner);
    }
    void TearDown() override {
        services_.Prompts().Redirect(nullptr);
        services_.RedirectFiles(nullptr);
        for (QMdiSubWindow* sub : form_.DocumentArea()->subWindowList())
            if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->ApproveClose();
    }
    TMDIChild* OpenDoc() {
        chooser_.Files = {doc_};
        program_->Files().FileOpen();
        return form_.ActiveChild();
    }
    QString Status() {
        const auto labels = form_.statusBar()->findChildren<QLabel*>();
        return labels.size() >= 3 ? labels[2]->text() : QString();
    }

    QTemporaryDir dir_;
    QString doc_;
    ScriptedPrompts prompts_{qv::PromptAnswer::Cancel};
    ScriptedChooser chooser_;
    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
};

TEST_F(FileCommandsTest, DialogsAreSetUpWithTheirTitlesFiltersAndNoPatternAsName) {
    QFileDialog open;
    ConfigureFileDialog(open, OpenDocumentDialog());
    EXPECT_EQ(open.windowTitle(), QStringLiteral("開く"));
    EXPECT_EQ(open.nameFilters(),
              (QStringList{QStringLiteral("Quillovarsta 断片ﾌｧｲﾙ (*.csv *.CSV)"),
                           QStringLiteral("JSON Canvas (*.canvas)")}));
    EXPECT_EQ(open.defaultSuffix(), QStringLiteral("csv"));
    EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);
    EXPECT_TRUE(open.selectedFiles().isEmpty() ||
                !open.selectedFiles().constFirst().contains(QLatin1Char('*')));

    QFileDialog save;
    ConfigureFileDialog(save, SaveDocumentAsDialog(doc_));
    EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(save.testOption(QFileDialog::DontConfirmOverwrite)) << "replacing is asked";
    EXPECT_EQ(QFileInfo(save.selectedFiles().value(0)).fileName(), QStringLiteral("doc.csv"));

    EXPECT_EQ(MergeDocumentDialog().Title, QStringLiteral("マージ"));
    EXPECT_EQ(ImportTextDialog().Title, QStringLiteral("テキスト取り込み"));
    EXPECT_EQ(ImportTextDialog().Filter, QStringLiteral("テキスト (*.txt *.TXT)"));
    EXPECT_EQ(ExportTextDialog().Title, QStringLiteral("テキスト書き出し"));
    EXPECT_TRUE(ExportTextDialog().Save);
}

TEST_F(FileCommandsTest, OpenNewCloseAndTheFortyWindowLimit) {
    TMDIChild* child = OpenDoc();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Set().Count(), 23);
    EXPECT_EQ(chooser_.Shown.back().Title, QStringLiteral("開く"));

    // Cancelled: nothing happens. Missing: reported, nothing opens.
    program_->Files().FileOpen();
    chooser_.Files = {dir_.filePath(QStringLiteral("gone.csv"))};
    program_->Files().FileOpen();
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_TRUE(prompts_.Asked[0].endsWith(QStringLiteral("gone.csv]は存在しません")));
    EXPECT_EQ(form_.DocumentCount(), 1);

    // Not a fragment file, asked and refused.
    const QString other = dir_.filePath(QStringLiteral("other.csv"));
    QFile f(other);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a,b\r\nc,d\r\n");
    f.close();
    prompts_.Answers = {qv::PromptAnswer::No};
    chooser_.Files = {other};
    program_->Files().FileOpen();
    EXPECT_TRUE(prompts_.Asked.back().contains(QStringLiteral("は断片ファイルではありません")));
    EXPECT_EQ(form_.DocumentCount(), 1);

    // A folder named like a document is no document, not even an empty one.
    const QString folder = dir_.filePath(QStringLiteral("folder.csv"));
    ASSERT_TRUE(QDir().mkdir(folder));
    chooser_.Files = {folder};
    program_->Files().FileOpen();
    EXPECT_TRUE(prompts_.Asked.back().contains(QStringLiteral("folder.csv]を読み込めません\n")));
    EXPECT_EQ(form_.DocumentCount(), 1);

    program_->Files().FileClose();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form_.DocumentCount(), 0);

    for (int i = 0; i < 40; ++i)
        program_->Files().FileNew();
    EXPECT_EQ(form_.DocumentCount(), 40);
    program_->Files().FileNew();
    const std::size_t shown = chooser_.Shown.size();
    program_->Files().FileOpen();
    EXPECT_EQ(form_.DocumentCount(), 40);
    EXPECT_EQ(chooser_.Shown.size(), shown) << "no dialog at the limit";
    QMenu recent;
    form_.Env().RecentFiles = {"\"/x.csv\",1"};
    program_->Files().FillRecentMenu(recent);
    EXPECT_FALSE(recent.isEnabled());
}

TEST_F(FileCommandsTest, AUtf16DocumentOpensConvertedAndSaysSo) {
    const QString utf16 = dir_.filePath(QStringLiteral("utf16.csv"));
    QFile f(utf16);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QString text = QStringLiteral(
        "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"
        "\"表\",-2,40,30,10,1,0,16777215,\r\n");
    f.write("\xFE\xFF", 2);
    for (QChar c : text) {
        f.putChar(static_cast<char>(c.unicode() >> 8));
        f.putChar(static_cast<char>(c.unicode() & 0xFF));
    }
    f.close();
    chooser_.Files = {utf16};
    program_->Files().FileOpen();
    ASSERT_EQ(prompts_.Asked.size(), 1u) << "not asked whether to read it as texts";
    EXPECT_TRUE(prompts_.Asked[0].contains(QStringLiteral("]はUTF-16で保存された断片ファイルです")))
        << prompts_.Asked[0].toStdString();
    TMDIChild* child = form_.ActiveChild();
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(child->Set().Count(), 1);
    EXPECT_EQ(child->Set().Fragments()[0]->Text, "\x95\x5C");
    EXPECT_TRUE(child->Set().Modified);
}

TEST_F(FileCommandsTest, ACanvasOpensAsAModifiedCsvAndSavingNeverWritesTheCanvas) {
    const QString canvas = dir_.filePath(QStringLiteral("board.canvas"));
    const QByteArray bytes =
        R"({"nodes": [{"id": "g", "type": "group", "x": 0, "y": 0, "width": 400, "height": 300,
            "label": "案"},
           {"id": "a", "type": "text", "x": 40, "y": 60, "width": 200, "height": 60,
            "text": "one\ntwo"},
           {"id": "b", "type": "text", "x": 600, "y": 60, "width": 200, "height": 60,
            "text": "b"}],
           "edges": [{"id": "e", "fromNode": "b", "toNode": "g"}]})";
    {
        QFile f(canvas);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    chooser_.Files = {canvas};
    program_->Files().FileOpen();
    EXPECT_TRUE(prompts_.Asked.empty()) << "a canvas read whole opens without a message";
    TMDIChild* child = form_.ActiveChild();
    ASSERT_NE(child, nullptr);
    const QString csv = dir_.filePath(QStringLiteral("board.csv"));
    EXPECT_EQ(QFile::decodeName(child->Set().FileName.c_str()), csv);
    EXPECT_TRUE(child->Set().Modified);
    EXPECT_FALSE(child->Set().ReadOnly);
    EXPECT_EQ(child->Set().Count(), 3) << "two cards and the group's name plate";
    EXPECT_EQ(child->Set().GroupLines.size(), 0u) << "b has no group, so the edge is no line";
    EXPECT_TRUE(child->windowTitle().startsWith(csv)) << child->windowTitle().toStdString();

    // Opened again (here by a drop): the same window.
    program_->Documents().DropFiles({canvas});
    EXPECT_EQ(form_.DocumentArea()->subWindowList().size(), 1);

    ASSERT_TRUE(program_->Files().FileSave());
    EXPECT_FALSE(child->Set().Modified);
    EXPECT_EQ(Contents(canvas), bytes);
    EXPECT_TRUE(Contents(csv).startsWith("#Quillovarsta,"));

    // The next import of the canvas finds that document open; once it is closed, a new import
    // named like a file on disk asks before saving over it.
    child->ApproveClose();
    form_.DocumentArea()->closeAllSubWindows();
    QApplication::processEvents();
    chooser_.Files = {canvas};
    program_->Files().FileOpen();
    ASSERT_NE(form_.ActiveChild(), nullptr);
    const QByteArray saved = Contents(csv);
    prompts_.Answers = {qv::PromptAnswer::No};
    EXPECT_FALSE(program_->Files().FileSave());
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_TRUE(prompts_.Asked[0].contains(QStringLiteral("上書きしますか?")));
    EXPECT_EQ(Contents(csv), saved);

    // A file that is no canvas: why, and no window.
    const QString broken = dir_.filePath(QStringLiteral("broken.canvas"));
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{\"nodes\": 3}");
    }
    const auto windows = form_.DocumentArea()->subWindowList().size();
    prompts_.Asked.clear();
    chooser_.Files = {broken};
    program_->Files().FileOpen();
    QApplication::processEvents();
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_EQ(prompts_.Asked[0],
              QStringLiteral("[") + broken +
                  QStringLiteral("]はJSON Canvasとして読み込めません\n") +
                  QStringLiteral("it is not a JSON Canvas: it has no \"nodes\" array"));
    EXPECT_EQ(form_.DocumentArea()->subWindowList().size(), windows);
}

TEST_F(FileCommandsTest, SaveWritesAndReportsAndAFailedSaveKeepsEverything) {
    TMDIChild* child = OpenDoc();
    ASSERT_NE(child, nullptr);
    child->Set().Fragments().front()->Left += 40;
    child->Set().Modified = true;
    ASSERT_TRUE(program_->Files().FileSave());
    EXPECT_FALSE(child->Set().Modified);
    EXPECT_EQ(Status(), doc_ + QStringLiteral(" を保存しました"));
    EXPECT_NE(Contents(doc_), Contents(kExample));

    // A folder that cannot be written: the message, and the document as it was.
    const QString locked = dir_.filePath(QStringLiteral("missing"));
    child->Set().Modified = true;
    const QString caption = child->windowTitle();
    chooser_.Files = {locked + QStringLiteral("/new.csv")};
    prompts_.Asked.clear();
    EXPECT_FALSE(program_->Files().FileSaveAs());
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    // Which file, and why.
    EXPECT_EQ(prompts_.Asked[0],
              QStringLiteral("保存できませんでした\n[") + locked +
                  QStringLiteral("/new.csv]\nファイルまたはフォルダーが見つかりません"));
    EXPECT_TRUE(child->Set().Modified);
    EXPECT_EQ(child->windowTitle(), caption);
    EXPECT_EQ(QFile::decodeName(child->Set().FileName.c_str()), doc_);

    const QString folder = dir_.filePath(QStringLiteral("folder.csv"));
    ASSERT_TRUE(QDir().mkdir(folder));
    chooser_.Files = {folder};
    prompts_.Asked.clear();
    EXPECT_FALSE(program_->Files().FileSaveAs());
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_TRUE(prompts_.Asked[0].endsWith(QStringLiteral("folder.csv]\nフォルダーです")));

    // Save as elsewhere: the caption follows the new name.
    const QString moved = dir_.filePath(QStringLiteral("moved.csv"));
    chooser_.Files = {moved};
    ASSERT_TRUE(program_->Files().FileSaveAs());
    EXPECT_EQ(child->windowTitle(), moved);
    EXPECT_TRUE(chooser_.Shown.back().Save);
    EXPECT_EQ(chooser_.Shown.back().InitialPath, doc_);
}

TEST_F(FileCommandsTest, SavingOverAFileChangedByOthersAsksFirst) {
    TMDIChild* child = OpenDoc();
    ASSERT_NE(child, nullptr);
    child->Set().Modified = true;
    // Someone else writes the file (another size, so the stamp differs on any file system).
    {
        QFile f(doc_);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("\"theirs\",0,10,10,4,1,0,16777215,\r\n");
    }
    const QByteArray theirs = Contents(doc_);
    prompts_.Answers = {qv::PromptAnswer::No};
    EXPECT_FALSE(program_->Files().FileSave());
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_TRUE(prompts_.Asked[0].contains(QStringLiteral("上書きしますか?")));
    EXPECT_EQ(Contents(doc_), theirs);
    EXPECT_TRUE(child->Set().Modified);

    prompts_.Answers = {qv::PromptAnswer::Yes};
    EXPECT_TRUE(program_->Files().FileSave());
    EXPECT_NE(Contents(doc_), theirs);
    // Written by this window: the next save does not ask.
    child->Set().Modified = true;
    EXPECT_TRUE(program_->Files().FileSave());
    EXPECT_EQ(prompts_.Asked.size(), 2u);
}

TEST_F(FileCommandsTest, UntitledSaveIsSaveAsAndReadOnlySaveAsGivesAWritableDocument) {
    program_->Files().FileNew();
    TMDIChild* child = form_.ActiveChild();
    ASSERT_NE(child, nullptr);
    const QString named = dir_.filePath(QStringLiteral("named.csv"));
    chooser_.Files = {named};
    ASSERT_TRUE(program_->Files().FileSave());
    EXPECT_TRUE(chooser_.Shown.back().InitialPath.isEmpty());
    EXPECT_EQ(child->windowTitle(), named);
    EXPECT_TRUE(QFile::exists(named));

    QFile::setPermissions(doc_, QFile::ReadOwner);
    TMDIChild* locked = OpenDoc();
    ASSERT_NE(locked, nullptr);
    ASSERT_TRUE(locked->Set().ReadOnly);
    EXPECT_FALSE(program_->Files().FileSave()) << "a read-only document is not saved";
    chooser_.Files = {dir_.filePath(QStringLiteral("copy.csv"))};
    ASSERT_TRUE(program_->Files().FileSaveAs());
    EXPECT_FALSE(locked->Set().ReadOnly);
    EXPECT_FALSE(locked->windowTitle().contains(QStringLiteral("編集禁止")));
}

TEST_F(FileCommandsTest, MergeAsksAboutOtherFilesAndAddsTheirCards) {
    program_->Files().FileNew();
    qv::FragSet& set = *form_.ActiveDocument();
    const QString text = dir_.filePath(QStringLiteral("list.csv"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("title\r\none,1\r\ntwo,2\r\n");
    f.close();
    chooser_.Files = {text};
    program_->Files().FileMerge();  // the question is cancelled
    EXPECT_EQ(set.Count(), 0);
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_TRUE(prompts_.Asked[0].endsWith(QStringLiteral(
        "は断片ファイルではありません\n1番目の項目をテキスト内容としてマージしますか?")));
    EXPECT_EQ(chooser_.Shown.back().Title, QStringLiteral("マージ"));

    prompts_.Answers = {qv::PromptAnswer::Ok};
    chooser_.Files = {text};
    program_->Files().FileMerge();
    EXPECT_EQ(set.Count(), 2);
    chooser_.Files = {doc_};
    program_->Files().FileMerge();
    EXPECT_EQ(set.Count(), 25);
    EXPECT_TRUE(set.Modified);
}

TEST_F(FileCommandsTest, ExportAndImportTextRoundTripTheCards) {
    TMDIChild* child = OpenDoc();
    ASSERT_NE(child, nullptr);
    const QString exported = dir_.filePath(QStringLiteral("cards.txt"));
    chooser_.Files = {exported};
    program_->Files().FileExport();
    EXPECT_TRUE(Contents(exported).startsWith(";"));
    EXPECT_EQ(chooser_.Shown.back().Title, QStringLiteral("テキスト書き出し"));

    int texts = 0;
    for (const auto& f : child->Set().Fragments())
        texts += f->Kind == qv::FragmentKind::Text || f->Kind == qv::FragmentKind::NamePlate;
    program_->Files().FileNew();
    chooser_.Files = {exported};
    program_->Files().FileImport();
    EXPECT_EQ(form_.ActiveDocument()->Count(), texts) << "the text and name-plate cards";

    // Unwritable target: reported.
    chooser_.Files = {QStringLiteral("/proc/cards.txt")};
    program_->Files().FileExport();
    EXPECT_TRUE(prompts_.Asked.back().contains(QStringLiteral("書き出せませんでした")));
}

TEST_F(FileCommandsTest, RecentFilesListTheHistoryAndReopenAtTheViewTheyWereLeftAt) {
    TMDIChild* child = OpenDoc();
    ASSERT_NE(child, nullptr);
    child->Set().GroupTable[4].Shown = false;
    child->SetScrollPosition(qv::ScrollAxis::Vertical, 64);
    child->Set().GroupListGroup = 3;
    program_->Files().FileClose();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(form_.DocumentCount(), 0);

    QMenu recent;
    program_->Files().FillRecentMenu(recent);
    EXPECT_TRUE(recent.isEnabled());
    ASSERT_EQ(recent.actions().size(), 1);
    EXPECT_EQ(recent.actions()[0]->text(), QStringLiteral("&1: ") + doc_);
    recent.actions()[0]->trigger();
    TMDIChild* again = form_.ActiveChild();
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(again->Set().GroupTable[4].Shown);
    EXPECT_EQ(again->ScrollPosition(qv::ScrollAxis::Vertical), 64);
    EXPECT_EQ(again->Set().GroupListGroup, 3);

    EXPECT_EQ(FileCommands::RecentItemCaption(9, QStringLiteral("/a&b.csv")),
              QStringLiteral("&0: /a&&b.csv"));
    EXPECT_EQ(FileCommands::RecentItemCaption(10, QStringLiteral("/c.csv")),
              QStringLiteral("   /c.csv"));

    // An entry whose file is gone: reported, nothing opens.
    form_.Env().RecentFiles.insert(form_.Env().RecentFiles.begin(), "\"/gone/x.csv\",1");
    program_->Files().FileHst(0);
    EXPECT_EQ(prompts_.Asked.back(), QStringLiteral("[/gone/x.csv]は存在しません"));
}

TEST_F(FileCommandsTest, SaveAllAndExitSavesEveryDocumentWithoutAsking) {
    TMDIChild* child = OpenDoc();
    ASSERT_NE(child, nullptr);
    child->Set().Fragments().front()->Left += 8;
    child->Set().Modified = true;
    const QByteArray before = Contents(doc_);
    program_->Files().FileAllSaveEnd();
    EXPECT_NE(Contents(doc_), before);
    EXPECT_TRUE(prompts_.Asked.empty());
    EXPECT_FALSE(form_.isVisible());
    EXPECT_EQ(form_.Env().LastFile, qv::ToCp932(doc_));
}

TEST_F(FileCommandsTest, SaveAllAndExitKeepsAnUntitledDocumentWhoseNameWasNotGiven) {
    program_->Files().FileNew();
    form_.ActiveDocument()->Modified = true;
    prompts_.Answers = {qv::PromptAnswer::Cancel};
    program_->Files().FileAllSaveEnd();  // the name dialog is cancelled, then the question too
    EXPECT_EQ(form_.DocumentCount(), 1);
    EXPECT_TRUE(form_.isVisible());
}

}  // namespace

namespace {

TEST_F(FileCommandsTest, NamesCodePage932CannotHoldAreSavedOpenedAndListedAsTheyAre) {
    program_->Files().FileNew();
    TMDIChild* child = form_.ActiveChild();
    ASSERT_NE(child, nullptr);
    child->Set().AddFragment();
    const QString name = dir_.filePath(QStringLiteral("naïve 😀.csv"));
    chooser_.Files = {name};
    ASSERT_TRUE(program_->Files().FileSaveAs());
    EXPECT_TRUE(QFile::exists(name));
    EXPECT_EQ(child->windowTitle(), name);
    ASSERT_TRUE(form_.Documents().CloseQuery(*child));
    child->parentWidget()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    chooser_.Files = {name};
    program_->Files().FileOpen();
    ASSERT_NE(form_.ActiveChild(), nullptr);
    EXPECT_EQ(form_.ActiveDocument()->Count(), 1);
    EXPECT_TRUE(prompts_.Asked.empty());
}

}  // namespace
