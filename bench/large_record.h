// A generated record for the benchmarks: silvers shuffled along a main line,
// a variation of eight moves at every twentieth move and a comment on every
// third variation move and every seventh main-line move.
#pragma once
#include "record/board.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"

namespace bench_record {

inline const char16_t* const kMain[4] = {u"４八銀(39)", u"６二銀(71)", u"３九銀(48)", u"７一銀(62)"};
inline const char16_t* const kBranch[4] = {u"４八金(49)", u"６二銀(71)", u"４九金(48)", u"７一銀(62)"};

inline int Play(const char16_t* move, int& nodes) {
  int r = ParseZr2Move(g_Record.moveNumber + 1, move, nodes % 300);
  ++nodes;
  return r;
}

// An empty record of that many nodes at the even start, read state ready.
inline void StartRecord(int capacity) {
  InitSquareTables();
  InstallMoveNotation();
  InitRecordPool(g_Record, capacity);
  SetInitialBoard(g_Board);
  SetInitialBoard(g_StartBoard);
  ResetRecordReadState();
  g_RecordReadState.startSettled = true;
}

// Builds the record in g_Record; returns its node count.
inline int BuildRecord(int target) {
  StartRecord(target + 16);
  int nodes = 0;
  while (nodes + 10 < target) {
    const int n = g_Record.moveNumber;
    if (n > 0 && n % 20 == 0) {
      RecordNode* at = g_Record.current;
      BoardState before;
      CopyBoardState(before, g_Board);
      Play(kMain[0], nodes);
      RecordNode* main = g_Record.current;
      BoardState after;
      CopyBoardState(after, g_Board);
      g_Record.current = at;
      g_Record.moveNumber = n;
      CopyBoardState(g_Board, before);
      for (int i = 0; i < 8; ++i) {
        Play(kBranch[i % 4], nodes);
        if (i % 3 == 2) AppendComment(g_Record, g_Record.moveNumber, u"変化の評価 +45 互角");
      }
      g_Record.current = main;
      g_Record.moveNumber = n + 1;
      CopyBoardState(g_Board, after);
    } else {
      Play(kMain[n % 4], nodes);
    }
    if (g_Record.moveNumber % 7 == 0)
      AppendComment(g_Record, g_Record.moveNumber, u"本譜の解説：ここは銀を繰り替えて手待ちする");
  }
  CopyBoardState(g_Board, g_StartBoard);
  g_Record.current = g_Record.Root();
  g_Record.moveNumber = 0;
  return nodes;
}

}  // namespace bench_record
