// Reading and writing a large record file: a generated game of 10000 (and
// 40000) nodes, with a variation of eight moves at every twentieth move and a
// comment on every third variation move and every seventh main-line move, in
// ZRF and ZR2, UTF-8 and code page 932. bytes_per_second gives MB/s,
// items_per_second nodes/s; equal nodes/s at both sizes shows the work grows
// linearly with the record.
#include <benchmark/benchmark.h>

#include <string>

#include "record/board.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/record_writer.h"
#include "settings/env.h"

namespace {

const char16_t* const kMain[4] = {u"４八銀(39)", u"６二銀(71)", u"３九銀(48)", u"７一銀(62)"};
const char16_t* const kBranch[4] = {u"４八金(49)", u"６二銀(71)", u"４九金(48)", u"７一銀(62)"};

int Play(const char16_t* move, int& nodes) {
  int r = ParseZr2Move(g_Record.moveNumber + 1, move, nodes % 300);
  ++nodes;
  return r;
}

// Builds the record in g_Record; returns its node count.
int BuildRecord(int target) {
  InitSquareTables();
  InstallMoveNotation();
  InitRecordPool(g_Record, target + 16);
  SetInitialBoard(g_Board);
  SetInitialBoard(g_StartBoard);
  ResetRecordReadState();
  g_RecordReadState.startSettled = true;
  int nodes = 0;
  while (nodes + 10 < target) {
    const int n = g_Record.moveNumber;
    if (n > 0 && n % 20 == 0) {
      RecordNode* at = g_Record.current;
      BoardState before;
      CopyBoardState(before, g_Board);
      Play(kMain[0], nodes);
      RecordNode* main = g_Record.current;
      BoardState after;
      CopyBoardState(after, g_Board);
      g_Record.current = at;
      g_Record.moveNumber = n;
      CopyBoardState(g_Board, before);
      for (int i = 0; i < 8; ++i) {
        Play(kBranch[i % 4], nodes);
        if (i % 3 == 2) AppendComment(g_Record, g_Record.moveNumber, u"変化の評価 +45 互角");
      }
      g_Record.current = main;
      g_Record.moveNumber = n + 1;
      CopyBoardState(g_Board, after);
    } else {
      Play(kMain[n % 4], nodes);
    }
    if (g_Record.moveNumber % 7 == 0)
      AppendComment(g_Record, g_Record.moveNumber, u"本譜の解説：ここは銀を繰り替えて手待ちする");
  }
  CopyBoardState(g_Board, g_StartBoard);
  g_Record.current = g_Record.Root();
  g_Record.moveNumber = 0;
  return nodes;
}

std::string Write(bool zr2, bool utf8) {
  RecordTextFile file;
  file.OpenMemory(utf8);
  if (zr2) {
    if (utf8) WriteRecordText(utf8, file, u"#ZR2 version=2.0 encoding=UTF-8\n");
    WriteZr2Record(file, utf8, false);
  } else {
    WriteZrfText(utf8, file);
  }
  return file.Bytes();
}

// Arguments: node count, ZR2 (0/1), UTF-8 (0/1).
void BM_WriteRecord(benchmark::State& state) {
  const int nodes = BuildRecord(int(state.range(0)));
  const bool zr2 = state.range(1), utf8 = state.range(2);
  size_t bytes = 0;
  for (auto _ : state) {
    std::string text = Write(zr2, utf8);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(int64_t(bytes) * state.iterations());
  state.SetItemsProcessed(int64_t(nodes) * state.iterations());
}

void BM_ReadRecord(benchmark::State& state) {
  const int nodes = BuildRecord(int(state.range(0)));
  const bool zr2 = state.range(1), utf8 = state.range(2);
  const std::string text = Write(zr2, utf8);
  for (auto _ : state) {
    int r = ReadRecordBytes(utf8, text);
    if (r != 0) state.SkipWithError("the record did not read back");
    benchmark::DoNotOptimize(g_Record.pool);
  }
  state.SetBytesProcessed(int64_t(text.size()) * state.iterations());
  state.SetItemsProcessed(int64_t(nodes) * state.iterations());
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int nodes : {10000, 40000})
    for (int zr2 : {0, 1})
      for (int utf8 : {1, 0}) b->Args({nodes, zr2, utf8});
  b->ArgNames({"nodes", "zr2", "utf8"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_WriteRecord)->Apply(Sizes);
BENCHMARK(BM_ReadRecord)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
