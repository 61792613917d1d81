#pragma once
// Gregorian calendar arithmetic for the readers of dates in logs and typed times: leap
// years, month lengths and day numbers. Inline, because the slot-log reader works out a
// day for every new date it meets in millions of lines.

#include <cstdint>

namespace harkola {

constexpr bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// The days of `month` (1..12) in `year`; 0 for a month out of range.
constexpr int daysInMonth(int year, int month) {
  constexpr int kDays[] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kDays[month];
}

// A calendar day; what the log readers hand on.
struct CalendarDate {
  int year = 0;   // full year
  int month = 0;  // 1..12
  int day = 0;    // 1..31
};

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar (negative before).
constexpr std::int64_t daysSinceEpoch(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yoe = static_cast<unsigned>(year - era * 400);
  const unsigned doy = static_cast<unsigned>((153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1);
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// The date `days` after 1970-01-01 (the inverse of daysSinceEpoch).
constexpr CalendarDate dateOfDays(std::int64_t days) {
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
  return CalendarDate{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

}  // namespace harkola
