// Legal-move counting (perft 5) from the even start: the cost of the legality
// test, reach and attack lists as the move input and the readers use them.
#include <benchmark/benchmark.h>

#include "record/rules.h"
#include "tests/support/perft.h"

namespace {

void BM_PerftFromStart(benchmark::State& state) {
  const int depth = int(state.range(0));
  BoardState board;
  SetInitialBoard(board);
  uint64_t nodes = 0;
  for (auto _ : state) {
    PerftResult r = Perft(board, depth, false);
    benchmark::DoNotOptimize(r.nodes);
    nodes += r.nodes;
    if (depth == 5 && r.nodes != 19861490) state.SkipWithError("wrong perft 5 count");
  }
  state.counters["nodes"] = benchmark::Counter(double(nodes) / double(state.iterations()));
  state.counters["nodes_per_second"] = benchmark::Counter(double(nodes), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PerftFromStart)->Arg(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
