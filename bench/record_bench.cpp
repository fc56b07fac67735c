// A record of 100000 nodes: a long main line with a variation of ten moves at
// every tenth move and a comment on every seventh node; built, walked and
// deleted. The counters give the time per node.
#include <benchmark/benchmark.h>

#include <memory>

#include "record/board.h"
#include "record/record.h"

namespace {

constexpr int kNodes = 100000;
constexpr int kBranchEvery = 10;
constexpr int kBranchLength = 10;
constexpr uint16_t kMainKey = 28 | 38 << 8;
constexpr uint16_t kBranchKey = 39 | 48 << 8;

struct Fixture {
  Fixture() {
    SetInitialBoard(board);
    InitRecordPool(*record, kNodes + 1);
  }
  ~Fixture() { FreeRecordPool(*record); }

  void Add(uint16_t key, int& made) {
    AddMoveToRecord(*record, board, board, 0, key, made % 600);
    ++record->moveNumber;
    if (++made % 7 == 0) AppendComment(*record, record->moveNumber, u"評価値 +120 手堅い");
  }

  void Build() {
    ResetRecordTree(*record);
    int made = 0;
    while (made < kNodes) {
      RecordNode* at = record->current;
      int n = record->moveNumber;
      Add(kMainKey, made);
      if (n % kBranchEvery == 0 && made + kBranchLength < kNodes) {
        RecordNode* main = record->current;
        record->current = at;
        record->moveNumber = n;
        for (int i = 0; i < kBranchLength; ++i) Add(i ? kMainKey : kBranchKey, made);
        record->current = main;
        record->moveNumber = n + 1;
      }
    }
  }

  BoardState board;
  std::unique_ptr<GameRecord> record = std::make_unique<GameRecord>();
};

void SetPerNode(benchmark::State& state) {
  state.counters["per_node"] = benchmark::Counter(
      kNodes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_BuildRecord(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) {
    f.Build();
    benchmark::DoNotOptimize(f.record->current);
  }
  SetPerNode(state);
}
BENCHMARK(BM_BuildRecord)->Unit(benchmark::kMillisecond);

// Forward along the main line with the stepping query, back to the root
// through the parents, then every node through the subtree walks.
void BM_WalkRecord(benchmark::State& state) {
  Fixture f;
  f.Build();
  GameRecord& r = *f.record;
  for (auto _ : state) {
    r.current = r.pool;
    r.moveNumber = 0;
    while (r.current->firstChild && SelectChildByMove(r, NodeMoveKey(*r.current->firstChild)) == 0)
      ++r.moveNumber;
    benchmark::DoNotOptimize(GetLineLength(r));
    while (RecordNode* parent = FindParentNode(r, r.current)) {
      r.current = parent;
      --r.moveNumber;
    }
    benchmark::DoNotOptimize(SumSubtreeSeconds(r.pool->firstChild, 0));
    benchmark::DoNotOptimize(HasVariations(r));
  }
  SetPerNode(state);
}
BENCHMARK(BM_WalkRecord)->Unit(benchmark::kMillisecond);

void BM_DeleteRecord(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) {
    state.PauseTiming();
    f.Build();
    state.ResumeTiming();
    TruncateRecordAfter(*f.record, 0);
  }
  SetPerNode(state);
}
BENCHMARK(BM_DeleteRecord)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
