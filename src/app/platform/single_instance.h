// One running program per user and settings file. The first start takes a lock file and listens on
// a local socket; a later start finds the lock taken, hands its document (if any) to the running
// program over the socket and ends. A lock left by a killed program is stale and taken over, and
// so is the socket file it left behind.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
#include <string>

namespace qv {

class SingleInstance : public QObject {
    Q_OBJECT

  public:
    // `key` names the instance: runs with the same key share one program. Use KeyFor().
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The key for a user's program that keeps its settings in `settingsPath` (native): a test or a
    // second set-up with its own settings file is its own program.
    static QString KeyFor(const std::string& settingsPath);

    enum class Role {
        Primary,    // this process is the running program and now listens for later starts
        Secondary,  // another process runs the program; the request was handed to it
        Failed,     // another process holds the lock but could not be reached
    };
    // Takes the lock, or hands `documentPath` (native and absolute; empty: just come to the front)
    // to the program that holds it.
    Role Start(const std::string& documentPath);

    // The folder holding the lock and socket files.
    static QString RuntimeFolder();

  signals:
    // A later start asked this program to come to the front and open `documentPath` (native,
    // absolute; empty when it named none).
    void Activated(const std::string& documentPath);

  private:
    void AcceptConnection();
    bool SendToPrimary(const std::string& documentPath);

    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

}  // namespace qv
