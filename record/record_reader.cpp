#include "record/record_reader.h"

#include <algorithm>
#include <array>

#include "record/board.h"
#include "record/header.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/rules.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"

unsigned char g_bBoardFlipped = 0;
int g_bSecondHandRead = 0;
std::u16string g_strRecordReadError;
RecordReadState g_RecordReadState;

namespace {

constexpr size_t kItemChars = 100;  // what a reader keeps of a header item
constexpr size_t kNameChars = 79;   // and of a name

bool IsBlank(char16_t c) { return c == u' ' || c == u'\u3000' || c == u'\t'; }

// Text after a key (not empty) that t, its leading blanks skipped, begins
// with; false when it does not begin with the key. The first character
// settles most lines.
bool AfterKey(std::u16string_view t, const char16_t* key, std::u16string_view& rest) {
  if (t.empty() || t[0] != key[0]) return false;
  const std::u16string_view k(key);
  if (!StartsWith(k, t)) return false;
  rest = t.substr(k.size());
  return true;
}

// Whether any of the keys begins with the character, by its low byte: most
// lines are told apart from every key by one look.
template <class Key>
std::array<bool, 256> FirstCharacters(const Key* keys, size_t count) {
  std::array<bool, 256> may{};
  for (size_t i = 0; i < count; ++i) may[keys[i].key[0] & 0xFF] = true;
  return may;
}

std::u16string TrimEnd(std::u16string_view t) {
  while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
  return std::u16string(t);
}

std::u16string_view TrimBoth(std::u16string_view t) {
  t = SkipBlanks(t);
  while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
  return t;
}

// A field of a numbered move line ends only at an ASCII blank, a tab or the
// end: the move texts hold U+3000 (同　歩).
std::u16string_view NextField(std::u16string_view& t) {
  size_t i = 0;
  while (i < t.size() && (t[i] == u' ' || t[i] == u'\t')) ++i;
  size_t j = i;
  while (j < t.size() && t[j] != u' ' && t[j] != u'\t') ++j;
  std::u16string_view field = t.substr(i, j - i);
  t.remove_prefix(j);
  return field;
}

// Decimal digits at the start of t (after ASCII blanks); false when none.
bool ReadNumber(std::u16string_view& t, long long& value) {
  size_t end = 0;
  value = U16ToInt(t, &end);
  if (end == 0) return false;
  t.remove_prefix(end);
  return true;
}

// " (%d:%d": blanks, "(", minutes, ":", seconds. Seconds of the move, or -1.
int ReadTimeField(std::u16string_view t) {
  t = SkipBlanks(t);
  if (t.empty() || t[0] != u'(') return -1;
  t.remove_prefix(1);
  long long m, s;
  if (!ReadNumber(t, m) || t.empty() || t[0] != u':') return -1;
  t.remove_prefix(1);
  if (!ReadNumber(t, s)) return -1;
  // Seconds are 16 bits: a longer time is kept as the longest that fits.
  constexpr long long kMax = 65535;
  long long total = std::clamp(m, 0LL, kMax) * 60 + std::clamp(s, 0LL, kMax);
  return int(std::min(total, kMax));
}

bool IsAsciiDigit(char16_t c) { return c >= u'1' && c <= u'9'; }

void SetSideToMove(int side) {
  g_Board.sideToMove = side;
  g_StartBoard.sideToMove = side;
}

// Text in the message boxes names the move being read.
int NextMoveNumber() { return g_Record.moveNumber + 1; }

// What a rule error says of the encoding the file was read in.
std::u16string EncodingNote() {
  const char16_t* e = g_RecordReadState.encoding;
  return e ? FormatU16(u"（文字コード：%s）", e) : std::u16string();
}

void ShowReadWarning(const std::u16string& text) {
  g_strRecordReadError = text;
  ShowMessage(text, kMbOk | kMbIconWarning);
}

// The end node that the move just added at `code` became (a 投了 is current;
// the others are a child of current).
RecordNode* FindEndChild(int code) {
  RecordNode* cur = g_Record.current;
  if (!cur) return nullptr;
  if (cur->from == kEndFrom && cur->to == code) return cur;
  for (RecordNode* c = cur->firstChild; c; c = c->nextSibling)
    if (c->from == kEndFrom && c->to == code) return c;
  return nullptr;
}

// Keeps the path in step with the record after a move was added.
void NoteMoveOnPath() {
  std::vector<RecordNode*>& path = g_RecordReadState.path;
  const size_t n = size_t(std::max(g_Record.moveNumber, 0));
  if (path.size() <= n) path.resize(n + 1, nullptr);
  path[0] = g_Record.Root();
  path[n] = g_Record.current;
}

// StepBackTo along the remembered path; the record's own walk where the path
// does not match (a caller moved the current node itself).
void StepBackAlongPath(int n) {
  std::vector<RecordNode*>& path = g_RecordReadState.path;
  const int at = g_Record.moveNumber;
  bool known = at >= 0 && size_t(at) < path.size() && path[size_t(at)] == g_Record.current;
  for (int k = std::max(n, 0); known && k <= at; ++k) known = path[size_t(k)] != nullptr;
  if (!known || n < 0) {
    StepBackTo(n, g_Record, &g_Board);
    return;
  }
  while (g_Record.moveNumber > n) {
    UnmakeMoveOnBoard(g_Board, NodeMoveCode(*g_Record.current));
    --g_Record.moveNumber;
    g_Record.current = path[size_t(g_Record.moveNumber)];
    g_Board.sideToMove = kSente - g_Board.sideToMove;
  }
}

}  // namespace

bool EnsureStartSettled() {
  RecordReadState& st = g_RecordReadState;
  if (st.startSettled) return !st.startFailed;
  st.startSettled = true;
  int r = st.boardRead ? RebuildStartPosition() : SetHandicapStartPosition();
  if (r >= 0) return true;
  st.startFailed = true;
  std::u16string text = PieceSetErrorText(r);
  g_strRecordReadError = text;
  ShowMessage(text, kMbOk | kMbIconError, u"棋譜読込みエラー");
  return false;
}

void ResetRecordReadState() {
  g_RecordReadState = RecordReadState();
  g_bSecondHandRead = 0;
  g_strRecordReadError.clear();
}

std::u16string CopyLine(std::u16string_view source, size_t capacity) {
  size_t n = 0;
  const size_t limit = capacity ? capacity - 1 : 0;
  while (n < source.size() && n < limit && source[n] != 0 && source[n] != u'\r' &&
         source[n] != u'\n')
    ++n;
  // Never leave half of a surrogate pair at the cut.
  if (n > 0 && n == limit && n < source.size() && source[n - 1] >= 0xD800 && source[n - 1] <= 0xDBFF)
    --n;
  return std::u16string(source.substr(0, n));
}

// ---- Header, names, hands ------------------------------------------------------

int ParseHeaderLine(std::u16string_view line) {
  RecordHeader& h = g_Record.header;
  enum Mode { kSet, kIfEmpty, kAppendTime };
  struct Key {
    const char16_t* key;
    std::u16string RecordHeader::*field;
    Mode mode;
  };
  static const Key kKeys[] = {
      {u"対局日：", &RecordHeader::startTime, kSet},
      {u"開始日時：", &RecordHeader::startTime, kSet},
      {u"# 対  局  日：", &RecordHeader::startTime, kSet},
      {u"# 開始時刻  ：", &RecordHeader::startTime, kAppendTime},
      {u"終了日時：", &RecordHeader::endTime, kSet},
      {u"棋戦：", &RecordHeader::event, kSet},
      {u"棋戦名：", &RecordHeader::event, kSet},
      {u"戦型：", &RecordHeader::opening, kSet},
      {u"戦　型：", &RecordHeader::opening, kSet},
      {u"表題：", &RecordHeader::title, kSet},
      {u"持ち時間：", &RecordHeader::timeLimit, kSet},
      {u"時間：", &RecordHeader::timeLimit, kSet},
      {u"消費時間：", &RecordHeader::timeUsed, kSet},
      {u"場所：", &RecordHeader::place, kSet},
      {u"於：", &RecordHeader::place, kSet},
      {u"掲載：", &RecordHeader::publishedIn, kSet},
      {u"作者：", &RecordHeader::author, kSet},
      {u"作品番号：", &RecordHeader::problemNumber, kSet},
      {u"発表：", &RecordHeader::publishedDate, kSet},
      {u"発表日付：", &RecordHeader::publishedDate, kSet},
      {u"発表年月：", &RecordHeader::publishedDate, kSet},
      {u"発表誌：", &RecordHeader::magazine, kSet},
      {u"原典：", &RecordHeader::magazine, kIfEmpty},
      {u"出典：", &RecordHeader::source, kSet},
      {u"作品名：", &RecordHeader::problemName, kSet},
      {u"手数：", &RecordHeader::moveCount, kSet},
      {u"詰手数：", &RecordHeader::moveCount, kSet},
      {u"完全性：", &RecordHeader::completeness, kSet},
      {u"分類：", &RecordHeader::category, kSet},
      {u"作品分類：", &RecordHeader::category, kIfEmpty},
      {u"受賞：", &RecordHeader::award, kSet},
      {u"備考：", &RecordHeader::notes, kSet},
      {u"記事：", &RecordHeader::notes, kIfEmpty},
  };
  // Whether any key begins with a character, by its low byte.
  static const auto kMayStart = FirstCharacters(kKeys, std::size(kKeys));
  const std::u16string_view t = SkipBlanks(line);
  if (t.empty()) return 0;
  std::u16string_view rest;
  for (const Key& k : kKeys) {
    if (!kMayStart[t[0] & 0xFF]) break;  // no key for this line: on to the user items
    if (!AfterKey(t, k.key, rest)) continue;
    std::u16string value = CopyLine(rest, kItemChars + 1);
    std::u16string& field = h.*k.field;
    switch (k.mode) {
      case kSet: field = value; break;
      case kIfEmpty:
        if (field.empty()) field = value;
        break;
      case kAppendTime:
        if (field.size() + 1 + value.size() <= kItemChars) field += u' ' + value;
        break;
    }
    return 1;
  }
  for (int i = 0; i < kUserItemCount; ++i) {
    const std::u16string& name = g_szUserInfoName[i];
    if (name.empty() || !StartsWith(name, t) || t.size() <= name.size() || t[name.size()] != u'：')
      continue;
    h.userItems[i] = CopyLine(t.substr(name.size() + 1), kItemChars + 1);
    return 1;
  }
  return 0;
}

void ParseHandPieces(std::u16string_view text, int side) {
  uint8_t* hand = g_Board.hands[SideIndex(side)];
  text = SkipBlanks(text);
  if (StartsWith(u"なし", text)) return;
  size_t i = 0;
  auto at = [&](size_t k) -> char16_t { return k < text.size() ? text[k] : 0; };
  auto kanji = [](char16_t c) {
    for (int v = 1; v <= 9; ++v)
      if (c == g_RankNumerals[v]) return v;
    return 0;
  };
  auto wide = [](char16_t c) { return c >= u'０' && c <= u'９' ? c - u'０' : -1; };
  auto ascii = [](char16_t c) { return c >= u'0' && c <= u'9' ? c - u'0' : -1; };
  for (;;) {
    while (IsBlank(at(i)) || at(i) == u',' || at(i) == u'，' || at(i) == u'、') ++i;
    if (i >= text.size() || at(i) == u'\n' || at(i) == u'\r') break;
    int len = 0;
    int code = ParsePieceName(text.substr(i), &len);
    // Anything but a piece a hand can hold ends the scan.
    if (code < kPawn || code > kRook) break;
    i += size_t(len);
    int count = 1;
    if (int v = kanji(at(i))) {
      count = v;
      ++i;
    } else if (at(i) == u'十') {
      count = 10;
      ++i;
      if (int u = kanji(at(i)); u >= 1 && u <= 8) {
        count += u;
        ++i;
      }
    } else if (wide(at(i)) >= 0) {
      count = wide(at(i));
      ++i;
      if (count == 1 && wide(at(i)) >= 0) count = 10 + wide(at(i++));
    } else if (ascii(at(i)) >= 0) {
      count = ascii(at(i++));
      if (ascii(at(i)) >= 0) count = count * 10 + ascii(at(i++));
    }
    hand[code] = uint8_t(std::min(count, 99));
    int total = 0;
    for (int k = kPawn; k <= kRook; ++k) total += hand[k];
    hand[0] = uint8_t(std::min(total, 255));
  }
}

int ParsePlayerOrHandLine(std::u16string_view line) {
  RecordHeader& h = g_Record.header;
  struct Key {
    const char16_t* key;
    int what;  // 0 first name, 1 second name, 2 first short, 3 second short, 4 first hand, 5 second hand
  };
  static const Key kKeys[] = {
      {u"先手：", 0},       {u"下手：", 0},       {u"先手:", 0},         {u"下手:", 0},
      {u"後手：", 1},       {u"上手：", 1},       {u"後手:", 1},         {u"上手:", 1},
      {u"携帯先手：", 2},   {u"先手省略名：", 2}, {u"携帯後手：", 3},   {u"後手省略名：", 3},
      {u"先手の持駒：", 4}, {u"下手の持駒：", 4}, {u"先手持駒：", 4},   {u"下手持駒：", 4},
      {u"持駒：", 4},       {u"後手の持駒：", 5}, {u"上手の持駒：", 5}, {u"後手持駒：", 5},
      {u"上手持駒：", 5},
  };
  static const auto kMayStart = FirstCharacters(kKeys, std::size(kKeys));
  const std::u16string_view t = SkipBlanks(line);
  if (t.empty() || !kMayStart[t[0] & 0xFF]) return 0;
  std::u16string_view rest;
  for (const Key& k : kKeys) {
    if (!AfterKey(t, k.key, rest)) continue;
    switch (k.what) {
      case 0: h.firstPlayer = CopyLine(rest, kNameChars + 1); break;
      case 1: h.secondPlayer = CopyLine(rest, kNameChars + 1); break;
      case 2: h.firstShortName = CopyLine(rest, kNameChars + 1); break;
      case 3: h.secondShortName = CopyLine(rest, kNameChars + 1); break;
      // Hands belong to the start; once moves stand on it they stay.
      case 4:
        if (!g_RecordReadState.startSettled) ParseHandPieces(rest, kSente);
        break;
      case 5:
        if (!g_RecordReadState.startSettled) ParseHandPieces(rest, kGote);
        g_bSecondHandRead = 1;
        break;
    }
    return 1;
  }
  return 0;
}

// ---- Board diagram and set-up lines ----------------------------------------------

int ParseBoardRow(int row, std::u16string_view line) {
  if (row < 1 || row > 9) return 0;
  std::u16string_view t = SkipBlanks(line);
  if (!t.empty() && t[0] == u':') t.remove_prefix(1);
  if (t.empty() || t[0] != u'|') return 0;
  size_t i = 1;
  auto at = [&](size_t k) -> char16_t { return k < t.size() ? t[k] : 0; };
  for (int file = 9; file >= 1; --file) {
    const int sq = file * 10 + row;
    char16_t mark = at(i);
    int side;
    if (mark == u' ' || mark == u'+' || mark == u'^') side = kSenteBit;
    else if (mark == u'-' || mark == u'V' || mark == u'v') side = 0;
    else if (mark == u'|') {  // a short row: the cell stays empty
      g_Board.squares[sq] = kEmpty;
      ++i;
      continue;
    } else return -1;
    int code = ParsePieceName(t.substr(std::min(i + 1, t.size()), 1));
    g_Board.squares[sq] = code ? uint8_t(code | side) : kEmpty;
    i += 2;
  }
  return 1;
}

int FindHandicapName(std::u16string_view text) {
  if (text.size() >= 2)
    for (int code = 0; code < kHandicapCount; ++code)
      if (text.substr(0, 2) == std::u16string_view(g_HandicapNames[code], 2)) return code;
  return kHandicapFree;
}

int ParseSetupLine(std::u16string_view line) {
  std::u16string_view rest;
  // Once the first move is played the start is fixed: a later handicap or
  // side line must not change the positions the moves stand on.
  const bool settled = g_RecordReadState.startSettled;
  const std::u16string_view t = SkipBlanks(line);
  if (AfterKey(t, u"手合割：", rest)) {
    if (settled) return 1;
    int code = FindHandicapName(SkipBlanks(rest));
    g_Board.handicap = code;
    if (code > kHandicapEven) SetSideToMove(kGote);
    return 1;
  }
  static const char16_t* const kSecond[] = {u"後手番", u"上手番", u"手番：後手", u"手番：上手"};
  static const char16_t* const kFirst[] = {u"先手番", u"下手番", u"手番：先手", u"手番：下手"};
  for (const char16_t* key : kSecond)
    if (AfterKey(t, key, rest)) {
      if (settled) return 0;
      SetSideToMove(kGote);
      g_RecordReadState.sideLineSeen = true;
      return 0;
    }
  for (const char16_t* key : kFirst)
    if (AfterKey(t, key, rest)) {
      if (settled) return 0;
      SetSideToMove(kSente);
      g_RecordReadState.sideLineSeen = true;
      return 0;
    }
  if (AfterKey(t, u"盤面回転", rest)) g_bBoardFlipped = 1;
  return 0;
}

std::u16string PieceSetErrorText(int code) {
  switch (code) {
    case kPieceSetTooMany: return u"盤面エラー：駒の数が多すぎます。";
    case kPieceSetTwoKings: return u"盤面エラー：玉が二枚以上あります。";
    case kPieceSetKingInHand: return u"盤面エラー：持駒に玉があります。";
    default: return u"盤面エラー：駒の配置が正しくありません。";
  }
}

int RebuildStartPosition() {
  int check = CheckPieceSet(g_Board);
  if (check != kPieceSetOk) {
    // The identities cannot hold such a set: fall back to a position that can.
    SetInitialBoard(g_Board);
    CopyBoardState(g_StartBoard, g_Board);
    return check;
  }
  IdentifyHandicap(g_Board);
  CheckStartPosition(g_Board);
  CopyBoardState(g_StartBoard, g_Board);
  return g_Board.notAtStart;
}

int SetHandicapStartPosition() {
  int result = 0;
  const int code = g_Board.handicap;
  if (code >= kHandicapEven && code < kHandicapFree) {
    const int side = g_Board.sideToMove;
    SetHandicapBoard(g_Board, code);
    if (g_RecordReadState.sideLineSeen) g_Board.sideToMove = side;
    CheckStartPosition(g_Board);
    CopyBoardState(g_StartBoard, g_Board);
  } else {
    // A free position without a diagram: whatever hands were read.
    int r = RebuildStartPosition();
    if (r < 0) result = r;
  }
  g_Record.current = g_Record.Root();
  g_Record.moveNumber = 0;
  return result;
}

// ---- Result words and move lines ---------------------------------------------------

int IsSideMark(std::u16string_view text) {
  return !text.empty() && (text[0] == u'▲' || text[0] == u'△' || text[0] == u'▽') ? 1 : 0;
}

int IsMoveLine(std::u16string_view line) {
  std::u16string_view t = SkipBlanks(line);
  if (IsSideMark(t)) return 1;
  size_t i = 0;
  while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') ++i;
  if (i == 0 || i >= t.size() || !IsBlank(t[i])) return 0;
  return SkipBlanks(t.substr(i)).empty() ? 0 : 1;
}

int ParseResultLine(std::u16string_view text) {
  struct Word {
    const char16_t* word;
    int code;
  };
  static const Word kStart[] = {
      {u"投了", kEndResign},       {u"投　了", kEndResign},     {u"中断", kEndSuspend},
      {u"封じ手", kEndSuspend},     {u"持将棋", kEndImpasse},    {u"詰", kEndMate},
      {u"不詰", kEndNoMate},        {u"千日手", kEndRepetition}, {u"切れ負け", kEndTimeLoss},
      {u"時間切れ", kEndTimeLoss},  {u"入玉勝ち", kEndEnteringKing},
      {u"入玉宣言", kEndEnteringKing}, {u"反則勝ち", kEndIllegalWin},
      {u"反則負け", kEndIllegalLoss},
  };
  // A move text begins with none of the words' first characters.
  bool first = !text.empty() && (text[0] == u'引' || text[0] == u'ま');
  for (const Word& w : kStart) first = first || (!text.empty() && text[0] == w.word[0]);
  if (!first) return -1;
  for (const Word& w : kStart)
    if (StartsWith(w.word, text)) return w.code;
  if (StartsWith(u"引き分け", text)) {
    AddReadComment(u"引き分け");
    return kEndSuspend;
  }
  if (!StartsWith(u"まで", text)) return -1;
  std::u16string_view rest = text.substr(2);
  auto has = [&](std::u16string_view w) { return rest.find(w) != std::u16string_view::npos; };
  if (has(u"入玉勝ち") || has(u"入玉宣言")) return kEndEnteringKing;
  if (has(u"反則勝ち")) return kEndIllegalWin;
  if (has(u"反則負け")) return kEndIllegalLoss;
  if (has(u"時間切れ")) return kEndTimeLoss;
  if ((has(u"後手勝ち") && g_Board.sideToMove == kGote) ||
      (has(u"先手勝ち") && g_Board.sideToMove == kSente))
    return kEndIllegalWin;
  if (has(u"勝ち")) return kEndResign;
  if (has(u"中断")) return kEndSuspend;
  if (has(u"持将棋")) return kEndImpasse;
  if (has(u"不詰")) return kEndNoMate;
  if (has(u"詰")) return kEndMate;
  if (has(u"千日手")) return kEndRepetition;
  if (has(u"必至")) return kEndSuspend;
  if (has(u"切れ負け")) return kEndTimeLoss;
  if (has(u"駒余り")) {
    AddReadComment(u"駒余り");
    return kEndMate;
  }
  return -2;
}

int ParseZr2Move(int n, std::u16string_view text, int seconds) {
  text = SkipBlanks(text);
  int end = ParseResultLine(text);
  if (end == -2) return 0;
  if (end >= 0) {
    if (!EnsureStartSettled()) return -1;
    int r = PlayMoveIntoRecord(g_Board, g_Record, g_StartBoard, n, MakeMoveCode(kEndFrom, end, 0, 0),
                               seconds, {});
    if (r < 0) return r;
    NoteMoveOnPath();
    g_RecordReadState.endNode = FindEndChild(end);
    return 2;
  }
  if (StartsWith(u"先", text) || StartsWith(u"後", text)) return 0;
  if (!EnsureStartSettled()) return -1;

  auto at = [&](size_t k) -> char16_t { return k < text.size() ? text[k] : 0; };
  size_t i = 0;
  int dest = 0;
  if (at(0) == u'同') {
    // The previous move's destination; there must be one.
    const RecordNode* prev = n > 1 ? GetNodeAtMove(n - 1, g_Record) : nullptr;
    if (!prev || !IsBoardMoveNode(*prev)) return -1;
    dest = prev->to & 0x7F;
    i = 1;
    if (at(i) == u' ' && at(i + 1) == u' ') i += 2;
    else if (at(i) == u' ' || at(i) == u'\u3000') i += 1;
  } else {
    int file = -1, rank = 0;
    if (ParseFileDigit(text) >= 0) {
      file = ParseFileDigit(text);
      std::u16string_view r = text.substr(1);
      rank = ParseFileDigit(r) >= 0 ? ParseFileDigit(r) : ParseRankNumeral(r);
      i = 2;
      if (at(i) == u'同') ++i;
    } else if (IsAsciiDigit(at(0))) {
      file = at(0) - u'0';
      rank = IsAsciiDigit(at(1)) ? at(1) - u'0' : ParseRankNumeral(text.substr(1));
      i = 2;
    }
    if (file < 1 || file > 9 || rank < 1 || rank > 9) return -1;
    dest = file * 10 + rank;
  }
  int len = 0;
  int code = ParsePieceName(text.substr(std::min(i, text.size())), &len);
  if (!code) return -1;
  i += size_t(len);

  // The side that makes move n.
  const int side = ((n % 2 != 0) == (g_StartBoard.sideToMove == kSente)) ? kSente : kGote;
  int from = 0;  // still to be found
  int to = dest;
  auto readSource = [&](size_t k) -> int {
    // "(77)": two ASCII digits that must name a square. "(00)" names none:
    // the source is found as for a move written without one.
    if (at(k) != u'(') return 0;
    if (at(k + 1) == u'0' && at(k + 2) == u'0') return 0;
    if (!IsAsciiDigit(at(k + 1)) || !IsAsciiDigit(at(k + 2))) return -1;
    return (at(k + 1) - u'0') * 10 + (at(k + 2) - u'0');
  };
  if (at(i) == u'打' || at(i) == u'合') {
    if (code < kPawn || code > kRook) return -1;
    from = HandCellOf(side, code);
  } else if (at(i) == u'成') {
    to |= kPromoteBit;
    int s = readSource(i + 1);
    if (s < 0) return -1;
    from = s;
  } else if (StartsWith(u"不成(", text.substr(std::min(i, text.size())))) {
    int s = readSource(i + 2);
    if (s < 0) return -1;
    from = s;
  } else if (at(i) == u'(') {
    int s = readSource(i);
    if (s < 0) return -1;
    from = s;
    if (s == 0) i += at(i + 3) == u')' ? 4 : 3;  // nothing there for the source search
  }
  std::u16string_view rest = text.substr(std::min(i, text.size()));
  int r = PlayMoveIntoRecord(g_Board, g_Record, g_StartBoard, n, MakeMoveCode(from, to, code, 0),
                             seconds, TrimBoth(rest));
  if (r < 0) return r;
  NoteMoveOnPath();
  if (r > 0) {
    const char16_t* kind = r == kMoveDoublePawn        ? u"（二歩）"
                           : r == kMoveDropPawnMate    ? u"（打歩詰）"
                           : r == kMoveLeavesKingAttacked ? u"（王手になる）"
                                                        : u"";
    const std::u16string shown = TrimEnd(text);
    ShowReadWarning(FormatU16(u"警告：ルールエラー%s：%s %d手目 %s", kind, EncodingNote().c_str(), n, shown.c_str()));
  }
  return g_Record.current ? g_Record.current->to : dest;
}

int ParseZrfMoveLine(std::u16string_view line) {
  std::u16string_view t = line;
  while (!t.empty() && t[0] == u'\u3000') t.remove_prefix(1);
  if (TrimBoth(t) == u"詰み") {
    int r = ParseZr2Move(NextMoveNumber(), u"詰み", 0);
    return r == 2 ? 2 : r;
  }
  if (size_t dashes = t.find(u"－－－(00)"); dashes != std::u16string_view::npos) {
    // A resignation written with dashes, its time after them.
    int seconds = ReadTimeField(t.substr(dashes + 7));
    int r = ParseZr2Move(NextMoveNumber(), u"投了", std::max(seconds, 0));
    return r == 2 ? 2 : r;
  }
  std::u16string_view rest = t;
  long long number;
  if (!ReadNumber(rest, number)) return 0;
  // The number must stand alone: "12手" is no move line.
  if (!rest.empty() && rest[0] != u' ' && rest[0] != u'\t') return 0;
  std::u16string_view text = NextField(rest);
  if (text.empty()) return 0;
  int seconds = ReadTimeField(rest);
  if (seconds < 0) {
    size_t colon = t.find(u':');
    if (colon != std::u16string_view::npos) {
      if (colon < 6) return -1;
      seconds = ReadTimeField(t.substr(colon - 6));
      if (seconds < 0) return -1;
    } else {
      if (!IsSideMark(text)) return -1;
      text.remove_prefix(1);
      seconds = 0;
    }
  }
  const int current = g_Record.moveNumber;
  if (number != current + 1 && number != current + 2) return 0;
  int r = ParseZr2Move(NextMoveNumber(), text, seconds);
  if (r == 2) return 2;
  if (r > 0) return 1;
  return r;
}

int ParseZr2MoveLine(std::u16string_view line) {
  std::u16string_view t = line;
  while (!t.empty() && (IsBlank(t[0]) || t[0] == u'|')) t.remove_prefix(1);
  size_t lf = t.find(u'\n');
  if (lf != std::u16string_view::npos) t = t.substr(0, lf);
  if (t.empty()) return 1;
  auto play = [](std::u16string_view move) {
    int r = ParseZr2Move(NextMoveNumber(), TrimBoth(move), 0);
    if (r < 0 || r == 0) return r;
    return r == 2 ? 2 : 1;
  };
  if (IsSideMark(t)) {
    size_t i = 0;
    while (i < t.size()) {
      size_t j = i + 1;
      while (j < t.size() && !IsSideMark(t.substr(j))) ++j;
      int r = play(t.substr(i + 1, j - i - 1));
      if (r <= 0 || r == 2) return r;
      i = j;
    }
    return 1;
  }
  size_t made = t.find(u"まで");
  if (made != std::u16string_view::npos) return play(t.substr(made));
  std::u16string_view rest = t;
  std::u16string_view first = NextField(rest);
  std::u16string_view move = NextField(rest);
  if (first.empty() || move.empty()) return 0;
  long long number;
  std::u16string_view f = first;
  if (!ReadNumber(f, number)) return 0;
  const int current = g_Record.moveNumber;
  if (number != current + 1 && number != current + 2) return 0;
  if (IsSideMark(move)) move.remove_prefix(1);
  return play(move);
}

// ---- Comments and bookmarks ---------------------------------------------------------

namespace {

// The node the next comment or bookmark belongs to: after an end of game the
// end node itself, so that a note written after 中断 stays with it.
RecordNode* NoteTarget() {
  if (g_RecordReadState.gameEnded && g_RecordReadState.endNode) return g_RecordReadState.endNode;
  return g_Record.current;
}

}  // namespace

void AddReadComment(std::u16string_view text) {
  RecordNode* target = NoteTarget();
  if (!target) return;
  RecordReadState& st = g_RecordReadState;
  const bool known = st.commentNode == target && st.commentText == target->comment;
  const size_t old = known             ? st.commentLength
                     : target->comment ? std::char_traits<char16_t>::length(target->comment)
                                       : 0;
  st.commentNode = target;
  st.commentText = target->comment;
  st.commentLength = old;
  if (old + 1 >= size_t(kMaxCommentLength)) {
    st.commentCut = true;
    return;
  }
  // Cut what does not fit, keeping room for the line's LF.
  const size_t room = size_t(kMaxCommentLength) - old - 1;
  if (text.size() > room) {
    st.commentCut = true;
    size_t cut = room;
    if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
    text = text.substr(0, cut);
  }
  // AppendComment works on the current line: put the target there for the call.
  RecordNode* savedCurrent = g_Record.current;
  const int savedNumber = g_Record.moveNumber;
  int n = savedNumber;
  if (target != savedCurrent) {
    g_Record.current = target;
    n = ++g_Record.moveNumber;
  }
  if (AppendComment(g_Record, n, text) == 0) {
    st.commentText = target->comment;
    st.commentLength = old + text.size() + (text.empty() || text.back() != u'\n' ? 1 : 0);
  } else {
    st.commentCut = true;
  }
  g_Record.current = savedCurrent;
  g_Record.moveNumber = savedNumber;
}

void ParseBookmarkLine(std::u16string_view line) {
  std::u16string_view t = SkipBlanks(line);
  if (!t.empty() && t[0] == u'&') t.remove_prefix(1);
  std::u16string name = CopyLine(t, kBookmarkNameCapacity);
  RecordNode* target = NoteTarget();
  if (name.empty() || !target) return;
  SetBookmark(g_Record, NodeIndex(g_Record, target), name);
}

// ---- The reader -----------------------------------------------------------------------

namespace {

bool IsAscii(std::string_view bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool ParseFormatLine(std::string_view bytes, bool& utf8) {
  // "#ZR%c version=%3c encoding=%s" within the first 40 characters.
  std::string_view s(bytes.data(), std::min<size_t>(bytes.size(), 40));
  if (s.substr(0, 3) != "#ZR" || s.size() < 4) return false;
  size_t i = 4;
  auto skipWs = [&] {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) ++i;
  };
  skipWs();
  if (s.substr(i, 8) != "version=") return false;
  i += 8;
  if (i + 3 > s.size()) return false;
  i += 3;
  skipWs();
  if (s.substr(i, 9) != "encoding=") return false;
  i += 9;
  skipWs();
  if (i >= s.size()) return false;
  utf8 = s.substr(i, 5) == "UTF-8";
  return true;
}

}  // namespace

bool ReadRecordLine(std::u16string_view line, int& result) {
  RecordReadState& st = g_RecordReadState;
  const std::u16string_view text = SkipBlanks(line);

  // A variation: back to the move before it.
  if ((g_Record.moveNumber > 0 || st.gameEnded) &&
      (StartsWith(u"変化：", text) || StartsWith(u"分岐：", text))) {
    std::u16string_view num = SkipBlanks(text.substr(3));
    long long n;
    // Nothing follows a resignation: a variation of the move after it is
    // no variation.
    const RecordNode* cur = g_Record.current;
    const bool afterEnd = cur && cur != g_Record.Root() && IsEndNode(*cur);
    if (ReadNumber(num, n) && n >= 1 && n <= g_Record.moveNumber + (afterEnd ? 0 : 1)) {
      StepBackAlongPath(int(n - 1));
      st.gameEnded = false;
      st.endNode = nullptr;
    }
    return true;
  }
  if (ParseHeaderLine(line)) return true;
  if (text.empty() || text[0] == u'#') return true;
  if (text[0] == u'*') {
    AddReadComment(text.substr(1));
    return true;
  }
  if (text[0] == u'&') {
    if (text.size() > 1) ParseBookmarkLine(text);
    return true;
  }
  if (st.gameEnded) return true;
  if (ParseSetupLine(line) || ParsePlayerOrHandLine(line)) return true;
  if (!st.startSettled) {
    int row = ParseBoardRow(st.boardRow, line);
    if (row == 1) {
      ++st.boardRow;
      st.boardRead = true;
      return true;
    }
    if (row < 0) {
      g_strRecordReadError = FormatU16(u"盤面エラー：%d段目 %s", st.boardRow, std::u16string(text).c_str());
      result = 1;
      return false;
    }
    if (IsMoveLine(text) && !EnsureStartSettled()) {
      result = 1;
      return false;
    }
  }
  int r = ParseZrfMoveLine(line);
  if (r == -2) {
    result = -2;
    return false;
  }
  if (r <= 0) {
    r = ParseZr2MoveLine(line);
    if (r == -2) {
      result = -2;
      return false;
    }
    if (r < 0 && st.startFailed) {
      result = 1;
      return false;
    }
    if (r < 0) {
      ShowReadWarning(FormatU16(u"警告：ルールエラー：%s %d手目 %s", EncodingNote().c_str(), NextMoveNumber(),
                                std::u16string(text).c_str()));
      result = 1;
      return false;
    }
  }
  if (r == 2) st.gameEnded = true;
  return true;
}

int BeginRecordRead() {
  const int savedMode = g_Record.appendMode;
  g_Record.appendMode = 1;
  ResetRecordTree(g_Record);
  ClearRecordHeader(g_Record);
  RecordHeader& h = g_Record.header;
  h.firstPlayer.clear();
  h.secondPlayer.clear();
  h.firstShortName.clear();
  h.secondShortName.clear();
  ClearBoardState(g_Board);
  g_Board.sideToMove = kSente;
  g_Board.handicap = kHandicapEven;
  g_StartBoard.sideToMove = kSente;
  ResetRecordReadState();
  return savedMode;
}

void FinishRecordRead(int savedMode) {
  RecordReadState& st = g_RecordReadState;
  g_Record.appendMode = savedMode;
  // Back to the start the moves were played from.
  if (!g_StartBoard.notAtStart && g_StartBoard.handicap < kHandicapFree)
    SetHandicapBoard(g_StartBoard, g_StartBoard.handicap);
  CopyBoardState(g_Board, g_StartBoard);
  g_Record.current = g_Record.Root();
  g_Record.moveNumber = 0;
  g_Record.changeCount = 0;
  st.gameEnded = false;
  st.endNode = nullptr;
}

namespace {

// UTF-8 but for a few sequences: at most one bad one for every four good
// characters beyond ASCII (text in the code page reads as UTF-8 nearly all
// bad).
bool MostlyUtf8(std::string_view bytes) {
  int valid = 0;
  const int faults = CountUtf8Faults(bytes, &valid);
  return valid > 0 && faults * 4 <= valid;
}

}  // namespace

int ReadRecordBytes(bool tryUtf8, std::string bytes) {
  if (const int none = RequireRecordPool()) return none;
  TextLineReader reader;
  reader.OpenBytes(std::move(bytes), TextEncoding::Ansi);
  // A byte-order mark says UTF-8 whatever the name or the format line says;
  // without either, the bytes decide (the name is only a guess: other
  // programs write UTF-8 under every name). A UTF-8 name breaks the tie for
  // UTF-8 with a few bad sequences in it (a character cut, a stray byte).
  bool utf8 = tryUtf8;
  const std::string_view text = reader.Bytes();
  if (reader.HadBom()) utf8 = true;
  else if (text.empty()) utf8 = false;
  else if (!ParseFormatLine(text, utf8) && !IsAscii(text))
    utf8 = LooksLikeUtf8Text(text) || (tryUtf8 && MostlyUtf8(text));
  reader.SetEncoding(utf8 ? TextEncoding::Utf8 : TextEncoding::Ansi);

  const int savedMode = BeginRecordRead();
  g_bBoardFlipped = 0;
  g_RecordReadState.encoding = utf8 ? u"UTF-8" : u"CP932";

  int result = 0;
  std::u16string line;
  while (reader.ReadLine(line)) {
    size_t nul = line.find(u'\0');
    if (nul != std::u16string::npos) line.resize(nul);
    if (!ReadRecordLine(line, result)) break;
  }
  g_RecordReadState.utf8Faults = int(reader.Utf8Faults());

  if (!EnsureStartSettled() && result == 0) result = 1;
  FinishRecordRead(savedMode);
  return result;
}

int ReadRecordFile(bool tryUtf8, std::u16string_view path) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return -1;
  return ReadRecordBytes(tryUtf8, std::move(bytes));
}
