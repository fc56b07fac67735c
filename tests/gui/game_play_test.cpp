// A game played on the board view: the clock of the side to move and the
// seconds stored per move, the end commands and the save offer, the
// record-full stop, continue and resume, and the faults around them (a
// declined end mark, その他 as the start, an existing file under the
// automatic save, a piece held at the end).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <string>

#include "app/command_table.h"
#include "app/file_commands.h"
#include "app/game_play.h"
#include "record/datetime.h"
#include "record/rules.h"
#include "settings/folders.h"
#include "record/text.h"
#include "tests/support/board_view_fixture.h"
#include "view/info_panel.h"
#include "view/navigation.h"

namespace {

constexpr int Key(int from, int to) { return from | to << 8; }
constexpr int64_t k20240310_0905 = 1710061500;  // 2024/03/10(日) 09:05:00 UTC
const int k76 = Key(77, 76), k34 = Key(33, 34), k26 = Key(27, 26), k84 = Key(83, 84);

int64_t g_now = k20240310_0905;

class GamePlayTest : public BoardViewFixture {
protected:
  void SetUp() override {
    BoardViewFixture::SetUp();
    g_now = k20240310_0905;
    SetClockForTesting([] { return g_now; });
    g_AppMode = kModeView;
    g_bResumeGame = 0;
    g_szRecordTitle.clear();
    g_szRecordFileName.clear();
    g_szRecordFilePath.clear();
    ASSERT_TRUE(dir.isValid());
    g_szRecordFolder = Path(u"");
    // The history files stay in the private folder.
    g_szProgramFolder = g_szRecordFolder;
    g_szDataFolder = g_szRecordFolder;
    SetFileDialog([this](CNarvoView*, FileDialogRequest&) {
      ++fileDialogs;
      return FileDialogResult{};
    });
    SetSaveChoiceDialog([this](CNarvoView*, const std::u16string&) {
      ++saveChoices;
      return int(kSaveNot);
    });
  }
  void TearDown() override {
    SetFileDialog(nullptr);
    SetSaveChoiceDialog(nullptr);
    g_bResumeGame = 0;
    g_szRecordTitle.clear();
    g_szRecordFileName.clear();
    g_szRecordFilePath.clear();
    BoardViewFixture::TearDown();
  }
  std::u16string Path(const std::u16string& name) {
    return dir.path().toStdU16String() + u"/" + name;
  }
  // A move entered in the game as the board input enters it.
  int Play(int key) {
    const int r = DoMove(view.get(), kMoveGame, key, kRedrawSilent);
    if (r == kDoMoveGoesOn || r == kDoMoveDeclined) NextTurnOrStop(view.get());
    else EndGame(view.get());
    return r;
  }
  void Click(int square) {
    const PixelPoint p = Centre(square);
    QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(p.x, p.y));
  }
  bool ClockRuns() const { return view->IsTimerSet(kClockTimer); }
  bool Asked(const std::u16string& text) const {
    for (const RecordedBox& b : ui.boxes)
      if (b.text == text) return true;
    return false;
  }

  PrivateHome home;
  QTemporaryDir dir;
  int fileDialogs = 0;
  int saveChoices = 0;
};

TEST_F(GamePlayTest, ClockShowsThinkingTimeAndMovesKeepTheirSeconds) {
  StartNewGame(view.get());
  EXPECT_EQ(g_AppMode, kModeGame);
  EXPECT_TRUE(ClockRuns());
  EXPECT_EQ(g_bGameClock, 1);
  EXPECT_EQ(g_Record.header.startTime, u"2024/03/10(日) 09:05:00");
  EXPECT_EQ(g_szRecordTitle, u"新規棋譜");

  // Five ticks: the first player's line shows five seconds, in blue.
  EXPECT_EQ(FormatMoveTimes(5, 5) + u" ", u"00:05 / 00:00:05 ");
  QImage expected = view->Image().copy();
  {
    QPainter p(&expected);
    DrawInfoRunningTime(p, 5, -1);
  }
  EXPECT_NE(expected, view->Image());
  g_now += 5;
  for (int i = 0; i < 5; ++i) view->OnTimer(kClockTimer);
  EXPECT_EQ(view->Image(), expected);
  EXPECT_EQ(g_nReplayTick, 5);

  // A move by the mouse: its seconds are the time thought over.
  Click(77);
  Click(76);
  ASSERT_EQ(g_Record.moveNumber, 1);
  EXPECT_EQ(g_Record.current->seconds, 5);
  EXPECT_TRUE(ClockRuns());
  EXPECT_EQ(g_tClockStart, g_now);
  g_now += 7;
  EXPECT_EQ(Play(k34), kDoMoveGoesOn);
  EXPECT_EQ(g_Record.current->seconds, 7);

  // A take-back and a step back both start the clock again.
  g_now += 3;
  view->KillTimer(kClockTimer);
  DoMove(view.get(), kMoveGame, kKeyTakeBackEntered, kRedrawSilent);
  EXPECT_EQ(g_Record.moveNumber, 1);
  EXPECT_TRUE(ClockRuns());
  EXPECT_EQ(g_tClockStart, g_now);
  g_now += 2;
  view->KillTimer(kClockTimer);
  StepBackward(view.get());
  EXPECT_EQ(g_Record.moveNumber, 0);
  EXPECT_TRUE(ClockRuns());
  EXPECT_EQ(g_tClockStart, g_now);
}

TEST_F(GamePlayTest, RepetitionStopsTheClock) {
  g_bCheckRules = 1;
  StartNewGame(view.get());
  const int shuffle[4] = {Key(28, 38), Key(82, 72), Key(38, 28), Key(72, 82)};
  int r = kDoMoveGoesOn;
  for (int i = 0; i < 12 && r == kDoMoveGoesOn; ++i) {
    r = DoMove(view.get(), kMoveGame, shuffle[i % 4], kRedrawSilent);
    if (r == kDoMoveGoesOn) NextTurnOrStop(view.get());
  }
  EXPECT_EQ(r, kDoMoveRepetition);
  EXPECT_FALSE(ClockRuns());
  EXPECT_TRUE(Asked(u"千日手です。"));
}

TEST_F(GamePlayTest, EndCommands) {
  struct Case {
    int command;
    int endCode;  // -1: no node
  } cases[] = {
      {kCmdResign, kEndResign},          {kCmdSuspend, kEndSuspend},
      {kCmdEndIllegalLoss, kEndIllegalLoss}, {kCmdEndIllegalWin, kEndIllegalWin},
      {kCmdEndImpasse, kEndImpasse},     {kCmdEndRepetition, kEndRepetition},
      {kCmdEndNoMate, kEndNoMate},       {kCmdEndTimeLoss, kEndTimeLoss},
      {kCmdEndMate, kEndMate},           {kCmdEndInput, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    ResetRecordTree(g_Record);
    SetInitialBoard(g_Board);
    CopyBoardState(g_StartBoard, g_Board);
    g_Record.header = RecordHeader();
    g_szRecordTitle.clear();
    ui.boxes.clear();
    StartNewGame(view.get());
    Play(k76);
    EnterEndMark(view.get(), c.command);
    EXPECT_EQ(g_AppMode, kModeView);
    EXPECT_FALSE(ClockRuns());
    const RecordNode* node = GetNodeAtMove(1, g_Record);
    ASSERT_NE(node, nullptr);
    if (c.endCode < 0) {
      EXPECT_EQ(node->firstChild, nullptr);
      EXPECT_EQ(g_Record.moveNumber, 1);
    } else {
      ASSERT_NE(node->firstChild, nullptr);
      EXPECT_EQ(node->firstChild->from, kEndFrom);
      EXPECT_EQ(node->firstChild->to, c.endCode);
      EXPECT_EQ(g_Record.moveNumber, c.endCode == kEndResign ? 2 : 1);
    }
    EXPECT_EQ(g_Record.header.endTime, u"2024/03/10(日) 09:05:00");
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(ui.boxes.back().text, u"棋譜を保存しますか？");
    EXPECT_EQ(ui.boxes.back().caption, u"棋譜の保存");
  }
  // Yes to the question on an unnamed record: Save As.
  EXPECT_EQ(fileDialogs, int(std::size(cases)));
  EXPECT_EQ(saveChoices, 0);
}

TEST_F(GamePlayTest, EndDateOnlyOnTheMainLineWithTheSettingOn) {
  g_szRecordTitle = u"対局";  // named: the save dialog instead of the question
  // A main line of two moves; the game goes on in a variation of move 1.
  StartNewGame(view.get());
  Play(k76);
  Play(k34);
  StepBackward(view.get());
  StepBackward(view.get());
  Play(k26);
  ASSERT_TRUE(IsInVariation(g_Record.current, g_Record));
  EnterEndMark(view.get(), kCmdEndInput);
  EXPECT_EQ(g_Record.header.endTime, u"");
  EXPECT_EQ(saveChoices, 1);
  EXPECT_TRUE(ui.boxes.empty());

  ResetRecordTree(g_Record);
  SetInitialBoard(g_Board);
  g_bAutoEndDate = 0;
  StartNewGame(view.get());
  Play(k76);
  EnterEndMark(view.get(), kCmdResign);
  EXPECT_EQ(g_Record.header.endTime, u"");
  EXPECT_EQ(saveChoices, 2);

  // Nothing changed: no offer at all.
  g_Record.changeCount = 0;
  g_AppMode = kModeGame;
  EnterEndMark(view.get(), kCmdEndInput);
  EXPECT_EQ(saveChoices, 2);
}

TEST_F(GamePlayTest, DeclinedEndMarkKeepsTheGameGoing) {
  g_Record.appendMode = 0;
  StartNewGame(view.get());
  Play(k76);
  StepBackward(view.get());  // the record goes on with 7六歩
  ui.answers = {kIdNo};
  EnterEndMark(view.get(), kCmdResign);
  EXPECT_TRUE(Asked(u"棋譜を書き換えます。いいですか？"));
  EXPECT_EQ(g_AppMode, kModeGame);
  EXPECT_TRUE(ClockRuns());
  EXPECT_FALSE(Asked(u"棋譜を保存しますか？"));
  EXPECT_EQ(fileDialogs + saveChoices, 0);
  ASSERT_NE(g_Record.Root()->firstChild, nullptr);
  EXPECT_EQ(NodeMoveKey(*g_Record.Root()->firstChild), k76);
}

TEST_F(GamePlayTest, HeldPieceIsPutBackWhenTheGameEnds) {
  StartNewGame(view.get());
  Click(77);
  ASSERT_EQ(g_AppMode, kModeGamePiece);
  ASSERT_NE(g_nDragState, 0);
  EnterEndMark(view.get(), kCmdEndInput);
  EXPECT_EQ(g_AppMode, kModeView);
  EXPECT_EQ(g_nDragState, 0);
  EXPECT_FALSE(g_Lifted.active);
  EXPECT_EQ(g_Board.squares[77], kSente | kPawn);
}

TEST_F(GamePlayTest, FullRecordStopsOneShortOfTheLimit) {
  const int saved = g_nMaxRecordSizeAtStart;
  g_nMaxRecordSizeAtStart = 4;
  ui.answers = {kIdOk, kIdNo};
  StartNewGame(view.get());
  Play(k76);
  Play(k34);
  EXPECT_EQ(g_AppMode, kModeGame);
  Play(k26);
  g_nMaxRecordSizeAtStart = saved;
  EXPECT_EQ(g_Record.moveNumber, 3);
  EXPECT_EQ(g_AppMode, kModeView);
  EXPECT_FALSE(ClockRuns());
  ASSERT_FALSE(ui.boxes.empty());
  EXPECT_EQ(ui.boxes[0].text, u"棋譜の大きさが限界(3手)に達しましたので、対局を中止します。");
  EXPECT_EQ(ui.boxes[1].text, u"棋譜を保存しますか？");
}

TEST_F(GamePlayTest, AutomaticSaveOfAResumedGameAsksBeforeReplacing) {
  g_bResumeGame = 1;
  g_bAutoSave = 1;
  const std::u16string target = Path(u"新規棋譜.ZRF");
  QFile old(QString::fromStdU16String(target));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old");
  old.close();
  StartNewGame(view.get());
  Play(k76);
  ui.answers = {kIdYes, kIdNo};  // save, but do not replace
  EnterEndMark(view.get(), kCmdSuspend);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].text, FormatU16(u"同名の棋譜(%s)があります。書き換えますか？", target.c_str()));
  EXPECT_EQ(ui.boxes[1].caption, u"棋譜保存");
  EXPECT_EQ(fileDialogs, 1);
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "old");
  old.close();

  // Yes replaces it and says so.
  g_AppMode = kModeGame;
  ui.boxes.clear();
  ui.answers = {kIdYes, kIdYes};
  EnterEndMark(view.get(), kCmdEndInput);
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_TRUE(old.readAll().contains("7"));
  ASSERT_FALSE(ui.status.empty());
  EXPECT_EQ(ui.status.back(), FormatU16(u"棋譜ファイル(%s)を出力しました。", target.c_str()));
}

TEST_F(GamePlayTest, ContinueFromABoardDiagram) {
  SetCurrentFileName(Path(u"詰め.bod"));
  ContinueGame(view.get());
  EXPECT_EQ(g_szRecordFileName, u"詰め.zrf");
  EXPECT_EQ(g_szRecordTitle, u"詰め");
  EXPECT_EQ(g_AppMode, kModeGame);

  QFile taken(QString::fromStdU16String(Path(u"詰め.zrf")));
  ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
  taken.close();
  EnterEndMark(view.get(), kCmdEndInput);
  SetCurrentFileName(Path(u"詰め.bod"));
  ContinueGame(view.get());
  EXPECT_EQ(g_szRecordTitle, u"新規棋譜");
}

TEST_F(GamePlayTest, ContinueStepsOffAnEndMark) {
  StartNewGame(view.get());
  Play(k76);
  EnterEndMark(view.get(), kCmdResign);
  ASSERT_EQ(g_Record.moveNumber, 2);
  ContinueGame(view.get());
  EXPECT_EQ(g_Record.moveNumber, 1);
  EXPECT_EQ(g_AppMode, kModeGame);
  EXPECT_EQ(Play(k34), kDoMoveGoesOn);
}

TEST_F(GamePlayTest, ResumeCutsTheRecordAtTheSuspension) {
  struct Case {
    const char* name;
    int end;        // end mark after the three moves
    int shownMove;  // move shown when resumed
  } cases[] = {{"suspended", kEndSuspend, 3}, {"resigned, shown at it", kEndResign, 4},
               {"moves after the shown one", kEndResign, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetRecordTree(g_Record);
    SetInitialBoard(g_Board);
    CopyBoardState(g_StartBoard, g_Board);
    for (int key : {k76, k34, k26}) DoMove(nullptr, kMoveGame, key, kRedrawSilent);
    DoMove(nullptr, kMoveGame, kEndFrom | c.end << 8, kRedrawSilent);
    ASSERT_EQ(AppendComment(g_Record, 3, u"後の感想"), 0);
    while (g_Record.moveNumber > c.shownMove) UndoMove(nullptr, kMoveQuiet, kRedrawSilent);
    g_AppMode = kModeView;
    g_bResumeGame = 1;
    ResumeSuspendedGame(view.get());
    StartNewGame(view.get());
    EXPECT_EQ(g_Record.moveNumber, 3);
    EXPECT_EQ(GetLineLength(g_Record), 3);
    EXPECT_EQ(g_Record.current->firstChild, nullptr);
    EXPECT_EQ(g_Board.sideToMove, kGote);
    EXPECT_EQ(g_AppMode, kModeGame);
    EXPECT_TRUE(ClockRuns());
    EXPECT_EQ(Play(k84), kDoMoveGoesOn);
    EXPECT_EQ(g_Record.moveNumber, 4);
    EnterEndMark(view.get(), kCmdEndInput);
  }
}

TEST_F(GamePlayTest, CommandLineGResumes) {
  for (int key : {k76, k34}) DoMove(nullptr, kMoveGame, key, kRedrawSilent);
  DoMove(nullptr, kMoveGame, kEndFrom | kEndSuspend << 8, kRedrawSilent);
  UndoMove(nullptr, kMoveQuiet, kRedrawSilent);
  UndoMove(nullptr, kMoveQuiet, kRedrawSilent);
  CommandLine cmd;
  cmd.bGame = true;
  RunCommandLineActions(cmd, DefaultStartupActions());
  EXPECT_EQ(g_bResumeGame, 1);
  EXPECT_EQ(g_Record.moveNumber, 2);
  EXPECT_EQ(g_AppMode, kModeGame);
}

TEST_F(GamePlayTest, NewGameWithOtherKeepsTheShownPositionAsStart) {
  StartNewGame(view.get());
  Play(k76);
  Play(k34);
  EnterEndMark(view.get(), kCmdEndInput);
  const BoardState shown = g_Board;
  NewGameValues v;
  v.handicap = kHandicapFree;
  v.firstPlayer = std::u16string(u"甲");
  ApplyNewGame(view.get(), v);
  EXPECT_EQ(g_Record.moveNumber, 0);
  EXPECT_EQ(std::memcmp(g_StartBoard.squares, shown.squares, sizeof shown.squares), 0);
  EXPECT_EQ(g_StartBoard.sideToMove, shown.sideToMove);
  EXPECT_EQ(g_Record.header.firstPlayer, u"甲");
  QFile players(QString::fromStdU16String(Path(u"対局者.his")));
  ASSERT_TRUE(players.open(QIODevice::ReadOnly));
  EXPECT_TRUE(players.readAll().endsWith("甲\r\n"));
  EXPECT_EQ(g_szRecordTitle, u"新規棋譜");
  // The first move of the new game replays from the saved start.
  EXPECT_EQ(Play(k26), kDoMoveGoesOn);
  BoardState replay = g_StartBoard;
  MakeMoveOnBoard(replay, BuildMoveCode(replay, 27, 26));
  EXPECT_EQ(std::memcmp(replay.squares, g_Board.squares, sizeof replay.squares), 0);
  // Saved and opened again, it starts from that position with its move.
  const BoardState start = g_StartBoard;
  ASSERT_EQ(SaveZrfFile(Path(u"other.zrf"), false), 0);
  ASSERT_EQ(OpenRecordFile(view.get(), Path(u"other.zrf")), 0);
  EXPECT_EQ(std::memcmp(g_StartBoard.squares, start.squares, sizeof start.squares), 0);
  EXPECT_EQ(g_StartBoard.sideToMove, start.sideToMove);
  EXPECT_EQ(GetLineLength(g_Record), 1);
  ASSERT_NE(g_Record.Root()->firstChild, nullptr);
  EXPECT_EQ(g_Record.Root()->firstChild->from, 27);
  EXPECT_EQ(g_Record.Root()->firstChild->to, 26);
}

}  // namespace
