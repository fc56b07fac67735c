#include "settings/multiline.h"

#include <algorithm>

std::u16string FormatToMultiline(std::u16string_view format) {
  std::u16string out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size() && (format[i + 1] == u'c' || format[i + 1] == u'C')) {
      if (out.size() + 2 > kMultilineMaxUnits) break;
      out += u"\r\n";
      ++i;
      continue;
    }
    if (out.size() + 1 > kMultilineMaxUnits) break;
    out += format[i];
  }
  return out;
}

std::u16string MultilineToFormat(std::u16string_view text, size_t capacity) {
  size_t limit = std::min(kMultilineMaxUnits, capacity == 0 ? 0 : capacity - 1);
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    bool crlf = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
    if (crlf || text[i] == u'\n') {
      if (out.size() + 2 > limit) break;
      out += u"%c";
      if (crlf) ++i;
      continue;
    }
    if (out.size() + 1 > limit) break;
    out += text[i];
  }
  return out;
}
