// Recovery copies of unsaved changes as the user meets them: written after idle time through real
// input, removed by saving and closing, offered at the next start (restored, declined, kept for
// later, unreadable, belonging to a program that still runs), and a real crash of the program.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>

#include "app/app_services.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/recovery/crash_recovery.h"
#include "app/texts.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/recovery/recovery_store.h"
#include "gui/scripted_prompts.h"
#include "render/text/qt_text.h"

namespace {

namespace fs = std::filesystem;

// Three cards apart from each other: "alpha" at (40, 40), "beta" at (240, 40), "gamma" at (40,
// 240).
const std::string kDocument =
    "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"
    "\"alpha\",1,40,40,6,1,0,16777215,\r\n"
    "\"beta\",1,240,40,6,1,0,16777215,\r\n"
    "\"gamma\",1,40,240,6,1,0,16777215,\r\n";
const std::string kEdited =
    "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"
    "\"restored\",2,80,80,8,1,0,16777215,\r\n";

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string ReadAll(const fs::path& path) {
    QFile f(QFile::decodeName(path.c_str()));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

void WriteAll(const QString& path, const std::string& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

ino_t Inode(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// The copies (.csv) in the folder, any session.
std::vector<qv::RecoveryEntry> Copies(const fs::path& folder) {
    std::vector<qv::RecoveryEntry> copies;
    for (const qv::RecoveryEntry& e : qv::ListRecoveryFolder(folder).Entries) {
        if (e.HasCopy) copies.push_back(e);
    }
    return copies;
}

qv::RecoveryInfo Info(const std::string& path, std::int64_t time) {
    qv::RecoveryInfo info;
    info.OriginalPath = path;
    info.SavedAt = time;
    return info;
}

// One run of the program with its own settings file, as main() puts it together.
class ProgramRun {
  public:
    explicit ProgramRun(const QString& ini, const std::string& startFile = {}, bool redirect = true)
        : services_(Startup(ini, startFile)),
          program_(BuildProgram(services_, {.RecoveryFolder = qv::RecoveryFolderFor(Native(ini))})),
          form_(program_->Window()),
          recovery_(program_->Recovery()) {
        if (redirect) services_.Prompts().Redirect(&prompts_);
    }
    ~ProgramRun() {
        for (TMDIChild* child : form_.Children())
            child->ApproveClose();
        form_.close();
    }
    void Start() {
        form_.ShowAsStored();
        form_.activateWindow();
        (void)QTest::qWaitForWindowActive(&form_);
    }
    TQuillovaMainForm& Form() { return form_; }
    CrashRecovery& Recovery() { return recovery_; }
    ScriptedPrompts& Prompts() { return prompts_; }

  private:
    static qv::StartupArguments Startup(const QString& ini, const std::string& startFile) {
        qv::StartupArguments s;
        s.IniPath = Native(ini);
        s.StartFile = startFile;
        return s;
    }
    ScriptedPrompts prompts_;
    AppServices services_;
    std::unique_ptr<Program> program_;
    TQuillovaMainForm& form_;
    CrashRecovery& recovery_;
};

// Drags the card at `index` by (dx, dy) with the mouse.
void DragCard(TMDIChild* child, std::size_t index, int dx, int dy) {
    QWidget* vp = child->viewport();
    const qv::Rect r = child->Set().Fragments()[index]->ScreenRect;
    const QPoint from(r.Left + 5, r.Top + 5);
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, from);
    for (int step = 1; step <= 5; ++step) {
        const QPoint at = from + QPoint(dx * step / 5, dy * step / 5);
        QMouseEvent move(QEvent::MouseMove, QPointF(at), vp->mapToGlobal(QPointF(at)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
    }
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, from + QPoint(dx, dy));
}

class CrashRecoveryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath(QStringLiteral("config"))));
        qputenv("QUILLOVARSTA_RECOVERY_IDLE_MS", "150");
        ini_ = dir_.filePath(QStringLiteral("q.INI"));
        folder_ = qv::RecoveryFolderFor(Native(ini_));
        doc_ = dir_.filePath(QStringLiteral("ideas.csv"));
        WriteAll(doc_, kDocument);
    }
    void TearDown() override { qunsetenv("QUILLOVARSTA_RECOVERY_IDLE_MS"); }

    QTemporaryDir dir_;
    QString ini_;
    QString doc_;
    fs::path folder_;
};

TEST_F(CrashRecoveryTest, CopiesFollowTheChangesAndGoWithSavingAndClosing) {
    ProgramRun p(ini_);
    p.Start();
    EXPECT_EQ(p.Recovery().Folder(), fs::path(Native(ini_) + ".recovery"));
    TMDIChild* doc = p.Form().Documents().OpenDocument(Native(doc_));
    ASSERT_NE(doc, nullptr);
    p.Recovery().WriteCopies();
    EXPECT_FALSE(fs::exists(folder_)) << "an unmodified document gets no copy";

    // A real drag; the copy follows once the input has stopped for the idle time.
    DragCard(doc, 0, 30, 20);
    ASSERT_TRUE(doc->Set().Modified);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Copies(folder_).empty(); }, 5000));
    auto copies = Copies(folder_);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].Session, p.Recovery().Session());
    EXPECT_EQ(ReadAll(copies[0].Copy), qv::FragmentFileText(doc->Set()));
    const auto info = qv::ParseRecoveryInfo(ReadAll(copies[0].Info));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->OriginalPath, Native(doc_));
    EXPECT_TRUE(info->Stamp) << "the file as it was read";
    EXPECT_NEAR(static_cast<double>(info->SavedAt),
                static_cast<double>(QDateTime::currentSecsSinceEpoch()), 5);

    // Nothing changed: not written again.
    const ino_t first = Inode(copies[0].Copy);
    p.Recovery().WriteCopies();
    EXPECT_EQ(Inode(copies[0].Copy), first);
    // Changed again while modified already: written again.
    DragCard(doc, 1, 0, 40);
    p.Recovery().WriteCopies();
    EXPECT_NE(Inode(copies[0].Copy), first);
    EXPECT_EQ(ReadAll(copies[0].Copy), qv::FragmentFileText(doc->Set()));

    // A read-only document and an untitled one.
    TMDIChild* untitled = p.Form().Documents().NewDocument();
    ASSERT_NE(untitled, nullptr);
    untitled->Set().AddFragment()->Text = "new";
    untitled->Set().Modified = true;
    TMDIChild* readOnly = p.Form().Documents().NewDocumentWindow();
    readOnly->Set().ReadOnly = true;
    readOnly->Set().Modified = true;
    p.Recovery().WriteCopies();
    copies = Copies(folder_);
    ASSERT_EQ(copies.size(), 2u) << "none for the read-only document";
    EXPECT_EQ(qv::ParseRecoveryInfo(ReadAll(copies[1].Info))->OriginalPath, "");

    // Saving removes the copy at once.
    ASSERT_TRUE(p.Form().Documents().Save(*doc));
    EXPECT_EQ(Copies(folder_).size(), 1u);
    // Closing without saving removes it too.
    p.Prompts().Answers = {qv::PromptAnswer::No};
    ASSERT_TRUE(qobject_cast<QMdiSubWindow*>(untitled->parentWidget())->close());
    EXPECT_TRUE(Copies(folder_).empty());
    readOnly->Set().Modified = false;
}

TEST_F(CrashRecoveryTest, SomeoneWhoNeverPausesGetsCopiesToo) {
    ProgramRun p(ini_);
    p.Start();
    TMDIChild* doc = p.Form().Documents().OpenDocument(Native(doc_));
    ASSERT_NE(doc, nullptr);
    DragCard(doc, 0, 30, 20);
    ASSERT_TRUE(doc->Set().Modified);
    // Keys pressed every 30 ms, far more often than the idle time of 150 ms allows for.
    QElapsedTimer typing;
    typing.start();
    bool written = false;
    while (!written && typing.elapsed() < 3000) {
        QTest::keyClick(doc->viewport(), Qt::Key_Shift);
        QTest::qWait(30);
        written = !Copies(folder_).empty();
    }
    EXPECT_TRUE(written) << "no copy after " << typing.elapsed() << " ms of steady input";
    // The folder and the copies are this user's alone, whatever the umask.
    struct stat st {};
    ASSERT_EQ(::lstat(folder_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    for (const qv::RecoveryEntry& e : Copies(folder_)) {
        ASSERT_EQ(::lstat(e.Copy.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
    }
}

TEST_F(CrashRecoveryTest, AFolderOfCopiesOpenToOthersIsMadePrivateAtStart) {
    fs::create_directory(folder_);
    ASSERT_EQ(::chmod(folder_.c_str(), 0755), 0);
    ASSERT_TRUE(qv::WriteRecoveryCopy(folder_, "pGone", 1, kEdited, Info(Native(doc_), 1)));
    ASSERT_EQ(::chmod(folder_.c_str(), 0755), 0);
    ProgramRun p(ini_);
    p.Prompts().Answers = {qv::PromptAnswer::Cancel};
    p.Start();
    ASSERT_EQ(p.Prompts().Asked.size(), 1u) << "offered, and kept for later";
    struct stat st {};
    ASSERT_EQ(::lstat(folder_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);

    // A link in its place is neither offered from nor written through.
    const fs::path real = Native(dir_.filePath(QStringLiteral("elsewhere")));
    fs::rename(folder_, real);
    fs::create_symlink(real, folder_);
    ProgramRun q(ini_);
    q.Start();
    EXPECT_TRUE(q.Prompts().Asked.empty()) << "nothing offered from a linked folder";
    // Said in the program's language, naming the folder.
    EXPECT_EQ(q.Form().StatusPanelText(2),
              texts::Q(texts::kRecoveryNotWritten) +
                  texts::Q(texts::kWhyRecoveryFolderLink).arg(QFile::decodeName(folder_.c_str())));
    TMDIChild* doc = q.Form().Documents().OpenDocument(Native(doc_));
    ASSERT_NE(doc, nullptr);
    DragCard(doc, 0, 30, 20);
    q.Recovery().WriteCopies();
    EXPECT_EQ(qv::ListRecoveryFolder(real).Entries.size(), 1u) << "only the old copy is there";
}

TEST_F(CrashRecoveryTest, ANormalExitLeavesNothingAndAWindowLostUnclosedKeepsItsCopy) {
    {
        ProgramRun p(ini_);
        p.Start();
        TMDIChild* doc = p.Form().Documents().OpenDocument(Native(doc_));
        DragCard(doc, 0, 30, 20);
        p.Recovery().WriteCopies();
        ASSERT_EQ(Copies(folder_).size(), 1u);
        p.Prompts().Answers = {qv::PromptAnswer::No};
        EXPECT_TRUE(p.Form().close());
    }
    EXPECT_FALSE(fs::exists(folder_)) << "no copy, no lock, no folder after a normal exit";
    {
        // The program goes down with a modified document still open (no close, no question).
        ProgramRun p(ini_);
        p.Start();
        TMDIChild* doc = p.Form().Documents().OpenDocument(Native(doc_));
        DragCard(doc, 0, 30, 20);
        p.Recovery().WriteCopies();
        delete doc->parentWidget();
        EXPECT_EQ(Copies(folder_).size(), 1u);
    }
    EXPECT_EQ(Copies(folder_).size(), 1u);
}

TEST_F(CrashRecoveryTest, LeftCopiesAreOfferedOneByOneBeforeTheStartDocument) {
    const std::string gone = Native(dir_.filePath(QStringLiteral("gone/none.csv")));
    const std::string declined = Native(dir_.filePath(QStringLiteral("declined.csv")));
    const std::string later = Native(dir_.filePath(QStringLiteral("later.csv")));
    qv::RecoveryInfo original = Info(Native(doc_), 1000);
    original.Stamp = qv::StampOf(Native(doc_));
    ASSERT_TRUE(qv::WriteRecoveryCopy(folder_, "p1t1", 1, kEdited, original));
    ASSERT_TRUE(qv::WriteRecoveryCopy(folder_, "p1t1", 2, kEdited, Info("", 2000)));
    ASSERT_TRUE(qv::WriteRecoveryCopy(folder_, "p2t2", 1, kEdited, Info(gone, 3000)));
    ASSERT_TRUE(qv::WriteRecoveryCopy(folder_, "p2t2", 2, kDocument, Info(declined, 4000)));
    ASSERT_TRUE(qv::WriteRecoveryCopy(folder_, "p2t2", 3, kDocument, Info(later, 5000)));

    {
        // The document is also the start document: its restored window is the one it finds.
        ProgramRun p(ini_, Native(doc_));
        p.Prompts().Answers = {qv::PromptAnswer::Yes, qv::PromptAnswer::Yes, qv::PromptAnswer::Yes,
                               qv::PromptAnswer::No, qv::PromptAnswer::Cancel};
        p.Start();
        const auto& asked = p.Prompts().Asked;
        ASSERT_EQ(asked.size(), 5u);
        EXPECT_TRUE(asked[0].startsWith(QLatin1Char('[') + doc_ + QLatin1Char(']')))
            << asked[0].toStdString();
        EXPECT_TRUE(asked[0].contains(QStringLiteral("復元しますか")));
        EXPECT_TRUE(asked[0].contains(
            QDateTime::fromSecsSinceEpoch(1000).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))));
        EXPECT_TRUE(asked[1].startsWith(QStringLiteral("[無題]")));
        EXPECT_TRUE(asked[2].startsWith(QLatin1Char('[') + QFile::decodeName(gone.c_str())));

        const QList<TMDIChild*> windows = p.Form().Children();
        ASSERT_EQ(windows.size(), 3) << "the start document did not open a second window";
        EXPECT_EQ(windows[0]->Set().FileName, Native(doc_));
        EXPECT_EQ(windows[1]->Set().FileName, "");
        EXPECT_EQ(windows[1]->Caption(), QStringLiteral("無題"));
        EXPECT_EQ(windows[2]->Set().FileName, gone);
        for (TMDIChild* w : windows) {
            EXPECT_TRUE(w->Set().Modified);
            EXPECT_FALSE(w->Set().ReadOnly);
            EXPECT_EQ(qv::FragmentFileText(w->Set()), kEdited);
        }
        EXPECT_EQ(p.Form().ActiveChild(), windows[0]);
        EXPECT_EQ(ReadAll(Native(doc_)), kDocument) << "the document itself is untouched";

        // The restored copies now belong to this run; the declined one is gone, the one put off
        // is still there under its old session.
        auto copies = Copies(folder_);
        ASSERT_EQ(copies.size(), 4u);
        int own = 0;
        for (const auto& c : copies)
            own += c.Session == p.Recovery().Session();
        EXPECT_EQ(own, 3);
        EXPECT_TRUE(fs::exists(qv::RecoveryCopyPath(folder_, "p2t2", 3)));
        EXPECT_FALSE(fs::exists(qv::RecoveryCopyPath(folder_, "p2t2", 2)));

        // Saving writes over the original file, unchanged since, without a question, and creates
        // the one that no longer existed.
        ASSERT_TRUE(p.Form().Documents().Save(*windows[0]));
        EXPECT_EQ(ReadAll(Native(doc_)), kEdited);
        EXPECT_EQ(p.Prompts().Asked.size(), 5u);
        fs::create_directory(fs::path(gone).parent_path());
        ASSERT_TRUE(p.Form().Documents().Save(*windows[2]));
        EXPECT_EQ(ReadAll(gone), kEdited);
        EXPECT_EQ(Copies(folder_).size(), 2u);
    }
    // The untitled one was given up at the exit; the one put off is asked about again.
    ASSERT_EQ(Copies(folder_).size(), 1u);
    ProgramRun again(ini_);
    again.Prompts().Answers = {qv::PromptAnswer::No};
    again.Start();
    ASSERT_EQ(again.Prompts().Asked.size(), 1u);
    EXPECT_TRUE(
        again.Prompts().Asked[0].startsWith(QLatin1Char('[') + QFile::decodeName(later.c_str())));
    EXPECT_TRUE(Copies(folder_).empty());
}

TEST_F(CrashRecoveryTest, ARestoredFileChangedSinceAsksBeforeItIsOverwritten) {
    qv::RecoveryInfo original = Info(Native(doc_), 1000);
    original.Stamp = qv::FileStamp{1, 1};  // the file as the lost program knew it
    ASSERT_TRUE(qv::WriteRecoveryCopy(folder_, "p1t1", 1, kEdited, original));
    ProgramRun p(ini_);
    p.Prompts().Answers = {qv::PromptAnswer::Yes, qv::PromptAnswer::No};
    p.Start();
    ASSERT_EQ(p.Form().DocumentCount(), 1);
    EXPECT_FALSE(p.Form().Documents().Save(*p.Form().ActiveChild()));
    ASSERT_EQ(p.Prompts().Asked.size(), 2u);
    EXPECT_TRUE(p.Prompts().Asked[1].contains(QStringLiteral("ほかから変更されています")));
    EXPECT_EQ(ReadAll(Native(doc_)), kDocument);
}

TEST_F(CrashRecoveryTest, UnreadableCopiesAreSetAsideAndARunningProgramsCopiesAreLeftAlone) {
    ASSERT_TRUE(
        qv::WriteRecoveryCopy(folder_, "p1t1", 1, "not a document\r\n", Info(Native(doc_), 1000)));
    ASSERT_TRUE(qv::WriteRecoveryCopy(folder_, "p1t1", 2, kEdited, Info("/x.csv", 1000)));
    WriteAll(QFile::decodeName(qv::RecoveryInfoPath(folder_, "p1t1", 2).c_str()), "damaged");
    // Another program with this settings file runs and holds its session's lock.
    ASSERT_TRUE(qv::WriteRecoveryCopy(folder_, "p9t9", 1, kEdited, Info(Native(doc_), 1000)));
    QLockFile live(QFile::decodeName(qv::RecoveryLockPath(folder_, "p9t9").c_str()));
    ASSERT_TRUE(live.tryLock(0));

    ProgramRun p(ini_);
    p.Start();
    const auto& asked = p.Prompts().Asked;
    ASSERT_EQ(asked.size(), 2u) << "two reports, no question";
    const QString aside = QFile::decodeName((folder_ / "unreadable").c_str());
    // The one without a time comes first, named by its file.
    EXPECT_TRUE(asked[0].startsWith(
        QLatin1Char('[') + QFile::decodeName(qv::RecoveryCopyPath(folder_, "p1t1", 2).c_str())));
    // The reasons are in the language of the message around them.
    EXPECT_TRUE(asked[0].contains(
        QStringLiteral("]の復元用コピーを読み込めません\n説明ファイルが壊れています\n")));
    EXPECT_TRUE(asked[1].startsWith(QLatin1Char('[') + doc_ + QLatin1Char(']')));
    EXPECT_TRUE(asked[1].contains(
        QStringLiteral("]の復元用コピーを読み込めません\n断片ファイルではありません\n")));
    EXPECT_TRUE(asked[1].contains(aside));
    EXPECT_EQ(p.Form().DocumentCount(), 0);
    EXPECT_EQ(ReadAll(folder_ / "unreadable" / "p1t1-1.csv"), "not a document\r\n");
    EXPECT_TRUE(fs::exists(folder_ / "unreadable" / "p1t1-2.info"));
    EXPECT_TRUE(fs::exists(qv::RecoveryCopyPath(folder_, "p9t9", 1)));
    EXPECT_TRUE(live.isLocked());
}

TEST_F(CrashRecoveryTest, TheQuestionIsAnsweredInARealMessageBox) {
    ASSERT_TRUE(qv::WriteRecoveryCopy(folder_, "p1t1", 1, kEdited, Info(Native(doc_), 1000)));
    const auto answer = [](QMessageBox::StandardButton which, QString* text) {
        QTimer::singleShot(50, [which, text] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            *text = box->text();
            if (which == QMessageBox::Cancel)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                QTest::mouseClick(box->button(which), Qt::LeftButton);
        });
    };
    QString text;
    {
        ProgramRun p(ini_, {}, false);
        answer(QMessageBox::Cancel, &text);
        p.Start();
        EXPECT_TRUE(text.contains(QStringLiteral("復元しますか")));
        EXPECT_EQ(p.Form().DocumentCount(), 0);
    }
    ASSERT_EQ(Copies(folder_).size(), 1u) << "Esc puts the question off";
    ProgramRun p(ini_, {}, false);
    answer(QMessageBox::Yes, &text);
    p.Start();
    ASSERT_EQ(p.Form().DocumentCount(), 1);
    EXPECT_EQ(qv::FragmentFileText(p.Form().ActiveChild()->Set()), kEdited);
}

// ---- A real crash ----

// Runs the driver (the program acting as the user) with its own settings file.
class Driver {
  public:
    Driver(const QString& dir, const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QUILLOVARSTA_RECOVERY_IDLE_MS"), QStringLiteral("200"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir + QStringLiteral("/config"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir);
        process.start(QStringLiteral(QV_BINARY_DIR "/tests/recovery_driver"), args);
    }
    ~Driver() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    // Reads the output until `marker` appears (or a few seconds pass).
    bool WaitFor(const QByteArray& marker) {
        QElapsedTimer t;
        t.start();
        while (!output.contains(marker) && t.elapsed() < 15000) {
            process.waitForReadyRead(100);
            output += process.readAllStandardOutput();
            if (process.state() == QProcess::NotRunning) {
                output += process.readAllStandardOutput();
                break;
            }
        }
        return output.contains(marker);
    }
    QProcess process;
    QByteArray output;
};

// The document text a driver printed after "DOC <path> <state>\n".
QByteArray PrintedDocument(const QByteArray& output, const QByteArray& header) {
    const qsizetype at = output.indexOf(header);
    if (at < 0) return {};
    const qsizetype start = at + header.size();
    const qsizetype end = output.indexOf("END\n", start);
    return end < 0 ? QByteArray() : output.mid(start, end - start);
}

TEST_F(CrashRecoveryTest, NoEditIsLostWhenTheProgramIsKilled) {
    const QByteArray docPath = QFile::encodeName(doc_);
    QByteArray edited;
    {
        Driver run(dir_.path(), {QStringLiteral("edit"), QStringLiteral("-I") + ini_, doc_});
        ASSERT_TRUE(run.WaitFor("END\n"))
            << run.output.constData() << run.process.readAllStandardError().constData();
        edited = PrintedDocument(run.output, "DOC " + docPath + " modified\n");
        ASSERT_FALSE(edited.isEmpty()) << run.output.constData();
        ASSERT_NE(edited.toStdString(), kDocument);
        ASSERT_FALSE(edited.contains("gamma")) << "the last card was deleted";
        // The copy appears once the program has been left alone for the idle time.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                const auto copies = Copies(folder_);
                return copies.size() == 1 && ReadAll(copies[0].Copy) == edited.toStdString() &&
                       fs::exists(copies[0].Info);
            },
            10000));
        run.process.kill();  // SIGKILL: nothing of the program runs after it
        ASSERT_TRUE(run.process.waitForFinished(5000));
        EXPECT_EQ(run.process.exitStatus(), QProcess::CrashExit);
    }
    EXPECT_EQ(ReadAll(Native(doc_)), kDocument) << "the document itself was never written";

    Driver again(dir_.path(), {QStringLiteral("restore"), QStringLiteral("-I") + ini_});
    ASSERT_TRUE(again.process.waitForFinished(20000));
    again.output += again.process.readAllStandardOutput();
    EXPECT_EQ(again.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(again.process.exitCode(), 0) << again.process.readAllStandardError().constData();
    const QString said = QString::fromUtf8(again.output);
    EXPECT_TRUE(said.contains(QStringLiteral("PROMPT [") + doc_ + QStringLiteral("]")))
        << again.output.constData();
    EXPECT_TRUE(said.contains(QStringLiteral("復元しますか")));
    EXPECT_EQ(PrintedDocument(again.output, "DOC " + docPath + " modified\n"), edited)
        << "the restored document holds every edit";
    EXPECT_EQ(ReadAll(Native(doc_)), edited.toStdString()) << "and saving it keeps them";
    EXPECT_FALSE(fs::exists(folder_)) << "a normal exit after saving leaves no copy behind";
}

}  // namespace
