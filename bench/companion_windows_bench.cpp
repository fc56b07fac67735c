// One replay step's updates of the move list, variation and comment windows
// on a 10000-move line with 1000 variations, with and without painting them.
#include <benchmark/benchmark.h>

#include <QImage>

#include <cstdlib>
#include <vector>

#include "app/narvo_app.h"
#include "bench/qt_bench_main.h"
#include "record/board.h"
#include "record/record.h"
#include "settings/env.h"
#include "view/branch_wnd.h"
#include "view/comment_wnd.h"
#include "view/move_list_wnd.h"

namespace {

constexpr int kLine = 10000;
constexpr int kVariations = 1000;

// Rook and knight shuffles: every move is a real board move.
constexpr int kShuffle[4] = {28 | 38 << 8, 82 | 72 << 8, 38 | 28 << 8, 72 | 82 << 8};

void BuildRecord() {
  InitRecordPool(g_Record, kLine + kVariations + 16);
  g_Record.appendMode = 1;
  SetInitialBoard(g_Board);
  CopyBoardState(g_StartBoard, g_Board);
  std::vector<RecordNode*> line{g_Record.Root()};
  for (int i = 0; i < kLine; ++i) {
    AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, kShuffle[i % 4], 30 + i % 50);
    line.push_back(g_Record.current);
  }
  // An alternative at every tenth move.
  for (int v = 0; v < kVariations; ++v) {
    g_Record.current = line[10 * v + 4];
    AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, 55 | 54 << 8, 7);
  }
  g_Record.current = line[5004];
  g_Record.moveNumber = 5004;
  AppendComment(g_Record, 5005, u"本譜の解説\n二行目");
}

void SetUpWindows() {
  ResetEnvDefaults();
  BuildRecord();
  g_nBranchWndMode = 1;
  g_nCommentWndMode = 2;
  CreateDovuWnd(nullptr);
  CreateBranchWindow(nullptr);
  CreateCommentWindow(nullptr);
  g_pMoveListWnd->resize(330, 20 * g_pMoveListWnd->RowHeight());
  g_pMoveListWnd->show();
  UpdateBranchWindow();
  UpdateCommentWindow();
}

// Steps between moves 5004 and 5005 (a branch point) without the board.
void Step() {
  if (g_Record.moveNumber == 5004) {
    g_Record.current = g_Record.current->firstChild;
    g_Record.moveNumber = 5005;
  } else {
    g_Record.current = FindParentNode(g_Record, g_Record.current);
    g_Record.moveNumber = 5004;
  }
  UpdateCommentWindow();
  UpdateDovuWndScroll();
  UpdateBranchWindow();
}

void BM_StepUpdates(benchmark::State& state) {
  SetUpWindows();
  for (auto _ : state) Step();
}
BENCHMARK(BM_StepUpdates)->Unit(benchmark::kMicrosecond);

void BM_StepUpdatesAndPaint(benchmark::State& state) {
  SetUpWindows();
  QImage list(g_pMoveListWnd->size(), QImage::Format_RGB32);
  QImage branch(g_pBranchWnd->size(), QImage::Format_RGB32);
  QImage comment(g_pCommentWnd->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    Step();
    g_pMoveListWnd->render(&list);
    g_pBranchWnd->render(&branch);
    g_pCommentWnd->render(&comment);
  }
}
BENCHMARK(BM_StepUpdatesAndPaint)->Unit(benchmark::kMicrosecond);

// The paint of one window alone: 0 the move list, 1 variations, 2 comment.
void BM_PaintEach(benchmark::State& state) {
  SetUpWindows();
  QWidget* w = state.range(0) == 0 ? static_cast<QWidget*>(g_pMoveListWnd)
               : state.range(0) == 1 ? static_cast<QWidget*>(g_pBranchWnd)
                                     : static_cast<QWidget*>(g_pCommentWnd);
  QImage img(w->size(), QImage::Format_RGB32);
  for (auto _ : state) w->render(&img);
}
BENCHMARK(BM_PaintEach)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  g_nScreenColors = 16777216;
  return RunQtBenchmarks(argc, argv, [] {
    delete g_pMoveListWnd;
    delete g_pBranchWnd;
    delete g_pCommentWnd;
    FreeRecordPool(g_Record);
  });
}
