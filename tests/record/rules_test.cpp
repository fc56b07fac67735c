#include "record/rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
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

// ---- Reference: attackers found by asking every piece of the side ----------
//
// The rules look outward from the target; this is the plain scan over the
// identities they replaced, kept to hold the two to the same lists.

namespace reference {

bool LineClear(const BoardState& b, int from, int target, int step) {
  for (int s = from + step; s != target; s += step)
    if (b.squares[s] != kEmpty) return false;
  return true;
}

int Sign(int v) { return (v > 0) - (v < 0); }
int File(int sq) { return sq / 10; }
int Rank(int sq) { return sq % 10; }

bool OnLine(const BoardState& b, int sq, int target, bool diagonal) {
  const int df = File(target) - File(sq), dr = Rank(target) - Rank(sq);
  if (diagonal ? (df == 0 || (df != dr && df != -dr)) : ((df != 0) == (dr != 0))) return false;
  return LineClear(b, sq, target, Sign(df) * 10 + Sign(dr));
}

bool Attacks(const BoardState& b, int code, int sq, int target, int side) {
  const bool sente = side == kSente;
  const int d = target - sq;
  const int dist = std::max(std::abs(File(target) - File(sq)), std::abs(Rank(target) - Rank(sq)));
  switch (CodeWithoutSide(code)) {
    case kPawn: return target == sq + (sente ? -1 : 1);
    case kLance:
      if (File(target) != File(sq)) return false;
      if (sente ? Rank(target) >= Rank(sq) : Rank(target) <= Rank(sq)) return false;
      return LineClear(b, sq, target, sente ? -1 : 1);
    case kKnight:
      return std::abs(File(target) - File(sq)) == 1 && Rank(target) == Rank(sq) + (sente ? -2 : 2);
    case kSilver:
      if (dist != 1) return false;
      return sente ? (Rank(target) < Rank(sq) || d == 11 || d == -9)
                   : (Rank(target) > Rank(sq) || d == -11 || d == 9);
    case kGold: case 9: case 10: case 11: case 12: case 13:
      return dist == 1 && (sente ? (d != 11 && d != -9) : (d != -11 && d != 9));
    case kBishop: return OnLine(b, sq, target, true);
    case 14: return dist == 1 || OnLine(b, sq, target, true);
    case kRook: return OnLine(b, sq, target, false);
    case 15: return dist == 1 || OnLine(b, sq, target, false);
    case kKing: return dist == 1;
    default: return false;
  }
}

std::vector<int> Attackers(const BoardState& b, int target, int side, int limit) {
  std::vector<int> out;
  limit = std::min(limit, 41);
  for (int i = 1; i <= 39 && int(out.size()) < limit; ++i) {
    const int id = i <= 38 ? i : (side == kSente ? kSenteKingId : kGoteKingId);
    const int sq = b.squareOfId[id];
    if (!IsBoardSquare(sq) || sq == target || !IsPieceOfSide(b.squares[sq], side)) continue;
    if (Attacks(b, b.squares[sq], sq, target, side)) out.push_back(sq);
  }
  return out;
}

// Board moves as the legality test judged them with the full reach list and
// the scan above (drops and the earlier checks are the same code).
int BoardMoveCode(int to, int from, BoardState& b, int side) {
  const int piece = b.squares[from];
  const bool promote = (to & kPromoteBit) != 0;
  to &= 0x7F;
  const int kind = GetPromotionKind(to, piece, from);
  if (kind == 2 && !promote) return kMoveMustPromote;
  if (kind == 0 && promote) return kMovePromoteNotAllowed;
  if (CodeWithoutSide(piece) == kKnight &&
      ((Rank(from) == 1 && Rank(to) == 9) || (Rank(from) == 9 && Rank(to) == 1)))
    return kMoveUnreachable;
  SquareList reach;
  const int n = ListPieceReach(b, from, side, reach);
  if (std::find(reach.begin() + 1, reach.begin() + 1 + n, to) == reach.begin() + 1 + n)
    return kMoveUnreachable;
  const int kingSq = b.squareOfId[side == kSente ? kSenteKingId : kGoteKingId];
  if (!IsBoardSquare(kingSq)) return kMoveLegal;
  const uint8_t savedFrom = b.squares[from], savedTo = b.squares[to];
  b.squares[from] = kEmpty;
  b.squares[to] = uint8_t(piece);
  const bool attacked = !Attackers(b, from == kingSq ? to : kingSq, kSente - side, 1).empty();
  b.squares[from] = savedFrom;
  b.squares[to] = savedTo;
  return attacked ? kMoveLeavesKingAttacked : kMoveLegal;
}

}  // namespace reference

// Positions for the comparison: the layouts, the test positions, their
// mirror images, positions of fixed-seed random games, and boards whose
// identities are out of the ordinary (a piece beyond its kind's identities,
// a king bearing the other king's identity).
std::vector<BoardState> ComparisonPositions() {
  std::vector<BoardState> out;
  for (int code = 0; code < 16; ++code) {
    BoardState b;
    SetHandicapBoard(b, code);
    out.push_back(b);
  }
  for (const char* sfen :
       {kBusy, "4k4/9/9/3s5/4G3R/3KP4/9/9/9 b - 1", "N3k3N/9/9/9/9/9/9/9/n3K3n b - 1",
        "K7k/7ls/9/9/9/9/9/9/B7L b - 1", "8k/9/9/4+r4/3B+BL3/4+R4/9/9/K8 b - 1",
        "4k4/9/4r4/9/rrr1K1RRR/9/4R4/9/9 b - 1", "4k4/9/9/9/4r4/9/4G4/9/4K4 b - 1",
        "4k4/9/9/9/4r4/9/9/2n6/4K4 b - 1", "8k/9/9/9/9/9/6b2/9/4K4 b - 1"}) {
    out.push_back(SfenPosition(sfen));
    out.push_back(Mirrored(out.back()));
  }
  BoardState king = SfenPosition("9/9/9/3g5/4K4/5S3/9/9/9 b - 1");
  EXPECT_EQ(CyclePieceState(55, king), 1);  // now the second player's, with the first's identity
  out.push_back(king);
  std::mt19937 rng(77);
  for (int game = 0; game < 12; ++game) {
    BoardState b;
    SetInitialBoard(b);
    for (int ply = 0; ply < 160; ++ply) {
      std::vector<std::pair<int, int>> moves;
      ForEachCandidate(b, [&](int to, int from) {
        if (CheckMoveLegal(to, from, b, b.sideToMove) == 0) moves.emplace_back(to, from);
      });
      if (moves.empty()) break;
      const auto [to, from] = moves[rng() % moves.size()];
      MakeMoveOnBoard(b, BuildMoveCode(b, from, to));
      b.sideToMove = kSente - b.sideToMove;
      if (ply % 8 == 7) out.push_back(b);
    }
  }
  return out;
}

TEST(MoveGeometry, AttackersAndLegalityAgreeWithTheScanOfEveryPiece) {
  SquareList l;
  int position = 0;
  for (BoardState& b : ComparisonPositions()) {
    SCOPED_TRACE(testing::Message() << "position " << position++ << " " << BoardToSfen(b));
    for (int target = 11; target <= 99; ++target) {
      if (!IsBoardSquare(target)) continue;
      for (int side : {kSente, kGote})
        for (int limit : {1, 10, 41}) {
          ListAttackers(b, target, side, limit, l);
          ASSERT_EQ(ListOf(l), reference::Attackers(b, target, side, limit))
              << "target " << target << " side " << side << " limit " << limit;
        }
      // A piece with a twin among the attackers: the quick test finds it.
      for (int side : {kSente, kGote}) {
        const auto all = reference::Attackers(b, target, side, 41);
        for (int except : all) {
          const int code = b.squares[except];
          if (std::any_of(all.begin(), all.end(), [&](int sq) { return sq != except && b.squares[sq] == code; })) {
            ASSERT_TRUE(AttackedByAnotherOfCode(b, target, side, code, except)) << target << " " << except;
          }
        }
      }
    }
    const int side = b.sideToMove;
    for (int from = 11; from <= 99; ++from) {
      if (!IsPieceOfSide(b.squares[from], side)) continue;
      for (int to = 11; to <= 99; ++to)
        for (int promote : {0, kPromoteBit}) {
          if (!IsBoardSquare(to) || IsPieceOfSide(b.squares[to], side)) continue;
          ASSERT_EQ(CheckMoveLegal(to | promote, from, b, side),
                    reference::BoardMoveCode(to | promote, from, b, side))
              << from << " to " << (to | promote);
        }
    }
  }
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
