// The record reader on arbitrary bytes. Whatever it reads must leave the
// positions and the tree sound, and must write out and read back to the same
// record in ZRF (both encodings).
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "fuzz/fuzz_checks.h"
#include "record/board.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/record_writer.h"
#include "record/text.h"
#include "settings/env.h"

namespace {

std::string Dump() {
  std::string out;
  auto add = [&](const std::u16string& s) { out += Utf16ToUtf8(s) + "|"; };
  const RecordHeader& h = g_Record.header;
  add(h.firstPlayer);
  add(h.secondPlayer);
  add(h.firstShortName);
  add(h.secondShortName);
  for (const HeaderItemInfo& item : g_HeaderItems) add(h.*item.field);
  for (int sq = 11; sq <= 99; ++sq)
    if (IsPiece(g_StartBoard.squares[sq])) out += std::to_string(sq) + ":" + std::to_string(g_StartBoard.squares[sq]) + " ";
  for (int h = 0; h < 2; ++h)
    for (int k = 0; k < 8; ++k) out += std::to_string(g_StartBoard.hands[h][k]) + ",";
  out += "\n" + std::to_string(g_StartBoard.sideToMove) + "," + std::to_string(g_StartBoard.handicap) + "," +
         std::to_string(g_StartBoard.notAtStart) + "," + std::to_string(g_bBoardFlipped) + "\n";
  // Depth first, the same order whatever the pool layout.
  std::string tree;
  struct Item { const RecordNode* n; int depth; };
  Item stack[4096];
  int top = 0;
  stack[top++] = {g_Record.Root(), 0};
  while (top) {
    Item it = stack[--top];
    const RecordNode* n = it.n;
    tree += std::to_string(it.depth) + ":" + std::to_string(n->from) + "," + std::to_string(n->to) +
            "," + std::to_string(n->piece) + "," + std::to_string(n->captured) + "," +
            std::to_string(n->textFlags) + "," + std::to_string(n->seconds);
    if (n->comment) tree += "c" + Utf16ToUtf8(n->comment);
    if (const char16_t* b = GetBookmarkName(NodeIndex(g_Record, n))) tree += "b" + Utf16ToUtf8(b);
    tree += "\n";
    if (n != g_Record.Root() && n->nextSibling && top < 4096) stack[top++] = {n->nextSibling, it.depth};
    if (n->firstChild && top < 4096) stack[top++] = {n->firstChild, it.depth + 1};
  }
  return out + tree;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!RecordFuzzReady() || size == 0) return 0;
  // The first byte picks the caller's guess and the settings the reader and
  // the writers consult.
  const uint8_t flags = data[0];
  ResetEnvDefaults();
  g_bCheckRules = flags & 1;
  g_bCommentAutoWrap = (flags >> 1) & 1;
  g_nCommentWrapColumn = 1 + (flags >> 4);
  g_szUserInfoName[0] = u"相手";
  const bool tryUtf8 = (flags >> 2) & 1;
  const int result = ReadRecordBytes(tryUtf8, std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  Check(result >= -2 && result <= 1, "result code");
  Check(SoundBoard(g_StartBoard), "start position");
  Check(g_Record.current == g_Record.Root() && g_Record.moveNumber == 0, "rewound");
  if (result != 0) return 0;

  // Both writers with the settings chosen (wrapping changes the comments, so
  // only for the sanitizers) ...
  for (bool utf8 : {true, false}) {
    RecordTextFile file;
    file.OpenMemory(utf8);
    Check(WriteZrfText(utf8, file) == 0 && WriteZr2Record(file, utf8, false) == 0, "write");
  }
  // ... then what was read writes out and reads back the same (rule checking
  // on, as a saved record is read with it).
  g_bCheckRules = 1;
  g_bCommentAutoWrap = 0;
  const std::string before = Dump();
  for (bool utf8 : {true, false}) {
    RecordTextFile file;
    file.OpenMemory(utf8);
    Check(WriteZrfText(utf8, file) == 0, "write");
    std::string bytes = file.Bytes();
    if (!utf8) {
      // Characters the code page cannot hold do not come back: compare only
      // what survives the conversion.
      if (AnsiToUtf16(Utf16ToAnsi(Utf8ToUtf16(Dump()))) != Utf8ToUtf16(Dump())) continue;
    }
    Check(ReadRecordBytes(!utf8, bytes) == 0, "read back");
    if (Dump() != before) {
      std::fprintf(stderr, "before:\n%s\nafter:\n%s\n", before.c_str(), Dump().c_str());
      Check(false, "same record after a write and a read");
    }
    RecordTextFile again;
    again.OpenMemory(utf8);
    WriteZrfText(utf8, again);
    Check(again.Bytes() == bytes, "same bytes after a second write");
  }
  return 0;
}
