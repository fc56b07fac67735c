// Position editing: the user sets up any position by moving pieces between
// the board, the stands and the piece box, or by the layout commands. The
// record's moves are thrown away on entry and every change is copied at once
// to g_StartBoard, so ending the edit leaves a record starting there.
#pragma once

class CNarvoView;

extern int g_bEditing;            // position editing is active
extern int g_bMoveListWasShown;   // the move list was shown when editing began

// Enters editing (or ends it when already editing). The save question comes
// first when 棋譜保存確認 is on and the record has changed.
void StartPositionEdit(CNarvoView* view);
// Leaves editing: the position becomes the record's start; mode 4.
void EndPositionEdit(CNarvoView* view);

// The layout commands of the edit menu.
void EditSetEvenLayout(CNarvoView* view);
void EditSetTsumeLayout(CNarvoView* view);
void EditAllToBox(CNarvoView* view);
void EditBoxToGoteHand(CNarvoView* view);
// Half a turn with the players (and their short names) swapped.
void EditSwapSides(CNarvoView* view);
void EditChangeTurn(CNarvoView* view);
// The held piece (the view's picked cell) dropped with its centre at (x, y):
// onto a square, either stand or the box, with Ctrl (and Shift) moving many.
// Nowhere to go: the warning sound and the piece back where it was.
void EditDropPiece(CNarvoView* view, int x, int y);
