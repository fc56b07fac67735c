// The images the board is drawn from: the piece images and their masks, cut
// from a piece sheet (one of the built-in sets, or the user's ".bmp" file),
// the wood grain of the board and of the stands, and the shared 69-colour
// palette that is kept in step with them.
//
// Compositing a piece: AND its mask (black on the piece, white elsewhere)
// onto the target, then OR its image (black outside the piece). Both are
// QImage::Format_RGB32 so that QPainter's raster operations apply directly.
#pragma once
#include <QImage>
#include <QPoint>
#include <QRgb>
#include <QSize>

#include <cstdint>
#include <string>
#include <vector>

#include "view/dib_file.h"

class QPainter;

// Makes the built-in images and sounds (res/narvo.qrc, under ":/pieces",
// ":/grain", ":/sounds" and ":/icons") reachable; the library is static, so
// its resources must be asked for. The loaders here call it; calling it again
// does nothing.
void InitBuiltinResources();

// ---- The shared palette ------------------------------------------------------------

constexpr int kPaletteSize = 69;
enum PaletteEntry {
  kPalBoard = 0,              // 盤面色
  kPalPieceBox = 1,           // 駒箱色 (plain stands and piece box)
  kPalBlack = 2,
  kPalDarkGreen = 3,          // RGB(0, 127, 0)
  kPalSheetFirst = 4,         // 16 entries: the piece sheet's colours 0..15
  kPalBoardGrainFirst = 20,   // 16 entries: the board grain's first colours
  kPalStandGrainFirst = 36,   // 16 entries: the stand grain's first colours
  kPalLastPiece = 52,         // 最終駒の色
  kPalSheetSecond = 53,       // 16 entries: a 256-colour sheet's colours 16..31
};

struct AppPalette {
  uint16_t version = 0x300;
  QRgb entries[kPaletteSize] = {};
};

// Null until CreateAppPalette; the palette operations do nothing without it.
extern AppPalette* g_hPalette;

// Entries all black, then 0, 1 and 52 from the settings 盤面色, 駒箱色 and
// 最終駒の色 and 3 dark green. Replaces an earlier palette.
void CreateAppPalette();
void DeleteAppPalette();
// An entry's colour (black without a palette or for an index out of range).
QRgb GetPaletteColor(int index);
void SetPaletteColor(int index, QRgb color);

// Recolouring the last-moved piece: a pixel of the piece's cell takes the
// last-piece colour when its green is above this. With a plain board
// (盤の種類 2 or more) it is the board colour's green plus 8, with a wood
// board the highest green among the board grain's palette entries: the face
// of every piece is brighter than that, its writing and the board are not.
int GetRecolourThreshold();

// ---- Piece sets and cell sizes ----------------------------------------------

// One square in pixels, W x H (31 x 32 before any piece set is loaded).
extern int g_nCellWidth;
extern int g_nCellHeight;
// The size class of the built-in set in use (index into g_CellSizeTable).
extern int g_nSizeClass;
// Cell size (W, H) by size class 0..5.
extern const int g_CellSizeTable[6][2];

constexpr int kFirstPieceSet = 3;
constexpr int kLastPieceSet = 6;
// A stored set outside 3..6 names no sheet; this one is used instead.
constexpr int kFallbackPieceSet = 4;
// Sheet resource name ("S_2", "KOMA_1", "M_MAKI", "L_MAKI"), or null.
const char16_t* GetPieceSheetName(int set);
// Size class 1..3 of a built-in set, -1 for another value.
int GetPieceSetSizeClass(int set);
// The set flag: 1 for sets 3 and 4, 2 for 5 and 6, 0 otherwise. A set with
// the flag marks the last move by piece or square colour, never by overpaint.
int GetPieceSetFlag(int set);

// ---- Piece images -----------------------------------------------------------------

// Side 0 upright (the side shown at the bottom), side 1 inverted.
// Image index: 0 king written 王, 1 pawn, 2 lance, 3 knight, 4 silver,
// 5 gold, 6 bishop, 7 rook, 8 king written 玉, 9..15 the promoted pieces
// (13, gold's place in the promoted row, is never drawn).
// Mask index: 0 king, 1..7 pawn .. rook (promoted pieces use their kind's).
// Null images when nothing is loaded.
extern QImage g_PieceImage[2][16];
extern QImage g_PieceMask[2][8];

// Cuts a sheet (any format; converted to RGB32) into the 32 images and 16
// masks with cells of g_nCellWidth x g_nCellHeight.
void CutPieceSheet(const QImage& sheet, SheetForm form);

// At start and after a change of the pieces: the user's sheet when 外部駒 is
// set (refused files are reported, switch 外部駒 off and fall back), else the
// built-in sheet of 駒の種類. Sets the cell size. 0, or -1 when no images
// could be loaded.
int LoadPieceBitmaps();
int LoadExternalPieces();
int LoadPieceSheetResource();
// Copies the colour table of a sheet into palette entries 4..19 (and 53..68
// for 256 colours). With no sheet: the message, the warning sound, the
// palette unchanged.
class CxDIBBitmap;
void set_piece_col(const CxDIBBitmap* sheet);
// Drops the 32 images and 16 masks.
void FreePieceBitmaps();

// ---- Wood grain ---------------------------------------------------------------------

// A wood grain of 1000 x 1200: the bitmap as built into the program, decoded
// to RGB32 only as far right and down as drawing has reached (the start
// decodes just the part the board shows). Null when the kind is plain (2) or
// the grain could not be loaded. Each grain, once loaded, stays for the run.
struct LoadedGrain;
class WoodGrain {
public:
  bool isNull() const { return !m_grain; }
  // The whole grain's size.
  int width() const;
  int height() const;
  // An image of the grain's top left part, at least right x bottom pixels
  // of it (as far as the grain reaches).
  const QImage& Covering(int right, int bottom) const;
  QRgb pixel(int x, int y) const { return Covering(x + 1, y + 1).pixel(x, y); }
  void Set(const LoadedGrain* grain) { m_grain = grain; }

private:
  const LoadedGrain* m_grain = nullptr;
};
extern WoodGrain g_BoardGrain;
extern WoodGrain g_StandGrain;
// By 盤の種類 and 駒台の種類: kind 0 "Mokume01" (16 colours), 1 "Mokume02"
// (256 colours); its first 16 colours go into palette entries 20..35 (board)
// or 36..51 (stands).
void LoadBoardGrain();
void LoadStandGrain();

// ---- Device-independent bitmaps from ".bmp" files -------------------------------

// The palette of the last bitmap loaded: its colour table, or a 216-colour
// cube when it has none. Made by CreateDibPalette, replaced at each load.
extern std::vector<QRgb> g_DibPalette;
// Makes g_DibPalette; a table of 16 to 256 colours also goes into the shared
// palette (0..15 into entries 4..19, 16..31 into 53..68).
void CreateDibPalette(int count, const QRgb* table);

// A bitmap file held whole in memory.
class CxDIBBitmap {
public:
  explicit CxDIBBitmap(bool pieceSheet = false) : m_bPieceSheet(pieceSheet) {}
  virtual ~CxDIBBitmap() = default;
  // The whole image scaled into the destination rectangle.
  virtual void Draw(QPainter& painter, QPoint dest, QSize size, bool paletteInBackground);
  // The same at the image's own size.
  virtual void DrawNatural(QPainter& painter, QPoint dest);

  // 0; -1 when the file cannot be opened; -2 when it is not a bitmap this
  // program draws (ParseDibFile) or is too large.
  int LoadFile(const std::u16string& path);
  // The same for a file's bytes already in memory (a built-in resource).
  int LoadBytes(std::string bytes);
  void Free();

  bool IsLoaded() const { return !m_block.empty(); }
  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }
  const DibLayout& Layout() const { return m_layout; }
  // The colour table in red, green, blue order.
  std::vector<QRgb> ColorTable() const;
  // The pixels, top row first; null when nothing is loaded.
  QImage ToImage() const;

private:
  bool m_bPieceSheet;
  std::string m_block;          // the whole file
  uint64_t m_nFileLength = 0;
  DibLayout m_layout;
  int m_nWidth = 0;
  int m_nHeight = 0;
};
