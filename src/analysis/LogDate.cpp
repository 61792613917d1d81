#include "analysis/LogDate.h"

#include <cstdio>

#include "common/LocalTime.h"

namespace harkola {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Reads 1..maxDigits digits at pos; false when there is none.
bool readNumber(std::string_view s, std::size_t& pos, std::size_t maxDigits, int& value,
                std::size_t& digits) {
  value = 0;
  digits = 0;
  while (pos < s.size() && isDigit(s[pos]) && digits < maxDigits) {
    value = value * 10 + (s[pos] - '0');
    ++pos;
    ++digits;
  }
  return digits > 0 && !(pos < s.size() && isDigit(s[pos]));
}

int monthOfAbbreviation(std::string_view s) {
  if (s.size() != 3) return 0;
  for (int m = 1; m <= 12; ++m) {
    const char* a = monthAbbreviation(m);
    if (lower(s[0]) == lower(a[0]) && lower(s[1]) == lower(a[1]) && lower(s[2]) == lower(a[2]))
      return m;
  }
  return 0;
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int kDays[] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : kDays[m];
}

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr std::int64_t kSerialOfEpoch = 25569;  // serial of 1970-01-01

}  // namespace

bool parseLogDate(std::string_view s, LogDate& out) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  std::size_t pos = 0, digits = 0;
  int day = 0, month = 0, year = 0;
  if (!readNumber(s, pos, 2, day, digits)) return false;
  if (pos >= s.size()) return false;
  const char sep = s[pos++];
  if (sep == '-') {
    if (pos + 3 > s.size()) return false;
    month = monthOfAbbreviation(s.substr(pos, 3));
    pos += 3;
  } else if (sep == '/') {
    if (!readNumber(s, pos, 2, month, digits)) return false;
  } else {
    return false;
  }
  if (month < 1 || month > 12 || pos >= s.size() || s[pos++] != sep) return false;
  if (!readNumber(s, pos, 4, year, digits) || pos != s.size()) return false;
  if (digits == 2)
    year += year < 30 ? 2000 : 1900;
  else if (digits != 4 || year < 100)
    return false;
  if (day < 1 || day > daysInMonth(year, month)) return false;
  out = LogDate{year, month, day};
  return true;
}

std::int32_t daySerial(const LogDate& d) {
  return static_cast<std::int32_t>(daysFromCivil(d.year, static_cast<unsigned>(d.month),
                                                 static_cast<unsigned>(d.day)) +
                                   kSerialOfEpoch);
}

LogDate dateOfSerial(std::int32_t serial) {
  std::int64_t z = static_cast<std::int64_t>(serial) - kSerialOfEpoch + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
  return LogDate{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

std::string shortDateText(const LogDate& d) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", d.day % 100, d.month % 100,
                ((d.year % 100) + 100) % 100);
  return buf;
}

}  // namespace harkola
