#include "view/mouse_input.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include <algorithm>
#include <cstdlib>

#include "app/game_play.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "record/board.h"
#include "record/csa.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/rules.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/comment_dialogs_qt.h"
#include "settings/env.h"
#include "settings/sasite_dlg_qt.h"
#include "view/board_drawing.h"
#include "view/hit_test.h"
#include "view/key_state.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/piece_drag.h"
#include "view/piece_images.h"
#include "view/position_edit.h"

int g_bTrimDragging = 0;

namespace {

bool AskTypedMoveInDialog(std::u16string& text) {
  CSasiteDlg dialog(g_pMainFrame ? static_cast<QWidget*>(g_pMainFrame) : g_pView);
  if (!dialog.Run()) return false;
  text = dialog.m_strMove;
  return true;
}

void ExecPopupMenu(QMenu& menu, QPoint globalPos) { menu.exec(globalPos); }

}  // namespace

AskTypedMoveFunction g_pAskTypedMove = AskTypedMoveInDialog;
ShowPopupMenuFunction g_pShowPopupMenu = ExecPopupMenu;

namespace {

void PlayPieceSoundNow() {
  if (g_pPlayPieceSound) g_pPlayPieceSound();
}

// The held piece goes back: the warning, its cell as it stands, mode 0.
void RefuseHeldMove(CNarvoView* view, const std::u16string& status) {
  if (!status.empty()) ShowStatus(status);
  Ui().PlayWarningSound();
  RestoreLiftedOrigin(view);
  g_AppMode = kModeGame;
}

const char16_t* RefusalText(int reason) {
  if (reason == kMoveDoublePawn) return u"二歩です。";
  if (reason == kMoveDropPawnMate) return u" 打歩詰です。";
  return u"動きが正しくありません。";
}

// The piece about to promote or not, shown on its target for the question.
void ShowPieceOnTarget(CNarvoView* view, int to, int piece) {
  if (!view) return;
  SurfacePainter sp(*view);
  if (!sp.Active()) return;
  EraseSquare(sp.Painter(), to);
  DrawPieceOnSquare(sp.Painter(), to, piece);
  sp.Touch(CellArea(to));
}

// Shown at once and nothing else handled: input or a timer served here could
// start a second move on the position the question was about.
void RepaintViewNow(CNarvoView* view) {
  if (view && view->isVisible()) view->repaint();
}

int AskPromotion(CNarvoView* view, int to, int from, int piece) {
  const Qt::KeyboardModifiers mods = CurrentKeyboardModifiers();
  if (mods & Qt::ShiftModifier) return to | 0x80;
  if (mods & Qt::ControlModifier) return to;
  // The piece stands on its target while the question is open, however often
  // the view is painted meanwhile.
  g_Lifted.target = to & 0x7F;
  g_Lifted.targetCode = piece;
  ShowPieceOnTarget(view, to, piece);
  const std::u16string text = FormatU16(u"%s：成りますか？", FormatCandidateMove(to, from).c_str());
  const bool promote = ShowMessage(text, kMbYesNo | kMbIconQuestion, u"成／不成選択") == kIdYes;
  g_Lifted.target = 0;
  RepaintCellNow(view, to);
  RepaintViewNow(view);
  return promote ? to | 0x80 : to;
}

// After a move entered in a game: on, or over.
void AfterGameMove(CNarvoView* view, int result) {
  if (result == kDoMoveGoesOn || result == kDoMoveDeclined) {
    g_AppMode = kModeGame;
    NextTurnOrStop(view);
  } else {
    EndGame(view);
  }
}

bool InBox(int x, int y, int left, int right, int top, int bottom) {
  return x >= left && x <= right && y >= top && y <= bottom;
}

// A click on a stand label in position editing: the label of the side not
// to move hands it the move.
bool OnStandLabelClick(CNarvoView* view, int x, int y) {
  const int W = g_nCellWidth, H = g_nCellHeight;
  const int c = (3 * W + 15) / 2;
  const bool flipped = g_bBoardFlipped != 0;
  const int side = g_Board.sideToMove;
  if (InBox(x, y, c - 15, c + 12, 4 * H + 13, 4 * H + 26)) {
    if (side == (flipped ? kGote : kSente)) EditChangeTurn(view);
    return true;
  }
  if (InBox(x, y, c + 12 * W + 59, c + 12 * W + 86, 5 * H + 30, 5 * H + 43)) {
    if (side == (flipped ? kSente : kGote)) EditChangeTurn(view);
    return true;
  }
  return false;
}

void StartPick(CNarvoView* view, int cell, int x, int y, int heldMode) {
  view->m_nPickedCell = uint8_t(cell);
  if (BeginPieceDrag(cell, y, view, x)) g_AppMode = heldMode;
}

}  // namespace

// ---- Handlers ------------------------------------------------------------------------

void OnViewLButtonDown(CNarvoView* view, int x, int y) {
  const int mode = g_AppMode;
  const int side = g_Board.sideToMove;
  if ((mode == kModeEdit || mode == kModeEditPiece) && g_nDragState == 0 &&
      OnStandLabelClick(view, x, y))
    return;
  if (mode == kModeEdit) {
    int cell = HitTestBoard(x, kHitPickAny, side, y, 0);
    if (cell <= 0) cell = HitTestPieceBox(x, y);
    if (cell > 0) StartPick(view, cell, x, y, kModeEditPiece);
    return;
  }
  if (mode == kModeGame || mode == kModeGamePiece || mode == kModeView) {
    if (IsInPieceBoxArea(x, y)) {
      if (view) view->GrabPointer(false);
      EditMoveComment(view, g_Record.moveNumber);
      return;
    }
    if (mode != kModeGame) return;  // viewing never picks pieces
    const int cell = HitTestBoard(x, kHitPickOwn, side, y, 0);
    if (cell > 0) StartPick(view, cell, x, y, kModeGamePiece);
    return;
  }
  if (mode == kModePreview && g_bImageTrim != 0 && view)
    PreviewTrimMouse(view, x + view->PreviewScroll().x(), y + view->PreviewScroll().y());
}

void OnViewLButtonUp(CNarvoView* view, int x, int y) {
  g_bTrimDragging = 0;
  if (g_nDragState == 0 || !view) return;
  const int mode = g_AppMode;
  if (mode != kModeGamePiece && mode != kModeEditPiece) return;
  const int picked = view->m_nPickedCell;
  const bool onPicked = HitTestBoard(x, mode - 1, g_Board.sideToMove, y, 0) == picked ||
                        (mode == kModeEditPiece && HitTestPieceBox(x, y) == picked);
  if (onPicked) {
    // Click-click entry: the piece stays held until a release elsewhere.
    g_nDragState = 2;
    view->GrabPointer(true);
    return;
  }
  EndPieceDrag(view, x, y);
}

void OnViewMouseMove(CNarvoView* view, int x, int y) {
  if (g_AppMode == kModePreview && g_bImageTrim != 0) {
    // The trim rectangle lies on the page, which may be scrolled.
    const QPoint page = view ? QPoint(x, y) + view->PreviewScroll() : QPoint(x, y);
    const int shape = TrimCursorShape(g_rcImageTrim, page.x(), page.y());
    // A drag that outruns its edge keeps the drag's cursor until the release.
    if (view && shape >= 0) view->setCursor(Qt::CursorShape(shape));
    else if (view && !g_bTrimDragging) view->unsetCursor();
    if (g_bTrimDragging && view) PreviewTrimMouse(view, page.x(), page.y());
    return;
  }
  // Only the trim rectangle sets the view's cursor: it goes with the preview
  // or with trimming turned off.
  if (view && view->testAttribute(Qt::WA_SetCursor)) view->unsetCursor();
  if (g_nDragState != 0) DragPieceToPoint(view, x, y);
}

void OnViewRButtonDown(CNarvoView* view, int x, int y) {
  if (!view) return;
  view->m_bContextHandled = false;
  const int mode = g_AppMode;
  if (mode == kModeEdit) {
    const int square = HitTestBoard(x, kHitPickAny, kSente, y, 0);
    if (IsBoardSquare(square) && CyclePieceState(square) != 0) {
      IdentifyHandicap();
      CheckStartPosition();
      CopyBoardState(g_StartBoard, g_Board);
      RepaintCellNow(view, square);
      PlayPieceSoundNow();
      view->m_bContextHandled = true;
    }
    return;
  }
  if ((mode == kModeGame || mode == kModeGamePiece || mode == kModeView || mode == kModePreview) &&
      IsInPieceBoxArea(x, y)) {
    view->GrabPointer(false);
    DeleteCurrentComment(view);
    return;
  }
  if ((mode == kModeGamePiece || mode == kModeEditPiece) && g_nDragState != 0) {
    g_AppMode = mode - 1;
    CancelPieceDrag(view);
    view->m_bContextHandled = true;
  }
}

void OnViewRButtonUp(CNarvoView* view) {
  if (view) view->m_bContextHandled = false;
}

std::vector<int> ContextMenuCommands(int mode) {
  switch (mode) {
    case kModeGame:
      return {kCmdSuspend, kCmdResign, kCmdEndInput, kCmdTakeBack, kCmdSuspendAndMail};
    case kModeEdit:
      return {kCmdPositionEdit,   0,          kCmdEditEvenLayout, kCmdEditTsumeLayout,
              kCmdEditAllToBox, kCmdEditBoxToGoteHand, kCmdEditSwapSides, kCmdEditChangeTurn};
    case kModeView:
      return {kCmdContextPositionPreview, kCmdPositionEdit, kCmdJumpToSiori, kCmdRegisterSiori};
    case kModePreview: return {kCmdSaveImageAs, kCmdSaveImageNamed, kCmdCopyBitmap};
    default: return {};
  }
}

bool OnViewContextMenu(CNarvoView* view, QPoint globalPos) {
  if (!view || view->m_bContextHandled || !g_pMainFrame) return false;
  const std::vector<int> ids = ContextMenuCommands(g_AppMode);
  if (ids.empty()) return false;
  // The frame's own actions, so that their enable rules hold here too.
  g_pMainFrame->UpdateCommandUi();
  QMenu menu(view);
  for (int id : ids) {
    if (id == 0) {
      menu.addSeparator();
      continue;
    }
    QAction* a = g_pMainFrame->ActionFor(id);
    if (!a) continue;
    // The preview menu names the image command as a save under a name of the
    // user's; the item still runs the frame's command under its rules.
    if (g_AppMode == kModePreview && id == kCmdSaveImageAs) {
      QAction* item = menu.addAction(QString::fromUtf16(u"名前を付けて画像を保存(&G)..."));
      item->setEnabled(a->isEnabled());
      item->setData(a->data());
      QObject::connect(item, &QAction::triggered, a, &QAction::trigger);
      continue;
    }
    menu.addAction(a);
  }
  g_pShowPopupMenu(menu, globalPos);
  return true;
}

// ---- Moves ----------------------------------------------------------------------------

bool IsPlainlyImpossibleMove(int to, int from, const BoardState& board, int side) {
  const int target = board.squares[to & 0x7F];
  if (!IsPiece(target)) return false;
  if (IsHandCell(from)) return true;
  return (target & kSenteBit) == side || CodeWithoutSide(target) == kKing;
}

void EnterHumanMove(CNarvoView* view, int fromCell, int x, int y) {
  const int side = g_Board.sideToMove;
  int to = HitTestBoard(x, kHitMoveTarget, side, y, fromCell);
  if (to <= 0) {
    RefuseHeldMove(view, u"");
    return;
  }
  const int piece = PieceCodeAt(fromCell);
  const int promotion = GetPromotionKind(to, piece, fromCell);
  if (promotion == 2) to |= 0x80;
  if ((to & 0x7F) == fromCell) {
    RestoreLiftedOrigin(view);
    g_AppMode = kModeGame;
    return;
  }
  // Without rule checking a move still may not take one's own piece or a
  // king, nor drop onto a piece: the record could not hold the position.
  int reason = kMoveLegal;
  if (g_bCheckRules != 0) reason = CheckMoveLegal(to, fromCell, g_Board, side);
  else if (IsPlainlyImpossibleMove(to, fromCell, g_Board, side)) reason = kMoveOntoOwnPiece;
  if (reason != kMoveLegal) {
    RefuseHeldMove(view, RefusalText(reason));
    return;
  }
  if (promotion == 1) to = AskPromotion(view, to, fromCell, piece);
  ShowStatus(u"");
  ForgetLiftedOrigin();
  const int result = DoMove(view, kMoveGame, (to << 8) | fromCell, kRedrawSound);
  if (result == kDoMoveDeclined) {
    RepaintCellNow(view, fromCell);
    RepaintCellNow(view, to & 0x7F);
  }
  AfterGameMove(view, result);
}

int ReadTypedMove(const std::u16string& typed, BoardState& board, int& key, std::u16string& error) {
  std::u16string text = typed;
  for (char16_t& ch : text)
    if (ch >= u'A' && ch <= u'Z') ch = char16_t(ch - u'A' + u'a');
  if (text == u"make") return kTypedResign;
  if (text == u"quit") return kTypedSuspend;
  if (StartsWith(u"ret", text) || StartsWith(u"back", text)) return kTypedTakeBack;

  auto digit = [&](size_t i) { return i < text.size() && text[i] >= u'1' && text[i] <= u'9'; };
  auto fail = [&](const char16_t* message) {
    error = message;
    return kTypedError;
  };
  const int side = board.sideToMove;
  if (text.size() < 4 || !digit(0) || !digit(1)) return fail(u"エラー　動けません。");
  int to = (text[0] - u'0') * 10 + (text[1] - u'0');
  int from;
  if (digit(2)) {
    if (!digit(3)) return fail(u"エラー　動けません。");
    from = (text[2] - u'0') * 10 + (text[3] - u'0');
    if (!IsPieceOfSide(board.squares[from], side)) return fail(u"エラー　動けません。");
    if (text.size() > 4 && text[4] == u'n') to |= 0x80;
    if (GetPromotionKind(to & 0x7F, board.squares[from], from) == 2) to |= 0x80;
  } else {
    if (board.squares[to] != kEmpty) return fail(u"エラー  打てません。");
    std::u16string code = text.substr(2);
    for (char16_t& ch : code)
      if (ch >= u'a' && ch <= u'z') ch = char16_t(ch - u'a' + u'A');
    const int kind = CsaPieceIndex(code);
    if (kind < kPawn || kind > kRook) {
      error = FormatU16(u"エラー　駒の名前が違います。「%s」", code.c_str());
      return kTypedError;
    }
    if (board.hands[SideIndex(side)][kind] == 0) return fail(u"エラー　駒がありません。");
    from = HandCellOf(side, kind);
  }
  if (CheckMoveLegal(to, from, board, side) != kMoveLegal) return fail(u"ルール　エラー");
  key = (to << 8) | from;
  return kTypedMove;
}

void EnterMoveByDialog(CNarvoView* view) {
  for (;;) {
    std::u16string text;
    if (!g_pAskTypedMove(text)) return;
    int key = 0;
    std::u16string error;
    switch (ReadTypedMove(text, g_Board, key, error)) {
      case kTypedResign:
        DoMove(view, kMoveGame, kKeyResign, kRedrawSound);
        EndGame(view);
        return;
      case kTypedSuspend:
        DoMove(view, kMoveGame, kEndFrom | kEndSuspend << 8, kRedrawSound);
        EndGame(view);
        return;
      case kTypedTakeBack:
        DoMove(view, kMoveGame, kKeyTakeBackEntered, kRedrawAnimate);
        return;
      case kTypedMove:
        AfterGameMove(view, DoMove(view, kMoveGame, key, kRedrawSound));
        return;
      default:
        ShowMessage(error, kMbOk | kMbIconError);
        break;
    }
  }
}

// ---- Trimming --------------------------------------------------------------------------

namespace {

constexpr int kTrimNear = 9;     // pixels: a distance of 10 is not near
constexpr int kTrimLeast = 10;   // the narrowest and lowest rectangle
constexpr int kTrimCentre = 19;  // the move cursor around the centre

bool Near(int a, int b) { return std::abs(a - b) <= kTrimNear; }

// Which part of the rectangle a point takes: the rules in their order.
enum TrimPart { kTrimNone, kTopLeft, kBottomLeft, kBottomRight, kTopRight, kLeft, kRight, kTop, kBottom, kWhole };

TrimPart TrimPartAt(const int r[4], int x, int y) {
  const int left = r[0], top = r[1], right = r[2], bottom = r[3];
  if (Near(x, left) && Near(y, top)) return kTopLeft;
  if (Near(x, left) && Near(y, bottom)) return kBottomLeft;
  if (Near(x, right) && Near(y, bottom)) return kBottomRight;
  if (Near(x, right) && Near(y, top)) return kTopRight;
  const bool betweenY = top < y && y < bottom, betweenX = left < x && x < right;
  if (Near(x, left) && betweenY) return kLeft;
  if (Near(x, right) && betweenY) return kRight;
  if (Near(y, top) && betweenX) return kTop;
  if (Near(y, bottom) && betweenX) return kBottom;
  if (betweenX && betweenY) return kWhole;
  return kTrimNone;
}

}  // namespace

bool MoveTrimRect(int r[4], int x, int y) {
  const TrimPart part = TrimPartAt(r, x, y);
  if (part == kTrimNone) return false;
  // An edge that follows the point stops short of the opposite one.
  auto setLeft = [&] { r[0] = std::min(x, r[2] - kTrimLeast); };
  auto setRight = [&] { r[2] = std::max(x, r[0] + kTrimLeast); };
  auto setTop = [&] { r[1] = std::min(y, r[3] - kTrimLeast); };
  auto setBottom = [&] { r[3] = std::max(y, r[1] + kTrimLeast); };
  switch (part) {
    case kTopLeft: setLeft(); setTop(); break;
    case kBottomLeft: setLeft(); setBottom(); break;
    case kBottomRight: setRight(); setBottom(); break;
    case kTopRight: setRight(); setTop(); break;
    case kLeft: setLeft(); break;
    case kRight: setRight(); break;
    case kTop: setTop(); break;
    case kBottom: setBottom(); break;
    default: {
      const int w = r[2] - r[0], h = r[3] - r[1];
      r[0] = x - w / 2;
      r[1] = y - h / 2;
      r[2] = r[0] + w;
      r[3] = r[1] + h;
      break;
    }
  }
  return true;
}

int TrimCursorShape(const int r[4], int x, int y) {
  switch (TrimPartAt(r, x, y)) {
    case kTopLeft:
    case kBottomRight: return Qt::SizeFDiagCursor;
    case kBottomLeft:
    case kTopRight: return Qt::SizeBDiagCursor;
    case kLeft:
    case kRight: return Qt::SizeHorCursor;
    case kTop:
    case kBottom: return Qt::SizeVerCursor;
    default: break;
  }
  const int cx = (r[0] + r[2]) / 2, cy = (r[1] + r[3]) / 2;
  if (std::abs(x - cx) <= kTrimCentre && std::abs(y - cy) <= kTrimCentre) return Qt::SizeAllCursor;
  return -1;
}

void PreviewTrimMouse(CNarvoView* view, int x, int y) {
  const QRect before(QPoint(g_rcImageTrim[0], g_rcImageTrim[1]),
                     QPoint(g_rcImageTrim[2], g_rcImageTrim[3]));
  if (MoveTrimRect(g_rcImageTrim, x, y)) {
    if (g_pMainFrame) g_pMainFrame->RefreshPreviewBar();
    g_bTrimDragging = 1;
    const QRect after(QPoint(g_rcImageTrim[0], g_rcImageTrim[1]),
                      QPoint(g_rcImageTrim[2], g_rcImageTrim[3]));
    if (view) view->Invalidate((before | after).adjusted(-1, -1, 1, 1), true);
  }
  ShowStatus(FormatU16(u"トリミング　幅=%d 高さ=%d", g_rcImageTrim[2] - g_rcImageTrim[0],
                       g_rcImageTrim[3] - g_rcImageTrim[1]));
}
