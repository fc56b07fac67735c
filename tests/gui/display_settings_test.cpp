// The colour, font and board-and-piece commands through their chooser seams:
// what goes into the settings and what the view shows afterwards.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include <memory>
#include <optional>
#include <string>

#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "record/board.h"
#include "record/record.h"
#include "settings/env.h"
#include "settings/piece_dlg_qt.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/record_building.h"
#include "tests/support/recording_ui.h"
#include "tests/support/view_images.h"
#include "view/board_drawing.h"
#include "view/display_settings.h"
#include "view/info_panel.h"
#include "view/narvo_view.h"
#include "view/piece_images.h"

namespace {

// What the choosers answer: nothing (Cancel) when unset.
std::optional<EnvColor> g_colourAnswer;
EnvColor g_colourOffered;
std::optional<QFont> g_fontAnswer;
QFont g_fontOffered;
std::optional<BoardPieceChoice> g_pieceAnswer;
BoardPieceChoice g_pieceOffered;

// A chooser seam that records what it was offered and gives the scripted answer.
template <typename T, std::optional<T>& answer, T& offered>
bool Answer(T& value) {
  offered = value;
  if (!answer) return false;
  value = *answer;
  return true;
}
constexpr auto AnswerColour = Answer<EnvColor, g_colourAnswer, g_colourOffered>;
constexpr auto AnswerFont = Answer<QFont, g_fontAnswer, g_fontOffered>;
constexpr auto AnswerPieces = Answer<BoardPieceChoice, g_pieceAnswer, g_pieceOffered>;

constexpr int Key(int from, int to) { return from | to << 8; }

class DisplaySettingsTest : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    g_AppMode = kModeView;
    g_nDpiY = 96;
    CreateAppPalette();
    LoadPieceBitmaps();
    LoadBoardGrain();
    LoadStandGrain();
    UpdateInfoLineHeight();
    InitRecordPool(g_Record, 200);
    SetInitialBoard(g_Board);
    CopyBoardState(g_StartBoard, g_Board);
    g_pChooseColor = AnswerColour;
    g_pChooseFont = AnswerFont;
    g_pBoardPieceDialog = AnswerPieces;
    g_colourAnswer.reset();
    g_fontAnswer.reset();
    g_pieceAnswer.reset();
    MakeView();
  }
  void TearDown() override {
    view.reset();
    FreeRecordPool(g_Record);
    FreePieceBitmaps();
    DeleteAppPalette();
    ResetEnvDefaults();
    g_nCellWidth = 31;
    g_nCellHeight = 32;
  }
  void MakeView() {
    CellSize c = CurrentCellSize();
    view = std::make_unique<CNarvoView>();
    view->resize(CalcBoardWindowWidth(c, 1.0), 9 * c.h + 70);
    ShownViewImage(*view);
  }
  // A red spot in the view's image, shown as it is: it stays until the view
  // is painted again.
  QPoint Spot() {
    QPoint at = view->rect().center();
    {
      QPainter p(&view->Image());
      p.fillRect(QRect(at, QSize(3, 3)), Qt::red);
    }
    view->Invalidate(QRect(at, QSize(3, 3)), false);
    return at;
  }
  bool Repainted(QPoint spot) { return ShownViewImage(*view).pixel(spot) != qRgb(255, 0, 0); }

  RecordingUi ui;
  CNarvoDoc doc;
  std::unique_ptr<CNarvoView> view;
};

TEST_F(DisplaySettingsTest, ColourCommandsStoreTheChoiceAndShowIt) {
  struct Case {
    const char* name;
    void (*command)(CNarvoView*);
    EnvColor* setting;
    int paletteEntry;  // -1 none
    bool repaints;
  };
  const Case cases[] = {
      {"background", ChooseBackgroundColor, &g_rgbBackground, -1, true},
      {"last piece", ChooseLastPieceColor, &g_rgbLastPiece, kPalLastPiece, true},
      {"last from", ChooseLastFromColor, &g_rgbLastFrom, -1, true},
      {"last move", ChooseLastMoveColor, &g_rgbCurrentMove, -1, false},
      {"variation", ChooseVariationColor, &g_rgbVariation, -1, false},
      {"board", ChooseBoardColor, &g_rgbBoard, kPalBoard, true},
  };
  const EnvColor chosen{12, 34, 56};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EnvColor before = *c.setting;
    // Cancel changes nothing.
    QPoint spot = Spot();
    c.command(view.get());
    EXPECT_EQ(g_colourOffered, before);
    EXPECT_EQ(*c.setting, before);
    EXPECT_FALSE(Repainted(spot));

    g_colourAnswer = chosen;
    spot = Spot();
    c.command(view.get());
    g_colourAnswer.reset();
    EXPECT_EQ(*c.setting, chosen);
    if (c.paletteEntry >= 0) {
      EXPECT_EQ(GetPaletteColor(c.paletteEntry), qRgb(12, 34, 56));
    }
    EXPECT_EQ(Repainted(spot), c.repaints);
    EXPECT_EQ(ShownViewImage(*view), FreshViewPaint(*view));
  }
}

TEST_F(DisplaySettingsTest, TheSameBoardOrStandColourAgainChangesNothing) {
  for (EnvColor* setting : {&g_rgbBoard, &g_rgbPieceBox}) {
    g_colourAnswer = *setting;
    SetPaletteColor(kPalBoard, qRgb(1, 2, 3));  // would be put back by a change
    SetPaletteColor(kPalPieceBox, qRgb(1, 2, 3));
    QPoint spot = Spot();
    (setting == &g_rgbBoard ? ChooseBoardColor : ChooseStandColor)(view.get());
    EXPECT_EQ(GetPaletteColor(kPalBoard), qRgb(1, 2, 3));
    EXPECT_EQ(GetPaletteColor(kPalPieceBox), qRgb(1, 2, 3));
    EXPECT_FALSE(Repainted(spot));
  }
}

TEST_F(DisplaySettingsTest, StandColourRedrawsBothStands) {
  g_nStandKind = 2;  // plain stands show the colour
  MakeView();
  g_colourAnswer = EnvColor{10, 200, 10};
  ChooseStandColor(view.get());
  EXPECT_EQ(g_rgbPieceBox, (EnvColor{10, 200, 10}));
  EXPECT_EQ(GetPaletteColor(kPalPieceBox), qRgb(10, 200, 10));
  QImage shown = ShownViewImage(*view);
  EXPECT_EQ(shown, FreshViewPaint(*view));
  for (int side : {kSente, kGote}) {
    PixelRect r = StandRect(CurrentCellSize(), side, false);
    EXPECT_EQ(shown.pixel(r.left + 3, r.bottom - 4), qRgb(10, 200, 10));
  }
}

TEST_F(DisplaySettingsTest, LastPieceColourIsTheSquareColourUnderTheSquareMark) {
  g_nLastMoveMark = 3;
  const EnvColor piece = g_rgbLastPiece;
  g_colourAnswer = EnvColor{200, 10, 10};
  ChooseLastPieceColor(view.get());
  EXPECT_EQ(g_colourOffered, (EnvColor{206, 132, 57}));
  EXPECT_EQ(g_rgbLastSquare, (EnvColor{200, 10, 10}));
  EXPECT_EQ(g_rgbLastPiece, piece);
}

// With DrawBoard alone the marks over the board would vanish while they
// still count as shown.
TEST_F(DisplaySettingsTest, BoardColourAndCoordinateFontKeepTheLastMoveMarks) {
  AddMoveAndGo(Key(77, 76));
  view->InvalidateAll();
  ShownViewImage(*view);
  g_colourAnswer = EnvColor{250, 250, 200};
  ChooseBoardColor(view.get());
  QImage shown = ShownViewImage(*view);
  EXPECT_EQ(shown, FreshViewPaint(*view));
  PixelRect from = SquareRect(CurrentCellSize(), 77, false);
  EXPECT_EQ(shown.pixel(from.left + 2, from.top + 2), qRgb(224, 178, 131));

  g_fontAnswer = QFont(QStringLiteral("IPAGothic"));
  g_fontAnswer->setPointSize(10);
  ChooseCoordFont(view.get());
  shown = ShownViewImage(*view);
  EXPECT_EQ(shown, FreshViewPaint(*view));
  EXPECT_EQ(shown.pixel(from.left + 2, from.top + 2), qRgb(224, 178, 131));
}

TEST_F(DisplaySettingsTest, FontCommandsStoreFaceSizeWeightAndItalic) {
  auto font = [](const char* family, double points, bool bold, bool italic) {
    QFont f(QString::fromUtf8(family));
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
  };
  struct Case {
    const char* name;
    void (*command)(CNarvoView*);
    EnvFont* setting;
    QFont answer;
    EnvFont expected;
  };
  const std::u16string gothic = MapFontFace(u"ＭＳ ゴシック");
  const Case cases[] = {
      {"move list", ChooseDovuFont, &g_fontMoveListPt, font("IPAMincho", 12, true, false),
       {u"IPAMincho", 120, 700, 0}},
      {"info", ChooseInfoFont, &g_fontInfo, font("IPAPGothic", 12, false, true),
       {u"IPAPGothic", -16, 400, 1}},
      // The face kept as offered keeps the name the settings file uses.
      {"info kept", ChooseInfoFont, &g_fontInfo,
       font(std::string(QString::fromStdU16String(gothic).toUtf8()).c_str(), 9, false, false),
       {u"ＭＳ ゴシック", -12, 400, 0}},
      {"coordinates", ChooseCoordFont, &g_fontCoords, font("IPAGothic", 20, false, false),
       {u"IPAGothic", -21, 400, 0}},
      {"comment", ChooseCommentFont, &g_fontCommentPt, font("IPAMincho", 10.5, false, false),
       {u"IPAMincho", 105, 400, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetEnvDefaults();
    const EnvFont before = *c.setting;
    c.command(view.get());  // Cancel
    EXPECT_EQ(*c.setting, before);
    g_fontAnswer = c.answer;
    c.command(view.get());
    g_fontAnswer.reset();
    EXPECT_EQ(*c.setting, c.expected);
  }
  // The chooser starts from the setting: 13 pixels at 96 dpi are 9.75 points.
  ResetEnvDefaults();
  ChooseInfoFont(view.get());
  EXPECT_DOUBLE_EQ(g_fontOffered.pointSizeF(), 9.75);
  g_fontMoveListPt = {u"ＭＳ 明朝", 120, 700, 1};
  ChooseDovuFont(view.get());
  EXPECT_DOUBLE_EQ(g_fontOffered.pointSizeF(), 12);
  EXPECT_TRUE(g_fontOffered.bold());
  EXPECT_TRUE(g_fontOffered.italic());
}

TEST_F(DisplaySettingsTest, InfoFontChangeRedrawsThePanelWithItsLineHeight) {
  const int before = g_nInfoLineHeight;
  QFont big(QStringLiteral("IPAGothic"));
  big.setPointSize(14);
  g_fontAnswer = big;
  ChooseInfoFont(view.get());
  EXPECT_GT(g_nInfoLineHeight, before);
  EXPECT_EQ(ShownViewImage(*view), FreshViewPaint(*view));
}

// ---- Board and pieces ---------------------------------------------------------------

TEST(PiecesChangedRule, Table) {
  struct Case {
    int oldExt;
    const char16_t* oldFile;
    int oldSet;
    int newExt;
    const char16_t* newFile;
    int newSet;
    bool changed;
  };
  const Case cases[] = {
      {0, u"", 4, 1, u"", 4, true},                      // flag on
      {1, u"/a.bmp", 4, 0, u"/a.bmp", 4, true},          // flag off
      {0, u"", 4, 0, u"", 6, true},                      // another set
      {0, u"/a.bmp", 4, 0, u"/b.bmp", 4, false},         // the file does not count while off
      {1, u"/a.bmp", 4, 1, u"/A.BMP", 6, false},         // neither case nor set while on
      {1, u"/a.bmp", 4, 1, u"/b.bmp", 4, true},
      {0, u"", 4, 0, u"", 4, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PiecesChanged(c.oldExt, c.oldFile, c.oldSet, c.newExt, c.newFile, c.newSet), c.changed)
        << c.oldExt << c.newExt << c.oldSet << c.newSet;
}

class BoardPieceTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetEnvDefaults();
    savedEnvFolder = g_szEnvFolder;
    g_szEnvFolder = home.Path().toStdU16String() + u"/";  // the frame writes the settings at the end
    g_AppMode = kModeView;
    g_nDpiY = 96;
    g_dDpiScaleX = 1.0;
    g_nPieceSet = 4;
    UpdateInfoLineHeight();
    CreateAppPalette();
    LoadPieceBitmaps();
    LoadBoardGrain();
    LoadStandGrain();
    InitRecordPool(g_Record, 200);
    SetInitialBoard(g_Board);
    CopyBoardState(g_StartBoard, g_Board);
    g_pBoardPieceDialog = AnswerPieces;
    g_pieceAnswer.reset();
    frame = std::make_unique<CMainFrame>();
  }
  void TearDown() override {
    frame.reset();
    g_szEnvFolder = savedEnvFolder;
    FreeRecordPool(g_Record);
    FreePieceBitmaps();
    DeleteAppPalette();
    ResetEnvDefaults();
    g_nCellWidth = 31;
    g_nCellHeight = 32;
  }
  void Choose(BoardPieceChoice choice) {
    g_pieceAnswer = choice;
    EditBoardPieceSettings(frame->View());
    g_pieceAnswer.reset();
  }
  PrivateHome home;
  std::u16string savedEnvFolder;
  RecordingUi ui;
  CNarvoDoc doc;
  std::unique_ptr<CMainFrame> frame;
};

TEST_F(BoardPieceTest, ALargerSetGrowsTheInfoFontAndTheWindow) {
  Choose({0, 1, 3, 0, u""});  // 大二文字
  EXPECT_EQ(g_nPieceSet, 6);
  EXPECT_EQ(g_nCellWidth, 40);
  EXPECT_EQ(g_nCellHeight, 45);
  EXPECT_EQ(g_fontInfo.size, -15);
  EXPECT_EQ(frame->width(), 733);
  EXPECT_TRUE(ui.boxes.empty());
  // The dialog was given the stored choice as list indices.
  EXPECT_EQ(g_pieceOffered.pieceIndex, 1);
  EXPECT_EQ(g_pieceOffered.standKind, 1);

  Choose({0, 1, 1, 0, u""});  // back to the small set
  EXPECT_EQ(g_fontInfo.size, -13);
  EXPECT_EQ(frame->width(), 15 * 31 + 133);
}

TEST_F(BoardPieceTest, ASetOfTheSameSizeKeepsTheFont) {
  g_fontInfo.size = -11;
  Choose({0, 1, 0, 0, u""});  // set 3, as small as set 4
  EXPECT_EQ(g_nPieceSet, 3);
  EXPECT_EQ(g_fontInfo.size, -11);
  // Cancel keeps everything.
  EditBoardPieceSettings(frame->View());
  EXPECT_EQ(g_nPieceSet, 3);
}

TEST_F(BoardPieceTest, AnExternalSheetSizesTheFontByItsCells) {
  QImage sheet(480, 40, QImage::Format_RGB32);  // wide form: 20 x 20 cells
  sheet.fill(Qt::white);
  const QString path = home.Path() + "/pieces.bmp";
  ASSERT_TRUE(sheet.save(path, "BMP"));
  Choose({0, 1, 1, 1, path.toStdU16String()});
  EXPECT_EQ(g_bExternalPieces, 1);
  EXPECT_EQ(g_nCellWidth, 20);
  EXPECT_EQ(g_fontInfo.size, -8);
  EXPECT_TRUE(ui.boxes.empty());

  // A sheet that cannot be read: reported, and the built-in set is back.
  Choose({0, 1, 1, 1, (home.Path() + "/missing.bmp").toStdU16String()});
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(g_bExternalPieces, 0);
  EXPECT_EQ(g_nCellWidth, 31);
}

TEST_F(BoardPieceTest, FacesChangeTheGrain) {
  ASSERT_FALSE(g_BoardGrain.isNull());
  CNarvoView view;
  view.resize(CalcBoardWindowWidth(CurrentCellSize(), 1.0), 9 * g_nCellHeight + 70);
  ShownViewImage(view);
  g_pieceAnswer = BoardPieceChoice{2, 2, 1, 0, u""};
  EditBoardPieceSettings(&view);
  EXPECT_EQ(g_nBoardKind, 2);
  EXPECT_TRUE(g_BoardGrain.isNull());
  EXPECT_EQ(g_fontInfo.size, -13);  // the pieces did not change
  QImage shown = ShownViewImage(view);
  EXPECT_EQ(shown, FreshViewPaint(view));
  PixelRect board = BoardRect(CurrentCellSize());
  EXPECT_EQ(shown.pixel(board.left + 2, board.top + 2), qRgb(237, 170, 86));
}

TEST(PieceDialog, EnableRulesAndBrowse) {
  EnsureQtApp();
  ResetEnvDefaults();
  std::u16string folderAsked, titleAsked;
  FileDialogFunction saved = SetFileDialog([&](CNarvoView*, FileDialogRequest& r) {
    titleAsked = r.title;
    folderAsked = r.folder;
    r.fileName = u"/home/u/my pieces/KOMA.BMP";
    return FileDialogResult{1, 0};
  });
  g_szPieceBmpFile = u"/home/u/pieces/old.bmp";
  CPieceDlg dlg;
  dlg.m_nPieceSet = 2;
  dlg.m_bExternal = 1;
  dlg.m_strPieceFile = g_szPieceBmpFile;
  dlg.InitDialog();
  EXPECT_EQ(dlg.PieceList()->currentIndex(), 2);
  EXPECT_FALSE(dlg.PieceList()->isEnabled());
  EXPECT_TRUE(dlg.BrowseButton()->isEnabled());
  EXPECT_TRUE(dlg.FileEdit()->isEnabled());

  dlg.BrowseButton()->click();
  EXPECT_EQ(titleAsked, u"外部駒ファイルの設定");
  EXPECT_EQ(folderAsked, u"/home/u/pieces");
  EXPECT_EQ(dlg.FileEdit()->text(), QStringLiteral("/home/u/my pieces/KOMA.BMP"));

  dlg.ExternalCheck()->setChecked(false);
  EXPECT_TRUE(dlg.PieceList()->isEnabled());
  EXPECT_FALSE(dlg.BrowseButton()->isEnabled());
  EXPECT_FALSE(dlg.FileEdit()->isEnabled());
  ASSERT_TRUE(dlg.UpdateData(true));
  EXPECT_EQ(dlg.m_bExternal, 0);
  EXPECT_EQ(dlg.m_strPieceFile, u"/home/u/my pieces/KOMA.BMP");
  SetFileDialog(saved);
}

}  // namespace
