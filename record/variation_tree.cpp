#include "record/variation_tree.h"

#include <vector>

#include "record/board.h"
#include "record/clipboard_text.h"
#include "record/datetime.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"

namespace {

constexpr char16_t kCrLf[] = u"\r\n";

bool HalfWidthForm() { return g_nRecordTree2 == 1; }

// The column width of the chosen move form (棋譜ツリー's third or fourth number).
int ColumnWidth() { return HalfWidthForm() ? g_nRecordTree4 : g_nRecordTree3; }

// The move as the tree writes it, appended; returns its display width.
int AppendTreeMove(std::u16string& text, const RecordNode* nd, int prevTo) {
  const size_t start = text.size();
  const bool half = HalfWidthForm();
  const bool down = (g_nMoveNotation & 1) != 0;
  const bool end = IsEndNode(*nd);
  if (g_nMoveNotation >= 2) {
    const int mark = end ? kMarkNone : down ? kMarkWhiteDown : kMarkWhiteUp;
    text += FormatMoveText(nd->textFlags, prevTo, nd->from, nd->to, nd->piece,
                           half ? kFormHalfWidth : kFormSame, mark, 0);
  } else {
    if (!end) text += (nd->piece & kSenteBit) ? u"▲" : down ? u"▽" : u"△";
    const size_t core = text.size();
    AppendMoveDisplayCore(text, nd->piece, nd->from, nd->to, prevTo);
    // The half-width form writes the square in ASCII digits: 76歩(77).
    const int dest = nd->to & 0x7F;
    if (half && !end && dest != (prevTo & 0x7F) && IsBoardSquare(dest))
      text.replace(core, 2, IntToU16(dest));
  }
  return DisplayWidth(std::u16string_view(text).substr(start));
}

}  // namespace

void AppendVariationTree(const RecordNode* node, std::u16string& text, int prevTo, int depth,
                         int depthLimit, int& column) {
  const int width = ColumnWidth();
  // One entry per level being drawn: the next sibling to draw at that level.
  // Kept on a stack of our own so that a deep line cannot exhaust the call stack.
  struct Level {
    const RecordNode* node;
    int prevTo, depth, k;
  };
  std::vector<Level> levels;
  auto enter = [&](const RecordNode* first, int before, int d) {
    if (!first || d >= depthLimit) {
      text += kCrLf;
      column = 0;
    } else {
      levels.push_back({first, before, d, 1});
    }
  };
  enter(node, prevTo, depth);
  while (!levels.empty()) {
    Level& level = levels.back();
    const RecordNode* nd = level.node;
    if (!nd) {
      levels.pop_back();
      continue;
    }
    const int d = level.depth, k = level.k, before = level.prevTo;
    level.node = nd->nextSibling;
    ++level.k;

    if (d == 0) ShowStatus(u"変化図出力中... " + IntToU16(k));
    const bool continues = column != 0;
    const size_t prefixStart = text.size();
    const int columnStart = width * d;
    if (!continues) {
      if (d == 0) {
        text += kCrLf;
      } else {
        // A connector line with "|" under the alternative's column.
        while (column < columnStart - 1) {
          text += u' ';
          ++column;
        }
        text += u"|\r\n";
        column = 0;
      }
    }
    for (; column < columnStart; ++column)
      text += continues ? u'-' : column == columnStart - 1 ? u'+' : u' ';
    if (IsEndNode(*nd) && text.size() > prefixStart && text.back() != u'-') {
      text += u' ';
      ++column;
    }
    column += AppendTreeMove(text, nd, before);
    enter(nd->firstChild, nd->to, d + 1);
  }
}

void AppendVariationDiagram(std::u16string& text, std::u16string_view recordPath) {
  text += g_szProductName;
  text += u' ';
  text += g_szVersion;
  text += u" 棋譜変化図\r\n日時：";
  text += FormatToday();
  text += u' ';
  text += FormatNowTime();
  text += u"\r\n棋譜：";
  text += recordPath;
  text += u"\r\n\r\n";
  FormatBoardDiagram(text, g_Board);
  text += kCrLf;

  const RecordNode* shown = g_Record.current ? g_Record.current : g_Record.Root();
  if (g_Record.moveNumber != 0 && shown && shown != g_Record.Root()) {
    const RecordNode* parent = FindParentNode(g_Record, shown);
    text += u"第";
    AppendDecimal(text, g_Record.moveNumber);
    text += u"手、";
    text += g_Board.sideToMove == kGote ? u"▲" : (g_nMoveNotation & 1) ? u"▽" : u"△";
    text += FormatMoveText(shown->textFlags, parent ? parent->to : 0, shown->from, shown->to,
                           shown->piece, kFormSquareSame, kMarkNone, 0);
    text += u"まで\r\n\r\n";
  }
  if (shown && shown->comment) {
    AppendCommentLines(shown->comment, text);
    text += kCrLf;
  }
  int column = 0;
  AppendVariationTree(shown ? shown->firstChild : nullptr, text, shown ? shown->to : 0, 0,
                      g_nRecordTree1, column);
}
