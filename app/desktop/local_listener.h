#pragma once

#include <QObject>
#include <QString>
#include <deque>

class QLocalSocket;
class QSocketNotifier;

namespace tallix {

// A local stream socket that its user alone may connect to and that goes on accepting
// whatever accept() meets. Out of descriptors, it gives up the oldest connection it holds, or
// accepts the newcomer on a descriptor kept spare and closes it at once; a passing shortage of
// memory pauses it for a moment. It never stops listening on its own, and holds at most
// MAX_HELD connections at once.
class LocalListener : public QObject {
    Q_OBJECT
  public:
    static constexpr size_t MAX_HELD = 32;

    explicit LocalListener(QObject* parent = nullptr);
    ~LocalListener() override;

    // Listens at `path`, replacing whatever file is there. False, with errorString() telling
    // why, when it cannot (a path beyond the socket-name limit among others).
    bool listen(const QString& path);
    void close();
    QString errorString() const { return error_; }

    // The longest path a socket can be given, in bytes.
    static qsizetype maxPathBytes();

  signals:
    // A connection came in. The listener owns the socket and deletes it when it is
    // disconnected; it may abort it (emitting disconnected) to make room for newer ones.
    void newConnection(QLocalSocket* socket);

  private:
    void acceptPending();
    bool makeRoom();
    bool refuseOne();
    void adopt(int descriptor);
    void pause();

    int listening_ = -1;
    int spare_ = -1;
    QByteArray path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    QSocketNotifier* notifier_ = nullptr;
    std::deque<QLocalSocket*> held_;  // oldest first
    QString error_;
};

}  // namespace tallix
