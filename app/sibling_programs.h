// The record and mate-problem databases, separate programs of the same
// family: found by their window class, started when not running, handed keys
// or the register message, with the data on the clipboard.
#pragma once
#include <cstdint>
#include <string>

class CNarvoView;

using SiblingWindow = uint32_t;  // 0 none

enum SiblingKey { kSiblingKeyF4 = 0x73, kSiblingKeyF5 = 0x74 };

// What finding, starting and talking to the other programs needs of the
// desktop. The default works on X11 and finds no window elsewhere.
class SiblingPort {
public:
  virtual ~SiblingPort() = default;
  // A top-level window whose class is windowClass, 0 when none.
  virtual SiblingWindow FindWindow(const char* windowClass) = 0;
  // Starts the program (no shell); false when it cannot start.
  virtual bool Start(const std::u16string& program) = 0;
  // Lets time pass while the window keeps painting (no user input).
  virtual void Wait(int milliseconds) = 0;
  virtual void Raise(SiblingWindow window) = 0;
  virtual void SendKey(SiblingWindow window, SiblingKey key) = 0;
  // The register message: the path is on the clipboard.
  virtual void SendRegister(SiblingWindow window) = 0;
  virtual void SetWaitCursor(bool on) = 0;
};
SiblingPort& Siblings();
// Installs a port; nullptr puts the default back. Returns the previous one.
SiblingPort* SetSiblingPort(SiblingPort* port);

// The record database's window, started and given F4 when it was not
// running; 0 when it cannot be started or shows no window.
SiblingWindow FindOrLaunchRecordDb(CNarvoView* view);
void LaunchRecordDb(CNarvoView* view);
void RecordDbPositionSearch(CNarvoView* view);
void RecordDbRegister(CNarvoView* view);
void LaunchProblemDb(CNarvoView* view);
