#include "common/UtcTime.h"

#include <cstdio>

namespace harkola {

LocalTime utcTimeAt(std::chrono::system_clock::time_point t) {
  using namespace std::chrono;
  const auto day = floor<days>(t);
  const year_month_day ymd{day};
  const auto inDay = t - day;  // 0 .. 24 h, also before the epoch
  LocalTime u;
  u.year = static_cast<int>(ymd.year());
  u.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  u.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  u.hour = static_cast<int>(duration_cast<hours>(inDay).count());
  u.minute = static_cast<int>(duration_cast<minutes>(inDay).count() % 60);
  u.second = static_cast<int>(duration_cast<seconds>(inDay).count() % 60);
  u.millisecond = static_cast<int>(duration_cast<milliseconds>(inDay).count() % 1000);
  return u;
}

std::string isoText(const LocalTime& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

}  // namespace harkola
