// The program's commands as one table: the menu bar, the accelerators and the
// two toolbars are built from it, and each command's state (enabled, checked,
// dynamic text) comes from a rule that is a pure function of a snapshot of the
// program state, so the rules can be checked without a window.
//
// Rows are in menu order. A row with id 0 is a separator in its menu.
#pragma once
#include <cstddef>
#include <string>

// Command ids (the classic numbers, so the tables of every module agree).
enum CommandId {
  kCmdNone = 0,
  // Visual styles アプリケーションの外観 210..218.
  kCmdLookFirst = 210,
  kCmdLookWin2000 = 210,
  kCmdLookOfficeXp = 211,
  kCmdLookWinXp = 212,
  kCmdLookOffice2003 = 213,
  kCmdLookVs2005 = 214,
  kCmdLookOffice2007Blue = 215,
  kCmdLookOffice2007Black = 216,
  kCmdLookOffice2007Silver = 217,
  kCmdLookOffice2007Aqua = 218,
  kCmdLookLast = 218,
  // ファイル
  kCmdFileOpen = 32885,
  kCmdOpenNextFile = 32889,
  kCmdOpenPrevFile = 32890,
  kCmdFileSave = 32888,
  kCmdFileSaveAs = 32887,
  kCmdSaveAndFtp = 32898,
  kCmdPrintPosition = 33002,
  kCmdPrintRecord = 33003,
  kCmdPrintScoreSheet = 57607,
  kCmdPrintScoreSheetDirect = 57608,
  kCmdPreviewScoreSheet = 57609,
  kCmdContextPositionPreview = 32902,
  kCmdPositionPreview = 32996,  // 局面印刷プレビュー
  kCmdRecordPreview = 32997,    // 棋譜印刷プレビュー
  kCmdRecentFiles = 57616,      // the popup holding the recent-file list
  kCmdAppExit = 57665,
  // 編集
  kCmdUndo = 57643,
  kCmdRedo = 57644,
  kCmdCopyZrf = 32844,
  kCmdCopyZr2 = 32845,
  kCmdCopyZr2Problem = 32966,
  kCmdCopyZr2Line = 32847,
  kCmdCopyZrfLine = 32846,
  kCmdCopyEnglishRecord = 32848,
  kCmdCopyVariationDiagram = 32857,
  kCmdCopyPosition = 32849,
  kCmdCopyEnglishPosition = 32851,
  kCmdCopySfen = 33029,
  kCmdCopyMail1 = 32852,
  kCmdCopyMail2 = 32853,
  kCmdCopyBitmap = 32854,
  kCmdPaste = 32855,
  kCmdMerge = 32856,
  kCmdGameInfo = 32858,
  kCmdProblemInfo = 32859,
  kCmdEditComment = 32860,
  kCmdDeleteComments = 32861,
  kCmdEditTime = 32862,
  kCmdClearTimes = 32863,
  kCmdDeleteAfter = 32864,
  kCmdAppendMode = 32865,
  kCmdRegisterSiori = 32866,
  kCmdJumpToSiori = 32867,
  kCmdEditSiori = 32868,
  // 表示: navigation and replay
  kCmdGotoStart = 32773,
  kCmdReplayBackward = 32774,
  kCmdStepBack = 32775,
  kCmdReplayStop = 32776,
  kCmdStepForward = 32777,
  kCmdReplayForward = 32778,
  kCmdGotoEnd = 32779,
  kCmdBackToBranch = 32780,
  kCmdForwardToBranch = 32781,
  kCmdJumpToMove = 32782,
  // 表示: board
  kCmdFlipBoard = 32820,
  kCmdEmphasizeTurn = 32991,
  kCmdMarkNone = 32992,
  kCmdMarkOverpaint = 32993,
  kCmdMarkPieceColour = 32994,
  kCmdMarkSquareColour = 33023,
  kCmdMarkOrigin = 33025,
  kCmdBoardColour = 32821,
  kCmdStandColour = 32822,
  kCmdLastPieceColour = 32823,
  kCmdLastFromColour = 33026,
  kCmdLastMoveColour = 32824,
  kCmdVariationColour = 32825,
  kCmdBackgroundColour = 32826,
  kCmdInfoFont = 32827,
  kCmdMoveListFont = 32829,
  kCmdCoordFont = 32830,
  kCmdCommentFont = 32831,
  kCmdBoardPieceSettings = 32832,
  // 表示: companion windows
  kCmdMoveListWindow = 32833,
  kCmdMoveListTimes = 32834,
  kCmdMoveListBranches = 32835,
  kCmdMoveListSioriNames = 33010,
  kCmdBranchWndHidden = 32836,
  kCmdBranchWndShown = 32837,
  kCmdBranchWndAtBranches = 32838,
  kCmdCommentWndHidden = 32839,
  kCmdCommentWndShown = 32841,
  kCmdCommentWndWithComment = 32842,
  // 表示: frame
  kCmdFullScreen = 33013,
  kCmdViewToolbar = 59392,
  kCmdViewStatusBar = 59393,
  kCmdViewReplayBar = 59402,
  // 対局
  kCmdNewGame = 32783,
  kCmdContinueGame = 32784,
  kCmdResumeGame = 32785,
  kCmdPlayerNames = 32786,
  kCmdJishogiPoints = 33012,
  kCmdResign = 32788,
  kCmdSuspend = 32789,
  kCmdEndInput = 32790,
  kCmdTakeBack = 32791,
  kCmdEndImpasse = 32792,
  kCmdEndTimeLoss = 32793,
  kCmdEndIllegalLoss = 32794,
  kCmdEndIllegalWin = 32795,
  kCmdEndRepetition = 32796,
  kCmdEndMate = 32797,
  kCmdEndNoMate = 32798,
  kCmdSuspendAndMail = 32799,
  kCmdPositionEdit = 32800,
  kCmdPositionEditToggle = 32896,  // Ctrl+E
  kCmdEditEvenLayout = 32801,
  kCmdEditTsumeLayout = 32802,
  kCmdEditAllToBox = 32803,
  kCmdEditBoxToGoteHand = 32804,
  kCmdEditSwapSides = 32805,
  kCmdEditChangeTurn = 32806,
  // ツール
  kCmdSettings = 32807,
  kCmdLaunchRecordDb = 32808,
  kCmdRecordDbSearch = 32809,
  kCmdRecordDbRegister = 32810,
  kCmdLaunchProblemDb = 32811,
  kCmdToolMenuSettings = 32812,
  kCmdToolFirst = 32813,  // ツールメニュー１ .. ５: 32813 .. 32817
  kCmdToolLast = 32817,
  kCmdSaveImageAs = 32891,
  kCmdSaveImageNamed = 32903,
  kCmdInternetMail = 32897,
  kCmdMapiMail = 33004,
  kCmdWriteMal = 32892,
  kCmdWriteMa2 = 32893,
  kCmdSaveMailAs = 32894,
  kCmdListFileFirst = 32869,  // テキストファイルの編集: 32869 .. 32880
  kCmdListFileUser1 = 32876,
  kCmdListFileLast = 32880,
  // ヘルプ
  kCmdMakerWebPage = 33005,
  kCmdAppAbout = 57664,
  kCmdHelpFinder = 57667,
};

// What the rules look at. CaptureCommandState fills it from the globals;
// modules add the fields their rules need.
struct CommandState {
  int appMode = 4;
  bool replayRunning = false;
  int appLook = 214;
  bool fullScreen = false;
  bool toolbarShown = true;
  bool replayBarShown = true;
  bool statusBarShown = true;

  // The view and the record.
  bool pieceHeld = false;         // g_nDragState is not 0
  int moveNumber = 0;
  bool lineHasNodes = false;      // the current line has a node after the root
  bool hasNextMove = false;       // a next real move (HasNextMove)
  bool hasFirstChild = false;     // the current node has a next node of any kind
  bool mainLineBranches = false;  // a node of the main line has an alternative
  bool recordHasComment = false;
  int bookmarkCount = 0;
  std::u16string currentBookmark;  // the current node's bookmark, empty for none
  int appendMode = 1;

  // The current file.
  std::u16string recordTitle;
  std::u16string recordFileName;
  std::u16string recordFilePath;

  // Undo snapshots.
  bool undoPending = false;
  bool redoAvailable = false;
  std::u16string undoLabel;

  // What the clipboard's text probe gives: the text's size in bytes with its
  // terminating zero; 0 for no text or a "QMX" text.
  int clipboardTextSize = 0;

  // Settings and what they lead to.
  bool boardFlipped = false;
  bool emphasizeTurn = true;
  int lastMoveMark = 2;
  bool showMoveOrigin = true;
  int boardKind = 0;
  int standKind = 1;
  int pieceSetFlag = 2;  // of the piece set in use
  bool moveListShown = true;
  int moveListStyle = 0;
  bool showSioriNames = true;
  int branchWndMode = 2;
  int commentWndMode = 3;
  std::u16string toolMenu[5];
  std::u16string toolCommand[5];
  std::u16string toolArgs[5];
  std::u16string userInfoName[5];
  std::u16string imageFileName;    // the image file name its template gives now
  bool ftpReady = false;           // a destination is marked for sending
  bool problemDbReadable = false;  // the mate-problem database's program file
};

// A rule's verdict for one command.
struct CommandUi {
  bool enabled = true;
  int checked = -1;     // -1 no check mark, else 0 or 1
  std::u16string text;  // empty: the row's own text
};

using CommandRule = void (*)(const CommandState& state, int id, CommandUi& ui);
using CommandHandler = void (*)(int id);

enum CommandFlags {
  kCmdCheckable = 1,      // shows a check mark
  kCmdRadio = 2,          // one of a group of exclusive choices in its menu
  kCmdSubmenuList = 4,    // the row is a submenu that its owner fills (the recent files)
  kCmdToolbarGap = 8,     // a separator before the button
};

enum CommandToolbar { kBarNone = 0, kBarStandard = 1, kBarReplay = 2 };

struct CommandEntry {
  int id;
  const char16_t* menuPath;  // "表示(&V)/アプリケーションの外観(&A)"; nullptr: in no menu
  const char16_t* text;      // menu text (without the accelerator)
  const char* shortcut;      // key sequence in portable text ("Ctrl+U"), nullptr: none
  CommandHandler handler;    // nullptr: shown but not yet connected
  CommandRule rule;          // nullptr: always enabled
  int flags;
  int toolbar;               // CommandToolbar
  const char* icon;          // resource path of the toolbar image, nullptr: the text
};

extern const CommandEntry g_CommandTable[];
extern const size_t g_nCommandTableSize;

const CommandEntry* FindCommand(int id);
// Applies the row's rule (or the always-enabled default).
CommandUi EvaluateCommand(const CommandEntry& entry, const CommandState& state);
// The state of the running program.
CommandState CaptureCommandState();

// The record counts as named when its title is neither empty nor "新規棋譜".
bool IsRecordNamed(const CommandState& s);

// What the clipboard's text probe answers for a text (nullptr: the clipboard
// holds none): its size in bytes with the terminating zero, or 0 for a text of
// more than two characters that begins with "QMX" (not a record).
int ClipboardTextProbe(const std::u16string* text);

// Rules shared by several rows.
void RuleNotInPreview(const CommandState& s, int id, CommandUi& ui);
void RuleRecentFiles(const CommandState& s, int id, CommandUi& ui);
void RuleAppLook(const CommandState& s, int id, CommandUi& ui);
