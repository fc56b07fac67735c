#include "record/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>

#include "record/board.h"
#include "record/csa.h"
#include "record/history.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/record_writer.h"
#include "record/text.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "tests/support/file_faults.h"
#include "tests/support/recording_ui.h"

namespace {

class SaveTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetEnvDefaults();
    InitSquareTables();
    InstallMoveNotation();
    ASSERT_EQ(InitRecordPool(g_Record, 2000), 0);
    ASSERT_EQ(ReadRecordFile(false, PathFromNative(std::string(NARVO_TEST_DATA) + "/records/variations.zrf")), 0);
    savedData_ = g_szDataFolder;
    g_szDataFolder = PathFromNative(dir_.Path());
    g_nHistorySize = 20;
    for (int i = 0; i < 10; ++i) AddHistoryItem(u"棋戦の名前がとても長い大会 第" + IntToU16(i) + u"回", g_hisEvent);
  }
  void TearDown() override {
    g_szDataFolder = savedData_;
    g_hisEvent.count = 0;
    ResetEnvDefaults();
  }

  ScratchFolder dir_{"save"};
  RecordingUi ui_;
  std::u16string savedData_;
};

struct Writer {
  const char* name;
  std::function<bool(const std::u16string&)> save;  // true when it reports success
};

const Writer kWriters[] = {
    {"zrf", [](const std::u16string& p) { return WriteZrfRecord(true, p) == 0; }},
    {"zr2", [](const std::u16string& p) { return WriteZr2File(false, p) == 0; }},
    {"csa", [](const std::u16string& p) { return WriteCsaFile(p) == 0; }},
    {"settings", [](const std::u16string& p) { return WriteEnvFile(p) == 0; }},
    {"bytes", [](const std::u16string& p) { return WriteFileBytes(p, std::string(5000, 'b')); }},
};

TEST_F(SaveTest, AWriteThatFailsPartWayLeavesTheOldFileWhole) {
  const std::string old = "the user's file, which must survive\r\n" + std::string(3000, 'o');
  for (const Writer& w : kWriters) {
    SCOPED_TRACE(w.name);
    const std::string path = dir_.Path(std::string("game.") + w.name);
    PutRawFile(path, old);
    bool saved;
    {
      FileSizeLimit full(100);
      saved = w.save(PathFromNative(path));
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(RawFileBytes(path), old);
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{std::string("game.") + w.name});
    std::remove(path.c_str());
  }
  // The history file goes the same way.
  const std::string his = PathToNative(HistoryFilePath(g_hisEvent));
  PutRawFile(his, old);
  {
    FileSizeLimit full(100);
    EXPECT_EQ(SaveHistory(g_hisEvent), -1);
  }
  EXPECT_EQ(RawFileBytes(his), old);
  EXPECT_EQ(dir_.Names().size(), 1u);
}

TEST_F(SaveTest, ASaveKeepsTheModeWritesThroughLinksAndLeavesNoTemporaryFile) {
  for (const Writer& w : kWriters) {
    SCOPED_TRACE(w.name);
    const std::string path = dir_.Path("kept"), link = dir_.Path("link");
    PutRawFile(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(symlink("kept", link.c_str()), 0);  // relative to the link's folder
    ASSERT_TRUE(w.save(PathFromNative(link)));
    struct stat st, lst;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    ASSERT_EQ(lstat(link.c_str(), &lst), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(S_ISLNK(lst.st_mode));
    EXPECT_NE(RawFileBytes(path), "old");
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"kept", "link"}));
    std::remove(path.c_str());
    std::remove(link.c_str());

    // A new file gets what the umask allows, as a plain create would.
    const mode_t mask = umask(022);
    ASSERT_TRUE(w.save(PathFromNative(path)));
    umask(mask);
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    std::remove(path.c_str());
  }
}

TEST_F(SaveTest, WhatCannotBeCreatedIsRefusedAndADanglingLinkGetsItsFile) {
  // A missing folder, a folder as the target.
  EXPECT_FALSE(WriteFileAtomically(PathFromNative(dir_.Path("missing/x.zrf")), "x"));
  mkdir(dir_.Path("folder").c_str(), 0755);
  EXPECT_FALSE(WriteFileAtomically(PathFromNative(dir_.Path("folder")), "x"));
  // A link to a file not yet there: the file is made, the link stays.
  ASSERT_EQ(symlink(dir_.Path("made").c_str(), dir_.Path("dangling").c_str()), 0);
  ASSERT_TRUE(WriteFileAtomically(PathFromNative(dir_.Path("dangling")), "new"));
  EXPECT_EQ(RawFileBytes(dir_.Path("made")), "new");
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"dangling", "folder", "made"}));
}

// Every writer refuses a target that is no regular file at once (opening a
// pipe for writing would wait for a reader for ever), and follows a link in
// a shared sticky folder only when the link is the user's own.
TEST_F(SaveTest, TargetsThatAreNoFilesOrForeignLinksAreRefusedAtOnce) {
  const std::string fifo = dir_.Path("pipe.zrf");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string sticky = dir_.Path("shared");
  ASSERT_EQ(mkdir(sticky.c_str(), 0777), 0);
  ASSERT_EQ(chmod(sticky.c_str(), 01777), 0);
  const std::string victim = dir_.Path("victim"), mine = dir_.Path("mine");
  PutRawFile(victim, "someone's file");
  PutRawFile(mine, "my file");
  ASSERT_EQ(symlink(victim.c_str(), (sticky + "/planted.zrf").c_str()), 0);
  ASSERT_EQ(symlink(mine.c_str(), (sticky + "/own.zrf").c_str()), 0);
  // Planted by someone else: only root can give a link away.
  const bool foreignLink = geteuid() == 0 && lchown((sticky + "/planted.zrf").c_str(), 65534, 65534) == 0;
  struct Target {
    std::string path;
    bool saved;
  } targets[] = {{fifo, false}, {"/dev/null", false}, {dir_.Path("folder"), false},
                 {sticky + "/own.zrf", true}, {sticky + "/planted.zrf", !foreignLink}};
  mkdir(dir_.Path("folder").c_str(), 0755);
  for (const Writer& w : kWriters) {
    for (const Target& t : targets) {
      SCOPED_TRACE(std::string(w.name) + " " + t.path);
      const auto start = std::chrono::steady_clock::now();
      EXPECT_EQ(w.save(PathFromNative(t.path)), t.saved);
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    }
    if (foreignLink) EXPECT_EQ(RawFileBytes(victim), "someone's file");
    EXPECT_NE(RawFileBytes(mine), "my file");
    PutRawFile(mine, "my file");
  }
  if (!foreignLink) GTEST_SKIP() << "a link of another user needs root to be made";
}

TEST_F(SaveTest, TheTemporaryFileIsHiddenAndTheNextSaveRemovesLeftovers) {
  const std::string path = dir_.Path("game.zrf");
  PutRawFile(path, "old");
  // What a save killed half-way leaves, and one that another save still writes.
  PutRawFile(dir_.Path(".game.zrf.a1B2c3.tmp"), "half");
  PutRawFile(dir_.Path(".game.zrf.busy00.tmp"), "being written");
  PutRawFile(dir_.Path(".other.zrf.a1B2c3.tmp"), "another file's");
  int busy = open(dir_.Path(".game.zrf.busy00.tmp").c_str(), O_RDONLY);
  ASSERT_GE(busy, 0);
  ASSERT_EQ(flock(busy, LOCK_EX), 0);
  {
    AtomicFile file;
    ASSERT_TRUE(file.Open(PathFromNative(path)));
    ASSERT_TRUE(file.Write("new"));
    std::vector<std::string> names = dir_.Names();
    ASSERT_EQ(names.size(), 5u);
    std::erase_if(names, [](const std::string& n) {
      return n == "game.zrf" || n == ".game.zrf.a1B2c3.tmp" || n == ".game.zrf.busy00.tmp" ||
             n == ".other.zrf.a1B2c3.tmp";
    });
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(names[0].starts_with(".game.zrf.") && names[0].ends_with(".tmp")) << names[0];
    ASSERT_TRUE(file.Commit());
  }
  close(busy);
  EXPECT_EQ(RawFileBytes(path), "new");
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{".game.zrf.busy00.tmp", ".other.zrf.a1B2c3.tmp", "game.zrf"}));
}

// Another save's clean-up may reach a fresh temporary file before it is
// locked: it holds the lock, or has already removed the file. The save then
// takes another name and still succeeds, whole.
TEST_F(SaveTest, ATemporaryFileTakenByAnotherCleanUpIsLeftToIt) {
  static int held = -1;
  static int calls = 0;
  struct Case {
    const char* name;
    void (*cleanUp)(const std::string& temp);
  } cases[] = {
      {"locked by it", [](const std::string& temp) {
         if (calls++ > 0) return;
         held = open(temp.c_str(), O_RDONLY);
         flock(held, LOCK_EX);
       }},
      {"removed by it", [](const std::string& temp) {
         if (calls++ == 0) unlink(temp.c_str());
       }},
  };
  const std::string path = dir_.Path("game.zrf");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PutRawFile(path, "old");
    calls = 0;
    g_pAtomicTempMade = c.cleanUp;
    const bool saved = WriteFileAtomically(PathFromNative(path), "new");
    g_pAtomicTempMade = nullptr;
    EXPECT_TRUE(saved);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(RawFileBytes(path), "new");
    if (held >= 0) {
      // What the other clean-up took is its own to remove.
      std::vector<std::string> names = dir_.Names();
      EXPECT_EQ(names.size(), 2u);
      close(held);
      held = -1;
      for (const std::string& n : names)
        if (n != "game.zrf") unlink(dir_.Path(n).c_str());
    }
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"game.zrf"});
  }
}

// Some file systems keep no locks: an NFS mount without its lock service, a
// FUSE mount. A save there goes ahead without one, leaving nothing behind.
TEST_F(SaveTest, AFileSystemWithoutLocksIsSavedTo) {
  static int answer = 0;
  const std::string path = dir_.Path("game.zrf");
  for (int e : {ENOLCK, ENOSYS, EINVAL}) {
    SCOPED_TRACE(strerror(e));
    PutRawFile(path, "old");
    answer = e;
    g_pAtomicFlock = [](int, int) {
      errno = answer;
      return -1;
    };
    const bool saved = WriteFileAtomically(PathFromNative(path), "new");
    g_pAtomicFlock = ::flock;
    EXPECT_TRUE(saved);
    EXPECT_EQ(RawFileBytes(path), "new");
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"game.zrf"});
  }
}

TEST_F(SaveTest, AnUnfinishedFileIsDiscarded) {
  const std::string path = dir_.Path("game.zrf");
  PutRawFile(path, "old");
  {
    AtomicFile file;
    ASSERT_TRUE(file.Open(PathFromNative(path)));
    ASSERT_TRUE(file.Write(std::string(200000, 'n')));  // past the buffer
  }
  EXPECT_EQ(RawFileBytes(path), "old");
  EXPECT_EQ(dir_.Names(), std::vector<std::string>{"game.zrf"});
}

}  // namespace
