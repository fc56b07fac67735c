#include "view/view_commands.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QPainter>
#include <QUrl>

#include "app/command_table.h"
#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "output/board_image.h"
#include "output/ftp_upload.h"
#include "output/print_job.h"
#include "output/score_sheet.h"
#include "record/board.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "view/board_drawing.h"
#include "view/branch_wnd.h"
#include "view/comment_wnd.h"
#include "view/move_list_wnd.h"
#include "view/narvo_view.h"

// ---- Record edits ------------------------------------------------------------------

void MarkRecordChanged() {
  g_Record.changeCount = 1;
  if (g_pDocument) g_pDocument->SetModifiedFlag(true);
  UpdateMainTitle();
}

int DeleteRecordAfterCurrent(CNarvoView*) {
  if (g_Record.pool == nullptr) return -1;
  SaveUndoPoint(u"棋譜の削除");
  if (TruncateRecordAfter(g_Record, g_Record.moveNumber) == nullptr) return -1;
  MarkRecordChanged();
  UpdateDovuWndScroll();
  UpdateBranchWindow();
  return 0;
}

int ClearAllConsumedTimes(CNarvoView* view) {
  Ui().PlayWarningSound();
  if (ShowMessage(u"すべての指し手の消費時間を０にしますか？", kMbYesNo | kMbIconQuestion,
                  u"消費時間の一括クリア") != kIdYes)
    return -1;
  SaveUndoPoint(u"消費時間を０");
  for (int i = 0; i < g_Record.poolCapacity; ++i) g_Record.pool[i].seconds = 0;
  ++g_Record.revision;  // what was derived from the times goes
  InvalidateDovuWnd();
  if (view) {
    // The panel's box reaches one pixel beyond its rectangle.
    PixelRect panel = InfoPanelRect(CurrentCellSize());
    view->Invalidate(QRect(panel.left, panel.top, panel.Width() + 1, panel.Height() + 1), true);
  }
  MarkRecordChanged();
  return 0;
}

// ---- Name-list files -----------------------------------------------------------------

bool OpenInDesktopEditor(const std::u16string& path) {
  QString file = QString::fromStdU16String(path);
  // The desktop's opener starts for a missing file too; the shell's open
  // verb fails for it, and so does this.
  if (!QFileInfo(file).isFile()) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

OpenInEditorFunction g_pOpenInEditor = OpenInDesktopEditor;

int OpenListFileInEditor(const std::u16string& fileName, const std::u16string& fallbackName) {
  std::u16string first;
  for (const std::u16string* name : {&fileName, &fallbackName}) {
    if (name->empty()) continue;
    std::u16string path = g_szProgramFolder + *name + u".txt";
    if (first.empty()) first = path;
    if (g_pOpenInEditor(path)) return 0;
  }
  Ui().PlayWarningSound();
  ShowMessage(FormatU16(u"テキストファイル(%s)の編集に失敗しました。", first.c_str()),
              kMbOk | kMbIconError);
  return -1;
}

int OpenListFileOfCommand(int id) {
  // 対局者, 棋戦, 戦型, 表題, 持ち時間, 場所, 掲載, ユーザ定義１..５.
  static const char16_t* const kLists[12][2] = {
      {u"player", u"対局者"}, {u"kisen", u"棋戦"},  {u"senkei", u"戦型"}, {u"subj", u"表題"},
      {u"持ち時間", u""},     {u"場所", u""},       {u"", u"掲載"},       {u"user1", u"ユーザ1"},
      {u"user2", u"ユーザ2"}, {u"user3", u"ユーザ3"}, {u"user4", u"ユーザ4"}, {u"user5", u"ユーザ5"},
  };
  if (id < kCmdListFileFirst || id > kCmdListFileLast) return -1;
  const auto& list = kLists[id - kCmdListFileFirst];
  return OpenListFileInEditor(list[0], list[1]);
}

// ---- Display switches -------------------------------------------------------------------

void ToggleBoardFlip(CNarvoView* view) {
  g_bBoardFlipped = !g_bBoardFlipped;
  // Coordinates, stands and every square move: the board and its marks are
  // drawn again (in print preview, the preview page).
  if (view) view->InvalidateAll();
}

void ToggleTurnEmphasis(CNarvoView* view) {
  g_bEmphasizeTurn = !g_bEmphasizeTurn;
  if (!view) return;
  DrawStandLabel(*view, kSente);
  DrawStandLabel(*view, kGote);
}

void SetLastMoveMarkStyle(CNarvoView* view, int style) {
  g_nLastMoveMark = uint8_t(style);
  if (!view) return;
  if (g_AppMode == kModePreview) {
    view->InvalidateAll();
    return;
  }
  ClearLastMoveHighlight(*view);
  ShowLastMoveHighlight(*view);
  ShowLastMoveFromHighlight(*view);
}

void ToggleMoveOrigin(CNarvoView* view) {
  g_bShowMoveOrigin = !g_bShowMoveOrigin;
  if (!view) return;
  if (g_bShowMoveOrigin) {
    ShowLastMoveFromHighlight(*view);
    return;
  }
  int square = g_nMarkedFromSquare;
  g_nMarkedFromSquare = 0;
  if (g_Record.moveNumber <= 0 || !IsBoardSquare(square)) return;
  SurfacePainter sp(*view);
  if (!sp.Active()) return;
  QPainter& p = sp.Painter();
  EraseSquareFrame(p, square);
  DrawPieceOnSquare(p, square, g_Board.squares[square]);
  RedrawStarPoints(p, square);
  PixelRect r = SquareFrameRect(CurrentCellSize(), square, g_bBoardFlipped != 0);
  // The star point reaches two pixels beyond the frame.
  sp.Touch({r.left - 2, r.top - 2, r.right + 2, r.bottom + 2});
}

void ToggleAppendMode() {
  g_Record.appendMode = !g_Record.appendMode;
  UpdateMainTitle();  // a game's caption tells whether variations are made
}

// ---- Companion windows ---------------------------------------------------------------------

void ToggleMoveListWindow() {
  if (g_bShowMoveListWnd) {
    ShowDovuWnd(false);
    g_bShowMoveListWnd = 0;
  } else {
    FitDovuWndToDesktop();
    ShowDovuWnd(true);
    g_bShowMoveListWnd = 1;
    UpdateDovuWndScroll();
  }
}

void SetMoveListForm(int form) {
  g_nMoveListStyle = form;
  InvalidateDovuWnd();
}

void ToggleSioriNames() {
  g_bShowSioriNames = !g_bShowSioriNames;
  InvalidateDovuWnd();
}

void SetBranchWindowMode(int mode) {
  g_nBranchWndMode = mode;
  if (mode == 0) {
    ShowBranchWnd(false);
  } else if (mode == 1) {
    UpdateBranchWindow();
    ShowBranchWnd(true);
  } else {
    UpdateBranchWindow();
  }
}

void SetCommentWindowMode(int mode) {
  if (mode >= 2 && g_nCommentWndMode < 2) FitCommentWindowToDesktop();
  g_nCommentWndMode = uint8_t(mode);
  UpdateCommentWindow();
}

// ---- Hand-overs -------------------------------------------------------------------------------

int SaveCurrentRecord(CNarvoView* view) {
  bool named = !g_szRecordTitle.empty() && g_szRecordTitle != g_szUntitled;
  return named ? SaveFileOverwrite(view) : SaveFileAs(view);
}

void SaveAndUploadByFtp(CNarvoView* view) {
  // A file that could not be written is not sent: the server would get the
  // old one while the user thinks it has the new.
  if (SaveCurrentRecord(view) != 0) return;
  if (ShowMessage(u"棋譜ファイルをFTPでサーバへ送信しますか？", kMbYesNo | kMbIconQuestion,
                  u"FTP送信") != kIdYes)
    return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  FtpUploadAll(view);
  QApplication::restoreOverrideCursor();
}

void PrintFromView(CNarvoView* view, int kind) {
  g_nPrintKind = kind;
  if (g_bReplayRunning) return;
  PrintRecordOrPosition(view, true);
  if (view) view->InvalidateAll();
}

void SaveImageUnderTemplateName(CNarvoView* view) {
  std::u16string name = ExpandImageFileName();
  if (!name.empty()) SaveViewImage(view, name);
}

// ---- Web page ------------------------------------------------------------------------------------

const char16_t g_szMakerWebPage[] = u"https://morivane.example/sorvane/";

void OpenMakerWebPage() {
  QDesktopServices::openUrl(QUrl(QString::fromUtf16(g_szMakerWebPage)));
}
