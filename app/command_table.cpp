#include "app/command_table.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>

#include <unordered_map>

#include "app/file_commands.h"
#include "app/game_play.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/neighbour_file.h"
#include "app/sibling_programs.h"
#include "app/tool_menu.h"
#include "app/undo.h"
#include "output/board_image.h"
#include "output/clipboard_copy.h"
#include "output/clipboard_paste.h"
#include "output/ftp_upload.h"
#include "output/mail_commands.h"
#include "output/print_job.h"
#include "output/score_sheet.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "settings/comment_dialogs_qt.h"
#include "settings/env.h"
#include "settings/info_dialogs_qt.h"
#include "settings/settings_sheet_qt.h"
#include "settings/siori_dialogs_qt.h"
#include "settings/small_dialogs_qt.h"
#include "view/branch_wnd.h"
#include "view/comment_wnd.h"
#include "view/display_settings.h"
#include "view/move_list_wnd.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/navigation.h"
#include "view/piece_images.h"
#include "view/position_edit.h"
#include "view/view_commands.h"

namespace {

void OnPrintPreview(int id) {
  g_nPrintKind = id == kCmdRecordPreview ? 1 : 0;
  if (g_pMainFrame) g_pMainFrame->EnterPrintPreview();
}

void OnAppLook(int id) {
  if (g_pMainFrame) g_pMainFrame->OnApplicationLook(id);
}

void OnFullScreen(int) {
  if (g_pMainFrame) g_pMainFrame->OnFullScreen();
}

void OnViewBar(int id) {
  if (g_pMainFrame) g_pMainFrame->ToggleBar(id);
}

void OnAppExit(int) {
  if (g_pMainFrame) g_pMainFrame->close();
}

void OnAppAbout(int) {
  if (TheApp()) TheApp()->OnAppAbout();
}

void OnHelpFinder(int) {
  if (TheApp()) TheApp()->OnHelp();
}

void RuleBarShown(const CommandState& s, int id, CommandUi& ui) {
  bool shown = id == kCmdViewToolbar     ? s.toolbarShown
               : id == kCmdViewReplayBar ? s.replayBarShown
                                         : s.statusBarShown;
  ui.checked = shown ? 1 : 0;
}

void RuleFullScreen(const CommandState& s, int, CommandUi& ui) { ui.checked = s.fullScreen; }

// ---- Rules of the board view's commands ----------------------------------------------

bool InGame(const CommandState& s) { return s.appMode == kModeGame || s.appMode == kModeGamePiece; }
bool InEditing(const CommandState& s) { return s.appMode == kModeEdit || s.appMode == kModeEditPiece; }
bool InPreview(const CommandState& s) { return s.appMode == kModePreview; }
bool HasRealFileName(const CommandState& s) {
  return !s.recordFileName.empty() && s.recordFileName != g_szUntitled;
}
bool PathHasExtension(const std::u16string& path) {
  size_t slash = path.find_last_of(u"/\\");
  size_t dot = path.rfind(u'.');
  return dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash);
}

void RuleNotReplaying(const CommandState& s, int, CommandUi& ui) { ui.enabled = !s.replayRunning; }

void RuleNextFile(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = s.appMode == kModeView && IsRecordNamed(s) && HasRealFileName(s) &&
               PathHasExtension(s.recordFilePath);
}

void RuleSave(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = !InPreview(s) && !s.replayRunning;
}

void RuleSaveAndFtp(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = !InPreview(s) && !s.replayRunning && s.ftpReady;
}

void RuleScoreSheetPreview(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = s.appMode != kModeGamePiece && s.appMode != kModeEditPiece && !InPreview(s);
}

void RuleUndo(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = s.undoPending;
  ui.text = s.undoPending ? FormatU16(u"元に戻す(&U) - %s\tCtrl+Z", s.undoLabel.c_str())
                          : u"元に戻す(&U)\tCtrl+Z";
}

void RuleRedo(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = s.redoAvailable;
  ui.text = s.redoAvailable ? FormatU16(u"やり直し(&R) - %s", s.undoLabel.c_str()) : u"やり直し(&R)";
}

void RulePaste(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = !InGame(s) && !InPreview(s) && !s.replayRunning && s.clipboardTextSize > 5;
}

void RuleHasComment(const CommandState& s, int, CommandUi& ui) { ui.enabled = s.recordHasComment; }

void RuleEditTime(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = !s.replayRunning && !s.pieceHeld && s.moveNumber > 0;
}

void RuleLineEdit(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = !s.replayRunning && !s.pieceHeld && s.lineHasNodes;
}

void RuleAppendMode(const CommandState& s, int, CommandUi& ui) { ui.checked = s.appendMode != 0; }

void RuleRegisterSiori(const CommandState& s, int, CommandUi& ui) {
  ui.text = s.currentBookmark.empty()
                ? std::u16string(u"しおりの登録(&R)...")
                : FormatU16(u"しおり(%s)の名称変更・削除(&R)...", s.currentBookmark.c_str());
}

void RuleJumpToSiori(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = s.appMode != kModeGame && s.bookmarkCount > 0;
}

void RuleHasBookmark(const CommandState& s, int, CommandUi& ui) { ui.enabled = s.bookmarkCount > 0; }

// 開始局面へ, 連続して戻す, １手戻す. The keys named in the texts are those of
// viewing mode; in a game they do other things.
void RuleBackward(const CommandState& s, int id, CommandUi& ui) {
  ui.enabled = !s.replayRunning && !InPreview(s) && s.moveNumber > 0;
  if (id == kCmdGotoStart) {
    if (InGame(s)) ui.text = u"開始局面へ(&T)";
    else if (s.appMode == kModeView) ui.text = u"開始局面へ(&T)\tHome";
  } else if (id == kCmdStepBack) {
    ui.text = InGame(s) ? u"１手戻す(&B)" : u"１手戻す(&B)\t←";
  }
}

void RuleReplayStop(const CommandState& s, int, CommandUi& ui) { ui.enabled = s.replayRunning; }

// １手進める, 連続して進める, 最終局面へ.
void RuleForward(const CommandState& s, int id, CommandUi& ui) {
  ui.enabled = !s.replayRunning && !InPreview(s) && s.hasNextMove;
  if (id == kCmdStepForward) ui.text = InGame(s) ? u"１手進める(&F)" : u"１手進める(&F)\t→";
}

void RuleBackToBranch(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = !s.replayRunning && s.mainLineBranches && s.moveNumber > 0;
}

void RuleForwardToBranch(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = !s.replayRunning && s.mainLineBranches && s.hasNextMove;
}

void RuleJumpToMove(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = !InGame(s) && !InPreview(s) && s.lineHasNodes;
}

void RuleFlip(const CommandState& s, int, CommandUi& ui) { ui.checked = s.boardFlipped; }

void RuleEmphasize(const CommandState& s, int, CommandUi& ui) {
  ui.checked = s.emphasizeTurn;
  ui.enabled = !InPreview(s);
}

int MarkStyleOf(int id) {
  switch (id) {
    case kCmdMarkOverpaint: return 1;
    case kCmdMarkPieceColour: return 2;
    case kCmdMarkSquareColour: return 3;
    default: return 0;
  }
}

void RuleMarkStyle(const CommandState& s, int id, CommandUi& ui) {
  ui.checked = s.lastMoveMark == MarkStyleOf(id);
  // Overpainting only suits a plain board and a piece set made for it.
  if (id == kCmdMarkOverpaint) ui.enabled = s.boardKind >= 2 && s.pieceSetFlag == 0;
}

void RuleMarkOrigin(const CommandState& s, int, CommandUi& ui) { ui.checked = s.showMoveOrigin; }

void RuleBoardColour(const CommandState& s, int, CommandUi& ui) { ui.enabled = s.boardKind >= 2; }

void RuleStandColour(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = s.standKind >= 2 && !InPreview(s) && !s.pieceHeld;
}

void RuleLastFromColour(const CommandState& s, int, CommandUi& ui) { ui.enabled = s.showMoveOrigin; }

void RuleFont(const CommandState& s, int, CommandUi& ui) { ui.enabled = !InPreview(s) && !s.pieceHeld; }

void RuleNotInPreviewOnly(const CommandState& s, int, CommandUi& ui) { ui.enabled = !InPreview(s); }

void RuleMoveListWindow(const CommandState& s, int, CommandUi& ui) { ui.checked = s.moveListShown; }

void RuleMoveListForm(const CommandState& s, int id, CommandUi& ui) {
  ui.checked = id == kCmdMoveListBranches ? s.moveListStyle == 1 : s.moveListStyle != 1;
}

void RuleSioriNames(const CommandState& s, int, CommandUi& ui) {
  ui.checked = s.showSioriNames;
  ui.enabled = s.moveListStyle == 1;
}

void RuleBranchWnd(const CommandState& s, int id, CommandUi& ui) {
  ui.checked = id == kCmdBranchWndHidden  ? s.branchWndMode == 0
               : id == kCmdBranchWndShown ? s.branchWndMode == 1
                                          : s.branchWndMode >= 2;
}

void RuleCommentWnd(const CommandState& s, int id, CommandUi& ui) {
  ui.checked = id == kCmdCommentWndHidden  ? s.commentWndMode == 0
               : id == kCmdCommentWndShown ? s.commentWndMode == 2
                                           : s.commentWndMode > 2;
}

void RuleNewGame(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = !InGame(s) && !InPreview(s) && !s.replayRunning;
}

void RuleResume(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = s.appMode == kModeView && !s.replayRunning;
}

void RuleResign(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = InGame(s) && (s.appendMode != 0 || !s.hasFirstChild);
}

void RuleTakeBack(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = s.appMode == kModeGame && !s.replayRunning && s.moveNumber > 0;
}

void RuleInGame(const CommandState& s, int, CommandUi& ui) { ui.enabled = InGame(s); }

// 局面編集の開始 and its accelerator: editing during a replay would change the
// position under the replay loop.
void RulePositionEdit(const CommandState& s, int id, CommandUi& ui) {
  ui.enabled = !InGame(s) && !InPreview(s) && !s.replayRunning;
  if (id == kCmdPositionEdit)
    ui.text = InEditing(s) ? u"局面編集の終了(&E)\tCtrl+E" : u"局面編集の開始(&E)\tCtrl+E";
}

void RuleInEditing(const CommandState& s, int, CommandUi& ui) { ui.enabled = InEditing(s); }

void RuleRecordDbRegister(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = IsRecordNamed(s) && HasRealFileName(s);
}

void RuleProblemDb(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = !s.replayRunning && s.problemDbReadable;
}

void RuleTool(const CommandState& s, int id, CommandUi& ui) {
  int i = id - kCmdToolFirst;
  const std::u16string& args = s.toolArgs[i];
  bool usesFile = args.find(u"%K") != std::u16string::npos || args.find(u"%k") != std::u16string::npos;
  ui.enabled = !s.toolCommand[i].empty() && (IsRecordNamed(s) || !usesFile);
  ui.text = FormatU16(u"%s(&%d)\tCtrl+%d", s.toolMenu[i].c_str(), i + 1, i + 1);
}

void RuleImageNamed(const CommandState& s, int, CommandUi& ui) {
  if (!s.imageFileName.empty()) ui.text = FormatU16(u"画像を保存(%s)", s.imageFileName.c_str());
}

void RuleMapiMail(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = !s.recordFilePath.empty() && IsRecordNamed(s);
}

void RuleUserListFile(const CommandState& s, int id, CommandUi& ui) {
  int i = id - kCmdListFileUser1;
  ui.enabled = !s.userInfoName[i].empty();
  if (ui.enabled) ui.text = FormatU16(u"%s(&%d)", s.userInfoName[i].c_str(), i + 1);
}

// ---- Handlers -------------------------------------------------------------------------------

void OnEndMark(int id) { EnterEndMark(g_pView, id); }
void OnTool(int id) { RunToolMenu(id - kCmdToolFirst); }
void OnListFile(int id) { OpenListFileOfCommand(id); }
void OnMarkStyle(int id) { SetLastMoveMarkStyle(g_pView, MarkStyleOf(id)); }
void OnBranchWnd(int id) { SetBranchWindowMode(id - kCmdBranchWndHidden); }
void OnCommentWnd(int id) {
  SetCommentWindowMode(id == kCmdCommentWndHidden ? 0 : id == kCmdCommentWndShown ? 2 : 3);
}

constexpr const char16_t* kFile = u"ファイル(&F)";
constexpr const char16_t* kEdit = u"編集(&E)";
constexpr const char16_t* kCopyRecord = u"編集(&E)/棋譜のコピー(&K)";
constexpr const char16_t* kCopyPosition = u"編集(&E)/局面のコピー(&S)";
constexpr const char16_t* kView = u"表示(&V)";
constexpr const char16_t* kMarks = u"表示(&V)/最終駒の強調表示(&L)";
constexpr const char16_t* kColours = u"表示(&V)/色の設定(&C)";
constexpr const char16_t* kFonts = u"表示(&V)/フォントの設定(&O)";
constexpr const char16_t* kMoveList = u"表示(&V)/棋譜ウィンドウ(&K)";
constexpr const char16_t* kBranch = u"表示(&V)/分岐ウィンドウ(&W)";
constexpr const char16_t* kComment = u"表示(&V)/棋譜コメント(&M)";
constexpr const char16_t* kBars = u"表示(&V)/ツール バーとドッキング ウィンドウ(&T)";
constexpr const char16_t* kLook = u"表示(&V)/アプリケーションの外観(&A)";
constexpr const char16_t* kGame = u"対局(&G)";
constexpr const char16_t* kTool = u"ツール(&T)";
constexpr const char16_t* kListFiles = u"ツール(&T)/テキストファイルの編集(&E)";
constexpr const char16_t* kHelp = u"ヘルプ(&H)";

#define SEP(menu) {0, menu, nullptr, nullptr, nullptr, nullptr, 0, kBarNone, nullptr}
#define VIEW(call) [](int) { call; }

}  // namespace

// clang-format off
const CommandEntry g_CommandTable[] = {
  // id, menu, text, accelerator, handler, rule, flags, toolbar, icon
  // ---- ファイル
  {kCmdFileOpen, kFile, u"開く(&O)...", nullptr, VIEW(OpenFileWithDialog(g_pView)), RuleRecentFiles, 0, kBarStandard, "sp:open"},
  {kCmdOpenNextFile, kFile, u"次のファイルを開く(&D)", "PgDown", VIEW(OpenNextFile(g_pView)), RuleNextFile, 0, kBarNone, nullptr},
  {kCmdOpenPrevFile, kFile, u"前のファイルを開く(&U)", "PgUp", VIEW(OpenPrevFile(g_pView)), RuleNextFile, 0, kBarNone, nullptr},
  SEP(kFile),
  {kCmdFileSave, kFile, u"上書き保存(&S)", nullptr, VIEW(SaveCurrentRecord(g_pView)), RuleSave, 0, kBarStandard, "sp:save"},
  {kCmdFileSaveAs, kFile, u"名前を付けて保存(&A)...", nullptr, VIEW(SaveFileAs(g_pView)), RuleSave, 0, kBarNone, nullptr},
  {kCmdSaveAndFtp, kFile, u"上書き保存し、FTP転送(&F)", "Ctrl+Shift+S", VIEW(SaveAndUploadByFtp(g_pView)), RuleSaveAndFtp, 0, kBarNone, nullptr},
  SEP(kFile),
  {kCmdPrintPosition, kFile, u"局面の印刷(&P)...", "Ctrl+P", VIEW(PrintFromView(g_pView, 0)), RuleNotReplaying, 0, kBarNone, nullptr},
  {kCmdPrintRecord, kFile, u"棋譜の印刷(&K)...", nullptr, VIEW(PrintFromView(g_pView, 1)), nullptr, 0, kBarNone, nullptr},
  {kCmdPositionPreview, kFile, u"局面印刷プレビュー(&P)", "Ctrl+U", OnPrintPreview, RuleNotInPreview, 0, kBarNone, nullptr},
  {kCmdRecordPreview, kFile, u"棋譜印刷プレビュー(&K)", nullptr, OnPrintPreview, RuleNotInPreview, 0, kBarNone, nullptr},
  {kCmdPrintScoreSheet, kFile, u"棋譜用紙印刷(&Y)...", nullptr, VIEW(PrintScoreSheet(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdPrintScoreSheetDirect, nullptr, u"棋譜用紙印刷(&Y)...", nullptr, VIEW(PrintScoreSheet(g_pView, false)), nullptr, 0, kBarNone, nullptr},
  {kCmdPreviewScoreSheet, kFile, u"棋譜用紙印刷プレビュー(&V)", nullptr, VIEW(PreviewScoreSheet(g_pView)), RuleScoreSheetPreview, 0, kBarNone, nullptr},
  // The position preview of the view's context menu.
  {kCmdContextPositionPreview, nullptr, u"局面の印刷プレビュー(&P)", nullptr, OnPrintPreview, nullptr, 0, kBarNone, nullptr},
  SEP(kFile),
  {kCmdRecentFiles, kFile, u"最近使ったファイル(&F)", nullptr, nullptr, RuleRecentFiles, kCmdSubmenuList, kBarNone, nullptr},
  SEP(kFile),
  {kCmdAppExit, kFile, u"終了(&X)", nullptr, OnAppExit, nullptr, 0, kBarNone, nullptr},
  // ---- 編集
  {kCmdUndo, kEdit, u"元に戻す(&U)", "Ctrl+Z", VIEW(if (g_bUndoPending) UndoLastEdit()), RuleUndo, 0, kBarNone, nullptr},
  {kCmdRedo, kEdit, u"やり直し(&R)", nullptr, VIEW(RedoLastEdit()), RuleRedo, 0, kBarNone, nullptr},
  SEP(kEdit),
  {kCmdCopyZrf, kCopyRecord, u"時間付き（ZR&F形式）", "Alt+Z", VIEW(CopyZrfToClipboard(g_pView, false)), nullptr, 0, kBarNone, nullptr},
  {kCmdCopyZr2, kCopyRecord, u"時間無し（ZR&2形式）", nullptr, VIEW(CopyZr2ToClipboard(g_pView, 0)), nullptr, 0, kBarNone, nullptr},
  {kCmdCopyZr2Problem, kCopyRecord, u"詰将棋用(&T)", nullptr, VIEW(CopyZr2ToClipboard(g_pView, 1)), nullptr, 0, kBarNone, nullptr},
  {kCmdCopyZr2Line, kCopyRecord, u"現在の変化だけ(ZR2形式)(&I)", nullptr, VIEW(CopyZr2ToClipboard(g_pView, 3)), nullptr, 0, kBarNone, nullptr},
  {kCmdCopyZrfLine, kCopyRecord, u"現在の変化だけ(ZRF形式)(&H)", nullptr, VIEW(CopyZrfToClipboard(g_pView, true)), nullptr, 0, kBarNone, nullptr},
  {kCmdCopyEnglishRecord, kCopyRecord, u"英語表記(&E)", nullptr, VIEW(CopyEnglishRecordToClipboard(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdCopyVariationDiagram, kEdit, u"棋譜の変化図コピー(&Z)...", nullptr, VIEW(CopyVariationDiagram(g_pView)), RuleNotReplaying, 0, kBarNone, nullptr},
  {kCmdCopyPosition, kCopyPosition, u"通常(&U)", nullptr, VIEW(CopyPositionToClipboard(g_pView)), RuleNotReplaying, 0, kBarNone, nullptr},
  {kCmdCopyEnglishPosition, kCopyPosition, u"英語表記(&E)", nullptr, VIEW(CopyEnglishPositionToClipboard(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdCopySfen, kCopyPosition, u"SFEN形式局面(&S)", nullptr, VIEW(CopySfenToClipboard(g_pView)), RuleNotReplaying, 0, kBarNone, nullptr},
  {kCmdCopyMail1, kEdit, u"メールのコピー(&1)", nullptr, VIEW(CopyMail1ToClipboard(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdCopyMail2, kEdit, u"メールのコピー(&2)", nullptr, VIEW(CopyMail2ToClipboard(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdCopyBitmap, kEdit, u"ビットマップのコピー(&B)", nullptr, VIEW(CopyBitmapToClipboard(g_pView)), nullptr, 0, kBarNone, nullptr},
  SEP(kEdit),
  {kCmdPaste, kEdit, u"棋譜・局面の貼り付け(&P)", "Ctrl+V", VIEW(PasteFromClipboard(g_pView)), RulePaste, 0, kBarNone, nullptr},
  {kCmdMerge, kEdit, u"棋譜の合成(&A)", nullptr, VIEW(MergeRecordFromClipboard(g_pView)), RulePaste, 0, kBarNone, nullptr},
  SEP(kEdit),
  {kCmdGameInfo, kEdit, u"対局情報(&I)...", "Ctrl+I", VIEW(EditGameInfo(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdProblemInfo, kEdit, u"詰将棋情報(&M)...", "Ctrl+F5", VIEW(EditProblemInfo(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdEditComment, kEdit, u"コメントの編集(&*)...", "Ctrl+D", VIEW(EditMoveComment(g_pView, g_Record.moveNumber)), nullptr, 0, kBarNone, nullptr},
  {kCmdDeleteComments, kEdit, u"コメントの一括削除(&C)...", nullptr, VIEW(DeleteCommentsInBulk(g_pView)), RuleHasComment, 0, kBarNone, nullptr},
  {kCmdEditTime, kEdit, u"消費時間の編集(&L)...", "Ctrl+Shift+T", VIEW(EditConsumedTime(g_pView, g_Record.moveNumber)), RuleEditTime, 0, kBarNone, nullptr},
  {kCmdClearTimes, kEdit, u"すべての指し手の消費時間を０に(&0)", nullptr, VIEW(ClearAllConsumedTimes(g_pView)), RuleLineEdit, 0, kBarNone, nullptr},
  {kCmdDeleteAfter, kEdit, u"現局面以降の棋譜を削除(&G)", nullptr, VIEW(DeleteRecordAfterCurrent(g_pView)), RuleLineEdit, 0, kBarNone, nullptr},
  {kCmdAppendMode, kEdit, u"棋譜の分岐を作成する(&F)", nullptr, VIEW(ToggleAppendMode()), RuleAppendMode, kCmdCheckable, kBarNone, nullptr},
  SEP(kEdit),
  {kCmdRegisterSiori, kEdit, u"しおり登録(&R)...", nullptr, VIEW(RegisterSiori(g_pView)), RuleRegisterSiori, 0, kBarNone, nullptr},
  {kCmdJumpToSiori, kEdit, u"しおりへ移動(&J)...", nullptr, VIEW(JumpToSiori(g_pView)), RuleJumpToSiori, 0, kBarNone, nullptr},
  {kCmdEditSiori, kEdit, u"しおりの編集(&H)...", nullptr, VIEW(EditSiori(g_pView)), RuleHasBookmark, 0, kBarNone, nullptr},
  // ---- 表示
  {kCmdGotoStart, kView, u"開始局面へ(&T)", nullptr, VIEW(GotoStartPosition(g_pView)), RuleBackward, 0, kBarReplay, "sp:first"},
  {kCmdReplayBackward, kView, u"連続して戻す(&P)", nullptr, VIEW(AutoReplayBackward(g_pView, !IsReplayKeyHeld(kReplayKeyShift))), RuleBackward, 0, kBarReplay, "sp:rewind"},
  {kCmdStepBack, kView, u"１手戻す(&B)", nullptr, VIEW(StepBackward(g_pView)), RuleBackward, 0, kBarReplay, "sp:back"},
  {kCmdReplayStop, kView, u"再現停止(&S)", nullptr, VIEW(g_nReplayStop = 1), RuleReplayStop, 0, kBarReplay, "sp:stop"},
  {kCmdStepForward, kView, u"１手進める(&F)", nullptr, VIEW(StepForward(g_pView)), RuleForward, 0, kBarReplay, "sp:forward"},
  {kCmdReplayForward, kView, u"連続して進める(&N)", nullptr, VIEW(AutoReplayForward(g_pView, !IsReplayKeyHeld(kReplayKeyShift))), RuleForward, 0, kBarReplay, "sp:play"},
  {kCmdGotoEnd, kView, u"最終局面へ(&E)", nullptr, VIEW(GotoLineEnd(g_pView)), RuleForward, 0, kBarReplay, "sp:last"},
  SEP(kView),
  {kCmdBackToBranch, kView, u"前の分岐まで戻す(&M)", nullptr, VIEW(BackToBranch(g_pView)), RuleBackToBranch, 0, kBarNone, nullptr},
  {kCmdForwardToBranch, kView, u"次の分岐まで進める(&A)", nullptr, VIEW(ForwardToBranch(g_pView)), RuleForwardToBranch, 0, kBarNone, nullptr},
  {kCmdJumpToMove, kView, u"指定手数へ(&J)...", nullptr, VIEW(JumpToMoveNumber(g_pView)), RuleJumpToMove, 0, kBarNone, nullptr},
  SEP(kView),
  {kCmdFlipBoard, kView, u"盤面の回転(&T)", nullptr, VIEW(ToggleBoardFlip(g_pView)), RuleFlip, kCmdCheckable, kBarNone, nullptr},
  {kCmdEmphasizeTurn, kView, u"手番強調(&E)", nullptr, VIEW(ToggleTurnEmphasis(g_pView)), RuleEmphasize, kCmdCheckable, kBarNone, nullptr},
  {kCmdMarkNone, kMarks, u"強調表示しない(&N)", nullptr, OnMarkStyle, RuleMarkStyle, kCmdRadio, kBarNone, nullptr},
  {kCmdMarkOverpaint, kMarks, u"重ね塗り(&A)", nullptr, OnMarkStyle, RuleMarkStyle, kCmdRadio, kBarNone, nullptr},
  {kCmdMarkPieceColour, kMarks, u"駒の色を変える(&P)", nullptr, OnMarkStyle, RuleMarkStyle, kCmdRadio, kBarNone, nullptr},
  {kCmdMarkSquareColour, kMarks, u"枡目の色を変える(&M)", nullptr, OnMarkStyle, RuleMarkStyle, kCmdRadio, kBarNone, nullptr},
  SEP(kMarks),
  {kCmdMarkOrigin, kMarks, u"移動元の表示(&F)", nullptr, VIEW(ToggleMoveOrigin(g_pView)), RuleMarkOrigin, kCmdCheckable, kBarNone, nullptr},
  {kCmdBoardColour, kColours, u"盤面色(&B)...", nullptr, VIEW(ChooseBoardColor(g_pView)), RuleBoardColour, 0, kBarNone, nullptr},
  {kCmdStandColour, kColours, u"駒台色(&P)...", nullptr, VIEW(ChooseStandColor(g_pView)), RuleStandColour, 0, kBarNone, nullptr},
  {kCmdLastPieceColour, kColours, u"最終駒の色(&L)...", nullptr, VIEW(ChooseLastPieceColor(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdLastFromColour, kColours, u"最終駒の移動元の色(&F)...", nullptr, VIEW(ChooseLastFromColor(g_pView)), RuleLastFromColour, 0, kBarNone, nullptr},
  {kCmdLastMoveColour, kColours, u"棋譜最終手の色(&K)...", nullptr, VIEW(ChooseLastMoveColor(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdVariationColour, kColours, u"棋譜変化の色(&E)...", nullptr, VIEW(ChooseVariationColor(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdBackgroundColour, kColours, u"背景色(&H)...", nullptr, VIEW(ChooseBackgroundColor(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdInfoFont, kFonts, u"情報フォント(&I)...", nullptr, VIEW(ChooseInfoFont(g_pView)), RuleFont, 0, kBarNone, nullptr},
  {kCmdMoveListFont, kFonts, u"棋譜フォント(&K)...", nullptr, VIEW(ChooseDovuFont(g_pView)), RuleFont, 0, kBarNone, nullptr},
  {kCmdCoordFont, kFonts, u"座標フォント(&Z)...", nullptr, VIEW(ChooseCoordFont(g_pView)), RuleFont, 0, kBarNone, nullptr},
  {kCmdCommentFont, kFonts, u"コメントフォント(&C)...", nullptr, VIEW(ChooseCommentFont(g_pView)), RuleFont, 0, kBarNone, nullptr},
  {kCmdBoardPieceSettings, kView, u"盤・駒の設定(&P)...", nullptr, VIEW(EditBoardPieceSettings(g_pView)), RuleNotInPreviewOnly, 0, kBarNone, nullptr},
  SEP(kView),
  {kCmdMoveListWindow, kMoveList, u"表示(&V)", nullptr, VIEW(ToggleMoveListWindow()), RuleMoveListWindow, kCmdCheckable, kBarNone, nullptr},
  SEP(kMoveList),
  {kCmdMoveListTimes, kMoveList, u"消費時間を表示する(&S)", nullptr, VIEW(SetMoveListForm(0)), RuleMoveListForm, kCmdCheckable, kBarNone, nullptr},
  {kCmdMoveListBranches, kMoveList, u"分岐の指し手を表示する(&B)", nullptr, VIEW(SetMoveListForm(1)), RuleMoveListForm, kCmdCheckable, kBarNone, nullptr},
  {kCmdMoveListSioriNames, kMoveList, u"しおり名を表示する(&N)", nullptr, VIEW(ToggleSioriNames()), RuleSioriNames, kCmdCheckable, kBarNone, nullptr},
  {kCmdBranchWndHidden, kBranch, u"表示しない(&0)", nullptr, OnBranchWnd, RuleBranchWnd, kCmdRadio, kBarNone, nullptr},
  {kCmdBranchWndShown, kBranch, u"表示する(&1)", nullptr, OnBranchWnd, RuleBranchWnd, kCmdRadio, kBarNone, nullptr},
  {kCmdBranchWndAtBranches, kBranch, u"分岐があるとき表示する(&2)", nullptr, OnBranchWnd, RuleBranchWnd, kCmdRadio, kBarNone, nullptr},
  {kCmdCommentWndHidden, kComment, u"表示しない(&0)", nullptr, OnCommentWnd, RuleCommentWnd, kCmdRadio, kBarNone, nullptr},
  {kCmdCommentWndShown, kComment, u"表示する(&2)", nullptr, OnCommentWnd, RuleCommentWnd, kCmdRadio, kBarNone, nullptr},
  {kCmdCommentWndWithComment, kComment, u"コメントがあるとき表示する(&3)", nullptr, OnCommentWnd, RuleCommentWnd, kCmdRadio, kBarNone, nullptr},
  SEP(kView),
  {kCmdViewToolbar, kBars, u"標準(&S)", nullptr, OnViewBar, RuleBarShown, kCmdCheckable, kBarNone, nullptr},
  {kCmdViewReplayBar, kBars, u"再現(&R)", nullptr, OnViewBar, RuleBarShown, kCmdCheckable, kBarNone, nullptr},
  {kCmdViewStatusBar, kView, u"ステータス バー(&S)", nullptr, OnViewBar, RuleBarShown, kCmdCheckable, kBarNone, nullptr},
  {kCmdFullScreen, kView, u"全画面表示", nullptr, OnFullScreen, RuleFullScreen, kCmdCheckable, kBarNone, nullptr},
  {kCmdLookWin2000, kLook, u"Windows 2000(&2)", nullptr, OnAppLook, RuleAppLook, kCmdRadio, kBarNone, nullptr},
  {kCmdLookOfficeXp, kLook, u"Office XP(&X)", nullptr, OnAppLook, RuleAppLook, kCmdRadio, kBarNone, nullptr},
  {kCmdLookWinXp, kLook, u"Windows XP(&W)", nullptr, OnAppLook, RuleAppLook, kCmdRadio, kBarNone, nullptr},
  {kCmdLookOffice2003, kLook, u"Office 2003(&3)", nullptr, OnAppLook, RuleAppLook, kCmdRadio, kBarNone, nullptr},
  {kCmdLookVs2005, kLook, u"Visual Studio .NET 2005(&5)", nullptr, OnAppLook, RuleAppLook, kCmdRadio, kBarNone, nullptr},
  {kCmdLookOffice2007Blue, kLook, u"Office 2007 (青のスタイル)(&B)", nullptr, OnAppLook, RuleAppLook, kCmdRadio, kBarNone, nullptr},
  {kCmdLookOffice2007Black, kLook, u"Office 2007 (黒のスタイル)(&L)", nullptr, OnAppLook, RuleAppLook, kCmdRadio, kBarNone, nullptr},
  {kCmdLookOffice2007Silver, kLook, u"Office 2007 (シルバーのスタイル)(&S)", nullptr, OnAppLook, RuleAppLook, kCmdRadio, kBarNone, nullptr},
  {kCmdLookOffice2007Aqua, kLook, u"Office 2007 (水色のスタイル)(&A)", nullptr, OnAppLook, RuleAppLook, kCmdRadio, kBarNone, nullptr},
  // ---- 対局
  {kCmdNewGame, kGame, u"新規対局(&N)...", nullptr, VIEW(NewGameCommand(g_pView)), RuleNewGame, 0, kBarNone, nullptr},
  {kCmdContinueGame, kGame, u"継続対局(&C)", nullptr, VIEW(ContinueGame(g_pView)), RuleNewGame, 0, kBarNone, nullptr},
  {kCmdResumeGame, kGame, u"中断局面から再開(&S)", nullptr, VIEW(ResumeGameCommand(g_pView)), RuleResume, 0, kBarNone, nullptr},
  SEP(kGame),
  {kCmdPlayerNames, kGame, u"対局者名変更(&P)...", nullptr, VIEW(EditPlayerNames(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdJishogiPoints, kGame, u"持将棋の点数計算(&A)...", nullptr, VIEW(RunJishogiDialog(g_pView)), nullptr, 0, kBarNone, nullptr},
  SEP(kGame),
  {kCmdResign, kGame, u"投了(&G)", nullptr, OnEndMark, RuleResign, 0, kBarNone, nullptr},
  {kCmdSuspend, kGame, u"中断(&Q)", nullptr, OnEndMark, RuleInGame, 0, kBarNone, nullptr},
  {kCmdEndInput, kGame, u"入力終了(&E)", nullptr, OnEndMark, RuleInGame, 0, kBarNone, nullptr},
  {kCmdTakeBack, kGame, u"入力の取り消し(&R)", nullptr, VIEW(DoMove(g_pView, 0, 0x0202, 2)), RuleTakeBack, 0, kBarNone, nullptr},
  {kCmdEndImpasse, kGame, u"持将棋(&J)", nullptr, OnEndMark, RuleInGame, 0, kBarNone, nullptr},
  {kCmdEndTimeLoss, kGame, u"時間切れで負け(&I)", nullptr, OnEndMark, RuleInGame, 0, kBarNone, nullptr},
  {kCmdEndIllegalLoss, kGame, u"反則負け(&B)", nullptr, OnEndMark, RuleInGame, 0, kBarNone, nullptr},
  {kCmdEndIllegalWin, kGame, u"反則勝ち(&H)", nullptr, OnEndMark, RuleInGame, 0, kBarNone, nullptr},
  {kCmdEndRepetition, kGame, u"千日手(&I)", nullptr, OnEndMark, RuleInGame, 0, kBarNone, nullptr},
  {kCmdEndMate, kGame, u"詰み(&T)", nullptr, OnEndMark, RuleInGame, 0, kBarNone, nullptr},
  {kCmdEndNoMate, kGame, u"不詰(&F)", nullptr, OnEndMark, RuleInGame, 0, kBarNone, nullptr},
  {kCmdSuspendAndMail, kGame, u"中断し、メールを出力(&W)", "Ctrl+W", OnEndMark, RuleInGame, 0, kBarNone, nullptr},
  SEP(kGame),
  {kCmdPositionEdit, kGame, u"局面編集の開始(&E)", nullptr, VIEW(StartPositionEdit(g_pView)), RulePositionEdit, 0, kBarNone, nullptr},
  {kCmdPositionEditToggle, nullptr, u"局面編集の開始/終了(&E)", "Ctrl+E", VIEW(StartPositionEdit(g_pView)), RulePositionEdit, 0, kBarNone, nullptr},
  {kCmdEditEvenLayout, kGame, u"平手初期配置(&H)", nullptr, VIEW(EditSetEvenLayout(g_pView)), RuleInEditing, 0, kBarNone, nullptr},
  {kCmdEditTsumeLayout, kGame, u"詰将棋用配置(&M)", nullptr, VIEW(EditSetTsumeLayout(g_pView)), RuleInEditing, 0, kBarNone, nullptr},
  {kCmdEditAllToBox, kGame, u"全ての駒を駒箱へ(&K)", nullptr, VIEW(EditAllToBox(g_pView)), RuleInEditing, 0, kBarNone, nullptr},
  {kCmdEditBoxToGoteHand, kGame, u"駒箱の駒を後手の持駒に(&G)", nullptr, VIEW(EditBoxToGoteHand(g_pView)), RuleInEditing, 0, kBarNone, nullptr},
  {kCmdEditSwapSides, kGame, u"先後反転(&I)", nullptr, VIEW(EditSwapSides(g_pView)), RuleInEditing, 0, kBarNone, nullptr},
  {kCmdEditChangeTurn, kGame, u"手番変更(&T)", nullptr, VIEW(EditChangeTurn(g_pView)), RuleInEditing, 0, kBarNone, nullptr},
  // ---- ツール
  {kCmdSettings, kTool, u"各種設定(&S)...", "F2", VIEW(DoSettingsSheet(g_pView)), RuleNotReplaying, 0, kBarNone, nullptr},
  SEP(kTool),
  {kCmdLaunchRecordDb, kTool, u"棋譜データベースを起動(&K)", "F8", VIEW(LaunchRecordDb(g_pView)), RuleNotReplaying, 0, kBarNone, nullptr},
  {kCmdRecordDbSearch, kTool, u"棋譜データベースで局面検索(&F)", "F9", VIEW(RecordDbPositionSearch(g_pView)), RuleNotReplaying, 0, kBarNone, nullptr},
  {kCmdRecordDbRegister, kTool, u"棋譜データベースに登録(&R)", "F10", VIEW(RecordDbRegister(g_pView)), RuleRecordDbRegister, 0, kBarNone, nullptr},
  {kCmdLaunchProblemDb, kTool, u"詰将棋データベースを起動(&T)", "F12", VIEW(LaunchProblemDb(g_pView)), RuleProblemDb, 0, kBarNone, nullptr},
  SEP(kTool),
  {kCmdToolMenuSettings, kTool, u"ツールメニュー設定(&M)...", nullptr, VIEW(EditToolMenu()), nullptr, 0, kBarNone, nullptr},
  {kCmdToolFirst + 0, kTool, u"ツールメニュー１", "Ctrl+1", OnTool, RuleTool, 0, kBarNone, nullptr},
  {kCmdToolFirst + 1, kTool, u"ツールメニュー２", "Ctrl+2", OnTool, RuleTool, 0, kBarNone, nullptr},
  {kCmdToolFirst + 2, kTool, u"ツールメニュー３", "Ctrl+3", OnTool, RuleTool, 0, kBarNone, nullptr},
  {kCmdToolFirst + 3, kTool, u"ツールメニュー４", "Ctrl+4", OnTool, RuleTool, 0, kBarNone, nullptr},
  {kCmdToolFirst + 4, kTool, u"ツールメニュー５", "Ctrl+5", OnTool, RuleTool, 0, kBarNone, nullptr},
  SEP(kTool),
  {kCmdSaveImageAs, kTool, u"画像の保存(&G)...", nullptr, VIEW(SaveImageAs(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdSaveImageNamed, kTool, u"指定名で画像保存", nullptr, VIEW(SaveImageUnderTemplateName(g_pView)), RuleImageNamed, 0, kBarNone, nullptr},
  SEP(kTool),
  {kCmdInternetMail, kTool, u"インターネットメールの送信(&I)...", "Ctrl+Shift+M", VIEW(SendRecordByMail(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdMapiMail, kTool, u"棋譜ファイルをメールで送信(&T)...", nullptr, VIEW(SendRecordByMapiMail(g_pView)), RuleMapiMail, 0, kBarNone, nullptr},
  {kCmdWriteMal, kTool, u"メール(MAL)作成(&L)", nullptr, VIEW(WriteMailFile(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdWriteMa2, kTool, u"メール(MA2)作成(&B)", nullptr, VIEW(WriteMail2File(g_pView)), nullptr, 0, kBarNone, nullptr},
  {kCmdSaveMailAs, kTool, u"メール作成(&M)...", nullptr, VIEW(SaveMailFileAs(g_pView)), nullptr, 0, kBarNone, nullptr},
  SEP(kTool),
  {kCmdListFileFirst + 0, kListFiles, u"対局者(&P)", nullptr, OnListFile, nullptr, 0, kBarNone, nullptr},
  {kCmdListFileFirst + 1, kListFiles, u"棋戦(&K)", nullptr, OnListFile, nullptr, 0, kBarNone, nullptr},
  {kCmdListFileFirst + 2, kListFiles, u"戦型(&S)", nullptr, OnListFile, nullptr, 0, kBarNone, nullptr},
  {kCmdListFileFirst + 3, kListFiles, u"表題(&H)", nullptr, OnListFile, nullptr, 0, kBarNone, nullptr},
  {kCmdListFileFirst + 4, kListFiles, u"持ち時間(&M)", nullptr, OnListFile, nullptr, 0, kBarNone, nullptr},
  {kCmdListFileFirst + 5, kListFiles, u"場所(&B)", nullptr, OnListFile, nullptr, 0, kBarNone, nullptr},
  {kCmdListFileFirst + 6, kListFiles, u"掲載(&R)", nullptr, OnListFile, nullptr, 0, kBarNone, nullptr},
  SEP(kListFiles),
  {kCmdListFileUser1 + 0, kListFiles, u"ユーザ定義(&1)", nullptr, OnListFile, RuleUserListFile, 0, kBarNone, nullptr},
  {kCmdListFileUser1 + 1, kListFiles, u"ユーザ定義(&2)", nullptr, OnListFile, RuleUserListFile, 0, kBarNone, nullptr},
  {kCmdListFileUser1 + 2, kListFiles, u"ユーザ定義(&3)", nullptr, OnListFile, RuleUserListFile, 0, kBarNone, nullptr},
  {kCmdListFileUser1 + 3, kListFiles, u"ユーザ定義(&4)", nullptr, OnListFile, RuleUserListFile, 0, kBarNone, nullptr},
  {kCmdListFileUser1 + 4, kListFiles, u"ユーザ定義(&5)", nullptr, OnListFile, RuleUserListFile, 0, kBarNone, nullptr},
  // ---- ヘルプ
  {kCmdHelpFinder, kHelp, u"トピックの検索(&H)", "F1", OnHelpFinder, nullptr, 0, kBarNone, nullptr},
  {kCmdMakerWebPage, kHelp, u"Morivane のホームページ(&W)", nullptr, VIEW(OpenMakerWebPage()), nullptr, 0, kBarNone, nullptr},
  SEP(kHelp),
  {kCmdAppAbout, kHelp, u"バージョン情報 Narvo(&A)...", nullptr, OnAppAbout, nullptr, 0, kBarStandard, nullptr},
};
// clang-format on
#undef SEP
#undef VIEW
const size_t g_nCommandTableSize = sizeof(g_CommandTable) / sizeof(g_CommandTable[0]);

// The idle pass looks up every action's row: by id at once, the first row of
// an id as before.
const CommandEntry* FindCommand(int id) {
  static const std::unordered_map<int, const CommandEntry*> byId = [] {
    std::unordered_map<int, const CommandEntry*> m;
    for (size_t i = 0; i < g_nCommandTableSize; ++i)
      if (g_CommandTable[i].id != 0) m.emplace(g_CommandTable[i].id, &g_CommandTable[i]);
    return m;
  }();
  auto it = byId.find(id);
  return it == byId.end() ? nullptr : it->second;
}

CommandUi EvaluateCommand(const CommandEntry& entry, const CommandState& state) {
  CommandUi ui;
  if (entry.flags & (kCmdCheckable | kCmdRadio)) ui.checked = 0;
  if (entry.rule) entry.rule(state, entry.id, ui);
  return ui;
}

bool IsRecordNamed(const CommandState& s) {
  return !s.recordTitle.empty() && s.recordTitle != g_szUntitled;
}

int ClipboardTextProbe(const std::u16string* text) {
  if (text == nullptr) return 0;
  if (text->size() > 2 && text->compare(0, 3, u"QMX") == 0) return 0;
  return int((text->size() + 1) * sizeof(char16_t));
}

namespace {

// The clipboard is asked again only after it changed: its owner may be slow
// to answer, and the rules run whenever the program falls idle.
int CurrentClipboardProbe() {
  static int cached = -1;
  static bool watching = false;
  QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                              ? QGuiApplication::clipboard()
                              : nullptr;
  if (clipboard == nullptr) return 0;
  if (!watching) {
    watching = true;
    QObject::connect(clipboard, &QClipboard::dataChanged, [] { cached = -1; });
  }
  if (cached < 0) {
    const QMimeData* data = clipboard->mimeData();
    if (data != nullptr && data->hasText()) {
      std::u16string text = data->text().toStdU16String();
      cached = ClipboardTextProbe(&text);
    } else {
      cached = ClipboardTextProbe(nullptr);
    }
  }
  return cached;
}

// What the rules need of the whole record, found again only after the tree
// or a comment changed: the rules run whenever the program falls idle, and a
// record may hold a hundred thousand nodes.
struct RecordFacts {
  const RecordNode* pool = nullptr;
  uint32_t revision = 0;
  bool valid = false;
  bool mainLineBranches = false;
  bool hasComment = false;
};

const RecordFacts& CurrentRecordFacts() {
  static RecordFacts facts;
  if (!facts.valid || facts.pool != g_Record.pool || facts.revision != g_Record.revision) {
    facts.pool = g_Record.pool;
    facts.revision = g_Record.revision;
    facts.valid = true;
    facts.mainLineBranches = HasVariations(g_Record) != 0;
    facts.hasComment = g_Record.pool && SubtreeHasComment(g_Record.Root()) != 0;
  }
  return facts;
}

// Whether the mate-problem database's program can be read, asked of the file
// system only when its path changes or the program becomes active again (the
// file can only have come or gone through another program meanwhile).
bool ProblemDbReadable() {
  static std::u16string path;
  static bool readable = false;
  static bool asked = false;
  static Qt::ApplicationState lastState = Qt::ApplicationActive;
  Qt::ApplicationState state = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                   ? QGuiApplication::applicationState()
                                   : Qt::ApplicationActive;
  bool activated = state == Qt::ApplicationActive && lastState != Qt::ApplicationActive;
  lastState = state;
  if (!asked || activated || path != g_szProblemDbProgram) {
    asked = true;
    path = g_szProblemDbProgram;
    readable = !path.empty() && QFileInfo(QString::fromStdU16String(path)).isReadable();
  }
  return readable;
}

}  // namespace

CommandState CaptureCommandState() {
  CommandState s;
  s.appMode = g_AppMode;
  s.replayRunning = g_bReplayRunning != 0;
  if (TheApp()) s.appLook = TheApp()->m_nAppLook;
  s.fullScreen = g_bFullScreen != 0;
  if (g_pMainFrame) g_pMainFrame->CaptureBarState(s);

  s.pieceHeld = g_nDragState != 0;
  s.moveNumber = g_Record.moveNumber;
  s.appendMode = g_Record.appendMode;
  if (g_Record.pool != nullptr && g_Record.current != nullptr) {
    s.hasNextMove = HasNextMove(g_Record) != 0;
    s.hasFirstChild = g_Record.current->firstChild != nullptr;
    s.lineHasNodes = g_Record.current != g_Record.Root() || s.hasFirstChild;
    const RecordFacts& facts = CurrentRecordFacts();
    s.mainLineBranches = facts.mainLineBranches;
    s.recordHasComment = facts.hasComment;
    s.bookmarkCount = g_Record.bookmarkCount;
    if (const char16_t* name = GetBookmarkName(NodeIndex(g_Record, g_Record.current), g_Record))
      s.currentBookmark = name;
  }
  s.recordTitle = g_szRecordTitle;
  s.recordFileName = g_szRecordFileName;
  s.recordFilePath = g_szRecordFilePath;

  s.undoPending = g_bUndoPending != 0;
  s.redoAvailable = g_bRedoAvailable != 0;
  s.undoLabel = g_strUndoLabel;
  s.clipboardTextSize = CurrentClipboardProbe();

  s.boardFlipped = g_bBoardFlipped != 0;
  s.emphasizeTurn = g_bEmphasizeTurn != 0;
  s.lastMoveMark = g_nLastMoveMark;
  s.showMoveOrigin = g_bShowMoveOrigin != 0;
  s.boardKind = g_nBoardKind;
  s.standKind = g_nStandKind;
  s.pieceSetFlag = GetPieceSetFlag(g_nPieceSet);
  s.moveListShown = g_bShowMoveListWnd != 0;
  s.moveListStyle = g_nMoveListStyle;
  s.showSioriNames = g_bShowSioriNames != 0;
  s.branchWndMode = g_nBranchWndMode;
  s.commentWndMode = g_nCommentWndMode;
  for (int i = 0; i < kToolEntryCount; ++i) {
    s.toolMenu[i] = g_szToolMenu[i];
    s.toolCommand[i] = g_szToolCommand[i];
    s.toolArgs[i] = g_szToolArgs[i];
  }
  for (int i = 0; i < kUserInfoCount; ++i) s.userInfoName[i] = g_szUserInfoName[i];
  s.imageFileName = ExpandImageFileName();
  s.ftpReady = HasFtpSendDestination();
  s.problemDbReadable = ProblemDbReadable();
  return s;
}

void RuleNotInPreview(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = s.appMode != kModePreview;
}

void RuleRecentFiles(const CommandState& s, int, CommandUi& ui) {
  ui.enabled = s.appMode != kModeGame && s.appMode != kModeGamePiece &&
               s.appMode != kModePreview && !s.replayRunning;
}

void RuleAppLook(const CommandState& s, int id, CommandUi& ui) { ui.checked = s.appLook == id; }
