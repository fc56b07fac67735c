// The mailto link of a long record: the body carries the whole record, so
// building it must stay linear in the record's size.
#include <benchmark/benchmark.h>

#include "record/board.h"
#include "record/mail_text.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/rules.h"
#include "settings/env.h"

namespace {

void BuildLinearRecord(int nodes) {
  InitRecordPool(g_Record, nodes + 10);
  g_Record.appendMode = 1;
  SetInitialBoard(g_Board);
  CopyBoardState(g_StartBoard, g_Board);
  // Rooks and silvers shuffling back and forth: legal for ever.
  const int cycle[4] = {39 | 38 << 8, 71 | 72 << 8, 38 | 39 << 8, 72 | 71 << 8};
  for (int i = 0; i < nodes; ++i) {
    const int key = cycle[i % 4];
    AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, key, 0);
    MakeMoveOnBoard(g_Board, BuildMoveCode(g_Board, key & 0xFF, key >> 8));
    g_Board.sideToMove = kSente - g_Board.sideToMove;
    ++g_Record.moveNumber;
    if (i % 7 == 0) AppendComment(g_Record, g_Record.moveNumber, u"評価値 +120 & 手堅い");
  }
}

void BM_MailLink10000(benchmark::State& state) {
  ResetEnvDefaults();
  InitSquareTables();
  InstallMoveNotation();
  BuildLinearRecord(10000);
  g_szNetMailBody = u"%Oさん、こんにちは。%C%C%D%C%k";
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string link = BuildMailtoLink({});
    bytes = link.size();
    benchmark::DoNotOptimize(link.data());
  }
  state.counters["link_bytes"] = double(bytes);
  FreeRecordPool(g_Record);
}
BENCHMARK(BM_MailLink10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
