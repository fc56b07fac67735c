// Hit testing of the board view for the three cell sizes, turned and not:
// squares against grid lines, gaps and margins, the filters of a game and of
// position editing, both stands' hand slots as they are drawn, the drop
// targets of editing, and the piece box.
#include "view/hit_test.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "record/board.h"
#include "record/record_reader.h"
#include "tests/support/position_loader.h"
#include "view/board_geometry.h"
#include "view/piece_images.h"

namespace {

struct SizeCase {
  CellSize cell;
  PixelPoint inCorner;  // three pixels into the square at the upper left
};

// The upper-left square starts at (3W+34, 16).
const SizeCase kSizes[] = {
    {{31, 32}, {130, 19}},
    {{36, 39}, {145, 19}},
    {{40, 45}, {157, 19}},
};

void PrintTo(const SizeCase& s, std::ostream* os) { *os << s.cell.w << "x" << s.cell.h; }

using Param = std::tuple<SizeCase, bool>;

std::string ParamName(const ::testing::TestParamInfo<Param>& info) {
  const SizeCase& s = std::get<0>(info.param);
  return std::to_string(s.cell.w) + "x" + std::to_string(s.cell.h) +
         (std::get<1>(info.param) ? "_flipped" : "");
}

PixelPoint Centre(const PixelRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class HitTest : public ::testing::TestWithParam<Param> {
 protected:
  CellSize c() const { return std::get<0>(GetParam()).cell; }
  bool flipped() const { return std::get<1>(GetParam()); }
  int bottom() const { return BottomSide(flipped()); }
  int top() const { return kSente - bottom(); }

  int Hit(PixelPoint p, int purpose = kHitMoveTarget, int side = kSente, int held = 0) const {
    return HitTestBoard(c(), flipped(), board_, p.x, purpose, side, p.y, held);
  }
  int HitSquare(int square, int purpose, int side = kSente, int held = 0) const {
    return Hit(Centre(SquareRect(c(), square, flipped())), purpose, side, held);
  }

  // Where the drawing puts copy `i` of a kind held by `side` (its top-left).
  PixelPoint CopyPos(int side, int kind, int i) const {
    bool lower = side == bottom();
    const uint8_t* hand = board_.hands[SideIndex(side)];
    PixelPoint at = HandSlotPos(c(), HandSlotNumber(hand, kind, lower), lower);
    return {at.x + i * HandCopyStep(c(), kind, hand[kind]), at.y};
  }
  PixelPoint SlotCentre(int slot, bool lower) const {
    PixelPoint at = HandSlotPos(c(), slot, lower);
    return {at.x + c().w / 2, at.y + c().h / 2};
  }

  BoardState board_ = SfenPosition("4k4/9/4s4/9/9/9/4P4/9/4K4 b -");
};

TEST_P(HitTest, SquaresLinesGapsAndEdges) {
  const int W = c().w, H = c().h;
  // An absolute point, so that the layout itself is pinned down.
  EXPECT_EQ(Hit(std::get<0>(GetParam()).inCorner), flipped() ? 19 : 91);

  // Around a square: its own pixels count but for the last column and row;
  // the gap and the grid line beyond do not.
  struct Near {
    const char* what;
    int dx, dy;                  // offsets from the square's left and top ...
    bool fromRight, fromBottom;  // ... or from its right and bottom (exclusive)
    bool hits;
  };
  const Near kNear[] = {
      {"top-left pixel", 0, 0, false, false, true},
      {"last pixels but one", -2, -2, true, true, true},
      {"last column", -1, 1, true, false, false},
      {"last row", 1, -1, false, true, false},
      {"gap left", -1, 5, false, false, false},
      {"grid line left", -2, 5, false, false, false},
      {"gap above", 5, -1, false, false, false},
      {"grid line above", 5, -2, false, false, false},
      {"gap right", 0, 5, true, false, false},
      {"grid line right", 1, 5, true, false, false},
      {"gap below", 5, 0, false, true, false},
      {"crossing", -2, -2, false, false, false},
  };
  for (int square : {11, 19, 55, 91, 99}) {
    PixelRect r = SquareRect(c(), square, flipped());
    for (const Near& n : kNear) {
      PixelPoint p{(n.fromRight ? r.right : r.left) + n.dx,
                   (n.fromBottom ? r.bottom : r.top) + n.dy};
      EXPECT_EQ(Hit(p), n.hits ? square : 0) << square << " " << n.what;
    }
  }

  PixelRect grid = GridBounds(c());
  int midX = Centre(grid).x;
  struct Outside {
    const char* what;
    PixelPoint p;
    int expected;
  };
  const Outside kOutside[] = {
      {"above the top line", {midX, 13}, kHitAbove},
      {"far above", {midX, -20}, kHitAbove},
      {"top line", {midX, 14}, 0},
      {"bottom line", {midX, grid.bottom - 1}, 0},
      {"below the board", {midX, grid.bottom + 3}, 0},
      {"left line", {grid.left, 5 * H}, 0},
      {"right line", {grid.right - 1, 5 * H}, 0},
      {"right of the board", {grid.right + 2, 5 * H}, 0},
      {"left of the board", {grid.left - 2, 5 * H}, 0},
      {"far right", {16 * W + 100, 5 * H}, 0},
  };
  for (const Outside& o : kOutside) EXPECT_EQ(Hit(o.p), o.expected) << o.what;
}

TEST_P(HitTest, EverySquareRoundTripsAndNoPixelStraysOut) {
  for (int square = 11; square <= 99; ++square) {
    if (!IsBoardSquare(square)) continue;
    ASSERT_EQ(HitSquare(square, kHitMoveTarget), square);
  }
  // Whatever pixel of the board names a square lies within that square.
  PixelRect b = BoardRect(c());
  for (int y = b.top; y < b.bottom; ++y) {
    for (int x = b.left; x < b.right; ++x) {
      int cell = Hit({x, y});
      if (cell == kHitAbove) {
        ASSERT_LT(y, 14) << x << "," << y;
      } else if (cell != 0) {
        ASSERT_TRUE(IsBoardSquare(cell)) << x << "," << y;
        ASSERT_TRUE(SquareRect(c(), cell, flipped()).Contains(x, y))
            << cell << " at " << x << "," << y;
      }
    }
  }
}

TEST_P(HitTest, BoardFiltersOfGameAndEditing) {
  // 51 second player's king, 53 its silver, 57 a first-player pawn, 59 the
  // first player's king, 55 empty.
  const int kHandPawn = HandCellOf(kSente, kPawn), kHandSilver = HandCellOf(kGote, kSilver);
  struct Case {
    int square, purpose, side, held, expected;
  };
  const Case kCases[] = {
      {57, kHitPickOwn, kSente, 0, 57},
      {57, kHitPickOwn, kGote, 0, 0},
      {53, kHitPickOwn, kGote, 0, 53},
      {55, kHitPickOwn, kSente, 0, 0},
      {55, kHitMoveTarget, kSente, 57, 55},
      {53, kHitMoveTarget, kSente, 57, 53},
      {51, kHitMoveTarget, kSente, 57, 51},
      {55, kHitPickAny, kSente, 0, 0},
      {53, kHitPickAny, kSente, 0, 53},
      {51, kHitPickAny, kSente, 0, 51},
      {59, kHitPickAny, kGote, 0, 59},
      // Editing: any held piece onto an empty square ...
      {55, kHitEditDrop, kSente, 57, 55},
      {55, kHitEditDrop, kSente, kKing, 55},
      {55, kHitEditDrop, kSente, kHandPawn, 55},
      // ... onto a piece only from the board, and never onto a king.
      {53, kHitEditDrop, kSente, 57, 53},
      {53, kHitEditDrop, kSente, 59, 53},
      {57, kHitEditDrop, kSente, 57, 57},
      {53, kHitEditDrop, kSente, kSilver, 0},
      {53, kHitEditDrop, kSente, kHandSilver, 0},
      {51, kHitEditDrop, kSente, 57, 0},
      {59, kHitEditDrop, kSente, 59, 0},
      {55, 7, kSente, 0, 0},
  };
  for (const Case& k : kCases)
    EXPECT_EQ(HitSquare(k.square, k.purpose, k.side, k.held), k.expected)
        << k.square << " purpose " << k.purpose << " side " << k.side << " held " << k.held;
}

TEST_P(HitTest, HandSlotsWithAndWithoutKinds) {
  struct Slot {
    int side, slot;
    int lowerKind, upperKind;  // what the slot shows on either stand, 0 nothing
  };
  struct Hands {
    const char* sfen;
    std::vector<Slot> cases;
  };
  // Pawns begin a row of their own: the left column below (an odd slot), the
  // left column above (an even slot, reading the stand from the other side);
  // two pawns or more spread over the row's other column.
  const Hands kHands[] = {
      {"4k4/9/9/9/9/9/9/9/4K4 b RBGSNL2Pbsp",
       {{kSente, 1, kRook, kRook},
        {kSente, 2, kBishop, kBishop},
        {kSente, 3, kGold, kGold},
        {kSente, 4, kSilver, kSilver},
        {kSente, 5, kKnight, kKnight},
        {kSente, 6, kLance, kLance},
        {kSente, 7, kPawn, kPawn},
        {kSente, 8, kPawn, kPawn},
        {kGote, 1, kBishop, kBishop},
        {kGote, 2, kSilver, kSilver},
        {kGote, 3, kPawn, 0},
        {kGote, 4, 0, kPawn},
        {kGote, 5, 0, 0},
        {kGote, 8, 0, 0}}},
      {"4k4/9/9/9/9/9/9/9/4K4 b R3P2p",
       {{kSente, 1, kRook, kRook},
        {kSente, 2, 0, 0},
        {kSente, 3, kPawn, kPawn},
        {kSente, 4, kPawn, kPawn},
        {kSente, 5, 0, 0},
        {kGote, 1, kPawn, kPawn},
        {kGote, 2, kPawn, kPawn},
        {kGote, 3, 0, 0}}},
      {"4k4/9/9/9/9/9/9/9/4K4 b G",
       {{kSente, 1, kGold, kGold}, {kSente, 2, 0, 0}, {kGote, 1, 0, 0}, {kGote, 2, 0, 0}}},
  };
  for (const Hands& h : kHands) {
    board_ = SfenPosition(h.sfen);
    for (const Slot& s : h.cases) {
      bool lower = s.side == bottom();
      int kind = lower ? s.lowerKind : s.upperKind;
      int cell = kind != 0 ? HandCellOf(s.side, kind) : 0;
      PixelPoint p = SlotCentre(s.slot, lower);
      std::string where = std::string(h.sfen) + (s.side == kSente ? " sente" : " gote") + " slot " +
                          std::to_string(s.slot);
      EXPECT_EQ(Hit(p, kHitPickAny, kSente), cell) << where;
      // In a game only the player's own stand.
      EXPECT_EQ(Hit(p, kHitPickOwn, s.side), cell) << where;
      EXPECT_EQ(Hit(p, kHitPickOwn, kSente - s.side), 0) << where;
      EXPECT_EQ(Hit(p, kHitMoveTarget, s.side), 0) << where;
    }
  }
}

TEST_P(HitTest, EveryDrawnHandPieceIsPicked) {
  // Each copy's centre and its top and bottom pixel rows, also of the lowest
  // row of the lower stand and of a long pawn row.
  for (const char* sfen : {"4k4/9/9/9/9/9/9/9/4K4 b RB2G2S2N2L9Prb2g2s2n2l9p",
                           "4k4/9/9/9/9/9/9/9/4K4 b 2R2B4G4S4N4L18P"}) {
    board_ = SfenPosition(sfen);
    for (int side : {kSente, kGote}) {
      for (int kind = kPawn; kind <= kRook; ++kind) {
        int count = board_.hands[SideIndex(side)][kind];
        for (int i = 0; i < count; ++i) {
          PixelPoint at = CopyPos(side, kind, i);
          int x = at.x + c().w / 2, cell = HandCellOf(side, kind);
          for (int y : {at.y, at.y + c().h / 2, at.y + c().h - 1})
            ASSERT_EQ(Hit({x, y}, kHitPickAny), cell)
                << sfen << " kind " << kind << " copy " << i << " at " << x << "," << y;
        }
      }
    }
  }
  // The right part of the second of two pawns lies over the row's other
  // column.
  board_ = SfenPosition("4k4/9/9/9/9/9/9/9/4K4 b 2P2p");
  for (int side : {kSente, kGote}) {
    PixelPoint second = CopyPos(side, kPawn, 1);
    EXPECT_EQ(Hit({second.x + c().w - 4, second.y + c().h / 2}, kHitPickAny),
              HandCellOf(side, kPawn))
        << side;
  }
}

TEST_P(HitTest, AroundTheStands) {
  const int W = c().w, H = c().h;
  board_ = SfenPosition("4k4/9/9/9/9/9/9/9/4K4 b RBGSNL2Prbgsnl2p");
  PixelRect lower = LowerStandRect(c());
  struct Case {
    const char* what;
    PixelPoint p;
    int expected;
  };
  const Case kCases[] = {
      {"lower stand's label", {HandSlotPos(c(), 1, true).x + 5, 5 * H + 41}, 0},
      {"lower stand's right edge", {lower.right - 1, Centre(lower).y}, 0},
      {"below the lower stand", {HandSlotPos(c(), 1, true).x + 5, lower.bottom + 5}, 0},
      {"information panel", Centre(InfoPanelRect(c())), 0},
      {"above the upper stand", {10, 4}, kHitAbove},
      {"upper stand's left edge", {2, Centre(UpperStandRect(c())).y}, 0},
      {"upper stand's label", {SlotCentre(1, false).x, 4 * H + 20}, 0},
      {"piece box", Centre(PieceBoxRect(c())), 0},
      {"between stand and board", {3 * W + 24, 2 * H}, 0},
  };
  for (const Case& k : kCases) {
    EXPECT_EQ(Hit(k.p, kHitPickAny), k.expected) << k.what;
    EXPECT_EQ(Hit(k.p, kHitPickOwn, bottom()), k.expected) << k.what;
  }
}

TEST_P(HitTest, DropTargetsOfEditing) {
  const int W = c().w, H = c().h;
  const int kLowerHand = HandCellOf(bottom(), kGold), kUpperHand = HandCellOf(top(), kGold);
  struct Target {
    const char* what;
    PixelPoint p;
  };
  // The stands' and the box's corners as the editor takes them.
  const Target kLower[] = {{"lower stand", Centre(LowerStandRect(c()))},
                           {"its upper left", {12 * W + 75, 5 * H + 29}},
                           {"its lower right", {15 * W + 90, 9 * H + 53}}};
  const Target kUpper[] = {{"upper stand", Centre(UpperStandRect(c()))},
                           {"its upper left", {1, 2}},
                           {"its lower right", {3 * W + 16, 4 * H + 26}}};
  const Target kBox[] = {{"piece box", Centre(PieceBoxRect(c()))},
                         {"its upper left", {1, 4 * H + 29}},
                         {"its lower right", {3 * W + 16, 9 * H + 53}}};
  const Target kNowhere[] = {{"left of the lower stand", {12 * W + 74, 7 * H}},
                             {"above the lower stand", {13 * W, 5 * H + 28}},
                             {"right of the lower stand", {15 * W + 91, 7 * H}},
                             {"below the lower stand", {13 * W, 9 * H + 54}},
                             {"upper stand's top row", {10, 1}},
                             {"between upper stand and box", {10, 4 * H + 27}},
                             {"right of the box", {3 * W + 17, 6 * H}},
                             {"below the box", {10, 9 * H + 54}},
                             {"left edge", {0, 6 * H}}};
  struct Held {
    const char* what;
    int cell;
    int lower, upper, box;
  };
  const Held kHeld[] = {
      {"a pawn from the board", 57, kHitLowerStand, kHitUpperStand, kHitPieceBox},
      {"a king from the board", 59, 0, 0, kHitPieceBox},
      {"a silver from the box", kSilver, kHitLowerStand, kHitUpperStand, 0},
      {"the box's king", kKing, 0, 0, 0},
      {"a gold from the lower stand", kLowerHand, 0, kHitUpperStand, kHitPieceBox},
      {"a gold from the upper stand", kUpperHand, kHitLowerStand, 0, kHitPieceBox},
  };
  for (const Held& h : kHeld) {
    for (const Target& t : kLower)
      EXPECT_EQ(Hit(t.p, kHitEditDrop, kSente, h.cell), h.lower) << h.what << " on " << t.what;
    for (const Target& t : kUpper)
      EXPECT_EQ(Hit(t.p, kHitEditDrop, kSente, h.cell), h.upper) << h.what << " on " << t.what;
    for (const Target& t : kBox)
      EXPECT_EQ(Hit(t.p, kHitEditDrop, kSente, h.cell), h.box) << h.what << " on " << t.what;
    for (const Target& t : kNowhere)
      EXPECT_EQ(Hit(t.p, kHitEditDrop, kSente, h.cell), 0) << h.what << " on " << t.what;
  }
}

TEST_P(HitTest, PieceBoxArea) {
  PixelRect box = PieceBoxRect(c());
  struct Case {
    PixelPoint p;
    bool inside;
  };
  // The area takes in the box's right and bottom shadow lines.
  const Case kCases[] = {
      {{box.left, box.top}, true},          {{box.right, box.bottom}, true},
      {{box.left - 1, box.top}, false},     {{box.left, box.top - 1}, false},
      {{box.right + 1, box.bottom}, false}, {{box.right, box.bottom + 1}, false},
      {Centre(UpperStandRect(c())), false},
  };
  for (const Case& k : kCases)
    EXPECT_EQ(IsInPieceBoxArea(c(), k.p.x, k.p.y), k.inside) << k.p.x << "," << k.p.y;
}

TEST_P(HitTest, PieceBoxSlots) {
  // Counts per kind 1..8 (index 0 unused).
  const int kFull[9] = {0, 18, 4, 4, 4, 4, 2, 2, 2};
  const int kFew[9] = {0, 1, 0, 0, 0, 0, 1, 0, 1};
  const int kTwoPawns[9] = {0, 2, 0, 0, 1, 0, 0, 0, 0};
  struct Case {
    const int* counts;
    int slot;  // box slot from 0
    int kind;
  };
  const Case kCases[] = {
      {kFull, 0, kKing},     {kFull, 1, kRook},     {kFull, 2, kBishop},     {kFull, 3, kGold},
      {kFull, 4, kSilver},   {kFull, 5, kKnight},   {kFull, 6, kLance},      {kFull, 7, 0},
      {kFull, 8, kPawn},     {kFull, 9, kPawn},     {kFew, 0, kKing},        {kFew, 1, kBishop},
      {kFew, 2, kPawn},      {kFew, 3, 0},          {kTwoPawns, 0, kSilver}, {kTwoPawns, 1, 0},
      {kTwoPawns, 2, kPawn}, {kTwoPawns, 3, kPawn},
  };
  for (const Case& k : kCases) {
    PixelPoint at = BoxSlotPos(c(), k.slot);
    EXPECT_EQ(HitTestPieceBox(c(), k.counts, at.x + c().w / 2, at.y + c().h / 2), k.kind) << k.slot;
  }

  // Every copy of a full box, at its centre and its top and bottom rows.
  for (int kind = kPawn; kind <= kKing; ++kind) {
    PixelPoint slot = BoxSlotPos(c(), BoxSlotNumber(kFull, kind));
    int step = HandCopyStep(c(), kind, kFull[kind]);
    for (int i = 0; i < kFull[kind]; ++i) {
      int x = slot.x + i * step + c().w / 2;
      for (int y : {slot.y, slot.y + c().h / 2, slot.y + c().h - 1})
        ASSERT_EQ(HitTestPieceBox(c(), kFull, x, y), kind) << "kind " << kind << " copy " << i;
    }
  }
  // The second of two pawns, right of the left column.
  PixelPoint pawns = BoxSlotPos(c(), BoxSlotNumber(kTwoPawns, kPawn));
  EXPECT_EQ(HitTestPieceBox(c(), kTwoPawns, pawns.x + 2 * c().w - 7, pawns.y + c().h / 2), kPawn);

  PixelRect box = PieceBoxRect(c());
  const PixelPoint kNothing[] = {
      {box.left + 1, Centre(box).y},                      // left of the left column
      {box.right - 1, Centre(box).y},                     // right of the right column
      {10, 4 * c().h + 39},                               // the label's row
      {10, box.bottom - 1},                               // below the last row
      {Centre(SquareRect(c(), 55, false)).x, 6 * c().h},  // the board
  };
  for (PixelPoint p : kNothing)
    EXPECT_EQ(HitTestPieceBox(c(), kFull, p.x, p.y), 0) << p.x << "," << p.y;
}

INSTANTIATE_TEST_SUITE_P(Sizes, HitTest,
                         ::testing::Combine(::testing::ValuesIn(kSizes), ::testing::Bool()),
                         ParamName);

// The short forms read the piece set's cell size, the flip and g_Board.
TEST(HitTestGlobals, FollowTheShownBoard) {
  g_nCellWidth = 36;
  g_nCellHeight = 39;
  g_bBoardFlipped = 1;
  g_Board = SfenPosition("4k4/9/9/9/9/9/9/9/4K4 b G2p");
  CellSize c{36, 39};
  PixelPoint sq = Centre(SquareRect(c, 51, true));
  EXPECT_EQ(HitTestBoard(sq.x, kHitPickOwn, kGote, sq.y, 0), 51);
  EXPECT_EQ(HitTestBoard(sq.x, kHitPickOwn, kSente, sq.y, 0), 0);
  // Turned, the second player's pawns are on the lower stand.
  PixelPoint slot = HandSlotPos(c, 1, true);
  EXPECT_EQ(HitTestBoard(slot.x + 10, kHitPickAny, kSente, slot.y + 10, 0),
            HandCellOf(kGote, kPawn));

  SlotCellList list;
  ListHandKinds(list, kSente);
  EXPECT_EQ(list, (SlotCellList{0, HandCellOf(kSente, kGold), 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  ListHandKinds(list, kGote);
  int pawn = HandCellOf(kGote, kPawn);
  EXPECT_EQ(list, (SlotCellList{0, pawn, pawn, 0, 0, 0, 0, 0, 0, 0, 0}));

  // The box holds what is on no square and in no hand: no king, 16 pawns.
  ListPieceBoxKinds(list);
  EXPECT_EQ(list,
            (SlotCellList{0, kRook, kBishop, kGold, kSilver, kKnight, kLance, kPawn, kPawn, 0, 0}));
  PixelPoint box = BoxSlotPos(c, 0);
  EXPECT_EQ(HitTestPieceBox(box.x + 10, box.y + 10), kRook);
  EXPECT_TRUE(IsInPieceBoxArea(box.x, box.y));
  g_bBoardFlipped = 0;
  g_nCellWidth = 31;
  g_nCellHeight = 32;
}

}  // namespace
