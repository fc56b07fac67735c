// The variation-tree diagram of a bushy record drawn at the dialog's deepest
// limit (120), and the view saved as a PNG file: the two picture-like outputs
// a user waits for after one command. bytes_per_second of the diagram staying
// level from 10,000 to 40,000 nodes shows it grows linearly with its text.
#include <benchmark/benchmark.h>

#include <QDir>

#include <random>
#include <string>
#include <vector>

#include "app/narvo_doc.h"
#include "bench/qt_bench_main.h"
#include "output/board_image.h"
#include "record/board.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/variation_tree.h"
#include "settings/env.h"
#include "tests/support/perft.h"
#include "view/narvo_view.h"
#include "view/piece_images.h"

namespace {

// A main line of 100 random legal moves, and from each of its positions
// `alternatives` lines of `length` random legal moves.
int BuildBushyRecord(int alternatives, int length) {
  InitSquareTables();
  InstallMoveNotation();
  InitRecordPool(g_Record, 100 + 100 * alternatives * length + 16);
  SetInitialBoard(g_Board);
  SetInitialBoard(g_StartBoard);
  ResetRecordReadState();
  g_RecordReadState.startSettled = true;
  std::mt19937 rng(20261210);
  auto playRandom = [&](int n) {
    std::vector<std::pair<int, int>> moves;
    const int side = g_Board.sideToMove;
    ForEachCandidate(g_Board, [&](int to, int from) {
      if (CheckMoveLegal(to, from, g_Board, side) == 0) moves.emplace_back(to, from);
    });
    if (moves.empty()) return false;
    const auto [to, from] = moves[rng() % moves.size()];
    return PlayMoveIntoRecord(g_Board, g_Record, g_StartBoard, n, BuildMoveCode(g_Board, from, to),
                              1, {}) == 0;
  };
  std::vector<RecordNode*> line{g_Record.Root()};
  std::vector<BoardState> positions(1);
  CopyBoardState(positions[0], g_Board);
  for (int n = 1; n <= 100 && playRandom(n); ++n) {
    line.push_back(g_Record.current);
    positions.emplace_back();
    CopyBoardState(positions.back(), g_Board);
  }
  for (size_t n = 0; n + 1 < line.size(); ++n)
    for (int a = 0; a < alternatives; ++a) {
      g_Record.current = line[n];
      g_Record.moveNumber = int(n);
      CopyBoardState(g_Board, positions[n]);
      for (int k = 1; k <= length && playRandom(int(n) + k); ++k) {
      }
    }
  CopyBoardState(g_Board, g_StartBoard);
  g_Record.current = g_Record.Root();
  g_Record.moveNumber = 0;
  return g_Record.poolCapacity - CountFreeNodes(g_Record);
}

void BM_VariationDiagram(benchmark::State& state) {
  ResetEnvDefaults();
  const int nodes = BuildBushyRecord(int(state.range(0)), int(state.range(1)));
  g_nRecordTree1 = 120;
  size_t units = 0;
  for (auto _ : state) {
    std::u16string text;
    AppendVariationDiagram(text, u"/home/u/bench.dovu");
    units = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["nodes"] = nodes;
  state.counters["text_units"] = double(units);
  state.SetBytesProcessed(int64_t(units * 2) * state.iterations());
}
BENCHMARK(BM_VariationDiagram)
    ->Args({10, 10})
    ->Args({20, 20})
    ->ArgNames({"alternatives", "length"})
    ->Unit(benchmark::kMillisecond);

// The default view after two moves, saved as PNG into a temporary folder.
void BM_SaveViewPng(benchmark::State& state) {
  ResetEnvDefaults();
  CreateAppPalette();
  LoadPieceBitmaps();
  LoadBoardGrain();
  LoadStandGrain();
  InitSquareTables();
  InitRecordPool(g_Record, 100);
  SetInitialBoard(g_Board);
  SetInitialBoard(g_StartBoard);
  CNarvoDoc doc;
  CNarvoView view;
  view.resize(800, 600);
  const std::u16string path = QDir::tempPath().toStdU16String() + u"/narvo-bench-view.png";
  for (auto _ : state) {
    if (SaveViewImage(&view, path) != 0) state.SkipWithError("the picture was not saved");
  }
  QFile::remove(QString::fromStdU16String(path));
}
BENCHMARK(BM_SaveViewPng)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
