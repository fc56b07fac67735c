// The lifted piece: where the pointer holds it on a square and in a hand, the
// stack of overlapping copies, what the screen shows mid-drag and after it,
// and the slide of a move: its step counts, its positions, its ends.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/board_view_fixture.h"
#include "view/hit_test.h"

namespace {

constexpr int Key(int from, int to) { return from | to << 8; }

struct ViewConfig {
  int pieceSet;
  bool flipped;
};
const ViewConfig kConfigs[] = {{4, false}, {4, true}, {6, false}, {6, true}};

class PieceDragTest : public BoardViewFixture {
protected:
  void TearDown() override {
    g_pSlideStep = nullptr;
    BoardViewFixture::TearDown();
  }
  // The pixels of rect in two images that differ.
  static int Differences(const QImage& a, const QImage& b, const PixelRect& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (a.pixel(x, y) != b.pixel(x, y)) ++n;
    return n;
  }
public:
  // A fresh paint of the view with the lifted piece composited where it is:
  // what the screen must show during a drag or a slide.
  QImage FreshPaintWithPiece() {
    QImage image = FreshPaint();
    QPainter p(&image);
    DrawPieceBitmap(p, g_Lifted.code, g_Lifted.at.x, g_Lifted.at.y);
    return image;
  }
  // A fresh paint of the position as it would be without the lifted piece.
  QImage FreshPaintOf(const BoardState& b) {
    BoardState saved;
    CopyBoardState(saved, g_Board);
    const LiftedPiece lifted = g_Lifted;
    CopyBoardState(g_Board, b);
    g_Lifted = {};
    QImage image = FreshPaint();
    CopyBoardState(g_Board, saved);
    g_Lifted = lifted;
    return image;
  }
};

TEST_F(PieceDragTest, GrabOnASquareHoldsTheImageOnItAndDropsAtItsCentre) {
  struct Case {
    int pieceSet;
    int x, y;
    int dx, dy;
  } cases[] = {
      {4, 130, 19, 3, 3},   {4, 150, 40, 23, 24}, {4, 428, 326, 29, 30},
      {6, 157, 19, 3, 3},   {6, 364, 154, 38, 42},
  };
  for (bool flipped : {false, true}) {
    for (const Case& k : cases) {
      SCOPED_TRACE(testing::Message() << "set " << k.pieceSet << " flipped " << flipped << " at "
                                      << k.x << "," << k.y);
      TearDown();
      SetUpView(k.pieceSet, flipped);
      const CellSize c = CurrentCellSize();
      const int square = HitTestBoard(k.x, kHitMoveTarget, kSente, k.y, 0);
      ASSERT_TRUE(IsBoardSquare(square));
      const GrabOffset grab = ComputeGrabOffset(c, square, k.x, k.y, {});
      EXPECT_EQ(grab, (GrabOffset{k.dx, k.dy, false}));
      EXPECT_EQ((PixelPoint{k.x - grab.dx, k.y - grab.dy}), SquareTopLeft(c, square, flipped));
      const PixelPoint drop = DropPointOf(c, grab, k.x, k.y);
      EXPECT_EQ(HitTestBoard(drop.x, kHitMoveTarget, kSente, drop.y, 0), square);
      // Wherever the pointer now goes, the drop is the image's centre.
      const PixelPoint far = DropPointOf(c, grab, k.x + c.w + 3, k.y);
      EXPECT_EQ(far.x, drop.x + c.w + 3);
    }
  }
}

TEST_F(PieceDragTest, TheThirdOfFivePawnsComesFromTheStackAndTheSlotKeepsFour) {
  for (const ViewConfig& config : kConfigs) {
    SCOPED_TRACE(testing::Message() << "set " << int(config.pieceSet) << " flipped " << config.flipped);
    TearDown();
    SetUpView(config.pieceSet, config.flipped);
    StartFrom(SfenPosition("4k4/9/9/9/9/9/9/9/4K4 b 5P"));
    const CellSize c = CurrentCellSize();
    const PixelPoint slot = GetHandSlotPos(kPawn, kSente);
    const int step = HandCopyStep(c, kPawn, 5);
    const int cell = HandCellOf(kSente, kPawn);

    // The first copy is held where the pointer took it.
    const int fx = slot.x + 5, fy = slot.y + 10;
    EXPECT_EQ(ComputeGrabOffset(c, cell, fx, fy, slot), (GrabOffset{5, 10, false}));

    const int x = slot.x + 2 * step + 5, y = slot.y + 10;
    ASSERT_EQ(HitTestBoard(x, kHitPickOwn, kSente, y, 0), cell);
    view->m_nPickedCell = uint8_t(cell);
    ASSERT_TRUE(BeginPieceDrag(cell, y, view.get(), x));
    EXPECT_EQ(g_nDragState, 1);
    EXPECT_EQ(g_Lifted.grab, (GrabOffset{(c.w + 3) / 2 - 1, 10, true}));
    EXPECT_EQ(g_Lifted.at, (PixelPoint{x - ((c.w + 3) / 2 - 1), slot.y}));
    EXPECT_EQ(g_Lifted.code, kSenteBit | kPawn);
    // The slot shows four pawns laid out as four, as if one had gone.
    const QImage four = FreshPaintOf(SfenPosition("4k4/9/9/9/9/9/9/9/4K4 b 4P"));
    EXPECT_EQ(Differences(Shown(), four, CellArea(cell)), 0);
    CancelPieceDrag(view.get());
    EXPECT_EQ(Shown(), FreshPaint());
  }
}

TEST_F(PieceDragTest, MidDragTheScreenIsTheBoardWithoutThePieceAndThePieceOverIt) {
  for (const ViewConfig& config : kConfigs) {
    SCOPED_TRACE(testing::Message() << "set " << int(config.pieceSet) << " flipped " << config.flipped);
    TearDown();
    SetUpView(config.pieceSet, config.flipped);
    const PixelPoint at = Centre(77);
    view->m_nPickedCell = 77;
    ASSERT_TRUE(BeginPieceDrag(77, at.y, view.get(), at.x));
    for (PixelPoint to : {PixelPoint{at.x + 7, at.y - 5}, Centre(76), Centre(55), PixelPoint{3, 3}}) {
      DragPieceToPoint(view.get(), to.x, to.y);
      EXPECT_EQ(g_Lifted.at, (PixelPoint{to.x - g_Lifted.grab.dx, to.y - g_Lifted.grab.dy}));
      EXPECT_EQ(Screen(), FreshPaintWithPiece());
    }
    // The origin is the board as it would be without the pawn.
    BoardState without;
    CopyBoardState(without, g_Board);
    without.squares[77] = kEmpty;
    EXPECT_EQ(Differences(Screen(), FreshPaintOf(without), CellArea(77)), 0);
    CancelPieceDrag(view.get());
    EXPECT_EQ(g_nDragState, 0);
    EXPECT_EQ(Screen(), FreshPaint());
    EXPECT_EQ(Shown(), FreshPaint());
  }
}

TEST_F(PieceDragTest, StepCountsFollowDistanceAndSpeed) {
  const CellSize c = CurrentCellSize();
  ASSERT_EQ(c, (CellSize{31, 32}));
  auto at = [&](int square) { return SquareTopLeft(c, square, false); };
  struct Case {
    const char* name;
    int from, to, speed, steps;
  } cases[] = {
      {"one square, speed 0", 77, 67, 0, 17},
      {"one square, speed 1", 77, 67, 1, 11},
      {"one square, speed 2", 77, 67, 2, 17},
      {"one square, speed 3", 77, 67, 3, 0},
      {"three along a file", 77, 74, 0, 34},
      {"eight diagonally", 99, 11, 0, 97},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(SlideStepCount(c, at(k.from), at(k.to), k.speed), k.steps);
  }
}

std::vector<PixelPoint> g_steps;
std::vector<int> g_stepCodes;

TEST_F(PieceDragTest, SlidePassesItsPositionsAndEndsOnAFreshPaint) {
  g_nAnimationSpeed = 1;
  g_steps.clear();
  g_pSlideStep = [](PixelPoint p) { g_steps.push_back(p); };
  ASSERT_EQ(DoMove(view.get(), kMoveGame, Key(77, 76), kRedrawAnimate), kDoMoveGoesOn);
  std::vector<PixelPoint> forward;
  for (int y : {223, 220, 217, 214, 211, 207, 204, 201, 198, 195}) forward.push_back({195, y});
  EXPECT_EQ(g_steps, forward);
  EXPECT_EQ(Shown(), FreshPaint());
  EXPECT_FALSE(g_Lifted.shown);

  // Backward the ends change places.
  g_steps.clear();
  UndoMove(view.get(), kMoveGame, kRedrawAnimate);
  std::vector<PixelPoint> backward;
  for (int y : {194, 197, 200, 203, 206, 210, 213, 216, 219, 222}) backward.push_back({195, y});
  EXPECT_EQ(g_steps, backward);
  EXPECT_EQ(Shown(), FreshPaint());

  // Halfway the screen is the board with the origin cleared and the piece
  // over it.
  static PieceDragTest* self;
  self = this;
  g_steps.clear();
  g_pSlideStep = [](PixelPoint p) {
    g_steps.push_back(p);
    if (g_steps.size() == 5) {
      EXPECT_EQ(self->Screen(), self->FreshPaintWithPiece());
    }
  };
  AnimateMove(view.get(), 77, 76, false);
  EXPECT_EQ(g_steps.size(), 10u);
  view->InvalidateAll();

  // Speed 3: no slide at all.
  g_nAnimationSpeed = 3;
  g_steps.clear();
  ASSERT_EQ(DoMove(view.get(), kMoveGame, Key(77, 76), kRedrawAnimate), kDoMoveGoesOn);
  EXPECT_TRUE(g_steps.empty());
  EXPECT_EQ(Shown(), FreshPaint());
}

TEST_F(PieceDragTest, ADropSlidesFromItsHandSlotAndAPromotionShowsThePieceUnpromoted) {
  g_nAnimationSpeed = 0;
  StartFrom(SfenPosition("4k4/9/9/7P1/9/9/9/9/4K4 b P"));
  const CellSize c = CurrentCellSize();
  g_stepCodes.clear();
  g_steps.clear();
  g_pSlideStep = [](PixelPoint p) {
    g_steps.push_back(p);
    g_stepCodes.push_back(g_Lifted.code);
  };
  const PixelPoint slot = GetHandSlotPos(kPawn, kSente);
  const PixelPoint target = SquareTopLeft(c, 55, false);
  const int n = SlideStepCount(c, slot, target, 0);
  ASSERT_EQ(DoMove(view.get(), kMoveGame, Key(HandCellOf(kSente, kPawn), 55), kRedrawAnimate),
            kDoMoveGoesOn);
  ASSERT_EQ(int(g_steps.size()), n - 1);
  EXPECT_EQ(g_steps.front(), SlidePosition(slot, target, 1, n));
  EXPECT_EQ(Shown(), FreshPaint());

  g_steps.clear();
  g_stepCodes.clear();
  ASSERT_EQ(DoMove(view.get(), kMoveGame, Key(51, 41), 0), kDoMoveGoesOn);
  ASSERT_EQ(DoMove(view.get(), kMoveGame, Key(24, 23 | 0x80), kRedrawAnimate), kDoMoveGoesOn);
  ASSERT_FALSE(g_stepCodes.empty());
  for (int code : g_stepCodes) EXPECT_EQ(code, kSenteBit | kPawn);
  EXPECT_EQ(g_Board.squares[23], kSenteBit | kPawn | kPromotedBit);
  EXPECT_EQ(Shown(), FreshPaint());
  // Taken back, the promoted piece slides home unpromoted too.
  g_stepCodes.clear();
  UndoMove(view.get(), kMoveGame, kRedrawAnimate);
  ASSERT_FALSE(g_stepCodes.empty());
  for (int code : g_stepCodes) EXPECT_EQ(code, kSenteBit | kPawn);
  EXPECT_EQ(Shown(), FreshPaint());
}

}  // namespace
