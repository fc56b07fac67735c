// Pictures of the board view: clipboard, files of each type, the trimming of
// print preview, the names made from the template and the save dialog.
#include "output/board_image.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QStandardPaths>

#include <filesystem>
#include <set>

#include "app/file_commands.h"
#include "record/atomic_file.h"
#include "record/header.h"
#include "record/text.h"
#include "settings/folders.h"
#include "tests/support/board_view_fixture.h"
#include "tests/support/file_faults.h"
#include "tests/support/file_picks.h"
#include "tests/support/record_building.h"

namespace {

QImage Decode(const std::string& bytes) {
  QImage image;
  image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), int(bytes.size()));
  return image.convertToFormat(QImage::Format_RGB32);
}

// Mean difference per channel, 0..255.
double MeanDifference(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
    }
  return sum / (3.0 * a.width() * a.height());
}

class BoardImageTest : public BoardViewFixture, protected FilePicks {
protected:
  void SetUp() override {
    SetUpView();
    g_AppMode = kModeView;
    g_nImageTypeIndex = 1;
    folder = PathFromNative(dir.Path());
  }
  void TearDown() override {
    g_szRecordFilePath.clear();
    g_szRecordTitle.clear();
    BoardViewFixture::TearDown();
  }
  QImage Expected() {
    const QImage whole = FreshViewPaint(*view);
    return whole.copy(0, 0, whole.width() - 1, whole.height() - 1);
  }
  std::string Read(const std::u16string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, bytes)) << Utf16ToUtf8(path);
    return bytes;
  }
  const ScratchFolder dir{"img"};
  std::u16string folder;
};

TEST_F(BoardImageTest, ClipboardAndFilesShowTheViewsOwnDrawing) {
  const QImage expected = Expected();
  CopyBitmapToClipboard(view.get());
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), expected);
  EXPECT_EQ(ui.status.back(), u"クリップボードへビットマップを出力しました。");
  struct Case {
    const char16_t* name;
    double tolerance;  // 0: pixel for pixel
  } cases[] = {{u"v.png", 0}, {u"v.bmp", 0}, {u"v.jpg", 6}, {u"v.gif", 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.name));
    ASSERT_EQ(SaveViewImage(view.get(), folder + c.name), 0);
    EXPECT_EQ(ui.status.back(), u"画像ファイル(" + folder + c.name + u")を出力しました。");
    const std::string bytes = Read(folder + c.name);
    const QImage saved = Decode(bytes);
    ASSERT_EQ(saved.size(), expected.size());
    if (c.tolerance == 0) EXPECT_EQ(saved, expected);
    else EXPECT_LT(MeanDifference(saved, expected), c.tolerance);
  }
  const QImage gif = Decode(Read(folder + u"v.gif"));
  std::set<QRgb> colours;
  for (int y = 0; y < gif.height(); ++y)
    for (int x = 0; x < gif.width(); ++x) colours.insert(gif.pixel(x, y));
  EXPECT_LE(colours.size(), 256u);
  // A folder that is not there is made; one that cannot be is named.
  ASSERT_EQ(SaveViewImage(view.get(), folder + u"new.png/deeper/v.png"), 0);
  EXPECT_EQ(Decode(Read(folder + u"new.png/deeper/v.png")).size(), expected.size());
  ui.status.clear();
  EXPECT_EQ(SaveViewImage(view.get(), folder + u"v.png/under/v.png"), -1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"フォルダ(" + folder + u"v.png/under/)が作成できません。");
  EXPECT_TRUE(ui.status.empty());
  // A target that cannot be written: the failure is told, nothing is claimed.
  EXPECT_EQ(SaveViewImage(view.get(), folder + u"new"), -1);  // "new.png" would be a folder
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].text, u"画像ファイル(" + folder + u"new.png)の保存に失敗しました。");
}

TEST_F(BoardImageTest, PreviewTrimsAndCopiesOneBitDeep) {
  view->resize(400, 420);
  g_AppMode = kModePreview;
  g_bImageTrim = 1;
  EXPECT_EQ(CaptureViewImage(view.get()).size(), QSize(250, 252));
  ASSERT_EQ(SaveViewImage(view.get(), folder + u"t.png"), 0);
  EXPECT_EQ(Decode(Read(folder + u"t.png")).size(), QSize(250, 252));
  g_bMonochromeCopy = 1;
  CopyBitmapToClipboard(view.get());
  g_bMonochromeCopy = 0;
  const QImage copied = QGuiApplication::clipboard()->image();
  EXPECT_EQ(copied.size(), QSize(250, 252));
  std::set<QRgb> colours;
  for (int y = 0; y < copied.height(); ++y)
    for (int x = 0; x < copied.width(); ++x) colours.insert(copied.pixel(x, y));
  EXPECT_LE(colours.size(), 2u);
  // Without trimming, the view below the preview bar.
  g_bImageTrim = 0;
  EXPECT_EQ(ImageCaptureRect(400, 420), QRect(0, 20, 399, 399));
}

TEST_F(BoardImageTest, NamesFromTheTemplate) {
  RecordHeader& h = g_Record.header;
  h.firstPlayer = u"A/B";
  h.secondPlayer = u"C\nD";
  h.event = u"E";
  h.opening = u"S";
  h.title = u"U";
  h.place = u"H";
  h.publishedIn = u"R";
  h.problemName = u"P";
  h.userItems[0] = u"X1";
  g_szRecordFilePath = u"/r/games/abc.dovu";
  g_szRecordTitle = u"abc";
  for (int file = 9; file >= 4; --file) {  // pawns forward on both sides
    AddMoveAndGo((file * 10 + 7) | (file * 10 + 6) << 8);
    AddMoveAndGo(((10 - file) * 10 + 3) | ((10 - file) * 10 + 4) << 8);
  }
  ASSERT_EQ(g_Record.moveNumber, 12);
  ASSERT_EQ(AppendComment(g_Record, 12, u"x/y"), 0);
  const std::u16string docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdU16String() + u"/";
  const std::u16string pics = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation).toStdU16String() + u"/";
  const std::u16string desk = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation).toStdU16String() + u"/";
  struct Case {
    std::u16string tmpl, expected;
  } cases[] = {
      {u"%M%f%N手", docs + u"abc12手"},
      {u"%n|%b|%w|%i|%s|%u|%h|%r|%1", u"12|A_B|C_D|E|S|U|H|R|X1"},
      {u"%F|%k|%p|%e", u"/r/games/abc|/r/games|" + pics + u"|" + desk},
      {u"%+|%/2|%*|%%|%Q|%", u"本手順|P|x_y_|%|%Q|%"},
      {u"%d", g_szProgramFolder},
  };
  for (const Case& c : cases) {
    g_szImageFileNameFormat = c.tmpl;
    EXPECT_EQ(Utf16ToUtf8(ExpandImageFileName()), Utf16ToUtf8(c.expected)) << Utf16ToUtf8(c.tmpl);
  }
  g_szImageFileNameFormat = u"%Y%y%t%l";
  const std::u16string dated = ExpandImageFileName();
  EXPECT_EQ(dated.find(u'/'), std::u16string::npos);
  EXPECT_GT(dated.size(), 14u);
}

TEST_F(BoardImageTest, SaveDialogTypesAndExtensions) {
  g_szRecordTitle = u"abc";
  g_szImageFileNameFormat = folder + u"%f";
  // The default name has no extension: PNG first, and ".png" added.
  picks = {{folder + u"abc", 1}};
  SaveImageAs(view.get());
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].title, u"画像の保存");
  EXPECT_EQ(requests[0].fileName, folder + u"abc");
  EXPECT_EQ(requests[0].filterIndex, 1);
  ASSERT_EQ(requests[0].filters.size(), 4u);
  EXPECT_EQ(requests[0].filters[3].first, u"GIF形式(*.gif)");
  EXPECT_TRUE(std::filesystem::exists(dir.Path("abc.png")));
  // a.txt as JPEG is a.txt.jpg, and JPEG is remembered.
  picks = {{folder + u"a.txt", 2}};
  SaveImageAs(view.get());
  EXPECT_EQ(Decode(Read(folder + u"a.txt.jpg")).size(), Expected().size());
  picks = {};
  SaveImageAs(view.get());
  EXPECT_EQ(requests.back().filterIndex, 2);
  // A name's own extension chooses the type shown.
  g_szImageFileNameFormat = folder + u"%f.GIF";
  SaveImageAs(view.get());
  EXPECT_EQ(requests.back().filterIndex, 4);
  // The named save takes the remembered type when the name has none.
  EXPECT_EQ(SaveViewImage(view.get(), folder + u"named"), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.Path("named.jpg")));
}

}  // namespace
