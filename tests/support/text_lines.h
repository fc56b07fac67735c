// Expected texts written as UTF-8 source lines with LF, as the program writes
// them: UTF-16 with CR LF.
#pragma once
#include <string>
#include <string_view>

#include "record/text.h"

inline std::u16string Crlf(std::string_view utf8Lines) {
  std::u16string text;
  for (char16_t c : U16(utf8Lines)) {
    if (c == u'\n') text += u'\r';
    text += c;
  }
  return text;
}
