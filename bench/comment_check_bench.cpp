// Both checks of moves written in comments on a full comment (32766
// characters) with nothing to report: about 4000 written moves in runs of
// 50 separated by line ends, and the worst case for the search of the next
// side mark, one side's marks only.
#include <benchmark/benchmark.h>

#include <string>

#include "record/board.h"
#include "record/comment_check.h"

namespace {

std::u16string Runs() {
  std::u16string text;
  while (text.size() < 32766 - 500) {
    for (int i = 0; i < 50; ++i) text += i % 2 ? u"△３四歩寄" : u"▲７六銀右";
    text += u"\n";
  }
  text.resize(32765, u'x');
  return text + u"\n";
}

std::u16string OneSide() {
  std::u16string text;
  while (text.size() < 32766 - 10) text += u"▲７六歩 ";
  text.resize(32765, u'x');
  return text + u"\n";
}

void Check(benchmark::State& state, const std::u16string& comment) {
  BoardState board;
  SetInitialBoard(board);
  CommentCheckPort port;
  int findings = 0;
  port.ask = [&](int, const std::u16string&, int) { return ++findings, 0; };
  port.replace = [](const std::u16string&) {};
  for (auto _ : state) {
    std::u16string text = comment;
    CheckCommentMarksText(text, board, true, true, port);
    CheckCommentSequenceText(text, port);
    benchmark::DoNotOptimize(text);
  }
  if (findings != 0) state.SkipWithError("the comment was meant to have nothing to report");
}

void BM_CheckRunsOf50(benchmark::State& state) { Check(state, Runs()); }
void BM_CheckOneSideOnly(benchmark::State& state) { Check(state, OneSide()); }

BENCHMARK(BM_CheckRunsOf50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckOneSideOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
