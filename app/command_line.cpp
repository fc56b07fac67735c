#include "app/command_line.h"

#include <climits>

#include "record/text.h"

namespace {

enum class Kind {
  kNotOption,
  kEnv,
  kPos,  // /X /Y /KX /KY with their number
  kPrint,
  kReplay,
  kReplayClose,
  kEdit,
  kClipboard,
  kIgnored,  // /CD: kept from the classic switch set, does nothing
  kGame,
  kLoadOnly,
  kHelp,
};

struct Option {
  Kind kind = Kind::kNotOption;
  std::u16string rest;  // text after the option letters
  int* value = nullptr;
  bool* flag = nullptr;
};

// A whole signed decimal number, nothing else.
bool ParseWholeInt(const std::u16string& s, int& out) {
  if (s.empty()) return false;
  size_t i = (s[0] == u'+' || s[0] == u'-') ? 1 : 0;
  if (i == s.size()) return false;
  for (size_t k = i; k < s.size(); ++k)
    if (s[k] < u'0' || s[k] > u'9') return false;
  long long v = U16ToInt(s);
  out = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v);
  return true;
}

Option Classify(const std::u16string& a, CommandLine& cmd) {
  Option o;
  if (a == u"--help" || a == u"-h") {
    o.kind = Kind::kHelp;
    return o;
  }
  if (a.size() < 2 || (a[0] != u'/' && a[0] != u'-')) return o;
  std::u16string body = a.substr(1);
  char16_t c = body[0];
  if ((c == u'E' || c == u'e') && body.find(u'/') == std::u16string::npos) {
    o.kind = Kind::kEnv;
    o.rest = body.substr(1);
    return o;
  }
  struct Pos {
    const char16_t* key;
    int* value;
    bool* flag;
  } const positions[] = {{u"KX", &cmd.kx, &cmd.bKX},
                         {u"KY", &cmd.ky, &cmd.bKY},
                         {u"X", &cmd.x, &cmd.bX},
                         {u"Y", &cmd.y, &cmd.bY}};
  for (const Pos& p : positions) {
    std::u16string key = p.key;
    int n;
    if (body.compare(0, key.size(), key) == 0 && ParseWholeInt(body.substr(key.size()), n)) {
      o.kind = Kind::kPos;
      o.value = p.value;
      o.flag = p.flag;
      o.rest = body.substr(key.size());
      return o;
    }
  }
  if (body == u"CD") {
    o.kind = Kind::kIgnored;
    return o;
  }
  if (body == u"cD") {  // a lower-case c followed by D still pastes
    o.kind = Kind::kClipboard;
    return o;
  }
  if (body.size() != 1) return o;
  switch (c) {
    case u'P': case u'p': o.kind = Kind::kPrint; break;
    case u'A': o.kind = Kind::kReplay; break;
    case u'a': o.kind = Kind::kReplayClose; break;
    case u'B': case u'b': o.kind = Kind::kEdit; break;
    case u'C': case u'c': o.kind = Kind::kClipboard; break;
    case u'G': case u'g': o.kind = Kind::kGame; break;
    case u'R': case u'r': o.kind = Kind::kLoadOnly; break;
    default: break;
  }
  return o;
}

void TakeFileName(CommandLine& cmd, const std::u16string& name) {
  cmd.bFileGiven = true;
  cmd.fileName = name;
  cmd.bFileTooLong = name.size() > kCmdLinePathMax;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::u16string>& args,
                             const std::function<bool(const std::u16string&)>& isExistingFile) {
  CommandLine cmd;
  cmd.empty = args.empty();
  bool envUpper = false;  // "/E" is looked for first, "/e" only when it is absent
  const size_t n = args.size();
  for (size_t i = 0; i < n; ++i) {
    const std::u16string& a = args[i];
    if (isExistingFile && isExistingFile(a)) {
      TakeFileName(cmd, a);
      continue;
    }
    if (!a.empty() && a[0] == u'+' && (cmd.bFileGiven || cmd.bClipboard)) {
      long long v = 0;
      size_t end = 0;
      v = U16ToInt(a, &end);
      if (end > 0) {
        cmd.bMoveNumber = true;
        cmd.moveNumber = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v);
      }
      continue;
    }
    Option o = Classify(a, cmd);
    // An option that takes a file name takes the next argument unless that
    // is an option itself.
    auto takeFollowingFile = [&]() -> bool {
      if (i + 1 >= n) return false;
      const std::u16string& next = args[i + 1];
      bool existing = isExistingFile && isExistingFile(next);
      if (!existing) {
        CommandLine scratch;
        if (Classify(next, scratch).kind != Kind::kNotOption) return false;
      }
      TakeFileName(cmd, next);
      ++i;
      return true;
    };
    switch (o.kind) {
      case Kind::kNotOption:
        TakeFileName(cmd, a);
        break;
      case Kind::kHelp:
        cmd.bHelp = true;
        break;
      case Kind::kEnv: {
        bool upper = a[1] == u'E';
        if (cmd.bEnvGiven && (envUpper || !upper)) break;  // the first of its kind holds
        cmd.bEnvGiven = true;
        envUpper = upper;
        cmd.bEnvNameTooLong = o.rest.size() > kCmdLineEnvNameMax;
        cmd.envName = o.rest;
        break;
      }
      case Kind::kPos:
        ParseWholeInt(o.rest, *o.value);
        *o.flag = true;
        break;
      case Kind::kPrint:
        cmd.bPrintOnStart = true;
        takeFollowingFile();
        break;
      // Every A option sets the mode afresh: the last one holds.
      case Kind::kReplay:
        cmd.replayMode = 1;
        takeFollowingFile();
        break;
      case Kind::kReplayClose:
        cmd.replayMode = takeFollowingFile() ? 2 : 1;
        break;
      case Kind::kEdit:
        cmd.bPositionEdit = true;
        break;
      case Kind::kClipboard:
        cmd.bClipboard = true;
        break;
      case Kind::kIgnored:
        break;
      case Kind::kGame:
        cmd.bGame = true;
        takeFollowingFile();
        break;
      case Kind::kLoadOnly:
        cmd.bLoadOnly = true;
        takeFollowingFile();
        break;
    }
  }
  return cmd;
}

StartAction ChooseStartAction(const CommandLine& cmd) {
  if (cmd.bLoadOnly) return StartAction::kLoadOnly;
  if (cmd.replayMode) return StartAction::kReplay;
  if (cmd.bGame) return StartAction::kGame;
  if (cmd.bPositionEdit) return StartAction::kPositionEdit;
  if (cmd.bPrintOnStart) return StartAction::kPrint;
  return StartAction::kNone;
}

int PrintKindForFile(const std::u16string& fileName) {
  std::u16string ext = FileExtensionLower(fileName);
  return (ext == u"csa" || ext == u"zrf" || ext == u"zr2" || ext == u"dovu" || ext == u"zr2u") ? 1
                                                                                            : 0;
}

std::u16string CommandLineHelpText() {
  return u"使い方: narvo [ファイル] [+手数] [オプション]\n"
         u"\n"
         u"  /E<名前>       環境ファイル <名前>.env を使う (/e も可)\n"
         u"  /X<n> /Y<n>    メインウィンドウの位置\n"
         u"  /KX<n> /KY<n>  棋譜ウィンドウの位置\n"
         u"  /R [ファイル]  読み込むだけ\n"
         u"  /A [ファイル]  読み込んで連続再現 (/a とファイルなら再現後に終了)\n"
         u"  /G [ファイル]  読み込んだ棋譜から対局\n"
         u"  /B             読み込んで局面編集\n"
         u"  /P [ファイル]  読み込んで印刷し、終了 (/p も可)\n"
         u"  /C             ファイルの代わりにクリップボードから読み込む\n"
         u"  +<n>           ファイル名 (または /C) の後: 第n手を表示\n"
         u"\n"
         u"Options may also be written with '-' in place of '/'. An argument is an\n"
         u"option only when it is exactly one of the forms above; an argument naming\n"
         u"an existing file is always a file name, and so is any other argument, so\n"
         u"absolute paths such as /home/u/projects/a.zrf are opened as files.\n"
         u"After loading one action runs: R before A before G before B before P.\n";
}
