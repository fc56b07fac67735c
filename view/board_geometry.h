// Where everything of the board view lies, in pixels of the view's client
// area. Every position derives from the cell size W x H of the piece set in
// use (31 x 32, 36 x 39 or 40 x 45); the functions here are pure, so that the
// drawing, the hit testing and the keyboard cursor share one layout.
//
// Rectangles are half-open: right and bottom are the first pixel outside.
// Squares are file * 10 + rank; a flipped board puts square (f, r) where
// (10 - f, 10 - r) would be and swaps the stands. Sides are kSente (128) and
// kGote (0) as in record/board.h.
#pragma once
#include <cstdint>

struct CellSize {
  int w = 31;
  int h = 32;
  bool operator==(const CellSize&) const = default;
};

struct PixelPoint {
  int x = 0;
  int y = 0;
  bool operator==(const PixelPoint&) const = default;
};

struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const PixelRect&) const = default;
};

// The side whose pieces stand upright and whose stand is at the lower right.
int BottomSide(bool flipped);

// ---- Board and squares ------------------------------------------------------

// The wooden area of the board (grain or plain colour).
PixelRect BoardRect(CellSize c);
// Top-left of a square 11..99 as shown.
PixelPoint SquareTopLeft(CellSize c, int square, bool flipped);
PixelRect SquareRect(CellSize c, int square, bool flipped);
// The square with its one-pixel gap around it: what is erased, invalidated
// and coloured by the square marks.
PixelRect SquareFrameRect(CellSize c, int square, bool flipped);

// Grid line i = 0..9: vertical lines at x = GridLineX, horizontal at GridLineY.
// The lines of one direction run between the outer lines of the other.
int GridLineX(CellSize c, int i);
int GridLineY(CellSize c, int i);
// Outer lines: left and top the first lines, right and bottom the last (all
// four lie on the grid, so the half-open span ends one past them).
PixelRect GridBounds(CellSize c);

// The crossing of vertical line a and horizontal line b.
PixelPoint GridCrossing(CellSize c, int a, int b);
// The four star points, as (vertical line, horizontal line).
extern const int kStarPointLines[4][2];
// The star point that touches a square, as an index into kStarPointLines, or
// -1 when the square touches none.
int StarPointOfSquare(int square, bool flipped);

// Top-left of the file digit "1".."9" and of the rank numeral 一..九.
PixelPoint FileDigitPos(CellSize c, int file, bool flipped);
PixelPoint RankNumeralPos(CellSize c, int rank, bool flipped);

// Grain anchoring: the grain pixel shown at view pixel (x, y). The board's
// grain starts one pixel left of the board, the stands' grain at each stand.
PixelPoint BoardGrainPixel(CellSize c, int x, int y);
// For a stand-coloured rectangle whose left edge is rectLeft (the upper-left
// stand and the piece box take grain column x, the lower-right stand x minus
// its own origin).
PixelPoint StandGrainPixel(CellSize c, int rectLeft, int x, int y);

// ---- Stands, box, panel -----------------------------------------------------

PixelRect LowerStandRect(CellSize c);
PixelRect UpperStandRect(CellSize c);
// The stand of a side.
PixelRect StandRect(CellSize c, int side, bool flipped);
// The piece box of position editing, and the area cleared when editing ends.
PixelRect PieceBoxRect(CellSize c);
PixelRect PieceBoxClearRect(CellSize c);
// The information panel's box at the upper right.
PixelRect InfoPanelRect(CellSize c);

// Stand label (先手/後手...): its top-left, and the box behind it.
PixelPoint StandLabelPos(CellSize c, bool lowerStand);
PixelRect StandLabelBox(CellSize c, bool lowerStand);
// Top-left of the text "駒箱".
PixelPoint PieceBoxLabelPos(CellSize c);

// ---- Hand slots ---------------------------------------------------------------

// Slot number (from 1) of a kind 1..7 in a hand whose kind counts are
// hand[1..7] (hand[0] is not read), the kind itself counted as held. The pawns
// begin a row of their own. The lower stand fills its rows left column first
// and downward; the upper stand, seen from the other side, right column first
// and upward, with the pawns starting at the left column.
int HandSlotNumber(const uint8_t hand[8], int kind, bool lowerStand);
PixelPoint HandSlotPos(CellSize c, int slot, bool lowerStand);
// Width of a kind's slot: the pawns' row spans both columns.
int HandSlotWidth(CellSize c, int kind);
// Horizontal step between overlapping copies of `count` pieces of a kind.
int HandCopyStep(CellSize c, int kind, int count);

// ---- Box slots --------------------------------------------------------------

// Slot number (from 0) of a kind 1..8 when boxCount[k] pieces of kind k lie
// in the box (boxCount[0] not read), the kind itself counted as present.
int BoxSlotNumber(const int boxCount[9], int kind);
PixelPoint BoxSlotPos(CellSize c, int slot);

// ---- Window ---------------------------------------------------------------------

// Minimum width of the main window.
int CalcBoardWindowWidth(CellSize c, double displayScale);
