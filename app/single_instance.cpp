#include "app/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace tallix {

namespace {

const QByteArray SHOW_REQUEST = "show\n";
constexpr int CONNECT_TIMEOUT_MS = 2000;

QString runtimeFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QDir::tempPath() : folder;
}

}  // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent),
      lockPath_(QDir(folder.isEmpty() ? runtimeFolder() : folder).filePath("Tallix.lock")),
      socketPath_(QDir(folder.isEmpty() ? runtimeFolder() : folder).filePath("Tallix.socket")),
      lock_(lockPath_) {
    // The lock lasts as long as the program runs: only a dead owner makes it stale.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

SingleInstance::Claim SingleInstance::claim() {
    if (lock_.tryLock(0)) {
        listen();
        return Claim::First;
    }
    if (lock_.error() != QLockFile::LockFailedError) {
        // The lock cannot be written at all (no runtime folder, read-only
        // file system): running unguarded beats not running.
        return Claim::First;
    }
    return askRunningInstance() ? Claim::HandedOver : Claim::Unreachable;
}

bool SingleInstance::askRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(CONNECT_TIMEOUT_MS)) return false;
    socket.write(SHOW_REQUEST);
    if (!socket.waitForBytesWritten(CONNECT_TIMEOUT_MS)) return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(CONNECT_TIMEOUT_MS);
    return true;
}

void SingleInstance::listen() {
    // A socket file left by a crashed owner would block listen().
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::readRequest);
    server_->listen(socketPath_);
}

void SingleInstance::readRequest() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto handle = [this, socket] {
            if (socket->canReadLine() && socket->readLine() == SHOW_REQUEST) {
                emit showRequested();
                socket->disconnectFromServer();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, handle);
        handle();
    }
}

}  // namespace tallix
