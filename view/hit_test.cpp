#include "view/hit_test.h"

#include "record/record_reader.h"
#include "view/board_drawing.h"

namespace {

// Half a stand's width: two slot columns a stand.
int HalfStand(CellSize c) { return (3 * c.w + 9) / 2; }

int OtherSide(int side) { return kSente - side; }

int Listed(const SlotCellList& list, int index, int last) {
  return index >= 1 && index <= last ? list[index] : kHitNone;
}

// The square under a point between the board's outer grid lines, or 0 on a
// line, in a gap or in the one-pixel margin that the square keeps inside.
int SquareAt(CellSize c, bool flipped, int x, int y) {
  int dx = x - (3 * c.w + 32), dy = y - 14;
  int column = dx / (c.w + 3), row = dy / (c.h + 3);
  if (row > 8) return 0;
  int ox = dx - column * (c.w + 3), oy = dy - row * (c.h + 3);
  if (ox <= 1 || ox >= c.w + 1 || oy <= 1 || oy >= c.h + 1) return 0;
  return flipped ? (column + 1) * 10 + (9 - row) : (9 - column) * 10 + (row + 1);
}

bool IsHeldKing(const BoardState& board, int heldCell) {
  if (heldCell == kKing) return true;  // the box's king
  return IsBoardSquare(heldCell) && CodeWithoutSide(board.squares[heldCell]) == kKing;
}

bool IsHeldFromHandOf(int heldCell, int side) {
  return IsHandCell(heldCell) && ((heldCell & 0x10) != 0 ? kSente : kGote) == side;
}

int HitEditDropOutsideBoard(CellSize c, bool flipped, const BoardState& board, int x, int y,
                            int heldCell) {
  if (IsInPieceBoxArea(c, x, y))
    return heldCell >= kPawn && heldCell <= kKing ? kHitNone : kHitPieceBox;
  // A king goes to no hand.
  if (IsHeldKing(board, heldCell)) return kHitNone;
  int bottom = BottomSide(flipped);
  if (x >= 12 * c.w + 75 && x <= 15 * c.w + 90 && y >= 5 * c.h + 29 && y <= 9 * c.h + 53)
    return IsHeldFromHandOf(heldCell, bottom) ? kHitNone : kHitLowerStand;
  if (x > 0 && x <= 3 * c.w + 16 && y > 1 && y <= 4 * c.h + 26)
    return IsHeldFromHandOf(heldCell, OtherSide(bottom)) ? kHitNone : kHitUpperStand;
  return kHitNone;
}

int HitHandPiece(CellSize c, bool flipped, const BoardState& board, int x, int purpose, int side,
                 int y) {
  const int s = HalfStand(c);
  const int bottom = BottomSide(flipped);
  SlotCellList list;

  // The lower stand: rows run downward, the left column holds the odd slots.
  // Its rows step by H+2 as drawn, so that the top pixels of the fourth row
  // still belong to it.
  int column = 0;
  if (x >= 12 * c.w + 79 && x < 12 * c.w + 78 + s)
    column = 1;
  else if (x >= 12 * c.w + 75 + s && x < 12 * c.w + 76 + 2 * s)
    column = 2;
  if (column != 0) {
    if (y < 5 * c.h + 42) return kHitNone;
    if (purpose != kHitPickAny && side != bottom) return kHitNone;
    int index = column + 2 * ((y - 5 * c.h - 42) / (c.h + 2));
    ListHandKinds(list, board.hands[SideIndex(bottom)], bottom, true);
    return Listed(list, index, 8);
  }

  // The upper stand, seen from the other side: rows run upward from its
  // bottom row of slots 1 and 2, the right column holds the odd slots.
  if (y < 5) return kHitAbove;
  int row = (y - 5) / (c.h + 2);
  if (x >= s + 3 && x < 2 * s + 2)
    column = 1;
  else if (x >= 3 && x < s + 4)
    column = 2;
  else
    return kHitNone;
  if (purpose == kHitPickOwn && side == bottom) return kHitNone;
  int top = OtherSide(bottom);
  ListHandKinds(list, board.hands[SideIndex(top)], top, false);
  return Listed(list, column - 2 * row + 6, 8);
}

}  // namespace

void ListHandKinds(SlotCellList& list, const uint8_t hand[8], int side, bool lowerStand) {
  list.fill(0);
  for (int kind = kRook; kind >= kPawn; --kind) {
    if (hand[kind] == 0) continue;
    int slot = HandSlotNumber(hand, kind, lowerStand);
    int cell = HandCellOf(side, kind);
    list[slot] = cell;
    // Two pawns or more spread over both columns of their row.
    if (kind == kPawn && hand[kind] >= 2) list[lowerStand ? slot + 1 : slot - 1] = cell;
  }
}

void ListPieceBoxKinds(SlotCellList& list, const int boxCount[9]) {
  list.fill(0);
  for (int kind = kKing; kind >= kPawn; --kind) {
    if (boxCount[kind] <= 0) continue;
    int index = BoxSlotNumber(boxCount, kind) + 1;
    list[index] = kind;
    if (kind == kPawn && boxCount[kind] >= 2) list[index + 1] = kind;
  }
}

int HitTestBoard(CellSize c, bool flipped, const BoardState& board, int x, int purpose, int side,
                 int y, int heldCell) {
  if (x >= 3 * c.w + 32 && x <= 12 * c.w + 59) {
    if (y < 14) return kHitAbove;
    int square = SquareAt(c, flipped, x, y);
    if (square == 0) return kHitNone;
    int code = board.squares[square];
    switch (purpose) {
      case kHitPickOwn:
        return IsPieceOfSide(code, side) ? square : kHitNone;
      case kHitMoveTarget:
        return square;
      case kHitPickAny:
        return IsPiece(code) ? square : kHitNone;
      case kHitEditDrop:
        // Only a piece lifted from the board may take another's place, and
        // never a king's.
        if (!IsPiece(code)) return square;
        return CodeWithoutSide(code) != kKing && IsBoardSquare(heldCell) ? square : kHitNone;
      default:
        return kHitNone;
    }
  }
  switch (purpose) {
    case kHitEditDrop:
      return HitEditDropOutsideBoard(c, flipped, board, x, y, heldCell);
    case kHitPickOwn:
    case kHitPickAny:
      return HitHandPiece(c, flipped, board, x, purpose, side, y);
    default:
      return kHitNone;
  }
}

int HitTestPieceBox(CellSize c, const int boxCount[9], int x, int y) {
  if (y < 4 * c.h + 40 || y > 9 * c.h + 50) return 0;
  const int s = HalfStand(c);
  int column;
  if (x > 2 && x < s + 4)
    column = 1;
  else if (x >= s + 3 && x < 2 * s + 2)
    column = 2;
  else
    return 0;
  SlotCellList list;
  ListPieceBoxKinds(list, boxCount);
  return Listed(list, column + 2 * ((y - 4 * c.h - 40) / (c.h + 2)), 10);
}

bool IsInPieceBoxArea(CellSize c, int x, int y) {
  return x > 0 && x <= 3 * c.w + 16 && y >= 4 * c.h + 29 && y <= 9 * c.h + 53;
}

// ---- Over the view's globals ------------------------------------------------------

namespace {

bool Flipped() { return g_bBoardFlipped != 0; }

void CurrentBoxCounts(int counts[9]) {
  counts[0] = 0;
  for (int kind = kPawn; kind <= kKing; ++kind) counts[kind] = CountBoxPieces(kind);
}

}  // namespace

void ListHandKinds(SlotCellList& list, int side) {
  ListHandKinds(list, g_Board.hands[SideIndex(side)], side, side == BottomSide(Flipped()));
}

void ListPieceBoxKinds(SlotCellList& list) {
  int counts[9];
  CurrentBoxCounts(counts);
  ListPieceBoxKinds(list, counts);
}

int HitTestBoard(int x, int purpose, int side, int y, int heldCell) {
  return HitTestBoard(CurrentCellSize(), Flipped(), g_Board, x, purpose, side, y, heldCell);
}

int HitTestPieceBox(int x, int y) {
  int counts[9];
  CurrentBoxCounts(counts);
  return HitTestPieceBox(CurrentCellSize(), counts, x, y);
}

bool IsInPieceBoxArea(int x, int y) { return IsInPieceBoxArea(CurrentCellSize(), x, y); }
