// The variation-tree diagram: columns, connectors, depth limits and forms.
#include "record/variation_tree.h"

#include <gtest/gtest.h>

#include <string>

#include "record/board.h"
#include "record/clipboard_text.h"
#include "record/clock.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/recording_ui.h"
#include "tests/support/text_lines.h"

namespace {

// 1 ▲７六歩 (commented) with the alternative 1 ▲２六歩 2 投了; after it
// 2 △３四歩 3 ▲２六歩, and the alternative 2 △８四歩 3 ▲６八銀.
const char kTwoLevels[] =
    "#ZRF version=2.0 encoding=UTF-8\r\n"
    "手合割：平手　　\r\n"
    "手数----指手---------消費時間--\r\n"
    "   1 ７六歩(77)   ( 0:00/00:00:00)+\r\n"
    "*角道を開ける\r\n"
    "   2 ３四歩(33)   ( 0:00/00:00:00)+\r\n"
    "   3 ２六歩(27)   ( 0:00/00:00:00)\r\n"
    "\r\n"
    "変化：2手\r\n"
    "   2 ８四歩(83)   ( 0:00/00:00:00)\r\n"
    "   3 ６八銀(79)   ( 0:00/00:00:00)\r\n"
    "\r\n"
    "変化：1手\r\n"
    "   1 ２六歩(27)   ( 0:00/00:00:00)\r\n"
    "   2 投了         ( 0:00/00:00:00)\r\n";

class VariationTreeTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetEnvDefaults();
    InitSquareTables();
    InstallMoveNotation();
    ASSERT_EQ(InitRecordPool(g_Record, 200), 0);
    ASSERT_EQ(ReadRecordBytes(true, kTwoLevels), 0);
    g_Record.current = g_Record.Root();
    g_Record.moveNumber = 0;
    CopyBoardState(g_Board, g_StartBoard);
  }
  void TearDown() override {
    SetClockForTesting({});
    ResetEnvDefaults();
  }
  std::u16string Tree(const RecordNode* from) {
    std::u16string text;
    int column = 0;
    AppendVariationTree(from, text, 0, 0, g_nRecordTree1, column);
    return text;
  }
  RecordingUi ui;
};

TEST_F(VariationTreeTest, DrawsTheTreeByDepthLimitAndForm) {
  struct Case {
    int notation, depth, form, fullWidth, halfWidth;
    const char* tree;
  } cases[] = {
      {2, 8, 0, 10, 8,
       "\n▲７六歩--△３四歩--▲２六歩\n"
       "         |\n"
       "         +△８四歩--▲６八銀\n"
       "\n▲２六歩--投了\n"},
      {2, 2, 0, 10, 8,
       "\n▲７六歩--△３四歩\n"
       "         |\n"
       "         +△８四歩\n"
       "\n▲２六歩--投了\n"},
      {2, 1, 0, 10, 8, "\n▲７六歩\n\n▲２六歩\n"},
      {3, 8, 1, 10, 8,
       "\n▲76歩--▽34歩--▲26歩\n"
       "       |\n"
       "       +▽84歩--▲68銀\n"
       "\n▲26歩--投了\n"},
      // Display form: the source square in parentheses, wider columns.
      {0, 8, 0, 14, 8,
       "\n▲７六歩(77)--△３四歩(33)--▲２六歩(27)\n"
       "             |\n"
       "             +△８四歩(83)--▲６八銀(79)\n"
       "\n▲２六歩(27)--投了\n"},
      {1, 3, 1, 10, 12,
       "\n▲76歩(77)--▽34歩(33)--▲26歩(27)\n"
       "           |\n"
       "           +▽84歩(83)--▲68銀(79)\n"
       "\n▲26歩(27)--投了\n"},
      // Moves wider than the column push the next ones right, without dashes.
      {2, 8, 0, 6, 8,
       "\n▲７六歩△３四歩▲２六歩\n"
       "     |\n"
       "     +△８四歩▲６八銀\n"
       "\n▲２六歩投了\n"},
  };
  for (const Case& c : cases) {
    g_nMoveNotation = static_cast<unsigned char>(c.notation);
    g_nRecordTree1 = c.depth;
    g_nRecordTree2 = c.form;
    g_nRecordTree3 = c.fullWidth;
    g_nRecordTree4 = c.halfWidth;
    EXPECT_EQ(Utf16ToUtf8(Tree(g_Record.Root()->firstChild)), Utf16ToUtf8(Crlf(c.tree)))
        << "notation " << c.notation << " depth " << c.depth << " form " << c.form;
  }
}

TEST_F(VariationTreeTest, AnAlternativeThatEndsTheGameStandsOffItsMark) {
  // A third answer to move 1: 2 投了.
  RecordNode* first = g_Record.Root()->firstChild;
  g_Record.current = first;
  g_Record.moveNumber = 1;
  MakeMoveOnBoard(g_Board, NodeMoveCode(*first));
  g_Board.sideToMove = kGote;
  ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, 1 | kEndResign << 8, 0), 0);
  g_nRecordTree1 = 8;
  std::u16string text;
  int column = 8;  // just after ▲７六歩
  AppendVariationTree(first->firstChild, text, first->to, 1, 8, column);
  EXPECT_EQ(Utf16ToUtf8(text), Utf16ToUtf8(Crlf("--△３四歩--▲２六歩\n"
                                                "         |\n"
                                                "         +△８四歩--▲６八銀\n"
                                                "         |\n"
                                                "         + 投了\n")));
}

TEST_F(VariationTreeTest, TheWholeDiagramOfTheShownMove) {
  SetClockForTesting([] { return int64_t(1704546309); });  // 2024-01-06 13:05:09 UTC
  RecordNode* first = g_Record.Root()->firstChild;
  g_Record.current = first;
  g_Record.moveNumber = 1;
  MakeMoveOnBoard(g_Board, NodeMoveCode(*first));
  g_Board.sideToMove = kGote;
  g_nRecordTree1 = 8;

  std::u16string text;
  AppendVariationDiagram(text, u"/home/u/棋譜/test.dovu");
  std::u16string board;
  FormatBoardDiagram(board, g_Board);
  const std::u16string expected =
      Crlf("Sorvane V7 V7.50 棋譜変化図\n"
           "日時：2024/01/06(土) 13:05:09\n"
           "棋譜：/home/u/棋譜/test.dovu\n\n") +
      board +
      Crlf("\n第1手、▲７六歩まで\n\n"
           "*角道を開ける\n\n"
           "\n△３四歩--▲２六歩\n"
           "\n△８四歩--▲６八銀\n");
  EXPECT_EQ(Utf16ToUtf8(text), Utf16ToUtf8(expected));
  ASSERT_FALSE(ui.status.empty());
  EXPECT_EQ(Utf16ToUtf8(ui.status.back()), "変化図出力中... 2");

  // At the end of the record the tree is one line end.
  RecordNode* last = first->firstChild->firstChild;
  g_Record.current = last;
  g_Record.moveNumber = 3;
  text.clear();
  AppendVariationDiagram(text, u"");
  EXPECT_TRUE(text.ends_with(u"第3手、▲２六歩まで\r\n\r\n\r\n")) << Utf16ToUtf8(text);
}

}  // namespace
