// While a command waits on another program or the network, the windows go
// on painting and timers run, but the command is not entered again beneath
// itself: the user's input stays queued until the wait ends, and a command,
// a close or a dropped file asked for meanwhile (by a timer, another part of
// the program, the window system) is held. What was held runs, in the order
// asked for, once the command that waited has returned to the event loop:
// never inside that command's own message boxes, nor between two waits of
// one command.
#pragma once
#include <functional>

class BusyWait {
public:
  BusyWait();
  ~BusyWait();
  BusyWait(const BusyWait&) = delete;
  BusyWait& operator=(const BusyWait&) = delete;

  // True during a wait, and after it until the command that waited has
  // returned to the event loop.
  static bool Active();
  // Painting, timers and sockets for up to maxMs; no input.
  static void Pump(int maxMs);
  // Runs once the command that waited has returned to the event loop.
  static void Hold(std::function<void()> command);
  // Runs now, or is held while Active().
  static void RunOrHold(std::function<void()> command);
};
