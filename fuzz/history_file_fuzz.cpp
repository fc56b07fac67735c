// The input-history reader on arbitrary bytes: the entries it takes in must
// write out as a file that reads back to the same entries.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_checks.h"
#include "record/history.h"
#include "settings/env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  g_nHistorySize = kHistoryMaxEntries;
  HistoryList first(u"fuzz"), second(u"fuzz");
  ReadHistoryBytes(first, std::string(reinterpret_cast<const char*>(data), size));
  Check(first.count >= 0 && first.count <= kHistoryMaxEntries, "entry count");
  for (int i = 0; i < first.count; ++i)
    Check(!first.entries[i].empty() && first.entries[i].size() < kHistoryEntryCapacity, "entry size");
  ReadHistoryBytes(second, FormatHistoryFile(first));
  Check(second.count == first.count, "entries written and read back");
  for (int i = 0; i < first.count; ++i) Check(second.entries[i] == first.entries[i], "entry written and read back");
  return 0;
}
