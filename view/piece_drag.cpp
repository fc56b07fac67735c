#include "view/piece_drag.h"

#include <QPainter>
#include <QThread>

#include <cmath>

#include "app/narvo_app.h"
#include "record/board.h"
#include "record/record_reader.h"
#include "settings/env.h"
#include "view/board_drawing.h"
#include "view/mouse_input.h"
#include "view/narvo_view.h"
#include "view/position_edit.h"

LiftedPiece g_Lifted;
SlideStepFunction g_pSlideStep = nullptr;

namespace {

bool IsBoxCell(int cell) { return cell >= 1 && cell <= 8; }

QRect ToQRect(const PixelRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

QRect PieceRect(PixelPoint at) {
  CellSize c = CurrentCellSize();
  return QRect(at.x, at.y, c.w, c.h);
}

// The piece a cell holds as it is drawn lifted: a hand's piece is its side's
// unpromoted kind, a box piece the bottom side's.
int LiftedCode(int cell) {
  if (IsBoxCell(cell)) return cell | (g_bBoardFlipped != 0 ? 0 : kSenteBit);
  if (IsBoardSquare(cell) || IsRealHandCell(cell)) return PieceCodeAt(cell);
  return 0;
}

PixelPoint SlotTopLeft(int cell) {
  if (IsBoxCell(cell)) return GetBoxSlotPos(cell);
  if (IsRealHandCell(cell)) {
    int code = PieceCodeAt(cell);
    return GetHandSlotPos(code & 7, (code & kSenteBit) != 0 ? kSente : kGote);
  }
  return {};
}

// The image's place shown again: the old and the new rectangle in one paint,
// at once when `now` is set (a slide shows every step).
void ShowPieceMove(CNarvoView* view, const QRect& before, const QRect& after, bool now) {
  if (!view) return;
  QRect r = before.isNull() ? after : after.isNull() ? before : before | after;
  view->Invalidate(r, false);
  if (now && view->isVisible()) view->repaint(r);
}

void ClearOriginNow(CNarvoView* view) {
  if (!view) return;
  SurfacePainter sp(*view);
  if (!sp.Active()) return;
  DrawLiftedOrigin(sp.Painter());
  sp.Touch(CellArea(g_Lifted.cell));
}

void HidePiece(CNarvoView* view, bool now) {
  if (!g_Lifted.shown) return;
  g_Lifted.shown = false;
  ShowPieceMove(view, PieceRect(g_Lifted.at), QRect(), now);
}

void WaitAfterStep(int speed, PixelPoint at) {
  if (g_pSlideStep) {
    g_pSlideStep(at);
    return;
  }
  // Speed 2 waits only for the painting, which is done by now.
  if (speed <= 1) QThread::msleep(kSlideStepDelayMs);
}

}  // namespace

// ---- Geometry ---------------------------------------------------------------------

GrabOffset ComputeGrabOffset(CellSize c, int cell, int x, int y, PixelPoint slot) {
  GrabOffset g;
  if (IsBoardSquare(cell)) {
    g.dx = (x - 3 * c.w - 32) % (c.w + 3) - 2;
    g.dy = (y - 14) % (c.h + 3) - 2;
    return g;
  }
  g.dx = x - slot.x;
  g.dy = y - slot.y;
  if (g.dx > c.w + 1) {
    // On the copies lying over one another, not on the first.
    g.dx = (c.w + 3) / 2 - 1;
    g.fromStack = true;
  }
  return g;
}

PixelPoint DropPointOf(CellSize c, const GrabOffset& g, int x, int y) {
  return {x + (c.w + 3) / 2 - g.dx - 2, y + (c.h + 3) / 2 - g.dy - 2};
}

int SlideStepCount(CellSize c, PixelPoint start, PixelPoint end, int speed) {
  if (speed < 0 || speed > 2) return 0;
  const int step = speed == 1 ? 3 : 2;
  const double dx = end.x - start.x, dy = end.y - start.y;
  const int distance = int(std::sqrt(dx * dx + dy * dy));
  int n = distance / step;
  const int squares = distance / (c.w + 3);
  if (squares > 4) n /= 2;
  else if (squares > 2) n = 2 * n / 3;
  return n;
}

PixelPoint SlidePosition(PixelPoint start, PixelPoint end, int i, int n) {
  if (n <= 0) return start;
  return {start.x + i * (end.x - start.x) / n, start.y + i * (end.y - start.y) / n};
}

// ---- Drawing ---------------------------------------------------------------------------

namespace {

void DrawLiftedOriginCell(QPainter& p) {
  const int cell = g_Lifted.cell;
  if (IsBoardSquare(cell)) {
    EraseCell(p, cell);
    return;
  }
  if (!IsBoxCell(cell) && !IsRealHandCell(cell)) return;
  // The first copy lifted uncovers the copies under it; one taken from the
  // overlapping copies leaves the slot laid out with one fewer.
  int mode = 1;
  if (g_Lifted.fromStack) {
    FillStandGrain(p, CellArea(cell));
    mode = 2;
  } else {
    EraseCell(p, cell);
  }
  if (IsBoxCell(cell)) DrawBoxPieces(p, cell, mode);
  else DrawHandPieces(p, PieceCodeAt(cell), mode);
}

}  // namespace

void DrawLiftedOrigin(QPainter& p) {
  if (!g_Lifted.active) return;
  DrawLiftedOriginCell(p);
  if (IsBoardSquare(g_Lifted.target)) {
    EraseSquare(p, g_Lifted.target);
    DrawPieceOnSquare(p, g_Lifted.target, g_Lifted.targetCode);
  }
}

void DrawLiftedPiece(QPainter& p) {
  if (g_Lifted.shown) DrawPieceBitmap(p, g_Lifted.code, g_Lifted.at.x, g_Lifted.at.y);
}

void RepaintCellNow(CNarvoView* view, int cell) {
  if (view) view->RepaintArea(ToQRect(CellArea(cell)));
}

// ---- Drag ----------------------------------------------------------------------------------

bool BeginPieceDrag(int cell, int y, CNarvoView* view, int x) {
  if (g_nDragState == 2) {
    EndPieceDrag(view, x, y);
    return false;
  }
  const int code = LiftedCode(cell);
  if (!view || !IsPiece(code)) return false;
  const CellSize c = CurrentCellSize();
  const GrabOffset grab = ComputeGrabOffset(c, cell, x, y, SlotTopLeft(cell));
  g_Lifted = {};
  g_Lifted.active = true;
  g_Lifted.cell = cell;
  g_Lifted.fromStack = grab.fromStack;
  g_Lifted.code = code;
  g_Lifted.grab = grab;
  g_Lifted.at = {x - grab.dx, y - grab.dy};
  ClearOriginNow(view);
  g_nDragState = 1;
  view->GrabPointer(true);
  g_Lifted.shown = true;
  ShowPieceMove(view, QRect(), PieceRect(g_Lifted.at), false);
  return true;
}

void DragPieceTo(CNarvoView* view, int x, int y) {
  if (!g_Lifted.shown || (g_Lifted.at.x == x && g_Lifted.at.y == y)) return;
  const QRect before = PieceRect(g_Lifted.at);
  g_Lifted.at = {x, y};
  ShowPieceMove(view, before, PieceRect(g_Lifted.at), false);
}

void DragPieceToPoint(CNarvoView* view, int x, int y) {
  DragPieceTo(view, x - g_Lifted.grab.dx, y - g_Lifted.grab.dy);
}

void EndPieceDrag(CNarvoView* view, int x, int y) {
  g_nDragState = 0;
  HidePiece(view, false);
  if (view) view->GrabPointer(false);
  const PixelPoint drop = DropPointOf(CurrentCellSize(), g_Lifted.grab, x, y);
  const int picked = view ? view->m_nPickedCell : g_Lifted.cell;
  if (g_AppMode == kModeGamePiece) EnterHumanMove(view, picked, drop.x, drop.y);
  else if (g_AppMode == kModeEditPiece) EditDropPiece(view, drop.x, drop.y);
}

void CancelPieceDrag(CNarvoView* view) {
  g_nDragState = 0;
  HidePiece(view, false);
  if (view) view->GrabPointer(false);
  RestoreLiftedOrigin(view);
}

void RestoreLiftedOrigin(CNarvoView* view) {
  if (!g_Lifted.active) return;
  g_Lifted.active = false;
  RepaintCellNow(view, g_Lifted.cell);
}

void ForgetLiftedOrigin() { g_Lifted.active = false; }

// ---- Slide ------------------------------------------------------------------------------------

void AnimateMove(CNarvoView* view, int from, int to, bool backward) {
  if (!view || g_nAnimationSpeed > 2 || g_nAnimationSpeed < 0) return;
  const int square = to & 0x7F;
  if (!IsBoardSquare(square)) return;
  const CellSize c = CurrentCellSize();
  const bool flipped = g_bBoardFlipped != 0;
  if (!IsRealHandCell(from) && !IsBoardSquare(from)) return;
  int code = PieceCodeAt(backward ? square : from);
  if (!IsPiece(code)) return;
  if (to & 0x80) code &= 0x87;  // the move promotes: the piece as it set out
  PixelPoint origin = IsRealHandCell(from) ? SlotTopLeft(from) : SquareTopLeft(c, from, flipped);
  PixelPoint start = origin, end = SquareTopLeft(c, square, flipped);
  if (backward) std::swap(start, end);
  const int n = SlideStepCount(c, start, end, g_nAnimationSpeed);

  g_Lifted = {};
  g_Lifted.active = true;
  g_Lifted.cell = backward ? square : from;
  g_Lifted.code = code;
  g_Lifted.at = start;
  ClearOriginNow(view);
  g_Lifted.shown = true;
  ShowPieceMove(view, QRect(), PieceRect(start), true);
  for (int i = 1; i < n; ++i) {
    const QRect before = PieceRect(g_Lifted.at);
    g_Lifted.at = SlidePosition(start, end, i, n);
    ShowPieceMove(view, before, PieceRect(g_Lifted.at), true);
    WaitAfterStep(g_nAnimationSpeed, g_Lifted.at);
  }
  g_nDragState = 0;
  HidePiece(view, true);
  // The origin stays cleared in the image; the caller draws the move.
  g_Lifted.active = false;
}
