// The move-list, variation and comment windows over a small record with an
// alternative, comments, a bookmark and times: rows, colours, scrolling,
// clicks, context menus, visibility by mode, placements and keys.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTemporaryDir>
#include <QTextDocument>

#include <memory>
#include <string>
#include <vector>

#include "app/command_table.h"
#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/undo.h"
#include "record/board.h"
#include "record/record.h"
#include "record/record_writer.h"
#include "record/rules.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/record_building.h"
#include "tests/support/recording_ui.h"
#include "view/branch_wnd.h"
#include "view/comment_wnd.h"
#include "view/move_list_wnd.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/navigation.h"
#include "view/piece_images.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Key(int from, int to) { return from | to << 8; }
const int k76 = Key(77, 76), k34 = Key(33, 34), k26 = Key(27, 26), k84 = Key(83, 84),
          k25 = Key(26, 25);
const int kMate = Key(1, kEndMate), kResign = Key(1, kEndResign);

// What the windows asked of the record dialogs.
std::vector<std::string> g_calls;

std::vector<std::u16string> Texts(const std::vector<DovuRow>& rows) {
  std::vector<std::u16string> t;
  for (const DovuRow& r : rows) t.push_back(r.text);
  return t;
}

QStringList MenuTexts(QMenu* menu) {
  QStringList t;
  for (QAction* a : menu->actions()) t << (a->isSeparator() ? u"-"_s : a->text());
  return t;
}

QAction* MenuItem(QMenu* menu, const QString& prefix) {
  for (QAction* a : menu->actions())
    if (a->text().startsWith(prefix)) return a;
  return nullptr;
}

class CompanionTest : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    g_AppMode = kModeView;
    g_nReplayPaused = 0;
    g_bEditDialogOpen = 0;
    g_nScreenColors = 16777216;
    CreateAppPalette();
    LoadPieceBitmaps();
    InitRecordPool(g_Record, 200);
    g_Record.appendMode = 1;
    SetInitialBoard(g_Board);
    CopyBoardState(g_StartBoard, g_Board);
    g_calls.clear();
    saved = g_CompanionCommands;
    g_CompanionCommands = {
        [](CNarvoView*, int n) { g_calls.push_back("comment " + std::to_string(n)); },
        [](CNarvoView*, int n) { g_calls.push_back("time " + std::to_string(n)); },
        [](CNarvoView*) { g_calls.push_back("delete comment"); },
        [](CNarvoView*) { g_calls.push_back("font"); },
    };
    savedSleep = g_pReplaySleep;
    g_pReplaySleep = [](int ms) { g_calls.push_back("sleep " + std::to_string(ms)); };
    view = std::make_unique<CNarvoView>();
    view->resize(500, 400);
  }
  void TearDown() override {
    delete g_pMoveListWnd;
    delete g_pBranchWnd;
    delete g_pCommentWnd;
    g_CompanionCommands = saved;
    g_pReplaySleep = savedSleep;
    view.reset();
    FreeRecordPool(g_Record);
    FreePieceBitmaps();
    DeleteAppPalette();
  }

  // 1.76 (seconds 5) 2.34 (62, alternative 2.84 with a bookmark and 3.26)
  // 3.26 4.84 5.25 詰み; a comment at the start and at move 2, a bookmark "序盤"
  // at move 1. The position goes back to the start.
  static void BuildRecord() {
    for (int key : {k76, k34, k26, k84, k25, kMate}) AddMoveAndGo(key);
    GotoMoveNumberOnLine(1);
    for (int key : {k84, k26}) AddMoveAndGo(key);
    GotoMoveNumberOnLine(0);
    int seconds[] = {5, 62, 70, 3600, 1};
    for (int i = 0; i < 5; ++i) GetNodeAtMove(i + 1)->seconds = uint16_t(seconds[i]);
    AppendComment(g_Record, 0, u"開始");
    AppendComment(g_Record, 2, u"a\nb");
    SetBookmark(g_Record, NodeIndex(g_Record, GetNodeAtMove(1)), u"序盤");
    SetBookmark(g_Record, NodeIndex(g_Record, Alternative()), u"横歩");
    g_Record.changeCount = 0;
  }
  // 2.84, wherever it stands among the children of move 1.
  static RecordNode* Alternative() {
    for (RecordNode* n = GetNodeAtMove(1)->firstChild; n; n = n->nextSibling)
      if (NodeMoveKey(*n) == k84) return n;
    return nullptr;
  }

  // The move list with room for `rows` rows.
  CDovuWnd* MoveList(int rows = 12) {
    CreateDovuWnd(nullptr);
    g_pMoveListWnd->resize(400, rows * g_pMoveListWnd->RowHeight());
    g_pMoveListWnd->UpdateScroll();
    return g_pMoveListWnd;
  }
  QPoint RowPoint(int row, int column = 1) const {
    const int w = g_pMoveListWnd->AveCharWidth();
    const int x = column == 1 ? 5 * w : 14 * w + (column - 2) * 10 * w + w;
    return QPoint(x, row * g_pMoveListWnd->RowHeight() + 1);
  }

  RecordingUi ui;
  std::unique_ptr<CNarvoView> view;
  CompanionCommands saved{};
  ReplaySleepFunction savedSleep = nullptr;
};

// ---- Move list: rows, colours, title ------------------------------------------------------

TEST_F(CompanionTest, MoveListRowsInBothForms) {
  BuildRecord();
  g_bShowSioriNames = 0;
  EXPECT_EQ(Texts(BuildDovuRows(0, 10, 0, g_Record)),
            (std::vector<std::u16string>{
                u" ==*開始局面 ==       消費時間(1手/累積)",
                u"  1 ７六歩&           00:05 / 00:00:05",
                u"  2*３四歩+           01:02 / 00:01:02",
                u"  3 ２六歩            01:10 / 00:01:15",
                u"  4 ８四歩            60:00 / 01:01:02",
                u"  5 ２五歩            00:01 / 00:01:16",
                u"  6 詰み              00:00 / 01:01:02",
            }));
  EXPECT_EQ(Texts(BuildDovuRows(1, 3, 1, g_Record)),
            (std::vector<std::u16string>{
                u"  1 ７六歩&    ",
                u"  2*３四歩+    ８四歩+&  ",
                u"  3 ２六歩     ",
            }));
  // Bookmark names in the branch form: the name follows the mark.
  g_bShowSioriNames = 1;
  SetBookmark(g_Record, 0, u"初形");
  EXPECT_EQ(Texts(BuildDovuRows(0, 3, 1, g_Record)),
            (std::vector<std::u16string>{
                u" ==*開始局面&初形==  分岐                    ",
                u"  1 ７六歩&序盤 ",
                u"  2*３四歩+    ８四歩+&横歩",
            }));
  g_bShowSioriNames = 0;
  EXPECT_EQ(BuildDovuRows(0, 1, 1, g_Record)[0].text,
            u" ==*開始局面&==  分岐                    ");
  EXPECT_EQ(BuildDovuRows(0, 1, 0, g_Record)[0].text,
            u" ==*開始局面&==       消費時間(1手/累積)");
  DeleteBookmarkOfNode(0, g_Record);
  FreeNodeComment(g_Record, g_Record.Root());
  EXPECT_EQ(BuildDovuRows(0, 1, 1, g_Record)[0].text,
            u" == 開始局面 ==  分岐                    ");
  // Past the line's end nothing more; a first row beyond the end (a scroll
  // position kept from a longer line) shows the last row.
  EXPECT_EQ(BuildDovuRows(6, 5, 0, g_Record).size(), 1u);
  for (int form : {0, 1}) {
    const std::vector<DovuRow> rows = BuildDovuRows(40, 5, form, g_Record);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].number, 6);
  }
}

// No fixed row buffer: a move with 40 alternatives lists all of them.
TEST_F(CompanionTest, BranchRowHoldsEveryAlternative) {
  AddMoveAndGo(k76);
  GotoMoveNumberOnLine(0);
  // 39 more first moves from 9九 to files 1-8, ranks 4-8: texts without 不成.
  int added = 0;
  for (int file = 1; file <= 8 && added < 39; ++file)
    for (int rank = 4; rank <= 8 && added < 39; ++rank, ++added) {
      ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, Key(99, file * 10 + rank), 0), 0);
      g_Record.current = g_Record.Root();
    }
  const std::u16string row = BuildDovuRows(1, 1, 1, g_Record)[0].text;
  EXPECT_EQ(DisplayWidth(row), 4 + 10 + 1 + 39 * 10);
  EXPECT_EQ(row.substr(row.size() - 7), u"８七香+   ");  // the 39th, last
}

TEST_F(CompanionTest, MoveNumbersFromAThousandShowThreeDigits) {
  ASSERT_EQ(InitRecordPool(g_Record, 1300), 0);
  const int shuffle[4] = {Key(28, 38), Key(82, 72), Key(38, 28), Key(72, 82)};
  for (int i = 0; i < 1200; ++i)
    ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, shuffle[i % 4], 1), 0);
  g_Record.moveNumber = 1200;
  std::vector<DovuRow> rows = BuildDovuRows(999, 3, 0, g_Record);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].text.substr(0, 4), u"999 ");
  EXPECT_EQ(rows[1].text.substr(0, 4), u"000 ");
  EXPECT_EQ(rows[2].text.substr(0, 4), u"001 ");
}

TEST_F(CompanionTest, RowColoursFollowTheCurrentMoveAndVariations) {
  BuildRecord();
  const EnvColor white{255, 255, 255}, yellow{255, 255, 0}, grey{224, 224, 224},
      darkYellow{240, 240, 0};
  auto colours = [](int form) {
    std::vector<EnvColor> c;
    for (const DovuRow& r : BuildDovuRows(0, 10, form, g_Record)) c.push_back(r.background);
    return c;
  };
  EXPECT_EQ(colours(0), (std::vector<EnvColor>{yellow, white, white, white, white, white, white}));
  GotoMoveNumberInBranch(view.get(), 2, 1);  // into 2.84
  EXPECT_EQ(colours(0), (std::vector<EnvColor>{white, white, darkYellow, grey}));
  // A display of 256 colours shows the current row undarkened.
  g_nScreenColors = 256;
  EXPECT_EQ(colours(0)[2], yellow);
  // The branch form colours the whole line when its first shown move is off the main line.
  std::vector<DovuRow> rows = BuildDovuRows(2, 2, 1, g_Record);
  EXPECT_EQ(rows[1].background, grey);
  EXPECT_EQ(BuildDovuRows(1, 1, 1, g_Record)[0].background, white);
}

TEST_F(CompanionTest, TitleCountsTheLineAndTheWholeTree) {
  EXPECT_EQ(FormatDovuTitle(g_Record), u"棋譜 0手");
  for (int key : {k76, k34, kResign}) AddMoveAndGo(key, true);
  EXPECT_EQ(FormatDovuTitle(g_Record), u"棋譜 2手");
  GotoMoveNumberOnLine(1);
  AddMoveAndGo(k84);
  EXPECT_EQ(FormatDovuTitle(g_Record), u"棋譜 2手 / 3手");
}

// ---- Move list: scrolling, clicks, menu, wheel ------------------------------------------

TEST_F(CompanionTest, ScrollKeepsTheCurrentMoveAndThreeAfterItInView) {
  const struct {
    int current, expected;
  } cases[] = {{5, 0}, {50, 34}, {99, 81}, {100, 81}, {0, 0}};
  for (const auto& c : cases) EXPECT_EQ(ComputeDovuScroll(c.current, 100, 20), c.expected) << c.current;

  ASSERT_EQ(InitRecordPool(g_Record, 200), 0);
  const int shuffle[4] = {Key(28, 38), Key(82, 72), Key(38, 28), Key(72, 82)};
  for (int i = 0; i < 100; ++i)
    ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, shuffle[i % 4], 0), 0);
  g_Record.current = GetNodeAtMove(0);
  g_Record.moveNumber = 0;
  for (int i = 0; i < 50; ++i) g_Record.current = g_Record.current->firstChild;
  g_Record.moveNumber = 50;
  CDovuWnd* w = MoveList(20);
  EXPECT_EQ(w->VisibleRows(), 20);
  EXPECT_EQ(w->ScrollPos(), 34);
  EXPECT_TRUE(w->ScrollBarShown());
  // The scroll bar goes once every row fits: V >= L + 1.
  w->resize(400, 101 * w->RowHeight());
  w->UpdateScroll();
  EXPECT_FALSE(w->ScrollBarShown());
  EXPECT_EQ(w->ScrollPos(), 0);
  w->resize(400, 100 * w->RowHeight());
  w->UpdateScroll();
  EXPECT_TRUE(w->ScrollBarShown());
}

TEST_F(CompanionTest, ClicksJumpToRowsAndColumns) {
  BuildRecord();
  CDovuWnd* w = MoveList();
  w->OnLButtonDown(RowPoint(4), false);
  EXPECT_EQ(g_Record.moveNumber, 4);
  w->OnLButtonDown(RowPoint(6), false);  // 詰み: not a place to go
  EXPECT_EQ(g_Record.moveNumber, 4);
  w->OnLButtonDown(RowPoint(2), true);  // Shift: the row's comment
  EXPECT_EQ(g_calls, std::vector<std::string>{"comment 2"});
  EXPECT_EQ(g_Record.moveNumber, 4);
  g_bEditDialogOpen = 1;
  w->OnLButtonDown(RowPoint(1), false);
  EXPECT_EQ(g_Record.moveNumber, 4);
  g_bEditDialogOpen = 0;
  g_AppMode = kModeEdit;
  w->OnLButtonDown(RowPoint(1), false);
  EXPECT_EQ(g_Record.moveNumber, 4);
  g_AppMode = kModeView;

  // Branch form: the second column of row 2 is the alternative 2.84.
  g_nMoveListStyle = 1;
  w->OnLButtonDown(RowPoint(2, 2), false);
  EXPECT_EQ(g_Record.moveNumber, 2);
  EXPECT_EQ(g_Record.current, Alternative());
  EXPECT_EQ(w->windowTitle(), u"棋譜 3手 / 7手"_s);
  // Now on the alternative, its row shows it first: column 1 is itself, and
  // an empty column leads nowhere.
  w->OnLButtonDown(RowPoint(2, 2), false);
  EXPECT_EQ(g_Record.current, Alternative());
  w->OnLButtonDown(RowPoint(1, 1), false);
  EXPECT_EQ(g_Record.moveNumber, 1);
  w->OnLButtonDown(RowPoint(2, 1), false);  // back on move 1 the line is the main one
  EXPECT_EQ(g_Record.current, GetNodeAtMove(1)->firstChild);
  EXPECT_EQ(g_Record.moveNumber, 2);
  w->OnLButtonDown(RowPoint(0, 1), false);
  EXPECT_EQ(g_Record.moveNumber, 0);
}

TEST_F(CompanionTest, ContextMenuItemsNameTheirTargets) {
  BuildRecord();
  CDovuWnd* w = MoveList();
  GotoMoveNumber(view.get(), 1);
  struct Case {
    const char* name;
    int form, row, column, mode;
    QStringList items;
  } cases[] = {
      {"start row, times form", 0, 0, 1, kModeView,
       {u"指定手数へ(&J)..."_s, u"分岐を表示する(&H)"_s, u"コメントの編集(&C)... 開始局面"_s, u"-"_s,
        u"棋譜フォント(&F)..."_s}},
      {"after the current move, times form", 0, 2, 2, kModeView,
       {u"指定手数へ(&J)..."_s, u"分岐を表示する(&H)"_s, u"コメントの編集(&C)... ３四歩"_s,
        u"消費時間の編集(&T)... ３四歩"_s, u"-"_s, u"削除(&D) ３四歩"_s, u"-"_s,
        u"棋譜フォント(&F)..."_s}},
      {"the alternative's column, branch form", 1, 2, 2, kModeView,
       {u"指定手数へ(&J)..."_s, u"消費時間を表示する(&S)"_s, u"先頭へ(&T) ８四歩"_s,
        u"コメントの編集(&C)... ３四歩"_s, u"消費時間の編集(&T)... ３四歩"_s, u"-"_s,
        u"削除(&D) ８四歩"_s, u"-"_s, u"棋譜フォント(&F)..."_s}},
      {"an empty column, branch form, in a game", 1, 3, 2, kModeGame,
       {u"消費時間を表示する(&S)"_s, u"コメントの編集(&C)... ２六歩"_s,
        u"消費時間の編集(&T)... ２六歩"_s, u"-"_s, u"棋譜フォント(&F)..."_s}},
      {"up to the current move nothing is deleted", 0, 1, 1, kModeView,
       {u"指定手数へ(&J)..."_s, u"分岐を表示する(&H)"_s, u"コメントの編集(&C)... ７六歩"_s,
        u"消費時間の編集(&T)... ７六歩"_s, u"-"_s, u"棋譜フォント(&F)..."_s}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_nMoveListStyle = c.form;
    g_AppMode = c.mode;
    QMenu* menu = w->BuildContextMenu(RowPoint(c.row, c.column));
    EXPECT_EQ(MenuTexts(menu), c.items);
    delete menu;
  }
  g_AppMode = kModeView;
  QMenu* menu = w->BuildContextMenu(RowPoint(3));
  MenuItem(menu, u"消費時間の編集"_s)->trigger();
  MenuItem(menu, u"棋譜フォント"_s)->trigger();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"time 3", "font"}));
  delete menu;
}

TEST_F(CompanionTest, PromotingAndDeletingFromTheMoveList) {
  BuildRecord();
  CDovuWnd* w = MoveList();
  GotoMoveNumber(view.get(), 1);
  g_nMoveListStyle = 1;
  QMenu* menu = w->BuildContextMenu(RowPoint(2, 2));
  RecordNode* alt = Alternative();
  MenuItem(menu, u"先頭へ"_s)->trigger();
  delete menu;
  EXPECT_EQ(GetNodeAtMove(1)->firstChild, alt);
  EXPECT_EQ(g_strUndoLabel, u"分岐を先頭");
  EXPECT_EQ(g_Record.changeCount, 1);
  EXPECT_EQ(w->windowTitle(), u"棋譜 3手 / 7手"_s);  // the line now runs through 2.84

  g_Record.changeCount = 0;
  menu = w->BuildContextMenu(RowPoint(2, 2));  // now the old main move 2.34
  EXPECT_TRUE(MenuItem(menu, u"削除(&D) ３四歩"_s));
  MenuItem(menu, u"削除"_s)->trigger();
  delete menu;
  EXPECT_EQ(alt->nextSibling, nullptr);
  EXPECT_EQ(g_strUndoLabel, u"棋譜の削除");
  EXPECT_EQ(g_Record.changeCount, 1);
  EXPECT_EQ(w->windowTitle(), u"棋譜 3手"_s);
}

TEST_F(CompanionTest, WheelStepsForwardAndBack) {
  BuildRecord();
  CDovuWnd* w = MoveList();
  w->OnWheel(-120);  // toward the user
  w->OnWheel(-120);
  EXPECT_EQ(g_Record.moveNumber, 2);
  g_nReplayPaused = 1;
  w->OnWheel(120);
  EXPECT_EQ(g_Record.moveNumber, 1);
  EXPECT_EQ(g_nReplayPaused, 0);
  // In a game rolling away takes the move back through the move path.
  g_AppMode = kModeGame;
  w->OnWheel(120);
  EXPECT_EQ(g_Record.moveNumber, 0);
  w->OnWheel(120);  // nothing before the start
  EXPECT_EQ(g_Record.moveNumber, 0);
  g_AppMode = kModeView;
  g_bMouseWheelMoves = 0;
  w->OnWheel(-120);
  EXPECT_EQ(g_Record.moveNumber, 0);
}

// ---- Variation window -----------------------------------------------------------------------

TEST_F(CompanionTest, VariationWindowShowsByModeAndPlaysRealMoves) {
  BuildRecord();
  struct Case {
    int mode, move;
    bool shown;
  } cases[] = {{2, 0, false}, {2, 1, true}, {2, 2, false}, {2, 6, false},
               {1, 2, true},  {0, 1, false}, {1, 6, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " move " << c.move);
    g_nBranchWndMode = c.mode;
    CreateBranchWindow(nullptr);
    GotoMoveNumber(view.get(), c.move);
    UpdateBranchWindow();
    EXPECT_EQ(g_pBranchWnd->isVisible(), c.shown);
    delete g_pBranchWnd;
  }

  g_nBranchWndMode = 2;
  CreateBranchWindow(nullptr);
  GotoMoveNumber(view.get(), 1);
  std::vector<BranchRow> rows = BuildBranchRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].number, u" 1*");
  EXPECT_EQ(rows[0].text, u"３四歩           ");
  EXPECT_EQ(rows[1].text, u"８四歩&          ");
  const int h = g_pBranchWnd->RowHeight();
  g_pBranchWnd->OnLButtonDown(QPoint(20, h + 1));
  EXPECT_EQ(g_Record.current, Alternative());
  g_pBranchWnd->OnLButtonDown(QPoint(20, 5 * h));  // no such row
  EXPECT_EQ(g_Record.moveNumber, 2);

  // An alternative 投了 is listed but not played.
  GotoMoveNumber(view.get(), 1);
  RecordNode* one = g_Record.current;
  AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, kResign, 0);
  g_Record.current = one;
  ASSERT_EQ(BuildBranchRows().size(), 3u);
  g_pBranchWnd->OnLButtonDown(QPoint(20, 2 * h + 1));
  EXPECT_EQ(g_Record.moveNumber, 1);

  // The first row offers no 先頭へ; the others do, and so does deleting.
  QMenu* menu = g_pBranchWnd->BuildContextMenu(QPoint(20, 1));
  EXPECT_EQ(MenuTexts(menu), (QStringList{u"連続再現(&G) ３四歩"_s, u"削除(&D) ３四歩"_s}));
  delete menu;
  menu = g_pBranchWnd->BuildContextMenu(QPoint(20, h + 1));
  EXPECT_EQ(MenuTexts(menu), (QStringList{u"連続再現(&G) ８四歩"_s, u"先頭へ(&T) ８四歩"_s,
                                          u"削除(&D) ８四歩"_s}));
  RecordNode* alt = Alternative();
  MenuItem(menu, u"先頭へ"_s)->trigger();
  delete menu;
  EXPECT_EQ(GetNodeAtMove(1)->firstChild, alt);
  EXPECT_EQ(g_strUndoLabel, u"分岐を先頭");
  EXPECT_EQ(g_Record.changeCount, 1);
  menu = g_pBranchWnd->BuildContextMenu(QPoint(20, 2 * h + 1));
  EXPECT_FALSE(MenuItem(menu, u"連続再現"_s)->isEnabled());
  MenuItem(menu, u"削除"_s)->trigger();
  delete menu;
  EXPECT_EQ(BuildBranchRows().size(), 2u);
  EXPECT_EQ(g_strUndoLabel, u"分岐の削除");

  // Closing in mode 1 switches the window off; mode 2 stays.
  g_nBranchWndMode = 1;
  UpdateBranchWindow();
  EXPECT_TRUE(g_pBranchWnd->isVisible());
  g_pBranchWnd->close();
  EXPECT_FALSE(g_pBranchWnd->isVisible());
  EXPECT_EQ(g_nBranchWndMode, 0);
  UpdateBranchWindow();
  EXPECT_FALSE(g_pBranchWnd->isVisible());
}

// ---- Comment window --------------------------------------------------------------------------

TEST_F(CompanionTest, CommentWindowFollowsTheShownMove) {
  BuildRecord();
  g_nCommentWndMode = 3;
  CreateCommentWindow(nullptr);
  CCommWnd* w = g_pCommentWnd;
  UpdateCommentWindow();
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle(), u"開始局面のコメント"_s);
  EXPECT_EQ(w->Edit()->toPlainText(), u"開始\n"_s);  // as the record keeps it
  GotoMoveNumber(view.get(), 1);
  EXPECT_FALSE(w->isVisible());
  StepForward(view.get());
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle(), u"第2手、３四歩のコメント"_s);
  EXPECT_EQ(w->Edit()->toPlainText(), u"a\nb\n"_s);
  EXPECT_EQ(w->Edit()->document()->blockCount(), 3);  // "a", "b" and the end
  EXPECT_EQ(w->Edit()->document()->findBlockByNumber(1).text(), u"b"_s);

  // A click edits the comment, a right click deletes it.
  QTest::mouseClick(w->Edit()->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
  QContextMenuEvent right(QContextMenuEvent::Mouse, QPoint(10, 5), w->Edit()->viewport()->mapToGlobal(QPoint(10, 5)));
  QApplication::sendEvent(w->Edit()->viewport(), &right);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"comment 2", "delete comment"}));

  // Mode 2 shows it without a comment, with the edit hidden.
  g_nCommentWndMode = 2;
  StepForward(view.get());
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->Edit()->isVisible());
  EXPECT_EQ(w->windowTitle(), u"第3手、２六歩のコメント"_s);

  w->close();
  EXPECT_EQ(g_nCommentWndMode, 0);
  GotoMoveNumber(view.get(), 2);
  EXPECT_FALSE(w->isVisible());
}

// ---- Placements ------------------------------------------------------------------------------

TEST(CompanionPlacement, ClampsAtCreation) {
  const QRect desk(0, 0, 1000, 700);
  CompanionPlaceRule moveList{0, 10, 290, 50, false};
  CompanionPlaceRule branch{10, 10, 350, 10, true};
  CompanionPlaceRule comment{0, 10, 540, 10, false};
  struct Case {
    const char* name;
    CompanionPlaceRule rule;
    WindowPlacement stored;
    int instance;
    QRect expected;
  } cases[] = {
      {"move list in place", moveList, {100, 200, 115, 180}, 1, {100, 200, 115, 180}},
      {"move list beyond the edges", moveList, {1000, 700, 115, 180}, 1, {10, 290, 115, 180}},
      {"move list far left and up", moveList, {-200, -300, 115, 180}, 1, {-65, -130, 115, 180}},
      {"move list of a second copy", moveList, {980, 100, 115, 180}, 2, {1020, 140, 115, 180}},
      {"variations near the edges", branch, {990, 690, 110, 130}, 1, {10, 350, 110, 130}},
      {"variations raised", branch, {100, 600, 110, 130}, 1, {100, 570, 110, 130}},
      {"variations far left", branch, {-500, 10, 110, 130}, 1, {-100, 10, 110, 130}},
      {"comment beyond the edges", comment, {1000, 700, 400, 200}, 1, {10, 540, 400, 200}},
      {"comment of a third copy", comment, {10, 540, 400, 200}, 3, {90, 620, 400, 200}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PlaceCompanionWindow(c.stored, c.instance, desk, c.rule), c.expected) << c.name;
  EXPECT_EQ(PlaceCompanionWindow({1000, 700, 400, 200}, 1, desk, comment, true),
            QRect(1000, 700, 400, 200));
  EXPECT_EQ(FitRectToDesktop(QRect(-5, 650, 100, 100), desk), QPoint(0, 600));
  EXPECT_EQ(FitRectToDesktop(QRect(950, -20, 100, 100), desk), QPoint(900, 0));
}

class CompanionStartUp : public ::testing::Test {
protected:
  void TearDown() override { g_AppMode = kModeView; }
  PrivateHome home;
  RecordingUi ui;
};

TEST_F(CompanionStartUp, WindowsFollowTheFrameAndComeBackWhereTheyWere) {
  {
    CNarvoApp app;
    ASSERT_TRUE(app.InitInstance({}));
    ASSERT_TRUE(g_pMoveListWnd && g_pBranchWnd && g_pCommentWnd);
    // The move list follows the frame's first paint.
    EXPECT_FALSE(g_pMoveListWnd->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([] { return g_pMoveListWnd->isVisible(); }));
    EXPECT_EQ(g_pMoveListWnd->windowTitle(), u"棋譜 0手"_s);
    EXPECT_EQ(g_pCommentWnd->windowTitle(), u"開始局面のコメント"_s);
    EXPECT_EQ(g_pMoveListWnd->parentWidget(), g_pMainFrame);
    EXPECT_TRUE(g_pMoveListWnd->windowFlags() & Qt::Tool);
    g_pMoveListWnd->move(200, 210);
    g_pMoveListWnd->resize(150, 190);
    g_nBranchWndMode = 1;
    UpdateBranchWindow();
    g_pBranchWnd->move(300, 310);
    g_pCommentWnd->move(120, 400);
    EXPECT_EQ(g_rcMoveListWnd.x, 200);
    EXPECT_EQ(g_rcMoveListWnd.width, 150);

    // The frame takes them along, unless Shift is held.
    const QPoint frame = g_pMainFrame->pos();
    g_pMainFrame->move(frame + QPoint(7, 9));
    EXPECT_TRUE(QTest::qWaitFor([] { return g_pMoveListWnd->pos() == QPoint(207, 219); }));
    EXPECT_EQ(g_pBranchWnd->pos(), QPoint(307, 319));
    QTest::keyPress(g_pMainFrame->windowHandle(), Qt::Key_Shift, Qt::ShiftModifier);
    g_pMainFrame->move(frame);
    QTest::qWait(20);
    QTest::keyRelease(g_pMainFrame->windowHandle(), Qt::Key_Shift);
    EXPECT_EQ(g_pMoveListWnd->pos(), QPoint(207, 219));

    // Print preview hides the move list and brings it back.
    g_pMainFrame->EnterPrintPreview();
    EXPECT_FALSE(g_pMoveListWnd->isVisible());
    EXPECT_EQ(g_bShowMoveListWnd, 0);
    g_pMainFrame->LeavePrintPreview();
    EXPECT_TRUE(g_pMoveListWnd->isVisible());
    EXPECT_EQ(g_bShowMoveListWnd, 1);
    EXPECT_TRUE(g_pMainFrame->close());
  }
  {
    CNarvoApp app;
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(g_pMoveListWnd->pos(), QPoint(207, 219));
    EXPECT_EQ(g_pMoveListWnd->size(), QSize(150, 190));
    EXPECT_EQ(g_pBranchWnd->pos(), QPoint(307, 319));
    EXPECT_TRUE(QTest::qWaitFor([] { return g_pBranchWnd->isVisible(); }));
    EXPECT_EQ(g_pCommentWnd->pos(), QPoint(127, 409));  // moved with the frame while hidden
    EXPECT_TRUE(g_pMainFrame->close());
  }
}

TEST_F(CompanionStartUp, KeysInTheMoveListReachTheViewAndTheCommands) {
  CNarvoApp app;
  ASSERT_TRUE(app.InitInstance({}));
  ASSERT_TRUE(QTest::qWaitFor([] { return g_pMoveListWnd->isVisible(); }));
  for (int key : {k76, k34}) AddMoveAndGo(key);
  GotoMoveNumber(g_pView, 0);
  g_pMoveListWnd->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(g_pMoveListWnd));
  QTest::keyClick(g_pMoveListWnd, Qt::Key_Right);
  EXPECT_EQ(g_Record.moveNumber, 1);
  QSignalSpy editComment(g_pMainFrame->ActionFor(kCmdEditComment), &QAction::triggered);
  // The command opens the comment dialog, which is closed again at once.
  bool dialog = false;
  QTimer::singleShot(0, [&dialog] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      dialog = true;
      d->reject();
    }
  });
  QTest::keyClick(g_pMoveListWnd, Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(editComment.count(), 1);
  EXPECT_TRUE(dialog);
  EXPECT_TRUE(g_pMainFrame->close());
}

}  // namespace

// Every way the current line changes brings the three windows to the new
// line: the move list's row colours as painted, its title, the variation
// window (shown at branches only) and the comment window.
TEST_F(CompanionStartUp, TheWindowsFollowEveryChangeOfTheCurrentLine) {
  CNarvoApp app;
  ASSERT_TRUE(app.InitInstance({}));
  ASSERT_TRUE(QTest::qWaitFor([] { return g_pMoveListWnd->isVisible(); }));
  CNarvoView* view = g_pView;
  g_nBranchWndMode = 2;
  g_nCommentWndMode = 1;
  SetInitialBoard(g_Board);  // whatever an earlier test left
  CopyBoardState(g_StartBoard, g_Board);
  // 1.76 2.34 3.26 4.84, and at move 2 the second continuation 2.84 3.26.
  for (int key : {k76, k34, k26, k84}) AddMoveAndGo(key);
  GotoMoveNumberOnLine(1);
  for (int key : {k84, k26}) AddMoveAndGo(key);
  GotoMoveNumberOnLine(0);
  AppendComment(g_Record, 2, u"本譜");
  GotoMoveNumber(view, 1);
  StepIntoVariation(view, 1);  // the key 2
  AppendComment(g_Record, 2, u"変化");
  g_Record.changeCount = 0;
  QTemporaryDir dir;
  const std::u16string file = dir.path().toStdU16String() + u"/line.zrf";
  ASSERT_EQ(WriteZrfRecord(false, file), 0);
  g_pMainFrame->ActionFor(kCmdCopyZrf)->trigger();

  auto inVariation = [view] {
    GotoMoveNumber(view, 1);
    StepIntoVariation(view, 1);  // the key 2
  };
  auto onMain = [view] { GotoMoveNumber(view, 1); };
  auto command = [](int id) {
    return [id] {
      g_pMainFrame->UpdateCommandUi();
      g_pMainFrame->ActionFor(id)->trigger();
    };
  };
  struct Case {
    const char* name;
    std::function<void()> from, change;
    int move;
    bool variation;
    QString comment;
  } cases[] = {
      {"先頭へ", inVariation, command(kCmdGotoStart), 0, false, u""_s},
      {"末尾へ", [view] { GotoMoveNumber(view, 0); }, command(kCmdGotoEnd), 4, false, u""_s},
      {"1手戻る out of the variation", inVariation, command(kCmdStepBack), 1, false, u""_s},
      {"手数指定", inVariation, [view] { JumpToMoveNumberValue(view, 0); }, 0, false, u""_s},
      {"the variation window", onMain,
       [] { g_pBranchWnd->OnLButtonDown(QPoint(20, g_pBranchWnd->RowHeight() + 1)); }, 2, true,
       u"変化\n"_s},
      {"a row of the move list", inVariation,
       [] { g_pMoveListWnd->OnLButtonDown(QPoint(5, 1), false); }, 0, false, u""_s},
      {"元に戻す", [view, inVariation] { inVariation(); SaveUndoPoint(u"test"); GotoMoveNumber(view, 0); },
       command(kCmdUndo), 2, true, u"変化\n"_s},
      {"やり直し", [] {}, command(kCmdRedo), 0, false, u""_s},
      {"reading a file", inVariation, [view, &file] { OpenRecordFile(view, file); }, 0, false, u""_s},
      {"paste", inVariation, command(kCmdPaste), 0, false, u""_s},
      {"merge", inVariation, command(kCmdMerge), 0, false, u""_s},
  };
  const QColor white(255, 255, 255), grey(224, 224, 224);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.from();
    c.change();
    EXPECT_TRUE(ui.boxes.empty());
    QApplication::processEvents();
    ASSERT_EQ(g_Record.moveNumber, c.move);
    const QImage shown = g_pMoveListWnd->grab().toImage();
    const int h = g_pMoveListWnd->RowHeight();
    for (int row : {2, 3})
      if (row != c.move) EXPECT_EQ(shown.pixelColor(1, row * h + 1), c.variation ? grey : white) << row;
    EXPECT_EQ(g_pMoveListWnd->windowTitle(), c.variation ? u"棋譜 3手 / 6手"_s : u"棋譜 4手 / 6手"_s);
    EXPECT_EQ(g_pBranchWnd->isVisible(), c.move == 1);
    EXPECT_EQ(g_pCommentWnd->Edit()->toPlainText(), c.comment);
    EXPECT_EQ(g_pCommentWnd->windowTitle(), c.move == 0 ? u"開始局面のコメント"_s
                                                        : QString::fromStdU16String(FormatCommentWindowTitle()));
  }
  g_Record.changeCount = 0;
  EXPECT_TRUE(g_pMainFrame->close());
}
