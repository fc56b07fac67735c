#include "settings/jishogi_points.h"

#include "record/board.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/text.h"

namespace {

constexpr int kFirstBigPieceId = 35;  // 35, 36 bishops; 37, 38 rooks
constexpr int kLastCountedId = 38;    // 39 and 40 are the kings

}  // namespace

int CountJishogiPoints(int side) {
  int points = 0;
  for (int id = 1; id <= kLastCountedId; ++id) {
    const int square = g_Board.squareOfId[id];
    if (square == 0) continue;
    if (!IsPieceOfSide(g_Board.squares[square], side)) continue;
    points += id >= kFirstBigPieceId ? 5 : 1;
  }
  const uint8_t* hand = g_Board.hands[SideIndex(side)];
  for (int kind = 1; kind <= kRook; ++kind)
    points += hand[kind] * (kind == kBishop || kind == kRook ? 5 : 1);
  return points;
}

std::u16string FormatJishogiText() {
  const int n = g_Record.moveNumber;
  std::u16string text =
      n > 0 ? FormatU16(u"%d手　%sまで\r\n", n,
                        FormatNodeMove(g_Record.current, g_Record, kFormSame, kMarkWhiteUp, 0).c_str())
            : FormatU16(u"%d手まで\r\n", n);
  const char16_t* format =
      g_Board.handicap == kHandicapEven ? u"先手：%d点\r\n後手：%d点\n" : u"下手：%d点\r\n上手：%d点\n";
  text += FormatU16(format, CountJishogiPoints(kSente), CountJishogiPoints(kGote));
  return text;
}
