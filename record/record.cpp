#include "record/record.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "record/board.h"
#include "record/rules.h"
#include "record/text.h"
#include "record/ui_port.h"

GameRecord g_Record;
int g_nNodePoolCapacity = 100000;
TextFlagsFunction g_pComputeTextFlags = nullptr;

namespace {

// The record's pool is made once its size is known (the program reads it
// from the settings) and lives to the exit of the program.
struct RecordPoolOwner {
  RecordPoolOwner() { g_Record.appendMode = 1; }
  ~RecordPoolOwner() { FreeRecordPool(g_Record); }
} g_RecordPoolOwner;

bool IsFree(const RecordNode& n) { return n.from == 0 && n.to == 0; }

void ClearNode(GameRecord& record, RecordNode& n) {
  if (n.from != 0 || n.to != 0 || n.comment || n.firstChild || n.nextSibling) {
    ++record.revision;
    ++record.nodeReuses;
  }
  delete[] n.comment;
  n = RecordNode{};
  int index = int(&n - record.pool);
  if (index > 0 && index < record.freeHint) record.freeHint = index;
}

// Frees the node, everything below it and every later sibling with what lies
// below them. Rotates first children up into the sibling chain as it goes, so
// it needs neither recursion nor a stack.
void FreeChain(GameRecord& record, RecordNode* n) {
  while (n) {
    if (RecordNode* c = n->firstChild) {
      n->firstChild = c->nextSibling;
      c->nextSibling = n;
      n = c;
    } else {
      RecordNode* next = n->nextSibling;
      ClearNode(record, *n);
      n = next;
    }
  }
}

// Visits the node, its descendants and its later siblings with theirs.
template <class F>
void VisitChain(const RecordNode* n, F&& f) {
  std::vector<const RecordNode*> pending;
  while (n) {
    if (!f(*n)) return;
    if (n->nextSibling) pending.push_back(n->nextSibling);
    n = n->firstChild;
    if (!n && !pending.empty()) {
      n = pending.back();
      pending.pop_back();
    }
  }
}

// The alternative before `child` among the children of `parent` (nullptr
// when child is the first), found within the first 256 children.
bool FindElderSibling(RecordNode* parent, RecordNode* child, RecordNode** elder) {
  RecordNode* c = parent->firstChild;
  if (c == child) {
    *elder = nullptr;
    return true;
  }
  for (int i = 1; c && i < kMaxChildrenSearched; ++i, c = c->nextSibling) {
    if (c->nextSibling == child) {
      *elder = c;
      return true;
    }
  }
  return false;
}

RecordNode* FindChildByKey(RecordNode* parent, uint16_t key) {
  RecordNode* c = parent->firstChild;
  for (int i = 0; c && i < kMaxChildrenSearched; ++i, c = c->nextSibling)
    if (NodeMoveKey(*c) == key) return c;
  return nullptr;
}

// Number of nodes from the root to the node (0 for the root), or -1.
int DepthOf(const GameRecord& record, const RecordNode* node) {
  int depth = 0;
  while (node && node != record.pool) {
    node = FindParentNode(record, node);
    ++depth;
  }
  return node ? depth : -1;
}

bool IsResignOrSuspend(const RecordNode& n) {
  return n.from == kEndFrom && (n.to == kEndResign || n.to == kEndSuspend);
}

// Comments are kept in plain heap arrays so that a failed allocation can be
// told apart and reported.
// a, b and, with lf, a final LF in one new array.
char16_t* NewComment(std::u16string_view a, std::u16string_view b, bool lf = false) {
  const size_t n = a.size() + b.size() + (lf ? 1 : 0);
  char16_t* s = new (std::nothrow) char16_t[n + 1];
  if (!s) return nullptr;
  std::copy(a.begin(), a.end(), s);
  std::copy(b.begin(), b.end(), s + a.size());
  if (lf) s[n - 1] = u'\n';
  s[n] = 0;
  return s;
}

}  // namespace

uint8_t ComputeDefaultTextFlags(const BoardState& before, uint16_t moveKey) {
  int from = moveKey & 0xFF, to = moveKey >> 8;
  if (to <= 10) return 1;
  uint8_t flags = 1;
  if (!IsHandCell(from) && !(to & kPromoteBit) &&
      GetPromotionKind(to, before.squares[from], from) != 0)
    flags |= 64;
  return flags;
}

// ---- Pool ----------------------------------------------------------------

int InitRecordPool() { return InitRecordPool(g_Record, g_nNodePoolCapacity); }

int RequireRecordPool() {
  if (g_Record.pool) return 0;
  ShowMessage(u"メモリ不足です。", kMbOk | kMbIconError);
  return kNoRecordPool;
}

int InitRecordPool(GameRecord& record, int capacity) {
  FreeRecordPool(record);
  if (capacity > 0) record.pool = new (std::nothrow) RecordNode[size_t(capacity)]();
  if (!record.pool) {
    ShowMessage(u"メモリ不足です。", kMbOk | kMbIconError);
    return -1;
  }
  record.poolCapacity = capacity;
  record.freeHint = 1;
  ++record.revision;
  ++record.nodeReuses;
  ClearRecordHeader(record);
  RecordHeader& h = record.header;
  h.firstPlayer.clear();
  h.secondPlayer.clear();
  h.firstShortName.clear();
  h.secondShortName.clear();
  record.moveNumber = 0;
  record.current = record.pool;
  record.changeCount = 0;
  record.bookmarkCount = 0;
  return 0;
}

void FreeRecordPool(GameRecord& record) {
  if (record.pool) {
    for (int i = 0; i < record.poolCapacity; ++i) delete[] record.pool[i].comment;
    delete[] record.pool;
  }
  record.pool = nullptr;
  record.poolCapacity = 0;
  ++record.revision;
  ++record.nodeReuses;
  record.line = LinePositions{};
  record.current = nullptr;
  record.moveNumber = 0;
  record.bookmarkCount = 0;
}

void ResetRecordTree(GameRecord& record) {
  for (int i = 0; i < record.poolCapacity; ++i) ClearNode(record, record.pool[i]);
  record.freeHint = 1;
  record.bookmarkCount = 0;
  record.moveNumber = 0;
  record.current = record.pool;
  record.changeCount = 0;
}

// The first free node in pool order. The scan starts at the hint (every node
// before it is in use) and goes round to the start, so a node freed behind
// the hint's back is still found.
RecordNode* FindFreeNode(GameRecord& record) {
  int start = std::clamp(record.freeHint, 1, std::max(record.poolCapacity, 1));
  for (int i = start; i < record.poolCapacity; ++i) {
    if (IsFree(record.pool[i])) {
      record.freeHint = i;
      return &record.pool[i];
    }
  }
  for (int i = 1; i < start && i < record.poolCapacity; ++i) {
    if (IsFree(record.pool[i])) {
      record.freeHint = i;
      return &record.pool[i];
    }
  }
  record.freeHint = record.poolCapacity;
  return nullptr;
}

int NodeIndex(const GameRecord& record, const RecordNode* node) {
  if (!node || !record.pool || node < record.pool || node >= record.pool + record.poolCapacity)
    return -1;
  return int(node - record.pool);
}

int CountFreeNodes(const GameRecord& record) {
  int n = 0;
  for (int i = 1; i < record.poolCapacity; ++i) n += IsFree(record.pool[i]);
  return n;
}

// ---- Queries ---------------------------------------------------------------

uint32_t GetCurrentMove(const GameRecord& record) {
  if (!record.current || record.current == record.pool) return 0;
  return NodeMoveCode(*record.current);
}

uint32_t GetLastMainLineMove(const GameRecord& record) {
  const RecordNode* n = record.pool;
  if (!n) return 0;
  while (n->firstChild) n = n->firstChild;
  return n == record.pool ? 0 : NodeMoveCode(*n);
}

uint32_t GetNextMove(const GameRecord& record) {
  const RecordNode* cur = record.current;
  if (record.moveNumber > 0 && (!cur || cur == record.pool || IsResignOrSuspend(*cur)))
    return 0x0100;
  if (!cur || !cur->firstChild) return 0;
  return NodeMoveCode(*cur->firstChild);
}

int HasNextMove(const GameRecord& record) {
  const RecordNode* cur = record.current;
  if (!cur || !cur->firstChild || !IsBoardMoveNode(*cur->firstChild)) return 0;
  if (record.moveNumber > 0 && (cur == record.pool || IsResignOrSuspend(*cur))) return 0;
  return 1;
}

RecordNode* FindParentNode(const GameRecord& record, const RecordNode* node) {
  int index = NodeIndex(record, node);
  if (index <= 0) return nullptr;
  RecordNode* pool = record.pool;
  const int size = record.poolCapacity;
  for (;;) {
    // Nodes are added in order, so a first child usually follows its parent.
    if (index > 0 && pool[index - 1].firstChild == node) return &pool[index - 1];
    // Exactly one node links to this one, as its parent or as its elder
    // sibling; it was most likely added shortly before, so look back first.
    int elder = -1;
    for (int k = 1; k < size; ++k) {
      int i = index - k < 0 ? index - k + size : index - k;
      if (pool[i].firstChild == node) return &pool[i];
      if (pool[i].nextSibling == node) {
        elder = i;
        break;
      }
    }
    if (elder < 0) return nullptr;
    node = &pool[elder];
    index = elder;
  }
}

RecordNode* GetNodeAtMove(int n, const GameRecord& record) {
  if (n < 0 || !record.pool) return nullptr;
  if (n == 0) return record.pool;
  RecordNode* node = record.current;
  int at = record.moveNumber;
  while (node && at < n) {
    node = node->firstChild;
    ++at;
  }
  while (node && at > n) {
    node = FindParentNode(record, node);
    --at;
  }
  return node;
}

namespace {

// The kept line when the current node is on it at its move number and the
// line runs on from there along first children, else built anew (one walk
// back to the root and one to the line's end).
const LineSummary* KeptLine(const GameRecord& record) {
  LineSummary& line = record.lineSummary;
  const size_t at = size_t(record.moveNumber);
  if (line.pool == record.pool && line.revision == record.revision && line.nodeReuses == record.nodeReuses &&
      record.moveNumber >= 0 && at < line.nodes.size() && line.nodes[at] == record.current &&
      at >= line.lastBranchAt)
    return &line;
  std::vector<const RecordNode*> nodes;
  for (const RecordNode* n = record.current; n && n != record.pool; n = FindParentNode(record, n)) {
    nodes.push_back(n);
    if (nodes.size() > size_t(record.poolCapacity)) return nullptr;  // a damaged tree
  }
  if (nodes.size() != at) return nullptr;  // the move number is not the node's
  nodes.push_back(record.pool);
  std::reverse(nodes.begin(), nodes.end());
  for (const RecordNode* n = record.current->firstChild; n; n = n->firstChild) {
    nodes.push_back(n);
    if (nodes.size() > size_t(record.poolCapacity) + 1) return nullptr;
  }
  line = LineSummary{};
  line.pool = record.pool;
  line.revision = record.revision;
  line.nodeReuses = record.nodeReuses;
  line.nodes = std::move(nodes);
  const size_t size = line.nodes.size();
  line.boardBefore.assign(size, 0);
  line.nonBoardFrom.assign(size + 1, int(size));
  for (size_t i = 1; i < size; ++i) line.boardBefore[i] = line.boardBefore[i - 1] + IsBoardMoveNode(*line.nodes[i]);
  for (size_t i = size; i-- > 1;)
    line.nonBoardFrom[i] = IsBoardMoveNode(*line.nodes[i]) ? line.nonBoardFrom[i + 1] : int(i);
  line.totals.assign(size, 0);
  for (size_t i = 1; i < size; ++i) line.totals[i] = line.nodes[i]->seconds + (i >= 2 ? line.totals[i - 2] : 0);
  line.offMainFrom = size;
  for (size_t i = 1; i < size; ++i)
    if (line.nodes[i - 1]->firstChild != line.nodes[i]) {
      if (line.offMainFrom == size) line.offMainFrom = i;
      line.lastBranchAt = i;
    }
  return &line;
}

}  // namespace

const LineSummary* GetLineSummary(const GameRecord& record) {
  return record.pool && record.current ? KeptLine(record) : nullptr;
}

std::vector<const RecordNode*> GetLineNodes(const GameRecord& record) {
  const LineSummary* line = GetLineSummary(record);
  if (!line || line->nodes.empty()) return {};
  return std::vector<const RecordNode*>(line->nodes.begin() + 1, line->nodes.end());
}

int GetLineLength(const GameRecord& record) {
  if (!record.current) return 0;
  if (const LineSummary* line = KeptLine(record)) return int(line->nodes.size()) - 1;
  int length = std::max(DepthOf(record, record.current), 0);
  for (const RecordNode* n = record.current->firstChild; n; n = n->firstChild) ++length;
  return length;
}

int GetLineMoveCount(const GameRecord& record) {
  const RecordNode* start = record.current;
  if (!start) return 0;
  // On an end mark the count goes on from its parent's own continuation,
  // which need not be this line: that case walks.
  const bool atEnd = start != record.pool && IsEndNode(*start);
  if (const LineSummary* line = atEnd ? nullptr : KeptLine(record)) {
    // The board moves up to the current node and those that follow it unbroken.
    const size_t s = size_t(record.moveNumber);
    return line->boardBefore[s] + (line->nonBoardFrom[s + 1] - int(s + 1));
  }
  if (start != record.pool && IsEndNode(*start)) start = FindParentNode(record, start);
  int count = 0;
  for (const RecordNode* n = start; n && n != record.pool; n = FindParentNode(record, n))
    count += IsBoardMoveNode(*n);
  for (const RecordNode* n = start ? start->firstChild : nullptr; n && IsBoardMoveNode(*n);
       n = n->firstChild)
    ++count;
  return count;
}

int HasVariations(const GameRecord& record) {
  if (!record.pool) return 0;
  for (const RecordNode* n = record.pool->firstChild; n; n = n->firstChild)
    if (n->nextSibling) return 1;
  return 0;
}

int IsInVariation(const RecordNode* node, const GameRecord& record) {
  if (!node || !record.pool) return 0;
  for (const RecordNode* n = record.pool; n; n = n->firstChild)
    if (n == node) return 0;
  return 1;
}

int GetBranchIndex(const RecordNode* node, const GameRecord& record) {
  const RecordNode* parent = FindParentNode(record, node);
  if (!parent) return 0;
  int i = 1;
  for (const RecordNode* c = parent->firstChild; c; c = c->nextSibling, ++i)
    if (c == node) return i;
  return 0;
}

int SubtreeHasComment(const RecordNode* node) {
  bool found = false;
  VisitChain(node, [&](const RecordNode& n) { return !(found = n.comment != nullptr); });
  return found;
}

int SelectChildByMove(GameRecord& record, uint16_t key) {
  if (!record.current) return -1;
  for (RecordNode* c = record.current->firstChild; c; c = c->nextSibling) {
    if (NodeMoveKey(*c) == key) {
      record.current = c;
      return 0;
    }
  }
  return -1;
}

void StepBackTo(int n, GameRecord& record, BoardState* board) {
  BoardState& b = board ? *board : g_Board;
  if (n < 0) n = 0;
  while (record.moveNumber > n && record.current && record.current != record.pool) {
    UnmakeMoveOnBoard(b, NodeMoveCode(*record.current));
    record.current = FindParentNode(record, record.current);
    --record.moveNumber;
    b.sideToMove = kSente - b.sideToMove;
    if (!record.current) {  // a node outside the tree: the root is all that is left
      record.current = record.pool;
      record.moveNumber = 0;
    }
  }
}

// ---- Edits -----------------------------------------------------------------

int AddMoveToRecord(GameRecord& record, const BoardState& start, const BoardState& position,
                    int kind, uint32_t move, int seconds) {
  RecordNode* cur = record.current;
  if (!cur || !record.pool) return -1;
  int from = move & 0xFF, to = move >> 8 & 0xFF;
  const bool isEnd = to <= 10;
  if (isEnd) from = kEndFrom;  // a 投了 may come with from 0
  const bool isSuspend = isEnd && to == kEndSuspend;
  if (isSuspend && record.moveNumber == 0) return 0;
  if (isEnd && to == kEndRepetition) seconds = 0;
  int piece = 0, captured = 0;
  if (!isEnd) {
    if (IsHandCell(from)) {
      from = 0x80 | (from & 0x10) | (from & 7);
      piece = PieceCodeAt(from, position);
    } else {
      piece = position.squares[from];
      captured = position.squares[to & 0x7F];
    }
  }

  RecordNode* node = nullptr;
  RecordNode* child = cur->firstChild;
  if (!child) {
    if (!(node = FindFreeNode(record))) return -2;
    cur->firstChild = node;
  } else if (IsEndNode(*child) && child->to == kEndSuspend) {
    node = child;
  } else if (IsEndNode(*child) && isEnd) {
    if (isSuspend) return 0;
    node = child;
  } else if (record.appendMode == 0) {
    cur->firstChild = nullptr;
    DeleteSubtree(child, record);
    if (!(node = FindFreeNode(record))) return -2;
    cur->firstChild = node;
  } else if (child->from == from && child->to == to) {
    node = child;
  } else if (isSuspend) {
    return 0;
  } else {
    RecordNode* last = child;
    for (RecordNode* c = child->nextSibling; c && !node; c = c->nextSibling) {
      if (c->from == from && c->to == to) node = c;
      last = c;
    }
    if (!node) {
      while (last->nextSibling) last = last->nextSibling;
      if (!(node = FindFreeNode(record))) return -2;
      last->nextSibling = node;
    }
  }

  if (node->from != 0 || node->to != 0) {
    // A node kept in its place (a 中断 or an end mark replaced) that now
    // holds another move.
    if (node->from != from || node->to != to) ++record.nodeReuses;
  }
  ++record.revision;
  node->from = uint8_t(from);
  node->to = uint8_t(to);
  if (isEnd) {
    bool even = record.moveNumber % 2 == 0;
    bool senteStarts = start.sideToMove == kSente;
    node->piece = uint8_t(even == senteStarts ? kSente : kGote);
    node->captured = 0;
    if (to == kEndResign) record.current = node;
  } else {
    node->piece = uint8_t(piece);
    node->captured = uint8_t(captured);
    record.current = node;
  }
  if (kind != 5) {
    uint16_t key = uint16_t(from | to << 8);
    node->textFlags = g_pComputeTextFlags ? g_pComputeTextFlags(position, key)
                                          : ComputeDefaultTextFlags(position, key);
  }
  // Seconds are 16 bits: a longer think is kept as the longest that fits.
  if (kind != 1 && kind != 4) node->seconds = uint16_t(std::clamp(seconds, 0, 65535));
  ++record.changeCount;
  return 0;
}

void DeleteSubtree(RecordNode* node, GameRecord& record) {
  if (!node) return;
  FreeChain(record, node);
  RemoveBookmarksOfFreedNodes(record);
}

int DeleteBranch(RecordNode* node, GameRecord& record) {
  if (!node) return -1;
  RecordNode* parent = FindParentNode(record, node);
  if (!parent) return -1;
  RecordNode* elder = nullptr;
  if (!FindElderSibling(parent, node, &elder)) return -1;
  if (elder) elder->nextSibling = node->nextSibling;
  else parent->firstChild = node->nextSibling;
  node->nextSibling = nullptr;
  DeleteSubtree(node, record);
  return 0;
}

int DeleteChildByMove(RecordNode* node, uint16_t key, GameRecord& record) {
  if (!node) return -1;
  RecordNode* child = FindChildByKey(node, key);
  if (!child) return -1;
  RecordNode* elder = nullptr;
  FindElderSibling(node, child, &elder);
  if (elder) elder->nextSibling = child->nextSibling;
  else node->firstChild = child->nextSibling;
  child->nextSibling = nullptr;
  DeleteSubtree(child, record);
  return 0;
}

int DeleteVariationByMove(RecordNode* node, GameRecord& record, uint16_t key) {
  if (!node) return -1;
  RecordNode* child = FindChildByKey(node, key);
  if (!child) return -1;
  return DeleteBranch(child, record);
}

RecordNode* TruncateRecordAfter(GameRecord& record, int n) {
  RecordNode* node = GetNodeAtMove(n, record);
  if (!node) return nullptr;
  for (RecordNode* c = node->firstChild; c; c = c->firstChild) FreeNodeComment(record, c);
  record.changeCount = 0;
  RecordNode* children = node->firstChild;
  node->firstChild = nullptr;
  // current may lie in what goes: it moves back onto the node kept.
  if (n == 0 || record.moveNumber > n) {
    record.current = node;
    record.moveNumber = n;
  }
  DeleteSubtree(children, record);
  return node;
}

int PromoteBranch(RecordNode* node, GameRecord& record) {
  RecordNode* parent = FindParentNode(record, node);
  if (!parent) return -1;
  RecordNode* elder = nullptr;
  if (!FindElderSibling(parent, node, &elder)) return -1;
  if (!elder) return 0;
  elder->nextSibling = node->nextSibling;
  node->nextSibling = parent->firstChild;
  parent->firstChild = node;
  ++record.revision;
  return 0;
}

int AppendComment(GameRecord& record, int n, std::u16string_view text) {
  RecordNode* node = GetNodeAtMove(n, record);
  if (!node) return -4;
  bool addLf = text.empty() || text.back() != u'\n';
  std::u16string_view old = node->comment ? std::u16string_view(node->comment) : u"";
  if (old.size() + text.size() + addLf > size_t(kMaxCommentLength)) return -3;
  char16_t* joined = NewComment(old, text, addLf);
  if (!joined) return -1;
  delete[] node->comment;
  node->comment = joined;
  ++record.changeCount;
  ++record.revision;
  return 0;
}

void FreeNodeComment(GameRecord& record, RecordNode* node) {
  if (!node || !node->comment) return;
  delete[] node->comment;
  node->comment = nullptr;
  ++record.changeCount;
  ++record.revision;
}

void ClearCommentsFrom(GameRecord& record, int n) {
  for (RecordNode* c = GetNodeAtMove(n, record); c; c = c->firstChild)
    FreeNodeComment(record, c);
}

void ClearCommentsToRoot(int n, GameRecord& record) {
  for (RecordNode* c = GetNodeAtMove(n, record); c; c = FindParentNode(record, c))
    FreeNodeComment(record, c);
}

void ClearAllComments(GameRecord& record) {
  for (int i = 0; i < record.poolCapacity; ++i) FreeNodeComment(record, &record.pool[i]);
}

// ---- Times -----------------------------------------------------------------

int64_t GetCumulativeTime(const RecordNode* node, const GameRecord& record) {
  int64_t sum = 0;
  while (node && node != record.pool) {
    sum += node->seconds;
    const RecordNode* parent = FindParentNode(record, node);
    if (!parent || parent == record.pool) break;
    node = FindParentNode(record, parent);
  }
  return sum;
}

int64_t GetCumulativeTimeAtMove(int n, const GameRecord& record) {
  if (n <= 0) return 0;
  const RecordNode* node = GetNodeAtMove(n, record);
  int64_t total = 0;
  // Along the shown line the totals are kept: no walk back to the root.
  if (KeptCumulativeTime(record, n, node, total)) return total;
  return GetCumulativeTime(node, record);
}

void SetNodeSeconds(GameRecord& record, RecordNode& node, int seconds) {
  node.seconds = uint16_t(std::clamp(seconds, 0, 65535));
  ++record.revision;
}

std::u16string FormatMoveTimes(int seconds, int64_t cumulative) {
  if (seconds < 0) seconds = 0;
  if (cumulative < 0) cumulative = 0;
  return FormatU16(u"%02d:%02d / %02d:%02d:%02d", seconds / 60, seconds % 60,
                   int(cumulative / 3600 % 100), int(cumulative / 60 % 60), int(cumulative % 60));
}

std::u16string FormatMoveTimes(int n, const GameRecord& record) {
  const RecordNode* node = n > 0 ? GetNodeAtMove(n, record) : nullptr;
  if (node == nullptr) return FormatMoveTimes(0, 0);
  int64_t total = 0;
  if (!KeptCumulativeTime(record, n, node, total)) total = GetCumulativeTime(node, record);
  return FormatMoveTimes(node->seconds, total);
}

int64_t SumSubtreeSeconds(const RecordNode* node, int64_t sum) {
  VisitChain(node, [&](const RecordNode& n) {
    sum += n.seconds;
    return true;
  });
  return sum;
}

int FormatConsumedTimeHeader(GameRecord& record) {
  return FormatConsumedTimeHeader(record, g_StartBoard);
}

std::u16string FormatMainLineTimes(const GameRecord& record, const BoardState& start) {
  if (!record.pool) return {};
  int64_t total[2] = {0, 0};  // [0] first player, [1] second player
  int side = start.sideToMove == kSente ? 0 : 1;
  for (const RecordNode* n = record.pool->firstChild; n; n = n->firstChild, side ^= 1)
    total[side] += n->seconds;
  if (total[0] == 0 && total[1] == 0) return {};
  long long h[2], m[2], s[2];
  for (int i = 0; i < 2; ++i) {
    h[i] = total[i] / 3600;
    m[i] = total[i] % 3600 / 60;
    s[i] = total[i] % 60;
  }
  if (s[0] == 0 && s[1] == 0)
    return FormatU16(u"▲%lld時間%02lld分△%lld時間%02lld分", h[0], m[0], h[1], m[1]);
  if (h[0] || h[1])
    return FormatU16(u"▲%lld時間%02lld分%02lld秒△%lld時間%02lld分%02lld秒", h[0], m[0], s[0],
                     h[1], m[1], s[1]);
  return FormatU16(u"▲%lld分%02lld秒△%lld分%02lld秒", m[0], s[0], m[1], s[1]);
}

int FormatConsumedTimeHeader(GameRecord& record, const BoardState& start) {
  const std::u16string text = FormatMainLineTimes(record, start);
  if (text.empty()) return 0;
  SetHeaderText(record.header.timeUsed, text);
  return 1;
}
