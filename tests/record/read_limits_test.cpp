// Every reader of outside bytes refuses what no real file is, without
// hanging, filling the memory or ending the program.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "record/board.h"
#include "record/csa.h"
#include "record/history.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "tests/support/file_faults.h"
#include "tests/support/recording_ui.h"

namespace {

TEST(ReadLimits, HostileFilesAreRefusedByEveryReader) {
  ResetEnvDefaults();
  InitSquareTables();
  InstallMoveNotation();
  ASSERT_EQ(InitRecordPool(g_Record, 2000), 0);
  ScratchFolder dir("read_limits");
  const std::u16string savedData = g_szDataFolder;
  g_szDataFolder = PathFromNative(dir.Path());
  g_nHistorySize = 20;
  RecordingUi ui;
  for (const HostileInput& in : HostileInputs(dir)) {
    SCOPED_TRACE(in.name);
    const std::u16string path = PathFromNative(in.path);
    std::string bytes = "left over";
    EXPECT_FALSE(ReadFileBytes(path, bytes));
    EXPECT_TRUE(bytes.empty());
    TextLineReader lines;
    EXPECT_FALSE(lines.Open(path, TextEncoding::Utf8));
    EXPECT_EQ(ReadRecordFile(true, path), -1);
    EXPECT_EQ(ReadCsaFile(path), -1);
    EXPECT_EQ(ReadEnvFile(path), -1);
    // The history file is found by its name: a link leads it to the input.
    HistoryList list(u"hostile");
    std::remove(PathToNative(HistoryFilePath(list)).c_str());
    ASSERT_EQ(symlink(in.path.c_str(), PathToNative(HistoryFilePath(list)).c_str()), 0);
    EXPECT_EQ(LoadHistory(list), -1);
    EXPECT_EQ(list.count, 0);
  }
  g_szDataFolder = savedData;
  ResetEnvDefaults();
}

TEST(ReadLimits, AFileUpToTheLimitIsReadAndOneByteMoreIsNot) {
  ScratchFolder dir("read_limit_edge");
  const std::string path = dir.Path("big.zrf");
  int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(ftruncate(fd, off_t(kMaxReadFileSize)), 0);
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(PathFromNative(path), bytes));
  EXPECT_EQ(bytes.size(), kMaxReadFileSize);
  ASSERT_EQ(ftruncate(fd, off_t(kMaxReadFileSize) + 1), 0);
  close(fd);
  EXPECT_FALSE(ReadFileBytes(PathFromNative(path), bytes));
}

}  // namespace
