#pragma once
// A reading of the local wall clock, as the program uses it: the schedule needs minute
// and second, the heard log the date and the hour.

#include <chrono>
#include <string>

namespace harkola {

struct LocalTime {
  int year = 2000;  // full year
  int month = 1;    // 1..12
  int day = 1;      // 1..31
  int hour = 0;     // 0..23
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// The local time of a system-clock instant (the TZ of the process).
LocalTime localTimeAt(std::chrono::system_clock::time_point t);
// The system-clock instant of a local time (inverse of localTimeAt).
std::chrono::system_clock::time_point timePointOf(const LocalTime& t);

// "20-Aug-01": two-digit day, English month abbreviation, two-digit year.
std::string mediumDate(const LocalTime& t);
// "HH:MM:SS".
std::string clockText(const LocalTime& t);
// Parses "YYYY-MM-DD HH:MM:SS" (seconds may carry a fraction); false when malformed
// or not a real calendar time.
bool parseLocalTime(const std::string& text, LocalTime& out);

// English month names and abbreviations, index 1..12.
const char* monthName(int month);
const char* monthAbbreviation(int month);

}  // namespace harkola
