// Moving the shown position along the record: single steps, jumps, branch
// points, a typed move number, and continuous replay with its own message
// loop paced by the view's timer 1. Every step goes through DoMove/UndoMove;
// silent multi-step jumps use mode 4 and repaint once at the end.
#pragma once

class CNarvoView;
struct RecordNode;

// The status line while continuous replay is paused.
inline constexpr char16_t kReplayPauseText[] = u"一時停止（スペースキーで連続再現を再開）";

// Timer 1 is running for the forward or the backward replay loop.
extern int g_bReplayTimerSet;
extern int g_bBackReplayTimerSet;

// 1 when the node is one of two or more children of its parent.
int IsBranchPoint(const RecordNode* node);
// The same with the parent known (nullptr for the root), for callers that
// walk the line and need not search for it.
int IsBranchPointUnder(const RecordNode* node, const RecordNode* parent);

// ---- Steps and jumps (each clears g_nReplayPaused) ------------------------------

// 開始局面へ (Home).
void GotoStartPosition(CNarvoView* view);
// １手戻す: a take-back in a game, else one move back with the slide.
void StepBackward(CNarvoView* view);
// １手進める (Right).
void StepForward(CNarvoView* view);
// 最終局面へ (End).
void GotoLineEnd(CNarvoView* view);
// 次の分岐まで進める / 前の分岐まで戻す.
void ForwardToBranch(CNarvoView* view);
void BackToBranch(CNarvoView* view);
// One move into the k-th child of the current node (k 0..8, the keys 1..9).
void StepIntoVariation(CNarvoView* view, int k);

// Silently to move n of the current line, as far as the line goes.
void GotoMoveNumberOnLine(int n);
// The same, then the whole view and the companion windows drawn again.
void GotoMoveNumber(CNarvoView* view, int n);
// To move n taking its k-th following alternative (k 1 the next sibling);
// k 0, or a move n without alternatives, goes along the line.
void GotoMoveNumberInBranch(CNarvoView* view, int n, int k);

// 指定手数へ: asks for a move number and goes there.
void JumpToMoveNumber(CNarvoView* view);
// What OK of that dialog does with the number typed.
void JumpToMoveNumberValue(CNarvoView* view, int n);

// ---- Continuous replay ---------------------------------------------------------

// Untimed (timed false) steps as fast as messages allow. Nothing while a
// replay already runs.
void AutoReplayForward(CNarvoView* view, bool timed = true);
void AutoReplayBackward(CNarvoView* view, bool timed = true);
// After a timed step: 1 pause here, 0 go on (after waiting when the
// settings say wait).
int ReplayPauseRule();

// The next speed (再現速度, tenths of a second) when Up (faster) or Down
// (slower) is held; the same speed at the limits.
int FasterReplaySpeed(int speed);
int SlowerReplaySpeed(int speed);

// ---- Keys read while replay runs -------------------------------------------------

// The loop reads these keys by their state, not by messages. Shift is asked
// of the window system when it matters (view/key_state.h); the others are
// noted by the view's key handling on their presses and releases, and
// forgotten when the view loses the focus, since their releases then go
// elsewhere.
enum ReplayKey { kReplayKeyShift, kReplayKeyBackspace, kReplayKeyEnter, kReplayKeyUp, kReplayKeyDown };
void NoteReplayKey(int replayKey, bool down);
bool IsReplayKeyHeld(int replayKey);
// Whether the key was pressed since the last time this was asked, or is
// held now; the press is then forgotten.
bool TakeReplayKeyPress(int replayKey);
void ForgetReplayKeys();

// ---- Seams -------------------------------------------------------------------------

// Serves the waiting messages once; waiting is set while the loop waits for
// a tick (the default then blocks until a message comes). Tests install one
// that raises g_nReplayTick or asks for a stop.
using ReplayPumpFunction = void (*)(bool waiting);
extern ReplayPumpFunction g_pReplayPump;
// Sleeps that long (the pause rule's waits, the pause after a speed change).
using ReplaySleepFunction = void (*)(int milliseconds);
extern ReplaySleepFunction g_pReplaySleep;
// The number typed into 指定手数へ: true on OK. The default shows the dialog.
using AskMoveNumberFunction = bool (*)(int current, int& number);
extern AskMoveNumberFunction g_pAskMoveNumber;
