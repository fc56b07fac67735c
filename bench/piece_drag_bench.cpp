// The lifted piece: one step of a drag (the image moved and the old and new
// places painted on the shown view), and the whole slide of a one-square
// move at each speed, waits included.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "bench/qt_bench_main.h"
#include "record/board.h"
#include "record/record.h"
#include "settings/env.h"
#include "view/board_drawing.h"
#include "view/narvo_view.h"
#include "view/piece_drag.h"
#include "view/piece_images.h"

namespace {

void SetUpBoard(int pieceSet) {
  ResetEnvDefaults();
  g_nPieceSet = uint8_t(pieceSet);
  CreateAppPalette();
  LoadPieceBitmaps();
  LoadBoardGrain();
  LoadStandGrain();
  SetInitialBoard(g_Board);
  ResetRecordTree(g_Record);
  g_AppMode = kModeGame;
}

void ShowView(CNarvoView& view) {
  const CellSize c = CurrentCellSize();
  view.resize(CalcBoardWindowWidth(c, 1.0), 9 * c.h + 70);
  view.show();
  QApplication::processEvents();
}

// The pawn of 7七 held at its centre and carried over the board in small
// moves, each painted at once.
void BM_DragStep(benchmark::State& state) {
  SetUpBoard(int(state.range(0)));
  CNarvoDoc doc;
  CNarvoView view;
  ShowView(view);
  const CellSize c = CurrentCellSize();
  const PixelPoint at = SquareTopLeft(c, 77, false);
  const int x0 = at.x + c.w / 2, y0 = at.y + c.h / 2;
  view.m_nPickedCell = 77;
  BeginPieceDrag(77, y0, &view, x0);
  view.repaint();
  int i = 0;
  for (auto _ : state) {
    const int dx = (i % 40) * 3, dy = (i % 40) * 2;
    const QRect before(g_Lifted.at.x, g_Lifted.at.y, c.w, c.h);
    DragPieceToPoint(&view, x0 + dx, y0 - dy);
    view.repaint(before | QRect(g_Lifted.at.x, g_Lifted.at.y, c.w, c.h));
    ++i;
  }
  CancelPieceDrag(&view);
}
BENCHMARK(BM_DragStep)->Arg(4)->Arg(5)->Arg(6)->Unit(benchmark::kMicrosecond);

// 7七 to 7六 at speeds 0, 1 and 2: the time the slide holds the program.
void BM_OneSquareSlide(benchmark::State& state) {
  SetUpBoard(4);
  g_nAnimationSpeed = int(state.range(0));
  CNarvoDoc doc;
  CNarvoView view;
  ShowView(view);
  for (auto _ : state) {
    AnimateMove(&view, 77, 76, false);
    state.PauseTiming();
    view.InvalidateAll();
    view.repaint();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OneSquareSlide)->Arg(0)->Arg(1)->Arg(2)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return RunQtBenchmarks(argc, argv, [] {
    FreePieceBitmaps();
    DeleteAppPalette();
  });
}
