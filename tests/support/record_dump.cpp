#include "tests/support/record_dump.h"

#include <vector>

#include "record/board.h"
#include "record/header.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "tests/support/position_loader.h"

std::string DumpRecord(const GameRecord& record) {
  std::string out;
  const RecordHeader& h = record.header;
  auto field = [&](const char* name, const std::u16string& value) {
    if (!value.empty()) out += std::string(name) + "=" + Utf16ToUtf8(value) + "\n";
  };
  field("first", h.firstPlayer);
  field("second", h.secondPlayer);
  field("firstShort", h.firstShortName);
  field("secondShort", h.secondShortName);
  for (const HeaderItemInfo& item : g_HeaderItems) field(Utf16ToUtf8(item.name).c_str(), h.*item.field);
  for (int i = 0; i < kUserItemCount; ++i) field(("user" + std::to_string(i)).c_str(), h.userItems[i]);
  out += "start=" + BoardToSfen(g_StartBoard) + " h" + std::to_string(g_StartBoard.handicap) +
         " n" + std::to_string(g_StartBoard.notAtStart) + " flip" + std::to_string(g_bBoardFlipped) + "\n";
  if (!record.pool) return out;
  auto note = [&](const RecordNode* n) {
    if (n->comment) out += " c[" + Utf16ToUtf8(n->comment) + "]";
    if (const char16_t* b = GetBookmarkName(NodeIndex(record, n), record))
      out += " b[" + Utf16ToUtf8(b) + "]";
    out += "\n";
  };
  out += "root";
  note(record.pool);
  struct Item { const RecordNode* node; int n; };
  std::vector<Item> stack;
  if (record.pool->firstChild) stack.push_back({record.pool->firstChild, 1});
  while (!stack.empty()) {
    Item it = stack.back();
    stack.pop_back();
    const RecordNode* n = it.node;
    out += std::to_string(it.n) + " " + std::to_string(n->from) + " " + std::to_string(n->to) + " " +
           std::to_string(n->piece) + " " + std::to_string(n->captured) + " f" +
           std::to_string(n->textFlags) + " s" + std::to_string(n->seconds);
    note(n);
    if (n->nextSibling) stack.push_back({n->nextSibling, it.n});
    if (n->firstChild) stack.push_back({n->firstChild, it.n + 1});
  }
  return out;
}
