#include "app/platform/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>

#include "app/texts.h"
#include "core/io/instance_request.h"

namespace qv {

namespace {

constexpr int kConnectTimeoutMs = 1000;
// How long a later start keeps trying while the running program is still setting up its socket.
constexpr int kPrimaryStartupGraceMs = 3000;
// How long a later start waits for the running program to say that the request arrived; a
// program busy for longer is taken as hung.
constexpr int kAnswerTimeoutMs = 5000;

// Whether the process at the other end of a connected local socket runs as this user.
bool PeerIsThisUser(qintptr fd) {
    ucred cred{};
    socklen_t length = sizeof cred;
    if (fd < 0 || ::getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0)
        return false;
    return cred.uid == ::getuid();
}

// Whether `path` is a folder of this user's that nobody else may enter (never a link to one).
bool IsPrivateFolder(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

}  // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), key_(key) {
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::AcceptConnection);
}

SingleInstance::~SingleInstance() {
    server_.close();
}

QString SingleInstance::KeyFor(const std::string& settingsPath) {
    const QByteArray absolute =
        QFile::encodeName(QFileInfo(QFile::decodeName(settingsPath.c_str())).absoluteFilePath());
    const QByteArray digest =
        QCryptographicHash::hash(absolute, QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("quillovarsta-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest));
}

QString SingleInstance::PrivateFolder(const QString& runtimeDir, const QString& cacheDir) {
    if (QDir::isAbsolutePath(runtimeDir) && IsPrivateFolder(QFile::encodeName(runtimeDir)))
        return runtimeDir;
    // Never the shared temporary folder: anyone could lay a lock and a socket there first.
    if (!QDir::isAbsolutePath(cacheDir)) return {};
    QDir().mkpath(cacheDir);
    const QString folder = QDir(cacheDir).filePath(QStringLiteral("quillovarsta-instance"));
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) return {};
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return {};
    // The user's own folder, opened to others by hand or by an old version: closed again.
    if ((st.st_mode & 077) != 0 && ::chmod(name.constData(), 0700) != 0) return {};
    return IsPrivateFolder(name) ? folder : QString();
}

QString SingleInstance::RuntimeFolder() {
    return PrivateFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"),
                         QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation));
}

SingleInstance::Role SingleInstance::Start(const std::string& documentPath) {
    problem_.clear();
    const QString folder = RuntimeFolder();
    if (folder.isEmpty()) {
        problem_ = texts::Q(texts::kInstanceNoFolder);
        return Role::Failed;
    }
    const QString base = QDir(folder).filePath(key_);
    const QString lockName = base + QStringLiteral(".lock");
    // Only this user can put files into the folder; anything else found there is suspect.
    struct stat st {};
    if (::lstat(QFile::encodeName(lockName).constData(), &st) == 0 &&
        (!S_ISREG(st.st_mode) || st.st_uid != ::getuid())) {
        problem_ = texts::Q(texts::kInstanceForeignLock).arg(Shown(lockName));
        return Role::Failed;
    }
    lock_ = std::make_unique<QLockFile>(lockName);
    // A lock whose process is gone is stale at once; a live holder is never broken by age.
    lock_->setStaleLockTime(0);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (lock_->tryLock(0)) {
            // A socket file left by a killed program would make listen() fail.
            QLocalServer::removeServer(base + QStringLiteral(".sock"));
            server_.setSocketOptions(QLocalServer::UserAccessOption);
            if (!server_.listen(base + QStringLiteral(".sock"))) {
                problem_ = texts::Q(texts::kInstanceCannotListen)
                               .arg(Shown(base + QStringLiteral(".sock")));
                return Role::Failed;
            }
            return Role::Primary;
        }
        if (lock_->error() != QLockFile::LockFailedError) {
            problem_ = texts::Q(texts::kInstanceCannotLock).arg(Shown(lockName));
            return Role::Failed;
        }
        switch (SendToPrimary(base, documentPath)) {
            case Handed::Delivered:
                return Role::Secondary;
            case Handed::Refused:
                return Role::Failed;
            case Handed::NotListening:
                break;
        }
        // The holder has the lock but no socket yet (it is starting), or it just ended.
        if (waited.elapsed() > kPrimaryStartupGraceMs) {
            problem_ = texts::Q(texts::kInstanceNoAnswer);
            return Role::Failed;
        }
        QThread::msleep(100);
    }
}

SingleInstance::Handed SingleInstance::SendToPrimary(const QString& base,
                                                     const std::string& documentPath) {
    const QString socketName = base + QStringLiteral(".sock");
    struct stat st {};
    if (::lstat(QFile::encodeName(socketName).constData(), &st) != 0) return Handed::NotListening;
    if (!S_ISSOCK(st.st_mode) || st.st_uid != ::getuid()) {
        problem_ = texts::Q(texts::kInstanceForeignSocket).arg(Shown(socketName));
        return Handed::Refused;
    }
    QLocalSocket socket;
    socket.connectToServer(socketName);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return Handed::NotListening;
    // The document's path goes to nobody but this user's own program.
    if (!PeerIsThisUser(socket.socketDescriptor())) {
        socket.abort();
        problem_ = texts::Q(texts::kInstanceForeignPeer).arg(Shown(socketName));
        return Handed::Refused;
    }
    const std::string request = InstanceRequestBytes(documentPath);
    socket.write(request.data(), static_cast<qint64>(request.size()));
    QElapsedTimer waited;
    waited.start();
    while (socket.bytesToWrite() > 0 && waited.elapsed() < kAnswerTimeoutMs)
        socket.waitForBytesWritten(kAnswerTimeoutMs - static_cast<int>(waited.elapsed()));
    // The answer says the request arrived whole; without it the document may be lost.
    while (socket.bytesAvailable() < 1 && socket.state() == QLocalSocket::ConnectedState &&
           waited.elapsed() < kAnswerTimeoutMs)
        socket.waitForReadyRead(kAnswerTimeoutMs - static_cast<int>(waited.elapsed()));
    char answer = 0;
    const bool taken = socket.read(&answer, 1) == 1 && answer == kInstanceRequestTaken;
    socket.abort();
    if (!taken) {
        problem_ = texts::Q(texts::kInstanceNoAnswer);
        return Handed::Refused;
    }
    return Handed::Delivered;
}

void SingleInstance::AcceptConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        if (!PeerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto buffer = std::make_shared<std::string>();
        auto done = std::make_shared<bool>(false);
        const auto take = [this, socket, buffer, done] {
            if (*done) return;
            const QByteArray bytes = socket->readAll();
            buffer->append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            const InstanceRequest request = ParseInstanceRequest(*buffer);
            if (request.Status == InstanceRequest::State::Incomplete) return;
            *done = true;
            if (request.Status == InstanceRequest::State::Invalid) {
                socket->abort();
                return;
            }
            // Answered before the request is acted on, which may open dialogs for a while.
            socket->write(&kInstanceRequestTaken, 1);
            socket->flush();
            socket->disconnectFromServer();
            emit Activated(request.Path);
        };
        connect(socket, &QLocalSocket::readyRead, this, take);
        connect(socket, &QLocalSocket::disconnected, this, [socket, take] {
            take();
            socket->deleteLater();
        });
    }
}

}  // namespace qv
