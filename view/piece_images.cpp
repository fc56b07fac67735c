#include "view/piece_images.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <bit>

#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"

void InitBuiltinResources() {
  static bool done = false;
  if (!done) {
    Q_INIT_RESOURCE(narvo);
    done = true;
  }
}

namespace {

QRgb ToRgb(const EnvColor& c) { return qRgb(c.r, c.g, c.b); }

uint16_t Read16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Read32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

// The wait cursor while a user's sheet is read (only with a GUI application).
class WaitCursor {
public:
  WaitCursor() : active_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (active_) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  }
  ~WaitCursor() { Restore(); }
  void Restore() {
    if (active_) QGuiApplication::restoreOverrideCursor();
    active_ = false;
  }

private:
  bool active_;
};

}  // namespace

// ---- The shared palette ------------------------------------------------------------

AppPalette* g_hPalette = nullptr;

void CreateAppPalette() {
  delete g_hPalette;
  g_hPalette = new AppPalette;
  std::fill(std::begin(g_hPalette->entries), std::end(g_hPalette->entries), qRgb(0, 0, 0));
  g_hPalette->entries[kPalBoard] = ToRgb(g_rgbBoard);
  g_hPalette->entries[kPalPieceBox] = ToRgb(g_rgbPieceBox);
  g_hPalette->entries[kPalDarkGreen] = qRgb(0, 127, 0);
  g_hPalette->entries[kPalLastPiece] = ToRgb(g_rgbLastPiece);
}

void DeleteAppPalette() {
  delete g_hPalette;
  g_hPalette = nullptr;
}

QRgb GetPaletteColor(int index) {
  if (!g_hPalette || index < 0 || index >= kPaletteSize) return qRgb(0, 0, 0);
  return g_hPalette->entries[index];
}

void SetPaletteColor(int index, QRgb color) {
  if (g_hPalette && index >= 0 && index < kPaletteSize) g_hPalette->entries[index] = qRgb(qRed(color), qGreen(color), qBlue(color));
}

int GetRecolourThreshold() {
  if (g_nBoardKind >= 2) return g_rgbBoard.g + 8;
  int highest = 0;
  for (int i = 0; i < 16; ++i) highest = std::max(highest, qGreen(GetPaletteColor(kPalBoardGrainFirst + i)));
  return highest;
}

// Copies colours first..first+count-1 of a table (as far as it has them)
// into consecutive palette entries.
static void CopyToPalette(int entry, const std::vector<QRgb>& table, int first, int count) {
  for (int i = 0; i < count && first + i < int(table.size()); ++i) SetPaletteColor(entry + i, table[first + i]);
}

// ---- Piece sets and cell sizes ----------------------------------------------

int g_nCellWidth = 31;
int g_nCellHeight = 32;
int g_nSizeClass = 1;
const int g_CellSizeTable[6][2] = {{25, 26}, {31, 32}, {36, 39}, {40, 45}, {56, 62}, {71, 78}};

const char16_t* GetPieceSheetName(int set) {
  switch (set) {
    case 3: return u"S_2";
    case 4: return u"KOMA_1";
    case 5: return u"M_MAKI";
    case 6: return u"L_MAKI";
    default: return nullptr;
  }
}

int GetPieceSetSizeClass(int set) {
  switch (set) {
    case 3:
    case 4: return 1;
    case 5: return 2;
    case 6: return 3;
    default: return -1;
  }
}

int GetPieceSetFlag(int set) {
  if (set == 3 || set == 4) return 1;
  if (set == 5 || set == 6) return 2;
  return 0;
}

// ---- Piece images -----------------------------------------------------------------

QImage g_PieceImage[2][16];
QImage g_PieceMask[2][8];

SheetForm GetSheetForm(int width, int height) {
  return int64_t(height) * 10 < int64_t(width) ? kSheetWide : kSheetNormal;
}

void GetSheetCellSize(int width, int height, int* cellWidth, int* cellHeight) {
  if (GetSheetForm(width, height) == kSheetWide) {
    *cellWidth = width / 24;
    *cellHeight = height / 2;
  } else {
    *cellWidth = width / 8;
    *cellHeight = height / 6;
  }
}

// Sheet cell (column, row) of an image index and of a mask index, for the
// upright side; the inverted side lies 3 rows (normal form) or 1 row (wide
// form) lower.
static void ImageCell(SheetForm form, int index, int* column, int* row) {
  const int kind = index & 7;  // 0 for both kings
  const bool second = index >= 8;
  if (form == kSheetWide) {
    *column = kind == 0 ? (second ? 1 : 0) : 2 * (8 - kind) + (second ? 1 : 0);
    *row = 0;
  } else {
    *column = kind == 0 ? 0 : 8 - kind;
    *row = second ? 1 : 0;
  }
}

static void MaskCell(SheetForm form, int index, int* column, int* row) {
  if (form == kSheetWide) {
    *column = 16 + (index == 0 ? 0 : 8 - index);
    *row = 0;
  } else {
    *column = index == 0 ? 0 : 8 - index;
    *row = 2;
  }
}

void CutPieceSheet(const QImage& sheetIn, SheetForm form) {
  const QImage sheet = sheetIn.format() == QImage::Format_RGB32 ? sheetIn : sheetIn.convertToFormat(QImage::Format_RGB32);
  const int W = g_nCellWidth, H = g_nCellHeight;
  const int sideRows = form == kSheetWide ? 1 : 3;
  for (int side = 0; side < 2; ++side) {
    for (int i = 0; i < 16; ++i) {
      int column, row;
      ImageCell(form, i, &column, &row);
      g_PieceImage[side][i] = sheet.copy(column * W, (row + side * sideRows) * H, W, H);
    }
    for (int i = 0; i < 8; ++i) {
      int column, row;
      MaskCell(form, i, &column, &row);
      g_PieceMask[side][i] = sheet.copy(column * W, (row + side * sideRows) * H, W, H);
    }
  }
}

void FreePieceBitmaps() {
  for (auto& side : g_PieceImage)
    for (QImage& img : side) img = QImage();
  for (auto& side : g_PieceMask)
    for (QImage& img : side) img = QImage();
}

void set_piece_col(const CxDIBBitmap* sheet) {
  if (!sheet || !sheet->IsLoaded()) {
    ShowMessage(u"set_piece_col() 駒リソースがロードできません。");
    Ui().PlayWarningSound();
    return;
  }
  const int bits = sheet->Layout().bitCount;
  const int count = bits == 1 ? 2 : bits == 8 ? 256 : bits == 24 ? 0 : 16;
  const std::vector<QRgb> table = sheet->ColorTable();
  CopyToPalette(kPalSheetFirst, table, 0, std::min(count, 16));
  if (count == 256) CopyToPalette(kPalSheetSecond, table, 16, 16);
}

// Takes the cell size of a sheet and cuts it.
static void UseSheet(const CxDIBBitmap& dib) {
  const QImage sheet = dib.ToImage();
  GetSheetCellSize(sheet.width(), sheet.height(), &g_nCellWidth, &g_nCellHeight);
  CutPieceSheet(sheet, GetSheetForm(sheet.width(), sheet.height()));
}

int LoadExternalPieces() {
  WaitCursor wait;
  CxDIBBitmap dib(true);
  int result = dib.LoadFile(g_szPieceBmpFile);
  if (result == -1) {  // the file may be held by another program for a moment
    QThread::msleep(1000);
    result = dib.LoadFile(g_szPieceBmpFile);
  }
  if (result != 0) {
    wait.Restore();
    ShowMessage(FormatU16(u"%s が読み込めません。", g_szPieceBmpFile.c_str()));
    g_bExternalPieces = 0;
    return -1;
  }
  UseSheet(dib);
  return 0;
}

int LoadPieceSheetResource() {
  InitBuiltinResources();
  if (!GetPieceSheetName(g_nPieceSet)) g_nPieceSet = kFallbackPieceSet;
  const char16_t* name = GetPieceSheetName(g_nPieceSet);
  CxDIBBitmap dib;
  QFile file(QStringLiteral(":/pieces/%1.bmp").arg(QString::fromUtf16(name)));
  const bool found = file.open(QIODevice::ReadOnly) && dib.LoadBytes(file.readAll().toStdString()) == 0;
  set_piece_col(found ? &dib : nullptr);
  if (!found) {
    ShowMessage(FormatU16(u"駒リソース%sがロードできません。", name));
    return -1;
  }
  UseSheet(dib);
  g_nSizeClass = GetPieceSetSizeClass(g_nPieceSet);
  return 0;
}

int LoadPieceBitmaps() {
  FreePieceBitmaps();
  if (g_bExternalPieces && LoadExternalPieces() == 0) return 0;
  return LoadPieceSheetResource();
}

// ---- Wood grain ---------------------------------------------------------------------

QImage g_BoardGrain;
QImage g_StandGrain;

namespace {

struct LoadedGrain {
  QImage image;
  std::vector<QRgb> colours;
};

// The grain of a kind 0 or 1, loaded once; null when it cannot be had.
const LoadedGrain* GetGrain(int kind) {
  static LoadedGrain grains[2];
  if (kind < 0 || kind > 1) return nullptr;
  LoadedGrain& g = grains[kind];
  if (g.image.isNull()) {
    InitBuiltinResources();
    QFile file(kind == 0 ? QStringLiteral(":/grain/Mokume01.bmp") : QStringLiteral(":/grain/Mokume02.bmp"));
    CxDIBBitmap dib;
    if (!file.open(QIODevice::ReadOnly) || dib.LoadBytes(file.readAll().toStdString()) != 0) {
      ShowMessage(u"木目リソースがロードできません。");
      return nullptr;
    }
    g.image = dib.ToImage();
    g.colours = dib.ColorTable();
  }
  return &g;
}

void LoadGrain(int kind, QImage& target, int firstEntry) {
  target = QImage();
  if (kind > 1) return;  // plain colour
  const LoadedGrain* g = GetGrain(kind);
  if (!g) return;
  target = g->image;
  CopyToPalette(firstEntry, g->colours, 0, 16);
}

}  // namespace

void LoadBoardGrain() { LoadGrain(g_nBoardKind, g_BoardGrain, kPalBoardGrainFirst); }
void LoadStandGrain() { LoadGrain(g_nStandKind, g_StandGrain, kPalStandGrainFirst); }

// ---- Device-independent bitmaps ---------------------------------------------------

std::vector<QRgb> g_DibPalette;

void CreateDibPalette(int count, const QRgb* table) {
  g_DibPalette.clear();
  if (count <= 0 || !table) {
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) g_DibPalette.push_back(qRgb(r * 255 / 6, g * 255 / 6, b * 255 / 6));
    return;
  }
  g_DibPalette.assign(table, table + count);
  if (count >= 16 && count <= 256) {
    CopyToPalette(kPalSheetFirst, g_DibPalette, 0, 16);
    if (count > 16) CopyToPalette(kPalSheetSecond, g_DibPalette, 16, 16);
  }
}

int ParseDibFile(const uint8_t* d, size_t length, bool pieceSheet, DibLayout* out) {
  constexpr size_t kFileHeader = 14;
  if (!d || length < kFileHeader + 40 || d[0] != 'B' || d[1] != 'M') return -2;
  DibLayout l;
  l.headerSize = Read32(d + 14);
  // Information headers only (40 bytes and its later, longer forms).
  if (l.headerSize < 40 || l.headerSize > 124 || kFileHeader + l.headerSize > length) return -2;
  const int32_t width = int32_t(Read32(d + 18));
  const int64_t height = int32_t(Read32(d + 22));
  if (width < 1 || width > kMaxDibSide || height == 0 || height < -kMaxDibSide || height > kMaxDibSide) return -2;
  l.width = width;
  l.height = int(height < 0 ? -height : height);
  l.topDown = height < 0;
  if (Read16(d + 26) != 1) return -2;  // planes
  l.bitCount = Read16(d + 28);
  if (l.bitCount != 1 && l.bitCount != 4 && l.bitCount != 8 && l.bitCount != 16 && l.bitCount != 24 && l.bitCount != 32)
    return -2;
  l.compression = Read32(d + 30);
  if (l.compression != 0 && !(l.compression == 3 && (l.bitCount == 16 || l.bitCount == 32))) return -2;
  const uint32_t used = Read32(d + 46);
  if (used > 256) return -2;
  l.colorCount = used ? int(used) : (l.bitCount <= 8 ? 1 << l.bitCount : 0);

  uint64_t tableOffset = kFileHeader + l.headerSize;
  if (l.compression == 3) {
    // The three masks follow a 40-byte header and lie inside a longer one.
    if (l.headerSize == 40) tableOffset += 12;
    if (length < kFileHeader + 52) return -2;
    const uint32_t limit = l.bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    for (int i = 0; i < 3; ++i) {
      l.masks[i] = Read32(d + 54 + 4 * i);
      if (l.masks[i] == 0 || l.masks[i] > limit) return -2;
    }
  } else if (l.bitCount == 16) {
    l.masks[0] = 0x7C00;
    l.masks[1] = 0x03E0;
    l.masks[2] = 0x001F;
  } else if (l.bitCount == 32) {
    l.masks[0] = 0xFF0000;
    l.masks[1] = 0x00FF00;
    l.masks[2] = 0x0000FF;
  }
  if (tableOffset + uint64_t(l.colorCount) * 4 > length) return -2;
  l.tableOffset = uint32_t(tableOffset);

  const uint64_t stride = ((uint64_t(l.width) * l.bitCount + 31) / 32) * 4;
  const uint64_t bitsOffset = Read32(d + 10);
  if (bitsOffset < kFileHeader + l.headerSize || bitsOffset + stride * uint64_t(l.height) > length) return -2;
  l.bitsOffset = uint32_t(bitsOffset);
  l.stride = uint32_t(stride);

  if (pieceSheet) {
    int w, h;
    GetSheetCellSize(l.width, l.height, &w, &h);
    if (w < kMinSheetCell || w > kMaxSheetCell || h < kMinSheetCell || h > kMaxSheetCell) return -2;
  }
  *out = l;
  return 0;
}

void CxDIBBitmap::Draw(QPainter& painter, QPoint dest, QSize size, bool /*paletteInBackground*/) {
  if (IsLoaded()) painter.drawImage(QRect(dest, size), ToImage());
}

void CxDIBBitmap::DrawNatural(QPainter& painter, QPoint dest) { Draw(painter, dest, QSize(m_nWidth, m_nHeight), false); }

void CxDIBBitmap::Free() {
  m_block.clear();
  m_block.shrink_to_fit();
  m_nFileLength = 0;
  m_layout = DibLayout();
  m_nWidth = m_nHeight = 0;
}

int CxDIBBitmap::LoadBytes(std::string bytes) {
  Free();
  DibLayout layout;
  if (bytes.size() > kMaxDibFileLength ||
      ParseDibFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), m_bPieceSheet, &layout) != 0)
    return -2;
  m_block = std::move(bytes);
  m_nFileLength = m_block.size();
  m_layout = layout;
  m_nWidth = layout.width;
  m_nHeight = layout.height;
  return 0;
}

int CxDIBBitmap::LoadFile(const std::u16string& path) {
  // Only a regular file of a bounded size: a device or a pipe named as the
  // sheet must neither fill the memory nor hold up the start.
  std::string bytes;
  if (path.empty() || !ReadFileBytes(path, bytes)) return -1;
  Free();
  g_DibPalette.clear();
  const int result = LoadBytes(std::move(bytes));
  if (result != 0) return result;
  const std::vector<QRgb> table = ColorTable();
  CreateDibPalette(int(table.size()), table.data());
  return 0;
}

std::vector<QRgb> CxDIBBitmap::ColorTable() const {
  std::vector<QRgb> table;
  if (!IsLoaded()) return table;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(m_block.data()) + m_layout.tableOffset;
  for (int i = 0; i < m_layout.colorCount; ++i, p += 4) table.push_back(qRgb(p[2], p[1], p[0]));
  return table;
}

namespace {

// One channel of a bit-field pixel, scaled to 0..255.
struct Channel {
  int shift = 0;
  uint32_t max = 1;
  explicit Channel(uint32_t mask) {
    if (mask) {
      shift = std::countr_zero(mask);
      max = mask >> shift;
    }
  }
  int Get(uint32_t v, uint32_t mask) const { return int(uint64_t((v & mask) >> shift) * 255 / max); }
};

}  // namespace

QImage CxDIBBitmap::ToImage() const {
  if (!IsLoaded()) return QImage();
  const DibLayout& l = m_layout;
  QImage img(l.width, l.height, QImage::Format_RGB32);
  if (img.isNull()) return img;
  const std::vector<QRgb> table = ColorTable();
  auto indexed = [&](unsigned i) { return i < table.size() ? table[i] : qRgb(0, 0, 0); };
  const Channel cr(l.masks[0]), cg(l.masks[1]), cb(l.masks[2]);
  const uint8_t* bits = reinterpret_cast<const uint8_t*>(m_block.data()) + l.bitsOffset;
  for (int y = 0; y < l.height; ++y) {
    const uint8_t* row = bits + size_t(l.topDown ? y : l.height - 1 - y) * l.stride;
    QRgb* out = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < l.width; ++x) {
      switch (l.bitCount) {
        case 1: out[x] = indexed((row[x >> 3] >> (7 - (x & 7))) & 1); break;
        case 4: out[x] = indexed((x & 1) ? row[x >> 1] & 0xF : row[x >> 1] >> 4); break;
        case 8: out[x] = indexed(row[x]); break;
        case 24: out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
        case 16:
        case 32: {
          const uint32_t v = l.bitCount == 16 ? Read16(row + 2 * x) : Read32(row + 4 * x);
          out[x] = qRgb(cr.Get(v, l.masks[0]), cg.Get(v, l.masks[1]), cb.Get(v, l.masks[2]));
          break;
        }
      }
    }
  }
  return img;
}
