// The record's header (players, event, dates, mate-problem items, the five
// user-defined items) and its bookmarks (しおり).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Capacities in UTF-16 units including the terminating zero of the stored
// form, so a field holds at most capacity - 1 units. Readers keep an item to
// 100 characters and a name to 79.
constexpr size_t kPlayerNameCapacity = 101;
constexpr size_t kHeaderItemCapacity = 102;
constexpr int kUserItemCount = 5;

struct RecordHeader {
  std::u16string firstPlayer;    // 先手 (下手 in a handicap game)
  std::u16string secondPlayer;   // 後手 (上手)
  std::u16string event;          // 棋戦
  std::u16string title;          // 表題
  std::u16string opening;        // 戦型
  std::u16string startTime;      // 開始日時
  std::u16string endTime;        // 終了日時
  std::u16string timeLimit;      // 持ち時間
  std::u16string timeUsed;       // 消費時間
  std::u16string place;          // 場所
  std::u16string publishedIn;    // 掲載
  std::u16string problemNumber;  // 作品番号
  std::u16string problemName;    // 作品名
  std::u16string author;         // 作者
  std::u16string magazine;       // 発表誌
  std::u16string publishedDate;  // 発表年月
  std::u16string source;         // 出典
  std::u16string completeness;   // 完全性
  std::u16string category;       // 分類
  std::u16string award;          // 受賞
  std::u16string moveCount;      // 手数
  std::u16string notes;          // 備考
  std::u16string userItems[kUserItemCount];  // named by ユーザ定義情報１..５
  std::u16string firstShortName;   // 先手省略名
  std::u16string secondShortName;  // 後手省略名
};

// The twenty named items in field order with their item names, for code that
// walks them all.
struct HeaderItemInfo {
  const char16_t* name;
  std::u16string RecordHeader::*field;
};
extern const HeaderItemInfo g_HeaderItems[20];

// The mate-problem item that a template's "/" code names: 1 作品番号 .. 9 分類,
// 0 備考, a 受賞; nullptr for any other.
const std::u16string* ProblemItemOfCode(const RecordHeader& h, char16_t code);

// Stores text into a header field, cut to the field's capacity.
void SetHeaderText(std::u16string& field, std::u16string_view text,
                   size_t capacity = kHeaderItemCapacity);

// A bookmark: the index of the node in the record's pool (the root is 0) and
// its name.
constexpr int kMaxBookmarks = 1024;
constexpr size_t kBookmarkNameCapacity = 256;  // names of at most 255 units
struct SioriEntry {
  int32_t node = 0;
  std::u16string name;
};

struct GameRecord;
extern GameRecord g_Record;

// Empties the twenty named items and the five user items; the player names
// and short names are the caller's.
void ClearRecordHeader(GameRecord& record);

// Minutes of the record's 持ち時間 text ("各10分", "1時間30分", "１０時間"),
// or -1 when it names no time.
int ParseTimeLimitText(const GameRecord& record);

// The saved copy that a bookmark dialog takes and puts back on cancel.
void CopyBookmarksToBackup(GameRecord& record);
void CopyBookmarksFromBackup(GameRecord& record);

// Node index of the bookmark with that name, -1 when none.
int FindBookmarkByName(std::u16string_view name, const GameRecord& record = g_Record);
// Name of the node's bookmark, or nullptr.
const char16_t* GetBookmarkName(int node, const GameRecord& record = g_Record);
// Name of the bookmark of the node at that move number on the current line.
const char16_t* GetBookmarkAtMove(GameRecord& record, int moveNumber);

// Sets or renames the bookmark of a node; the name is cut to 255 units.
// 0; -1 the list is full; -2 another node's bookmark has the name; -3 the
// name is empty; -4 no such node. Success sets the change counter to 1.
int SetBookmark(GameRecord& record, int node, std::u16string_view name);
// The deletions close the gap, keep the order and set the change counter to
// 1; -1 when there is nothing to delete.
int DeleteBookmarkAt(int index, GameRecord& record = g_Record);
int DeleteBookmarkOfNode(int node, GameRecord& record = g_Record);
int DeleteBookmarkByName(std::u16string_view name, GameRecord& record = g_Record);

// Drops the bookmarks whose node is free (after a deletion in the tree), so
// that a node handed out again never shows an old bookmark.
void RemoveBookmarksOfFreedNodes(GameRecord& record);
