// One second of the game clock as the view serves it: the timer message, the
// running time of the side to move drawn into the view's image.
#include <benchmark/benchmark.h>


#include "app/game_play.h"
#include "app/narvo_doc.h"
#include "bench/qt_bench_main.h"
#include "record/board.h"
#include "record/clock.h"
#include "record/record.h"
#include "settings/env.h"
#include "view/board_drawing.h"
#include "view/info_panel.h"
#include "view/narvo_view.h"
#include "view/piece_images.h"

namespace {

int64_t g_now = 1710061500;

void BM_ClockTick(benchmark::State& state) {
  ResetEnvDefaults();
  CreateAppPalette();
  LoadPieceBitmaps();
  LoadBoardGrain();
  LoadStandGrain();
  UpdateInfoLineHeight();
  InitRecordPool(g_Record, 100);
  SetInitialBoard(g_Board);
  CopyBoardState(g_StartBoard, g_Board);
  SetClockForTesting([] { return g_now; });
  {
    CNarvoDoc doc;
    CNarvoView view;
    const CellSize c = CurrentCellSize();
    view.resize(CalcBoardWindowWidth(c, 1.0), 9 * c.h + 70);
    view.Image();
    g_tClockStart = g_now;
    for (auto _ : state) {
      ++g_now;
      OnClockTimer(kClockTimer, &view);
      benchmark::DoNotOptimize(view.Image().constBits());
    }
  }
  SetClockForTesting({});
  FreeRecordPool(g_Record);
}
BENCHMARK(BM_ClockTick)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
