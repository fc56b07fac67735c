// The command table: the enable rule of every command over the states that
// decide them, the check marks and texts the rules give, the menus and
// accelerators built from the table, and the commands the view does itself
// (deleting the rest of the record, clearing every time, the name-list files).
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/command_table.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/board.h"
#include "record/record.h"
#include "record/rules.h"
#include "record/text.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/record_building.h"
#include "tests/support/recording_ui.h"
#include "view/view_commands.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// A viewing state in which every command can be enabled: a named record at
// move 2 of 4, with variations, comments, a bookmark, an undo point and text
// on the clipboard; tool 1 takes the record's file, tool 2 does not, the
// others have no program; user item 1 has a name.
CommandState RichState() {
  CommandState s;
  s.appMode = kModeView;
  s.recordTitle = u"a";
  s.recordFileName = u"a.zrf";
  s.recordFilePath = u"/r/a.zrf";
  s.moveNumber = 2;
  s.lineHasNodes = true;
  s.hasNextMove = true;
  s.hasFirstChild = true;
  s.mainLineBranches = true;
  s.recordHasComment = true;
  s.bookmarkCount = 1;
  s.undoPending = true;
  s.redoAvailable = true;
  s.undoLabel = u"分岐の削除";
  s.clipboardTextSize = 100;
  s.toolMenu[0] = u"エディタ";
  s.toolCommand[0] = u"/usr/bin/ed";
  s.toolArgs[0] = u"\"%K\"";
  s.toolMenu[1] = u"電卓";
  s.toolCommand[1] = u"/usr/bin/bc";
  s.userInfoName[0] = u"相手アドレス";
  s.ftpReady = true;
  s.problemDbReadable = true;
  return s;
}

using StateEdit = std::function<void(CommandState&)>;

// The columns of the table below, each a change of the rich state.
const std::vector<StateEdit>& Columns() {
  static const std::vector<StateEdit> columns = {
      [](CommandState&) {},                                   //  0 viewing
      [](CommandState& s) { s.appMode = kModeGame; },         //  1 game
      [](CommandState& s) { s.appMode = kModeGamePiece; },    //  2 game, piece held
      [](CommandState& s) { s.appMode = kModeEdit; },         //  3 editing
      [](CommandState& s) { s.appMode = kModeEditPiece; },    //  4 editing, piece held
      [](CommandState& s) { s.appMode = kModePreview; },      //  5 print preview
      [](CommandState& s) { s.replayRunning = true; },        //  6 continuous replay
      [](CommandState& s) { s.pieceHeld = true; },            //  7 a piece held
      [](CommandState& s) {                                   //  8 unnamed record
        s.recordTitle = s.recordFileName = u"新規棋譜";
        s.recordFilePath.clear();
      },
      [](CommandState& s) { s.moveNumber = 0; },              //  9 at the start
      [](CommandState& s) { s.hasNextMove = s.hasFirstChild = false; },  // 10 line end
      [](CommandState& s) {                                   // 11 empty record
        s.moveNumber = s.bookmarkCount = 0;
        s.lineHasNodes = false;
        s.hasNextMove = s.hasFirstChild = s.mainLineBranches = s.recordHasComment = false;
      },
      [](CommandState& s) { s.undoPending = s.redoAvailable = false; },  // 12 no undo
      [](CommandState& s) { s.clipboardTextSize = 4; },      // 13 one character
      [](CommandState& s) {                                   // 14 plain board and stands
        s.boardKind = s.standKind = 2;
        s.pieceSetFlag = 0;
      },
      [](CommandState& s) {                                   // 15 other settings
        s.showMoveOrigin = false;
        s.moveListStyle = 1;
        s.ftpReady = s.problemDbReadable = false;
      },
      [](CommandState& s) {                                   // 16 file without extension
        s.recordFileName = u"a";
        s.recordFilePath = u"/r/a";
      },
      [](CommandState& s) {                                   // 17 game without variations
        s.appMode = kModeGame;
        s.appendMode = 0;
      },
      [](CommandState& s) {                                   // 18 the same at the line end
        s.appMode = kModeGame;
        s.appendMode = 0;
        s.hasNextMove = s.hasFirstChild = false;
      },
  };
  return columns;
}

constexpr const char* kAll = "xxxxxxxxxxxxxxxxxxx";
constexpr const char* kNone = "...................";
constexpr const char* kNoGameNoPreviewNoReplay = "x..xx..xxxxxxxxxx..";
constexpr const char* kNotReplaying = "xxxxxx.xxxxxxxxxxxx";
constexpr const char* kNotPreview = "xxxxx.xxxxxxxxxxxxx";
constexpr const char* kNotPreviewNoReplay = "xxxxx..xxxxxxxxxxxx";
constexpr const char* kBackward = "xxxxx..xx.x.xxxxxxx";
constexpr const char* kForward = "xxxxx..xxx..xxxxxx.";
constexpr const char* kInGame = ".xx..............xx";
constexpr const char* kInEditing = "...xx..............";
constexpr const char* kPlainBoardOnly = "..............x....";

// Enabled ('x') or not ('.') in each column.
const std::map<int, const char*>& Expected() {
  static const std::map<int, const char*> table = {
      //                              0123456789012345678
      {kCmdFileOpen,                 kNoGameNoPreviewNoReplay},
      {kCmdOpenNextFile,             "x.....xx.xxxxxxx..."},
      {kCmdOpenPrevFile,             "x.....xx.xxxxxxx..."},
      {kCmdFileSave,                 kNotPreviewNoReplay},
      {kCmdFileSaveAs,               kNotPreviewNoReplay},
      {kCmdSaveAndFtp,               "xxxxx..xxxxxxxx.xxx"},
      {kCmdPrintPosition,            kNotReplaying},
      {kCmdPrintRecord,              kAll},
      {kCmdPositionPreview,          kNotPreview},
      {kCmdRecordPreview,            kNotPreview},
      {kCmdPrintScoreSheet,          kAll},
      {kCmdPrintScoreSheetDirect,    kAll},
      {kCmdPreviewScoreSheet,        "xx.x..xxxxxxxxxxxxx"},
      {kCmdContextPositionPreview,   kAll},
      {kCmdRecentFiles,              kNoGameNoPreviewNoReplay},
      {kCmdAppExit,                  kAll},
      {kCmdUndo,                     "xxxxxxxxxxxx.xxxxxx"},
      {kCmdRedo,                     "xxxxxxxxxxxx.xxxxxx"},
      {kCmdCopyZrf,                  kAll},
      {kCmdCopyZr2,                  kAll},
      {kCmdCopyZr2Problem,           kAll},
      {kCmdCopyZr2Line,              kAll},
      {kCmdCopyZrfLine,              kAll},
      {kCmdCopyEnglishRecord,        kAll},
      {kCmdCopyVariationDiagram,     kNotReplaying},
      {kCmdCopyPosition,             kNotReplaying},
      {kCmdCopyEnglishPosition,      kAll},
      {kCmdCopySfen,                 kNotReplaying},
      {kCmdCopyMail1,                kAll},
      {kCmdCopyMail2,                kAll},
      {kCmdCopyBitmap,               kAll},
      {kCmdPaste,                    "x..xx..xxxxxx.xxx.."},
      {kCmdMerge,                    "x..xx..xxxxxx.xxx.."},
      {kCmdGameInfo,                 kAll},
      {kCmdProblemInfo,              kAll},
      {kCmdEditComment,              kAll},
      {kCmdDeleteComments,           "xxxxxxxxxxx.xxxxxxx"},
      {kCmdEditTime,                 "xxxxxx..x.x.xxxxxxx"},
      {kCmdClearTimes,               "xxxxxx..xxx.xxxxxxx"},
      {kCmdDeleteAfter,              "xxxxxx..xxx.xxxxxxx"},
      {kCmdAppendMode,               kAll},
      {kCmdRegisterSiori,            kAll},
      {kCmdJumpToSiori,              "x.xxxxxxxxx.xxxxx.."},
      {kCmdEditSiori,                "xxxxxxxxxxx.xxxxxxx"},
      {kCmdGotoStart,                kBackward},
      {kCmdReplayBackward,           kBackward},
      {kCmdStepBack,                 kBackward},
      {kCmdReplayStop,               "......x............"},
      {kCmdStepForward,              kForward},
      {kCmdReplayForward,            kForward},
      {kCmdGotoEnd,                  kForward},
      {kCmdBackToBranch,             "xxxxxx.xx.x.xxxxxxx"},
      {kCmdForwardToBranch,          "xxxxxx.xxx..xxxxxx."},
      {kCmdJumpToMove,               "x..xx.xxxxx.xxxxx.."},
      {kCmdFlipBoard,                kAll},
      {kCmdEmphasizeTurn,            kNotPreview},
      {kCmdMarkNone,                 kAll},
      {kCmdMarkOverpaint,            kPlainBoardOnly},
      {kCmdMarkPieceColour,          kAll},
      {kCmdMarkSquareColour,         kAll},
      {kCmdMarkOrigin,               kAll},
      {kCmdBoardColour,              kPlainBoardOnly},
      {kCmdStandColour,              kPlainBoardOnly},
      {kCmdLastPieceColour,          kAll},
      {kCmdLastFromColour,           "xxxxxxxxxxxxxxx.xxx"},
      {kCmdLastMoveColour,           kAll},
      {kCmdVariationColour,          kAll},
      {kCmdBackgroundColour,         kAll},
      {kCmdInfoFont,                 "xxxxx.x.xxxxxxxxxxx"},
      {kCmdMoveListFont,             "xxxxx.x.xxxxxxxxxxx"},
      {kCmdCoordFont,                "xxxxx.x.xxxxxxxxxxx"},
      {kCmdCommentFont,              "xxxxx.x.xxxxxxxxxxx"},
      {kCmdBoardPieceSettings,       kNotPreview},
      {kCmdMoveListWindow,           kAll},
      {kCmdMoveListTimes,            kAll},
      {kCmdMoveListBranches,         kAll},
      {kCmdMoveListSioriNames,       "...............x..."},
      {kCmdBranchWndHidden,          kAll},
      {kCmdBranchWndShown,           kAll},
      {kCmdBranchWndAtBranches,      kAll},
      {kCmdCommentWndHidden,         kAll},
      {kCmdCommentWndShown,          kAll},
      {kCmdCommentWndWithComment,    kAll},
      {kCmdViewToolbar,              kAll},
      {kCmdViewReplayBar,            kAll},
      {kCmdViewStatusBar,            kAll},
      {kCmdFullScreen,               kAll},
      {kCmdLookWin2000,              kAll},
      {kCmdLookOfficeXp,             kAll},
      {kCmdLookWinXp,                kAll},
      {kCmdLookOffice2003,           kAll},
      {kCmdLookVs2005,               kAll},
      {kCmdLookOffice2007Blue,       kAll},
      {kCmdLookOffice2007Black,      kAll},
      {kCmdLookOffice2007Silver,     kAll},
      {kCmdLookOffice2007Aqua,       kAll},
      {kCmdNewGame,                  kNoGameNoPreviewNoReplay},
      {kCmdContinueGame,             kNoGameNoPreviewNoReplay},
      {kCmdResumeGame,               "x......xxxxxxxxxx.."},
      {kCmdPlayerNames,              kAll},
      {kCmdJishogiPoints,            kAll},
      {kCmdResign,                   ".xx...............x"},
      {kCmdSuspend,                  kInGame},
      {kCmdEndInput,                 kInGame},
      {kCmdTakeBack,                 ".x...............xx"},
      {kCmdEndImpasse,               kInGame},
      {kCmdEndTimeLoss,              kInGame},
      {kCmdEndIllegalLoss,           kInGame},
      {kCmdEndIllegalWin,            kInGame},
      {kCmdEndRepetition,            kInGame},
      {kCmdEndMate,                  kInGame},
      {kCmdEndNoMate,                kInGame},
      {kCmdSuspendAndMail,           kInGame},
      {kCmdPositionEdit,             kNoGameNoPreviewNoReplay},
      {kCmdPositionEditToggle,       kNoGameNoPreviewNoReplay},
      {kCmdEditEvenLayout,           kInEditing},
      {kCmdEditTsumeLayout,          kInEditing},
      {kCmdEditAllToBox,             kInEditing},
      {kCmdEditBoxToGoteHand,        kInEditing},
      {kCmdEditSwapSides,            kInEditing},
      {kCmdEditChangeTurn,           kInEditing},
      {kCmdSettings,                 kNotReplaying},
      {kCmdLaunchRecordDb,           kNotReplaying},
      {kCmdRecordDbSearch,           kNotReplaying},
      {kCmdRecordDbRegister,         "xxxxxxxx.xxxxxxxxxx"},
      {kCmdLaunchProblemDb,          "xxxxxx.xxxxxxxx.xxx"},
      {kCmdToolMenuSettings,         kAll},
      {kCmdToolFirst + 0,            "xxxxxxxx.xxxxxxxxxx"},
      {kCmdToolFirst + 1,            kAll},
      {kCmdToolFirst + 2,            kNone},
      {kCmdToolFirst + 3,            kNone},
      {kCmdToolFirst + 4,            kNone},
      {kCmdSaveImageAs,              kAll},
      {kCmdSaveImageNamed,           kAll},
      {kCmdInternetMail,             kAll},
      {kCmdMapiMail,                 "xxxxxxxx.xxxxxxxxxx"},
      {kCmdWriteMal,                 kAll},
      {kCmdWriteMa2,                 kAll},
      {kCmdSaveMailAs,               kAll},
      {kCmdListFileFirst + 0,        kAll},
      {kCmdListFileFirst + 1,        kAll},
      {kCmdListFileFirst + 2,        kAll},
      {kCmdListFileFirst + 3,        kAll},
      {kCmdListFileFirst + 4,        kAll},
      {kCmdListFileFirst + 5,        kAll},
      {kCmdListFileFirst + 6,        kAll},
      {kCmdListFileUser1 + 0,        kAll},
      {kCmdListFileUser1 + 1,        kNone},
      {kCmdListFileUser1 + 2,        kNone},
      {kCmdListFileUser1 + 3,        kNone},
      {kCmdListFileUser1 + 4,        kNone},
      {kCmdHelpFinder,               kAll},
      {kCmdMakerWebPage,             kAll},
      {kCmdAppAbout,                 kAll},
  };
  return table;
}

TEST(CommandRules, EveryCommandIsEnabledExactlyWhereItsRuleSays) {
  const auto& expected = Expected();
  const auto& columns = Columns();
  for (size_t i = 0; i < g_nCommandTableSize; ++i) {
    const CommandEntry& e = g_CommandTable[i];
    if (e.id == 0) continue;
    auto it = expected.find(e.id);
    ASSERT_NE(it, expected.end()) << "no expectation for command " << e.id;
    ASSERT_EQ(std::string(it->second).size(), columns.size()) << e.id;
    for (size_t c = 0; c < columns.size(); ++c) {
      CommandState s = RichState();
      columns[c](s);
      EXPECT_EQ(EvaluateCommand(e, s).enabled, it->second[c] == 'x')
          << "command " << e.id << " in column " << c;
    }
  }
}

TEST(CommandRules, ChecksAndTexts) {
  struct Case {
    int id;
    StateEdit edit;
    int checked;              // -1: not looked at
    const char16_t* text;     // nullptr: not looked at; u"": the row's own
  } cases[] = {
      {kCmdUndo, [](CommandState&) {}, -1, u"元に戻す(&U) - 分岐の削除\tCtrl+Z"},
      {kCmdUndo, [](CommandState& s) { s.undoPending = false; }, -1, u"元に戻す(&U)\tCtrl+Z"},
      {kCmdRedo, [](CommandState&) {}, -1, u"やり直し(&R) - 分岐の削除"},
      {kCmdRedo, [](CommandState& s) { s.redoAvailable = false; }, -1, u"やり直し(&R)"},
      {kCmdRegisterSiori, [](CommandState&) {}, -1, u"しおりの登録(&R)..."},
      {kCmdRegisterSiori, [](CommandState& s) { s.currentBookmark = u"急所"; }, -1,
       u"しおり(急所)の名称変更・削除(&R)..."},
      {kCmdGotoStart, [](CommandState&) {}, -1, u"開始局面へ(&T)\tHome"},
      {kCmdGotoStart, [](CommandState& s) { s.appMode = kModeGame; }, -1, u"開始局面へ(&T)"},
      {kCmdStepBack, [](CommandState&) {}, -1, u"１手戻す(&B)\t←"},
      {kCmdStepBack, [](CommandState& s) { s.appMode = kModeGamePiece; }, -1, u"１手戻す(&B)"},
      {kCmdStepForward, [](CommandState& s) { s.appMode = kModeEdit; }, -1, u"１手進める(&F)\t→"},
      {kCmdStepForward, [](CommandState& s) { s.appMode = kModeGame; }, -1, u"１手進める(&F)"},
      {kCmdPositionEdit, [](CommandState&) {}, -1, u"局面編集の開始(&E)\tCtrl+E"},
      {kCmdPositionEdit, [](CommandState& s) { s.appMode = kModeEditPiece; }, -1,
       u"局面編集の終了(&E)\tCtrl+E"},
      {kCmdToolFirst + 0, [](CommandState&) {}, -1, u"エディタ(&1)\tCtrl+1"},
      {kCmdToolFirst + 1, [](CommandState&) {}, -1, u"電卓(&2)\tCtrl+2"},
      {kCmdListFileUser1 + 0, [](CommandState&) {}, -1, u"相手アドレス(&1)"},
      {kCmdListFileUser1 + 1, [](CommandState&) {}, -1, u""},
      {kCmdSaveImageNamed, [](CommandState& s) { s.imageFileName = u"a12手.png"; }, -1,
       u"画像を保存(a12手.png)"},
      {kCmdSaveImageNamed, [](CommandState&) {}, -1, u""},
      {kCmdAppendMode, [](CommandState&) {}, 1, nullptr},
      {kCmdAppendMode, [](CommandState& s) { s.appendMode = 0; }, 0, nullptr},
      {kCmdFlipBoard, [](CommandState& s) { s.boardFlipped = true; }, 1, nullptr},
      {kCmdEmphasizeTurn, [](CommandState& s) { s.emphasizeTurn = false; }, 0, nullptr},
      {kCmdMarkPieceColour, [](CommandState&) {}, 1, nullptr},  // style 2 by default
      {kCmdMarkSquareColour, [](CommandState&) {}, 0, nullptr},
      {kCmdMarkNone, [](CommandState& s) { s.lastMoveMark = 0; }, 1, nullptr},
      {kCmdMarkOverpaint, [](CommandState& s) { s.lastMoveMark = 1; }, 1, nullptr},
      {kCmdMarkOrigin, [](CommandState& s) { s.showMoveOrigin = false; }, 0, nullptr},
      {kCmdMoveListWindow, [](CommandState& s) { s.moveListShown = false; }, 0, nullptr},
      {kCmdMoveListTimes, [](CommandState&) {}, 1, nullptr},
      {kCmdMoveListBranches, [](CommandState&) {}, 0, nullptr},
      {kCmdMoveListTimes, [](CommandState& s) { s.moveListStyle = 1; }, 0, nullptr},
      {kCmdMoveListBranches, [](CommandState& s) { s.moveListStyle = 1; }, 1, nullptr},
      {kCmdMoveListSioriNames, [](CommandState&) {}, 1, nullptr},
      {kCmdBranchWndAtBranches, [](CommandState& s) { s.branchWndMode = 3; }, 1, nullptr},
      {kCmdBranchWndShown, [](CommandState& s) { s.branchWndMode = 1; }, 1, nullptr},
      {kCmdBranchWndHidden, [](CommandState& s) { s.branchWndMode = 1; }, 0, nullptr},
      {kCmdCommentWndWithComment, [](CommandState&) {}, 1, nullptr},  // mode 3
      {kCmdCommentWndShown, [](CommandState& s) { s.commentWndMode = 2; }, 1, nullptr},
      {kCmdCommentWndWithComment, [](CommandState& s) { s.commentWndMode = 2; }, 0, nullptr},
      {kCmdCommentWndHidden, [](CommandState& s) { s.commentWndMode = 0; }, 1, nullptr},
  };
  for (const Case& c : cases) {
    CommandState s = RichState();
    c.edit(s);
    const CommandEntry* e = FindCommand(c.id);
    ASSERT_NE(e, nullptr) << c.id;
    CommandUi ui = EvaluateCommand(*e, s);
    if (c.checked >= 0) {
      EXPECT_EQ(ui.checked, c.checked) << c.id;
    }
    if (c.text) {
      EXPECT_EQ(ui.text, c.text) << c.id << " " << Utf16ToUtf8(c.text);
    }
  }
}

TEST(CommandRules, ToolNeedsANamedRecordOnlyWhenItTakesTheFile) {
  const struct {
    const char16_t* args;
    bool named, enabled;
  } cases[] = {
      {u"\"%K\"", false, false}, {u"%k +%N", false, false}, {u"+%N", false, true},
      {u"\"%K\"", true, true},   {u"", false, true},
  };
  for (const auto& c : cases) {
    CommandState s = RichState();
    s.toolArgs[0] = c.args;
    if (!c.named) s.recordTitle = u"";
    EXPECT_EQ(EvaluateCommand(*FindCommand(kCmdToolFirst), s).enabled, c.enabled)
        << Utf16ToUtf8(c.args) << " named " << c.named;
  }
}

TEST(CommandRules, ClipboardProbe) {
  const std::u16string two = u"ab", one = u"a", qmx = u"QMXabc", qm = u"QM";
  EXPECT_EQ(ClipboardTextProbe(nullptr), 0);
  EXPECT_EQ(ClipboardTextProbe(&one), 4);  // not enough for a paste
  EXPECT_EQ(ClipboardTextProbe(&two), 6);
  EXPECT_EQ(ClipboardTextProbe(&qmx), 0);
  EXPECT_EQ(ClipboardTextProbe(&qm), 6);
}

// ---- Menus built from the table ------------------------------------------------------

QMenu* SubMenu(QWidget* menu, const QString& title) {
  for (QAction* a : menu->actions())
    if (a->menu() && a->text() == title) return a->menu();
  return nullptr;
}

TEST(CommandMenus, MenusAndAcceleratorsComeFromTheTable) {
  PrivateHome home;
  ResetEnvDefaults();
  // The frame writes the settings when it goes.
  std::u16string savedEnvFolder = g_szEnvFolder;
  g_szEnvFolder = home.Path().toStdU16String() + u"/";
  g_AppMode = kModeView;
  g_szRecordTitle = g_szUntitled;
  CMainFrame frame;
  frame.UpdateCommandUi();

  QMenu* edit = SubMenu(frame.menuBar(), u"編集(&E)"_s);
  ASSERT_NE(edit, nullptr);
  QMenu* copyPosition = SubMenu(edit, u"局面のコピー(&S)"_s);
  ASSERT_NE(copyPosition, nullptr);
  EXPECT_EQ(copyPosition->actions().front()->text(), u"通常(&U)"_s);
  EXPECT_TRUE(edit->actions().contains(frame.ActionFor(kCmdUndo)));

  const struct {
    int id;
    const char* shortcut;
    QString text;
  } spots[] = {
      {kCmdUndo, "Ctrl+Z", u"元に戻す(&U)\tCtrl+Z"_s},
      {kCmdPaste, "Ctrl+V", u"棋譜・局面の貼り付け(&P)"_s},
      {kCmdToolFirst, "Ctrl+1", u"棋譜ファイルをエディタで開く(&1)\tCtrl+1"_s},
      {kCmdToolFirst + 4, "Ctrl+5", u"ツール5(&5)\tCtrl+5"_s},
      {kCmdSettings, "F2", u"各種設定(&S)..."_s},
      {kCmdPositionEdit, "", u"局面編集の開始(&E)\tCtrl+E"_s},
      {kCmdPositionEditToggle, "Ctrl+E", u"局面編集の開始/終了(&E)"_s},
  };
  for (const auto& s : spots) {
    QAction* a = frame.ActionFor(s.id);
    ASSERT_NE(a, nullptr) << s.id;
    EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(s.shortcut))) << s.id;
    EXPECT_EQ(a->text(), s.text) << s.id;
  }
  // The accelerator of position editing is in no menu but works from the frame.
  EXPECT_TRUE(frame.actions().contains(frame.ActionFor(kCmdPositionEditToggle)));
  EXPECT_EQ(frame.ActionFor(kCmdPositionEditToggle)->associatedObjects(), QList<QObject*>{&frame});

  // A rule's state reaches its action when the frame updates.
  g_AppMode = kModeEdit;
  frame.UpdateCommandUi();
  EXPECT_EQ(frame.ActionFor(kCmdPositionEdit)->text(), u"局面編集の終了(&E)\tCtrl+E"_s);
  EXPECT_TRUE(frame.ActionFor(kCmdEditSwapSides)->isEnabled());
  EXPECT_FALSE(frame.ActionFor(kCmdResign)->isEnabled());
  g_AppMode = kModeView;
  frame.OnDestroy();
  g_szEnvFolder = savedEnvFolder;
}

// ---- Commands done by the view ---------------------------------------------------------

class RecordCommands : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    InitRecordPool(g_Record, 200);
    SetInitialBoard(g_Board);
    g_StartBoard = g_Board;
    // 7六歩 3四歩 2六歩 8四歩 with 40, 15, 0 and 7 seconds.
    const int moves[][3] = {{77, 76, 40}, {33, 34, 15}, {27, 26, 0}, {83, 84, 7}};
    BoardState position = g_Board;
    for (const auto& m : moves) {
      MoveCode code = BuildMoveCode(position, m[0], m[1]);
      ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, position, 0, code, m[2]), 0);
      MakeMoveOnBoard(position, code);
      position.sideToMove ^= kSente;
      ++g_Record.moveNumber;
    }
    g_Record.changeCount = 0;
    g_bUndoPending = 0;
    g_strUndoLabel.clear();
  }
  void TearDown() override { FreeRecordPool(g_Record); }
  // Back to move n without touching the board (the commands do not look at it).
  void GoBackTo(int n) {
    while (g_Record.moveNumber > n) {
      g_Record.current = FindParentNode(g_Record, g_Record.current);
      --g_Record.moveNumber;
    }
  }
  RecordingUi ui;
  CNarvoDoc doc;
};

TEST_F(RecordCommands, DeleteAfterTheShownMove) {
  ASSERT_EQ(GetLineLength(g_Record), 4);
  GoBackTo(2);
  EXPECT_EQ(DeleteRecordAfterCurrent(nullptr), 0);
  EXPECT_EQ(g_Record.moveNumber, 2);
  EXPECT_EQ(GetLineLength(g_Record), 2);
  EXPECT_EQ(g_Record.current->firstChild, nullptr);
  EXPECT_EQ(CountFreeNodes(g_Record), 200 - 3);
  EXPECT_EQ(g_Record.changeCount, 1);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(g_bUndoPending, 1);
  EXPECT_EQ(g_strUndoLabel, u"棋譜の削除");
  EXPECT_TRUE(ui.boxes.empty());  // no question
}

TEST_F(RecordCommands, ClearEveryTimeAfterTheQuestion) {
  GoBackTo(1);
  ui.answers = {kIdNo};
  EXPECT_EQ(ClearAllConsumedTimes(nullptr), -1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"すべての指し手の消費時間を０にしますか？");
  EXPECT_EQ(ui.boxes[0].caption, u"消費時間の一括クリア");
  EXPECT_EQ(ui.boxes[0].flags & 0xF, kMbYesNo);
  EXPECT_EQ(ui.warnings, 1);
  EXPECT_EQ(GetCumulativeTimeAtMove(3), 40);
  EXPECT_EQ(g_bUndoPending, 0);
  EXPECT_FALSE(doc.IsModified());

  ui.answers = {kIdYes};
  EXPECT_EQ(ClearAllConsumedTimes(nullptr), 0);
  int64_t total = 0;
  for (int i = 0; i < g_Record.poolCapacity; ++i) total += g_Record.pool[i].seconds;
  EXPECT_EQ(total, 0);
  EXPECT_EQ(g_Record.moveNumber, 1);  // the shown move stays
  EXPECT_EQ(g_Record.changeCount, 1);
  EXPECT_EQ(g_strUndoLabel, u"消費時間を０");
  EXPECT_TRUE(doc.IsModified());
}

// ---- Name-list files ---------------------------------------------------------------------

std::vector<std::u16string> g_opened;
bool g_openSucceeds[2];

bool RecordOpen(const std::u16string& path) {
  size_t n = g_opened.size();
  g_opened.push_back(path);
  return n < 2 && g_openSucceeds[n];
}

TEST(ListFiles, FileThenFallbackThenTheMessage) {
  RecordingUi ui;
  OpenInEditorFunction saved = g_pOpenInEditor;
  g_pOpenInEditor = RecordOpen;
  std::u16string savedFolder = g_szProgramFolder;
  g_szProgramFolder = u"/opt/narvo/";
  const struct {
    int id;
    bool firstOpens, secondOpens;
    std::vector<std::u16string> tried;
    bool fails;
  } cases[] = {
      {kCmdListFileFirst + 0, true, false, {u"/opt/narvo/player.txt"}, false},
      {kCmdListFileFirst + 0, false, true, {u"/opt/narvo/player.txt", u"/opt/narvo/対局者.txt"}, false},
      {kCmdListFileFirst + 3, false, false, {u"/opt/narvo/subj.txt", u"/opt/narvo/表題.txt"}, true},
      {kCmdListFileFirst + 4, false, false, {u"/opt/narvo/持ち時間.txt"}, true},
      {kCmdListFileFirst + 6, true, false, {u"/opt/narvo/掲載.txt"}, false},
      {kCmdListFileUser1 + 2, false, true, {u"/opt/narvo/user3.txt", u"/opt/narvo/ユーザ3.txt"}, false},
  };
  for (const auto& c : cases) {
    g_opened.clear();
    ui.boxes.clear();
    g_openSucceeds[0] = c.firstOpens;
    g_openSucceeds[1] = c.secondOpens;
    FindCommand(c.id)->handler(c.id);
    EXPECT_EQ(g_opened, c.tried) << c.id;
    ASSERT_EQ(ui.boxes.size(), c.fails ? 1u : 0u) << c.id;
    if (c.fails) {
      EXPECT_EQ(ui.boxes[0].text,
                FormatU16(u"テキストファイル(%s)の編集に失敗しました。", c.tried[0].c_str()));
    }
  }
  g_pOpenInEditor = saved;
  g_szProgramFolder = savedFolder;
}

// What the rules read of the whole record follows every edit, though it is
// found again only after one.
TEST(CommandState, FollowsTheRecordAndTheProblemDbFile) {
  EnsureQtApp();
  PrivateHome home;
  ResetEnvDefaults();
  ASSERT_EQ(InitRecordPool(g_Record, 100), 0);
  SetInitialBoard(g_Board);
  CopyBoardState(g_StartBoard, g_Board);
  auto facts = [] {
    CommandState s = CaptureCommandState();
    return std::vector<bool>{s.lineHasNodes, s.mainLineBranches, s.recordHasComment};
  };
  using F = std::vector<bool>;
  EXPECT_EQ(facts(), F({false, false, false}));
  AddMoveAndGo(77 | 76 << 8);
  AddMoveAndGo(33 | 34 << 8);
  EXPECT_EQ(facts(), F({true, false, false}));
  ASSERT_EQ(AppendComment(g_Record, 2, u"注"), 0);
  EXPECT_EQ(facts(), F({true, false, true}));
  StepBackTo(1);
  AddMoveAndGo(83 | 84 << 8);
  RecordNode* alternative = g_Record.current;
  EXPECT_EQ(facts(), F({true, true, true}));
  StepBackTo(0);
  ClearAllComments(g_Record);
  EXPECT_EQ(facts(), F({true, true, false}));
  ASSERT_EQ(DeleteBranch(alternative, g_Record), 0);
  EXPECT_EQ(facts(), F({true, false, false}));
  ResetRecordTree(g_Record);
  EXPECT_EQ(facts(), F({false, false, false}));
  FreeRecordPool(g_Record);

  const std::u16string program = home.Path().toStdU16String() + u"/problems";
  g_szProblemDbProgram = program;
  EXPECT_FALSE(CaptureCommandState().problemDbReadable);
  ASSERT_TRUE(WriteFileBytes(program, "x"));
  g_szProblemDbProgram = program + u"-elsewhere";
  EXPECT_FALSE(CaptureCommandState().problemDbReadable);
  g_szProblemDbProgram = program;
  EXPECT_TRUE(CaptureCommandState().problemDbReadable);
  ResetEnvDefaults();
}

}  // namespace
