#include "platform/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <memory>

#include <unistd.h>

namespace {
QString overridePath;
std::unique_ptr<QLockFile> heldLock;
} // namespace

namespace SingleInstance {
QString LockPath() {
    if (!overridePath.isEmpty())
        return overridePath;
    // The runtime folder is private to the user and local to the computer; without one, the
    // temporary folder with the user's number in the name serves the same purpose.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return runtime + QStringLiteral("/odomark.lock");
    return QDir::tempPath() + QStringLiteral("/odomark-%1.lock").arg(static_cast<qulonglong>(::getuid()));
}

bool Acquire() {
    if (heldLock)
        return true;
    auto lock = std::make_unique<QLockFile>(LockPath());
    // Age alone never makes a lock stale: a copy may run for days. QLockFile still takes over a lock
    // whose process is gone, which is what a crash leaves behind.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    heldLock = std::move(lock);
    return true;
}

void Release() {
    heldLock.reset();
}

void setLockPathForTesting(const QString& path) {
    Release();
    overridePath = path;
}
} // namespace SingleInstance
