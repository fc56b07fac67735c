// The information panel's share of one replay step (move number and last
// move, side to move, the three template lines, one time line) and of one
// tick of the game clock, each drawn through the view's image.
#include <benchmark/benchmark.h>


#include "app/narvo_doc.h"
#include "bench/qt_bench_main.h"
#include "record/board.h"
#include "record/record.h"
#include "record/rules.h"
#include "settings/env.h"
#include "view/board_drawing.h"
#include "view/info_panel.h"
#include "view/narvo_view.h"
#include "view/piece_images.h"

namespace {

// A game after 7六歩 3四歩 with names, a start date, an event and a comment
// shown in the third template line.
void SetUpRecord() {
  ResetEnvDefaults();
  g_szInfoFormat3 = u"%*";
  CreateAppPalette();
  LoadPieceBitmaps();
  LoadBoardGrain();
  LoadStandGrain();
  UpdateInfoLineHeight();
  InitRecordPool(g_Record, 100);
  SetInitialBoard(g_Board);
  CopyBoardState(g_StartBoard, g_Board);
  g_Record.header.firstPlayer = u"先手の名前";
  g_Record.header.secondPlayer = u"後手の名前";
  g_Record.header.startTime = u"2026/12/10(木) 13:00";
  g_Record.header.event = u"市民将棋大会";
  for (int key : {77 | 76 << 8, 33 | 34 << 8}) {
    AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, uint32_t(key), 30);
    MakeMoveOnBoard(g_Board, BuildMoveCode(g_Board, key & 0xFF, key >> 8));
    g_Board.sideToMove = kSente - g_Board.sideToMove;
    ++g_Record.moveNumber;
  }
  AppendComment(g_Record, 2, u"角道を開ける");
}

struct ViewFixture {
  ViewFixture() {
    SetUpRecord();
    CellSize c = CurrentCellSize();
    view.resize(CalcBoardWindowWidth(c, 1.0), 9 * c.h + 70);
    view.Image();
  }
  ~ViewFixture() { FreeRecordPool(g_Record); }
  CNarvoDoc doc;
  CNarvoView view;
};

void BM_PanelReplayStep(benchmark::State& state) {
  ViewFixture f;
  for (auto _ : state) {
    DrawInfoMoveTime(&f.view, g_Record.moveNumber);
    DrawInfoLastMove(&f.view);
    DrawInfoSideToMove(&f.view);
    DrawInfoLine1(&f.view);
    DrawInfoLine2(&f.view);
    DrawInfoLine3(&f.view);
    benchmark::DoNotOptimize(f.view.Image().constBits());
  }
}
BENCHMARK(BM_PanelReplayStep)->Unit(benchmark::kMicrosecond);

void BM_PanelClockTick(benchmark::State& state) {
  ViewFixture f;
  int seconds = 0;
  for (auto _ : state) {
    DrawInfoRunningTime(&f.view, ++seconds, g_Record.moveNumber - 1);
    benchmark::DoNotOptimize(f.view.Image().constBits());
  }
}
BENCHMARK(BM_PanelClockTick)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
