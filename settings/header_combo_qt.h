// The combo boxes of the record's information items: the item's input
// history first (newest first), then the lines of the user's name-list file
// "<program folder><name>.txt". Used by the information dialogs and the
// new-game information pages.
#pragma once
#include <QComboBox>

#include <string>
#include <string_view>

struct HistoryList;

// The start date's automatic entry, never offered from the history.
extern const char16_t kAutoStartDateText[];  // "（自動設定）"

// An editable, unsorted combo that never takes the typed text into its list
// and does not size itself to its (possibly long) list.
QComboBox* MakeHeaderCombo(QWidget* parent);

// Empties the list, adds the history's entries when historyMode is not 0
// (the history's count is first cut to 情報履歴数), then the name-list lines:
// all of them, or with historyMode 2 those the history does not hold.
// history may be nullptr (an item without history). An empty listName is
// the start date: its "（自動設定）" entries are skipped and it has no list.
// 0, or -1 when the list file cannot be read (the history entries stay).
int FillHeaderCombo(QComboBox* combo, HistoryList* history, int historyMode,
                    std::u16string_view listName);
// The same, trying fallbackName when listName's file cannot be read.
int FillHeaderCombo(QComboBox* combo, HistoryList* history, int historyMode,
                    std::u16string_view listName, std::u16string_view fallbackName);
// The mate-problem items: the history always, then every list line.
int FillProblemCombo(QComboBox* combo, HistoryList& history, std::u16string_view listName);
