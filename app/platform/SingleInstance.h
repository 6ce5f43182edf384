#pragma once
// One running copy of the program per user and computer.

#include <QString>

namespace SingleInstance {
// Takes the program's lock for the rest of the run. Returns false when another copy holds it.
// A lock left behind by a copy that crashed is recognised as stale and taken over.
bool Acquire();
// Gives the lock back (the program does so as it ends).
void Release();
// The lock file: in the user's runtime folder, or a per-user name in the temporary folder.
QString LockPath();
// Tests and benchmarks run side by side, each with its own lock; empty text restores the default.
void setLockPathForTesting(const QString& path);
} // namespace SingleInstance
