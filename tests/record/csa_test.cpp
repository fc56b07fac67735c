#include "record/csa.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "record/board.h"
#include "record/header.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/record_writer.h"
#include "record/rules.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/file_faults.h"
#include "tests/support/position_loader.h"
#include "tests/support/record_dump.h"
#include "tests/support/recording_ui.h"

namespace {

std::u16string DataPath(const std::string& name) {
  return PathFromNative(std::string(NARVO_TEST_DATA) + "/csa/" + name);
}

std::string DataBytes(const std::string& name) {
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(DataPath(name), bytes)) << name;
  return bytes;
}

// The writer's output in memory.
std::string Written() {
  RecordTextFile file;
  file.OpenMemory(false);
  EXPECT_EQ(WriteCsaText(file), 0);
  return file.Bytes();
}

// CSA text from UTF-8 lines, as a file in code page 932 would hold it.
std::string Csa(std::string_view utf8) { return Utf16ToAnsi(U16(utf8)); }

// The writer's output from the side-to-move line on (the first line that is
// "+" or "-" alone), with LF line ends.
std::string MovesPart(const std::string& written) {
  std::string out;
  bool started = false;
  for (const std::u16string& line : SplitLines(AnsiToUtf16(written))) {
    started = started || line == u"+" || line == u"-";
    if (started) out += Utf16ToUtf8(line) + "\n";
  }
  return out;
}

const RecordNode* MainNode(int n) {
  const RecordNode* nd = g_Record.Root();
  for (int i = 0; i < n && nd; ++i) nd = nd->firstChild;
  return nd;
}

int MainLineLength() {
  int n = 0;
  for (const RecordNode* nd = g_Record.Root()->firstChild; nd; nd = nd->firstChild) ++n;
  return n;
}

std::string CommentOf(const RecordNode* nd) {
  return nd && nd->comment ? Utf16ToUtf8(nd->comment) : std::string();
}

class CsaTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetEnvDefaults();
    InitSquareTables();
    InstallMoveNotation();
    ASSERT_EQ(InitRecordPool(g_Record, 2000), 0);
    SetInitialBoard(g_Board);
    SetInitialBoard(g_StartBoard);
  }
  void TearDown() override { ResetEnvDefaults(); }

  // Reads, writes, reads the writer's output again: the second record must
  // be the first, and writing it again must give the same bytes.
  void ExpectRoundTrip() {
    const std::string first = DumpRecord(g_Record);
    const std::string written = Written();
    ASSERT_EQ(ReadCsaBytes(written), 0);
    EXPECT_EQ(DumpRecord(g_Record), first);
    EXPECT_EQ(Written(), written);
  }

  RecordingUi ui;
};

// ---- Golden files ------------------------------------------------------------------

struct GoldenCase {
  const char* input;   // as another program wrote it
  const char* golden;  // what this writer puts out for it
};
const GoldenCase kGoldens[] = {
    {"server_game.csa", "server_game.golden.csa"},      // even game, times, 投了
    {"handicap_pi.csa", "handicap_pi.golden.csa"},      // PI with removed pieces, 中断
    {"position_hands.csa", "position_hands.golden.csa"},  // P rows, hands, 00AL, 詰み
    {"other_forms.csa", "other_forms.golden.csa"},      // V2, joined statements, blank P+
};

TEST_F(CsaTest, GoldenFilesAndRoundTrips) {
  for (const GoldenCase& g : kGoldens) {
    SCOPED_TRACE(g.input);
    ASSERT_EQ(ReadCsaFile(DataPath(g.input)), 0);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(Written(), DataBytes(g.golden));
    ExpectRoundTrip();
    // The golden file itself reads back to the same bytes.
    ASSERT_EQ(ReadCsaFile(DataPath(g.golden)), 0);
    EXPECT_EQ(Written(), DataBytes(g.golden));
  }
}

TEST_F(CsaTest, ServerGameReadsHeaderMovesTimesAndComments) {
  ASSERT_EQ(ReadCsaFile(DataPath("server_game.csa")), 0);
  const RecordHeader& h = g_Record.header;
  EXPECT_EQ(h.firstPlayer, u"Engine_A");
  EXPECT_EQ(h.secondPlayer, u"後手名人");
  EXPECT_EQ(h.event, u"練習対局-300-10F");
  EXPECT_EQ(h.place, u"shogi-server");
  EXPECT_EQ(h.startTime, u"2024/01/06 10:00:00");
  EXPECT_EQ(h.endTime, u"2024/01/06 10:09:41");
  EXPECT_EQ(h.timeLimit, u"00:05+10");
  // Even layout from P rows with the first player to move: a standard start.
  EXPECT_EQ(g_StartBoard.handicap, kHandicapEven);
  EXPECT_EQ(g_StartBoard.notAtStart, 0);
  EXPECT_EQ(g_Record.changeCount, 0);
  EXPECT_EQ(g_Record.current, g_Record.Root());

  struct Expected {
    int from, to, piece, captured, seconds;
    const char* comment;
  };
  const Expected kMoves[] = {
      {77, 76, 0x81, 0, 12, ""},
      {33, 34, 0x01, 0, 5, "* 30 +8822UM\n"},
      {88, 22 | kPromoteBit, 0x86, 0x06, 3, "角交換\n"},  // +8822UM promotes
      {31, 22, 0x04, 0x8E, 8, ""},
      {0x96, 45, 0x86, 0, 20, ""},  // a drop from the first player's hand
      {82, 32, 0x07, 0, 1, ""},
  };
  ASSERT_EQ(MainLineLength(), 7);
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i + 1);
    const RecordNode* nd = MainNode(i + 1);
    EXPECT_EQ(nd->from, kMoves[i].from);
    EXPECT_EQ(nd->to, kMoves[i].to);
    EXPECT_EQ(nd->piece, kMoves[i].piece);
    EXPECT_EQ(nd->captured, kMoves[i].captured);
    EXPECT_EQ(nd->seconds, kMoves[i].seconds);
    EXPECT_EQ(CommentOf(nd), kMoves[i].comment);
  }
  const RecordNode* end = MainNode(7);
  EXPECT_EQ(end->from, kEndFrom);
  EXPECT_EQ(end->to, kEndResign);
  EXPECT_EQ(end->seconds, 4);  // the "T" line after %TORYO
  EXPECT_EQ(DescribeBoardFault(g_Board), "");
}

TEST_F(CsaTest, HandicapFromPiKeepsTheMovesSecondsApartFromTheEnd) {
  ASSERT_EQ(ReadCsaFile(DataPath("handicap_pi.csa")), 0);
  EXPECT_EQ(g_Record.header.firstPlayer, u"下手の人");
  EXPECT_EQ(g_Record.header.opening, u"二枚落ち定跡");
  EXPECT_EQ(g_StartBoard.handicap, 6);  // 二枚落ち
  EXPECT_EQ(g_StartBoard.sideToMove, kGote);
  EXPECT_EQ(g_StartBoard.notAtStart, 0);
  EXPECT_EQ(g_StartBoard.squares[82], kEmpty);
  EXPECT_EQ(g_StartBoard.squares[22], kEmpty);
  ASSERT_EQ(MainLineLength(), 3);
  EXPECT_EQ(MainNode(1)->piece, kKing);
  EXPECT_EQ(MainNode(2)->seconds, 2);
  // "%CHUDAN" then "T7": the end node takes the seconds, the move keeps its own.
  EXPECT_EQ(MainNode(3)->to, kEndSuspend);
  EXPECT_EQ(MainNode(3)->seconds, 7);
  EXPECT_NE(MovesPart(Written()).find("+7776FU,T2\n%CHUDAN,T7\n"), std::string::npos);
}

TEST_F(CsaTest, PositionRowsHandsAndAllRemainingPieces) {
  ASSERT_EQ(ReadCsaFile(DataPath("position_hands.csa")), 0);
  // P-00AL gives the second player every piece left but the kings.
  EXPECT_EQ(BoardToSfen(g_StartBoard), "8k/9/8P/9/9/9/9/9/9 b G2r2b3g4s4n4l17p 1");
  EXPECT_EQ(g_StartBoard.notAtStart, 1);
  EXPECT_EQ(DescribeBoardFault(g_StartBoard), "");
  EXPECT_EQ(CommentOf(MainNode(0)), "頭金\n");  // before the first move: the start position's
  EXPECT_EQ(MainNode(1)->from, 0x95);
  EXPECT_EQ(MainNode(2)->to, kEndMate);
}

TEST_F(CsaTest, FormsOtherProgramsWrite) {
  ASSERT_EQ(ReadCsaFile(DataPath("other_forms.csa")), 0);
  EXPECT_EQ(g_Record.header.firstPlayer, u"Player A");
  EXPECT_EQ(g_StartBoard.handicap, kHandicapEven);
  EXPECT_EQ(g_StartBoard.notAtStart, 0);
  EXPECT_EQ(CommentOf(MainNode(0)), "before the first move\n");
  ASSERT_EQ(MainLineLength(), 5);
  EXPECT_EQ(MainNode(1)->seconds, 10);  // "+2726FU,T10,-8384FU,T3"
  EXPECT_EQ(MainNode(2)->seconds, 3);
  EXPECT_EQ(CommentOf(MainNode(2)), "between moves\nsecond line\n");
  EXPECT_EQ(MainNode(3)->from, 26);  // " +2625FU": the leading blank is dropped
  EXPECT_EQ(MainNode(3)->seconds, 7);
  EXPECT_EQ(MainNode(4)->seconds, 2);
  EXPECT_EQ(MainNode(5)->to, kEndTimeLoss);
  EXPECT_EQ(MainNode(5)->seconds, 15);
  EXPECT_EQ(CommentOf(MainNode(5)), "after the end\n");
  // Of several games in one file, separated by "/", the first is read.
  ASSERT_EQ(ReadCsaBytes(Csa("N+A\n+\n+7776FU\n/\nN+B\n+\n+2726FU\n")), 0);
  EXPECT_EQ(g_Record.header.firstPlayer, u"A");
  EXPECT_EQ(MainLineLength(), 1);
}

// ---- Statements -------------------------------------------------------------------

TEST_F(CsaTest, EndWordsBothWays) {
  struct Case {
    const char* moves;  // after the even start
    const char* read;
    int code;
    const char* written;
  };
  const Case kCases[] = {
      {"+7776FU", "TORYO", kEndResign, "TORYO"},
      {"+7776FU", "CHUDAN", kEndSuspend, "CHUDAN"},
      {"+7776FU", "ILLEGAL_MOVE", kEndIllegalLoss, "ILLEGAL_MOVE"},
      // The sign names the offender: the side to move loses or wins by it.
      {"+7776FU", "-ILLEGAL_ACTION", kEndIllegalLoss, "ILLEGAL_MOVE"},
      {"+7776FU", "+ILLEGAL_ACTION", kEndIllegalWin, "+ILLEGAL_ACTION"},
      {"+7776FU\n-3334FU", "+ILLEGAL_ACTION", kEndIllegalLoss, "ILLEGAL_MOVE"},
      {"+7776FU\n-3334FU", "-ILLEGAL_ACTION", kEndIllegalWin, "-ILLEGAL_ACTION"},
      {"+7776FU", "JISHOGI", kEndImpasse, "JISHOGI"},
      {"+7776FU", "HIKIWAKE", kEndImpasse, "JISHOGI"},
      {"+7776FU", "TSUMI", kEndMate, "TSUMI"},
      {"+7776FU", "SENNICHITE", kEndRepetition, "SENNICHITE"},
      {"+7776FU", "FUZUMI", kEndNoMate, "FUZUMI"},
      {"+7776FU", "TIME_UP", kEndTimeLoss, "TIME_UP"},
      {"+7776FU", "KACHI", kEndEnteringKing, "KACHI"},
      // Not taken: the line is ignored, and the time after it is not the move's.
      {"+7776FU", "MATTA", -1, nullptr},
      {"+7776FU", "ERROR", -1, nullptr},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.moves) + " %" + c.read);
    ASSERT_EQ(ReadCsaBytes(Csa(std::string("PI\n+\n") + c.moves + "\n%" + c.read + "\nT9\n")), 0);
    const RecordNode* last = MainNode(MainLineLength());
    if (c.code < 0) {
      EXPECT_TRUE(IsBoardMoveNode(*last));
      EXPECT_EQ(last->seconds, 0);
      continue;
    }
    EXPECT_EQ(last->from, kEndFrom);
    EXPECT_EQ(last->to, c.code);
    EXPECT_EQ(last->seconds, 9);  // whether the end node became current or not
    EXPECT_EQ(MainNode(MainLineLength() - 1)->seconds, 0);
    const std::string tail = std::string("%") + c.written + ",T9\n";
    const std::string moves = MovesPart(Written());
    EXPECT_EQ(moves.substr(moves.size() - tail.size()), tail);
    ExpectRoundTrip();
  }
}

TEST_F(CsaTest, MovesPromoteByTheirLettersAndDropFromTheHand) {
  // A first-player bishop on 2八 goes to 2二 and promotes; then a drop.
  ASSERT_EQ(ReadCsaBytes(Csa("P1 *  *  *  *  *  *  *  * -OU\n"
                             "P8 *  *  *  *  *  *  * +KA * \n"
                             "P9+OU *  *  *  *  *  *  *  * \n"
                             "P+00KI\n+\n+2822UM,T5\n-1112OU\n+0021KI\n")),
            0);
  EXPECT_EQ(MainNode(1)->from, 28);
  EXPECT_EQ(MainNode(1)->to, 22 | kPromoteBit);
  EXPECT_EQ(MainNode(1)->seconds, 5);
  EXPECT_EQ(MainNode(3)->from, 0x95);
  ExpectRoundTrip();
  EXPECT_NE(MovesPart(Written()).find("+2822UM,T5\n-1112OU,T0\n+0021KI,T0\n"), std::string::npos);
}

TEST_F(CsaTest, BadMovesEndTheReadWithAMessage) {
  struct Case {
    const char* moves;  // after "PI" and "+": lines 3 and on
    int kept;           // moves read before the bad one
    const char* message;
  };
  const Case kCases[] = {
      // Empty source, and letters that do not name the piece on the source.
      {"+7776FU\n-3334FU\n+7775FU\n+2726FU", 2, "5行: +7775FU3手目 駒がありません。"},
      {"+7776KA\n-3334FU", 0, "3行: +7776KA1手目 駒がありません。"},
      {"+7776FU,-8384FU,+2726HI", 2, "3行: +2726HI3手目 駒がありません。"},
      {"+0055KA", 0, "3行: +0055KA1手目 駒がありません。"},  // nothing in hand
      // Letters of a promoted piece where no promotion is possible.
      {"+7776TO", 0, "3行: +7776TO1手目 指し手が正しくありません。"},
      // Drops of promoted pieces or kings, squares outside 1..9, a wrong sign.
      {"+7776FU\n-3334FU\n+8822UM\n-3122GI\n+0055UM", 4, "7行: +0055UM5手目 指し手が正しくありません。"},
      {"+0055OU", 0, "3行: +0055OU1手目 指し手が正しくありません。"},
      {"+0055TO", 0, "3行: +0055TO1手目 指し手が正しくありません。"},
      {"+7770FU", 0, "3行: +7770FU1手目 指し手が正しくありません。"},
      {"+1076FU", 0, "3行: +1076FU1手目 指し手が正しくありません。"},
      {"+0010FU", 0, "3行: +0010FU1手目 指し手が正しくありません。"},
      {"+7A76FU", 0, "3行: +7A76FU1手目 指し手が正しくありません。"},
      {"+7776", 0, "3行: +77761手目 指し手が正しくありません。"},
      {"-3334FU", 0, "3行: -3334FU1手目 指し手が正しくありません。"},
      {"+2838HI\n-3121HI", 1, "4行: -3121HI2手目 駒がありません。"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.moves);
    ui.boxes.clear();
    EXPECT_EQ(ReadCsaBytes(Csa(std::string("PI\n+\n") + c.moves + "\n+1716FU\n")), 1);
    EXPECT_EQ(MainLineLength(), c.kept);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(Utf16ToUtf8(ui.boxes[0].text), c.message);
    EXPECT_EQ(ui.boxes[0].flags, kMbOk | kMbIconError);
    EXPECT_EQ(DescribeBoardFault(g_Board), "");
    EXPECT_TRUE(SameBoardState(g_Board, g_StartBoard));
  }
}

TEST_F(CsaTest, BadPositionStatementsEndTheRead) {
  const char* kCases[] = {
      "P1-KY-XX-GI-KI-OU-KI-GI-KE-KY",  // letters of no piece
      "P+00OU",                          // a king in hand
      "P+00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU",
      "P+09KA",                          // a square outside 1..9 in a hand line
      "PI55FU",                          // PI removing a piece that is not there
      "PI0A",
  };
  for (const char* line : kCases) {
    SCOPED_TRACE(line);
    ui.boxes.clear();
    EXPECT_EQ(ReadCsaBytes(Csa(std::string("V2.2\n") + line + "\n+\n")), 1);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(Utf16ToUtf8(ui.boxes[0].text), std::string("2行: ") + line + " 盤面が正しくありません。");
    EXPECT_EQ(DescribeBoardFault(g_Board), "");
  }
  // A set the identities cannot hold is refused when the start is settled.
  ui.boxes.clear();
  EXPECT_EQ(ReadCsaBytes(Csa("P1-OU-OU\n+\n+0055FU\n")), 1);
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(MainLineLength(), 0);
}

TEST_F(CsaTest, StartPositionSettlesLikeTheOtherReaders) {
  struct Case {
    const char* text;
    int handicap, side, notAtStart;
  };
  const Case kCases[] = {
      {"+7776FU\n", kHandicapEven, kSente, 0},              // no position at all
      {"PI\n+\n", kHandicapEven, kSente, 0},
      {"PI\n-\n", kHandicapEven, kGote, 1},                 // even layout, second to move
      {"PI91KY\n-\n", 2, kGote, 0},                          // 右香落ち, told by its layout
      {"PI82HI22KA91KY11KY\n-\n", 8, kGote, 0},              // 四枚落ち
      {"PI82HI22KA91KY11KY81KE\n-\n", 9, kGote, 0},          // 五枚落ち
      {"PI82HI\n+\n", 4, kSente, 1},                         // 飛車落ち with the wrong side
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(ReadCsaBytes(Csa(c.text)), 0);
    EXPECT_EQ(g_StartBoard.handicap, c.handicap);
    EXPECT_EQ(g_StartBoard.sideToMove, c.side);
    EXPECT_EQ(g_StartBoard.notAtStart, c.notAtStart);
    EXPECT_TRUE(SameBoardState(g_Board, g_StartBoard));
    ExpectRoundTrip();
  }
  // Every handicap written as a full board reads back as itself.
  for (int code = 1; code < kHandicapFree; ++code) {
    SCOPED_TRACE(code);
    SetHandicapBoard(g_StartBoard, code);
    ResetRecordTree(g_Record);
    ASSERT_EQ(ReadCsaBytes(Written()), 0);
    EXPECT_EQ(g_StartBoard.handicap, code);
    EXPECT_EQ(g_StartBoard.notAtStart, 0);
  }
}

TEST_F(CsaTest, LinesAreReadWholeAndNamesKeep79Characters) {
  const std::string longName(120, 'n');
  const std::string longComment(5000, 'c');
  const std::string longEvent(150, 'e');
  ASSERT_EQ(ReadCsaBytes(Csa("N+" + longName + "\nN-a,b\n$EVENT:" + longEvent + "\n$SITE:x, y\nPI\n+\n'*" +
                             longComment + ",+2726FU\n+7776FU,T3\n")),
            0);
  EXPECT_EQ(Utf16ToUtf8(g_Record.header.firstPlayer), longName.substr(0, 79));
  EXPECT_EQ(g_Record.header.secondPlayer, u"a,b");  // names and items run to the line end
  EXPECT_EQ(Utf16ToUtf8(g_Record.header.event), longEvent.substr(0, 100));
  EXPECT_EQ(g_Record.header.place, u"x, y");
  EXPECT_EQ(CommentOf(MainNode(0)), longComment + ",+2726FU\n");  // a comment is no statement
  ASSERT_EQ(MainLineLength(), 1);
  ExpectRoundTrip();
}

TEST_F(CsaTest, EncodingFromByteOrderMarkOrEncodingLine) {
  const char* kCases[] = {"\xEF\xBB\xBFN+先手\n", "'CSA encoding=UTF-8\nN+先手\n"};
  for (const char* text : kCases) {
    ASSERT_EQ(ReadCsaBytes(text), 0);
    EXPECT_EQ(g_Record.header.firstPlayer, u"先手");
  }
  ASSERT_EQ(ReadCsaBytes(Csa("'encoding=Shift_JIS\nN+先手\n")), 0);
  EXPECT_EQ(g_Record.header.firstPlayer, u"先手");
}

// ---- The writer ----------------------------------------------------------------------

TEST_F(CsaTest, WriterHeaderAndComments) {
  RecordHeader& h = g_Record.header;
  h.firstPlayer = u"先手さん";
  h.startTime = u"2024/01/06(土) 10:00";
  h.endTime = u"2024/01/06(土) 11:30";
  h.title = u"表題は CSA にない";
  h.opening = u"矢倉\n二行目";
  AppendComment(g_Record, 0, u"一行目\n\n三行目");
  const std::string text = Utf16ToUtf8(AnsiToUtf16(Written()));
  EXPECT_EQ(text.substr(0, text.find("P1")),
            "'encoding=Shift_JIS\r\n' ---- Sorvane V7 V7.50 CSA形式棋譜ファイル ----\r\nV2.2\r\n"
            "N+先手さん\r\n$START_TIME:2024/01/06 10:00\r\n$END_TIME:2024/01/06 11:30\r\n"
            "$OPENING:矢倉\r\n");
  EXPECT_EQ(MovesPart(Written()), "+\n'*一行目\n'*\n'*三行目\n");
}

TEST_F(CsaTest, StripParenthesisedRemovesTheFirstGroup) {
  const std::pair<const char16_t*, const char16_t*> kCases[] = {
      {u"2024/01/06(土) 10:00", u"2024/01/06 10:00"},
      {u"(a)b(c)", u"b(c)"},
      {u"no group", u"no group"},
      {u"open (only", u"open (only"},
  };
  for (auto [in, out] : kCases) EXPECT_EQ(StripParenthesised(in), out);
}

TEST_F(CsaTest, FilesThatCannotBeOpenedCreatedOrWritten) {
  ASSERT_EQ(ReadCsaFile(DataPath("server_game.csa")), 0);
  const std::string before = DumpRecord(g_Record);
  EXPECT_EQ(ReadCsaFile(DataPath("missing.csa")), -1);
  EXPECT_EQ(DumpRecord(g_Record), before);

  g_Record.changeCount = 5;
  EXPECT_EQ(WriteCsaFile(u"/nonexistent-folder/x.csa"), -1);
  EXPECT_EQ(g_Record.changeCount, 5);
  EXPECT_EQ(WriteCsaFile(u"/dev/full"), -1);  // no regular file
  {
    FileSizeLimit full(100);  // the disk is full
    EXPECT_EQ(WriteCsaFile(PathFromNative(::testing::TempDir() + "csa_full.csa")), 2);
  }
  EXPECT_EQ(g_Record.changeCount, 5);

  const std::u16string path = PathFromNative(::testing::TempDir() + "csa_written.csa");
  EXPECT_EQ(WriteCsaFile(path), 0);
  EXPECT_EQ(g_Record.changeCount, 0);
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ(bytes, Written());
}

TEST_F(CsaTest, AFullRecordEndsTheRead) {
  ASSERT_EQ(InitRecordPool(g_Record, 3), 0);
  EXPECT_EQ(ReadCsaBytes(Csa("PI\n+\n+7776FU\n-3334FU\n+2726FU\n-8384FU\n")), -2);
  EXPECT_EQ(MainLineLength(), 2);
  EXPECT_TRUE(SameBoardState(g_Board, g_StartBoard));
}

}  // namespace
