#include "record/datetime.h"

#include <gtest/gtest.h>

#include <string>

#include "record/clock.h"

namespace {

class DateTimeTest : public ::testing::Test {
protected:
  void At(int64_t seconds) {
    SetClockForTesting([seconds] { return seconds; });
  }
  void TearDown() override { SetClockForTesting(nullptr); }
};

TEST_F(DateTimeTest, TextsAtAFixedClock) {
  struct Case {
    int64_t seconds;
    std::u16string today, plain, stem, time, compactDate, compactTime;
    int year;
  } cases[] = {
      {1704546309, u"2024/01/06(土)", u"2024/01/06", u"24Jan06", u"13:05:09", u"20240106",
       u"130509", 2024},
      // Past 2038 the weekday and the time stay real.
      {2214777598, u"2040/03/07(水)", u"2040/03/07", u"40Mar07", u"23:59:58", u"20400307",
       u"235958", 2040},
      {4102358400, u"2099/12/31(木)", u"2099/12/31", u"99Dec31", u"00:00:00", u"20991231",
       u"000000", 2099},
  };
  for (const Case& c : cases) {
    At(c.seconds);
    EXPECT_EQ(FormatToday(), c.today);
    EXPECT_EQ(g_szToday, c.today);
    EXPECT_EQ(g_szDateStem, c.stem);
    EXPECT_EQ(FormatToday(true), c.plain);
    EXPECT_EQ(FormatNowTime(), c.time);
    EXPECT_EQ(g_szNowTime, c.time);
    EXPECT_EQ(FormatTodayCompact(), c.compactDate);
    EXPECT_EQ(FormatNowTimeCompact(), c.compactTime);
    EXPECT_EQ(GetCurrentYear(), c.year);
  }
}

TEST_F(DateTimeTest, CheckDateText) {
  At(1704546309);  // 2024/01/06
  struct Case {
    std::u16string text;
    int result;
  } cases[] = {
      {u"2099/1/1", 1},    {u"1/2/95", 0},       {u"2020年13月1", 3},  {u"2024/1/6", 0},
      {u"2024/1/7", 1},    {u"2024年1月7日", 1}, {u"2023/12/32", 4},   {u"2023/13/1", 3},
      {u"95/1/2", 0},      {u"99/12/31", 0},     {u"5/1/1", 0},        {u"2030/1/1", 1},
      {u"12/25/98", 0},    {u"2024/2", 1},       {u"2023年", 0},       {u"", 0},
      {u"なし", 0},        {u"2023/ 5/ 1", 0}, {u"2023/-5/40", 4},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CheckDateText(c.text), c.result) << testing::PrintToString(c.text);
}

}  // namespace
