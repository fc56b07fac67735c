// The new-game sheet driven as a user would: the handicap list and the side
// labels, the player lists by history mode, the name and short-name limits,
// the start date and its picker, the user items, then what OK and Cancel
// leave in the record, the boards and the history files.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

#include "app/game_play.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "record/board.h"
#include "record/clock.h"
#include "record/history.h"
#include "record/record.h"
#include "settings/calendar_dlg_qt.h"
#include "settings/dialog_runner_qt.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "settings/new_game_sheet_qt.h"
#include "settings/pro_sheet_qt.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"

namespace {

using Lines = std::vector<std::u16string>;
constexpr int64_t k20240310_0905 = 1710061500;

class NewGameSheetTest : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    g_szProgramFolder = home.Path().toStdU16String() + u"/";
    g_szDataFolder = g_szProgramFolder;
    SetClockForTesting([] { return k20240310_0905; });
    InitRecordPool(g_Record, 200);
    SetInitialBoard(g_Board);
    CopyBoardState(g_StartBoard, g_Board);
    g_AppMode = kModeView;
    g_bConfirmSave = 0;
    for (HistoryList* h : {&g_hisPlayers, &g_hisEvent, &g_hisStartDate, &g_hisUser1}) h->count = 0;
  }
  void TearDown() override {
    SetSheetRunner(nullptr);
    SetDialogScript(nullptr);
    SetClockForTesting({});
    FreeRecordPool(g_Record);
    g_AppMode = kModeView;
    g_szRecordTitle.clear();
    g_szRecordFileName.clear();
    g_szRecordFilePath.clear();
    ResetEnvDefaults();
  }
  void WriteFile(const std::u16string& name, const std::string& bytes) {
    QFile f(QString::fromStdU16String(g_szProgramFolder + name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), qint64(bytes.size()));
  }
  QByteArray ReadFile(const std::u16string& name) {
    QFile f(QString::fromStdU16String(g_szProgramFolder + name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
  }
  static Lines Items(const QComboBox& c) {
    Lines out;
    for (int i = 0; i < c.count(); ++i) out.push_back(c.itemText(i).toStdU16String());
    return out;
  }
  // 新規対局 with the sheet driven by body (true: OK, false: Cancel).
  void Run(const std::function<bool(CProSheet&)>& body) {
    SetSheetRunner([&](CProSheet& sheet) {
      EXPECT_EQ(sheet.windowTitle(), QString::fromUtf16(u"新規対局"));
      if (body(sheet)) sheet.ClickOk();
      else sheet.ClickCancel();
      return sheet.result();
    });
    NewGameCommand(nullptr);
  }
  template <class P>
  static P* Show(CProSheet& sheet, int index) {
    EXPECT_TRUE(sheet.SetActivePage(index));
    return dynamic_cast<P*>(sheet.Page(index));
  }

  PrivateHome home;
  RecordingUi ui;
};

TEST_F(NewGameSheetTest, PlayersPageHandicapsAndLabels) {
  g_Record.header.firstPlayer = std::u16string(u"甲");
  g_Record.header.secondShortName = std::u16string(u"乙");
  Run([&](CProSheet& sheet) {
    EXPECT_EQ(sheet.PageCount(), 3);
    for (QPushButton* b : sheet.findChildren<QPushButton*>())
      EXPECT_FALSE(b->text() == QString::fromUtf16(u"ヘルプ") && b->isVisibleTo(&sheet));
    EXPECT_EQ(sheet.Tabs()->tabText(0), QString::fromUtf16(u"対局者名"));
    auto* page = Show<CPlayNewPage>(sheet, 0);
    QComboBox* h = page->HandicapCombo();
    Lines names(g_HandicapNames, g_HandicapNames + kHandicapCount);
    EXPECT_EQ(Items(*h), names);
    EXPECT_EQ(h->count(), 17);
    EXPECT_EQ(h->currentIndex(), 0);
    EXPECT_EQ(page->m_cmbFirst->currentText(), QString::fromUtf16(u"甲"));
    EXPECT_EQ(page->SecondShortEdit()->text(), QString::fromUtf16(u"乙"));
    EXPECT_EQ(page->FirstLabel()->text(), QString::fromUtf16(u"先手："));
    h->setFocus();
    QTest::keyClick(h, Qt::Key_Down);  // 香落ち
    EXPECT_EQ(page->FirstLabel()->text(), QString::fromUtf16(u"下手："));
    EXPECT_EQ(page->SecondLabel()->text(), QString::fromUtf16(u"上手："));
    QTest::keyClick(h, Qt::Key_Up);
    EXPECT_EQ(page->SecondLabel()->text(), QString::fromUtf16(u"後手："));
    return false;
  });
  EXPECT_EQ(g_AppMode, kModeView);
  EXPECT_EQ(g_Record.header.firstPlayer, u"甲");
}

TEST_F(NewGameSheetTest, PlayerListsByHistoryMode) {
  WriteFile(u"対局者.txt", "# players\n丙\n\n甲\n");
  WriteFile(u"対局者.his", "甲\r\n乙\r\n");
  struct Case {
    int mode;
    Lines items;
  } cases[] = {{0, {u"丙", u"甲"}}, {1, {u"甲", u"乙", u"丙", u"甲"}}, {2, {u"甲", u"乙", u"丙"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    g_nHistoryModePlayers = c.mode;
    g_hisPlayers.count = 0;
    Run([&](CProSheet& sheet) {
      auto* page = Show<CPlayNewPage>(sheet, 0);
      EXPECT_EQ(Items(*page->m_cmbFirst), c.items);
      EXPECT_EQ(Items(*page->m_cmbSecond), c.items);
      return false;
    });
  }
}

TEST_F(NewGameSheetTest, NameAndShortNameLimits) {
  g_nHistoryModePlayers = 0;
  Run([&](CProSheet& sheet) {
    auto* page = Show<CPlayNewPage>(sheet, 0);
    page->m_cmbFirst->setEditText(QString(100, QChar(u'名')));
    page->FirstShortEdit()->clear();
    QTest::keyClicks(page->FirstShortEdit(), "abcdefghijk");
    EXPECT_EQ(page->FirstShortEdit()->text(), "abcdefgh");
    return true;
  });
  EXPECT_EQ(g_Record.header.firstPlayer, std::u16string(79, u'名'));
  EXPECT_EQ(g_Record.header.firstShortName, u"abcdefgh");
  EXPECT_EQ(g_AppMode, kModeGame);
}

TEST_F(NewGameSheetTest, StartDateAndItsPicker) {
  WriteFile(u"開始日時.his", "（自動設定）\r\n2020/01/01\r\n");
  Run([&](CProSheet& sheet) {
    EXPECT_EQ(sheet.Tabs()->tabText(1), QString::fromUtf16(u"棋譜情報"));
    auto* page = Show<CDovuInfoPage>(sheet, 1);
    QComboBox* date = page->Combo(CDovuInfoPage::kStartDate);
    EXPECT_EQ(date->currentText(), QString::fromUtf16(u"2024/03/10 09:05"));
    EXPECT_EQ(Items(*date), Lines{u"2020/01/01"});
    EXPECT_EQ(page->DateButton()->text(), QString::fromUtf16(u"▲"));
    EXPECT_EQ(page->DateButton()->toolTip(), QString::fromUtf16(u"日付の入力"));
    SetDialogScript([](QDialog& d) {
      auto& dlg = static_cast<CCalendarDlg&>(d);
      EXPECT_EQ(dlg.Calendar()->selectedDate(), QDate(2024, 3, 10));
      dlg.accept();
      return d.result();
    });
    QTest::mouseClick(page->DateButton(), Qt::LeftButton);
    EXPECT_EQ(date->currentText(), QString::fromUtf16(u"2024/03/10(日)"));
    return true;
  });
  EXPECT_EQ(g_Record.header.startTime, u"2024/03/10(日)");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(NewGameSheetTest, UserItemsWithoutANameHaveNoCombo) {
  g_szUserInfoName[0] = u"解説";
  WriteFile(u"ユーザ1.txt", "某\n");
  Run([&](CProSheet& sheet) {
    auto* page = Show<CUserInfoPg>(sheet, 2);
    EXPECT_EQ(page->Label(0)->text(), QString::fromUtf16(u"解説："));
    EXPECT_EQ(Items(*page->Combo(0)), Lines{u"某"});
    EXPECT_EQ(page->Label(1)->text(), QString::fromUtf16(u"（未定義）"));
    EXPECT_FALSE(page->Combo(1)->isVisibleTo(page));
    page->Combo(0)->setEditText(QString::fromUtf16(u"某"));
    page->Combo(1)->setEditText("x");
    return true;
  });
  EXPECT_EQ(g_Record.header.userItems[0], u"某");
  EXPECT_EQ(g_Record.header.userItems[1], u"");
}

TEST_F(NewGameSheetTest, OkFillsTheRecordBoardsAndHistories) {
  // A record with moves and a header: all of it goes.
  g_Record.header.notes = u"old";
  ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, 77 | 76 << 8, 0), 0);
  WriteFile(u"棋戦.his", "名人戦\r\n");
  Run([&](CProSheet& sheet) {
    auto* play = Show<CPlayNewPage>(sheet, 0);
    play->HandicapCombo()->setCurrentIndex(3);  // 角落ち
    play->m_cmbFirst->setEditText(QString::fromUtf16(u"下手氏"));
    play->m_cmbSecond->setEditText(QString::fromUtf16(u"上手氏"));
    auto* info = Show<CDovuInfoPage>(sheet, 1);
    info->Combo(CDovuInfoPage::kEvent)->setEditText(QString::fromUtf16(u"王座戦"));
    info->Combo(CDovuInfoPage::kPlace)->setEditText(QString::fromUtf16(u"東京"));
    info->Combo(CDovuInfoPage::kStartDate)->setEditText("2025/01/01");
    return true;
  });
  const RecordHeader& h = g_Record.header;
  EXPECT_EQ(h.firstPlayer, u"下手氏");
  EXPECT_EQ(h.secondPlayer, u"上手氏");
  EXPECT_EQ(h.event, u"王座戦");
  EXPECT_EQ(h.place, u"東京");
  EXPECT_EQ(h.notes, u"");
  EXPECT_EQ(h.startTime, u"2025/01/01");
  EXPECT_EQ(g_Record.moveNumber, 0);
  EXPECT_EQ(g_Record.Root()->firstChild, nullptr);
  EXPECT_EQ(g_szRecordTitle, u"新規棋譜");
  BoardState kaku;
  SetHandicapBoard(kaku, 3);
  EXPECT_EQ(std::memcmp(g_Board.squares, kaku.squares, sizeof kaku.squares), 0);
  EXPECT_EQ(std::memcmp(g_StartBoard.squares, kaku.squares, sizeof kaku.squares), 0);
  EXPECT_EQ(g_Board.sideToMove, kGote);
  EXPECT_EQ(g_AppMode, kModeGame);
  // The future start date is kept, with its warning.
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"開始日時が未来です。");
  const QByteArray bom("\xEF\xBB\xBF");
  EXPECT_EQ(ReadFile(u"棋戦.his"), bom + "王座戦\r\n名人戦\r\n");
  EXPECT_EQ(ReadFile(u"場所.his"), bom + "東京\r\n");
  EXPECT_EQ(ReadFile(u"対局者.his"), bom + "上手氏\r\n下手氏\r\n");
  EXPECT_EQ(ReadFile(u"開始日時.his"), bom + "2025/01/01\r\n");
  EXPECT_EQ(ReadFile(u"戦型.his"), "(missing)");
}

TEST_F(NewGameSheetTest, UnreadableStartDateWarnsAndUnopenedPagesLeaveItemsEmpty) {
  Run([&](CProSheet& sheet) {
    Show<CDovuInfoPage>(sheet, 1)->Combo(CDovuInfoPage::kStartDate)->setEditText("2023/13/1");
    return true;
  });
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"開始日時が異常です。");
  ui.boxes.clear();
  g_AppMode = kModeView;
  Run([](CProSheet&) { return true; });
  EXPECT_TRUE(ui.boxes.empty());
  // Never shown: no start date from the page, so the game's start fills it.
  EXPECT_EQ(g_Record.header.startTime, u"2024/03/10(日) 09:05:00");
}

TEST_F(NewGameSheetTest, CancelChangesNothing) {
  g_Record.header.event = u"棋戦";
  ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, 77 | 76 << 8, 0), 0);
  const BoardState before = g_Board;
  Run([&](CProSheet& sheet) {
    Show<CPlayNewPage>(sheet, 0)->HandicapCombo()->setCurrentIndex(5);
    Show<CDovuInfoPage>(sheet, 1)->Combo(CDovuInfoPage::kEvent)->setEditText("x");
    return false;
  });
  EXPECT_EQ(g_Record.header.event, u"棋戦");
  EXPECT_NE(g_Record.Root()->firstChild, nullptr);
  EXPECT_EQ(std::memcmp(g_Board.squares, before.squares, sizeof before.squares), 0);
  EXPECT_EQ(g_AppMode, kModeView);
  EXPECT_EQ(ReadFile(u"棋戦.his"), "(missing)");
}

}  // namespace
