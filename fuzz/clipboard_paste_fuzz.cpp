// Paste and merge on arbitrary text. The positions and the tree stay sound;
// text that is refused (not SFEN, another start, nothing recognised) changes
// nothing.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_checks.h"
#include "record/board.h"
#include "record/clipboard_paste.h"
#include "record/clipboard_text.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "settings/env.h"

namespace {

std::u16string Snapshot() {
  std::u16string text;
  WriteZrfToBuffer(text, kZrfWholeTree);
  return text + FormatSfen(g_Board) + FormatSfen(g_StartBoard);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!RecordFuzzReady() || size == 0) return 0;
  ResetEnvDefaults();
  const bool merge = data[0] & 1;
  g_bCheckRules = (data[0] >> 1) & 1;
  const std::u16string text = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));

  // A small record to merge into: 1.７六歩 2.３四歩.
  ResetRecordTree(g_Record);
  SetInitialBoard(g_Board);
  SetInitialBoard(g_StartBoard);
  ParseZr2MoveLine(u"▲７六歩    △３四歩");
  CopyBoardState(g_Board, g_StartBoard);
  g_Record.current = g_Record.Root();
  g_Record.moveNumber = 0;
  const std::u16string before = Snapshot();

  int result;
  if (merge) {
    const int check = CheckMergeCompatible(text);
    Check(check >= -1 && check <= 3, "merge check code");
    Check(Snapshot() == before, "the check changes nothing");
    if (check != 0) return 0;
    result = ReadRecordFromClipboardText(text, 1);
  } else {
    result = ReadRecordFromClipboardText(text, 0);
  }
  Check(result >= kPasteNothing && result <= kPasteSfen, "result code");
  if (result == kPasteNothing || (merge && IsSfenText(text))) Check(Snapshot() == before, "refused text changes nothing");
  Check(SoundBoard(g_StartBoard) && SoundBoard(g_Board), "positions");
  Check(g_Record.current == g_Record.Root() && g_Record.moveNumber == 0, "rewound");
  std::u16string copy;
  WriteZrfToBuffer(copy, kZrfWholeTree);
  WriteZr2ToBuffer(copy, kZr2WholeTree);
  return 0;
}
