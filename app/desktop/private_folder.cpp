#include "app/desktop/private_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "app/desktop/local_listener.h"

namespace tallix {

namespace {

bool isOurs(const struct stat& info) {
    return info.st_uid == getuid();
}

bool fits(const QString& folder, const QString& longestName) {
    return QFile::encodeName(QDir(folder).filePath(longestName)).size() <=
           LocalListener::maxPathBytes();
}

// Whether the folder holding `path` keeps others from renaming or replacing what is in it:
// it belongs to this user or to the system and only they may write to it, unless it is
// sticky (as /tmp is), where each keeps their own entries. Links on the way are resolved, so
// a cache that points into someone else's folder does not pass.
bool parentIsSafe(const QString& path) {
    const QByteArray parent = QFile::encodeName(QFileInfo(path).absolutePath());
    std::unique_ptr<char, decltype(&std::free)> real(realpath(parent.constData(), nullptr),
                                                     &std::free);
    struct stat info {};
    if (!real || ::lstat(real.get(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    if (info.st_uid != getuid() && info.st_uid != 0) return false;
    if (info.st_mode & S_ISVTX) return true;
    if (info.st_mode & S_IWOTH) return false;
    return !(info.st_mode & S_IWGRP) || info.st_gid == getgid();
}

// A folder that already is private: a real folder (not a link), ours, closed to others.
bool isPrivateAsItIs(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           isOurs(info) && (info.st_mode & 077) == 0;
}

// Makes `path` a private folder of ours: created if missing, closed to others if it is ours
// already. A link there, or a folder of someone else, is left as it is and refused.
bool makeOwnFolder(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) return false;
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && isOurs(info);
    if (ok && (info.st_mode & 077) != 0)
        ok = ::fchmod(fd, 0700) == 0 && ::fstat(fd, &info) == 0 && (info.st_mode & 077) == 0;
    ::close(fd);
    return ok;
}

QStringList cacheFolders() {
    QStringList folders;
    for (const QString& folder :
         {QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation),
          QDir(QDir::homePath()).filePath(QStringLiteral(".cache"))}) {
        if (!folder.isEmpty() && QDir::isAbsolutePath(folder)) folders << QDir::cleanPath(folder);
    }
    folders.removeDuplicates();
    return folders;
}

}  // namespace

QString privateFolder(const QString& longestName) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool hasRuntime = !runtime.isEmpty() && QDir::isAbsolutePath(runtime);
    if (hasRuntime && isPrivateAsItIs(runtime) && fits(runtime, longestName)) return runtime;

    const QString ownName = QStringLiteral("tallix-%1").arg(getuid());
    QStringList candidates;
    const QStringList caches = cacheFolders();
    for (const QString& cache : caches)
        candidates << QDir(cache).filePath(QStringLiteral("tallix"));
    for (const QString& cache : caches)
        candidates << QDir(cache).filePath(ownName);
    if (hasRuntime) candidates << QDir(runtime).filePath(ownName);

    for (const QString& folder : candidates) {
        if (!fits(folder, longestName)) continue;
        QDir().mkpath(QFileInfo(folder).absolutePath());  // a cache folder not made yet
        if (parentIsSafe(folder) && makeOwnFolder(folder)) return folder;
    }
    return QString();
}

}  // namespace tallix
