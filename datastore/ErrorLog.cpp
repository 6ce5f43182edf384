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
    // An existing file (of any kind) is appended to; only an absent one gets the header.
    struct stat st {};
    const bool exists = ::lstat(path.c_str(), &st) == 0;
    const int fd = exists ? ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC)
                          : ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, ComposeLogEntry(entry, !exists, Now()));
    const bool closed = ::close(fd) == 0;
    return written && closed;
}

} // namespace wendlo
