// Drawing the board into an image: colours at chosen pixels for the default
// settings, the choice of piece images, hands and box, the last-move marks,
// and the repaints of single cells through the view's image.
//
// With NARVO_RENDER_DIR set, the renders of the start position, of a
// position with many pieces in hand and of each mark style are written there
// as PNG files to be looked at.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPicture>

#include <cstdlib>
#include <ostream>
#include <tuple>
#include <utility>
#include <vector>

#include "record/board.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/rules.h"
#include "settings/env.h"
#include "view/board_drawing.h"
#include "view/piece_images.h"

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "board_drawing_test";
    static char* argv[] = {name, nullptr};
    app_ = new QGuiApplication(argc, argv);
  }
  void TearDown() override { delete app_; }

 private:
  QGuiApplication* app_ = nullptr;
};
::testing::Environment* const g_qt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

const QRgb kPaleYellow = qRgb(255, 255, 200);
const QRgb kShadow = qRgb(0x42, 0x42, 0x42);
const QRgb kBlack = qRgb(0, 0, 0);

QRgb Rgb(const EnvColor& c) { return qRgb(c.r, c.g, c.b); }

// The view's image as its paint leaves it: background, board, marks.
QImage Render(bool marks = true, bool box = false) {
  CellSize c = CurrentCellSize();
  QImage img(CalcBoardWindowWidth(c, 1.0), 9 * c.h + 60, QImage::Format_RGB32);
  img.fill(Rgb(g_rgbBackground));
  QPainter p(&img);
  DrawBoard(p);
  if (marks) {
    ShowLastMoveHighlight(p);
    ShowLastMoveFromHighlight(p);
  }
  if (box) DrawPieceBox(p);
  return img;
}

void MaybeSave(const QImage& img, const char* name) {
  const char* dir = std::getenv("NARVO_RENDER_DIR");
  if (dir != nullptr) img.save(QString::fromUtf8(dir) + "/" + name + ".png");
}

QRgb BoardGrainAt(int x, int y) {
  PixelPoint g = BoardGrainPixel(CurrentCellSize(), x, y);
  return g_BoardGrain.pixel(g.x, g.y);
}
QRgb StandGrainAt(int rectLeft, int x, int y) {
  PixelPoint g = StandGrainPixel(CurrentCellSize(), rectLeft, x, y);
  return g_StandGrain.pixel(g.x, g.y);
}

// The moves shown: a line of nodes from the root, made on g_Board; the last
// one is current. A move with from-byte 1 is an end of game.
void ShowMoves(const std::vector<MoveCode>& moves) {
  ResetRecordTree(g_Record);
  RecordNode* parent = g_Record.Root();
  int n = 0;
  for (MoveCode m : moves) {
    RecordNode* node = &g_Record.pool[++n];
    int from = MoveFrom(m), to = MoveTo(m);
    MoveCode full = from == kEndFrom ? m : BuildMoveCode(g_Board, from, to);
    node->from = uint8_t(from);
    node->to = uint8_t(to);
    node->piece = uint8_t(MovePiece(full));
    node->captured = uint8_t(MoveCaptured(full));
    parent->firstChild = node;
    parent = node;
    if (from != kEndFrom) {
      MakeMoveOnBoard(g_Board, full);
      g_Board.sideToMove = kSente - g_Board.sideToMove;
    }
  }
  g_Record.current = parent;
  g_Record.moveNumber = n;
}

class BoardDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEnvDefaults();
    g_bBoardFlipped = 0;
    CreateAppPalette();
    ASSERT_EQ(LoadPieceBitmaps(), 0);
    LoadBoardGrain();
    LoadStandGrain();
    ASSERT_FALSE(g_BoardGrain.isNull());
    ASSERT_FALSE(g_StandGrain.isNull());
    SetInitialBoard(g_Board);
    ASSERT_EQ(InitRecordPool(g_Record, 1000), 0);
    g_nMarkedToSquare = g_nMarkedFromSquare = 0;
  }
  void TearDown() override {
    g_bBoardFlipped = 0;
    ResetRecordTree(g_Record);
  }

  static PixelRect Square(int sq) { return SquareRect(CurrentCellSize(), sq, g_bBoardFlipped != 0); }

  // A pixel of the square that the piece image covers (mask black) and
  // whose image green is above or at most the recolouring threshold.
  static bool FindPiecePixel(int set, int image, int mask, bool bright, int* px, int* py) {
    CellSize c = CurrentCellSize();
    int t = GetRecolourThreshold();
    for (int y = c.h / 4; y < c.h; ++y)
      for (int x = 2; x <= c.w - 3; ++x) {
        if (qGray(g_PieceMask[set][mask].pixel(x, y)) >= 128) continue;
        if ((qGreen(g_PieceImage[set][image].pixel(x, y)) > t) == bright) {
          *px = x;
          *py = y;
          return true;
        }
      }
    return false;
  }
};

// A piece set whose every image tells which it is: red encodes the side and
// the image index, green the column inside the cell; row 0 is black except
// at the mask index's column, where the mask lets the background through.
void InstallSyntheticPieces() {
  CellSize c = CurrentCellSize();
  for (int s = 0; s < 2; ++s) {
    for (int i = 0; i < 16; ++i) {
      QImage img(c.w, c.h, QImage::Format_RGB32);
      for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) img.setPixel(x, y, y == 0 ? kBlack : qRgb(i * 16 + s * 8, x, 99));
      g_PieceImage[s][i] = img;
    }
    for (int m = 0; m < 8; ++m) {
      QImage mask(c.w, c.h, QImage::Format_RGB32);
      mask.fill(kBlack);
      mask.setPixel(m, 0, qRgb(255, 255, 255));
      g_PieceMask[s][m] = mask;
    }
  }
}
QRgb SyntheticColour(int set, int image, int column) { return qRgb(image * 16 + set * 8, column, 99); }

TEST_F(BoardDrawingTest, StartPositionColours) {
  QImage img = Render();
  MaybeSave(img, "start");
  CellSize c = CurrentCellSize();
  ASSERT_EQ(c, (CellSize{36, 39}));
  PixelRect board = BoardRect(c);
  PixelRect sq55 = Square(55);
  int midY = sq55.top + c.h / 2;

  EXPECT_EQ(img.pixel(board.left - 2, 100), Rgb(g_rgbBackground));  // between stand and board
  EXPECT_EQ(img.pixel(sq55.left + 5, midY), BoardGrainAt(sq55.left + 5, midY));
  EXPECT_EQ(img.pixel(sq55.left - 2, midY), kBlack);                 // grid line
  EXPECT_EQ(img.pixel(sq55.left - 1, midY), BoardGrainAt(sq55.left - 1, midY));  // the gap
  EXPECT_EQ(img.pixel(sq55.left, sq55.top - 2), kBlack);
  EXPECT_EQ(img.pixel(board.left + 2, board.top + 2), BoardGrainAt(board.left + 2, board.top + 2));
  // The board's two-pixel shadow along its right and bottom edges.
  EXPECT_EQ(img.pixel(board.right - 1, 200), kShadow);
  EXPECT_EQ(img.pixel(board.right, 200), kShadow);
  EXPECT_EQ(img.pixel(board.right, board.top), Rgb(g_rgbBackground));
  EXPECT_EQ(img.pixel(200, board.bottom - 1), kShadow);
  EXPECT_EQ(img.pixel(200, board.bottom), kShadow);
  EXPECT_EQ(img.pixel(board.left, board.bottom), Rgb(g_rgbBackground));
  EXPECT_EQ(img.pixel(board.right + 1, 200), Rgb(g_rgbBackground));

  // Star points fill the gaps around the crossing, not the squares.
  for (const auto& s : kStarPointLines) {
    PixelPoint x = GridCrossing(c, s[0], s[1]);
    for (auto [dx, dy] : {std::pair{-2, 0}, {2, 0}, {0, -2}, {0, 2}, {-1, -1}, {1, 1}, {-2, 1}})
      EXPECT_EQ(img.pixel(x.x + dx, x.y + dy), kBlack) << dx << "," << dy;
    EXPECT_EQ(img.pixel(x.x + 2, x.y + 2), BoardGrainAt(x.x + 2, x.y + 2));
    EXPECT_EQ(img.pixel(x.x - 2, x.y - 2), BoardGrainAt(x.x - 2, x.y - 2));
  }
  // A point of the gaps away from star points stays wood.
  PixelPoint plain = GridCrossing(c, 4, 4);
  EXPECT_EQ(img.pixel(plain.x + 1, plain.y + 1), BoardGrainAt(plain.x + 1, plain.y + 1));

  // Both stands are wood with a shadow; the side to move (the first player)
  // has its label on pale yellow.
  PixelRect lower = LowerStandRect(c), upper = UpperStandRect(c);
  EXPECT_EQ(img.pixel(lower.left + 5, lower.bottom - 10), StandGrainAt(lower.left, lower.left + 5, lower.bottom - 10));
  EXPECT_EQ(img.pixel(upper.left + 5, upper.top + 5), StandGrainAt(upper.left, upper.left + 5, upper.top + 5));
  EXPECT_EQ(img.pixel(lower.right, lower.top + 5), kShadow);
  EXPECT_EQ(img.pixel(upper.left + 20, upper.bottom), kShadow);
  PixelRect lowerLabel = StandLabelBox(c, true), upperLabel = StandLabelBox(c, false);
  EXPECT_EQ(img.pixel(lowerLabel.left, lowerLabel.top), kPaleYellow);
  EXPECT_EQ(img.pixel(lowerLabel.right - 1, lowerLabel.bottom - 1), kPaleYellow);
  EXPECT_EQ(img.pixel(lowerLabel.right, lowerLabel.top), StandGrainAt(lower.left, lowerLabel.right, lowerLabel.top));
  EXPECT_EQ(img.pixel(upperLabel.right - 1, upperLabel.bottom - 2),
            StandGrainAt(upper.left, upperLabel.right - 1, upperLabel.bottom - 2));
  // The upper label's box reaches the stand's shadow, which stays.
  EXPECT_EQ(upperLabel.bottom, upper.bottom);
  EXPECT_EQ(img.pixel(upperLabel.left + 3, upperLabel.bottom - 1), kShadow);

  // A piece: its image where the mask covers it, the board elsewhere.
  int px, py;
  ASSERT_TRUE(FindPiecePixel(0, 8, 0, true, &px, &py));
  PixelRect sq59 = Square(59);
  EXPECT_EQ(img.pixel(sq59.left + px, sq59.top + py), g_PieceImage[0][8].pixel(px, py));
  EXPECT_EQ(img.pixel(sq59.left, sq59.top), BoardGrainAt(sq59.left, sq59.top));
}

TEST_F(BoardDrawingTest, EveryPieceSetFitsItsLayout) {
  const struct { int set; CellSize cell; const char* name; } sets[] = {
      {3, {31, 32}, "start-set3"}, {4, {31, 32}, "start-set4"}, {6, {40, 45}, "start-set6"}};
  for (const auto& s : sets) {
    g_nPieceSet = uint8_t(s.set);
    ASSERT_EQ(LoadPieceBitmaps(), 0);
    ASSERT_EQ(CurrentCellSize(), s.cell);
    ShowMoves({MakeMoveCode(77, 76, 0, 0)});
    QImage img = Render();
    MaybeSave(img, s.name);
    PixelRect sq = Square(59), lower = LowerStandRect(s.cell);
    int px, py;
    ASSERT_TRUE(FindPiecePixel(0, 8, 0, true, &px, &py)) << s.set;
    EXPECT_EQ(img.pixel(sq.left + px, sq.top + py), g_PieceImage[0][8].pixel(px, py)) << s.set;
    EXPECT_EQ(img.pixel(sq.right + 1, sq.top), kBlack) << s.set;
    EXPECT_EQ(img.pixel(lower.right, lower.bottom - 2), kShadow) << s.set;
    EXPECT_EQ(img.pixel(Square(77).left - 1, Square(77).top), Rgb(g_rgbLastFrom)) << s.set;
    SetInitialBoard(g_Board);
  }
}

TEST_F(BoardDrawingTest, CoordinatesFollowTheTurnedBoard) {
  CellSize c = CurrentCellSize();
  PixelRect board = BoardRect(c);
  auto darkIn = [](const QImage& img, PixelRect r) {
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (qGray(img.pixel(x, y)) < 80) return true;
    return false;
  };
  PixelRect top{GridLineX(c, 0) + 1, board.top, GridLineX(c, 9), GridLineY(c, 0)};
  PixelRect bottom{GridLineX(c, 0) + 1, GridLineY(c, 9) + 1, GridLineX(c, 9), board.bottom - 1};
  PixelRect right{GridLineX(c, 9) + 1, GridLineY(c, 0) + 1, board.right - 1, GridLineY(c, 9)};
  PixelRect left{board.left, GridLineY(c, 0) + 1, GridLineX(c, 0), GridLineY(c, 9)};
  for (bool flipped : {false, true}) {
    g_bBoardFlipped = flipped;
    QImage img = Render();
    if (flipped) MaybeSave(img, "start-flipped");
    EXPECT_EQ(darkIn(img, top), !flipped);
    EXPECT_EQ(darkIn(img, right), !flipped);
    EXPECT_EQ(darkIn(img, bottom), flipped);
    EXPECT_EQ(darkIn(img, left), flipped);
    // The digit of file 1 stands over (or under) file 1's column.
    PixelRect sq = Square(flipped ? 19 : 11);
    PixelPoint d = FileDigitPos(c, 1, flipped);
    EXPECT_GE(d.x, sq.left);
    EXPECT_LT(d.x, sq.right);
    PixelRect digit{sq.left, d.y, sq.right, d.y + 13};
    EXPECT_TRUE(darkIn(img, digit));
    // The first player, to move, has the upper-left stand when turned.
    PixelRect label = StandLabelBox(c, !flipped);
    EXPECT_EQ(img.pixel(label.left, label.top), kPaleYellow);
  }
}

TEST_F(BoardDrawingTest, PieceImagesBySideAndKing) {
  InstallSyntheticPieces();
  CellSize c = CurrentCellSize();
  auto imageAt = [&](const QImage& img, int sq) { return img.pixel(Square(sq).left + 5, Square(sq).top + 5); };
  auto maskColumn = [&](const QImage& img, int sq) {
    PixelRect r = Square(sq);
    for (int x = 0; x < 8; ++x)
      if (img.pixel(r.left + x, r.top) != kBlack) return x;
    return -1;
  };
  g_Board.squares[55] = 0x8F;  // the first player's promoted rook
  g_Board.squares[45] = 0x0E;  // the second player's promoted bishop
  QImage img = Render();
  EXPECT_EQ(imageAt(img, 59), SyntheticColour(0, 8, 5));  // first player's king: 玉
  EXPECT_EQ(imageAt(img, 51), SyntheticColour(1, 0, 5));  // second player's: 王, inverted
  EXPECT_EQ(imageAt(img, 77), SyntheticColour(0, 1, 5));
  EXPECT_EQ(imageAt(img, 33), SyntheticColour(1, 1, 5));
  EXPECT_EQ(imageAt(img, 55), SyntheticColour(0, 15, 5));
  EXPECT_EQ(imageAt(img, 45), SyntheticColour(1, 14, 5));
  EXPECT_EQ(maskColumn(img, 59), 0);
  EXPECT_EQ(maskColumn(img, 55), 7);  // promoted pieces share their kind's mask
  EXPECT_EQ(maskColumn(img, 45), 6);
  EXPECT_EQ(maskColumn(img, 77), 1);

  // Turned: the first player's pieces are the inverted ones and stand where
  // the other squares would be.
  g_bBoardFlipped = 1;
  img = Render();
  EXPECT_EQ(imageAt(img, 59), SyntheticColour(1, 8, 5));
  EXPECT_EQ(imageAt(img, 51), SyntheticColour(0, 0, 5));
  EXPECT_EQ(Square(59), SquareRect(c, 51, false));

  // A mate problem without the first player's king writes the other king 玉.
  g_bBoardFlipped = 0;
  SetTsumeLayout(g_Board);
  img = Render();
  EXPECT_EQ(imageAt(img, 51), SyntheticColour(1, 8, 5));
}

TEST_F(BoardDrawingTest, ManyPiecesInHand) {
  ClearBoardState(g_Board);
  g_Board.squares[59] = 0x88;
  g_Board.squares[51] = kKing;
  const int counts[8] = {0, 18, 4, 4, 4, 4, 2, 0};  // all but the rooks to the first player
  for (int k = kPawn; k <= kBishop; ++k) ASSERT_EQ(AddHandPieces(g_Board, kSente, k, counts[k]), kPieceSetOk);
  ASSERT_EQ(AddHandPieces(g_Board, kGote, kRook, 2), kPieceSetOk);
  IdentifyHandicap(g_Board);
  MaybeSave(Render(), "many-in-hand");
  g_bBoardFlipped = 1;
  MaybeSave(Render(), "many-in-hand-flipped");
  g_bBoardFlipped = 0;

  InstallSyntheticPieces();
  QImage img = Render();
  CellSize c = CurrentCellSize();
  int midY = [&] { return GetHandSlotPos(kPawn, kSente).y + c.h / 2; }();
  // Pawns: slot 7, one row across both columns, eighteen copies.
  PixelPoint pawn = GetHandSlotPos(kPawn, kSente);
  EXPECT_EQ(pawn, HandSlotPos(c, 7, true));
  int step = HandCopyStep(c, kPawn, 18);
  // The right-most copy's right edge, and the left-most copy on top of the next.
  EXPECT_EQ(img.pixel(pawn.x + 17 * step + c.w - 2, midY), SyntheticColour(0, 1, c.w - 2));
  EXPECT_EQ(img.pixel(pawn.x + 17 * step + c.w, midY), StandGrainAt(LowerStandRect(c).left, pawn.x + 17 * step + c.w, midY));
  EXPECT_EQ(img.pixel(pawn.x + step + 2, midY), SyntheticColour(0, 1, step + 2));
  // Four golds in the right column of row 1; two bishops left of them in row 0.
  PixelPoint gold = GetHandSlotPos(kGold, kSente);
  EXPECT_EQ(gold, HandSlotPos(c, 2, true));
  int goldStep = HandCopyStep(c, kGold, 4);
  int gy = gold.y + c.h / 2;
  EXPECT_EQ(img.pixel(gold.x + 3 * goldStep + c.w - 1, gy), SyntheticColour(0, 5, c.w - 1));
  EXPECT_EQ(img.pixel(gold.x + goldStep + 1, gy), SyntheticColour(0, 5, goldStep + 1));
  EXPECT_EQ(GetHandSlotPos(kBishop, kSente), HandSlotPos(c, 1, true));
  // The second player's rooks: first slot of the upper stand (its right
  // column), inverted images.
  PixelPoint rook = GetHandSlotPos(kRook, kGote);
  EXPECT_EQ(rook, HandSlotPos(c, 1, false));
  EXPECT_EQ(img.pixel(rook.x + 5, rook.y + 5), SyntheticColour(1, 7, 5));
  EXPECT_EQ(img.pixel(rook.x + HandCopyStep(c, kRook, 2) + c.w - 1, rook.y + 5), SyntheticColour(1, 7, c.w - 1));

  // Turned: the first player's hand fills the upper stand upward from its
  // right column, inverted, the pawns in the top row from the left column;
  // the second player's rooks go to the lower stand, upright.
  g_bBoardFlipped = 1;
  img = Render();
  pawn = GetHandSlotPos(kPawn, kSente);
  EXPECT_EQ(pawn, HandSlotPos(c, 8, false));
  EXPECT_EQ(pawn, (PixelPoint{5, 3 * c.h + 13 - 3 * (c.h + 2)}));
  EXPECT_EQ(img.pixel(pawn.x + 5, pawn.y + 5), SyntheticColour(1, 1, 5));
  EXPECT_EQ(img.pixel(pawn.x + 17 * step + c.w - 2, pawn.y + 5), SyntheticColour(1, 1, c.w - 2));
  PixelPoint bishop = GetHandSlotPos(kBishop, kSente);
  EXPECT_EQ(bishop, (PixelPoint{(3 * c.w + 9) / 2 + 3, 3 * c.h + 13}));
  EXPECT_EQ(img.pixel(bishop.x + 5, bishop.y + 5), SyntheticColour(1, 6, 5));
  rook = GetHandSlotPos(kRook, kGote);
  EXPECT_EQ(rook, (PixelPoint{12 * c.w + 79, 5 * c.h + 44}));
  EXPECT_EQ(img.pixel(rook.x + 5, rook.y + 5), SyntheticColour(0, 7, 5));
}

TEST_F(BoardDrawingTest, HandCopyModes) {
  ASSERT_EQ(AddHandPieces(g_Board, kSente, kPawn, 5), kPieceSetOk);
  InstallSyntheticPieces();
  CellSize c = CurrentCellSize();
  PixelPoint at = GetHandSlotPos(kPawn, kSente);
  int y = at.y + c.h / 2;
  int rectLeft = LowerStandRect(c).left;
  QImage img(CalcBoardWindowWidth(c, 1.0), 9 * c.h + 60, QImage::Format_RGB32);
  QPainter p(&img);
  // Mode 2 leaves out the right-most place: one copy is in the hand of the user.
  FillStandGrain(p, LowerStandRect(c));
  DrawHandPieces(p, 0x81, 2);
  int step4 = HandCopyStep(c, kPawn, 4);
  EXPECT_EQ(img.pixel(at.x + 3 * step4 + c.w - 1, y), SyntheticColour(0, 1, c.w - 1));
  EXPECT_EQ(img.pixel(at.x + 3 * step4 + c.w + 1, y), StandGrainAt(rectLeft, at.x + 3 * step4 + c.w + 1, y));
  // Mode 1 draws again what the lifted first copy covered, not the first copy.
  FillStandGrain(p, LowerStandRect(c));
  DrawHandPieces(p, 0x81, 1);
  int step5 = HandCopyStep(c, kPawn, 5);
  EXPECT_EQ(img.pixel(at.x + 1, y), StandGrainAt(rectLeft, at.x + 1, y));
  EXPECT_EQ(img.pixel(at.x + step5 + 1, y), SyntheticColour(0, 1, 1));
  EXPECT_EQ(img.pixel(at.x + 2 * step5 + c.w - 1, y), SyntheticColour(0, 1, c.w - 1));
  EXPECT_EQ(img.pixel(at.x + 4 * step5 + c.w - 1, y), StandGrainAt(rectLeft, at.x + 4 * step5 + c.w - 1, y));
}

TEST_F(BoardDrawingTest, PieceBoxHoldsWhatIsNeitherOnBoardNorInHand) {
  SetHandicapBoard(g_Board, 6);  // 二枚落ち: bishop and rook of the second player in the box
  EXPECT_EQ(CountBoxPieces(kBishop), 1);
  EXPECT_EQ(CountBoxPieces(kRook), 1);
  EXPECT_EQ(CountBoxPieces(kPawn), 0);
  EXPECT_EQ(CountBoxPieces(kKing), 0);
  MaybeSave(Render(true, true), "piece-box");
  InstallSyntheticPieces();
  QImage img = Render(true, true);
  CellSize c = CurrentCellSize();
  PixelPoint rook = GetBoxSlotPos(kRook), bishop = GetBoxSlotPos(kBishop);
  EXPECT_EQ(rook, BoxSlotPos(c, 0));
  EXPECT_EQ(bishop, BoxSlotPos(c, 1));
  // Box pieces are drawn as the bottom side's, upright.
  EXPECT_EQ(img.pixel(rook.x + 5, rook.y + 5), SyntheticColour(0, 7, 5));
  EXPECT_EQ(img.pixel(bishop.x + 5, bishop.y + 5), SyntheticColour(0, 6, 5));
  PixelRect box = PieceBoxRect(c);
  EXPECT_EQ(img.pixel(box.right, box.top + 5), kShadow);
  {
    QPainter p(&img);
    ClearPieceBoxArea(p);
  }
  PixelRect cleared = PieceBoxClearRect(c);
  EXPECT_EQ(img.pixel(rook.x + 5, rook.y + 5), Rgb(g_rgbBackground));
  EXPECT_EQ(img.pixel(cleared.right - 1, cleared.bottom - 1), Rgb(g_rgbBackground));
}

struct StyleCase {
  const char* name;
  int style;
  int boardKind;
  bool flaggedSet;
};

void PrintTo(const StyleCase& s, std::ostream* os) { *os << s.name; }

class LastMoveStyles : public BoardDrawingTest, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(LastMoveStyles, MarksOfTheLastMove) {
  const StyleCase& t = GetParam();
  g_nLastMoveMark = uint8_t(t.style);
  g_nBoardKind = uint8_t(t.boardKind);
  g_rgbLastPiece = t.style == 1 && !t.flaggedSet ? EnvColor{255, 0, 255} : EnvColor{255, 255, 255};
  if (!t.flaggedSet) g_nPieceSet = 0;  // a set that may overpaint
  CreateAppPalette();
  LoadBoardGrain();
  ShowMoves({MakeMoveCode(77, 76, 0, 0), MakeMoveCode(33, 34, 0, 0), MakeMoveCode(88, 0x80 | 22, 0, 0)});
  QImage img = Render();
  MaybeSave(img, t.name);
  EXPECT_EQ(GetLastMoveToSquare(), 22);
  EXPECT_EQ(GetLastMoveFromSquare(), 88);
  EXPECT_EQ(g_nMarkedToSquare, t.style == 0 ? 0 : 22);
  EXPECT_EQ(g_nMarkedFromSquare, 88);

  PixelRect to = Square(22), from = Square(88);
  auto board = [&](int x, int y) {
    return t.boardKind >= 2 ? Rgb(g_rgbBoard) : BoardGrainAt(x, y);
  };
  // The origin: the square with its border in the origin colour, the star
  // point beside it kept.
  EXPECT_EQ(img.pixel(from.left - 1, from.top - 1), Rgb(g_rgbLastFrom));
  EXPECT_EQ(img.pixel(from.left + 10, from.top + 10), Rgb(g_rgbLastFrom));
  EXPECT_EQ(img.pixel(from.left - 2, from.top + 10), kBlack);

  int bx, by, dx, dy;  // a bright and a dark pixel of the promoted bishop's face
  ASSERT_TRUE(FindPiecePixel(0, 14, 6, true, &bx, &by));
  ASSERT_TRUE(FindPiecePixel(0, 14, 6, false, &dx, &dy));
  QRgb face = g_PieceImage[0][14].pixel(bx, by), ink = g_PieceImage[0][14].pixel(dx, dy);
  QRgb gap = img.pixel(to.left - 1, to.top + 10), corner = img.pixel(to.left, to.top);
  QRgb brightNow = img.pixel(to.left + bx, to.top + by), darkNow = img.pixel(to.left + dx, to.top + dy);
  switch (t.style) {
    case 0:
      EXPECT_EQ(brightNow, face);
      EXPECT_EQ(gap, board(to.left - 1, to.top + 10));
      break;
    case 1:
      if (!t.flaggedSet) {  // destination AND colour over the square only
        QRgb b = board(to.left, to.top);
        EXPECT_EQ(corner, qRgb(qRed(b), 0, qBlue(b)));
        EXPECT_EQ(brightNow, qRgb(qRed(face), 0, qBlue(face)));
        EXPECT_EQ(gap, board(to.left - 1, to.top + 10));
        break;
      }
      [[fallthrough]];  // a flagged set is never overpainted: piece colour
    case 2:
      EXPECT_EQ(brightNow, Rgb(g_rgbLastPiece));
      EXPECT_EQ(darkNow, ink);
      EXPECT_EQ(corner, board(to.left, to.top));
      EXPECT_EQ(gap, board(to.left - 1, to.top + 10));
      break;
    case 3:  // the square with its border, the piece on top, the grid kept
      EXPECT_EQ(gap, Rgb(g_rgbLastSquare));
      EXPECT_EQ(corner, Rgb(g_rgbLastSquare));
      EXPECT_EQ(brightNow, face);
      EXPECT_EQ(img.pixel(to.left - 2, to.top + 10), kBlack);
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Styles, LastMoveStyles,
                         ::testing::Values(StyleCase{"style0", 0, 0, true}, StyleCase{"style1", 1, 0, true},
                                           StyleCase{"style1-overpaint", 1, 2, false},
                                           StyleCase{"style2", 2, 0, true}, StyleCase{"style2-plain", 2, 2, true},
                                           StyleCase{"style3", 3, 0, true}),
                         [](const auto& info) {
                           std::string n = info.param.name;
                           for (char& ch : n)
                             if (ch == '-') ch = '_';
                           return n;
                         });

TEST_F(BoardDrawingTest, PieceColourLeavesTwoColumnsOnEachSide) {
  CellSize c = CurrentCellSize();
  QImage bright(c.w, c.h, QImage::Format_RGB32), solid(c.w, c.h, QImage::Format_RGB32);
  bright.fill(qRgb(250, 250, 250));
  solid.fill(kBlack);
  g_PieceImage[0][1] = bright;
  g_PieceMask[0][1] = solid;
  g_rgbLastPiece = EnvColor{10, 200, 30};
  QImage img = Render(false);
  PixelRect r = Square(77);
  {
    QPainter p(&img);
    RecolourPieceImage(p, r.left, r.top);
  }
  for (int y : {r.top, r.top + c.h / 2, r.bottom - 1}) {
    for (int x = r.left; x < r.right; ++x) {
      bool inner = x >= r.left + 2 && x <= r.right - 3;
      ASSERT_EQ(img.pixel(x, y), inner ? qRgb(10, 200, 30) : qRgb(250, 250, 250)) << x - r.left;
    }
  }
  EXPECT_EQ(img.pixel(r.left + 5, r.bottom), BoardGrainAt(r.left + 5, r.bottom));  // the gap below
}

TEST_F(BoardDrawingTest, WhichMoveIsMarked) {
  // Move 0: nothing is marked and the remembered squares stay.
  g_nMarkedToSquare = 55;
  QImage fresh = Render(false);
  EXPECT_EQ(Render(true), fresh);
  EXPECT_EQ(g_nMarkedToSquare, 55);
  EXPECT_EQ(GetLastMoveToSquare(), 0);

  // After an end of game the move before it is marked.
  ShowMoves({MakeMoveCode(77, 76, 0, 0), MakeMoveCode(kEndFrom, kEndResign, 0, 0)});
  EXPECT_EQ(GetLastMoveToSquare(), 76);
  EXPECT_EQ(GetLastMoveFromSquare(), 77);
  // An end of game as the first node marks nothing.
  SetInitialBoard(g_Board);
  ShowMoves({MakeMoveCode(kEndFrom, kEndResign, 0, 0)});
  EXPECT_EQ(GetLastMoveToSquare(), 0);

  // A drop marks its destination but no origin square.
  SetInitialBoard(g_Board);
  ShowMoves({MakeMoveCode(77, 76, 0, 0), MakeMoveCode(33, 34, 0, 0), MakeMoveCode(88, 0x80 | 22, 0, 0),
             MakeMoveCode(31, 22, 0, 0), MakeMoveCode(HandCellOf(kSente, kBishop), 55, 0, 0)});
  QImage img = Render();
  EXPECT_EQ(g_nMarkedToSquare, 55);
  EXPECT_EQ(g_nMarkedFromSquare, HandCellOf(kSente, kBishop));
  EXPECT_NE(img.pixel(Square(55).left + 1, Square(55).top + 1), Rgb(g_rgbLastFrom));
  PixelRect hand = LowerStandRect(CurrentCellSize());
  for (int y = hand.top; y < hand.bottom; y += 3)
    for (int x = hand.left; x < hand.right; x += 3) ASSERT_NE(img.pixel(x, y), Rgb(g_rgbLastFrom));
}

TEST_F(BoardDrawingTest, SquareColourGoesOnTheDrawingTarget) {
  g_nLastMoveMark = 3;
  ShowMoves({MakeMoveCode(77, 76, 0, 0)});
  CellSize c = CurrentCellSize();
  QImage img(CalcBoardWindowWidth(c, 1.0), 9 * c.h + 60, QImage::Format_RGB32);
  img.fill(Qt::white);
  {
    QPainter p(&img);
    DrawBoard(p);  // no mark pass afterwards: the board alone carries the square colour
  }
  PixelRect to = Square(76);
  EXPECT_EQ(img.pixel(to.left - 1, to.top + 5), Rgb(g_rgbLastSquare));
  EXPECT_EQ(img.pixel(to.left, to.top), Rgb(g_rgbLastSquare));
  EXPECT_EQ(img.pixel(to.left - 2, to.top + 5), kBlack);  // grid on top of it
  EXPECT_EQ(g_nMarkedToSquare, 0);
}

TEST_F(BoardDrawingTest, StandLabelBoxErasedWholly) {
  CellSize c = CurrentCellSize();
  QImage img = Render();
  PixelRect box = StandLabelBox(c, true);
  ASSERT_EQ(img.pixel(box.left, box.bottom - 1), kPaleYellow);
  g_Board.sideToMove = kGote;
  {
    QPainter p(&img);
    DrawStandLabel(p, kSente);
    DrawStandLabel(p, kGote);
  }
  QImage fresh = Render();
  EXPECT_EQ(img, fresh);
  PixelRect upperBox = StandLabelBox(c, false);
  EXPECT_EQ(img.pixel(upperBox.left + 3, upperBox.bottom - 2), kPaleYellow);
  EXPECT_EQ(img.pixel(upperBox.left + 3, upperBox.bottom - 1), kShadow);
  // 上手 and 下手 in a handicap game.
  g_Board.handicap = 1;
  EXPECT_NE(Render(), fresh);
}

// The view's image as a test surface: it records what is shown; a repaint
// request draws the board again there, as the view's paint would.
class TestSurface : public BoardSurface {
 public:
  explicit TestSurface(QImage img) : image(std::move(img)) {}
  QImage& Image() override { return image; }
  void Invalidate(const QRect& rect, bool repaint) override { shown.push_back({rect, repaint}); }
  QImage image;
  std::vector<std::pair<QRect, bool>> shown;
};

TEST_F(BoardDrawingTest, RepaintsThroughTheView) {
  ShowMoves({MakeMoveCode(77, 76, 0, 0), MakeMoveCode(33, 34, 0, 0)});
  TestSurface view(Render(false));
  // The marks drawn through the view equal those of a whole paint.
  ShowLastMoveHighlight(view);
  ShowLastMoveFromHighlight(view);
  EXPECT_EQ(view.image, Render(true));
  ASSERT_EQ(view.shown.size(), 2u);
  EXPECT_TRUE(view.shown[0].first.contains(QRect(Square(34).left - 1, Square(34).top - 1, 38, 41)));
  EXPECT_FALSE(view.shown[0].second);
  // Taking them away gives back the plain board.
  ClearLastMoveHighlight(view);
  EXPECT_EQ(view.image, Render(false));

  // A capture puts a new kind in the hand: the pawns' row moves down. The
  // slots from that kind are erased in both layouts and drawn again.
  ASSERT_EQ(AddHandPieces(g_Board, kSente, kPawn, 3), kPieceSetOk);
  ASSERT_EQ(AddHandPieces(g_Board, kSente, kRook, 1), kPieceSetOk);
  ASSERT_EQ(AddHandPieces(g_Board, kSente, kBishop, 1), kPieceSetOk);
  view.image = Render(false);
  ASSERT_EQ(AddHandPieces(g_Board, kSente, kGold, 1), kPieceSetOk);
  {
    QPainter p(&view.image);
    EraseHandSlotsBelow(p, 0x85);
    EraseHandSlotsFrom(p, 0x85);
    DrawHandFrom(p, 0x85);
  }
  EXPECT_EQ(view.image, Render(false));
  // The last gold leaves (a drop): the pawns move back up.
  g_Board.hands[1][kGold] = 0;
  g_Board.hands[1][0] -= 1;
  {
    QPainter p(&view.image);
    EraseHandSlotsFrom(p, 0x85);
    DrawHandFrom(p, 0x85);
  }
  EXPECT_EQ(view.image, Render(false));

  // One more pawn: its slot alone is drawn again through the view.
  g_Board.hands[1][kPawn] += 1;
  view.shown.clear();
  RedrawCell(view, HandCellOf(kSente, kPawn));
  EXPECT_EQ(view.image, Render(false));
  ASSERT_EQ(view.shown.size(), 1u);
  PixelPoint slot = GetHandSlotPos(kPawn, kSente);
  EXPECT_EQ(view.shown[0].first.topLeft(), QPoint(slot.x, slot.y));

  // A square to be drawn again by the view itself.
  view.shown.clear();
  InvalidateSquare(view, 55);
  ASSERT_EQ(view.shown.size(), 1u);
  EXPECT_EQ(view.shown[0].first, QRect(Square(55).left - 1, Square(55).top - 1, 38, 41));
  EXPECT_TRUE(view.shown[0].second);

  // A view without its image yet takes nothing and shows nothing.
  TestSurface none{QImage()};
  ShowLastMoveHighlight(none);
  RedrawCell(none, 55);
  DrawStandLabel(none, kSente);
  EXPECT_TRUE(none.shown.empty());
}

TEST_F(BoardDrawingTest, RectOutlineHasADoubleRightAndBottomEdge) {
  QImage img(20, 20, QImage::Format_RGB32);
  img.fill(Qt::white);
  {
    QPainter p(&img);
    p.setPen(Qt::black);
    DrawRectOutline(p, {2, 3, 12, 10});
  }
  for (auto [x, y] : {std::pair{2, 3}, {11, 3}, {2, 9}, {11, 9}, {6, 3}, {2, 6}, {12, 4}, {3, 10}, {12, 10}})
    EXPECT_EQ(img.pixel(x, y), kBlack) << x << "," << y;
  for (auto [x, y] : {std::pair{12, 3}, {2, 10}, {3, 4}, {10, 8}, {13, 6}, {6, 11}})
    EXPECT_EQ(img.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
}

TEST_F(BoardDrawingTest, DevicesWithoutPixelAccessGetTheSamePicture) {
  for (auto [style, kind, set] : {std::tuple{2, 0, 5}, std::tuple{1, 2, 0}}) {
    g_nLastMoveMark = uint8_t(style);
    g_nBoardKind = uint8_t(kind);
    g_nPieceSet = uint8_t(set);
    g_rgbLastPiece = EnvColor{255, 40, 255};
    CreateAppPalette();
    LoadBoardGrain();
    SetInitialBoard(g_Board);
    ShowMoves({MakeMoveCode(77, 76, 0, 0), MakeMoveCode(33, 34, 0, 0)});
    QImage direct = Render();
    QPicture picture;
    {
      QPainter p(&picture);
      DrawBoard(p);
      ShowLastMoveHighlight(p);
      ShowLastMoveFromHighlight(p);
    }
    QImage replayed(direct.size(), QImage::Format_RGB32);
    replayed.fill(Rgb(g_rgbBackground));
    {
      QPainter p(&replayed);
      picture.play(&p);
    }
    PixelRect r = Square(34);
    EXPECT_EQ(replayed.copy(r.left, r.top, r.Width(), r.Height()), direct.copy(r.left, r.top, r.Width(), r.Height()))
        << style;
    EXPECT_EQ(replayed.copy(Square(59).left, Square(59).top, 36, 39), direct.copy(Square(59).left, Square(59).top, 36, 39));
  }
}

}  // namespace
