// Setting up a position by hand: pieces moved between the board, the two
// stands and the piece box. Identities follow the pieces as far as a move
// needs them; the caller re-identifies the position afterwards.
#pragma once
#include "record/board.h"

// Drop targets other than a square.
enum EditDropTarget {
  kDropStandBelow = 1,  // the lower-right stand: the first player's unless the board is flipped
  kDropStandAbove = 2,  // the upper-left stand
  kDropBox = 3,
};

// Identities lying in the box, by kind from the king (8) down to the pawn:
// the first of each kind found there (for the king the first not on the
// board) as pairs of kind and identity. Returns the number of pairs.
int ListBoxPieceIds(const BoardState& board, int pairs[8][2]);
// The first identity of the kind in the box, 0 when the box has none.
int FirstBoxId(const BoardState& board, int kind);

struct EditDropResult {
  bool changed = false;
  int dropSquare = 0;  // the square a piece landed on, 0 for none
};

// Moves the piece picked on `origin` (a square, a hand cell, or a box kind
// 1..8) to `target` (a square or an EditDropTarget). With ctrl a board piece
// takes every piece of the same code along, a hand piece its whole kind; with
// ctrl and shift every piece of that side (kings excepted) or that hand. A
// piece placed where it could never move again is promoted. Nothing changes
// for a move that the set of pieces cannot hold (an empty origin, a king
// offered to a stand, a kind the box does not have).
EditDropResult ApplyEditDrop(BoardState& board, int origin, int target, bool ctrl, bool shift,
                             bool flipped);
