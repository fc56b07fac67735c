#include "record/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
  // A device has nothing to keep and is written in place.
  EXPECT_TRUE(WriteFileAtomically(u"/dev/null", "x"));
  EXPECT_FALSE(WriteFileAtomically(u"/dev/full", "x"));
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"dangling", "folder", "made"}));
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
