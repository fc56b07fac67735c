#include "tests/support/position_loader.h"

#include <cstring>

#include "record/text.h"

namespace {

int KindFromLetter(char c) {
  switch (c | 0x20) {
    case 'p': return kPawn;
    case 'l': return kLance;
    case 'n': return kKnight;
    case 's': return kSilver;
    case 'g': return kGold;
    case 'b': return kBishop;
    case 'r': return kRook;
    case 'k': return kKing;
    default: return 0;
  }
}

const char kLetters[] = " plnsgbrk";

bool ParseHands(std::string_view text, BoardState& b) {
  if (text == "-") return true;
  int count = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      count = count * 10 + (c - '0');
      if (count > 255) return false;
      continue;
    }
    int kind = KindFromLetter(c);
    if (kind == 0 || kind == kKing) return false;
    int h = (c >= 'A' && c <= 'Z') ? 1 : 0;
    int n = count == 0 ? 1 : count;
    if (b.hands[h][kind] + n > 255 || b.hands[h][0] + n > 255) return false;
    b.hands[h][kind] = uint8_t(b.hands[h][kind] + n);
    b.hands[h][0] = uint8_t(b.hands[h][0] + n);
    count = 0;
  }
  return count == 0;
}

void StartEmpty(BoardState& b, int side) {
  SetInitialBoard(b);
  ClearBoardState(b);
  b.sideToMove = side;
  b.handicap = kHandicapEven;
}

void Finish(BoardState& b) {
  IdentifyHandicap(b);
  CheckStartPosition(b);
}

std::vector<std::string_view> SplitBlanks(std::string_view s) {
  std::vector<std::string_view> parts;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == ' ') ++i;
    size_t j = i;
    while (j < s.size() && s[j] != ' ') ++j;
    if (j > i) parts.push_back(s.substr(i, j - i));
    i = j;
  }
  return parts;
}

int DiagramKind(char16_t c, bool& promoted) {
  static const std::u16string_view kPlain = u"歩香桂銀金角飛玉";
  static const std::u16string_view kPromoted = u"と杏圭全";
  promoted = false;
  if (c == u'王') return kKing;
  if (auto p = kPlain.find(c); p != std::u16string_view::npos) return int(p) + 1;
  promoted = true;
  if (auto p = kPromoted.find(c); p != std::u16string_view::npos) return int(p) + 1;
  if (c == u'馬') return kBishop;
  if (c == u'龍' || c == u'竜') return kRook;
  return 0;
}

}  // namespace

bool LoadSfen(std::string_view sfen, BoardState& b) {
  auto parts = SplitBlanks(sfen);
  if (parts.empty() || parts.size() > 4) return false;
  StartEmpty(b, kSente);
  int rank = 1, file = 9;
  bool promote = false;
  for (char c : parts[0]) {
    if (c == '/') {
      if (file != 0 || promote) return false;
      ++rank;
      file = 9;
    } else if (c >= '1' && c <= '9') {
      file -= c - '0';
      if (file < 0 || promote) return false;
    } else if (c == '+') {
      promote = true;
    } else {
      int kind = KindFromLetter(c);
      if (kind == 0 || file < 1 || rank > 9 || (promote && (kind == kGold || kind == kKing)))
        return false;
      int code = kind | (promote ? kPromotedBit : 0) | ((c >= 'A' && c <= 'Z') ? kSenteBit : 0);
      b.squares[file * 10 + rank] = uint8_t(code);
      --file;
      promote = false;
    }
  }
  if (rank != 9 || file != 0) return false;
  if (parts.size() > 1) {
    if (parts[1] == "b") b.sideToMove = kSente;
    else if (parts[1] == "w") b.sideToMove = kGote;
    else return false;
  }
  if (parts.size() > 2 && !ParseHands(parts[2], b)) return false;
  Finish(b);
  return true;
}

bool LoadDiagram(std::string_view rows, BoardState& b, int sideToMove, std::string_view hands) {
  StartEmpty(b, sideToMove);
  int rank = 0;
  for (const std::u16string& line : SplitLines(Utf8ToUtf16(rows))) {
    if (line.empty() || line[0] != u'|') continue;
    if (++rank > 9 || line.size() < 19) return false;
    for (int i = 0; i < 9; ++i) {
      char16_t mark = line[1 + 2 * i], piece = line[2 + 2 * i];
      int sq = (9 - i) * 10 + rank;
      if (piece == u'・') continue;
      bool promoted;
      int kind = DiagramKind(piece, promoted);
      if (kind == 0 || (mark != u' ' && mark != u'v')) return false;
      b.squares[sq] = uint8_t(kind | (promoted ? kPromotedBit : 0) | (mark == u' ' ? kSenteBit : 0));
    }
  }
  if (rank != 9 || !ParseHands(hands, b)) return false;
  Finish(b);
  return true;
}

std::string BoardToSfen(const BoardState& b) {
  std::string s;
  for (int rank = 1; rank <= 9; ++rank) {
    int blanks = 0;
    for (int file = 9; file >= 1; --file) {
      int code = b.squares[file * 10 + rank];
      if (code == kEmpty) {
        ++blanks;
        continue;
      }
      if (blanks) s += char('0' + blanks);
      blanks = 0;
      int c = CodeWithoutSide(code);
      if (code == kWall) {
        s += '#';
        continue;
      }
      if (c > kKing) s += '+';
      char letter = kLetters[c == kKing ? kKing : KindOf(code)];
      s += (code & kSenteBit) ? char(letter - 0x20) : letter;
    }
    if (blanks) s += char('0' + blanks);
    if (rank < 9) s += '/';
  }
  s += b.sideToMove == kSente ? " b " : " w ";
  std::string hands;
  for (int h = 1; h >= 0; --h)
    for (int kind = kRook; kind >= kPawn; --kind) {
      int n = b.hands[h][kind];
      if (n == 0) continue;
      if (n > 1) hands += std::to_string(n);
      hands += h ? char(kLetters[kind] - 0x20) : kLetters[kind];
    }
  s += hands.empty() ? "-" : hands;
  return s + " 1";
}

bool SameBoardState(const BoardState& a, const BoardState& b) {
  return std::memcmp(a.squares, b.squares, sizeof a.squares) == 0 &&
         std::memcmp(a.idOnSquare, b.idOnSquare, sizeof a.idOnSquare) == 0 &&
         std::memcmp(a.squareOfId, b.squareOfId, sizeof a.squareOfId) == 0 &&
         std::memcmp(a.hands, b.hands, sizeof a.hands) == 0 &&
         std::memcmp(a.handIds, b.handIds, sizeof a.handIds) == 0 &&
         std::memcmp(a.handIdCount, b.handIdCount, sizeof a.handIdCount) == 0 &&
         a.sideToMove == b.sideToMove && a.handicap == b.handicap && a.notAtStart == b.notAtStart;
}

std::string DescribeBoardFault(const BoardState& b) {
  auto at = [](const char* what, int n) { return std::string(what) + " " + std::to_string(n); };
  for (int i = 0; i < 112; ++i)
    if (!IsBoardSquare(i) && b.squares[i] != kWall) return at("wall byte lost at", i);
  int listed[41] = {};
  for (int kind = 1; kind <= 7; ++kind) {
    int n = b.handIdCount[kind];
    if (n < 0 || n > g_PieceIdRanges[kind][1] - g_PieceIdRanges[kind][0] + 1)
      return at("kind list count out of range, kind", kind);
    if (n != b.hands[0][kind] + b.hands[1][kind]) return at("kind list count differs from hands, kind", kind);
    for (int i = 0; i < 32; ++i) {
      int id = b.handIds[kind][i];
      if (i >= n) {
        if (id != 0) return at("stale kind list entry, kind", kind);
        continue;
      }
      if (id < g_PieceIdRanges[kind][0] || id > g_PieceIdRanges[kind][1])
        return at("identity of another kind in list, kind", kind);
      if (listed[id]++) return at("identity listed twice:", id);
      if (b.squareOfId[id] != 0) return at("listed identity also on a square:", id);
    }
  }
  for (int h = 0; h < 2; ++h) {
    int sum = 0;
    for (int kind = 1; kind <= 7; ++kind) sum += b.hands[h][kind];
    if (sum != b.hands[h][0]) return at("hand total differs from its kinds, hand", h);
  }
  for (int id = 1; id <= kPieceIdCount; ++id) {
    int sq = b.squareOfId[id];
    if (sq == 0) continue;
    if (!IsBoardSquare(sq) || b.idOnSquare[sq] != id) return at("identity not on its square:", id);
  }
  for (int sq = 0; sq < 128; ++sq) {
    int id = b.idOnSquare[sq];
    if (!IsBoardSquare(sq) || !IsPiece(b.squares[sq])) {
      if (id != 0) return at("identity on an empty index", sq);
      continue;
    }
    if (id == 0) return at("piece without identity on", sq);
    int code = b.squares[sq];
    int kind = CodeWithoutSide(code) == kKing ? kKing : KindOf(code);
    if (id < g_PieceIdRanges[kind][0] || id > g_PieceIdRanges[kind][1])
      return at("identity of another kind on", sq);
    if (kind == kKing && id != ((code & kSenteBit) ? kSenteKingId : kGoteKingId))
      return at("king identity of the other side on", sq);
    if (b.squareOfId[id] != sq) return at("square of identity disagrees on", sq);
  }
  return {};
}
