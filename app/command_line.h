// The program's command line, taken apart without touching the program's
// state: start-up applies the result step by step (the settings name before
// the settings are read, the window positions after, the actions once the
// main window runs).
//
// On Linux every absolute path begins with a slash, so an argument counts as
// an option only when it is exactly one of the option forms below (with "/"
// or "-"); an argument naming an existing file is always a file name; any
// other argument is a file name too.
//
//   /E<name> /e<name>   base name of the settings file
//   /X<n> /Y<n>         main window position
//   /KX<n> /KY<n>       move-list window position
//   /P /p [file]        print after loading, then close
//   /A [file]           continuous replay after loading
//   /a [file]           the same; closes when the replay ends if a file follows
//   /B                  position editing after loading
//   /C /c               the record from the clipboard instead of a file
//   /G [file]           a game continued from the loaded record
//   /R [file]           load only
//   +<n>                after a file name (or after C): show move n
#pragma once
#include <functional>
#include <string>
#include <vector>

// Longest file name taken from the command line (UTF-16 units); a longer one
// is refused rather than cut.
constexpr size_t kCmdLinePathMax = 1023;
// Longest settings base name.
constexpr size_t kCmdLineEnvNameMax = 99;

struct CommandLine {
  bool empty = true;  // no argument at all

  // Settings file and print switch (before the settings are read).
  bool bEnvGiven = false;        // an "/E" or "/e" option was present
  std::u16string envName;        // its name; empty keeps the default
  bool bEnvNameTooLong = false;  // the name is over kCmdLineEnvNameMax: refused
  bool bPrintOnStart = false;

  // Window positions (after the settings are read).
  bool bX = false, bY = false, bKX = false, bKY = false;
  int x = 0, y = 0, kx = 0, ky = 0;

  // Actions (once the main window runs).
  std::u16string fileName;
  bool bFileGiven = false;
  bool bFileTooLong = false;  // fileName is over kCmdLinePathMax: refused
  bool bMoveNumber = false;
  int moveNumber = 0;
  bool bLoadOnly = false;      // R
  bool bGame = false;          // G
  bool bPositionEdit = false;  // B
  bool bClipboard = false;     // C
  int replayMode = 0;          // A: 0 none, 1 replay, 2 replay and close

  bool bHelp = false;  // --help or -h
};

// The one action carried out after loading, in this order of precedence.
enum class StartAction { kNone, kLoadOnly, kReplay, kGame, kPositionEdit, kPrint };

// argv without the program name. isExistingFile tells whether an argument names
// an existing regular file.
CommandLine ParseCommandLine(const std::vector<std::u16string>& args,
                             const std::function<bool(const std::u16string&)>& isExistingFile);

StartAction ChooseStartAction(const CommandLine& cmd);

// Print kind chosen by a file name: 1 (record) for the record extensions, else 0.
int PrintKindForFile(const std::u16string& fileName);

// The text of --help.
std::u16string CommandLineHelpText();
