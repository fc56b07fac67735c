// Checks shared by the reader fuzz targets.
#pragma once
#include <cstdio>
#include <cstdlib>

#include "record/board.h"
#include "record/notation.h"
#include "record/record.h"

inline void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

// The piece set is possible and every piece on the board carries its identity.
inline bool SoundBoard(const BoardState& b) {
  if (CheckPieceSet(b) != kPieceSetOk) return false;
  for (int sq = 11; sq <= 99; ++sq) {
    if (!IsBoardSquare(sq)) continue;
    int id = b.idOnSquare[sq];
    if (IsPiece(b.squares[sq]) != (id != 0)) return false;
    if (id && b.squareOfId[id] != sq) return false;
  }
  return true;
}

// The tables, the move notation and a small record pool, set up once for the
// targets that read records; false when the pool cannot be had.
inline bool RecordFuzzReady() {
  static const bool ready = [] {
    InitSquareTables();
    InstallMoveNotation();
    return InitRecordPool(g_Record, 400) == 0;
  }();
  return ready;
}
