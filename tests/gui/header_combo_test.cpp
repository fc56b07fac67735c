// The information items' combo lists (history, then name-list lines, by
// history mode and fallback file) and the start-date picker.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QComboBox>
#include <QFile>

#include <string>
#include <vector>

#include "record/clock.h"
#include "record/history.h"
#include "record/text.h"
#include "settings/calendar_dlg_qt.h"
#include "settings/dialog_runner_qt.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "settings/header_combo_qt.h"
#include "tests/support/qt_test_app.h"

namespace {

using Lines = std::vector<std::u16string>;

class HeaderComboTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEnvDefaults();
    g_szProgramFolder = PathFromNative(home.Path().toStdString()) + u"/";
    g_szDataFolder = g_szProgramFolder;
  }
  void TearDown() override {
    SetDialogScript(nullptr);
    SetClockForTesting(nullptr);
    ResetEnvDefaults();
  }
  void WriteList(const std::u16string& name, const std::string& bytes) {
    QFile f(QString::fromStdU16String(g_szProgramFolder + name + u".txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), qint64(bytes.size()));
  }
  static Lines Items(const QComboBox& c) {
    Lines out;
    for (int i = 0; i < c.count(); ++i) out.push_back(c.itemText(i).toStdU16String());
    return out;
  }
  PrivateHome home;
};

TEST_F(HeaderComboTest, ListsByModeHistoryAndFile) {
  struct Case {
    const char* what;
    int mode;
    Lines history;         // oldest last
    const char* kisen;     // 棋戦.txt, nullptr: missing
    const char* fallback;  // kisen.txt, nullptr: missing
    int result;
    Lines items;
  };
  const Case cases[] = {
      {"mode 1: history then every line", 1, {u"名人戦", u"王将戦"}, "# 棋戦\n竜王戦\n\n名人戦\r\n", nullptr, 0,
       {u"名人戦", u"王将戦", u"竜王戦", u"名人戦"}},
      {"mode 2: lines in the history left out", 2, {u"名人戦", u"王将戦"}, "竜王戦\n名人戦\n", nullptr, 0,
       {u"名人戦", u"王将戦", u"竜王戦"}},
      {"mode 0: no history, every line", 0, {u"名人戦"}, "名人戦\n棋聖戦\n", nullptr, 0,
       {u"名人戦", u"棋聖戦"}},
      {"fallback file when the first is missing", 1, {u"王座戦"}, nullptr, "\xef\xbb\xbfkisen A\n", 0,
       {u"王座戦", u"kisen A"}},
      {"first file wins over the fallback", 1, {}, "棋聖戦\n", "kisen A\n", 0, {u"棋聖戦"}},
      {"both missing: history only, -1", 2, {u"王位戦"}, nullptr, nullptr, -1, {u"王位戦"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QFile::remove(QString::fromStdU16String(g_szProgramFolder + u"棋戦.txt"));
    QFile::remove(QString::fromStdU16String(g_szProgramFolder + u"kisen.txt"));
    if (c.kisen) WriteList(u"棋戦", c.kisen);
    if (c.fallback) WriteList(u"kisen", c.fallback);
    HistoryList h(u"棋戦");
    for (auto it = c.history.rbegin(); it != c.history.rend(); ++it) AddHistoryItem(*it, h);
    QComboBox combo;
    combo.addItem("stale");
    EXPECT_EQ(FillHeaderCombo(&combo, &h, c.mode, u"棋戦", u"kisen"), c.result);
    EXPECT_EQ(Items(combo), c.items);
  }
}

TEST_F(HeaderComboTest, HistoryCutToItsSettingAndStartDateSkipsAutoEntry) {
  HistoryList h(u"開始日時");
  for (const char16_t* t : {u"2024/01/01", kAutoStartDateText, u"2024/02/02", u"2024/03/03"})
    AddHistoryItem(t, h);
  g_nHistorySize = 3;
  QComboBox combo;
  WriteList(u"開始日時", "2000/01/01\n");  // the start date has no name list
  EXPECT_EQ(FillHeaderCombo(&combo, &h, 1, u""), 0);
  EXPECT_EQ(Items(combo), (Lines{u"2024/03/03", u"2024/02/02"}));
  EXPECT_EQ(h.count, 3);
  // An item without history takes every list line.
  WriteList(u"消費時間", "▲1時間\n");
  EXPECT_EQ(FillHeaderCombo(&combo, nullptr, 0, u"消費時間"), 0);
  EXPECT_EQ(Items(combo), (Lines{u"▲1時間"}));
}

TEST_F(HeaderComboTest, ComboKeepsTypedTextOutOfItsList) {
  QComboBox* combo = MakeHeaderCombo(nullptr);
  combo->addItem("a");
  combo->setEditText("typed");
  EXPECT_TRUE(combo->isEditable());
  EXPECT_EQ(combo->insertPolicy(), QComboBox::NoInsert);
  EXPECT_EQ(combo->count(), 1);
  delete combo;
}

TEST_F(HeaderComboTest, StartDateTexts) {
  struct Case {
    const char16_t* text;
    QDate date;
  };
  const Case cases[] = {
      {u"2024/03/10(日)", QDate(2024, 3, 10)}, {u" 2024/3/9 10:00", QDate(2024, 3, 9)},
      {u"2023/13/01", QDate()},                {u"2024/02/30", QDate()},
      {u"1752/12/31", QDate()},                {u"2024-03-10", QDate()},
      {u"", QDate()},                          {u"平成5年", QDate()},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadStartDate(c.text), c.date) << Utf16ToUtf8(c.text);
  EXPECT_EQ(FormatStartDate(QDate(2024, 3, 10)), u"2024/03/10(日)");
  EXPECT_EQ(FormatStartDate(QDate(2024, 3, 16)), u"2024/03/16(土)");
}

TEST_F(HeaderComboTest, CalendarOpensOnTheTextOrTodayAndWritesTheChoice) {
  SetClockForTesting([] { return int64_t(1718409600); });  // 2024-06-15
  struct Case {
    const char16_t* text;
    QDate opens;
  };
  for (Case c : {Case{u"2021/11/03(水)", QDate(2021, 11, 3)}, Case{u"未定", QDate(2024, 6, 15)},
                 Case{u"2021/02/29", QDate(2024, 6, 15)}}) {
    QDate opened;
    SetDialogScript([&](QDialog& d) {
      auto& dlg = static_cast<CCalendarDlg&>(d);
      EXPECT_EQ(dlg.windowTitle(), QString::fromUtf16(u"日付の入力"));
      opened = dlg.Calendar()->selectedDate();
      dlg.Calendar()->setSelectedDate(QDate(2024, 3, 10));
      dlg.accept();
      return d.result();
    });
    std::u16string text = c.text;
    EXPECT_TRUE(PickStartDate(text, nullptr));
    EXPECT_EQ(opened, c.opens);
    EXPECT_EQ(text, u"2024/03/10(日)");
  }
  SetDialogScript([](QDialog& d) {
    d.reject();
    return d.result();
  });
  std::u16string text = u"2021/11/03";
  EXPECT_FALSE(PickStartDate(text, nullptr));
  EXPECT_EQ(text, u"2021/11/03");
}

}  // namespace
