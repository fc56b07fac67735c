#include "record/record_writer.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "record/board.h"
#include "record/header.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "settings/env.h"

// ---- Output file -------------------------------------------------------------

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Bytes one character takes in code page 932 (1 or 2), cached per unit.
int AnsiWidth(char16_t c) {
  if (c < 0x80) return 1;
  static unsigned char cache[0x10000];
  if (!cache[c]) cache[c] = (unsigned char)Utf16ToAnsi(std::u16string(1, c)).size();
  return cache[c];
}

// Bytes the text takes in code page 932: a surrogate, or a pair, is one '?'.
int AnsiLength(std::u16string_view text) {
  int n = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
    n += IsHighSurrogate(c) || IsLowSurrogate(c) ? 1 : AnsiWidth(c);
  }
  return n;
}

}  // namespace

namespace {

// The buffer of the last output, kept for the next: a new one would cost a
// page fault for every 4 KB it takes. Larger ones are let go.
constexpr size_t kSpareLimit = 16 << 20;
thread_local std::string t_spareBuffer;

}  // namespace

RecordTextFile::~RecordTextFile() {
  // An unclosed file is discarded.
  if (bytes_.capacity() <= kSpareLimit && bytes_.capacity() > t_spareBuffer.capacity())
    t_spareBuffer.swap(bytes_);
}

void RecordTextFile::Start(bool utf8) {
  failed_ = false;
  utf8_ = utf8;
  used_ = 0;
  pending_.clear();
  if (bytes_.capacity() < t_spareBuffer.capacity()) bytes_.swap(t_spareBuffer);
  // The byte-order mark tells other programs the file is UTF-8.
  if (utf8) Done(EncodeUtf8(Room(Utf8Room(1)), u"\uFEFF", false));
}

bool RecordTextFile::Open(std::u16string_view path, bool utf8) {
  Close();
  memory_ = false;
  // The old file stays until the new one is whole: see AtomicFile.
  if (!file_.Open(path)) {
    failed_ = false;
    used_ = 0;
    pending_.clear();
    utf8_ = utf8;
    return false;
  }
  Start(utf8);
  return true;
}

void RecordTextFile::OpenMemory(bool utf8) {
  Close();
  memory_ = true;
  Start(utf8);
}

void RecordTextFile::Grow(size_t n) const {
  // Within what is allocated the room grows a little at a time (making room
  // clears it); beyond, the allocation doubles and only the text moves.
  if (used_ + n <= bytes_.capacity()) {
    bytes_.resize(std::min(bytes_.capacity(), std::max(used_ + n, bytes_.size() + (64 << 10))));
    return;
  }
  const size_t size = std::max({used_ + n, bytes_.capacity() * 2, size_t(256)});
  bytes_.resize(used_);
  bytes_.resize(size);
}

void RecordTextFile::ConvertPending() const {
  if (pending_.empty()) return;
  const std::string ansi = Utf16ToAnsi(pending_);
  std::memcpy(Reserve(ansi.size()), ansi.data(), ansi.size());
  used_ += ansi.size();
  pending_.clear();
}

void RecordTextFile::FlushLarge() {
  if (!file_.IsOpen()) return;
  if (!failed_ && !file_.Write(std::string_view(bytes_.data(), used_))) failed_ = true;
  used_ = 0;
}

int RecordTextFile::Write(std::u16string_view text, bool utf8) {
  if (!IsOpen()) {
    failed_ = true;
    return -1;
  }
  int written = 0;
  if (utf8) {
    // In pieces, so that a long text asks for no more room than it takes;
    // a pair is never split between pieces.
    constexpr size_t kPiece = 1 << 16;
    for (size_t i = 0; i < text.size();) {
      size_t len = std::min(kPiece, text.size() - i);
      if (i + len < text.size() && IsHighSurrogate(text[i + len - 1])) ++len;
      char* at = Room(Utf8Room(len));
      char* end = EncodeUtf8(at, text.substr(i, len), true);
      written += int(end - at);
      used_ = size_t(end - bytes_.data());
      i += len;
    }
  } else {
    // Halves of a pair written by two calls stay two characters, as they
    // would converted call by call.
    if (!text.empty() && IsLowSurrogate(text[0]) && !pending_.empty() &&
        IsHighSurrogate(pending_.back()))
      pending_.back() = u'?';
    written = AnsiLength(text) + int(std::count(text.begin(), text.end(), u'\n'));
    for (char16_t c : text) {
      if (c == u'\n') pending_.push_back(u'\r');
      pending_.push_back(c);
    }
  }
  if (file_.IsOpen() && (used_ >= kFlushBytes || pending_.size() >= kFlushBytes / 2)) {
    ConvertPending();
    FlushLarge();
    if (failed_) return -1;
  }
  return written;
}

int RecordTextFile::WriteFormatV(bool utf8, const char16_t* format, va_list args) {
  formatted_.clear();
  AppendFormatV(formatted_, format, args);
  return Write(formatted_, utf8);
}

int RecordTextFile::Close() {
  if (file_.IsOpen()) {
    ConvertPending();
    FlushLarge();
    // A failed write leaves the old file as it was.
    if (failed_)
      file_.Discard();
    else if (!file_.Commit())
      failed_ = true;
  }
  return failed_ ? -1 : 0;
}

int WriteRecordText(bool utf8, RecordTextFile& file, const char16_t* format, ...) {
  va_list ap;
  va_start(ap, format);
  const int n = file.WriteFormatV(utf8, format, ap);
  va_end(ap);
  return n;
}

int WriteCrLfText(RecordTextFile& file, std::u16string_view text, bool utf8) {
  std::u16string lf;
  lf.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) lf += text[i];
  return file.Write(lf, utf8);
}

// ---- Small pieces -------------------------------------------------------------

namespace {

// Count of a hand in kanji: 二..九, 十, 十一..十八 (and beyond, should a
// caller hold more).
std::u16string KanjiCount(int count) {
  std::u16string s;
  if (count >= 20) s.push_back(g_RankNumerals[(count / 10) % 10]);
  if (count >= 10) s.push_back(u'十');
  if (count % 10) s.push_back(g_RankNumerals[count % 10]);
  return s;
}

bool FirstKingOnBoard(const BoardState& board) {
  for (int sq = 11; sq <= 99; ++sq)
    if (board.squares[sq] == (kSenteBit | kKing)) return true;
  return false;
}

// Whether move k of the record is the first player's: with the first player
// to move at the start the odd moves are; "move 0" stands for the side that
// did not move first.
bool IsFirstPlayersMove(int k) {
  bool odd = k % 2 != 0;
  return g_StartBoard.sideToMove == kSente ? odd : !odd;
}

// Bookmark names by node index, looked up once per write instead of per node.
std::unordered_map<int, const std::u16string*> BookmarksByNode() {
  std::unordered_map<int, const std::u16string*> map;
  for (int i = 0; i < g_Record.bookmarkCount && i < kMaxBookmarks; ++i)
    map.emplace(g_Record.bookmarks[i].node, &g_Record.bookmarks[i].name);
  return map;
}

const std::u16string* BookmarkOf(const std::unordered_map<int, const std::u16string*>& map,
                                 const RecordNode* node) {
  if (map.empty()) return nullptr;
  auto it = map.find(NodeIndex(g_Record, node));
  return it == map.end() ? nullptr : it->second;
}

void WriteBookmarkLine(bool utf8, RecordTextFile& file, const std::u16string* name) {
  if (name) WriteRecordText(utf8, file, u"&%s\n", name->c_str());
}

void WriteNodeNotes(bool utf8, RecordTextFile& file, const RecordNode* node,
                    const std::unordered_map<int, const std::u16string*>& marks) {
  if (node->comment) WriteCommentLines(utf8, file, node->comment);
  WriteBookmarkLine(utf8, file, BookmarkOf(marks, node));
}

// Parent's to-byte and the mover's cumulative seconds before the node, for a
// walk that starts somewhere inside the tree.
struct WalkStart {
  int prevTo = 0;
  int64_t cumBefore2 = 0;  // the mover's total up to its previous move (n - 2)
  int64_t cumBefore1 = 0;  // the other side's total at move n - 1
};

WalkStart WalkStartOf(const RecordNode* node) {
  WalkStart s;
  const RecordNode* parent = FindParentNode(g_Record, node);
  if (!parent) return s;
  s.prevTo = parent->to;
  if (parent == g_Record.Root()) return s;
  s.cumBefore1 = GetCumulativeTime(parent, g_Record);
  const RecordNode* grand = FindParentNode(g_Record, parent);
  if (grand && grand != g_Record.Root()) s.cumBefore2 = GetCumulativeTime(grand, g_Record);
  return s;
}

// Per move number along the path being written: the node's to-byte and the
// mover's cumulative seconds. Index k - n + 2 for move k when the walk began
// at move n (so the two moves before it have a place).
struct PathInfo {
  std::vector<int> to;
  std::vector<int64_t> cum;
  void Set(size_t i, int t, int64_t c) {
    if (to.size() <= i) {
      to.resize(i + 1, 0);
      cum.resize(i + 1, 0);
    }
    to[i] = t;
    cum[i] = c;
  }
};

struct Pending {
  const RecordNode* node;
  int n;
};

}  // namespace

// ---- Header, hands, diagram, comments ----------------------------------------

int GetHeaderItemState(std::u16string_view name) {
  if (name.empty()) return 0;
  int state = 0;
  for (int i = 0; i < kUserItemCount; ++i) {
    if (g_szUserInfoName[i] != name) continue;
    state = std::max(state, g_Record.header.userItems[i].empty() ? 1 : 2);
  }
  return state;
}

void WriteHeaderLines(bool utf8, RecordTextFile& file) {
  const RecordHeader& h = g_Record.header;
  struct Item {
    const char16_t* name;
    const std::u16string* value;
  };
  const Item plain[] = {
      {u"開始日時", &h.startTime}, {u"終了日時", &h.endTime}, {u"表題", &h.title},
      {u"棋戦", &h.event},         {u"戦型", &h.opening},     {u"持ち時間", &h.timeLimit},
      {u"消費時間", &h.timeUsed},  {u"場所", &h.place},
  };
  // Items a user-defined item of the same name takes over when it has a value.
  const Item shadowed[] = {
      {u"掲載", &h.publishedIn},  {u"作品番号", &h.problemNumber}, {u"作品名", &h.problemName},
      {u"作者", &h.author},       {u"発表誌", &h.magazine},        {u"発表年月", &h.publishedDate},
      {u"出典", &h.source},       {u"手数", &h.moveCount},         {u"完全性", &h.completeness},
      {u"分類", &h.category},     {u"受賞", &h.award},
  };
  for (const Item& it : plain)
    if (!it.value->empty()) WriteRecordText(utf8, file, u"%s：%s\n", it.name, it.value->c_str());
  for (const Item& it : shadowed)
    if (!it.value->empty() && GetHeaderItemState(it.name) < 2)
      WriteRecordText(utf8, file, u"%s：%s\n", it.name, it.value->c_str());
  // 記事 reads back into 備考, so a user item of either name with a value
  // stands for the notes; an empty one must not hide them.
  if (!h.notes.empty() && GetHeaderItemState(u"備考") < 2 && GetHeaderItemState(u"記事") < 2)
    WriteRecordText(utf8, file, u"備考：%s\n", h.notes.c_str());
  for (int i = 0; i < kUserItemCount; ++i)
    if (!g_szUserInfoName[i].empty() && !h.userItems[i].empty())
      WriteRecordText(utf8, file, u"%s：%s\n", g_szUserInfoName[i].c_str(),
                      h.userItems[i].c_str());
}

std::u16string FormatHandLine(const BoardState& board, int side) {
  bool first = side == kSente;
  std::u16string s = IsHandicapGame(board) ? (first ? u"下" : u"上") : (first ? u"先" : u"後");
  s += u"手の持駒：";
  const uint8_t* hand = board.hands[SideIndex(side)];
  bool any = false;
  for (int kind = kRook; kind >= kPawn; --kind) {
    int count = hand[kind];
    if (!count) continue;
    any = true;
    s += g_PieceNames[kind];
    if (count > 1) s += KanjiCount(count);
    s += u'\u3000';
  }
  if (!any) s += u"なし";
  return s;
}

void WriteHandLine(bool utf8, RecordTextFile& file, const BoardState& board, int side) {
  WriteRecordText(utf8, file, u"%s\n", FormatHandLine(board, side).c_str());
}

void AppendBoardGrid(std::u16string& text, const BoardState& board, std::u16string_view eol) {
  text += u"  ９ ８ ７ ６ ５ ４ ３ ２ １";
  text += eol;
  text += u"+---------------------------+";
  text += eol;
  for (int rank = 1; rank <= 9; ++rank) {
    text += u'|';
    for (int f = 9; f >= 1; --f) {
      int p = board.squares[f * 10 + rank];
      if (!IsPiece(p)) {
        text += u" ・";
        continue;
      }
      text += (p & kSenteBit) ? u' ' : u'v';
      text += g_PieceNames[CodeWithoutSide(p)];
    }
    text += u'|';
    text += g_RankNumerals[rank];
    text += eol;
  }
  text += u"+---------------------------+";
  text += eol;
}

void WriteBoardDiagram(bool utf8, RecordTextFile& file, const BoardState& board) {
  WriteHandLine(utf8, file, board, kGote);
  std::u16string grid;
  AppendBoardGrid(grid, board, u"\n");
  file.Write(grid, utf8);
  WriteHandLine(utf8, file, board, kSente);
}

void WriteStartDiagram(bool utf8, RecordTextFile& file) {
  WriteBoardDiagram(utf8, file, g_StartBoard);
  bool handicap = IsHandicapGame(g_StartBoard);
  if (handicap && g_StartBoard.sideToMove == kSente) WriteRecordText(utf8, file, u"下手番\n");
  else if (!handicap && g_StartBoard.sideToMove == kGote) WriteRecordText(utf8, file, u"後手番\n");
}

namespace {

// One line of a comment as "*" lines of at most `column` (UTF-16 units in
// UTF-8, bytes in the ANSI code page; a pair or a double-byte character is
// never split).
void WrapCommentLine(bool utf8, RecordTextFile& file, std::u16string_view comment, int column) {
  // One buffer for every comment of a write: no allocation per line.
  static thread_local std::u16string out;
  out.assign(1, u'*');
  int used = 0;
  const size_t end = comment.size();
  for (size_t k = 0; k < end;) {
    size_t len = (IsHighSurrogate(comment[k]) && k + 1 < end && IsLowSurrogate(comment[k + 1])) ? 2 : 1;
    int w = utf8 ? int(len) : (len == 2 ? 1 : AnsiWidth(comment[k]));
    if (used > 0 && used + w > column) {
      out.push_back(u'\n');
      out.push_back(u'*');
      used = 0;
    }
    out.append(comment.substr(k, len));
    used += w;
    k += len;
  }
  out += u'\n';
  file.Write(out, utf8);
}

}  // namespace

void WriteCommentLines(bool utf8, RecordTextFile& file, std::u16string_view comment) {
  const bool wrap = g_bCommentAutoWrap && g_nCommentWrapColumn >= 1;
  const int column = g_nCommentWrapColumn;
  const size_t n = comment.size();
  // In UTF-8 a comment with no line to break goes in place in one go.
  if (utf8 && file.IsOpen() && (!wrap || n <= size_t(column))) {
    file.Done(EncodeUtf8CommentLines(file.Room(Utf8Room(n) + 3), comment));
    return;
  }
  size_t i = 0;
  while (i < n) {
    // One line of the comment: up to LF, CR LF or a lone CR (a lone CR would
    // end the line when the file is read back, so it is written as a break).
    size_t end = i;
    while (end < n && comment[end] != u'\n' && comment[end] != u'\r') ++end;
    if (!wrap || (utf8 && end - i <= size_t(column))) {
      // Nothing to break: the line as it stands, written in its pieces.
      file.Write(u"*", utf8);
      file.Write(comment.substr(i, end - i), utf8);
      file.Write(u"\n", utf8);
    } else {
      WrapCommentLine(utf8, file, comment.substr(i, end - i), column);
    }
    i = end;
    if (i < n && comment[i] == u'\r') ++i;
    if (i < n && comment[i] == u'\n') ++i;
  }
}

std::u16string LfToCrLf(std::u16string_view source) {
  std::u16string out;
  for (char16_t c : source) {
    size_t need = c == u'\n' ? 2 : 1;
    if (out.size() + need > size_t(kMaxCommentLength)) break;
    if (c == u'\n') out.push_back(u'\r');
    out.push_back(c);
  }
  return out;
}

// ---- Times and result lines ---------------------------------------------------

namespace {

// "%2d:%02d/%02d:%02d:%02d": the move's minutes and seconds, the total's
// hours (modulo 100), minutes and seconds; written at out (room for 24),
// returns the end.
template <class Char>
Char* PutMoveTime(Char* out, int seconds, int64_t cumulative) {
  const int f[5] = {seconds / 60, seconds % 60, int((cumulative / 3600) % 100),
                    int(cumulative / 60 % 60), int(cumulative % 60)};
  if (f[0] >= 0 && f[0] <= 99 && f[1] >= 0 && f[2] >= 0 && f[3] >= 0 && f[4] >= 0) {
    // The usual case, every field two digits.
    *out++ = f[0] >= 10 ? Char('0' + f[0] / 10) : Char(' ');
    *out++ = Char('0' + f[0] % 10);
    for (int k = 1; k < 5; ++k) {
      *out++ = Char(k == 2 ? '/' : ':');
      *out++ = Char('0' + f[k] / 10);
      *out++ = Char('0' + f[k] % 10);
    }
    return out;
  }
  out = PutDecimal(out, f[0], 2);
  for (int k = 1; k < 5; ++k) {
    *out++ = Char(k == 2 ? '/' : ':');
    out = PutDecimal(out, f[k], 2, true);
  }
  return out;
}

// One ZRF move line, "%4d %-12s (time)+" and its line end, written at out
// (room for kMoveLineRoom) as UTF-8 with CR LF or as UTF-16 with LF.
constexpr size_t kMoveLineRoom = 128;
template <class Char>
Char* PutMoveLine(Char* out, int k, const RecordNode& nd, int prevTo, bool times, int64_t cumulative) {
  out = PutDecimal(out, k, 4);
  *out++ = Char(' ');
  int width;
  out = PutMoveDisplayCore(out, nd.piece, nd.from, nd.to, prevTo, &width);
  // Twelve blanks put down, as many kept as the move falls short.
  for (int b = 0; b < 12; ++b) out[b] = Char(' ');
  if (width < 12) out += 12 - width;
  const bool alt = nd.nextSibling != nullptr;
  if (times) {
    *out++ = Char(' ');
    *out++ = Char('(');
    out = PutMoveTime(out, nd.seconds, cumulative);
    *out++ = Char(')');
  } else if (alt) {
    *out++ = Char(' ');
  }
  if (alt) *out++ = Char('+');
  if constexpr (sizeof(Char) == 1) *out++ = '\r';
  *out++ = Char('\n');
  return out;
}

}  // namespace

std::u16string FormatMoveTime(int seconds, int64_t cumulative) {
  char16_t text[24];
  return std::u16string(text, PutMoveTime(text, seconds, cumulative));
}

std::u16string FormatMoveTime(const RecordNode* node) {
  if (!node) return FormatMoveTime(0, 0);
  return FormatMoveTime(node->seconds, GetCumulativeTime(node, g_Record));
}

std::u16string FormatResultLine(const RecordNode* node, int n) {
  if (n <= 0 || !node) return {};
  if (IsBoardMoveNode(*node)) return u"\n";
  const bool handicap = IsHandicapGame(g_StartBoard);
  const bool lastFirst = IsFirstPlayersMove(n - 1);
  auto word = [&](bool first) -> std::u16string {
    return handicap ? (first ? u"下手" : u"上手") : (first ? u"先手" : u"後手");
  };
  const std::u16string last = word(lastFirst), other = word(!lastFirst);
  const int moves = n - 1;
  switch (node->to) {
    case kEndMate:
      if (g_Record.header.author.empty() && FirstKingOnBoard(g_StartBoard))
        return FormatU16(u"まで%d手で詰\n", moves);
      return FormatU16(u"まで%d手詰\n", moves);
    case kEndResign: return FormatU16(u"まで%d手で%sの勝ち\n", moves, last.c_str());
    case kEndTimeLoss: return FormatU16(u"まで%d手で時間切れにより%sの勝ち\n", moves, last.c_str());
    case kEndEnteringKing: return FormatU16(u"まで%d手で%sの入玉勝ち\n", moves, other.c_str());
    case kEndIllegalWin: return FormatU16(u"まで%d手で%sの反則勝ち\n", moves, other.c_str());
    case kEndIllegalLoss: return FormatU16(u"まで%d手で%sの反則負け\n", moves, other.c_str());
    case kEndSuspend: return FormatU16(u"まで%d手で中断\n", moves);
    case kEndNoMate: return FormatU16(u"まで%d手で不詰\n", moves);
    case kEndRepetition: return FormatU16(u"まで%d手で千日手\n", moves);
    case kEndImpasse: return FormatU16(u"まで%d手で持将棋\n", moves);
    default: return u"\n";
  }
}

void WriteResultLine(RecordTextFile& file, const RecordNode* node, int n) {
  // The common case, a line that simply stops, needs no formatting.
  if (n > 0 && node && IsBoardMoveNode(*node)) {
    file.Write(u"\n", file.IsUtf8());
    return;
  }
  std::u16string line = FormatResultLine(node, n);
  if (!line.empty()) WriteRecordText(file.IsUtf8(), file, u"%s", line.c_str());
}

// ---- ZRF ------------------------------------------------------------------------

int WriteMoveLines(bool utf8, RecordTextFile& file, const RecordNode* node, int n) {
  if (!node || !g_Record.pool) return file.Failed() ? 2 : 0;
  const bool times = !(g_bZrfOmitTimes && SumSubtreeSeconds(g_Record.Root(), 0) == 0);
  const auto marks = BookmarksByNode();
  const WalkStart start = WalkStartOf(node);
  PathInfo path;
  path.Set(0, 0, start.cumBefore2);
  path.Set(1, start.prevTo, start.cumBefore1);

  // Depth first without recursion (lines can be as long as the pool): each
  // alternative waits on the stack until the line it leaves has been written,
  // the deepest first.
  std::vector<Pending> stack{{node, n}};
  bool first = true;
  // UTF-8 lines are put in place, others built here and converted.
  const bool direct = utf8 && file.IsOpen();
  char16_t line[kMoveLineRoom];
  while (!stack.empty()) {
    Pending p = stack.back();
    stack.pop_back();
    if (!first) {
      if (direct) {
        char* o = EncodeUtf8(file.Room(kMoveLineRoom), u"\n変化：", true);
        o = PutDecimal(o, p.n);
        file.Done(EncodeUtf8(o, u"手\n", true));
      } else {
        WriteRecordText(utf8, file, u"\n変化：%d手\n", p.n);
      }
    }
    first = false;
    const RecordNode* nd = p.node;
    int k = p.n;
    while (nd) {
      // The nodes of a line need not be next to each other, nor their
      // comments near them: the next comment and the node after the next
      // are fetched while this line is written.
      if (const RecordNode* next = nd->firstChild) {
        if (next->comment) __builtin_prefetch(next->comment);
        if (next->firstChild) __builtin_prefetch(next->firstChild);
      }
      const size_t i = size_t(k - n + 2);
      const int64_t cum = nd->seconds + path.cum[i - 2];
      const int prevTo = path.to[i - 1];
      path.Set(i, nd->to, cum);
      const bool alt = nd->nextSibling != nullptr;
      if (direct)
        file.Done(PutMoveLine(file.Room(kMoveLineRoom), k, *nd, prevTo, times, cum));
      else
        file.Write({line, size_t(PutMoveLine(line, k, *nd, prevTo, times, cum) - line)}, utf8);
      WriteNodeNotes(utf8, file, nd, marks);
      if (file.Failed()) return 2;
      if (alt) stack.push_back({nd->nextSibling, k});
      if (nd->firstChild) {
        nd = nd->firstChild;
        ++k;
      } else {
        WriteResultLine(file, nd, k);
        nd = nullptr;
      }
    }
  }
  return file.Failed() ? 2 : 0;
}

int WriteZrfText(bool utf8, RecordTextFile& file) {
  if (utf8) WriteRecordText(utf8, file, u"#ZRF version=2.0 encoding=UTF-8\n");
  else WriteRecordText(utf8, file, u"#ZRF version=2.0 encoding=Shift_JIS\n");
  WriteRecordText(utf8, file, u"# ---- %s %s 棋譜ファイル ----\n", g_szProductName, g_szVersion);
  if (g_bBoardFlipped) WriteRecordText(utf8, file, u"盤面回転\n");
  WriteHeaderLines(utf8, file);
  // The handicap and the diagram both come from the start position, so the
  // file always reads back to the start the moves were played from.
  WriteRecordText(utf8, file, u"手合割：%s\n", HandicapName(g_StartBoard.handicap));
  if (g_StartBoard.notAtStart) WriteStartDiagram(utf8, file);
  const RecordHeader& h = g_Record.header;
  if (IsHandicapGame(g_StartBoard))
    WriteRecordText(utf8, file, u"下手：%s\n上手：%s\n", h.firstPlayer.c_str(), h.secondPlayer.c_str());
  else
    WriteRecordText(utf8, file, u"先手：%s\n後手：%s\n", h.firstPlayer.c_str(), h.secondPlayer.c_str());
  if (!h.firstShortName.empty()) WriteRecordText(utf8, file, u"先手省略名：%s\n", h.firstShortName.c_str());
  if (!h.secondShortName.empty()) WriteRecordText(utf8, file, u"後手省略名：%s\n", h.secondShortName.c_str());
  const RecordNode* root = g_Record.Root();
  const bool times = !(g_bZrfOmitTimes && SumSubtreeSeconds(root, 0) == 0);
  WriteRecordText(utf8, file, times ? u"手数----指手---------消費時間--\n" : u"手数----指手--\n");
  if (root) {
    const auto marks = BookmarksByNode();
    WriteNodeNotes(utf8, file, root, marks);
    if (WriteMoveLines(utf8, file, root->firstChild, 1) != 0) return 2;
  }
  return file.Failed() ? 2 : 0;
}

int WriteZrfRecord(bool utf8, std::u16string_view path) {
  RecordTextFile file;
  if (!file.Open(path, utf8)) return -1;
  int result = WriteZrfText(utf8, file);
  if (file.Close() != 0) result = 2;
  if (result == 0) g_Record.changeCount = 0;
  return result;
}

// ---- ZR2 ------------------------------------------------------------------------

std::u16string Zr2MoveText(const RecordNode* nd, int prevTo) {
  const bool half = g_bZr2HalfWidth != 0;
  const int style = g_nZr2Style;
  const bool whiteUp = style == 2 || style == 4;
  if (style < 4 && g_bCheckRules)
    return FormatMoveText(nd->textFlags, prevTo, nd->from, nd->to, nd->piece,
                          half ? kFormHalfWidth2 : kFormSame, whiteUp ? kMarkWhiteUp : kMarkWhiteDown, 0);
  std::u16string mark = (nd->piece & kSenteBit) ? u"▲" : (whiteUp ? u"△" : u"▽");
  return mark + FormatMoveDisplayCore(nd->piece, nd->from, nd->to, prevTo);
}

int WriteZr2Moves(bool utf8, RecordTextFile& file, const RecordNode* node, int n, int width,
                  int column) {
  if (!node || !g_Record.pool) return file.Failed() ? 2 : 0;
  const bool half = g_bZr2HalfWidth != 0;
  const int cell = half ? 8 : 12;
  int perLine = half ? g_nZr2HalfWidthMovesPerLine : int(g_nZr2MovesPerLine);
  if (perLine < 1) perLine = 1;
  const auto marks = BookmarksByNode();
  const WalkStart start = WalkStartOf(node);
  PathInfo path;
  path.Set(0, 0, 0);
  path.Set(1, start.prevTo, 0);
  auto endLine = [&] {
    if (width > 0) WriteRecordText(utf8, file, u"\n");
    width = 0;
    column = 1;
  };

  std::vector<Pending> stack{{node, n}};
  bool first = true;
  while (!stack.empty()) {
    Pending p = stack.back();
    stack.pop_back();
    if (!first) {
      WriteRecordText(utf8, file, u"\n変化：%4d手\n", p.n);
      width = 0;
      column = 1;
    }
    first = false;
    const RecordNode* nd = p.node;
    int k = p.n;
    while (nd) {
      const size_t i = size_t(k - n + 2);
      const int prevTo = path.to[i - 1];
      path.Set(i, nd->to, 0);
      const std::u16string* mark = BookmarkOf(marks, nd);
      // An end of game with nothing attached is told by the result line alone.
      if (IsEndNode(*nd) && !nd->comment && !mark) {
        endLine();
      } else {
        const int target = (column - 1) * cell;
        if (width < target) {
          WriteRecordText(utf8, file, u"%s", std::u16string(size_t(target - width), u' ').c_str());
          width = target;
        }
        std::u16string text = Zr2MoveText(nd, prevTo);
        WriteRecordText(utf8, file, u"%s", text.c_str());
        width += DisplayWidth(text);
        if (++column > perLine) endLine();
        if (nd->comment || mark) {
          endLine();
          if (nd->comment) WriteCommentLines(utf8, file, nd->comment);
          WriteBookmarkLine(utf8, file, mark);
        }
      }
      if (file.Failed()) return 2;
      if (nd->nextSibling) stack.push_back({nd->nextSibling, k});
      if (nd->firstChild) {
        nd = nd->firstChild;
        ++k;
      } else {
        WriteResultLine(file, nd, k);
        width = 0;
        column = 1;
        nd = nullptr;
      }
    }
  }
  return file.Failed() ? 2 : 0;
}

int WriteZr2Record(RecordTextFile& file, bool utf8, bool noTurn) {
  if (g_bBoardFlipped && !noTurn) WriteRecordText(utf8, file, u"盤面回転\n");
  WriteHeaderLines(utf8, file);
  const bool handicap = IsHandicapGame(g_StartBoard);
  if (handicap) WriteRecordText(utf8, file, u"手合割：%s\n", HandicapName(g_StartBoard.handicap));
  const RecordHeader& h = g_Record.header;
  const char16_t* firstKey = handicap ? u"下手" : u"先手";
  const char16_t* secondKey = handicap ? u"上手" : u"後手";
  if (g_StartBoard.notAtStart) {
    if (!h.secondPlayer.empty()) WriteRecordText(utf8, file, u"%s：%s\n", secondKey, h.secondPlayer.c_str());
    WriteStartDiagram(utf8, file);
    if (!h.firstPlayer.empty()) WriteRecordText(utf8, file, u"%s：%s\n", firstKey, h.firstPlayer.c_str());
  } else {
    if (!h.firstPlayer.empty()) WriteRecordText(utf8, file, u"%s：%s\n", firstKey, h.firstPlayer.c_str());
    if (!h.secondPlayer.empty()) WriteRecordText(utf8, file, u"%s：%s\n", secondKey, h.secondPlayer.c_str());
  }
  if (!h.firstShortName.empty()) WriteRecordText(utf8, file, u"先手省略名：%s\n", h.firstShortName.c_str());
  if (!h.secondShortName.empty()) WriteRecordText(utf8, file, u"後手省略名：%s\n", h.secondShortName.c_str());
  WriteRecordText(utf8, file, u"\n");
  const RecordNode* root = g_Record.Root();
  if (root) {
    const auto marks = BookmarksByNode();
    WriteNodeNotes(utf8, file, root, marks);
    if (WriteZr2Moves(utf8, file, root->firstChild, 1, 0, 1) != 0) return 2;
  }
  return file.Failed() ? 2 : 0;
}

int WriteZr2File(bool utf8, std::u16string_view path) {
  RecordTextFile file;
  if (!file.Open(path, utf8)) return -1;
  if (utf8) WriteRecordText(utf8, file, u"#ZR2 version=2.0 encoding=UTF-8\n");
  int result = WriteZr2Record(file, utf8, false);
  if (file.Close() != 0) result = 2;
  if (result == 0) g_Record.changeCount = 0;
  return result;
}
