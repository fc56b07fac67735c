#include "record/history.h"

#include <algorithm>
#include <set>

#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/folders.h"

namespace {

int HistoryLimit() { return std::clamp(g_nHistorySize, 0, kHistoryMaxEntries); }

// Never leaves half of a surrogate pair at the end: the file would get a
// replacement character and the entry would no longer match its text.
std::u16string Cut(std::u16string_view text) {
  std::u16string s(text);
  CutToCapacity(s, kHistoryEntryCapacity);
  if (s.size() < text.size() && !s.empty() && s.back() >= 0xD800 && s.back() <= 0xDBFF)
    s.pop_back();
  return s;
}

}  // namespace

HistoryList::HistoryList(const char16_t* listName) : maxCount(HistoryLimit()), name(listName) {}

// Built in this order, as the fields appear to the dialogs.
HistoryList g_hisEvent(u"棋戦");
HistoryList g_hisOpening(u"戦型");
HistoryList g_hisTimeLimit(u"持ち時間");
HistoryList g_hisPlace(u"場所");
HistoryList g_hisTitle(u"表題");
HistoryList g_hisPublication(u"掲載");
HistoryList g_hisStartDate(u"開始日時");
HistoryList g_hisSaveName(u"保存棋譜初期名");
HistoryList g_hisPlayers(u"対局者");
const char16_t g_szPlayersSeparator[] = u"; ";
HistoryList g_hisSiori(u"しおり");
HistoryList g_hisWorkNumber(u"作品番号");
HistoryList g_hisAuthor(u"作者");
HistoryList g_hisMagazine(u"発表誌");
HistoryList g_hisPublishedDate(u"発表年月");
HistoryList g_hisSource(u"出典");
HistoryList g_hisSoundness(u"完全性");
HistoryList g_hisCategory(u"分類");
HistoryList g_hisPrize(u"受賞");
HistoryList g_hisWorkTitle(u"作品名");
HistoryList g_hisMoveCount(u"手数");
HistoryList g_hisRemarks(u"備考");
HistoryList g_hisUser1(u"user1");
HistoryList g_hisUser2(u"user2");
HistoryList g_hisUser3(u"user3");
HistoryList g_hisUser4(u"user4");
HistoryList g_hisUser5(u"user5");

int AddHistoryItem(std::u16string_view text, HistoryList& list) {
  if (text.empty()) return 0;
  std::u16string item = Cut(text);
  list.maxCount = HistoryLimit();
  int inUse = std::min(list.count, kHistoryMaxEntries);
  for (int i = 0; i < inUse; ++i) {
    if (list.entries[i] == item) {
      std::rotate(list.entries, list.entries + i, list.entries + i + 1);
      return 1;
    }
  }
  std::rotate(list.entries, list.entries + kHistoryMaxEntries - 1, list.entries + kHistoryMaxEntries);
  list.entries[0] = std::move(item);
  if (list.count < list.maxCount) ++list.count;
  return 2;
}

int HistoryContains(const HistoryList& list, std::u16string_view text) {
  std::u16string item = Cut(text);
  int inUse = std::min(list.count, kHistoryMaxEntries);
  for (int i = 0; i < inUse; ++i)
    if (list.entries[i] == item) return 1;
  return 0;
}

std::u16string HistoryFilePath(const HistoryList& list) {
  return g_szDataFolder + list.name + u".his";
}

// Lines beginning with "#" are comments; an entry that itself begins with "#"
// is written with one more "#" in front so that it comes back.
int LoadHistory(HistoryList& list) {
  list.count = 0;
  list.maxCount = HistoryLimit();
  if (list.maxCount <= 0) return 0;
  std::string bytes;
  if (!ReadFileBytes(HistoryFilePath(list), bytes)) return -1;
  ReadHistoryBytes(list, std::move(bytes));
  return 0;
}

void ReadHistoryBytes(HistoryList& list, std::string bytes) {
  list.count = 0;
  list.maxCount = HistoryLimit();
  if (list.maxCount <= 0) return;
  TextLineReader reader;
  reader.OpenBytes(std::move(bytes), TextEncoding::Utf8);
  std::u16string line;
  int n = 0;
  while (n < kHistoryMaxEntries && reader.ReadLine(line)) {
    if (line.empty()) continue;
    if (line[0] == u'#') {
      if (line.size() < 2 || line[1] != u'#') continue;
      line.erase(0, 1);
    }
    list.entries[n++] = Cut(line);
  }
  list.count = std::min(n, list.maxCount);
}

std::string FormatHistoryFile(const HistoryList& list) {
  std::u16string text;
  int inUse = std::min(list.count, kHistoryMaxEntries);
  for (int i = 0; i < inUse; ++i) {
    if (!list.entries[i].empty() && list.entries[i][0] == u'#') text += u'#';
    text += list.entries[i];
    text += u"\r\n";
  }
  return Utf16ToUtf8(text, true);
}

int SaveHistory(const HistoryList& list) {
  if (HistoryLimit() <= 0) return 0;
  // A file that cannot be written is told once, not at every entry typed;
  // once it is written again, a later failure is told again.
  static std::set<std::u16string> reported;
  const std::u16string path = HistoryFilePath(list);
  if (WriteFileBytes(path, FormatHistoryFile(list))) {
    reported.erase(path);
    return 0;
  }
  if (reported.insert(path).second)
    ShowMessage(FormatU16(u"履歴ファイル(%s)が保存できません。", path.c_str()), kMbOk | kMbIconError);
  return -1;
}

int ReadNameList(std::u16string_view path, std::vector<std::u16string>& names) {
  names.clear();
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return -1;
  for (std::u16string& line : SplitLines(Utf8ToUtf16(bytes))) {
    if (line.empty() || line[0] == u'#') continue;
    names.push_back(std::move(line));
  }
  return 0;
}
