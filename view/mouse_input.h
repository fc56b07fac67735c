// The board view's mouse: picking up and dropping pieces in a game and in
// position editing, the promotion question and the refusals of a move entered
// in a game, the move typed into the move-entry dialog, the stand labels and
// the right click of position editing, the comment area, the context menus by
// mode, and the trimming rectangle of print preview. Each handler is a plain
// function of the point in client pixels, so that it runs without events.
#pragma once
#include <QPoint>
#include <Qt>

#include <string>
#include <vector>

class CNarvoView;
class QMenu;
struct BoardState;

// A trimming edge or the trimming rectangle follows the mouse.
extern int g_bTrimDragging;

// ---- Handlers -----------------------------------------------------------------------

void OnViewLButtonDown(CNarvoView* view, int x, int y);
void OnViewLButtonUp(CNarvoView* view, int x, int y);
void OnViewMouseMove(CNarvoView* view, int x, int y);
// Also the right double click.
void OnViewRButtonDown(CNarvoView* view, int x, int y);
void OnViewRButtonUp(CNarvoView* view);
// The popup menu of the mode at the screen point, unless the right press
// already did something. False when no menu was shown.
bool OnViewContextMenu(CNarvoView* view, QPoint globalPos);
// The commands of the popup menu of a mode, 0 a separator; empty for the
// modes without one.
std::vector<int> ContextMenuCommands(int mode);

// ---- Moves ----------------------------------------------------------------------------

// The held piece from fromCell dropped with its centre at (x, y) in a game.
void EnterHumanMove(CNarvoView* view, int fromCell, int x, int y);
// The move-entry dialog, asked again until a move is entered or it is
// cancelled.
void EnterMoveByDialog(CNarvoView* view);

// What a typed move text asks for.
enum TypedMoveKind {
  kTypedError,  // `error` holds the message
  kTypedMove,   // `key` is the move
  kTypedResign,
  kTypedSuspend,
  kTypedTakeBack,
};
// Reads a text of the move-entry dialog ("7677", "7776n", "45ka", "make",
// "quit", "ret", "back") against the position; the move is always checked by
// the rules.
int ReadTypedMove(const std::u16string& text, BoardState& board, int& key, std::u16string& error);

// A move refused even with rule checking off: onto a piece of one's own, the
// capture of a king, a drop onto a piece.
bool IsPlainlyImpossibleMove(int to, int from, const BoardState& board, int side);

// ---- Trimming ------------------------------------------------------------------------

// The trimming rectangle (left, top, right, bottom) after a press or a drag
// at (x, y): a corner or an edge near the point follows it, a point inside
// moves the whole rectangle there; never narrower or lower than 10 pixels.
// False when the point takes no part of it.
bool MoveTrimRect(int rect[4], int x, int y);
// The cursor over the trimming rectangle at (x, y); -1 for the arrow.
int TrimCursorShape(const int rect[4], int x, int y);
// A press, or a move while dragging, in print preview with trimming on.
void PreviewTrimMouse(CNarvoView* view, int x, int y);

// ---- Seams ------------------------------------------------------------------------------

// The text typed into the move-entry dialog; false when it was cancelled.
using AskTypedMoveFunction = bool (*)(std::u16string& text);
extern AskTypedMoveFunction g_pAskTypedMove;
// Shows a popup menu at a screen point; tests look at it instead.
using ShowPopupMenuFunction = void (*)(QMenu& menu, QPoint globalPos);
extern ShowPopupMenuFunction g_pShowPopupMenu;
