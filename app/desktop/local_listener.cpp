#include "app/desktop/local_listener.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QFile>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace tallix {

namespace {

// Connections taken in one turn of the event loop, so that a flood leaves the window time to
// answer; the rest wait in the socket's queue.
constexpr int ACCEPTS_PER_TURN = 64;
// How long to wait before accepting again after the system ran short of memory.
constexpr int PAUSE_MS = 100;

int openSpare() {
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

}  // namespace

LocalListener::LocalListener(QObject* parent) : QObject(parent) {}

LocalListener::~LocalListener() {
    close();
}

qsizetype LocalListener::maxPathBytes() {
    return qsizetype(sizeof(sockaddr_un::sun_path)) - 1;  // and its terminating NUL
}

bool LocalListener::listen(const QString& path) {
    close();
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || name.size() > maxPathBytes()) {
        error_ = QStringLiteral("the path is longer than a socket's name may be");
        return false;
    }
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    ::unlink(name.constData());
    struct stat info {};
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(name.constData(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0 ||
        ::lstat(name.constData(), &info) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0) ::close(fd);
        return false;
    }
    listening_ = fd;
    path_ = name;
    device_ = info.st_dev;
    inode_ = info.st_ino;
    spare_ = openSpare();
    notifier_ = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &LocalListener::acceptPending);
    return true;
}

void LocalListener::close() {
    // Connections still held end without a word: no half-read request acts any more.
    for (QLocalSocket* socket : std::exchange(held_, {})) {
        socket->disconnect();
        delete socket;
    }
    delete notifier_;
    notifier_ = nullptr;
    if (listening_ < 0) return;
    ::close(listening_);
    listening_ = -1;
    if (spare_ >= 0) ::close(spare_);
    spare_ = -1;
    // Only our own socket goes: a file someone put in its place stays.
    struct stat info {};
    if (::lstat(path_.constData(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_)
        ::unlink(path_.constData());
}

void LocalListener::acceptPending() {
    for (int i = 0; i < ACCEPTS_PER_TURN && listening_ >= 0; ++i) {
        const int fd = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            adopt(fd);
            continue;
        }
        switch (errno) {
            case EAGAIN:
                return;
            case EINTR:
            case ECONNABORTED:
            case EPROTO:
                continue;  // that one connection is gone; the next may be fine
            case EMFILE:
            case ENFILE:
                if (makeRoom() || refuseOne()) continue;
                return;
            default:  // short of memory or buffers: try again in a moment
                pause();
                return;
        }
    }
}

// Out of descriptors, or at the bound: the oldest connection held gives its place to the
// newest. Aborting closes its descriptor at once.
bool LocalListener::makeRoom() {
    if (held_.empty()) return false;
    QLocalSocket* oldest = held_.front();
    held_.pop_front();
    oldest->abort();
    oldest->deleteLater();
    return true;
}

// Out of descriptors with none of ours to give up: take the newcomer on the spare descriptor
// and close it, so it does not stay in the queue and wake us again and again.
bool LocalListener::refuseOne() {
    if (spare_ < 0) spare_ = openSpare();
    if (spare_ < 0) {
        pause();
        return false;
    }
    ::close(spare_);
    const int fd = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) ::close(fd);
    spare_ = openSpare();
    if (spare_ >= 0) return true;
    pause();
    return false;
}

void LocalListener::adopt(int descriptor) {
    auto* socket = new QLocalSocket(this);
    if (!socket->setSocketDescriptor(qintptr(descriptor))) {
        ::close(descriptor);
        delete socket;
        return;
    }
    if (held_.size() >= MAX_HELD) makeRoom();
    held_.push_back(socket);
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
        const auto found = std::find(held_.begin(), held_.end(), socket);
        if (found == held_.end()) return;
        held_.erase(found);
        socket->deleteLater();
    });
    emit newConnection(socket);
}

void LocalListener::pause() {
    if (!notifier_ || !notifier_->isEnabled()) return;
    notifier_->setEnabled(false);
    QTimer::singleShot(PAUSE_MS, notifier_, [this] { notifier_->setEnabled(true); });
}

}  // namespace tallix
