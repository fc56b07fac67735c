#include "record/header.h"

#include <algorithm>
#include <climits>

#include "record/record.h"
#include "settings/env.h"

const HeaderItemInfo g_HeaderItems[20] = {
    {u"棋戦", &RecordHeader::event},
    {u"表題", &RecordHeader::title},
    {u"戦型", &RecordHeader::opening},
    {u"開始日時", &RecordHeader::startTime},
    {u"終了日時", &RecordHeader::endTime},
    {u"持ち時間", &RecordHeader::timeLimit},
    {u"消費時間", &RecordHeader::timeUsed},
    {u"場所", &RecordHeader::place},
    {u"掲載", &RecordHeader::publishedIn},
    {u"作品番号", &RecordHeader::problemNumber},
    {u"作品名", &RecordHeader::problemName},
    {u"作者", &RecordHeader::author},
    {u"発表誌", &RecordHeader::magazine},
    {u"発表年月", &RecordHeader::publishedDate},
    {u"出典", &RecordHeader::source},
    {u"完全性", &RecordHeader::completeness},
    {u"分類", &RecordHeader::category},
    {u"受賞", &RecordHeader::award},
    {u"手数", &RecordHeader::moveCount},
    {u"備考", &RecordHeader::notes},
};

namespace {

// Cuts to the capacity without leaving half of a surrogate pair at the end,
// which would be written to a file as a replacement character.
void CutKeepingPairs(std::u16string& text, size_t capacity) {
  size_t before = text.size();
  CutToCapacity(text, capacity);
  if (text.size() < before && !text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF)
    text.pop_back();
}

}  // namespace

void SetHeaderText(std::u16string& field, std::u16string_view text, size_t capacity) {
  field.assign(text);
  CutKeepingPairs(field, capacity);
}

const std::u16string* ProblemItemOfCode(const RecordHeader& h, char16_t code) {
  switch (code) {
    case u'1': return &h.problemNumber;
    case u'2': return &h.problemName;
    case u'3': return &h.author;
    case u'4': return &h.magazine;
    case u'5': return &h.publishedDate;
    case u'6': return &h.source;
    case u'7': return &h.moveCount;
    case u'8': return &h.completeness;
    case u'9': return &h.category;
    case u'0': return &h.notes;
    case u'a': return &h.award;
    default: return nullptr;
  }
}

void ClearRecordHeader(GameRecord& record) {
  for (const HeaderItemInfo& item : g_HeaderItems) (record.header.*item.field).clear();
  for (std::u16string& s : record.header.userItems) s.clear();
}

namespace {

bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsWideDigit(char16_t c) { return c >= u'０' && c <= u'９'; }

// A number of ASCII or full-width digits after optional blanks; false when
// there is none. Stays far below overflow however many digits follow.
bool ReadNumber(std::u16string_view text, size_t& pos, int& value) {
  size_t i = pos;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  size_t first = i;
  long long v = 0;
  for (; i < text.size() && (IsAsciiDigit(text[i]) || IsWideDigit(text[i])); ++i) {
    int d = IsAsciiDigit(text[i]) ? text[i] - u'0' : text[i] - u'０';
    if (v < INT_MAX / 100) v = v * 10 + d;
  }
  if (i == first) return false;
  value = int(v);
  pos = i;
  return true;
}

bool StartsWithAt(std::u16string_view text, size_t pos, std::u16string_view word) {
  return text.substr(pos, word.size()) == word;
}

}  // namespace

int ParseTimeLimitText(const GameRecord& record) {
  std::u16string_view text = record.header.timeLimit;
  if (text.empty()) return -1;
  size_t pos = StartsWithAt(text, 0, u"各") ? 1 : 0;
  int first = 0;
  if (text.find(u"時間", pos) == std::u16string_view::npos)
    return ReadNumber(text, pos, first) ? first : -1;
  if (!ReadNumber(text, pos, first)) return -1;
  int minutes = 0;
  if (StartsWithAt(text, pos, u"時間")) {
    pos += 2;
    if (!ReadNumber(text, pos, minutes)) minutes = 0;
  }
  return int(std::min<long long>(first * 60LL + minutes, INT_MAX));
}

void CopyBookmarksToBackup(GameRecord& record) {
  for (int i = 0; i < record.bookmarkCount; ++i) record.savedBookmarks[i] = record.bookmarks[i];
  record.savedBookmarkCount = record.bookmarkCount;
}

void CopyBookmarksFromBackup(GameRecord& record) {
  for (int i = 0; i < record.savedBookmarkCount; ++i) record.bookmarks[i] = record.savedBookmarks[i];
  record.bookmarkCount = record.savedBookmarkCount;
}

namespace {

int FindEntryByName(const GameRecord& record, std::u16string_view name) {
  for (int i = 0; i < record.bookmarkCount; ++i)
    if (record.bookmarks[i].name == name) return i;
  return -1;
}

int FindEntryByNode(const GameRecord& record, int node) {
  for (int i = 0; i < record.bookmarkCount; ++i)
    if (record.bookmarks[i].node == node) return i;
  return -1;
}

void RemoveEntry(GameRecord& record, int index) {
  for (int i = index; i + 1 < record.bookmarkCount; ++i)
    record.bookmarks[i] = std::move(record.bookmarks[i + 1]);
  --record.bookmarkCount;
  record.bookmarks[record.bookmarkCount] = SioriEntry{};
}

}  // namespace

int FindBookmarkByName(std::u16string_view name, const GameRecord& record) {
  int i = FindEntryByName(record, name);
  return i < 0 ? -1 : record.bookmarks[i].node;
}

const char16_t* GetBookmarkName(int node, const GameRecord& record) {
  int i = FindEntryByNode(record, node);
  return i < 0 ? nullptr : record.bookmarks[i].name.c_str();
}

const char16_t* GetBookmarkAtMove(GameRecord& record, int moveNumber) {
  int node = NodeIndex(record, GetNodeAtMove(moveNumber, record));
  return node < 0 ? nullptr : GetBookmarkName(node, record);
}

int SetBookmark(GameRecord& record, int node, std::u16string_view name) {
  if (node < 0 || node >= record.poolCapacity) return -4;
  const RecordNode& n = record.pool[node];
  if (node != 0 && n.from == 0 && n.to == 0) return -4;  // a free node
  std::u16string cut(name);
  CutKeepingPairs(cut, kBookmarkNameCapacity);
  // An empty name would be written as a bare "&", which reading skips.
  if (cut.empty()) return -3;
  int named = FindEntryByName(record, cut);
  if (named >= 0 && record.bookmarks[named].node != node) return -2;
  int own = FindEntryByNode(record, node);
  if (own >= 0) {
    record.bookmarks[own].name = std::move(cut);
  } else {
    if (record.bookmarkCount >= kMaxBookmarks) return -1;
    record.bookmarks[record.bookmarkCount++] = SioriEntry{node, std::move(cut)};
  }
  record.changeCount = 1;
  return 0;
}

int DeleteBookmarkAt(int index, GameRecord& record) {
  if (index < 0 || index >= record.bookmarkCount) return -1;
  RemoveEntry(record, index);
  record.changeCount = 1;
  return 0;
}

int DeleteBookmarkOfNode(int node, GameRecord& record) {
  return DeleteBookmarkAt(FindEntryByNode(record, node), record);
}

int DeleteBookmarkByName(std::u16string_view name, GameRecord& record) {
  return DeleteBookmarkAt(FindEntryByName(record, name), record);
}

void RemoveBookmarksOfFreedNodes(GameRecord& record) {
  int kept = 0;
  for (int i = 0; i < record.bookmarkCount; ++i) {
    int node = record.bookmarks[i].node;
    bool live = node == 0 || (node > 0 && node < record.poolCapacity &&
                              (record.pool[node].from != 0 || record.pool[node].to != 0));
    if (!live) continue;
    if (kept != i) record.bookmarks[kept] = std::move(record.bookmarks[i]);
    ++kept;
  }
  for (int i = kept; i < record.bookmarkCount; ++i) record.bookmarks[i] = SioriEntry{};
  record.bookmarkCount = kept;
}
