// The modifier keys as they are at the moment they matter. Asked of the
// window system each time: a set of presses noted by one window misses a
// release made while another window had the focus, and a Shift that stays
// "held" would change every later command.
#pragma once
#include <Qt>

// Where the modifiers come from: QGuiApplication::queryKeyboardModifiers
// unless a test installs its own.
using KeyboardModifiersFunction = Qt::KeyboardModifiers (*)();
extern KeyboardModifiersFunction g_pQueryKeyboardModifiers;

Qt::KeyboardModifiers CurrentKeyboardModifiers();
inline bool IsShiftHeld() { return (CurrentKeyboardModifiers() & Qt::ShiftModifier) != 0; }
inline bool IsCtrlHeld() { return (CurrentKeyboardModifiers() & Qt::ControlModifier) != 0; }
