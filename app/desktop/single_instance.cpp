#include "app/desktop/single_instance.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSysInfo>
#include <QThread>
#include <QTimer>
#include <memory>

#include "app/desktop/local_listener.h"
#include "app/desktop/private_folder.h"

namespace tallix {

namespace {

const QString SOCKET_NAME = QStringLiteral("Tallix.socket");
const QString LOCK_NAME = QStringLiteral("Tallix.lock");
// The request: "show", then, from launches that have one, "token <activation token>". An
// instance that knows only "show" reads the first line and acts on it.
const QByteArray SHOW_LINE = "show\n";
const QByteArray TOKEN_PREFIX = "token ";
constexpr qsizetype MAX_REQUEST = 4096;
constexpr int CONNECT_TIMEOUT_MS = 500;
constexpr int REQUEST_TIMEOUT_MS = 2000;
// How long a launch keeps trying to reach a first launch that has the lock but does not
// listen yet.
constexpr int HANDOVER_PATIENCE_MS = 2000;
constexpr int RETRY_INTERVAL_MS = 25;
// A lock file without readable content is being written for this long at most.
constexpr qint64 WRITE_GRACE_MS = 1000;

// The program's file name, also after an update replaced the file it runs from.
QString exeName(qint64 pid) {
    QString target = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    if (target.endsWith(QLatin1String(" (deleted)"))) target.chop(10);
    return QFileInfo(target).fileName();
}

bool validToken(const QByteArray& token) {
    if (token.isEmpty() || token.size() > 1024) return false;
    for (char c : token) {
        if (c <= ' ' || c > '~') return false;
    }
    return true;
}

}  // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent),
      folder_(folder.isEmpty() ? privateFolder() : folder),
      lockPath_(QDir(folder_).filePath(LOCK_NAME)),
      socketPath_(QDir(folder_).filePath(SOCKET_NAME)),
      lock_(lockPath_) {
    // The lock lasts as long as the program runs: only an owner that is gone makes it stale.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::privateFolder() {
    // The socket's name is the longer of the two.
    return tallix::privateFolder(SOCKET_NAME);
}

bool SingleInstance::ownerIsRunning(qint64 pid) {
    if (pid <= 0) return false;
    const QFileInfo process(QStringLiteral("/proc/%1").arg(pid));
    if (!process.exists()) return false;
    // Another user's process hides where its program lives: it is not ours either way.
    if (process.ownerId() != getuid()) return false;
    return exeName(pid) == exeName(QCoreApplication::applicationPid());
}

SingleInstance::Claim SingleInstance::claim(const QString& activationToken) {
    if (folder_.isEmpty()) return Claim::Unguarded;
    const QDeadlineTimer patience(HANDOVER_PATIENCE_MS);
    for (;;) {
        if (lock_.tryLock(0)) {
            listen();
            return Claim::First;
        }
        if (lock_.error() != QLockFile::LockFailedError) {
            // The lock cannot be written at all (a read-only file system): running
            // unguarded beats not running.
            return Claim::Unguarded;
        }
        if (removeStaleLock()) continue;
        if (askRunningInstance(activationToken)) return Claim::HandedOver;
        if (patience.hasExpired()) return Claim::Unreachable;
        QThread::msleep(RETRY_INTERVAL_MS);
    }
}

bool SingleInstance::removeStaleLock() {
    qint64 pid = 0;
    QString host;
    QString application;
    if (lock_.getLockInfo(&pid, &host, &application)) {
        // A lock written on another machine (a shared home) cannot be judged from here.
        if (!host.isEmpty() && host != QSysInfo::machineHostName()) return false;
        if (ownerIsRunning(pid)) return false;
    } else {
        const QDateTime written = QFileInfo(lockPath_).lastModified();
        if (written.isValid() &&
            qAbs(written.msecsTo(QDateTime::currentDateTime())) < WRITE_GRACE_MS) {
            return false;  // its owner may be writing it right now
        }
    }
    // Qt removes the file only while nobody holds it locked: a live owner keeps it.
    return lock_.removeStaleLockFile();
}

bool SingleInstance::askRunningInstance(const QString& activationToken) {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(CONNECT_TIMEOUT_MS)) return false;
    QByteArray request = SHOW_LINE;
    const QByteArray token = activationToken.toUtf8();
    if (validToken(token)) request += TOKEN_PREFIX + token + '\n';
    socket.write(request);
    if (!socket.waitForBytesWritten(REQUEST_TIMEOUT_MS)) return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(REQUEST_TIMEOUT_MS);
    return true;
}

void SingleInstance::listen() {
    listener_ = std::make_unique<LocalListener>();
    connect(listener_.get(), &LocalListener::newConnection, this, &SingleInstance::serve);
    if (!listener_->listen(socketPath_)) {
        // The program runs on, but later launches cannot reach it and say it is running
        // already: the reason belongs where its user can find it.
        qWarning().noquote() << "Tallix: cannot listen on" << socketPath_ << "-"
                             << listener_->errorString();
    }
}

// The whole request is read before acting: the token comes after "show". A request that does
// not end, or grows beyond any real one, is dropped. The listener owns the socket; one it
// aborted (or that aborted itself) has nothing left to read.
void SingleInstance::serve(QLocalSocket* socket) {
    auto buffer = std::make_shared<QByteArray>();
    auto* timer = new QTimer(socket);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, socket, &QLocalSocket::abort);
    timer->start(REQUEST_TIMEOUT_MS);
    auto take = [socket, buffer] {
        if (socket->isOpen() && socket->bytesAvailable() > 0) *buffer += socket->readAll();
    };
    connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer, take] {
        take();
        if (buffer->size() > MAX_REQUEST) {
            buffer->clear();
            socket->abort();
        }
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, buffer, timer, take] {
        timer->stop();
        take();
        const QList<QByteArray> lines = buffer->split('\n');
        const bool complete = buffer->size() <= MAX_REQUEST && buffer->endsWith('\n');
        if (!complete || lines.first() + '\n' != SHOW_LINE) return;
        QString token;
        if (lines.size() > 1 && lines[1].startsWith(TOKEN_PREFIX) &&
            validToken(lines[1].mid(TOKEN_PREFIX.size()))) {
            token = QString::fromLatin1(lines[1].mid(TOKEN_PREFIX.size()));
        }
        emit showRequested(token);
    });
}

}  // namespace tallix
