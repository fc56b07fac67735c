// The board view: what its paint puts into its image (the start position,
// the piece box only in editing), that drawing outside painting is shown
// without being painted over, that the display commands leave the image as a
// fresh paint would draw it, and the two timers.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTest>

#include <functional>

#include "app/command_table.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "record/board.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/rules.h"
#include "settings/env.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/view_images.h"
#include "view/board_drawing.h"
#include "view/board_geometry.h"
#include "view/info_panel.h"
#include "view/narvo_view.h"
#include "view/piece_images.h"

namespace {

QColor Rgb(const EnvColor& c) { return QColor(c.r, c.g, c.b); }

class ViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    g_AppMode = kModeView;
    g_bBoardFlipped = 0;
    CreateAppPalette();
    LoadPieceBitmaps();
    LoadBoardGrain();
    LoadStandGrain();
    InitRecordPool(g_Record, 100);
    SetInitialBoard(g_Board);
    g_StartBoard = g_Board;
    CellSize c = CurrentCellSize();
    view = std::make_unique<CNarvoView>();
    view->resize(CalcBoardWindowWidth(c, 1.0), 9 * c.h + 70);
  }
  void TearDown() override {
    view.reset();
    FreeRecordPool(g_Record);
    FreePieceBitmaps();
    DeleteAppPalette();
    g_AppMode = kModeView;
  }
  // 7六歩 3四歩 on the board and in the record, shown at move 2.
  void PlayTwoMoves() {
    for (auto [from, to] : {std::pair{77, 76}, std::pair{33, 34}}) {
      MoveCode m = BuildMoveCode(g_Board, from, to);
      ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, m, 0), 0);
      MakeMoveOnBoard(g_Board, m);
      g_Board.sideToMove ^= kSente;
      ++g_Record.moveNumber;
    }
  }
  // What a paint of the whole view draws now, in an image of its own.
  QImage FreshPaint() { return FreshViewPaint(*view); }
  // The view's image once its pending paint has run.
  QImage Shown() { return ShownViewImage(*view); }

  CNarvoDoc doc;
  std::unique_ptr<CNarvoView> view;
};

TEST_F(ViewTest, PaintsTheStartPositionIntoItsImage) {
  CellSize c = CurrentCellSize();
  const QImage& image = view->Image();
  ASSERT_EQ(image.size(), view->size());
  PixelRect board = BoardRect(c);
  // Background right of the stands and below the board.
  EXPECT_EQ(image.pixelColor(image.width() - 3, 3), Rgb(g_rgbBackground));
  EXPECT_EQ(image.pixelColor(3, image.height() - 3), Rgb(g_rgbBackground));
  // The board's shadow, a grid line, and the wood between lines and squares.
  EXPECT_EQ(image.pixelColor(board.left + 10, board.bottom), QColor(0x42, 0x42, 0x42));
  EXPECT_EQ(image.pixelColor(GridLineX(c, 0), GridLineY(c, 0) + 5), QColor(Qt::black));
  EXPECT_NE(image.pixelColor(GridLineX(c, 0) + 1, GridLineY(c, 0) + 5), QColor(Qt::black));

  // Exactly the board and the information panel as the drawing code paints
  // them on the background.
  QImage expected(view->size(), QImage::Format_RGB32);
  expected.fill(Rgb(g_rgbBackground));
  {
    QPainter p(&expected);
    DrawBoard(p);
    ClearInfoPanel(p);
    DrawInfoPanel(p);
  }
  EXPECT_EQ(image, expected);

  // The piece box only in position editing.
  PixelRect box = PieceBoxRect(c);
  EXPECT_EQ(image.pixelColor(box.left + 3, box.bottom - 3), Rgb(g_rgbBackground));
  g_AppMode = kModeEdit;
  view->InvalidateAll();
  EXPECT_NE(Shown().pixelColor(box.left + 3, box.bottom - 3), Rgb(g_rgbBackground));
}

TEST_F(ViewTest, DrawingOutsidePaintIsShownNotPaintedOver) {
  QRect spot(40, 40, 4, 4);
  {
    QPainter p(&view->Image());
    p.fillRect(spot, Qt::red);
  }
  view->Invalidate(spot, false);
  EXPECT_EQ(Shown().pixelColor(41, 41), QColor(Qt::red));
  view->Invalidate(spot, true);
  EXPECT_EQ(Shown().pixelColor(41, 41), FreshPaint().pixelColor(41, 41));

  // A repaint asked for is not cancelled by showing the same place as it is.
  {
    QPainter p(&view->Image());
    p.fillRect(spot, Qt::red);
  }
  view->Invalidate(spot, true);
  view->Invalidate(spot, false);
  EXPECT_EQ(Shown().pixelColor(41, 41), FreshPaint().pixelColor(41, 41));
}

// Each display command changes the image in place; the result must be what a
// fresh paint of the new state draws.
TEST_F(ViewTest, DisplayCommandsLeaveWhatAFreshPaintDraws) {
  PlayTwoMoves();
  view->InvalidateAll();
  ASSERT_EQ(Shown(), FreshPaint());
  const struct {
    const char* name;
    int id;
  } commands[] = {
      {"square colour", kCmdMarkSquareColour}, {"piece colour", kCmdMarkPieceColour},
      {"no mark", kCmdMarkNone},               {"square colour again", kCmdMarkSquareColour},
      {"origin off", kCmdMarkOrigin},          {"origin on", kCmdMarkOrigin},
      {"emphasis off", kCmdEmphasizeTurn},     {"emphasis on", kCmdEmphasizeTurn},
      {"flip", kCmdFlipBoard},                 {"flip back", kCmdFlipBoard},
  };
  for (const auto& c : commands) {
    FindCommand(c.id)->handler(c.id);
    EXPECT_EQ(Shown(), FreshPaint()) << c.name;
  }
  EXPECT_EQ(g_nLastMoveMark, 3);
  EXPECT_EQ(g_bBoardFlipped, 0);
}

TEST_F(ViewTest, TimersRaiseTheTick) {
  for (int id : {kReplayTimer, kClockTimer}) {
    int before = g_nReplayTick;
    ASSERT_TRUE(view->SetTimer(id, 5));
    EXPECT_TRUE(QTest::qWaitFor([&] { return g_nReplayTick >= before + 2; }, 5000)) << id;
    view->KillTimer(id);
    EXPECT_FALSE(view->IsTimerSet(id));
    int stopped = g_nReplayTick;
    QTest::qWait(30);
    EXPECT_EQ(g_nReplayTick, stopped) << id;
  }
  EXPECT_FALSE(view->SetTimer(3, 5));
  g_nReplaySpeed = 2;
  EXPECT_TRUE(view->StartReplayTimer());
  EXPECT_TRUE(view->IsTimerSet(kReplayTimer));
}

}  // namespace
