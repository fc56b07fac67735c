// Counting the running copies of the program: each copy holds the first free
// lock file "%s Instance%d" (product name, 1..32) in the user's runtime
// folder for its whole run. A lock left by a process that no longer runs is
// taken over.
#pragma once
#include <QString>
#include <memory>

class QLockFile;

constexpr int kMaxInstanceLocks = 32;

// Takes the first free lock in folder and returns this copy's number: the
// count of locks held by others before it, plus 1 (33 when all are held, and
// then no lock is taken). The lock stays held as long as `held` lives.
int AcquireInstanceLock(const QString& folder, const QString& product,
                        std::unique_ptr<QLockFile>& held);

// The user's runtime folder (XDG_RUNTIME_DIR, else Qt's fallback).
QString InstanceLockFolder();
