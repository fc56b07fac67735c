#include "record/comment_check.h"

#include "record/text.h"

namespace {

constexpr char16_t kFileWords[] = u"同１２３４５６７８９";
constexpr char16_t kWideDigits[] = u"１２３４５６７８９";
constexpr char16_t kKanjiRanks[] = u"一二三四五六七八九";
// Index 1..19; for 1..15 the index is the kind bits of a PieceCode.
constexpr char16_t kPieceWords[] = u"歩香桂銀金角飛玉と杏圭全金馬龍竜合成同";
constexpr int kPieceWordPromoted = 18;  // 成 (成香, 成桂, 成銀)
constexpr int kPieceWordSame = 19;      // 同
const char16_t* const kRelativeWords[15] = {u"成",   u"不成", u"行",   u"上",   u"引",
                                            u"直",   u"寄",   u"右",   u"左",   u"右引",
                                            u"右寄", u"右上", u"左引", u"左寄", u"左上"};
constexpr char16_t kMarkSente = u'▲', kMarkGote = u'△';

// The character at i, 0 outside the text: no check reads before its start
// or past its end.
char16_t At(std::u16string_view t, long long i) {
  return i >= 0 && size_t(i) < t.size() ? t[size_t(i)] : u'\0';
}

int IndexIn(const char16_t* table, char16_t c) {
  if (c == 0) return -1;
  for (int i = 0; table[i]; ++i)
    if (table[i] == c) return i;
  return -1;
}
// 1..19, 0 for no piece word.
int PieceWordAt(std::u16string_view t, long long i) { return IndexIn(kPieceWords, At(t, i)) + 1; }
bool IsMark(char16_t c) { return c == kMarkSente || c == kMarkGote; }

std::u16string Message(const char16_t* fmt, const std::u16string& excerpt) {
  return FormatU16(fmt, excerpt.c_str());
}

void ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, from.size(), from) == 0) {
      out += to;
      i += from.size();
    } else {
      out += text[i++];
    }
  }
  text.swap(out);
}

}  // namespace

std::u16string CommentExcerpt(std::u16string_view text, size_t pos) {
  if (pos >= text.size()) return {};
  std::u16string_view s = text.substr(pos, 18);
  for (size_t i = 1; i < s.size(); ++i)
    if (s[i] == u'\n' || s[i] == u'\r') return std::u16string(s.substr(0, i));
  return std::u16string(s);
}

void CheckCommentMarksText(std::u16string& text, const BoardState& board, bool notation,
                           bool marks, const CommentCheckPort& port) {
  for (std::u16string_view doubled : {std::u16string_view(u"▲▲"), std::u16string_view(u"△△")}) {
    size_t at = text.find(doubled);
    if (at == std::u16string::npos || !notation) continue;
    if (port.ask(kFindingFix, Message(u"「%s」　ミスだと思われます。", CommentExcerpt(text, at)), 0) ==
        1) {
      ReplaceAll(text, doubled, doubled.substr(0, 1));
      port.replace(text);
    }
  }

  for (int file = 1; file <= 9; ++file) {
    const char16_t digit = kWideDigits[file - 1];
    for (size_t p = text.find(digit); p != std::u16string::npos; p = text.find(digit, p + 1)) {
      const long long q = (long long)p;
      const int rankWide = IndexIn(kWideDigits, At(text, q + 1)) + 1;
      if (rankWide > 0 && PieceWordAt(text, q + 2) > 0) {
        if (notation &&
            port.ask(kFindingFix, Message(u"「%s」　望ましくない表記です。", CommentExcerpt(text, p)),
                     0) == 1) {
          // Only written moves change: a piece word follows the two digits.
          const std::u16string wide{digit, kWideDigits[rankWide - 1]};
          const std::u16string kanji{digit, kKanjiRanks[rankWide - 1]};
          for (size_t i = text.find(wide); i != std::u16string::npos; i = text.find(wide, i + 1))
            if (PieceWordAt(text, (long long)i + 2) > 0) text.replace(i, 2, kanji);
          port.replace(text);
        }
        continue;
      }
      const int rank = IndexIn(kKanjiRanks, At(text, q + 1)) + 1;
      const int piece = PieceWordAt(text, q + 2);
      if (rank <= 0 || piece <= 0) continue;
      const int square = rank + file * 10;
      const char16_t before = At(text, q - 1);
      if (!IsMark(before)) {
        if (marks) {
          const int code = board.squares[square];
          int suggest = 0;
          if (IsPiece(code) && CodeWithoutSide(code) == piece)
            suggest = (code & kSenteBit) ? 1 : 2;
          int answer = port.ask(kFindingMark,
                                Message(u"「%s」　▲△が付いていません。", CommentExcerpt(text, p)),
                                suggest);
          if (answer == 1 || answer == 2) {
            text.insert(p, 1, answer == 1 ? kMarkSente : kMarkGote);
            port.replace(text);
          }
        }
        continue;
      }
      const char16_t after = At(text, q + 3);
      if (!notation || (after != u'成' && after != u'不')) continue;
      bool impossible = false;
      if (before == kMarkSente) {
        if (piece == kPawn || piece == kLance || piece == kKnight) impossible = rank > 3;
        else if (piece == kSilver) impossible = rank >= 5;
        else if (piece == kBishop) impossible = square == 49 || square == 58 || square == 59 || square == 69;
      } else {
        if (piece == kPawn || piece == kLance || piece == kKnight) impossible = rank < 7;
        else if (piece == kSilver) impossible = rank <= 5;
        else if (piece == kBishop) impossible = square == 41 || square == 51 || square == 52 || square == 61;
      }
      if (impossible)
        port.ask(kFindingWarning, Message(u"「%s」　あり得ない指し手です。", CommentExcerpt(text, p - 1)),
                 0);
    }
  }
}

void CheckCommentSequenceText(std::u16string& text, const CommentCheckPort& port) {
  struct Entry {
    size_t pos;
    int side;    // 0 ▲, 1 △
    int target;  // 0 for 同
  };
  Entry run[100];
  int k = 0;
  size_t scan = 0;
  // The next mark of each side, found again only once the scan has passed
  // it: a comment full of one side's marks must not be searched to its end
  // for the other's at every move.
  size_t nextSente = 0, nextGote = 0;
  bool stale = true;
  for (;;) {
    if (stale || (nextSente != std::u16string::npos && nextSente < scan))
      nextSente = text.find(kMarkSente, scan);
    if (stale || (nextGote != std::u16string::npos && nextGote < scan))
      nextGote = text.find(kMarkGote, scan);
    stale = false;
    const size_t s = nextSente, g = nextGote;
    if (s == std::u16string::npos && g == std::u16string::npos) return;
    const size_t q = s < g ? s : g;
    const int side = s < g ? 0 : 1;
    scan = q + 1;
    const long long Q = (long long)q;

    const int fileWord = IndexIn(kFileWords, At(text, Q + 1));
    if (fileWord < 0) {
      k = 0;
      continue;
    }
    int target = 0;
    long long P = Q + 2;
    if (fileWord > 0) {
      if (PieceWordAt(text, Q + 2) > 0) {
        port.ask(kFindingWarning, Message(u"「%s」　ミスだと思われます。", CommentExcerpt(text, q)), 0);
        k = 0;
        continue;
      }
      const int rank = IndexIn(kKanjiRanks, At(text, Q + 2)) + 1;
      if (rank <= 0) {
        k = 0;
        continue;
      }
      target = rank + fileWord * 10;
      P = Q + 3;
    }
    int piece = PieceWordAt(text, P);
    long long G = P + 1;
    if (piece == kPieceWordPromoted) {
      G = P + 2;
    } else if (piece == kPieceWordSame) {
      piece = PieceWordAt(text, P + 1);
      G = PieceWordAt(text, P + 1) == kPieceWordPromoted ? P + 3 : P + 2;
    }

    int word = -1;
    const char16_t c0 = At(text, G);
    // Every word also matches on its first character, so the first match
    // in table order decides (右引 reads as 右, 不 alone as 不成).
    for (int i = 0; i < 15 && c0; ++i) {
      if (kRelativeWords[i][0] == c0) {
        word = i;
        break;
      }
    }
    long long end = G;
    bool suffix = false;
    if (word >= 0) {
      end = G + (word == 1 ? 2 : 1);
      suffix = At(text, end) == u'成' || (At(text, end) == u'不' && At(text, end + 1) == u'成');
    }
    auto span = [&](size_t from) { return text.substr(from, size_t(end) - from); };
    if ((word == 0 || word == 1) && (piece == 5 || (piece >= 8 && piece <= 18)))
      port.ask(kFindingWarning, Message(u"「%s」　表記に間違いがあります。", span(q)), 0);

    run[k] = {q, side, target};
    if (k > 0) {
      const Entry& prev = run[k - 1];
      if (side == prev.side)
        port.ask(kFindingWarning, Message(u"「%s」　手順に間違いがあります。", span(prev.pos)), 0);
      if (target != 0 && target == prev.target)
        port.ask(kFindingWarning, Message(u"「%s」　手順に間違いがあります。", span(prev.pos)), 0);
      if (k > 1 && target != 0 && target == run[k - 2].target && prev.target == 0)
        port.ask(kFindingWarning, Message(u"「%s」　手順に間違いがあります。", span(run[k - 2].pos)),
                 0);
      const bool promotable = piece == kPawn || piece == kLance || piece == kKnight ||
                              piece == kSilver || piece == kBishop || piece == kRook;
      if (target == 0 && promotable && word != 0 && word != 1 && !suffix) {
        int square = 0;
        for (int back = 1; back <= 3 && back <= k && square == 0; ++back) square = run[k - back].target;
        const int rank = square % 10;
        const bool zone = square != 0 && (side == 0 ? rank >= 1 && rank <= 3 : rank >= 7 && rank <= 9);
        if (zone) {
          const int offer = (piece == kPawn || piece == kBishop || piece == kRook) ? 1 : 0;
          int answer = port.ask(kFindingPromotion,
                                Message(u"「%s」　成／不成がありません。", span(prev.pos)), offer);
          if (answer == 1 || answer == 2) {
            text.insert(size_t(end), answer == 1 ? u"成" : u"不成");
            stale = true;
            port.replace(text);
          }
        }
      }
    }
    if (IsMark(At(text, end))) {
      if (++k >= 100) return;
    } else {
      k = 0;
    }
  }
}
