#include "record/english_notation.h"

#include "record/board.h"
#include "record/clipboard_text.h"
#include "record/datetime.h"
#include "record/header.h"
#include "record/record.h"
#include "record/record_writer.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"

namespace {

constexpr char16_t kCrLf[] = u"\r\n";

const char16_t* const kMoveLetters[16] = {u"",   u"P",  u"L",  u"N",  u"S",  u"G",  u"B",  u"R",
                                          u"K",  u"+P", u"+L", u"+N", u"+S", u"+G", u"+B", u"+R"};
const char16_t* const kDiagramNames[16] = {u"  ", u"P ", u"L ", u"N ", u"S ", u"G ", u"B ", u"R ",
                                           u"K ", u"P+", u"L+", u"N+", u"S+", u"G+", u"B+", u"R+"};
// By HandicapCode; the trailing blanks are part of the names.
const char16_t* const kHandicapNames[kHandicapCount] = {
    u"Even     ", u"Lance   ",      u"Right Lance",    u"Bishop  ", u"Rook    ", u"Lance&Rook",
    u"2 pieces",  u"3 pieces",      u"4 pieces",       u"5 pieces", u"Left 5 pieces", u"6 pieces",
    u"Left 7 pieces", u"Right 7 pieces", u"8 pieces", u"10 pieces", u"Other   "};

const char16_t* EndWord(int code) {
  switch (code) {
    case kEndResign: return u"resigns";
    case kEndSuspend: return u"quit";
    case kEndIllegalLoss: return u"illegal move";
    case kEndIllegalWin: return u"wins by illegal move";
    case kEndImpasse: return u"jishogi";
    case kEndMate: return u"mated";
    case kEndRepetition: return u"sennichite";
    case kEndNoMate: return u"no mate";
    case kEndTimeLoss: return u"time out";
    case kEndEnteringKing: return u"entering king";
    default: return u"";
  }
}

void AppendSquare(std::u16string& text, int sq) {
  text += char16_t(u'0' + sq / 10);
  text += char16_t(u'a' + sq % 10 - 1);
}

bool SecondPlayerStarted() { return g_StartBoard.sideToMove != kSente; }

}  // namespace

std::u16string FormatMoveEnglish(int to, int from, int piece, int captured, int flags, int width) {
  std::u16string text;
  if (from == kEndFrom && to <= 10) {
    text = EndWord(to);
  } else {
    const int dest = to & 0x7F;
    const bool drop = from >= 100;
    text = kMoveLetters[piece & 15];
    if ((flags & 0x3F) >= 2 && !drop && IsBoardSquare(from)) AppendSquare(text, from);
    text += drop ? u'*' : captured ? u'x' : u'-';
    AppendSquare(text, dest);
    if (to & 0x80) text += u'+';
    else if (flags & 0x40) text += u'=';
  }
  if (int(text.size()) < width) text.append(size_t(width) - text.size(), u' ');
  return text;
}

std::u16string FormatMoveEnglishAt(int n, int width) {
  const RecordNode* node = n >= 1 ? GetNodeAtMove(n, g_Record) : nullptr;
  if (!node) return {};
  return FormatMoveEnglish(node->to, node->from, node->piece, node->captured, node->textFlags, width);
}

void AppendEnglishHand(std::u16string& text, int side, const BoardState& board) {
  static const char16_t kLetters[8] = {0, u'P', u'L', u'N', u'S', u'G', u'B', u'R'};
  text += side == kSente ? u"Black in hand: " : u"White in hand: ";
  const uint8_t* hand = board.hands[SideIndex(side)];
  bool any = false;
  for (int kind = kRook; kind >= kPawn; --kind) {
    if (hand[kind] == 0) continue;
    any = true;
    text += kLetters[kind];
    if (hand[kind] > 1) AppendDecimal(text, hand[kind]);
    text += u' ';
  }
  if (!any) text += u"nothing";
  text += kCrLf;
}

void AppendEnglishBoard(std::u16string& text, const BoardState& board, int marks) {
  const RecordHeader& h = g_Record.header;
  if (!h.secondPlayer.empty()) text += u"White: " + h.secondPlayer + kCrLf;
  AppendEnglishHand(text, kGote, board);
  text += u"  9  8  7  6  5  4  3  2  1\r\n+---------------------------+\r\n";
  for (int rank = 1; rank <= 9; ++rank) {
    text += u'|';
    for (int file = 9; file >= 1; --file) {
      const int code = board.squares[file * 10 + rank];
      if (!IsPiece(code)) {
        text += u" * ";
        continue;
      }
      const bool first = code & kSenteBit;
      text += marks == 1 ? (first ? u' ' : u'v') : (first ? u'b' : u'w');
      text += kDiagramNames[code & 15];
    }
    text += u'|';
    text += char16_t(u'a' + rank - 1);
    text += kCrLf;
  }
  text += u"+---------------------------+\r\n";
  if (!h.firstPlayer.empty()) text += u"Black: " + h.firstPlayer + kCrLf;
  AppendEnglishHand(text, kSente, board);
  const bool handicap = IsHandicapGame(board);
  if (board.sideToMove == kSente && handicap) text += u"Black to Move\r\n";
  else if (board.sideToMove != kSente && !handicap) text += u"White to Move\r\n";
}

void AppendEnglishPosition(std::u16string& text, std::u16string_view title, bool clipboard) {
  const RecordHeader& h = g_Record.header;
  const int n = g_Record.moveNumber;
  const bool secondStarted = SecondPlayerStarted();
  // Move k is the second player's when k and the starting side say so.
  auto byWhite = [&](int k) { return (k % 2 == 1) == secondStarted; };
  const bool lastByFirst = g_Board.sideToMove != kSente;
  auto name = [&](bool first) -> const std::u16string& { return first ? h.firstPlayer : h.secondPlayer; };
  g_szToday = FormatToday(false);
  g_szNowTime = FormatNowTime();
  const std::u16string& tmpl = g_szEngBoardTextFormat;
  for (size_t i = 0; i < tmpl.size(); ++i) {
    if (tmpl[i] != u'%') {
      text += tmpl[i];
      continue;
    }
    if (++i >= tmpl.size()) break;
    const char16_t code = tmpl[i];
    const char16_t lower = code >= u'A' && code <= u'Z' ? char16_t(code - u'A' + u'a') : code;
    switch (lower) {
      case u'n':
        if (code == u'N') AppendDecimal(text, n);
        else {
          const int m = n + (secondStarted ? 1 : 0);
          AppendDecimal(text, m < 1 ? 0 : (m - 1) / 2 + 1);
        }
        continue;
      case u'a':
      case u'l':
        if (n >= 1) {
          if (code != u'A' && code != u'L' && byWhite(n)) text += u"..";
          text += FormatMoveEnglishAt(n);
        }
        continue;
      case u'p':
        if (n >= 2) {
          if (code == u'p' && byWhite(n - 1)) text += u"..";
          text += FormatMoveEnglishAt(n - 1);
        }
        continue;
      case u'b': text += h.firstPlayer; continue;
      case u'w': text += h.secondPlayer; continue;
      case u'h': text += name(lastByFirst); continue;
      case u'o': text += name(!lastByFirst); continue;
      case u'c': text += kCrLf; continue;
      case u'd': AppendEnglishBoard(text, g_Board, 0); continue;
      case u'v': AppendEnglishBoard(text, g_Board, 1); continue;
      case u'f':
        if (code == u'F') {
          text += g_szRecordFolder;
          if (!g_szRecordFolder.empty() && g_szRecordFolder.back() != u'/') text += u'/';
        }
        text += title;
        continue;
      case u'g': text += h.startTime; continue;
      case u'e': text += h.endTime; continue;
      case u'i': text += h.event; continue;
      case u's': text += h.opening; continue;
      case u'm':
      case u'u': text += h.title; continue;
      case u'y': text += g_szToday; continue;
      case u't': text += g_szNowTime; continue;
      case u'"': i += AppendIncludedFile(std::u16string_view(tmpl).substr(i + 1), text); continue;
      case u'*':
        if (g_Record.current && g_Record.current->comment) AppendCommentLines(g_Record.current->comment, text);
        continue;
      case u'%': text += u'%'; continue;
      case u'{': text += u'{'; continue;
      default:
        if (lower >= u'1' && lower <= u'5') {
          text += h.userItems[lower - u'1'];
          continue;
        }
        break;
    }
    if (clipboard) {
      Ui().PlayWarningSound();
      ShowMessage(FormatU16(u"%%%c は、使用できません。", int(code)), kMbOk | kMbIconWarning, u"盤面書式エラー");
    }
  }
}

namespace {

std::u16string MoveText(const RecordNode* node, int width) {
  return FormatMoveEnglish(node->to, node->from, node->piece, node->captured, node->textFlags, width);
}

}  // namespace

void AppendEnglishMoveList(std::u16string& text, bool numbers) {
  const std::vector<const RecordNode*> nodes = GetLineNodes(g_Record);
  const int perLine = g_nEngMovesPerLine;
  const int cell = numbers ? 10 : 8;
  int c = 1, w = 0;
  for (size_t k = 0; k < nodes.size(); ++k) {
    const int i = int(k) + 1;
    const int start = (c - 1) * cell;
    if (w < start) {
      text.append(size_t(start - w), u' ');
      w = start;
    }
    if (numbers) {
      const std::u16string number = FormatU16(w > start && i < 100 ? u"%2d." : u"%3d.", i);
      text += number;
      w += int(number.size());
    }
    const std::u16string move = MoveText(nodes[k], 0);
    text += move;
    w += int(move.size());
    if (c < perLine) {
      text += u' ';
      ++w;
    }
    ++c;
    if (c > perLine || k + 1 == nodes.size()) {
      text += kCrLf;
      c = 1;
      w = 0;
    }
    if (nodes[k]->comment) {
      if (c > 1) text += kCrLf;
      AppendCommentLines(nodes[k]->comment, text);
      c = 1;
      w = 0;
    }
  }
}

void AppendEnglishRecord(std::u16string& text) {
  if (g_Board.handicap != kHandicapEven && g_Board.handicap >= 0 && g_Board.handicap < kHandicapCount)
    text += FormatU16(u"Handicap: %s", kHandicapNames[g_Board.handicap]) + kCrLf;
  const RecordHeader& h = g_Record.header;
  if (g_StartBoard.notAtStart) {
    AppendEnglishBoard(text, g_StartBoard, 0);
  } else {
    if (!h.firstPlayer.empty()) text += u"Black: " + h.firstPlayer + kCrLf;
    if (!h.secondPlayer.empty()) text += u"White: " + h.secondPlayer + kCrLf;
  }
  text += kCrLf;
  const std::vector<const RecordNode*> nodes = GetLineNodes(g_Record);
  // Room for it all at once: a long record grown step by step is copied
  // again and again.
  size_t room = text.size() + 16 * nodes.size() + 64;
  for (const RecordNode* n : nodes)
    if (n->comment) room += 2 * std::char_traits<char16_t>::length(n->comment) + 8;
  text.reserve(room);
  if (g_Record.Root() && g_Record.Root()->comment) AppendCommentLines(g_Record.Root()->comment, text);
  if (g_nEngRecordStyle == 1 || g_nEngRecordStyle == 2) {
    AppendEnglishMoveList(text, g_nEngRecordStyle == 1);
  } else {
    const bool secondStarted = SecondPlayerStarted();
    const int perLine = g_nEngMovesPerLine;
    int c = 0;  // columns used on this line
    auto endColumn = [&](bool last) {
      if (++c >= perLine || last) {
        text += kCrLf;
        c = 0;
      }
    };
    for (size_t k = 0; k < nodes.size(); ++k) {
      const int i = int(k) + 1;
      const bool last = k + 1 == nodes.size();
      if (secondStarted && i == 1) {
        text += u"  1. ...   ";
        endColumn(false);
      }
      if (i % 2 == (secondStarted ? 0 : 1)) text += FormatU16(u"%3d.", i / 2 + 1);
      text += MoveText(nodes[k], 7);
      endColumn(last);
      if (nodes[k]->comment) {
        if (c > 0) text += kCrLf;
        AppendCommentLines(nodes[k]->comment, text);
        c = 0;
      }
    }
  }
  text += kCrLf;
}

namespace {

int WriteCp932File(std::u16string_view path, const std::u16string& text) {
  RecordTextFile file;
  if (!file.Open(path, false)) return -1;
  WriteCrLfText(file, text, false);
  int result = file.Failed() ? 2 : 0;
  if (file.Close() != 0) result = 2;
  return result;
}

}  // namespace

int SaveEnglishRecord(std::u16string_view path) {
  std::u16string text;
  AppendEnglishRecord(text);
  return WriteCp932File(path, text);
}

int WriteEnglishPositionFile(std::u16string_view path, std::u16string_view recordTitle) {
  std::u16string text;
  AppendEnglishPosition(text, recordTitle, false);
  return WriteCp932File(path, text);
}
