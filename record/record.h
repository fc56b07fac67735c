// The game record: a tree of moves with variations, comments and seconds,
// held in one fixed pool of nodes allocated at start-up and never grown.
#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>
#include <string>

#include "record/header.h"

struct BoardState;

// EndCode: the to-byte of a node whose from-byte is 1. Code 3 is never stored.
enum EndCode {
  kEndResign = 0,         // 投了
  kEndSuspend = 1,        // 中断
  kEndIllegalLoss = 2,    // 反則負け
  kEndIllegalWin = 4,     // 反則勝ち
  kEndImpasse = 5,        // 持将棋
  kEndMate = 6,           // 詰み
  kEndRepetition = 7,     // 千日手
  kEndNoMate = 8,         // 不詰
  kEndTimeLoss = 9,       // 切れ負け
  kEndEnteringKing = 10,  // 入玉勝ち
};
constexpr int kEndFrom = 1;  // from-byte of an end-of-game node

constexpr int kMaxCommentLength = 32766;
// Children searched by the edits that look for one alternative.
constexpr int kMaxChildrenSearched = 256;

// One node. A node is free when both from and to are 0; the root (pool[0])
// has to 0 too but is never handed out.
struct RecordNode {
  uint8_t from;
  uint8_t to;
  uint8_t piece;      // for an end node: the side to move at that point
  uint8_t captured;
  uint8_t textFlags;  // word code in bits 0-5, bit 6 could promote but did not
  uint16_t seconds;
  char16_t* comment;  // zero-terminated, lines separated by LF; nullptr when none
  RecordNode* firstChild;   // next move of the main continuation
  RecordNode* nextSibling;  // next alternative to this move
};

inline uint32_t NodeMoveCode(const RecordNode& n) {
  return uint32_t(n.from) | uint32_t(n.to) << 8 | uint32_t(n.piece) << 16 |
         uint32_t(n.captured) << 24;
}
inline uint16_t NodeMoveKey(const RecordNode& n) { return uint16_t(n.from | n.to << 8); }
// Anything with a to-byte of 10 or less is not a board move.
inline bool IsBoardMoveNode(const RecordNode& n) { return n.to > 10; }
inline bool IsEndNode(const RecordNode& n) { return n.to <= 10; }

// The positions of the shown line, kept so that the repetition count needs
// no walk back to the root: a hash of each position (board, hands, side to
// move) from the root to `current`, and how often each hash occurs. The move
// path keeps it step by step; whatever else moves `current` or the board
// leaves it behind, and it is built again once when next asked.
struct LinePositions {
  const RecordNode* pool = nullptr;  // of the record when built
  uint32_t nodeReuses = 0;           // the record's count when built
  std::vector<const RecordNode*> nodes;  // nodes[i]: the node at move i
  std::vector<uint64_t> hashes;          // hashes[i]: the position after it
  std::unordered_map<uint64_t, int> counts;
  // totals[i]: the seconds of the node at move i and of every second node
  // before it, as far as asked for; valid for totalsRevision.
  std::vector<int64_t> totals;
  uint32_t totalsRevision = 0;
};

// The whole current line (root to the end of its first-child chain), kept
// while the tree stays as it is: stepping along the line leaves it the same
// line, so its length and move count need no walk at each step.
struct LineSummary {
  const RecordNode* pool = nullptr;
  uint32_t revision = 0, nodeReuses = 0;
  std::vector<const RecordNode*> nodes;  // nodes[i]: the node at move i
  std::vector<int> boardBefore;          // board moves among nodes[1..i]
  std::vector<int> nonBoardFrom;         // first i' >= i that is no board move (or the size)
  std::vector<int64_t> totals;           // seconds of node i and of every second node before it
  size_t offMainFrom = 0;                // first i whose node is not its parent's first child
  size_t lastBranchAt = 0;               // last such i (0 when none): the line is kept from there on
};
// The kept current line, made anew when the tree changed, the current node
// left it, or stepped back before its last turn off a first child (the line
// then runs on along first children); nullptr for a tree that does not
// hold together.
const LineSummary* GetLineSummary(const GameRecord& record);

struct GameRecord {
  int32_t appendMode = 1;  // 0 a differing move replaces the continuation, 1 it adds a variation
  int32_t moveNumber = 0;  // number of current on the current line (0 at the root)
  RecordHeader header;
  RecordNode* pool = nullptr;  // pool[0] is the root
  int32_t poolCapacity = 0;
  RecordNode* current = nullptr;
  int32_t changeCount = 0;  // the modified state: 0 when nothing changed
  SioriEntry bookmarks[kMaxBookmarks];
  int32_t bookmarkCount = 0;
  SioriEntry savedBookmarks[kMaxBookmarks];
  int32_t savedBookmarkCount = 0;
  // No node below this index is free: the scan for a free node starts here.
  int32_t freeHint = 1;
  // Rise with every change of the tree, of a comment or of a move's seconds
  // (revision), and whenever a node is freed or given another move
  // (nodeReuses), so that what is derived from the tree can be kept until
  // they move. Only the functions below change nodes; code that sets seconds
  // itself raises revision.
  uint32_t revision = 0;
  uint32_t nodeReuses = 0;
  mutable LinePositions line;
  mutable LineSummary lineSummary;

  RecordNode* Root() const { return pool; }
};

// The one record of the program. Its pool is made once at start-up, by
// InitRecordPool at the size 棋譜最大サイズ sets, and freed at exit; until
// then it has none, and the readers refuse with kNoRecordPool.
extern GameRecord g_Record;
// Size of the pool InitRecordPool allocates: 100000 until start-up sets it
// from 棋譜最大サイズ.
extern int g_nNodePoolCapacity;

// Seam for the text flags of a move being added: the move notation installs
// its computation here (position before the move, move key → textFlags).
// Without one, a move gets "no word" and the could-promote-but-did-not bit.
using TextFlagsFunction = uint8_t (*)(const BoardState& before, uint16_t moveKey);
extern TextFlagsFunction g_pComputeTextFlags;
uint8_t ComputeDefaultTextFlags(const BoardState& before, uint16_t moveKey);

// ---- Pool ----------------------------------------------------------------

// (Re)allocates g_Record's pool with g_nNodePoolCapacity nodes and empties the
// record and its header. 0, or -1 after "メモリ不足です。" (the record then has
// no pool).
int InitRecordPool();
// The same for any record and capacity.
int InitRecordPool(GameRecord& record, int capacity);
// What a reader gives when g_Record has no pool (never made, or its making
// failed): "メモリ不足です。" has been shown and nothing changed.
constexpr int kNoRecordPool = -3;
// 0 when g_Record has its pool, else the message and kNoRecordPool.
int RequireRecordPool();
// Frees every comment and the pool.
void FreeRecordPool(GameRecord& record);
// Frees every comment and node; no bookmarks; move 0 at the root; unchanged.
void ResetRecordTree(GameRecord& record);
// First free node after the root, or nullptr when the pool is full.
RecordNode* FindFreeNode(GameRecord& record);
// Index of a node in the pool, -1 for nullptr or a node of another pool.
int NodeIndex(const GameRecord& record, const RecordNode* node);
int CountFreeNodes(const GameRecord& record);

// ---- Queries ---------------------------------------------------------------

uint32_t GetCurrentMove(const GameRecord& record);
uint32_t GetLastMainLineMove(const GameRecord& record);
// MoveCode of current's first child, 0 when none; 0x0100 past move 0 when
// current is missing, the root, or a 投了 or 中断 node.
uint32_t GetNextMove(const GameRecord& record);
// 1 when current has a first child that is a board move, and, past move 0,
// current is neither the root nor a 投了 or 中断 node.
int HasNextMove(const GameRecord& record = g_Record);
RecordNode* FindParentNode(const GameRecord& record, const RecordNode* node);
// Node of the current line at move number n, or nullptr.
RecordNode* GetNodeAtMove(int n, const GameRecord& record = g_Record);
// Nodes on the current line after the root (end nodes included).
int GetLineLength(const GameRecord& record);
// Those nodes themselves, in order (element k - 1 is the node at move k): one
// walk, where GetNodeAtMove for each move number would walk again each time.
std::vector<const RecordNode*> GetLineNodes(const GameRecord& record);
// The same counting board moves only.
int GetLineMoveCount(const GameRecord& record);
// 1 when a node of the main line has an alternative.
int HasVariations(const GameRecord& record);
// 1 when the node lies off the main line.
int IsInVariation(const RecordNode* node, const GameRecord& record);
// 1-based place of the node among its parent's children, 0 for none or the root.
int GetBranchIndex(const RecordNode* node, const GameRecord& record);
// 1 when the node, a descendant, or a later sibling with its descendants has
// a comment.
int SubtreeHasComment(const RecordNode* node);
// 0 and current = the child of current with that key, or -1.
int SelectChildByMove(GameRecord& record, uint16_t key);
// Takes moves back on g_Board until the move number is n (no repaint).
void StepBackTo(int n, GameRecord& record = g_Record, BoardState* board = nullptr);
// Positions on the path from the root to current, the current one included,
// equal to `position` (same squares, hands and side to move). At once while
// the line's positions are kept (NoteLineStep); otherwise they are taken
// again from the path back to the root first.
int CountRepetitions(const GameRecord& record, const BoardState& position);
// The move path's report of a step along the shown line: current and
// `position` are where the step left them. Keeps the line's positions.
void NoteLineStep(const GameRecord& record, const BoardState& position);
// GetCumulativeTime of the node at move n of the kept line, when it is kept
// there (node is that node): true and the total in `total`. Seconds change
// only with the record's revision.
bool KeptCumulativeTime(const GameRecord& record, int n, const RecordNode* node, int64_t& total);
// The hash the line's positions are kept by: squares 11..99, both hands
// (kinds 1..7) and the side to move.
uint64_t PositionHash(const BoardState& position);

// ---- Edits -----------------------------------------------------------------

// Entry kinds are the modes of DoMove (0 a game move or a reader, 1 and 4
// stepping); kind 5 keeps the text flags, kinds 1 and 4 keep the seconds.
// Adds `move` (its low 16 bits; piece and capture from `position`) after
// current. 0 (also when a 中断 is dropped), -1 no current node, -2 no free node.
int AddMoveToRecord(GameRecord& record, const BoardState& start, const BoardState& position,
                    int kind, uint32_t move, int seconds);
// Frees the node, its descendants and its later siblings with their
// descendants (and their bookmarks).
void DeleteSubtree(RecordNode* node, GameRecord& record = g_Record);
// Unlinks the node from its parent and frees it with its descendants.
// 0, or -1 (no node, no parent, not among the first 256 children).
int DeleteBranch(RecordNode* node, GameRecord& record = g_Record);
// Unlinks and frees the child of `node` with that key and its descendants.
int DeleteChildByMove(RecordNode* node, uint16_t key, GameRecord& record = g_Record);
int DeleteVariationByMove(RecordNode* node, GameRecord& record, uint16_t key);
// Frees everything after move n of the current line (every alternative of
// move n + 1); current moves back to the node at n when it lay beyond.
// Returns that node (nullptr when there is none, nothing changed). Leaves the
// change counter at 0.
RecordNode* TruncateRecordAfter(GameRecord& record, int n);
// Makes the node the first of its parent's children. 0 (also when already
// first), or -1.
int PromoteBranch(RecordNode* node, GameRecord& record = g_Record);

// Appends text (given a final LF) to the comment at move n. 0, -1 no memory
// (the old comment stays), -3 longer than 32766 in all, -4 no node.
int AppendComment(GameRecord& record, int n, std::u16string_view text);
// Frees a node's comment; the change counter rises when there was one.
void FreeNodeComment(GameRecord& record, RecordNode* node);
void ClearCommentsFrom(GameRecord& record, int n);  // along the first-child chain
void ClearCommentsToRoot(int n, GameRecord& record = g_Record);
void ClearAllComments(GameRecord& record = g_Record);

// ---- Times -----------------------------------------------------------------

// Seconds of the node and of every second node before it (the total of the
// side that made the move), the root excluded.
int64_t GetCumulativeTime(const RecordNode* node, const GameRecord& record = g_Record);
int64_t GetCumulativeTimeAtMove(int n, const GameRecord& record = g_Record);
// The times of a move as the move list and the information panel show them:
// "%02d:%02d / %02d:%02d:%02d", the move's own minutes (not wrapped) and
// seconds, then the side's total up to it (hours modulo 100). Move 0 and a
// number past the line give zeros.
std::u16string FormatMoveTimes(int n, const GameRecord& record = g_Record);
// The same from the two figures, for callers that walk the line themselves.
std::u16string FormatMoveTimes(int seconds, int64_t cumulative);
// A move's seconds changed in place (held to 16 bits); the record's revision
// rises, so that kept totals are made anew.
void SetNodeSeconds(GameRecord& record, RecordNode& node, int seconds);
// sum + the seconds of the node, its descendants and later siblings.
int64_t SumSubtreeSeconds(const RecordNode* node, int64_t sum);
// Writes 消費時間 from the main line's totals: 1, or 0 when both are 0.
// The start position's side to move says which nodes are the first player's.
int FormatConsumedTimeHeader(GameRecord& record);
// The text it writes ("▲1時間00分△0時間30分"); empty when both totals are 0.
std::u16string FormatMainLineTimes(const GameRecord& record, const BoardState& start);
int FormatConsumedTimeHeader(GameRecord& record, const BoardState& start);
