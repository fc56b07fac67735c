// The small record dialogs worked through their controls: a move's consumed
// time, the jump range, the entering-king text and the player names.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QCheckBox>

#include <functional>
#include <string>
#include <vector>

#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/board.h"
#include "record/header.h"
#include "record/history.h"
#include "record/record.h"
#include "record/text.h"
#include "settings/dialog_runner_qt.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "settings/jishogi_points.h"
#include "settings/sasite_dlg_qt.h"
#include "settings/small_dialogs_qt.h"
#include "tests/support/dialog_steps.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/record_building.h"
#include "tests/support/recording_ui.h"
#include "view/narvo_view.h"
#include "view/navigation.h"

namespace {

int Key(int from, int to) { return from | to << 8; }
std::u16string U(const QString& s) { return s.toStdU16String(); }

class SmallDialogTest : public ::testing::Test, protected DialogSteps {
 protected:
  void SetUp() override {
    ResetEnvDefaults();
    g_AppMode = kModeView;
    InitRecordPool(g_Record, 2100);
    SetInitialBoard(g_Board);
    g_StartBoard = g_Board;
    ClearRecordHeader(g_Record);
    g_Record.header.firstPlayer.clear();
    g_Record.header.secondPlayer.clear();
    ClearUndoLabel();
    g_bEditDialogOpen = 0;
    g_hisPlayers.count = 0;
    g_szProgramFolder = PathFromNative(home.Path().toStdString()) + u"/";
    g_szDataFolder = g_szProgramFolder;
    g_Record.changeCount = 0;
  }
  void TearDown() override {
    FreeRecordPool(g_Record);
    ResetEnvDefaults();
  }
  // Every dialog run by the same step.
  void Script(Step step) { SetDialogScript(std::move(step)); }
  void PlayOpening() {
    for (int k : {Key(77, 76), Key(33, 34), Key(88, 22 | 0x80), Key(31, 22)}) AddMoveAndGo(k);
  }
  std::string FileBytes(const std::u16string& name) { return ProgramFileBytes(name); }
  void WriteFile(const std::u16string& name, const std::string& bytes) {
    ASSERT_TRUE(WriteProgramFile(name, bytes));
  }

  PrivateHome home;
  CNarvoDoc doc;
  RecordingUi ui;
};

// ---- Consumed time -------------------------------------------------------------------

TEST_F(SmallDialogTest, TimeDialogShowsAndStoresSeconds) {
  PlayOpening();
  GetNodeAtMove(2)->seconds = 125;
  g_Record.header.timeUsed = u"▲0分00秒△2分05秒";
  g_bAutoElapsedTime = 1;
  int openFlag = -1;
  QString minutes, seconds;
  Script([&](QDialog& d) {
    auto& dlg = static_cast<CTimeDlg&>(d);
    openFlag = g_bEditDialogOpen;
    minutes = dlg.MinutesEdit()->Text();
    seconds = dlg.SecondsEdit()->Text();
    dlg.MinutesEdit()->SetText("0");
    dlg.SecondsEdit()->SetText("0");
    return Ok(d);
  });
  // The panel's running total is kept between steps: it must follow the edit.
  const std::u16string shownBefore = FormatMoveTimes(2, g_Record);
  EditConsumedTime(nullptr, 2);
  EXPECT_NE(FormatMoveTimes(2, g_Record), shownBefore);
  EXPECT_EQ(FormatMoveTimes(2, g_Record), FormatMoveTimes(0, GetCumulativeTime(GetNodeAtMove(2), g_Record)));
  EXPECT_EQ(openFlag, 1);
  EXPECT_EQ(minutes, "2");
  EXPECT_EQ(seconds, "5");
  EXPECT_EQ(g_bEditDialogOpen, 0);
  EXPECT_EQ(GetNodeAtMove(2)->seconds, 0);
  EXPECT_EQ(GetUndoLabel(), u"消費時間の編集");
  EXPECT_EQ(g_Record.changeCount, 1);
  EXPECT_TRUE(doc.IsModified());
  // The header's text is rebuilt from the node times, here all 0: left as it was.
  EXPECT_EQ(g_Record.header.timeUsed, u"▲0分00秒△2分05秒");

  Script([](QDialog& d) {
    auto& dlg = static_cast<CTimeDlg&>(d);
    dlg.MinutesEdit()->SetText("1000");
    dlg.SecondsEdit()->SetText("60");
    return Ok(d);
  });
  EditConsumedTime(nullptr, 1);
  EXPECT_EQ(GetNodeAtMove(1)->seconds, 60060);
  EXPECT_EQ(g_Record.header.timeUsed, u"▲16時間41分△0時間00分");
}

TEST_F(SmallDialogTest, TimeDialogTitles) {
  PlayOpening();
  g_Record.changeCount = 0;
  struct Case {
    int move, notation, rules;
    const char16_t* title;
  };
  const Case cases[] = {
      {0, 2, 1, u"開始局面の消費時間"},
      {1, 0, 1, u"第1手、▲７六歩(77)の消費時間"},
      {2, 1, 1, u"第2手、▽３四歩(33)の消費時間"},
      {3, 2, 1, u"第3手、▲２二角成の消費時間"},
      {4, 3, 1, u"第4手、▽同　銀の消費時間"},
      {3, 2, 0, u"第3手、▲２二角成(88)の消費時間"},
  };
  for (const Case& c : cases) {
    g_nMoveNotation = uint8_t(c.notation);
    g_bCheckRules = uint8_t(c.rules);
    QString title;
    Script([&](QDialog& d) {
      title = static_cast<CTimeDlg&>(d).TitleLabel()->text();
      EXPECT_EQ(d.windowTitle(), QString::fromUtf16(u"消費時間の編集"));
      return Cancel(d);
    });
    EditConsumedTime(nullptr, c.move);
    EXPECT_EQ(U(title), c.title);
    EXPECT_EQ(g_bEditDialogOpen, 0);
  }
  EXPECT_EQ(GetUndoLabel(), u"");
  EXPECT_EQ(g_Record.changeCount, 0);
}

// Values beyond the ranges are refused and the dialog stays open: a typed
// 2000 minutes would otherwise wrap in the node's 16 bits.
TEST_F(SmallDialogTest, TimeDialogRefusesValuesBeyondItsRanges) {
  PlayOpening();
  GetNodeAtMove(1)->seconds = 7;
  struct Case {
    const char* minutes;
    const char* seconds;
    const char16_t* message;
  };
  for (Case c : {Case{"2000", "0", u"0 から 1000 までの整数を入力してください。"},
                 Case{"1", "61", u"0 から 60 までの整数を入力してください。"},
                 Case{"-1", "0", u"正の整数を入力してください。"}}) {
    ui.boxes.clear();
    bool stayedOpen = false;
    Script([&](QDialog& d) {
      auto& dlg = static_cast<CTimeDlg&>(d);
      dlg.MinutesEdit()->SetText(c.minutes);
      dlg.SecondsEdit()->SetText(c.seconds);
      dlg.accept();
      stayedOpen = d.isVisible() && d.result() != QDialog::Accepted;
      return Cancel(d);
    });
    EditConsumedTime(nullptr, 1);
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, c.message);
    EXPECT_EQ(GetNodeAtMove(1)->seconds, 7);
  }
}

// ---- Jump ----------------------------------------------------------------------------

TEST_F(SmallDialogTest, JumpRangeEndsAtTheLineOr1600) {
  for (int length : {0, 12, 2000}) {
    ResetRecordTree(g_Record);
    SetInitialBoard(g_Board);
    g_Record.moveNumber = 0;
    const int shuffle[4] = {Key(39, 38), Key(71, 72), Key(38, 39), Key(72, 71)};
    for (int i = 0; i < length; ++i) AddMoveAndGo(shuffle[i % 4]);
    CJumpDlg dlg(3, nullptr);
    EXPECT_EQ(dlg.NumberEdit()->SpinLow(), 0);
    EXPECT_EQ(dlg.NumberEdit()->SpinHigh(), std::min(length, 1600));
  }
  // Through the jump command: the number typed is where it goes.
  int shown = -1;
  Script([&](QDialog& d) {
    auto& dlg = static_cast<CJumpDlg&>(d);
    EXPECT_EQ(d.windowTitle(), QString::fromUtf16(u"指定手数へ"));
    shown = dlg.NumberEdit()->Text().toInt();
    dlg.NumberEdit()->SetText("5");
    return Ok(d);
  });
  JumpToMoveNumber(nullptr);
  EXPECT_EQ(shown, 2000);
  EXPECT_EQ(g_Record.moveNumber, 5);
}

// ---- Entering-king points ------------------------------------------------------------

TEST_F(SmallDialogTest, JishogiTexts) {
  QString text;
  Script([&](QDialog& d) {
    text = static_cast<CJishogiDlg&>(d).TextEdit()->toPlainText();
    return Ok(d);
  });
  RunJishogiDialog(nullptr);
  EXPECT_EQ(U(text), u"0手まで\n先手：27点\n後手：27点\n");
  EXPECT_EQ(FormatJishogiText(), u"0手まで\r\n先手：27点\r\n後手：27点\n");
  // A bishop taken and retaken: each side has the other's bishop in hand.
  PlayOpening();
  EXPECT_EQ(FormatJishogiText(), u"4手　△同　銀まで\r\n先手：27点\r\n後手：27点\n");
  // 香落ち: the upper side lacks a lance.
  ResetRecordTree(g_Record);
  g_Record.moveNumber = 0;
  SetHandicapBoard(g_Board, 1);
  EXPECT_EQ(FormatJishogiText(), u"0手まで\r\n下手：27点\r\n上手：26点\n");
  // 二枚落ち: rook and bishop gone.
  SetHandicapBoard(g_Board, 6);
  EXPECT_EQ(CountJishogiPoints(kGote), 17);
  EXPECT_EQ(CountJishogiPoints(kSente), 27);
}

// ---- Typed move --------------------------------------------------------------------

TEST_F(SmallDialogTest, MoveEntryDialogHandsOverTheText) {
  for (bool ok : {true, false}) {
    CSasiteDlg dlg(nullptr);
    dlg.m_strMove = u"76FU";
    QString shown;
    Script([&](QDialog& d) {
      EXPECT_EQ(d.windowTitle(), QString::fromUtf16(u"指し手入力"));
      shown = dlg.Edit()->text();
      dlg.Edit()->setText("7776");
      return ok ? Ok(d) : Cancel(d);
    });
    EXPECT_EQ(dlg.Run(), ok);
    EXPECT_EQ(shown, "76FU");
    EXPECT_EQ(dlg.m_strMove, ok ? u"7776" : u"76FU");
  }
}

// ---- Player names ---------------------------------------------------------------------

TEST_F(SmallDialogTest, PlayerNamesSwapAndCut) {
  g_Record.header.firstPlayer = u"羽生";
  g_Record.header.secondPlayer = u"谷川";
  CPlayerProDlg dlg(u"先手：", u"後手：", nullptr);
  dlg.m_strFirstShortName = u"羽";
  dlg.m_strSecondShortName = u"谷";
  Script([](QDialog& d) {
    auto& p = static_cast<CPlayerProDlg&>(d);
    EXPECT_EQ(d.windowTitle(), QString::fromUtf16(u"対局者名変更"));
    EXPECT_FALSE(p.UndecidedCheck()->isVisible());
    EXPECT_EQ(U(p.FirstCombo()->currentText()), u"羽生");
    p.SwapButton()->click();
    EXPECT_EQ(U(p.FirstCombo()->currentText()), u"谷川");
    EXPECT_EQ(U(p.FirstShortEdit()->text()), u"谷");
    EXPECT_EQ(U(p.SecondShortEdit()->text()), u"羽");
    p.SwapButton()->click();
    p.SecondCombo()->setEditText(QString(100, QChar(u'名')));
    return Ok(d);
  });
  ASSERT_EQ(RunModalDialog(dlg), QDialog::Accepted);
  EXPECT_EQ(dlg.m_strFirstName, u"羽生");
  EXPECT_EQ(dlg.m_strSecondName, std::u16string(79, u'名'));
  EXPECT_EQ(dlg.m_strFirstShortName, u"羽");
  EXPECT_EQ(dlg.m_strSecondShortName, u"谷");
}

// The players' history is read from its file by the dialog itself, so a run
// that never opened the new-game sheet still lists it.
TEST_F(SmallDialogTest, PlayerCombosListHistoryThenListFile) {
  WriteFile(u"対局者.his", "\xef\xbb\xbf佐藤\r\n森内\r\n");
  WriteFile(u"player.txt", "# players\n森内\n渡辺\n");
  std::vector<std::u16string> first, second;
  CPlayerProDlg dlg(u"下手：", u"上手：", nullptr);
  Script([&](QDialog& d) {
    auto& p = static_cast<CPlayerProDlg&>(d);
    for (int i = 0; i < p.FirstCombo()->count(); ++i) first.push_back(U(p.FirstCombo()->itemText(i)));
    for (int i = 0; i < p.SecondCombo()->count(); ++i) second.push_back(U(p.SecondCombo()->itemText(i)));
    return Cancel(d);
  });
  RunModalDialog(dlg);
  const std::vector<std::u16string> expected = {u"佐藤", u"森内", u"渡辺"};
  EXPECT_EQ(first, expected);
  EXPECT_EQ(second, expected);
  EXPECT_EQ(g_hisPlayers.count, 2);
}

// 対局者名変更 in a run where nothing read the players' history before: the
// names entered join the entries of the file instead of replacing them.
TEST_F(SmallDialogTest, PlayerNameChangeKeepsTheHistoryFile) {
  WriteFile(u"対局者.his", "\xef\xbb\xbf佐藤\r\n森内\r\n");
  g_Record.header.firstPlayer = u"羽生";
  SetHandicapBoard(g_Board, 1);
  QString firstLabel;
  Script([&](QDialog& d) {
    auto& p = static_cast<CPlayerProDlg&>(d);
    firstLabel = p.findChildren<QLabel*>().at(0)->text();
    p.SecondCombo()->setEditText(QString::fromUtf16(u"渡辺"));
    p.SecondShortEdit()->setText(QString::fromUtf16(u"渡"));
    return Ok(d);
  });
  EditPlayerNames(nullptr);
  EXPECT_EQ(U(firstLabel), u"下手：");
  EXPECT_EQ(g_Record.header.secondPlayer, u"渡辺");
  EXPECT_EQ(g_Record.header.secondShortName, u"渡");
  EXPECT_EQ(GetUndoLabel(), u"対局者名変更");
  EXPECT_EQ(g_Record.changeCount, 1);
  EXPECT_EQ(FileBytes(u"対局者.his"), "\xef\xbb\xbf渡辺\r\n羽生\r\n佐藤\r\n森内\r\n");
  // Unchanged names: no change counted.
  g_Record.changeCount = 0;
  Script(Ok);
  EditPlayerNames(nullptr);
  EXPECT_EQ(g_Record.changeCount, 0);
}

}  // namespace
