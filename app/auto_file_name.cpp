#include "app/auto_file_name.h"

#include "record/datetime.h"
#include "record/header.h"
#include "record/record.h"
#include "settings/env.h"

namespace {

constexpr size_t kMaxAutoName = 1023;
constexpr std::u16string_view kKanjiDigits = u"一二三四五六七八九";
constexpr std::u16string_view kTitles[] = {u"女流", u"王位", u"名人", u"竜王",
                                           u"王座", u"王将", u"棋聖", u"棋王"};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\u3000'; }

// The start date's year, month and day joined; "?" in the month keeps the
// year only, "?" in the day year and month. shortYear keeps its last two digits.
std::u16string DateDigits(std::u16string_view date, bool shortYear) {
  std::u16string year, month, day;
  if (date.size() >= 10 && date[4] == u'/' && date[7] == u'/') {
    year = date.substr(0, 4);
    month = date.substr(5, 2);
    day = date.substr(8, 2);
    if (shortYear) year = year.substr(2);
  } else if (date.size() >= 8 && date[2] == u'/' && date[5] == u'/') {
    year = std::u16string(shortYear ? u"" : u"20") + std::u16string(date.substr(0, 2));
    month = date.substr(3, 2);
    day = date.substr(6, 2);
  } else {
    return {};
  }
  if (month[0] == u'?') return year;
  if (day[0] == u'?') return year + month;
  return year + month + day;
}

std::u16string YearMonth(std::u16string_view date) {
  if (date.size() < 7 || date[4] != u'/') return {};
  return std::u16string(date.substr(0, 4)) + std::u16string(date.substr(5, 2));
}

}  // namespace

int GradeWordValue(std::u16string_view t) {
  if (t.size() < 2) return 0;
  if (t[0] == u'初' && t[1] == u'段') return 1;
  size_t kanji = kKanjiDigits.find(t[0]);
  if (kanji != std::u16string_view::npos && (t[1] == u'段' || t[1] == u'冠')) return int(kanji) + 1;
  if (t[0] >= u'１' && t[0] <= u'９' && t[1] == u'級') return t[0] - u'０';
  return 0;
}

std::u16string StripTitlesFromName(std::u16string_view name) {
  std::u16string out;
  for (size_t i = 0; i < name.size();) {
    std::u16string_view rest = name.substr(i);
    bool title = GradeWordValue(rest) != 0;
    for (std::u16string_view t : kTitles) title = title || rest.starts_with(t);
    if (title) {
      i += 2;
    } else {
      if (name[i] != u'・' && name[i] != u'、') out += name[i];
      ++i;
    }
  }
  return out;
}

std::u16string RemoveBlanks(std::u16string_view name) {
  std::u16string out;
  for (char16_t c : name)
    if (!IsBlank(c)) out += c;
  return out;
}

std::u16string CopyFirstWord(std::u16string_view name) {
  size_t i = 0;
  while (i < name.size() && IsBlank(name[i])) ++i;
  size_t end = i;
  while (end < name.size() && !IsBlank(name[end]) && name[end] != u'(' && name[end] != u'（') ++end;
  return std::u16string(name.substr(i, end - i));
}

void TruncateToColumns(std::u16string& text, int columns) {
  int count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    count += text[i] <= u'}' ? 1 : 2;
    if (count >= columns) {
      text.resize(i + 1);
      return;
    }
  }
}

std::u16string ExpandAutoFileName(std::u16string_view pattern, const RecordHeader& h) {
  std::u16string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != u'%') {
      out += pattern[i];
      continue;
    }
    if (++i >= pattern.size()) break;
    std::u16string part;
    switch (char16_t code = pattern[i]) {
      case u'b':
      case u'w': {
        part = CopyFirstWord(StripTitlesFromName(code == u'b' ? h.firstPlayer : h.secondPlayer));
        if (i + 1 < pattern.size() && pattern[i + 1] >= u'1' && pattern[i + 1] <= u'9')
          TruncateToColumns(part, pattern[++i] - u'0');
        break;
      }
      case u'B': part = RemoveBlanks(h.firstPlayer); break;
      case u'W': part = RemoveBlanks(h.secondPlayer); break;
      case u'i': part = CopyFirstWord(h.event); break;
      case u'I': part = RemoveBlanks(h.event); break;
      case u's':
      case u'S': part = RemoveBlanks(h.opening); break;
      case u'G': part = DateDigits(h.startTime, false); break;
      case u'g': part = DateDigits(h.startTime, true); break;
      case u'Y': part = g_szTodayCompact; break;
      case u'y': part = g_szDateStem; break;
      case u't':
      case u'T': part = g_szNowTimeCompact; break;
      case u'/': {
        if (++i >= pattern.size()) break;
        if (pattern[i] == u'5') {
          part = YearMonth(h.publishedDate);
        } else if (const std::u16string* item =
                       ProblemItemOfCode(h, pattern[i] == u'A' ? u'a' : pattern[i])) {
          part = *item;
        }
        break;
      }
      default: break;
    }
    // Header texts name no folder and hold no control characters.
    for (char16_t& c : part)
      if (c == u'/' || c < 0x20 || c == 0x7F) c = u'_';
    out += part;
  }
  if (out.size() > kMaxAutoName) out.resize(kMaxAutoName);
  return out;
}

std::u16string BuildAutoFileName() {
  FormatToday(true);
  FormatNowTime();
  FormatTodayCompact();
  FormatNowTimeCompact();
  return ExpandAutoFileName(g_szDefaultSaveName, g_Record.header);
}
