// The CSA reader on arbitrary bytes. Whatever it reads must leave the
// positions and the tree sound, and must write out as CSA and read back to
// the same record and the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "record/board.h"
#include "record/csa.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_writer.h"
#include "record/text.h"
#include "settings/env.h"

namespace {

// What a CSA file carries: the names and items it has, the start position
// and the main line with seconds and comments.
std::string Dump() {
  std::string out;
  const RecordHeader& h = g_Record.header;
  for (const std::u16string* s : {&h.firstPlayer, &h.secondPlayer, &h.event, &h.place, &h.startTime,
                                  &h.endTime, &h.timeLimit, &h.opening})
    out += Utf16ToUtf8(*s) + "|";
  for (int sq = 11; sq <= 99; ++sq)
    if (IsPiece(g_StartBoard.squares[sq]))
      out += std::to_string(sq) + ":" + std::to_string(g_StartBoard.squares[sq]) + " ";
  for (int i = 0; i < 2; ++i)
    for (int k = 0; k < 8; ++k) out += std::to_string(g_StartBoard.hands[i][k]) + ",";
  out += "\n" + std::to_string(g_StartBoard.sideToMove) + "," + std::to_string(g_StartBoard.handicap) +
         "," + std::to_string(g_StartBoard.notAtStart) + "\n";
  for (const RecordNode* n = g_Record.Root(); n; n = n->firstChild) {
    out += std::to_string(n->from) + "," + std::to_string(n->to) + "," + std::to_string(n->piece) + "," +
           std::to_string(n->captured) + "," + std::to_string(n->textFlags) + "," +
           std::to_string(n->seconds);
    if (n->comment) out += "c" + Utf16ToUtf8(n->comment);
    out += "\n";
  }
  return out;
}

std::string Write() {
  RecordTextFile file;
  file.OpenMemory(false);
  Check(WriteCsaText(file) == 0, "write");
  return file.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!RecordFuzzReady() || size == 0) return 0;
  // The first byte picks the rule checking the moves are read with.
  ResetEnvDefaults();
  g_bCheckRules = data[0] & 1;
  const int result = ReadCsaBytes(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  Check(result >= -2 && result <= 1, "result code");
  Check(SoundBoard(g_StartBoard), "start position");
  Check(g_Record.current == g_Record.Root() && g_Record.moveNumber == 0, "rewound");
  if (result != 0) return 0;

  // The writer drops a parenthesised group of the dates by design.
  g_Record.header.startTime.clear();
  g_Record.header.endTime.clear();
  g_bCheckRules = 1;
  const std::string before = Dump();
  const std::string bytes = Write();
  Check(ReadCsaBytes(bytes) == 0, "read back");
  // Characters the code page cannot hold do not come back: compare the
  // record only when everything survives the conversion.
  if (AnsiToUtf16(Utf16ToAnsi(Utf8ToUtf16(before))) == Utf8ToUtf16(before) && Dump() != before) {
    std::fprintf(stderr, "before:\n%s\nafter:\n%s\n", before.c_str(), Dump().c_str());
    Check(false, "same record after a write and a read");
  }
  Check(Write() == bytes, "same bytes after a second write");
  return 0;
}
