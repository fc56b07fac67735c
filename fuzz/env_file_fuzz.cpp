// The settings file reader on arbitrary bytes: whatever it takes in must
// write out as a file that reads back to the same settings, and that file
// written again must be the same bytes.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_checks.h"
#include "record/text.h"
#include "settings/env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetEnvDefaults();
  ReadEnvBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::u16string first = FormatEnvFile();
  ResetEnvDefaults();
  ReadEnvBytes(Utf16ToUtf8(first, true));
  Check(FormatEnvFile() == first, "settings written, read and written again");
  return 0;
}
