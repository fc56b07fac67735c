// Builds a record move by move for tests: the move key goes into g_Record
// after the current node and is played on g_Board. An end mark is added
// without being entered unless enterResign is set and it is 投了.
#pragma once
#include <gtest/gtest.h>

#include "record/board.h"
#include "record/record.h"
#include "record/rules.h"

inline void AddMoveAndGo(int key, bool enterResign = false) {
  ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, key, 0), 0);
  const int to = key >> 8;
  if (to > 10) MakeMoveOnBoard(g_Board, BuildMoveCode(g_Board, key & 0xFF, to));
  else if (!(enterResign && to == kEndResign)) return;
  g_Board.sideToMove = kSente - g_Board.sideToMove;
  ++g_Record.moveNumber;
}
