// The proposed name of an unnamed record: the codes of the template over
// headers, the name cleaning and the column cut.
#include "app/auto_file_name.h"

#include <gtest/gtest.h>

#include "app/file_commands.h"
#include "record/clock.h"
#include "record/datetime.h"
#include "record/header.h"
#include "record/record.h"
#include "settings/env.h"

namespace {

struct Case {
  const char16_t* pattern;
  const char16_t* first;
  const char16_t* second;
  const char16_t* start;
  const char16_t* expected;
};

TEST(AutoFileName, TemplatesOverHeaders) {
  const Case cases[] = {
      // The default: eight date digits, four columns of each cleaned first word.
      {u"%G%b4%w4", u"羽生善治 九段", u"名人 森内俊之", u"2024/01/06 10:00", u"20240106羽生森内"},
      {u"%G%b4%w4", u"九段羽生", u"竜王・渡辺明", u"2024/01/06", u"20240106羽生渡辺"},
      {u"%G", u"", u"", u"2024/01/??", u"202401"},
      {u"%G", u"", u"", u"2024/?" u"?/??", u"2024"},
      {u"%g", u"", u"", u"2024/01/06", u"240106"},
      {u"%G", u"", u"", u"24/01/06", u"20240106"},
      {u"%g", u"", u"", u"24/01/06", u"240106"},
      {u"%G-x", u"", u"", u"平成六年", u"-x"},
      // No digit keeps the whole first word; one digit cuts by columns.
      {u"%b", u"Habu Yoshiharu", u"", u"", u"Habu"},
      {u"%b2_%w3", u"abc", u"女流初段 里見香奈(奨励会)", u"", u"ab_里見"},
      {u"%B %W", u"羽生 善治", u"森内　俊之", u"", u"羽生善治 森内俊之"},
      {u"%b9", u"１級山田、三冠太郎", u"", u"", u"山田太郎"},
      // Unknown codes and a "%" at the end give nothing.
      {u"a%qb%", u"", u"", u"", u"ab"},
      // A name is never a path.
      {u"%B", u"A/B\tC", u"", u"", u"A_B_C"},
      {u"", u"羽生", u"森内", u"2024/01/06", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern, c.pattern + std::char_traits<char16_t>::length(c.pattern)));
    RecordHeader h;
    h.firstPlayer = c.first;
    h.secondPlayer = c.second;
    h.startTime = c.start;
    EXPECT_EQ(ExpandAutoFileName(c.pattern, h), std::u16string(c.expected));
  }
}

TEST(AutoFileName, EventOpeningProblemItemsAndToday) {
  RecordHeader h;
  h.event = u" 第1期 竜王戦(予選)";
  h.opening = u"矢倉 ";
  h.problemNumber = u"12";
  h.problemName = u"煙";
  h.author = u"伊藤看寿";
  h.magazine = u"誌/号";
  h.publishedDate = u"1755/06";
  h.award = u"賞";
  h.notes = u"注";
  EXPECT_EQ(ExpandAutoFileName(u"%i|%I|%s|%S", h), u"第1期|第1期竜王戦(予選)|矢倉|矢倉");
  EXPECT_EQ(ExpandAutoFileName(u"%/1%/2%/3%/4%/5%/a%/A%/0%/x%/", h), u"12煙伊藤看寿誌_号175506賞賞注");
  h.publishedDate = u"宝暦五年";
  EXPECT_EQ(ExpandAutoFileName(u"[%/5]", h), u"[]");

  SetClockForTesting([] { return int64_t(1704499200) + 3600 + 2 * 60 + 3; });  // 2024-01-06 01:02:03 UTC
  ResetEnvDefaults();
  g_szDefaultSaveName = u"%Y_%y_%t";
  InitRecordPool(g_Record, 10);
  std::u16string name = g_pBuildAutoFileName();
  EXPECT_EQ(name.substr(0, 9), u"20240106_");
  EXPECT_EQ(name.substr(9, 8), u"24Jan06_");
  EXPECT_EQ(name.size(), 23u);
  FreeRecordPool(g_Record);
  ResetEnvDefaults();
  SetClockForTesting(nullptr);
}

TEST(AutoFileName, NameOperations) {
  EXPECT_EQ(GradeWordValue(u"初段"), 1);
  EXPECT_EQ(GradeWordValue(u"九段"), 9);
  EXPECT_EQ(GradeWordValue(u"３級"), 3);
  EXPECT_EQ(GradeWordValue(u"０級"), 0);
  EXPECT_EQ(GradeWordValue(u"四冠"), 4);
  EXPECT_EQ(GradeWordValue(u"九"), 0);
  std::u16string t = u"ab漢字";
  TruncateToColumns(t, 3);  // the kanji passes the count: one column beyond
  EXPECT_EQ(t, u"ab漢");
  t = u"ab";
  TruncateToColumns(t, 4);
  EXPECT_EQ(t, u"ab");
  EXPECT_EQ(CopyFirstWord(u"　 佐藤（康光）"), u"佐藤");
}

}  // namespace
