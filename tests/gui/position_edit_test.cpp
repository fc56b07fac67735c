// Position editing: every origin, target and modifier of a drop as one
// table; entering editing in the middle of a record; the layout commands with
// the header items they empty; swapping sides and the side to move.
#include "view/position_edit.h"

#include <gtest/gtest.h>

#include <string>

#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/board.h"
#include "record/board_edit.h"
#include "record/header.h"
#include "record/record.h"
#include "settings/env.h"
#include "tests/support/position_loader.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/record_building.h"
#include "tests/support/recording_ui.h"

namespace {

const char* const kEven = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";
const char* const kHands = "4k4/9/9/9/9/9/9/9/4K4 b 2PG 1";
const char* const kKings = "4k4/9/9/9/9/9/9/9/4K4 b - 1";

std::string Normal(const char* sfen) { return BoardToSfen(SfenPosition(sfen)); }

TEST(EditDropTest, EveryOriginTargetAndModifier) {
  const int kBelow = kDropStandBelow, kAbove = kDropStandAbove, kBox = kDropBox;
  const int sentePawnHand = HandCellOf(kSente, kPawn), senteGoldHand = HandCellOf(kSente, kGold);
  struct Case {
    const char* start;
    int origin, target;
    bool ctrl, shift, flipped;
    const char* expected;  // nullptr: nothing changes
    int dropSquare;
  };
  const Case cases[] = {
      // From a square.
      {kEven, 77, 76, 0, 0, 0, "lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL b - 1", 76},
      {kEven, 77, 33, 0, 0, 0, "lnsgkgsnl/1r5b1/ppppppPpp/9/9/9/PP1PPPPPP/1B5R1/LNSGKGSNL b P 1", 33},
      {kEven, 88, 22, 0, 0, 0, "lnsgkgsnl/1r5B1/ppppppppp/9/9/9/PPPPPPPPP/7R1/LNSGKGSNL b B 1", 22},
      {kEven, 77, 77, 0, 0, 0, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PP1PPPPPP/1B5R1/LNSGKGSNL b P 1", 0},
      {kEven, 77, kBelow, 0, 0, 0, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PP1PPPPPP/1B5R1/LNSGKGSNL b P 1", 0},
      {kEven, 77, kBelow, 1, 0, 0, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/9/1B5R1/LNSGKGSNL b 9P 1", 0},
      {kEven, 77, kBelow, 1, 1, 0, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/9/9/4K4 b RB2G2S2N2L9P 1", 0},
      {kEven, 77, kAbove, 0, 0, 0, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PP1PPPPPP/1B5R1/LNSGKGSNL b p 1", 0},
      {kEven, 77, kBelow, 0, 0, 1, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PP1PPPPPP/1B5R1/LNSGKGSNL b p 1", 0},
      {kEven, 33, kBelow, 1, 0, 1, "lnsgkgsnl/1r5b1/9/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b 9p 1", 0},
      {kEven, 77, kBox, 0, 0, 0, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PP1PPPPPP/1B5R1/LNSGKGSNL b - 1", 0},
      {kEven, 59, kBelow, 0, 0, 0, nullptr, 0},
      {kEven, 55, 56, 0, 0, 0, nullptr, 0},
      // From a hand.
      {kHands, sentePawnHand, kAbove, 0, 0, 0, "4k4/9/9/9/9/9/9/9/4K4 b GPp 1", 0},
      {kHands, sentePawnHand, kAbove, 1, 0, 0, "4k4/9/9/9/9/9/9/9/4K4 b G2p 1", 0},
      {kHands, sentePawnHand, kAbove, 1, 1, 0, "4k4/9/9/9/9/9/9/9/4K4 b g2p 1", 0},
      {kHands, sentePawnHand, kBelow, 0, 0, 0, nullptr, 0},
      {kHands, sentePawnHand, 55, 0, 0, 0, "4k4/9/9/9/4P4/9/9/9/4K4 b GP 1", 55},
      {kHands, sentePawnHand, 41, 0, 0, 0, "4k+P3/9/9/9/9/9/9/9/4K4 b GP 1", 41},
      {kHands, sentePawnHand, 51, 0, 0, 0, "4+P4/9/9/9/9/9/9/9/4K4 b GP 1", 51},
      {kHands, senteGoldHand, kBox, 0, 0, 0, "4k4/9/9/9/9/9/9/9/4K4 b 2P 1", 0},
      // From the box (the bottom side is the first player's unless flipped).
      {kKings, kPawn, 55, 0, 0, 0, "4k4/9/9/9/4P4/9/9/9/4K4 b - 1", 55},
      {kKings, kPawn, 55, 0, 0, 1, "4k4/9/9/9/4p4/9/9/9/4K4 b - 1", 55},
      {kKings, kPawn, 19, 0, 0, 1, "4k4/9/9/9/9/9/9/9/4K3+p b - 1", 19},
      {kKings, kKnight, 12, 0, 0, 0, "4k4/8+N/9/9/9/9/9/9/4K4 b - 1", 12},
      {kKings, kPawn, kBelow, 0, 0, 0, "4k4/9/9/9/9/9/9/9/4K4 b P 1", 0},
      {kKings, kPawn, kBelow, 0, 0, 1, "4k4/9/9/9/9/9/9/9/4K4 b p 1", 0},
      {kKings, kKing, 55, 0, 0, 0, nullptr, 0},
      {kKings, kPawn, kBox, 0, 0, 0, nullptr, 0},
      {"9/9/9/9/9/9/9/9/4K4 b - 1", kKing, 55, 0, 0, 0, "9/9/9/9/4k4/9/9/9/4K4 b - 1", 55},
      {"4k4/9/9/9/9/9/9/9/9 b - 1", kKing, 55, 0, 0, 0, "4k4/9/9/9/4K4/9/9/9/9 b - 1", 55},
      {"9/9/9/9/9/9/9/9/9 b - 1", kKing, 55, 0, 0, 0, "9/9/9/9/4k4/9/9/9/9 b - 1", 55},
      {"9/9/9/9/9/9/9/9/9 b - 1", kKing, kBelow, 0, 0, 0, nullptr, 0},
      // A full kind has nothing in the box.
      {kEven, kPawn, 55, 0, 0, 0, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.start << " " << c.origin << "->" << c.target << " ctrl "
                                      << c.ctrl << " shift " << c.shift << " flipped " << c.flipped);
    BoardState b = SfenPosition(c.start);
    EditDropResult r = ApplyEditDrop(b, c.origin, c.target, c.ctrl, c.shift, c.flipped);
    IdentifyHandicap(b);
    EXPECT_EQ(r.changed, c.expected != nullptr);
    EXPECT_EQ(BoardToSfen(b), Normal(c.expected ? c.expected : c.start));
    EXPECT_EQ(r.dropSquare, c.dropSquare);
    EXPECT_EQ(DescribeBoardFault(b), "");
  }
}

TEST(EditDropTest, BoxListsTheFirstIdentityOfEachKindItHolds) {
  BoardState b = SfenPosition("4k4/9/9/9/9/9/9/9/9 b 17P 1");
  int pairs[8][2] = {};
  ASSERT_EQ(ListBoxPieceIds(b, pairs), 8);
  EXPECT_EQ(pairs[0][0], kKing);
  EXPECT_EQ(pairs[0][1], 39);  // the first player's king is off the board
  EXPECT_EQ(pairs[7][0], kPawn);
  EXPECT_EQ(pairs[7][1], 18);  // seventeen pawns are in a hand
  b = SfenPosition(kEven);
  EXPECT_EQ(ListBoxPieceIds(b, pairs), 0);
}

class PositionEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEnvDefaults();
    g_AppMode = kModeView;
    g_bEditing = 0;
    InitRecordPool(g_Record, 2000);
    SetInitialBoard(g_Board);
    g_StartBoard = g_Board;
    g_szRecordFolder = u"/records/";
    ClearUndoLabel();
  }
  void TearDown() override {
    g_bEditing = 0;
    FreeRecordPool(g_Record);
    ResetEnvDefaults();
  }
  PrivateHome home;
  CNarvoDoc doc;
  RecordingUi ui;
};

TEST_F(PositionEditTest, StartingMidRecordKeepsThatPositionAndItsComment) {
  const int cycle[4] = {39 | 38 << 8, 71 | 72 << 8, 38 | 39 << 8, 72 | 71 << 8};
  for (int i = 0; i < 29; ++i) AddMoveAndGo(cycle[i % 4]);
  AddMoveAndGo(77 | 76 << 8);
  ASSERT_EQ(AppendComment(g_Record, 30, u"ここから"), 0);
  AddMoveAndGo(33 | 34 << 8);
  StepBackTo(30);
  const BoardState at30 = g_Board;
  g_szRecordTitle = u"対局";
  g_szRecordFileName = u"対局.dovu";
  g_bConfirmSave = 0;
  g_bShowMoveListWnd = 1;
  SaveUndoPoint(u"棋譜の削除");
  doc.SetModifiedFlag(true);

  StartPositionEdit(nullptr);
  EXPECT_EQ(g_AppMode, kModeEdit);
  EXPECT_TRUE(g_bEditing);
  EXPECT_EQ(g_Record.moveNumber, 0);
  EXPECT_EQ(g_Record.current, g_Record.Root());
  EXPECT_EQ(g_Record.Root()->firstChild, nullptr);
  ASSERT_NE(g_Record.Root()->comment, nullptr);
  EXPECT_EQ(std::u16string(g_Record.Root()->comment), u"ここから\n");
  EXPECT_TRUE(SameBoardState(g_StartBoard, g_Board));
  EXPECT_EQ(BoardToSfen(g_StartBoard), BoardToSfen(at30));
  EXPECT_EQ(g_Record.changeCount, 0);
  EXPECT_EQ(g_szRecordTitle, u"新規棋譜");
  EXPECT_EQ(g_szRecordFilePath, u"/records/新規棋譜");
  EXPECT_FALSE(doc.IsModified());
  EXPECT_FALSE(g_bUndoPending);
  EXPECT_EQ(g_bShowMoveListWnd, 0);

  // The command again ends the edit: the move list comes back.
  StartPositionEdit(nullptr);
  EXPECT_EQ(g_AppMode, kModeView);
  EXPECT_FALSE(g_bEditing);
  EXPECT_EQ(g_bShowMoveListWnd, 1);
}

TEST_F(PositionEditTest, SaveQuestionFirstAndCancelStaysOut) {
  AddMoveAndGo(77 | 76 << 8);
  g_Record.changeCount = 1;
  g_bConfirmSave = 1;
  ui.answers = {kIdCancel};
  StartPositionEdit(nullptr);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, u"棋譜保存");
  EXPECT_EQ(g_AppMode, kModeView);
  EXPECT_NE(g_Record.Root()->firstChild, nullptr);
}

TEST_F(PositionEditTest, LayoutsEmptyTheirHeaderItems) {
  StartPositionEdit(nullptr);
  auto fill = [] {
    for (const HeaderItemInfo& item : g_HeaderItems) g_Record.header.*item.field = u"x";
  };
  fill();
  EditSetTsumeLayout(nullptr);
  EXPECT_EQ(g_Board.sideToMove, kSente);
  EXPECT_TRUE(SameBoardState(g_StartBoard, g_Board));
  EXPECT_EQ(g_Board.squares[51], kKing);
  EXPECT_EQ(g_Board.hands[0][kPawn], 18);
  for (auto f : {&RecordHeader::event, &RecordHeader::title, &RecordHeader::opening,
                 &RecordHeader::startTime, &RecordHeader::endTime, &RecordHeader::timeLimit,
                 &RecordHeader::timeUsed, &RecordHeader::place, &RecordHeader::publishedIn})
    EXPECT_EQ(g_Record.header.*f, u"");
  EXPECT_EQ(g_Record.header.author, u"x");

  fill();
  EditSetEvenLayout(nullptr);
  EXPECT_EQ(g_Board.handicap, 0);
  EXPECT_EQ(BoardToSfen(g_Board), Normal(kEven));
  for (auto f : {&RecordHeader::problemNumber, &RecordHeader::problemName, &RecordHeader::author,
                 &RecordHeader::magazine, &RecordHeader::publishedDate, &RecordHeader::source,
                 &RecordHeader::completeness, &RecordHeader::category, &RecordHeader::award,
                 &RecordHeader::moveCount, &RecordHeader::notes})
    EXPECT_EQ(g_Record.header.*f, u"");
  EXPECT_EQ(g_Record.header.event, u"x");

  EditAllToBox(nullptr);
  EXPECT_EQ(BoardToSfen(g_Board).substr(0, 17), "9/9/9/9/9/9/9/9/9");
  EditBoxToGoteHand(nullptr);
  EXPECT_EQ(g_Board.hands[0][0], 38);
  EXPECT_TRUE(SameBoardState(g_StartBoard, g_Board));
}

TEST_F(PositionEditTest, SwapSidesAndChangeTurn) {
  StartPositionEdit(nullptr);
  g_Board = SfenPosition("4k4/9/9/9/9/9/9/9/3GK4 b 2P 1");
  g_Record.header.firstPlayer = u"先手太郎";
  g_Record.header.secondPlayer = u"後手花子";
  g_Record.header.firstShortName = u"太";
  g_Record.header.secondShortName = u"花";
  EditSwapSides(nullptr);
  EXPECT_EQ(BoardToSfen(g_Board), Normal("4kg3/9/9/9/9/9/9/9/4K4 w 2p 1"));
  EXPECT_EQ(g_Record.header.firstPlayer, u"後手花子");
  EXPECT_EQ(g_Record.header.secondShortName, u"太");
  EXPECT_TRUE(SameBoardState(g_StartBoard, g_Board));
  EditChangeTurn(nullptr);
  EXPECT_EQ(g_Board.sideToMove, kSente);
  EXPECT_EQ(g_StartBoard.sideToMove, kSente);
}

}  // namespace

// ---- With the mouse -----------------------------------------------------------------------

#include <QTest>

#include "tests/support/board_view_fixture.h"
#include "view/key_state.h"

namespace {

Qt::KeyboardModifiers g_heldModifiers = Qt::NoModifier;

class PositionEditMouseTest : public BoardViewFixture {
 protected:
  void SetUp() override {
    SetUpView();
    saved_ = g_pQueryKeyboardModifiers;
    g_pQueryKeyboardModifiers = [] { return g_heldModifiers; };
    g_heldModifiers = Qt::NoModifier;
    g_bConfirmSave = 0;
    StartPositionEdit(view.get());
  }
  void TearDown() override {
    g_pQueryKeyboardModifiers = saved_;
    g_bEditing = 0;
    BoardViewFixture::TearDown();
  }
  QPoint At(int square) {
    const PixelPoint p = Centre(square);
    return QPoint(p.x, p.y);
  }
  QPoint StandOf(int side) {
    const PixelPoint slot = GetHandSlotPos(kPawn, side);
    const CellSize c = CurrentCellSize();
    return QPoint(slot.x + c.w / 2, slot.y + c.h / 2);
  }
  void Drag(QPoint from, QPoint to) {
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), view->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &move);
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, to);
  }
  KeyboardModifiersFunction saved_ = nullptr;
};

TEST_F(PositionEditMouseTest, DragsMovePiecesAndTheViewShowsThePosition) {
  ASSERT_EQ(g_AppMode, kModeEdit);
  Drag(At(77), At(55));
  EXPECT_EQ(g_Board.squares[55], kSenteBit | kPawn);
  EXPECT_EQ(view->m_nDropCell, 55);
  // Ctrl: every first-player pawn onto the first player's stand.
  g_heldModifiers = Qt::ControlModifier;
  Drag(At(27), StandOf(kSente));
  EXPECT_EQ(g_Board.hands[1][kPawn], 9);
  for (int file = 1; file <= 9; ++file) EXPECT_NE(g_Board.squares[file * 10 + 7], kSenteBit | kPawn);
  EXPECT_TRUE(SameBoardState(g_StartBoard, g_Board));
  EXPECT_EQ(g_AppMode, kModeEdit);
  EXPECT_EQ(Shown(), FreshPaint());
  Screen().save("/tmp/position_edit_view.png");
  // Nowhere to go: the warning and the piece back.
  g_heldModifiers = Qt::NoModifier;
  const BoardState before = g_Board;
  Drag(At(59), QPoint(2, 2));
  EXPECT_EQ(CompareBoardStates(g_Board, before), 0);
  EXPECT_EQ(ui.warnings, 1);
  EXPECT_EQ(Shown(), FreshPaint());
}

}  // namespace
