// The English record (名前を付けて保存 as .gam) against the ZRF writer on the
// same generated record, shown from its start as after a load, at 10000 and
// 111101 nodes. per_node staying put from the smaller record to the larger
// one shows the writer is linear; the ratio to BM_ZrfText is the goal's.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/large_record.h"
#include "record/english_notation.h"
#include "record/record_writer.h"
#include "settings/env.h"

namespace {

using namespace bench_record;

void BM_EnglishRecord(benchmark::State& state) {
  ResetEnvDefaults();
  const int nodes = BuildRecord(int(state.range(0)));
  size_t size = 0;
  for (auto _ : state) {
    std::u16string text;
    AppendEnglishRecord(text);
    size = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["per_node"] = benchmark::Counter(double(nodes), benchmark::Counter::kIsIterationInvariantRate |
                                                                     benchmark::Counter::kInvert);
  state.counters["units"] = double(size);
}

void BM_ZrfText(benchmark::State& state) {
  ResetEnvDefaults();
  const int nodes = BuildRecord(int(state.range(0)));
  for (auto _ : state) {
    RecordTextFile file;
    file.OpenMemory(true);
    WriteZrfText(true, file);
    benchmark::DoNotOptimize(file.Bytes().data());
  }
  state.counters["per_node"] = benchmark::Counter(double(nodes), benchmark::Counter::kIsIterationInvariantRate |
                                                                     benchmark::Counter::kInvert);
}

BENCHMARK(BM_EnglishRecord)->Arg(10000)->Arg(111101)->ArgName("nodes")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZrfText)->Arg(10000)->Arg(111101)->ArgName("nodes")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
