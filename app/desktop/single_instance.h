#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalSocket;

namespace tallix {

class LocalListener;

// One running program per user. The first launch holds a lock file and listens on a local
// socket; a later launch finds the lock taken and asks the first, over the socket, to show
// itself, passing on the token that lets a window take the focus on Wayland. Both live in a
// folder only this user can enter. A lock whose owner is not a running Tallix of this user
// (it ended, the pid is another program's, the file is empty or damaged) does not count.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // `folder` defaults to `privateFolder()`.
    explicit SingleInstance(const QString& folder = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Claim {
        First,        // this process runs the program
        HandedOver,   // the running instance was asked to show itself
        Unreachable,  // another instance holds the lock but does not answer
        Unguarded,    // nowhere private to keep the lock: this process runs unguarded
    };
    // A launch that finds the lock taken keeps trying to reach its owner for a moment: a
    // first launch started at the same time may not listen yet. `activationToken` goes to the
    // running instance with the request.
    Claim claim(const QString& activationToken = QString());

    // Where lock and socket live by default (see private_folder.h); empty when nowhere.
    static QString privateFolder();
    // Whether the lock file's owner is a running program of this name and user.
    static bool ownerIsRunning(qint64 pid);

  signals:
    // The running instance was asked to show its window.
    void showRequested(const QString& activationToken);

  private:
    bool askRunningInstance(const QString& activationToken);
    bool removeStaleLock();
    void listen();
    void serve(QLocalSocket* socket);

    QString folder_;
    QString lockPath_;
    QString socketPath_;
    QLockFile lock_;
    std::unique_ptr<LocalListener> listener_;
};

}  // namespace tallix
