// One running program per user and settings file. The first start takes a lock file and listens on
// a local socket; a later start finds the lock taken, hands its document (if any) to the running
// program over the socket and ends once the program has answered that the request arrived. A lock
// left by a killed program is stale and taken over, and so is the socket file it left behind.
//
// Lock and socket live in a folder of the user's own that nobody else may enter: the runtime
// folder, else one in the user's cache folder. A lock or socket of another user, or a program of
// another user behind the socket, gets nothing: the start then goes on as a program of its own
// and says why, as it does when the running program does not answer.
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
        Secondary,  // another process runs the program and took the request
        Failed,     // no hand-over: this process should run as a program of its own (Problem())
    };
    // Takes the lock, or hands `documentPath` (native and absolute; empty: just come to the front)
    // to the program that holds it.
    Role Start(const std::string& documentPath);
    // Why the last Start gave Failed, for the user; empty otherwise.
    const QString& Problem() const { return problem_; }

    // The folder holding the lock and socket files: the runtime folder when it is the user's own
    // and closed to others, else a folder made for this in the user's cache folder. Empty when
    // neither can be had.
    static QString RuntimeFolder();
    // The same choice from the given runtime and cache folders (either may be empty).
    static QString PrivateFolder(const QString& runtimeDir, const QString& cacheDir);

  signals:
    // A later start asked this program to come to the front and open `documentPath` (native,
    // absolute; empty when it named none).
    void Activated(const std::string& documentPath);

  private:
    enum class Handed { Delivered, NotListening, Refused };
    void AcceptConnection();
    Handed SendToPrimary(const QString& base, const std::string& documentPath);

    QString key_;
    QString problem_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

}  // namespace qv
