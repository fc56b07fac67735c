#include "view/piece_images.h"

#include <QCursor>
#include <QFile>
#include <QResource>
#include <QGuiApplication>
#include <QPainter>
#include <QThread>

#include <algorithm>

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

// The colour table of a bitmap file that ParseDibFile accepted.
static std::vector<QRgb> DibColorTable(const uint8_t* file, const DibLayout& layout) {
  std::vector<QRgb> table;
  const uint8_t* p = file + layout.tableOffset;
  for (int i = 0; i < layout.colorCount; ++i, p += 4) table.push_back(qRgb(p[2], p[1], p[0]));
  return table;
}

WoodGrain g_BoardGrain;
WoodGrain g_StandGrain;

struct LoadedGrain {
  const uint8_t* file = nullptr;  // the resource's bytes, mapped with the program
  DibLayout layout;
  mutable QImage decoded;         // the top left part decoded so far
};

int WoodGrain::width() const { return m_grain ? m_grain->layout.width : 0; }
int WoodGrain::height() const { return m_grain ? m_grain->layout.height : 0; }

const QImage& WoodGrain::Covering(int right, int bottom) const {
  static const QImage none;
  if (!m_grain) return none;
  const LoadedGrain& g = *m_grain;
  const DibLayout& l = g.layout;
  right = std::clamp(right, 0, l.width);
  bottom = std::clamp(bottom, 0, l.height);
  if (right <= g.decoded.width() && bottom <= g.decoded.height()) return g.decoded;
  // Grown in steps, so that a slightly larger board decodes again seldom.
  constexpr int kStep = 64;
  auto grown = [&](int want, int have, int whole) {
    return want <= have ? have : std::min(whole, (want + kStep - 1) / kStep * kStep);
  };
  const int width = grown(right, g.decoded.width(), l.width);
  const int height = grown(bottom, g.decoded.height(), l.height);
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return none;
  for (int y = 0; y < height; ++y) DecodeDibRow(g.file, l, y, reinterpret_cast<uint32_t*>(image.scanLine(y)), width);
  g.decoded = std::move(image);
  return g.decoded;
}

namespace {

// The grain of a kind 0 or 1, loaded once; null when it cannot be had.
const LoadedGrain* GetGrain(int kind) {
  static LoadedGrain grains[2];
  if (kind < 0 || kind > 1) return nullptr;
  LoadedGrain& g = grains[kind];
  if (!g.file) {
    InitBuiltinResources();
    // Stored uncompressed, so the bytes are read where they lie.
    QResource resource(kind == 0 ? QStringLiteral(":/grain/Mokume01.bmp") : QStringLiteral(":/grain/Mokume02.bmp"));
    const uint8_t* bytes = resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression
                               ? reinterpret_cast<const uint8_t*>(resource.data())
                               : nullptr;
    DibLayout layout;
    if (!bytes || ParseDibFile(bytes, size_t(resource.size()), false, &layout) != 0) {
      ShowMessage(u"木目リソースがロードできません。");
      return nullptr;
    }
    g.file = bytes;
    g.layout = layout;
  }
  return &g;
}

void LoadGrain(int kind, WoodGrain& target, int firstEntry) {
  target.Set(nullptr);
  if (kind > 1) return;  // plain colour
  const LoadedGrain* g = GetGrain(kind);
  if (!g) return;
  target.Set(g);
  CopyToPalette(firstEntry, DibColorTable(g->file, g->layout), 0, 16);
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
  if (!IsLoaded()) return {};
  return DibColorTable(reinterpret_cast<const uint8_t*>(m_block.data()), m_layout);
}

QImage CxDIBBitmap::ToImage() const {
  if (!IsLoaded()) return QImage();
  QImage img(m_layout.width, m_layout.height, QImage::Format_RGB32);
  if (img.isNull()) return img;
  const uint8_t* file = reinterpret_cast<const uint8_t*>(m_block.data());
  for (int y = 0; y < m_layout.height; ++y)
    DecodeDibRow(file, m_layout, y, reinterpret_cast<uint32_t*>(img.scanLine(y)));
  return img;
}
