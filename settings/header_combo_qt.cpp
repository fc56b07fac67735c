#include "settings/header_combo_qt.h"

#include <QStringList>

#include <algorithm>
#include <vector>

#include "record/history.h"
#include "settings/env.h"
#include "settings/folders.h"

const char16_t kAutoStartDateText[] = u"（自動設定）";

namespace {

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

}  // namespace

QComboBox* MakeHeaderCombo(QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  // Measuring thousands of list lines for the width would slow every opening.
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo->setMinimumContentsLength(24);
  combo->setMaxVisibleItems(20);
  return combo;
}

int FillHeaderCombo(QComboBox* combo, HistoryList* history, int historyMode,
                    std::u16string_view listName) {
  combo->clear();
  QStringList items;
  const bool startDate = listName.empty();
  if (history && historyMode != 0) {
    history->count = std::clamp(std::min(history->count, g_nHistorySize), 0, kHistoryMaxEntries);
    for (int i = 0; i < history->count; ++i) {
      if (startDate && history->entries[i] == kAutoStartDateText) continue;
      items << Q(history->entries[i]);
    }
  }
  int result = 0;
  if (!startDate) {
    std::vector<std::u16string> lines;
    result = ReadNameList(g_szProgramFolder + std::u16string(listName) + u".txt", lines);
    const bool skipKnown = history && historyMode == 2;
    items.reserve(items.size() + qsizetype(lines.size()));
    for (const std::u16string& line : lines)
      if (!skipKnown || !HistoryContains(*history, line)) items << Q(line);
  }
  combo->addItems(items);
  return result;
}

int FillHeaderCombo(QComboBox* combo, HistoryList* history, int historyMode,
                    std::u16string_view listName, std::u16string_view fallbackName) {
  int result = FillHeaderCombo(combo, history, historyMode, listName);
  if (result == -1 && !fallbackName.empty())
    result = FillHeaderCombo(combo, history, historyMode, fallbackName);
  return result;
}

int FillProblemCombo(QComboBox* combo, HistoryList& history, std::u16string_view listName) {
  return FillHeaderCombo(combo, &history, 1, listName);
}
