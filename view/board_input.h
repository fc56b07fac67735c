// The board view's keyboard: the record's stepping keys in viewing mode, the
// print-preview bar's letters, the keyboard pointer of the game and editing
// modes, and the Space key that pauses and resumes continuous replay. Each
// handler is a plain function of the key so that it runs without events.
#pragma once
#include <Qt>

#include "view/board_geometry.h"

class CNarvoView;

// A key bound as an accelerator in the command table: the command owns it and
// the view leaves it alone (also while the command is disabled).
bool IsCommandAccelerator(int key, Qt::KeyboardModifiers modifiers);

// A key pressed in the view in the given mode (g_AppMode). key is a Qt::Key;
// the numeric pad's digits come with Qt::KeypadModifier. True when the key
// did something.
bool OnViewKeyDown(CNarvoView* view, int key, Qt::KeyboardModifiers modifiers, int mode);
// A key released: Space pauses or resumes continuous replay in viewing mode.
// Auto-repeated releases are not passed here.
bool OnViewKeyUp(CNarvoView* view, int key, int mode);

// The keys the replay loop reads by their state (Backspace, Enter, Up,
// Down) reported to it on their presses and releases.
void NoteViewReplayKey(int key, bool down);

// Where the keyboard pointer goes from the client point (x, y) on the key
// (Up, Down, Left, Right, Home, or Ctrl with 1..7) in the game and editing
// modes: from cell centre to cell centre over the left area (upper stand and
// piece box), the board and the lower stand; Enter puts it on the centre of
// its own cell. False for any other key.
bool KeyboardPointerTarget(int key, Qt::KeyboardModifiers modifiers, PixelPoint from, CellSize cell,
                           PixelPoint& to);
