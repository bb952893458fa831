#include "app/platform/single_instance.h"
#include "app/document/document_manager.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>
#include <atomic>
#include <cstring>
#include <thread>

#include "app/app_services.h"
#include "app/composition.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/program.h"
#include "core/io/instance_request.h"
#include "gui/scripted_prompts.h"

namespace {

// A user id that is not ours, for files and programs of "another user" (nobody).
constexpr uid_t kOtherUser = 65534;

QString UniqueKey() {
    return QStringLiteral("qv-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

// Runs the event loop until `spy` has a signal or a few seconds have passed.
bool WaitFor(QSignalSpy& spy) {
    QElapsedTimer t;
    t.start();
    while (spy.isEmpty() && t.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return !spy.isEmpty();
}

// A later start, made on a thread of its own while this one keeps serving the running program
// (the later start waits for its answer).
struct LaterStart {
    qv::SingleInstance::Role Role = qv::SingleInstance::Role::Failed;
    QString Problem;
};
LaterStart StartLater(const QString& key, const std::string& document) {
    LaterStart result;
    std::atomic<bool> done{false};
    std::thread later([&] {
        qv::SingleInstance start(key);
        result.Role = start.Start(document);
        result.Problem = start.Problem();
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    later.join();
    return result;
}

TEST(SingleInstance, ALaterStartHandsItsDocumentToTheRunningOne) {
    const QString key = UniqueKey();
    qv::SingleInstance first(key);
    ASSERT_EQ(first.Start(""), qv::SingleInstance::Role::Primary);
    QSignalSpy activated(&first, &qv::SingleInstance::Activated);

    EXPECT_EQ(StartLater(key, "/home/u/caf\xC3\xA9 ideas.csv").Role,
              qv::SingleInstance::Role::Secondary);
    ASSERT_TRUE(WaitFor(activated));
    EXPECT_EQ(activated.first().first().value<std::string>(), "/home/u/caf\xC3\xA9 ideas.csv")
        << "the path's bytes arrive unchanged";

    activated.clear();
    EXPECT_EQ(StartLater(key, "").Role, qv::SingleInstance::Role::Secondary);
    ASSERT_TRUE(WaitFor(activated));
    EXPECT_EQ(activated.first().first().value<std::string>(), "") << "only come to the front";
}

TEST(SingleInstance, TheRequestKeepsTheLayoutEarlierVersionsSent) {
    // Earlier versions wrote the path as a byte array of a data stream; both ends must still agree.
    QByteArray earlier;
    QDataStream out(&earlier, QIODevice::WriteOnly);
    out << QByteArray("/home/u/a.csv");
    EXPECT_EQ(QByteArray::fromStdString(qv::InstanceRequestBytes("/home/u/a.csv")), earlier);
    const qv::InstanceRequest read =
        qv::ParseInstanceRequest(std::string_view(earlier.constData(), earlier.size()));
    EXPECT_EQ(read.Status, qv::InstanceRequest::State::Complete);
    EXPECT_EQ(read.Path, "/home/u/a.csv");
    QByteArray none;
    QDataStream outNone(&none, QIODevice::WriteOnly);
    outNone << QByteArray();
    EXPECT_EQ(qv::ParseInstanceRequest(std::string_view(none.constData(), none.size())).Path, "");
    // A relative path or a NUL is no request; a partial one waits for the rest.
    EXPECT_EQ(qv::ParseInstanceRequest(qv::InstanceRequestBytes("a.csv")).Status,
              qv::InstanceRequest::State::Invalid);
    EXPECT_EQ(qv::ParseInstanceRequest(qv::InstanceRequestBytes(std::string("/a\0b", 4))).Status,
              qv::InstanceRequest::State::Invalid);
    EXPECT_EQ(qv::ParseInstanceRequest(qv::InstanceRequestBytes("/a.csv").substr(0, 6)).Status,
              qv::InstanceRequest::State::Incomplete);
}

TEST(SingleInstance, KeysSeparateProgramsWithOtherSettingsFiles) {
    EXPECT_EQ(qv::SingleInstance::KeyFor("/a/Quillova.INI"),
              qv::SingleInstance::KeyFor("/a/Quillova.INI"));
    EXPECT_NE(qv::SingleInstance::KeyFor("/a/Quillova.INI"),
              qv::SingleInstance::KeyFor("/b/Quillova.INI"));
    const QString key = UniqueKey();
    qv::SingleInstance first(key);
    ASSERT_EQ(first.Start(""), qv::SingleInstance::Role::Primary);
    qv::SingleInstance other(UniqueKey());
    EXPECT_EQ(other.Start(""), qv::SingleInstance::Role::Primary);
}

TEST(SingleInstance, ALockAndSocketLeftByAKilledProgramDoNotBlockTheStart) {
    const QString key = UniqueKey();
    const QString base = QDir(qv::SingleInstance::RuntimeFolder()).filePath(key);
    // A process that has ended: its number is free, so its lock is stale.
    QProcess gone;
    gone.start(QStringLiteral("true"));
    ASSERT_TRUE(gone.waitForFinished());
    const qint64 deadPid = gone.processId() ? gone.processId() : 999999;
    {
        QFile lock(base + QStringLiteral(".lock"));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(deadPid) + "\nquillovarsta\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
        QFile sock(base + QStringLiteral(".sock"));
        ASSERT_TRUE(sock.open(QIODevice::WriteOnly));
    }
    qv::SingleInstance start(key);
    EXPECT_EQ(start.Start(""), qv::SingleInstance::Role::Primary);
    QSignalSpy activated(&start, &qv::SingleInstance::Activated);
    EXPECT_EQ(StartLater(key, "/x.csv").Role, qv::SingleInstance::Role::Secondary);
    EXPECT_TRUE(WaitFor(activated));
}

TEST(SingleInstance, TheProgramStartedAgainPassesARelativeDocumentOnAndEnds) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ini = dir.filePath(QStringLiteral("own.INI"));
    qv::SingleInstance running(qv::SingleInstance::KeyFor(QFile::encodeName(ini).toStdString()));
    ASSERT_EQ(running.Start(""), qv::SingleInstance::Role::Primary);
    QSignalSpy activated(&running, &qv::SingleInstance::Activated);

    QProcess second;
    second.setWorkingDirectory(dir.path());
    second.start(QStringLiteral(QV_BINARY_DIR "/bin/quillovarsta"),
                 {QStringLiteral("-I") + ini, QStringLiteral("sub/../notes.csv")});
    // The event loop must run meanwhile so the connection is accepted.
    QElapsedTimer t;
    t.start();
    while (second.state() != QProcess::NotRunning && t.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        second.waitForFinished(10);
    }
    ASSERT_EQ(second.state(), QProcess::NotRunning) << "the second start must end by itself";
    EXPECT_EQ(second.exitCode(), 255) << second.readAllStandardError().constData();
    ASSERT_TRUE(WaitFor(activated));
    EXPECT_EQ(QString::fromStdString(activated.first().first().value<std::string>()),
              QDir(dir.path()).filePath(QStringLiteral("notes.csv")));
}

mode_t ModeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(SingleInstance, LockAndSocketLiveInAFolderOfTheUsersOwnClosedToOthers) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString runtime = dir.filePath(QStringLiteral("run"));
    const QString cache = dir.filePath(QStringLiteral("cache"));
    ASSERT_TRUE(QDir().mkdir(runtime));
    const QString own = cache + QStringLiteral("/quillovarsta-instance");

    // A runtime folder others may enter is not used; the cache gets a closed folder instead.
    ::chmod(QFile::encodeName(runtime).constData(), 0755);
    EXPECT_EQ(qv::SingleInstance::PrivateFolder(runtime, cache), own);
    EXPECT_EQ(ModeOf(own), 0700u);
    ::chmod(QFile::encodeName(runtime).constData(), 0700);
    EXPECT_EQ(qv::SingleInstance::PrivateFolder(runtime, cache), runtime);
    // Never through a symbolic link, never a relative folder, never the shared temporary one.
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(runtime, link));
    EXPECT_EQ(qv::SingleInstance::PrivateFolder(link, QString()), QString());
    EXPECT_EQ(qv::SingleInstance::PrivateFolder(QStringLiteral("run"), QString()), QString());
    EXPECT_EQ(qv::SingleInstance::PrivateFolder(QString(), QString()), QString());

    // The user's own folder opened to others is closed again; a link in its place is refused.
    ::chmod(QFile::encodeName(own).constData(), 0777);
    EXPECT_EQ(qv::SingleInstance::PrivateFolder(QString(), cache), own);
    EXPECT_EQ(ModeOf(own), 0700u);
    ASSERT_TRUE(QDir(own).removeRecursively());
    ASSERT_TRUE(QFile::link(runtime, own));
    EXPECT_EQ(qv::SingleInstance::PrivateFolder(QString(), cache), QString());

    if (::getuid() != 0) GTEST_SKIP() << "a folder of another user needs root to make";
    ASSERT_EQ(::chown(QFile::encodeName(runtime).constData(), kOtherUser, kOtherUser), 0);
    EXPECT_EQ(qv::SingleInstance::PrivateFolder(runtime, QString()), QString());
}

// A program of another user listening on `path`: bound here, then run as that user, so that the
// socket's peer is them (and the file theirs when `theirFile`). It answers like the program and
// reports whether anything reached it.
class ForeignListener {
  public:
    ForeignListener(const QString& path, bool theirFile) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        const QByteArray name = QFile::encodeName(path);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, name.constData(), sizeof address.sun_path - 1);
            const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
            ::unlink(name.constData());
            if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
                ::_exit(1);
            if (theirFile && ::chown(name.constData(), kOtherUser, kOtherUser) != 0) ::_exit(1);
            if (::setgroups(0, nullptr) != 0 || ::setresgid(kOtherUser, kOtherUser, kOtherUser) ||
                ::setresuid(kOtherUser, kOtherUser, kOtherUser) != 0)
                ::_exit(1);
            // The peer's credentials are taken now, as that user.
            if (::listen(s, 4) != 0) ::_exit(1);
            (void)!::write(ready[1], "L", 1);
            char got = 'N';
            pollfd waiting{s, POLLIN, 0};
            if (::poll(&waiting, 1, 10000) > 0) {
                const int c = ::accept(s, nullptr, nullptr);
                pollfd reading{c, POLLIN, 0};
                char buffer[256];
                if (::poll(&reading, 1, 1000) > 0 && ::read(c, buffer, sizeof buffer) > 0)
                    got = 'R';
                (void)!::write(c, "A", 1);
                ::close(c);
            }
            (void)!::write(ready[1], &got, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        pipe_ = ready[0];
        char c = 0;
        listening_ = pid_ > 0 && ::read(pipe_, &c, 1) == 1 && c == 'L';
    }
    ~ForeignListener() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (pipe_ >= 0) ::close(pipe_);
    }
    bool Listening() const { return listening_; }
    // Whether a request reached the listener. Asked after the start has ended: a connection was
    // then made already, and the listener tells within a second what came over it.
    bool Received() {
        pollfd told{pipe_, POLLIN, 0};
        char c = 'N';
        return ::poll(&told, 1, 1500) > 0 && ::read(pipe_, &c, 1) == 1 && c == 'R';
    }

  private:
    pid_t pid_ = -1;
    int pipe_ = -1;
    bool listening_ = false;
};

class ForeignInstanceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::getuid() != 0) GTEST_SKIP() << "acting as a second user needs root";
        folder_ = qv::SingleInstance::RuntimeFolder();
        ASSERT_FALSE(folder_.isEmpty());
        base_ = QDir(folder_).filePath(key_);
    }
    void TearDown() override {
        QFile::remove(base_ + QStringLiteral(".lock"));
        QFile::remove(base_ + QStringLiteral(".sock"));
    }
    QString key_ = UniqueKey();
    QString folder_;
    QString base_;
};

TEST_F(ForeignInstanceTest, AnotherUsersLockOrSocketOrProgramGetsNothing) {
    // A socket file of theirs, with a lock held by a program of ours.
    {
        QLockFile held(base_ + QStringLiteral(".lock"));
        ASSERT_TRUE(held.tryLock(0));
        ForeignListener theirs(base_ + QStringLiteral(".sock"), true);
        ASSERT_TRUE(theirs.Listening());
        qv::SingleInstance start(key_);
        EXPECT_EQ(start.Start("/home/me/secret.csv"), qv::SingleInstance::Role::Failed);
        EXPECT_TRUE(start.Problem().contains(QStringLiteral("ほかのユーザーのもの")));
        EXPECT_FALSE(theirs.Received()) << "the document's path went to another user";
    }
    // Our socket file, but their program at the other end.
    {
        QLockFile held(base_ + QStringLiteral(".lock"));
        ASSERT_TRUE(held.tryLock(0));
        ForeignListener theirs(base_ + QStringLiteral(".sock"), false);
        ASSERT_TRUE(theirs.Listening());
        qv::SingleInstance start(key_);
        EXPECT_EQ(start.Start("/home/me/secret.csv"), qv::SingleInstance::Role::Failed);
        EXPECT_TRUE(start.Problem().contains(QStringLiteral("ほかのユーザーのプログラム")));
        EXPECT_FALSE(theirs.Received());
    }
    // A lock file of theirs: nothing is trusted, the start goes on alone.
    QFile::remove(base_ + QStringLiteral(".sock"));
    {
        QFile lock(base_ + QStringLiteral(".lock"));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write("1\nquillovarsta\n\n");
    }
    ASSERT_EQ(::chown(QFile::encodeName(base_ + QStringLiteral(".lock")).constData(), kOtherUser,
                      kOtherUser),
              0);
    ForeignListener theirs(base_ + QStringLiteral(".sock"), true);
    ASSERT_TRUE(theirs.Listening());
    qv::SingleInstance start(key_);
    EXPECT_EQ(start.Start("/home/me/secret.csv"), qv::SingleInstance::Role::Failed);
    EXPECT_TRUE(start.Problem().contains(QStringLiteral("ロックファイル")));
    EXPECT_FALSE(theirs.Received());
}

TEST(SingleInstance, AStartThatCannotHandOverRunsOnItsOwnAndSaysWhy) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ini = dir.filePath(QStringLiteral("own.INI"));
    const QString key = qv::SingleInstance::KeyFor(QFile::encodeName(ini).toStdString());
    const QString base = QDir(qv::SingleInstance::RuntimeFolder()).filePath(key);
    // A program of ours that holds the lock and listens but never serves its socket.
    QLockFile held(base + QStringLiteral(".lock"));
    ASSERT_TRUE(held.tryLock(0));
    QLocalServer hung;
    ASSERT_TRUE(hung.listen(base + QStringLiteral(".sock")));

    ScriptedPrompts prompts;
    ProgramHooks hooks;
    hooks.ServicesReady = [&](AppServices& services) { services.Prompts().Redirect(&prompts); };
    bool started = false;
    hooks.Started = [&](TQuillovaMainForm&, AppServices&) {
        started = true;
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    };
    QByteArray program = "quillovarsta";
    QByteArray settings = "-I" + QFile::encodeName(ini);
    char* argv[] = {program.data(), settings.data(), nullptr};
    EXPECT_EQ(RunProgram(2, argv, hooks), 0);
    EXPECT_TRUE(started) << "the start went on as a program of its own";
    ASSERT_FALSE(prompts.Asked.empty());
    EXPECT_EQ(prompts.Asked[0],
              QStringLiteral("起動中のプログラムに引き渡せなかったため、新しく起動しました\n"
                             "起動中のプログラムが応答しません"));
}

TEST(SingleInstance, AHandOverBeyondTheWindowLimitIsReported) {
    ScriptedPrompts prompts;
    AppServices services;
    services.Prompts().Redirect(&prompts);
    const std::unique_ptr<Program> program = BuildProgram(services);
    TQuillovaMainForm& form = program->Window();
    form.show();
    for (int i = 0; i < 40; ++i)
        ASSERT_NE(form.Documents().NewDocument(), nullptr);  // "無題"
    const QString key = UniqueKey();
    qv::SingleInstance running(key);
    ASSERT_EQ(running.Start(""), qv::SingleInstance::Role::Primary);
    QObject::connect(&running, &qv::SingleInstance::Activated, &form.Documents(),
                     &DocumentManager::OpenHandedOver);

    EXPECT_EQ(StartLater(key, "/home/u/41st.csv").Role, qv::SingleInstance::Role::Secondary);
    QElapsedTimer t;
    t.start();
    while (prompts.Asked.empty() && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(prompts.Asked.size(), 1u);
    EXPECT_EQ(prompts.Asked[0], QStringLiteral("[/home/u/41st.csv]\nこれ以上開けません"));
    EXPECT_EQ(form.DocumentCount(), 40);
    for (TMDIChild* child : form.Children())
        child->ApproveClose();
    services.Prompts().Redirect(nullptr);
}

}  // namespace
