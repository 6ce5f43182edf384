#include "ErrorLog.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wendlo {

namespace {
bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}
} // namespace

bool WriteLogEntry(const std::string& folder, const LogEntry& entry) {
    const std::string path = folder + "/error.log";
    // An existing file (of any kind) is appended to; an absent or empty one gets the header.
    struct stat st {};
    const bool exists = ::lstat(path.c_str(), &st) == 0;
    // Never blocks: a named pipe without a reader is a log that cannot be written.
    const int fd = exists ? ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK)
                          : ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat opened {};
    const off_t before = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) ? opened.st_size : 0;
    const bool newFile = !exists || (S_ISREG(opened.st_mode) && before == 0);
    // The whole entry in one write; when it does not all reach the disk (disk full, size limit), the file is
    // cut back to what it was, so the log only ever holds whole entries.
    const bool written = writeAll(fd, ComposeLogEntry(entry, newFile, Now()));
    if (!written && exists && S_ISREG(opened.st_mode))
        while (::ftruncate(fd, before) != 0 && errno == EINTR) {
        }
    const bool closed = ::close(fd) == 0;
    if (!written && !exists)
        ::unlink(path.c_str()); // the file this failed entry created
    return written && closed;
}

} // namespace wendlo
