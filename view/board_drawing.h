// Drawing the board view: the board with its grid, star points and
// coordinates, the pieces, both stands with their labels, the piece box of
// position editing, and the marks of the last move.
//
// Every drawing function takes the QPainter to draw with, so that the same
// code paints the screen's off-screen image, an exported image or a printer
// page. The painter is expected untransformed on an image (a translation is
// fine); on any other device the per-pixel work (piece compositing, the
// piece-colour mark, the overpaint) is done in a small image first.
//
// The functions that act on the view outside painting (a cell after a move,
// the marks, the stand labels) take the BoardSurface: they draw into its
// image and then have the changed rectangle shown.
//
// Positions come from view/board_geometry.h with the cell size of the piece
// set in use and g_bBoardFlipped; pieces from g_Board; the last move from
// g_Record; colours, kinds and fonts from the settings.
#pragma once
#include <QFont>
#include <QRect>

#include <string_view>

#include "app/narvo_app.h"
#include "view/board_geometry.h"

class QImage;
class QPainter;

// ---- The view's off-screen image ----------------------------------------------

class BoardSurface {
 public:
  virtual ~BoardSurface() = default;
  // The image the view shows; drawing outside painting goes here.
  virtual QImage& Image() = 0;
  // The pixels of rect changed: show them. With repaint set the owner must
  // first draw that part again itself (as its paint would), like a window
  // invalidated with erasing.
  virtual void Invalidate(const QRect& rect, bool repaint) = 0;
};

// Paints into a surface's image for one operation and shows what it touched
// when it goes out of scope. Inactive while the image is null (a view not yet
// laid out): the callers then draw nothing.
class SurfacePainter {
 public:
  explicit SurfacePainter(BoardSurface& surface);
  ~SurfacePainter();
  SurfacePainter(const SurfacePainter&) = delete;
  SurfacePainter& operator=(const SurfacePainter&) = delete;
  bool Active() const { return m_painter != nullptr; }
  QPainter& Painter() { return *m_painter; }
  // Adds to the rectangle shown at the end.
  void Touch(const PixelRect& rect);

 private:
  BoardSurface& m_surface;
  QPainter* m_painter;
  QRect m_touched;
};

// ---- State ------------------------------------------------------------------------

// The squares whose destination and origin marks are on the screen now (0, or
// a hand cell, when none is on a board square): what ClearLastMoveHighlight
// takes away.
extern int g_nMarkedToSquare;
extern int g_nMarkedFromSquare;

// The cell size of the piece set in use.
CellSize CurrentCellSize();

// ---- Whole board ----------------------------------------------------------------

// Board, grid, star points, pieces, both stands and the coordinates. With the
// square-colour mark the last move's square is coloured first, on the same
// painter, so that grid and piece come on top.
void DrawBoard(QPainter& p);
// The piece box of position editing with the pieces in it, and its area
// cleared to the background when editing ends.
void DrawPieceBox(QPainter& p);
void ClearPieceBoxArea(QPainter& p);
void ClearPieceBoxArea(BoardSurface& view);

// ---- Parts ----------------------------------------------------------------------

void DrawGrid(QPainter& p);
void DrawStarPoint(QPainter& p, int a, int b);
void DrawStarPoints(QPainter& p);
// The star point touching a square that was just repainted, if any.
void RedrawStarPoints(QPainter& p, int square);
void DrawCoordinates(QPainter& p);
// Two-pixel shadow along the right and bottom edges of rect.
void DrawShadowEdges(QPainter& p, const PixelRect& rect);
// The rectangle's outline one pixel inside its right and bottom edges, and a
// second line along those edges (the information panel's box).
void DrawRectOutline(QPainter& p, const PixelRect& rect);
// Board grain (or plain board colour) and stand grain (or piece-box colour),
// anchored so that a repainted part matches its surroundings. Nothing is
// painted when the grain image is missing.
void FillBoardGrain(QPainter& p, const PixelRect& rect);
void FillStandGrain(QPainter& p, const PixelRect& rect);

// ---- Pieces -----------------------------------------------------------------------

// A piece image at (x, y) through its mask: upright for the side shown at the
// bottom, inverted otherwise; the second player's king is written 王 while the
// first player's king stands on the board, 玉 otherwise.
void DrawPieceBitmap(QPainter& p, int code, int x, int y);
void DrawPieceOnSquare(QPainter& p, int square, int code);
// Whatever stands on a cell: a box kind 1..8 (all its copies at its box slot),
// a square's piece, or a hand cell's copies at its hand slot.
void DrawCell(QPainter& p, int cell);
// The background of a cell: a square, or the first copy's place of a hand or
// box slot.
void EraseCell(QPainter& p, int cell);
void EraseAndDrawCell(QPainter& p, int cell);
// What belongs to a cell on the screen: a square with its one-pixel frame, or
// the whole slot (every copy) of a hand or box cell; empty for anything else.
PixelRect CellArea(int cell);
void EraseSquare(QPainter& p, int square);
void EraseSquareFrame(QPainter& p, int square);
// Through the view: a box or hand slot is refilled first and all its copies
// drawn again.
void RedrawCell(BoardSurface& view, int cell);
// The square with its border to be drawn again by the view.
void InvalidateSquare(BoardSurface& view, int square);

// ---- Stands -----------------------------------------------------------------------

// side: kSente or kGote.
void DrawStand(QPainter& p, int side);
void DrawStandLabel(QPainter& p, int side);
void DrawStandLabel(BoardSurface& view, int side);
// Copies of the hand kind of a piece code (bit 7 the first player).
// mode 0 all, 1 only those the lifted first copy covered, 2 one fewer.
void DrawHandPieces(QPainter& p, int code, int mode);
// Every kind from the code's kind down to the pawn.
void DrawHandFrom(QPainter& p, int code);
// Slots of the code's side from its kind down to the pawn, as laid out with
// that kind held (From) and without it (Below): for the move repaint when a
// kind appears in or leaves a hand and the layout shifts.
void EraseHandSlot(QPainter& p, int code);
void EraseHandSlotsFrom(QPainter& p, int code);
void EraseHandSlotsBelow(QPainter& p, int code);

// Top-left of a kind's hand slot on the side's stand (the kind counted as
// held); the With/Without forms lay out as if `other` were held or not.
PixelPoint GetHandSlotPos(int kind, int side);
PixelPoint GetHandSlotPosWithKind(int kind, int side, int other);
PixelPoint GetHandSlotPosWithoutKind(int kind, int side, int other);

// ---- Piece box --------------------------------------------------------------------

// Pieces of a kind 1..8 lying in neither a square nor a hand.
int CountBoxPieces(int kind);
// mode as for DrawHandPieces: 0 all, 1 those the lifted first copy covered,
// 2 one fewer.
void DrawBoxPieces(QPainter& p, int kind, int mode = 0);
PixelPoint GetBoxSlotPos(int kind);

// ---- Last move marks -----------------------------------------------------------

// The square the last move went to (0 at move 0; the move before an end of
// game), and where it came from (a hand cell for a drop).
int GetLastMoveToSquare();
int GetLastMoveFromSquare();
// The destination mark on a cell in the current style.
void HighlightSquare(QPainter& p, int cell);
// The origin mark: the square with its border in the origin colour.
void HighlightFromSquare(QPainter& p, int square);
void FillSquareHighlight(QPainter& p, int square);
// The face of the piece on the W x H cell at (x, y) (everything brighter than
// the board) in the last-piece colour.
void RecolourPieceImage(QPainter& p, int x, int y);

void ShowLastMoveHighlight(QPainter& p);
void ShowLastMoveFromHighlight(QPainter& p);
void ClearLastMoveHighlight(QPainter& p);
void ShowLastMoveHighlight(BoardSurface& view);
void ShowLastMoveFromHighlight(BoardSurface& view);
void ClearLastMoveHighlight(BoardSurface& view);

// ---- Fonts ------------------------------------------------------------------------

// A font as the settings describe it: a negative height is the character
// height, a positive one the height of the whole cell; the weight as stored
// (0 the face's normal).
QFont MakeFont(std::u16string_view face, int height, int weight, bool italic);

// ---- Window -------------------------------------------------------------------------

// Minimum width of the main window for the piece set in use and the display.
inline int CalcBoardWindowWidth() { return CalcBoardWindowWidth(CurrentCellSize(), g_dDpiScaleX); }
