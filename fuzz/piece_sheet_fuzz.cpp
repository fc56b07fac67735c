// The bitmap checks on arbitrary bytes, as a user's piece sheet and as any
// bitmap: what they accept must decode whole without reading outside the file.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "view/dib_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input's length, so that a read past it is caught.
  const std::vector<uint8_t> file(data, data + size);
  for (bool sheet : {false, true}) {
    DibLayout l;
    if (ParseDibFile(file.data(), file.size(), sheet, &l) != 0) continue;
    Check(l.width >= 1 && l.width <= kMaxDibSide && l.height >= 1 && l.height <= kMaxDibSide, "size");
    if (sheet) {
      int w, h;
      GetSheetCellSize(l.width, l.height, &w, &h);
      Check(w >= kMinSheetCell && w <= kMaxSheetCell && h >= kMinSheetCell && h <= kMaxSheetCell, "cells");
    }
    std::vector<uint32_t> row(size_t(l.width));
    for (int y = 0; y < l.height; ++y) {
      DecodeDibRow(file.data(), l, y, row.data());
      for (uint32_t p : row) Check((p >> 24) == 0xFF, "opaque pixel");
    }
  }
  return 0;
}
