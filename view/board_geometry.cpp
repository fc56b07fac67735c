#include "view/board_geometry.h"

#include "record/board.h"

namespace {

// Column (0 at the left) and row (0 at the top) where a square is shown.
int ShownColumn(int square, bool flipped) {
  int file = square / 10;
  return flipped ? file - 1 : 9 - file;
}
int ShownRow(int square, bool flipped) {
  int rank = square % 10;
  return flipped ? 9 - rank : rank - 1;
}

// Half the width of a stand: two slots a row.
int HalfStand(CellSize c) { return (3 * c.w + 9) / 2; }

}  // namespace

int BottomSide(bool flipped) { return flipped ? kGote : kSente; }

PixelRect BoardRect(CellSize c) { return {3 * c.w + 20, 2, 12 * c.w + 71, 9 * c.h + 53}; }

PixelPoint SquareTopLeft(CellSize c, int square, bool flipped) {
  return {3 * c.w + 34 + ShownColumn(square, flipped) * (c.w + 3),
          16 + ShownRow(square, flipped) * (c.h + 3)};
}

PixelRect SquareRect(CellSize c, int square, bool flipped) {
  PixelPoint p = SquareTopLeft(c, square, flipped);
  return {p.x, p.y, p.x + c.w, p.y + c.h};
}

PixelRect SquareFrameRect(CellSize c, int square, bool flipped) {
  PixelRect r = SquareRect(c, square, flipped);
  return {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};
}

int GridLineX(CellSize c, int i) { return 3 * c.w + 32 + i * (c.w + 3); }
int GridLineY(CellSize c, int i) { return 14 + i * (c.h + 3); }

PixelRect GridBounds(CellSize c) {
  return {GridLineX(c, 0), GridLineY(c, 0), GridLineX(c, 9) + 1, GridLineY(c, 9) + 1};
}

PixelPoint GridCrossing(CellSize c, int a, int b) { return {GridLineX(c, a), GridLineY(c, b)}; }

const int kStarPointLines[4][2] = {{3, 3}, {6, 3}, {3, 6}, {6, 6}};

int StarPointOfSquare(int square, bool flipped) {
  if (flipped) square = 110 - square;
  switch (square) {
    case 63: case 64: case 73: case 74: return 0;
    case 33: case 34: case 43: case 44: return 1;
    case 66: case 67: case 76: case 77: return 2;
    case 36: case 37: case 46: case 47: return 3;
    default: return -1;
  }
}

PixelPoint FileDigitPos(CellSize c, int file, bool flipped) {
  int column = flipped ? file - 1 : 9 - file;
  return {3 * c.w + 28 + column * (c.w + 3) + (c.w + 3) / 2, flipped ? 9 * c.h + 41 : 3};
}

PixelPoint RankNumeralPos(CellSize c, int rank, bool flipped) {
  int row = flipped ? 9 - rank : rank - 1;
  return {flipped ? 3 * c.w + 20 : 12 * c.w + 59, 10 + row * (c.h + 3) + (c.h + 3) / 2};
}

PixelPoint BoardGrainPixel(CellSize c, int x, int y) { return {x - (3 * c.w + 19), y + 1}; }

PixelPoint StandGrainPixel(CellSize c, int rectLeft, int x, int y) {
  return {rectLeft < 3 * c.w + 33 ? x : x - (12 * c.w + 74), y + 1};
}

PixelRect LowerStandRect(CellSize c) {
  return {12 * c.w + 75, 5 * c.h + 29, 15 * c.w + 90, 9 * c.h + 53};
}
PixelRect UpperStandRect(CellSize c) { return {1, 2, 3 * c.w + 16, 4 * c.h + 26}; }

PixelRect StandRect(CellSize c, int side, bool flipped) {
  return side == BottomSide(flipped) ? LowerStandRect(c) : UpperStandRect(c);
}

PixelRect PieceBoxRect(CellSize c) { return {1, 4 * c.h + 29, 3 * c.w + 16, 9 * c.h + 53}; }
PixelRect PieceBoxClearRect(CellSize c) { return {1, 4 * c.h + 29, 3 * c.w + 17, 9 * c.h + 54}; }
PixelRect InfoPanelRect(CellSize c) { return {12 * c.w + 75, 2, 15 * c.w + 122, 5 * c.h + 26}; }

PixelPoint StandLabelPos(CellSize c, bool lowerStand) {
  PixelRect s = lowerStand ? LowerStandRect(c) : UpperStandRect(c);
  return {s.left + (3 * c.w + 15) / 2 - 16, lowerStand ? s.top + 1 : s.top + 4 * c.h + 11};
}

PixelRect StandLabelBox(CellSize c, bool lowerStand) {
  PixelPoint p = StandLabelPos(c, lowerStand);
  return {p.x, p.y, p.x + 27, p.y + 13};
}

PixelPoint PieceBoxLabelPos(CellSize c) { return {(3 * c.w + 15) / 2 - 15, 4 * c.h + 30}; }

int HandSlotNumber(const uint8_t hand[8], int kind, bool lowerStand) {
  int slot = 1;
  for (int k = kRook; k > kind; --k)
    if (hand[k] != 0) ++slot;
  if (kind == kPawn) {
    if (lowerStand) {
      if (slot % 2 == 0) ++slot;
    } else {
      slot += slot % 2 == 1 ? 1 : 2;
    }
  }
  return slot;
}

PixelPoint HandSlotPos(CellSize c, int slot, bool lowerStand) {
  int row = (slot - 1) / 2;
  bool odd = slot % 2 == 1;
  if (lowerStand)
    return {odd ? 12 * c.w + 79 : 12 * c.w + 77 + HalfStand(c), 5 * c.h + 44 + row * (c.h + 2)};
  return {odd ? HalfStand(c) + 3 : 5, 3 * c.h + 13 - row * (c.h + 2)};
}

int HandSlotWidth(CellSize c, int kind) {
  return kind == kPawn ? 2 * HalfStand(c) - 1 : HalfStand(c) + 1;
}

int HandCopyStep(CellSize c, int kind, int count) {
  if (count <= 1) return 0;
  if (kind != kPawn) return (HalfStand(c) - c.w) / (count - 1);
  if (count > 3) return (2 * HalfStand(c) - c.w + 1) / (count - 1);
  return c.w - 3;
}

int BoxSlotNumber(const int boxCount[9], int kind) {
  int slot = 0;
  for (int k = kKing; k > kind; --k)
    if (boxCount[k] != 0) ++slot;
  if (kind == kPawn && slot % 2 == 1) ++slot;
  return slot;
}

PixelPoint BoxSlotPos(CellSize c, int slot) {
  return {slot % 2 == 0 ? 5 : HalfStand(c) + 3, 4 * c.h + 42 + (slot / 2) * (c.h + 2)};
}

int CalcBoardWindowWidth(CellSize c, double displayScale) {
  int width = 15 * c.w + 133;
  int least = displayScale >= 2.0 ? 720 : 480;
  return width < least ? least : width;
}
