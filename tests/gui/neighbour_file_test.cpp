// Stepping through the records of a folder: the order, the files left out,
// names equal but for case, the ends, an unnamed record and the save question.
#include "app/neighbour_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <sys/stat.h>

#include <chrono>

#include "app/file_commands.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "record/board.h"
#include "record/record.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"

namespace {

const std::u16string kData = PathFromNative(NARVO_TEST_DATA);

class NeighbourFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEnvDefaults();
    g_AppMode = kModeView;
    InitRecordPool(g_Record, 2000);
    SetInitialBoard(g_Board);
    g_StartBoard = g_Board;
    g_szRecordFilePath.clear();
    g_szRecordFileName.clear();
    dir = (home.Path() + "/records").toStdU16String();
    QDir().mkpath(QString::fromStdU16String(dir));
    ReadFileBytes(kData + u"/records/even.zrf", bytes);
  }
  void TearDown() override {
    FreeRecordPool(g_Record);
    ResetEnvDefaults();
  }
  void Make(const std::u16string& name) { ASSERT_TRUE(WriteFileBytes(dir + u"/" + name, bytes)); }

  PrivateHome home;
  std::u16string dir;
  std::string bytes;
  CNarvoDoc doc;
  RecordingUi ui;
};

TEST_F(NeighbourFileTest, WalksTheFolderBothWays) {
  for (const char16_t* name : {u"B.zrf", u"a.zrf", u"c.ZRF", u"A.zrf", u"漢.zrf", u"か.zrf",
                               u"d.dovu", u"noext", u"b.zr2"})
    Make(name);
  QDir().mkpath(QString::fromStdU16String(dir + u"/x.zrf"));
  // ASCII case does not count, then code units decide; kana before kanji.
  const std::vector<std::u16string> order = {u"A.zrf", u"a.zrf", u"B.zrf", u"c.ZRF", u"か.zrf",
                                             u"漢.zrf"};
  ASSERT_EQ(OpenRecordFile(nullptr, dir + u"/" + order[0]), 0);
  for (size_t i = 1; i < order.size(); ++i) {
    EXPECT_EQ(OpenNextFile(nullptr), 0);
    EXPECT_EQ(g_szRecordFilePath, dir + u"/" + order[i]);  // opened as it is named
  }
  EXPECT_EQ(ui.warnings, 0);
  EXPECT_EQ(OpenNextFile(nullptr), 0);
  EXPECT_EQ(ui.warnings, 1);
  EXPECT_EQ(g_szRecordFileName, order.back());
  for (size_t i = order.size() - 1; i-- > 0;) {
    OpenPrevFile(nullptr);
    EXPECT_EQ(g_szRecordFileName, order[i]);
  }
  OpenPrevFile(nullptr);
  EXPECT_EQ(ui.warnings, 2);
  EXPECT_EQ(g_szRecordFileName, order[0]);
  EXPECT_TRUE(ui.boxes.empty());

  // Another extension walks its own files only.
  ASSERT_EQ(OpenRecordFile(nullptr, dir + u"/d.dovu"), 0);
  OpenNextFile(nullptr);
  OpenPrevFile(nullptr);
  EXPECT_EQ(ui.warnings, 4);
}

TEST_F(NeighbourFileTest, APipeBesideTheFileIsPassedOverAtOnce) {
  Make(u"a.zrf");
  Make(u"c.zrf");
  ASSERT_EQ(mkfifo(PathToNative(dir + u"/b.zrf").c_str(), 0600), 0);
  ASSERT_EQ(OpenRecordFile(nullptr, dir + u"/a.zrf"), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(OpenNextFile(nullptr), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(g_szRecordFileName, u"c.zrf");
  EXPECT_EQ(OpenPrevFile(nullptr), 0);
  EXPECT_EQ(g_szRecordFileName, u"a.zrf");
}

TEST_F(NeighbourFileTest, UnnamedRecordAndTheSaveQuestion) {
  Make(u"a.zrf");
  Make(u"b.zrf");
  EXPECT_EQ(OpenNextFile(nullptr), 0);
  EXPECT_EQ(ui.warnings, 1);

  ASSERT_EQ(OpenRecordFile(nullptr, dir + u"/a.zrf"), 0);
  g_Record.changeCount = 1;
  ui.answers = {kIdCancel};
  EXPECT_EQ(OpenNextFile(nullptr), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, u"棋譜保存");
  EXPECT_EQ(g_szRecordFileName, u"a.zrf");
  EXPECT_EQ(g_Record.changeCount, 1);

  ui.answers = {kIdNo};
  OpenNextFile(nullptr);
  EXPECT_EQ(g_szRecordFileName, u"b.zrf");
  EXPECT_EQ(ui.warnings, 1);
}

TEST_F(NeighbourFileTest, AFolderThatCannotBeReadFindsNothing) {
  g_szRecordFilePath = dir + u"/gone/a.zrf";
  std::u16string path;
  EXPECT_EQ(FindNeighbourFile(0, path), -1);
  g_szRecordFilePath = dir + u"/noextension";
  EXPECT_EQ(FindNeighbourFile(0, path), 0);
}

}  // namespace
