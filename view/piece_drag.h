// A lifted piece over the board view: the piece picked up with the mouse
// follows the pointer until it is dropped, and a move made or taken back can
// slide its piece from one cell to the other.
//
// The view's image holds the board with the origin cleared (DrawLiftedOrigin
// keeps it so through any repaint); the piece itself is never drawn into the
// image but over it by the view's paint, so moving it only shows the old and
// the new rectangle again.
#pragma once
#include <vector>

#include "view/board_geometry.h"

class CNarvoView;
class QPainter;

// ---- Geometry -------------------------------------------------------------------

// Where the pointer holds the lifted piece: its offset from the image's
// top-left, and whether it was taken from the overlapping copies of a slot
// (then the image is held at its middle and the slot loses its last copy).
struct GrabOffset {
  int dx = 0;
  int dy = 0;
  bool fromStack = false;
  bool operator==(const GrabOffset&) const = default;
};

// On a board square the offset within the square's pitch; in a hand or the
// box the offset from the slot's top-left `slot`.
GrabOffset ComputeGrabOffset(CellSize c, int cell, int x, int y, PixelPoint slot);
// The centre of the image held at pointer (x, y): what the drop is tested at.
PixelPoint DropPointOf(CellSize c, const GrabOffset& grab, int x, int y);

// Steps of a slide from start to end at a speed (アニメ速度): 0 for a speed
// above 2, else the distance over the step length, fewer over long ways.
int SlideStepCount(CellSize c, PixelPoint start, PixelPoint end, int speed);
// The image's top-left at the step i of n (0 the start).
PixelPoint SlidePosition(PixelPoint start, PixelPoint end, int i, int n);

// The wait after each painted step at speeds 0 and 1, in milliseconds: a
// one-square slide at the default speed 1 takes about 0.1 to 0.2 s.
constexpr int kSlideStepDelayMs = 12;

// ---- The lifted piece -----------------------------------------------------------

struct LiftedPiece {
  bool active = false;    // the origin is shown cleared
  int cell = 0;           // where it was lifted from (square, hand cell, box kind)
  bool fromStack = false;
  int code = 0;           // PieceCode drawn
  GrabOffset grab;
  PixelPoint at;          // the image's top-left
  bool shown = false;     // the image is drawn over the view
  // While the promotion question is asked: the piece stands on this target
  // square (0 none), drawn as `targetCode`, over whatever the board holds.
  int target = 0;
  int targetCode = 0;
};
extern LiftedPiece g_Lifted;

// Clears the lifted piece's origin on a painter that has just drawn the board
// (the view's paint calls it), as it was cleared when the piece was lifted,
// and shows the piece on its target while the promotion question is asked.
void DrawLiftedOrigin(QPainter& p);
// The lifted piece composited at its place (painter in view coordinates).
void DrawLiftedPiece(QPainter& p);
// A cell's area (CellArea) drawn again at once as the view's paint draws it.
void RepaintCellNow(CNarvoView* view, int cell);

// ---- Drag ----------------------------------------------------------------------------

// Lifts the piece on `cell` (a square, a hand cell or a box kind) held at the
// pointer (x, y): drag state 1, the origin cleared, the mouse grabbed. In
// drag state 2 the press ends the drag instead. False when nothing was lifted.
bool BeginPieceDrag(int cell, int y, CNarvoView* view, int x);
// The image to top-left (x, y); the old and new places shown in one paint.
void DragPieceTo(CNarvoView* view, int x, int y);
// The image to follow the pointer (x, y) at the grab offset.
void DragPieceToPoint(CNarvoView* view, int x, int y);
// Ends the drag at the pointer (x, y): drag state 0, the image gone, the mouse
// released; the image's centre goes with the picked cell to EnterHumanMove
// (mode 1) or EditDropPiece (mode 3). The origin stays cleared for them.
void EndPieceDrag(CNarvoView* view, int x, int y);
// Ends the drag without a drop: the image gone and the origin shown again.
void CancelPieceDrag(CNarvoView* view);
// The origin shown again as it stands (after a refused or declined move).
void RestoreLiftedOrigin(CNarvoView* view);
// The origin no longer cleared, without drawing: the move about to be made
// draws it.
void ForgetLiftedOrigin();

// ---- Slide ----------------------------------------------------------------------------

// The piece of the move from → to (a to-byte; bit 7 promotes) slides from its
// origin to its square (backward: from the square back to the origin),
// before the move is made or taken back on g_Board.
void AnimateMove(CNarvoView* view, int from, int to, bool backward);

// Called with the image's top-left after each painted step of a slide, in
// place of the wait. Tests record the positions; null waits as the speed says.
using SlideStepFunction = void (*)(PixelPoint at);
extern SlideStepFunction g_pSlideStep;
