// The ZRF clipboard copy and its paste of a generated record of 10000 (and
// 40000) nodes with variations and comments. items_per_second gives nodes/s;
// equal rates at both sizes show the work grows linearly with the record.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/large_record.h"
#include "record/clipboard_paste.h"
#include "record/clipboard_text.h"
#include "record/record_writer.h"

namespace {

void BM_CopyZrf(benchmark::State& state) {
  const int nodes = bench_record::BuildRecord(int(state.range(0)));
  size_t units = 0;
  for (auto _ : state) {
    std::u16string text;
    WriteZrfToBuffer(text, kZrfWholeTree);
    units = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(int64_t(units * 2) * state.iterations());
  state.SetItemsProcessed(int64_t(nodes) * state.iterations());
}

void BM_PasteZrf(benchmark::State& state) {
  const int nodes = bench_record::BuildRecord(int(state.range(0)));
  std::u16string text;
  WriteZrfToBuffer(text, kZrfWholeTree);
  for (auto _ : state) {
    if (ReadRecordFromClipboardText(text, 0) != kPasteRead) state.SkipWithError("the copy did not paste back");
    benchmark::DoNotOptimize(g_Record.pool);
  }
  state.SetBytesProcessed(int64_t(text.size() * 2) * state.iterations());
  state.SetItemsProcessed(int64_t(nodes) * state.iterations());
}

// The UTF-8 file writer on the same record: the copy's goal is within 3x.
void BM_FileWriterZrf(benchmark::State& state) {
  const int nodes = bench_record::BuildRecord(int(state.range(0)));
  for (auto _ : state) {
    RecordTextFile file;
    file.OpenMemory(true);
    WriteZrfText(true, file);
    benchmark::DoNotOptimize(file.Bytes().data());
  }
  state.SetItemsProcessed(int64_t(nodes) * state.iterations());
}

BENCHMARK(BM_CopyZrf)->Arg(10000)->Arg(40000)->Arg(111101)->ArgName("nodes")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileWriterZrf)->Arg(10000)->Arg(111101)->ArgName("nodes")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PasteZrf)->Arg(10000)->Arg(40000)->ArgName("nodes")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
