#include "common/LocalTime.h"

#include <cstdio>
#include <ctime>

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

bool parseLocalTime(const std::string& text, LocalTime& out) {
  int y, mo, d, h, mi;
  double s;
  char tail;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%lf%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6)
    return false;
  if (mo < 1 || mo > 12 || d < 1 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s >= 60)
    return false;
  static constexpr int kDays[] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (d > kDays[mo] || (mo == 2 && d == 29 && !leap)) return false;
  out = LocalTime{y, mo, d, h, mi, static_cast<int>(s), static_cast<int>((s - static_cast<int>(s)) * 1000 + 0.5)};
  if (out.millisecond > 999) out.millisecond = 999;
  return true;
}

}  // namespace harkola
