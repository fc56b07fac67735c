// The positions of the shown line and the repetition count over them.
#include <cstring>
#include <functional>
#include <string_view>

#include "record/board.h"
#include "record/record.h"
#include "record/rules.h"

uint64_t PositionHash(const BoardState& position) {
  char bytes[89 + 14 + 1];
  std::memcpy(bytes, position.squares + 11, 89);
  std::memcpy(bytes + 89, position.hands[0] + 1, 7);
  std::memcpy(bytes + 96, position.hands[1] + 1, 7);
  bytes[103] = char(position.sideToMove);
  return std::hash<std::string_view>{}(std::string_view(bytes, sizeof bytes));
}

namespace {

bool IsChildOf(const RecordNode* parent, const RecordNode* node) {
  for (const RecordNode* c = parent->firstChild; c; c = c->nextSibling)
    if (c == node) return true;
  return false;
}

void DropAfter(LinePositions& line, size_t keep) {
  if (line.totals.size() > keep) line.totals.resize(keep);
  while (line.nodes.size() > keep) {
    auto it = line.counts.find(line.hashes.back());
    if (it != line.counts.end() && --it->second == 0) line.counts.erase(it);
    line.nodes.pop_back();
    line.hashes.pop_back();
  }
}

void Push(LinePositions& line, const RecordNode* node, uint64_t hash) {
  line.nodes.push_back(node);
  line.hashes.push_back(hash);
  ++line.counts[hash];
}

// From the current node back to the root, each move taken back on a copy of
// the position and the side turned: the positions the line went through.
void Rebuild(const GameRecord& record, const BoardState& position) {
  LinePositions& line = record.line;
  line = LinePositions{};
  line.pool = record.pool;
  line.nodeReuses = record.nodeReuses;
  std::vector<const RecordNode*> nodes;
  std::vector<uint64_t> hashes;
  BoardState copy;
  CopyBoardState(copy, position);
  const RecordNode* n = record.current;
  for (; n && n != record.pool && nodes.size() < size_t(record.poolCapacity);
       n = FindParentNode(record, n)) {
    nodes.push_back(n);
    hashes.push_back(PositionHash(copy));
    UnmakeMoveOnBoard(copy, NodeMoveCode(*n));
    copy.sideToMove = kSente - copy.sideToMove;
  }
  nodes.push_back(record.pool);
  hashes.push_back(PositionHash(copy));
  line.nodes.reserve(nodes.size());
  line.hashes.reserve(nodes.size());
  for (size_t i = nodes.size(); i-- > 0;) Push(line, nodes[i], hashes[i]);
}

// Brings the kept line to the current node: a step forward or back (or a
// jump back along the line, or into a sibling) costs only what it moved;
// anything else, or a tree changed under it, builds it again.
void Sync(const GameRecord& record, const BoardState& position) {
  LinePositions& line = record.line;
  const RecordNode* current = record.current;
  const uint64_t hash = PositionHash(position);
  const size_t n = size_t(record.moveNumber);
  if (line.pool == record.pool && line.nodeReuses == record.nodeReuses && record.moveNumber >= 0 &&
      !line.nodes.empty()) {
    if (n < line.nodes.size() && line.nodes[n] == current) {
      DropAfter(line, n + 1);
      if (line.hashes[n] == hash) return;
    } else if (n >= 1 && n <= line.nodes.size() && IsChildOf(line.nodes[n - 1], current)) {
      DropAfter(line, n);
      Push(line, current, hash);
      return;
    }
  }
  Rebuild(record, position);
}

}  // namespace

void NoteLineStep(const GameRecord& record, const BoardState& position) {
  if (record.pool && record.current) Sync(record, position);
}

int CountRepetitions(const GameRecord& record, const BoardState& position) {
  if (record.moveNumber >= record.poolCapacity) return 0;
  if (!record.pool || !record.current) return 1;
  Sync(record, position);
  return record.line.counts[record.line.hashes.back()];
}

bool KeptCumulativeTime(const GameRecord& record, int n, const RecordNode* node, int64_t& total) {
  LinePositions& line = record.line;
  if (n < 0 || line.pool != record.pool || line.nodeReuses != record.nodeReuses ||
      size_t(n) >= line.nodes.size() || line.nodes[size_t(n)] != node)
    return false;
  if (line.totalsRevision != record.revision) {
    line.totals.clear();
    line.totalsRevision = record.revision;
  }
  // Each total is its node's seconds and the total two moves before.
  while (line.totals.size() <= size_t(n)) {
    size_t i = line.totals.size();
    int64_t before = i >= 2 ? line.totals[i - 2] : 0;
    line.totals.push_back(i == 0 ? 0 : line.nodes[i]->seconds + before);
  }
  total = line.totals[size_t(n)];
  return true;
}
