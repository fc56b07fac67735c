// The one road of a move: a move, an end-of-game mark or a control request
// from the board view, the game commands, navigation and the companion
// windows reaches the record, the shown position and the screen through
// DoMove; UndoMove takes the shown move back. Readers, paste and merge build
// the record tree directly and never come here.
#pragma once
#include <cstdint>

class CNarvoView;
struct RecordNode;

// Modes of DoMove and UndoMove.
enum MovePathMode {
  kMoveGame = 0,   // entered in a game: added to the record, timed, fully repainted
  kMoveStep = 1,   // stepping along the record: the existing child is selected
  kMoveQuiet = 4,  // as 1, but only the position and the move number change
};
// Redraw levels: 0 silent, 1 the piece sound, 2 the sound and the slide.
enum MovePathRedraw { kRedrawSilent = 0, kRedrawSound = 1, kRedrawAnimate = 2 };

// Control keys (from-byte 2).
constexpr int kKeyTakeBackEntered = 0x0202;  // 入力の取り消し
constexpr int kKeyTakeBackOne = 0x0302;      // １手戻す (any key whose to-byte is 3)
constexpr int kKeyEnterNext = 0x0802;        // the record's next move as the side's move
constexpr int kKeyResign = 0x0001;

// Results of DoMove.
enum DoMoveResult {
  kDoMoveEnded = 0,       // done; also an end mark other than 千日手, or the resignation
  kDoMoveGoesOn = 1,      // done or nothing to do: control keys, a full record, mode 4
  kDoMoveRepetition = 3,  // the game ended in 千日手
  kDoMoveDeclined = 6,    // the user kept the record's continuation
};

// When the last move was entered (seconds since 1970): the seconds of the
// next game move are measured from it.
extern int64_t g_tMoveTime;

// view may be null (nothing is drawn then).
int DoMove(CNarvoView* view, int mode, int key, int redraw);
// Takes the current move of the shown line back; nothing at move 0.
void UndoMove(CNarvoView* view, int mode, int redraw);
// The step itself, the one place where a step changes the position: DoMove,
// UndoMove and the quiet walks (the jump to a node) all come through here.
// Nothing is drawn.
// Enters `node`, a child of the current node: its board move is made (as
// the board's pieces make it), the node becomes current, the side turns and
// the move number rises; 投了 changes no square. Any other end mark is not
// entered and changes nothing: false then. `made`, when given, receives the
// MoveCode made on the board (0 for none).
bool EnterNode(RecordNode* node, uint32_t* made = nullptr);
// Leaves the current node for its parent: its move is taken back, the side
// turns and the move number falls.
void LeaveNode(RecordNode* parent);

// The whole view, the move list and the variation window.
void RedrawBoardView(CNarvoView* view);
// Only the cells the move touched: origin, destination and the mover's hand.
// moverSide is the side bit (0x80 or 0) of the moved piece.
void RedrawMoveSquares(CNarvoView* view, uint32_t moveCode, int moverSide);

// ---- Seams ----------------------------------------------------------------------

// The piece sound after a move or a take-back; the sound module installs its
// player here. None plays nothing.
using PieceSoundFunction = void (*)();
extern PieceSoundFunction g_pPlayPieceSound;

// Called with the name of each repaint step as it is taken ("squares",
// "clear-marks", "marks", "info-last-move", "info-side", "stand-labels",
// "time-line", "comment", "info-lines", "move-list", "branch", "sound",
// "animate", "start-clock", "stop-clock"), so that the order can be checked.
using MovePathTraceFunction = void (*)(const char* step);
extern MovePathTraceFunction g_pMovePathTrace;

// ---- The game clock (app/game_play) ----------------------------------------------

// Timer 2 at 1000 ms, the running time 0 of the side to move; sets g_bGameClock.
void StartClock(CNarvoView* view);
// Kills timer 2 when the clock was ever started.
void StopClock(CNarvoView* view);
