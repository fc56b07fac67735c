#include "record/datetime.h"

#include <tuple>

#include "record/clock.h"
#include "record/text.h"

std::u16string g_szToday;
std::u16string g_szDateStem;
std::u16string g_szNowTime;
std::u16string g_szTodayCompact;
std::u16string g_szNowTimeCompact;

namespace {

const char16_t* const kWeekdays[7] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};
const char16_t* const kMonths[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                     u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

bool IsScanSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// Reads texts the way "%d" and literal characters of a scanf format do.
class Scanner {
public:
  explicit Scanner(std::u16string_view text) : text_(text) {}
  bool Int(int& value) {
    size_t i = pos_;
    while (i < text_.size() && IsScanSpace(text_[i])) ++i;
    bool negative = false;
    if (i < text_.size() && (text_[i] == u'+' || text_[i] == u'-')) negative = text_[i++] == u'-';
    size_t first = i;
    long long v = 0;
    for (; i < text_.size() && text_[i] >= u'0' && text_[i] <= u'9'; ++i)
      if (v < 100000000) v = v * 10 + (text_[i] - u'0');
    if (i == first) return false;
    value = int(negative ? -v : v);
    pos_ = i;
    return true;
  }
  bool Literal(char16_t c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

private:
  std::u16string_view text_;
  size_t pos_ = 0;
};

// Numbers read from "%d<sep1>%d<sep2>%d", as far as they go.
int ScanThree(std::u16string_view text, char16_t sep1, char16_t sep2, int v[3]) {
  Scanner s(text);
  if (!s.Int(v[0])) return 0;
  if (!s.Literal(sep1) || !s.Int(v[1])) return 1;
  if (!s.Literal(sep2) || !s.Int(v[2])) return 2;
  return 3;
}

}  // namespace

int GetCurrentYear() { return NowLocal().year; }

std::u16string FormatToday(bool noWeekday) {
  LocalTime t = NowLocal();
  if (noWeekday)
    g_szToday = FormatU16(u"%4d/%02d/%02d", t.year, t.month, t.day);
  else
    g_szToday = FormatU16(u"%4d/%02d/%02d(%s)", t.year, t.month, t.day, kWeekdays[t.weekday % 7]);
  g_szDateStem = FormatU16(u"%02d%3s%02d", t.year % 100, kMonths[(t.month + 11) % 12], t.day);
  return g_szToday;
}

std::u16string FormatNowTime() {
  LocalTime t = NowLocal();
  g_szNowTime = FormatU16(u"%02d:%02d:%02d", t.hour, t.minute, t.second);
  return g_szNowTime;
}

std::u16string FormatTodayCompact() {
  LocalTime t = NowLocal();
  g_szTodayCompact = FormatU16(u"%4d%02d%02d", t.year, t.month, t.day);
  return g_szTodayCompact;
}

std::u16string FormatNowTimeCompact() {
  LocalTime t = NowLocal();
  g_szNowTimeCompact = FormatU16(u"%02d%02d%02d", t.hour, t.minute, t.second);
  return g_szNowTimeCompact;
}

int CheckDateText(std::u16string_view text) {
  int v[3] = {0, 0, 0};
  int year = 0, month = 0, day = 0;
  int count = ScanThree(text, u'/', u'/', v);
  if (count == 3) {
    if (v[0] >= 80 && v[0] <= 99) {
      year = 1900 + v[0], month = v[1], day = v[2];
    } else if (v[2] >= 91 && v[2] <= 99) {
      month = v[0], day = v[1], year = 1900 + v[2];
    } else if (v[0] < 10) {
      year = 2000 + v[0], month = v[1], day = v[2];
    } else {
      year = v[0], month = v[1], day = v[2];
    }
  } else if (count == 2) {
    year = v[0], month = v[1];
  } else if (count == 1) {
    v[1] = v[2] = 0;
    ScanThree(text, u'年', u'月', v);
    year = v[0], month = v[1], day = v[2];
  } else {
    return 0;
  }
  LocalTime t = NowLocal();
  if (std::tie(year, month, day) > std::tie(t.year, t.month, t.day)) return 1;
  if (month >= 13) return 3;
  return day < 32 ? 0 : 4;
}
