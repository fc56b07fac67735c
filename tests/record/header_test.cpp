#include "record/header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "record/board.h"
#include "record/record.h"

namespace {

std::u16string Repeat(std::u16string_view s, int n) {
  std::u16string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(TimeLimit, ParsesMinutesAndHours) {
  struct Case {
    std::u16string text;
    int minutes;
  } cases[] = {
      {u"各10分", 10},        {u"1時間30分", 90},   {u"１時間", 60},
      {u"１時間30分", 90},    {u"１０時間", 600},   {u"各１時間３０分", 90},
      {u"2時間", 120},        {u"30秒", 30},        {u"なし", -1},
      {u"", -1},              {u"時間無制限", -1},  {u"各 5分", 5},
  };
  GameRecord& r = g_Record;
  for (const Case& c : cases) {
    r.header.timeLimit = c.text;
    EXPECT_EQ(ParseTimeLimitText(r), c.minutes) << testing::PrintToString(c.text);
  }
  r.header.timeLimit = u"99999999999999時間";
  EXPECT_GT(ParseTimeLimitText(r), 0) << "a long number does not overflow";
}

TEST(Header, ClearKeepsThePlayers) {
  RecordHeader& h = g_Record.header;
  h.firstPlayer = u"先手";
  h.secondShortName = u"後";
  for (const HeaderItemInfo& item : g_HeaderItems) h.*item.field = item.name;
  h.userItems[4] = u"相手";
  ClearRecordHeader(g_Record);
  for (const HeaderItemInfo& item : g_HeaderItems) EXPECT_EQ(h.*item.field, u"") << testing::PrintToString(std::u16string(item.name));
  EXPECT_EQ(h.userItems[4], u"");
  EXPECT_EQ(h.firstPlayer, u"先手");
  EXPECT_EQ(h.secondShortName, u"後");
  struct Cut {
    std::u16string text;
    std::u16string stored;
  } cuts[] = {
      {std::u16string(150, u'x'), std::u16string(101, u'x')},
      // A pair that would be split at the limit goes whole.
      {u"a" + Repeat(u"\U0002000B", 60), u"a" + Repeat(u"\U0002000B", 50)},
  };
  for (const Cut& c : cuts) {
    std::u16string item;
    SetHeaderText(item, c.text);
    EXPECT_EQ(item, c.stored);
  }
}

class BookmarkTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(InitRecordPool(g_Record, 2000), 0);
    SetInitialBoard(g_StartBoard);
    SetInitialBoard(g_Board);
    // A line of moves to hang bookmarks on (the board need not follow).
    for (int i = 0; i < 1100; ++i)
      ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, 28 | 38 << 8, 0), 0);
    g_Record.moveNumber = 1100;
    g_Record.changeCount = 0;
  }
  std::vector<std::u16string> Names() const {
    std::vector<std::u16string> v;
    for (int i = 0; i < g_Record.bookmarkCount; ++i) v.push_back(g_Record.bookmarks[i].name);
    return v;
  }
};

TEST_F(BookmarkTest, NamesAreUniqueAndOnePerNode) {
  EXPECT_EQ(SetBookmark(g_Record, 1, u"序盤"), 0);
  EXPECT_EQ(g_Record.changeCount, 1);
  EXPECT_EQ(SetBookmark(g_Record, 2, u"中盤"), 0);
  EXPECT_EQ(SetBookmark(g_Record, 2, u"中盤"), 0) << "renaming to its own name";
  EXPECT_EQ(SetBookmark(g_Record, 3, u"序盤"), -2);
  EXPECT_EQ(GetBookmarkName(3), nullptr);
  EXPECT_EQ(SetBookmark(g_Record, 1, u"開始"), 0);
  EXPECT_EQ(Names(), (std::vector<std::u16string>{u"開始", u"中盤"}));
  EXPECT_EQ(FindBookmarkByName(u"中盤"), 2);
  EXPECT_EQ(FindBookmarkByName(u"序盤"), -1);
  EXPECT_EQ(std::u16string(GetBookmarkName(1)), u"開始");
  EXPECT_EQ(std::u16string(GetBookmarkAtMove(g_Record, 2)), u"中盤");
  EXPECT_EQ(GetBookmarkAtMove(g_Record, 3), nullptr);

  // Names are cut to 255 units; empty names and missing nodes are refused.
  EXPECT_EQ(SetBookmark(g_Record, 4, std::u16string(300, u'長')), 0);
  EXPECT_EQ(std::u16string(GetBookmarkName(4)).size(), 255u);
  EXPECT_EQ(SetBookmark(g_Record, 6, Repeat(u"\U0002000B", 150)), 0);
  EXPECT_EQ(std::u16string(GetBookmarkName(6)), Repeat(u"\U0002000B", 127))
      << "no half pair at the end";
  EXPECT_EQ(SetBookmark(g_Record, 5, u""), -3);
  EXPECT_EQ(SetBookmark(g_Record, 1, u""), -3);
  EXPECT_EQ(std::u16string(GetBookmarkName(1)), u"開始");
  EXPECT_EQ(SetBookmark(g_Record, 1500, u"空き"), -4) << "a free node";
  EXPECT_EQ(SetBookmark(g_Record, 5000, u"外"), -4);
  EXPECT_EQ(SetBookmark(g_Record, 0, u"開始局面"), 0) << "the root may carry one";
}

TEST_F(BookmarkTest, FullListStillRenames) {
  for (int i = 0; i < kMaxBookmarks; ++i)
    ASSERT_EQ(SetBookmark(g_Record, i + 1, std::u16string(u"b") + char16_t(0x4E00 + i)), 0);
  EXPECT_EQ(SetBookmark(g_Record, 1050, u"もう一つ"), -1);
  EXPECT_EQ(g_Record.bookmarkCount, kMaxBookmarks);
  EXPECT_EQ(SetBookmark(g_Record, 7, u"改名"), 0);
  EXPECT_EQ(std::u16string(GetBookmarkName(7)), u"改名");
}

TEST_F(BookmarkTest, DeletionsCloseTheGapAndBackupRestores) {
  for (int i = 1; i <= 4; ++i) SetBookmark(g_Record, i, u"b" + std::u16string(1, char16_t(u'0' + i)));
  CopyBookmarksToBackup(g_Record);
  g_Record.changeCount = 0;
  EXPECT_EQ(DeleteBookmarkAt(0), 0);
  EXPECT_EQ(Names(), (std::vector<std::u16string>{u"b2", u"b3", u"b4"}));
  EXPECT_EQ(g_Record.changeCount, 1);
  EXPECT_EQ(DeleteBookmarkOfNode(3), 0);
  EXPECT_EQ(DeleteBookmarkByName(u"b4"), 0);
  EXPECT_EQ(Names(), (std::vector<std::u16string>{u"b2"}));
  EXPECT_EQ(DeleteBookmarkAt(1), -1);
  EXPECT_EQ(DeleteBookmarkAt(-1), -1);
  EXPECT_EQ(DeleteBookmarkOfNode(3), -1);
  EXPECT_EQ(DeleteBookmarkByName(u"b4"), -1);
  CopyBookmarksFromBackup(g_Record);
  EXPECT_EQ(Names(), (std::vector<std::u16string>{u"b1", u"b2", u"b3", u"b4"}));
  EXPECT_EQ(FindBookmarkByName(u"b3"), 3);
}

}  // namespace
