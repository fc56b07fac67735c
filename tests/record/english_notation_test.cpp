#include "record/english_notation.h"

#include <gtest/gtest.h>

#include <string>

#include "record/board.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/file_faults.h"
#include "tests/support/record_building.h"
#include "tests/support/recording_ui.h"
#include "tests/support/text_lines.h"

namespace {

std::string Show(const std::u16string& text) { return Utf16ToUtf8(text); }
int Key(int from, int to) { return from | to << 8; }

class EnglishNotationTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetEnvDefaults();
    InitSquareTables();
    InstallMoveNotation();
    ASSERT_EQ(InitRecordPool(g_Record, 200), 0);
    SetInitialBoard(g_Board);
    SetInitialBoard(g_StartBoard);
  }
  void TearDown() override { ResetEnvDefaults(); }
  // P-7f P-3d Bx2b+ Sx2b B*4e resigns, a comment on the third move.
  void PlayShortGame() {
    AddMoveAndGo(Key(77, 76));
    AddMoveAndGo(Key(33, 34));
    AddMoveAndGo(Key(88, 22 | 0x80));
    ASSERT_EQ(AppendComment(g_Record, 3, u"sharp"), 0);
    AddMoveAndGo(Key(31, 22));
    AddMoveAndGo(Key(HandCellOf(kSente, kBishop), 45));
    AddMoveAndGo(Key(kEndFrom, kEndResign), true);
  }
  RecordingUi ui;
};

TEST_F(EnglishNotationTest, MovesAndEndWords) {
  struct Case {
    int to, from, piece, captured, flags, width;
    const char* expected;
  } cases[] = {
      {76, 77, 0x81, 0, 0, 0, "P-7f"},
      {22 | 0x80, 88, 0x86, 0x06, 0, 0, "Bx2b+"},
      {58, 69, 0x85, 0, 2, 0, "G6i-5h"},
      {55, 0x91, 0x81, 0, 2, 0, "P*5e"},  // a drop never names a square it came from
      {44, 53, 0x84, 0, 0x40, 0, "S-4d="},
      {22, 28, 0x8F, 0x03, 0, 0, "+Rx2b"},
      {76, 77, 0x81, 0, 0, 7, "P-7f   "},
      {58, 69, 0x85, 0, 2, 3, "G6i-5h"},
      {kEndResign, kEndFrom, 0x80, 0, 0, 0, "resigns"},
      {kEndSuspend, kEndFrom, 0x80, 0, 0, 0, "quit"},
      {kEndIllegalLoss, kEndFrom, 0x80, 0, 0, 0, "illegal move"},
      {kEndIllegalWin, kEndFrom, 0x80, 0, 0, 0, "wins by illegal move"},
      {kEndImpasse, kEndFrom, 0x80, 0, 0, 0, "jishogi"},
      {kEndMate, kEndFrom, 0x80, 0, 0, 0, "mated"},
      {kEndRepetition, kEndFrom, 0x80, 0, 0, 0, "sennichite"},
      {kEndNoMate, kEndFrom, 0x80, 0, 0, 0, "no mate"},
      {kEndTimeLoss, kEndFrom, 0x80, 0, 0, 0, "time out"},
      {kEndEnteringKing, kEndFrom, 0x80, 0, 0, 0, "entering king"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Show(FormatMoveEnglish(c.to, c.from, c.piece, c.captured, c.flags, c.width)), c.expected);
}

TEST_F(EnglishNotationTest, PositionTemplateFollowsTheMoves) {
  g_Record.header.firstPlayer = u"Sato";
  AddMoveAndGo(Key(77, 76));
  std::u16string text;
  AppendEnglishPosition(text, u"t", true);
  const std::string board =
      "White in hand: nothing\n"
      "  9  8  7  6  5  4  3  2  1\n"
      "+---------------------------+\n"
      "|wL wN wS wG wK wG wS wN wL |a\n"
      "| * wR  *  *  *  *  * wB  * |b\n"
      "|wP wP wP wP wP wP wP wP wP |c\n"
      "| *  *  *  *  *  *  *  *  * |d\n"
      "| *  *  *  *  *  *  *  *  * |e\n"
      "| *  * bP  *  *  *  *  *  * |f\n"
      "|bP bP  * bP bP bP bP bP bP |g\n"
      "| * bB  *  *  *  *  * bR  * |h\n"
      "|bL bN bS bG bK bG bS bN bL |i\n"
      "+---------------------------+\n"
      "Black: Sato\n"
      "Black in hand: nothing\n"
      "White to Move\n";
  EXPECT_EQ(Show(text), Show(Crlf(board + "up to 1.P-7f.\n")));
  AddMoveAndGo(Key(33, 34));
  g_szEngBoardTextFormat = u"%n %N %l %A %p %P %b/%w %h>%o %%%{%x";
  text.clear();
  AppendEnglishPosition(text, u"t", true);
  EXPECT_EQ(Show(text), "1 2 ..P-3d P-3d P-7f P-7f Sato/ >Sato %{");
  EXPECT_EQ(ui.boxes.size(), 1u);
  // The second player starting counts its first move as move 1 too.
  SetHandicapBoard(g_StartBoard, 1);
  text.clear();
  g_szEngBoardTextFormat = u"%n";
  AppendEnglishPosition(text, u"t", false);
  EXPECT_EQ(Show(text), "2");
}

TEST_F(EnglishNotationTest, HandsAndBlankMarks) {
  BoardState board;
  SetInitialBoard(board);
  board.hands[1][kRook] = 1;
  board.hands[1][kPawn] = 3;
  board.hands[1][0] = 4;
  std::u16string text;
  AppendEnglishHand(text, kSente, board);
  EXPECT_EQ(Show(text), "Black in hand: R P3 \r\n");
  text.clear();
  AppendEnglishBoard(text, board, 1);
  EXPECT_NE(Show(text).find("|vL vN vS vG vK vG vS vN vL |a\r\n"), std::string::npos) << Show(text);
  EXPECT_NE(Show(text).find("| L  N  S  G  K  G  S  N  L |i\r\n"), std::string::npos) << Show(text);
}

TEST_F(EnglishNotationTest, RecordInEachStyle) {
  g_Record.header.firstPlayer = u"山田";
  g_Record.header.secondPlayer = u"Kim";
  PlayShortGame();
  const std::string head = "Black: 山田\nWhite: Kim\n\n";
  struct Case {
    int style, perLine;
    std::string moves;
  } cases[] = {
      {0, 8, "  1.P-7f   P-3d     2.Bx2b+  \n*sharp\nSx2b     3.B*4e   resigns\n"},
      {0, 2, "  1.P-7f   P-3d   \n  2.Bx2b+  \n*sharp\nSx2b     3.B*4e   \nresigns\n"},
      {1, 8, "  1.P-7f    2.P-3d    3.Bx2b+ \n*sharp\n  4.Sx2b    5.B*4e    6.resigns \n"},
      {2, 3, "P-7f    P-3d    Bx2b+\n*sharp\nSx2b    B*4e    resigns\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style * 100 + c.perLine);
    g_nEngRecordStyle = c.style;
    g_nEngMovesPerLine = c.perLine;
    std::u16string text;
    AppendEnglishRecord(text);
    EXPECT_EQ(Show(text), Show(Crlf(head + c.moves + "\n")));
  }
}

TEST_F(EnglishNotationTest, SecondPlayerStartingLeavesTheFirstColumnEmpty) {
  SetHandicapBoard(g_StartBoard, 4);
  SetHandicapBoard(g_Board, 4);
  AddMoveAndGo(Key(51, 42));
  AddMoveAndGo(Key(77, 76));
  std::u16string text;
  AppendEnglishRecord(text);
  EXPECT_EQ(Show(text), Show(Crlf("Handicap: Rook    \n\n  1. ...   K-4b     2.P-7f   \n\n")));
}

TEST_F(EnglishNotationTest, FilesAreCp932WithCrLf) {
  g_Record.header.firstPlayer = u"山田";
  AddMoveAndGo(Key(77, 76));
  const ScratchFolder dir("eng");
  ASSERT_EQ(SaveEnglishRecord(PathFromNative(dir.Path("a.gam"))), 0);
  EXPECT_EQ(RawFileBytes(dir.Path("a.gam")), "Black: \x8E\x52\x93\x63\r\n\r\n  1.P-7f   \r\n\r\n");
  g_szEngBoardTextFormat = u"%b %l%c";
  ASSERT_EQ(WriteEnglishPositionFile(PathFromNative(dir.Path("a.txt")), u"a"), 0);
  EXPECT_EQ(RawFileBytes(dir.Path("a.txt")), "\x8E\x52\x93\x63 P-7f\r\n");
  EXPECT_EQ(SaveEnglishRecord(PathFromNative(dir.Path("none/b.gam"))), -1);
}

}  // namespace
