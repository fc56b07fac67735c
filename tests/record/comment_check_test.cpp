// The check of moves written in comments, run as the comment dialog runs
// it (the single-move check, then the sequence check on what it left): one
// table of comment → findings, answers → stored text.
#include "record/comment_check.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "record/text.h"
#include "tests/support/position_loader.h"

namespace {

struct Finding {
  int kind;
  std::u16string message;
  int option;
  bool operator==(const Finding&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Finding& f) {
  return os << "{" << f.kind << ", " << Utf16ToUtf8(f.message) << ", " << f.option << "}";
}

struct CheckRun {
  std::vector<Finding> findings;
  std::u16string text;
  int replaced = 0;
};

CheckRun Check(std::u16string text, std::deque<int> answers, bool notation = true, bool marks = false,
          const char* sfen = "lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 1") {
  CheckRun run;
  CommentCheckPort port;
  port.ask = [&](int kind, const std::u16string& message, int option) {
    run.findings.push_back({kind, message, option});
    if (answers.empty()) return 0;
    int a = answers.front();
    answers.pop_front();
    return a;
  };
  port.replace = [&](const std::u16string& t) {
    ++run.replaced;
    run.text = t;
  };
  const BoardState board = SfenPosition(sfen);
  if (notation || marks) CheckCommentMarksText(text, board, notation, marks, port);
  if (notation) CheckCommentSequenceText(text, port);
  EXPECT_TRUE(run.replaced == 0 || run.text == text);
  run.text = text;
  return run;
}

constexpr int W = kFindingWarning, F = kFindingFix, M = kFindingMark, P = kFindingPromotion;

TEST(CommentCheckTest, FindingsAnswersAndStoredText) {
  struct Case {
    const char16_t* comment;
    std::deque<int> answers;
    bool notation, marks;
    std::vector<Finding> findings;
    const char16_t* stored;
  };
  const Case cases[] = {
      // Doubled marks.
      {u"▲▲７六歩", {1}, true, false, {{F, u"「▲▲７六歩」　ミスだと思われます。", 0}}, u"▲７六歩"},
      {u"▲▲７六歩", {0}, true, false, {{F, u"「▲▲７六歩」　ミスだと思われます。", 0}}, u"▲▲７六歩"},
      {u"△△３四歩", {1}, true, false, {{F, u"「△△３四歩」　ミスだと思われます。", 0}}, u"△３四歩"},
      {u"▲▲７六歩", {}, false, true, {}, u"▲▲７六歩"},
      // A full-width rank: only written moves change.
      {u"▲７６歩 ７６年", {1}, true, false, {{F, u"「７６歩 ７６年」　望ましくない表記です。", 0}},
       u"▲７六歩 ７６年"},
      // Missing marks: the shown position suggests the side.
      {u"７六歩", {1}, false, true, {{M, u"「７六歩」　▲△が付いていません。", 1}}, u"▲７六歩"},
      {u"x７五歩", {2}, false, true, {{M, u"「７五歩」　▲△が付いていません。", 0}}, u"x△７五歩"},
      {u"７六歩", {}, true, false, {}, u"７六歩"},
      // Promotions that cannot happen.
      {u"▲７六歩成", {}, true, false, {{W, u"「▲７六歩成」　あり得ない指し手です。", 0}}, u"▲７六歩成"},
      {u"▲２三歩成", {}, true, false, {}, u"▲２三歩成"},
      {u"△７六歩成", {}, true, false, {{W, u"「△７六歩成」　あり得ない指し手です。", 0}}, u"△７六歩成"},
      {u"▲５八角成", {}, true, false, {{W, u"「▲５八角成」　あり得ない指し手です。", 0}}, u"▲５八角成"},
      {u"▲４八角成", {}, true, false, {}, u"▲４八角成"},
      {u"▲７六金成", {}, true, false, {{W, u"「▲７六金成」　表記に間違いがあります。", 0}}, u"▲７六金成"},
      // Sequences.
      {u"▲７歩", {}, true, false, {{W, u"「▲７歩」　ミスだと思われます。", 0}}, u"▲７歩"},
      {u"▲７六歩▲３四歩", {}, true, false, {{W, u"「▲７六歩▲３四歩」　手順に間違いがあります。", 0}},
       u"▲７六歩▲３四歩"},
      {u"▲７六歩△７六歩", {}, true, false, {{W, u"「▲７六歩△７六歩」　手順に間違いがあります。", 0}},
       u"▲７六歩△７六歩"},
      {u"▲７六歩\n▲３四歩", {}, true, false, {}, u"▲７六歩\n▲３四歩"},
      {u"▲２三歩△２二銀▲同歩", {1}, true, false,
       {{P, u"「△２二銀▲同歩」　成／不成がありません。", 1}}, u"▲２三歩△２二銀▲同歩成"},
      {u"▲２三銀△２二歩▲同香", {2}, true, false,
       {{P, u"「△２二歩▲同香」　成／不成がありません。", 0}}, u"▲２三銀△２二歩▲同香不成"},
      {u"▲２四歩△同歩", {}, true, false, {}, u"▲２四歩△同歩"},
      {u"△８七歩▲同歩", {}, true, false, {}, u"△８七歩▲同歩"},
      {u"▲２三歩△同　歩", {}, true, false, {}, u"▲２三歩△同　歩"},
      // The first fix stays when the second check fixes too.
      {u"▲▲２三歩△２二銀▲同歩", {1, 1}, true, false,
       {{F, u"「▲▲２三歩△２二銀▲同歩」　ミスだと思われます。", 0},
        {P, u"「△２二銀▲同歩」　成／不成がありません。", 1}},
       u"▲２三歩△２二銀▲同歩成"},
      // Marks, digits and 同 at either end are no move.
      {u"▲", {}, true, true, {}, u"▲"},
      {u"７", {}, true, true, {}, u"７"},
      {u"▲７", {}, true, true, {}, u"▲７"},
      {u"９九", {}, true, true, {}, u"９九"},
      {u"▲同", {}, true, true, {}, u"▲同"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.comment));
    CheckRun run = Check(c.comment, c.answers, c.notation, c.marks);
    EXPECT_EQ(run.findings, c.findings);
    EXPECT_EQ(run.text, c.stored);
  }
}

TEST(CommentCheckTest, SequenceCheckEndsAfterItsHundredthMove) {
  auto run = [](int moves) {
    std::u16string text;
    for (int i = 0; i < moves; ++i) text += i % 2 ? u"△３四歩" : u"▲７六歩";
    text += moves % 2 ? u"▲１六歩" : u"△１四歩";  // the same side as the move before
    return Check(text, {}).findings.size();
  };
  EXPECT_EQ(run(99), 1u);
  EXPECT_EQ(run(100), 0u);
}

TEST(CommentCheckTest, ExcerptStopsAtEighteenCharactersOrALineEnd) {
  EXPECT_EQ(CommentExcerpt(u"０１２３４５６７８９０１２３４５６７８９", 0), u"０１２３４５６７８９０１２３４５６７");
  EXPECT_EQ(CommentExcerpt(u"▲７六歩\n次", 0), u"▲７六歩");
  EXPECT_EQ(CommentExcerpt(u"\n次の行", 0), u"\n次の行");
  EXPECT_EQ(CommentExcerpt(u"abc", 5), u"");
}

}  // namespace
