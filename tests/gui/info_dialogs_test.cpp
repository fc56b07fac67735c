// The game and mate-problem information dialogs worked through their
// controls: texts in and out, histories written, the consumed-time button,
// the date picker, undefined user items, the warnings, undo and Cancel.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCalendarWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/board.h"
#include "record/clock.h"
#include "record/header.h"
#include "record/history.h"
#include "record/record.h"
#include "record/text.h"
#include "settings/calendar_dlg_qt.h"
#include "settings/dialog_runner_qt.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "settings/info_dialogs_qt.h"
#include "tests/support/dialog_steps.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/record_building.h"
#include "tests/support/recording_ui.h"
#include "view/view_commands.h"

namespace {

int Key(int from, int to) { return from | to << 8; }
QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }
std::u16string U(const QString& s) { return s.toStdU16String(); }

HistoryList* const kAllHistories[] = {
    &g_hisEvent,      &g_hisOpening,    &g_hisTimeLimit,   &g_hisPlace,          &g_hisTitle,
    &g_hisPublication, &g_hisStartDate, &g_hisWorkNumber,  &g_hisAuthor,         &g_hisMagazine,
    &g_hisPublishedDate, &g_hisSource,  &g_hisSoundness,   &g_hisCategory,       &g_hisPrize,
    &g_hisWorkTitle,  &g_hisMoveCount,  &g_hisRemarks,     &g_hisUser1,          &g_hisUser2,
    &g_hisUser3,      &g_hisUser4,      &g_hisUser5};

class InfoDialogTest : public ::testing::Test, protected DialogSteps {
 protected:
  void SetUp() override {
    ResetEnvDefaults();
    g_AppMode = kModeView;
    InitRecordPool(g_Record, 200);
    SetInitialBoard(g_Board);
    g_StartBoard = g_Board;
    ClearRecordHeader(g_Record);
    ClearUndoLabel();
    g_szProgramFolder = PathFromNative(home.Path().toStdString()) + u"/";
    g_szDataFolder = g_szProgramFolder;
    for (HistoryList* h : kAllHistories) h->count = 0;
    for (int k : {Key(77, 76), Key(33, 34), Key(27, 26), Key(83, 84)}) AddMoveAndGo(k);
    g_Record.changeCount = 0;
    SetClockForTesting([] { return int64_t(1718409600); });  // 2024-06-15
  }
  void TearDown() override {
    SetClockForTesting(nullptr);
    FreeRecordPool(g_Record);
    ResetEnvDefaults();
  }
  std::string FileBytes(const std::u16string& name) { return ProgramFileBytes(name); }
  void WriteFile(const std::u16string& name, const std::string& bytes) {
    ASSERT_TRUE(WriteProgramFile(name, bytes));
  }
  // Runs 対局情報 with `work` on the dialog, then OK.
  void RunGameInfo(std::function<void(CEdtInfoDlg&)> work) {
    Script({[&](QDialog& d) {
      work(static_cast<CEdtInfoDlg&>(d));
      return Ok(d);
    }});
    EditGameInfo(nullptr);
  }

  PrivateHome home;
  CNarvoDoc doc;
  RecordingUi ui;
};

TEST_F(InfoDialogTest, GameTextsInAndOutCutTo100WithUndo) {
  RecordHeader& h = g_Record.header;
  h.startTime = u"2024/01/06(土)";
  h.endTime = u"2024/01/07";
  h.event = u"第1期竜王戦";
  h.userItems[0] = u"初段";
  g_szUserInfoName[0] = u"段位";
  const std::u16string longTitle(150, u'題');
  std::u16string seenStart, seenEnd, seenEvent, seenUser;
  RunGameInfo([&](CEdtInfoDlg& dlg) {
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf16(u"対局情報"));
    seenStart = U(dlg.Combo(kGiStartDate)->currentText());
    seenEnd = U(dlg.EndDateEdit()->text());
    seenEvent = U(dlg.Combo(kGiEvent)->currentText());
    seenUser = U(dlg.Combo(kGiUser1)->currentText());
    EXPECT_EQ(dlg.Label(kGiUser1)->text(), QString::fromUtf16(u"段位："));
    dlg.Combo(kGiTitle)->setEditText(Q(longTitle));
    dlg.Combo(kGiPlace)->setEditText(QString::fromUtf16(u"東京"));
  });
  EXPECT_EQ(seenStart, u"2024/01/06(土)");
  EXPECT_EQ(seenEnd, u"2024/01/07");
  EXPECT_EQ(seenEvent, u"第1期竜王戦");
  EXPECT_EQ(seenUser, u"初段");
  EXPECT_EQ(h.title, longTitle.substr(0, 100));
  EXPECT_EQ(h.place, u"東京");
  EXPECT_EQ(h.event, u"第1期竜王戦");
  EXPECT_EQ(h.endTime, u"2024/01/07");
  EXPECT_EQ(g_Record.changeCount, 1);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(GetUndoLabel(), u"棋譜情報の編集");
  EXPECT_TRUE(ui.boxes.empty());
  // 元に戻す takes the edit back.
  UndoLastEdit();
  EXPECT_EQ(h.title, u"");
  EXPECT_EQ(h.place, u"");
}

TEST_F(InfoDialogTest, CancelChangesNothing) {
  g_Record.header.event = u"王将戦";
  Script({[](QDialog& d) {
    auto& dlg = static_cast<CEdtInfoDlg&>(d);
    dlg.Combo(kGiEvent)->setEditText("x");
    dlg.Combo(kGiTitle)->setEditText("y");
    return Cancel(d);
  }});
  EditGameInfo(nullptr);
  EXPECT_EQ(g_Record.header.event, u"王将戦");
  EXPECT_EQ(g_Record.changeCount, 0);
  EXPECT_EQ(GetUndoLabel(), u"");
  EXPECT_EQ(FileBytes(u"棋戦.his"), "<missing>");
  EXPECT_EQ(FileBytes(u"表題.his"), "<missing>");
}

TEST_F(InfoDialogTest, HistoriesWrittenOnlyForChangedNonEmptyTexts) {
  g_Record.header.place = u"大阪";
  g_Record.header.opening = u"矢倉";
  g_szUserInfoName[1] = u"解説";
  g_nHistoryModeUser2 = 0;
  WriteFile(u"場所.his", "京都\r\n");
  RunGameInfo([](CEdtInfoDlg& dlg) {
    dlg.Combo(kGiEvent)->setEditText(QString::fromUtf16(u"棋聖戦"));  // changed
    dlg.Combo(kGiOpening)->setEditText("");                          // emptied
    dlg.Combo(kGiUser2)->setEditText(QString::fromUtf16(u"某九段"));    // history mode 0
    dlg.Combo(kGiTimeUsed)->setEditText(QString::fromUtf16(u"▲1分")); // no history
  });
  EXPECT_EQ(FileBytes(u"棋戦.his"), "\xef\xbb\xbf棋聖戦\r\n");
  EXPECT_EQ(FileBytes(u"場所.his"), "京都\r\n");  // unchanged 大阪: not written
  EXPECT_EQ(FileBytes(u"戦型.his"), "<missing>");
  EXPECT_EQ(FileBytes(u"ユーザ2.his"), "<missing>");
  EXPECT_EQ(g_Record.header.userItems[1], u"某九段");
  EXPECT_EQ(g_Record.header.opening, u"");
}

// A history the dialog does not show (mode 0) is not read at opening; OK
// must read it before adding, or the file is left with the new text alone.
TEST_F(InfoDialogTest, HiddenHistoryKeepsItsEntriesOnOk) {
  g_nHistoryModeEvent = 0;
  WriteFile(u"棋戦.his", "\xef\xbb\xbf名人戦\r\n王座戦\r\n");
  std::vector<std::u16string> listed;
  RunGameInfo([&](CEdtInfoDlg& dlg) {
    for (int i = 0; i < dlg.Combo(kGiEvent)->count(); ++i)
      listed.push_back(U(dlg.Combo(kGiEvent)->itemText(i)));
    dlg.Combo(kGiEvent)->setEditText(QString::fromUtf16(u"棋王戦"));
  });
  EXPECT_TRUE(listed.empty());
  EXPECT_EQ(FileBytes(u"棋戦.his"), "\xef\xbb\xbf棋王戦\r\n名人戦\r\n王座戦\r\n");
}

TEST_F(InfoDialogTest, ConsumedTimeButton) {
  // No seconds on the main line: nothing to set.
  bool enabled = true;
  RunGameInfo([&](CEdtInfoDlg& dlg) { enabled = dlg.AutoTimeButton()->isEnabled(); });
  EXPECT_FALSE(enabled);

  struct Case {
    int sideToMove;
    std::vector<int> seconds;  // moves 1..4
    const char16_t* text;
  };
  const Case cases[] = {
      {kSente, {1800, 900, 1800, 900}, u"▲1時間00分△0時間30分"},
      {kSente, {60, 0, 1, 0}, u"▲1分01秒△0分00秒"},
      {kSente, {3600, 5, 1, 0}, u"▲1時間00分01秒△0時間00分05秒"},
      // The second player starts: the first player's moves are 2 and 4.
      {kGote, {5, 3600, 0, 1}, u"▲1時間00分01秒△0時間00分05秒"},
  };
  for (const Case& c : cases) {
    g_StartBoard.sideToMove = c.sideToMove;
    for (int n = 1; n <= 4; ++n) GetNodeAtMove(n)->seconds = uint16_t(c.seconds[size_t(n - 1)]);
    RunGameInfo([&](CEdtInfoDlg& dlg) {
      EXPECT_TRUE(dlg.AutoTimeButton()->isEnabled());
      EXPECT_EQ(dlg.AutoTimeButton()->toolTip(), QString::fromUtf16(u"消費時間の自動設定"));
      dlg.AutoTimeButton()->click();
    });
    EXPECT_EQ(g_Record.header.timeUsed, c.text);
  }
}

TEST_F(InfoDialogTest, DateButtonWritesTheChosenDate) {
  for (const char16_t* start : {u"2021/11/03(水)", u"そのうち"}) {
    g_Record.header.startTime = start;
    QDate opened;
    Script({[](QDialog& d) {
              static_cast<CEdtInfoDlg&>(d).DateButton()->click();
              return Ok(d);
            },
            [&](QDialog& d) {
              auto& cal = static_cast<CCalendarDlg&>(d);
              opened = cal.Calendar()->selectedDate();
              cal.Calendar()->setSelectedDate(QDate(2024, 3, 10));
              return Ok(d);
            }});
    EditGameInfo(nullptr);
    EXPECT_EQ(opened, std::u16string(start)[0] == u'2' ? QDate(2021, 11, 3) : QDate(2024, 6, 15));
    EXPECT_EQ(g_Record.header.startTime, u"2024/03/10(日)");
  }
}

TEST_F(InfoDialogTest, UndefinedUserItemsHiddenAndWrittenBack) {
  for (std::u16string& name : g_szUserInfoName) name.clear();
  g_szUserInfoName[2] = u"記録係";
  for (int i = 0; i < kUserItemCount; ++i) g_Record.header.userItems[i] = u"item" + IntToU16(i);
  std::vector<QString> labels;
  std::vector<bool> hidden;
  RunGameInfo([&](CEdtInfoDlg& dlg) {
    for (int i = kGiUser1; i <= kGiUser5; ++i) {
      labels.push_back(dlg.Label(i)->text());
      hidden.push_back(dlg.Combo(i)->isHidden());
    }
  });
  const QString undefined = QString::fromUtf16(u"（未定義）");
  EXPECT_EQ(labels, (std::vector<QString>{undefined, undefined, QString::fromUtf16(u"記録係："),
                                          undefined, undefined}));
  EXPECT_EQ(hidden, (std::vector<bool>{true, true, false, true, true}));
  for (int i = 0; i < kUserItemCount; ++i)
    EXPECT_EQ(g_Record.header.userItems[i], u"item" + IntToU16(i));
}

TEST_F(InfoDialogTest, WarningsAfterOk) {
  struct Case {
    const char16_t *start, *end, *limit, *used;
    std::vector<std::u16string> warnings;
  };
  const Case cases[] = {
      {u"", u"", u"", u"", {}},
      {u"2099/01/01", u"", u"", u"", {u"開始日時が未来です。"}},
      {u"2020/13/01", u"2020/01/32", u"", u"", {u"開始日時が異常です。", u"終了日時が異常です。"}},
      {u"2024/01/01", u"2030/01/01", u"", u"", {u"終了日時が未来です。"}},
      {u"", u"", u"2時間", u"130▲125△90", {u"消費時間が持ち時間を超えています。"}},
      {u"", u"", u"2時間", u"130▲110△90", {}},
      {u"", u"", u"2時間", u"▲2時間05分△1時間30分", {}},
      {u"", u"", u"", u"130▲125△90", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(std::u16string(c.start) + u"|" + c.end + u"|" + c.used));
    ui.boxes.clear();
    RunGameInfo([&](CEdtInfoDlg& dlg) {
      dlg.Combo(kGiStartDate)->setEditText(Q(c.start));
      dlg.EndDateEdit()->setText(Q(c.end));
      dlg.Combo(kGiTimeLimit)->setEditText(Q(c.limit));
      dlg.Combo(kGiTimeUsed)->setEditText(Q(c.used));
    });
    std::vector<std::u16string> shown;
    for (const RecordedBox& b : ui.boxes) {
      shown.push_back(b.text);
      EXPECT_EQ(b.flags & 0xF0, kMbIconWarning);
    }
    EXPECT_EQ(shown, c.warnings);
    EXPECT_EQ(g_Record.header.startTime, c.start);  // stored as typed
    EXPECT_EQ(g_Record.header.timeUsed, c.used);
  }
}

TEST_F(InfoDialogTest, ProblemDialogItemsHistoriesAndUndo) {
  WriteFile(u"受賞.txt", "看寿賞\n伊藤看寿賞\n");
  g_Record.header.author = u"作者A";
  std::vector<QString> prizes;
  int items = 0;
  Script({[&](QDialog& d) {
    auto& dlg = static_cast<CTumeInfoDlg&>(d);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf16(u"詰将棋情報"));
    for (int i = 0; i < dlg.Combo(kPiPrize)->count(); ++i) prizes.push_back(dlg.Combo(kPiPrize)->itemText(i));
    items = int(dlg.findChildren<QComboBox*>().size());
    EXPECT_EQ(U(dlg.Combo(kPiAuthor)->currentText()), u"作者A");
    for (int i = 0; i < kProblemInfoItemCount; ++i) dlg.Combo(i)->setEditText("v" + QString::number(i));
    dlg.Combo(kPiRemarks)->setEditText(QString(120, 'r'));
    return Ok(d);
  }});
  EditProblemInfo(nullptr);
  EXPECT_EQ(items, 11);
  EXPECT_EQ(prizes, (std::vector<QString>{QString::fromUtf16(u"伊藤看寿賞"), QString::fromUtf16(u"看寿賞")}));
  const RecordHeader& h = g_Record.header;
  EXPECT_EQ(h.problemNumber, u"v0");
  EXPECT_EQ(h.author, u"v2");
  EXPECT_EQ(h.award, u"v9");
  EXPECT_EQ(h.notes, std::u16string(100, u'r'));
  EXPECT_EQ(GetUndoLabel(), u"詰将棋情報の編集");
  EXPECT_EQ(g_Record.changeCount, 1);
  const std::u16string kept[] = {u"作品番号", u"作者", u"発表誌", u"発表年月",
                                 u"出典",     u"完全性", u"分類", u"受賞"};
  for (const std::u16string& name : kept) EXPECT_NE(FileBytes(name + u".his"), "<missing>") << Utf16ToUtf8(name);
  for (const char16_t* name : {u"作品名", u"手数", u"備考"})
    EXPECT_EQ(FileBytes(std::u16string(name) + u".his"), "<missing>") << Utf16ToUtf8(name);
  EXPECT_TRUE(ui.boxes.empty());
}

std::vector<std::u16string> g_editorPaths;

// A click on an item's label opens its list file (or the fallback) in the editor.
TEST_F(InfoDialogTest, LabelsOpenTheirListFiles) {
  g_szUserInfoName[2] = u"記録係";
  OpenInEditorFunction saved = g_pOpenInEditor;
  g_pOpenInEditor = [](const std::u16string& path) {
    g_editorPaths.push_back(path);
    return path.ends_with(u"subj.txt") || path.ends_with(u"ユーザ3.txt");
  };
  g_editorPaths.clear();
  QString tips[3];
  RunGameInfo([&](CEdtInfoDlg& dlg) {
    for (int item : {kGiTitle, kGiUser3, kGiTimeUsed})
      QTest::mouseClick(dlg.Label(item), Qt::LeftButton);
    tips[0] = dlg.Label(kGiEvent)->toolTip();
    tips[1] = dlg.Label(kGiUser3)->toolTip();
    tips[2] = dlg.DateButton()->toolTip();
  });
  g_pOpenInEditor = saved;
  const std::u16string f = g_szProgramFolder;
  EXPECT_EQ(g_editorPaths, (std::vector<std::u16string>{f + u"表題.txt", f + u"subj.txt", f + u"ユーザ3.txt"}));
  EXPECT_EQ(U(tips[0]), u"棋戦.txtの編集");
  EXPECT_EQ(U(tips[1]), u"ユーザ3.txtの編集");
  EXPECT_EQ(U(tips[2]), u"日付の入力");
  EXPECT_TRUE(ui.boxes.empty());
}

// Every label and button shows its whole text (set NARVO_RENDER_DIR to keep
// pictures of the dialogs).
TEST_F(InfoDialogTest, DialogsShowTheirTextsWhole) {
  g_szUserInfoName[0] = u"段位";
  g_Record.header.startTime = u"2024/03/10(日)";
  g_Record.header.event = u"第37期竜王戦七番勝負第4局";
  g_Record.header.timeLimit = u"各8時間";
  auto check = [](QDialog& d, const char* file) {
    QApplication::processEvents();
    for (QWidget* w : d.findChildren<QWidget*>()) {
      if (!w->isVisibleTo(&d)) continue;
      if (qobject_cast<QLabel*>(w) || qobject_cast<QPushButton*>(w)) {
        EXPECT_GE(w->width(), w->sizeHint().width()) << file << ": " << w->metaObject()->className();
      }
    }
    if (const char* dir = std::getenv("NARVO_RENDER_DIR"))
      d.grab().save(QString::fromUtf8(dir) + "/" + file);
  };
  Script({[&](QDialog& d) {
            check(d, "game-info.png");
            static_cast<CEdtInfoDlg&>(d).DateButton()->click();
            return Cancel(d);
          },
          [&](QDialog& d) {
            check(d, "calendar.png");
            return Cancel(d);
          }});
  EditGameInfo(nullptr);
  Script({[&](QDialog& d) {
    check(d, "problem-info.png");
    return Cancel(d);
  }});
  EditProblemInfo(nullptr);
}

}  // namespace
