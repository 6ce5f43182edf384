#include "platform/SingleInstance.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString overridePath;
int heldFd = -1;
QString heldPath;

QString lastError(const QString& path) {
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
} // namespace

namespace SingleInstance {
QString LockPath(const QString& appFolder) {
    if (!overridePath.isEmpty())
        return overridePath;
    return appFolder + QStringLiteral("/miles/odomark.lock");
}

Lock Acquire(const QString& appFolder, QString* errorText) {
    const QString path = LockPath(appFolder);
    if (heldFd >= 0 && heldPath == path)
        return Lock::Taken;
    Release();
    const QByteArray file = QFile::encodeName(path);
    // The holder removes the file as it ends: a lock taken on a file that has meanwhile been removed or
    // replaced locks nothing, so it is taken again on the file now at the path.
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Never follow a link or block in open (a named pipe in its place); a read-only folder still
        // allows locking a lock file that is there.
        int fd = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
        if (fd < 0 && (errno == EROFS || errno == EACCES))
            fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) {
            if (errorText)
                *errorText = lastError(path);
            return Lock::Unavailable;
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            if (errorText)
                *errorText = QStringLiteral("%1: not a regular file").arg(path);
            return Lock::Unavailable;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK)
                return Lock::HeldElsewhere;
            errno = error;
            if (errorText)
                *errorText = lastError(path);
            return Lock::Unavailable;
        }
        struct stat now {};
        if (::stat(file.constData(), &now) == 0 && sameFile(now, opened)) {
            heldFd = fd;
            heldPath = path;
            return Lock::Taken;
        }
        ::close(fd);
    }
    if (errorText)
        *errorText = QStringLiteral("%1: keeps changing").arg(path);
    return Lock::Unavailable;
}

void Release() {
    if (heldFd < 0)
        return;
    // Removed while still locked, so that no other copy can lock this file after it is gone from the path.
    ::unlink(QFile::encodeName(heldPath).constData());
    ::close(heldFd);
    heldFd = -1;
    heldPath.clear();
}

void setLockPathForTesting(const QString& path) {
    Release();
    overridePath = path;
}
} // namespace SingleInstance
