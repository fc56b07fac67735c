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
  kCmdPositionPreview = 32996,  // 局面印刷プレビュー
  kCmdRecordPreview = 32997,    // 棋譜印刷プレビュー
  kCmdFullScreen = 33013,
  kCmdRecentFiles = 57616,  // the popup holding the recent-file list
  kCmdAppAbout = 57664,
  kCmdAppExit = 57665,
  kCmdHelpFinder = 57667,
  kCmdViewToolbar = 59392,
  kCmdViewStatusBar = 59393,
  kCmdViewReplayBar = 59402,
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

// Rules shared by several rows.
void RuleNotInPreview(const CommandState& s, int id, CommandUi& ui);
void RuleRecentFiles(const CommandState& s, int id, CommandUi& ui);
void RuleAppLook(const CommandState& s, int id, CommandUi& ui);
