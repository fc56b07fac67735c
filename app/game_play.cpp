#include "app/game_play.h"

#include <QFileInfo>
#include <QString>

#include "app/command_table.h"
#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "output/clipboard_copy.h"
#include "output/mail_commands.h"
#include "record/board.h"
#include "record/clock.h"
#include "record/datetime.h"
#include "record/history.h"
#include "record/record.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/new_game_sheet_qt.h"
#include "settings/small_dialogs_qt.h"  // AddPlayersToNameLists
#include "view/comment_wnd.h"
#include "view/info_panel.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/piece_drag.h"
#include "view/position_edit.h"

int64_t g_tClockStart = 0;

namespace {

void ClearDocumentModified() {
  if (g_pDocument) g_pDocument->SetModifiedFlag(false);
}

void MakeUnnamed() {
  g_szRecordTitle = g_szUntitled;
  g_szRecordFileName = g_szUntitled;
  g_szRecordFilePath = g_szUntitled;
}

std::u16string TodayAndNow() { return FormatToday() + u" " + FormatNowTime(); }

bool FileExists(const std::u16string& path) {
  return QFileInfo::exists(QString::fromStdU16String(path));
}

void LeaveEditing(CNarvoView* view) {
  if (g_AppMode == kModeEdit || g_AppMode == kModeEditPiece) EndPositionEdit(view);
}

// A resumed game is kept under its own title in the record folder, in the
// standard type.
void SaveResumedGame(CNarvoView* view) {
  const bool zr2 = g_nDefaultFormat == 1;
  SaveToRecordFolder(view, g_szRecordTitle, g_bSaveUtf8 ? (zr2 ? u".zr2u" : u".dovu") : (zr2 ? u".ZR2" : u".ZRF"));
}

void OfferSave(CNarvoView* view) {
  if (g_Record.changeCount == 0) return;
  if (IsNamedTitle()) {
    SaveRecordViaDialog(view);
    return;
  }
  if (ShowMessage(u"棋譜を保存しますか？", kMbYesNo | kMbIconQuestion, u"棋譜の保存") != kIdYes)
    return;
  if (g_bResumeGame != 0 && g_bAutoSave != 0) SaveResumedGame(view);
  else SaveFileAs(view);
}

}  // namespace

// ---- The clock -------------------------------------------------------------------------

void StartClock(CNarvoView* view) {
  if (!view) return;
  if (!view->SetTimer(kClockTimer, 1000)) {
    ShowMessage(u"タイマーが使用できません。", kMbOk | kMbIconWarning, g_szAppTitle);
    return;
  }
  g_bGameClock = 1;
  g_nReplayTick = 0;
  DrawInfoRunningTime(view, 0, g_Record.moveNumber - 1);
  g_tClockStart = NowSeconds();
}

void StopClock(CNarvoView* view) {
  if (g_bGameClock != 0 && view) view->KillTimer(kClockTimer);
}

namespace {
int RunningSeconds() { return int(std::clamp<int64_t>(NowSeconds() - g_tClockStart, 0, INT32_MAX)); }
}  // namespace

void DrawClockRunningTime(CNarvoView* view) {
  DrawInfoRunningTime(view, RunningSeconds(), g_Record.moveNumber - 1);
}

void DrawClockRunningTime(QPainter& p) {
  DrawInfoRunningTime(p, RunningSeconds(), g_Record.moveNumber - 1);
}

// ---- Start, turn and end ------------------------------------------------------------

void StartNewGame(CNarvoView* view) {
  ClearUndoLabel();
  ClearDocumentModified();
  std::u16string& start = g_Record.header.startTime;
  if (g_Record.moveNumber == 0 && (start.empty() || start == u"（自動設定）")) start = TodayAndNow();
  if (g_szRecordTitle.empty()) {
    g_szRecordTitle = g_szUntitled;
    g_szRecordFileName = g_szUntitled;
  }
  g_AppMode = kModeGame;
  RedrawBoardView(view);
  UpdateMainTitle();
  g_tMoveTime = NowSeconds();
  NextTurnOrStop(view);
}

void NextTurnOrStop(CNarvoView* view) {
  const int limit = g_nMaxRecordSizeAtStart;
  if (g_Record.moveNumber < limit - 1) {
    StartClock(view);
    return;
  }
  ShowMessage(FormatU16(u"棋譜の大きさが限界(%d手)に達しましたので、対局を中止します。", limit - 1),
              kMbOk | kMbIconWarning, g_szAppTitle);
  EndGame(view);
}

void EndGame(CNarvoView* view) {
  // No clock runs once the game is over, whichever way it ended.
  StopClock(view);
  ClearUndoLabel();
  DrawInfoMoveTime(view, g_Record.moveNumber);
  DrawInfoMoveTime(view, g_Record.moveNumber - 1);
  if (!IsInVariation(g_Record.current, g_Record) && g_bAutoEndDate != 0)
    g_Record.header.endTime = TodayAndNow();
  OfferSave(view);
  g_AppMode = kModeView;
  UpdateCommentWindow();
  UpdateMainTitle();
}

// ---- Continue and resume ----------------------------------------------------------------

void ContinueGame(CNarvoView* view) {
  if (g_Record.moveNumber > 0 && g_Record.current && IsEndNode(*g_Record.current))
    UndoMove(view, kMoveGame, kRedrawSilent);
  LeaveEditing(view);
  if (GetCurrentFileType() == 2) {
    std::u16string path = g_szRecordFilePath;
    const size_t slash = path.rfind(u'/');
    const size_t dot = path.rfind(u'.');
    if (dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash)) path.resize(dot);
    path += u".zrf";
    if (FileExists(path)) MakeUnnamed();
    else SetCurrentFileName(path);
  }
  g_bResumeGame = 0;
  StartNewGame(view);
}

void ResumeSuspendedGame(CNarvoView* view) {
  RecordNode* cur = g_Record.current;
  if (g_Record.moveNumber > 0 && cur && IsEndNode(*cur)) {
    const uint16_t key = NodeMoveKey(*cur);
    UndoMove(view, kMoveGame, kRedrawSilent);
    DeleteChildByMove(g_Record.current, key, g_Record);
  } else if (cur && cur->firstChild) {
    while (g_Record.current->firstChild && IsBoardMoveNode(*g_Record.current->firstChild))
      DoMove(view, kMoveQuiet, NodeMoveKey(*g_Record.current->firstChild), kRedrawSilent);
    TruncateRecordAfter(g_Record, g_Record.moveNumber);
  }
  ClearCommentsFrom(g_Record, g_Record.moveNumber + 1);
  if (g_Record.moveNumber == 0) ResetRecordTree(g_Record);
  if (g_szRecordTitle.empty()) g_szRecordTitle = g_szUntitled;
}

void ResumeGameCommand(CNarvoView* view) {
  LeaveEditing(view);
  if (GetLineLength(g_Record) > 0 && g_bAskReplayOnLoad != 0) {
    const int answer = ShowMessage(u"新しい棋譜を読み込みますか？",
                                   kMbYesNoCancel | kMbIconQuestion, u"再開");
    if (answer == kIdCancel) return;
    if (answer == kIdYes && OpenFileWithDialog(view) != 1) return;
  } else if (GetLineLength(g_Record) == 0) {
    if (OpenFileWithDialog(view) != 1) return;
  }
  g_bResumeGame = 1;
  ResumeSuspendedGame(view);
  StartNewGame(view);
}

// ---- New game ------------------------------------------------------------------------

namespace {

void Remember(const std::u16string& text, HistoryList& history) {
  if (text.empty()) return;
  LoadHistory(history);
  AddHistoryItem(text, history);
  SaveHistory(history);
}

}  // namespace

NewGameSheetFunction g_pRunNewGameSheet = RunNewGameSheet;

void NewGameCommand(CNarvoView* view) {
  if (g_bConfirmSave != 0 && g_Record.changeCount != 0 && AskSaveRecord(view) == kIdCancel) return;
  LeaveEditing(view);
  const RecordHeader& h = g_Record.header;
  NewGameValues values;
  values.handicap = g_Board.handicap;
  values.firstPlayer = h.firstPlayer;
  values.secondPlayer = h.secondPlayer;
  values.firstShortName = h.firstShortName;
  values.secondShortName = h.secondShortName;
  if (!g_pRunNewGameSheet(view, values)) {
    g_AppMode = kModeView;
    UpdateCommentWindow();
    UpdateMainTitle();
    return;
  }
  ApplyNewGame(view, values);
}

void ApplyNewGame(CNarvoView* view, const NewGameValues& v) {
  ClearUndoLabel();
  RecordHeader& h = g_Record.header;
  h = RecordHeader();
  h.event = v.event;
  h.title = v.title;
  h.opening = v.opening;
  h.startTime = v.startTime;
  h.timeLimit = v.timeLimit;
  h.place = v.place;
  h.publishedIn = v.publishedIn;
  for (int i = 0; i < 5; ++i) h.userItems[i] = v.userItems[i];
  const int date = CheckDateText(h.startTime);
  if (date == 1) ShowMessage(u"開始日時が未来です。", kMbOk | kMbIconWarning, g_szAppTitle);
  else if (date > 1) ShowMessage(u"開始日時が異常です。", kMbOk | kMbIconWarning, g_szAppTitle);
  h.firstShortName = v.firstShortName;
  h.secondShortName = v.secondShortName;
  h.firstPlayer = v.firstPlayer;
  h.secondPlayer = v.secondPlayer;
  // Histories are read when first shown: read it now, or writing it would
  // keep only these names.
  LoadHistory(g_hisPlayers);
  AddPlayersToNameLists();
  if (g_nHistoryModeEvent != 0) Remember(h.event, g_hisEvent);
  if (g_nHistoryModeOpening != 0) Remember(h.opening, g_hisOpening);
  if (g_nHistoryModeTimeLimit != 0) Remember(h.timeLimit, g_hisTimeLimit);
  if (g_nHistoryModePlace != 0) Remember(h.place, g_hisPlace);
  if (g_nHistoryModePublication != 0) Remember(h.publishedIn, g_hisPublication);
  HistoryList* const users[5] = {&g_hisUser1, &g_hisUser2, &g_hisUser3, &g_hisUser4, &g_hisUser5};
  const int modes[5] = {g_nHistoryModeUser, g_nHistoryModeUser2, g_nHistoryModeUser3,
                        g_nHistoryModeUser4, g_nHistoryModeUser5};
  for (int i = 0; i < 5; ++i)
    if (modes[i] != 0) Remember(h.userItems[i], *users[i]);
  if (h.startTime != u"（自動設定）") Remember(h.startTime, g_hisStartDate);
  g_bResumeGame = 0;
  if (v.handicap >= 0 && v.handicap < kHandicapFree) {
    SetHandicapBoard(g_Board, v.handicap);
    SetHandicapBoard(g_StartBoard, v.handicap);
  } else {
    // The moves are recorded against the start: it must be the shown position.
    CopyBoardState(g_StartBoard, g_Board);
    g_StartBoard.handicap = g_Board.handicap = kHandicapFree;
    // A free position is never a standard start: the record keeps its diagram.
    g_Board.notAtStart = CheckStartPosition(g_StartBoard);
  }
  ResetRecordTree(g_Record);
  MakeUnnamed();
  StartNewGame(view);
}

// ---- The end commands ---------------------------------------------------------------------

int EndMarkKeyOf(int command) {
  auto mark = [](int code) { return kEndFrom | code << 8; };
  switch (command) {
    case kCmdResign: return mark(kEndResign);
    case kCmdSuspend:
    case kCmdSuspendAndMail: return mark(kEndSuspend);
    case kCmdEndIllegalLoss: return mark(kEndIllegalLoss);
    case kCmdEndIllegalWin: return mark(kEndIllegalWin);
    case kCmdEndImpasse: return mark(kEndImpasse);
    case kCmdEndRepetition: return mark(kEndRepetition);
    case kCmdEndNoMate: return mark(kEndNoMate);
    case kCmdEndTimeLoss: return mark(kEndTimeLoss);
    case kCmdEndMate: return mark(kEndMate);
    case kCmdEndInput: return 0;
    default: return -1;
  }
}

void EnterEndMark(CNarvoView* view, int command) {
  const int key = EndMarkKeyOf(command);
  if (key < 0) return;
  // A piece picked by a click would otherwise stay lifted into viewing.
  if (g_AppMode == kModeGamePiece || g_nDragState != 0) {
    CancelPieceDrag(view);
    if (g_AppMode == kModeGamePiece) g_AppMode = kModeGame;
  }
  if (key == 0) {
    StopClock(view);
    EndGame(view);
    return;
  }
  if (DoMove(view, kMoveGame, key, kRedrawSound) == kDoMoveDeclined) {
    // The user kept the record: the game goes on.
    g_AppMode = kModeGame;
    NextTurnOrStop(view);
    return;
  }
  EndGame(view);
  if (command == kCmdSuspendAndMail) {
    CopyMail1ToClipboard(view);
    WriteMailFile(view);
    if (g_bNetMailAuto != 0) SendRecordByMail(view);
  }
}
