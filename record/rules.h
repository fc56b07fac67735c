// The rules of shogi over a BoardState: moves, reach, attacks, pins, the
// drop-pawn-mate test, legality and promotion.
#pragma once
#include <array>
#include <cstdint>

#include "record/board.h"

// ---- MoveCode -----------------------------------------------------------

// Four bytes from low to high: from (a square, a hand cell for a drop, 1 an end
// of game, 2 a control key), to (a square, bit 7 set when promoting; the
// EndCode after from 1), piece (the mover as it stood, unpromoted), captured.
using MoveCode = uint32_t;
constexpr int kPromoteBit = 0x80;  // on the to-byte

inline MoveCode MakeMoveCode(int from, int to, int piece, int captured) {
  return (uint32_t(from) & 0xFF) | (uint32_t(to) & 0xFF) << 8 |
         (uint32_t(piece) & 0xFF) << 16 | (uint32_t(captured) & 0xFF) << 24;
}
inline int MoveFrom(MoveCode m) { return int(m & 0xFF); }
inline int MoveTo(MoveCode m) { return int(m >> 8 & 0xFF); }  // with the promote bit
inline int MovePiece(MoveCode m) { return int(m >> 16 & 0xFF); }
inline int MoveCaptured(MoveCode m) { return int(m >> 24 & 0xFF); }
// The move key: the low 16 bits (from | to << 8).
inline uint16_t MoveKey(MoveCode m) { return uint16_t(m & 0xFFFF); }
inline int MoveToSquare(MoveCode m) { return MoveTo(m) & 0x7F; }
inline bool MovePromotes(MoveCode m) { return (MoveTo(m) & kPromoteBit) != 0; }
inline bool IsDropMove(MoveCode m) { return IsHandCell(MoveFrom(m)); }
// The full MoveCode of from → toByte as the move would be made on `board`:
// piece byte from the source (square or hand cell), captured byte from the
// destination.
MoveCode BuildMoveCode(const BoardState& board, int from, int toByte);

// ---- Movement table -----------------------------------------------------

// One row per code without side (0..15), steps for the second player (the
// first player's are negated), in table order, each marked sliding or not.
struct PieceStepRow {
  int count;
  int step[8];
  bool slide[8];
};
extern const PieceStepRow g_PieceSteps[16];

// ---- Result codes of CheckMoveLegal --------------------------------------
constexpr int kMoveLegal = 0;
constexpr int kMoveDropPawnMate = 2;      // 打歩詰
constexpr int kMoveNoSource = 3;          // from below 11, or not a hand cell
constexpr int kMoveNoPiece = 4;           // nothing on the source
constexpr int kMoveNotOwnPiece = 5;       // the other side's piece, or a wall
constexpr int kMoveOntoOwnPiece = 6;      // destination holds a piece of the mover
constexpr int kMoveDropOccupied = 7;      // a drop on an occupied square
constexpr int kMoveDropDeadSquare = 8;    // a drop where the piece could never move
constexpr int kMovePromoteNotAllowed = 9; // promotes on a drop or outside the rule
constexpr int kMoveMustPromote = 10;      // promotion required but not made
constexpr int kMoveUnreachable = 11;      // the piece cannot reach the destination
constexpr int kMoveLeavesKingAttacked = 12;
constexpr int kMoveDoublePawn = 13;       // 二歩
constexpr int kMoveOffBoard = 14;         // destination not a board square
constexpr int kMoveNotInHand = 15;        // the kind is not in the mover's hand

// ---- Operations ---------------------------------------------------------

// Lists of squares: element 0 the count, elements 1.. the squares.
using SquareList = std::array<int, 42>;

// Applies the move; the side to move is not changed. A to-byte that is not a
// board square (10 or less included) is ignored.
void MakeMoveOnBoard(BoardState& board, MoveCode move);
// Takes back a move made by MakeMoveOnBoard; the side to move is not changed.
void UnmakeMoveOnBoard(BoardState& board, MoveCode move);

// Squares the piece on `square` reaches moving for `side`, in table order.
int ListPieceReach(const BoardState& board, int square, int side, SquareList& out);
// Squares of the pieces of `side` attacking `target`, in identity order
// (pawns, lances, knights, silvers, golds, bishops, rooks, the king), at most
// `limit` of them.
int ListAttackers(const BoardState& board, int target, int side, int limit, SquareList& out);
// Whether a piece of `side` with that code, not the one on `except`, attacks
// target. When not, ListAttackers lists none such; when so, it may (it
// lists only pieces on their identity's square).
bool AttackedByAnotherOfCode(const BoardState& board, int target, int side, int code, int except);
// 1 when a piece of code `code` (without side) of `side` may be dropped on
// `square` (it could move from there later).
int CanDropOn(int code, int side, int square);
// Fills the pin list of `side`'s king standing on `kingSquare`.
void ScanPins(BoardState& board, int side, int kingSquare);
// Fills both pin lists (an absent king gets an empty list).
void UpdatePinLists(BoardState& board);
// 1 when the drop of a pawn from hand cell `from` on `to` gives mate. Expects
// the pin lists just filled by UpdatePinLists.
int IsDropPawnMate(int to, BoardState& board, int from);
// Result code (above) of the move from → to (bit 7 of `to` promotes) by `side`.
// Reads and restores only squares; fills the pin lists.
int CheckMoveLegal(int to, int from, BoardState& board, int side);
// 0 cannot promote, 1 may promote, 2 must promote (`to` without bit 7).
int GetPromotionKind(int to, int piece, int from);
