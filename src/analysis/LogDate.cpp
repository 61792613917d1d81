#include "analysis/LogDate.h"

#include <cstdio>

#include "common/LocalTime.h"
#include "common/TextFields.h"

namespace harkola {

namespace {

int monthOfAbbreviation(std::string_view s) {
  for (int m = 1; m <= 12; ++m)
    if (equalNoCase(s, monthAbbreviation(m))) return m;
  return 0;
}

constexpr std::int64_t kSerialOfEpoch = 25569;  // serial of 1970-01-01

}  // namespace

bool parseLogDate(std::string_view s, LogDate& out) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  std::size_t pos = 0;
  int day = 0, month = 0, year = 0;
  if (!readDigits(s, pos, 2, day)) return false;
  if (pos >= s.size()) return false;
  const char sep = s[pos++];
  if (sep == '-') {
    if (pos + 3 > s.size()) return false;
    month = monthOfAbbreviation(s.substr(pos, 3));
    pos += 3;
  } else if (sep == '/') {
    if (!readDigits(s, pos, 2, month)) return false;
  } else {
    return false;
  }
  if (month < 1 || month > 12 || pos >= s.size() || s[pos++] != sep) return false;
  const std::size_t digits = readDigits(s, pos, 4, year);
  if (!digits || pos != s.size()) return false;
  if (digits == 2)
    year += year < 30 ? 2000 : 1900;
  else if (digits != 4 || year < 100)
    return false;
  if (day < 1 || day > daysInMonth(year, month)) return false;
  out = LogDate{year, month, day};
  return true;
}

std::int32_t daySerial(const LogDate& d) {
  return static_cast<std::int32_t>(daysSinceEpoch(d.year, d.month, d.day) + kSerialOfEpoch);
}

LogDate dateOfSerial(std::int32_t serial) { return dateOfDays(static_cast<std::int64_t>(serial) - kSerialOfEpoch); }

std::string shortDateText(const LogDate& d) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", d.day % 100, d.month % 100,
                ((d.year % 100) + 100) % 100);
  return buf;
}

}  // namespace harkola
