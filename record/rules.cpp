#include "record/rules.h"

#include <bit>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#define KING_STEPS -11, -10, -9, -1, 1, 9, 10, 11
#define GOLD_LIKE {6, {-10, -9, -1, 1, 10, 11}, {}}

const PieceStepRow g_PieceSteps[16] = {
    {0, {}, {}},
    {1, {1}, {false}},                                             // pawn
    {1, {1}, {true}},                                              // lance
    {2, {-8, 12}, {}},                                             // knight
    {5, {1, 11, -9, -11, 9}, {}},                                  // silver
    {6, {1, 11, -9, -10, -1, 10}, {}},                             // gold
    {4, {-11, -9, 9, 11}, {true, true, true, true}},               // bishop
    {4, {-10, -1, 1, 10}, {true, true, true, true}},               // rook
    {8, {KING_STEPS}, {}},                                         // king
    GOLD_LIKE, GOLD_LIKE, GOLD_LIKE, GOLD_LIKE, GOLD_LIKE,         // promoted 9..13
    {8, {KING_STEPS}, {true, false, true, false, false, true, false, true}},  // horse
    {8, {KING_STEPS}, {false, true, false, true, true, false, true, false}},  // dragon
};

#undef KING_STEPS
#undef GOLD_LIKE

namespace {

int Rank(int sq) { return g_SquareRank[sq]; }
// Rays looked along from a target square, and what the piece met first on
// each one does to the target, by its whole byte: [side index][ray][byte] 0
// nothing (empty, wall, the other side), 1 attacks from the next square
// only, 2 from any distance. Knights by byte and by the squares they jump
// from onto each target (0 none).
constexpr int kRays[8] = {-11, -10, -9, -1, 1, 9, 10, 11};

struct RayTable {
  uint8_t reach[2][8][256] = {};
  bool knight[2][256] = {};
  uint8_t knightFrom[2][100][2] = {};
  RayTable() {
    for (int si = 0; si < 2; ++si) {
      const int side = si ? kSente : kGote;
      const int sign = si ? -1 : 1;
      for (int code = 0; code < 256; ++code) {
        if (!IsPieceOfSide(code, side)) continue;
        const int c = CodeWithoutSide(code);
        knight[si][code] = c == kKnight;
        if (c == kKnight) continue;
        const PieceStepRow& row = g_PieceSteps[c];
        for (int i = 0; i < row.count; ++i)
          for (int k = 0; k < 8; ++k)
            if (row.step[i] * sign == -kRays[k]) reach[si][k][code] = row.slide[i] ? 2 : 1;
      }
      const PieceStepRow& jumps = g_PieceSteps[kKnight];
      for (int target = 11; target <= 99; ++target)
        for (int i = 0; i < jumps.count; ++i) {
          const int s = target - jumps.step[i] * sign;
          // Ranks by arithmetic: this runs before the square tables may be filled.
          if (IsBoardSquare(target) && IsBoardSquare(s) && target % 10 - s % 10 == 2 * sign)
            knightFrom[si][target][i] = uint8_t(s);
        }
    }
  }
};
const RayTable g_RayTable;

// Unit step from square b towards square a when both lie on one file, rank or
// diagonal, else 0 (indices 0..99).
struct LineTable {
  int8_t step[100][100] = {};
  LineTable() {
    for (int a = 0; a < 100; ++a)
      for (int b = 0; b < 100; ++b) {
        const int g = a == b ? 100 : GetSquareStep(a, b);
        const int m = g < 0 ? -g : g;
        step[a][b] = int8_t(m == 1 || m == 9 || m == 10 || m == 11 ? g : 0);
      }
  }
};
const LineTable g_LineTable;

// Calls f(square) for each piece of `side` attacking the board square
// `target`, found by looking outward from the target; stops when f returns
// true and returns true then. The walk needs the wall bytes around the board.
template <class F>
bool ForEachAttackingSquare(const BoardState& b, int target, int side, F&& f) {
  const int si = SideIndex(side);
  for (int k = 0; k < 8; ++k) {
    const int d = kRays[k];
    int s = target + d;
    int code = b.squares[s];
    int r;
    if (code != kEmpty) {
      r = g_RayTable.reach[si][k][code];
    } else {
      do {
        s += d;
        code = b.squares[s];
      } while (code == kEmpty);
      r = g_RayTable.reach[si][k][code] >> 1;  // from afar only a slider
    }
    if (r && f(s)) return true;
  }
  // A knight of `side` jumps two ranks forward and one file aside.
  for (int s : g_RayTable.knightFrom[si][target])
    if (s && g_RayTable.knight[si][b.squares[s]] && f(s)) return true;
  return false;
}

int KingIdOf(int side) { return side == kSente ? kSenteKingId : kGoteKingId; }

// Whether the piece of `side` on sq is one the attacker lists count: one
// standing on the square of an identity of that side.
bool StandsOnIdentity(const BoardState& b, int sq, int side) {
  const int kingId = KingIdOf(side);
  const int id = b.idOnSquare[sq];
  if (id != 0 && id <= kPieceIdCount && b.squareOfId[id] == sq && (id <= 38 || id == kingId))
    return true;
  // The identity tables out of step with the squares: ask them the long way.
  for (int i = 1; i <= 39; ++i)
    if (b.squareOfId[i <= 38 ? i : kingId] == sq) return true;
  return false;
}

// Whether any piece of `side` attacks `target`, counting only those.
bool HasAttacker(const BoardState& b, int target, int side) {
  return ForEachAttackingSquare(b, target, side,
                                [&](int sq) { return StandsOnIdentity(b, sq, side); });
}

// The same along the one ray from target with unit step d.
bool HasAttackerOnRay(const BoardState& b, int target, int side, int d) {
  int k = 0;
  while (kRays[k] != d) ++k;
  int s = target + d;
  bool next = true;
  while (b.squares[s] == kEmpty) {
    s += d;
    next = false;
  }
  const int r = g_RayTable.reach[SideIndex(side)][k][b.squares[s]];
  return (r == 2 || (r == 1 && next)) && StandsOnIdentity(b, s, side);
}

// The legality test is asked about many moves of one position in a row (move
// lists, move input). Whether the mover's king stood attacked in the last
// position asked about is kept: when it did not, a move of another piece can
// only open the line from the king through its square. Everything the
// attack test reads (squares and identities) is compared.
constexpr size_t kMemoBytes = offsetof(BoardState, hands);
static_assert(offsetof(BoardState, squares) == 0 && kMemoBytes == 128 + 128 + 41);

struct CheckMemo {
  bool valid = false;
  bool known = false;
  bool attacked = false;
  int side = 0;
  unsigned char position[kMemoBytes] = {};
};
thread_local CheckMemo g_CheckMemo;

// 1 or 0 whether the king of `side` on kingSquare is attacked before the
// move, -1 the first time the position is seen (it is then remembered).
int KingAttackedBefore(const BoardState& b, int side, int kingSquare) {
  CheckMemo& m = g_CheckMemo;
  if (m.valid && m.side == side && std::memcmp(m.position, &b, kMemoBytes) == 0) {
    if (!m.known) {
      m.attacked = HasAttacker(b, kingSquare, kSente - side);
      m.known = true;
    }
    return m.attacked ? 1 : 0;
  }
  std::memcpy(m.position, &b, kMemoBytes);
  m.valid = true;
  m.known = false;
  m.side = side;
  return -1;
}

// Whether `to` (a board square without a piece of `side`) is among the squares
// ListPieceReach gives for the piece on `from`, without listing them.
bool Reaches(const BoardState& b, int from, int to, int side) {
  const int code = b.squares[from];
  if (!IsPiece(code)) return false;
  const int c = CodeWithoutSide(code);
  const PieceStepRow& row = g_PieceSteps[c];
  const int sign = side == kSente ? -1 : 1;
  const int target = b.squares[to];
  if (target != kEmpty && !IsPieceOfSide(target, kSente - side)) return false;
  if (c == kKnight) {
    for (int i = 0; i < row.count; ++i)
      if (from + row.step[i] * sign == to) return Rank(to) - Rank(from) == 2 * sign;
    return false;
  }
  const int line = g_LineTable.step[to][from];
  for (int i = 0; i < row.count; ++i) {
    const int step = row.step[i] * sign;
    if (from + step == to) return true;
    if (!row.slide[i] || line != step) continue;
    for (int s = from + step; s != to; s += step)
      if (b.squares[s] != kEmpty) return false;
    return true;
  }
  return false;
}

int KingSquare(const BoardState& b, int side) {
  int sq = b.squareOfId[side == kSente ? kSenteKingId : kGoteKingId];
  return IsBoardSquare(sq) ? sq : 0;
}

}  // namespace

MoveCode BuildMoveCode(const BoardState& board, int from, int toByte) {
  int to = toByte & 0x7F;
  int captured = IsBoardSquare(to) && !IsHandCell(from) ? board.squares[to] : 0;
  return MakeMoveCode(from, toByte, PieceCodeAt(from, board), captured);
}

void MakeMoveOnBoard(BoardState& b, MoveCode move) {
  const int from = MoveFrom(move);
  const int toByte = MoveTo(move);
  const int to = toByte & 0x7F;
  if (toByte <= 10 || !IsBoardSquare(to)) return;
  if (IsBoardSquare(from)) {
    int code = b.squares[from];
    if (!IsPiece(code) || from == to) return;
    if (toByte & kPromoteBit) code |= kPromotedBit;
    CapturePiece(b, to);
    const int id = b.idOnSquare[from];
    b.squares[to] = uint8_t(code);
    b.idOnSquare[to] = uint8_t(id);
    if (id != 0) b.squareOfId[id] = uint8_t(to);
    b.squares[from] = kEmpty;
    b.idOnSquare[from] = 0;
  } else if (IsRealHandCell(from)) {
    DropPieceFromHand(b, PieceCodeAt(from, b), to);
  }
}

void UnmakeMoveOnBoard(BoardState& b, MoveCode move) {
  const int from = MoveFrom(move);
  const int toByte = MoveTo(move);
  const int to = toByte & 0x7F;
  if (toByte < 11 || !IsBoardSquare(to)) return;
  if (IsBoardSquare(from)) {
    int piece = b.squares[to];
    if (!IsPiece(piece) || from == to) return;
    if (toByte & kPromoteBit) piece &= ~kPromotedBit;
    const int captured = MoveCaptured(move);
    // The mover's identity is read before the captured one takes its square.
    const int moverId = b.idOnSquare[to];
    b.squares[from] = uint8_t(piece);
    b.idOnSquare[from] = uint8_t(moverId);
    if (moverId != 0) b.squareOfId[moverId] = uint8_t(from);
    b.squares[to] = uint8_t(captured);
    b.idOnSquare[to] = 0;
    if (!IsPiece(captured)) return;
    int capturedId = 0;
    if (CodeWithoutSide(captured) == kKing) {
      // A captured king went to the box; no hand took it.
      int id = (captured & kSenteBit) ? kSenteKingId : kGoteKingId;
      if (b.squareOfId[id] == 0) capturedId = id;
    } else {
      const int h = (captured & kSenteBit) ? 0 : 1;
      const int kind = KindOf(captured);
      if (kind != 0 && b.hands[h][kind] > 0) {
        b.hands[h][0]--;
        b.hands[h][kind]--;
        int n = b.handIdCount[kind];
        if (n > 0) {
          capturedId = b.handIds[kind][n - 1];
          b.handIds[kind][n - 1] = 0;
          b.handIdCount[kind] = n - 1;
        }
      }
    }
    b.idOnSquare[to] = uint8_t(capturedId);
    if (capturedId != 0) b.squareOfId[capturedId] = uint8_t(to);
  } else if (IsRealHandCell(from)) {
    const int dropped = PieceCodeAt(from, b);
    if (b.squares[to] != dropped) return;
    const int kind = KindOf(dropped);
    const int h = SideIndex(dropped & kSenteBit);
    const int id = b.idOnSquare[to];
    b.squares[to] = kEmpty;
    b.idOnSquare[to] = 0;
    b.hands[h][0]++;
    b.hands[h][kind]++;
    if (id != 0 && b.handIdCount[kind] < 32) {
      b.handIds[kind][b.handIdCount[kind]++] = id;
      b.squareOfId[id] = 0;
    }
  }
}

int ListPieceReach(const BoardState& b, int square, int side, SquareList& out) {
  int n = 0;
  out[0] = 0;
  if (square < 0 || square > 99) return 0;
  const int code = b.squares[square];
  if (!IsPiece(code)) return 0;
  const int c = CodeWithoutSide(code);
  const PieceStepRow& row = g_PieceSteps[c];
  const int sign = side == kSente ? -1 : 1;
  const int other = kSente - side;
  for (int i = 0; i < row.count; ++i) {
    const int step = row.step[i] * sign;
    if (c == kKnight) {
      // Knight steps jump over the wall column; only real jumps count.
      int s = square + step;
      if (!IsBoardSquare(s) || Rank(s) - Rank(square) != 2 * sign) continue;
      int t = b.squares[s];
      if (t == kEmpty || IsPieceOfSide(t, other)) out[++n] = s;
      continue;
    }
    for (int s = square + step;; s += step) {
      int t = b.squares[s];
      if (t == kEmpty) {
        out[++n] = s;
        if (!row.slide[i]) break;
        continue;
      }
      if (IsPieceOfSide(t, other)) out[++n] = s;
      break;
    }
  }
  out[0] = n;
  return n;
}

int ListAttackers(const BoardState& b, int target, int side, int limit, SquareList& out) {
  int n = 0;
  out[0] = 0;
  if (!IsBoardSquare(target)) return 0;
  if (limit > int(out.size()) - 1) limit = int(out.size()) - 1;
  uint64_t found[4] = {};
  bool any = false;
  ForEachAttackingSquare(b, target, side, [&](int sq) {
    found[sq >> 6] |= uint64_t(1) << (sq & 63);
    any = true;
    return false;
  });
  if (!any) return 0;
  // Callers get them in identity order, one entry per identity standing
  // there: the identities 1..38 and the side's king (39 or 40, either way
  // last) whose square was found.
  uint64_t ids = 0;
  for (int i = 1; i <= kPieceIdCount; ++i) {
    const int sq = b.squareOfId[i];
    ids |= (found[sq >> 6] >> (sq & 63) & 1) << i;
  }
  ids &= ((uint64_t(1) << 39) - 2) | uint64_t(1) << KingIdOf(side);
  for (; ids && n < limit; ids &= ids - 1) out[++n] = b.squareOfId[std::countr_zero(ids)];
  out[0] = n;
  return n;
}

bool AttackedByAnotherOfCode(const BoardState& b, int target, int side, int code, int except) {
  if (!IsBoardSquare(target)) return false;
  return ForEachAttackingSquare(b, target, side,
                                [&](int sq) { return sq != except && b.squares[sq] == code; });
}

int CanDropOn(int code, int side, int square) {
  if (!IsBoardSquare(square)) return 0;
  const int rank = square % 10;
  const bool sente = side == kSente;
  switch (CodeWithoutSide(code)) {
    case kPawn:
    case kLance:
      return sente ? rank != 1 : rank != 9;
    case kKnight:
      return sente ? rank > 2 : rank < 8;
    default:
      return 1;
  }
}

void ScanPins(BoardState& b, int side, int kingSquare) {
  static constexpr int kDirections[8] = {-10, -11, -1, 9, 10, 11, 1, -9};
  PinList& pins = b.pins[SideIndex(side)];
  pins.count = 0;
  if (!IsBoardSquare(kingSquare)) return;
  const int other = kSente - side;
  for (int dir : kDirections) {
    int s = kingSquare + dir;
    while (b.squares[s] == kEmpty) s += dir;
    if (!IsPieceOfSide(b.squares[s], side)) continue;  // the other side's piece, or a wall
    const int pinned = s;
    s += dir;
    while (b.squares[s] == kEmpty) s += dir;
    const int code = b.squares[s];
    if (!IsPieceOfSide(code, other)) continue;
    const int c = CodeWithoutSide(code);
    const int mag = std::abs(dir);
    const bool pins_here = ((c == kRook || c == 15) && (mag == 1 || mag == 10)) ||
                           ((c == kBishop || c == 14) && (mag == 9 || mag == 11)) ||
                           (c == kLance && dir == (side == kSente ? -1 : 1));
    if (pins_here && pins.count < 8) pins.entry[pins.count++] = {pinned, mag, s};
  }
}

void UpdatePinLists(BoardState& b) {
  for (int side : {kGote, kSente}) {
    const int sq = KingSquare(b, side);
    if (sq != 0 && b.squares[sq] == (side | kKing))
      ScanPins(b, side, sq);
    else
      b.pins[SideIndex(side)].count = 0;
  }
}

int IsDropPawnMate(int to, BoardState& b, int from) {
  if (!IsRealHandCell(from) || !IsBoardSquare(to)) return 0;
  const int pawn = PieceCodeAt(from, b);
  if (CodeWithoutSide(pawn) != kPawn) return 0;
  const int side = pawn & kSenteBit;
  const int opponent = kSente - side;
  const int kingSquare = to + (side == kSente ? -1 : 1);
  if (!IsBoardSquare(kingSquare) || b.squares[kingSquare] != (opponent | kKing)) return 0;

  SquareList list;
  const int defenders = ListAttackers(b, to, opponent, 10, list);
  const PinList& pins = b.pins[SideIndex(opponent)];
  for (int i = 1; i <= defenders; ++i) {
    const int sq = list[i];
    if (sq == kingSquare) continue;
    bool pinnedAside = false;
    for (int p = 0; p < pins.count; ++p)
      if (pins.entry[p].pinned == sq && pins.entry[p].magnitude != std::abs(GetSquareStep(to, sq)))
        pinnedAside = true;
    if (!pinnedAside) return 0;
  }

  const uint8_t savedTo = b.squares[to];
  b.squares[to] = uint8_t(pawn);
  SquareList reach;
  const int n = ListPieceReach(b, kingSquare, opponent, reach);
  // The king stays on its square: a line through it to a square behind would
  // mean the king was in check before the drop, which play never leaves.
  int mate = 1;
  for (int i = 1; i <= n && mate; ++i)
    if (!HasAttacker(b, reach[i], side)) mate = 0;
  b.squares[to] = savedTo;
  return mate;
}

int CheckMoveLegal(int to, int from, BoardState& b, int side) {
  // 1-3: the source and its piece.
  if (from < 11) return kMoveNoSource;
  const bool drop = from >= 100;
  if (drop && !IsRealHandCell(from)) return (from >= 0x80 && from <= 0x9F) ? kMoveNoPiece : kMoveNoSource;
  const int piece = drop ? PieceCodeAt(from, b) : b.squares[from];
  if (piece == kEmpty) return kMoveNoPiece;
  if (piece == kWall || (piece & kSenteBit) != side) return kMoveNotOwnPiece;
  // 4-6: promotion on a drop, the destination.
  const bool promote = (to & kPromoteBit) != 0;
  if (promote && drop) return kMovePromoteNotAllowed;
  to &= ~kPromoteBit;
  if (to < 11 || to > 99 || !IsBoardSquare(to)) return kMoveOffBoard;
  if (IsPieceOfSide(b.squares[to], side)) return kMoveOntoOwnPiece;

  if (drop) {
    // 7: drops.
    if (b.squares[to] != kEmpty) return kMoveDropOccupied;
    const int kind = KindOf(piece);
    if (b.hands[(from & 0x10) ? 1 : 0][kind] == 0) return kMoveNotInHand;
    if (!CanDropOn(kind, side, to)) return kMoveDropDeadSquare;
    if (kind == kPawn) {
      const int file = to / 10 * 10;
      for (int r = 1; r <= 9; ++r)
        if (b.squares[file + r] == (side | kPawn)) return kMoveDoublePawn;
      UpdatePinLists(b);
      if (IsDropPawnMate(to, b, from)) return kMoveDropPawnMate;
    }
  } else {
    // 8: board moves.
    const int kind = GetPromotionKind(to, piece, from);
    if (kind == 2 && !promote) return kMoveMustPromote;
    if (kind == 0 && promote) return kMovePromoteNotAllowed;
    if (CodeWithoutSide(piece) == kKnight &&
        ((Rank(from) == 1 && Rank(to) == 9) || (Rank(from) == 9 && Rank(to) == 1)))
      return kMoveUnreachable;
    if (!Reaches(b, from, to, side)) return kMoveUnreachable;
  }

  // 9-10: the mover's own king after the move.
  const int kingSquare = KingSquare(b, side);
  if (kingSquare == 0) return kMoveLegal;
  const uint8_t savedFrom = drop ? 0 : b.squares[from];
  const uint8_t savedTo = b.squares[to];
  const bool kingMoves = !drop && from == kingSquare;
  const int before = kingMoves ? -1 : KingAttackedBefore(b, side, kingSquare);
  if (before == 0 && (drop || g_LineTable.step[from][kingSquare] == 0)) return kMoveLegal;
  if (!drop) b.squares[from] = kEmpty;
  b.squares[to] = uint8_t(piece);
  const bool attacked =
      before == 0 ? HasAttackerOnRay(b, kingSquare, kSente - side, g_LineTable.step[from][kingSquare])
                  : HasAttacker(b, kingMoves ? to : kingSquare, kSente - side);
  if (!drop) b.squares[from] = savedFrom;
  b.squares[to] = savedTo;
  return attacked ? kMoveLeavesKingAttacked : kMoveLegal;
}

int GetPromotionKind(int to, int piece, int from) {
  if (!IsBoardSquare(from) || to < 0 || to > 99) return 0;
  if (!IsPiece(piece) || (piece & kPromotedBit) || KindOf(piece) == kGold || KindOf(piece) == 0) return 0;
  const int kind = KindOf(piece);
  const int tr = Rank(to), fr = Rank(from);
  if (piece & kSenteBit) {
    if (!((tr >= 1 && tr <= 3) || (fr >= 1 && fr <= 3))) return 0;
    if ((kind == kPawn || kind == kLance) && tr == 1) return 2;
    if (kind == kKnight && tr >= 1 && tr <= 2) return 2;
    return 1;
  }
  if (!(tr >= 7 || fr >= 7)) return 0;
  if ((kind == kPawn || kind == kLance) && tr == 9) return 2;
  if (kind == kKnight && tr >= 8) return 2;
  return 1;
}
