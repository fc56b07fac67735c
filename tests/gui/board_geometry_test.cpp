// The board view's layout for the three cell sizes, flipped and not.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "record/board.h"
#include "view/board_geometry.h"

namespace {

struct SizeCase {
  CellSize cell;
  PixelRect board, lower, upper, box, boxClear, info;
  PixelPoint sq91, sq19, sq55;
  int gridRight, gridBottom;  // last vertical and horizontal line
  PixelPoint star33, star66;
  PixelPoint file1, file9, file1Flipped, rank1, rank9, rank1Flipped;
  PixelPoint lowerSlot[4];  // slots 1, 2, 3, 5
  PixelPoint upperSlot[4];  // slots 1, 2, 4, 6
  PixelPoint boxSlot[4];    // slots 0, 1, 2, 8
  int slotWidth, pawnRowWidth;
  int steps[4];       // a non-pawn kind, 1..4 copies
  int pawnSteps[5];   // pawns: 1, 2, 3, 4 and 18 copies
  PixelPoint lowerLabel, upperLabel, boxLabel;
  int windowWidth;
};

const SizeCase kSizes[] = {
    {{31, 32}, {113, 2, 443, 341}, {447, 189, 555, 341}, {1, 2, 109, 154}, {1, 157, 109, 341},
     {1, 157, 110, 342}, {447, 2, 587, 186},
     {127, 16}, {399, 296}, {263, 156}, 431, 329, {227, 119}, {329, 224},
     {410, 3}, {138, 3}, {138, 329}, {431, 27}, {431, 307}, {113, 307},
     {{451, 204}, {500, 204}, {451, 238}, {451, 272}},
     {{54, 109}, {5, 109}, {5, 75}, {5, 41}},
     {{5, 170}, {54, 170}, {5, 204}, {5, 306}},
     52, 101, {0, 20, 10, 6}, {0, 28, 28, 24, 4}, {485, 190}, {39, 141}, {39, 158}, 598},
    {{36, 39}, {128, 2, 503, 404}, {507, 224, 630, 404}, {1, 2, 124, 182}, {1, 185, 124, 404},
     {1, 185, 125, 405}, {507, 2, 662, 221},
     {142, 16}, {454, 352}, {298, 184}, 491, 392, {257, 140}, {374, 266},
     {467, 3}, {155, 3}, {155, 392}, {491, 31}, {491, 367}, {128, 367},
     {{511, 239}, {567, 239}, {511, 280}, {511, 321}},
     {{61, 130}, {5, 130}, {5, 89}, {5, 48}},
     {{5, 198}, {61, 198}, {5, 239}, {5, 362}},
     59, 115, {0, 22, 11, 7}, {0, 33, 33, 27, 4}, {552, 225}, {46, 169}, {46, 186}, 673},
    {{40, 45}, {140, 2, 551, 458}, {555, 254, 690, 458}, {1, 2, 136, 206}, {1, 209, 136, 458},
     {1, 209, 137, 459}, {555, 2, 722, 251},
     {154, 16}, {498, 400}, {326, 208}, 539, 446, {281, 158}, {410, 302},
     {513, 3}, {169, 3}, {169, 446}, {539, 34}, {539, 418}, {140, 418},
     {{559, 269}, {621, 269}, {559, 316}, {559, 363}},
     {{67, 148}, {5, 148}, {5, 101}, {5, 54}},
     {{5, 222}, {67, 222}, {5, 269}, {5, 410}},
     65, 127, {0, 24, 12, 8}, {0, 37, 37, 29, 5}, {606, 255}, {52, 193}, {52, 210}, 733},
};

void PrintTo(const SizeCase& s, std::ostream* os) { *os << s.cell.w << "x" << s.cell.h; }

class BoardGeometrySizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(BoardGeometrySizes, AreasOfTheView) {
  const SizeCase& s = GetParam();
  CellSize c = s.cell;
  EXPECT_EQ(BoardRect(c), s.board);
  EXPECT_EQ(LowerStandRect(c), s.lower);
  EXPECT_EQ(UpperStandRect(c), s.upper);
  EXPECT_EQ(PieceBoxRect(c), s.box);
  EXPECT_EQ(PieceBoxClearRect(c), s.boxClear);
  EXPECT_EQ(InfoPanelRect(c), s.info);
  // The first player's stand is at the lower right unless the board is turned.
  EXPECT_EQ(StandRect(c, kSente, false), s.lower);
  EXPECT_EQ(StandRect(c, kGote, false), s.upper);
  EXPECT_EQ(StandRect(c, kSente, true), s.upper);
  EXPECT_EQ(StandRect(c, kGote, true), s.lower);
  EXPECT_EQ(StandLabelPos(c, true), s.lowerLabel);
  EXPECT_EQ(StandLabelPos(c, false), s.upperLabel);
  EXPECT_EQ(StandLabelBox(c, true), (PixelRect{s.lowerLabel.x, s.lowerLabel.y, s.lowerLabel.x + 27,
                                               s.lowerLabel.y + 13}));
  EXPECT_EQ(PieceBoxLabelPos(c), s.boxLabel);
  EXPECT_EQ(CalcBoardWindowWidth(c, 1.0), s.windowWidth);
}

TEST_P(BoardGeometrySizes, SquaresFlippedAndNot) {
  const SizeCase& s = GetParam();
  CellSize c = s.cell;
  EXPECT_EQ(SquareTopLeft(c, 91, false), s.sq91);
  EXPECT_EQ(SquareTopLeft(c, 19, false), s.sq19);
  EXPECT_EQ(SquareTopLeft(c, 55, false), s.sq55);
  // Turned, square (f, r) is shown where (10 - f, 10 - r) would be.
  EXPECT_EQ(SquareTopLeft(c, 19, true), s.sq91);
  EXPECT_EQ(SquareTopLeft(c, 91, true), s.sq19);
  EXPECT_EQ(SquareTopLeft(c, 55, true), s.sq55);
  EXPECT_EQ(SquareRect(c, 91, false), (PixelRect{s.sq91.x, s.sq91.y, s.sq91.x + c.w, s.sq91.y + c.h}));
  EXPECT_EQ(SquareFrameRect(c, 91, false),
            (PixelRect{s.sq91.x - 1, s.sq91.y - 1, s.sq91.x + c.w + 1, s.sq91.y + c.h + 1}));
  EXPECT_EQ(GridLineX(c, 9), s.gridRight);
  EXPECT_EQ(GridLineY(c, 9), s.gridBottom);
  EXPECT_EQ(GridBounds(c), (PixelRect{3 * c.w + 32, 14, s.gridRight + 1, s.gridBottom + 1}));
  // Every square has a one-pixel gap and then a grid line on each side.
  for (bool flipped : {false, true}) {
    for (int sq = 11; sq <= 99; ++sq) {
      if (sq % 10 == 0) continue;
      PixelRect r = SquareRect(c, sq, flipped);
      int col = flipped ? sq / 10 - 1 : 9 - sq / 10;
      int row = flipped ? 9 - sq % 10 : sq % 10 - 1;
      ASSERT_EQ(GridLineX(c, col), r.left - 2) << sq;
      ASSERT_EQ(GridLineX(c, col + 1), r.right + 1) << sq;
      ASSERT_EQ(GridLineY(c, row), r.top - 2) << sq;
      ASSERT_EQ(GridLineY(c, row + 1), r.bottom + 1) << sq;
    }
  }
}

TEST_P(BoardGeometrySizes, StarPointsAndCoordinates) {
  const SizeCase& s = GetParam();
  CellSize c = s.cell;
  EXPECT_EQ(GridCrossing(c, 3, 3), s.star33);
  EXPECT_EQ(GridCrossing(c, 6, 6), s.star66);
  EXPECT_EQ(FileDigitPos(c, 1, false), s.file1);
  EXPECT_EQ(FileDigitPos(c, 9, false), s.file9);
  EXPECT_EQ(FileDigitPos(c, 1, true), s.file1Flipped);
  EXPECT_EQ(RankNumeralPos(c, 1, false), s.rank1);
  EXPECT_EQ(RankNumeralPos(c, 9, false), s.rank9);
  EXPECT_EQ(RankNumeralPos(c, 1, true), s.rank1Flipped);
}

TEST_P(BoardGeometrySizes, HandAndBoxSlots) {
  const SizeCase& s = GetParam();
  CellSize c = s.cell;
  const int lowerSlots[] = {1, 2, 3, 5};
  const int upperSlots[] = {1, 2, 4, 6};
  const int boxSlots[] = {0, 1, 2, 8};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(HandSlotPos(c, lowerSlots[i], true), s.lowerSlot[i]) << lowerSlots[i];
    EXPECT_EQ(HandSlotPos(c, upperSlots[i], false), s.upperSlot[i]) << upperSlots[i];
    EXPECT_EQ(BoxSlotPos(c, boxSlots[i]), s.boxSlot[i]) << boxSlots[i];
  }
  EXPECT_EQ(HandSlotWidth(c, kRook), s.slotWidth);
  EXPECT_EQ(HandSlotWidth(c, kPawn), s.pawnRowWidth);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(HandCopyStep(c, kGold, n), s.steps[n - 1]) << n;
  const int pawnCounts[] = {1, 2, 3, 4, 18};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(HandCopyStep(c, kPawn, pawnCounts[i]), s.pawnSteps[i]);
  // Eighteen pawns stay inside the stand.
  EXPECT_LE(s.lowerSlot[0].x + 17 * s.pawnSteps[4] + c.w, s.lower.right);
}

INSTANTIATE_TEST_SUITE_P(CellSizes, BoardGeometrySizes, ::testing::ValuesIn(kSizes),
                         [](const auto& info) {
                           return std::to_string(info.param.cell.w) + "x" + std::to_string(info.param.cell.h);
                         });

TEST(BoardGeometry, StarPointTouchingASquare) {
  struct Case { int square; bool flipped; int star; } cases[] = {
      {33, false, 1}, {44, false, 1}, {36, false, 3}, {47, false, 3}, {63, false, 0},
      {74, false, 0}, {66, false, 2}, {77, false, 2}, {55, false, -1}, {32, false, -1},
      {35, false, -1}, {65, false, -1},
      // Turned, 33 is found through 110 - 33 = 77.
      {33, true, 2}, {77, true, 1}, {63, true, 3}, {36, true, 0},
  };
  for (const auto& t : cases)
    EXPECT_EQ(StarPointOfSquare(t.square, t.flipped), t.star) << t.square << " " << t.flipped;
  // The point found is a corner of the square, flipped or not.
  CellSize c{36, 39};
  for (bool flipped : {false, true}) {
    for (int sq : {33, 37, 64, 76}) {
      int i = StarPointOfSquare(sq, flipped);
      PixelPoint x = GridCrossing(c, kStarPointLines[i][0], kStarPointLines[i][1]);
      PixelRect r = SquareRect(c, sq, flipped);
      EXPECT_TRUE((x.x == r.left - 2 || x.x == r.right + 1) && (x.y == r.top - 2 || x.y == r.bottom + 1))
          << sq << " " << flipped;
    }
  }
}

TEST(BoardGeometry, HandSlotNumbers) {
  // hand[1..7]: pawn, lance, knight, silver, gold, bishop, rook.
  struct Case { uint8_t hand[8]; int kind; int lower; int upper; } cases[] = {
      {{0, 0, 0, 0, 0, 0, 0, 1}, kRook, 1, 1},
      {{0, 0, 0, 0, 0, 0, 1, 1}, kBishop, 2, 2},
      {{0, 1, 0, 0, 0, 0, 0, 0}, kPawn, 1, 2},    // pawns alone: a row of their own
      {{0, 5, 0, 0, 0, 0, 0, 1}, kPawn, 3, 4},    // after one kind
      {{0, 5, 0, 0, 0, 0, 1, 1}, kPawn, 3, 4},    // after a full row
      {{0, 5, 0, 0, 0, 1, 1, 1}, kPawn, 5, 6},
      {{0, 5, 1, 1, 1, 1, 1, 1}, kPawn, 7, 8},
      {{0, 0, 0, 0, 0, 0, 0, 0}, kGold, 1, 1},    // the kind asked counts even when not held
      {{0, 0, 0, 0, 0, 0, 2, 1}, kGold, 3, 3},
      {{0, 0, 1, 0, 1, 0, 0, 1}, kLance, 3, 3},
  };
  for (const auto& t : cases) {
    EXPECT_EQ(HandSlotNumber(t.hand, t.kind, true), t.lower) << t.kind;
    EXPECT_EQ(HandSlotNumber(t.hand, t.kind, false), t.upper) << t.kind;
  }
  // The pawn row begins at the left column on both stands.
  CellSize c{31, 32};
  for (const auto& t : cases) {
    if (t.kind != kPawn) continue;
    EXPECT_EQ(HandSlotPos(c, t.lower, true).x, 12 * c.w + 79);
    EXPECT_EQ(HandSlotPos(c, t.upper, false).x, 5);
  }
}

TEST(BoardGeometry, BoxSlotNumbers) {
  int all[9] = {0, 18, 4, 4, 4, 4, 2, 2, 2};
  int kingAndPawns[9] = {0, 3, 0, 0, 0, 0, 0, 0, 1};
  int pawnsOnly[9] = {0, 3, 0, 0, 0, 0, 0, 0, 0};
  const int order[] = {kKing, kRook, kBishop, kGold, kSilver, kKnight, kLance};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(BoxSlotNumber(all, order[i]), i) << order[i];
  EXPECT_EQ(BoxSlotNumber(all, kPawn), 8);  // slot 7 is odd: a fresh row
  EXPECT_EQ(BoxSlotNumber(kingAndPawns, kPawn), 2);
  EXPECT_EQ(BoxSlotNumber(pawnsOnly, kPawn), 0);
}

TEST(BoardGeometry, WindowWidthAndGrainAnchors) {
  EXPECT_EQ(CalcBoardWindowWidth({31, 32}, 2.0), 720);
  EXPECT_EQ(CalcBoardWindowWidth({40, 45}, 2.5), 733);
  EXPECT_EQ(CalcBoardWindowWidth({20, 20}, 1.0), 480);
  EXPECT_EQ(CalcBoardWindowWidth({20, 20}, 1.99), 480);
  for (CellSize c : {CellSize{31, 32}, CellSize{36, 39}, CellSize{40, 45}}) {
    PixelRect board = BoardRect(c);
    EXPECT_EQ(BoardGrainPixel(c, board.left, board.top), (PixelPoint{1, 3}));
    PixelRect lower = LowerStandRect(c);
    EXPECT_EQ(StandGrainPixel(c, lower.left, lower.left, lower.top), (PixelPoint{1, lower.top + 1}));
    // A slot of the lower stand takes the grain the whole stand shows there.
    EXPECT_EQ(StandGrainPixel(c, lower.left + 40, lower.left + 40, 300), (PixelPoint{41, 301}));
    PixelRect box = PieceBoxRect(c);
    EXPECT_EQ(StandGrainPixel(c, box.left, 20, box.top), (PixelPoint{20, box.top + 1}));
  }
}

}  // namespace
