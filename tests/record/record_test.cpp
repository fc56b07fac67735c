#include "record/record.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "record/board.h"
#include "record/clipboard_paste.h"
#include "record/csa.h"
#include "record/record_reader.h"
#include "record/rules.h"
#include "tests/support/recording_ui.h"

namespace {
// While above 0, the next nothrow array allocations fail: the record's
// allocations report a lack of memory instead of throwing.
int g_failNothrowArrays = 0;
}  // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (g_failNothrowArrays > 0) {
    --g_failNothrowArrays;
    return nullptr;
  }
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}

namespace {

constexpr uint16_t Key(int from, int to) { return uint16_t(from | to << 8); }
constexpr uint16_t kResign = 0x0001, kSuspend = 0x0101, kIllegal = 0x0201, kMate = 0x0601,
                   kRepetition = 0x0701;
// Second player's replies to ▲７六歩.
constexpr uint16_t kA = Key(33, 34), kB = Key(83, 84), kC = Key(13, 14), kD = Key(43, 44);
// Rooks going out and back: four moves return to the start position.
const uint16_t kShuffle[4] = {Key(28, 38), Key(82, 72), Key(38, 28), Key(72, 82)};
const uint16_t kGoteFirst[2] = {Key(82, 72), Key(28, 38)};

std::vector<uint16_t> ChildKeys(const RecordNode* n) {
  std::vector<uint16_t> keys;
  for (const RecordNode* c = n->firstChild; c; c = c->nextSibling) keys.push_back(NodeMoveKey(*c));
  return keys;
}

RecordNode* Child(RecordNode* n, uint16_t key) {
  for (RecordNode* c = n->firstChild; c; c = c->nextSibling)
    if (NodeMoveKey(*c) == key) return c;
  return nullptr;
}

int NodesInUse(const GameRecord& r) { return r.poolCapacity - 1 - CountFreeNodes(r); }

// Every node in use hangs in the tree, and the tree holds no free node.
void ExpectPoolConsistent(const GameRecord& r) {
  int reachable = 0;
  std::vector<const RecordNode*> stack{r.pool->firstChild};
  while (!stack.empty()) {
    const RecordNode* n = stack.back();
    stack.pop_back();
    if (!n) continue;
    ASSERT_FALSE(n->from == 0 && n->to == 0) << "free node linked into the tree";
    ++reachable;
    stack.push_back(n->firstChild);
    stack.push_back(n->nextSibling);
  }
  EXPECT_EQ(reachable, NodesInUse(r));
}

class RecordTest : public ::testing::Test {
protected:
  void SetUp() override { Reset(64); }
  void Reset(int capacity) {
    ASSERT_EQ(InitRecordPool(g_Record, capacity), 0);
    g_Record.appendMode = 1;
    SetInitialBoard(g_Board);
    SetInitialBoard(g_StartBoard);
  }
  // What the move path does: add, make, advance.
  int Play(uint16_t key, int seconds = 0) {
    int r = AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, key, seconds);
    if (r != 0) return r;
    int to = key >> 8;
    if (to > 10) MakeMoveOnBoard(g_Board, NodeMoveCode(*g_Record.current));
    if (to > 10 || to == kEndResign) {
      ++g_Record.moveNumber;
      g_Board.sideToMove = kSente - g_Board.sideToMove;
    }
    return 0;
  }
  void PlayAll(std::initializer_list<uint16_t> keys) {
    for (uint16_t k : keys) ASSERT_EQ(Play(k), 0);
  }
  // Adds an alternative after `at` without moving along it.
  RecordNode* AddAt(RecordNode* at, uint16_t key, int seconds = 0) {
    RecordNode* keep = g_Record.current;
    g_Record.current = at;
    int r = AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, key, seconds);
    g_Record.current = keep;
    return r == 0 ? Child(at, key) : nullptr;
  }
};

TEST_F(RecordTest, AddMoveReplacesReusesOrBranches) {
  struct Case {
    const char* name;
    int appendMode;
    std::vector<uint16_t> existing;  // children of move 1; the first board move gets a child
    uint16_t add;
    std::vector<uint16_t> after;
    uint16_t current;  // key of the new current node, 0 when it stays at move 1
    int inUse;         // nodes in use afterwards
    int changes;
  } cases[] = {
      {"first continuation", 1, {}, kA, {kA}, kA, 2, 1},
      {"third alternative reused", 1, {kA, kB, kC}, kC, {kA, kB, kC}, kC, 5, 1},
      {"new alternative appended", 1, {kA, kB}, kC, {kA, kB, kC}, kC, 5, 1},
      {"second alternative reused", 1, {kA, kB}, kB, {kA, kB}, kB, 4, 1},
      {"same continuation reused", 1, {kA}, kA, {kA}, kA, 3, 1},
      {"replace mode frees even the same move", 0, {kA, kB, kC}, kA, {kA}, kA, 2, 1},
      {"replace mode frees every alternative", 0, {kA, kB}, kC, {kC}, kC, 2, 1},
      {"中断 beside a continuation dropped", 1, {kA}, kSuspend, {kA}, 0, 3, 0},
      {"中断 overwritten by a move", 1, {kSuspend}, kA, {kA}, kA, 2, 1},
      {"中断 overwritten in replace mode", 0, {kSuspend}, kA, {kA}, kA, 2, 1},
      {"中断 after an end mark dropped", 1, {kIllegal}, kSuspend, {kIllegal}, 0, 2, 0},
      {"end mark overwrites end mark", 1, {kIllegal}, kMate, {kMate}, 0, 2, 1},
      {"move beside an end mark", 1, {kIllegal}, kA, {kIllegal, kA}, kA, 3, 1},
      {"move replaces an end mark", 0, {kIllegal}, kA, {kA}, kA, 2, 1},
      {"end mark beside a move", 1, {kA}, kIllegal, {kA, kIllegal}, 0, 4, 1},
      {"投了 becomes current", 1, {}, kResign, {kResign}, kResign, 2, 1},
      {"other end marks do not", 1, {}, kIllegal, {kIllegal}, 0, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset(64);
    ASSERT_EQ(Play(Key(77, 76)), 0);
    RecordNode* move1 = g_Record.current;
    for (uint16_t k : c.existing) {
      RecordNode* added = AddAt(move1, k);
      ASSERT_NE(added, nullptr);
      if (k == c.existing.front() && (k >> 8) > 10) {
        ASSERT_NE(AddAt(added, Key(27, 26)), nullptr);
      }
    }
    int changes = g_Record.changeCount;
    g_Record.appendMode = c.appendMode;
    EXPECT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, c.add, 0), 0);
    EXPECT_EQ(ChildKeys(move1), c.after);
    if (c.current) {
      EXPECT_EQ(g_Record.current, Child(move1, c.current));
    } else {
      EXPECT_EQ(g_Record.current, move1);
    }
    EXPECT_EQ(g_Record.moveNumber, 1);
    EXPECT_EQ(NodesInUse(g_Record), c.inUse);
    EXPECT_EQ(g_Record.changeCount - changes, c.changes);
    ExpectPoolConsistent(g_Record);
  }
}

TEST_F(RecordTest, EndNodesCarryTheSideToMove) {
  struct Case {
    int startSide;
    int movesBefore;
    uint16_t key;
    int from, piece;
  } cases[] = {
      {kSente, 1, kIllegal, 1, kGote},  {kSente, 2, kIllegal, 1, kSente},
      {kGote, 1, kMate, 1, kSente},     {kGote, 2, kMate, 1, kGote},
      {kSente, 0, 0x0000, 1, kSente},  // 投了 given with from 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.startSide << " " << c.movesBefore);
    Reset(16);
    g_StartBoard.sideToMove = g_Board.sideToMove = c.startSide;
    const uint16_t* moves = c.startSide == kSente ? kShuffle : kGoteFirst;
    for (int i = 0; i < c.movesBefore; ++i) ASSERT_EQ(Play(moves[i]), 0);
    RecordNode* before = g_Record.current;
    ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, c.key, 30), 0);
    const RecordNode* end = before->firstChild;
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->from, c.from);
    EXPECT_EQ(end->to, c.key >> 8);
    EXPECT_EQ(end->piece, c.piece);
    EXPECT_EQ(end->captured, 0);
    EXPECT_EQ(end->textFlags, 1);
  }
  // At move 0 a 中断 is not recorded; 千日手 keeps no seconds.
  Reset(16);
  EXPECT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, kSuspend, 5), 0);
  EXPECT_EQ(g_Record.pool->firstChild, nullptr);
  PlayAll({kShuffle[0]});
  ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, kRepetition, 40), 0);
  EXPECT_EQ(g_Record.current->firstChild->seconds, 0);
}

TEST_F(RecordTest, MoveBytesSecondsAndFlags) {
  // A capture: 8八角 takes on 2二 with promotion after ▲７六歩 △３四歩.
  PlayAll({Key(77, 76), kA});
  ASSERT_EQ(Play(Key(88, 22 | kPromoteBit), 70000), 0);
  const RecordNode* n = g_Record.current;
  EXPECT_EQ(n->piece, 0x86);
  EXPECT_EQ(n->captured, 0x06);
  EXPECT_EQ(n->seconds, 65535) << "seconds beyond 16 bits keep the longest that fits";
  // Stepping kinds keep the seconds, kind 5 keeps the text flags.
  RecordNode* move1 = GetNodeAtMove(1);
  g_Record.current = move1;
  g_Record.moveNumber = 1;
  ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 4, kA, 99), 0);
  EXPECT_EQ(move1->firstChild->seconds, 0);
  g_Record.current = move1;
  move1->firstChild->textFlags = 42;
  ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 5, kA, 7), 0);
  EXPECT_EQ(move1->firstChild->seconds, 7);
  EXPECT_EQ(move1->firstChild->textFlags, 42);
  // A drop's cell keeps only the hand bit and the kind.
  g_Record.current = g_Record.pool;
  g_Record.moveNumber = 0;
  ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, Key(0xB1, 55), 0), 0);
  EXPECT_EQ(g_Record.current, g_Record.pool->firstChild->nextSibling);
  EXPECT_EQ(g_Record.current->from, 0x91);
  EXPECT_EQ(g_Record.current->piece, 0x81);
}

TEST_F(RecordTest, TextFlagsComeFromTheInstalledComputation) {
  // Without notation a move that could promote but does not is marked.
  PlayAll({Key(77, 76), kA});
  ASSERT_EQ(Play(Key(88, 22)), 0);
  EXPECT_EQ(g_Record.current->textFlags, 1 | 64);
  g_pComputeTextFlags = [](const BoardState&, uint16_t key) { return uint8_t(key == kB ? 9 : 3); };
  RecordNode* b = AddAt(GetNodeAtMove(1), kB);
  g_pComputeTextFlags = nullptr;
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->textFlags, 9);
}

TEST_F(RecordTest, FullPoolRefusesAndKeepsTheRecord) {
  Reset(4);  // the root and three moves
  PlayAll({Key(77, 76), kA, Key(27, 26)});
  RecordNode* last = g_Record.current;
  int changes = g_Record.changeCount;
  EXPECT_EQ(Play(Key(83, 84)), -2);
  EXPECT_EQ(AddAt(GetNodeAtMove(2), Key(39, 48)), nullptr);  // nor a variation
  EXPECT_EQ(g_Record.current, last);
  EXPECT_EQ(g_Record.moveNumber, 3);
  EXPECT_EQ(g_Record.changeCount, changes);
  EXPECT_EQ(GetLineLength(g_Record), 3);
  ExpectPoolConsistent(g_Record);
  // Replacing a continuation frees the node it then takes.
  StepBackTo(1);
  g_Record.appendMode = 0;
  EXPECT_EQ(Play(kB), 0);
  EXPECT_EQ(GetLineLength(g_Record), 2);
  EXPECT_EQ(NodesInUse(g_Record), 2);
  ExpectPoolConsistent(g_Record);
}

TEST_F(RecordTest, InitFailureShowsTheMessage) {
  RecordingUi ui;
  int saved = g_nNodePoolCapacity;
  g_nNodePoolCapacity = 0;
  EXPECT_EQ(InitRecordPool(), -1);
  g_nNodePoolCapacity = saved;
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"メモリ不足です。");
  EXPECT_TRUE(ui.boxes[0].flags & kMbIconError);
  EXPECT_EQ(g_Record.pool, nullptr);
  EXPECT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, Key(77, 76), 0), -1);
  EXPECT_EQ(GetNodeAtMove(0), nullptr);
  // Every reader refuses a record without a pool, and says why.
  const struct {
    const char* name;
    int result, expected;
  } reads[] = {
      {"record", ReadRecordBytes(true, "   1 ７六歩(77)\n"), kNoRecordPool},
      {"csa", ReadCsaBytes("+7776FU\n"), kNoRecordPool},
      {"paste", ReadRecordFromClipboardText(u"▲７六歩", 0), kPasteNoPool},
  };
  for (const auto& r : reads) EXPECT_EQ(r.result, r.expected) << r.name;
  ASSERT_EQ(ui.boxes.size(), 4u);
  for (size_t i = 1; i < 4; ++i) EXPECT_EQ(ui.boxes[i].text, u"メモリ不足です。");
  EXPECT_EQ(g_Record.pool, nullptr);
  ui.boxes.resize(1);
  EXPECT_EQ(InitRecordPool(), 0);
  EXPECT_EQ(g_Record.poolCapacity, saved);
  // A pool the allocator cannot give.
  g_failNothrowArrays = 1;
  EXPECT_EQ(InitRecordPool(g_Record, 64), -1);
  g_failNothrowArrays = 0;
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].text, u"メモリ不足です。");
  EXPECT_EQ(g_Record.pool, nullptr);
}

TEST_F(RecordTest, NavigationAlongTheCurrentLine) {
  PlayAll({Key(77, 76), kA, Key(27, 26), kB});
  RecordNode* m[5];
  for (int i = 0; i <= 4; ++i) m[i] = GetNodeAtMove(i);
  RecordNode* v2 = AddAt(m[1], kC);
  RecordNode* v3 = AddAt(v2, Key(39, 48));
  RecordNode* w2 = AddAt(m[1], kD);  // a third alternative, added later
  RecordNode* w3 = AddAt(w2, Key(59, 68));
  AddAt(m[4], kIllegal);

  EXPECT_EQ(m[0], g_Record.pool);
  EXPECT_EQ(GetNodeAtMove(-1), nullptr);
  EXPECT_EQ(GetNodeAtMove(6), nullptr) << "one beyond the end of the line";
  EXPECT_NE(GetNodeAtMove(5), nullptr);  // the end mark
  EXPECT_EQ(GetLineLength(g_Record), 5);
  EXPECT_EQ(GetLineMoveCount(g_Record), 4);
  // The same at every move of the line (the line is kept while stepping).
  const int shownAt = g_Record.moveNumber;
  for (int n = 0; n <= 4; ++n) {
    g_Record.current = m[n];
    g_Record.moveNumber = n;
    EXPECT_EQ(GetLineLength(g_Record), 5) << n;
    EXPECT_EQ(GetLineMoveCount(g_Record), 4) << n;
  }
  g_Record.current = m[shownAt];
  g_Record.moveNumber = shownAt;
  EXPECT_EQ(GetNextMove(g_Record) & 0xFFFF, kIllegal);
  EXPECT_EQ(HasNextMove(g_Record), 0);
  EXPECT_EQ(GetLastMainLineMove(g_Record) & 0xFFFF, kIllegal);

  for (RecordNode* n : {m[2], v2, w2}) EXPECT_EQ(FindParentNode(g_Record, n), m[1]);
  EXPECT_EQ(FindParentNode(g_Record, v3), v2);
  EXPECT_EQ(FindParentNode(g_Record, w3), w2);
  EXPECT_EQ(FindParentNode(g_Record, m[0]), nullptr);
  EXPECT_EQ(GetBranchIndex(m[2], g_Record), 1);
  EXPECT_EQ(GetBranchIndex(w2, g_Record), 3);
  EXPECT_EQ(GetBranchIndex(m[0], g_Record), 0);
  EXPECT_EQ(IsInVariation(v3, g_Record), 1);
  EXPECT_EQ(IsInVariation(m[3], g_Record), 0);
  EXPECT_EQ(HasVariations(g_Record), 1);

  // Into the third alternative: the current line follows it.
  StepBackTo(1);
  EXPECT_EQ(g_Record.current, m[1]);
  EXPECT_EQ(HasNextMove(g_Record), 1);
  EXPECT_EQ(SelectChildByMove(g_Record, Key(99, 98)), -1);
  ASSERT_EQ(SelectChildByMove(g_Record, kD), 0);
  g_Record.moveNumber = 2;
  EXPECT_EQ(GetNodeAtMove(3), w3);
  EXPECT_EQ(GetNodeAtMove(1), m[1]);
  EXPECT_EQ(GetLineLength(g_Record), 3);

  // A 投了 node ends the line for stepping.
  g_Record.current = w3;
  g_Record.moveNumber = 3;
  RecordNode* resign = AddAt(w3, kResign);
  g_Record.current = resign;
  g_Record.moveNumber = 4;
  EXPECT_EQ(GetNextMove(g_Record), 0x0100u);
  EXPECT_EQ(GetLineLength(g_Record), 4);
  EXPECT_EQ(GetLineMoveCount(g_Record), 3);

  // An end mark that is a later alternative counts on from its parent's own
  // continuation, which is not the shown line.
  RecordNode* stop = AddAt(m[1], kResign);
  g_Record.current = stop;
  g_Record.moveNumber = 2;
  EXPECT_EQ(GetLineLength(g_Record), 2);
  EXPECT_EQ(GetLineMoveCount(g_Record), 4);  // m1, then m1's own continuation
  // A tree made shorter: the kept line goes with it.
  g_Record.current = w3;
  g_Record.moveNumber = 3;
  EXPECT_EQ(GetLineLength(g_Record), 4);
  TruncateRecordAfter(g_Record, 3);  // the 投了 goes
  EXPECT_EQ(GetLineLength(g_Record), 3);

  // Back from the alternative to a node before it: the line runs on along
  // first children again, whatever was kept.
  for (int back : {1, 0}) {
    g_Record.current = w3;
    g_Record.moveNumber = 3;
    ASSERT_EQ(GetLineNodes(g_Record).size(), 3u);
    g_Record.current = m[back];
    g_Record.moveNumber = back;
    const std::vector<const RecordNode*> line = GetLineNodes(g_Record);
    ASSERT_EQ(line.size(), 5u) << back;
    EXPECT_EQ(line[1], m[2]) << back;
    EXPECT_EQ(GetLineSummary(g_Record)->offMainFrom, line.size() + 1) << back;  // on the main line
  }
}

TEST_F(RecordTest, StepBackToRestoresThePosition) {
  BoardState after1;
  PlayAll({Key(77, 76)});
  CopyBoardState(after1, g_Board);
  PlayAll({kA, Key(88, 22 | kPromoteBit), Key(31, 22)});
  StepBackTo(4);
  EXPECT_EQ(g_Record.moveNumber, 4);
  StepBackTo(1);
  EXPECT_EQ(g_Record.moveNumber, 1);
  EXPECT_EQ(g_Record.current, g_Record.pool->firstChild);
  EXPECT_EQ(CompareBoardStates(g_Board, after1), 0);
  EXPECT_EQ(g_Board.sideToMove, kGote);
}

TEST_F(RecordTest, CountRepetitionsAlongARepeatingLine) {
  const int expected[12] = {1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4};
  for (int i = 0; i < 12; ++i) {
    ASSERT_EQ(Play(kShuffle[i % 4]), 0);
    EXPECT_EQ(CountRepetitions(g_Record, g_Board), expected[i]) << "after move " << i + 1;
  }
  // The king steps out and back while the rook goes round in three moves: after
  // move 6 the squares of move 1 come back with the other side to move.
  Reset(32);
  const uint16_t tempo[6] = {Key(59, 58), Key(82, 72), Key(58, 59),
                             Key(72, 62), Key(59, 58), Key(62, 82)};
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(Play(tempo[i]), 0);
    EXPECT_EQ(CountRepetitions(g_Record, g_Board), 1) << "after move " << i + 1;
  }
}

// The count kept along the line agrees with a count made by walking back to
// the root, whatever moved the line in between: steps taken back without the
// move path, a new branch, a node freed and handed out again, a new record.
TEST_F(RecordTest, RepetitionCountFollowsEveryChangeOfTheLine) {
  auto walkedCount = [] {
    BoardState copy;
    CopyBoardState(copy, g_Board);
    int count = 1;
    for (const RecordNode* n = g_Record.current; n && n != g_Record.pool;
         n = FindParentNode(g_Record, n)) {
      UnmakeMoveOnBoard(copy, NodeMoveCode(*n));
      copy.sideToMove = kSente - copy.sideToMove;
      count += copy.sideToMove == g_Board.sideToMove && CompareBoardStates(copy, g_Board) == 0;
    }
    return count;
  };
  auto playShuffle = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      ASSERT_EQ(Play(kShuffle[i % 4]), 0);
      EXPECT_EQ(CountRepetitions(g_Record, g_Board), walkedCount()) << "move " << i + 1;
    }
  };
  playShuffle(0, 9);
  EXPECT_EQ(CountRepetitions(g_Record, g_Board), 3);
  StepBackTo(3);
  EXPECT_EQ(CountRepetitions(g_Record, g_Board), walkedCount());
  PlayAll({Key(77, 76)});  // an alternative at move 4
  EXPECT_EQ(CountRepetitions(g_Record, g_Board), walkedCount());
  StepBackTo(3);
  playShuffle(3, 8);  // back onto the first line's nodes
  EXPECT_EQ(CountRepetitions(g_Record, g_Board), 3);
  StepBackTo(1);
  TruncateRecordAfter(g_Record, 1);
  playShuffle(1, 12);  // the freed nodes are handed out again
  EXPECT_EQ(CountRepetitions(g_Record, g_Board), 4);
  ResetRecordTree(g_Record);
  SetInitialBoard(g_Board);
  playShuffle(0, 4);
  EXPECT_EQ(CountRepetitions(g_Record, g_Board), 2);
}

// Totals kept along the shown line agree with the walk back to the root,
// also after the line changed and after the seconds were edited.
TEST_F(RecordTest, KeptTotalsFollowTheLineAndTheSeconds) {
  auto expectWalked = [](const char* when) {
    NoteLineStep(g_Record, g_Board);
    for (int n = 0; n <= g_Record.moveNumber; ++n)
      EXPECT_EQ(GetCumulativeTimeAtMove(n), n ? GetCumulativeTime(GetNodeAtMove(n)) : 0)
          << when << ", move " << n;
  };
  for (int i = 0; i < 6; ++i) ASSERT_EQ(Play(kShuffle[i % 4], 10 * (i + 1)), 0);
  expectWalked("first line");
  EXPECT_EQ(GetCumulativeTimeAtMove(5), 10 + 30 + 50);
  StepBackTo(3);
  ASSERT_EQ(Play(Key(77, 76), 7), 0);
  expectWalked("alternative");
  GetNodeAtMove(2)->seconds = 100;
  ++g_Record.revision;
  expectWalked("seconds edited");
  EXPECT_EQ(GetCumulativeTimeAtMove(4), 7 + 100);
}

TEST_F(RecordTest, DeletingAndPromotingBranches) {
  PlayAll({Key(77, 76)});
  RecordNode* p = g_Record.current;
  for (uint16_t k : {kA, kB, kC, kD}) AddAt(AddAt(p, k), Key(27, 26));
  ASSERT_EQ(NodesInUse(g_Record), 9);

  // Only the matching child goes, not the alternatives after it.
  EXPECT_EQ(DeleteChildByMove(p, kB), 0);
  EXPECT_EQ(ChildKeys(p), (std::vector<uint16_t>{kA, kC, kD}));
  EXPECT_EQ(NodesInUse(g_Record), 7);
  EXPECT_EQ(DeleteChildByMove(p, kB), -1);
  EXPECT_EQ(DeleteVariationByMove(p, g_Record, kC), 0);
  EXPECT_EQ(ChildKeys(p), (std::vector<uint16_t>{kA, kD}));
  EXPECT_EQ(NodesInUse(g_Record), 5);

  RecordNode* d = Child(p, kD);
  EXPECT_EQ(PromoteBranch(d), 0);
  EXPECT_EQ(ChildKeys(p), (std::vector<uint16_t>{kD, kA}));
  EXPECT_EQ(PromoteBranch(d), 0);
  EXPECT_EQ(ChildKeys(p), (std::vector<uint16_t>{kD, kA}));
  EXPECT_EQ(PromoteBranch(g_Record.pool), -1);
  EXPECT_EQ(d->firstChild->to, 26) << "a promoted branch keeps its moves";

  EXPECT_EQ(DeleteBranch(d), 0);
  EXPECT_EQ(ChildKeys(p), (std::vector<uint16_t>{kA}));
  EXPECT_EQ(DeleteBranch(g_Record.pool), -1);
  EXPECT_EQ(DeleteBranch(nullptr), -1);
  EXPECT_EQ(DeleteChildByMove(p, kA), 0);
  EXPECT_EQ(p->firstChild, nullptr);
  EXPECT_EQ(NodesInUse(g_Record), 1);
  ExpectPoolConsistent(g_Record);
}

TEST_F(RecordTest, TruncateKeepsTheLineUpToN) {
  PlayAll({Key(77, 76), kA, Key(27, 26), kB, Key(26, 25)});
  AddAt(GetNodeAtMove(2), Key(39, 48));
  ASSERT_EQ(AppendComment(g_Record, 2, u"keep"), 0);
  ASSERT_EQ(AppendComment(g_Record, 4, u"gone"), 0);
  RecordNode* two = GetNodeAtMove(2);

  EXPECT_EQ(TruncateRecordAfter(g_Record, 2), two);
  EXPECT_EQ(two->firstChild, nullptr);
  EXPECT_EQ(g_Record.changeCount, 0);
  EXPECT_EQ(g_Record.current, two) << "current lay beyond move 2";
  EXPECT_EQ(g_Record.moveNumber, 2);
  EXPECT_EQ(NodesInUse(g_Record), 2);
  EXPECT_EQ(std::u16string(two->comment), u"keep\n");
  EXPECT_EQ(TruncateRecordAfter(g_Record, 3), nullptr);
  ExpectPoolConsistent(g_Record);

  EXPECT_EQ(TruncateRecordAfter(g_Record, 0), g_Record.pool);
  EXPECT_EQ(g_Record.current, g_Record.pool);
  EXPECT_EQ(g_Record.moveNumber, 0);
  EXPECT_EQ(NodesInUse(g_Record), 0);
}

TEST_F(RecordTest, DeletionsDropTheBookmarksOfFreedNodes) {
  enum Kind { kBranch, kChild, kTruncate };
  for (Kind kind : {kBranch, kChild, kTruncate}) {
    SCOPED_TRACE(kind);
    Reset(32);
    PlayAll({Key(77, 76), kA, Key(27, 26)});
    RecordNode* m1 = GetNodeAtMove(1);
    RecordNode* v2 = AddAt(m1, kB);
    RecordNode* v3 = AddAt(v2, Key(39, 48));
    ASSERT_EQ(SetBookmark(g_Record, NodeIndex(g_Record, m1), u"main1"), 0);
    ASSERT_EQ(SetBookmark(g_Record, NodeIndex(g_Record, v2), u"var2"), 0);
    ASSERT_EQ(SetBookmark(g_Record, NodeIndex(g_Record, GetNodeAtMove(3)), u"main3"), 0);
    ASSERT_EQ(SetBookmark(g_Record, NodeIndex(g_Record, v3), u"var3"), 0);
    std::vector<std::u16string> left;
    switch (kind) {
      case kBranch:
        ASSERT_EQ(DeleteBranch(v2), 0);
        left = {u"main1", u"main3"};
        break;
      case kChild:
        ASSERT_EQ(DeleteChildByMove(m1, kB), 0);
        left = {u"main1", u"main3"};
        break;
      case kTruncate:
        ASSERT_NE(TruncateRecordAfter(g_Record, 1), nullptr);
        left = {u"main1"};
        break;
    }
    std::vector<std::u16string> names;
    for (int i = 0; i < g_Record.bookmarkCount; ++i) names.push_back(g_Record.bookmarks[i].name);
    EXPECT_EQ(names, left);
    // Nodes handed out again carry no old bookmark.
    g_Record.current = m1;
    g_Record.moveNumber = 1;
    for (uint16_t k : {kC, kD, Key(93, 94)}) {
      RecordNode* fresh = AddAt(m1, k);
      ASSERT_NE(fresh, nullptr);
      EXPECT_EQ(GetBookmarkName(NodeIndex(g_Record, fresh), g_Record), nullptr);
    }
  }
}

TEST_F(RecordTest, CommentsAndTheirLimit) {
  PlayAll({Key(77, 76), kA, Key(27, 26)});
  int changes = g_Record.changeCount;
  EXPECT_EQ(AppendComment(g_Record, 0, u"root"), 0);
  EXPECT_EQ(AppendComment(g_Record, 1, u"one\n"), 0);
  EXPECT_EQ(AppendComment(g_Record, 1, u"more"), 0);
  EXPECT_EQ(std::u16string(GetNodeAtMove(1)->comment), u"one\nmore\n");
  EXPECT_EQ(g_Record.changeCount - changes, 3);
  EXPECT_EQ(AppendComment(g_Record, 9, u"x"), -4);

  struct Case {
    size_t oldLength, addLength;  // the added text has no LF of its own
    int result;
  } cases[] = {
      {32760, 10, -3}, {0, 32766, -3}, {0, 32767, -3}, {0, 32765, 0}, {32000, 765, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.oldLength << "+" << c.addLength);
    RecordNode* n = GetNodeAtMove(2);
    FreeNodeComment(g_Record, n);
    if (c.oldLength) {
      ASSERT_EQ(AppendComment(g_Record, 2, std::u16string(c.oldLength - 1, u'a')), 0);
    }
    std::u16string before = n->comment ? n->comment : u"";
    EXPECT_EQ(AppendComment(g_Record, 2, std::u16string(c.addLength, u'b')), c.result);
    std::u16string now = n->comment ? n->comment : u"";
    if (c.result == 0) {
      EXPECT_EQ(now.size(), c.oldLength + c.addLength + 1);
    } else {
      EXPECT_EQ(now, before);
    }
  }

  // No memory for the joined text: the node keeps what it had.
  for (const char16_t* had : {u"old\n", static_cast<const char16_t*>(nullptr)}) {
    SCOPED_TRACE(had ? "with a comment" : "without one");
    RecordNode* n = GetNodeAtMove(2);
    FreeNodeComment(g_Record, n);
    if (had) {
      ASSERT_EQ(AppendComment(g_Record, 2, had), 0);
    }
    int before = g_Record.changeCount;
    g_failNothrowArrays = 1;
    EXPECT_EQ(AppendComment(g_Record, 2, u"new"), -1);
    g_failNothrowArrays = 0;
    EXPECT_EQ(g_Record.changeCount, before);
    if (had) {
      ASSERT_NE(n->comment, nullptr);
      EXPECT_EQ(std::u16string(n->comment), had);
    } else {
      EXPECT_EQ(n->comment, nullptr);
    }
  }
  FreeNodeComment(g_Record, GetNodeAtMove(2));

  AppendComment(g_Record, 2, u"two");
  AppendComment(g_Record, 3, u"three");
  RecordNode* alt = AddAt(GetNodeAtMove(2), Key(39, 48));
  alt->comment = new char16_t[2]{u'v', 0};
  EXPECT_EQ(SubtreeHasComment(GetNodeAtMove(3)), 1);
  ClearCommentsFrom(g_Record, 3);
  EXPECT_EQ(SubtreeHasComment(GetNodeAtMove(3)), 1) << "a later sibling's comment counts";
  ClearCommentsToRoot(2);
  for (int i = 0; i <= 3; ++i) EXPECT_EQ(GetNodeAtMove(i)->comment, nullptr) << i;
  EXPECT_NE(alt->comment, nullptr);
  ClearAllComments();
  EXPECT_EQ(SubtreeHasComment(g_Record.pool), 0);
}

TEST_F(RecordTest, TimesAndTheConsumedTimeHeader) {
  struct Case {
    int startSide;
    std::vector<int> seconds;  // along the main line
    int result;
    std::u16string text;
  } cases[] = {
      {kSente, {3600, 60, 1800, 0}, 1, u"▲1時間30分△0時間01分"},
      {kSente, {3601, 0}, 1, u"▲1時間00分01秒△0時間00分00秒"},
      {kSente, {61, 5, 2}, 1, u"▲1分03秒△0分05秒"},
      {kGote, {61, 5, 2}, 1, u"▲0分05秒△1分03秒"},
      {kGote, {0, 7200}, 1, u"▲2時間00分△0時間00分"},
      {kSente, {0, 0}, 0, u"untouched"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.seconds));
    Reset(16);
    g_StartBoard.sideToMove = c.startSide;
    g_Record.header.timeUsed = u"untouched";
    for (size_t i = 0; i < c.seconds.size(); ++i) {
      ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, kShuffle[i % 4], c.seconds[i]), 0);
      ++g_Record.moveNumber;
    }
    EXPECT_EQ(FormatConsumedTimeHeader(g_Record), c.result);
    EXPECT_EQ(g_Record.header.timeUsed, c.text);
  }
  // The running total of one side skips the other side's moves.
  Reset(16);
  const int seconds[5] = {10, 20, 30, 40, 50};
  for (int s : seconds) {
    AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, kShuffle[0], s);
    ++g_Record.moveNumber;
  }
  EXPECT_EQ(GetCumulativeTimeAtMove(5), 90);
  EXPECT_EQ(GetCumulativeTimeAtMove(4), 60);
  EXPECT_EQ(GetCumulativeTimeAtMove(0), 0);
  EXPECT_EQ(GetCumulativeTimeAtMove(6), 0);
  RecordNode* alt = AddAt(GetNodeAtMove(1), kB, 1000);
  EXPECT_EQ(SumSubtreeSeconds(GetNodeAtMove(2), 5), 5 + 140 + 1000);
  EXPECT_EQ(GetCumulativeTime(alt), 1000);

  // The shown times: own minutes unwrapped, the total's hours modulo 100.
  EXPECT_EQ(FormatMoveTimes(5), u"00:50 / 00:01:30");
  EXPECT_EQ(FormatMoveTimes(0), u"00:00 / 00:00:00");
  EXPECT_EQ(FormatMoveTimes(9), u"00:00 / 00:00:00");
  EXPECT_EQ(FormatMoveTimes(7265, int64_t{100 * 3600 + 3723}), u"121:05 / 01:02:03");
}

// A line as long as the pool allows: every walk stays off the call stack.
TEST(RecordDeepLine, WalksAndDeletesWithoutRecursion) {
  const int kLength = 100000;
  auto record = std::make_unique<GameRecord>();
  ASSERT_EQ(InitRecordPool(*record, kLength + 1), 0);
  BoardState board;
  SetInitialBoard(board);
  for (int i = 0; i < kLength; ++i)
    ASSERT_EQ(AddMoveToRecord(*record, board, board, 0, kShuffle[i % 4], 1), 0);
  record->moveNumber = kLength;
  ASSERT_EQ(FindFreeNode(*record), nullptr);
  ASSERT_EQ(AppendComment(*record, kLength, u"last"), 0);
  EXPECT_EQ(GetLineLength(*record), kLength);
  EXPECT_EQ(SubtreeHasComment(record->pool->firstChild), 1);
  EXPECT_EQ(SumSubtreeSeconds(record->pool->firstChild, 0), kLength);
  EXPECT_EQ(GetNodeAtMove(1, *record), record->pool->firstChild);
  EXPECT_EQ(TruncateRecordAfter(*record, 0), record->pool);
  EXPECT_EQ(CountFreeNodes(*record), kLength);
  FreeRecordPool(*record);
}

}  // namespace
