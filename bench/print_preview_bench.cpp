// One print-preview page of a record of 300 moves with variations and
// comments, drawn into an image the size of a board view: the redraw a
// change of margin or font in preview costs.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QImage>
#include <QPainter>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "bench/large_record.h"
#include "bench/qt_bench_main.h"
#include "output/print_page.h"
#include "output/score_sheet.h"
#include "output/sheet_preview.h"
#include "record/board.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/rules.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "view/piece_images.h"

namespace {

constexpr int Key(int from, int to) { return from | to << 8; }

void Play(int key) {
  AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, key, 7);
  MakeMoveOnBoard(g_Board, BuildMoveCode(g_Board, key & 0xFF, key >> 8));
  g_Board.sideToMove = kSente - g_Board.sideToMove;
  ++g_Record.moveNumber;
}

// 300 rook moves to and fro, a comment on every tenth move and a short
// variation at every twentieth.
void BuildRecord() {
  ResetEnvDefaults();
  InitSquareTables();
  InstallMoveNotation();
  InitRecordPool(g_Record, 5000);
  SetInitialBoard(g_Board);
  SetInitialBoard(g_StartBoard);
  const int keys[4] = {Key(28, 38), Key(82, 72), Key(38, 28), Key(72, 82)};
  const int alt[4] = {Key(28, 48), Key(82, 62), Key(38, 58), Key(72, 52)};
  for (int i = 0; i < 300; ++i) {
    if (i % 20 == 5) {
      // An alternative to this move, then back to the main line.
      BoardState saved;
      CopyBoardState(saved, g_Board);
      RecordNode* at = g_Record.current;
      const int n = g_Record.moveNumber;
      Play(alt[i % 4]);
      g_Record.current = at;
      g_Record.moveNumber = n;
      CopyBoardState(g_Board, saved);
    }
    Play(keys[i % 4]);
    if (i % 10 == 0) AppendComment(g_Record, g_Record.moveNumber, u"ここで一言。\n二行目");
  }
  AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, Key(1, kEndResign), 30);
}

// Argument: the print kind (0 the position, 1 the record).
void BM_PreviewPage(benchmark::State& state) {
  BuildRecord();
  g_nPrintKind = int(state.range(0));
  QImage image(900, 1200, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&image);
    image.fill(Qt::gray);
    DrawPrintPage(p, false, 210, 297, 96, 96);
  }
}
BENCHMARK(BM_PreviewPage)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A repaint of the record print's preview page for a record of about 2000
// nodes and one of 111101 (the generated record of the other benchmarks):
// the page shows the same first lines, and costs the same, whatever follows.
void BM_RecordPreviewRepaint(benchmark::State& state) {
  ResetEnvDefaults();
  bench_record::BuildRecord(int(state.range(0)));
  g_nPrintKind = 1;
  QImage image(900, 1200, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&image);
    image.fill(Qt::gray);
    DrawPrintPage(p, false, 210, 297, 96, 96);
  }
}
// A main line of rook moves to and fro, shown from its start.
void BuildMainLine(int moves) {
  ResetEnvDefaults();
  InitSquareTables();
  InstallMoveNotation();
  InitRecordPool(g_Record, moves + 16);
  SetInitialBoard(g_Board);
  SetInitialBoard(g_StartBoard);
  const int keys[4] = {Key(28, 38), Key(82, 72), Key(38, 28), Key(72, 82)};
  for (int i = 0; i < moves; ++i) Play(keys[i % 4]);
  g_Record.current = g_Record.Root();
  g_Record.moveNumber = 0;
  SetInitialBoard(g_Board);
}

// One page of the score sheet for a main line of 2000 moves and one of
// 100000 (arguments: moves, 0 the first page, 1 the last), drawn into an
// image at the preview's resolution: a page is to cost the same whatever the
// record's length and the page's number.
void BM_ScoreSheetPage(benchmark::State& state) {
  BuildMainLine(int(state.range(0)));
  const int page = state.range(1) ? CountSheetPages() : 1;
  QImage image(800, 1130, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&image);
    image.fill(Qt::white);
    PrintRecordSheet(p, page, 96);
  }
  state.counters["pages"] = CountSheetPages();
}
// The score sheet's preview opened, shown with its first page, and closed,
// for a main line of 2000 moves (14 pages) and one of 100000 (667 pages):
// the long sheet is to open within three times the short one's time.
void BM_ScoreSheetPreviewOpens(benchmark::State& state) {
  BuildMainLine(int(state.range(0)));
  for (auto _ : state) {
    SheetPreviewDialog preview(CountSheetPages(), nullptr);
    preview.show();
    QCoreApplication::processEvents();
    preview.repaint();  // the first page as it is shown
    preview.close();
  }
  state.counters["pages"] = CountSheetPages();
}
BENCHMARK(BM_ScoreSheetPreviewOpens)->Arg(2000)->Arg(100000)->ArgName("moves")->Unit(benchmark::kMillisecond);

BENCHMARK(BM_ScoreSheetPage)
    ->Args({2000, 0})
    ->Args({2000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->ArgNames({"moves", "last"})
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_RecordPreviewRepaint)->Arg(2000)->Arg(111101)->ArgName("nodes")->Unit(benchmark::kMillisecond);

// The record preview opened in the main window, painted, and closed again,
// painted: the opening is to draw the page once and the closing no page.
void BM_RecordPreviewOpenAndClose(benchmark::State& state) {
  ResetEnvDefaults();
  bench_record::BuildRecord(int(state.range(0)));
  BenchFolder folder;  // the frame writes its settings when it goes
  g_nPieceSound = 0;
  CreateAppPalette();
  LoadPieceBitmaps();
  CNarvoDoc doc;
  CMainFrame frame;
  frame.ActivateFrame();
  QCoreApplication::processEvents();
  g_nPrintKind = 1;
  for (auto _ : state) {
    frame.EnterPrintPreview();
    QCoreApplication::processEvents();
    frame.LeavePrintPreview();
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_RecordPreviewOpenAndClose)->Arg(2000)->Arg(111101)->ArgName("nodes")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
