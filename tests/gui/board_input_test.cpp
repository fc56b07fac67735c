// The board view's keyboard: viewing keys over a record with a variation,
// the modes that ignore them, accelerators left to the command table, the
// Space pause and resume, and the keyboard pointer's way over the cells.
#include <gtest/gtest.h>

#include <QDockWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTest>

#include <memory>
#include <string>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "record/board.h"
#include "record/clock.h"
#include "record/record.h"
#include "record/rules.h"
#include "settings/env.h"
#include "settings/pro_sheet_qt.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/record_building.h"
#include "tests/support/recording_ui.h"
#include "view/board_drawing.h"
#include "view/board_input.h"
#include "view/key_state.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/navigation.h"
#include "view/piece_images.h"

namespace {

constexpr int Key(int from, int to) { return from | to << 8; }
const int k76 = Key(77, 76), k34 = Key(33, 34), k26 = Key(27, 26), k84 = Key(83, 84),
          k25 = Key(26, 25);
const int kMate = Key(1, kEndMate);

int g_pumps = 0;

// Every waiting pump is a tick: a replay runs through at once.
void TestPump(bool waiting) {
  ++g_pumps;
  if (waiting) ++g_nReplayTick;
}

class BoardInputTest : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    g_nStopAtBranch = 0;
    g_AppMode = kModeView;
    g_bReplayRunning = 0;
    g_nReplayPaused = 0;
    g_nReplayStop = 0;
    CreateAppPalette();
    LoadPieceBitmaps();
    InitRecordPool(g_Record, 200);
    g_Record.appendMode = 1;
    SetInitialBoard(g_Board);
    CopyBoardState(g_StartBoard, g_Board);
    SetClockForTesting([] { return int64_t(1000); });
    g_pumps = 0;
    g_pReplayPump = TestPump;
    g_pQueryKeyboardModifiers = [] { return Qt::KeyboardModifiers(); };
    g_pReplaySleep = [](int) {};
    CellSize c = CurrentCellSize();
    view = std::make_unique<CNarvoView>();
    view->resize(CalcBoardWindowWidth(c, 1.0), 9 * c.h + 70);
    BuildTree();
  }
  void TearDown() override {
    ForgetReplayKeys();
    g_pQueryKeyboardModifiers = savedModifiers;
    view.reset();
    SetClockForTesting({});
    FreeRecordPool(g_Record);
    FreePieceBitmaps();
    DeleteAppPalette();
  }

  static void Add(std::initializer_list<int> keys) {
    for (int key : keys) AddMoveAndGo(key);
  }
  // 1.76 2.34 (or 2.84 3.26) 3.26 4.84 5.25, then 詰み.
  static void BuildTree() {
    Add({k76, k34, k26, k84, k25, kMate});
    GotoMoveNumberOnLine(1);
    Add({k84, k26});
    GotoMoveNumberOnLine(0);
  }
  static int CurrentKey() { return g_Record.moveNumber ? NodeMoveKey(*g_Record.current) : 0; }

  RecordingUi ui;
  std::unique_ptr<CNarvoView> view;
  KeyboardModifiersFunction savedModifiers = g_pQueryKeyboardModifiers;
};

constexpr auto kNone = Qt::NoModifier;
constexpr auto kShift = Qt::ShiftModifier;
constexpr auto kCtrl = Qt::ControlModifier;
const Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

TEST_F(BoardInputTest, ViewingKeysStepThroughTheRecord) {
  struct Case {
    int key;
    Qt::KeyboardModifiers mods;
    int start;
    int moveNumber;
    int currentKey;
    bool replayed;  // went through the replay loop
  } cases[] = {
      {Qt::Key_Right, kNone, 0, 1, k76, false},
      {Qt::Key_Right, kCtrl, 0, 1, k76, false},
      {Qt::Key_Right, kShift, 0, 5, k25, true},
      {Qt::Key_Right, kCtrlShift, 0, 2, k34, false},
      {Qt::Key_D, kNone, 3, 4, k84, false},
      {Qt::Key_D, kShift, 1, 5, k25, true},
      {Qt::Key_D, kCtrlShift, 2, 5, k25, false},
      {Qt::Key_Left, kNone, 4, 3, k26, false},
      {Qt::Key_Left, kShift, 4, 0, 0, true},
      {Qt::Key_Left, kCtrl, 4, 0, 0, false},
      {Qt::Key_Left, kCtrlShift, 4, 2, k34, false},
      {Qt::Key_S, kNone, 1, 0, 0, false},
      {Qt::Key_S, kNone, 0, 0, 0, false},
      {Qt::Key_S, kCtrl, 3, 0, 0, false},
      {Qt::Key_S, kShift, 3, 0, 0, true},
      {Qt::Key_F, kNone, 1, 5, k25, true},
      {Qt::Key_F, kCtrl, 1, 5, k25, true},
      {Qt::Key_F, kShift, 1, 5, k25, false},
      {Qt::Key_F, kCtrlShift, 1, 5, k25, false},
      {Qt::Key_A, kNone, 3, 0, 0, true},
      {Qt::Key_A, kCtrl, 3, 0, 0, true},
      {Qt::Key_A, kShift, 3, 0, 0, false},
      {Qt::Key_Home, kCtrlShift, 4, 0, 0, false},
      {Qt::Key_End, kShift, 1, 5, k25, false},
      {Qt::Key_1, kNone, 1, 2, k34, false},
      {Qt::Key_2, kShift, 1, 2, k84, false},
      {Qt::Key_2, Qt::KeypadModifier, 1, 2, k84, false},
      {Qt::Key_3, kNone, 1, 1, k76, false},  // no third move here
      {Qt::Key_2, kCtrlShift, 1, 2, k84, false},
      {Qt::Key_9, kCtrl, 1, 1, k76, false},
      {Qt::Key_1, Qt::KeypadModifier, 2, 3, k26, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << QKeySequence(c.key).toString().toStdString() << " mods "
                                    << c.mods.toInt() << " from " << c.start);
    GotoMoveNumber(view.get(), c.start);
    g_pumps = 0;
    EXPECT_TRUE(OnViewKeyDown(view.get(), c.key, c.mods, kModeView));
    EXPECT_EQ(g_Record.moveNumber, c.moveNumber);
    EXPECT_EQ(CurrentKey(), c.currentKey);
    EXPECT_EQ(g_pumps > 0, c.replayed);
    EXPECT_EQ(g_bReplayRunning, 0);
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(BoardInputTest, KeysThatLeaveTheRecordAlone) {
  struct Case {
    const char* name;
    int key;
    Qt::KeyboardModifiers mods;
    int mode;
  } cases[] = {
      {"game", Qt::Key_Right, kNone, kModeGame},
      {"game, a digit", Qt::Key_2, kNone, kModeGame},
      {"piece held", Qt::Key_End, kNone, kModeGamePiece},
      {"editing", Qt::Key_Home, kNone, kModeEdit},
      {"editing, piece held", Qt::Key_F, kNone, kModeEditPiece},
      {"print preview", Qt::Key_Right, kNone, kModePreview},
      {"Shift alone", Qt::Key_Shift, kShift, kModeView},
      {"Ctrl alone", Qt::Key_Control, kCtrl, kModeView},
      {"a key of no use", Qt::Key_Q, kNone, kModeView},
      {"comment accelerator", Qt::Key_D, kCtrl, kModeView},
      {"tool accelerator", Qt::Key_1, kCtrl, kModeView},
      {"Ctrl+Shift+S accelerator", Qt::Key_S, kCtrlShift, kModeView},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GotoMoveNumber(view.get(), 2);
    OnViewKeyDown(view.get(), c.key, c.mods, c.mode);
    EXPECT_EQ(g_Record.moveNumber, 2);
    EXPECT_EQ(CurrentKey(), k34);
  }
  EXPECT_TRUE(IsCommandAccelerator(Qt::Key_D, kCtrl));
  EXPECT_FALSE(IsCommandAccelerator(Qt::Key_D, kNone));
  EXPECT_FALSE(IsCommandAccelerator(Qt::Key_9, kCtrl));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(BoardInputTest, PausedReplayStatusIsClearedByAnyViewingKey) {
  GotoMoveNumber(view.get(), 2);
  g_nReplayPaused = 1;
  ui.status.clear();
  OnViewKeyDown(view.get(), Qt::Key_Q, kNone, kModeView);
  ASSERT_EQ(ui.status.size(), 1u);
  EXPECT_EQ(ui.status[0], u"");
  g_nReplayPaused = 0;
  ui.status.clear();
  OnViewKeyDown(view.get(), Qt::Key_Q, kNone, kModeView);
  EXPECT_TRUE(ui.status.empty());
}

TEST_F(BoardInputTest, SpacePausesAndResumesReplay) {
  struct Case {
    const char* name;
    int paused, running, mode;
    bool handled;
    int moveNumber, pausedAfter, stopAfter;
    const char16_t* status;  // the last status text, nullptr none
  } cases[] = {
      {"resume forward", 1, 0, kModeView, true, 5, 0, 0, u""},
      {"resume back", 2, 0, kModeView, true, 0, 0, 0, u""},
      {"pause a running replay", 0, 1, kModeView, true, 2, 0, 2,
       u"一時停止（スペースキーで連続再現を再開）"},
      {"nothing runs", 0, 0, kModeView, false, 2, 0, 0, nullptr},
      {"not in a game", 1, 0, kModeGame, false, 2, 1, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GotoMoveNumber(view.get(), 2);
    ui.status.clear();
    g_nReplayPaused = c.paused;
    g_bReplayRunning = c.running;
    g_nReplayStop = 0;
    EXPECT_EQ(OnViewKeyUp(view.get(), Qt::Key_Space, c.mode), c.handled);
    EXPECT_EQ(g_Record.moveNumber, c.moveNumber);
    EXPECT_EQ(g_nReplayPaused, c.pausedAfter);
    EXPECT_EQ(g_nReplayStop, c.stopAfter);
    if (c.status) {
      ASSERT_FALSE(ui.status.empty());
      EXPECT_EQ(ui.status.back(), c.status);
    } else {
      EXPECT_TRUE(ui.status.empty());
    }
  }
  g_bReplayRunning = 0;
  g_nReplayPaused = 1;
  EXPECT_FALSE(OnViewKeyUp(view.get(), Qt::Key_Right, kModeView));
  EXPECT_EQ(g_nReplayPaused, 1);
}

TEST_F(BoardInputTest, ReplayKeysAreNotedOnPressAndRelease) {
  struct Case {
    int key, replayKey;
  } cases[] = {
      {Qt::Key_Backspace, kReplayKeyBackspace}, {Qt::Key_Return, kReplayKeyEnter},
      {Qt::Key_Enter, kReplayKeyEnter},         {Qt::Key_Up, kReplayKeyUp},
      {Qt::Key_Down, kReplayKeyDown},
  };
  for (const Case& c : cases) {
    NoteViewReplayKey(c.key, true);
    EXPECT_TRUE(IsReplayKeyHeld(c.replayKey)) << c.key;
    NoteViewReplayKey(c.key, false);
    EXPECT_FALSE(IsReplayKeyHeld(c.replayKey)) << c.key;
  }
  NoteViewReplayKey(Qt::Key_Left, true);
  for (int k = kReplayKeyBackspace; k <= kReplayKeyDown; ++k) EXPECT_FALSE(IsReplayKeyHeld(k));
}

Qt::KeyboardModifiers g_modifiers;

// A release made while another window had the focus never reaches the view:
// nothing may stay held because of it.
TEST_F(BoardInputTest, HeldKeysAfterAFocusChange) {
  g_pQueryKeyboardModifiers = [] { return g_modifiers; };
  auto send = [&](QEvent&& e) { QCoreApplication::sendEvent(view.get(), &e); };
  send(QKeyEvent(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier));
  send(QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier));
  g_modifiers = Qt::ShiftModifier;
  EXPECT_TRUE(IsReplayKeyHeld(kReplayKeyUp));
  EXPECT_TRUE(IsReplayKeyHeld(kReplayKeyShift));
  send(QFocusEvent(QEvent::FocusOut, Qt::ActiveWindowFocusReason));
  g_modifiers = Qt::NoModifier;  // both released in the other window
  EXPECT_FALSE(IsReplayKeyHeld(kReplayKeyUp));
  EXPECT_FALSE(IsReplayKeyHeld(kReplayKeyShift));

  // Back in the view: the replay command is timed again and pauses in front
  // of the branch point.
  g_nStopAtBranch = 1;
  AutoReplayForward(view.get(), !IsReplayKeyHeld(kReplayKeyShift));
  EXPECT_EQ(g_Record.moveNumber, 1);
  EXPECT_EQ(g_nReplayPaused, 1);
}

TEST(KeyboardPointer, MovesFromCellCentreToCellCentre) {
  // W 31, H 32: P 34, Q 35, R 34. Board column c centre x 125 + 34c + 17,
  // row r centre y 14 + 35r + 17; lower stand columns at x 466 and 515, rows 5..8
  // centre y 202 + 34(r-5) + 17.
  const CellSize cell{31, 32};
  struct Case {
    const char* name;
    int key;
    PixelPoint from, to;
  } cases[] = {
      {"board up", Qt::Key_Up, {142, 100}, {142, 101 - 35}},
      {"board top row stays", Qt::Key_Up, {142, 20}, {142, 31}},
      {"board down", Qt::Key_Down, {200, 31}, {210, 66}},
      {"board bottom row stays", Qt::Key_Down, {142, 310}, {142, 311}},
      {"board right", Qt::Key_Right, {142, 31}, {176, 31}},
      {"board left", Qt::Key_Left, {176, 31}, {142, 31}},
      {"board column 0 left into the hand rows", Qt::Key_Left, {130, 66}, {69, 56}},
      {"board column 0 left into the piece box", Qt::Key_Left, {130, 171}, {69, 185}},
      {"board column 8 right into the stand's first row", Qt::Key_Right, {414, 31}, {466, 219}},
      {"board column 8 right into the stand's row", Qt::Key_Right, {414, 241}, {466, 253}},
      {"stand first row up to the board", Qt::Key_Up, {466, 219}, {414, 171}},
      {"stand row up", Qt::Key_Up, {466, 253}, {466, 219}},
      {"stand right", Qt::Key_Right, {466, 253}, {515, 253}},
      {"stand right column left", Qt::Key_Left, {515, 253}, {466, 253}},
      {"stand left column left to the board", Qt::Key_Left, {466, 253}, {414, 241}},
      {"stand last row stays", Qt::Key_Down, {466, 310}, {466, 321}},
      {"left area left column right", Qt::Key_Right, {20, 22}, {69, 22}},
      {"left area right column right to the board", Qt::Key_Right, {69, 22}, {142, 31}},
      {"left area right column left", Qt::Key_Left, {69, 22}, {20, 22}},
      {"last hand row down into the piece box", Qt::Key_Down, {20, 124}, {20, 185}},
      {"first piece-box row up to the hand rows", Qt::Key_Up, {20, 185}, {20, 124}},
      {"piece box row 5 right column up", Qt::Key_Up, {60, 200}, {69, 185}},
      {"home", Qt::Key_Home, {5, 5}, {278, 171}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PixelPoint to;
    ASSERT_TRUE(KeyboardPointerTarget(c.key, Qt::NoModifier, c.from, cell, to));
    EXPECT_EQ(to, c.to) << to.x << "," << to.y;
  }
  PixelPoint to;
  EXPECT_FALSE(KeyboardPointerTarget(Qt::Key_Q, Qt::NoModifier, {142, 31}, cell, to));
  EXPECT_FALSE(KeyboardPointerTarget(Qt::Key_8, Qt::ControlModifier, {142, 31}, cell, to));
}

TEST(BoardInputInFrame, PreviewLettersAndViewingKeysReachTheirTargets) {
  PrivateHome home;
  RecordingUi ui;
  CNarvoApp app;
  ASSERT_TRUE(app.InitInstance({}));
  CMainFrame* f = g_pMainFrame;
  CNarvoView* view = f->View();
  ASSERT_NE(view, nullptr);

  f->EnterPrintPreview();
  ASSERT_EQ(g_AppMode, kModePreview);
  const int trim = g_bImageTrim;
  EXPECT_TRUE(OnViewKeyDown(view, Qt::Key_T, Qt::NoModifier, g_AppMode));
  EXPECT_EQ(g_bImageTrim, !trim);
  EXPECT_TRUE(OnViewKeyDown(view, Qt::Key_T, Qt::NoModifier, g_AppMode));
  EXPECT_EQ(g_bImageTrim, trim);
  g_nSettingsPage = 0;
  int shownPage = -1;
  SetSheetRunner([&](CProSheet& sheet) {
    shownPage = sheet.ActiveIndex();
    sheet.ClickCancel();
    return sheet.result();
  });
  EXPECT_TRUE(OnViewKeyDown(view, Qt::Key_F, Qt::NoModifier, g_AppMode));
  SetSheetRunner(nullptr);
  EXPECT_EQ(shownPage, 6);
  EXPECT_EQ(g_nSettingsPage, 6);
  EXPECT_TRUE(OnViewKeyDown(view, Qt::Key_C, Qt::NoModifier, g_AppMode));
  EXPECT_EQ(g_AppMode, kModeView);
  EXPECT_FALSE(f->PreviewBar()->isVisible());

  // Through the widget's own key events.
  ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, k76, 0), 0);
  MakeMoveOnBoard(g_Board, BuildMoveCode(g_Board, 77, 76));
  g_Board.sideToMove = kSente - g_Board.sideToMove;
  ++g_Record.moveNumber;
  GotoMoveNumber(view, 0);
  QTest::keyClick(view, Qt::Key_Right);
  EXPECT_EQ(g_Record.moveNumber, 1);
  QTest::keyClick(view, Qt::Key_Home);
  EXPECT_EQ(g_Record.moveNumber, 0);
  QTest::keyPress(view, Qt::Key_Up);
  EXPECT_TRUE(IsReplayKeyHeld(kReplayKeyUp));
  QTest::keyRelease(view, Qt::Key_Up);
  EXPECT_FALSE(IsReplayKeyHeld(kReplayKeyUp));
  EXPECT_TRUE(f->close());
}

}  // namespace
