#include "platform/SafeFile.h"

#include <QFile>

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool regularWithin(const struct stat& st, qint64 maxBytes) {
    return S_ISREG(st.st_mode) && st.st_size >= 0 && st.st_size <= maxBytes;
}

// A descriptor of path opened for reading when it is a regular file of at most maxBytes, or -1.
int openRegular(const QString& path, qint64 maxBytes, struct stat& st) {
    if (path.isEmpty() || maxBytes < 0)
        return -1;
    const QByteArray name = QFile::encodeName(path);
    // Looking first keeps devices and pipes from being opened at all; the check on the open descriptor
    // below is the one that counts, since the name may be replaced in between.
    if (::stat(name.constData(), &st) != 0 || !regularWithin(st, maxBytes))
        return -1;
    // O_NONBLOCK: a pipe swapped in after the look must not hold the open (or the program) for ever.
    Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !regularWithin(st, maxBytes))
        return -1;
    return fd.release();
}
} // namespace

bool OpenRegularFile(const QString& path, qint64 maxBytes, QFile& file) {
    struct stat st {};
    Descriptor fd(openRegular(path, maxBytes, st));
    if (fd.get() < 0 || !file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return false;
    fd.release();
    return true;
}

bool ReadRegularFile(const QString& path, qint64 maxBytes, QByteArray& data) {
    data.clear();
    struct stat st {};
    const Descriptor fd(openRegular(path, maxBytes, st));
    if (fd.get() < 0)
        return false;

    // The size can change while we read: count what arrives and stop one byte past the limit.
    QByteArray buffer(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        if (total == buffer.size()) {
            if (total > maxBytes)
                return false;
            buffer.resize(qsizetype(std::min<qint64>(maxBytes + 1, std::max<qint64>(total * 2, 4096))));
        }
        const ssize_t n = ::read(fd.get(), buffer.data() + total, size_t(buffer.size() - total));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        total += n;
    }
    if (total > maxBytes)
        return false;
    buffer.truncate(qsizetype(total));
    data = std::move(buffer);
    return true;
}
