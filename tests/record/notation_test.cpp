#include "record/notation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "record/board.h"
#include "record/record.h"
#include "record/rules.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/position_loader.h"
#include "tests/support/recording_ui.h"

namespace {

// Position from pieces written as "G58 +R23 g62": upper case the first
// player, lower case the second, "+" promoted; hands in SFEN form.
BoardState Pieces(std::string_view pieces, std::string_view hands = "-", int side = kSente) {
  std::string cell[10][10];  // [rank][file]
  size_t i = 0;
  while (i < pieces.size()) {
    while (i < pieces.size() && (pieces[i] == ' ' || pieces[i] == '-')) ++i;
    if (i >= pieces.size()) break;
    std::string letter;
    if (pieces[i] == '+') letter += pieces[i++];
    letter += pieces[i++];
    int file = pieces[i] - '0', rank = pieces[i + 1] - '0';
    i += 2;
    cell[rank][file] = letter;
  }
  std::string sfen;
  for (int rank = 1; rank <= 9; ++rank) {
    int blanks = 0;
    for (int file = 9; file >= 1; --file) {
      if (cell[rank][file].empty()) {
        ++blanks;
        continue;
      }
      if (blanks) sfen += char('0' + blanks);
      blanks = 0;
      sfen += cell[rank][file];
    }
    if (blanks) sfen += char('0' + blanks);
    if (rank < 9) sfen += '/';
  }
  sfen += side == kSente ? " b " : " w ";
  sfen += hands;
  return SfenPosition(sfen);
}

constexpr uint16_t Key(int from, int to) { return uint16_t(from | to << 8); }

// Record form of a move on a position, as the record would hold it.
std::u16string Text(const BoardState& b, int from, int to, int prevTo = 0, int form = 0,
                    int mark = 0, int width = 0) {
  return FormatMoveText(ComputeMoveTextFlags(b, Key(from, to)), prevTo, from, to,
                        PieceCodeAt(from, b), form, mark, width);
}

class NotationTest : public ::testing::Test {
protected:
  void SetUp() override {
    saved_ = {g_bCheckRules, g_nDragonGlyph, g_bDropMarkOnLast};
    g_bCheckRules = 1;
    g_nDragonGlyph = 0;
    g_bDropMarkOnLast = 0;
    Reset(g_Record);
  }
  void TearDown() override {
    g_bCheckRules = saved_.rules;
    g_nDragonGlyph = saved_.dragon;
    g_bDropMarkOnLast = saved_.drop;
  }
  void Reset(GameRecord& r, int capacity = 64) {
    ASSERT_EQ(InitRecordPool(r, capacity), 0);
    SetInitialBoard(g_Board);
    SetInitialBoard(g_StartBoard);
  }
  void StartFrom(const BoardState& b) {
    CopyBoardState(g_Board, b);
    CopyBoardState(g_StartBoard, b);
  }
  int Play(int n, int from, int to, int code, std::u16string_view rest = u"") {
    return PlayMoveIntoRecord(g_Board, g_Record, g_StartBoard, n, MakeMoveCode(from, to, code, 0),
                              0, rest);
  }
  struct {
    unsigned char rules;
    int dragon, drop;
  } saved_;
};

// Every relative word, each case read back from its own text.
TEST_F(NotationTest, RelativeWordsAreWrittenAndReadBack) {
  struct Case {
    const char* pieces;
    int from, to;
    const char16_t* text;
  } cases[] = {
      // Two golds on one rank: 上 fits both, so the straight one is 直.
      {"G58 G48", 48, 47, u"４七金直"},
      {"G58 G48", 58, 47, u"４七金左"},
      {"G68 G58 G48", 58, 57, u"５七金直"},
      {"G68 G58 G48", 68, 57, u"５七金左"},
      {"G68 G58 G48", 48, 57, u"５七金右"},
      {"G69 G49", 49, 58, u"５八金右"},
      // Three golds around one square.
      {"G66 G65 G46", 66, 55, u"５五金左上"},
      {"G66 G65 G46", 65, 55, u"５五金寄"},
      {"G66 G65 G46", 46, 55, u"５五金右"},
      {"G46 G45 G66", 46, 55, u"５五金右上"},
      {"G45 G46 G65", 45, 55, u"５五金右寄"},
      {"G65 G66 G45", 65, 55, u"５五金左寄"},
      // Silvers.
      {"S68 S48", 68, 57, u"５七銀左"},
      {"S68 S48", 48, 57, u"５七銀右"},
      {"S66 S64", 66, 55, u"５五銀上"},
      {"S66 S64", 64, 55, u"５五銀引"},
      {"S64 S66 S44", 64, 55, u"５五銀左引"},
      {"S64 S66 S44", 44, 55, u"５五銀右"},
      {"S44 S46 S64", 44, 55, u"５五銀右引"},
      {"N89 N69", 89, 77, u"７七桂左"},
      {"N89 N69", 69, 77, u"７七桂右"},
      // Rooks: 寄 and 上 on crossing lines, 右 and 左 on one rank.
      {"R28 R14", 28, 24, u"２四飛上"},
      {"R28 R14", 14, 24, u"２四飛寄"},
      {"R28 R88", 28, 58, u"５八飛右"},
      {"R29 R24", 24, 26, u"２六飛引"},
      // Dragons and horses: a pair on one side of the destination's rank
      // is told apart by 右 and 左 only.
      {"+R21 +R32", 21, 23, u"２三龍右"},
      {"+R21 +R32", 32, 23, u"２三龍左"},
      {"+R26 +R15", 26, 24, u"２四龍左"},
      {"+R26 +R15", 15, 24, u"２四龍右"},
      {"+R82 +R22", 82, 52, u"５二龍左"},
      {"+R29 +R21", 29, 25, u"２五龍上"},
      {"+R29 +R21", 21, 25, u"２五龍引"},
      {"+B91 +B11", 91, 55, u"５五馬左"},
      {"+B91 +B11", 11, 55, u"５五馬右"},
      {"+B11 +B15", 11, 33, u"３三馬引"},
      {"+B11 +B15", 15, 33, u"３三馬上"},
      // The second player sees right and left the other way round.
      {"g62 g52", 62, 63, u"６三金直"},
      {"g62 g52", 52, 63, u"６三金左"},
      {"s42 s62", 42, 53, u"５三銀左"},
      {"r82 r22", 82, 52, u"５二飛右"},
      {"+r89 +r78", 89, 87, u"８七龍右"},
      {"+r89 +r78", 78, 87, u"８七龍左"},
      // One piece only: no word.
      {"G58 S48", 58, 47, u"４七金"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    BoardState b = Pieces(c.pieces);
    const int piece = PieceCodeAt(c.from, b);
    EXPECT_EQ(Text(b, c.from, c.to), c.text);

    std::u16string_view rest(c.text);
    int length = 0;
    ASSERT_EQ(ParsePieceName(rest.substr(2), &length), CodeWithoutSide(piece));
    rest.remove_prefix(2 + length);
    EXPECT_EQ(ParseRelativeWord(rest, b, c.to, piece), c.from);
    EXPECT_TRUE(rest.empty());
  }
}

TEST_F(NotationTest, DropMarkPromotionAndSameSquareInEveryForm) {
  struct Case {
    const char* name;
    const char* pieces;
    const char* hands;
    int from, to, prevTo;
    const char16_t* forms[4];  // forms 0..3 (4 writes as 3)
  } cases[] = {
      {"promotes", "P24", "-", 24, 23 | kPromoteBit, 0,
       {u"２三歩成", u"２三歩成", u"２三歩成", u"23歩成"}},
      {"同 promotes", "P24", "-", 24, 23 | kPromoteBit, 23,
       {u"同歩成", u"２三歩成", u"２三同歩成", u"同歩成"}},
      {"同 without promotion", "P24", "-", 24, 23, 23,
       {u"同歩不成", u"２三歩不成", u"２三同歩不成", u"同歩不成"}},
      {"同 keeps its space", "P26", "-", 26, 25, 25,
       {u"同　歩", u"２五歩", u"２五同歩", u"同歩"}},
      {"同成香", "+L23", "-", 23, 22, 22,
       {u"同成香", u"２二成香", u"２二同成香", u"同成香"}},
      {"同銀不成", "S34", "-", 34, 23, 23,
       {u"同銀不成", u"２三銀不成", u"２三同銀不成", u"同銀不成"}},
      {"word before 成", "S34 S14", "-", 34, 23 | kPromoteBit, 0,
       {u"２三銀左成", u"２三銀左成", u"２三銀左成", u"23銀左成"}},
      {"word before 不成", "S34 S14", "-", 34, 23, 0,
       {u"２三銀左不成", u"２三銀左不成", u"２三銀左不成", u"23銀左不成"}},
      {"drop nobody else reaches", "-", "S", 0x94, 57, 0,
       {u"５七銀", u"５七銀", u"５七銀", u"57銀"}},
      {"drop another silver reaches", "S68", "S", 0x94, 57, 0,
       {u"５七銀打", u"５七銀打", u"５七銀打", u"57銀打"}},
      {"drop where a と reaches", "+P58", "P", 0x91, 57, 0,
       {u"５七歩", u"５七歩", u"５七歩", u"57歩"}},
      {"second player drop", "s42", "s", 0x84, 53, 0,
       {u"５三銀打", u"５三銀打", u"５三銀打", u"53銀打"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BoardState b = Pieces(c.pieces, c.hands);
    for (int form = 0; form <= 4; ++form)
      EXPECT_EQ(Text(b, c.from, c.to, c.prevTo, form), c.forms[form < 4 ? form : 3]) << form;
  }

  // 棋譜最終手の打 adds 打 to every drop, in form 2 only.
  g_bDropMarkOnLast = 1;
  BoardState b = Pieces("-", "S");
  EXPECT_EQ(Text(b, 0x94, 57, 0, 2), u"５七銀打");
  EXPECT_EQ(Text(b, 0x94, 57, 0, 0), u"５七銀");
  EXPECT_EQ(Text(b, 0x94, 57, 0, 3), u"57銀");

  // 棋譜竜表記 chooses the glyph of the promoted rook.
  b = Pieces("+R28");
  EXPECT_EQ(Text(b, 28, 23, 23), u"同　龍");
  g_nDragonGlyph = 1;
  EXPECT_EQ(Text(b, 28, 23, 23), u"同　竜");
  EXPECT_EQ(Text(b, 28, 23, 0, 2), u"２三竜");
}

TEST_F(NotationTest, SideMarksAndWidths) {
  BoardState b = Pieces("S34 s72");
  const char16_t* first[] = {u"同銀不成", u"▲同銀不成", u"▲同銀不成", u"☗同銀不成"};
  const char16_t* second[] = {u"同　銀", u"△同　銀", u"▽同　銀", u"☖同　銀"};
  for (int mark = 0; mark <= 3; ++mark) {
    EXPECT_EQ(Text(b, 34, 23, 23, 0, mark), first[mark]);
    EXPECT_EQ(Text(b, 72, 73, 73, 0, mark), second[mark]);
  }
  // Widths count ▲ and kanji as 2, digits as 1; a longer text is not cut.
  EXPECT_EQ(Text(b, 34, 23, 0, 0, 1, 12), u"▲２三銀不成");
  EXPECT_EQ(Text(b, 72, 73, 0, 0, 0, 10), u"７三銀    ");
  EXPECT_EQ(Text(b, 72, 73, 0, 3, 2, 10), u"▽73銀    ");
  EXPECT_EQ(Text(b, 34, 23, 0, 0, 1, 4), u"▲２三銀不成");
  // End words take the mark of the side to move at the end.
  EXPECT_EQ(FormatMoveText(1, 0, kEndFrom, kEndResign, kGote, 0, 2, 8), u"▽投了  ");
  EXPECT_EQ(FormatMoveText(1, 0, kEndFrom, kEndEnteringKing, kSente, 0, 1, 0), u"▲入玉勝ち");
}

TEST_F(NotationTest, EndCodesOutsideTheTableGiveNoWord) {
  for (int code : {3, 11, 100}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(EndWord(code), u"");
    if (code > 10) continue;  // larger to-bytes are squares
    EXPECT_EQ(FormatMoveText(1, 0, kEndFrom, code, kSente, 0, 0, 4), u"    ");
    EXPECT_EQ(FormatMoveDisplayCore(kSente, kEndFrom, code, 0), u"");
  }
  EXPECT_EQ(EndWord(kEndTimeLoss), u"切れ負け");
}

TEST_F(NotationTest, DisplayFormWithSourceSquares) {
  // ▲７六歩 △３四歩 ▲２二角成 △同　銀 ▲５五角打 ... 投了
  ASSERT_EQ(Play(1, 77, 76, kPawn), 0);
  ASSERT_EQ(Play(2, 33, 34, kPawn), 0);
  ASSERT_EQ(Play(3, 88, 22 | kPromoteBit, kBishop), 0);
  ASSERT_EQ(Play(4, 31, 22, kSilver), 0);
  ASSERT_EQ(Play(5, 0x96, 55, kBishop), 0);
  ASSERT_EQ(Play(6, kEndFrom, kEndResign, 0), 0);
  struct Case {
    int n, noSame, style, width;
    const char16_t* text;
  } cases[] = {
      {1, 0, 0, 12, u"７六歩(77)  "},
      {1, 0, 5, 0, u"☗７六歩(77)"},
      {2, 0, 1, 0, u"△３四歩(33)"},
      {2, 0, 2, 0, u"▽３四歩(33)"},
      {2, 0, 5, 0, u"☖３四歩(33)"},
      {3, 0, 1, 12, u"▲２二角成(88)"},
      {4, 0, 0, 12, u"同　銀(31)  "},
      {4, 1, 0, 0, u"２二銀(31)"},
      {5, 0, 2, 0, u"▲５五角打"},
      {6, 0, 0, 12, u"投了        "},
      {0, 0, 1, 12, u""},
      {7, 0, 1, 12, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(FormatMoveForDisplayAt(c.n, c.noSame, c.style, c.width), c.text);
  }
  EXPECT_EQ(FormatMoveTextAt(g_Record, 4, 0, 1, 0), u"△同　銀");
  EXPECT_EQ(FormatMoveTextAt(g_Record, 0, 0, 1, 0), u"");

  // Candidate moves on the position now shown (after 投了 the first player is to move).
  EXPECT_EQ(FormatCandidateMove(33 | kPromoteBit, 55), u"▲３三角成(55)");
  EXPECT_EQ(FormatCandidateMove(45, 0x86), u"▽４五角打");

  // Promoted names and the dragon glyph as in the record form.
  EXPECT_EQ(FormatMoveDisplayCore(kSenteBit | 10, 23, 22, 22), u"同　成香(23)");
  g_nDragonGlyph = 1;
  EXPECT_EQ(FormatMoveDisplayCore(15, 82, 83, 0), u"８三竜(82)");
}

TEST_F(NotationTest, ParsersTakeEveryVariantGlyph) {
  struct Rank {
    const char16_t* text;
    int rank;
  } ranks[] = {{u"一", 1}, {u"二", 2}, {u"五", 5}, {u"九", 9}, {u"十", 10}, {u"ニ", 2},
               {u"ー", 1}, {u"－", 1}, {u"零", 0}, {u"1", 0},  {u"", 0}};
  for (const Rank& r : ranks) EXPECT_EQ(ParseRankNumeral(r.text), r.rank) << Utf16ToUtf8(r.text);

  EXPECT_EQ(ParseFileDigit(u"０"), 0);
  EXPECT_EQ(ParseFileDigit(u"９六"), 9);
  EXPECT_EQ(ParseFileDigit(u"9"), -1);
  EXPECT_EQ(ParseFileDigit(u""), -1);

  struct Name {
    const char16_t* text;
    int code, length;
  } names[] = {
      {u"歩", 1, 1},   {u"香", 2, 1},   {u"桂", 3, 1},   {u"銀", 4, 1},   {u"金上", 5, 1},
      {u"角", 6, 1},   {u"飛", 7, 1},   {u"玉", 8, 1},   {u"王", 8, 1},   {u"と", 9, 1},
      {u"杏", 10, 1},  {u"成香", 10, 2}, {u"圭", 11, 1},  {u"成桂", 11, 2}, {u"全", 12, 1},
      {u"成銀右", 12, 2}, {u"馬", 14, 1}, {u"龍", 15, 1},  {u"竜", 15, 1},  {u"成", 0, 0},
      {u"　歩", 0, 0}, {u"", 0, 0},
  };
  for (const Name& n : names) {
    int length = -1;
    EXPECT_EQ(ParsePieceName(n.text, &length), n.code) << Utf16ToUtf8(n.text);
    EXPECT_EQ(length, n.length) << Utf16ToUtf8(n.text);
  }

  EXPECT_EQ(SkipBlanks(u"　 　同"), u"同");
  EXPECT_EQ(SkipBlanks(u"　 "), u"");
  EXPECT_EQ(StartsWith(u"不成", u"不成(23)"), 1);
  EXPECT_EQ(StartsWith(u"不成", u"不"), 0);
}

TEST_F(NotationTest, SourceOfAmbiguousMoves) {
  constexpr int kS = kSenteBit;
  struct Case {
    const char* name;
    const char* pieces;
    int piece, to;
    const char16_t* rest;
    int from;
    const char16_t* left;  // rest after the relative word
  } cases[] = {
      {"no word: the first direction found", "G58 G48", kS | kGold, 47, u"", 58, u""},
      {"word and promotion word", "S34 S14", kS | kSilver, 23, u"右成", 14, u"成"},
      {"promotion word passes over a silver outside the zone", "S55 S53", kS | kSilver, 44,
       u"成", 53, u"成"},
      {"不成 too", "S55 S53", kS | kSilver, 44, u"不成", 53, u"不成"},
      {"生 too", "S55 S53", kS | kSilver, 44, u"生", 53, u"生"},
      {"without it the first direction found", "S55 S53", kS | kSilver, 44, u"", 55, u""},
      {"a lance slides", "L29", kS | kLance, 23, u"成", 29, u"成"},
      {"a lance does not jump", "L29 p26", kS | kLance, 23, u"", 0, u""},
      {"only the piece named", "G58 S48", kS | kSilver, 47, u"", 48, u""},
      {"a word that fits nobody", "G58 G48", kS | kGold, 47, u"引", 0, u""},
      {"行 reads as 上", "S66 S64", kS | kSilver, 55, u"行", 66, u""},
      {"a word with 成 passes over a piece that cannot promote", "S35 S33", kS | kSilver, 44,
       u"右成", 33, u"成"},
      {"the same word without it", "S35 S33", kS | kSilver, 44, u"右", 35, u""},
      {"pair of dragons by file, first player", "+R82 +R22", kS | 15, 52, u"右", 22, u""},
      {"pair of dragons by file, second player", "+r82 +r22", 15, 52, u"右", 82, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BoardState b = Pieces(c.pieces);
    std::u16string_view rest(c.rest);
    EXPECT_EQ(ParseRelativeWord(rest, b, c.to, c.piece), c.from);
    EXPECT_EQ(rest, c.left);
  }
  // The destination's promote bit counts as a promotion word.
  BoardState b = Pieces("S55 S53");
  EXPECT_EQ(FindSourceSquare(0, b, 44 | kPromoteBit, PieceCodeAt(55, b)), 53);
  EXPECT_EQ(FindSourceSquare(kWordUp, b, 44, PieceCodeAt(55, b)), 55);
}

// The parsed parts of a move text: destination (or 同), piece, 打, and the rest.
struct ParsedMove {
  MoveCode move;
  std::u16string_view rest;
};
ParsedMove ParseForTest(std::u16string_view text, int prevTo, bool sente) {
  int to;
  if (StartsWith(u"同", text)) {
    to = prevTo & 0x7F;
    text = SkipBlanks(text.substr(1));
  } else {
    to = ParseFileDigit(text) * 10 + ParseRankNumeral(text.substr(1));
    text.remove_prefix(2);
  }
  int length = 0;
  int code = ParsePieceName(text, &length);
  text.remove_prefix(length);
  int from = 0;
  if (StartsWith(u"打", text)) {
    from = HandCellOf(sente ? kSente : kGote, code);
    text.remove_prefix(1);
  }
  return {MakeMoveCode(from, to, code, 0), text};
}

TEST_F(NotationTest, GameFragmentsReadAndWriteTheSameText) {
  const std::vector<std::vector<const char16_t*>> games = {
      {u"７六歩", u"３四歩", u"２六歩", u"４四歩", u"４八銀", u"４二飛", u"６八玉",
       u"６二玉", u"７八玉", u"７二玉", u"５八金右", u"８二玉", u"５六歩", u"７二銀",
       u"６八銀", u"５二金左", u"５七銀左", u"３二銀", u"４六銀", u"５四歩", u"３六歩",
       u"４五歩", u"同　銀", u"５五歩", u"４四銀", u"同　飛", u"５五角", u"４三銀打"},
      {u"７六歩", u"３四歩", u"２六歩", u"８四歩", u"２五歩", u"８五歩", u"７八金",
       u"３二金", u"２四歩", u"同　歩", u"同　飛", u"８六歩", u"同　歩", u"同　飛",
       u"３四飛", u"８八角成", u"同　銀", u"２八角", u"３二飛成", u"同　銀", u"５五角",
       u"１九角不成", u"４四角", u"同　歩"},
  };
  for (const auto& game : games) {
    Reset(g_Record);
    RecordingUi ui;
    int prevTo = 0;
    for (size_t i = 0; i < game.size(); ++i) {
      const int n = int(i) + 1;
      SCOPED_TRACE(Utf16ToUtf8(game[i]));
      ParsedMove p = ParseForTest(game[i], prevTo, n % 2 == 1);
      ASSERT_EQ(PlayMoveIntoRecord(g_Board, g_Record, g_StartBoard, n, p.move, 0, p.rest), 0);
      EXPECT_EQ(FormatNodeMove(g_Record.current, g_Record, 0, 0, 0), game[i]);
      prevTo = g_Record.current->to;
    }
    EXPECT_EQ(g_Record.moveNumber, int(game.size()));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(DescribeBoardFault(g_Board), "");
  }
}

TEST_F(NotationTest, MissingPromotionWordWarnsWhenRulesAreChecked) {
  struct Case {
    const char* name;
    const char* pieces;
    int from, to, code;  // from 0: found from the rest
    const char16_t* rest;
    bool rules;
    bool warns;
    int promoted;  // code on the destination afterwards, without side
  } cases[] = {
      {"pawn is promoted", "P24", 0, 23, kPawn, u"", true, true, 9},
      {"silver is not", "S24", 0, 23, kSilver, u"", true, true, kSilver},
      {"lance is not", "L25", 0, 23, kLance, u"", true, true, kLance},
      {"bishop is promoted", "B77", 0, 33, kBishop, u"", true, true, 14},
      {"rook leaving the zone is promoted", "R23", 0, 28, kRook, u"", true, true, 15},
      {"blanks after the move are no word", "P24", 0, 23, kPawn, u"　 ", true, true, 9},
      {"成", "S24", 0, 23, kSilver, u"成", true, false, 12},
      {"不成", "P24", 0, 23, kPawn, u"不成", true, false, kPawn},
      {"生", "P24", 0, 23, kPawn, u"生", true, false, kPawn},
      {"a word, then nothing", "S24 S14", 0, 23, kSilver, u"右", true, true, kSilver},
      {"no question outside the zone", "S35", 0, 34, kSilver, u"", true, false, kSilver},
      {"must promote is no question", "N34", 0, 22, kKnight, u"", true, false, kKnight},
      {"rules off", "P24", 0, 23, kPawn, u"", false, false, kPawn},
      {"known source", "P24", 24, 23, kPawn, u"", true, false, kPawn},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset(g_Record);
    StartFrom(Pieces(std::string(c.pieces) + " K59 k51"));
    g_bCheckRules = c.rules;
    RecordingUi ui;
    Play(3, c.from, c.to, c.code, c.rest);
    EXPECT_EQ(g_Record.moveNumber, 1);
    EXPECT_EQ(CodeWithoutSide(g_Board.squares[c.to]), c.promoted);
    if (c.warns) {
      ASSERT_EQ(ui.boxes.size(), 1u);
      EXPECT_EQ(ui.boxes[0].text, u"警告：3手目 成・不成指定なし\n");
      EXPECT_EQ(ui.boxes[0].caption, u"");
      EXPECT_EQ(ui.boxes[0].flags, kMbOk | kMbIconWarning);
    } else {
      EXPECT_TRUE(ui.boxes.empty());
    }
  }
}

TEST_F(NotationTest, ImpossibleMovesAreRefusedAndChangeNothing) {
  struct Case {
    const char* name;
    const char* pieces;
    const char* hands;
    int from, to, code;
    const char16_t* rest;
  } cases[] = {
      {"drop from an empty hand", "K59 k51", "-", 0x94, 55, kSilver, u""},
      {"drop from the other side's hand", "K59 k51", "s", 0x94, 55, kSilver, u""},
      {"drop of a promoted piece", "K59 k51", "P", 0x91, 55, 9, u""},
      {"drop of a king", "K59 k51", "-", 0x98, 55, kKing, u""},
      {"drop onto a piece", "K59 k51 p55", "S", 0x94, 55, kSilver, u""},
      {"drop that promotes", "K59 k51", "S", 0x94, 55 | kPromoteBit, kSilver, u""},
      {"no source and nothing in hand", "K59 k51", "-", 0, 55, kSilver, u""},
      {"source holds another kind", "K59 k51 G56", "-", 56, 55, kSilver, u""},
      {"source holds the other side's piece", "K59 k51 s56", "-", 56, 55, kSilver, u""},
      {"source is empty", "K59 k51", "-", 56, 55, kSilver, u""},
      {"destination is a wall", "K59 k51 S56", "-", 56, 50, kSilver, u""},
      {"destination holds the mover's piece", "K59 k51 S56 P55", "-", 56, 55, kSilver, u""},
      {"gold promotes", "K59 k51 G24", "-", 24, 23 | kPromoteBit, kGold, u""},
      {"silver promotes outside the zone", "K59 k51 S56", "-", 56, 45 | kPromoteBit, kSilver, u""},
      {"word names a promotion nobody can make", "K59 k51 G24", "-", 0, 23, kGold, u"成"},
      {"relative word but no board piece, one in hand", "K59 k51 S99", "S", 0, 55, kSilver, u"右"},
      {"king is captured", "K59 k51 R58", "-", 58, 51, kRook, u""},
      {"piece code 0", "K59 k51", "S", 0x94, 55, 0, u""},
      {"end code 3", "K59 k51", "-", kEndFrom, 3, 0, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset(g_Record);
    StartFrom(Pieces(c.pieces, c.hands));
    const BoardState before = g_Board;
    RecordingUi ui;
    EXPECT_EQ(Play(1, c.from, c.to, c.code, c.rest), -1);
    EXPECT_TRUE(SameBoardState(g_Board, before));
    EXPECT_EQ(g_Record.changeCount, 0);
    EXPECT_EQ(g_Record.moveNumber, 0);
    EXPECT_EQ(g_Record.pool[0].firstChild, nullptr);
    EXPECT_TRUE(ui.boxes.empty());
  }
}

TEST_F(NotationTest, IllegalButPossibleMovesAreRecordedWithTheirCode) {
  struct Case {
    const char* name;
    const char* pieces;
    const char* hands;
    bool rules;
    int from, to, code;
    int result;
  } cases[] = {
      {"二歩", "K59 k51 P57", "P", true, 0x91, 53, kPawn, kMoveDoublePawn},
      {"打歩詰", "K59 k11 n21 G33 L19", "P", true, 0x91, 12, kPawn, kMoveDropPawnMate},
      {"king left in check", "K59 k51 S58 r55", "-", true, 58, 47, kSilver,
       kMoveLeavesKingAttacked},
      {"unreachable with rules on", "K59 k51 S58", "-", true, 58, 38, kSilver, kMoveUnreachable},
      {"unreachable with rules off", "K59 k51 S58", "-", false, 58, 38, kSilver, 0},
      {"no source found becomes a drop", "K59 k51 S99", "S", true, 0, 55, kSilver, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset(g_Record);
    StartFrom(Pieces(c.pieces, c.hands));
    g_bCheckRules = c.rules;
    EXPECT_EQ(Play(1, c.from, c.to, c.code), c.result);
    EXPECT_EQ(g_Record.moveNumber, 1);
    EXPECT_EQ(g_Record.changeCount, 1);
    EXPECT_EQ(CodeWithoutSide(g_Board.squares[c.to & 0x7F]), c.code);
    EXPECT_EQ(g_Board.sideToMove, kGote);
    EXPECT_EQ(DescribeBoardFault(g_Board), "");
  }
}

TEST_F(NotationTest, EndOfGameAndFullRecord) {
  ASSERT_EQ(Play(1, 77, 76, kPawn), 0);
  // 中断 stays beside move 1; 投了 becomes the current move.
  EXPECT_EQ(Play(2, kEndFrom, kEndSuspend, 0), 0);
  EXPECT_EQ(g_Record.moveNumber, 1);
  EXPECT_EQ(g_Board.sideToMove, kGote);
  EXPECT_EQ(Play(2, kEndFrom, kEndResign, 0), 0);
  EXPECT_EQ(g_Record.moveNumber, 2);
  EXPECT_EQ(g_Board.sideToMove, kSente);
  EXPECT_EQ(FormatNodeMove(g_Record.current, g_Record, 0, 2, 0), u"▽投了");

  Reset(g_Record, 2);  // the root and one move
  ASSERT_EQ(Play(1, 77, 76, kPawn), 0);
  const BoardState before = g_Board;
  EXPECT_EQ(Play(2, 33, 34, kPawn), -2);
  EXPECT_TRUE(SameBoardState(g_Board, before));
  EXPECT_EQ(g_Record.moveNumber, 1);
}

// A move added through the record's own path gets its words too.
TEST_F(NotationTest, RecordComputesFlagsWhenMovesAreAdded) {
  StartFrom(Pieces("K59 k51 G58 G48 S37", "S"));
  ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, Key(48, 47), 0), 0);
  EXPECT_EQ(g_Record.current->textFlags, kWordStraight);
  ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, Key(0x94, 46), 0), 0);
  EXPECT_EQ(g_Record.current->textFlags, kWordDrop);
  ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, Key(37, 26), 0), 0);
  EXPECT_EQ(g_Record.current->textFlags, kWordNone);
}

}  // namespace
