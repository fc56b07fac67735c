#include "record/board.h"

#include <gtest/gtest.h>

#include "record/rules.h"
#include "tests/support/position_loader.h"

namespace {

constexpr const char* kEven = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";

// Every identity lies in one place of its own kind, whatever the input.
void ExpectIdentitiesInRange(const BoardState& b) {
  for (int id = 1; id <= kPieceIdCount; ++id) {
    int sq = b.squareOfId[id];
    if (sq != 0) { EXPECT_EQ(b.idOnSquare[sq], id) << "identity " << id; }
  }
  for (int sq = 11; sq <= 99; ++sq) {
    const int code = b.squares[sq], id = b.idOnSquare[sq];
    if (!IsBoardSquare(sq) || !IsPiece(code) || id == 0) continue;
    const int kind = CodeWithoutSide(code) == kKing ? kKing : KindOf(code);
    EXPECT_GE(id, g_PieceIdRanges[kind][0]) << "square " << sq;
    EXPECT_LE(id, g_PieceIdRanges[kind][1]) << "square " << sq;
  }
  for (int kind = 1; kind <= 7; ++kind) {
    const int first = g_PieceIdRanges[kind][0], last = g_PieceIdRanges[kind][1];
    ASSERT_LE(b.handIdCount[kind], last - first + 1) << "kind " << kind;
    for (int i = 0; i < b.handIdCount[kind]; ++i) {
      EXPECT_GE(b.handIds[kind][i], first);
      EXPECT_LE(b.handIds[kind][i], last);
    }
  }
}

TEST(BoardLayout, InitialBoardMatchesTheEvenGameAndItsIdentities) {
  BoardState b;
  SetInitialBoard(b);
  EXPECT_EQ(BoardToSfen(b), kEven);
  EXPECT_EQ(DescribeBoardFault(b), "");
  EXPECT_EQ(b.squareOfId[kSenteKingId], 59);
  EXPECT_EQ(b.squareOfId[kGoteKingId], 51);
  EXPECT_EQ(b.idOnSquare[88], 35);
  EXPECT_TRUE(SameBoardState(g_Board, b));
  EXPECT_TRUE(SameBoardState(g_StartBoard, b));
  // Identification from scratch hands out the same identities.
  BoardState re = SfenPosition(kEven);
  for (int sq = 11; sq <= 99; ++sq) EXPECT_EQ(re.idOnSquare[sq] != 0, b.idOnSquare[sq] != 0) << sq;
  EXPECT_EQ(re.handicap, 0);
  EXPECT_EQ(re.notAtStart, 0);
}

TEST(BoardLayout, HandicapLayoutsAreClassifiedAndRecognisedAsStarts) {
  struct Case {
    int code, identified, notAtStart;
  };
  // One missing lance always reads as 香落ち; three or five missing pieces as その他.
  const Case cases[] = {
      {0, 0, 0},  {1, 1, 0},   {2, 1, 1},   {3, 3, 0},   {4, 4, 0},   {5, 5, 0},
      {6, 6, 0},  {7, 16, 1},  {8, 8, 0},   {9, 16, 1},  {10, 16, 1}, {11, 11, 0},
      {12, 12, 0}, {13, 13, 0}, {14, 14, 0}, {15, 15, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    BoardState b;
    SetHandicapBoard(b, c.code);
    EXPECT_EQ(b.handicap, c.code);
    EXPECT_EQ(b.sideToMove, c.code == 0 ? kSente : kGote);
    EXPECT_EQ(DescribeBoardFault(b), "");
    IdentifyHandicap(b);
    EXPECT_EQ(b.handicap, c.identified);
    EXPECT_EQ(DescribeBoardFault(b), "");
    EXPECT_EQ(CheckStartPosition(b), c.notAtStart);
    EXPECT_EQ(b.notAtStart, c.notAtStart);
    // The standard side to move belongs to the start.
    b.sideToMove = kSente - b.sideToMove;
    EXPECT_EQ(CheckStartPosition(b), 1);
  }
}

TEST(BoardLayout, OtherPieceSetsAreClassifiedByTheBox) {
  struct Case {
    const char* sfen;
    int handicap, notAtStart;
  };
  const Case cases[] = {
      // The first player's lance missing still reads as 香落ち, but is no start.
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSN1 w - 1", 1, 1},
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/7R1/LNSGKGSNL w - 1", 3, 1},
      {"1nsgkgsn1/1r7/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", 16, 1},
      {"lnsgkgsnl/1r5b1/pppppppp1/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", 16, 1},
      // A piece in a hand is not in the box.
      {"lnsgkgsnl/1r5b1/pppppppp1/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b P 1", 0, 1},
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", 0, 1},
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSG1GSNL b - 1", 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sfen);
    BoardState b = SfenPosition(c.sfen);
    EXPECT_EQ(b.handicap, c.handicap);
    EXPECT_EQ(b.notAtStart, c.notAtStart);
    EXPECT_EQ(DescribeBoardFault(b), "");
  }
}

TEST(BoardLayout, TsumeLayoutHoldsEveryPieceButTheKingsInTheSecondHand) {
  BoardState b;
  SetInitialBoard(b);
  SetTsumeLayout(b);
  EXPECT_EQ(BoardToSfen(b), "4k4/9/9/9/9/9/9/9/9 b 2r2b4g4s4n4l18p 1");
  EXPECT_EQ(b.hands[0][0], 38);
  EXPECT_EQ(b.squareOfId[kSenteKingId], 0);
  EXPECT_EQ(b.handicap, 0);
  EXPECT_EQ(b.notAtStart, 1);
  EXPECT_EQ(DescribeBoardFault(b), "");
  EXPECT_TRUE(SameBoardState(g_StartBoard, b));
  SetInitialBoard(g_StartBoard);
}

TEST(BoardEditing, ClearingKeepsTheWalls) {
  BoardState b;
  SetInitialBoard(b);
  ClearBoardState(b);
  EXPECT_EQ(DescribeBoardFault(b), "");
  for (int sq = 11; sq <= 99; ++sq)
    if (IsBoardSquare(sq)) { EXPECT_EQ(b.squares[sq], kEmpty); }
  // A rook in the corner stops at the edge instead of running off the board.
  b.squares[19] = kSenteBit | kRook;
  SquareList reach;
  ASSERT_EQ(ListPieceReach(b, 19, kSente, reach), 16);
  for (int i = 1; i <= 16; ++i) EXPECT_TRUE(IsBoardSquare(reach[i])) << reach[i];

  SetInitialBoard(b);
  ClearToBox(b);
  MoveBoxToGoteHand(b);
  EXPECT_EQ(b.hands[0][0], 38);
  EXPECT_EQ(b.squareOfId[kSenteKingId], 0);
  EXPECT_EQ(b.squareOfId[kGoteKingId], 0);
  EXPECT_EQ(DescribeBoardFault(b), "");
}

TEST(BoardEditing, MoveBoxToGoteHandTakesOnlyTheBox) {
  BoardState b;
  SetHandicapBoard(b, 8);
  CapturePiece(b, 51);  // the second player's king goes to the box and stays there
  MoveBoxToGoteHand(b);
  EXPECT_EQ(b.hands[0][kLance], 2);
  EXPECT_EQ(b.hands[0][kBishop], 1);
  EXPECT_EQ(b.hands[0][kRook], 1);
  EXPECT_EQ(b.hands[0][0], 4);
  EXPECT_EQ(b.squareOfId[kGoteKingId], 0);
  EXPECT_EQ(DescribeBoardFault(b), "");
}

TEST(BoardEditing, CaptureAndDropKeepIdentitiesAndDemote) {
  BoardState b = SfenPosition("4k4/9/9/9/4+r4/9/9/9/4K4 b P 1");
  const int dragonId = b.idOnSquare[55];
  CapturePiece(b, 55);  // a promoted rook goes to the first player's hand as a rook
  EXPECT_EQ(b.hands[1][kRook], 1);
  EXPECT_EQ(b.hands[1][0], 2);
  EXPECT_EQ(b.handIds[kRook][b.handIdCount[kRook] - 1], dragonId);
  EXPECT_EQ(b.squares[55], kEmpty);
  EXPECT_EQ(DescribeBoardFault(b), "");

  CapturePiece(b, 51);  // a captured king changes no hand
  EXPECT_EQ(b.hands[1][0], 2);
  EXPECT_EQ(b.hands[0][0], 0);
  EXPECT_EQ(b.squareOfId[kGoteKingId], 0);
  EXPECT_EQ(DescribeBoardFault(b), "");

  DropPieceFromHand(b, kSenteBit | kRook, 33);
  EXPECT_EQ(b.squares[33], kSenteBit | kRook);
  EXPECT_EQ(b.idOnSquare[33], dragonId);
  EXPECT_EQ(b.hands[1][kRook], 0);
  // Nothing of that kind left in the hand: nothing happens.
  DropPieceFromHand(b, kSenteBit | kRook, 34);
  EXPECT_EQ(b.squares[34], kEmpty);
  EXPECT_EQ(DescribeBoardFault(b), "");

  PutBoardPieceInHand(kGote, 33, b);  // editing chooses the receiving hand
  EXPECT_EQ(b.hands[0][kRook], 1);
  EXPECT_EQ(DescribeBoardFault(b), "");
}

TEST(BoardEditing, CyclePieceStateRunsThroughTheStates) {
  struct Case {
    const char* sfen;
    int square, result, after;
  };
  const Case cases[] = {
      {"4k4/9/9/9/4P4/9/9/9/4K4 b - 1", 55, 1, 0x89},
      {"4k4/9/9/9/4+P4/9/9/9/4K4 b - 1", 55, 1, 0x01},
      {"4k4/9/9/9/4p4/9/9/9/4K4 b - 1", 55, 1, 0x09},
      {"4k4/9/9/9/4+p4/9/9/9/4K4 b - 1", 55, 1, 0x81},
      {"4k4/9/9/9/4+b4/9/9/9/4K4 b - 1", 55, 1, 0x86},
      {"4k4/9/9/9/4G4/9/9/9/4K4 b - 1", 55, 1, 0x05},
      // A king changes side only when that gives no side two kings.
      {"4k4/9/9/9/9/9/9/9/4K4 b - 1", 59, 0, 0x88},
      {"9/9/9/9/9/9/9/9/4K4 b - 1", 59, 1, 0x08},
      {"4k4/9/9/9/9/9/9/9/9 b - 1", 51, 1, 0x88},
      // An empty square or a wall is refused and stays as it is.
      {"4k4/9/9/9/9/9/9/9/4K4 b - 1", 55, 0, 0},
      {"4k4/9/9/9/9/9/9/9/4K4 b - 1", 50, 0, 255},
      {"4k4/9/9/9/9/9/9/9/4K4 b - 1", 100, 0, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sfen) + " @" + std::to_string(c.square));
    BoardState b = SfenPosition(c.sfen);
    EXPECT_EQ(CyclePieceState(c.square, b), c.result);
    EXPECT_EQ(b.squares[c.square], c.after);
  }
}

TEST(BoardEditing, FlipTurnsTheBoardAndSwapsTheSides) {
  BoardState b = SfenPosition("4k4/9/2s6/9/9/9/9/9/4K2R1 b 2Pg 1");
  FlipBoardSides(b);
  // Empty squares stay empty (no side bit on them).
  EXPECT_EQ(BoardToSfen(b), "1r2k4/9/9/9/9/9/6S2/9/4K4 w G2p 1");
  IdentifyHandicap(b);
  EXPECT_EQ(DescribeBoardFault(b), "");
  FlipBoardSides(b);
  IdentifyHandicap(b);
  EXPECT_EQ(BoardToSfen(b), "4k4/9/2s6/9/9/9/9/9/4K2R1 b 2Pg 1");
  EXPECT_EQ(DescribeBoardFault(b), "");
}

TEST(BoardGeometry, SquareStep) {
  struct Case {
    int a, b, step;
  };
  const Case cases[] = {
      {55, 53, 1},   {53, 55, -1},  {35, 55, -10}, {64, 55, 9},   {66, 55, 11},
      {44, 55, -11}, {46, 55, -9},  {47, 55, -8},  {67, 55, 12},  {43, 55, -12},
      {63, 55, 8},   {57, 64, 100}, {0x80 | 55, 53, 1},
      // A difference of 12 that wraps round the board edge is no knight jump.
      {31, 19, 100}, {19, 31, 100}, {79, 91, 100},
  };
  for (const Case& c : cases) EXPECT_EQ(GetSquareStep(c.a, c.b), c.step) << c.a << "," << c.b;

  InitSquareTables();
  EXPECT_EQ(g_SquareFile[73], 7);
  EXPECT_EQ(g_SquareRank[73], 3);
  EXPECT_EQ(g_SquareDistance[11][99], 8);
  EXPECT_EQ(g_SquareDistance[55][64], 1);
}

TEST(BoardQueries, CompareAndPieceCodeAt) {
  BoardState a = SfenPosition(kEven);
  BoardState b = SfenPosition("lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 1");
  EXPECT_EQ(CompareBoardStates(a, a), 0);
  EXPECT_EQ(CompareBoardStates(a, b), 76);
  BoardState c = SfenPosition("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b S 1");
  EXPECT_EQ(CompareBoardStates(a, c), kSilver);

  EXPECT_EQ(PieceCodeAt(0x91, a), 0x81);
  EXPECT_EQ(PieceCodeAt(0x87, a), 0x07);
  EXPECT_EQ(PieceCodeAt(0x88, a), 0);
  EXPECT_EQ(PieceCodeAt(100, a), 0);
  EXPECT_EQ(PieceCodeAt(0x191, a), 0);  // wider than a byte: no hand cell
  EXPECT_EQ(PieceCodeAt(-0x6F, a), 0);
  EXPECT_EQ(PieceCodeAt(82, a), 0x07);
  EXPECT_EQ(PieceCodeAt(20, a), 255);
}

TEST(BoardPieceSet, ImpossibleSetsAreRefusedAndNeverOverflowTheIdentities) {
  struct Case {
    const char* sfen;
    int code;
  };
  const Case cases[] = {
      {kEven, kPieceSetOk},
      {"9/9/9/9/9/9/9/9/9 b - 1", kPieceSetOk},
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b P 1", kPieceSetTooMany},
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b 3P2L 1", kPieceSetTooMany},
      {"4k4/ppppppppp/ppppppppp/P8/9/9/9/9/4K4 b - 1", kPieceSetTooMany},
      {"4k4/9/9/9/9/9/9/9/3KK4 b - 1", kPieceSetTwoKings},
      {"3kkk3/9/9/9/9/9/9/9/4K4 b 5G 1", kPieceSetTwoKings},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sfen);
    BoardState b = SfenPosition(c.sfen);
    EXPECT_EQ(CheckPieceSet(b), c.code);
    ExpectIdentitiesInRange(b);
    if (c.code == kPieceSetOk) { EXPECT_EQ(DescribeBoardFault(b), ""); }
  }

  BoardState b = SfenPosition(kEven);
  b.hands[1][0] = 1;  // a total with no piece behind it (say a king counted in)
  EXPECT_EQ(CheckPieceSet(b), kPieceSetBadHand);
  b = SfenPosition(kEven);
  b.squares[55] = 0x8D;
  EXPECT_EQ(CheckPieceSet(b), kPieceSetBadCode);
  b.squares[55] = 0x80;
  EXPECT_EQ(CheckPieceSet(b), kPieceSetBadCode);
  b = SfenPosition(kEven);
  b.squares[30] = kEmpty;
  EXPECT_EQ(CheckPieceSet(b), kPieceSetBadCode);
}

TEST(BoardPieceSet, AddHandPiecesRefusesWhatAHandCannotHold) {
  BoardState b = SfenPosition("4k4/9/9/9/9/9/9/9/4K4 b 3l 1");
  EXPECT_EQ(AddHandPieces(b, kSente, kKing, 1), kPieceSetKingInHand);
  EXPECT_EQ(AddHandPieces(b, kSente, 0, 1), kPieceSetBadCode);
  EXPECT_EQ(AddHandPieces(b, kSente, kLance, 2), kPieceSetTooMany);
  EXPECT_EQ(b.hands[1][0], 0);
  EXPECT_EQ(AddHandPieces(b, kSente, kLance, 1), kPieceSetOk);
  EXPECT_EQ(AddHandPieces(b, kGote, kPawn, 18), kPieceSetOk);
  EXPECT_EQ(b.hands[1][kLance], 1);
  EXPECT_EQ(b.hands[1][0], 1);
  EXPECT_EQ(b.hands[0][0], 21);
  EXPECT_EQ(CheckPieceSet(b), kPieceSetOk);
}

TEST(BoardLoader, DiagramRowsGiveTheSamePositionAsSfen) {
  BoardState d = DiagramPosition(
      "  ９ ８ ７ ６ ５ ４ ３ ２ １\n"
      "+---------------------------+\n"
      "|v香v桂v銀v金v玉v金v銀v桂v香|一\n"
      "| ・v飛 ・ ・ ・ ・ ・v角 ・|二\n"
      "|v歩v歩v歩v歩v歩v歩v歩v歩 ・|三\n"
      "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n"
      "| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n"
      "| ・ ・ と ・ ・ ・ ・ ・ ・|六\n"
      "| 歩 歩 ・ 歩 歩 歩 歩 歩 歩|七\n"
      "| ・ 角 ・ ・ ・ ・ ・ 龍 ・|八\n"
      "| 香 桂 銀 金 王 金 銀 桂 香|九\n"
      "+---------------------------+\n",
      kGote, "p");
  EXPECT_EQ(BoardToSfen(d), "lnsgkgsnl/1r5b1/pppppppp1/9/9/2+P6/PP1PPPPPP/1B5+R1/LNSGKGSNL w p 1");
  EXPECT_EQ(DescribeBoardFault(d), "");
  BoardState bad;
  EXPECT_FALSE(LoadSfen("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1 b - 1", bad));
  EXPECT_FALSE(LoadSfen("4k4/9/9/9/9/9/9/9/4K4 b K 1", bad));
  EXPECT_FALSE(LoadSfen("4k5/9/9/9/9/9/9/9/4K4 b - 1", bad));
}

}  // namespace
