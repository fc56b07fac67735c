#include "app/instance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

int AcquireInstanceLock(const QString& folder, const QString& product,
                        std::unique_ptr<QLockFile>& held) {
  held.reset();
  QDir().mkpath(folder);
  int number = 1;
  for (int i = 1; i <= kMaxInstanceLocks; ++i) {
    auto lock = std::make_unique<QLockFile>(
        QDir(folder).filePath(QStringLiteral("%1 Instance%2").arg(product).arg(i)));
    // Held for the whole run: never stale by age, only when its process is gone.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
      held = std::move(lock);
      return number;
    }
    if (lock->error() != QLockFile::LockFailedError)
      return number;  // the folder cannot hold locks: run uncounted
    ++number;
  }
  return number;
}

QString InstanceLockFolder() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return dir.isEmpty() ? QDir::tempPath() : dir;
}
