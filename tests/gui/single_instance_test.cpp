#include "app/platform/single_instance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>

namespace {

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

TEST(SingleInstance, ALaterStartHandsItsDocumentToTheRunningOne) {
    const QString key = UniqueKey();
    qv::SingleInstance first(key);
    ASSERT_EQ(first.Start(""), qv::SingleInstance::Role::Primary);
    QSignalSpy activated(&first, &qv::SingleInstance::Activated);

    qv::SingleInstance second(key);
    EXPECT_EQ(second.Start("/home/u/caf\xC3\xA9 ideas.csv"), qv::SingleInstance::Role::Secondary);
    ASSERT_TRUE(WaitFor(activated));
    EXPECT_EQ(activated.first().first().value<std::string>(), "/home/u/caf\xC3\xA9 ideas.csv")
        << "the path's bytes arrive unchanged";

    qv::SingleInstance third(key);
    activated.clear();
    EXPECT_EQ(third.Start(""), qv::SingleInstance::Role::Secondary);
    ASSERT_TRUE(WaitFor(activated));
    EXPECT_EQ(activated.first().first().value<std::string>(), "") << "only come to the front";
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
    qv::SingleInstance later(key);
    EXPECT_EQ(later.Start("/x.csv"), qv::SingleInstance::Role::Secondary);
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

}  // namespace
