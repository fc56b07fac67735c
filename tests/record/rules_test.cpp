#include "record/rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/perft.h"
#include "tests/support/position_loader.h"

namespace {

constexpr const char* kEven = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";
// A middle game with hands on both sides, promoted pieces of both sides and
// pieces on the promotion ranks.
constexpr const char* kBusy =
    "l2g1k2l/1r1s2gb1/p1ppp+Bp1p/1p3sN2/9/2P1S1P2/PP1P1P1+pP/4G2R1/LN1GK3L b SN2Pnp 1";

// The same situation seen from the other side: squares turned half round,
// hand cells of the other hand.
int MirrorFrom(int from) { return IsRealHandCell(from) ? from ^ 0x10 : 110 - from; }
int MirrorTo(int to) { return (to & kPromoteBit) | (110 - (to & 0x7F)); }
bool Mirrorable(int from, int to) {
  return (IsRealHandCell(from) || IsBoardSquare(from)) && IsBoardSquare(to & 0x7F);
}
BoardState Mirrored(BoardState b) {
  FlipBoardSides(b);
  IdentifyHandicap(b);
  return b;
}

std::vector<int> ListOf(const SquareList& l) { return std::vector<int>(l.begin() + 1, l.begin() + 1 + l[0]); }

TEST(Perft, EvenStartCountsAndEveryTakeBackRestoresThePosition) {
  const uint64_t expected[] = {30, 900, 25470, 719731};
  for (int depth = 1; depth <= 4; ++depth) {
    SCOPED_TRACE(depth);
    BoardState b;
    SetInitialBoard(b);
    const BoardState before = b;
    PerftResult r = Perft(b, depth, true);
    EXPECT_EQ(r.nodes, expected[depth - 1]);
    EXPECT_EQ(r.restoreFaults, 0u) << "first at move " << std::hex << r.firstFault;
    EXPECT_TRUE(SameBoardState(b, before));
  }
}

TEST(Perft, BusyPositionRestoresAndCountsAlikeFromEitherSide) {
  BoardState b = SfenPosition(kBusy);
  ASSERT_EQ(CheckPieceSet(b), kPieceSetOk);
  ASSERT_EQ(DescribeBoardFault(b), "");
  PerftResult r = Perft(b, 2, true);
  EXPECT_EQ(r.restoreFaults, 0u) << "first at move " << std::hex << r.firstFault;
  BoardState m = Mirrored(SfenPosition(kBusy));
  PerftResult rm = Perft(m, 2, true);
  EXPECT_EQ(rm.restoreFaults, 0u) << "first at move " << std::hex << rm.firstFault;
  EXPECT_EQ(r.nodes, rm.nodes);
  EXPECT_EQ(Perft(b, 1, false).nodes, Perft(m, 1, false).nodes);
}

TEST(MoveLegality, ResultCodes) {
  struct Case {
    const char* sfen;
    int from, to, code;
  };
  constexpr const char* kKings = "4k4/9/9/9/9/9/9/9/4K4 b P 1";
  const Case cases[] = {
      {kEven, 77, 76, kMoveLegal},
      {kEven, 5, 55, kMoveNoSource},
      {kEven, 0, 55, kMoveNoSource},
      // Cells of 100 or more that are no real hand cell never reach the hands.
      {kEven, 100, 55, kMoveNoSource},
      {kEven, 127, 55, kMoveNoSource},
      {kEven, 0xA1, 55, kMoveNoSource},
      {kEven, 0x80, 55, kMoveNoPiece},
      {kEven, 0x88, 55, kMoveNoPiece},
      {kEven, 0x90, 55, kMoveNoPiece},
      {kEven, 0x98, 55, kMoveNoPiece},
      {kEven, 55, 54, kMoveNoPiece},
      {kEven, 73, 74, kMoveNotOwnPiece},
      {kEven, 20, 21, kMoveNotOwnPiece},
      {"4k4/9/9/9/9/9/9/9/4K4 b p 1", 0x81, 55, kMoveNotOwnPiece},
      {kEven, 59, 49, kMoveOntoOwnPiece},
      {kEven, 0x91, 77, kMoveOntoOwnPiece},
      {"4k4/9/4p4/9/9/9/9/9/4K4 b P 1", 0x91, 53, kMoveDropOccupied},
      {"4k4/9/9/9/9/9/9/9/4K4 b N 1", 0x93, 12, kMoveDropDeadSquare},
      {"4k4/9/9/9/9/9/9/9/4K4 b N 1", 0x93, 13, kMoveLegal},
      {kKings, 0x91, 31, kMoveDropDeadSquare},
      {"4k4/9/9/9/9/9/9/9/4K4 w l 1", 0x82, 19, kMoveDropDeadSquare},
      {kKings, 0x91, 0x80 | 55, kMovePromoteNotAllowed},
      // The source rank counts for promotion: rank 3 to 4 may, rank 4 to 5 may not.
      {"4k4/9/4S4/9/9/9/9/9/4K4 b - 1", 53, 0x80 | 64, kMoveLegal},
      {"4k4/9/9/4S4/9/9/9/9/4K4 b - 1", 54, 0x80 | 65, kMovePromoteNotAllowed},
      {"4k4/9/4G4/9/9/9/9/9/4K4 b - 1", 53, 0x80 | 52, kMovePromoteNotAllowed},
      {"4k4/6P2/9/9/9/9/9/9/4K4 b - 1", 32, 31, kMoveMustPromote},
      {"4k4/6P2/9/9/9/9/9/9/4K4 b - 1", 32, 0x80 | 31, kMoveLegal},
      {"4k4/9/9/6N2/9/9/9/9/4K4 b - 1", 34, 22, kMoveMustPromote},
      {"4k4/9/9/6N2/9/9/9/9/4K4 b - 1", 34, 0x80 | 42, kMoveLegal},
      {kEven, 77, 75, kMoveUnreachable},
      {kEven, 28, 24, kMoveUnreachable},
      {kEven, 89, 77, kMoveOntoOwnPiece},
      {kEven, 89, 78, kMoveUnreachable},
      // A knight step that wraps from rank 9 to rank 1 is no move.
      {"4k4/9/9/9/9/9/9/9/4K2n1 w - 1", 29, 41, kMoveUnreachable},
      {"4r4/9/9/9/9/9/9/4G4/4K4 b - 1", 58, 48, kMoveLeavesKingAttacked},
      {"4k4/9/9/9/9/9/9/3r5/4K4 b - 1", 59, 58, kMoveLeavesKingAttacked},
      {"4k4/9/9/9/9/9/9/3r5/4K4 b - 1", 59, 49, kMoveLegal},
      {"4k4/9/9/9/9/9/9/3r5/4K4 b - 1", 59, 68, kMoveLegal},
      // A drop that does not answer a check leaves the king attacked.
      {"4r4/9/9/9/9/9/9/9/4K4 b P 1", 0x91, 33, kMoveLeavesKingAttacked},
      {"4r4/9/9/9/9/9/9/9/4K4 b P 1", 0x91, 55, kMoveLegal},
      // Without the mover's king every otherwise valid move is legal.
      {"4r4/9/9/9/9/9/9/4G4/9 b - 1", 58, 48, kMoveLegal},
      // Taking the king is a move like any other here.
      {"4k4/9/9/9/4R4/9/9/9/4K4 b - 1", 55, 51, kMoveLegal},
      {"4k4/9/9/9/9/9/4P4/9/4K4 b P 1", 0x91, 54, kMoveDoublePawn},
      {"4k4/9/9/9/9/9/4+P4/9/4K4 b P 1", 0x91, 54, kMoveLegal},
      {"4k4/9/9/9/9/9/4p4/9/4K4 b P 1", 0x91, 54, kMoveLegal},
      {kEven, 77, 20, kMoveOffBoard},
      {kEven, 77, 5, kMoveOffBoard},
      {kEven, 77, 100, kMoveOffBoard},
      {kEven, 77, 0x7F, kMoveOffBoard},
      {kEven, 77, 0x80 | 100, kMoveOffBoard},
      {kEven, 0x91, 0x7F, kMoveOffBoard},
      {"4k4/9/9/9/9/9/9/9/4K4 b - 1", 0x91, 55, kMoveNotInHand},
      {"7nk/9/7G1/9/9/9/9/9/4K4 b P 1", 0x91, 12, kMoveDropPawnMate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sfen) + " " + std::to_string(c.from) + "-" + std::to_string(c.to));
    BoardState b = SfenPosition(c.sfen);
    const BoardState before = b;
    EXPECT_EQ(CheckMoveLegal(c.to, c.from, b, b.sideToMove), c.code);
    EXPECT_TRUE(SameBoardState(b, before)) << "the test changed the position";
    if (!Mirrorable(c.from, c.to)) continue;
    BoardState m = Mirrored(SfenPosition(c.sfen));
    EXPECT_EQ(CheckMoveLegal(MirrorTo(c.to), MirrorFrom(c.from), m, m.sideToMove), c.code)
        << "from the other side";
  }
}

TEST(MoveLegality, DropPawnMate) {
  struct Case {
    const char* sfen;
    int from, to, code;
    const char* what;
  };
  const Case cases[] = {
      {"7nk/9/7G1/9/9/9/9/9/4K4 b P 1", 0x91, 12, kMoveDropPawnMate, "protected, no escape"},
      {"7nk/9/7G1/9/9/9/9/9/4K4 b P 1", 0x91, 13, kMoveLegal, "not in front of the king"},
      {"7nk/9/7G1/9/9/9/9/9/4K4 b G 1", 0x95, 12, kMoveLegal, "only a pawn counts"},
      {"7nk/9/9/9/9/9/9/9/4K4 b P 1", 0x91, 12, kMoveLegal, "the king takes the pawn"},
      {"7nk/9/9/9/8L/9/9/9/4K4 b P 1", 0x91, 12, kMoveLegal, "the king steps to 2二"},
      {"7nk/9/6G2/9/8L/9/9/9/4K4 b P 1", 0x91, 12, kMoveDropPawnMate, "2二 guarded too"},
      {"7nk/7g1/7G1/9/9/9/9/9/4K4 b P 1", 0x91, 12, kMoveLegal, "a gold takes the pawn"},
      {"7nk/7g1/7G1/9/4B4/9/9/9/4K4 b P 1", 0x91, 12, kMoveDropPawnMate,
       "that gold is pinned along a diagonal"},
      {"3nkn3/9/3GrG3/9/9/9/4R4/9/K8 b P 1", 0x91, 52, kMoveLegal,
       "a rook pinned along the file still takes along it"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BoardState b = SfenPosition(c.sfen);
    EXPECT_EQ(CheckMoveLegal(c.to, c.from, b, b.sideToMove), c.code);
    BoardState m = Mirrored(SfenPosition(c.sfen));
    EXPECT_EQ(CheckMoveLegal(MirrorTo(c.to), MirrorFrom(c.from), m, m.sideToMove), c.code)
        << "from the other side";
  }
}

TEST(MoveLegality, PromotionKind) {
  struct Case {
    int to, piece, from, kind;
  };
  const int P = kSenteBit;
  const Case cases[] = {
      {23, P | kPawn, 24, 1},    {21, P | kPawn, 22, 2},    {34, P | kPawn, 35, 0},
      {11, P | kLance, 15, 2},   {12, P | kLance, 15, 1},   {22, P | kKnight, 34, 2},
      {33, P | kKnight, 45, 1},  {54, P | kSilver, 43, 1},  {65, P | kSilver, 54, 0},
      {52, P | kGold, 53, 0},    {52, P | 0x0E, 53, 0},     {52, P | kKing, 53, 0},
      {22, P | kBishop, 88, 1},  {55, P | kBishop, 22, 1},  {23, P | kPawn, 0x91, 0},
      {0x80 | 23, P | kPawn, 24, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetPromotionKind(c.to, c.piece, c.from), c.kind) << c.from << "-" << c.to;
    if (!IsBoardSquare(c.from) || !IsBoardSquare(c.to)) continue;
    EXPECT_EQ(GetPromotionKind(110 - c.to, c.piece ^ kSenteBit, 110 - c.from), c.kind)
        << "other side " << c.from << "-" << c.to;
  }
}

TEST(MoveMaking, MakeThenUnmakeRestoresEverything) {
  struct Case {
    const char* sfen;
    int from, to;
    const char* after;
  };
  const Case cases[] = {
      // A capture with promotion: the dragon goes to the hand as a rook.
      {"4k4/9/7+r1/9/9/9/9/7R1/4K4 b P 1", 28, 0x80 | 23, "4k4/9/7+R1/9/9/9/9/9/4K4 b RP 1"},
      // The identity given back is the last of a list that both hands share.
      {"4k4/9/9/9/4p4/9/9/4R4/4K4 b Pp 1", 58, 55, "4k4/9/9/9/4R4/9/9/9/4K4 b 2Pp 1"},
      // A captured king goes to the box and comes back with its identity.
      {"4k4/9/9/9/4R4/9/9/9/4K4 b - 1", 55, 51, "4R4/9/9/9/9/9/9/9/4K4 b - 1"},
      {"4k4/9/9/9/9/9/9/9/4K4 b S 1", 0x94, 55, "4k4/9/9/9/4S4/9/9/9/4K4 b - 1"},
      // An end-of-game entry is no board move.
      {"4k4/9/9/9/9/9/9/9/4K4 b S 1", 1, 6, "4k4/9/9/9/9/9/9/9/4K4 b S 1"},
  };
  for (const Case& c : cases) {
    for (bool mirrored : {false, true}) {
      SCOPED_TRACE(std::string(c.sfen) + (mirrored ? " mirrored" : ""));
      BoardState b = SfenPosition(c.sfen);
      BoardState expected = SfenPosition(c.after);
      int from = c.from, to = c.to;
      if (mirrored) {
        if (!Mirrorable(from, to)) continue;
        b = Mirrored(b);
        expected = Mirrored(expected);
        from = MirrorFrom(from);
        to = MirrorTo(to);
      }
      const BoardState before = b;
      const MoveCode m = BuildMoveCode(b, from, to);
      MakeMoveOnBoard(b, m);
      EXPECT_EQ(DescribeBoardFault(b), "");
      EXPECT_EQ(CompareBoardStates(b, expected), 0) << BoardToSfen(b);
      UnmakeMoveOnBoard(b, m);
      EXPECT_TRUE(SameBoardState(b, before)) << BoardToSfen(b);
    }
  }
  // The captured identity is the one the list hands back.
  BoardState b = SfenPosition("4k4/9/7+r1/9/9/9/9/7R1/4K4 b P 1");
  const int dragon = b.idOnSquare[23];
  MakeMoveOnBoard(b, BuildMoveCode(b, 28, 0x80 | 23));
  EXPECT_EQ(b.handIds[kRook][b.handIdCount[kRook] - 1], dragon);
}

TEST(MoveGeometry, ReachAndAttackersInTheirFixedOrder) {
  BoardState b = SfenPosition("4k4/9/9/3s5/4G3p/9/9/9/4K3L b - 1");
  SquareList l;
  ListPieceReach(b, 55, kSente, l);
  EXPECT_EQ(ListOf(l), (std::vector<int>{54, 44, 64, 65, 56, 45}));
  ListPieceReach(b, 19, kSente, l);  // slides up to the other side's pawn, taking it
  EXPECT_EQ(ListOf(l), (std::vector<int>{18, 17, 16, 15}));
  EXPECT_EQ(ListPieceReach(b, 0x91, kSente, l), 0);
  EXPECT_EQ(ListPieceReach(b, 33, kSente, l), 0);

  b = SfenPosition("4k4/9/9/3s5/4G3R/3KP4/9/9/9 b - 1");
  ListAttackers(b, 55, kSente, 10, l);
  EXPECT_EQ(ListOf(l), (std::vector<int>{56, 15, 66}));
  ListAttackers(b, 55, kSente, 1, l);  // a pawn comes before a rook
  EXPECT_EQ(ListOf(l), (std::vector<int>{56}));
  ListAttackers(b, 55, kGote, 10, l);
  EXPECT_EQ(ListOf(l), (std::vector<int>{64}));
  EXPECT_EQ(ListAttackers(b, 56, kSente, 10, l), 2);  // the gold and the king behind; not the pawn itself

  // Knights on the edge ranks: no step wraps round to the far side.
  b = SfenPosition("N3k3N/9/9/9/9/9/9/9/n3K3n b - 1");
  EXPECT_EQ(ListPieceReach(b, 91, kSente, l), 0);
  EXPECT_EQ(ListPieceReach(b, 11, kSente, l), 0);
  EXPECT_EQ(ListPieceReach(b, 99, kGote, l), 0);
  EXPECT_EQ(ListPieceReach(b, 19, kGote, l), 0);
  EXPECT_EQ(ListAttackers(b, 99, kSente, 10, l), 0);
  EXPECT_EQ(ListAttackers(b, 11, kGote, 10, l), 0);
}

TEST(MoveGeometry, PinsStopAtWallsAndFollowTheSlidingLines) {
  BoardState b = SfenPosition("4r4/9/9/9/9/1b7/9/3SG4/4KS3 b - 1");
  UpdatePinLists(b);
  const PinList& s = b.pins[SideIndex(kSente)];
  ASSERT_EQ(s.count, 2);
  EXPECT_EQ(s.entry[0].pinned, 58);
  EXPECT_EQ(s.entry[0].magnitude, 1);
  EXPECT_EQ(s.entry[0].pinner, 51);
  EXPECT_EQ(s.entry[1].pinned, 68);
  EXPECT_EQ(s.entry[1].magnitude, 9);
  EXPECT_EQ(s.entry[1].pinner, 86);
  EXPECT_EQ(b.pins[SideIndex(kGote)].count, 0);  // no second player's king

  // A bishop pins on a diagonal; a lance only straight at the king.
  b = SfenPosition("K7k/7ls/9/9/9/9/9/9/B7L b - 1");
  UpdatePinLists(b);
  const PinList& g = b.pins[SideIndex(kGote)];
  ASSERT_EQ(g.count, 2);
  EXPECT_EQ(g.entry[0].pinned, 22);
  EXPECT_EQ(g.entry[0].magnitude, 11);
  EXPECT_EQ(g.entry[0].pinner, 99);
  EXPECT_EQ(g.entry[1].pinned, 12);
  EXPECT_EQ(g.entry[1].magnitude, 1);
  EXPECT_EQ(g.entry[1].pinner, 19);

  // A king in the corner with nothing around: the walls end every walk.
  b = SfenPosition("9/9/9/9/9/9/9/9/8K b - 1");
  ScanPins(b, kSente, 19);
  EXPECT_EQ(b.pins[SideIndex(kSente)].count, 0);
  b = SfenPosition("8K/9/9/9/9/9/9/9/9 b - 1");
  ScanPins(b, kSente, 11);
  EXPECT_EQ(b.pins[SideIndex(kSente)].count, 0);
}

}  // namespace
