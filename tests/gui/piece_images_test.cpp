// Piece sheets, wood grain and the shared palette.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "record/text.h"
#include "settings/env.h"
#include "tests/support/file_faults.h"
#include "tests/support/recording_ui.h"
#include "view/piece_images.h"

namespace {

// ---- A small writer of ".bmp" files -------------------------------------------------

void Put16(std::string& s, size_t at, unsigned v) {
  s[at] = char(v & 0xFF);
  s[at + 1] = char((v >> 8) & 0xFF);
}
void Put32(std::string& s, size_t at, uint32_t v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}

struct BmpShape {
  int width, height, bits;
  std::vector<QRgb> table;  // written as it stands
  bool topDown = false;
  uint32_t compression = 0;
  std::array<uint32_t, 3> masks = {0, 0, 0};  // with compression 3
};

// pixel(x, y) gives an index (up to 8 bits), a raw 16- or 32-bit value, or
// 0xRRGGBB for 24 bits.
std::string MakeBmp(const BmpShape& b, const std::function<uint32_t(int, int)>& pixel) {
  const size_t maskBytes = b.compression == 3 ? 12 : 0;
  const size_t tableOffset = 14 + 40 + maskBytes;
  const size_t bitsOffset = tableOffset + b.table.size() * 4;
  const size_t stride = ((size_t(b.width) * b.bits + 31) / 32) * 4;
  std::string s(bitsOffset + stride * b.height, '\0');
  s[0] = 'B';
  s[1] = 'M';
  Put32(s, 2, uint32_t(s.size()));
  Put32(s, 10, uint32_t(bitsOffset));
  Put32(s, 14, 40);
  Put32(s, 18, uint32_t(b.width));
  Put32(s, 22, uint32_t(b.topDown ? -b.height : b.height));
  Put16(s, 26, 1);
  Put16(s, 28, unsigned(b.bits));
  Put32(s, 30, b.compression);
  Put32(s, 46, uint32_t(b.table.size()));
  for (int i = 0; i < 3 && maskBytes; ++i) Put32(s, 54 + 4 * i, b.masks[i]);
  for (size_t i = 0; i < b.table.size(); ++i) {
    s[tableOffset + 4 * i] = char(qBlue(b.table[i]));
    s[tableOffset + 4 * i + 1] = char(qGreen(b.table[i]));
    s[tableOffset + 4 * i + 2] = char(qRed(b.table[i]));
  }
  for (int y = 0; y < b.height; ++y) {
    const size_t row = bitsOffset + stride * size_t(b.topDown ? y : b.height - 1 - y);
    for (int x = 0; x < b.width; ++x) {
      const uint32_t v = pixel(x, y);
      switch (b.bits) {
        case 1: s[row + x / 8] = char(s[row + x / 8] | (v & 1) << (7 - x % 8)); break;
        case 4: s[row + x / 2] = char(s[row + x / 2] | (x % 2 ? v & 0xF : (v & 0xF) << 4)); break;
        case 8: s[row + x] = char(v); break;
        case 16: Put16(s, row + 2 * x, v); break;
        case 24:
          s[row + 3 * x] = char(v & 0xFF);
          s[row + 3 * x + 1] = char((v >> 8) & 0xFF);
          s[row + 3 * x + 2] = char((v >> 16) & 0xFF);
          break;
        case 32: Put32(s, row + 4 * x, v); break;
      }
    }
  }
  return s;
}

std::vector<QRgb> GreyTable(int count) {
  std::vector<QRgb> t;
  for (int i = 0; i < count; ++i) t.push_back(qRgb(i, 255 - i, i / 2));
  return t;
}

int ParseBytes(const std::string& s, bool pieceSheet = true) {
  DibLayout layout;
  return ParseDibFile(reinterpret_cast<const uint8_t*>(s.data()), s.size(), pieceSheet, &layout);
}

// ---- Fixture ------------------------------------------------------------------------------

const QRgb kSentinel = qRgb(1, 2, 3);

class PieceImagesTest : public ::testing::Test {
protected:
  void SetUp() override {
    saved_ = {g_nPieceSet, g_bExternalPieces, g_szPieceBmpFile, g_nBoardKind, g_nStandKind, g_rgbBoard};
    ASSERT_TRUE(dir_.isValid());
    CreateAppPalette();
  }
  void TearDown() override {
    g_nPieceSet = saved_.set;
    g_bExternalPieces = saved_.external;
    g_szPieceBmpFile = saved_.file;
    g_nBoardKind = saved_.board;
    g_nStandKind = saved_.stand;
    g_rgbBoard = saved_.boardColour;
    FreePieceBitmaps();
    DeleteAppPalette();
  }
  std::u16string WriteTemp(const char* name, const std::string& bytes) {
    const QString path = dir_.filePath(QString::fromLatin1(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), qint64(bytes.size()));
    return path.toStdU16String();
  }
  // Loads the user's sheet file as the pieces.
  int LoadExternal(const std::u16string& path) {
    g_bExternalPieces = 1;
    g_szPieceBmpFile = path;
    return LoadPieceBitmaps();
  }
  void FillPalette(QRgb c) {
    for (int i = 0; i < kPaletteSize; ++i) SetPaletteColor(i, c);
  }
  static std::string Resource(const QString& path) {
    InitBuiltinResources();
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll().toStdString();
  }

  RecordingUi ui_;
  QTemporaryDir dir_;
  struct {
    unsigned char set;
    int external;
    std::u16string file;
    unsigned char board, stand;
    EnvColor boardColour;
  } saved_;
};

// Every pixel of img is c.
::testing::AssertionResult Uniform(const QImage& img, QRgb c) {
  if (img.isNull()) return ::testing::AssertionFailure() << "null image";
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) != (c & 0xFFFFFF))
        return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << std::hex << img.pixel(x, y)
                                             << ", expected " << c;
  return ::testing::AssertionSuccess();
}

// ---- Cutting the two layouts -----------------------------------------------------------

struct LayoutCase {
  const char* name;
  SheetForm form;
  int columns, rows, cellW, cellH, bits;
  bool topDown;
  int imageColumn[16], imageRow[16];  // upright side
  int maskColumn[8], maskRow[8];
  int invertedRowOffset;
};

const LayoutCase kLayouts[] = {
    {"normal", kSheetNormal, 8, 6, 12, 13, 8, false,
     {0, 7, 6, 5, 4, 3, 2, 1, 0, 7, 6, 5, 4, 3, 2, 1},
     {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1},
     {0, 7, 6, 5, 4, 3, 2, 1},
     {2, 2, 2, 2, 2, 2, 2, 2},
     3},
    // 480 x 40: 40 x 10 < 480, so a wide sheet of 20 x 20 cells.
    {"wide", kSheetWide, 24, 2, 20, 20, 24, true,
     {0, 14, 12, 10, 8, 6, 4, 2, 1, 15, 13, 11, 9, 7, 5, 3},
     {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     {16, 23, 22, 21, 20, 19, 18, 17},
     {0, 0, 0, 0, 0, 0, 0, 0},
     1},
};

QRgb CellColour(int column, int row) { return qRgb(10 + column * 10, 40 + row * 35, 200 - column * 5); }

TEST_F(PieceImagesTest, UserSheetIsCutInBothLayouts) {
  for (const LayoutCase& c : kLayouts) {
    SCOPED_TRACE(c.name);
    BmpShape shape{c.columns * c.cellW, c.rows * c.cellH, c.bits, {}, c.topDown};
    std::function<uint32_t(int, int)> pixel;
    if (c.bits == 8) {
      for (int r = 0; r < c.rows; ++r)
        for (int col = 0; col < c.columns; ++col) shape.table.push_back(CellColour(col, r));
      pixel = [&](int x, int y) { return uint32_t((y / c.cellH) * c.columns + x / c.cellW); };
    } else {
      pixel = [&](int x, int y) { return uint32_t(CellColour(x / c.cellW, y / c.cellH) & 0xFFFFFF); };
    }
    EXPECT_EQ(GetSheetForm(shape.width, shape.height), c.form);
    ASSERT_EQ(LoadExternal(WriteTemp("sheet.bmp", MakeBmp(shape, pixel))), 0);
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_EQ(g_bExternalPieces, 1);
    EXPECT_EQ(g_nCellWidth, c.cellW);
    EXPECT_EQ(g_nCellHeight, c.cellH);
    for (int side = 0; side < 2; ++side) {
      const int rowOffset = side * c.invertedRowOffset;
      for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(testing::Message() << "side " << side << " image " << i);
        EXPECT_EQ(g_PieceImage[side][i].size(), QSize(c.cellW, c.cellH));
        EXPECT_TRUE(Uniform(g_PieceImage[side][i], CellColour(c.imageColumn[i], c.imageRow[i] + rowOffset)));
      }
      for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(testing::Message() << "side " << side << " mask " << i);
        EXPECT_TRUE(Uniform(g_PieceMask[side][i], CellColour(c.maskColumn[i], c.maskRow[i] + rowOffset)));
      }
    }
  }
}

// ---- Refused files ----------------------------------------------------------------------

// A valid 8-bit normal sheet of 12 x 13 cells, to be spoilt.
std::string GoodSheet() {
  return MakeBmp({96, 78, 8, GreyTable(256)}, [](int x, int y) { return uint32_t((x + y) & 0xFF); });
}

TEST_F(PieceImagesTest, BadUserSheetIsRefusedAndTheBuiltInSetUsed) {
  struct BadCase {
    const char* name;
    std::function<std::string()> make;
  };
  const BadCase cases[] = {
      {"empty file", [] { return std::string(); }},
      {"shorter than its headers", [] { return GoodSheet().substr(0, 40); }},
      {"not a bitmap", [] { std::string s = GoodSheet(); s[0] = 'X'; return s; }},
      {"old core header", [] { std::string s = GoodSheet(); Put32(s, 14, 12); return s; }},
      {"header longer than the file", [] { std::string s = GoodSheet().substr(0, 100); Put32(s, 14, 90); return s; }},
      {"width 0", [] { std::string s = GoodSheet(); Put32(s, 18, 0); return s; }},
      {"negative width", [] { std::string s = GoodSheet(); Put32(s, 18, uint32_t(-96)); return s; }},
      {"height 0", [] { std::string s = GoodSheet(); Put32(s, 22, 0); return s; }},
      {"height beyond any image", [] { std::string s = GoodSheet(); Put32(s, 22, 0x80000000u); return s; }},
      {"two planes", [] { std::string s = GoodSheet(); Put16(s, 26, 2); return s; }},
      {"bit depth 7", [] { std::string s = GoodSheet(); Put16(s, 28, 7); return s; }},
      {"run-length compressed", [] { std::string s = GoodSheet(); Put32(s, 30, 1); return s; }},
      {"bit fields with 8 bits", [] { std::string s = GoodSheet(); Put32(s, 30, 3); return s; }},
      {"JPEG inside", [] { std::string s = GoodSheet(); Put32(s, 30, 4); return s; }},
      {"257 colours", [] { std::string s = GoodSheet(); Put32(s, 46, 257); return s; }},
      {"colour table beyond the end",
       [] { return MakeBmp({96, 78, 8, GreyTable(256)}, [](int, int) { return 0u; }).substr(0, 14 + 40 + 500); }},
      {"pixel rows cut short", [] { std::string s = GoodSheet(); s.resize(s.size() - 1); return s; }},
      {"pixel offset beyond the end", [] { std::string s = GoodSheet(); Put32(s, 10, 0xFFFFFFF0u); return s; }},
      {"pixel offset inside the header", [] { std::string s = GoodSheet(); Put32(s, 10, 20); return s; }},
      {"bit fields with a zero mask",
       [] { return MakeBmp({96, 78, 32, {}, false, 3, {0xFF0000, 0, 0xFF}}, [](int, int) { return 0u; }); }},
      {"cells too small", [] { return MakeBmp({40, 30, 8, GreyTable(16)}, [](int, int) { return 0u; }); }},
      {"cells too large", [] { return MakeBmp({8 * 200, 6 * 200, 1, GreyTable(2)}, [](int, int) { return 0u; }); }},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string bytes = c.make();
    EXPECT_EQ(ParseBytes(bytes), -2);
    ui_.boxes.clear();
    g_nPieceSet = 5;
    const std::u16string path = WriteTemp("bad.bmp", bytes);
    EXPECT_EQ(LoadExternal(path), 0);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, path + u" が読み込めません。");
    EXPECT_TRUE(ui_.boxes[0].flags & kMbIconError);
    EXPECT_EQ(g_bExternalPieces, 0);
    EXPECT_EQ(g_nCellWidth, 36);  // the built-in set 5
    EXPECT_EQ(g_nCellHeight, 39);
    EXPECT_FALSE(g_PieceImage[0][7].isNull());
  }
  // The good sheet itself passes, and a missing file is refused after a retry.
  EXPECT_EQ(ParseBytes(GoodSheet()), 0);
  ui_.boxes.clear();
  const std::u16string missing = (dir_.path() + "/none.bmp").toStdU16String();
  EXPECT_EQ(LoadExternal(missing), 0);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, missing + u" が読み込めません。");
  EXPECT_EQ(g_bExternalPieces, 0);
  // Nor is a sheet taken from anything but a regular file of a sane size:
  // endless zeros once filled the memory, a pipe held up the start.
  ScratchFolder hostile("sheet_hostile");
  for (const HostileInput& in : HostileInputs(hostile)) {
    SCOPED_TRACE(in.name);
    ui_.boxes.clear();
    g_bExternalPieces = 1;
    EXPECT_EQ(LoadExternal(PathFromNative(in.path)), 0);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, PathFromNative(in.path) + u" が読み込めません。");
    EXPECT_EQ(g_bExternalPieces, 0);
  }
}

// ---- Decoding -------------------------------------------------------------------------------

TEST_F(PieceImagesTest, EveryAcceptedFormatDecodesToTheSamePixels) {
  // A 5 x 3 image of four colours.
  const QRgb colours[4] = {qRgb(0, 0, 0), qRgb(248, 0, 0), qRgb(0, 248, 0), qRgb(0, 0, 248)};
  auto which = [](int x, int y) { return uint32_t((x + 2 * y) % 4); };
  const std::vector<QRgb> table(colours, colours + 4);
  struct Case {
    const char* name;
    BmpShape shape;
    std::function<uint32_t(int, int)> pixel;
  };
  const auto fromColour = [&](uint32_t (*encode)(QRgb)) {
    return [&, encode](int x, int y) { return encode(colours[which(x, y)]); };
  };
  const Case cases[] = {
      {"4 bits", {5, 3, 4, table}, which},
      {"8 bits, top-down", {5, 3, 8, table, true}, which},
      {"16 bits 5-5-5", {5, 3, 16, {}},
       fromColour([](QRgb c) { return uint32_t((qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | qBlue(c) >> 3); })},
      {"16 bits 5-6-5 fields", {5, 3, 16, {}, false, 3, {0xF800, 0x07E0, 0x001F}},
       fromColour([](QRgb c) { return uint32_t((qRed(c) >> 3) << 11 | (qGreen(c) >> 2) << 5 | qBlue(c) >> 3); })},
      {"24 bits", {5, 3, 24, {}}, fromColour([](QRgb c) { return uint32_t(c & 0xFFFFFF); })},
      {"32 bits", {5, 3, 32, {}}, fromColour([](QRgb c) { return uint32_t(c & 0xFFFFFF); })},
      {"32 bits in fields", {5, 3, 32, {}, false, 3, {0xFF, 0xFF00, 0xFF0000}},
       fromColour([](QRgb c) { return uint32_t(qBlue(c) << 16 | qGreen(c) << 8 | qRed(c)); })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CxDIBBitmap dib;
    ASSERT_EQ(dib.LoadBytes(MakeBmp(c.shape, c.pixel)), 0);
    const QImage img = dib.ToImage();
    ASSERT_EQ(img.size(), QSize(5, 3));
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        const QRgb want = colours[which(x, y)], got = img.pixel(x, y);
        // 5 and 6 bits scale back to within a step of the original.
        EXPECT_LE(std::abs(qRed(got) - qRed(want)) + std::abs(qGreen(got) - qGreen(want)) + std::abs(qBlue(got) - qBlue(want)), 24)
            << x << "," << y;
      }
  }
  // A monochrome table of two colours, bit 7 first.
  CxDIBBitmap mono;
  ASSERT_EQ(mono.LoadBytes(MakeBmp({9, 1, 1, {qRgb(0, 0, 0), qRgb(255, 255, 255)}}, [](int x, int) { return uint32_t(x == 0 || x == 8); })), 0);
  const QImage m = mono.ToImage();
  EXPECT_EQ(m.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(m.pixel(1, 0), qRgb(0, 0, 0));
  EXPECT_EQ(m.pixel(8, 0), qRgb(255, 255, 255));
}

// ---- The palette ------------------------------------------------------------------------------

TEST_F(PieceImagesTest, PaletteStartsFromTheSettings) {
  g_rgbBoard = {10, 20, 30};
  const EnvColor box = g_rgbPieceBox, last = g_rgbLastPiece;
  CreateAppPalette();
  EXPECT_EQ(GetPaletteColor(kPalBoard), qRgb(10, 20, 30));
  EXPECT_EQ(GetPaletteColor(kPalPieceBox), qRgb(box.r, box.g, box.b));
  EXPECT_EQ(GetPaletteColor(kPalBlack), qRgb(0, 0, 0));
  EXPECT_EQ(GetPaletteColor(kPalDarkGreen), qRgb(0, 127, 0));
  EXPECT_EQ(GetPaletteColor(kPalLastPiece), qRgb(last.r, last.g, last.b));
  EXPECT_EQ(GetPaletteColor(kPaletteSize), qRgb(0, 0, 0));
  DeleteAppPalette();
  SetPaletteColor(0, qRgb(9, 9, 9));  // without a palette nothing happens
  EXPECT_EQ(GetPaletteColor(0), qRgb(0, 0, 0));
}

// Indices of the entries whose colour is not the sentinel.
std::vector<int> ChangedEntries() {
  std::vector<int> changed;
  for (int i = 0; i < kPaletteSize; ++i)
    if (GetPaletteColor(i) != kSentinel) changed.push_back(i);
  return changed;
}

std::vector<int> Range(int first, int count) {
  std::vector<int> r;
  for (int i = 0; i < count; ++i) r.push_back(first + i);
  return r;
}

TEST_F(PieceImagesTest, SheetColoursGoIntoTheirEntries) {
  struct Case {
    int set;
    const char* resource;
    int bits;
    bool secondBlock;
  };
  const Case builtIn[] = {
      {3, ":/pieces/S_2.bmp", 4, false},
      {4, ":/pieces/KOMA_1.bmp", 8, true},
      {5, ":/pieces/M_MAKI.bmp", 8, true},
      {6, ":/pieces/L_MAKI.bmp", 8, true},
  };
  for (const Case& c : builtIn) {
    SCOPED_TRACE(c.set);
    FillPalette(kSentinel);
    g_bExternalPieces = 0;
    g_nPieceSet = uint8_t(c.set);
    ASSERT_EQ(LoadPieceBitmaps(), 0);
    CxDIBBitmap sheet;
    ASSERT_EQ(sheet.LoadBytes(Resource(QString::fromLatin1(c.resource))), 0);
    EXPECT_EQ(sheet.Layout().bitCount, c.bits);
    const std::vector<QRgb> table = sheet.ColorTable();
    std::vector<int> expected = Range(kPalSheetFirst, 16);
    if (c.secondBlock) {
      const std::vector<int> second = Range(kPalSheetSecond, 16);
      expected.insert(expected.end(), second.begin(), second.end());
    }
    // A sheet colour equal to the sentinel would hide a change; ours has none.
    EXPECT_EQ(ChangedEntries(), expected);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(GetPaletteColor(kPalSheetFirst + i), table[i]);
    if (c.secondBlock) {
      for (int i = 0; i < 16; ++i) EXPECT_EQ(GetPaletteColor(kPalSheetSecond + i), table[16 + i]);
    }
  }

  // A user's 16-colour sheet changes entries 4..19 only; a 24-bit one none,
  // and its own palette is the colour cube.
  FillPalette(kSentinel);
  ASSERT_EQ(LoadExternal(WriteTemp("s16.bmp", MakeBmp({96, 78, 4, GreyTable(16)}, [](int x, int) { return uint32_t(x % 16); }))), 0);
  EXPECT_EQ(ChangedEntries(), Range(kPalSheetFirst, 16));
  EXPECT_EQ(GetPaletteColor(kPalSheetFirst + 15), GreyTable(16)[15]);
  FillPalette(kSentinel);
  ASSERT_EQ(LoadExternal(WriteTemp("s24.bmp", MakeBmp({96, 78, 24, {}}, [](int, int) { return 0x123456u; }))), 0);
  EXPECT_TRUE(ChangedEntries().empty());
  ASSERT_EQ(g_DibPalette.size(), 216u);
  EXPECT_EQ(g_DibPalette.front(), qRgb(0, 0, 0));
  EXPECT_EQ(g_DibPalette[1], qRgb(0, 0, 42));
  EXPECT_EQ(g_DibPalette.back(), qRgb(212, 212, 212));
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(PieceImagesTest, GrainGivesItsFirstSixteenColoursAndTheThreshold) {
  CxDIBBitmap grain[2];
  ASSERT_EQ(grain[0].LoadBytes(Resource(":/grain/Mokume01.bmp")), 0);
  ASSERT_EQ(grain[1].LoadBytes(Resource(":/grain/Mokume02.bmp")), 0);
  EXPECT_EQ(grain[0].Layout().bitCount, 4);
  EXPECT_EQ(grain[1].Layout().bitCount, 8);
  for (int kind = 0; kind < 2; ++kind) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(grain[kind].Width(), 1000);
    EXPECT_EQ(grain[kind].Height(), 1200);
    const std::vector<QRgb> table = grain[kind].ColorTable();

    FillPalette(kSentinel);
    g_nBoardKind = uint8_t(kind);
    g_nStandKind = uint8_t(1 - kind);
    LoadBoardGrain();
    LoadStandGrain();
    std::vector<int> expected = Range(kPalBoardGrainFirst, 32);  // board's, then the stands'
    EXPECT_EQ(ChangedEntries(), expected);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(GetPaletteColor(kPalBoardGrainFirst + i), table[i]);
    ASSERT_EQ(QSize(g_BoardGrain.width(), g_BoardGrain.height()), QSize(1000, 1200));
    EXPECT_EQ(QSize(g_StandGrain.width(), g_StandGrain.height()), QSize(1000, 1200));
    // Decoded as far as asked, then further, it is the bitmap's picture.
    const QImage whole = grain[kind].ToImage();
    const QImage& part = g_BoardGrain.Covering(300, 200);
    ASSERT_GE(part.width(), 300);
    ASSERT_GE(part.height(), 200);
    EXPECT_EQ(part.copy(0, 0, 300, 200), whole.copy(0, 0, 300, 200));
    const QImage& all = g_BoardGrain.Covering(5000, 5000);
    ASSERT_EQ(all, whole);

    // The threshold of a wood board is the lightest green of those sixteen,
    // and no pixel of the grain is lighter in green than that.
    const int t = GetRecolourThreshold();
    int highest = 0;
    for (int i = 0; i < 16; ++i) highest = std::max(highest, qGreen(table[i]));
    EXPECT_EQ(t, highest);
    for (int y = 0; y < g_BoardGrain.height(); y += 3) {
      const QRgb* line = reinterpret_cast<const QRgb*>(all.constScanLine(y));
      for (int x = 0; x < g_BoardGrain.width(); ++x) ASSERT_LE(qGreen(line[x]), t) << x << "," << y;
    }
  }
  // A plain board and stand load nothing; the threshold follows the board colour.
  g_nBoardKind = 2;
  g_nStandKind = 2;
  FillPalette(kSentinel);
  LoadBoardGrain();
  LoadStandGrain();
  EXPECT_TRUE(g_BoardGrain.isNull());
  EXPECT_TRUE(g_StandGrain.isNull());
  EXPECT_TRUE(ChangedEntries().empty());
  g_rgbBoard = {237, 170, 86};
  EXPECT_EQ(GetRecolourThreshold(), 178);
  EXPECT_TRUE(ui_.boxes.empty());
}

// ---- The built-in sets ---------------------------------------------------------------------

// Thresholds of the default board kinds: both grains and the default plain colour.
std::vector<int> DefaultThresholds() {
  std::vector<int> t;
  const unsigned char saved = g_nBoardKind;
  const EnvColor savedColour = g_rgbBoard;
  for (int kind = 0; kind < 3; ++kind) {
    g_nBoardKind = uint8_t(kind);
    g_rgbBoard = {237, 170, 86};
    LoadBoardGrain();
    t.push_back(GetRecolourThreshold());
  }
  g_nBoardKind = saved;
  g_rgbBoard = savedColour;
  return t;
}

TEST_F(PieceImagesTest, BuiltInSetsHaveTheirSizesAndRecolourableFaces) {
  const std::vector<int> thresholds = DefaultThresholds();
  const int low = *std::min_element(thresholds.begin(), thresholds.end());
  const int high = *std::max_element(thresholds.begin(), thresholds.end());
  struct Case {
    int set, w, h, sizeClass;
  };
  const Case cases[] = {{3, 31, 32, 1}, {4, 31, 32, 1}, {5, 36, 39, 2}, {6, 40, 45, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.set);
    g_bExternalPieces = 0;
    g_nPieceSet = uint8_t(c.set);
    ASSERT_EQ(LoadPieceBitmaps(), 0);
    EXPECT_EQ(g_nCellWidth, c.w);
    EXPECT_EQ(g_nCellHeight, c.h);
    EXPECT_EQ(g_nSizeClass, c.sizeClass);
    EXPECT_EQ(g_CellSizeTable[c.sizeClass][0], c.w);
    EXPECT_EQ(g_CellSizeTable[c.sizeClass][1], c.h);
    for (int side = 0; side < 2; ++side) {
      for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(testing::Message() << "side " << side << " image " << i);
        const QImage& img = g_PieceImage[side][i];
        const QImage& mask = g_PieceMask[side][i == 0 || i == 8 ? 0 : i & 7];
        ASSERT_EQ(img.size(), QSize(c.w, c.h));
        int face = 0, black = 0, red = 0;
        for (int y = 0; y < c.h; ++y) {
          for (int x = 0; x < c.w; ++x) {
            const QRgb m = mask.pixel(x, y) & 0xFFFFFF, p = img.pixel(x, y) & 0xFFFFFF;
            ASSERT_TRUE(m == 0 || m == 0xFFFFFF) << x << "," << y;
            if (m) {
              ASSERT_EQ(p, 0u) << "image not black outside the piece at " << x << "," << y;
              continue;
            }
            // Every pixel of the piece is either face (caught by every
            // board's threshold) or writing and outline (caught by none).
            const int g = qGreen(p);
            ASSERT_TRUE(g > high || g <= low) << "green " << g << " at " << x << "," << y;
            if (g > high) ++face;
            if (qRed(p) > 150 && g < 100) ++red;
            if (qRed(p) < 60) ++black;
          }
        }
        EXPECT_GT(face, c.w * c.h / 4);
        const bool promoted = i >= 9 && i != 13;  // written in red
        EXPECT_EQ(red > 0, promoted);
        EXPECT_GT(promoted ? red : black, 10);
      }
    }
  }
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(PieceImagesTest, UnknownPieceSetFallsBackToTheSmallOneCharacterSet) {
  g_bExternalPieces = 0;
  g_nPieceSet = 9;
  ASSERT_EQ(LoadPieceBitmaps(), 0);
  EXPECT_EQ(g_nPieceSet, kFallbackPieceSet);
  EXPECT_EQ(g_nCellWidth, 31);
  EXPECT_EQ(g_nCellHeight, 32);
  EXPECT_TRUE(ui_.boxes.empty());
  FreePieceBitmaps();
  EXPECT_TRUE(g_PieceImage[1][15].isNull());
  EXPECT_TRUE(g_PieceMask[0][0].isNull());
}

TEST_F(PieceImagesTest, SoundsAndIconsAreBuiltIn) {
  for (const char* name : {":/sounds/komaoto.wav", ":/sounds/komaoto2.wav"}) {
    SCOPED_TRACE(name);
    const std::string wav = Resource(QString::fromLatin1(name));
    ASSERT_GT(wav.size(), 44u + 2000);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(wav[20], 1);  // PCM
  }
  for (const char* name : {":/icons/narvo.png", ":/icons/narvo_doc.png"}) {
    InitBuiltinResources();
    EXPECT_FALSE(QImage(QString::fromLatin1(name)).isNull()) << name;
  }
}

}  // namespace
