#include "output/print_record.h"

#include "record/board.h"
#include "record/clipboard_text.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_writer.h"
#include "record/text.h"
#include "settings/env.h"

namespace {

// Where the lines go, one by one, until the taker has had enough.
struct LineOut {
  const PrintLineFunction& put;
  bool stopped = false;
  void Line(std::u16string line) {
    if (!stopped && !put(line)) stopped = true;
  }
};

// Width of one move's column in half-width units.
constexpr int kColumnWidth = 12;

std::u16string TrimmedHandicapName(int code) {
  std::u16string name = HandicapName(code);
  while (!name.empty() && name.back() == u'\u3000') name.pop_back();
  return name;
}

// The same items, names and order as the clipboard copy writes them.
void AddHeaderLines(LineOut& out) {
  std::u16string text;
  AppendHeaderLines(text);
  for (std::u16string& line : SplitLines(text)) out.Line(std::move(line));
}

void AddCommentLines(LineOut& out, const char16_t* comment) {
  for (std::u16string& line : SplitLines(comment)) out.Line(std::move(line));
}

std::u16string PrintMoveText(const RecordNode* node, int prevTo) {
  const bool whiteUp = g_nZr2Style == 2 || g_nZr2Style == 4;
  if (g_nZr2Style < 4 && g_bCheckRules)
    return FormatMoveText(node->textFlags, prevTo, node->from, node->to, node->piece, kFormSame,
                          whiteUp ? kMarkWhiteUp : kMarkWhiteDown, 0);
  std::u16string text = (node->piece & kSenteBit) ? u"▲" : whiteUp ? u"△" : u"▽";
  return text + FormatMoveDisplayCore(node->piece, node->from, node->to, prevTo);
}

struct Pending {
  const RecordNode* node;
  int n;
  int prevTo;
  bool moverIsFirst;  // the side that made the move before this node
};

// The moves from the first move, each line of play followed by its result and
// each alternative after the line it leaves, the deepest first. Walked with a
// stack of its own: lines can be as long as the record's pool.
void AddMoveLines(LineOut& out) {
  const RecordNode* first = g_Record.Root() ? g_Record.Root()->firstChild : nullptr;
  if (!first) {
    out.Line({});
    return;
  }
  int perLine = g_nZr2MovesPerLine;
  if (perLine < 1) perLine = 1;
  std::u16string line;
  int used = 0, column = 1;
  auto drawLine = [&] {
    out.Line(line);
    line.clear();
    used = 0;
    column = 1;
  };
  std::vector<Pending> stack{{first, 1, 0, g_StartBoard.sideToMove != kSente}};
  bool firstBlock = true;
  while (!stack.empty() && !out.stopped) {
    Pending p = stack.back();
    stack.pop_back();
    if (!firstBlock) {
      out.Line({});
      out.Line(FormatU16(u"変化：%d手", p.n));
    }
    firstBlock = false;
    const RecordNode* nd = p.node;
    int k = p.n, prevTo = p.prevTo;
    bool moverIsFirst = p.moverIsFirst;
    while (nd && !out.stopped) {
      if (nd->nextSibling) stack.push_back({nd->nextSibling, k, prevTo, moverIsFirst});
      if (IsBoardMoveNode(*nd)) {
        if (used < kColumnWidth * (column - 1)) {
          int count = (kColumnWidth * column - used - 13) / 2 + 1;
          line.append(size_t(count), u'\u3000');
          used += 2 * count;
        }
        std::u16string text = PrintMoveText(nd, prevTo);
        line += text;
        used += DisplayWidth(text);
        if (++column > perLine) drawLine();
        moverIsFirst = (nd->piece & kSenteBit) != 0;
      } else if (!line.empty()) {
        drawLine();
      }
      if (g_bPrintComments && nd->comment) {
        if (!line.empty()) drawLine();
        AddCommentLines(out, nd->comment);
        used = 0;
        column = 1;
      }
      if (nd->firstChild) {
        prevTo = nd->to;
        nd = nd->firstChild;
        ++k;
        continue;
      }
      drawLine();
      out.Line(IsEndNode(*nd) ? FormatPrintResultLine(nd->to, k, moverIsFirst) : std::u16string());
      nd = nullptr;
    }
  }
}

}  // namespace

std::u16string FormatPrintResultLine(int endCode, int n, bool moverIsFirst) {
  const bool handicap = IsHandicapGame(g_StartBoard);
  auto letter = [&](bool first) -> const char16_t* {
    return handicap ? (first ? u"下" : u"上") : (first ? u"先" : u"後");
  };
  std::u16string s = FormatU16(u"まで%d手で", n - 1);
  switch (endCode) {
    case kEndResign:
    case kEndTimeLoss: s += letter(moverIsFirst); s += u"手の勝ち"; break;
    case kEndSuspend: s += u"中断"; break;
    case kEndIllegalLoss: s += letter(!moverIsFirst); s += u"手の反則負け"; break;
    case kEndIllegalWin: s += letter(!moverIsFirst); s += u"手の反則勝ち"; break;
    case kEndImpasse: s += u"持将棋"; break;
    case kEndMate: s += u"詰み"; break;
    case kEndRepetition: s += u"千日手"; break;
    case kEndNoMate: s += u"不詰"; break;
    default: break;
  }
  return s;
}

void ForEachPrintRecordLine(bool withHeader, const PrintLineFunction& put) {
  LineOut out{put};
  const RecordHeader& h = g_Record.header;
  const bool handicap = IsHandicapGame(g_StartBoard);
  if (withHeader) AddHeaderLines(out);
  if (handicap) out.Line(u"手合割：" + TrimmedHandicapName(g_StartBoard.handicap));
  if (withHeader) {
    if (!h.firstPlayer.empty()) out.Line((handicap ? u"下手：" : u"先手：") + h.firstPlayer);
    if (!h.secondPlayer.empty()) out.Line((handicap ? u"上手：" : u"後手：") + h.secondPlayer);
  }
  out.Line({});
  if (g_bPrintComments && g_Record.Root() && g_Record.Root()->comment)
    AddCommentLines(out, g_Record.Root()->comment);
  AddMoveLines(out);
}

std::vector<std::u16string> BuildPrintRecordLines(bool withHeader) {
  std::vector<std::u16string> out;
  ForEachPrintRecordLine(withHeader, [&](const std::u16string& line) {
    out.push_back(line);
    return true;
  });
  return out;
}
