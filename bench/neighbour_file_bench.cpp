// Page Down in a folder of 10000 records: reading the folder, sorting the
// names and finding the neighbour, as a held key repeats it.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "app/narvo_doc.h"
#include "app/neighbour_file.h"
#include "record/text.h"

namespace {

void BM_FindNextIn10000(benchmark::State& state) {
  QTemporaryDir dir;
  std::string folder = dir.path().toStdString();
  for (int i = 0; i < kMaxNeighbourFiles; ++i) {
    // Names in no order of their own, half of them upper-case.
    char name[64];
    std::snprintf(name, sizeof name, "/%s%05d.%s", i % 2 ? "Game" : "game", (i * 7919) % 100000,
                  i % 3 ? "zrf" : "ZRF");
    std::FILE* f = std::fopen((folder + name).c_str(), "w");
    if (f) std::fclose(f);
  }
  g_szRecordFilePath = PathFromNative(folder + "/game00000.ZRF");
  std::u16string path;
  for (auto _ : state) {
    if (FindNeighbourFile(0, path) != 1) state.SkipWithError("no neighbour");
    benchmark::DoNotOptimize(path);
  }
}
BENCHMARK(BM_FindNextIn10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
