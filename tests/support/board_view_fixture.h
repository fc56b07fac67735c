// A board view over a fresh record in a chosen piece set, for the tests of
// the mouse, the drag and the slide: pieces, palette and grain loaded, the
// even position, a game waiting for a move, and the user-interface port
// recorded.
#pragma once
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <memory>

#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "record/board.h"
#include "record/clock.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "settings/env.h"
#include "tests/support/position_loader.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"
#include "tests/support/view_images.h"
#include "view/board_drawing.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/piece_drag.h"
#include "view/piece_images.h"

class BoardViewFixture : public ::testing::Test {
protected:
  // pieceSet 4 gives cells of 31 x 32, 6 of 40 x 45.
  void SetUpView(int pieceSet = 4, bool flipped = false) {
    EnsureQtApp();
    ResetEnvDefaults();
    g_nPieceSet = uint8_t(pieceSet);
    g_bBoardFlipped = flipped ? 1 : 0;
    g_AppMode = kModeGame;
    g_nDragState = 0;
    g_Lifted = {};
    CreateAppPalette();
    LoadPieceBitmaps();
    LoadBoardGrain();
    LoadStandGrain();
    InitRecordPool(g_Record, 200);
    g_Record.appendMode = 1;
    SetInitialBoard(g_Board);
    CopyBoardState(g_StartBoard, g_Board);
    SetClockForTesting([] { return int64_t(1000); });
    g_tMoveTime = 1000;
    view = std::make_unique<CNarvoView>();
    const CellSize c = CurrentCellSize();
    view->resize(CalcBoardWindowWidth(c, 1.0), 9 * c.h + 70);
  }
  void SetUp() override { SetUpView(); }
  void TearDown() override {
    view.reset();
    SetClockForTesting({});
    FreeRecordPool(g_Record);
    FreePieceBitmaps();
    DeleteAppPalette();
    g_AppMode = kModeView;
    g_nDragState = 0;
    g_Lifted = {};
    g_bBoardFlipped = 0;
  }

  // A position in place of the even one, also as the record's start.
  void StartFrom(const BoardState& b) {
    CopyBoardState(g_Board, b);
    CopyBoardState(g_StartBoard, b);
    ResetRecordTree(g_Record);
    view->InvalidateAll();
  }
  // The centre of a square as shown.
  static PixelPoint Centre(int square) {
    const CellSize c = CurrentCellSize();
    const PixelRect r = SquareRect(c, square, g_bBoardFlipped != 0);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
public:
  // What the screen shows, the lifted piece included.
  QImage Screen() { return view->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  QImage FreshPaint() { return FreshViewPaint(*view); }
  QImage Shown() { return ShownViewImage(*view); }

  RecordingUi ui;
  CNarvoDoc doc;
  std::unique_ptr<CNarvoView> view;
};
