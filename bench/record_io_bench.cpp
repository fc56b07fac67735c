// Reading and writing a large record file: a generated game of 10000 (and
// 40000) nodes, with a variation of eight moves at every twentieth move and a
// comment on every third variation move and every seventh main-line move, in
// ZRF and ZR2, UTF-8 and code page 932. bytes_per_second gives MB/s,
// items_per_second nodes/s; equal nodes/s at both sizes shows the work grows
// linearly with the record.
//
// The realistic records are random legal games (fixed seed) with a comment
// and a time on every move and variations, made here: "wide" has variations
// two deep all along a long main line, "nested" a chain of variations each
// branching off the one before. per_node (seconds) staying put from 1000 to 100000
// nodes and between the shapes shows the cost per node is flat.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "record/board.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/record_writer.h"
#include "record/rules.h"
#include "record/text.h"
#include "settings/env.h"
#include "bench/large_record.h"
#include "tests/support/perft.h"

namespace {

using namespace bench_record;

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

// The file commands' road: the file read from disk (the page cache) and
// parsed, UTF-8 with its byte-order mark, at 10000 and 100000 nodes.
// per_node at both sizes shows whether the cost grows with the file.
void BM_ReadRecordFile(benchmark::State& state) {
  const int nodes = BuildRecord(int(state.range(0)));
  // A folder of the run's own in the temporary folder the user has set.
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/narvo-bench-XXXXXX";
  if (!mkdtemp(folder.data())) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::u16string path = PathFromNative(folder + "/read.dovu");
  if (WriteZrfRecord(true, path) != 0) {
    state.SkipWithError("the record could not be written");
    rmdir(folder.c_str());
    return;
  }
  for (auto _ : state) {
    if (ReadRecordFile(true, path) != 0) state.SkipWithError("the record did not read back");
    benchmark::DoNotOptimize(g_Record.pool);
  }
  std::remove(PathToNative(path).c_str());
  rmdir(folder.c_str());
  state.counters["per_node"] = benchmark::Counter(double(nodes), benchmark::Counter::kIsIterationInvariantRate |
                                                                     benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadRecordFile)->Arg(10000)->Arg(100000)->ArgName("nodes")->Unit(benchmark::kMillisecond);

void Sizes(benchmark::internal::Benchmark* b) {
  for (int nodes : {10000, 40000})
    for (int zr2 : {0, 1})
      for (int utf8 : {1, 0}) b->Args({nodes, zr2, utf8});
  b->ArgNames({"nodes", "zr2", "utf8"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_WriteRecord)->Apply(Sizes);
BENCHMARK(BM_ReadRecord)->Apply(Sizes);

// ---- Realistic records ------------------------------------------------------

class RandomGame {
public:
  RandomGame(int target, bool nested) : target_(target), nested_(nested) {}

  // Builds the record in g_Record; returns its node count.
  int Build() {
    StartRecord(target_ + 64);
    // A line that ends in mate is left as it is; play goes on from a few
    // moves before it, as a variation.
    while (made_ < target_)
      if (!Line(nested_ ? 40 : 1 << 30, 0))
        StepBackTo(std::max(0, g_Record.moveNumber - 12), g_Record, &g_Board);
    CopyBoardState(g_Board, g_StartBoard);
    g_Record.current = g_Record.Root();
    g_Record.moveNumber = 0;
    return made_;
  }

private:
  std::vector<std::pair<int, int>> Legal() {
    std::vector<std::pair<int, int>> moves;
    BoardState& b = g_Board;
    const int side = b.sideToMove;
    ForEachCandidate(b, [&](int to, int from) {
      if (CheckMoveLegal(to, from, b, side) == 0) moves.emplace_back(to, from);
    });
    return moves;
  }

  void Play(std::pair<int, int> m) {
    const int n = g_Record.moveNumber + 1;
    const MoveCode code = BuildMoveCode(g_Board, m.second, m.first);
    PlayMoveIntoRecord(g_Board, g_Record, g_StartBoard, n, code, int(rng_() % 300) + 1, {});
    static const char16_t* const kWords[] = {
        u"定跡どおり。", u"ここは手堅く受けておく。", u"攻め合いを選んだ。",
        u"代えて▲２四歩もあった。", u"形勢は互角。", u"疑問手。", u"好手。この一手で流れが変わった。",
    };
    std::u16string c = u"評価値 " + IntToU16(int(rng_() % 2001) - 1000) + u" " + kWords[rng_() % 7];
    AppendComment(g_Record, n, c);
    ++made_;
  }

  // Up to `length` moves from the current node; false when the side to move
  // had no legal move. The wide shape branches every fifth move (two deep),
  // the nested one in the middle of each line, deeper each time.
  bool Line(int length, int depth) {
    for (int i = 0; i < length && made_ < target_; ++i) {
      const auto moves = Legal();
      if (moves.empty()) return false;
      const auto main = moves[rng_() % moves.size()];
      const bool branch = moves.size() > 1 &&
                          (nested_ ? i == length / 2 && depth < 1000 : (i % 5 == 2 && depth < 2));
      if (!branch) {
        Play(main);
        continue;
      }
      RecordNode* at = g_Record.current;
      const int n = g_Record.moveNumber;
      BoardState before;
      CopyBoardState(before, g_Board);
      Play(main);
      RecordNode* mainNode = g_Record.current;
      BoardState after;
      CopyBoardState(after, g_Board);
      g_Record.current = at;
      g_Record.moveNumber = n;
      CopyBoardState(g_Board, before);
      auto other = moves[rng_() % moves.size()];
      if (other == main) other = moves[moves[0] == main ? 1 : 0];
      Play(other);
      Line(nested_ ? length : 10 - 2 * depth, depth + 1);
      g_Record.current = mainNode;
      g_Record.moveNumber = n + 1;
      CopyBoardState(g_Board, after);
    }
    return true;
  }

  int target_;
  bool nested_;
  int made_ = 0;
  std::mt19937 rng_{20261210};
};

void SetPerNode(benchmark::State& state, int nodes) {
  state.counters["nodes"] = nodes;
  state.counters["per_node"] = benchmark::Counter(
      double(nodes), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Arguments: node count, shape (0 wide, 1 nested).
void BM_WriteRealistic(benchmark::State& state) {
  const int nodes = RandomGame(int(state.range(0)), state.range(1) != 0).Build();
  for (auto _ : state) {
    // The text as the writer leaves it, not a copy.
    RecordTextFile file;
    file.OpenMemory(true);
    WriteZrfText(true, file);
    benchmark::DoNotOptimize(file.Bytes().data());
  }
  SetPerNode(state, nodes);
}

void BM_ReadRealistic(benchmark::State& state) {
  const int nodes = RandomGame(int(state.range(0)), state.range(1) != 0).Build();
  const std::string text = Write(false, true);
  for (auto _ : state) {
    int r = ReadRecordBytes(true, text);
    if (r != 0) state.SkipWithError("the record did not read back");
    benchmark::DoNotOptimize(g_Record.pool);
  }
  if (Write(false, true) != text) state.SkipWithError("the record read back differently");
  SetPerNode(state, nodes);
}

void RealisticSizes(benchmark::internal::Benchmark* b) {
  for (int nested : {0, 1})
    for (int nodes : {1000, 10000, 100000}) b->Args({nodes, nested});
  b->ArgNames({"nodes", "nested"})->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_WriteRealistic)->Apply(RealisticSizes);
BENCHMARK(BM_ReadRealistic)->Apply(RealisticSizes);

}  // namespace

BENCHMARK_MAIN();
