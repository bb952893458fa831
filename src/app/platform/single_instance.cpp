#include "app/platform/single_instance.h"

#include <unistd.h>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace qv {

namespace {

// A request is one length-prefixed byte string: the document's native path, or nothing.
constexpr int kConnectTimeoutMs = 1000;
// How long a later start keeps trying while the running program is still setting up its socket.
constexpr int kPrimaryStartupGraceMs = 3000;
constexpr qint32 kMaxRequestBytes = 64 * 1024;

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

QString SingleInstance::RuntimeFolder() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    return dir;
}

SingleInstance::Role SingleInstance::Start(const std::string& documentPath) {
    const QString base = QDir(RuntimeFolder()).filePath(key_);
    lock_ = std::make_unique<QLockFile>(base + QStringLiteral(".lock"));
    // A lock whose process is gone is stale at once; a live holder is never broken by age.
    lock_->setStaleLockTime(0);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (lock_->tryLock(0)) {
            // A socket file left by a killed program would make listen() fail.
            QLocalServer::removeServer(base + QStringLiteral(".sock"));
            server_.setSocketOptions(QLocalServer::UserAccessOption);
            if (!server_.listen(base + QStringLiteral(".sock"))) return Role::Failed;
            return Role::Primary;
        }
        if (lock_->error() != QLockFile::LockFailedError) return Role::Failed;
        if (SendToPrimary(documentPath)) return Role::Secondary;
        // The holder has the lock but no socket yet (it is starting), or it just ended.
        if (waited.elapsed() > kPrimaryStartupGraceMs) return Role::Failed;
        QThread::msleep(100);
    }
}

bool SingleInstance::SendToPrimary(const std::string& documentPath) {
    QLocalSocket socket;
    socket.connectToServer(QDir(RuntimeFolder()).filePath(key_) + QStringLiteral(".sock"));
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out << QByteArray::fromStdString(documentPath);
    socket.write(request);
    if (!socket.waitForBytesWritten(kConnectTimeoutMs)) return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kConnectTimeoutMs);
    return true;
}

void SingleInstance::AcceptConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        auto buffer = std::make_shared<QByteArray>();
        const auto finish = [this, socket, buffer] {
            socket->deleteLater();
            QDataStream in(*buffer);
            QByteArray path;
            in >> path;
            if (in.status() == QDataStream::Ok) emit Activated(path.toStdString());
        };
        connect(socket, &QLocalSocket::readyRead, this, [socket, buffer] {
            buffer->append(socket->readAll());
            if (buffer->size() > kMaxRequestBytes + 4) socket->abort();
        });
        connect(socket, &QLocalSocket::disconnected, this, [socket, buffer, finish] {
            buffer->append(socket->readAll());
            finish();
        });
    }
}

}  // namespace qv
