// Reading a record whose one move carries a flood of comment lines: 20 MB in
// 2,000,000 short lines. The comment itself stops growing at its capacity;
// the rest of the lines must cost no more than reading them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "record/board.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "settings/env.h"

namespace {

void BM_ReadCommentFlood(benchmark::State& state) {
  const int lines = int(state.range(0));
  ResetEnvDefaults();
  InitSquareTables();
  InstallMoveNotation();
  InitRecordPool(g_Record, 100);
  std::string bytes = "#ZRF version=2.0 encoding=UTF-8\r\n   1 ７六歩(77)\r\n";
  bytes.reserve(bytes.size() + size_t(lines) * 10);
  for (int i = 0; i < lines; ++i) bytes += "*comment\r\n";
  const std::string path = std::string(P_tmpdir) + "/narvo_comment_flood.zrf";
  WriteFileBytes(PathFromNative(path), bytes);
  for (auto _ : state) {
    if (ReadRecordFile(true, PathFromNative(path)) != 0) state.SkipWithError("read failed");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
  std::remove(path.c_str());
}
BENCHMARK(BM_ReadCommentFlood)->Arg(200000)->Arg(2000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
