#include "view/navigation.h"

#include <QApplication>
#include <QThread>

#include <algorithm>
#include <cstdio>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "record/board.h"
#include "record/clock.h"
#include "record/record.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/small_dialogs_qt.h"
#include "view/comment_wnd.h"
#include "view/key_state.h"
#include "view/move_list_wnd.h"
#include "view/move_path.h"
#include "view/narvo_view.h"

int g_bReplayTimerSet = 0;
int g_bBackReplayTimerSet = 0;

namespace {

constexpr char16_t kNoTimerText[] = u"タイマーが使用できません。";

bool g_heldKeys[5] = {};
// Pressed since the replay loop last looked (a tap is down and up between two looks).
bool g_pressedKeys[5] = {};

void DefaultPump(bool waiting) {
  QCoreApplication::processEvents(waiting ? QEventLoop::WaitForMoreEvents
                                          : QEventLoop::AllEvents);
}
void DefaultSleep(int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); }

bool InGame() { return g_AppMode == kModeGame || g_AppMode == kModeGamePiece; }

// 投了 (to 0) or 中断 (to 1): nothing follows such a node.
bool IsStopNode(const RecordNode* node) { return node->to == kEndResign || node->to == kEndSuspend; }

// The current node can be stepped from: it exists and, past move 0, is
// neither the root nor a 投了 or 中断 mark. Its first child, or null.
RecordNode* NextChild() {
  RecordNode* cur = g_Record.current;
  if (!cur) return nullptr;
  if (g_Record.moveNumber > 0 && (cur == g_Record.Root() || IsStopNode(cur))) return nullptr;
  return cur->firstChild;
}

bool IsEndMark(const RecordNode& n) { return n.to >= 1 && n.to <= 10; }

// The game clock measures the next move from now.
void RestartGameClock(CNarvoView* view) {
  if (view && view->IsTimerSet(kClockTimer)) view->KillTimer(kClockTimer);
  g_tMoveTime = NowSeconds();
  StartClock(view);
}

// After a silent jump: the whole view, the move list, the variation window
// and the comment window, which the silent steps left behind.
void RedrawAfterJump(CNarvoView* view) {
  RedrawBoardView(view);
  UpdateCommentWindow();
}

// The buttons of the bars follow the running state at once.
void UpdateBars() {
  if (g_pMainFrame) g_pMainFrame->UpdateCommandUi();
}

void Pump(bool waiting) {
  if (g_pReplayPump) g_pReplayPump(waiting);
}

void Sleep(int milliseconds) {
  if (milliseconds > 0 && g_pReplaySleep) g_pReplaySleep(milliseconds);
}

// A stop request ends the loop; a pause request leaves the direction to resume.
bool StopRequested(int pausedDirection) {
  if (g_nReplayStop == 0) return false;
  if (g_nReplayStop == 2) {
    ShowStatus(kReplayPauseText);
    g_nReplayPaused = pausedDirection;
  }
  return true;
}

// Through the view's one timer function, which gives speed 0 the shortest
// interval rather than none.
bool SetReplayTimer(CNarvoView* view, bool backward) {
  bool ok = view && view->StartReplayTimer();
  (backward ? g_bBackReplayTimerSet : g_bReplayTimerSet) = ok ? 1 : 0;
  return ok;
}

void KillReplayTimer(CNarvoView* view) {
  if (view) view->KillTimer(kReplayTimer);
  g_bReplayTimerSet = 0;
  g_bBackReplayTimerSet = 0;
}

void ShowNoTimer() { ShowMessage(kNoTimerText, kMbOk | kMbIconWarning, g_szAppTitle); }

enum WaitResult { kWaitTicked, kWaitEnded, kWaitNoTimer };

// Waits for the next tick while serving messages; Up and Down change the
// speed meanwhile.
WaitResult WaitForTick(CNarvoView* view, bool backward, int pausedDirection) {
  const int tick = g_nReplayTick;
  if (!SetReplayTimer(view, backward)) {
    ShowNoTimer();
    return kWaitNoTimer;
  }
  WaitResult result = kWaitTicked;
  while (g_nReplayTick == tick) {
    Pump(true);
    // A tap between two looks counts as well as a key held down.
    const bool backspace = TakeReplayKeyPress(kReplayKeyBackspace);
    const bool enter = TakeReplayKeyPress(kReplayKeyEnter);
    if (StopRequested(pausedDirection) || backspace || enter) {
      result = kWaitEnded;
      break;
    }
    int speed = g_nReplaySpeed;
    if (IsReplayKeyHeld(kReplayKeyUp)) speed = FasterReplaySpeed(speed);
    else if (IsReplayKeyHeld(kReplayKeyDown)) speed = SlowerReplaySpeed(speed);
    if (speed == g_nReplaySpeed) continue;
    g_nReplaySpeed = static_cast<unsigned char>(speed);
    char number[32];
    std::snprintf(number, sizeof number, "%2.1f", speed * 0.1);
    ShowStatus(u"再現速度： " + Utf8ToUtf16(number) + u" 秒／手");
    if (!SetReplayTimer(view, backward)) {
      // Without a timer no tick would ever come from it: go on untimed.
      ShowNoTimer();
      return kWaitNoTimer;
    }
    Sleep(200);
  }
  KillReplayTimer(view);
  return result;
}

void RunReplay(CNarvoView* view, bool timed, bool backward) {
  if (g_bReplayRunning) return;
  if (backward && g_Record.moveNumber <= 0) return;
  g_nReplayPaused = 0;
  const bool inGame = InGame();
  if (inGame && view && view->IsTimerSet(kClockTimer)) view->KillTimer(kClockTimer);
  g_bReplayRunning = 1;
  UpdateBars();
  g_nReplayStop = 0;
  // Only a press made during this replay ends it.
  TakeReplayKeyPress(kReplayKeyBackspace);
  TakeReplayKeyPress(kReplayKeyEnter);
  if (!backward) ReplayPauseRule();
  const int pausedDirection = backward ? 2 : 1;
  for (;;) {
    Pump(false);
    if (StopRequested(pausedDirection)) break;
    const int level = !timed ? kRedrawSilent : g_nReplaySpeed < 4 ? kRedrawSound : kRedrawAnimate;
    if (backward) {
      if (g_Record.moveNumber <= 0) break;
      UndoMove(view, kMoveStep, level);
    } else {
      RecordNode* next = NextChild();
      if (!next || IsEndMark(*next)) break;
      if (DoMove(view, kMoveStep, NodeMoveKey(*next), level) == kDoMoveEnded) break;
    }
    if (!timed) continue;
    WaitResult wait = WaitForTick(view, backward, pausedDirection);
    if (wait == kWaitEnded) break;
    if (wait == kWaitNoTimer) {
      timed = false;
      continue;
    }
    if (ReplayPauseRule() == 1) {
      ShowStatus(kReplayPauseText);
      g_nReplayPaused = pausedDirection;
      break;
    }
  }
  KillReplayTimer(view);
  g_bReplayRunning = 0;
  if (inGame) {
    g_tMoveTime = NowSeconds();
    StartClock(view);
  }
  UpdateBars();
}

}  // namespace

ReplayPumpFunction g_pReplayPump = DefaultPump;
ReplaySleepFunction g_pReplaySleep = DefaultSleep;
AskMoveNumberFunction g_pAskMoveNumber = AskMoveNumberByDialog;

int IsBranchPoint(const RecordNode* node) {
  if (!node) return 0;
  if (node->nextSibling) return 1;
  return IsBranchPointUnder(node, FindParentNode(g_Record, node));
}

int IsBranchPointUnder(const RecordNode* node, const RecordNode* parent) {
  if (node->nextSibling) return 1;
  if (!parent || parent->firstChild == node) return 0;
  return parent->firstChild && parent->firstChild->nextSibling ? 1 : 0;
}

// ---- Steps and jumps -----------------------------------------------------------------

void GotoStartPosition(CNarvoView* view) {
  g_nReplayPaused = 0;
  CopyBoardState(g_Board, g_StartBoard);
  g_Record.current = g_Record.Root();
  g_Record.moveNumber = 0;
  RedrawAfterJump(view);
  if (g_AppMode == kModeGame) {
    g_tMoveTime = NowSeconds();
    StartClock(view);
  }
}

void StepBackward(CNarvoView* view) {
  if (g_Record.moveNumber <= 0) return;
  g_nReplayPaused = 0;
  if (g_AppMode == kModeGame)
    DoMove(view, kMoveGame, kKeyTakeBackOne, kRedrawAnimate);
  else
    UndoMove(view, kMoveStep, kRedrawAnimate);
}

void StepForward(CNarvoView* view) {
  g_nReplayPaused = 0;
  if (g_AppMode == kModeGame) {
    DoMove(view, kMoveStep, kKeyEnterNext, kRedrawAnimate);
    RestartGameClock(view);
    return;
  }
  RecordNode* next = NextChild();
  if (next && IsBoardMoveNode(*next)) DoMove(view, kMoveStep, NodeMoveKey(*next), kRedrawAnimate);
}

void GotoLineEnd(CNarvoView* view) {
  g_nReplayPaused = 0;
  for (RecordNode* next; (next = NextChild()) && IsBoardMoveNode(*next);)
    DoMove(view, kMoveQuiet, NodeMoveKey(*next), kRedrawSilent);
  RedrawAfterJump(view);
  if (InGame()) RestartGameClock(view);
}

void ForwardToBranch(CNarvoView* view) {
  g_nReplayPaused = 0;
  const bool inGame = InGame();
  for (;;) {
    // Nothing follows a 投了 or 中断 mark, nor a missing node.
    RecordNode* next = NextChild();
    if (!next) break;
    const bool endMark = !IsBoardMoveNode(*next);
    if (inGame && IsEndMark(*next)) break;
    RecordNode* before = g_Record.current;
    DoMove(view, kMoveQuiet, NodeMoveKey(*next), kRedrawSilent);
    if (endMark || g_Record.current == before) break;
    if (IsBranchPoint(g_Record.current)) break;
  }
  RedrawAfterJump(view);
  if (inGame) RestartGameClock(view);
}

void BackToBranch(CNarvoView* view) {
  g_nReplayPaused = 0;
  while (g_Record.moveNumber > 0) {
    UndoMove(view, kMoveQuiet, kRedrawSilent);
    if (g_Record.moveNumber == 0 || IsBranchPoint(g_Record.current)) break;
  }
  RedrawAfterJump(view);
}

void StepIntoVariation(CNarvoView* view, int k) {
  g_nReplayPaused = 0;
  RecordNode* cur = g_Record.current;
  if (!cur || k < 0) return;
  RecordNode* child = cur->firstChild;
  for (int i = 0; child && i < k; ++i) child = child->nextSibling;
  if (child && IsBoardMoveNode(*child)) DoMove(view, kMoveStep, NodeMoveKey(*child), kRedrawAnimate);
}

void GotoMoveNumberOnLine(int n) {
  g_nReplayPaused = 0;
  while (g_Record.moveNumber < n) {
    // 投了 is entered; any other end mark stays unentered.
    RecordNode* next = NextChild();
    if (!next || IsEndMark(*next)) break;
    const int before = g_Record.moveNumber;
    if (DoMove(nullptr, kMoveQuiet, NodeMoveKey(*next), kRedrawSilent) == kDoMoveEnded) break;
    if (g_Record.moveNumber == before) break;
  }
  while (g_Record.moveNumber > n) {
    const int before = g_Record.moveNumber;
    UndoMove(nullptr, kMoveQuiet, kRedrawSilent);
    if (g_Record.moveNumber == before) break;  // off the tree: nothing sound to take back
  }
}

void GotoMoveNumber(CNarvoView* view, int n) {
  GotoMoveNumberOnLine(n);
  RedrawAfterJump(view);
}

void GotoMoveNumberInBranch(CNarvoView* view, int n, int k) {
  RecordNode* node = n > 0 ? GetNodeAtMove(n, g_Record) : nullptr;
  if (k > 0 && IsBranchPoint(node)) {
    GotoMoveNumberOnLine(n - 1);
    RecordNode* alt = node->nextSibling;
    for (int i = 1; alt && i < k; ++i) alt = alt->nextSibling;
    if (alt && g_Record.moveNumber == n - 1)
      DoMove(view, kMoveQuiet, NodeMoveKey(*alt), kRedrawSilent);
  } else {
    GotoMoveNumberOnLine(n);
  }
  RedrawAfterJump(view);
}

void JumpToMoveNumberValue(CNarvoView* view, int n) {
  if (n < 0) {
    Ui().PlayWarningSound();
    return;
  }
  const int length = GetLineLength(g_Record);
  int target = n;
  if (n == length) {
    const RecordNode* node = GetNodeAtMove(n, g_Record);
    if (!node) return;
    if (n > 0 && IsEndMark(*node)) target = n - 1;
  } else if (n > length) {
    target = length;
  }
  const int current = g_Record.moveNumber;
  if (target != current) {
    g_nReplayPaused = 0;
    if (target == current + 1) {
      RecordNode* next = NextChild();
      if (next && !IsEndMark(*next)) DoMove(view, kMoveStep, NodeMoveKey(*next), kRedrawSilent);
    } else if (target == current - 1) {
      UndoMove(view, kMoveStep, kRedrawSilent);
    } else {
      GotoMoveNumber(view, target);
    }
  }
  UpdateDovuWndScroll();
}

void JumpToMoveNumber(CNarvoView* view) {
  int n = g_Record.moveNumber;
  if (!g_pAskMoveNumber || !g_pAskMoveNumber(g_Record.moveNumber, n)) return;
  JumpToMoveNumberValue(view, n);
}

// ---- Continuous replay ------------------------------------------------------------------

void AutoReplayForward(CNarvoView* view, bool timed) { RunReplay(view, timed, false); }
void AutoReplayBackward(CNarvoView* view, bool timed) { RunReplay(view, timed, true); }

int ReplayPauseRule() {
  if (IsReplayKeyHeld(kReplayKeyShift)) return 0;
  const RecordNode* cur = g_Record.current;
  const bool comment = g_nCommentWndMode != 0 && cur && cur->comment;
  const bool branch = IsBranchPoint(GetNodeAtMove(g_Record.moveNumber + 1, g_Record)) != 0;
  if (comment && branch) {
    if (g_nStopAtComment == 1 || g_nStopAtBranch == 1) return 1;
    if (g_nStopAtComment == 2)
      Sleep(g_nStopAtBranch == 2 ? std::max(g_nCommentWaitMs, g_nBranchWaitMs) : g_nCommentWaitMs);
    else if (g_nStopAtComment == 0 && g_nStopAtBranch == 2)
      Sleep(g_nBranchWaitMs);
    return 0;
  }
  if (comment || branch) {
    const int rule = comment ? g_nStopAtComment : g_nStopAtBranch;
    if (rule == 1) return 1;
    if (rule == 2) Sleep(comment ? g_nCommentWaitMs : g_nBranchWaitMs);
  }
  return 0;
}

int FasterReplaySpeed(int speed) {
  if (speed <= 1) return speed;
  return speed < 60 ? speed - 1 : speed - 10;
}

int SlowerReplaySpeed(int speed) {
  if (speed > 240) return speed;
  return speed < 50 ? speed + 1 : speed + 10;
}

// ---- Keys -------------------------------------------------------------------------------

void NoteReplayKey(int replayKey, bool down) {
  if (replayKey == kReplayKeyShift || replayKey < 0 || replayKey >= int(std::size(g_heldKeys))) return;
  g_heldKeys[replayKey] = down;
  if (down) g_pressedKeys[replayKey] = true;
}

bool TakeReplayKeyPress(int replayKey) {
  if (replayKey == kReplayKeyShift || replayKey < 0 || replayKey >= int(std::size(g_heldKeys))) return false;
  const bool pressed = g_pressedKeys[replayKey] || g_heldKeys[replayKey];
  g_pressedKeys[replayKey] = false;
  return pressed;
}

bool IsReplayKeyHeld(int replayKey) {
  if (replayKey == kReplayKeyShift) return IsShiftHeld();
  if (replayKey < 0 || replayKey >= int(std::size(g_heldKeys))) return false;
  return g_heldKeys[replayKey];
}

void ForgetReplayKeys() {
  for (bool& held : g_heldKeys) held = false;
  for (bool& pressed : g_pressedKeys) pressed = false;
}
