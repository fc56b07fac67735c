// Navigation over a record with a variation and an end mark: steps, jumps,
// branch points, typed move numbers, and continuous replay driven by ticks
// raised from the test's own message pump.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/narvo_app.h"
#include "record/board.h"
#include "record/clock.h"
#include "record/record.h"
#include "record/rules.h"
#include "settings/env.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/record_building.h"
#include "tests/support/recording_ui.h"
#include "view/board_drawing.h"
#include "view/key_state.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/navigation.h"
#include "view/piece_images.h"

namespace {

constexpr int Key(int from, int to) { return from | to << 8; }
const int k76 = Key(77, 76), k34 = Key(33, 34), k26 = Key(27, 26), k84 = Key(83, 84),
          k25 = Key(26, 25), k86 = Key(87, 86);
const int kMate = Key(1, kEndMate), kResign = Key(1, kEndResign);

// What the test's pump does each time the loop serves its messages.
int g_pumps = 0;
int g_waitPumps = 0;
int g_tickEvery = 1;  // raise the tick on every n-th waiting pump (0 never)
int g_stopAtMove = -1;
int g_stopRequest = 0;
std::vector<int> g_sleeps;

void TestPump(bool waiting) {
  ++g_pumps;
  if (g_stopAtMove >= 0 && g_Record.moveNumber == g_stopAtMove) g_nReplayStop = g_stopRequest;
  if (!waiting) return;
  ++g_waitPumps;
  if (g_tickEvery > 0 && g_waitPumps % g_tickEvery == 0) ++g_nReplayTick;
}

class NavigationTest : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    g_AppMode = kModeView;
    g_bGameClock = 0;
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
    g_pumps = g_waitPumps = 0;
    g_tickEvery = 1;
    g_stopAtMove = -1;
    g_stopRequest = 0;
    g_sleeps.clear();
    g_pReplayPump = TestPump;
    g_pQueryKeyboardModifiers = [] { return Qt::KeyboardModifiers(); };
    g_pReplaySleep = [](int ms) { g_sleeps.push_back(ms); };
    CellSize c = CurrentCellSize();
    view = std::make_unique<CNarvoView>();
    view->resize(CalcBoardWindowWidth(c, 1.0), 9 * c.h + 70);
  }
  void TearDown() override {
    ForgetReplayKeys();
    g_pQueryKeyboardModifiers = savedModifiers;
    g_pAskMoveNumber = savedAsk;
    view.reset();
    SetClockForTesting({});
    FreeRecordPool(g_Record);
    FreePieceBitmaps();
    DeleteAppPalette();
  }

  // Adds the moves after the current node and goes along them; an end mark
  // is added without being entered.
  static void Add(std::initializer_list<int> keys) {
    // 投了 is entered, as stepping onto it does.
    for (int key : keys) AddMoveAndGo(key, true);
  }
  // 1.76 2.34 (or 2.84 3.26) 3.26 4.84 5.25, then 詰み.
  static void BuildTree() {
    Add({k76, k34, k26, k84, k25, kMate});
    GotoMoveNumberOnLine(1);
    Add({k84, k26});
    GotoMoveNumberOnLine(0);
    ASSERT_EQ(g_Record.Root()->firstChild->firstChild, GetNodeAtMove(2));  // main line again
  }
  // The shown position is that of the current line up to the move number.
  static void ExpectBoardOnLine() {
    BoardState b;
    CopyBoardState(b, g_StartBoard);
    for (int i = 1; i <= g_Record.moveNumber; ++i) {
      const RecordNode* n = GetNodeAtMove(i);
      ASSERT_NE(n, nullptr);
      if (IsBoardMoveNode(*n)) MakeMoveOnBoard(b, BuildMoveCode(b, n->from, n->to));
      b.sideToMove = kSente - b.sideToMove;
    }
    EXPECT_EQ(CompareBoardStates(g_Board, b), 0);
    EXPECT_EQ(g_Board.sideToMove, b.sideToMove);
    EXPECT_EQ(g_Record.current, GetNodeAtMove(g_Record.moveNumber));
  }
  static int CurrentKey() { return NodeMoveKey(*g_Record.current); }

  RecordingUi ui;
  std::unique_ptr<CNarvoView> view;
  AskMoveNumberFunction savedAsk = g_pAskMoveNumber;
  KeyboardModifiersFunction savedModifiers = g_pQueryKeyboardModifiers;
};

using Op = void (*)(CNarvoView*);

TEST_F(NavigationTest, StepsAndJumpsAlongTheLine) {
  BuildTree();
  struct Case {
    const char* name;
    int start;
    Op op;
    int moveNumber;
  } cases[] = {
      {"forward", 0, StepForward, 1},
      {"forward in front of the end mark", 5, StepForward, 5},
      {"back", 3, StepBackward, 2},
      {"back at the start", 0, StepBackward, 0},
      {"to the start", 4, GotoStartPosition, 0},
      {"to the end stops in front of the end mark", 1, GotoLineEnd, 5},
      {"to the end at the end", 5, GotoLineEnd, 5},
      {"forward to the branch", 0, ForwardToBranch, 2},
      {"forward from the branch to the end", 2, ForwardToBranch, 5},
      {"back to the branch", 5, BackToBranch, 2},
      {"back from the branch to the start", 2, BackToBranch, 0},
      {"into the second alternative", 1, [](CNarvoView* v) { StepIntoVariation(v, 1); }, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GotoMoveNumber(view.get(), c.start);
    ASSERT_EQ(g_Record.moveNumber, c.start);
    g_nReplayPaused = 1;
    c.op(view.get());
    EXPECT_EQ(g_Record.moveNumber, c.moveNumber);
    EXPECT_EQ(g_nReplayPaused, c.start == 0 && c.op == StepBackward ? 1 : 0);
    ExpectBoardOnLine();
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(NavigationTest, GameClockStartsAgainAfterNavigation) {
  BuildTree();
  g_AppMode = kModeGame;
  g_nStopAtBranch = 0;
  struct Case {
    const char* name;
    Op op;
    int moveNumber;
  } cases[] = {
      {"forward", StepForward, 1},
      {"to the end", GotoLineEnd, 5},
      {"back", StepBackward, 4},
      {"to the branch", ForwardToBranch, 5},
      {"replay back", [](CNarvoView* v) { AutoReplayBackward(v, false); }, 0},
      {"to the start", GotoStartPosition, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view->KillTimer(kClockTimer);
    g_tMoveTime = 0;
    c.op(view.get());
    EXPECT_EQ(g_Record.moveNumber, c.moveNumber);
    EXPECT_TRUE(view->IsTimerSet(kClockTimer));
    EXPECT_EQ(g_tMoveTime, 1000);
    ExpectBoardOnLine();
  }
  g_AppMode = kModeView;
}

TEST_F(NavigationTest, EmptyRecordStaysAtTheStart) {
  for (Op op : {StepForward, StepBackward, GotoStartPosition, GotoLineEnd, ForwardToBranch,
                BackToBranch}) {
    op(view.get());
    EXPECT_EQ(g_Record.moveNumber, 0);
    EXPECT_EQ(g_Record.current, g_Record.Root());
  }
  StepIntoVariation(view.get(), 0);
  GotoMoveNumber(view.get(), 5);
  JumpToMoveNumberValue(view.get(), 3);
  AutoReplayForward(view.get());
  AutoReplayBackward(view.get());
  EXPECT_EQ(g_Record.moveNumber, 0);
  EXPECT_EQ(CompareBoardStates(g_Board, g_StartBoard), 0);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(g_bReplayRunning, 0);
}

TEST_F(NavigationTest, VariationsAndBranchPoints) {
  BuildTree();
  const RecordNode* main2 = GetNodeAtMove(2);
  const RecordNode* alt2 = main2->nextSibling;
  ASSERT_NE(alt2, nullptr);
  EXPECT_EQ(IsBranchPoint(main2), 1);
  EXPECT_EQ(IsBranchPoint(alt2), 1);
  EXPECT_EQ(IsBranchPoint(GetNodeAtMove(1)), 0);
  EXPECT_EQ(IsBranchPoint(g_Record.Root()), 0);

  struct Case {
    int n, k;
    int moveNumber;
    int key;  // of the current node, 0 for the root
  } cases[] = {
      {2, 1, 2, k84},  // into the alternative
      {2, 0, 2, k34},  // along the line
      {2, 2, 1, k76},  // no second alternative: stays in front of it
      {3, 1, 3, k26},  // no branch at move 3: along the line
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.n << "," << c.k);
    GotoMoveNumber(view.get(), 0);
    GotoMoveNumberInBranch(view.get(), c.n, c.k);
    EXPECT_EQ(g_Record.moveNumber, c.moveNumber);
    EXPECT_EQ(CurrentKey(), c.key);
    ExpectBoardOnLine();
  }

  // The alternative is now the current line: its end is move 3.
  GotoMoveNumberInBranch(view.get(), 2, 1);
  GotoLineEnd(view.get());
  EXPECT_EQ(g_Record.moveNumber, 3);
  BackToBranch(view.get());
  EXPECT_EQ(g_Record.current, alt2);

  for (int k : {1, 0, 2}) {
    GotoMoveNumber(view.get(), 1);
    StepIntoVariation(view.get(), k);
    EXPECT_EQ(g_Record.current, k == 0 ? main2 : k == 1 ? alt2 : GetNodeAtMove(1)) << k;
    ExpectBoardOnLine();
  }
}

TEST_F(NavigationTest, MoveNumbersOutOfRange) {
  BuildTree();
  GotoMoveNumber(view.get(), 99);
  EXPECT_EQ(g_Record.moveNumber, 5);
  GotoMoveNumber(view.get(), -3);
  EXPECT_EQ(g_Record.moveNumber, 0);
  ExpectBoardOnLine();

  // The line is 6 long with the end mark.
  struct Case {
    int from, n, moveNumber, warnings;
  } cases[] = {
      {2, -1, 2, 1}, {0, 99, 5, 0}, {0, 6, 5, 0}, {4, 5, 5, 0},
      {4, 3, 3, 0},  {4, 0, 0, 0},  {2, 2, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " -> " << c.n);
    GotoMoveNumber(view.get(), c.from);
    ui.warnings = 0;
    JumpToMoveNumberValue(view.get(), c.n);
    EXPECT_EQ(g_Record.moveNumber, c.moveNumber);
    EXPECT_EQ(ui.warnings, c.warnings);
    ExpectBoardOnLine();
  }

  // The dialog's answer goes the same road; Cancel changes nothing.
  g_pAskMoveNumber = [](int current, int& n) {
    n = current + 2;
    return current < 3;
  };
  GotoMoveNumber(view.get(), 1);
  JumpToMoveNumber(view.get());
  EXPECT_EQ(g_Record.moveNumber, 3);
  JumpToMoveNumber(view.get());
  EXPECT_EQ(g_Record.moveNumber, 3);
}

TEST_F(NavigationTest, ResignationIsEnteredAndTakenBackCleanly) {
  Add({k76, k34, kResign});
  GotoMoveNumber(view.get(), 0);
  GotoMoveNumber(view.get(), 9);
  EXPECT_EQ(g_Record.moveNumber, 3);
  EXPECT_EQ(g_Record.current->to, kEndResign);
  StepForward(view.get());
  GotoLineEnd(view.get());
  ForwardToBranch(view.get());
  EXPECT_EQ(g_Record.moveNumber, 3);
  GotoMoveNumber(view.get(), 0);
  ExpectBoardOnLine();

  g_nReplaySpeed = 1;
  AutoReplayForward(view.get());
  EXPECT_EQ(g_Record.moveNumber, 3);
  EXPECT_EQ(g_Record.current->to, kEndResign);
  ExpectBoardOnLine();
  AutoReplayBackward(view.get());
  EXPECT_EQ(g_Record.moveNumber, 0);
  EXPECT_EQ(CompareBoardStates(g_Board, g_StartBoard), 0);
}

TEST_F(NavigationTest, ReplayRunsToTheEndAndStops) {
  BuildTree();
  g_nStopAtBranch = 0;
  g_nStopAtComment = 0;
  for (bool timed : {true, false}) {
    SCOPED_TRACE(timed);
    GotoMoveNumber(view.get(), 0);
    g_waitPumps = 0;
    AutoReplayForward(view.get(), timed);
    EXPECT_EQ(g_Record.moveNumber, 5);  // the end mark is not entered
    ExpectBoardOnLine();
    EXPECT_EQ(g_waitPumps, timed ? 5 : 0);
    EXPECT_EQ(g_bReplayRunning, 0);
    EXPECT_EQ(g_nReplayPaused, 0);
    EXPECT_FALSE(view->IsTimerSet(kReplayTimer));
    EXPECT_EQ(g_bReplayTimerSet, 0);

    AutoReplayBackward(view.get(), timed);
    EXPECT_EQ(g_Record.moveNumber, 0);
    ExpectBoardOnLine();
    EXPECT_FALSE(view->IsTimerSet(kReplayTimer));
  }
  EXPECT_TRUE(ui.boxes.empty());

  // A replay already running is not started again.
  g_bReplayRunning = 1;
  AutoReplayForward(view.get());
  EXPECT_EQ(g_Record.moveNumber, 0);
  g_bReplayRunning = 0;
}

TEST_F(NavigationTest, ReplayStopsAndPausesOnRequest) {
  BuildTree();
  g_nStopAtBranch = 0;
  g_nStopAtComment = 0;
  const std::u16string pause = u"一時停止（スペースキーで連続再現を再開）";
  struct Case {
    bool backward;
    int request, atMove;
    int tickEvery;  // 0: the request comes while the loop waits for a tick
    int moveNumber, paused;
  } cases[] = {
      {false, 1, 2, 1, 2, 0}, {false, 2, 2, 1, 2, 1}, {true, 2, 3, 1, 3, 2},
      {false, 2, 1, 0, 1, 1}, {true, 1, 4, 0, 4, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.backward << " " << c.request << " " << c.atMove);
    GotoMoveNumber(view.get(), c.backward ? 5 : 0);
    ui.status.clear();
    g_stopAtMove = c.atMove;
    g_stopRequest = c.request;
    g_tickEvery = c.tickEvery;
    (c.backward ? AutoReplayBackward : AutoReplayForward)(view.get(), true);
    EXPECT_EQ(g_Record.moveNumber, c.moveNumber);
    EXPECT_EQ(g_nReplayPaused, c.paused);
    EXPECT_EQ(!ui.status.empty() && ui.status.back() == pause, c.request == 2);
    EXPECT_EQ(g_bReplayRunning, 0);
    EXPECT_FALSE(view->IsTimerSet(kReplayTimer));
    ExpectBoardOnLine();
  }

  // Backspace held ends the wait after the first step.
  g_stopAtMove = -1;
  g_tickEvery = 0;
  GotoMoveNumber(view.get(), 0);
  NoteReplayKey(kReplayKeyBackspace, true);
  AutoReplayForward(view.get());
  EXPECT_EQ(g_Record.moveNumber, 1);
  EXPECT_EQ(g_nReplayPaused, 0);
  NoteReplayKey(kReplayKeyBackspace, false);

  // A short tap of Enter, down and up between two looks of the loop, ends
  // the replay just as well; a tap before the replay does not.
  NoteReplayKey(kReplayKeyEnter, true);
  NoteReplayKey(kReplayKeyEnter, false);
  GotoMoveNumber(view.get(), 0);
  g_tickEvery = 3;
  g_pReplayPump = [](bool waiting) {
    TestPump(waiting);
    if (waiting && g_Record.moveNumber == 2) {
      NoteReplayKey(kReplayKeyEnter, true);
      NoteReplayKey(kReplayKeyEnter, false);
    }
  };
  AutoReplayForward(view.get());
  EXPECT_EQ(g_Record.moveNumber, 2);
  EXPECT_EQ(g_bReplayRunning, 0);
  g_pReplayPump = TestPump;
}

TEST_F(NavigationTest, SpeedZeroRunsTimedAtTheShortestPace) {
  BuildTree();
  g_nStopAtBranch = 1;  // a timed step pauses in front of the branch
  g_nReplaySpeed = 0;
  AutoReplayForward(view.get());
  EXPECT_EQ(g_Record.moveNumber, 1);
  EXPECT_EQ(g_nReplayPaused, 1);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(g_bReplayRunning, 0);
}

TEST_F(NavigationTest, RefusedTimerGoesOnUntimed) {
  BuildTree();
  g_nStopAtBranch = 1;  // would pause at move 1 if the steps were timed
  AutoReplayForward(nullptr);  // no view, no timer
  EXPECT_EQ(g_Record.moveNumber, 5);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"タイマーが使用できません。");
  EXPECT_EQ(ui.boxes[0].caption, g_szAppTitle);
  EXPECT_EQ(g_bReplayRunning, 0);
}

TEST_F(NavigationTest, ReplaySpeedKeys) {
  struct Case {
    int speed, faster, slower;
  } cases[] = {{1, 1, 2}, {2, 1, 3}, {49, 48, 50}, {50, 49, 60}, {59, 58, 69},
               {60, 50, 70}, {240, 230, 250}, {250, 240, 250}};
  for (const Case& c : cases) {
    EXPECT_EQ(FasterReplaySpeed(c.speed), c.faster) << c.speed;
    EXPECT_EQ(SlowerReplaySpeed(c.speed), c.slower) << c.speed;
  }

  // Down held while the loop waits: the speed rises, is shown, and the
  // loop rests before it looks again.
  BuildTree();
  g_nStopAtBranch = 0;
  g_nReplaySpeed = 49;
  NoteReplayKey(kReplayKeyDown, true);
  g_tickEvery = 1;
  g_stopAtMove = 2;
  g_stopRequest = 1;
  AutoReplayForward(view.get());
  EXPECT_EQ(g_nReplaySpeed, 50);
  EXPECT_EQ(g_sleeps, std::vector<int>({200}));
  ASSERT_FALSE(ui.status.empty());
  EXPECT_EQ(ui.status.back(), u"再現速度： 5.0 秒／手");
}

TEST_F(NavigationTest, PauseRuleAtCommentsAndBranches) {
  BuildTree();
  g_nCommentWaitMs = 300;
  g_nBranchWaitMs = 700;
  struct Case {
    int at;  // move 1 is in front of the branch; 3 is not
    bool comment;
    int stopComment, stopBranch;
    int result, slept;
  } cases[] = {
      {3, false, 1, 1, 0, 0},  {3, true, 1, 0, 1, 0},  {3, true, 2, 0, 0, 300},
      {3, true, 0, 1, 0, 0},   {1, false, 0, 1, 1, 0}, {1, false, 0, 2, 0, 700},
      {1, true, 0, 1, 1, 0},   {1, true, 1, 0, 1, 0},  {1, true, 2, 2, 0, 700},
      {1, true, 2, 0, 0, 300}, {1, true, 0, 2, 0, 700}, {1, true, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.at << c.comment << c.stopComment << c.stopBranch);
    ClearAllComments(g_Record);
    if (c.comment) AppendComment(g_Record, c.at, u"注");
    GotoMoveNumber(view.get(), c.at);
    g_nStopAtComment = c.stopComment;
    g_nStopAtBranch = c.stopBranch;
    g_sleeps.clear();
    EXPECT_EQ(ReplayPauseRule(), c.result);
    EXPECT_EQ(g_sleeps, c.slept ? std::vector<int>{c.slept} : std::vector<int>{});
  }
  // No comment window: comments do not count. Shift held: nothing pauses.
  ClearAllComments(g_Record);
  AppendComment(g_Record, 3, u"注");
  GotoMoveNumber(view.get(), 3);
  g_nStopAtComment = 1;
  g_nCommentWndMode = 0;
  EXPECT_EQ(ReplayPauseRule(), 0);
  g_nCommentWndMode = 3;
  g_pQueryKeyboardModifiers = [] { return Qt::KeyboardModifiers(Qt::ShiftModifier); };
  EXPECT_EQ(ReplayPauseRule(), 0);
  g_pQueryKeyboardModifiers = [] { return Qt::KeyboardModifiers(); };

  // In the loop: the move that carries the comment is shown, then it pauses.
  g_nStopAtBranch = 0;
  GotoMoveNumber(view.get(), 0);
  AutoReplayForward(view.get());
  EXPECT_EQ(g_Record.moveNumber, 3);
  EXPECT_EQ(g_nReplayPaused, 1);
}

}  // namespace
