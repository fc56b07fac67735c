#include "view/board_input.h"

#include <QAbstractButton>
#include <QCursor>
#include <QDockWidget>
#include <QKeySequence>

#include <algorithm>

#include "app/command_table.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "record/board.h"
#include "record/ui_port.h"
#include "view/board_drawing.h"
#include "view/mouse_input.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/navigation.h"
#include "view/piece_drag.h"

namespace {


bool IsDigitKey(int key) { return key >= Qt::Key_1 && key <= Qt::Key_9; }

// The print-preview bar's button with that text (its mnemonic included).
QAbstractButton* PreviewBarButton(const char16_t* text) {
  if (!g_pMainFrame || !g_pMainFrame->PreviewBar()) return nullptr;
  for (QAbstractButton* b : g_pMainFrame->PreviewBar()->findChildren<QAbstractButton*>())
    if (b->text() == QString::fromUtf16(text)) return b;
  return nullptr;
}

void ClickPreviewBarButton(const char16_t* text) {
  if (QAbstractButton* b = PreviewBarButton(text)) b->click();
}

bool OnPreviewKey(int key) {
  switch (key) {
    case Qt::Key_C: ClickPreviewBarButton(u"閉じる(&C)"); return true;
    case Qt::Key_P: ClickPreviewBarButton(u"印刷(&P)..."); return true;
    case Qt::Key_F:
    case Qt::Key_S: ClickPreviewBarButton(u"設定(&S)..."); return true;
    case Qt::Key_T: ClickPreviewBarButton(u"トリミング"); return true;
    default: return false;
  }
}

bool OnViewingKey(CNarvoView* view, int key, bool shift, bool ctrl) {
  if (g_nReplayPaused) ShowStatus(u"");
  if (IsDigitKey(key)) {
    StepIntoVariation(view, key - Qt::Key_1);
    return true;
  }
  switch (key) {
    case Qt::Key_Right:
    case Qt::Key_D:
      if (ctrl && shift) ForwardToBranch(view);
      else if (shift) AutoReplayForward(view);
      else StepForward(view);
      return true;
    case Qt::Key_Left:
    case Qt::Key_S:
      if (ctrl && shift) BackToBranch(view);
      else if (shift) AutoReplayBackward(view);
      else if (ctrl) GotoStartPosition(view);
      else UndoMove(view, kMoveStep, kRedrawAnimate);
      return true;
    case Qt::Key_F:
      if (shift) GotoLineEnd(view);
      else AutoReplayForward(view);
      return true;
    case Qt::Key_A:
      if (shift) GotoStartPosition(view);
      else AutoReplayBackward(view);
      return true;
    case Qt::Key_Home: GotoStartPosition(view); return true;
    case Qt::Key_End: GotoLineEnd(view); return true;
    default: return false;
  }
}

// ---- Keyboard pointer ------------------------------------------------------------

// The cell under a point: the area (-2/-1 the left area's columns, 0..8 the
// board's, 9 the lower stand), the row and the cell's centre.
struct PointerCell {
  int column;
  int row;
  int cx, cy;
};

struct Pitch {
  int W, H, P, Q, R;
};

int LeftAreaCentreY(const Pitch& g, int row) {
  return row <= 3 ? 5 + g.R * row + g.R / 2 : 4 * g.H + 40 + g.R * (row - 4) + g.R / 2;
}
int BoardCentreX(const Pitch& g, int column) { return 3 * g.W + 32 + g.P * column + g.P / 2; }
int BoardCentreY(const Pitch& g, int row) { return 14 + g.Q * row + g.Q / 2; }
int StandCentreY(const Pitch& g, int row) { return 5 * g.H + 42 + g.R * (row - 5) + g.R / 2; }

PointerCell CellAt(const Pitch& g, PixelPoint p) {
  PointerCell c;
  c.cx = p.x;
  if (p.x < 3 * g.W + 32) {
    c.column = p.x < 3 * g.P / 2 + 1 ? -2 : -1;
    c.row = std::clamp((p.y - 14) / g.Q, 0, 8);
    c.cy = LeftAreaCentreY(g, c.row);
    return c;
  }
  const int column = (p.x - 3 * g.W - 32) / g.P;
  if (column <= 8) {
    c.column = column;
    // Below the board the last row still counts, so the pointer never leaves it.
    c.row = std::clamp((p.y - 14) / g.Q, 0, 8);
    c.cx = BoardCentreX(g, column);
    c.cy = BoardCentreY(g, c.row);
    return c;
  }
  c.column = 9;
  // The lower stand has the rows 5..8; a point above it counts as its first.
  const int dy = p.y - 5 * g.H - 42;
  c.row = std::clamp(5 + (dy < 0 ? -1 : dy / g.R), 5, 8);
  c.cy = StandCentreY(g, c.row);
  return c;
}

}  // namespace

bool IsCommandAccelerator(int key, Qt::KeyboardModifiers modifiers) {
  const QKeySequence pressed(QKeyCombination(modifiers & ~Qt::KeypadModifier, Qt::Key(key)));
  for (size_t i = 0; i < g_nCommandTableSize; ++i) {
    const char* shortcut = g_CommandTable[i].shortcut;
    if (shortcut && QKeySequence(QString::fromLatin1(shortcut)) == pressed) return true;
  }
  return false;
}

void NoteViewReplayKey(int key, bool down) {
  switch (key) {
    case Qt::Key_Backspace: NoteReplayKey(kReplayKeyBackspace, down); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: NoteReplayKey(kReplayKeyEnter, down); break;
    case Qt::Key_Up: NoteReplayKey(kReplayKeyUp, down); break;
    case Qt::Key_Down: NoteReplayKey(kReplayKeyDown, down); break;
    default: break;
  }
}

bool KeyboardPointerTarget(int key, Qt::KeyboardModifiers modifiers, PixelPoint from, CellSize cell,
                           PixelPoint& to) {
  const Pitch g{cell.w, cell.h, cell.w + 3, cell.h + 3, cell.h + 2};
  const int W = g.W, H = g.H, P = g.P, Q = g.Q, R = g.R;
  const int leftRightColumnX = 3 * P / 2 + 1 + P / 2;
  if ((modifiers & Qt::ControlModifier) && key >= Qt::Key_1 && key <= Qt::Key_7) {
    const PixelPoint slot = GetHandSlotPos(key - Qt::Key_0, g_Board.sideToMove);
    to = {slot.x + W / 2, slot.y + Q / 2};
    return true;
  }
  if (key == Qt::Key_Home) {
    to = {7 * W + 44 + P / 2, 4 * H + 26 + Q / 2};
    return true;
  }
  const PointerCell c = CellAt(g, from);
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    to = {c.cx, c.cy};
    return true;
  }
  const bool onBoard = c.column >= 0 && c.column <= 8;
  const bool inLeft = c.column < 0;
  PixelPoint p{c.cx, c.cy};
  switch (key) {
    case Qt::Key_Up:
      if (c.row == 0) break;
      if (c.column == 9 && c.row == 5) {
        p = {11 * W + 56 + P / 2, 4 * H + 26 + Q / 2};
      } else if (inLeft && c.row == 4) {
        p.y = 3 * H + 11 + R / 2;
      } else {
        p.y -= onBoard ? Q : R;
        if (c.column == -1 && c.row == 5) p.x = leftRightColumnX;
      }
      break;
    case Qt::Key_Down:
      if (c.row == 8) break;
      if (inLeft && c.row == 3) p.y = 4 * H + 40 + R / 2;
      else p.y += onBoard ? Q : R;
      break;
    case Qt::Key_Right:
      if (c.column == -2) {
        p.x = leftRightColumnX;
      } else if (c.column == -1) {
        p = {BoardCentreX(g, 0), BoardCentreY(g, c.row)};
      } else if (c.column < 8) {
        p.x += P;
      } else if (c.column == 8) {
        p = {c.cx + P + 18, StandCentreY(g, std::max(c.row, 5))};
      } else {
        p.x = 12 * W + 75 + 3 * P / 2 + P / 2;
      }
      break;
    case Qt::Key_Left:
      if (c.column == 9) {
        if (from.x >= 12 * W + 75 + 3 * P / 2) p.x = 12 * W + 77 + P / 2;
        else if (from.x > 12 * W + 59) p = {BoardCentreX(g, 8), BoardCentreY(g, c.row)};
      } else if (c.column > 0) {
        p.x -= P;
      } else if (c.column == 0) {
        p = {leftRightColumnX, LeftAreaCentreY(g, c.row)};
      } else {
        p.x = P / 2 + 3;
      }
      break;
    default: return false;
  }
  to = p;
  return true;
}

bool OnViewKeyDown(CNarvoView* view, int key, Qt::KeyboardModifiers modifiers, int mode) {
  if (key == Qt::Key_Shift || key == Qt::Key_Control) return false;
  if (IsCommandAccelerator(key, modifiers)) return false;
  const bool shift = modifiers & Qt::ShiftModifier;
  const bool ctrl = modifiers & Qt::ControlModifier;
  if (mode == kModePreview) return OnPreviewKey(key);
  if (mode == kModeView) return OnViewingKey(view, key, shift, ctrl);
  if (mode < kModeGame || mode > kModeEditPiece || !view) return false;
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (enter && shift) {
    if (mode != kModeGame) return false;
    EnterMoveByDialog(view);
    return true;
  }
  const QPoint at = view->mapFromGlobal(QCursor::pos());
  if (key == Qt::Key_Escape) {
    // A right click where the pointer is: cancels a held piece.
    OnViewRButtonDown(view, at.x(), at.y());
    OnViewRButtonUp(view);
    return true;
  }
  PixelPoint to;
  if (!KeyboardPointerTarget(key, modifiers, {at.x(), at.y()}, CurrentCellSize(), to)) return false;
  QCursor::setPos(view->mapToGlobal(QPoint(to.x, to.y)));
  if (enter) {
    // A whole click, so that a piece picked by keys can be dropped by keys.
    OnViewLButtonDown(view, to.x, to.y);
    OnViewLButtonUp(view, to.x, to.y);
  } else if (g_nDragState != 0) {
    DragPieceToPoint(view, to.x, to.y);
  }
  return true;
}

bool OnViewKeyUp(CNarvoView* view, int key, int mode) {
  if (mode != kModeView || key != Qt::Key_Space) return false;
  if (g_nReplayPaused == 1 || g_nReplayPaused == 2) {
    const int direction = g_nReplayPaused;
    g_nReplayPaused = 0;
    ShowStatus(u"");
    if (direction == 1) AutoReplayForward(view);
    else AutoReplayBackward(view);
    return true;
  }
  if (g_bReplayRunning && g_nReplayStop == 0) {
    g_nReplayStop = 2;
    ShowStatus(kReplayPauseText);
    return true;
  }
  return false;
}
