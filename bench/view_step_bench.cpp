// What a long record costs the view: one drawn step far down a 100,000-move
// line against one near its start, and the enable rules' pass that runs
// whenever the program falls idle, on a record of 100,000 nodes with comments.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "app/main_frame.h"
#include "app/narvo_doc.h"
#include "bench/qt_bench_main.h"
#include "record/board.h"
#include "record/record.h"
#include "record/rules.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "view/board_geometry.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/navigation.h"
#include "view/piece_images.h"

namespace {

constexpr int kLineLength = 100000;

// Rooks and kings going back and forth: a legal line of any length.
void BuildLongLine() {
  static bool built = false;
  if (built) return;
  built = true;
  ResetEnvDefaults();
  g_bDetectRepetition = 0;  // no message box at each fourth repetition
  CreateAppPalette();
  LoadPieceBitmaps();
  InitRecordPool(g_Record, kLineLength + 1000);
  SetInitialBoard(g_Board);
  CopyBoardState(g_StartBoard, g_Board);
  const int keys[4] = {28 | 38 << 8, 82 | 72 << 8, 38 | 28 << 8, 72 | 82 << 8};
  for (int i = 0; i < kLineLength; ++i) {
    AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, uint32_t(keys[i % 4]), 0);
    MakeMoveOnBoard(g_Board, NodeMoveCode(*g_Record.current));
    g_Board.sideToMove = kSente - g_Board.sideToMove;
    ++g_Record.moveNumber;
  }
  // Comments on every tenth move, far from the start.
  for (int n = kLineLength; n > kLineLength / 2; n -= 10) AppendComment(g_Record, n, u"注");
  GotoMoveNumberOnLine(0);
}

// One move forward and the same move back, both drawn into the view, from
// move `at` - 1: two steps per iteration.
void BM_DrawnStepForwardAndBack(benchmark::State& state) {
  BuildLongLine();
  CNarvoDoc doc;
  CNarvoView view;
  CellSize c = CurrentCellSize();
  view.resize(CalcBoardWindowWidth(c, 1.0), 9 * c.h + 70);
  GotoMoveNumber(&view, int(state.range(0)) - 1);
  for (auto _ : state) {
    DoMove(&view, kMoveStep, NodeMoveKey(*g_Record.current->firstChild), kRedrawSilent);
    UndoMove(&view, kMoveStep, kRedrawSilent);
  }
  state.counters["moveNumber"] = double(state.range(0));
}
BENCHMARK(BM_DrawnStepForwardAndBack)->Arg(10)->Arg(kLineLength)->Unit(benchmark::kMicrosecond);

// The same step as the user sees it: in the main window, the move list and
// the comment window shown, everything painted before the next step, near
// the start and near the end of the line (goal: within 10 %). Neither pair
// of moves has a comment, so both steps draw the same.
void BM_StepInTheMainWindow(benchmark::State& state) {
  BuildLongLine();
  BenchFolder folder;
  g_bShowMoveListWnd = 1;
  g_nCommentWndMode = 2;
  g_nAnimationSpeed = 0;
  g_nPieceSound = 0;
  CNarvoDoc doc;
  CMainFrame frame;
  frame.ActivateFrame();
  QCoreApplication::processEvents();
  GotoMoveNumber(frame.View(), int(state.range(0)) - 1);
  QCoreApplication::processEvents();
  for (auto _ : state) {
    DoMove(frame.View(), kMoveStep, NodeMoveKey(*g_Record.current->firstChild), kRedrawSound);
    QCoreApplication::processEvents();
    UndoMove(frame.View(), kMoveStep, kRedrawSound);
    QCoreApplication::processEvents();
  }
  state.counters["moveNumber"] = double(state.range(0));
}
BENCHMARK(BM_StepInTheMainWindow)->Arg(15)->Arg(kLineLength - 5)->Unit(benchmark::kMicrosecond);

// The frame's idle pass: the state taken and every command's rule applied to
// its action, with the shown move far down the line.
void BM_IdleEnableRules(benchmark::State& state) {
  BuildLongLine();
  GotoMoveNumberOnLine(kLineLength / 2);
  BenchFolder folder;  // the frame writes the settings file when it goes
  CMainFrame frame;
  frame.UpdateCommandUi();
  for (auto _ : state) frame.UpdateCommandUi();
  state.counters["nodes"] = double(kLineLength);
}
BENCHMARK(BM_IdleEnableRules)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
