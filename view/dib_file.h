// Bitmap files (".bmp") taken apart without any drawing library, so that the
// checks of a user's file can be run on arbitrary bytes on their own.
#pragma once
#include <cstddef>
#include <cstdint>

inline uint16_t Read16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t Read32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// The two layouts of a piece sheet: normal, 8 columns x 6 rows (upright
// pieces, promoted pieces, masks, then the same inverted); wide, 24 columns x
// 2 rows (upright, inverted; images then masks across), for a sheet whose
// height x 10 is less than its width.
enum SheetForm { kSheetNormal = 0, kSheetWide = 1 };
SheetForm GetSheetForm(int width, int height);
void GetSheetCellSize(int width, int height, int* cellWidth, int* cellHeight);

// What ParseDibFile found in a file, as offsets into it.
struct DibLayout {
  uint32_t headerSize = 0;
  uint32_t tableOffset = 0;   // the colour table (blue, green, red, 0 each)
  uint32_t bitsOffset = 0;
  int width = 0;
  int height = 0;             // always positive
  bool topDown = false;       // rows stored from the top (negative height in the file)
  int bitCount = 0;           // 1, 4, 8, 16, 24 or 32
  uint32_t compression = 0;   // 0 none, 3 bit fields (16 and 32 bits)
  int colorCount = 0;         // colour table entries, 0..256
  uint32_t masks[3] = {0, 0, 0};  // red, green, blue for 16 and 32 bits
  uint32_t stride = 0;        // bytes per row
};

// Largest file taken in; anything larger is refused as not holdable.
constexpr uint64_t kMaxDibFileLength = 64ull << 20;
// Image sizes and piece-sheet cells taken.
constexpr int kMaxDibSide = 8192;
constexpr int kMinSheetCell = 8;
constexpr int kMaxSheetCell = 160;

// Checks a whole file before anything of it is used: the signature, the
// header, width and height, planes, a bit depth and compression that are
// drawn, at most 256 colours, the colour table and every pixel row inside the
// file. With pieceSheet the cells of the sheet (normal or wide form) must also
// be kMinSheetCell..kMaxSheetCell pixels each way. 0 and the layout, or -2.
int ParseDibFile(const uint8_t* data, size_t length, bool pieceSheet, DibLayout* layout);

// One row of the image (y counted from the top) as 0xFFRRGGBB values, width
// of them (or only the first count), from a file that ParseDibFile accepted
// with this layout. An index beyond the colour table gives black.
void DecodeDibRow(const uint8_t* file, const DibLayout& layout, int y, uint32_t* out, int count = -1);
