// Which cell of the board view lies under a pixel: a board square 11..99, a
// HandCell of a stand, a piece kind 1..8 of the piece box, or a stand or the
// box as a drop target of position editing. The layout is the drawing's
// (view/board_geometry.h), so that a click lands on what is shown there.
//
// The pure forms take the cell size, the flip and the position; the short
// forms below them read the piece set's cell size, g_bBoardFlipped and
// g_Board, which is what the mouse handlers call.
#pragma once
#include <array>
#include <cstdint>

#include "record/board.h"
#include "view/board_geometry.h"

// What HitTestBoard is asked to find.
enum HitPurpose {
  kHitPickOwn = 0,     // a game: a piece of `side`, on the board or in its hand
  kHitMoveTarget = 1,  // a game: the target square of the held piece
  kHitPickAny = 2,     // position editing: any piece, board or either hand
  kHitEditDrop = 3,    // position editing: where the held piece may go
};

// Results of HitTestBoard that are not cells. Only a result above 0 names
// something; -1 (a point above the board or the upper stand) is no cell.
constexpr int kHitNone = 0;
constexpr int kHitAbove = -1;
// Drop targets of kHitEditDrop outside the board.
constexpr int kHitLowerStand = 1;  // the stand at the lower right (BottomSide)
constexpr int kHitUpperStand = 2;  // the stand at the upper left
constexpr int kHitPieceBox = 3;

// Index n (1..10) names what is shown at slot n; 0 and unused indexes hold 0.
using SlotCellList = std::array<int, 11>;

// The HandCells of a hand (counts hand[1..7]; hand[0] is not read) in the
// slot order of its stand, rook first. The pawns begin a row of their own;
// from two pawns on they reach into the row's other column, which then names
// them too (on the lower stand the next index, on the upper one the one
// before).
void ListHandKinds(SlotCellList& list, const uint8_t hand[8], int side, bool lowerStand);
// The kinds 1..8 lying in the piece box (boxCount[1..8]) in slot order from
// the king down: slot k (from 0) is index k + 1. Pawns begin an odd index and
// take the next as well from two pawns on.
void ListPieceBoxKinds(SlotCellList& list, const int boxCount[9]);

// The cell of `purpose` under (x, y); kHitNone, or kHitAbove. heldCell is
// where the held piece came from (kHitEditDrop only: a square, a HandCell or
// a box kind).
int HitTestBoard(CellSize c, bool flipped, const BoardState& board, int x, int purpose, int side,
                 int y, int heldCell);
// The box kind under (x, y), or 0.
int HitTestPieceBox(CellSize c, const int boxCount[9], int x, int y);
// Whether the point lies in the piece box: 0 < x <= 3W+16, 4H+29 <= y <= 9H+53.
bool IsInPieceBoxArea(CellSize c, int x, int y);

// ---- Over the view's globals ------------------------------------------------------

void ListHandKinds(SlotCellList& list, int side);
void ListPieceBoxKinds(SlotCellList& list);
int HitTestBoard(int x, int purpose, int side, int y, int heldCell);
int HitTestPieceBox(int x, int y);
bool IsInPieceBoxArea(int x, int y);
