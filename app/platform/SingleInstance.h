#pragma once
// One running copy of the program per application folder, so per database.

#include <QString>

namespace SingleInstance {
enum class Lock {
    Taken,         // this copy holds the lock for the rest of its run
    HeldElsewhere, // another live process holds it
    Unavailable,   // no lock can be made here (no folder, no rights, not a file); says nothing of other copies
};
// Takes the lock of the application folder appFolder. The kernel holds it for this process and drops it
// when the process ends in any way, so nothing a crash leaves behind, and no file's content, can block.
// The reason for Unavailable goes to errorText when given.
Lock Acquire(const QString& appFolder, QString* errorText = nullptr);
// Gives the lock back (the program does so as it ends).
void Release();
// The lock file: beside the database, so every copy that would open the same miles/miles.mil finds it,
// whatever its environment.
QString LockPath(const QString& appFolder);
// Benchmarks run side by side, each with its own lock; empty text restores the default.
void setLockPathForTesting(const QString& path);
} // namespace SingleInstance
