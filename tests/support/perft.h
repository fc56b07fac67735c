// Legal-move counting from a position, built only from the rules' public
// operations: board moves from ListPieceReach with GetPromotionKind, drops of
// every kind in hand on every empty square, each kept when CheckMoveLegal
// gives 0. Header-only so that the benchmark can use it too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "record/rules.h"

struct PerftResult {
  uint64_t nodes = 0;
  uint64_t restoreFaults = 0;  // take-backs that did not restore the position
  MoveCode firstFault = 0;
};

// Calls f(toByte, from) for every candidate of the side to move; each
// candidate still has to pass CheckMoveLegal.
template <class F>
void ForEachCandidate(BoardState& b, F&& f) {
  const int side = b.sideToMove;
  SquareList reach;
  for (int from = 11; from <= 99; ++from) {
    if (!IsPieceOfSide(b.squares[from], side)) continue;
    const int piece = b.squares[from];
    const int n = ListPieceReach(b, from, side, reach);
    for (int i = 1; i <= n; ++i) {
      const int to = reach[i];
      const int kind = GetPromotionKind(to, piece, from);
      if (kind != 2) f(to, from);
      if (kind != 0) f(to | kPromoteBit, from);
    }
  }
  const int h = SideIndex(side);
  for (int kind = kPawn; kind <= kRook; ++kind) {
    if (b.hands[h][kind] == 0) continue;
    const int cell = HandCellOf(side, kind);
    for (int to = 11; to <= 99; ++to)
      if (IsBoardSquare(to) && b.squares[to] == kEmpty) f(to, cell);
  }
}

namespace perft_detail {

inline bool SameExceptPins(const BoardState& a, const BoardState& b) {
  // The pin lists sit between hands and sideToMove; compare the spans around
  // them (the first ends at the hands so no padding byte is compared).
  constexpr size_t head = offsetof(BoardState, hands) + sizeof(BoardState::hands);
  constexpr size_t tail = offsetof(BoardState, sideToMove);
  return std::memcmp(&a, &b, head) == 0 &&
         std::memcmp(reinterpret_cast<const char*>(&a) + tail,
                     reinterpret_cast<const char*>(&b) + tail, sizeof(BoardState) - tail) == 0;
}

template <bool kVerify>
void Walk(BoardState& b, int depth, PerftResult& r) {
  BoardState before;
  if constexpr (kVerify) std::memcpy(&before, &b, sizeof b);
  const int side = b.sideToMove;
  ForEachCandidate(b, [&](int to, int from) {
    if (CheckMoveLegal(to, from, b, side) != 0) return;
    if (!kVerify && depth == 1) {
      ++r.nodes;
      return;
    }
    const MoveCode m = BuildMoveCode(b, from, to);
    MakeMoveOnBoard(b, m);
    b.sideToMove = kSente - side;
    if (depth == 1)
      ++r.nodes;
    else
      Walk<kVerify>(b, depth - 1, r);
    b.sideToMove = side;
    UnmakeMoveOnBoard(b, m);
    if constexpr (kVerify) {
      if (!SameExceptPins(b, before)) {
        if (r.restoreFaults++ == 0) r.firstFault = m;
        std::memcpy(&b, &before, sizeof b);
      }
    }
  });
}

}  // namespace perft_detail

// Leaf count at `depth`. With verify, every move is made and taken back and
// the whole position (pins aside) compared with its state before; otherwise
// the last ply is only counted.
inline PerftResult Perft(BoardState& board, int depth, bool verify) {
  PerftResult r;
  if (depth <= 0) {
    r.nodes = 1;
    return r;
  }
  if (verify)
    perft_detail::Walk<true>(board, depth, r);
  else
    perft_detail::Walk<false>(board, depth, r);
  return r;
}
