#include "record/record_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "record/board.h"
#include "record/header.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_writer.h"
#include "record/rules.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/position_loader.h"
#include "tests/support/record_dump.h"
#include "tests/support/recording_ui.h"

namespace {

// Bytes of a file from UTF-8 text: LF or CR LF line ends, UTF-8 with or
// without a byte-order mark, or code page 932.
enum class Enc { Utf8, Utf8Bom, Ansi };
std::string FileBytes(std::string_view text, Enc enc = Enc::Utf8, bool crlf = false) {
  std::u16string t;
  for (char16_t c : U16(text)) {
    if (c == u'\n' && crlf) t += u'\r';
    t += c;
  }
  return enc == Enc::Ansi ? Utf16ToAnsi(t) : Utf16ToUtf8(t, enc == Enc::Utf8Bom);
}

const char kEvenRows[] =
    "|v香v桂v銀v金v玉v金v銀v桂v香|一\n"
    "| ・v飛 ・ ・ ・ ・ ・v角 ・|二\n"
    "|v歩v歩v歩v歩v歩v歩v歩v歩v歩|三\n"
    "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n"
    "| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n"
    "| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n"
    "| 歩 歩 歩 歩 歩 歩 歩 歩 歩|七\n"
    "| ・ 角 ・ ・ ・ ・ ・ 飛 ・|八\n"
    "| 香 桂 銀 金 玉 金 銀 桂 香|九\n";

class RecordReaderTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetEnvDefaults();
    InitSquareTables();
    InstallMoveNotation();
    ASSERT_EQ(InitRecordPool(g_Record, 3000), 0);
    SetInitialBoard(g_Board);
    SetInitialBoard(g_StartBoard);
  }
  void TearDown() override { ResetEnvDefaults(); }

  int Read(std::string_view text, Enc enc = Enc::Utf8, bool crlf = false, bool tryUtf8 = true) {
    return ReadRecordBytes(tryUtf8, FileBytes(text, enc, crlf));
  }

  // The main line as display texts with seconds: "７六歩(77)/5 ３四歩(33)/0".
  static std::string MainLine() {
    std::string out;
    int prevTo = 0;
    for (const RecordNode* n = g_Record.Root()->firstChild; n; n = n->firstChild) {
      if (!out.empty()) out += ' ';
      out += Utf16ToUtf8(FormatMoveDisplayCore(n->piece, n->from, n->to, prevTo)) + "/" +
             std::to_string(n->seconds);
      prevTo = n->to;
    }
    return out;
  }

  static std::string Comment(const RecordNode* n) {
    return n && n->comment ? Utf16ToUtf8(n->comment) : std::string();
  }

  RecordingUi ui;
};

// ---- Encodings -----------------------------------------------------------------

TEST_F(RecordReaderTest, EncodingComesFromTheMarkOrTheFormatLineElseTheCaller) {
  const std::string body = "先手：山田\n後手：佐藤\n   1 ７六歩(77)   ( 0:01/00:00:01)\n";
  struct Case {
    const char* first;  // format line, or empty
    Enc enc;
    bool tryUtf8;
  };
  const Case cases[] = {
      {"#ZRF version=2.0 encoding=UTF-8\n", Enc::Utf8, false},     // a .zrf that is UTF-8
      {"#ZRF version=2.0 encoding=Shift_JIS\n", Enc::Ansi, true},  // a .dovu that is not
      {"#ZR2 version=2.0 encoding=UTF-8\n", Enc::Utf8Bom, false},
      {"", Enc::Utf8Bom, false},  // a byte-order mark alone says UTF-8
      {"", Enc::Utf8, true},
      {"", Enc::Ansi, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.first) + std::to_string(int(c.enc)));
    ASSERT_EQ(Read(std::string(c.first) + body, c.enc, true, c.tryUtf8), 0);
    EXPECT_EQ(g_Record.header.firstPlayer, u"山田");
    EXPECT_EQ(MainLine(), "７六歩(77)/1");
  }
  // An empty file is an empty record.
  EXPECT_EQ(ReadRecordBytes(true, ""), 0);
  EXPECT_EQ(GetLineLength(g_Record), 0);
}

// Files written by other programs: the name's encoding is only a guess, and
// without a byte-order mark or a format line the bytes decide. A record in
// the other encoding would read as no moves and mojibake.
TEST_F(RecordReaderTest, WithoutAMarkOrFormatLineTheBytesDecideTheEncoding) {
  const std::string zrf = "先手：山田\n   1 ７六歩(77)   ( 0:01/00:00:01)\n*角道を開ける\n"
                          "   2 ３四歩(33)   ( 0:02/00:00:02)\n";
  const std::string zr2 = "先手：山田\n▲７六歩\n*角道を開ける\n△３四歩\n";
  const std::string bod = std::string("先手：山田\n後手の持駒：なし\n") + kEvenRows +
                          "先手の持駒：なし\n*盤面の注釈\n";
  struct Text {
    const char* name;
    const std::string* text;
    const char* line;
    const char* comment;  // of the first move, or of the start for a diagram (with its LF)
  } texts[] = {{"zrf", &zrf, "７六歩(77)/1 ３四歩(33)/2", "角道を開ける\n"},
               {"zr2", &zr2, "７六歩(77)/0 ３四歩(33)/0", "角道を開ける\n"},
               {"bod", &bod, "", "盤面の注釈\n"}};
  for (const Text& t : texts) {
    for (Enc enc : {Enc::Utf8, Enc::Ansi}) {
      for (bool nameSaysUtf8 : {false, true}) {  // .zrf .zr2 .bod, or .dovu .zr2u
        SCOPED_TRACE(std::string(t.name) + " enc " + std::to_string(int(enc)) + " utf8 name " +
                     std::to_string(nameSaysUtf8));
        ASSERT_EQ(Read(*t.text, enc, true, nameSaysUtf8), 0);
        EXPECT_EQ(g_Record.header.firstPlayer, u"山田");
        EXPECT_EQ(MainLine(), t.line);
        const RecordNode* n = *t.line ? g_Record.Root()->firstChild : g_Record.Root();
        EXPECT_EQ(Comment(n), t.comment);
      }
    }
  }
  // Plain ASCII reads the same either way; bytes valid in neither stay CP932.
  EXPECT_FALSE(LooksLikeUtf8Text("abc"));
  EXPECT_FALSE(LooksLikeUtf8Text("\xE3\x81"));            // cut short
  EXPECT_FALSE(LooksLikeUtf8Text("\xC0\xAF"));            // overlong
  EXPECT_FALSE(LooksLikeUtf8Text("\xED\xA0\x80"));        // a surrogate
  EXPECT_TRUE(LooksLikeUtf8Text("a\xE3\x81\x82\xF0\x9F\x98\x80"));
}

// UTF-8 with a bad sequence or two: a UTF-8 name reads it as UTF-8, each
// bad sequence as U+FFFD and counted; a code-page name leaves it to the
// bytes, as before. Text in the code page stays in the code page.
TEST_F(RecordReaderTest, AUtf8NameBreaksTheTieForUtf8WithAFewBadBytes) {
  const std::string good = "先手：山田\n   1 ７六歩(77)   ( 0:01/00:00:01)\n*角道を開ける";
  struct Case {
    const char* name;
    std::string bytes;
    int faults;
    const char* comment;
  } cases[] = {
      {"a stray byte", good + "\xFF\n", 1, "角道を開ける\uFFFD\n"},
      {"a character cut at the end", good + "\n*\xE3\x81", 1, "角道を開ける\n\uFFFD\n"},
      {"two stray bytes", good + "\x80。\x80\n", 2, "角道を開ける\uFFFD。\uFFFD\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(ReadRecordBytes(true, c.bytes), 0);
    EXPECT_EQ(g_Record.header.firstPlayer, u"山田");
    EXPECT_EQ(MainLine(), "７六歩(77)/1");
    EXPECT_EQ(Comment(g_Record.Root()->firstChild), c.comment);
    EXPECT_EQ(g_RecordReadState.utf8Faults, c.faults);
    // Under a code-page name the same bytes are no UTF-8 text.
    ReadRecordBytes(false, c.bytes);
    EXPECT_NE(g_Record.header.firstPlayer, u"山田");
    EXPECT_EQ(g_RecordReadState.utf8Faults, 0);
  }
  // Code-page text under a UTF-8 name is still read in the code page.
  ASSERT_EQ(Read(good + "\n", Enc::Ansi, false, true), 0);
  EXPECT_EQ(g_Record.header.firstPlayer, u"山田");
  EXPECT_EQ(g_RecordReadState.utf8Faults, 0);
}

// ---- What real files contain -----------------------------------------------------

TEST_F(RecordReaderTest, MoveLineVariantsReadTheSame) {
  struct Case {
    const char* lines;
    const char* moves;
  };
  const Case cases[] = {
      {"   1 ７六歩(77)   ( 0:05/00:00:05)\n   2 ３四歩(33)   ( 1:10/00:01:10)\n",
       "７六歩(77)/5 ３四歩(33)/70"},
      {"1 ７六歩(77) (0:5/0:0:5)\n2 ３四歩(33)\t(1:10/0:1:10)+\n", "７六歩(77)/5 ３四歩(33)/70"},
      {"   1 ７六歩(77)\n   2 ３四歩(33)    +\n", "７六歩(77)/0 ３四歩(33)/0"},
      {"1 ７六歩(77) (1092:16/0:0:0)\n2 ３四歩(33) (99999999999999999999:0/0:0:0)\n",
       "７六歩(77)/65535 ３四歩(33)/65535"},  // kept as the longest that fits
      {"1 ▲７六歩\n2 △３四歩\n", "７六歩(77)/0 ３四歩(33)/0"},
      // Numbered ZR2 lines, and the times of a line whose move text has U+3000.
      {"1 ７六歩\n2 ３四歩\n3 ２二角成\n4 同　銀(31) ( 0:09/0:0:9)\n",
       "７六歩(77)/0 ３四歩(33)/0 ２二角成(88)/0 同　銀(31)/9"},
      {"▲７六歩    △３四歩    ▲２二角成  △同銀\n",
       "７六歩(77)/0 ３四歩(33)/0 ２二角成(88)/0 同　銀(31)/0"},
      {"▲７六歩△３四歩▲２二角成△同　銀\n", "７六歩(77)/0 ３四歩(33)/0 ２二角成(88)/0 同　銀(31)/0"},
      {"▲76歩\n|△34歩 ▲22角成 △同 銀 ▲7八銀\n",
       "７六歩(77)/0 ３四歩(33)/0 ２二角成(88)/0 同　銀(31)/0 ７八銀(79)/0"},
      {"▲７六歩(77)△３四歩(33)▲２二角成(88)△同　銀(31)▲４五角打\n",
       "７六歩(77)/0 ３四歩(33)/0 ２二角成(88)/0 同　銀(31)/0 ４五角打/0"},
      {"▲７６歩△３４歩▲２２角成△２２同銀▲４五角合\n",
       "７六歩(77)/0 ３四歩(33)/0 ２二角成(88)/0 同　銀(31)/0 ４五角打/0"},
      // "(00)" names no source: the drop is found from the position.
      {"1 ７六歩(77)\n2 ３四歩(33)\n3 ２二角成(88)\n4 同　銀(31)\n5 ４五角(00)\n",
       "７六歩(77)/0 ３四歩(33)/0 ２二角成(88)/0 同　銀(31)/0 ４五角打/0"},
  };
  for (bool crlf : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.lines);
      ASSERT_EQ(Read(c.lines, Enc::Utf8, crlf), 0) << Utf16ToUtf8(g_strRecordReadError);
      EXPECT_EQ(MainLine(), c.moves);
    }
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(RecordReaderTest, DiagramsTakeEveryPieceSpelling) {
  // 王 and 玉, 全 and 成銀, the other side marks, a leading ":" and short rows.
  ASSERT_EQ(Read("後手の持駒：なし\n"
                 "  ９ ８ ７ ６ ５ ４ ３ ２ １\n"
                 "+---------------------------+\n"
                 "| ・ ・ ・ ・v王 ・ ・ ・ ・|一\n"
                 ":| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n"
                 "| ・ ・ ・ ・ ・ 全 ・ ・ ・|三\n"
                 "|| ・ ・ ・ ・ ・ ・ ・ ・|四\n"
                 "| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n"
                 "| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n"
                 "|-歩V歩 ・ ・ ・ ・ ・+と^龍|七\n"
                 "| ・ ・ ・ ・ ・ ・ ・ ・ ・|八\n"
                 "| ・ ・ ・ ・ 玉 ・ ・ ・ ・|九\n"
                 "+---------------------------+\n"
                 "先手の持駒：銀\n"
                 "▲５二成銀△同玉▲５三銀\n"),
            0)
      << Utf16ToUtf8(g_strRecordReadError);
  EXPECT_EQ(g_StartBoard.squares[51], kKing);
  EXPECT_EQ(g_StartBoard.squares[59], kSenteBit | kKing);
  EXPECT_EQ(g_StartBoard.squares[43], kSenteBit | kSilver | kPromotedBit);
  EXPECT_EQ(g_StartBoard.squares[97], kPawn);
  EXPECT_EQ(g_StartBoard.squares[87], kPawn);
  EXPECT_EQ(g_StartBoard.squares[27], kSenteBit | kPawn | kPromotedBit);
  EXPECT_EQ(g_StartBoard.squares[17], kSenteBit | kRook | kPromotedBit);
  EXPECT_EQ(g_StartBoard.hands[1][kSilver], 1);
  EXPECT_EQ(MainLine(), "５二成銀(43)/0 同　玉(51)/0 ５三銀打/0");
  EXPECT_EQ(DescribeBoardFault(g_StartBoard), "");
  EXPECT_TRUE(SameBoardState(g_Board, g_StartBoard));
}

TEST_F(RecordReaderTest, HeaderNamesAndCommentsBeforeTheFirstMove) {
  g_szUserInfoName[0] = u"相手アドレス";
  const std::string longValue(150, 'x');
  ASSERT_EQ(Read("#ZRF version=2.0 encoding=UTF-8\n"
                 "\n"
                 "対局日：2024/01/06\n"
                 "# 開始時刻  ：10:00\n"
                 "\n"
                 "  棋戦名：王座戦\n"
                 "戦　型：矢倉\n"
                 "時間：各1時間\n"
                 "於：東京\n"
                 "発表：2024年1月\n"
                 "原典：将棋世界\n"
                 "原典：近代将棋\n"
                 "作品分類：実戦\n"
                 "詰手数：0手\n"
                 "記事：" + longValue + "\n"
                 "相手アドレス：a@b\n"
                 "先手:山田\n"
                 "上手：佐藤\n"
                 "携帯先手：山\n"
                 "後手省略名：佐\n"
                 "*最初の\n"
                 "  *コメント\n"
                 "&開始局面\n"
                 "   1 ７六歩(77)   ( 0:01/00:00:01)\n"),
            0);
  const RecordHeader& h = g_Record.header;
  EXPECT_EQ(h.startTime, u"2024/01/06 10:00");
  EXPECT_EQ(h.event, u"王座戦");
  EXPECT_EQ(h.opening, u"矢倉");
  EXPECT_EQ(h.timeLimit, u"各1時間");
  EXPECT_EQ(h.place, u"東京");
  EXPECT_EQ(h.publishedDate, u"2024年1月");
  EXPECT_EQ(h.magazine, u"将棋世界");
  EXPECT_EQ(h.category, u"実戦");
  EXPECT_EQ(h.moveCount, u"0手");
  EXPECT_EQ(h.notes, std::u16string(100, u'x'));
  EXPECT_EQ(h.userItems[0], u"a@b");
  EXPECT_EQ(h.firstPlayer, u"山田");
  EXPECT_EQ(h.secondPlayer, u"佐藤");
  EXPECT_EQ(h.firstShortName, u"山");
  EXPECT_EQ(h.secondShortName, u"佐");
  EXPECT_EQ(Comment(g_Record.Root()), "最初の\nコメント\n");
  ASSERT_NE(GetBookmarkName(0), nullptr);
  EXPECT_EQ(std::u16string(GetBookmarkName(0)), u"開始局面");
  EXPECT_EQ(MainLine(), "７六歩(77)/1");
}

TEST_F(RecordReaderTest, ResultLinesOfEveryKind) {
  struct Case {
    const char* line;
    int code;  // -3: no end node
  };
  const Case cases[] = {
      {"まで2手で後手の勝ち", kEndResign},   {"まで2手で先手の勝ち", kEndResign},
      {"まで2手で中断", kEndSuspend},         {"まで2手で持将棋", kEndImpasse},
      {"まで2手で詰", kEndMate},              {"まで2手詰", kEndMate},
      {"まで2手で不詰", kEndNoMate},          {"まで2手で千日手", kEndRepetition},
      {"まで2手で必至", kEndSuspend},         {"まで2手で切れ負け", kEndTimeLoss},
      {"まで2手で時間切れにより後手の勝ち", kEndTimeLoss},
      {"まで2手で先手の入玉勝ち", kEndEnteringKing}, {"まで2手で入玉宣言", kEndEnteringKing},
      {"まで2手で先手の反則勝ち", kEndIllegalWin},   {"まで2手で後手の反則負け", kEndIllegalLoss},
      {"まで2手で先手勝ち", kEndIllegalWin},   // the side to move names itself the winner
      {"まで2手で駒余り", kEndMate},           {"まで2手", -3},
      {"   3 投　了", kEndResign},             {"   3 封じ手", kEndSuspend},
      {"   3 入玉宣言", kEndEnteringKing},     {"   3 引き分け", kEndSuspend},
      {"   3 詰み", kEndMate},                 {"詰み", kEndMate},
      {"   3 －－－(00)   ( 0:07/00:00:08)", kEndResign},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_EQ(Read(std::string("1 ７六歩\n2 ３四歩\n") + c.line + "\n"), 0);
    const RecordNode* second = g_Record.Root()->firstChild->firstChild;
    const RecordNode* end = second->firstChild;
    if (c.code == -3) {
      EXPECT_EQ(end, nullptr);
      continue;
    }
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->from, kEndFrom);
    EXPECT_EQ(end->to, c.code);
  }
  // 引き分け and 駒余り keep their word as a comment.
  ASSERT_EQ(Read("1 ７六歩\n2 ３四歩\nまで2手で駒余り\n"), 0);
  EXPECT_EQ(Comment(g_Record.Root()->firstChild->firstChild), "駒余り\n");
  // The dashes of a resignation carry its time.
  ASSERT_EQ(Read("1 ７六歩\n2 ３四歩\n  3 －－－(00)   ( 0:07/00:00:08)\n"), 0);
  EXPECT_EQ(g_Record.Root()->firstChild->firstChild->firstChild->seconds, 7);
}

// ---- Start positions ----------------------------------------------------------------

TEST_F(RecordReaderTest, HandicapAndSideLinesSetTheStart) {
  ASSERT_EQ(Read("手合割：香落ち\n下手：A\n上手：B\n   1 １一角(22)\n"), 0);
  BoardState expected;
  SetHandicapBoard(expected, 1);
  EXPECT_EQ(CompareBoardStates(g_StartBoard, expected), 0);
  EXPECT_EQ(g_StartBoard.handicap, 1);
  EXPECT_EQ(g_StartBoard.sideToMove, kGote);
  EXPECT_EQ(g_StartBoard.notAtStart, 0);
  EXPECT_EQ(MainLine(), "１一角(22)/0");
  EXPECT_TRUE(SameBoardState(g_Board, g_StartBoard));

  // A side line without a diagram is kept: the second player starts.
  ASSERT_EQ(Read("手番：後手\n盤面回転\n1 ３四歩\n"), 0);
  EXPECT_EQ(g_StartBoard.sideToMove, kGote);
  EXPECT_EQ(g_StartBoard.notAtStart, 1);
  EXPECT_EQ(g_bBoardFlipped, 1);
  EXPECT_EQ(MainLine(), "３四歩(33)/0");
  ASSERT_EQ(Read("1 ７六歩\n"), 0);
  EXPECT_EQ(g_bBoardFlipped, 0);
}

TEST_F(RecordReaderTest, SetUpLinesAfterTheFirstMoveLeaveTheStartAlone) {
  ASSERT_EQ(Read("1 ７六歩\n先手の持駒：飛\n後手の持駒：角\n後手番\n手合割：香落ち\n2 ３四歩\n3 ２二角成\n"), 0);
  BoardState even;
  SetInitialBoard(even);
  EXPECT_TRUE(SameBoardState(g_StartBoard, even));
  EXPECT_EQ(MainLine(), "７六歩(77)/0 ３四歩(33)/0 ２二角成(88)/0");
}

TEST_F(RecordReaderTest, EvenSetRearrangedIsANewStartPosition) {
  std::string rows = kEvenRows;
  rows.replace(rows.find("| ・ 角 ・ ・ ・ ・ ・ 飛 ・|八"), std::string("| ・ 角 ・ ・ ・ ・ ・ 飛 ・|八").size(),
               "| ・ 飛 ・ ・ ・ ・ ・ 角 ・|八");
  ASSERT_EQ(Read(rows + "後手番\n"), 0);
  EXPECT_EQ(g_StartBoard.handicap, 0);
  EXPECT_EQ(g_StartBoard.notAtStart, 1);
  EXPECT_EQ(g_StartBoard.sideToMove, kGote);
  EXPECT_EQ(g_StartBoard.squares[88], kSenteBit | kRook);
  EXPECT_TRUE(SameBoardState(g_Board, g_StartBoard));
  EXPECT_EQ(DescribeBoardFault(g_Board), "");
  // The standard layout read from a diagram is the standard start.
  ASSERT_EQ(Read(kEvenRows), 0);
  EXPECT_EQ(g_StartBoard.notAtStart, 0);
}

TEST_F(RecordReaderTest, UnknownHandicapIsAFreePositionAndTheStartIsAlwaysRebuilt) {
  // First a record whose start is a diagram ...
  ASSERT_EQ(Read(std::string(kEvenRows) + "後手番\n"), 0);
  EXPECT_EQ(g_StartBoard.notAtStart, 1);
  // ... then one with an unknown handicap name and no diagram: nothing of
  // the previous start may remain.
  ASSERT_EQ(Read("手合割：謎の手合\n先手の持駒：歩\n"), 0);
  EXPECT_EQ(g_StartBoard.handicap, kHandicapFree);
  EXPECT_EQ(g_StartBoard.sideToMove, kGote);
  for (int sq = 11; sq <= 99; ++sq) EXPECT_FALSE(IsPiece(g_StartBoard.squares[sq])) << sq;
  EXPECT_EQ(g_StartBoard.hands[1][kPawn], 1);
  EXPECT_EQ(DescribeBoardFault(g_StartBoard), "");
  EXPECT_EQ(FindHandicapName(u"謎"), kHandicapFree);
  EXPECT_EQ(FindHandicapName(u"右香落ち"), 2);
  EXPECT_EQ(FindHandicapName(u"その他"), kHandicapFree);
}

TEST_F(RecordReaderTest, ImpossiblePositionsEndTheReadingWithAMessage) {
  std::string twoKings = kEvenRows;
  twoKings.replace(twoKings.find("| ・ 角"), std::string("| ・ 角").size(), "| 玉 角");
  const std::string cases[] = {
      std::string(kEvenRows) + "先手の持駒：歩\n1 ７六歩\n",  // 19 pawns
      twoKings + "1 ７六歩\n",
      "先手の持駒：歩九\n後手の持駒：歩九\n" + std::string(kEvenRows),  // found at the end
      "手合割：その他\n先手の持駒：飛三\n1 ５五飛打\n",
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    ui.boxes.clear();
    EXPECT_EQ(Read(text), 1);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, u"棋譜読込みエラー");
    EXPECT_EQ(ui.boxes[0].text.substr(0, 6), u"盤面エラー：");
    EXPECT_EQ(GetLineLength(g_Record), 0);
    EXPECT_EQ(DescribeBoardFault(g_StartBoard), "");
    EXPECT_TRUE(SameBoardState(g_Board, g_StartBoard));
  }
}

TEST_F(RecordReaderTest, HandLinesKeepTheirTotalsAndStopAtStrangeCharacters) {
  struct Case {
    const char* lines;
    int pawns, golds, rooks, total;
  };
  const Case cases[] = {
      {"先手の持駒：飛　金二　歩十八\n", 18, 2, 1, 21},
      {"先手持駒：歩２，金１\n", 2, 1, 0, 3},
      {"持駒：歩１８\n", 18, 0, 0, 18},
      {"先手の持駒：歩二　歩三\n", 3, 0, 0, 3},               // a repeated kind
      {"先手の持駒：歩二\n先手の持駒：金　歩\n", 1, 1, 0, 2},  // a repeated line
      {"先手の持駒：歩二 x 金\n", 2, 0, 0, 2},                // the scan ends at x
      {"先手の持駒：歩 玉 金\n", 1, 0, 0, 1},                 // and at a king
      {"先手の持駒：なし\n", 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    ASSERT_EQ(Read(std::string("手合割：その他\n") + c.lines), 0);
    const uint8_t* hand = g_StartBoard.hands[1];
    EXPECT_EQ(hand[kPawn], c.pawns);
    EXPECT_EQ(hand[kGold], c.golds);
    EXPECT_EQ(hand[kRook], c.rooks);
    EXPECT_EQ(hand[0], c.total);
  }
  ASSERT_EQ(Read("手合割：その他\n上手の持駒：角\n"), 0);
  EXPECT_EQ(g_StartBoard.hands[0][kBishop], 1);
  EXPECT_EQ(g_bSecondHandRead, 1);
}

// ---- Variations, notes and the end of a line --------------------------------------------

TEST_F(RecordReaderTest, VariationsBranchAtTheirMove) {
  std::string text;
  const char* moves[] = {"７六歩(77)", "３四歩(33)", "２六歩(27)", "８四歩(83)", "２五歩(26)",
                         "８五歩(84)", "７八金(69)", "３二金(41)", "２四歩(25)", "同　歩(23)"};
  for (int i = 0; i < 10; ++i) text += std::to_string(i + 1) + " " + moves[i] + "\n";
  text += "\n変化：3手\n3 ６八銀(79)\n4 ８四歩(83)\n変化：4手\n4 ４四歩(43)\n分岐：3手\n3 ５六歩(57)\n";
  ASSERT_EQ(Read(text), 0);
  const RecordNode* second = g_Record.Root()->firstChild->firstChild;
  const RecordNode* third = second->firstChild;
  ASSERT_TRUE(third->nextSibling && third->nextSibling->nextSibling);
  EXPECT_EQ(third->from, 27);
  EXPECT_EQ(third->nextSibling->from, 79);
  EXPECT_EQ(third->nextSibling->nextSibling->from, 57);
  const RecordNode* deep = third->nextSibling->firstChild;
  ASSERT_TRUE(deep && deep->nextSibling);
  EXPECT_EQ(deep->from, 83);
  EXPECT_EQ(deep->nextSibling->from, 43);
  EXPECT_EQ(GetLineLength(g_Record), 10);
}

TEST_F(RecordReaderTest, UnreadableVariationNumbersAreSkipped) {
  ASSERT_EQ(Read("1 ７六歩\n2 ３四歩\n変化：x手\n変化：0手\n変化：9手\n変化：-1手\n"
                 "3 ２六歩\n4 投了\n変化：5手\n5 ２五歩\n変化：2手\n2 ８四歩\n"),
            0);
  const RecordNode* second = g_Record.Root()->firstChild->firstChild;
  EXPECT_EQ(MainLine(), "７六歩(77)/0 ３四歩(33)/0 ２六歩(27)/0 投了/0");  // nothing after 投了
  ASSERT_TRUE(second->nextSibling);
  EXPECT_EQ(second->nextSibling->from, 83);
  EXPECT_EQ(second->nextSibling->nextSibling, nullptr);
}

TEST_F(RecordReaderTest, NotesAfterAnEndMarkBelongToTheEndNode) {
  for (const char* end : {"中断", "反則負け", "投了"}) {
    SCOPED_TRACE(end);
    ASSERT_EQ(Read(std::string("1 ７六歩\n*一手目\n2 ") + end + "\n*終わりの\n*コメント\n&最後\n"
                   "3 ２六歩\n"),
              0);
    const RecordNode* first = g_Record.Root()->firstChild;
    const RecordNode* endNode = first->firstChild;
    ASSERT_TRUE(endNode && IsEndNode(*endNode));
    EXPECT_EQ(Comment(first), "一手目\n");
    EXPECT_EQ(Comment(endNode), "終わりの\nコメント\n");
    EXPECT_EQ(FindBookmarkByName(u"最後"), NodeIndex(g_Record, endNode));
    EXPECT_EQ(endNode->firstChild, nullptr);
  }
}

TEST_F(RecordReaderTest, CommentsKeepTheirLinesWhole) {
  // Longer than any fixed line buffer; a comment stops growing at its size.
  const std::string line(20000, 'a');
  ASSERT_EQ(Read("*" + line + "\n*" + line + "\n*more\n"), 0);
  ASSERT_NE(g_Record.Root()->comment, nullptr);
  const std::u16string c = g_Record.Root()->comment;
  EXPECT_EQ(c.size(), size_t(kMaxCommentLength));
  EXPECT_EQ(c.substr(0, 20001), std::u16string(20000, u'a') + u"\n");
  EXPECT_EQ(c.back(), u'\n');
}

// ---- Moves that cannot be made ---------------------------------------------------------

TEST_F(RecordReaderTest, MovesThatCannotBeMadeEndTheReadingWithAMessage) {
  const char* cases[] = {
      "1 ７六歩\n2 ３四歩\n3 ０六歩\n4 ８四歩\n",    // file 0
      "1 ７六歩\n2 ３四歩\n3 ７十歩\n",             // rank 10
      "1 ７六歩\n2 ３四歩\n3 ７六歩(70)\n",         // a source that is no square
      "1 ７六歩\n2 ３四歩\n3 ５五角打\n",           // nothing in hand
      "1 ７六歩\n2 ３四歩\n3 ５五歩(99)\n",         // the source holds a lance
      "1 ７六歩\n2 ３四歩\n3 ３三角(22)\n",         // the other side's piece
      "1 ７六歩\n2 ３四歩\n3 ５五王\n",             // no piece reaches it
      "1 ７六歩\n2 ３四歩\n▲５五\n",
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    ui.boxes.clear();
    EXPECT_EQ(Read(text), 1);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text.substr(0, 10), u"警告：ルールエラー：");
    EXPECT_NE(ui.boxes[0].text.find(u" 3手目 "), std::u16string::npos);
    EXPECT_EQ(MainLine(), "７六歩(77)/0 ３四歩(33)/0");
    EXPECT_EQ(DescribeBoardFault(g_Board), "");
  }
  // 同 needs a move before it.
  ui.boxes.clear();
  EXPECT_EQ(Read("1 同　歩\n"), 1);
  EXPECT_EQ(GetLineLength(g_Record), 0);
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(RecordReaderTest, RuleErrorsAreShownAndTheReadingGoesOn) {
  g_bCheckRules = 1;
  std::string rows = kEvenRows;
  rows.replace(rows.find("| 歩 歩 歩 歩 歩 歩 歩 歩 歩|七"), std::string("| 歩 歩 歩 歩 歩 歩 歩 歩 歩|七").size(),
               "| 歩 歩 歩 歩 歩 歩 歩 歩 ・|七");
  ASSERT_EQ(Read("先手の持駒：歩\n" + rows + "1 ７六歩\n2 ３四歩\n3 ７五歩打\n4 ８四歩\n"), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"警告：ルールエラー（二歩）：（文字コード：UTF-8） 3手目 ７五歩打");
  EXPECT_EQ(GetLineLength(g_Record), 4);
}

TEST_F(RecordReaderTest, ARuleErrorNamesTheEncodingTheFileWasReadIn) {
  // UTF-8 without a byte-order mark or a format line, under a name that means
  // the code page, reads as UTF-8; a rule error says which encoding was used.
  const std::string text = "1 ７六歩(77)\n2 ３四歩(33)\n";
  EXPECT_EQ(Read(text, Enc::Utf8, false, false), 0);
  EXPECT_TRUE(ui.boxes.empty());
  g_bCheckRules = 1;
  std::string rows = kEvenRows;
  rows.replace(rows.find("| 歩 歩 歩 歩 歩 歩 歩 歩 歩|七"), std::string("| 歩 歩 歩 歩 歩 歩 歩 歩 歩|七").size(),
               "| 歩 歩 歩 歩 歩 歩 歩 歩 ・|七");
  EXPECT_EQ(Read("先手の持駒：歩\n" + rows + "1 ７六歩\n2 ３四歩\n3 ７五歩打\n", Enc::Ansi, false, true), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text.rfind(u"警告：ルールエラー", 0), 0u);
  EXPECT_NE(ui.boxes[0].text.find(u"（文字コード：CP932） 3手目 "), std::u16string::npos) << Utf16ToUtf8(ui.boxes[0].text);
}

TEST_F(RecordReaderTest, LongGamesKeepTheirNumbersAndSeconds) {
  std::string text;
  const char* cycle[] = {"４八銀(39)", "６二銀(71)", "３九銀(48)", "７一銀(62)"};
  for (int n = 1; n <= 1200; ++n)
    text += std::to_string(n) + " " + cycle[(n - 1) % 4] + "   ( 0:" + std::to_string(n % 60) + "/00:00:00)\n";
  text += "1201 投了\n";
  ASSERT_EQ(Read(text), 0);
  EXPECT_EQ(GetLineLength(g_Record), 1201);
  const RecordNode* n = GetNodeAtMove(1000, g_Record);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->seconds, 1000 % 60);
  EXPECT_EQ(n->from, 62);
}

// ---- Files -----------------------------------------------------------------------------

TEST_F(RecordReaderTest, MissingFilesAndFullRecords) {
  ASSERT_EQ(Read("先手：前の棋譜\n1 ７六歩\n"), 0);
  const std::string before = DumpRecord(g_Record);
  EXPECT_EQ(ReadRecordFile(true, u"/nonexistent/record.dovu"), -1);
  EXPECT_EQ(DumpRecord(g_Record), before);

  ASSERT_EQ(InitRecordPool(g_Record, 4), 0);  // the root and three moves
  EXPECT_EQ(Read("1 ７六歩\n2 ３四歩\n3 ２六歩\n4 ８四歩\n5 ２五歩\n"), -2);
  EXPECT_EQ(MainLine(), "７六歩(77)/0 ３四歩(33)/0 ２六歩(27)/0");
  EXPECT_TRUE(SameBoardState(g_Board, g_StartBoard));
}

TEST_F(RecordReaderTest, BadBoardRowsStopTheReading) {
  std::string rows = kEvenRows;
  const std::string fifth = "| ・ ・ ・ ・ ・ ・ ・ ・ ・|五";
  rows.replace(rows.find(fifth), fifth.size(), "|* ・ ・ ・ ・ ・ ・ ・ ・|五");
  EXPECT_EQ(Read(rows + "1 ７六歩\n"), 1);
  EXPECT_EQ(GetLineLength(g_Record), 0);
  EXPECT_EQ(DescribeBoardFault(g_StartBoard), "");
  EXPECT_EQ(ParseBoardRow(10, u"| ・|"), 0);
  EXPECT_EQ(ParseBoardRow(1, u"not a row"), 0);
}

}  // namespace
