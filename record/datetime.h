// Texts of today's date and the current time as records, file names and
// mails write them, and the check of a date typed by the user. Everything
// reads the clock of record/clock.h.
#pragma once
#include <string>
#include <string_view>

// The last texts formatted (templates read them as they stand).
extern std::u16string g_szToday;          // FormatToday
extern std::u16string g_szDateStem;       // "24Jan06", refreshed by FormatToday
extern std::u16string g_szNowTime;        // FormatNowTime
extern std::u16string g_szTodayCompact;   // FormatTodayCompact
extern std::u16string g_szNowTimeCompact; // FormatNowTimeCompact

int GetCurrentYear();
// "2024/01/06(土)", or "2024/01/06" with noWeekday; also sets g_szDateStem to
// the two-digit year, the month's English abbreviation and the day.
std::u16string FormatToday(bool noWeekday = false);
// "13:05:09".
std::u16string FormatNowTime();
// "20240106".
std::u16string FormatTodayCompact();
// "130509".
std::u16string FormatNowTimeCompact();

// Checks a date typed as "y/m/d" (also "m/d/yy" and two-digit years) or
// "y年m月d": 0 valid (also a text without numbers), 1 later than today,
// 3 month above 12, 4 day above 31.
int CheckDateText(std::u16string_view text);
