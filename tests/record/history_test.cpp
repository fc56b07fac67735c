#include "record/history.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "record/text.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "tests/support/recording_ui.h"

namespace {

namespace fs = std::filesystem;

class HistoryTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("narvo_history_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    savedFolder_ = g_szDataFolder;
    savedSize_ = g_nHistorySize;
    g_szDataFolder = PathFromNative(dir_.string() + "/");
    g_nHistorySize = 20;
  }
  void TearDown() override {
    g_szDataFolder = savedFolder_;
    g_nHistorySize = savedSize_;
    fs::remove_all(dir_);
  }
  static std::vector<std::u16string> Entries(const HistoryList& list) {
    return std::vector<std::u16string>(list.entries, list.entries + list.count);
  }
  void WriteFile(const HistoryList& list, const std::string& bytes) {
    ASSERT_TRUE(WriteFileBytes(HistoryFilePath(list), bytes));
  }
  std::string ReadFile(const HistoryList& list) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(HistoryFilePath(list), bytes));
    return bytes;
  }

  fs::path dir_;
  std::u16string savedFolder_;
  int savedSize_ = 20;
};

TEST_F(HistoryTest, AddMovesOrInserts) {
  HistoryList list(u"棋戦");
  EXPECT_EQ(AddHistoryItem(u"", list), 0);
  for (const char16_t* s : {u"a", u"b", u"c", u"d"}) EXPECT_EQ(AddHistoryItem(s, list), 2);
  EXPECT_EQ(AddHistoryItem(u"b", list), 1) << "the third entry moves to the front";
  EXPECT_EQ(Entries(list), (std::vector<std::u16string>{u"b", u"d", u"c", u"a"}));
  EXPECT_EQ(HistoryContains(list, u"c"), 1);
  EXPECT_EQ(HistoryContains(list, u"e"), 0);

  for (int i = 0; i < 30; ++i) {
    std::u16string item = u"n";
    item += IntToU16(i);
    AddHistoryItem(item, list);
  }
  EXPECT_EQ(list.count, 20);
  EXPECT_EQ(list.entries[0], u"n29");
  EXPECT_EQ(list.entries[19], u"n10") << "the oldest fell off";
  EXPECT_EQ(HistoryContains(list, u"a"), 0);

  // A long text is cut once and found again, not added twice.
  std::u16string longText(600, u'長');
  EXPECT_EQ(AddHistoryItem(longText, list), 2);
  EXPECT_EQ(list.entries[0].size(), 511u);
  EXPECT_EQ(AddHistoryItem(u"x", list), 2);
  EXPECT_EQ(AddHistoryItem(longText, list), 1);
  EXPECT_EQ(HistoryContains(list, longText), 1);
  EXPECT_EQ(list.entries[1], u"x");
  // Cut between whole pairs, so the entry saves and loads as it was.
  std::u16string pairs;
  for (int i = 0; i < 300; ++i) pairs += u"\U0002000B";
  EXPECT_EQ(AddHistoryItem(pairs, list), 2);
  EXPECT_EQ(list.entries[0], pairs.substr(0, 510));
  ASSERT_EQ(SaveHistory(list), 0);
  HistoryList loaded(u"棋戦");
  ASSERT_EQ(LoadHistory(loaded), 0);
  EXPECT_EQ(loaded.entries[0], list.entries[0]);
  EXPECT_EQ(AddHistoryItem(pairs, loaded), 1);

  g_nHistorySize = 3;
  HistoryList small(u"戦型");
  for (const char16_t* s : {u"a", u"b", u"c", u"d"}) AddHistoryItem(s, small);
  EXPECT_EQ(Entries(small), (std::vector<std::u16string>{u"d", u"c", u"b"}));
}

TEST_F(HistoryTest, FileFormatRoundTrip) {
  HistoryList list(u"対局者");
  for (const char16_t* s : {u"\uFEFFfirst", u"羽生; 森内", u"#1 seed", u"b"}) AddHistoryItem(s, list);
  ASSERT_EQ(SaveHistory(list), 0);
  EXPECT_EQ(HistoryFilePath(list), g_szDataFolder + u"対局者.his");
  EXPECT_EQ(ReadFile(list), "\xEF\xBB\xBF" "b\r\n##1 seed\r\n羽生; 森内\r\n\xEF\xBB\xBF" "first\r\n");

  // An entry beginning with # comes back, and so does one beginning with
  // U+FEFF, though it is the last line written: only the file's first bytes
  // are a byte-order mark.
  HistoryList loaded(u"対局者");
  ASSERT_EQ(LoadHistory(loaded), 0);
  EXPECT_EQ(Entries(loaded), Entries(list));
  AddHistoryItem(u"\uFEFFfirst", loaded);
  ASSERT_EQ(SaveHistory(loaded), 0);
  ASSERT_EQ(LoadHistory(loaded), 0);
  EXPECT_EQ(loaded.entries[0], u"\uFEFFfirst");
}

TEST_F(HistoryTest, LoadSkipsCommentsAndKeepsTheLimits) {
  HistoryList list(u"場所");
  std::string bytes = "# comment\n\n";
  for (int i = 0; i < 30; ++i) bytes += "line" + std::to_string(i) + (i % 2 ? "\r\n" : "\n");
  WriteFile(list, bytes);
  ASSERT_EQ(LoadHistory(list), 0);
  ASSERT_EQ(list.count, 20);
  EXPECT_EQ(list.entries[0], u"line0");
  EXPECT_EQ(list.entries[19], u"line19");

  g_nHistorySize = 5;
  ASSERT_EQ(LoadHistory(list), 0);
  EXPECT_EQ(list.count, 5);

  g_nHistorySize = 20;
  WriteFile(list, std::string(5000, 'x') + "\nnext\n");
  ASSERT_EQ(LoadHistory(list), 0);
  ASSERT_EQ(list.count, 2);
  EXPECT_EQ(list.entries[0], std::u16string(511, u'x'));
  EXPECT_EQ(list.entries[1], u"next") << "the rest of a long line is no entry of its own";
}

TEST_F(HistoryTest, MissingFilesAndAZeroSize) {
  HistoryList list(u"作者");
  AddHistoryItem(u"old", list);
  EXPECT_EQ(LoadHistory(list), -1);
  EXPECT_EQ(list.count, 0);

  AddHistoryItem(u"kept", list);
  g_nHistorySize = 0;
  EXPECT_EQ(SaveHistory(list), 0);
  EXPECT_FALSE(fs::exists(dir_ / "作者.his"));
  EXPECT_EQ(LoadHistory(list), 0);
  EXPECT_EQ(list.count, 0);

  g_nHistorySize = 20;
  g_szDataFolder = PathFromNative((dir_ / "no such folder/").string());
  AddHistoryItem(u"x", list);
  // Told once however often it fails; again after it was written once more.
  RecordingUi ui;
  EXPECT_EQ(SaveHistory(list), -1);
  EXPECT_EQ(SaveHistory(list), -1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"履歴ファイル(" + HistoryFilePath(list) + u")が保存できません。");
  fs::create_directories(dir_ / "no such folder");
  EXPECT_EQ(SaveHistory(list), 0);
  fs::remove_all(dir_ / "no such folder");
  EXPECT_EQ(SaveHistory(list), -1);
  EXPECT_EQ(ui.boxes.size(), 2u);
}

}  // namespace
