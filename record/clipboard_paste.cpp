#include "record/clipboard_paste.h"

#include "record/board.h"
#include "record/header.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\u3000' || c == u'\t'; }

std::u16string_view SkipBlanks(std::u16string_view t) {
  size_t i = 0;
  while (i < t.size() && IsBlank(t[i])) ++i;
  return t.substr(i);
}

std::u16string_view TrimLineEnd(std::u16string_view t) {
  while (!t.empty() && (t.back() == u'\n' || t.back() == u'\r' || IsBlank(t.back()))) t.remove_suffix(1);
  return t;
}

bool StartsWith(std::u16string_view t, std::u16string_view prefix) {
  return t.size() >= prefix.size() && t.substr(0, prefix.size()) == prefix;
}

// The key before "：" (or ":"), empty when there is none.
std::u16string_view KeyOf(std::u16string_view t) {
  const size_t colon = t.find_first_of(u"：:");
  return colon == std::u16string_view::npos ? std::u16string_view() : t.substr(0, colon);
}

// Whether the line is one the record reader takes for something: a header,
// set-up, player, hand, board-row, comment, bookmark, variation or move line.
// It changes nothing, so text that is no record is refused before the record
// is touched.
bool IsRecordLine(std::u16string_view line) {
  const std::u16string_view t = SkipBlanks(line);
  if (t.empty()) return false;
  if (t[0] == u'*' || t[0] == u'&' || t[0] == u'|' || StartsWith(t, u":|")) return true;
  if (IsMoveLine(t) || StartsWith(t, u"まで")) return true;
  for (const char16_t* word : {u"先手番", u"後手番", u"下手番", u"上手番", u"盤面回転"})
    if (StartsWith(t, word)) return true;
  const std::u16string_view key = KeyOf(t);
  if (key.empty()) return false;
  for (const HeaderItemInfo& item : g_HeaderItems)
    if (key == item.name) return true;
  for (const std::u16string& name : g_szUserInfoName)
    if (!name.empty() && key == name) return true;
  for (const char16_t* word : {u"手合割", u"先手", u"後手", u"下手", u"上手", u"先手省略名", u"後手省略名",
                               u"先手の持駒", u"後手の持駒", u"下手の持駒", u"上手の持駒", u"持ち駒",
                               u"ファイル名", u"記事", u"変化", u"分岐"})
    if (key == word) return true;
  return false;
}

// The name after the last "/" or "\"; empty for none, "." or "..", so that a
// pasted name never steers a save out of the record folder.
std::u16string PastedFileName(std::u16string_view value) {
  value = TrimLineEnd(SkipBlanks(value));
  if (value.size() > 511) value = value.substr(0, 511);
  const size_t sep = value.find_last_of(u"/\\");
  if (sep != std::u16string_view::npos) value = value.substr(sep + 1);
  if (value.empty() || value == u"." || value == u"..") return {};
  return std::u16string(value);
}

// The SFEN position into board (a scratch copy): false, with board
// unspecified, for anything that is not a whole, valid position.
bool SfenToBoard(std::u16string_view line, BoardState& board) {
  std::u16string_view t = TrimLineEnd(SkipBlanks(line));
  std::u16string_view fields[3];
  int count = 0;
  while (!t.empty() && count < 3) {
    size_t end = 0;
    while (end < t.size() && !IsBlank(t[end])) ++end;
    fields[count++] = t.substr(0, end);
    t = SkipBlanks(t.substr(end));
  }
  if (count < 2 || fields[0].find(u'/') == std::u16string_view::npos) return false;

  SetInitialBoard(board);
  ClearBoardState(board);
  board.handicap = kHandicapEven;
  int rank = 1, file = 9;
  bool promote = false;
  for (char16_t c : fields[0]) {
    if (c == u'/') {
      if (file != 0 || promote || ++rank > 9) return false;
      file = 9;
      continue;
    }
    if (c == u'+') {
      if (promote) return false;
      promote = true;
      continue;
    }
    if (c >= u'1' && c <= u'9') {
      if (promote || c - u'0' > file) return false;
      file -= c - u'0';
      continue;
    }
    int piece = SfenLetterToPiece(c);
    if (piece < 0 || file < 1) return false;
    if (promote) {
      const int kind = CodeWithoutSide(piece);
      if (kind == kKing || kind == kGold) return false;
      piece |= kPromotedBit;
      promote = false;
    }
    board.squares[file * 10 + rank] = uint8_t(piece);
    --file;
  }
  if (rank != 9 || file != 0 || promote) return false;

  if (fields[1] == u"b") board.sideToMove = kSente;
  else if (fields[1] == u"w") board.sideToMove = kGote;
  else return false;

  if (count > 2 && fields[2] != u"-") {
    const std::u16string_view hands = fields[2];
    for (size_t i = 0; i < hands.size();) {
      int n = 0, digits = 0;
      while (i < hands.size() && hands[i] >= u'0' && hands[i] <= u'9' && digits < 2) {
        n = n * 10 + (hands[i++] - u'0');
        ++digits;
      }
      if (digits == 0) n = 1;
      if (i >= hands.size()) return false;
      const int piece = SfenLetterToPiece(hands[i++]);
      if (piece < 0 || n < 1 || n > 18) return false;
      const int kind = CodeWithoutSide(piece);
      if (kind == kKing) return false;
      if (AddHandPieces(board, piece & kSenteBit ? kSente : kGote, kind, n) != kPieceSetOk) return false;
    }
  }
  return CheckPieceSet(board) == kPieceSetOk;
}

void ClearNames() {
  RecordHeader& h = g_Record.header;
  h.firstPlayer.clear();
  h.secondPlayer.clear();
  h.firstShortName.clear();
  h.secondShortName.clear();
}

constexpr char16_t kSfenMergeError[] = u"SFEN形式の局面には、合成する指し手がありません。";

}  // namespace

std::vector<std::u16string_view> SplitClipboardLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t lf = text.find(u'\n', start);
    size_t end = lf == std::u16string_view::npos ? text.size() : lf;
    size_t next = lf == std::u16string_view::npos ? text.size() : lf + 1;
    if (end > start && lf != std::u16string_view::npos && text[end - 1] == u'\r') --end;
    lines.push_back(text.substr(start, end - start));
    start = next;
  }
  return lines;
}

std::u16string_view StripLeadingTag(std::u16string_view line) {
  if (line.empty() || line[0] != u'<') return line;
  const size_t close = line.find(u'>');
  return close == std::u16string_view::npos ? line : line.substr(close + 1);
}

int SfenLetterToPiece(char16_t letter) {
  static const char16_t kLetters[] = u"PLNSGBRK";
  for (int kind = 1; kind <= 8; ++kind) {
    if (letter == kLetters[kind - 1]) return kind | kSenteBit;
    if (letter == kLetters[kind - 1] - u'A' + u'a') return kind;
  }
  return -1;
}

int ParseSfen(std::u16string_view line) {
  BoardState board;
  if (!SfenToBoard(line, board)) return 0;
  ResetRecordTree(g_Record);
  ClearRecordHeader(g_Record);
  ClearNames();
  CopyBoardState(g_Board, board);
  IdentifyHandicap(g_Board);
  CheckStartPosition(g_Board);
  CopyBoardState(g_StartBoard, g_Board);
  g_Record.current = g_Record.Root();
  g_Record.moveNumber = 0;
  return 1;
}

bool IsSfenText(std::u16string_view text) {
  const std::vector<std::u16string_view> lines = SplitClipboardLines(text);
  BoardState scratch;
  return !lines.empty() && SfenToBoard(StripLeadingTag(lines[0]), scratch);
}

int ReadRecordFromClipboardText(std::u16string_view text, int merge, std::u16string* fileName) {
  if (fileName) fileName->clear();
  if (RequireRecordPool() != 0) return kPasteNoPool;
  const std::vector<std::u16string_view> lines = SplitClipboardLines(text);
  if (lines.empty()) return kPasteNothing;
  if (IsSfenText(text)) {
    // A position has no moves to merge.
    if (merge) {
      g_strRecordReadError = kSfenMergeError;
      return kPasteError;
    }
    ParseSfen(StripLeadingTag(lines[0]));
    return kPasteSfen;
  }
  bool any = false;
  for (std::u16string_view line : lines)
    if ((any = IsRecordLine(StripLeadingTag(line)))) break;
  if (!any) {
    g_strRecordReadError = u"棋譜・局面として読める行がありません。";
    return kPasteNothing;
  }

  const int savedMode = g_Record.appendMode;
  g_Record.appendMode = 1;
  ClearBoardState(g_Board);
  g_Board.sideToMove = kSente;
  g_Board.handicap = kHandicapEven;
  if (!merge) {
    ResetRecordTree(g_Record);
    ClearRecordHeader(g_Record);
    ClearNames();
    g_bBoardFlipped = 0;
    g_StartBoard.sideToMove = kSente;
  }
  g_Record.current = g_Record.Root();
  g_Record.moveNumber = 0;
  ResetRecordReadState();

  int result = 0;
  for (std::u16string_view raw : lines) {
    const std::u16string_view line = StripLeadingTag(raw);
    const std::u16string_view t = SkipBlanks(line);
    if (StartsWith(t, u"ファイル名：")) {
      if (!merge && fileName) {
        std::u16string name = PastedFileName(t.substr(6));
        if (!name.empty()) *fileName = std::move(name);
      }
      continue;
    }
    if (!ReadRecordLine(line, result)) break;
  }
  if (!EnsureStartSettled() && result == 0) result = 1;
  const bool boardRead = g_RecordReadState.boardRead;
  const int changes = g_Record.changeCount;
  FinishRecordRead(savedMode);
  if (merge) g_Record.changeCount = changes + 1;
  if (result == -2) return kPasteFull;
  if (result != 0) return kPasteError;
  return boardRead || GetLineLength(g_Record) > 0 ? kPasteRead : kPasteEmpty;
}

int CheckMergeCompatible(std::u16string_view text) {
  // The check reads the pasted start into the shown and start positions and
  // may meet player lines: all of it is put back.
  const BoardState savedBoard = g_Board;
  const BoardState savedStart = g_StartBoard;
  const RecordHeader savedHeader = g_Record.header;
  RecordNode* const savedCurrent = g_Record.current;
  const int savedNumber = g_Record.moveNumber;
  auto restore = [&] {
    CopyBoardState(g_Board, savedBoard);
    CopyBoardState(g_StartBoard, savedStart);
    g_Record.header = savedHeader;
    g_Record.current = savedCurrent;
    g_Record.moveNumber = savedNumber;
  };

  ClearBoardState(g_Board);
  g_Board.sideToMove = kSente;
  g_Board.handicap = kHandicapEven;
  ResetRecordReadState();
  RecordReadState& st = g_RecordReadState;
  for (std::u16string_view raw : SplitClipboardLines(text)) {
    const std::u16string_view line = StripLeadingTag(raw);
    const std::u16string_view t = SkipBlanks(line);
    if (t.empty() || t[0] == u'#' || t[0] == u'&' || t[0] == u'*') continue;
    if (ParseSetupLine(line) || ParsePlayerOrHandLine(line)) continue;
    const int row = ParseBoardRow(st.boardRow, line);
    if (row == 1) {
      ++st.boardRow;
      st.boardRead = true;
      continue;
    }
    if (row < 0) {
      restore();
      return -1;
    }
    if (IsMoveLine(t)) break;
  }
  if (!EnsureStartSettled()) {
    restore();
    return -1;
  }
  int result = 0;
  const char16_t* message = nullptr;
  if (g_StartBoard.handicap != savedStart.handicap) {
    result = 1;
    message = u"手合が違います。";
  } else if (g_StartBoard.sideToMove != savedStart.sideToMove) {
    result = 2;
    message = u"手番が違います。";
  } else if (CompareBoardStates(g_StartBoard, savedStart) != 0) {
    result = 3;
    message = u"開始局面が違います。";
  }
  restore();
  if (message) ShowMessage(message, kMbOk | kMbIconError);
  return result;
}
