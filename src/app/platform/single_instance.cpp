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

// A request is a run of length-prefixed byte strings, one for each document's native path; a lone
// empty one asks only to come to the front.
constexpr int kConnectTimeoutMs = 1000;
// How long a later start keeps trying while the running program is still setting up its socket.
constexpr int kPrimaryStartupGraceMs = 3000;
// Room for the few hundred files a file manager may pass at once.
constexpr qint32 kMaxRequestBytes = 1024 * 1024;

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
    return Start(documentPath.empty() ? std::vector<std::string>{}
                                      : std::vector<std::string>{documentPath});
}

SingleInstance::Role SingleInstance::Start(const std::vector<std::string>& documentPaths) {
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
        if (SendToPrimary(documentPaths)) return Role::Secondary;
        // The holder has the lock but no socket yet (it is starting), or it just ended.
        if (waited.elapsed() > kPrimaryStartupGraceMs) return Role::Failed;
        QThread::msleep(100);
    }
}

bool SingleInstance::SendToPrimary(const std::vector<std::string>& documentPaths) {
    QLocalSocket socket;
    socket.connectToServer(QDir(RuntimeFolder()).filePath(key_) + QStringLiteral(".sock"));
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    if (documentPaths.empty()) out << QByteArray();
    for (const std::string& path : documentPaths)
        out << QByteArray::fromStdString(path);
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
            // Nothing sent, or more than any request holds: not a start of this program.
            if (buffer->isEmpty() || buffer->size() > kMaxRequestBytes + 4) return;
            QDataStream in(*buffer);
            std::vector<std::string> paths;
            while (!in.atEnd()) {
                QByteArray path;
                in >> path;
                // A cut-off request opens nothing of it.
                if (in.status() != QDataStream::Ok) return;
                if (!path.isEmpty()) paths.push_back(path.toStdString());
            }
            if (paths.empty()) emit Activated(std::string());
            for (const std::string& path : paths)
                emit Activated(path);
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
