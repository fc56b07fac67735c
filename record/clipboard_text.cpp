#include "record/clipboard_text.h"

#include <filesystem>
#include <vector>

#include "record/board.h"
#include "record/datetime.h"
#include "record/header.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_writer.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/folders.h"

namespace {

constexpr char16_t kCrLf[] = u"\r\n";

void AppendF(std::u16string& text, const char16_t* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  AppendFormatV(text, fmt, args);
  va_end(args);
}

void AppendBookmarkLine(const std::u16string& name, std::u16string& text) {
  text += u'&';
  text += name;
  text += kCrLf;
}

void AppendNodeNotes(const RecordNode* node, const BookmarkIndex& marks, std::u16string& text) {
  if (node->comment) AppendCommentLines(node->comment, text);
  if (const auto* names = marks.Of(node))
    for (const std::u16string* name : *names) AppendBookmarkLine(*name, text);
}

// "先手番" and its kin for a position.
const char16_t* SideToMoveWord(const BoardState& board) {
  const bool first = board.sideToMove == kSente;
  if (IsHandicapGame(board)) return first ? u"下手番" : u"上手番";
  return first ? u"先手番" : u"後手番";
}

// The ZRF move line "%4d move (time)" with "+" when an alternative follows.
void AppendZrfMoveLine(std::u16string& text, int k, const RecordNode* nd, int prevTo, int64_t cum,
                       bool alt) {
  AppendDecimal(text, k, 4);
  text += u' ';
  const size_t moveStart = text.size();
  AppendMoveDisplayCore(text, nd->piece, nd->from, nd->to, prevTo);
  const int w = DisplayWidth(std::u16string_view(text).substr(moveStart));
  if (w < 12) text.append(size_t(12 - w), u' ');
  text += u" (";
  text += FormatMoveTime(nd->seconds, cum);
  text += alt ? u")+\r\n" : u")\r\n";
}

// Per move number of the path being walked: destination and the mover's
// running total, so no time is summed twice.
struct PathInfo {
  std::vector<int> to{0};
  std::vector<int64_t> cum{0, 0};
  void Set(int k, int t, int64_t c) {
    if (to.size() <= size_t(k)) {
      to.resize(size_t(k) + 1, 0);
      cum.resize(size_t(k) + 2, 0);
    }
    to[size_t(k)] = t;
    cum[size_t(k) + 1] = c;
  }
  int PrevTo(int k) const { return to[size_t(k - 1)]; }
  int64_t CumBefore(int k) const { return cum[size_t(k - 1)]; }  // the mover's total at k - 2
};

}  // namespace

BookmarkIndex::BookmarkIndex() {
  for (int i = 0; i < g_Record.bookmarkCount && i < kMaxBookmarks; ++i) {
    const int n = g_Record.bookmarks[i].node;
    if (n < 0) continue;
    if (byNode_.size() <= size_t(n)) byNode_.resize(size_t(n) + 1);
    byNode_[size_t(n)].push_back(&g_Record.bookmarks[i].name);
  }
}

const std::vector<const std::u16string*>* BookmarkIndex::Of(const RecordNode* node) const {
  if (byNode_.empty()) return nullptr;
  const int n = NodeIndex(g_Record, node);
  if (n < 0 || size_t(n) >= byNode_.size() || byNode_[size_t(n)].empty()) return nullptr;
  return &byNode_[size_t(n)];
}

// ---- Diagram, hands, comments, header, result ------------------------------------

void AppendHandLine(const BoardState& board, int side, std::u16string& text) {
  text += FormatHandLine(board, side);
  text += kCrLf;
}


void FormatBoardDiagram(std::u16string& text, const BoardState& board) {
  const RecordHeader& h = g_Record.header;
  const bool handicap = IsHandicapGame(g_Board);
  if (!h.secondPlayer.empty()) AppendF(text, u"%s：%s\r\n", handicap ? u"上手" : u"後手", h.secondPlayer.c_str());
  AppendHandLine(board, kGote, text);
  AppendBoardGrid(text, board, kCrLf);
  if (!h.firstPlayer.empty()) AppendF(text, u"%s：%s\r\n", handicap ? u"下手" : u"先手", h.firstPlayer.c_str());
  AppendHandLine(board, kSente, text);
}

void AppendCommentLines(std::u16string_view comment, std::u16string& text) {
  const bool wrap = g_bCommentAutoWrap && g_nCommentWrapColumn >= 1;
  const size_t column = size_t(g_nCommentWrapColumn);
  text += u'*';
  size_t used = 0;
  for (size_t i = 0; i < comment.size(); ++i) {
    const char16_t c = comment[i];
    if (c == u'\n') {
      text += kCrLf;
      if (i + 1 < comment.size()) text += u'*';
      used = 0;
      continue;
    }
    // Never split a surrogate pair at the wrap.
    const bool low = c >= 0xDC00 && c <= 0xDFFF;
    if (wrap && used >= column && !low) {
      text += u"\r\n*";
      used = 0;
    }
    text += c;
    ++used;
  }
  if (comment.empty() || comment.back() != u'\n') text += kCrLf;
}

void AppendHeaderLines(std::u16string& text) {
  const RecordHeader& h = g_Record.header;
  struct Item {
    const char16_t* name;
    const std::u16string* value;
  };
  const Item plain[] = {
      {u"開始日時", &h.startTime}, {u"終了日時", &h.endTime},   {u"表題", &h.title},
      {u"棋戦", &h.event},         {u"戦型", &h.opening},       {u"持ち時間", &h.timeLimit},
      {u"消費時間", &h.timeUsed},  {u"場所", &h.place},         {u"掲載", &h.publishedIn},
  };
  const Item shadowed[] = {
      {u"作品番号", &h.problemNumber}, {u"作品名", &h.problemName}, {u"作者", &h.author},
      {u"発表誌", &h.magazine},        {u"発表年月", &h.publishedDate}, {u"出典", &h.source},
      {u"手数", &h.moveCount},         {u"完全性", &h.completeness}, {u"分類", &h.category},
  };
  for (const Item& it : plain)
    if (!it.value->empty()) AppendF(text, u"%s：%s\r\n", it.name, it.value->c_str());
  for (const Item& it : shadowed)
    if (!it.value->empty() && GetHeaderItemState(it.name) == 0)
      AppendF(text, u"%s：%s\r\n", it.name, it.value->c_str());
  if (!h.notes.empty() && GetHeaderItemState(u"備考") == 0 && GetHeaderItemState(u"記事") == 0)
    AppendF(text, u"備考：%s\r\n", h.notes.c_str());
  for (int i = 0; i < kUserItemCount; ++i)
    if (!g_szUserInfoName[i].empty() && !h.userItems[i].empty())
      AppendF(text, u"%s：%s\r\n", g_szUserInfoName[i].c_str(), h.userItems[i].c_str());
}

void AppendResultLine(const RecordNode* node, int n, std::u16string& text) {
  AppendWithCrLf(text, FormatResultLine(node, n));
}

// ---- ZRF ------------------------------------------------------------------------

namespace {

void AppendZrfBranch(std::u16string& text, const RecordNode* node, int n, const BookmarkIndex& marks) {
  PathInfo path;
  WalkRecordLines(
      node, n, [&](int k) { AppendF(text, u"\r\n変化：%d手\r\n", k); },
      [&](const RecordNode* nd, int k) {
        const int64_t cum = nd->seconds + path.CumBefore(k);
        AppendZrfMoveLine(text, k, nd, path.PrevTo(k), cum, nd->nextSibling != nullptr);
        path.Set(k, nd->to, cum);
        AppendNodeNotes(nd, marks, text);
      },
      [&](const RecordNode* nd, int k) { AppendResultLine(nd, k, text); });
}

}  // namespace

// Room for a text of the whole record at once (unitsPerMove for each move,
// each comment with its marks and line ends): a long record's text grown step
// by step is copied again and again.
void ReserveRecordText(std::u16string& text, size_t unitsPerMove) {
  size_t room = text.size() + 4096;
  for (int i = 0; i < g_Record.poolCapacity; ++i) {
    const RecordNode& n = g_Record.pool[i];
    if (n.from == 0 && n.to == 0 && i != 0) continue;
    room += unitsPerMove;
    if (n.comment) room += std::char_traits<char16_t>::length(n.comment) * 5 / 4 + 8;
  }
  text.reserve(room);
}

void WriteZrfToBuffer(std::u16string& text, int mode) {
  ReserveRecordText(text, 40);
  AppendF(text, u"# ----  %s %s 棋譜ファイル  ----\r\n", g_szProductName, g_szVersion);
  AppendHeaderLines(text);
  // Handicap and diagram come from the start, so the text reads back to the
  // start the moves were played from.
  AppendF(text, u"手合割：%s\r\n", HandicapName(g_StartBoard.handicap));
  const RecordHeader& h = g_Record.header;
  if (g_StartBoard.notAtStart) {
    FormatBoardDiagram(text, g_StartBoard);
    text += SideToMoveWord(g_StartBoard);
    text += kCrLf;
  } else if (IsHandicapGame(g_StartBoard)) {
    AppendF(text, u"下手：%s\r\n上手：%s\r\n", h.firstPlayer.c_str(), h.secondPlayer.c_str());
  } else {
    AppendF(text, u"先手：%s\r\n後手：%s\r\n", h.firstPlayer.c_str(), h.secondPlayer.c_str());
  }
  // Short names go along so that a paste gives the same record back.
  if (!h.firstShortName.empty()) AppendF(text, u"先手省略名：%s\r\n", h.firstShortName.c_str());
  if (!h.secondShortName.empty()) AppendF(text, u"後手省略名：%s\r\n", h.secondShortName.c_str());
  text += u"手数----指手---------消費時間--\r\n";
  const RecordNode* root = g_Record.Root();
  if (!root) return;
  const BookmarkIndex marks;
  AppendNodeNotes(root, marks, text);
  if (mode == kZrfWholeTree) {
    if (root->firstChild) AppendZrfBranch(text, root->firstChild, 1, marks);
    return;
  }
  const std::vector<const RecordNode*> line = GetLineNodes(g_Record);
  const int length = int(line.size());
  PathInfo path;
  const RecordNode* last = nullptr;
  for (int k = 1; k <= length; ++k) {
    const RecordNode* nd = line[size_t(k - 1)];
    const int64_t cum = nd->seconds + path.CumBefore(k);
    AppendZrfMoveLine(text, k, nd, path.PrevTo(k), cum, false);
    path.Set(k, nd->to, cum);
    AppendNodeNotes(nd, marks, text);
    last = nd;
  }
  text += kCrLf;
  if (last) AppendResultLine(last, length, text);
}

// ---- ZR2 ------------------------------------------------------------------------

std::u16string FormatZr2Move(int mode, const RecordNode* nd, int prevTo) {
  const bool mate = mode == kZr2MateProblem;
  const int style = g_nZr2Style;
  const bool half = g_bZr2HalfWidth || mate;
  int mark = kMarkNone;
  if (!mate) {
    if (g_bUnicodeClipboard && mode != kZr2CurrentLine) mark = kMarkSheet;
    else if (style == 2 || (style == 4 && mode != kZr2CurrentLine)) mark = kMarkWhiteUp;
    else mark = kMarkWhiteDown;
  }
  if (!mate && mode != kZr2CurrentLine && (style >= 4 || !g_bCheckRules)) {
    const bool first = nd->piece & kSenteBit;
    std::u16string text = mark == kMarkSheet ? (first ? u"☗" : u"☖")
                          : first            ? u"▲"
                          : mark == kMarkWhiteUp ? u"△"
                                                 : u"▽";
    AppendMoveDisplayCore(text, nd->piece, nd->from, nd->to, prevTo);
    return text;
  }
  return FormatMoveText(nd->textFlags, prevTo, nd->from, nd->to, nd->piece,
                        half ? kFormHalfWidth2 : kFormSame, mark, 0);
}

namespace {

struct Zr2Line {
  std::u16string& text;
  int cell, perLine;
  int width = 0, column = 1;
  void End() {
    text += kCrLf;
    width = 0;
    column = 1;
  }
  void Fill() {
    const int target = (column - 1) * cell;
    if (width < target) {
      text.append(size_t(target - width), u' ');
      width = target;
    }
  }
};

int Zr2PerLine() {
  const int c = g_bZr2HalfWidth ? g_nZr2HalfWidthMovesPerLine : int(g_nZr2MovesPerLine);
  return c < 1 ? 1 : c;
}

void AppendZr2Branch(std::u16string& text, const RecordNode* node, int n, int mode,
                     const BookmarkIndex& marks) {
  const bool mate = mode == kZr2MateProblem;
  Zr2Line line{text, g_bZr2HalfWidth ? 8 : 12, Zr2PerLine()};
  PathInfo path;
  auto newLine = [&] {
    line.width = 0;
    line.column = 1;
  };
  auto onNode = [&](const RecordNode* nd, int k) {
    const int prevTo = path.PrevTo(k);
    path.Set(k, nd->to, 0);
    const bool shown = IsBoardMoveNode(*nd) || nd->comment;
    if (shown) {
      if (!mate) line.Fill();
      const std::u16string move = FormatZr2Move(mode, nd, prevTo);
      text += move;
      line.width += DisplayWidth(move);
      if (mate) {
        text += u'、';
        line.width += 1;
      }
      if (++line.column > line.perLine) line.End();
    }
    if (nd->comment) {
      if (line.column > 1) text += kCrLf;
      AppendCommentLines(nd->comment, text);
      newLine();
    }
    const auto* names = mate ? nullptr : marks.Of(nd);
    if (names) {
      if (line.column > 1) text += kCrLf;
      AppendBookmarkLine(*names->front(), text);
      newLine();
    }
    if (!shown && line.column != 1) line.End();
  };
  WalkRecordLines(
      node, n,
      [&](int k) {
        AppendF(text, u"\r\n変化：%d手\r\n", k);
        newLine();
      },
      onNode,
      [&](const RecordNode* nd, int k) {
        AppendResultLine(nd, k, text);
        newLine();
      });
}

void AppendZr2CurrentLine(std::u16string& text, const BookmarkIndex& marks) {
  Zr2Line line{text, g_bZr2HalfWidth ? 8 : 12, Zr2PerLine()};
  const std::vector<const RecordNode*> nodes = GetLineNodes(g_Record);
  const int length = int(nodes.size());
  int prevTo = 0;
  const RecordNode* last = nullptr;
  for (int k = 1; k <= length; ++k) {
    const RecordNode* nd = nodes[size_t(k - 1)];
    if (IsEndNode(*nd) && line.column > 1) line.End();
    line.Fill();
    const std::u16string move = FormatZr2Move(kZr2CurrentLine, nd, prevTo);
    text += move;
    line.width += DisplayWidth(move);
    if (++line.column > line.perLine || k == length) line.End();
    if (nd->comment) {
      if (line.column > 1) text += kCrLf;
      AppendCommentLines(nd->comment, text);
      line.width = 0;
      line.column = 1;
    }
    if (const auto* names = marks.Of(nd)) {
      if (line.column > 1) text += kCrLf;
      for (const std::u16string* name : *names) AppendBookmarkLine(*name, text);
      line.width = 0;
      line.column = 1;
    }
    prevTo = nd->to;
    last = nd;
  }
  text += kCrLf;
  if (last) AppendResultLine(last, length, text);
}

}  // namespace

void WriteZr2ToBuffer(std::u16string& text, int mode) {
  ReserveRecordText(text, 16);
  AppendHeaderLines(text);
  const bool handicap = IsHandicapGame(g_StartBoard);
  if (handicap) AppendF(text, u"手合割：%s\r\n", HandicapName(g_StartBoard.handicap));
  const RecordHeader& h = g_Record.header;
  if (g_StartBoard.notAtStart) {
    FormatBoardDiagram(text, g_StartBoard);
    // Whoever does not move first in the usual start is named, so the text
    // reads back with the right side to move.
    if (g_StartBoard.sideToMove == kGote || handicap) {
      text += SideToMoveWord(g_StartBoard);
      text += kCrLf;
    }
  } else {
    const char16_t* firstKey = handicap ? u"下手" : u"先手";
    const char16_t* secondKey = handicap ? u"上手" : u"後手";
    if (!h.firstPlayer.empty()) AppendF(text, u"%s：%s\r\n", firstKey, h.firstPlayer.c_str());
    if (!h.secondPlayer.empty()) AppendF(text, u"%s：%s\r\n", secondKey, h.secondPlayer.c_str());
  }
  if (!h.firstShortName.empty()) AppendF(text, u"先手省略名：%s\r\n", h.firstShortName.c_str());
  if (!h.secondShortName.empty()) AppendF(text, u"後手省略名：%s\r\n", h.secondShortName.c_str());
  text += kCrLf;
  const RecordNode* root = g_Record.Root();
  if (!root) return;
  const BookmarkIndex marks;
  AppendNodeNotes(root, marks, text);
  if (mode == kZr2CurrentLine) AppendZr2CurrentLine(text, marks);
  else if (root->firstChild) AppendZr2Branch(text, root->firstChild, 1, mode, marks);
}

// ---- SFEN -----------------------------------------------------------------------

std::u16string FormatSfen(const BoardState& board) {
  static const char16_t kLetters[] = u" PLNSGBRK";
  std::u16string s;
  for (int rank = 1; rank <= 9; ++rank) {
    if (rank > 1) s += u'/';
    int empty = 0;
    for (int f = 9; f >= 1; --f) {
      const int p = board.squares[f * 10 + rank];
      if (!IsPiece(p)) {
        ++empty;
        continue;
      }
      if (empty) s += char16_t(u'0' + empty);
      empty = 0;
      const int code = CodeWithoutSide(p);
      if (code & kPromotedBit && code != kKing) s += u'+';
      const int kind = code == kKing ? kKing : (code & 7);
      char16_t letter = kLetters[kind];
      if (!(p & kSenteBit)) letter = char16_t(letter - u'A' + u'a');
      s += letter;
    }
    if (empty) s += char16_t(u'0' + empty);
  }
  s += board.sideToMove == kSente ? u" b " : u" w ";
  static const int kOrder[] = {kPawn, kLance, kKnight, kSilver, kGold, kBishop, kRook};
  bool any = false;
  for (int side : {kSente, kGote}) {
    const uint8_t* hand = board.hands[SideIndex(side)];
    for (int kind : kOrder) {
      const int count = hand[kind];
      if (!count) continue;
      any = true;
      if (count > 1) AppendDecimal(s, count);
      char16_t letter = kLetters[kind];
      if (side == kGote) letter = char16_t(letter - u'A' + u'a');
      s += letter;
    }
  }
  if (!any) s += u'-';
  s += u" 1";
  return s;
}

// ---- Templates ------------------------------------------------------------------

void AppendSideToMoveLine(std::u16string& text) {
  const bool handicap = IsHandicapGame(g_Board);
  if (g_Board.sideToMove == kGote) text += handicap ? u"上手番\r\n" : u"後手番\r\n";
  else if (handicap) text += u"下手番\r\n";
}

size_t AppendIncludedFile(std::u16string_view tmpl, std::u16string& text) {
  size_t end = tmpl.find(u'"');
  const size_t next = end == std::u16string_view::npos ? tmpl.size() : end + 1;
  const std::u16string_view name = tmpl.substr(0, end == std::u16string_view::npos ? tmpl.size() : end);
  if (name.size() > 511) {
    ShowMessage(u"ファイル名の指定が正しくありません。", kMbOk | kMbIconError);
    return next;
  }
  // "/" absolute, "." the current folder, anything else the program folder.
  std::u16string path(name);
  if (name.empty() || (name[0] != u'/' && name[0] != u'.')) {
    path = g_szProgramFolder;
    if (!path.empty() && path.back() != u'/') path += u'/';
    path += name;
  }
  std::string bytes;
  if (name.empty() || !ReadFileBytes(path, bytes)) {
    std::error_code ec;
    const std::u16string cwd = PathFromNative(std::filesystem::current_path(ec).string());
    ShowMessage(FormatU16(u"ファイル(%s)が読めません。\nカレントフォルダ=%s", std::u16string(name).c_str(),
                          cwd.c_str()),
                kMbOk | kMbIconError);
    return next;
  }
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  const std::u16string content = Utf8ToUtf16(bytes);
  for (size_t i = 0; i < content.size(); ++i) {
    const char16_t c = content[i];
    if (c == u'\r' && i + 1 < content.size() && content[i + 1] == u'\n') continue;
    if (c == u'\n') text += u'\r';
    text += c;
  }
  return next;
}

namespace {

// ClipPosition and Mail: the clipboard's position and mail texts; FilePosition
// and FileMail: the position file and the mail text files, whose code tables
// differ from the clipboard's.
enum class TemplateKind { ClipPosition, FilePosition, Mail, FileMail };

const std::u16string& PlayerName(bool first) {
  return first ? g_Record.header.firstPlayer : g_Record.header.secondPlayer;
}

}  // namespace

std::u16string FormatTemplateMove(int n, bool withMark, bool squareAlways) {
  const RecordNode* node = GetNodeAtMove(n, g_Record);
  if (!node || n < 1) return {};
  std::u16string text;
  if (withMark) {
    if (node->piece & kSenteBit) text = u"▲";
    else text = (g_nMoveNotation & 1) ? u"▽" : u"△";
  }
  if (g_nMoveNotation >= 2)
    text += FormatNodeMove(node, g_Record, squareAlways ? kFormSquare : kFormSquareSame, kMarkNone, 0);
  else
    text += FormatMoveForDisplay(0, node, squareAlways ? 1 : 0, 0);
  return text;
}

namespace {

void RefuseCode(TemplateKind kind, char16_t code) {
  // The mail text files name the code in their own message.
  if (kind == TemplateKind::FileMail) {
    ShowMessage(FormatU16(u"メール書式エラー(%%%c)", int(code)), kMbOk | kMbIconError);
    return;
  }
  Ui().PlayWarningSound();
  ShowMessage(FormatU16(u"%%%c は、使用できません。", int(code)), kMbOk | kMbIconWarning,
              kind == TemplateKind::Mail ? u"メール書式エラー" : u"局面書式エラー");
}

// The position file's text: the template, then the side-to-move line.
bool ExpandTemplate(std::u16string& out, std::u16string_view tmpl, TemplateKind kind,
                    std::u16string_view title);
void AppendPositionFileText(std::u16string& out, std::u16string_view title) {
  ExpandTemplate(out, g_szBoardTextFormat, TemplateKind::FilePosition, title);
  AppendSideToMoveLine(out);
}

// Expands tmpl into out; false when a code was refused (the message shown).
bool ExpandTemplate(std::u16string& out, std::u16string_view tmpl, TemplateKind kind,
                    std::u16string_view title) {
  const RecordHeader& h = g_Record.header;
  const int n = g_Record.moveNumber;
  const bool mail = kind == TemplateKind::Mail;
  const bool file = kind == TemplateKind::FilePosition;
  // The mail text files take the position file's codes, except %d (the
  // position file's text), %k (the whole record), %f and %F (the record's
  // name), %I (棋戦) and %0 (none).
  const bool fileMail = kind == TemplateKind::FileMail;
  bool allKnown = true;
  // The side that made the last move is the one not to move now.
  const bool lastByFirst = g_Board.sideToMove != kSente;
  for (size_t i = 0; i < tmpl.size(); ++i) {
    const char16_t ch = tmpl[i];
    if (ch != u'%') {
      out += ch;
      continue;
    }
    if (++i >= tmpl.size()) break;
    const char16_t code = tmpl[i];
    const char16_t lower = code >= u'A' && code <= u'Z' ? char16_t(code - u'A' + u'a') : code;
    auto header = [&](const std::u16string& v) { out += v; };
    switch (lower) {
      case u'a':
      case u'l':
        out += FormatTemplateMove(n, code == u'A' || code == u'L', code == u'L');
        continue;
      case u'p':
        if (n >= 2) out += FormatTemplateMove(n - 1, code == u'P', true);
        continue;
      case u'n': AppendDecimal(out, n); continue;
      case u'c': out += kCrLf; continue;
      case u'd':
        if (fileMail) AppendPositionFileText(out, title);
        else if (mail) AppendPositionText(out, title);
        else if (file) {
          // The file's diagram has no player lines.
          AppendHandLine(g_Board, kGote, out);
          AppendBoardGrid(out, g_Board, kCrLf);
          AppendHandLine(g_Board, kSente, out);
        } else FormatBoardDiagram(out, g_Board);
        continue;
      case u'b': out += h.firstPlayer; continue;
      case u'w': out += h.secondPlayer; continue;
      case u'f':
        if (code == u'F' && !mail && !fileMail) {
          out += g_szRecordFolder;
          if (!g_szRecordFolder.empty() && g_szRecordFolder.back() != u'/') out += u'/';
        }
        out += title;
        continue;
      case u'g':
        if (mail) break;
        header(h.startTime);
        continue;
      case u'e':
        if (mail) break;
        header(h.endTime);
        continue;
      case u'i':
        if (code == u'I' && !mail && !fileMail) AppendHeaderLines(out);
        else header(h.event);
        continue;
      case u'h':
        if (mail || file || fileMail) out += PlayerName(lastByFirst);
        else header(h.place);
        continue;
      case u'o':
        if (!mail && !file && !fileMail) break;
        out += PlayerName(!lastByFirst);
        continue;
      case u'm': header(h.timeLimit); continue;
      case u'r': header(h.publishedIn); continue;
      case u's': header(h.opening); continue;
      case u'u': header(h.title); continue;
      case u'y': out += g_szToday; continue;
      case u't': out += g_szNowTime; continue;
      case u'k':
        if (!mail && !fileMail) break;
        WriteZr2ToBuffer(out, kZr2WholeTree);
        continue;
      case u'*':
        if (mail) break;
        if (g_Record.current && g_Record.current->comment) AppendCommentLines(g_Record.current->comment, out);
        continue;
      case u'0':
        if (mail || fileMail) break;
        if (i + 1 < tmpl.size() && (tmpl[i + 1] == u'i' || tmpl[i + 1] == u'I')) {
          ++i;
          if (n == 0) AppendHeaderLines(out);
          continue;
        }
        break;
      case u'"': i = i + AppendIncludedFile(tmpl.substr(i + 1), out); continue;
      case u'%': out += u'%'; continue;
      case u'{':
        if (!file && !fileMail) break;
        out += u'{';
        continue;
      default:
        if (lower >= u'1' && lower <= u'5') {
          header(h.userItems[lower - u'1']);
          continue;
        }
        break;
    }
    RefuseCode(kind, code);
    allKnown = false;
  }
  return allKnown;
}

}  // namespace

void AppendPositionText(std::u16string& text, std::u16string_view recordTitle) {
  ExpandTemplate(text, g_szBoardTextFormat, TemplateKind::ClipPosition, recordTitle);
  text += kCrLf;
}

int AppendMailText(std::u16string& text, int which, std::u16string_view recordTitle) {
  g_szToday = FormatToday(false);
  g_szNowTime = FormatNowTime();
  ExpandTemplate(text, which == 1 ? g_szMailFormat1 : g_szMailFormat2, TemplateKind::Mail, recordTitle);
  return 0;
}

int ExpandMailTemplate(std::u16string& text, int which, std::u16string_view recordTitle) {
  g_szToday = FormatToday(false);
  g_szNowTime = FormatNowTime();
  return ExpandTemplate(text, which == 1 ? g_szMailFormat1 : g_szMailFormat2, TemplateKind::FileMail, recordTitle)
             ? 0
             : 1;
}

int ExpandPositionTemplate(RecordTextFile& file, bool utf8, std::u16string_view recordTitle) {
  std::u16string text;
  AppendPositionFileText(text, recordTitle);
  WriteCrLfText(file, text, utf8);
  return file.Failed() ? 2 : 0;
}

int WritePositionFile(std::u16string_view path, std::u16string_view recordTitle) {
  RecordTextFile file;
  const bool utf8 = g_bSaveUtf8 != 0;
  if (!file.Open(path, utf8)) return -1;
  int result = ExpandPositionTemplate(file, utf8, recordTitle);
  if (file.Close() != 0) result = 2;
  return result;
}
