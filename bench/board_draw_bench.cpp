// Drawing the board into the view's image: the whole board with its marks
// (a paint of the view, a jump to another move) and the repaint of one
// square after a move.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include "bench/qt_bench_main.h"
#include "record/board.h"
#include "record/record.h"
#include "record/rules.h"
#include "settings/env.h"
#include "app/narvo_doc.h"
#include "view/board_drawing.h"
#include "view/narvo_view.h"
#include "view/piece_images.h"

namespace {

class ImageSurface : public BoardSurface {
 public:
  explicit ImageSurface(QSize size) : image_(size, QImage::Format_RGB32) { image_.fill(Qt::gray); }
  QImage& Image() override { return image_; }
  void Invalidate(const QRect&, bool) override {}

 private:
  QImage image_;
};

// The default settings, the start position after 7六歩 3四歩 (so that both
// marks are shown) and a few pieces in hand.
void SetUpBoard(int pieceSet) {
  ResetEnvDefaults();
  g_nPieceSet = uint8_t(pieceSet);
  CreateAppPalette();
  LoadPieceBitmaps();
  LoadBoardGrain();
  LoadStandGrain();
  SetInitialBoard(g_Board);
  ResetRecordTree(g_Record);
  RecordNode* parent = g_Record.Root();
  int n = 0;
  for (auto [from, to] : {std::pair{77, 76}, std::pair{33, 34}}) {
    MoveCode m = BuildMoveCode(g_Board, from, to);
    RecordNode* node = &g_Record.pool[++n];
    node->from = uint8_t(from);
    node->to = uint8_t(to);
    node->piece = uint8_t(MovePiece(m));
    parent->firstChild = node;
    parent = node;
    MakeMoveOnBoard(g_Board, m);
  }
  g_Record.current = parent;
  g_Record.moveNumber = n;
  AddHandPieces(g_Board, kSente, kPawn, 3);
  AddHandPieces(g_Board, kGote, kSilver, 2);
}

QSize ViewSize() {
  CellSize c = CurrentCellSize();
  return {CalcBoardWindowWidth(c, 1.0), 9 * c.h + 60};
}

void BM_FullRedraw(benchmark::State& state) {
  SetUpBoard(int(state.range(0)));
  ImageSurface view(ViewSize());
  for (auto _ : state) {
    QPainter p(&view.Image());
    p.fillRect(view.Image().rect(), QColor(128, 128, 128));
    DrawBoard(p);
    ShowLastMoveHighlight(p);
    ShowLastMoveFromHighlight(p);
    p.end();
    benchmark::DoNotOptimize(view.Image().constBits());
  }
}
BENCHMARK(BM_FullRedraw)->Arg(3)->Arg(5)->Arg(6)->Unit(benchmark::kMicrosecond);

// One square after a move: its mark taken away, the cell erased and drawn,
// the mark shown again, each through the view's image.
void BM_SingleCellRepaint(benchmark::State& state) {
  SetUpBoard(int(state.range(0)));
  ImageSurface view(ViewSize());
  {
    QPainter p(&view.Image());
    DrawBoard(p);
  }
  for (auto _ : state) {
    ClearLastMoveHighlight(view);
    {
      SurfacePainter sp(view);
      EraseAndDrawCell(sp.Painter(), 34);
    }
    ShowLastMoveHighlight(view);
    ShowLastMoveFromHighlight(view);
    benchmark::DoNotOptimize(view.Image().constBits());
  }
}
BENCHMARK(BM_SingleCellRepaint)->Arg(3)->Arg(5)->Arg(6)->Unit(benchmark::kMicrosecond);

// A hand slot after a capture: the slot refilled and its copies drawn.
void BM_HandSlotRepaint(benchmark::State& state) {
  SetUpBoard(5);
  ImageSurface view(ViewSize());
  for (auto _ : state) {
    RedrawCell(view, HandCellOf(kSente, kPawn));
    benchmark::DoNotOptimize(view.Image().constBits());
  }
}
BENCHMARK(BM_HandSlotRepaint)->Unit(benchmark::kMicrosecond);

// Through the view: a square handed back to the view's own paint (which
// draws the whole view clipped to the square), and the paint of the whole view.
void BM_ViewSquareRepaint(benchmark::State& state) {
  SetUpBoard(5);
  CNarvoDoc doc;
  CNarvoView view;
  view.resize(ViewSize());
  QImage screen(view.size(), QImage::Format_RGB32);
  PixelRect r = SquareFrameRect(CurrentCellSize(), 34, false);
  QRect square(r.left, r.top, r.Width(), r.Height());
  for (auto _ : state) {
    view.Invalidate(square, true);
    view.render(&screen, square.topLeft(), QRegion(square));
    benchmark::DoNotOptimize(screen.constBits());
  }
}
BENCHMARK(BM_ViewSquareRepaint)->Unit(benchmark::kMicrosecond);

void BM_ViewFullPaint(benchmark::State& state) {
  SetUpBoard(5);
  CNarvoDoc doc;
  CNarvoView view;
  view.resize(ViewSize());
  QImage screen(view.size(), QImage::Format_RGB32);
  for (auto _ : state) {
    view.InvalidateAll();
    view.render(&screen);
    benchmark::DoNotOptimize(screen.constBits());
  }
}
BENCHMARK(BM_ViewFullPaint)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
