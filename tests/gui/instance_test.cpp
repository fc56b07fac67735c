// Copy numbers: several processes holding their locks at once, a copy that
// ends normally freeing its number, and the lock of a killed copy taken over.
#include <gtest/gtest.h>

#include <QLockFile>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/instance.h"
#include "tests/support/qt_test_app.h"

namespace {

// Write ends of the hold pipes of the children started so far: every later
// child closes its copies, so that each child ends when its own pipe closes.
std::vector<int> g_releaseEnds;

// A child process that takes a copy number and holds it until told to go.
struct Copy {
  pid_t pid = -1;
  int number = 0;
  int release = -1;  // closing it lets the child end normally

  static Copy Start(const QString& folder) {
    int result[2], hold[2];
    if (pipe(result) != 0 || pipe(hold) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
      close(result[0]);
      close(hold[1]);
      for (int fd : g_releaseEnds) close(fd);
      std::unique_ptr<QLockFile> lock;
      int n = AcquireInstanceLock(folder, "Test", lock);
      if (write(result[1], &n, sizeof n) != sizeof n) _exit(2);
      char c;
      while (read(hold[0], &c, 1) > 0) {
      }
      lock.reset();  // an orderly end frees the number
      _exit(0);
    }
    close(result[1]);
    close(hold[0]);
    Copy copy;
    copy.pid = pid;
    copy.release = hold[1];
    g_releaseEnds.push_back(hold[1]);
    if (read(result[0], &copy.number, sizeof copy.number) != sizeof copy.number) copy.number = -1;
    close(result[0]);
    return copy;
  }
  void Forget() { std::erase(g_releaseEnds, release); }
  void End() {
    Forget();
    close(release);
    waitpid(pid, nullptr, 0);
  }
  void Kill() {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);  // reaped: the process is gone, its lock file stays
    Forget();
    close(release);
  }
};

TEST(Instance, CopiesNumberThemselvesAndFreedNumbersComeBack) {
  PrivateHome home;
  QTemporaryDir dir;
  Copy a = Copy::Start(dir.path());
  Copy b = Copy::Start(dir.path());
  Copy c = Copy::Start(dir.path());
  EXPECT_EQ(a.number, 1);
  EXPECT_EQ(b.number, 2);
  EXPECT_EQ(c.number, 3);

  b.End();  // the first free name is taken again
  Copy d = Copy::Start(dir.path());
  EXPECT_EQ(d.number, 2);

  a.Kill();  // a dead copy's lock is stale
  EXPECT_TRUE(QFile::exists(dir.path() + "/Test Instance1"));
  Copy e = Copy::Start(dir.path());
  EXPECT_EQ(e.number, 1);

  // This process counts the copies alive around it.
  std::unique_ptr<QLockFile> mine;
  EXPECT_EQ(AcquireInstanceLock(dir.path(), "Test", mine), 4);
  EXPECT_TRUE(mine && mine->isLocked());
  c.End();
  d.End();
  e.End();
}

TEST(Instance, AllNamesTakenGivesThirtyThreeWithoutALock) {
  PrivateHome home;
  QTemporaryDir dir;
  std::vector<std::unique_ptr<QLockFile>> held(kMaxInstanceLocks);
  for (int i = 0; i < kMaxInstanceLocks; ++i)
    ASSERT_EQ(AcquireInstanceLock(dir.path(), "Test", held[i]), i + 1);
  // Held by this same process, so none of them is stale.
  std::unique_ptr<QLockFile> extra;
  EXPECT_EQ(AcquireInstanceLock(dir.path(), "Test", extra), kMaxInstanceLocks + 1);
  EXPECT_EQ(extra, nullptr);
}

}  // namespace
