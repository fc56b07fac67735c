// Input histories: for each information field a short most-recent-first list
// of the texts entered before, kept in "<data folder><name>.his".
#pragma once
#include <string>
#include <string_view>
#include <vector>

constexpr int kHistoryMaxEntries = 20;
constexpr size_t kHistoryEntryCapacity = 512;  // entries of at most 511 units

struct HistoryList {
  explicit HistoryList(const char16_t* listName);

  int maxCount;  // entries kept: the setting 情報履歴数 (at most 20)
  int count = 0; // entries in use, newest first
  std::u16string entries[kHistoryMaxEntries];
  std::u16string name;  // the field's name, also the base name of its file
};

extern HistoryList g_hisEvent, g_hisOpening, g_hisTimeLimit, g_hisPlace, g_hisTitle,
    g_hisPublication, g_hisStartDate, g_hisSaveName, g_hisPlayers, g_hisSiori,
    g_hisWorkNumber, g_hisAuthor, g_hisMagazine, g_hisPublishedDate, g_hisSource,
    g_hisSoundness, g_hisCategory, g_hisPrize, g_hisWorkTitle, g_hisMoveCount, g_hisRemarks,
    g_hisUser1, g_hisUser2, g_hisUser3, g_hisUser4, g_hisUser5;

// What the players' history puts between the two names.
extern const char16_t g_szPlayersSeparator[];

// Puts the text (cut to 511 units) at the front: 0 empty text, 1 it was
// there and moved to the front, 2 inserted (the oldest falls off a full list).
int AddHistoryItem(std::u16string_view text, HistoryList& list);
// 1 when an entry in use equals the text (cut as AddHistoryItem cuts it).
int HistoryContains(const HistoryList& list, std::u16string_view text);
// Path of the list's file in the data folder.
std::u16string HistoryFilePath(const HistoryList& list);
// Reads the file: 0, or -1 when it cannot be read. With 情報履歴数 at 0 the
// list is only emptied.
int LoadHistory(HistoryList& list);
// The same over the file's bytes (UTF-8; a byte-order mark at the start is
// skipped).
void ReadHistoryBytes(HistoryList& list, std::string bytes);
// The file as written: a byte-order mark, then the entries in use, newest
// first, each followed by CR LF.
std::string FormatHistoryFile(const HistoryList& list);
// Writes the entries in use: 0, or -1 when the file cannot be written (told
// in a box the first time, until the file is written again). Nothing when
// 情報履歴数 is 0.
int SaveHistory(const HistoryList& list);

// The lines of a name-list file (UTF-8, with or without a byte-order mark):
// lines beginning with "#" and empty lines are skipped. 0, or -1 when the
// file cannot be read (the list is then empty).
int ReadNameList(std::u16string_view path, std::vector<std::u16string>& names);
