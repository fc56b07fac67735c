#include "record/csa.h"

#include <algorithm>
#include <cctype>

#include "record/board.h"
#include "record/header.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/record_writer.h"
#include "record/rules.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"

const char16_t* const g_CsaPieceNames[16] = {
    u"**", u"FU", u"KY", u"KE", u"GI", u"KI", u"KA", u"HI",
    u"OU", u"TO", u"NY", u"NK", u"NG", u"**", u"UM", u"RY",
};

int CsaPieceIndex(std::u16string_view text) {
  if (text.size() < 2) return -1;
  for (int i = 0; i < 16; ++i)
    if (text.substr(0, 2) == g_CsaPieceNames[i]) return i;
  return -1;
}

namespace {

constexpr size_t kItemChars = 100;  // what a reader keeps of a header item
constexpr size_t kNameChars = 79;   // and of a name

// Code without side (1..15 but 13) of the letters at the start of text; 0
// when they name no piece.
int CsaPieceCode(std::u16string_view text) {
  int i = CsaPieceIndex(text);
  return i <= 0 || i == 13 ? 0 : i;
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view TrimBlanks(std::u16string_view t) {
  while (!t.empty() && IsBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
  return t;
}

// Two decimal digits as a number, -1 when they are not digits.
int TwoDigits(std::u16string_view t, size_t at) {
  if (at + 1 >= t.size() || !IsDigit(t[at]) || !IsDigit(t[at + 1])) return -1;
  return (t[at] - u'0') * 10 + (t[at + 1] - u'0');
}

}  // namespace

// ---- End words ----------------------------------------------------------------

std::u16string_view CsaEndWord(int code, int sideToMove) {
  switch (code) {
    case kEndResign: return u"TORYO";
    case kEndSuspend: return u"CHUDAN";
    case kEndIllegalLoss: return u"ILLEGAL_MOVE";
    // The side not to move broke the rules.
    case kEndIllegalWin: return sideToMove == kSente ? u"-ILLEGAL_ACTION" : u"+ILLEGAL_ACTION";
    case kEndImpasse: return u"JISHOGI";
    case kEndMate: return u"TSUMI";
    case kEndRepetition: return u"SENNICHITE";
    case kEndNoMate: return u"FUZUMI";
    case kEndTimeLoss: return u"TIME_UP";
    case kEndEnteringKing: return u"KACHI";
    default: return {};
  }
}

int ParseCsaEndWord(std::u16string_view word, int sideToMove) {
  struct Word {
    const char16_t* word;
    int code;
  };
  static const Word kWords[] = {
      {u"TORYO", kEndResign},         {u"CHUDAN", kEndSuspend},
      {u"ILLEGAL_MOVE", kEndIllegalLoss}, {u"JISHOGI", kEndImpasse},
      {u"HIKIWAKE", kEndImpasse},     {u"TSUMI", kEndMate},
      {u"SENNICHITE", kEndRepetition}, {u"FUZUMI", kEndNoMate},
      {u"TIME_UP", kEndTimeLoss},     {u"KACHI", kEndEnteringKing},
  };
  word = TrimBlanks(word);
  for (const Word& w : kWords)
    if (word == w.word) return w.code;
  // The sign names the side that broke the rules: the side to move loses
  // when it is that side, else it wins.
  if (word == u"+ILLEGAL_ACTION") return sideToMove == kSente ? kEndIllegalLoss : kEndIllegalWin;
  if (word == u"-ILLEGAL_ACTION") return sideToMove == kGote ? kEndIllegalLoss : kEndIllegalWin;
  return -1;
}

std::u16string StripParenthesised(std::u16string_view source) {
  size_t open = source.find(u'(');
  if (open == std::u16string_view::npos) return std::u16string(source);
  size_t close = source.find(u')', open);
  if (close == std::u16string_view::npos) return std::u16string(source);
  std::u16string out(source.substr(0, open));
  out += source.substr(close + 1);
  return out;
}

// ---- Position statements ---------------------------------------------------------

namespace {

// Sides whose "00AL" waits for the start position to be settled: the pieces
// left over are known only once every other statement is read.
bool g_CsaPendingAll[2] = {false, false};

// Squares of a kind on the board, both sides, promoted or not (kings have
// kind 0 and are never counted).
int CountOnBoard(const BoardState& b, int kind) {
  int n = 0;
  for (int sq = 11; sq <= 99; ++sq)
    if (IsBoardSquare(sq) && IsPiece(b.squares[sq]) && KindOf(b.squares[sq]) == kind) ++n;
  return n;
}

// Gives every piece neither on the board nor in a hand to the side of a
// "00AL". Kinds already over-full are left for CheckPieceSet to refuse.
void ApplyPendingAll() {
  for (int idx = 1; idx >= 0; --idx) {
    if (!g_CsaPendingAll[idx]) continue;
    g_CsaPendingAll[idx] = false;
    const int side = idx == 1 ? kSente : kGote;
    for (int kind = kPawn; kind <= kRook; ++kind) {
      const int total = g_PieceIdRanges[kind][1] - g_PieceIdRanges[kind][0] + 1;
      const int left = total - CountOnBoard(g_Board, kind) - g_Board.hands[0][kind] -
                       g_Board.hands[1][kind];
      if (left > 0) AddHandPieces(g_Board, side, kind, left);
    }
  }
}

// One rank: nine cells for files 9 down to 1. A cell is " * " (empty) or a
// side character and two letters; the cells are read whether they stand in
// columns of three or with single blanks between them. A short row leaves the
// remaining squares empty.
int ParseCsaRow(int rank, std::u16string_view t) {
  size_t i = 0;
  for (int file = 9; file >= 1; --file) {
    const int sq = file * 10 + rank;
    while (i < t.size() && IsBlank(t[i])) ++i;
    if (i >= t.size()) {
      g_Board.squares[sq] = kEmpty;
      continue;
    }
    const char16_t c = t[i];
    if (c == u'*') {
      g_Board.squares[sq] = kEmpty;
      ++i;
      continue;
    }
    int side = kSenteBit;  // a blank side character (skipped above) is the first player
    if (c == u'+' || c == u'^') {
      ++i;
    } else if (c == u'-' || c == u'V' || c == u'v') {
      side = 0;
      ++i;
    }
    const int code = CsaPieceCode(t.substr(std::min(i, t.size())));
    if (!code) return -1;
    g_Board.squares[sq] = uint8_t(code | side);
    i += 2;
  }
  return 1;
}

// "PI" and the pieces it takes off the even layout ("PI82HI22KA").
int ParseCsaInitial(std::u16string_view t) {
  const int side = g_Board.sideToMove;
  SetInitialBoard(g_Board);
  g_Board.sideToMove = side;
  size_t i = 0;
  for (;;) {
    while (i < t.size() && IsBlank(t[i])) ++i;
    if (i >= t.size()) return 1;
    const int sq = TwoDigits(t, i);
    const int code = i + 2 < t.size() ? CsaPieceCode(t.substr(i + 2)) : 0;
    if (sq < 0 || !IsBoardSquare(sq) || !code) return -1;
    if (CodeWithoutSide(g_Board.squares[sq]) != code) return -1;
    g_Board.squares[sq] = kEmpty;
    i += 4;
  }
}

}  // namespace

int ParseCsaHand(std::u16string_view line) {
  if (line.size() < 2 || line[0] != u'P' || (line[1] != u'+' && line[1] != u'-')) return -1;
  const int side = line[1] == u'+' ? kSente : kGote;
  std::u16string_view t = line.substr(2);
  size_t i = 0;
  for (;;) {
    while (i < t.size() && IsBlank(t[i])) ++i;
    if (i >= t.size()) return 0;
    const int sq = TwoDigits(t, i);
    if (sq < 0 || i + 4 > t.size()) return -1;
    std::u16string_view letters = t.substr(i + 2, 2);
    i += 4;
    if (sq == 0 && letters == u"AL") {
      g_CsaPendingAll[SideIndex(side)] = true;
      continue;
    }
    const int code = CsaPieceCode(letters);
    if (!code) return -1;
    if (sq == 0) {
      if (code > kRook || AddHandPieces(g_Board, side, code, 1) != kPieceSetOk) return -1;
    } else {
      if (!IsBoardSquare(sq)) return -1;
      g_Board.squares[sq] = uint8_t(code | (side == kSente ? kSenteBit : 0));
    }
  }
}

int ParseCsaPositionLine(std::u16string_view line) {
  if (line.size() < 2 || line[0] != u'P') return 0;
  const char16_t c = line[1];
  if (c == u'I') return ParseCsaInitial(line.substr(2));
  if (c >= u'1' && c <= u'9') return ParseCsaRow(c - u'0', line.substr(2));
  if (c == u'+' || c == u'-') return ParseCsaHand(line) == 0 ? 1 : -1;
  return 0;
}

// ---- The reader --------------------------------------------------------------------

namespace {

struct CsaReadState {
  size_t lineNumber = 0;
  RecordNode* lastNode = nullptr;  // the node a "T" gives its seconds to
  int result = 0;
};

// The board read so far may match a handicap layout that IdentifyHandicap
// cannot tell (右香落ち, 三枚落ち, 五枚落ち, 左五枚落ち): the exact layout
// names it.
void MatchHandicapLayout() {
  BoardState layout{};
  CopyBoardState(layout, g_Board);
  for (int code = kHandicapEven; code < kHandicapFree; ++code) {
    SetHandicapBoard(layout, code);
    if (CompareBoardStates(layout, g_Board) != 0) continue;
    if (g_Board.handicap != code) {
      g_Board.handicap = code;
      CheckStartPosition(g_Board);
      CopyBoardState(g_StartBoard, g_Board);
    }
    return;
  }
}

bool SettleStart() {
  RecordReadState& st = g_RecordReadState;
  if (st.startSettled) return !st.startFailed;
  ApplyPendingAll();
  if (!EnsureStartSettled()) return false;
  if (st.boardRead) MatchHandicapLayout();
  return true;
}

// The end node just added for `code`: 投了 is current, the others a child of
// current.
RecordNode* FindEndNode(int code) {
  RecordNode* cur = g_Record.current;
  if (!cur) return nullptr;
  if (cur->from == kEndFrom && cur->to == code) return cur;
  for (RecordNode* c = cur->firstChild; c; c = c->nextSibling)
    if (c->from == kEndFrom && c->to == code) return c;
  return nullptr;
}

bool StopWithMessage(CsaReadState& rs, const char16_t* what, std::u16string_view statement) {
  ShowMessage(FormatU16(u"%d行: %s%d手目 %s", int(rs.lineNumber), std::u16string(statement).c_str(),
                        g_Record.moveNumber + 1, what),
              kMbOk | kMbIconError);
  rs.result = 1;
  return false;
}

constexpr const char16_t* kNoPiece = u"駒がありません。";
constexpr const char16_t* kBadMove = u"指し手が正しくありません。";

// "+7776FU": sign, source ("00" for a drop), destination, the piece after
// the move. Anything the position cannot take ends the reading.
bool ReadCsaMove(CsaReadState& rs, std::u16string_view s) {
  RecordReadState& st = g_RecordReadState;
  if (st.gameEnded) return true;  // nothing follows an end of game
  if (!SettleStart()) {
    rs.result = 1;
    return false;
  }
  const int from = TwoDigits(s, 1);
  const int to = TwoDigits(s, 3);
  const int code = s.size() >= 7 ? CsaPieceCode(s.substr(5)) : 0;
  if (from < 0 || to < 0 || !code || !IsBoardSquare(to) || (from != 0 && !IsBoardSquare(from)))
    return StopWithMessage(rs, kBadMove, s);
  const int side = s[0] == u'+' ? kSente : kGote;
  if (side != g_Board.sideToMove) return StopWithMessage(rs, kBadMove, s);

  MoveCode move;
  if (from == 0) {
    if (code > kRook) return StopWithMessage(rs, kBadMove, s);
    if (g_Board.hands[SideIndex(side)][code] == 0) return StopWithMessage(rs, kNoPiece, s);
    move = MakeMoveCode(HandCellOf(side, code), to, code, 0);
  } else {
    const int piece = g_Board.squares[from];
    if (!IsPieceOfSide(piece, side)) return StopWithMessage(rs, kNoPiece, s);
    const int before = CodeWithoutSide(piece);
    // The letters name the piece as it stands after the move: its own, or its
    // promoted form when the move promotes.
    int toByte = to;
    if (code != before) {
      const bool promotes = (before & kPromotedBit) == 0 && before != kGold && before != kKing &&
                            code == (before | kPromotedBit);
      if (!promotes) return StopWithMessage(rs, kNoPiece, s);
      toByte |= kPromoteBit;
    }
    move = MakeMoveCode(from, toByte, before, 0);
  }
  const int r = PlayMoveIntoRecord(g_Board, g_Record, g_StartBoard, g_Record.moveNumber + 1, move,
                                   0, {});
  if (r == -2) {
    rs.result = -2;
    return false;
  }
  if (r < 0) return StopWithMessage(rs, kBadMove, s);
  rs.lastNode = g_Record.current;
  return true;
}

bool ReadCsaEnd(CsaReadState& rs, std::u16string_view word) {
  RecordReadState& st = g_RecordReadState;
  if (st.gameEnded) return true;
  const int code = ParseCsaEndWord(word, g_Board.sideToMove);
  if (code < 0) {
    // A word not taken (%MATTA, %ERROR and the like): a "T" after it is its
    // own time, not the last move's.
    rs.lastNode = nullptr;
    return true;
  }
  if (!SettleStart()) {
    rs.result = 1;
    return false;
  }
  const int r = PlayMoveIntoRecord(g_Board, g_Record, g_StartBoard, g_Record.moveNumber + 1,
                                   MakeMoveCode(kEndFrom, code, 0, 0), 0, {});
  if (r == -2) {
    rs.result = -2;
    return false;
  }
  if (RecordNode* end = r == 0 ? FindEndNode(code) : nullptr) {
    st.gameEnded = true;
    st.endNode = end;  // takes the comments and the seconds that follow
    rs.lastNode = end;
  }
  return true;
}

// "T12": the seconds of the last move or end word read.
void ReadCsaTime(CsaReadState& rs, std::u16string_view s) {
  if (s.size() < 2 || !IsDigit(s[1]) || !rs.lastNode) return;
  long long v = 0;
  for (size_t i = 1; i < s.size() && IsDigit(s[i]); ++i) v = std::min(v * 10 + (s[i] - u'0'), 65535LL);
  rs.lastNode->seconds = uint16_t(v);
}

// "$EVENT:..." and the other information lines CSA shares with the header.
void ReadCsaInfo(std::u16string_view line) {
  struct Key {
    const char16_t* key;
    std::u16string RecordHeader::*field;
  };
  static const Key kKeys[] = {
      {u"$EVENT:", &RecordHeader::event},          {u"$SITE:", &RecordHeader::place},
      {u"$START_TIME:", &RecordHeader::startTime}, {u"$END_TIME:", &RecordHeader::endTime},
      {u"$TIME_LIMIT:", &RecordHeader::timeLimit}, {u"$OPENING:", &RecordHeader::opening},
  };
  for (const Key& k : kKeys) {
    std::u16string_view key = k.key;
    if (line.substr(0, key.size()) == key) {
      g_Record.header.*k.field = CopyLine(line.substr(key.size()), kItemChars + 1);
      return;
    }
  }
}

bool ReadCsaStatement(CsaReadState& rs, std::u16string_view s) {
  RecordReadState& st = g_RecordReadState;
  s = TrimBlanks(s);
  if (s.empty()) return true;
  switch (s[0]) {
    case u'+':
    case u'-':
      if (s.size() == 1) {
        if (st.startSettled) return true;  // the moves already fixed who starts
        g_Board.sideToMove = g_StartBoard.sideToMove = s[0] == u'+' ? kSente : kGote;
        st.sideLineSeen = true;
        return true;
      }
      return ReadCsaMove(rs, s);
    case u'P': {
      if (st.startSettled) return true;  // the position is fixed by the first move
      const int r = ParseCsaPositionLine(s);
      if (r < 0) {
        ShowMessage(FormatU16(u"%d行: %s 盤面が正しくありません。", int(rs.lineNumber),
                              std::u16string(s).c_str()),
                    kMbOk | kMbIconError);
        rs.result = 1;
        return false;
      }
      if (r > 0) st.boardRead = true;
      return true;
    }
    case u'%': return ReadCsaEnd(rs, s.substr(1));
    case u'T': ReadCsaTime(rs, s); return true;
    default: return true;  // the version line and anything not taken
  }
}

// One line of the file: comments, information lines and names run to the
// end of the line; anything else may hold several statements joined by ",".
bool ReadCsaLine(CsaReadState& rs, std::u16string_view line) {
  while (!line.empty() && IsBlank(line[0])) line.remove_prefix(1);
  if (line.empty()) return true;
  if (TrimBlanks(line) == u"/") return false;  // the next game of the file: the first is read
  if (line[0] == u'\'') {
    if (line.size() >= 2 && line[1] == u'*') AddReadComment(line.substr(2));
    return true;
  }
  if (line[0] == u'$') {
    ReadCsaInfo(line);
    return true;
  }
  if (line.size() >= 2 && line[0] == u'N' && (line[1] == u'+' || line[1] == u'-')) {
    std::u16string& name = line[1] == u'+' ? g_Record.header.firstPlayer : g_Record.header.secondPlayer;
    name = CopyLine(line.substr(2), kNameChars + 1);
    return true;
  }
  for (;;) {
    const size_t comma = line.find(u',');
    if (!ReadCsaStatement(rs, line.substr(0, comma))) return false;
    if (comma == std::u16string_view::npos) return true;
    line.remove_prefix(comma + 1);
  }
}

// The encoding comment on the first line ("'encoding=UTF-8"): 1 it names
// UTF-8, 0 another encoding, -1 there is none.
int NamedEncoding(std::string_view bytes) {
  std::string first(bytes.substr(0, bytes.find_first_of("\r\n")));
  if (first.empty() || first[0] != '\'') return -1;
  for (char& c : first) c = char(std::tolower(static_cast<unsigned char>(c)));
  size_t at = first.find("encoding=");
  if (at == std::string::npos) return -1;
  std::string_view value = std::string_view(first).substr(at + 9);
  return value.substr(0, 5) == "utf-8" || value.substr(0, 4) == "utf8";
}

}  // namespace

int ReadCsaBytes(std::string bytes) {
  if (const int none = RequireRecordPool()) return none;
  TextLineReader reader;
  reader.OpenBytes(std::move(bytes), TextEncoding::Ansi);
  // A byte-order mark or the encoding comment decides; without them the
  // bytes do (UTF-8 when they are well-formed UTF-8), else code page 932.
  const int named = reader.HadBom() ? 1 : NamedEncoding(reader.Bytes());
  if (named == 1 || (named < 0 && LooksLikeUtf8Text(reader.Bytes()))) reader.SetEncoding(TextEncoding::Utf8);

  const int savedMode = BeginRecordRead();
  g_CsaPendingAll[0] = g_CsaPendingAll[1] = false;

  CsaReadState rs;
  std::u16string line;
  while (reader.ReadLine(line)) {
    rs.lineNumber = reader.LineNumber();
    size_t nul = line.find(u'\0');
    if (nul != std::u16string::npos) line.resize(nul);
    if (!ReadCsaLine(rs, line)) break;
  }

  if (!SettleStart() && rs.result == 0) rs.result = 1;
  FinishRecordRead(savedMode);
  return rs.result;
}

int ReadCsaFile(std::u16string_view path) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return -1;
  return ReadCsaBytes(std::move(bytes));
}

// ---- The writer --------------------------------------------------------------------

namespace {

// A header value as one line: a line end inside would start a statement.
std::u16string OneLine(std::u16string_view value) {
  return std::u16string(value.substr(0, value.find_first_of(u"\r\n")));
}

}  // namespace

void WriteCsaHeader(RecordTextFile& file) {
  const RecordHeader& h = g_Record.header;
  auto item = [&](const char16_t* format, const std::u16string& value) {
    if (!value.empty()) WriteRecordText(false, file, format, OneLine(value).c_str());
  };
  item(u"N+%s\n", h.firstPlayer);
  item(u"N-%s\n", h.secondPlayer);
  item(u"$EVENT:%s\n", h.event);
  item(u"$SITE:%s\n", h.place);
  item(u"$START_TIME:%s\n", StripParenthesised(h.startTime));
  item(u"$END_TIME:%s\n", StripParenthesised(h.endTime));
  item(u"$TIME_LIMIT:%s\n", h.timeLimit);
  item(u"$OPENING:%s\n", h.opening);
}

void WriteCsaPosition(RecordTextFile& file) {
  const BoardState& b = g_StartBoard;
  for (int rank = 1; rank <= 9; ++rank) {
    std::u16string row = FormatU16(u"P%d", rank);
    for (int f = 9; f >= 1; --f) {
      const int code = b.squares[f * 10 + rank];
      if (!IsPiece(code)) {
        row += u" * ";
        continue;
      }
      row += (code & kSenteBit) ? u'+' : u'-';
      row += g_CsaPieceNames[CodeWithoutSide(code)];
    }
    row += u'\n';
    file.Write(row, false);
  }
  for (int idx = 1; idx >= 0; --idx) {
    std::u16string hand;
    for (int kind = kRook; kind >= kPawn; --kind)
      for (int k = 0; k < b.hands[idx][kind]; ++k) hand += std::u16string(u"00") + g_CsaPieceNames[kind];
    if (hand.empty()) continue;
    file.Write((idx == 1 ? u"P+" : u"P-") + hand + u'\n', false);
  }
  WriteRecordText(false, file, b.sideToMove == kSente ? u"+\n" : u"-\n");
}

void WriteCsaComment(RecordTextFile& file, std::u16string_view comment) {
  // Each line of the comment, however long, becomes one "'*" line.
  size_t i = 0;
  do {
    size_t end = comment.find_first_of(u"\r\n", i);
    if (end == std::u16string_view::npos) end = comment.size();
    std::u16string line = u"'*";
    line += comment.substr(i, end - i);
    line += u'\n';
    file.Write(line, false);
    if (end < comment.size() && comment[end] == u'\r') ++end;
    if (end < comment.size() && comment[end] == u'\n') ++end;
    i = end;
  } while (i < comment.size());
}

void WriteCsaEnd(RecordTextFile& file, const RecordNode& node) {
  std::u16string word(CsaEndWord(node.to, node.piece & kSenteBit ? kSente : kGote));
  if (word.empty()) return;
  WriteRecordText(false, file, u"%%%s,T%d\n", word.c_str(), int(node.seconds));
}

int WriteCsaMoves(RecordTextFile& file) {
  const RecordNode* root = g_Record.Root();
  if (!root) return file.Failed() ? 2 : 0;
  if (root->comment) WriteCsaComment(file, root->comment);
  for (const RecordNode* nd = root->firstChild; nd && !file.Failed(); nd = nd->firstChild) {
    if (IsEndNode(*nd)) {
      WriteCsaEnd(file, *nd);
      if (nd->comment) WriteCsaComment(file, nd->comment);
      break;  // CSA has nothing after the end of a game
    }
    const bool promotes = (nd->to & kPromoteBit) != 0;
    const int after = CodeWithoutSide(nd->piece) | (promotes ? kPromotedBit : 0);
    WriteRecordText(false, file, u"%c%02d%02d%s,T%d\n", (nd->piece & kSenteBit) ? u'+' : u'-',
                    IsHandCell(nd->from) ? 0 : int(nd->from), nd->to & 0x7F,
                    g_CsaPieceNames[after], int(nd->seconds));
    if (nd->comment) WriteCsaComment(file, nd->comment);
  }
  return file.Failed() ? 2 : 0;
}

int WriteCsaText(RecordTextFile& file) {
  WriteRecordText(false, file, u"'encoding=Shift_JIS\n");
  WriteRecordText(false, file, u"' ---- %s %s CSA形式棋譜ファイル ----\n", g_szProductName,
                  g_szVersion);
  WriteRecordText(false, file, u"V2.2\n");
  WriteCsaHeader(file);
  WriteCsaPosition(file);
  return WriteCsaMoves(file);
}

int WriteCsaFile(std::u16string_view path) {
  RecordTextFile file;
  if (!file.Open(path, false)) return -1;
  int result = WriteCsaText(file);
  if (file.Close() != 0) result = 2;
  if (result == 0) g_Record.changeCount = 0;
  return result;
}
