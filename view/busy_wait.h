// While a command waits on another program or the network, the windows go
// on painting and timers run, but the command is not entered again beneath
// itself: the user's input stays queued until the wait ends, and a command
// or a close asked for meanwhile (by a timer, another part of the program)
// is held and runs once the waiting command has returned.
#pragma once
#include <functional>

class BusyWait {
public:
  BusyWait();
  ~BusyWait();
  BusyWait(const BusyWait&) = delete;
  BusyWait& operator=(const BusyWait&) = delete;

  static bool Active();
  // Painting, timers and sockets for up to maxMs; no input.
  static void Pump(int maxMs);
  // Runs after the outermost wait, from the event loop.
  static void Hold(std::function<void()> command);
};
