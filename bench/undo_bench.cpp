// Undo points, Undo and Redo on records of 10000 and 100000 nodes: a main
// line of silvers stepping back and forth, a ten-move variation at every
// tenth move, a comment on every seventh node and seconds on every move.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "app/undo.h"
#include "record/board.h"
#include "record/record.h"
#include "record/rules.h"

namespace {

constexpr int Key(int from, int to) { return from | to << 8; }
// Four moves that bring the position back: each side's silver out and home.
constexpr int kMainCycle[4] = {Key(39, 38), Key(71, 72), Key(38, 39), Key(72, 71)};
constexpr int kBranchCycle[4] = {Key(79, 78), Key(31, 32), Key(78, 79), Key(32, 31)};

int g_made = 0;

void Play(int key) {
  AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, key, g_made % 600);
  MakeMoveOnBoard(g_Board, BuildMoveCode(g_Board, key & 0xFF, key >> 8));
  g_Board.sideToMove = kSente - g_Board.sideToMove;
  ++g_Record.moveNumber;
  if (++g_made % 7 == 0) AppendComment(g_Record, g_Record.moveNumber, u"評価値 +120 手堅い");
}

void BuildRecord(int nodes) {
  InitRecordPool(g_Record, nodes + 16);
  SetInitialBoard(g_Board);
  g_StartBoard = g_Board;
  g_made = 0;
  while (g_made < nodes - 12) {
    const int n = g_Record.moveNumber;
    if (n % 10 == 0 && n > 0) {
      for (int i = 0; i < 10; ++i) Play(kBranchCycle[i % 4]);
      StepBackTo(n);
    }
    Play(kMainCycle[n % 4]);
  }
  StepBackTo(g_Record.moveNumber / 2);
}

void PrepareFolder() {
  static std::string folder;
  if (folder.empty()) {
    char name[] = "/tmp/undo-bench-XXXXXX";
    folder = mkdtemp(name);
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  }
}

void BM_SaveUndoPoint(benchmark::State& state) {
  PrepareFolder();
  BuildRecord(int(state.range(0)));
  for (auto _ : state) SaveUndoPoint(u"コメントの編集");
  FreeRecordPool(g_Record);
}

// Undo writes the redo snapshot and reads the undo snapshot; Redo reads.
void BM_Undo(benchmark::State& state) {
  PrepareFolder();
  BuildRecord(int(state.range(0)));
  SaveUndoPoint(u"コメントの編集");
  for (auto _ : state) {
    UndoLastEdit();
    state.PauseTiming();
    if (!g_bRedoAvailable) state.SkipWithError("the undo snapshot did not read back");
    RedoLastEdit();
    state.ResumeTiming();
  }
  FreeRecordPool(g_Record);
}

void BM_Redo(benchmark::State& state) {
  PrepareFolder();
  BuildRecord(int(state.range(0)));
  SaveUndoPoint(u"コメントの編集");
  for (auto _ : state) {
    state.PauseTiming();
    UndoLastEdit();
    state.ResumeTiming();
    RedoLastEdit();
  }
  FreeRecordPool(g_Record);
}

BENCHMARK(BM_SaveUndoPoint)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Undo)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Redo)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
