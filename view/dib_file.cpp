#include "view/dib_file.h"

#include <algorithm>
#include <bit>

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
  uint32_t Get(uint32_t v, uint32_t mask) const { return uint32_t(uint64_t((v & mask) >> shift) * 255 / max); }
};

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | (r << 16) | (g << 8) | b; }

}  // namespace

void DecodeDibRow(const uint8_t* file, const DibLayout& l, int y, uint32_t* out, int count) {
  const uint8_t* row = file + l.bitsOffset + size_t(l.topDown ? y : l.height - 1 - y) * l.stride;
  const int width = count < 0 ? l.width : std::min(count, l.width);
  if (l.bitCount <= 8) {
    // Every index a row can hold, so the loops below only look up.
    uint32_t colours[256];
    const uint8_t* table = file + l.tableOffset;
    const int reach = 1 << l.bitCount;
    for (int i = 0; i < reach; ++i)
      colours[i] = i < l.colorCount ? Rgb(table[4 * i + 2], table[4 * i + 1], table[4 * i]) : Rgb(0, 0, 0);
    switch (l.bitCount) {
      case 1:
        for (int x = 0; x < width; ++x) out[x] = colours[(row[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4:
        for (int x = 0; x + 1 < width; x += 2) {
          out[x] = colours[row[x >> 1] >> 4];
          out[x + 1] = colours[row[x >> 1] & 0xF];
        }
        if (width & 1) out[width - 1] = colours[row[width >> 1] >> 4];
        break;
      default:
        for (int x = 0; x < width; ++x) out[x] = colours[row[x]];
        break;
    }
    return;
  }
  if (l.bitCount == 24) {
    for (int x = 0; x < width; ++x) out[x] = Rgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    return;
  }
  const Channel cr(l.masks[0]), cg(l.masks[1]), cb(l.masks[2]);
  for (int x = 0; x < width; ++x) {
    const uint32_t v = l.bitCount == 16 ? Read16(row + 2 * x) : Read32(row + 4 * x);
    out[x] = Rgb(cr.Get(v, l.masks[0]), cg.Get(v, l.masks[1]), cb.Get(v, l.masks[2]));
  }
}
