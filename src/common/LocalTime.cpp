#include "common/LocalTime.h"

#include <cstdio>
#include <ctime>

#include "common/Calendar.h"
#include "common/TextFields.h"

namespace harkola {

namespace {
constexpr const char* kMonths[] = {"",        "January",  "February", "March",  "April",
                                   "May",     "June",     "July",     "August", "September",
                                   "October", "November", "December"};
constexpr const char* kMonthAbbr[] = {"",    "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
}  // namespace

const char* monthName(int month) { return month >= 1 && month <= 12 ? kMonths[month] : ""; }
const char* monthAbbreviation(int month) {
  return month >= 1 && month <= 12 ? kMonthAbbr[month] : "";
}

LocalTime localTimeAt(std::chrono::system_clock::time_point t) {
  using namespace std::chrono;
  const auto secs = time_point_cast<seconds>(t);
  auto ms = duration_cast<milliseconds>(t - secs).count();
  std::time_t tt = system_clock::to_time_t(secs);
  if (ms < 0) {  // instants before the epoch round toward the earlier second
    ms += 1000;
    tt -= 1;
  }
  std::tm tm{};
  localtime_r(&tt, &tm);
  LocalTime lt;
  lt.year = tm.tm_year + 1900;
  lt.month = tm.tm_mon + 1;
  lt.day = tm.tm_mday;
  lt.hour = tm.tm_hour;
  lt.minute = tm.tm_min;
  lt.second = tm.tm_sec;
  lt.millisecond = static_cast<int>(ms);
  return lt;
}

std::chrono::system_clock::time_point timePointOf(const LocalTime& t) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  const std::time_t tt = std::mktime(&tm);
  return std::chrono::system_clock::from_time_t(tt) + std::chrono::milliseconds(t.millisecond);
}

std::string mediumDate(const LocalTime& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d-%s-%02d", t.day % 100, monthAbbreviation(t.month),
                t.year % 100);
  return buf;
}

std::string clockText(const LocalTime& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour % 100, t.minute % 100, t.second % 100);
  return buf;
}

namespace {

bool charAt(const std::string& s, std::size_t& pos, char c) {
  if (pos >= s.size() || s[pos] != c) return false;
  ++pos;
  return true;
}

}  // namespace

bool parseLocalTime(const std::string& text, LocalTime& out) {
  // Digits and the separators only: a number reader would also take "nan", "inf",
  // "0x1p5" or "5e1" as seconds.
  int y, mo, d, h, mi, s;
  std::size_t i = 0;
  if (!readDigits(text, i, 4, y) || !charAt(text, i, '-') || !readDigits(text, i, 2, mo) ||
      !charAt(text, i, '-') || !readDigits(text, i, 2, d) || !charAt(text, i, ' ') ||
      !readDigits(text, i, 2, h) || !charAt(text, i, ':') || !readDigits(text, i, 2, mi) ||
      !charAt(text, i, ':') || !readDigits(text, i, 2, s))
    return false;
  int ms = 0;
  if (charAt(text, i, '.')) {
    // A fraction of a second, rounded to the millisecond (at most 999).
    const std::size_t first = i;
    int scale = 100;
    double rest = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      if (scale > 0) {
        ms += (text[i] - '0') * scale;
        scale /= 10;
      } else if (scale == 0) {
        rest = (text[i] - '0') / 10.0;  // the digit after the milliseconds decides rounding
        scale = -1;
      }
    }
    if (i == first) return false;
    if (rest >= 0.5 && ms < 999) ++ms;
  }
  if (i != text.size()) return false;
  if (mo < 1 || mo > 12 || d < 1 || h > 23 || mi > 59 || s > 59) return false;
  if (d > daysInMonth(y, mo)) return false;
  out = LocalTime{y, mo, d, h, mi, s, ms};
  return true;
}

}  // namespace harkola
