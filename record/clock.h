// Wall-clock time, replaceable so that tests run at a fixed date.
#pragma once
#include <cstdint>
#include <functional>

struct LocalTime {
  int year, month, day;     // month 1..12
  int hour, minute, second;
  int weekday;              // 0 Sunday .. 6 Saturday
  int millisecond;
};

// Seconds since 1970 (UTC), from the installed clock.
int64_t NowSeconds();
// The current local time, from the installed clock.
LocalTime NowLocal();
// Milliseconds of a monotonic counter (the tick count).
int64_t TickCount();

// Installs a clock giving seconds since 1970; empty function restores the real one.
// Local-time conversions of an installed clock are done in UTC so tests do not
// depend on the machine's zone.
void SetClockForTesting(std::function<int64_t()> secondsSince1970);
// Local time of a given instant (respects the testing clock's UTC rule).
LocalTime ToLocal(int64_t secondsSince1970);
