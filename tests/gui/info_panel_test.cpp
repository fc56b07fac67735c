// The information panel: its line texts, the template codes, and what it
// draws (box, clipping, single-line redraws, the running clock in blue).
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <memory>
#include <string>

#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "record/board.h"
#include "record/datetime.h"
#include "record/record.h"
#include "settings/env.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/record_building.h"
#include "tests/support/view_images.h"
#include "view/board_drawing.h"
#include "view/info_panel.h"
#include "view/narvo_view.h"
#include "view/piece_images.h"

namespace {

constexpr int Key(int from, int to) { return from | to << 8; }
const int k76 = Key(77, 76), k34 = Key(33, 34), k26 = Key(27, 26), k84 = Key(83, 84);

class InfoPanelTest : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    g_AppMode = kModeView;
    InitRecordPool(g_Record, 400);
    SetInitialBoard(g_Board);
    CopyBoardState(g_StartBoard, g_Board);
    SetCell(31, 32);
  }
  void TearDown() override {
    FreeRecordPool(g_Record);
    SetCell(31, 32);
    g_AppMode = kModeView;
    g_szRecordTitle.clear();
  }
  static void SetCell(int w, int h) {
    g_nCellWidth = w;
    g_nCellHeight = h;
    UpdateInfoLineHeight();
  }
  static void StartFrom(int handicap) {
    ResetRecordTree(g_Record);
    if (handicap == 0) SetInitialBoard(g_Board); else SetHandicapBoard(g_Board, handicap);
    CopyBoardState(g_StartBoard, g_Board);
  }
  static void Comment(int n, std::u16string_view text) {
    FreeNodeComment(g_Record, GetNodeAtMove(n, g_Record));
    ASSERT_EQ(AppendComment(g_Record, n, text), 0);
  }
  // The panel alone on a grey ground.
  static QImage Panel(int width = 640, int height = 480) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(128, 128, 128));
    QPainter p(&image);
    ClearInfoPanel(p);
    DrawInfoPanel(p);
    return image;
  }
};

TEST_F(InfoPanelTest, LinesReadAsTheRecordStands) {
  EXPECT_EQ(InfoMoveNumberLine(), u"手\u3000数：  0     ");
  EXPECT_EQ(InfoLastMoveLine(), u"\u3000\u3000\u3000\u3000\u3000\u3000まで\u3000");
  EXPECT_EQ(InfoHandicapLine(), u"手合割：平手\u3000\u3000");
  EXPECT_EQ(InfoSideToMoveLine(), u"先手番");

  struct Case {
    int notation;
    int rules;
    const char16_t* after76;
    const char16_t* after34;
  };
  const Case cases[] = {
      {2, 1, u"▲７六歩    まで\u3000", u"△３四歩    まで\u3000"},
      {3, 1, u"▲７六歩    まで\u3000", u"▽３四歩    まで\u3000"},
      {1, 1, u"▲７六歩(77)まで\u3000", u"▽３四歩(33)まで\u3000"},
      {0, 1, u"▲７六歩(77)まで\u3000", u"△３四歩(33)まで\u3000"},
      {2, 0, u"▲７六歩(77)まで\u3000", u"△３四歩(33)まで\u3000"},
  };
  AddMoveAndGo(k76);
  AddMoveAndGo(k34);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.notation * 10 + c.rules);
    g_nMoveNotation = c.notation;
    g_bCheckRules = c.rules;
    StepBackTo(1);
    g_Record.current = GetNodeAtMove(1, g_Record);
    EXPECT_EQ(InfoLastMoveLine(), c.after76);
    EXPECT_EQ(InfoSideToMoveLine(), u"後手番");
    AddMoveAndGo(k34);  // the existing move is selected again
    EXPECT_EQ(InfoLastMoveLine(), c.after34);
    EXPECT_EQ(InfoMoveNumberLine(), u"手\u3000数：  2     ");
  }
}

TEST_F(InfoPanelTest, HandicapAndSides) {
  StartFrom(1);
  EXPECT_EQ(InfoHandicapLine(), u"手合割：香落ち\u3000");
  EXPECT_EQ(InfoSideToMoveLine(), u"上手番");
  g_Board.sideToMove = kSente;
  EXPECT_EQ(InfoSideToMoveLine(), u"下手番");
}

TEST_F(InfoPanelTest, PlayerNamesArePaddedButNeverCut) {
  g_Record.header.firstPlayer = u"羽田";
  EXPECT_EQ(InfoPlayerLine(kSente), u"▲羽田" + std::u16string(18, u' '));
  g_Record.header.secondPlayer = u"山本";
  g_Record.header.secondShortName = u"山";
  EXPECT_EQ(InfoPlayerLine(kGote), u"△山本/山" + std::u16string(16, u' '));
  std::u16string longName(25, u'名');
  g_Record.header.firstPlayer = longName;
  EXPECT_EQ(InfoPlayerLine(kSente), u"▲" + longName);
  EXPECT_EQ(PadTo20(u"abc"), u"abc" + std::u16string(17, u' '));
}

TEST_F(InfoPanelTest, TimesGoToTheLineOfTheMoversSide) {
  for (int key : {k76, k34, k26, k84}) AddMoveAndGo(key);
  GetNodeAtMove(1, g_Record)->seconds = 3650;
  GetNodeAtMove(3, g_Record)->seconds = 75;
  EXPECT_EQ(FormatMoveTimes(3), u"01:15 / 01:02:05");
  // The move before the start position reads no node.
  EXPECT_EQ(FormatMoveTimes(-1), u"00:00 / 00:00:00");

  EXPECT_EQ(InfoTimeLineOf(7), 1);
  EXPECT_EQ(InfoTimeLineOf(8), 3);
  EXPECT_EQ(InfoTimeLineOf(-1), 1);
  StartFrom(1);  // the second player (上手) moves first
  EXPECT_EQ(InfoTimeLineOf(7), 3);
  EXPECT_EQ(InfoTimeLineOf(8), 1);
}

TEST_F(InfoPanelTest, AnInterruptionKeepsTheLastMoveLine) {
  AddMoveAndGo(k76);
  AddMoveAndGo(Key(kEndFrom, kEndSuspend));
  g_Record.current = g_Record.current->firstChild;
  ++g_Record.moveNumber;
  ASSERT_TRUE(IsEndNode(*g_Record.current));
  EXPECT_EQ(InfoLastMoveLine(), u"");  // a single-line redraw leaves it

  // A whole repaint shows the move before the interruption.
  QImage painted = Panel();
  g_Record.current = GetNodeAtMove(1, g_Record);
  --g_Record.moveNumber;
  QImage atMove = Panel();
  CellSize c = CurrentCellSize();
  QRect line6(12 * c.w + 78, 6 * g_nInfoLineHeight + 5, 3 * c.w + 39, g_nInfoLineHeight);
  EXPECT_EQ(painted.copy(line6), atMove.copy(line6));
}

TEST_F(InfoPanelTest, TemplateCodes) {
  RecordHeader& h = g_Record.header;
  h.firstPlayer = u"先手氏";
  h.secondPlayer = u"後手氏";
  h.startTime = u"2024/01/06(土) 10:00";
  h.endTime = u"2024/01/07 18:00";
  h.event = u"棋戦";
  h.opening = u"戦型";
  h.title = u"表題";
  h.timeLimit = u"各10分";
  h.place = u"場所";
  h.publishedIn = u"掲載";
  for (int i = 0; i < 5; ++i) h.userItems[i] = std::u16string(1, char16_t(u'Ａ' + i));
  h.problemNumber = u"n1";
  h.problemName = u"n2";
  h.magazine = u"n4";
  h.publishedDate = u"n5";
  h.source = u"n6";
  h.moveCount = u"n7";
  h.completeness = u"n8";
  h.category = u"n9";
  h.notes = u"n0";
  h.award = u"na";
  g_szRecordTitle = u"題名";
  g_szToday = u"2024/01/06(土)";
  g_szNowTime = u"13:05:09";
  AddMoveAndGo(k76);
  AddMoveAndGo(k34);
  Comment(2, u"良い手");

  struct Case {
    const char16_t* format;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"%n手", u"2手"},
      {u"%a|%l|%A", u"３四歩|３四歩|△３四歩"},
      {u"%p|%P", u"７六歩|▲７六歩"},
      {u"%b対%w", u"先手氏対後手氏"},
      {u"a%cb", u"a\r\nb"},
      {u"%f", u"題名"},
      {u"%G|%g", u"2024/01/06(土) 10:00|2024/01/06"},
      {u"%E|%e", u"2024/01/07 18:00|2024/01/07"},
      {u"%i%I%s%S%u%U", u"棋戦棋戦戦型戦型表題表題"},
      {u"%m%M%h%H%r%R", u"各10分各10分場所場所掲載掲載"},
      {u"%1%2%3%4%5", u"ＡＢＣＤＥ"},
      {u"%y %t", u"2024/01/06(土) 13:05:09"},
      {u"%/1%/2%/4%/5%/6%/7%/8%/9%/0%/a", u"n1n2n4n5n6n7n8n9n0na"},
      {u"%*", u"良い手\n"},
      {u"100%%", u"100%"},
      {u"%x%N%B%/z%", u"%x%N%B%/z%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(QString::fromUtf16(c.format).toUtf8()));
    EXPECT_EQ(ExpandInfoTemplate(c.format), PadTo20(c.expected));
  }
  // Before move 2 there is no previous move; at move 0 no current one.
  StepBackTo(0);
  g_Record.current = g_Record.Root();
  EXPECT_EQ(ExpandInfoTemplate(u"[%a%p]"), PadTo20(u"[]"));
}

TEST_F(InfoPanelTest, ProblemTemplatesWhenAnAuthorIsSet) {
  g_Record.header.author = u"作者名";
  g_Record.header.magazine = u"詰棋";
  g_Record.header.problemName = u"第一番";
  QImage withAuthor = Panel();
  // The same lines written out as game templates, without an author.
  g_Record.header.author.clear();
  g_szInfoFormat1 = u"作者：作者名";
  g_szInfoFormat2 = u"発表：詰棋";
  g_szInfoFormat3 = u"作品：第一番";
  EXPECT_EQ(withAuthor, Panel());
  g_szInfoFormat1 = u"%g";
  EXPECT_NE(withAuthor, Panel());
}

// ---- Pixels ----------------------------------------------------------------------------

bool IsInk(QRgb p) { return qRed(p) < 128 && qGreen(p) < 128; }

TEST_F(InfoPanelTest, BoxOutlineAndClippingForEachCellSize) {
  g_Record.header.firstPlayer = std::u16string(25, u'錦');
  for (auto [w, h] : {std::pair{31, 32}, {36, 39}, {40, 45}}) {
    SCOPED_TRACE(w);
    SetCell(w, h);
    QImage img = Panel(15 * w + 160, 9 * h + 80);
    const int left = 12 * w + 75, right = 15 * w + 122, bottom = 5 * h + 26;
    // Outline with its second line on the right and bottom; white inside.
    EXPECT_EQ(img.pixel(left, 2), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(right - 1, 20), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(right, 20), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(40 + left, bottom), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(left - 1, 20), qRgb(128, 128, 128));
    EXPECT_EQ(img.pixel(right + 1, 20), qRgb(128, 128, 128));
    EXPECT_EQ(img.pixel(left + 1, bottom - 2), qRgb(255, 255, 255));
    // The long name reaches the clip edge and stops there.
    bool inkAtEdge = false, inkPast = false;
    for (int y = 5; y < 5 + g_nInfoLineHeight; ++y) {
      for (int x = 15 * w + 100; x < 15 * w + 117; ++x) inkAtEdge |= IsInk(img.pixel(x, y));
      for (int x = 15 * w + 117; x < right - 1; ++x) inkPast |= IsInk(img.pixel(x, y));
    }
    EXPECT_TRUE(inkAtEdge);
    EXPECT_FALSE(inkPast);
  }
}

TEST_F(InfoPanelTest, HugeCommentAndLineBreaksAreDrawnClipped) {
  AddMoveAndGo(k76);
  Comment(1, std::u16string(kMaxCommentLength - 1, u'長'));
  g_szInfoFormat1 = u"%*%c%*";
  EXPECT_GT(ExpandInfoTemplate(g_szInfoFormat1).size(), size_t(2 * (kMaxCommentLength - 1)));
  QImage img = Panel();
  // Nothing escapes the panel's box.
  CellSize c = CurrentCellSize();
  for (int y = 0; y < img.height(); ++y)
    for (int x : {12 * c.w + 74, 15 * c.w + 123}) ASSERT_EQ(img.pixel(x, y), qRgb(128, 128, 128));
  // Control characters are not drawn: a line break reads as nothing.
  g_szInfoFormat1 = u"ab%ccd";
  QImage broken = Panel();
  g_szInfoFormat1 = u"abcd";
  EXPECT_EQ(broken, Panel());
}

TEST_F(InfoPanelTest, RunningTimeInBlueThenBlackAgain) {
  CellSize c = CurrentCellSize();
  QImage img(640, 480, QImage::Format_RGB32);
  img.fill(Qt::white);
  QRect line1(12 * c.w + 78, g_nInfoLineHeight + 5, 3 * c.w + 39, g_nInfoLineHeight);
  auto colours = [&] {
    int blue = 0, black = 0;
    for (int y = line1.top(); y <= line1.bottom(); ++y)
      for (int x = line1.left(); x <= line1.right(); ++x) {
        QRgb p = img.pixel(x, y);
        blue += p == qRgb(0, 0, 255);
        black += p == qRgb(0, 0, 0);
      }
    return std::pair{blue, black};
  };
  {
    QPainter p(&img);
    DrawInfoRunningTime(p, 65, 1);
  }
  auto [blue, black] = colours();
  EXPECT_GT(blue, 20);
  EXPECT_EQ(black, 0);
  {
    QPainter p(&img);
    DrawInfoMoveTime(p, 1);
    DrawInfoMoveTime(p, 3);
  }
  auto [blue2, black2] = colours();
  EXPECT_EQ(blue2, 0);
  EXPECT_GT(black2, 20);
}

TEST_F(InfoPanelTest, NothingInPrintPreview) {
  g_AppMode = kModePreview;
  QImage img = Panel();
  QImage grey(img.size(), QImage::Format_RGB32);
  grey.fill(QColor(128, 128, 128));
  EXPECT_EQ(img, grey);
}

// Through the view: a short comment after a long one leaves what a fresh
// paint shows.
class InfoPanelViewTest : public InfoPanelTest {
protected:
  void SetUp() override {
    InfoPanelTest::SetUp();
    CreateAppPalette();
    LoadPieceBitmaps();
    LoadBoardGrain();
    LoadStandGrain();
    UpdateInfoLineHeight();
    CellSize c = CurrentCellSize();
    view = std::make_unique<CNarvoView>();
    view->resize(CalcBoardWindowWidth(c, 1.0), 9 * c.h + 70);
  }
  void TearDown() override {
    view.reset();
    FreePieceBitmaps();
    DeleteAppPalette();
    InfoPanelTest::TearDown();
  }
  CNarvoDoc doc;
  std::unique_ptr<CNarvoView> view;
};

TEST_F(InfoPanelViewTest, RedrawnLinesLeaveNothingOfTheOldText) {
  g_szInfoFormat1 = u"%*";
  AddMoveAndGo(k76);
  Comment(1, u"とても長いコメントです。とても長い");
  ShownViewImage(*view);
  Comment(1, u"短い");
  DrawInfoLine1(view.get());
  DrawInfoLastMove(view.get());
  EXPECT_EQ(ShownViewImage(*view), FreshViewPaint(*view));

  AddMoveAndGo(k34);
  DrawInfoLastMove(view.get());
  DrawInfoSideToMove(view.get());
  DrawInfoMoveTime(view.get(), 2);
  DrawInfoLine1(view.get());
  EXPECT_EQ(ShownViewImage(*view), FreshViewPaint(*view));
}

}  // namespace
