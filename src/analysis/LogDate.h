#pragma once
// Dates of heard-log records. Two written forms are read, both day first:
//   medium form  "20-Aug-01"  (day, English month abbreviation, year)
//   short form   "20/08/01"   (day, month number, year)
// Day and month may have one or two digits; the year two or four. A two-digit year
// 00..29 is 2000..2029, 30..99 is 1930..1999. Anything else (other separators, trailing
// text, a day that the month does not have) is not a date.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Calendar.h"

namespace harkola {

using LogDate = CalendarDate;

// Parses a record date; surrounding blanks are allowed. False when it is not a date.
bool parseLogDate(std::string_view text, LogDate& out);

// Day serial number: days since 30 December 1899 (1 January 1900 is 2). Sorting by the
// serial sorts by date.
std::int32_t daySerial(const LogDate& d);
LogDate dateOfSerial(std::int32_t serial);

// The short text of a date, "dd/mm/yy" ("20/08/01").
std::string shortDateText(const LogDate& d);

}  // namespace harkola
