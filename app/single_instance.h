#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

namespace tallix {

// One running program per user. The first launch holds a lock file and
// listens on a local socket; a later launch finds the lock taken and asks the
// first, over the socket, to show itself. Both live in the user's runtime
// folder. A lock left by a process that no longer runs does not count.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // `folder` defaults to the user's runtime folder.
    explicit SingleInstance(const QString& folder = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Claim {
        First,        // this process runs the program
        HandedOver,   // the running instance was asked to show itself
        Unreachable,  // another instance holds the lock but does not answer
    };
    Claim claim();

  signals:
    // The running instance was asked to show its window.
    void showRequested();

  private:
    bool askRunningInstance();
    void listen();
    void readRequest();

    QString lockPath_;
    QString socketPath_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace tallix
