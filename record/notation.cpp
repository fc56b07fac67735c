#include "record/notation.h"

#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"

const char16_t* const g_PieceNames[16] = {u"　", u"歩", u"香", u"桂", u"銀", u"金",
                                          u"角", u"飛", u"玉", u"と", u"杏", u"圭",
                                          u"全", u"金", u"馬", u"龍"};
const char16_t g_FileDigits[10] = {u'０', u'１', u'２', u'３', u'４',
                                   u'５', u'６', u'７', u'８', u'９'};
const char16_t g_RankNumerals[11] = {u'零', u'一', u'二', u'三', u'四', u'五',
                                     u'六', u'七', u'八', u'九', u'十'};
const char16_t* const g_RelativeWords[15] = {u"",   u"",     u"行",   u"上",   u"引",
                                             u"直", u"寄",   u"右",   u"左",   u"右引",
                                             u"右寄", u"右上", u"左引", u"左寄", u"左上"};

namespace {

// Code 3 is a take-back key and has no word.
const char16_t* const kEndWords[11] = {u"投了",   u"中断",   u"反則負け", nullptr,
                                       u"反則勝ち", u"持将棋", u"詰み",     u"千日手",
                                       u"不詰",   u"切れ負け", u"入玉勝ち"};

// Steps of each word code as GetSquareStep(to, from) gives them for the first
// player (the second player's are negated). Row 0 (every direction) serves
// the search without a word; in rows 7 and 8 the last two steps count only
// for bishops and rooks.
struct StepRow {
  int count;
  int step[10];
};
const StepRow kWordSteps[15] = {
    {10, {-12, -11, -10, -9, -1, 1, 8, 9, 10, 11}},
    {10, {-12, -11, -10, -9, -1, 1, 8, 9, 10, 11}},
    {3, {-11, -1, 9}},           // 行
    {3, {-11, -1, 9}},           // 上
    {3, {11, 1, -9}},            // 引
    {1, {-1}},                   // 直
    {2, {-10, 10}},              // 寄
    {6, {8, 9, 10, 11, -1, 1}},  // 右
    {6, {-9, -10, -11, -12, -1, 1}},  // 左
    {1, {11}},                   // 右引
    {1, {10}},                   // 右寄
    {1, {9}},                    // 右上
    {1, {-9}},                   // 左引
    {1, {-10}},                  // 左寄
    {1, {-11}},                  // 左上
};

bool IsBishopOrRook(int piece) { return KindOf(piece) == kBishop || KindOf(piece) == kRook; }
bool IsPromotedBishopOrRook(int piece) {
  int c = CodeWithoutSide(piece);
  return c == (kBishop | kPromotedBit) || c == (kRook | kPromotedBit);
}

bool RowContains(int code, int step, bool bishopOrRook) {
  const StepRow& row = kWordSteps[code];
  int n = row.count;
  if (!bishopOrRook && (code == kWordRight || code == kWordLeft)) n = 4;
  for (int i = 0; i < n; ++i)
    if (row.step[i] == step) return true;
  return false;
}

// How the piece moves along a step of the first player's view: 0 not at all,
// 1 one square, 2 sliding.
int DirectionReach(int piece, int step) {
  const bool diagonal = step == -11 || step == 9 || step == 11 || step == -9;
  const bool straight = step == -10 || step == -1 || step == 10 || step == 1;
  switch (CodeWithoutSide(piece)) {
    case kPawn: return step == -1 ? 1 : 0;
    case kLance: return step == -1 ? 2 : 0;
    case kKnight: return (step == -12 || step == 8) ? 1 : 0;
    case kSilver: return (diagonal || step == -1) ? 1 : 0;
    case kGold:
    case 9: case 10: case 11: case 12: case 13:
      return (straight || step == -11 || step == 9) ? 1 : 0;
    case kBishop: return diagonal ? 2 : 0;
    case kRook: return straight ? 2 : 0;
    case kKing: return (diagonal || straight) ? 1 : 0;
    case kBishop | kPromotedBit: return diagonal ? 2 : straight ? 1 : 0;
    case kRook | kPromotedBit: return straight ? 2 : diagonal ? 1 : 0;
    default: return 0;
  }
}

int FileOf(int sq) { return sq / 10; }
int RankOf(int sq) { return sq % 10; }

// Squares holding exactly `piece`, at most two.
int FindPieces(const BoardState& board, int piece, int out[2]) {
  int n = 0;
  for (int sq = 11; sq <= 99 && n < 2; ++sq)
    if (board.squares[sq] == piece) out[n++] = sq;
  return n;
}

// Step of a move from `from` to `to` as the mover sees it.
int MoverStep(int to, int from, int side) {
  int f = GetSquareStep(to, from);
  return side == kSente ? f : -f;
}

struct MoveContext {
  const BoardState& board;
  int side, from, to, piece;
  bool bishopOrRook, promotedBR;
  int pair[2];     // the two pieces of the mover's code (promoted bishop or rook)
  int pairCount;
};

bool PairOnDifferentFiles(const MoveContext& m) {
  return m.pairCount == 2 && FileOf(m.pair[0]) != FileOf(m.pair[1]);
}

// The next word code from `start` whose steps hold the move's step. *word
// receives the word to write (a promoted bishop or rook may write 右 or 左 for
// a pair). 0 when none fits.
int NextRelativeWord(const MoveContext& m, int f, int start, int* word) {
  if (start == kWordGo && m.promotedBR && PairOnDifferentFiles(m)) {
    int other = m.pair[0] == m.from ? m.pair[1] : m.pair[0];
    int dr = RankOf(m.to);
    bool bothAbove = RankOf(other) < dr && RankOf(m.from) < dr;
    bool bothBelow = RankOf(other) > dr && RankOf(m.from) > dr;
    if (bothAbove || bothBelow) {
      bool otherLower = FileOf(other) < FileOf(m.from);
      bool left = (m.side == kSente) == otherLower;
      *word = left ? kWordLeft : kWordRight;
      return *word;
    }
  }
  for (int code = start; code <= kWordLeftUp; ++code) {
    if (code == kWordGo) continue;
    if (code == kWordStraight && m.bishopOrRook) continue;
    if (!RowContains(code, f, m.bishopOrRook)) continue;
    *word = code;
    if (m.promotedBR && m.pairCount == 2 && RankOf(m.pair[0]) == RankOf(m.pair[1])) {
      if (code == kWordRightBack || code == kWordRightUp) *word = kWordRight;
      if (code == kWordLeftBack || code == kWordLeftUp) *word = kWordLeft;
    }
    return code;
  }
  return 0;
}

bool IsRelativeWordUnique(const MoveContext& m, int word, const int* others, int count) {
  if (m.promotedBR && (word == kWordRight || word == kWordLeft) && PairOnDifferentFiles(m))
    return true;
  for (int i = 0; i < count; ++i)
    if (RowContains(word, MoverStep(m.to, others[i], m.side), m.bishopOrRook)) return false;
  return true;
}

bool StartsWithPromotionWord(std::u16string_view rest) {
  return !rest.empty() && (rest[0] == u'成' || rest[0] == u'不' || rest[0] == u'生');
}

// Nothing but blanks and line ends: no promotion word was written.
bool IsRestEmpty(std::u16string_view rest) {
  for (char16_t c : rest)
    if (c != u'　' && c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') return false;
  return true;
}

std::u16string_view SideMark(int mode, bool sente) {
  switch (mode) {
    case kMarkNone: return u"";
    case kMarkWhiteUp: return sente ? u"▲" : u"△";
    case kMarkWhiteDown: return sente ? u"▲" : u"▽";
    default: return sente ? u"☗" : u"☖";
  }
}

std::u16string_view PieceNameInText(int piece) {
  switch (CodeWithoutSide(piece)) {
    case 10: return u"成香";
    case 11: return u"成桂";
    case 12: return u"成銀";
    case 15: return g_nDragonGlyph ? u"竜" : u"龍";
    default: return g_PieceNames[CodeWithoutSide(piece)];
  }
}

void PadToWidth(std::u16string& text, int width) {
  for (int w = DisplayWidth(text); w < width; ++w) text += u' ';
}

struct NotationInstaller {
  NotationInstaller() { InstallMoveNotation(); }
} g_NotationInstaller;

}  // namespace

std::u16string_view EndWord(int code) {
  if (code < 0 || code > 10 || !kEndWords[code]) return u"";
  return kEndWords[code];
}

// ---- textFlags -----------------------------------------------------------

uint8_t ComputeMoveTextFlags(const BoardState& before, uint16_t moveKey) {
  const int from = moveKey & 0xFF, to = moveKey >> 8;
  if (to <= 10) return kWordNone;
  const int dest = to & 0x7F;
  const int piece = PieceCodeAt(from, before);
  if (!IsPiece(piece) || !IsBoardSquare(dest)) return kWordNone;
  const int side = piece & kSenteBit;
  const bool drop = IsHandCell(from);

  int flags = 0;
  if (!drop && !(to & kPromoteBit) && GetPromotionKind(to, piece, from) != 0)
    flags |= kCouldPromoteBit;

  // Most moves have no twin that could go there too: no list to build.
  if (!AttackedByAnotherOfCode(before, dest, side, piece, from)) return uint8_t(flags | kWordNone);
  SquareList attackers;
  const int n = ListAttackers(before, dest, side, 10, attackers);
  int others[10];
  int count = 0;
  for (int i = 1; i <= n; ++i) {
    int sq = attackers[i];
    if (sq != from && before.squares[sq] == piece) others[count++] = sq;
  }
  if (count == 0) return uint8_t(flags | kWordNone);
  if (drop) return uint8_t(flags | kWordDrop);

  MoveContext m{before, side, from, dest, piece, IsBishopOrRook(piece),
                IsPromotedBishopOrRook(piece), {0, 0}, 0};
  if (m.promotedBR) m.pairCount = FindPieces(before, piece, m.pair);
  const int f = MoverStep(dest, from, side);
  int word = kWordDrop;
  for (int start = kWordGo;;) {
    int chosen = 0;
    int code = NextRelativeWord(m, f, start, &chosen);
    if (code == 0) break;
    if (IsRelativeWordUnique(m, chosen, others, count)) {
      word = chosen;
      break;
    }
    start = code + 1;
  }
  return uint8_t(flags | word);
}

void InstallMoveNotation() { g_pComputeTextFlags = &ComputeMoveTextFlags; }

// ---- Record form -----------------------------------------------------------

std::u16string FormatMoveText(int flags, int prevTo, int from, int to, int piece, int form,
                              int mark, int width) {
  std::u16string text(SideMark(mark, (piece & kSenteBit) != 0));
  const size_t bodyStart = text.size();
  if (to <= 10) {
    text += EndWord(to);
    PadToWidth(text, width);
    return text;
  }
  const int dest = to & 0x7F;
  const bool same = dest == (prevTo & 0x7F);
  if (form >= kFormHalfWidth) {
    text += same ? std::u16string(u"同") : IntToU16(dest);
  } else if (form == kFormSquare) {
    text += FormatSquareName(dest);
  } else if (form == kFormSquareSame) {
    text += FormatSquareName(dest);
    if (same) text += u"同";
  } else {
    text += same ? std::u16string(u"同　") : FormatSquareName(dest);
  }
  text += PieceNameInText(piece);

  const int word = flags & kWordCodeMask;
  if (!IsHandCell(from)) {
    if (word <= kWordLeftUp) text += g_RelativeWords[word];
    if (to & kPromoteBit) text += u"成";
    else if (flags & kCouldPromoteBit) text += u"不成";
  } else if (word == kWordDrop || (form == kFormSquareSame && g_bDropMarkOnLast)) {
    text += u"打";
  }

  // 同　 keeps its space only before a one-character remainder: 同　歩, but
  // 同成香 and 同銀不成.
  if (form <= kFormSquareSame && text.size() >= bodyStart + 4 && text[bodyStart] == u'同')
    text.erase(bodyStart + 1, 1);
  PadToWidth(text, width);
  return text;
}

std::u16string FormatNodeMove(const RecordNode* node, const GameRecord& record, int form,
                              int mark, int width) {
  if (!node || node == record.Root()) return {};
  const RecordNode* parent = FindParentNode(record, node);
  return FormatMoveText(node->textFlags, parent ? parent->to : 0, node->from, node->to,
                        node->piece, form, mark, width);
}

std::u16string FormatMoveTextAt(const GameRecord& record, int n, int form, int mark,
                                int width) {
  return FormatNodeMove(GetNodeAtMove(n, record), record, form, mark, width);
}

// ---- Display form ----------------------------------------------------------

std::u16string FormatSquareName(int square) {
  const int sq = square & 0x7F;
  if (!IsBoardSquare(sq)) return {};
  return {g_FileDigits[FileOf(sq)], g_RankNumerals[RankOf(sq)]};
}

namespace {

// Units of the display text, as they are or as UTF-8 (none is a surrogate),
// counting their display width.
template <class Char>
struct CoreOut {
  Char* o;
  int width = 0;
  void Put(char16_t c) {
    width += CharWidth(c);
    if constexpr (sizeof(Char) == 2)
      *o++ = c;
    else
      o = PutUtf8Unit(o, c);
  }
  void Put(std::u16string_view s) {
    for (char16_t c : s) Put(c);
  }
};

template <class Char>
Char* PutCore(Char* out, int piece, int from, int to, int prevTo, int* width) {
  CoreOut<Char> o{out};
  if (to <= 10) {
    o.Put(EndWord(to));
  } else {
    const int dest = to & 0x7F;
    if (dest == (prevTo & 0x7F)) {
      o.Put(u"同　");
    } else if (IsBoardSquare(dest)) {
      o.Put(g_FileDigits[FileOf(dest)]);
      o.Put(g_RankNumerals[RankOf(dest)]);
    }
    o.Put(PieceNameInText(piece));
    if (IsHandCell(from)) {
      o.Put(u'打');
    } else {
      o.Put((to & kPromoteBit) ? u"成(" : u"(");
      if (from >= 10 && from <= 99) {
        // A square: two digits.
        o.Put(char16_t(u'0' + from / 10));
        o.Put(char16_t(u'0' + from % 10));
      } else {
        char16_t digits[24];
        o.Put(std::u16string_view(digits, size_t(PutDecimal(digits, from) - digits)));
      }
      o.Put(u')');
    }
  }
  if (width) *width = o.width;
  return o.o;
}

}  // namespace

char16_t* PutMoveDisplayCore(char16_t* out, int piece, int from, int to, int prevTo, int* width) {
  return PutCore(out, piece, from, to, prevTo, width);
}

char* PutMoveDisplayCore(char* out, int piece, int from, int to, int prevTo, int* width) {
  return PutCore(out, piece, from, to, prevTo, width);
}

void AppendMoveDisplayCore(std::u16string& text, int piece, int from, int to, int prevTo) {
  char16_t core[kMoveCoreMax];
  text.append(core, PutMoveDisplayCore(core, piece, from, to, prevTo));
}

std::u16string FormatMoveDisplayCore(int piece, int from, int to, int prevTo) {
  std::u16string text;
  AppendMoveDisplayCore(text, piece, from, to, prevTo);
  return text;
}

std::u16string FormatMoveForDisplay(int width, const RecordNode* node, int noSame, int style,
                                    const GameRecord& record) {
  if (!node || node == record.Root()) return {};
  const bool sente = (node->piece & kSenteBit) != 0;
  std::u16string text;
  if (style != 0) {
    if (sente) text = style == 5 ? u"☗" : u"▲";
    else text = style == 5 ? u"☖" : style == 1 ? u"△" : u"▽";
  }
  int prevTo = 0;
  if (!noSame) {
    const RecordNode* parent = FindParentNode(record, node);
    if (parent) prevTo = parent->to;
  }
  text += FormatMoveDisplayCore(node->piece, node->from, node->to, prevTo);
  PadToWidth(text, width);
  return text;
}

std::u16string FormatMoveForDisplayAt(int n, int noSame, int style, int width,
                                      const GameRecord& record) {
  return FormatMoveForDisplay(width, GetNodeAtMove(n, record), noSame, style, record);
}

std::u16string FormatCandidateMove(int to, int from, const BoardState& board) {
  const int piece = PieceCodeAt(from, board);
  std::u16string text = (piece & kSenteBit) ? u"▲" : u"▽";
  text += FormatMoveDisplayCore(piece, from, to, 0);
  return text;
}

// ---- Parsers ---------------------------------------------------------------

int StartsWith(std::u16string_view word, std::u16string_view text) {
  return text.substr(0, word.size()) == word ? 1 : 0;
}

std::u16string_view SkipBlanks(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u'　' || text[i] == u' ' || text[i] == u'\t')) ++i;
  return text.substr(i);
}

int ParseRankNumeral(std::u16string_view text) {
  if (text.empty()) return 0;
  switch (text[0]) {
    case u'ニ': return 2;  // katakana, often typed for 二
    case u'ー': case u'－': return 1;
    default: break;
  }
  for (int r = 1; r <= 10; ++r)
    if (text[0] == g_RankNumerals[r]) return r;
  return 0;
}

int ParseFileDigit(std::u16string_view text) {
  if (text.empty() || text[0] < u'０' || text[0] > u'９') return -1;
  return text[0] - u'０';
}

int ParsePieceName(std::u16string_view text, int* length) {
  struct Alias {
    const char16_t* name;
    int code;
  };
  static const Alias kAliases[] = {{u"王", 8}, {u"成香", 10}, {u"成桂", 11}, {u"成銀", 12}, {u"竜", 15}};
  int code = 0, len = 0;
  for (const Alias& a : kAliases) {
    if (StartsWith(a.name, text)) {
      code = a.code;
      len = int(std::char_traits<char16_t>::length(a.name));
      break;
    }
  }
  for (int c = 1; c <= 15 && code == 0; ++c) {
    if (StartsWith(g_PieceNames[c], text)) {
      code = c;
      len = 1;
    }
  }
  if (length) *length = len;
  return code;
}

int FindSourceSquare(int code, const BoardState& board, int to, int piece,
                     std::u16string_view rest) {
  const int dest = to & 0x7F;
  if (!IsBoardSquare(dest) || code < 0 || code > kWordLeftUp || !IsPiece(piece)) return 0;
  const bool promoting = (to & kPromoteBit) || StartsWithPromotionWord(rest);
  const StepRow& row = kWordSteps[code];
  for (int i = 0; i < row.count; ++i) {
    const int reach = DirectionReach(piece, row.step[i]);
    if (reach == 0) continue;
    const int dir = (piece & kSenteBit) ? row.step[i] : -row.step[i];
    for (int sq = dest - dir; sq >= 11 && sq <= 99; sq -= dir) {
      const int c = board.squares[sq];
      if (c == piece) {
        if (!promoting || GetPromotionKind(dest, piece, sq) != 0) return sq;
        break;
      }
      if (c != kEmpty || reach == 1) break;
    }
  }
  return 0;
}

int ParseRelativeWord(std::u16string_view& text, const BoardState& board, int to, int piece) {
  int code = kWordLeftUp;
  while (code >= kWordGo && !StartsWith(g_RelativeWords[code], text)) --code;
  if (code < kWordGo) return FindSourceSquare(0, board, to, piece, text);
  text.remove_prefix(std::char_traits<char16_t>::length(g_RelativeWords[code]));

  int pair[2];
  if (IsPromotedBishopOrRook(piece) && (code == kWordRight || code == kWordLeft) &&
      FindPieces(board, piece, pair) == 2 && FileOf(pair[0]) != FileOf(pair[1])) {
    // Right is the lower file for the first player, the higher for the second.
    const bool lowerFile = (code == kWordRight) == ((piece & kSenteBit) != 0);
    const bool firstLower = FileOf(pair[0]) < FileOf(pair[1]);
    return firstLower == lowerFile ? pair[0] : pair[1];
  }
  return FindSourceSquare(code, board, to, piece, text);
}

int PlayMoveIntoRecord(BoardState& board, GameRecord& record, const BoardState& start, int n,
                       MoveCode move, int seconds, std::u16string_view rest) {
  const bool senteMoves = (n % 2 != 0) == (start.sideToMove == kSente);
  const int side = senteMoves ? kSente : kGote;
  int from = MoveFrom(move);
  const int toByte = MoveTo(move);

  if (toByte <= 10) {
    if (from > kEndFrom || EndWord(toByte).empty()) return -1;
    int r = AddMoveToRecord(record, start, board, 0, MakeMoveCode(kEndFrom, toByte, 0, 0), seconds);
    if (r < 0) return r;
    if (toByte == kEndResign) {
      ++record.moveNumber;
      board.sideToMove = kSente - board.sideToMove;
    }
    return 0;
  }

  const int dest = toByte & 0x7F;
  const int code = CodeWithoutSide(MovePiece(move));
  if (code == 0 || code == 13 || !IsBoardSquare(dest)) return -1;
  const int piece = code | (senteMoves ? kSenteBit : 0);
  bool promote = (toByte & kPromoteBit) != 0;

  bool warn = false;
  if (!IsHandCell(from) && !IsBoardSquare(from)) {
    std::u16string_view r = rest;
    from = ParseRelativeWord(r, board, toByte, piece);
    // A relative word names a piece on the board: no such piece is a bad
    // move, never a drop from the hand.
    if (from == 0 && r.size() != rest.size()) return -1;
    if (StartsWith(u"成", r)) promote = true;
    if (g_bCheckRules && from != 0 && !promote && IsRestEmpty(r) &&
        GetPromotionKind(dest, piece, from) == 1) {
      warn = true;
      const int kind = KindOf(piece);
      if (kind == kPawn || kind == kBishop || kind == kRook) promote = true;
    }
    if (from == 0) from = HandCellOf(side, KindOf(piece));
  }

  // A move that cannot be made on the board at all is refused; one that only
  // breaks a rule is recorded and reported by its code.
  const int target = board.squares[dest];
  if (target == kWall || IsPieceOfSide(target, side)) return -1;
  if (CodeWithoutSide(target) == kKing) return -1;
  if (IsHandCell(from)) {
    if (promote || target != kEmpty || (code & kPromotedBit) || code == kKing) return -1;
    from = HandCellOf(side, code);
    if (board.hands[SideIndex(side)][code] == 0) return -1;
  } else {
    if (board.squares[from] != piece) return -1;
    if (promote && GetPromotionKind(dest, piece, from) == 0) return -1;
  }

  if (warn)
    ShowMessage(FormatU16(u"警告：%d手目 成・不成指定なし\n", n), kMbOk | kMbIconWarning);

  const int to = dest | (promote ? kPromoteBit : 0);
  int result = 0;
  if (g_bCheckRules) result = CheckMoveLegal(to, from, board, side);
  const MoveCode full = BuildMoveCode(board, from, to);
  int r = AddMoveToRecord(record, start, board, 0, full, seconds);
  if (r < 0) return r;
  MakeMoveOnBoard(board, full);
  ++record.moveNumber;
  board.sideToMove = kSente - side;
  return result;
}
