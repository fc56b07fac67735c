// The board view's mouse in a game: drag, click-click and a drop from the
// stand through real mouse events, each refusal, the promotion rule with
// Shift, Ctrl and the question, the right-click cancel, the declined
// overwrite, a move by keys alone; the move-entry dialog; trimming in print
// preview; the context menus by mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

#include <deque>
#include <string>
#include <vector>

#include "app/file_commands.h"
#include "app/main_frame.h"
#include "record/notation.h"
#include "record/rules.h"
#include "record/text.h"
#include "tests/support/board_view_fixture.h"
#include "tests/support/record_building.h"
#include "view/board_input.h"
#include "view/hit_test.h"
#include "view/key_state.h"
#include "view/mouse_input.h"
#include "view/navigation.h"

namespace {

constexpr int Key(int from, int to) { return from | to << 8; }

Qt::KeyboardModifiers g_mods = Qt::NoModifier;
std::deque<std::u16string> g_typed;

class MouseInputTest : public BoardViewFixture {
protected:
  void SetUp() override {
    BoardViewFixture::SetUp();
    savedModifiers = g_pQueryKeyboardModifiers;
    g_nAnimationSpeed = 3;
    g_mods = Qt::NoModifier;
    g_pQueryKeyboardModifiers = [] { return g_mods; };
    g_typed.clear();
    // A game that ends offers its save: Save As is cancelled.
    SetFileDialog([](CNarvoView*, FileDialogRequest&) { return FileDialogResult{}; });
    g_pAskTypedMove = [](std::u16string& text) {
      if (g_typed.empty()) return false;
      text = g_typed.front();
      g_typed.pop_front();
      return true;
    };
  }
  void TearDown() override {
    SetFileDialog(nullptr);
    g_pQueryKeyboardModifiers = savedModifiers;
    BoardViewFixture::TearDown();
  }

  QPoint At(int square) {
    const PixelPoint p = Centre(square);
    return QPoint(p.x, p.y);
  }
  // A move of the pointer as the window system reports it.
  void MoveTo(QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), view->mapToGlobal(QPointF(at)), Qt::NoButton,
                  buttons, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &e);
  }
  void Drag(QPoint from, QPoint to) {
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, from);
    MoveTo((from + to) / 2, Qt::LeftButton);
    MoveTo(to, Qt::LeftButton);
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, to);
  }
  void Click(QPoint at) { QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, at); }
  // The centre of the first copy of a hand kind.
  QPoint HandAt(int side, int kind) {
    const PixelPoint slot = GetHandSlotPos(kind, side);
    const CellSize c = CurrentCellSize();
    return QPoint(slot.x + c.w / 2, slot.y + c.h / 2);
  }
  KeyboardModifiersFunction savedModifiers = nullptr;
  static int CurrentKey() { return g_Record.moveNumber ? NodeMoveKey(*g_Record.current) : 0; }
  // The game goes on, nothing held, and the screen is the position.
  void ExpectSettled() {
    EXPECT_EQ(g_AppMode, kModeGame);
    EXPECT_EQ(g_nDragState, 0);
    EXPECT_FALSE(g_Lifted.shown);
    EXPECT_EQ(Shown(), FreshPaint());
    EXPECT_EQ(Screen(), FreshPaint());
  }
};

TEST_F(MouseInputTest, DragClickClickAndADropFromTheStandEnterMoves) {
  Drag(At(77), At(76));
  EXPECT_EQ(g_Record.moveNumber, 1);
  EXPECT_EQ(CurrentKey(), Key(77, 76));
  ExpectSettled();

  // Click-click: released on its own square, the piece stays held and
  // follows the pointer without a button.
  Click(At(33));
  EXPECT_EQ(g_AppMode, kModeGamePiece);
  EXPECT_EQ(g_nDragState, 2);
  EXPECT_TRUE(view->hasMouseTracking());
  MoveTo(At(34), Qt::NoButton);
  EXPECT_EQ(HitTestBoard(g_Lifted.at.x + 5, kHitMoveTarget, kGote, g_Lifted.at.y + 5, 0), 34);
  Click(At(34));
  EXPECT_EQ(CurrentKey(), Key(33, 34));
  MoveTo(At(44), Qt::NoButton);  // nothing held follows any more
  ExpectSettled();

  StartFrom(SfenPosition("4k4/9/9/9/9/9/9/9/4K4 b P"));
  Drag(HandAt(kSente, kPawn), At(55));
  EXPECT_EQ(CurrentKey(), Key(HandCellOf(kSente, kPawn), 55));
  EXPECT_EQ(g_Board.squares[55], kSenteBit | kPawn);
  EXPECT_EQ(g_Board.hands[1][kPawn], 0);
  ExpectSettled();
}

TEST_F(MouseInputTest, RefusedMovesSayWhyAndChangeNothing) {
  struct Case {
    const char* name;
    const char* sfen;  // null: the even position
    bool rules;
    int from, to;      // from 0: the first player's pawn in hand
    std::u16string status;
  } cases[] = {
      {"two pawns", "4k4/9/9/9/9/9/4P4/9/4K4 b P", true, 0, 54, u"二歩です。"},
      {"pawn drop mate", "8k/9/8G/9/9/9/9/9/4K2L1 b P", true, 0, 12, u" 打歩詰です。"},
      {"wrong move", nullptr, true, 77, 75, u"動きが正しくありません。"},
      {"own piece, rules off", nullptr, false, 88, 77, u"動きが正しくありません。"},
      {"a king, rules off", "4k4/4P4/9/9/9/9/9/9/4K4 b -", false, 52, 51, u"動きが正しくありません。"},
      {"drop on a piece, rules off", "4k4/9/4p4/9/9/9/9/9/4K4 b P", false, 0, 53,
       u"動きが正しくありません。"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    StartFrom(k.sfen ? SfenPosition(k.sfen) : SfenPosition(
        "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b -"));
    g_bCheckRules = k.rules;
    BoardState before;
    CopyBoardState(before, g_Board);
    const int warnings = ui.warnings;
    Drag(k.from ? At(k.from) : HandAt(kSente, kPawn), At(k.to));
    ASSERT_FALSE(ui.status.empty());
    EXPECT_EQ(ui.status.back(), k.status);
    EXPECT_EQ(ui.warnings, warnings + 1);
    EXPECT_EQ(g_Record.moveNumber, 0);
    EXPECT_EQ(g_Record.Root()->firstChild, nullptr);
    EXPECT_TRUE(SameBoardState(g_Board, before));
    ExpectSettled();
  }
  // Without rule checking any other move goes through unchecked.
  g_bCheckRules = 0;
  StartFrom(SfenPosition("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b -"));
  Drag(At(77), At(75));
  EXPECT_EQ(CurrentKey(), Key(77, 75));
}

TEST_F(MouseInputTest, PromotionFollowsShiftCtrlOrTheAnswer) {
  struct Case {
    const char* name;
    Qt::KeyboardModifiers mods;
    int answer;  // 0: no question expected
    int from, to;
    bool promoted;
  } cases[] = {
      {"Shift promotes", Qt::ShiftModifier, 0, 74, 73, true},
      {"Ctrl does not", Qt::ControlModifier, 0, 74, 73, false},
      {"asked, yes", Qt::NoModifier, kIdYes, 74, 73, true},
      {"asked, no", Qt::NoModifier, kIdNo, 74, 73, false},
      {"must promote, Ctrl held", Qt::ControlModifier, 0, 22, 21, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    StartFrom(SfenPosition("4k4/7P1/9/2S6/9/9/9/9/4K4 b -"));
    ui.boxes.clear();
    g_mods = k.mods;
    if (k.answer) ui.answers.push_back(k.answer);
    Drag(At(k.from), At(k.to));
    EXPECT_EQ(CurrentKey(), Key(k.from, k.to | (k.promoted ? 0x80 : 0)));
    EXPECT_EQ((g_Board.squares[k.to] & kPromotedBit) != 0, k.promoted);
    if (k.answer) {
      ASSERT_EQ(ui.boxes.size(), 1u);
      EXPECT_EQ(ui.boxes[0].text, u"▲７三銀(74)：成りますか？");
      EXPECT_EQ(ui.boxes[0].caption, u"成／不成選択");
      EXPECT_EQ(ui.boxes[0].flags & 0xF, kMbYesNo);
    } else {
      EXPECT_TRUE(ui.boxes.empty());
    }
    ExpectSettled();
  }
}

// While the promotion question is open the moving piece stands on its
// target and its origin is empty, however the view is painted meanwhile.
TEST_F(MouseInputTest, ThePieceStandsOnItsTargetDuringThePromotionQuestion) {
  StartFrom(SfenPosition("4k4/7P1/2p6/2S6/9/9/9/9/4K4 b -"));
  auto area = [](int square) {
    const PixelRect r = CellArea(square);
    return QRect(r.left, r.top, r.Width(), r.Height());
  };
  const QRect target = area(73), origin = area(74);
  const QImage before = view->grab().toImage();
  struct QuestionUi : RecordingUi {
    std::function<void()> during;
    int MessageBox(const std::u16string& text, const std::u16string& caption, int flags) override {
      if (during) during();
      return RecordingUi::MessageBox(text, caption, flags);
    }
  } question;
  QImage asked;
  // Something covers the view meanwhile: it is drawn anew from the position.
  question.during = [&] {
    view->InvalidateAll();
    asked = view->grab().toImage();
  };
  question.answers = {kIdNo};
  g_mods = Qt::NoModifier;
  Drag(At(74), At(73));
  ASSERT_EQ(question.boxes.size(), 1u);
  ASSERT_FALSE(asked.isNull());
  EXPECT_NE(asked.copy(target), before.copy(target)) << "the captured pawn still shows";
  EXPECT_NE(asked.copy(origin), before.copy(origin)) << "the silver is still on its origin";
  EXPECT_EQ(CurrentKey(), Key(74, 73));
}

TEST_F(MouseInputTest, RightClickPutsAHeldPieceBackWithoutAMenu) {
  for (bool clicked : {false, true}) {
    SCOPED_TRACE(clicked ? "click-click" : "while dragging");
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, At(77));
    if (clicked) QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, At(77));
    MoveTo(At(55), clicked ? Qt::NoButton : Qt::LeftButton);
    ASSERT_EQ(g_AppMode, kModeGamePiece);
    OnViewRButtonDown(view.get(), At(55).x(), At(55).y());
    EXPECT_TRUE(view->m_bContextHandled);
    EXPECT_FALSE(OnViewContextMenu(view.get(), QPoint()));
    OnViewRButtonUp(view.get());
    if (!clicked) QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, At(55));
    EXPECT_EQ(g_Record.moveNumber, 0);
    ExpectSettled();
  }
}

TEST_F(MouseInputTest, DeclinedOverwriteKeepsRecordAndBoardAndTheGameGoesOn) {
  AddMoveAndGo(Key(77, 76));
  GotoMoveNumberOnLine(0);
  g_Record.appendMode = 0;
  const int freeNodes = CountFreeNodes(g_Record);
  BoardState before;
  CopyBoardState(before, g_Board);
  ui.answers.push_back(kIdNo);
  Drag(At(27), At(26));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"棋譜を書き換えます。いいですか？");
  EXPECT_EQ(CountFreeNodes(g_Record), freeNodes);
  EXPECT_EQ(g_Record.moveNumber, 0);
  EXPECT_EQ(NodeMoveKey(*g_Record.Root()->firstChild), Key(77, 76));
  EXPECT_TRUE(SameBoardState(g_Board, before));
  ExpectSettled();
}

TEST_F(MouseInputTest, KeysAloneEnterAMove) {
  // Enter on the piece, the pointer up a square, Enter on the target.
  QCursor::setPos(view->mapToGlobal(At(77) + QPoint(4, -3)));
  ASSERT_EQ(view->mapFromGlobal(QCursor::pos()), At(77) + QPoint(4, -3));
  EXPECT_TRUE(OnViewKeyDown(view.get(), Qt::Key_Return, Qt::NoModifier, g_AppMode));
  EXPECT_EQ(g_AppMode, kModeGamePiece);
  EXPECT_EQ(g_nDragState, 2);
  EXPECT_TRUE(OnViewKeyDown(view.get(), Qt::Key_Up, Qt::NoModifier, g_AppMode));
  EXPECT_EQ(g_Lifted.at, SquareTopLeft(CurrentCellSize(), 76, false));
  EXPECT_TRUE(OnViewKeyDown(view.get(), Qt::Key_Return, Qt::NoModifier, g_AppMode));
  EXPECT_EQ(CurrentKey(), Key(77, 76));
  ExpectSettled();
  // Escape puts a piece picked by keys back.
  QCursor::setPos(view->mapToGlobal(At(33)));
  EXPECT_TRUE(OnViewKeyDown(view.get(), Qt::Key_Return, Qt::NoModifier, g_AppMode));
  EXPECT_EQ(g_AppMode, kModeGamePiece);
  EXPECT_TRUE(OnViewKeyDown(view.get(), Qt::Key_Escape, Qt::NoModifier, g_AppMode));
  EXPECT_EQ(g_Record.moveNumber, 1);
  ExpectSettled();
  // Shift+Enter opens the move-entry dialog.
  g_typed.push_back(u"3433");
  EXPECT_TRUE(OnViewKeyDown(view.get(), Qt::Key_Return, Qt::ShiftModifier, g_AppMode));
  EXPECT_EQ(CurrentKey(), Key(33, 34));
}

TEST_F(MouseInputTest, TypedMovesAreReadAndAlwaysChecked) {
  const std::u16string kCannotMove = u"エラー　動けません。";
  struct Case {
    const char* sfen;  // null: the even position
    bool rules;
    std::u16string text;
    int key;                // 0: refused
    std::u16string error;
  } cases[] = {
      {nullptr, true, u"7677", Key(77, 76), u""},
      {nullptr, true, u"7677x", Key(77, 76), u""},
      {nullptr, true, u"777", 0, kCannotMove},
      {nullptr, true, u"", 0, kCannotMove},
      {nullptr, true, u"0777", 0, kCannotMove},
      {nullptr, true, u"7a77", 0, kCannotMove},
      {nullptr, true, u"767a", 0, kCannotMove},
      {nullptr, true, u"7675", 0, kCannotMove},
      {nullptr, true, u"4241", 0, kCannotMove},  // the other side's piece
      {nullptr, true, u"7577", 0, u"ルール　エラー"},
      {nullptr, false, u"7577", 0, u"ルール　エラー"},
      {nullptr, true, u"57fu", 0, u"エラー  打てません。"},
      {nullptr, true, u"55fu", 0, u"エラー　駒がありません。"},
      {nullptr, true, u"55ou", 0, u"エラー　駒の名前が違います。「OU」"},
      {nullptr, true, u"55zz", 0, u"エラー　駒の名前が違います。「ZZ」"},
      {"4k4/9/9/2S6/9/9/9/9/4K4 b P", true, u"55FU", Key(HandCellOf(kSente, kPawn), 55), u""},
      {"4k4/9/9/2S6/9/9/9/9/4K4 w p", true, u"55fu", Key(HandCellOf(kGote, kPawn), 55), u""},
      {"4k4/9/9/2S6/9/9/9/9/4K4 b P", true, u"5fu", 0, kCannotMove},
      {"4k4/9/9/2S6/9/9/9/9/4K4 b -", true, u"7374n", Key(74, 73 | 0x80), u""},
      {"4k4/9/9/2S6/9/9/9/9/4K4 b -", true, u"7374", Key(74, 73), u""},
      {"4k4/9/9/2S6/9/9/9/9/4K4 b -", true, u"6574n", 0, u"ルール　エラー"},
      {"4k4/7P1/9/9/9/9/9/9/4K4 b -", true, u"2122", Key(22, 21 | 0x80), u""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << QString::fromStdU16String(k.text).toStdString());
    StartFrom(k.sfen ? SfenPosition(k.sfen)
                     : SfenPosition("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b -"));
    g_bCheckRules = k.rules;
    ui.boxes.clear();
    g_typed = {k.text};
    EnterMoveByDialog(view.get());
    if (k.key) {
      EXPECT_TRUE(ui.boxes.empty());
      EXPECT_EQ(CurrentKey(), k.key);
      EXPECT_EQ(g_AppMode, kModeGame);
    } else {
      ASSERT_EQ(ui.boxes.size(), 1u);
      EXPECT_EQ(ui.boxes[0].text, k.error);
      EXPECT_EQ(ui.boxes[0].caption, u"");  // the product title
      EXPECT_EQ(ui.boxes[0].flags, kMbOk | kMbIconError);
      EXPECT_EQ(g_Record.moveNumber, 0);
    }
  }
}

TEST_F(MouseInputTest, TheDialogAsksAgainAfterAnErrorAndKnowsItsWords) {
  // An error opens the dialog again; the next text is read.
  g_typed = {u"7675", u"7677"};
  EnterMoveByDialog(view.get());
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(CurrentKey(), Key(77, 76));
  g_typed = {u"RET"};
  EnterMoveByDialog(view.get());
  EXPECT_EQ(g_Record.moveNumber, 0);
  EXPECT_EQ(g_Record.Root()->firstChild, nullptr);
  g_typed = {u"7677", u"back"};
  EnterMoveByDialog(view.get());
  EnterMoveByDialog(view.get());
  EXPECT_EQ(g_Record.moveNumber, 0);
  EXPECT_TRUE(g_typed.empty());

  for (auto [word, end] : {std::pair{u"make", kEndResign}, std::pair{u"Quit", kEndSuspend}}) {
    StartFrom(SfenPosition("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b -"));
    g_AppMode = kModeGame;
    g_typed = {u"7677", word};
    EnterMoveByDialog(view.get());
    EnterMoveByDialog(view.get());
    const RecordNode* move = g_Record.Root()->firstChild;
    ASSERT_NE(move, nullptr);
    ASSERT_NE(move->firstChild, nullptr);
    EXPECT_EQ(NodeMoveKey(*move->firstChild), Key(kEndFrom, end));
    EXPECT_EQ(g_AppMode, kModeView);  // the game ended
  }
  // A declined overwrite: the game goes on.
  StartFrom(SfenPosition("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b -"));
  AddMoveAndGo(Key(77, 76));
  GotoMoveNumberOnLine(0);
  g_Record.appendMode = 0;
  g_AppMode = kModeGame;
  ui.answers.push_back(kIdNo);
  g_typed = {u"2627"};
  EnterMoveByDialog(view.get());
  EXPECT_EQ(g_AppMode, kModeGame);
  EXPECT_EQ(g_Record.moveNumber, 0);
}

TEST_F(MouseInputTest, TrimmingFollowsTheNearestEdgeAndKeepsTenPixels) {
  struct Case {
    const char* name;
    int rect[4];
    int x, y;
    int after[4];
    int cursor;
    bool takes = true;  // a part of the rectangle follows the point
  } cases[] = {
      {"top-left corner", {66, 77, 316, 329}, 60, 70, {60, 70, 316, 329}, Qt::SizeFDiagCursor},
      {"bottom-left corner", {66, 77, 316, 329}, 70, 320, {70, 77, 316, 320}, Qt::SizeBDiagCursor},
      {"bottom-right corner", {66, 77, 316, 329}, 320, 320, {66, 77, 320, 320}, Qt::SizeFDiagCursor},
      {"top-right corner", {66, 77, 316, 329}, 310, 80, {66, 80, 310, 329}, Qt::SizeBDiagCursor},
      {"left edge, 9 away", {66, 77, 316, 329}, 57, 200, {57, 77, 316, 329}, Qt::SizeHorCursor},
      {"left edge, 10 away", {66, 77, 316, 329}, 56, 200, {66, 77, 316, 329}, -1, false},
      {"right edge, 9 away", {66, 77, 316, 329}, 325, 200, {66, 77, 325, 329}, Qt::SizeHorCursor},
      {"right edge, 10 away", {66, 77, 316, 329}, 326, 200, {66, 77, 316, 329}, -1, false},
      {"top edge, 9 away", {66, 77, 316, 329}, 150, 68, {66, 68, 316, 329}, Qt::SizeVerCursor},
      {"top edge, 10 away", {66, 77, 316, 329}, 150, 67, {66, 77, 316, 329}, -1, false},
      {"bottom edge, 9 away", {66, 77, 316, 329}, 150, 338, {66, 77, 316, 338}, Qt::SizeVerCursor},
      {"bottom edge, 10 away", {66, 77, 316, 329}, 150, 339, {66, 77, 316, 329}, -1, false},
      {"inside, near the centre", {66, 77, 316, 329}, 200, 210, {75, 84, 325, 336}, Qt::SizeAllCursor},
      {"inside, far from the centre", {66, 77, 316, 329}, 100, 300, {-25, 174, 225, 426}, -1},
      {"outside", {66, 77, 316, 329}, 400, 400, {66, 77, 316, 329}, -1, false},
      {"left edge stops 10 short", {100, 100, 112, 200}, 105, 150, {102, 100, 112, 200}, Qt::SizeHorCursor},
      {"top edge stops 10 short", {100, 100, 200, 112}, 150, 106, {100, 102, 200, 112}, Qt::SizeVerCursor},
      {"corner stops 10 short", {100, 100, 112, 112}, 105, 105, {102, 102, 112, 112}, Qt::SizeFDiagCursor},
  };
  g_AppMode = kModePreview;
  g_bImageTrim = 1;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(TrimCursorShape(k.rect, k.x, k.y), k.cursor);
    std::copy_n(k.rect, 4, g_rcImageTrim);
    view->setCursor(Qt::ArrowCursor);
    OnViewMouseMove(view.get(), k.x, k.y);
    EXPECT_EQ(view->cursor().shape(), k.cursor < 0 ? Qt::ArrowCursor : Qt::CursorShape(k.cursor));
    g_bTrimDragging = 0;
    OnViewLButtonDown(view.get(), k.x, k.y);
    EXPECT_TRUE(std::equal(k.after, k.after + 4, g_rcImageTrim))
        << g_rcImageTrim[0] << " " << g_rcImageTrim[1] << " " << g_rcImageTrim[2] << " "
        << g_rcImageTrim[3];
    EXPECT_EQ(g_bTrimDragging, k.takes);
    ASSERT_FALSE(ui.status.empty());
    EXPECT_EQ(ui.status.back(), FormatU16(u"トリミング　幅=%d 高さ=%d", k.after[2] - k.after[0],
                                          k.after[3] - k.after[1]));
    OnViewLButtonUp(view.get(), k.x, k.y);
    EXPECT_EQ(g_bTrimDragging, 0);
  }
  // A drag carries the edge along, no nearer than 10 pixels to the other.
  const int start[4] = {66, 77, 316, 329};
  std::copy_n(start, 4, g_rcImageTrim);
  OnViewLButtonDown(view.get(), 66, 200);
  for (int x = 70; x <= 330; x += 4) OnViewMouseMove(view.get(), x, 200);
  EXPECT_EQ(g_rcImageTrim[0], 306);
  OnViewLButtonUp(view.get(), 330, 200);
  // Trimming off: the press moves nothing.
  g_bImageTrim = 0;
  OnViewLButtonDown(view.get(), 200, 210);
  EXPECT_EQ(g_rcImageTrim[0], 306);
}

TEST_F(MouseInputTest, EditingPicksAnythingAndHandsTheDropOver) {
  g_AppMode = kModeEdit;
  Drag(At(33), At(55));
  EXPECT_EQ(g_Board.squares[55], kPawn);
  EXPECT_EQ(g_AppMode, kModeEdit);
  EXPECT_EQ(g_nDragState, 0);
  EXPECT_EQ(Shown(), FreshPaint());
  // A right click on a square changes the piece's state.
  OnViewRButtonDown(view.get(), At(77).x(), At(77).y());
  EXPECT_EQ(g_Board.squares[77], kSenteBit | kPawn | kPromotedBit);
  EXPECT_EQ(g_StartBoard.squares[77], kSenteBit | kPawn | kPromotedBit);
  EXPECT_TRUE(view->m_bContextHandled);
  EXPECT_EQ(Shown(), FreshPaint());
  OnViewRButtonUp(view.get());
  // On an empty square nothing changes and the menu is shown.
  OnViewRButtonDown(view.get(), At(54).x(), At(54).y());
  EXPECT_FALSE(view->m_bContextHandled);
}

// ---- In the main frame ---------------------------------------------------------------

// The view inside a whole frame, for what needs the frame's own commands.
class MouseInputInFrame : public ::testing::Test {
protected:
  void SetUp() override {
    ResetEnvDefaults();
    savedEnvFolder = g_szEnvFolder;
    g_szEnvFolder = home.Path().toStdU16String() + u"/";
    g_AppMode = kModeView;
    InitRecordPool(g_Record, 100);
    SetInitialBoard(g_Board);
    CopyBoardState(g_StartBoard, g_Board);
    frame = std::make_unique<CMainFrame>();
    view = frame->View();
    view->resize(CalcBoardWindowWidth(CurrentCellSize(), 1.0), 9 * CurrentCellSize().h + 70);
  }
  void TearDown() override {
    frame.reset();
    FreeRecordPool(g_Record);
    g_szEnvFolder = savedEnvFolder;
    g_AppMode = kModeView;
    g_bImageTrim = 0;
  }
  void MoveTo(QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), view->mapToGlobal(QPointF(at)), Qt::NoButton,
                  buttons, Qt::NoModifier);
    QApplication::sendEvent(view, &e);
  }
  PrivateHome home;
  RecordingUi ui;
  std::u16string savedEnvFolder;
  std::unique_ptr<CMainFrame> frame;
  CNarvoView* view = nullptr;
};

// The trim cursors belong to the rectangle's edges and centre in print
// preview: anywhere else, and on the board once the preview is left, the
// pointer is the arrow again.
TEST_F(MouseInputInFrame, TheTrimCursorShowsOnlyOverTheRectangle) {
  frame->EnterPrintPreview();
  ASSERT_EQ(g_AppMode, kModePreview);
  g_bImageTrim = 1;
  const int rect[4] = {60, 60, 200, 200};
  std::copy_n(rect, 4, g_rcImageTrim);
  auto hover = [&](QPoint page) { MoveTo(page - view->PreviewScroll(), Qt::NoButton); };
  const struct {
    const char* name;
    QPoint page;
    Qt::CursorShape shape;
  } hovers[] = {
      {"on the left edge", {60, 130}, Qt::SizeHorCursor},
      {"outside", {20, 130}, Qt::ArrowCursor},
      {"on a corner", {200, 200}, Qt::SizeFDiagCursor},
      {"inside, far from the centre", {80, 180}, Qt::ArrowCursor},
      {"on the top edge", {130, 60}, Qt::SizeVerCursor},
      {"near the centre", {130, 130}, Qt::SizeAllCursor},
      {"outside again", {260, 260}, Qt::ArrowCursor},
  };
  for (const auto& k : hovers) {
    SCOPED_TRACE(k.name);
    hover(k.page);
    EXPECT_EQ(view->cursor().shape(), k.shape);
  }
  // A drag that outruns the edge keeps its cursor while the button is held.
  const QPoint edge = QPoint(60, 130) - view->PreviewScroll();
  MoveTo(edge, Qt::NoButton);
  QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, edge);
  MoveTo(edge - QPoint(40, 0), Qt::LeftButton);
  EXPECT_EQ(view->cursor().shape(), Qt::SizeHorCursor);
  QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, edge - QPoint(40, 0));
  hover({20, 130});
  EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
  // Trimming turned off takes the cursor along.
  hover({60, 130});
  ASSERT_EQ(view->cursor().shape(), Qt::SizeHorCursor);
  g_bImageTrim = 0;
  hover({62, 130});
  EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
  // And so does leaving the preview: on the board it is the arrow.
  g_bImageTrim = 1;
  hover({60, 130});
  ASSERT_EQ(view->cursor().shape(), Qt::SizeHorCursor);
  frame->LeavePrintPreview();
  ASSERT_EQ(g_AppMode, kModeView);
  MoveTo(QPoint(100, 100), Qt::NoButton);
  EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
}

// ---- Context menus -------------------------------------------------------------------

std::vector<int> g_menuIds;

TEST_F(MouseInputInFrame, EachModeHasItsMenuAndAHandledRightClickNone) {
  static QStringList texts;
  g_pShowPopupMenu = [](QMenu& menu, QPoint) {
    g_menuIds.clear();
    texts.clear();
    for (QAction* a : menu.actions()) {
      g_menuIds.push_back(a->isSeparator() ? 0 : a->data().toInt());
      texts << a->text();
    }
  };
  const std::vector<int> none;
  const struct {
    int mode;
    std::vector<int> ids;
  } cases[] = {
      {kModeGame, {kCmdSuspend, kCmdResign, kCmdEndInput, kCmdTakeBack, kCmdSuspendAndMail}},
      {kModeGamePiece, none},
      {kModeEdit,
       {kCmdPositionEdit, 0, kCmdEditEvenLayout, kCmdEditTsumeLayout, kCmdEditAllToBox,
        kCmdEditBoxToGoteHand, kCmdEditSwapSides, kCmdEditChangeTurn}},
      {kModeEditPiece, none},
      {kModeView, {kCmdContextPositionPreview, kCmdPositionEdit, kCmdJumpToSiori, kCmdRegisterSiori}},
      {kModePreview, {kCmdSaveImageAs, kCmdSaveImageNamed, kCmdCopyBitmap}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.mode);
    g_AppMode = k.mode;
    g_menuIds = {-1};
    view->m_bContextHandled = false;
    EXPECT_EQ(OnViewContextMenu(view, QPoint(10, 10)), !k.ids.empty());
    EXPECT_EQ(g_menuIds, k.ids.empty() ? std::vector<int>{-1} : k.ids);
    if (k.mode == kModePreview) {
      ASSERT_FALSE(texts.isEmpty());
      EXPECT_EQ(texts[0], QString::fromUtf16(u"名前を付けて画像を保存(&G)..."));
    }
  }
  // The game's items keep their rules: 投了 and the take-back as the game
  // stands.
  g_AppMode = kModeGame;
  OnViewContextMenu(view, QPoint(10, 10));
  EXPECT_FALSE(frame->ActionFor(kCmdTakeBack)->isEnabled());
  g_pShowPopupMenu = [](QMenu& menu, QPoint globalPos) { menu.exec(globalPos); };
  g_AppMode = kModeView;
}

}  // namespace
