// The command line: the parser as a table, the choice of the one action, and
// what the actions call in which order.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/narvo_app.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/recording_ui.h"

namespace {

std::vector<std::u16string> Args(std::initializer_list<const char*> list) {
  std::vector<std::u16string> v;
  for (const char* s : list) v.push_back(U16(s));
  return v;
}

CommandLine Parse(std::initializer_list<const char*> list, std::set<std::string> existing = {}) {
  return ParseCommandLine(Args(list), [existing](const std::u16string& a) {
    return existing.count(Utf16ToUtf8(a)) > 0;
  });
}

struct ParseCase {
  std::initializer_list<const char*> args;
  std::set<std::string> existing;
  const char* file;  // nullptr: no file given
  int moveNumber;    // -1: none
  StartAction action;
  int replayMode;
  bool clipboard;
};

TEST(CommandLine, FilesMoveNumbersAndActions) {
  const ParseCase cases[] = {
      {{}, {}, nullptr, -1, StartAction::kNone, 0, false},
      {{"a.zrf"}, {}, "a.zrf", -1, StartAction::kNone, 0, false},
      // Absolute paths holding "/p", "/e", "/a" are files, whether they exist or not.
      {{"/home/u/projects/a.zrf"}, {}, "/home/u/projects/a.zrf", -1, StartAction::kNone, 0, false},
      {{"/e/a/p.zrf"}, {}, "/e/a/p.zrf", -1, StartAction::kNone, 0, false},
      {{"/P"}, {"/P"}, "/P", -1, StartAction::kNone, 0, false},  // an existing file named like an option
      {{"a.zrf", "+25"}, {}, "a.zrf", 25, StartAction::kNone, 0, false},
      {{"+25"}, {}, "+25", -1, StartAction::kNone, 0, false},  // before any file: a file name
      {{"a.zrf", "+x"}, {}, "a.zrf", -1, StartAction::kNone, 0, false},
      {{"/C", "+10"}, {}, nullptr, 10, StartAction::kNone, 0, true},
      {{"/CD"}, {}, nullptr, -1, StartAction::kNone, 0, false},
      {{"/cD"}, {}, nullptr, -1, StartAction::kNone, 0, true},
      {{"-c"}, {}, nullptr, -1, StartAction::kNone, 0, true},
      {{"/a"}, {}, nullptr, -1, StartAction::kReplay, 1, false},
      {{"/a", "b.zrf"}, {}, "b.zrf", -1, StartAction::kReplay, 2, false},
      {{"b.zrf", "/a"}, {}, "b.zrf", -1, StartAction::kReplay, 1, false},
      {{"/A", "b.zrf"}, {}, "b.zrf", -1, StartAction::kReplay, 1, false},
      // Each replay option sets the mode again: the last one holds.
      {{"/a", "b.zrf", "/A"}, {}, "b.zrf", -1, StartAction::kReplay, 1, false},
      {{"/a", "b.zrf", "/a"}, {}, "b.zrf", -1, StartAction::kReplay, 1, false},
      {{"/A", "/a", "b.zrf"}, {}, "b.zrf", -1, StartAction::kReplay, 2, false},
      {{"/G", "g.zrf", "+3"}, {}, "g.zrf", 3, StartAction::kGame, 0, false},
      {{"/B", "b.bod"}, {}, "b.bod", -1, StartAction::kPositionEdit, 0, false},
      {{"-p", "x.dovu"}, {}, "x.dovu", -1, StartAction::kPrint, 0, false},
      // An option after another is an option, not its file name.
      {{"/R", "/A", "r.zrf"}, {}, "r.zrf", -1, StartAction::kLoadOnly, 1, false},
      {{"/P", "/B", "/G", "/A", "x.zrf"}, {}, "x.zrf", -1, StartAction::kReplay, 1, false},
      {{"/P", "/B", "/G"}, {}, nullptr, -1, StartAction::kGame, 0, false},
      {{"/B", "/P"}, {}, nullptr, -1, StartAction::kPositionEdit, 0, false},
      {{"/Xabc"}, {}, "/Xabc", -1, StartAction::kNone, 0, false},
  };
  for (const ParseCase& c : cases) {
    CommandLine cmd = Parse(c.args, c.existing);
    std::string label = "args:";
    for (const char* a : c.args) label += std::string(" ") + a;
    SCOPED_TRACE(label);
    EXPECT_EQ(cmd.empty, c.args.size() == 0);
    EXPECT_EQ(cmd.bFileGiven, c.file != nullptr);
    if (c.file) {
      EXPECT_EQ(Utf16ToUtf8(cmd.fileName), c.file);
    }
    EXPECT_EQ(cmd.bMoveNumber, c.moveNumber >= 0);
    if (c.moveNumber >= 0) {
      EXPECT_EQ(cmd.moveNumber, c.moveNumber);
    }
    EXPECT_EQ(ChooseStartAction(cmd), c.action);
    EXPECT_EQ(cmd.replayMode, c.replayMode);
    EXPECT_EQ(cmd.bClipboard, c.clipboard);
    EXPECT_FALSE(cmd.bFileTooLong);
  }
}

TEST(CommandLine, SettingsNameAndWindowPositions) {
  CommandLine cmd = Parse({"/Emine", "/eother", "/X100", "/Y-20", "/KX5", "/KY7", "f.zrf"});
  EXPECT_TRUE(cmd.bEnvGiven);
  EXPECT_EQ(cmd.envName, u"mine");
  EXPECT_TRUE(cmd.bX && cmd.bY && cmd.bKX && cmd.bKY);
  EXPECT_EQ(cmd.x, 100);
  EXPECT_EQ(cmd.y, -20);
  EXPECT_EQ(cmd.kx, 5);
  EXPECT_EQ(cmd.ky, 7);
  EXPECT_EQ(cmd.fileName, u"f.zrf");

  EXPECT_EQ(Parse({"/eother", "-Emine"}).envName, u"mine");  // "/E" is looked for first
  EXPECT_EQ(Parse({"/eother"}).envName, u"other");
  CommandLine bare = Parse({"/E"});
  EXPECT_TRUE(bare.bEnvGiven);
  EXPECT_TRUE(bare.envName.empty());
  CommandLine path = Parse({"/etc/x.zrf"});
  EXPECT_FALSE(path.bEnvGiven);
  EXPECT_EQ(path.fileName, u"/etc/x.zrf");
  EXPECT_FALSE(Parse({"/X"}).bX);
  EXPECT_TRUE(Parse({"-h"}).bHelp);
  EXPECT_TRUE(Parse({"--help"}).bHelp);
}

TEST(CommandLine, OverlongNamesAreRefusedNotCut) {
  std::string longest(kCmdLinePathMax, 'f');
  std::string over(kCmdLinePathMax + 1, 'f');
  std::string longName = "/E" + std::string(kCmdLineEnvNameMax + 1, 'n');
  std::string fitName = "/E" + std::string(kCmdLineEnvNameMax, 'n');
  EXPECT_FALSE(Parse({longest.c_str()}).bFileTooLong);
  CommandLine cmd = Parse({over.c_str()});
  EXPECT_TRUE(cmd.bFileTooLong);
  EXPECT_EQ(cmd.fileName.size(), over.size());
  EXPECT_TRUE(Parse({longName.c_str()}).bEnvNameTooLong);
  EXPECT_FALSE(Parse({fitName.c_str()}).bEnvNameTooLong);
}

TEST(CommandLine, PrintKindByExtension) {
  for (const char* f : {"a.csa", "a.ZRF", "a.zr2", "a.dovu", "a.zr2u"}) EXPECT_EQ(PrintKindForFile(U16(f)), 1) << f;
  for (const char* f : {"a.bod", "a.txt", "a", ""}) EXPECT_EQ(PrintKindForFile(U16(f)), 0) << f;
}

// ---- Actions ---------------------------------------------------------------------

class Recorder {
public:
  explicit Recorder(int openResult) {
    a.openRecordFile = [this, openResult](const std::u16string& p) {
      log.push_back("open " + Utf16ToUtf8(p) + " @" + std::to_string(g_nLoadPosition));
      return openResult;
    };
    a.pasteFromClipboard = [this] {
      log.push_back("paste @" + std::to_string(g_nLoadPosition));
      return 0;
    };
    a.gotoMoveNumber = [this](int n) { log.push_back("goto " + std::to_string(n)); };
    a.autoReplayForward = [this] { log.push_back("replay"); };
    a.startGame = [this] { log.push_back("game resume=" + std::to_string(g_bResumeGame)); };
    a.startPositionEdit = [this] { log.push_back("edit"); };
    a.printShownPosition = [this] { log.push_back("print position kind=" + std::to_string(g_nPrintKind)); };
    a.printScoreSheet = [this] { log.push_back("print sheet kind=" + std::to_string(g_nPrintKind)); };
    a.closeMainWindow = [this] { log.push_back("close"); };
  }
  StartupActions a;
  std::vector<std::string> log;
};

struct ActionCase {
  std::initializer_list<const char*> args;
  int openResult;
  std::vector<std::string> expected;
};

TEST(CommandLine, ActionsRunInTheirOrder) {
  const ActionCase cases[] = {
      {{"a.zrf"}, 0, {"open a.zrf @3"}},
      {{"a.zrf", "+25"}, 0, {"open a.zrf @0", "goto 25"}},
      {{"a.zrf", "+25"}, -1, {"open a.zrf @0"}},
      {{"/C", "+10"}, 0, {"paste @0", "goto 10"}},
      {{"/c"}, 0, {"paste @3"}},
      {{"/G", "g.zrf"}, 0, {"open g.zrf @3", "game resume=1"}},
      // A failed load cancels the game; the next action in order runs.
      {{"/G", "g.zrf", "/B"}, -1, {"open g.zrf @3", "edit"}},
      {{"/R", "/A", "r.zrf", "/G", "/B", "/P"}, 0, {"open r.zrf @3"}},
      {{"/A", "r.zrf"}, 0, {"open r.zrf @3", "replay"}},
      {{"/a", "r.zrf"}, 0, {"open r.zrf @3", "replay", "close"}},
      {{"/a"}, 0, {"replay"}},
      {{"/P", "x.dovu"}, 0, {"open x.dovu @3", "print sheet kind=1", "close"}},
      {{"/P", "x.bod", "+3"}, 0, {"open x.bod @0", "goto 3", "print position kind=0", "close"}},
      {{"/P", "x.zrf", "+3"}, 0, {"open x.zrf @0", "goto 3", "print position kind=0", "close"}},
  };
  for (const ActionCase& c : cases) {
    std::string label = "args:";
    for (const char* a : c.args) label += std::string(" ") + a;
    SCOPED_TRACE(label);
    ResetEnvDefaults();
    g_nLoadPosition = 3;
    g_bResumeGame = 0;
    Recorder r(c.openResult);
    RunCommandLineActions(Parse(c.args), r.a);
    EXPECT_EQ(r.log, c.expected);
    EXPECT_EQ(g_nLoadPosition, 3);  // restored after the load
  }
}

TEST(CommandLine, OverlongFileIsReportedAndNotOpened) {
  RecordingUi ui;
  Recorder r(0);
  std::string over(kCmdLinePathMax + 5, 'x');
  RunCommandLineActions(Parse({"/G", over.c_str(), "/B"}), r.a);
  EXPECT_EQ(r.log, std::vector<std::string>{"edit"});
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, u"棋譜読込みエラー");
  EXPECT_EQ(ui.boxes[0].text, u"ファイルがありません。(" + U16(over) + u")");
  EXPECT_EQ(ui.boxes[0].flags & 0xF0, kMbIconError);
}

}  // namespace
