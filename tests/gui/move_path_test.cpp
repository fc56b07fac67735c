// The road of a move: game moves into record and board, stepping along the
// record, the question before a continuation is replaced, take-backs and the
// control keys, repetition, the full record, and the repaint order.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <memory>
#include <string>
#include <vector>

#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/board.h"
#include "record/clock.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/rules.h"
#include "settings/env.h"
#include "tests/support/board_view_fixture.h"
#include "tests/support/position_loader.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"
#include "tests/support/view_images.h"
#include "view/board_drawing.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/piece_images.h"

namespace {

std::vector<std::string> g_trace;
int g_sounds = 0;
int64_t g_now = 1000;

constexpr int Key(int from, int to) { return from | to << 8; }

class MovePathTest : public BoardViewFixture {
protected:
  void SetUp() override {
    SetUpView(5);
    g_bGameClock = 0;
    g_now = 1000;
    SetClockForTesting([] { return g_now; });
    g_tMoveTime = g_now;
    g_trace.clear();
    g_sounds = 0;
    g_pMovePathTrace = [](const char* step) { g_trace.push_back(step); };
    g_pPlayPieceSound = [] { ++g_sounds; };
  }
  void TearDown() override {
    g_pMovePathTrace = nullptr;
    g_pPlayPieceSound = nullptr;
    BoardViewFixture::TearDown();
    g_bGameClock = 0;
  }
  void Play(std::initializer_list<int> keys, int mode = kMoveGame) {
    for (int key : keys)
      ASSERT_EQ(DoMove(view.get(), mode, key, 0), kDoMoveGoesOn) << std::hex << key;
  }
  // Back to the start without drawing, as a jump does.
  void BackTo(int n) {
    while (g_Record.moveNumber > n) UndoMove(view.get(), kMoveQuiet, 0);
  }
  // The position reached by making the moves on the start position alone.
  static BoardState After(std::initializer_list<int> keys) {
    BoardState b;
    CopyBoardState(b, g_StartBoard);
    for (int key : keys) {
      MakeMoveOnBoard(b, BuildMoveCode(b, key & 0xFF, key >> 8));
      b.sideToMove = kSente - b.sideToMove;
    }
    return b;
  }
  static void ExpectBoard(const BoardState& b) {
    EXPECT_EQ(CompareBoardStates(g_Board, b), 0);
    EXPECT_EQ(g_Board.sideToMove, b.sideToMove);
  }
};

const int k76 = Key(77, 76), k34 = Key(33, 34), k84 = Key(83, 84), k26 = Key(27, 26);

TEST_F(MovePathTest, GameMoveReachesRecordAndBoardWithItsSeconds) {
  for (int zero : {0, 1}) {
    SCOPED_TRACE(zero);
    ResetRecordTree(g_Record);
    g_Record.changeCount = 0;
    CopyBoardState(g_Board, g_StartBoard);
    g_bWriteZeroTimes = zero;
    g_bUndoPending = 1;
    g_bRedoAvailable = 1;
    g_tMoveTime = g_now;
    g_now += 7;
    EXPECT_EQ(DoMove(view.get(), kMoveGame, k76, 1), kDoMoveGoesOn);
    ExpectBoard(After({k76}));
    EXPECT_EQ(g_Record.moveNumber, 1);
    ASSERT_EQ(g_Record.current, g_Record.Root()->firstChild);
    EXPECT_EQ(NodeMoveKey(*g_Record.current), k76);
    EXPECT_EQ(g_Record.current->piece, kSenteBit | kPawn);
    EXPECT_EQ(g_Record.current->seconds, zero ? 0 : 7);
    EXPECT_EQ(g_tMoveTime, g_now);
    EXPECT_NE(g_Record.changeCount, 0);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(g_bUndoPending, 0);
    EXPECT_EQ(g_bRedoAvailable, 0);
  }
  EXPECT_EQ(g_sounds, 2);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MovePathTest, SteppingSelectsTheRecordedMovesWithoutAddingAny) {
  Play({k76, k34, k26});
  int freeNodes = CountFreeNodes(g_Record);
  BackTo(0);
  ExpectBoard(g_StartBoard);
  g_trace.clear();
  Play({k76, k34}, kMoveQuiet);
  EXPECT_TRUE(g_trace.empty()) << "mode 4 draws nothing";
  EXPECT_EQ(DoMove(view.get(), kMoveStep, k26, 2), kDoMoveGoesOn);
  ExpectBoard(After({k76, k34, k26}));
  EXPECT_EQ(g_Record.moveNumber, 3);
  EXPECT_EQ(CountFreeNodes(g_Record), freeNodes);
  EXPECT_EQ(g_sounds, 1);

  // A move the record does not hold is refused and leaves board and record
  // in step with each other.
  BackTo(2);
  RecordNode* current = g_Record.current;
  EXPECT_EQ(DoMove(view.get(), kMoveStep, Key(87, 86), 0), kDoMoveGoesOn);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"エラー");
  EXPECT_EQ(g_Record.current, current);
  EXPECT_EQ(g_Record.moveNumber, 2);
  ExpectBoard(After({k76, k34}));
}

TEST_F(MovePathTest, AsksBeforeReplacingTheContinuationOnlyInReplaceMode) {
  const struct {
    const char* name;
    int appendMode;
    int key;
    int answer;
    bool asked;
    int result;
    std::vector<int> childrenAfterMove1;  // keys of move 2's alternatives
  } cases[] = {
      {"replace, yes", 0, k84, kIdYes, true, kDoMoveGoesOn, {k84}},
      {"replace, no", 0, k84, kIdNo, true, kDoMoveDeclined, {k34}},
      {"replace, same move", 0, k34, kIdNo, false, kDoMoveGoesOn, {k34}},
      {"variation", 1, k84, kIdNo, false, kDoMoveGoesOn, {k34, k84}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ResetRecordTree(g_Record);
    CopyBoardState(g_Board, g_StartBoard);
    g_Record.appendMode = 1;
    Play({k76, k34, k26});
    BackTo(1);
    g_Record.appendMode = c.appendMode;
    ui.boxes.clear();
    ui.answers = {c.answer};
    EXPECT_EQ(DoMove(view.get(), kMoveGame, c.key, 0), c.result);
    ASSERT_EQ(ui.boxes.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(ui.boxes[0].text, u"棋譜を書き換えます。いいですか？");
      EXPECT_EQ(ui.boxes[0].caption, u"棋譜書き換え確認");
      EXPECT_EQ(ui.boxes[0].flags & 0xF, kMbYesNo);
    }
    std::vector<int> keys;
    for (RecordNode* n = GetNodeAtMove(1)->firstChild; n; n = n->nextSibling)
      keys.push_back(NodeMoveKey(*n));
    EXPECT_EQ(keys, c.childrenAfterMove1);
    EXPECT_EQ(g_Record.moveNumber, c.result == kDoMoveDeclined ? 1 : 2);
    ExpectBoard(c.result == kDoMoveDeclined ? After({k76}) : After({k76, c.key}));
  }

  // After a 中断 mark nothing is asked.
  ResetRecordTree(g_Record);
  CopyBoardState(g_Board, g_StartBoard);
  g_Record.appendMode = 0;
  Play({k76});
  EXPECT_EQ(DoMove(view.get(), kMoveGame, Key(1, kEndSuspend), 0), kDoMoveEnded);
  ui.boxes.clear();
  Play({k34});
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MovePathTest, TakeBacksAndControlKeys) {
  Play({k76, k34});
  // 入力の取り消し of the line's last move deletes it.
  EXPECT_EQ(DoMove(view.get(), kMoveGame, kKeyTakeBackEntered, 0), kDoMoveGoesOn);
  EXPECT_EQ(g_Record.moveNumber, 1);
  EXPECT_EQ(g_Record.current->firstChild, nullptr);
  ExpectBoard(After({k76}));

  // In the middle of a line it keeps the continuation; so does １手戻す.
  Play({k34});
  BackTo(1);
  EXPECT_EQ(DoMove(view.get(), kMoveGame, kKeyTakeBackEntered, 0), kDoMoveGoesOn);
  EXPECT_EQ(g_Record.moveNumber, 0);
  EXPECT_EQ(GetLineLength(g_Record), 2);
  Play({k76});
  EXPECT_EQ(DoMove(view.get(), kMoveGame, kKeyTakeBackOne, 0), kDoMoveGoesOn);
  EXPECT_EQ(g_Record.moveNumber, 0);
  EXPECT_EQ(GetLineLength(g_Record), 2);
  ExpectBoard(g_StartBoard);

  // The record's next move, with the clock started again after the control
  // key; none left to enter restarts the clock too.
  g_bGameClock = 1;
  g_Record.appendMode = 1;
  for (int expectedMove : {1, 2, 2}) {
    view->KillTimer(kClockTimer);
    g_now += 3;
    EXPECT_EQ(DoMove(view.get(), kMoveGame, kKeyEnterNext, 0), kDoMoveGoesOn);
    EXPECT_EQ(g_Record.moveNumber, expectedMove);
  }
  EXPECT_TRUE(view->IsTimerSet(kClockTimer));
  ExpectBoard(After({k76, k34}));
  view->KillTimer(kClockTimer);
  g_now += 5;
  Play({kKeyTakeBackOne});
  EXPECT_TRUE(view->IsTimerSet(kClockTimer));
  EXPECT_EQ(g_tMoveTime, g_now);

  // An end mark leaves the move number; the resignation advances it.
  EXPECT_EQ(DoMove(view.get(), kMoveGame, Key(1, kEndMate), 0), kDoMoveEnded);
  EXPECT_EQ(g_Record.moveNumber, 1);
  EXPECT_EQ(DoMove(view.get(), kMoveGame, kKeyResign, 0), kDoMoveEnded);
  EXPECT_EQ(g_Record.moveNumber, 2);
  EXPECT_EQ(g_Board.sideToMove, kSente);
  EXPECT_TRUE(IsEndNode(*g_Record.current));
  ExpectBoard([] {
    BoardState b = After({k76});
    b.sideToMove = kSente;
    return b;
  }());
  // Taking the resignation back restores the side; the rule checking refuses
  // a recorded move that is illegal now.
  UndoMove(view.get(), kMoveGame, 0);
  ExpectBoard(After({k76}));
  g_bCheckRules = 1;
  ResetRecordTree(g_Record);
  CopyBoardState(g_Board, g_StartBoard);
  Play({k76});
  BackTo(0);
  g_Board.sideToMove = kGote;  // the pawn is not the mover's now
  EXPECT_EQ(DoMove(view.get(), kMoveGame, kKeyEnterNext, 0), kDoMoveGoesOn);
  EXPECT_EQ(g_Record.moveNumber, 0);
}

TEST_F(MovePathTest, FourthOccurrenceIsRepetitionOnlyWithRuleChecking) {
  // Both rooks out and back: the start position again every four moves.
  const int shuffle[] = {Key(28, 38), Key(82, 72), Key(38, 28), Key(72, 82)};
  for (int rules : {1, 0}) {
    SCOPED_TRACE(rules);
    g_bCheckRules = uint8_t(rules);
    ResetRecordTree(g_Record);
    CopyBoardState(g_Board, g_StartBoard);
    ui.boxes.clear();
    ui.warnings = 0;
    int last = -1;
    for (int i = 0; i < 12; ++i) {
      last = DoMove(view.get(), kMoveGame, shuffle[i % 4], 0);
      if (i < 11) {
        ASSERT_EQ(last, kDoMoveGoesOn) << i;
      }
    }
    EXPECT_EQ(g_Record.moveNumber, 12);
    RecordNode* mark = g_Record.current->firstChild;
    if (rules) {
      EXPECT_EQ(last, kDoMoveRepetition);
      ASSERT_NE(mark, nullptr);
      EXPECT_EQ(NodeMoveKey(*mark), Key(1, kEndRepetition));
      EXPECT_EQ(ui.warnings, 1);
      ASSERT_EQ(ui.boxes.size(), 1u);
      EXPECT_EQ(ui.boxes[0].text, u"千日手です。");
    } else {
      EXPECT_EQ(last, kDoMoveGoesOn);
      EXPECT_EQ(mark, nullptr);
      EXPECT_TRUE(ui.boxes.empty());
    }
  }
  // Replaying the line (recorded above without the mark) announces it with
  // the move number and ends the replay, but adds nothing.
  BackTo(0);
  g_bCheckRules = 1;
  g_bDetectRepetition = 1;
  for (int i = 0; i < 11; ++i) Play({shuffle[i % 4]}, kMoveStep);
  EXPECT_EQ(DoMove(view.get(), kMoveStep, shuffle[3], 0), kDoMoveRepetition);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"12 手で千日手です。");
  EXPECT_EQ(g_Record.current->firstChild, nullptr);
}

TEST_F(MovePathTest, FullRecordRefusesTheMove) {
  InitRecordPool(g_Record, 3);  // the root and two moves
  Play({k76, k34});
  EXPECT_EQ(DoMove(view.get(), kMoveGame, k26, 0), kDoMoveGoesOn);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"棋譜サイズオーバ：設定の棋譜最大を大きくして下さい。");
  EXPECT_EQ(g_Record.moveNumber, 2);
  ExpectBoard(After({k76, k34}));
}

TEST_F(MovePathTest, RepaintsInItsFixedOrder) {
  g_bEmphasizeTurn = 1;
  g_nLastMoveMark = 2;
  EXPECT_EQ(DoMove(view.get(), kMoveGame, k76, kRedrawAnimate), kDoMoveGoesOn);
  const std::vector<std::string> move = {
      "clear-marks", "animate", "squares",     "sound",    "time-line", "marks", "info-last-move",
      "info-side",   "stand-labels", "comment", "info-lines", "move-list", "branch"};
  EXPECT_EQ(g_trace, move);
  g_trace.clear();
  UndoMove(view.get(), kMoveStep, kRedrawAnimate);
  const std::vector<std::string> undo = {
      "animate",   "squares", "sound",      "marks",     "info-last-move", "info-side",
      "stand-labels", "time-line", "comment", "info-lines", "move-list",      "branch"};
  EXPECT_EQ(g_trace, undo);
  g_trace.clear();
  UndoMove(view.get(), kMoveStep, 0);  // at the start: nothing
  EXPECT_TRUE(g_trace.empty());
}

// The cells repainted after each move and take-back, hands whose layout
// shifts included, must show what a fresh paint of the new position draws,
// in every mark style and on the flipped board.
TEST_F(MovePathTest, MoveRepaintMatchesAFreshPaint) {
  const struct {
    int markStyle, origin, flipped;
  } settings[] = {{2, 1, 0}, {3, 1, 0}, {1, 0, 1}, {0, 0, 0}};
  // Lines of play from a start: a kind appearing in and leaving a hand that
  // already holds a lower kind shifts that kind's slot.
  const struct {
    const char* sfen;  // nullptr: the even game
    std::vector<int> moves;
  } lines[] = {
      {nullptr,
       {k76, k34, Key(88, 22 | kPromoteBit), Key(31, 22), Key(0x96, 55), Key(0x86, 45)}},
      {"4k4/9/9/9/4b4/4p4/4R4/9/4K4 b P 1",
       {Key(57, 56), Key(51, 41), Key(56, 55), Key(41, 51), Key(0x96, 33), Key(51, 41),
        Key(0x91, 57)}},
  };
  for (const auto& set : settings) {
    for (const auto& line : lines) {
      SCOPED_TRACE(set.markStyle * 100 + set.origin * 10 + set.flipped);
      SCOPED_TRACE(line.sfen ? line.sfen : "even");
      g_nLastMoveMark = uint8_t(set.markStyle);
      g_bShowMoveOrigin = set.origin;
      g_bBoardFlipped = uint8_t(set.flipped);
      if (line.sfen)
        CopyBoardState(g_StartBoard, SfenPosition(line.sfen));
      else
        SetInitialBoard(g_StartBoard);
      ResetRecordTree(g_Record);
      CopyBoardState(g_Board, g_StartBoard);
      view->InvalidateAll();
      ASSERT_EQ(Shown(), FreshPaint());
      for (int key : line.moves) {
        ASSERT_EQ(DoMove(view.get(), kMoveGame, key, 1), kDoMoveGoesOn);
        EXPECT_EQ(Shown(), FreshPaint()) << "move " << std::hex << key;
      }
      for (size_t i = 0; i < line.moves.size(); ++i) {
        UndoMove(view.get(), kMoveGame, 1);
        EXPECT_EQ(Shown(), FreshPaint()) << "take-back " << i;
      }
    }
  }
}

}  // namespace
