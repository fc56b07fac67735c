#include "app/command_table.h"

#include "app/main_frame.h"
#include "app/narvo_app.h"

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

constexpr const char16_t* kFile = u"ファイル(&F)";
[[maybe_unused]] constexpr const char16_t* kEdit = u"編集(&E)";
constexpr const char16_t* kView = u"表示(&V)";
constexpr const char16_t* kBars = u"表示(&V)/ツール バーとドッキング ウィンドウ(&T)";
constexpr const char16_t* kLook = u"表示(&V)/アプリケーションの外観(&A)";
[[maybe_unused]] constexpr const char16_t* kGame = u"対局(&G)";
[[maybe_unused]] constexpr const char16_t* kTool = u"ツール(&T)";
constexpr const char16_t* kHelp = u"ヘルプ(&H)";

}  // namespace

// clang-format off
const CommandEntry g_CommandTable[] = {
  // id, menu, text, accelerator, handler, rule, flags, toolbar, icon
  // ---- ファイル
  {kCmdPositionPreview, kFile, u"局面印刷プレビュー(&P)", "Ctrl+U", OnPrintPreview, RuleNotInPreview, 0, kBarNone, nullptr},
  {kCmdRecordPreview, kFile, u"棋譜印刷プレビュー(&K)", nullptr, OnPrintPreview, RuleNotInPreview, 0, kBarNone, nullptr},
  {0, kFile, nullptr, nullptr, nullptr, nullptr, 0, kBarNone, nullptr},
  {kCmdRecentFiles, kFile, u"最近使ったファイル(&F)", nullptr, nullptr, RuleRecentFiles, kCmdSubmenuList, kBarNone, nullptr},
  {0, kFile, nullptr, nullptr, nullptr, nullptr, 0, kBarNone, nullptr},
  {kCmdAppExit, kFile, u"終了(&X)", nullptr, OnAppExit, nullptr, 0, kBarNone, nullptr},
  // ---- 編集
  // ---- 表示
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
  // ---- ツール
  // ---- ヘルプ
  {kCmdHelpFinder, kHelp, u"トピックの検索(&H)", "F1", OnHelpFinder, nullptr, 0, kBarNone, nullptr},
  {0, kHelp, nullptr, nullptr, nullptr, nullptr, 0, kBarNone, nullptr},
  {kCmdAppAbout, kHelp, u"バージョン情報 Narvo(&A)...", nullptr, OnAppAbout, nullptr, 0, kBarStandard, nullptr},
};
// clang-format on
const size_t g_nCommandTableSize = sizeof(g_CommandTable) / sizeof(g_CommandTable[0]);

const CommandEntry* FindCommand(int id) {
  for (size_t i = 0; i < g_nCommandTableSize; ++i)
    if (g_CommandTable[i].id == id && id != 0) return &g_CommandTable[i];
  return nullptr;
}

CommandUi EvaluateCommand(const CommandEntry& entry, const CommandState& state) {
  CommandUi ui;
  if (entry.flags & (kCmdCheckable | kCmdRadio)) ui.checked = 0;
  if (entry.rule) entry.rule(state, entry.id, ui);
  return ui;
}

CommandState CaptureCommandState() {
  CommandState s;
  s.appMode = g_AppMode;
  s.replayRunning = g_bReplayRunning != 0;
  if (TheApp()) s.appLook = TheApp()->m_nAppLook;
  s.fullScreen = g_bFullScreen != 0;
  if (g_pMainFrame) g_pMainFrame->CaptureBarState(s);
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
