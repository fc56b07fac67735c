#include "view/position_edit.h"

#include <utility>

#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/board.h"
#include "record/board_edit.h"
#include "record/header.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "view/branch_wnd.h"
#include "view/comment_wnd.h"
#include "view/hit_test.h"
#include "view/key_state.h"
#include "view/move_list_wnd.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/piece_drag.h"

int g_bEditing = 0;
int g_bMoveListWasShown = 0;

namespace {

// Recount, classify and make the position the record's start.
void SettleStart() {
  IdentifyHandicap(g_Board);
  CheckStartPosition(g_Board);
  CopyBoardState(g_StartBoard, g_Board);
}

void ClearDocumentModifiedFlag() {
  if (g_pDocument) g_pDocument->SetModifiedFlag(false);
}

// The common end of the layout commands: the position settled and the view
// (board, box, stands and panel) drawn again from it.
void FinishLayout(CNarvoView* view) {
  SettleStart();
  RedrawBoardView(view);
}

}  // namespace

void StartPositionEdit(CNarvoView* view) {
  if (g_bEditing) {
    EndPositionEdit(view);
    return;
  }
  if (g_bConfirmSave && g_Record.changeCount != 0 && AskSaveRecord(view) == kIdCancel) return;
  g_bEditing = 1;
  g_AppMode = kModeEdit;

  // The shown move's comment goes with the position to the new start.
  std::u16string kept;
  if (g_Record.current && g_Record.current->comment) kept = g_Record.current->comment;
  if (g_Record.pool) {
    TruncateRecordAfter(g_Record, 0);
    g_Record.current = g_Record.Root();
    g_Record.moveNumber = 0;
    FreeNodeComment(g_Record, g_Record.Root());
    if (!kept.empty()) {
      if (kept.back() == u'\n') kept.pop_back();  // AppendComment gives it back
      AppendComment(g_Record, 0, kept);
    }
  }
  UpdateCommentWindow();
  g_Record.changeCount = 0;
  SettleStart();

  g_bMoveListWasShown = g_bShowMoveListWnd;
  ShowDovuWnd(false);
  ShowBranchWnd(false);
  g_bShowMoveListWnd = 0;

  g_szRecordTitle = g_szUntitled;
  g_szRecordFileName = g_szUntitled;
  g_szRecordFilePath = FolderOrDocuments(g_szRecordFolder) + g_szUntitled;
  ClearDocumentModifiedFlag();
  RedrawBoardView(view);
  UpdateMainTitle();
  ClearUndoLabel();
}

void EndPositionEdit(CNarvoView* view) {
  g_bEditing = 0;
  SettleStart();
  g_AppMode = kModeView;
  UpdateCommentWindow();
  RedrawBoardView(view);
  UpdateMainTitle();
  if (g_bMoveListWasShown) {
    g_bShowMoveListWnd = 1;
    UpdateDovuWndScroll();
    FitDovuWndToDesktop();
    ShowDovuWnd(true);
  }
  UpdateBranchWindow();
  ClearUndoLabel();
}

void EditSetEvenLayout(CNarvoView* view) {
  RecordHeader& h = g_Record.header;
  for (std::u16string* item : {&h.problemNumber, &h.problemName, &h.author, &h.magazine,
                               &h.publishedDate, &h.source, &h.completeness, &h.category, &h.award,
                               &h.moveCount, &h.notes})
    item->clear();
  SetHandicapBoard(g_Board, 0);
  g_Board.handicap = 0;
  FinishLayout(view);
}

void EditSetTsumeLayout(CNarvoView* view) {
  RecordHeader& h = g_Record.header;
  for (std::u16string* item : {&h.event, &h.title, &h.opening, &h.startTime, &h.endTime,
                               &h.timeLimit, &h.timeUsed, &h.place, &h.publishedIn})
    item->clear();
  SetTsumeLayout(g_Board);
  FinishLayout(view);
}

void EditAllToBox(CNarvoView* view) {
  ClearToBox(g_Board);
  FinishLayout(view);
}

void EditBoxToGoteHand(CNarvoView* view) {
  MoveBoxToGoteHand(g_Board);
  FinishLayout(view);
}

void EditSwapSides(CNarvoView* view) {
  FlipBoardSides(g_Board);
  SettleStart();
  RecordHeader& h = g_Record.header;
  std::swap(h.firstPlayer, h.secondPlayer);
  std::swap(h.firstShortName, h.secondShortName);
  RedrawBoardView(view);
}

void EditChangeTurn(CNarvoView* view) {
  g_Board.sideToMove = kSente - g_Board.sideToMove;
  SettleStart();
  RedrawBoardView(view);
}

void EditDropPiece(CNarvoView* view, int x, int y) {
  const int held = view ? view->m_nPickedCell : 0;
  const int target = HitTestBoard(x, kHitEditDrop, kSente, y, held);
  g_AppMode = kModeEdit;
  if (target <= 0) {
    Ui().PlayWarningSound();
    RestoreLiftedOrigin(view);
    return;
  }
  const EditDropResult r =
      ApplyEditDrop(g_Board, held, target, IsCtrlHeld(), IsShiftHeld(), g_bBoardFlipped != 0);
  if (!r.changed) {
    // A drop the pieces cannot make (a hand onto its own stand, the box onto
    // itself): the piece simply goes back.
    RestoreLiftedOrigin(view);
    return;
  }
  ForgetLiftedOrigin();
  if (view && r.dropSquare) view->m_nDropCell = r.dropSquare;
  if (g_pPlayPieceSound) g_pPlayPieceSound();
  SettleStart();
  RedrawBoardView(view);
}
