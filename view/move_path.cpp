#include "view/move_path.h"

#include <QPainter>

#include "app/main_frame.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/board.h"
#include "record/clock.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/rules.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "view/board_drawing.h"
#include "view/board_geometry.h"
#include "view/branch_wnd.h"
#include "view/comment_wnd.h"
#include "view/info_panel.h"
#include "view/move_list_wnd.h"
#include "view/narvo_view.h"
#include "view/piece_drag.h"

int64_t g_tMoveTime = 0;
PieceSoundFunction g_pPlayPieceSound = nullptr;
MovePathTraceFunction g_pMovePathTrace = nullptr;

namespace {

void Trace(const char* step) {
  if (g_pMovePathTrace) g_pMovePathTrace(step);
}

void PlaySound() {
  Trace("sound");
  if (g_pPlayPieceSound) g_pPlayPieceSound();
}


// The stand with its shadow, which lies just outside its rectangle.
PixelRect StandArea(int side) {
  PixelRect r = StandRect(CurrentCellSize(), side, g_bBoardFlipped != 0);
  return {r.left, r.top, r.right + 2, r.bottom + 2};
}

void RedrawStand(CNarvoView* view, int side) {
  if (!view) return;
  SurfacePainter sp(*view);
  if (!sp.Active()) return;
  DrawStand(sp.Painter(), side);
  sp.Touch(StandArea(side));
}

// A square drawn again at once, its last-move mark taken off: a repaint left
// to the next paint would be lost under the marks drawn straight after.
void RepaintSquare(CNarvoView* view, int square) {
  if (!view || !IsBoardSquare(square)) return;
  SurfacePainter sp(*view);
  if (!sp.Active()) return;
  QPainter& p = sp.Painter();
  EraseSquareFrame(p, square);
  DrawCell(p, square);
  RedrawStarPoints(p, square);
  sp.Touch(SquareFrameRect(CurrentCellSize(), square, g_bBoardFlipped != 0));
}

bool ClockInGame(int mode) { return mode == kMoveGame && g_bGameClock != 0; }

// After a control request in a game the thinking time starts again.
void RestartClock(CNarvoView* view, int mode) {
  if (!ClockInGame(mode)) return;
  DrawInfoMoveTime(view, g_Record.moveNumber);
  Trace("start-clock");
  StartClock(view);
  g_tMoveTime = NowSeconds();
}

void ShowMarks(CNarvoView* view) {
  Trace("marks");
  if (!view) return;
  ShowLastMoveHighlight(*view);
  ShowLastMoveFromHighlight(*view);
}

void DrawStandLabels(CNarvoView* view) {
  if (g_bEmphasizeTurn == 0) return;
  Trace("stand-labels");
  if (!view) return;
  int side = g_Board.sideToMove;
  DrawStandLabel(*view, side);
  DrawStandLabel(*view, kSente - side);
}

void DrawInfoLines(CNarvoView* view) {
  Trace("info-lines");
  DrawInfoLine1(view);
  DrawInfoLine2(view);
  DrawInfoLine3(view);
}

void UpdateMoveListAndBranches() {
  Trace("move-list");
  UpdateDovuWndScroll();
  Trace("branch");
  UpdateBranchWindow();
}

// The mover's side bit: the piece on the origin square, or the hand's side.
int MoverSide(int from) {
  if (from > 99) return (from & 0x10) != 0 ? kSenteBit : 0;
  return g_Board.squares[from] & kSenteBit;
}

int TakeBackEntered(CNarvoView* view, int mode, int redraw) {
  if (g_Record.moveNumber >= 1) {
    int lineLength = GetLineLength(g_Record);
    int formerMove = g_Record.moveNumber;
    uint16_t key = MoveKey(GetCurrentMove(g_Record));
    UndoMove(view, mode, redraw);
    // Only the last move of its line goes from the record: one in the middle
    // keeps what follows.
    if (lineLength <= formerMove) DeleteVariationByMove(g_Record.current, g_Record, key);
  }
  RestartClock(view, mode);
  return kDoMoveGoesOn;
}

// 0x0802: the record's next move, when it may be played here; 0 otherwise.
int NextRecordKey() {
  int key = MoveKey(GetNextMove(g_Record));
  int from = key & 0xFF, to = key >> 8;
  if (g_bCheckRules != 0)
    return CheckMoveLegal(to, from, g_Board, g_Board.sideToMove) == kMoveLegal ? key : 0;
  return from >= 11 && to >= 11 ? key : 0;
}

// Step 4 of a game move: question, seconds, undo state, the record. 1 when
// the move is recorded, else the result DoMove returns.
int RecordGameMove(CNarvoView* view, int key, int& result) {
  int64_t now = NowSeconds();
  int seconds = int32_t(uint32_t(uint64_t(now - g_tMoveTime)));
  g_tMoveTime = now;
  int from = key & 0xFF, to = key >> 8 & 0xFF;
  if (g_Record.appendMode == 0 && g_Record.current) {
    const RecordNode* next = g_Record.current->firstChild;
    bool suspend = next && next->from == kEndFrom && next->to == kEndSuspend;
    if (next && !suspend && (next->from != from || next->to != to) &&
        ShowMessage(u"棋譜を書き換えます。いいですか？", kMbYesNo | kMbIconQuestion,
                    u"棋譜書き換え確認") != kIdYes) {
      result = kDoMoveDeclined;
      return 0;
    }
  }
  if (g_bWriteZeroTimes != 0) seconds = 0;
  ClearUndoLabel();
  MoveCode move = to > 10 ? BuildMoveCode(g_Board, from, to) : MoveCode(key);
  // -1 (no pool, no current node) fails like a full pool: a move that is not
  // in the record must not reach the board either.
  if (AddMoveToRecord(g_Record, g_StartBoard, g_Board, kMoveGame, move, seconds) < 0) {
    RedrawBoardView(view);
    ShowMessage(u"棋譜サイズオーバ：設定の棋譜最大を大きくして下さい。", kMbOk | kMbIconError);
    result = kDoMoveGoesOn;
    return 0;
  }
  if (g_Record.changeCount != 0) {
    if (g_pDocument) g_pDocument->SetModifiedFlag(true);
    UpdateMainTitle();
  }
  return 1;
}

int CheckRepetition(CNarvoView* view, int mode) {
  int count = CountRepetitions(g_Record, g_Board);
  if (mode == kMoveStep && g_bDetectRepetition != 0 && count >= 4)
    ShowMessage(FormatU16(u"%d 手で千日手です。", g_Record.moveNumber),
                kMbOk | kMbIconInformation);
  if (g_bCheckRules == 0 || count < 4) return kDoMoveGoesOn;
  if (mode == kMoveGame) {
    ClearCommentsFrom(g_Record, g_Record.moveNumber + 1);
    AddMoveToRecord(g_Record, g_StartBoard, g_Board, kMoveGame,
                    uint32_t(kEndFrom | kEndRepetition << 8), 0);
    Trace("stop-clock");
    StopClock(view);
    Ui().PlayWarningSound();
    ShowMessage(u"千日手です。", kMbOk | kMbIconInformation);
  }
  return kDoMoveRepetition;
}

}  // namespace

// ---- The move ---------------------------------------------------------------------

int DoMove(CNarvoView* view, int mode, int key, int redraw) {
  key &= 0xFFFF;
  if (mode == kMoveGame && g_bGameClock != 0 && view) view->KillTimer(kClockTimer);

  int to = key >> 8;
  if (to != 1) {
    if (key == kKeyTakeBackEntered) return TakeBackEntered(view, mode, redraw);
    if (to == 3) {
      if (g_Record.moveNumber >= 1) UndoMove(view, mode, redraw);
      RestartClock(view, mode);
      return kDoMoveGoesOn;
    }
    if (key == kKeyEnterNext) {
      key = NextRecordKey();
      if (key == 0) {
        if (ClockInGame(mode)) {
          Trace("start-clock");
          StartClock(view);
        }
        return kDoMoveGoesOn;
      }
      to = key >> 8;
    }
  }
  const int from = key & 0xFF;
  const int moverSide = MoverSide(from);
  const bool draws = mode != kMoveQuiet;

  if (mode == kMoveGame) {
    int result = kDoMoveGoesOn;
    if (!RecordGameMove(view, key, result)) return result;
  } else if (to == 0 || to >= 11) {
    // A key the record lacks leaves board and record as they are: making it
    // on the board alone would part the position from the current node.
    if (SelectChildByMove(g_Record, uint16_t(key)) < 0) {
      ShowMessage(u"エラー", kMbOk | kMbIconError);
      return kDoMoveGoesOn;
    }
  }

  if (to >= 1 && to <= 10) {
    if (!draws) return kDoMoveGoesOn;
    Trace("time-line");
    DrawInfoMoveTime(view, g_Record.moveNumber + 1);
    UpdateMoveListAndBranches();
    return to == kEndRepetition ? kDoMoveRepetition : kDoMoveEnded;
  }

  if (to >= 11 && draws) {
    if (g_nLastMoveMark != 0 || g_bShowMoveOrigin != 0) {
      Trace("clear-marks");
      if (view) ClearLastMoveHighlight(*view);
    }
    if (redraw == kRedrawAnimate) {
      Trace("animate");
      AnimateMove(view, from, to, false);
    }
  }
  // The record made the move's node (or 投了's) current; the position follows.
  MoveCode move = 0;
  EnterNode(g_Record.current, &move);
  if (to >= 11 && draws) {
    Trace("squares");
    RedrawMoveSquares(view, move, moverSide);
    if (redraw != kRedrawSilent) PlaySound();
  }
  if (!draws) return kDoMoveGoesOn;
  Trace("time-line");
  DrawInfoMoveTime(view, g_Record.moveNumber);
  ShowMarks(view);
  Trace("info-last-move");
  DrawInfoLastMove(view);
  Trace("info-side");
  DrawInfoSideToMove(view);
  DrawStandLabels(view);
  Trace("comment");
  UpdateCommentWindow();
  DrawInfoLines(view);
  UpdateMoveListAndBranches();
  if (mode == kMoveGame) g_tMoveTime = NowSeconds();

  if (to < 11) return kDoMoveEnded;  // the resignation
  return CheckRepetition(view, mode);
}

void UndoMove(CNarvoView* view, int mode, int redraw) {
  if (g_Record.moveNumber <= 0) return;
  RecordNode* node = GetNodeAtMove(g_Record.moveNumber, g_Record);
  RecordNode* parent = node ? FindParentNode(g_Record, node) : nullptr;
  if (!parent) return;  // not on the tree: nothing sound to take back
  const bool draws = mode != kMoveQuiet;
  const bool boardMove = IsBoardMoveNode(*node);
  const MoveCode move = NodeMoveCode(*node);
  const int from = MoveFrom(move), to = MoveToSquare(move);
  if (boardMove && draws && redraw > kRedrawSound) {
    Trace("animate");
    AnimateMove(view, from, MoveTo(move), true);
  }
  LeaveNode(parent);
  if (boardMove && draws) {
    Trace("squares");
    int mover = g_Board.sideToMove;
    if (MoveCaptured(move) != 0) RedrawStand(view, mover);
    RepaintSquare(view, to);
    if (IsHandCell(from))
      RedrawStand(view, mover);
    else
      RepaintSquare(view, from);
    if (redraw != kRedrawSilent) PlaySound();
  }
  if (!draws) return;
  ShowMarks(view);
  Trace("info-last-move");
  DrawInfoLastMove(view);
  Trace("info-side");
  DrawInfoSideToMove(view);
  DrawStandLabels(view);
  Trace("time-line");
  DrawInfoMoveTime(view, g_Record.moveNumber - 1);
  Trace("comment");
  UpdateCommentWindow();
  DrawInfoLines(view);
  UpdateMoveListAndBranches();
}

// ---- The step itself -----------------------------------------------------------------

bool EnterNode(RecordNode* node, uint32_t* made) {
  if (made) *made = 0;
  if (node->from == kEndFrom && node->to >= 1 && node->to <= 10) return false;
  if (IsBoardMoveNode(*node)) {
    MoveCode move = BuildMoveCode(g_Board, node->from, node->to);
    MakeMoveOnBoard(g_Board, move);
    if (made) *made = move;
  }
  g_Record.current = node;
  ++g_Record.moveNumber;
  g_Board.sideToMove = kSente - g_Board.sideToMove;
  NoteLineStep(g_Record, g_Board);
  return true;
}

void LeaveNode(RecordNode* parent) {
  const RecordNode* node = g_Record.current;
  g_Board.sideToMove = kSente - g_Board.sideToMove;
  if (IsBoardMoveNode(*node)) UnmakeMoveOnBoard(g_Board, NodeMoveCode(*node));
  --g_Record.moveNumber;
  g_Record.current = parent;
  NoteLineStep(g_Record, g_Board);
}

// ---- Repaints ------------------------------------------------------------------------

void RedrawBoardView(CNarvoView* view) {
  if (view) {
    // The view's own paint draws board, marks, origin, comment window and
    // panel in that order; here it goes straight into the image.
    SurfacePainter sp(*view);
    if (sp.Active()) {
      view->OnDraw(sp.Painter());
      QRect r = view->rect();
      sp.Touch({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    }
  }
  UpdateMoveListAndBranches();
}

void RedrawMoveSquares(CNarvoView* view, uint32_t moveCode, int moverSide) {
  if (!view) return;
  SurfacePainter sp(*view);
  if (!sp.Active()) return;
  QPainter& p = sp.Painter();
  CellSize c = CurrentCellSize();
  const bool flipped = g_bBoardFlipped != 0;
  const int from = MoveFrom(moveCode), to = MoveToSquare(moveCode);
  const int captured = MoveCaptured(moveCode);
  const int side = moverSide != 0 ? kSente : kGote;
  if (IsBoardSquare(from)) {
    EraseCell(p, from);
    sp.Touch(SquareRect(c, from, flipped));
  }
  if (captured != 0) EraseCell(p, to);
  DrawCell(p, to);
  sp.Touch(SquareRect(c, to, flipped));
  // A kind that appears in or leaves a hand shifts the slots below it: both
  // layouts are erased before the kinds from it down are drawn again.
  auto redrawHandKind = [&](int kind, bool shifted) {
    int code = kind | (moverSide != 0 ? kSenteBit : 0);
    if (shifted) {
      EraseHandSlotsBelow(p, code);
      EraseHandSlotsFrom(p, code);
      DrawHandFrom(p, code);
    } else {
      EraseHandSlot(p, code);
      DrawHandPieces(p, code, 0);
    }
    sp.Touch(StandArea(side));
  };
  const uint8_t* hand = g_Board.hands[SideIndex(side)];
  if (captured != 0 && KindOf(captured) != 0) {
    int kind = KindOf(captured);
    redrawHandKind(kind, hand[kind] < 2);
  } else if (IsHandCell(from)) {
    int kind = KindOf(from);
    redrawHandKind(kind, hand[kind] == 0);
  }
}
